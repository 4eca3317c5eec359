// SPDX-License-Identifier: GPL-3.0-or-later
// The data file "VCQ97.NAM": fixed 764-byte records, the header first. Opens
// or creates it, loads the contacts into a ContactList, and adds, rewrites and
// deletes contacts so that the file and the list always agree: a write that
// fails throws and leaves the list as it was. The file is locked while open,
// so a second running copy cannot write to it, and every write reaches the
// disk before the call returns.
#pragma once

#include "contact_bin.h"
#include "contact_list.h"
#include "contact_record.h"
#include "io_error.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace vcq
{

inline constexpr const char *kDataFileName = "VCQ97.NAM";
// Record numbers are 32-bit: a file with more records is refused whole.
inline constexpr std::int64_t kMaxRecords = std::numeric_limits<std::int32_t>::max();

// Told of every contact slot the store has written, once the write is on
// disk: what the slot held before (live: a contact, else a tombstone or
// nothing yet) and what it holds now, and the bin entry a deleted contact
// went to (0: none). The undo history listens here.
class StoreObserver
{
public:
    virtual ~StoreObserver() = default;
    virtual void slotWritten(std::int32_t slot, const ContactRecord *before,
                             const ContactRecord *after, std::uint64_t binEntry) = 0;
};

// What identifies the data file's contents as last written by this store:
// another program's write changes one of these.
struct FileStamp {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, modifiedNs = 0, changedNs = 0;
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

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
    // nothing written, when no listed contact has that number. The contact
    // goes to the bin first (flushed before the tombstone is written); when
    // the bin cannot be written, nothing is deleted and the error is thrown.
    bool remove(std::int32_t recordNumber, DeletedHow how = DeletedHow::Deleted);
    // Deletes many listed contacts with one flush; numbers not listed are
    // passed over. With a how they go to the bin first, in one write; without
    // (nullopt) they do not (an undone import: they are still in the files
    // they came from). Returns how many were deleted.
    std::size_t removeMany(const std::vector<std::int32_t> &recordNumbers,
                           std::optional<DeletedHow> how);
    // Writes contacts back into their own free slots (tombstones), with one
    // flush, and lists them: they keep their record numbers and so their
    // UIDs. A slot that is not free is passed over; the answer says, for
    // each contact, whether it went back.
    std::vector<bool> putBack(const std::vector<std::pair<std::int32_t, ContactRecord>> &contacts);
    // A slot holds a tombstone (the slot reuse log may still say it was
    // given to someone else since).
    bool isFreeSlot(std::int32_t slot);
    // The record in a slot, straight from the file; throws StoreError.
    ContactRecord recordAt(std::int32_t slot) const { return readRecord(slot); }
    // The records in those slots, in that order; a run of neighbouring
    // slots is read with one system call. Throws StoreError.
    std::vector<ContactRecord> recordsAt(const std::vector<std::int32_t> &slots) const;
    // Writes the header image to record 0.
    void writeHeader(const ContactRecord &header);

    // Closes the file; the list is emptied.
    void close();

    // The bin of deleted contacts beside the open file.
    ContactBin &bin() { return m_bin; }
    const ContactBin &bin() const { return m_bin; }
    // Told of every contact slot written from now on; null for none.
    void setObserver(StoreObserver *observer) { m_observer = observer; }
    // The file's stamp as this store last left it, and whether the file now
    // differs from it (another program wrote it, or it was replaced).
    const FileStamp &lastStamp() const { return m_stamp; }
    bool changedOutside() const;
    // Takes the file as it now is as this store's own.
    void acceptOutsideChange()
    {
        m_stamp = currentStamp();
        m_outsideChange = false;
    }

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
    // After a batch write failed: each slot gets its bytes of before again
    // where it can, and the list is read anew from what the file holds.
    void rollBack(const std::vector<std::pair<std::int32_t, const ContactRecord *>> &before);
    void scanRecordRange(bool listContacts);
    void requireOpen() const;
    // Logs slots about to be given to new contacts after a deletion.
    void logReuse(const std::vector<std::int32_t> &slots) const;
    FileStamp currentStamp() const;
    void noteWritten(std::int32_t slot, const ContactRecord *before, const ContactRecord *after,
                     std::uint64_t binEntry = 0);
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
    ContactBin m_bin;
    StoreObserver *m_observer = nullptr;
    FileStamp m_stamp;
    // Another program's write seen before one of ours, which moves the stamp on.
    bool m_outsideChange = false;
    void noteOutsideChange()
    {
        if (!m_outsideChange && currentStamp() != m_stamp)
            m_outsideChange = true;
    }
};

} // namespace vcq
