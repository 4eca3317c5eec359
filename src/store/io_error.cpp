// SPDX-License-Identifier: GPL-3.0-or-later
#include "io_error.h"

#include <cerrno>

namespace vcq
{

std::string ioErrorMessage(int code)
{
    switch (code) {
    case 2:
        return "File not found";
    case 3:
        return "Invalid filename";
    case 4:
        return "Too many open files";
    case 5:
        return "File access denied";
    case 100:
        return "Read beyond end of file";
    case 101:
        return "Disk full";
    case kDiskWriteError:
        return "Disk write error";
    case kDiskReadError:
        return "Disk read error";
    case 106:
        return "Invalid numeric input";
    default:
        return "I/O error " + std::to_string(code);
    }
}

int ioCodeFromErrno(int err, IoOp op)
{
    switch (err) {
    case EIO:
        return op == IoOp::Read ? kDiskReadError : kDiskWriteError;
    case ENOENT:
        return 2;
    case ENAMETOOLONG:
    case ENOTDIR:
    case EISDIR:
    case EINVAL:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EWOULDBLOCK:
    case ETXTBSY:
        return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 101;
    default:
        return err;
    }
}

StoreError StoreError::io(int code)
{
    return StoreError(StoreErrc::Io, code, ioErrorMessage(code));
}

StoreError StoreError::fromErrno(int err, IoOp op)
{
    switch (err) {
    case ELOOP:
        return of(StoreErrc::LinkLoop);
    case ESPIPE:
    case ENXIO:
    case ENODEV:
        return of(StoreErrc::NotRegularFile);
    default:
        return io(ioCodeFromErrno(err, op));
    }
}

StoreError StoreError::of(StoreErrc kind)
{
    switch (kind) {
    case StoreErrc::WrongFileFormat:
        return StoreError(kind, 0, "Wrong file format !");
    case StoreErrc::ReservedLastName:
        return StoreError(kind, 0, "This last name is reserved !");
    case StoreErrc::NotOpen:
        return StoreError(kind, 0, "No data file is open");
    case StoreErrc::LinkLoop:
        return StoreError(kind, 0, "The data file's name leads round a loop of symbolic links.");
    case StoreErrc::DanglingLink:
        return StoreError(kind, 0,
                          "The data file's name is a symbolic link to a file that does "
                          "not exist.");
    case StoreErrc::NotRegularFile:
        return StoreError(kind, 0,
                          "The data file's name is not an ordinary file (a pipe, a "
                          "device or a folder); it has been left alone.");
    case StoreErrc::TooManyRecords:
        return StoreError(kind, 0,
                          "The data file holds more records than this program can "
                          "address; it has been left alone.");
    case StoreErrc::FileShrunk:
        return StoreError(kind, 0,
                          "Another program has cut the data file short; nothing was "
                          "written. Restart the program to read the file again.");
    case StoreErrc::Io:
        break;
    }
    return io(0);
}

} // namespace vcq
