// SPDX-License-Identifier: GPL-3.0-or-later
// The bin of deleted contacts, "VCQ97.NAM.bin" beside the data file. Every
// contact the store deletes is appended here, and flushed, before its
// tombstone is written, so that no crash loses it. The file is a run of
// fixed 804-byte entries, appended only:
//   - a deleted contact: its 764-byte record, the slot it lived in, when and
//     how it was deleted, and how long the slot reuse log was then (so that
//     a restore can tell whether the slot was given to someone else since);
//   - a "taken out" mark naming an earlier entry (restored, or undone).
// Entries carry numbers that only grow, which the command line shows. A
// partial entry at the end (a write cut short) is ignored and cut off by the
// next append. The bin keeps the last 1,000 deleted contacts and every one
// deleted in the last 90 days, whichever is more; older ones are no longer
// listed and leave the file when it is next compacted.
#pragma once

#include "contact_record.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vcq
{

enum class DeletedHow : std::uint8_t {
    Deleted = 1,   // the Delete command (or a contact's deletion anywhere else)
    AddUndone = 2, // an undone addition, import excepted
    Synced = 3,    // a sync applied a deletion from the server
    Undone = 4,    // an undone change that had brought the contact back
};

struct BinLimits {
    std::size_t keepLast = 1000;
    std::chrono::milliseconds keepFor = std::chrono::hours(24 * 90);
    friend bool operator==(const BinLimits &, const BinLimits &) = default;
};

struct BinEntry {
    std::uint64_t number = 0; // grows with every entry written
    ContactRecord record;
    std::int32_t slot = 0;
    std::int64_t deletedAtMs = 0; // since the epoch, UTC
    DeletedHow how = DeletedHow::Deleted;
    std::uint64_t slotLogSize = 0; // size of the slot reuse log at the deletion
    friend bool operator==(const BinEntry &, const BinEntry &) = default;
};

// The bin beside a data file: dataFilePath + ".bin".
std::string binPath(const std::string &dataFilePath);

// A contact about to be deleted from its slot.
struct DeletedContact {
    std::int32_t slot = 0;
    ContactRecord record;
};

class ContactBin
{
public:
    using Clock = std::function<std::int64_t()>; // milliseconds since the epoch
    using Sync = std::function<int(int)>;

    explicit ContactBin(std::string dataFilePath = {});
    void setDataFilePath(std::string dataFilePath) { m_dataFilePath = std::move(dataFilePath); }
    const std::string &dataFilePath() const { return m_dataFilePath; }

    // Appends the contacts in one write and flushes it; answers their entry
    // numbers. Throws StoreError.
    std::vector<std::uint64_t> add(const std::vector<DeletedContact> &contacts, DeletedHow how);
    // The contacts the bin keeps, newest first; throws StoreError. An absent
    // bin is an empty one.
    std::vector<BinEntry> list() const;
    // Marks the entries as taken out of the bin (restored); throws StoreError.
    void takeOut(const std::vector<std::uint64_t> &numbers);
    // Deletes every entry for good; throws StoreError.
    void empty();

    void setLimits(BinLimits limits) { m_limits = limits; }
    const BinLimits &limits() const { return m_limits; }
    void setClockForTesting(Clock clock) { m_clock = std::move(clock); }
    // Called instead of fdatasync on the bin; tests use it to fail or to end there.
    void setSyncForTesting(Sync sync) { m_sync = std::move(sync); }
    static constexpr std::size_t kEntrySize = 804;
    // Entries written past which a compaction is tried.
    static constexpr std::size_t kCompactEvery = 1000;

private:
    struct Raw;
    std::vector<Raw> readAll() const;
    std::vector<std::uint64_t> append(const std::vector<Raw> &entries);
    void compactIfDue(std::uint64_t entriesInFile);
    std::vector<BinEntry> kept(const std::vector<Raw> &all) const;

    std::string m_dataFilePath;
    BinLimits m_limits;
    Clock m_clock;
    Sync m_sync;
};

} // namespace vcq
