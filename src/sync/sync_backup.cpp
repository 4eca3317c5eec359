// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_backup.h"

#include "interop/backup.h"
#include "store/io_error.h"

namespace vcq::sync
{

// Backed up exactly as an import is.
bool backupDataFileBeforeSync(const QString &dataFilePath, QString *backupPath, QString *problem)
{
    try {
        const std::string copy = interop::backupDataFile(dataFilePath.toStdString());
        if (backupPath)
            *backupPath = QString::fromStdString(copy);
        return true;
    } catch (const StoreError &e) {
        if (problem)
            *problem = QString::fromLocal8Bit(e.what());
        return false;
    }
}

} // namespace vcq::sync
