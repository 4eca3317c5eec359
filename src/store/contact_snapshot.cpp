// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_snapshot.h"

#include "file_descriptor.h"
#include "file_lock.h"
#include "io_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace vcq
{

namespace
{

constexpr std::size_t kChunkBytes = kRecordSize * 1024;
constexpr int kAttempts = 20;

class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(const std::string &path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        if (!m_fd.valid())
            throw StoreError::fromErrno(errno);
    }

    int fd() const { return m_fd.get(); }
    FileDescriptor release() { return std::move(m_fd); }

    // Whole records only; a trailing partial record is never read.
    std::size_t wholeBytes() const
    {
        struct stat st {
        };
        if (::fstat(m_fd.get(), &st) != 0)
            throw StoreError::fromErrno(errno);
        if (!S_ISREG(st.st_mode))
            throw StoreError::fromErrno(EINVAL);
        return static_cast<std::size_t>(st.st_size) / kRecordSize * kRecordSize;
    }

    // Reads [offset, offset + size); fewer bytes when the file became shorter.
    std::size_t read(unsigned char *buffer, std::size_t size, std::size_t offset) const
    {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pread(m_fd.get(), buffer + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw StoreError::fromErrno(errno);
            }
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

private:
    FileDescriptor m_fd;
};

struct Unmap {
    std::size_t bytes = 0;
    void operator()(ContactRecord *records) const { ::munmap(records, bytes); }
};

// Every whole record of the file, in pages of their own: a copy, or the
// file's own pages.
struct RecordBytes {
    std::unique_ptr<ContactRecord[], Unmap> records;
    std::size_t count = 0;
};

RecordBytes mapped(void *pages, std::size_t bytes, std::size_t count)
{
    if (pages == MAP_FAILED)
        throw StoreError::fromErrno(errno);
    RecordBytes records;
    records.records =
        std::unique_ptr<ContactRecord[], Unmap>(static_cast<ContactRecord *>(pages), Unmap{bytes});
    records.count = count;
    return records;
}

RecordBytes readRecords(const ReadOnlyFile &file)
{
    const std::size_t size = file.wholeBytes();
    // Pages filled in one go rather than one fault at a time, not records
    // cleared one by one: the read fills them. A record is exactly its bytes.
    const std::size_t bytes = std::max<std::size_t>(size, kRecordSize);
    RecordBytes records = mapped(::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0),
                                 bytes, 0);
    records.count =
        file.read(reinterpret_cast<unsigned char *>(records.records.get()), size, 0) / kRecordSize;
    return records;
}

// The file's own pages, read-only: no copy. Only under the shared lock,
// which keeps every copy of the program from writing meanwhile. The pages
// are mapped as the reader comes to them, many per fault: no slower than
// mapping them all at once, and a reader on several threads maps its parts
// at the same time.
RecordBytes mapRecords(const ReadOnlyFile &file)
{
    const std::size_t size = file.wholeBytes();
    if (size == 0)
        throw StoreError::of(StoreErrc::WrongFileFormat);
    return mapped(::mmap(nullptr, size, PROT_READ, MAP_SHARED, file.fd(), 0), size,
                  size / kRecordSize);
}

// A second pass finds the same bytes, and the file has not grown meanwhile.
bool unchanged(const ReadOnlyFile &file, const RecordBytes &records,
               std::vector<unsigned char> &chunk)
{
    const std::size_t size = records.count * kRecordSize;
    if (file.wholeBytes() != size)
        return false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(records.records.get());
    for (std::size_t offset = 0; offset < size; offset += kChunkBytes) {
        const std::size_t want = std::min(kChunkBytes, size - offset);
        if (file.read(chunk.data(), want, offset) != want ||
            std::memcmp(chunk.data(), bytes + offset, want) != 0)
            return false;
    }
    return true;
}

// The records of a snapshot, by record number, and the lock they are read
// under when they are the file's own pages.
class SnapshotRecords final : public RecordSource
{
public:
    SnapshotRecords(RecordBytes records, FileDescriptor lock)
        : m_records(std::move(records)), m_lock(std::move(lock))
    {
    }
    ContactRecord readRecord(std::int64_t recordNumber) const override { return at(recordNumber); }
    const ContactRecord &at(std::int64_t recordNumber) const
    {
        if (recordNumber < 0 || static_cast<std::size_t>(recordNumber) >= m_records.count)
            throw std::out_of_range("no such record");
        return m_records.records[static_cast<std::size_t>(recordNumber)];
    }
    const RecordBytes &all() const { return m_records; }

private:
    RecordBytes m_records;
    FileDescriptor m_lock; // declared last: unlocked once the pages are gone
};

ContactSnapshot snapshotOf(RecordBytes records, FileDescriptor lock, SnapshotList list)
{
    if (records.count == 0)
        throw StoreError::of(StoreErrc::WrongFileFormat);
    ContactSnapshot snapshot;
    snapshot.header = records.records[0];
    snapshot.shared = lock.valid();
    // The list takes the names and sorts once; the other fields stay in
    // the records read, which the snapshot keeps.
    auto source = std::make_unique<SnapshotRecords>(std::move(records), std::move(lock));
    const RecordBytes &all = source->all();
    snapshot.list.setRecordSource(source.get());
    if (list == SnapshotList::None) {
        snapshot.records = std::move(source);
        return snapshot;
    }
    snapshot.list.beginLoad(static_cast<std::int64_t>(all.count));
    for (std::size_t slot = 1; slot < all.count; ++slot) {
        const ContactRecord &r = all.records[slot];
        if (!r.isTombstone())
            snapshot.list.loadContact(static_cast<std::int64_t>(slot), r.view(Field::LastName),
                                      r.view(Field::FirstName));
    }
    snapshot.list.endLoad();
    snapshot.records = std::move(source);
    return snapshot;
}

} // namespace

ContactSnapshot readSnapshot(const std::string &path, SnapshotAccess access, SnapshotList list)
{
    if (path.empty())
        throw StoreError::io(2);
    ReadOnlyFile file(path);
    if (access == SnapshotAccess::ShareWhenFree && lockShared(file.fd())) {
        RecordBytes records = mapRecords(file);
        return snapshotOf(std::move(records), file.release(), list);
    }
    std::vector<unsigned char> chunk(kChunkBytes);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        RecordBytes records = readRecords(file);
        if (unchanged(file, records, chunk))
            return snapshotOf(std::move(records), FileDescriptor(), list);
    }
    throw StoreError::io(5);
}

const ContactRecord &ContactSnapshot::record(std::int64_t recordNumber) const
{
    return static_cast<const SnapshotRecords &>(*records).at(recordNumber);
}

std::size_t ContactSnapshot::recordCount() const
{
    return static_cast<const SnapshotRecords &>(*records).all().count;
}

} // namespace vcq
