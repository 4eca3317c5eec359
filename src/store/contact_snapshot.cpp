// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_snapshot.h"

#include "io_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Every whole record of the file, read straight into record objects.
std::vector<ContactRecord> readRecords(const ReadOnlyFile &file)
{
    const std::size_t size = file.wholeBytes();
    std::vector<ContactRecord> records(size / kRecordSize);
    const std::size_t got = file.read(reinterpret_cast<unsigned char *>(records.data()), size, 0);
    records.resize(got / kRecordSize);
    return records;
}

// A second pass finds the same bytes, and the file has not grown meanwhile.
bool unchanged(const ReadOnlyFile &file, const std::vector<ContactRecord> &records,
               std::vector<unsigned char> &chunk)
{
    const std::size_t size = records.size() * kRecordSize;
    if (file.wholeBytes() != size)
        return false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(records.data());
    for (std::size_t offset = 0; offset < size; offset += kChunkBytes) {
        const std::size_t want = std::min(kChunkBytes, size - offset);
        if (file.read(chunk.data(), want, offset) != want ||
            std::memcmp(chunk.data(), bytes + offset, want) != 0)
            return false;
    }
    return true;
}

} // namespace

ContactSnapshot readSnapshot(const std::string &path)
{
    if (path.empty())
        throw StoreError::io(2);
    const ReadOnlyFile file(path);
    std::vector<unsigned char> chunk(kChunkBytes);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::vector<ContactRecord> records = readRecords(file);
        if (!unchanged(file, records, chunk))
            continue;
        if (records.empty())
            throw StoreError::of(StoreErrc::WrongFileFormat);
        ContactSnapshot snapshot;
        snapshot.header = records.front();
        snapshot.list.beginLoad(records.size());
        for (std::size_t slot = 1; slot < records.size(); ++slot)
            if (!records[slot].isTombstone())
                snapshot.list.loadRecord(static_cast<std::int32_t>(slot), records[slot]);
        snapshot.list.endLoad();
        return snapshot;
    }
    throw StoreError::io(5);
}

} // namespace vcq
