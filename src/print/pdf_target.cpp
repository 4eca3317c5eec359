// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf_target.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vcq::print
{

PdfTarget checkPdfTarget(const std::string &path)
{
    // O_NOFOLLOW: a link at the name fails with ELOOP instead of being opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ELOOP)
            return PdfTarget::SymbolicLink;
        struct stat st {
        };
        if (::lstat(path.c_str(), &st) != 0)
            return PdfTarget::Usable; // absent (or unreadable: the write will tell)
        if (S_ISLNK(st.st_mode))
            return PdfTarget::SymbolicLink;
        return S_ISREG(st.st_mode) ? PdfTarget::Usable : PdfTarget::NotRegularFile;
    }
    struct stat st {
    };
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular ? PdfTarget::Usable : PdfTarget::NotRegularFile;
}

bool placePdf(const std::string &written, const std::string &target)
{
    // Checked again just before: a link put there meanwhile is not replaced.
    if (checkPdfTarget(target) != PdfTarget::Usable) {
        errno = ELOOP;
        return false;
    }
    return std::rename(written.c_str(), target.c_str()) == 0;
}

} // namespace vcq::print
