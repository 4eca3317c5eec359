// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_snapshot.h"

#include "io_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
        if (m_fd < 0)
            throw StoreError::fromErrno(errno);
    }
    ~ReadOnlyFile() { ::close(m_fd); }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    // Whole records only; a trailing partial record is never read.
    std::size_t wholeBytes() const
    {
        struct stat st {
        };
        if (::fstat(m_fd, &st) != 0)
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
                ::pread(m_fd, buffer + done, size - done, static_cast<off_t>(offset + done));
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
    int m_fd;
};

// Every whole record of the file.
struct RecordBytes {
    struct Release {
        void operator()(ContactRecord *records) const { ::operator delete(records); }
    };
    std::unique_ptr<ContactRecord[], Release> records;
    std::size_t count = 0;
};

RecordBytes readRecords(const ReadOnlyFile &file)
{
    const std::size_t size = file.wholeBytes();
    RecordBytes records;
    // Raw storage, not records cleared one by one: the read fills it, and a
    // large file makes that pass costly. A record is exactly its bytes.
    records.records.reset(
        static_cast<ContactRecord *>(::operator new(std::max<std::size_t>(size, kRecordSize))));
    records.count =
        file.read(reinterpret_cast<unsigned char *>(records.records.get()), size, 0) / kRecordSize;
    return records;
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

// The records of a snapshot, by record number.
class SnapshotRecords final : public RecordSource
{
public:
    explicit SnapshotRecords(RecordBytes records) : m_records(std::move(records)) {}
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
};

} // namespace

ContactSnapshot readSnapshot(const std::string &path)
{
    if (path.empty())
        throw StoreError::io(2);
    const ReadOnlyFile file(path);
    std::vector<unsigned char> chunk(kChunkBytes);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        RecordBytes records = readRecords(file);
        if (!unchanged(file, records, chunk))
            continue;
        if (records.count == 0)
            throw StoreError::of(StoreErrc::WrongFileFormat);
        ContactSnapshot snapshot;
        snapshot.header = records.records[0];
        // The list takes the names and sorts once; the other fields stay in
        // the records read, which the snapshot keeps.
        auto source = std::make_unique<SnapshotRecords>(std::move(records));
        const RecordBytes &all = source->all();
        snapshot.list.setRecordSource(source.get());
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
    throw StoreError::io(5);
}

const ContactRecord &ContactSnapshot::record(std::int64_t recordNumber) const
{
    return static_cast<const SnapshotRecords &>(*records).at(recordNumber);
}

} // namespace vcq
