// SPDX-License-Identifier: GPL-3.0-or-later
// The file the print dialog writes when the system has no printer: it must be
// an ordinary file or absent. A symbolic link (whose target printing would
// overwrite), a pipe, a device or a folder in its place is refused.
#pragma once

#include <string>

namespace vcq::print
{

enum class PdfTarget {
    Usable,        // absent, or an ordinary file of its own
    SymbolicLink,  // a link, whatever it points at
    NotRegularFile // a pipe, device, socket or folder
};

// Looks at the name itself, never through a link.
PdfTarget checkPdfTarget(const std::string &path);

// Puts the finished document `written` at `target` by renaming it there: the
// name is replaced, never a file a link at that name would lead to. False,
// with errno set, when it cannot be done.
bool placePdf(const std::string &written, const std::string &target);

} // namespace vcq::print
