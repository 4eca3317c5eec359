// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_store.h"

#include "file_lock.h"
#include "slot_reuse.h"

#include "file_descriptor.h"
#include "private_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace vcq
{

namespace
{

// Records read per system call while loading.
constexpr std::size_t kChunkRecords = 1024;

// A contact as the list and the file keep it: the header-only fields empty.
ContactRecord contactOnly(const ContactRecord &contact)
{
    ContactRecord r = contact;
    r.set(Field::Password, {});
    r.set(Field::Protection, {});
    r.set(Field::Reserved, {});
    return r;
}

// Reads up to `size` bytes at `offset`; returns the count read, or -1.
ssize_t preadFully(int fd, unsigned char *buffer, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer + done, size - done, offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

} // namespace

ContactStore::ContactStore()
{
    m_list.setRecordSource(this);
}

ContactStore::~ContactStore()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ContactStore::OpenResult ContactStore::open(const std::string &path)
{
    if (isOpen())
        close();
    m_list.clear();
    m_freeSlots.clear();
    m_slotsKnown = false;
    m_recordCount = 0;
    m_path = path;
    m_outsideChange = false;
    m_bin.setDataFilePath(path);
    if (path.empty())
        throw StoreError::io(2);

    // O_NONBLOCK: a pipe in the file's place must not hang the start.
    FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid() && errno == ENOENT) {
        struct stat link {
        };
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            throw StoreError::of(StoreErrc::DanglingLink);
        createNew(path);
        m_stamp = currentStamp();
        return OpenResult::Created;
    }
    if (!fd.valid())
        throw StoreError::fromErrno(errno);

    // Every error below closes the file as it leaves.
    struct stat st {
    };
    if (::fstat(fd.get(), &st) != 0)
        throw StoreError::fromErrno(errno);
    if (!S_ISREG(st.st_mode))
        throw StoreError::of(StoreErrc::NotRegularFile);
    // Another running copy holds the lock: leave its file alone. An export
    // reading the file is waited for.
    if (const int err = lockExclusive(fd.get()); err != 0)
        throw StoreError::io(err == EWOULDBLOCK ? 5 : ioCodeFromErrno(err));

    if (st.st_size == 0) {
        // writeHeader writes through m_fd; fd still owns it until the header is in.
        m_fd = fd.get();
        try {
            writeHeader(ContactRecord::newHeader());
        } catch (...) {
            // Whole or nothing: the file goes back to empty.
            if (::ftruncate(m_fd, 0) == 0)
                m_sync(m_fd);
            m_fd = -1;
            throw;
        }
        fd.release();
        m_recordCount = 1;
        m_slotsKnown = true;
        m_stamp = currentStamp();
        return OpenResult::Created;
    }

    const std::int64_t records = st.st_size / static_cast<off_t>(kRecordSize);
    if (records > kMaxRecords)
        throw StoreError::of(StoreErrc::TooManyRecords);
    unsigned char buffer[kRecordSize];
    const ssize_t n = records < 1 ? 0 : preadFully(fd.get(), buffer, kRecordSize, 0);
    if (n != static_cast<ssize_t>(kRecordSize)) {
        const int err = errno;
        throw n < 0 ? StoreError::fromErrno(err) : StoreError::of(StoreErrc::WrongFileFormat);
    }
    m_header = ContactRecord::fromBytes(buffer);
    m_recordCount = records;
    m_fd = fd.release();
    m_stamp = currentStamp();
    return OpenResult::Opened;
}

void ContactStore::createNew(const std::string &path)
{
    // The new file is written beside its final name and linked there only
    // once its header is on disk, so a failed first write (disk full, file
    // size limit) leaves no partial file that later starts would refuse.
    std::string temp = path + ".new-XXXXXX";
    FileDescriptor file(::mkostemp(temp.data(), O_CLOEXEC));
    if (!file.valid())
        throw StoreError::fromErrno(errno, IoOp::Write);
    const int fd = file.get();
    const auto fail = [&](int err) {
        ::unlink(temp.c_str());
        throw StoreError::fromErrno(err, IoOp::Write);
    };
    if (!makePrivate(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0)
        fail(errno);
    const ContactRecord header = ContactRecord::newHeader();
    std::size_t done = 0;
    while (done < kRecordSize) {
        const ssize_t n =
            ::pwrite(fd, header.data() + done, kRecordSize - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n == 0 ? ENOSPC : errno);
        done += static_cast<std::size_t>(n);
    }
    if (m_sync(fd) != 0)
        fail(errno);
    // link() never replaces a name another program took meanwhile.
    if (::link(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        if (err == EEXIST ||
            ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0)
            fail(err == EEXIST ? EACCES : errno);
    }
    ::unlink(temp.c_str());
    m_fd = file.release();
    m_header = header;
    m_recordCount = 1;
    m_slotsKnown = true;
}

void ContactStore::loadContacts()
{
    requireOpen();
    scanRecords(true);
}

void ContactStore::scanRecords(bool listContacts)
{
    if (listContacts)
        m_list.beginLoad(std::max<std::int64_t>(m_recordCount, 1));
    try {
        scanRecordRange(listContacts);
    } catch (...) {
        if (listContacts)
            m_list.endLoad();
        throw;
    }
    if (listContacts)
        m_list.endLoad();
    m_slotsKnown = true;
}

void ContactStore::scanRecordRange(bool listContacts)
{
    m_freeSlots.clear();
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // Records are read straight into record objects, a chunk per system call.
    std::vector<ContactRecord> buffer(kChunkRecords);
    auto *raw = reinterpret_cast<unsigned char *>(buffer.data());
    auto take = [&](std::int32_t slot, const ContactRecord &record) {
        if (record.isTombstone())
            m_freeSlots.insert(slot);
        else if (listContacts)
            m_list.loadContact(slot, record.view(Field::LastName), record.view(Field::FirstName));
    };
    for (std::int32_t first = 1; first < m_recordCount;) {
        const auto count =
            static_cast<std::int32_t>(std::min<std::int64_t>(kChunkRecords, m_recordCount - first));
        const off_t offset = static_cast<off_t>(first) * static_cast<off_t>(kRecordSize);
        const std::size_t bytes = static_cast<std::size_t>(count) * kRecordSize;
        if (preadFully(m_fd, raw, bytes, offset) == static_cast<ssize_t>(bytes)) {
            for (std::int32_t i = 0; i < count; ++i)
                take(first + i, buffer[static_cast<std::size_t>(i)]);
        } else {
            // Something in this stretch cannot be read: take what can be read
            // record by record; an unreadable record is skipped but keeps its slot.
            for (std::int32_t i = 0; i < count; ++i) {
                const off_t at = offset + static_cast<off_t>(i) * static_cast<off_t>(kRecordSize);
                if (preadFully(m_fd, raw, kRecordSize, at) == static_cast<ssize_t>(kRecordSize))
                    take(first + i, buffer[0]);
            }
        }
        first += count;
    }
}

ContactRecord ContactStore::readRecord(std::int64_t recordNumber) const
{
    requireOpen();
    unsigned char buffer[kRecordSize];
    const off_t offset = static_cast<off_t>(recordNumber) * static_cast<off_t>(kRecordSize);
    const ssize_t n = preadFully(m_fd, buffer, kRecordSize, offset);
    if (n < 0)
        throw StoreError::fromErrno(errno);
    if (n != static_cast<ssize_t>(kRecordSize))
        throw StoreError::io(100);
    return ContactRecord::fromBytes(buffer);
}

std::int32_t ContactStore::add(const ContactRecord &contact)
{
    requireOpen();
    if (isReservedLastName(contact.get(Field::LastName)))
        throw StoreError::of(StoreErrc::ReservedLastName);
    if (!m_slotsKnown)
        scanRecords(false);
    const ContactRecord record = contactOnly(contact);
    const bool reuse = !m_freeSlots.empty();
    const std::int64_t slot = reuse ? *m_freeSlots.begin() : m_recordCount;
    if (slot > kMaxRecords - 1)
        throw StoreError::of(StoreErrc::TooManyRecords);
    if (reuse)
        logReuse({static_cast<std::int32_t>(slot)});
    writeRecord(slot, record);
    if (reuse)
        m_freeSlots.erase(m_freeSlots.begin());
    else
        ++m_recordCount;
    const auto number = static_cast<std::int32_t>(slot);
    m_list.InsertNode(number, record);
    noteWritten(number, nullptr, &record);
    return number;
}

void ContactStore::logReuse(const std::vector<std::int32_t> &slots) const
{
    // A log that cannot be written (a folder closed to writing) costs the
    // new contact a fresh UID, never the contact itself: the add goes on.
    (void)logSlotReuse(m_path, slots);
}

bool ContactStore::rewrite(std::int32_t recordNumber, const ContactRecord &contact)
{
    requireOpen();
    if (isReservedLastName(contact.get(Field::LastName)))
        throw StoreError::of(StoreErrc::ReservedLastName);
    const ContactNode *node = m_list.findRecord(recordNumber);
    if (!node)
        return false;
    std::optional<ContactRecord> before;
    if (m_observer)
        before = node->record();
    const ContactRecord record = contactOnly(contact);
    writeRecord(recordNumber, record);
    m_list.update(recordNumber, record);
    noteWritten(recordNumber, before ? &*before : nullptr, &record);
    return true;
}

bool ContactStore::remove(std::int32_t recordNumber, DeletedHow how)
{
    requireOpen();
    const ContactNode *node = m_list.findRecord(recordNumber);
    if (!node)
        return false;
    // The bin first: a crash before the tombstone leaves the contact in both.
    const ContactRecord before = readRecord(recordNumber);
    const std::uint64_t binEntry = m_bin.add({{recordNumber, before}}, how).front();
    writeRecord(recordNumber, ContactRecord::tombstone());
    m_list.remove(recordNumber);
    m_freeSlots.insert(recordNumber);
    noteWritten(recordNumber, &before, nullptr, binEntry);
    return true;
}

void ContactStore::noteWritten(std::int32_t slot, const ContactRecord *before,
                               const ContactRecord *after, std::uint64_t binEntry)
{
    if (m_observer)
        m_observer->slotWritten(slot, before, after, binEntry);
}

FileStamp ContactStore::currentStamp() const
{
    FileStamp stamp;
    struct stat st {
    };
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return stamp;
    stamp.size = st.st_size;
    stamp.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    // The name may have been given to another file (a copy renamed over it).
    struct stat named {
    };
    if (::stat(m_path.c_str(), &named) == 0) {
        stamp.device = named.st_dev;
        stamp.inode = named.st_ino;
    }
    return stamp;
}

bool ContactStore::changedOutside() const
{
    return isOpen() && (m_outsideChange || currentStamp() != m_stamp);
}

void ContactStore::writeHeader(const ContactRecord &header)
{
    requireOpen();
    writeRecord(0, header);
    m_header = header;
}

void ContactStore::close()
{
    m_list.clear();
    m_freeSlots.clear();
    m_slotsKnown = false;
    m_recordCount = 0;
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throw StoreError::fromErrno(errno);
}

void ContactStore::requireUnchangedSize(off_t &size) const
{
    struct stat st {
    };
    if (::fstat(m_fd, &st) != 0)
        throw StoreError::fromErrno(errno, IoOp::Write);
    // Writing into a file another program cut short would leave holes of
    // blank contacts, or put a new contact where the list says none is.
    if (st.st_size / static_cast<off_t>(kRecordSize) < m_recordCount)
        throw StoreError::of(StoreErrc::FileShrunk);
    size = st.st_size;
}

void ContactStore::writeRecord(std::int64_t slot, const ContactRecord &record)
{
    noteOutsideChange();
    off_t sizeBefore = 0;
    requireUnchangedSize(sizeBefore);
    const off_t offset = static_cast<off_t>(slot) * static_cast<off_t>(kRecordSize);
    const bool appending = slot >= m_recordCount;
    // What the slot held, to put back when the write cannot be made durable.
    unsigned char previous[kRecordSize];
    const bool havePrevious = !appending && preadFully(m_fd, previous, kRecordSize, offset) ==
                                                static_cast<ssize_t>(kRecordSize);
    const auto putAll = [this, offset](const unsigned char *bytes) {
        std::size_t done = 0;
        while (done < kRecordSize) {
            const ssize_t n =
                ::pwrite(m_fd, bytes + done, kRecordSize - done, offset + static_cast<off_t>(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errno;
            if (n == 0)
                return ENOSPC;
            done += static_cast<std::size_t>(n);
        }
        return 0;
    };
    int err = putAll(record.data());
    if (err == 0 && m_sync(m_fd) != 0)
        err = errno != 0 ? errno : EIO;
    if (err == 0) {
        m_stamp = currentStamp();
        return;
    }
    // Undo, so that the file says what the user is told: nothing changed.
    if (appending) {
        if (::ftruncate(m_fd, sizeBefore) == 0)
            m_sync(m_fd);
    } else if (havePrevious && putAll(previous) == 0) {
        m_sync(m_fd);
    }
    m_stamp = currentStamp();
    throw StoreError::fromErrno(err, IoOp::Write);
}

void ContactStore::requireOpen() const
{
    if (m_fd < 0)
        throw StoreError::of(StoreErrc::NotOpen);
}

} // namespace vcq
