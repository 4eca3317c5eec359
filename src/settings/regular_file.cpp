// SPDX-License-Identifier: GPL-3.0-or-later
#include "regular_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vcq
{

namespace
{

FileIdentity identityOf(const struct stat &st)
{
    FileIdentity id;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::int64_t>(st.st_size);
    id.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.changedNs = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

} // namespace

SmallFile readSmallRegularFile(const std::string &path, std::size_t cap,
                               const FileIdentity *unchangedIf)
{
    SmallFile result;
    // O_NONBLOCK: opening a pipe with no writer must not wait.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.error = errno;
        result.status = errno == ENOENT || errno == ENOTDIR ? SmallFileStatus::Missing
                        : errno == ENXIO || errno == ENODEV ? SmallFileStatus::NotRegular
                                                            : SmallFileStatus::Unreadable;
        return result;
    }
    struct stat st {
    };
    if (::fstat(fd, &st) != 0) {
        result.error = errno;
        result.status = SmallFileStatus::Unreadable;
    } else if (!S_ISREG(st.st_mode)) {
        result.status = SmallFileStatus::NotRegular;
    } else if (static_cast<std::uint64_t>(st.st_size) > cap) {
        result.status = SmallFileStatus::TooLarge;
    } else {
        result.identity = identityOf(st);
        if (unchangedIf && *unchangedIf == result.identity) {
            result.status = SmallFileStatus::Unchanged;
        } else {
            result.status = SmallFileStatus::Read;
            // Read at most one byte past the cap: a file that grows meanwhile
            // is caught as too large, never read without end.
            result.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
            std::size_t done = 0;
            while (done <= cap && done < result.bytes.size()) {
                const ssize_t n =
                    ::read(fd, result.bytes.data() + done, result.bytes.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0) {
                    result.error = errno;
                    result.status = SmallFileStatus::Unreadable;
                    break;
                }
                if (n == 0)
                    break;
                done += static_cast<std::size_t>(n);
                if (done == result.bytes.size() && done <= cap)
                    result.bytes.resize(std::min(cap + 1, done * 2));
            }
            result.bytes.resize(done);
            if (done > cap)
                result.status = SmallFileStatus::TooLarge;
            if (result.status != SmallFileStatus::Read)
                result.bytes.clear();
        }
    }
    ::close(fd);
    return result;
}

} // namespace vcq
