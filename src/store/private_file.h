// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file the program keeps beside the data file so that, when the
// call creates it, only its owner may read it (mode 600), whatever the umask.
// An existing file keeps its mode.
#pragma once

#include <string>

namespace vcq
{

// open(2) with O_CREAT | O_CLOEXEC added to flags; a file made by this call
// gets mode 600. Returns the descriptor, or -1 with errno set.
int openPrivateFile(const std::string &path, int flags);

} // namespace vcq
