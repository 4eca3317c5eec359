#include "contact_store.h"

#include <cerrno>
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
    if (path.empty())
        throw StoreError::io(2);

    bool created = false;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        // Only a file that is truly absent is created; O_EXCL never replaces one.
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        created = fd >= 0;
    }
    if (fd < 0)
        throw StoreError::fromErrno(errno);

    // Another running copy holds the lock: leave its file alone.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        throw StoreError::io(err == EWOULDBLOCK ? 5 : ioCodeFromErrno(err));
    }

    struct stat st {
    };
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw StoreError::fromErrno(err);
    }
    m_fd = fd;

    if (created || st.st_size == 0) {
        try {
            writeHeader(ContactRecord::newHeader());
        } catch (...) {
            ::close(m_fd);
            m_fd = -1;
            throw;
        }
        m_recordCount = 1;
        m_slotsKnown = true;
        return OpenResult::Created;
    }

    unsigned char buffer[kRecordSize];
    const ssize_t n = static_cast<std::size_t>(st.st_size) < kRecordSize
                          ? 0
                          : preadFully(m_fd, buffer, kRecordSize, 0);
    if (n != static_cast<ssize_t>(kRecordSize)) {
        const int err = errno;
        ::close(m_fd);
        m_fd = -1;
        if (n < 0)
            throw StoreError::fromErrno(err);
        throw StoreError::of(StoreErrc::WrongFileFormat);
    }
    m_header = ContactRecord::fromBytes(buffer);
    m_recordCount = static_cast<std::int32_t>(st.st_size / static_cast<off_t>(kRecordSize));
    return OpenResult::Opened;
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
    const std::int32_t slot = reuse ? *m_freeSlots.begin() : m_recordCount;
    if (reuse) {
        writeRecord(slot, record);
        m_freeSlots.erase(m_freeSlots.begin());
    } else {
        struct stat st {
        };
        const bool sized = ::fstat(m_fd, &st) == 0;
        try {
            writeRecord(slot, record);
        } catch (...) {
            // Leave no half record behind at the end of the file.
            if (sized && ::ftruncate(m_fd, st.st_size) == 0)
                ::fdatasync(m_fd);
            throw;
        }
        ++m_recordCount;
    }
    m_list.InsertNode(slot, record);
    return slot;
}

bool ContactStore::rewrite(std::int32_t recordNumber, const ContactRecord &contact)
{
    requireOpen();
    if (isReservedLastName(contact.get(Field::LastName)))
        throw StoreError::of(StoreErrc::ReservedLastName);
    if (!m_list.findRecord(recordNumber))
        return false;
    const ContactRecord record = contactOnly(contact);
    writeRecord(recordNumber, record);
    m_list.update(recordNumber, record);
    return true;
}

bool ContactStore::remove(std::int32_t recordNumber)
{
    requireOpen();
    if (!m_list.findRecord(recordNumber))
        return false;
    writeRecord(recordNumber, ContactRecord::tombstone());
    m_list.remove(recordNumber);
    m_freeSlots.insert(recordNumber);
    return true;
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

void ContactStore::writeRecord(std::int32_t slot, const ContactRecord &record)
{
    const off_t offset = static_cast<off_t>(slot) * static_cast<off_t>(kRecordSize);
    std::size_t done = 0;
    while (done < kRecordSize) {
        const ssize_t n = ::pwrite(m_fd, record.data() + done, kRecordSize - done,
                                   offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw StoreError::fromErrno(errno);
        }
        if (n == 0)
            throw StoreError::io(101);
        done += static_cast<std::size_t>(n);
    }
    if (::fdatasync(m_fd) != 0)
        throw StoreError::fromErrno(errno);
}

void ContactStore::requireOpen() const
{
    if (m_fd < 0)
        throw StoreError::of(StoreErrc::NotOpen);
}

} // namespace vcq
