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
    case 106:
        return "Invalid numeric input";
    default:
        return "I/O error " + std::to_string(code);
    }
}

int ioCodeFromErrno(int err)
{
    switch (err) {
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
        return 101;
    default:
        return err;
    }
}

StoreError StoreError::io(int code)
{
    return StoreError(StoreErrc::Io, code, ioErrorMessage(code));
}

StoreError StoreError::fromErrno(int err)
{
    return io(ioCodeFromErrno(err));
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
    case StoreErrc::Io:
        break;
    }
    return io(0);
}

} // namespace vcq
