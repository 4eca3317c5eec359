// SPDX-License-Identifier: GPL-3.0-or-later
// The files a sync keeps beside the data file (its state and its settings):
// any content is read without a fault, and what is read is saved and read
// back the same. The first byte chooses the file.
#include "fuzz_check.h"
#include "sync/sync_settings.h"
#include "sync/sync_state.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace vcq::sync;

namespace
{

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(bytes) == bytes.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0 || size > 1 << 16)
        return 0;
    static const QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString dataFile = dir.filePath(QStringLiteral("VCQ97.NAM"));
    if (data[0] % 2 == 0) {
        const QString path = syncStatePath(dataFile);
        write(path, bytes);
        SyncState state;
        if (loadSyncState(path, state, nullptr, false) != StateLoad::Loaded)
            return 0;
        FUZZ_CHECK(saveSyncState(path, state));
        SyncState again;
        FUZZ_CHECK(loadSyncState(path, again, nullptr, false) == StateLoad::Loaded);
        FUZZ_CHECK(again == state);
    } else {
        write(syncSettingsPath(dataFile), bytes);
        SyncSettings settings;
        if (!loadSyncSettings(dataFile, settings))
            return 0;
        FUZZ_CHECK(saveSyncSettings(dataFile, settings));
        SyncSettings again;
        FUZZ_CHECK(loadSyncSettings(dataFile, again) && again == settings);
    }
    return 0;
}
