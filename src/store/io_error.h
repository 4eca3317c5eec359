// SPDX-License-Identifier: GPL-3.0-or-later
// Errors of the data file. I/O errors carry the operating-system style code
// and the message the program shows for it; the other kinds are named codes
// whose text the window chooses in the user's language.
#pragma once

#include <stdexcept>
#include <string>

namespace vcq
{

enum class StoreErrc {
    Io,               // code() and what() say which
    WrongFileFormat,  // not a data file of ours (too short to hold the header)
    ReservedLastName, // a last name that would read back as a deletion
    NotOpen,          // no data file is open
    LinkLoop,         // the name leads round a loop of symbolic links
    DanglingLink,     // the name is a symbolic link to nothing
    NotRegularFile,   // a pipe, device, socket or folder, never a data file
    TooManyRecords,   // more records than a record number can address
    FileShrunk,       // another program cut the file short while it was open
};

// Whether an I/O error happened while reading or while writing: the same
// low-level fault (EIO) is told apart by it.
enum class IoOp { Read, Write };

// The codes of the two disk faults, as Windows numbers them.
inline constexpr int kDiskWriteError = 29;
inline constexpr int kDiskReadError = 30;

class StoreError : public std::runtime_error
{
public:
    StoreError(StoreErrc kind, int code, const std::string &message)
        : std::runtime_error(message), m_kind(kind), m_code(code)
    {
    }
    StoreErrc kind() const { return m_kind; }
    // The I/O code (2, 3, 4, 5, 100, 101, ...) for StoreErrc::Io, else 0.
    int code() const { return m_code; }

    static StoreError io(int code);
    static StoreError fromErrno(int err, IoOp op = IoOp::Read);
    static StoreError of(StoreErrc kind);

private:
    StoreErrc m_kind;
    int m_code;
};

// "File not found", "File access denied", ..., otherwise "I/O error %d".
std::string ioErrorMessage(int code);
// Maps an errno value to the program's I/O code.
int ioCodeFromErrno(int err, IoOp op = IoOp::Read);

} // namespace vcq
