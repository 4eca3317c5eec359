// SPDX-License-Identifier: GPL-3.0-or-later
// The copy of the data file a sync makes before it first changes the file.
#pragma once

#include <QString>

namespace vcq::sync
{

// Copies the data file beside itself with a timestamp (the newest five kept);
// false with problem set when it could not.
bool backupDataFileBeforeSync(const QString &dataFilePath, QString *backupPath, QString *problem);

} // namespace vcq::sync
