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
    // 0600 at creation is already private under any umask (a umask only
    // removes bits); O_EXCL tells a new file from an existing one.
    int fd = ::open(path.c_str(), flags | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST)
        return fd;
    return ::open(path.c_str(), (flags & ~O_EXCL) | O_CLOEXEC);
}

} // namespace vcq
