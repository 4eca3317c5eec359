// SPDX-License-Identifier: GPL-3.0-or-later
// Files the program creates hold contacts, settings or where they sync to:
// they are readable and writable by their owner only (600), whatever the
// umask. An existing data file keeps its mode; everything else the program
// writes is made private again when it writes it.
#pragma once

#include <string>

#include <sys/types.h>

namespace vcq
{

constexpr mode_t kPrivateFileMode = 0600;

// open(2) with O_CREAT and O_CLOEXEC added; a file it creates is private.
// Returns the descriptor, or -1 with errno set.
int openPrivateFile(const std::string &path, int flags);
// Makes an open file private (for files opened by other means, such as a
// QSaveFile's temporary file); false with errno set when it could not.
bool makePrivate(int fd);

} // namespace vcq
