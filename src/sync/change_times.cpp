// SPDX-License-Identifier: GPL-3.0-or-later
#include "change_times.h"

#include "sync_state.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimeZone>

namespace vcq::sync
{

std::optional<std::int64_t> revisionTime(const QByteArray &card)
{
    QByteArray unfolded = card;
    unfolded.replace("\r\n ", "").replace("\r\n\t", "").replace("\n ", "").replace("\n\t", "");
    for (const QByteArray &line : unfolded.split('\n')) {
        const QByteArray name = line.left(line.indexOf(':')).split(';').value(0).trimmed();
        if (name.compare("REV", Qt::CaseInsensitive) != 0)
            continue;
        const QString value = QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
        QDateTime time = QDateTime::fromString(value, Qt::ISODateWithMs);
        for (const char *format : {"yyyyMMdd'T'HHmmss'Z'", "yyyyMMdd'T'HHmmss", "yyyyMMdd"})
            if (!time.isValid())
                time = QDateTime::fromString(value, QString::fromLatin1(format));
        if (!time.isValid())
            return std::nullopt;
        if (value.endsWith(u'Z') && time.timeSpec() == Qt::LocalTime)
            time.setTimeZone(QTimeZone::utc());
        return time.toMSecsSinceEpoch();
    }
    return std::nullopt;
}

std::vector<std::optional<std::int64_t>> lastChangeTimes(const QString &dataFilePath,
                                                         std::span<const std::int32_t> records,
                                                         std::span<const ContactRecord> contacts)
{
    std::vector<std::optional<std::int64_t>> times(records.size());
    const QString path = syncStatePath(dataFilePath);
    SyncState state;
    if (loadSyncState(path, state, nullptr, false) != StateLoad::Loaded)
        return times;
    const std::int64_t syncedAt = QFileInfo(path).lastModified().toMSecsSinceEpoch();
    SyncIndex index;
    index.rebuild(state);
    for (std::size_t i = 0; i < records.size() && i < contacts.size(); ++i) {
        const int e = index.byRecord(records[i]);
        if (e < 0)
            continue;
        const SyncEntry &entry = state.entries[std::size_t(e)];
        bool changedHere = false;
        for (const Field f : kContactFields)
            changedHere |= entry.synced.view(f) != contacts[i].view(f);
        times[i] =
            changedHere ? std::optional<std::int64_t>(syncedAt + 1) : revisionTime(entry.card);
    }
    return times;
}

} // namespace vcq::sync
