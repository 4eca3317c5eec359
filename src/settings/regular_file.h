// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the program's small configuration files ("Filter.txt", the settings
// file) only when they are ordinary files of a sane size: a pipe, a device or
// a huge file in their place must neither hang nor exhaust the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vcq
{

enum class SmallFileStatus {
    Read,       // bytes holds the whole file
    Unchanged,  // the file is the one described by `unchangedIf`; nothing read
    Missing,    // no such file (a link to nothing counts as none)
    NotRegular, // a pipe, a device, a socket or a folder: left alone
    TooLarge,   // larger than the cap: left alone
    Unreadable, // error holds the errno
};

// What tells one version of a file from another without reading it.
struct FileIdentity {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = -1, modifiedNs = 0, changedNs = 0;
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

struct SmallFile {
    SmallFileStatus status = SmallFileStatus::Missing;
    int error = 0;
    std::string bytes;
    FileIdentity identity;
};

inline constexpr std::size_t kFilterFileCap = 1024 * 1024;       // the status list
inline constexpr std::size_t kSettingsFileCap = 4 * 1024 * 1024; // the settings file

// Reads `path` whole when it is a regular file of at most `cap` bytes. With
// `unchangedIf`, a file whose identity equals it is not read again.
SmallFile readSmallRegularFile(const std::string &path, std::size_t cap,
                               const FileIdentity *unchangedIf = nullptr);

} // namespace vcq
