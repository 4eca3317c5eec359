// SPDX-License-Identifier: GPL-3.0-or-later
// The data file "VCQ97.NAM": fixed 764-byte records, the header first. Opens
// or creates it, loads the contacts into a ContactList, and adds, rewrites and
// deletes contacts so that the file and the list always agree: a write that
// fails throws and leaves the list as it was. The file is locked while open,
// so a second running copy cannot write to it, and every write reaches the
// disk before the call returns.
#pragma once

#include "contact_list.h"
#include "contact_record.h"
#include "io_error.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace vcq
{

inline constexpr const char *kDataFileName = "VCQ97.NAM";
// Record numbers are 32-bit: a file with more records is refused whole.
inline constexpr std::int64_t kMaxRecords = std::numeric_limits<std::int32_t>::max();

class ContactStore : private RecordSource
{
public:
    enum class OpenResult { Opened, Created };

    ContactStore();
    ~ContactStore() override;
    ContactStore(const ContactStore &) = delete;
    ContactStore &operator=(const ContactStore &) = delete;

    // Opens the file and reads its header, or creates it with a new header
    // when it does not exist (or is empty). A new file appears whole, header
    // included, or not at all. An existing file that cannot be opened for
    // writing, is locked by another copy, is too short to hold a header, is
    // not a regular file or holds more than kMaxRecords records is never
    // written: StoreError is thrown and nothing stays open. A symbolic link to
    // nothing is reported, never created through.
    OpenResult open(const std::string &path = kDataFileName);

    // Reads every record after the header into the list (cleared first);
    // tombstones and unreadable records are skipped but keep their slot.
    void loadContacts();

    bool isOpen() const { return m_fd >= 0; }
    // The contacts in memory. Their names live there; the other fields are
    // read from the file when asked for.
    const ContactList &list() const { return m_list; }
    // The header image: as read, or as written last.
    const ContactRecord &header() const { return m_header; }
    // Number of whole records in the file, the header included.
    std::int64_t recordCount() const { return m_recordCount; }

    // Writes a new contact into the lowest tombstone slot, else at the end,
    // and lists it. Returns its record number.
    std::int32_t add(const ContactRecord &contact);
    // Adds many contacts at once: the lowest tombstones are filled first, the
    // rest appended, and the whole batch reaches the disk with one flush.
    // Returns their record numbers in the order given. All or nothing: when a
    // write fails, what the batch wrote is undone, the list stays as it was
    // and the error is thrown (should the undo fail too, the list is read
    // again from the file, so that it still shows what the file holds). A
    // reserved last name anywhere in the batch refuses it before any write.
    std::vector<std::int32_t> addMany(const std::vector<ContactRecord> &contacts);
    // Rewrites a listed contact in place; a changed name moves it in the list.
    // False, with nothing written, when no listed contact has that number.
    bool rewrite(std::int32_t recordNumber, const ContactRecord &contact);
    // Writes a tombstone over a listed contact and unlists it; false, with
    // nothing written, when no listed contact has that number.
    bool remove(std::int32_t recordNumber);
    // Writes the header image to record 0.
    void writeHeader(const ContactRecord &header);

    // Closes the file; the list is emptied.
    void close();

    // Every write is checked first against the file's size (another program
    // may have cut it) and made durable with this call (fdatasync by
    // default); a write whose sync fails is undone before it is reported.
    // Tests replace the call to produce a failing disk.
    void setSyncForTesting(std::function<int(int)> sync) { m_sync = std::move(sync); }

private:
    ContactRecord readRecord(std::int64_t recordNumber) const override;
    void writeRecord(std::int64_t slot, const ContactRecord &record);
    void createNew(const std::string &path);
    void requireUnchangedSize(off_t &size) const;
    void scanRecords(bool listContacts);
    void scanRecordRange(bool listContacts);
    void requireOpen() const;
    // Logs slots about to be given to new contacts after a deletion.
    void logReuse(const std::vector<std::int32_t> &slots) const;
    void undoBatch(const std::vector<std::pair<std::int32_t, ContactRecord>> &overwritten,
                   std::int32_t recordCountBefore, const std::string &tailBefore);

    int m_fd = -1;
    std::string m_path;
    ContactRecord m_header;
    ContactList m_list;
    std::int64_t m_recordCount = 0;
    std::set<std::int32_t> m_freeSlots; // tombstones, reused lowest first
    bool m_slotsKnown = false;          // m_freeSlots reflects the whole file
    std::function<int(int)> m_sync = [](int fd) { return ::fdatasync(fd); };
};

} // namespace vcq
