// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_lock.h"

#include <cerrno>
#include <sys/file.h>
#include <thread>

namespace vcq
{

namespace
{

int tryLock(int fd, int operation)
{
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

} // namespace

bool lockShared(int fd)
{
    return tryLock(fd, LOCK_SH) == 0;
}

bool heldByAnotherCopy(int fd)
{
    // A shared lock is refused only while someone holds the exclusive one.
    if (tryLock(fd, LOCK_SH) == EWOULDBLOCK)
        return true;
    ::flock(fd, LOCK_UN);
    return false;
}

int lockExclusive(int fd, std::chrono::milliseconds wait)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + wait;
    for (;;) {
        const int err = tryLock(fd, LOCK_EX);
        if (err != EWOULDBLOCK)
            return err;
        if (heldByAnotherCopy(fd) || Clock::now() >= until)
            return EWOULDBLOCK;
        // Readers hold it for as long as an export takes: seconds at most.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace vcq
