// SPDX-License-Identifier: GPL-3.0-or-later
// The data file's lock. A running copy of the program (the window, an import,
// a sync) holds it exclusively for as long as it has the file open; a reader
// that needs the file to stay as it is (an export) holds it shared while it
// reads. These are flock() locks: the system drops them when the holder ends.
#pragma once

#include <chrono>

namespace vcq
{

// How long a copy of the program that is starting waits for readers.
inline constexpr std::chrono::milliseconds kReadersWait{30000};

// Takes the exclusive lock of fd, waiting up to wait while only readers hold
// it. Answers 0, or the errno: EWOULDBLOCK when another copy holds the file
// (or readers kept it for longer than wait).
int lockExclusive(int fd, std::chrono::milliseconds wait = kReadersWait);

// Takes the shared lock of fd when no copy of the program holds the file;
// false, with no lock taken, when one does.
bool lockShared(int fd);

// True when a running copy of the program holds the file of fd (readers do
// not count). fd itself must hold no lock.
bool heldByAnotherCopy(int fd);

} // namespace vcq
