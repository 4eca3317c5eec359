// SPDX-License-Identifier: GPL-3.0-or-later
// Adding many contacts in one batch: one flush for the whole batch instead of
// one per contact, and a batch that fails part way is undone so that the file
// and the list keep agreeing.
#include "contact_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace vcq
{

namespace
{

// A contact as the file keeps it: the header-only fields empty.
ContactRecord withoutHeaderFields(const ContactRecord &contact)
{
    ContactRecord r = contact;
    r.set(Field::Password, {});
    r.set(Field::Protection, {});
    r.set(Field::Reserved, {});
    return r;
}

// True when withoutHeaderFields would change the contact: some byte of a
// header-only field is set. Those fields end the record, so this is one
// comparison of its last bytes.
bool hasHeaderFields(const ContactRecord &contact)
{
    constexpr FieldLayout password = fieldLayout(Field::Password);
    constexpr FieldLayout protection = fieldLayout(Field::Protection);
    constexpr FieldLayout reserved = fieldLayout(Field::Reserved);
    static_assert(protection.offset == password.offset + password.maxLength + 1 &&
                  reserved.offset == protection.offset + protection.maxLength + 1 &&
                  reserved.offset + reserved.maxLength + 1 == kRecordSize);
    static constexpr unsigned char kNone[kRecordSize - password.offset] = {};
    return std::memcmp(contact.data() + password.offset, kNone, sizeof kNone) != 0;
}

void writeAll(int fd, const unsigned char *data, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw StoreError::fromErrno(errno);
        }
        if (n == 0)
            throw StoreError::io(101);
        done += static_cast<std::size_t>(n);
    }
}

void readAll(int fd, unsigned char *data, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw StoreError::fromErrno(errno);
        }
        if (n == 0)
            throw StoreError::io(100);
        done += static_cast<std::size_t>(n);
    }
}

// Records read or written per system call for a run of neighbouring slots.
constexpr std::size_t kRunRecords = 1024;

// Bytes of a batch written before their writeback is started.
constexpr std::size_t kWritebackPiece = std::size_t(1) << 20;

off_t offsetOf(std::int32_t slot)
{
    return static_cast<off_t>(slot) * static_cast<off_t>(kRecordSize);
}

} // namespace

std::vector<std::int32_t> ContactStore::addMany(const std::vector<ContactRecord> &contacts)
{
    requireOpen();
    for (const ContactRecord &c : contacts)
        if (isReservedLastName(c.view(Field::LastName)))
            throw StoreError::of(StoreErrc::ReservedLastName);
    if (contacts.empty())
        return {};
    if (!m_slotsKnown)
        scanRecords(false);
    noteOutsideChange();

    // Most batches come with the header-only fields empty: written as given,
    // with no copy of a batch that may be tens of megabytes.
    std::vector<ContactRecord> stripped;
    if (std::any_of(contacts.begin(), contacts.end(), hasHeaderFields)) {
        stripped.reserve(contacts.size());
        for (const ContactRecord &c : contacts)
            stripped.push_back(withoutHeaderFields(c));
    }
    const std::vector<ContactRecord> &records = stripped.empty() ? contacts : stripped;

    // Lowest tombstones first, then the end of the file.
    std::vector<std::int32_t> slots;
    slots.reserve(records.size());
    for (auto it = m_freeSlots.begin(); it != m_freeSlots.end() && slots.size() < records.size();
         ++it)
        slots.push_back(*it);
    const std::size_t reused = slots.size();
    const std::int32_t countBefore = m_recordCount;
    for (std::size_t i = reused; i < records.size(); ++i)
        slots.push_back(countBefore + static_cast<std::int32_t>(i - reused));

    // What the batch overwrites, byte for byte, so that a failure can put it back.
    std::vector<std::pair<std::int32_t, ContactRecord>> overwritten;
    overwritten.reserve(reused);
    std::string tail; // bytes of a partial record after the last whole one
    if (reused > 0)
        logReuse({slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(reused)});
    try {
        struct stat st {
        };
        if (::fstat(m_fd, &st) != 0)
            throw StoreError::fromErrno(errno);
        if (reused < records.size() && st.st_size > offsetOf(countBefore)) {
            tail.resize(static_cast<std::size_t>(st.st_size - offsetOf(countBefore)));
            readAll(m_fd, reinterpret_cast<unsigned char *>(tail.data()), tail.size(),
                    offsetOf(countBefore));
        }
        for (std::size_t i = 0; i < reused; ++i) {
            unsigned char old[kRecordSize];
            readAll(m_fd, old, kRecordSize, offsetOf(slots[i]));
            overwritten.emplace_back(slots[i], ContactRecord::fromBytes(old));
            writeAll(m_fd, records[i].data(), kRecordSize, offsetOf(slots[i]));
        }
        if (reused < records.size()) {
            // ContactRecord is exactly its bytes, so the appended run is written
            // straight from the batch, a few megabytes at a time: each piece
            // starts on its way to the disk while the next is copied, so the
            // flush below waits for little more than the last one.
            const auto *bytes = records[reused].data();
            const std::size_t size = (records.size() - reused) * kRecordSize;
            for (std::size_t done = 0; done < size;) {
                const std::size_t piece = std::min(kWritebackPiece, size - done);
                const off_t at = offsetOf(countBefore) + static_cast<off_t>(done);
                writeAll(m_fd, bytes + done, piece, at);
                // Only a hint: the flush reports any error the writeback meets.
                ::sync_file_range(m_fd, at, static_cast<off_t>(piece), SYNC_FILE_RANGE_WRITE);
                done += piece;
            }
        }
        if (::fdatasync(m_fd) != 0)
            throw StoreError::fromErrno(errno);
    } catch (...) {
        undoBatch(overwritten, countBefore, tail);
        throw;
    }

    for (std::size_t i = 0; i < reused; ++i)
        m_freeSlots.erase(slots[i]);
    m_recordCount = countBefore + static_cast<std::int32_t>(records.size() - reused);
    m_stamp = currentStamp();
    m_list.insertMany(slots, records);
    if (m_observer)
        for (std::size_t i = 0; i < slots.size(); ++i)
            m_observer->slotWritten(slots[i], nullptr, &records[i], 0);
    return slots;
}

std::vector<ContactRecord> ContactStore::recordsAt(const std::vector<std::int32_t> &slots) const
{
    requireOpen();
    std::vector<ContactRecord> records(slots.size());
    for (std::size_t i = 0; i < slots.size();) {
        std::size_t run = 1;
        while (i + run < slots.size() && run < kRunRecords &&
               slots[i + run] == slots[i] + static_cast<std::int32_t>(run))
            ++run;
        readAll(m_fd, reinterpret_cast<unsigned char *>(&records[i]), run * kRecordSize,
                offsetOf(slots[i]));
        i += run;
    }
    return records;
}

std::size_t ContactStore::removeMany(const std::vector<std::int32_t> &recordNumbers,
                                     std::optional<DeletedHow> how)
{
    requireOpen();
    std::vector<std::int32_t> slots;
    slots.reserve(recordNumbers.size());
    for (const std::int32_t n : recordNumbers)
        if (m_list.findRecord(n))
            slots.push_back(n);
    std::sort(slots.begin(), slots.end());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    if (slots.empty())
        return 0;
    std::vector<DeletedContact> going;
    {
        std::vector<ContactRecord> records = recordsAt(slots);
        going.reserve(slots.size());
        for (std::size_t i = 0; i < slots.size(); ++i)
            going.push_back({slots[i], records[i]});
    }
    if (going.size() == 1 && how) // one contact: exactly what Delete does
        return remove(going.front().slot, how.value_or(DeletedHow::Deleted)) ? 1 : 0;
    std::vector<std::uint64_t> binEntries(going.size(), 0);
    if (how)
        binEntries = m_bin.add(going, *how);
    noteOutsideChange();
    off_t size = 0;
    requireUnchangedSize(size);
    // Neighbouring slots (an import's) take one write per run.
    const std::vector<ContactRecord> tombstones(std::min<std::size_t>(going.size(), kRunRecords),
                                                ContactRecord::tombstone());
    try {
        for (std::size_t i = 0; i < going.size();) {
            std::size_t run = 1;
            while (i + run < going.size() && run < kRunRecords &&
                   going[i + run].slot == going[i].slot + static_cast<std::int32_t>(run))
                ++run;
            writeAll(m_fd, tombstones.front().data(), run * kRecordSize, offsetOf(going[i].slot));
            i += run;
        }
        if (m_sync(m_fd) != 0)
            throw StoreError::fromErrno(errno != 0 ? errno : EIO, IoOp::Write);
    } catch (...) {
        std::vector<std::pair<std::int32_t, const ContactRecord *>> before;
        for (const DeletedContact &c : going)
            before.emplace_back(c.slot, &c.record);
        rollBack(before);
        throw;
    }
    m_stamp = currentStamp();
    m_list.removeMany(slots);
    m_freeSlots.insert(slots.begin(), slots.end());
    if (m_observer)
        for (std::size_t i = 0; i < going.size(); ++i)
            m_observer->slotWritten(going[i].slot, &going[i].record, nullptr, binEntries[i]);
    return going.size();
}

void ContactStore::rollBack(
    const std::vector<std::pair<std::int32_t, const ContactRecord *>> &before)
{
    // Put back what can be put back, then list what the file holds.
    for (const auto &[slot, record] : before)
        try {
            writeAll(m_fd, record->data(), kRecordSize, offsetOf(slot));
        } catch (const StoreError &) {
        }
    m_sync(m_fd);
    m_stamp = currentStamp();
    try {
        scanRecords(true);
    } catch (const StoreError &) {
        m_slotsKnown = false;
    }
}

bool ContactStore::isFreeSlot(std::int32_t slot)
{
    requireOpen();
    if (!m_slotsKnown)
        scanRecords(false);
    return m_freeSlots.count(slot) > 0;
}

std::vector<bool>
ContactStore::putBack(const std::vector<std::pair<std::int32_t, ContactRecord>> &contacts)
{
    requireOpen();
    if (!m_slotsKnown)
        scanRecords(false);
    std::vector<bool> back(contacts.size(), false);
    std::vector<std::size_t> going;
    std::set<std::int32_t> taken;
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        const auto &[slot, record] = contacts[i];
        if (isReservedLastName(record.view(Field::LastName)))
            throw StoreError::of(StoreErrc::ReservedLastName);
        if (m_freeSlots.count(slot) && taken.insert(slot).second)
            going.push_back(i);
    }
    if (going.empty())
        return back;
    noteOutsideChange();
    off_t size = 0;
    requireUnchangedSize(size);
    std::vector<ContactRecord> records;
    std::vector<std::int32_t> slots;
    records.reserve(going.size());
    slots.reserve(going.size());
    for (const std::size_t i : going) {
        records.push_back(withoutHeaderFields(contacts[i].second));
        slots.push_back(contacts[i].first);
    }
    const ContactRecord tombstone = ContactRecord::tombstone();
    try {
        for (std::size_t k = 0; k < slots.size(); ++k)
            writeAll(m_fd, records[k].data(), kRecordSize, offsetOf(slots[k]));
        if (m_sync(m_fd) != 0)
            throw StoreError::fromErrno(errno != 0 ? errno : EIO, IoOp::Write);
    } catch (...) {
        std::vector<std::pair<std::int32_t, const ContactRecord *>> before;
        for (const std::int32_t slot : slots)
            before.emplace_back(slot, &tombstone);
        rollBack(before);
        throw;
    }
    m_stamp = currentStamp();
    for (const std::int32_t slot : slots)
        m_freeSlots.erase(slot);
    m_list.insertMany(slots, records);
    for (std::size_t k = 0; k < going.size(); ++k) {
        back[going[k]] = true;
        noteWritten(slots[k], nullptr, &records[k]);
    }
    return back;
}

void ContactStore::undoBatch(const std::vector<std::pair<std::int32_t, ContactRecord>> &overwritten,
                             std::int32_t recordCountBefore, const std::string &tailBefore)
{
    bool undone = true;
    for (auto it = overwritten.rbegin(); it != overwritten.rend(); ++it) {
        try {
            writeAll(m_fd, it->second.data(), kRecordSize, offsetOf(it->first));
        } catch (const StoreError &) {
            undone = false;
        }
    }
    // Appended records go; a partial record that was past the last whole one
    // is put back as it was.
    struct stat st {
    };
    if (::fstat(m_fd, &st) != 0)
        undone = false;
    else if (st.st_size > offsetOf(recordCountBefore) &&
             ::ftruncate(m_fd, offsetOf(recordCountBefore)) != 0)
        undone = false;
    if (undone && !tailBefore.empty()) {
        try {
            writeAll(m_fd, reinterpret_cast<const unsigned char *>(tailBefore.data()),
                     tailBefore.size(), offsetOf(recordCountBefore));
        } catch (const StoreError &) {
            undone = false;
        }
    }
    if (::fdatasync(m_fd) != 0)
        undone = false;
    m_stamp = currentStamp();
    if (undone)
        return;
    // The file could not be put back: read it again so that the list shows
    // exactly the contacts the file now holds.
    try {
        if (::fstat(m_fd, &st) == 0)
            m_recordCount = static_cast<std::int32_t>(st.st_size / static_cast<off_t>(kRecordSize));
        scanRecords(true);
    } catch (const StoreError &) {
        m_slotsKnown = false;
    }
}

} // namespace vcq
