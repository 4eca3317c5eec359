// SPDX-License-Identifier: GPL-3.0-or-later
// Backups of the data file before a bulk change (an import, a sync): the file
// is copied beside itself as "VCQ97.NAM.<UTC time>" and only the newest few
// copies are kept. A copy appears under its final name only once it is whole.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vcq::interop
{

inline constexpr int kBackupsKept = 5;

// Copies the data file to "<dataFilePath>.YYYYMMDDTHHMMSS.mmmZ" (a "-2", "-3"
// ... suffix when that name is taken), flushed to the disk, then removes the
// oldest backups of that file beyond `keep`. Returns the copy's path. Throws
// StoreError (an I/O code) when no copy could be made; nothing is removed then.
std::string
backupDataFile(const std::string &dataFilePath, int keep = kBackupsKept,
               std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// The backups of a data file, oldest first. Other files beside it, even with
// similar names, are not backups and are never listed or removed.
std::vector<std::string> listBackups(const std::string &dataFilePath);

} // namespace vcq::interop
