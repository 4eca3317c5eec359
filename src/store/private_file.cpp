// SPDX-License-Identifier: GPL-3.0-or-later
#include "private_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vcq
{

int openPrivateFile(const std::string &path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CREAT | O_CLOEXEC, kPrivateFileMode);
    if (fd < 0)
        return -1;
    // A umask can only take bits away; one that took the owner's leaves a
    // file the program could not use: put them back.
    if (!makePrivate(fd)) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

bool makePrivate(int fd)
{
    struct stat st {
    };
    if (::fstat(fd, &st) != 0)
        return false;
    if ((st.st_mode & 07777) == kPrivateFileMode)
        return true;
    return ::fchmod(fd, kPrivateFileMode) == 0;
}

} // namespace vcq
