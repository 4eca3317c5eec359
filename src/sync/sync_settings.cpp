// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_settings.h"

#include "store/private_file.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace vcq::sync
{

QString syncSettingsPath(const QString &dataFilePath)
{
    return dataFilePath + QStringLiteral(".carddav");
}

bool loadSyncSettings(const QString &dataFilePath, SyncSettings &out, QString *problem)
{
    out = {};
    QFile file(syncSettingsPath(dataFilePath));
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = file.exists() ? file.errorString() : QString();
        return false;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(1 << 20), &error);
    const QJsonObject o = doc.object();
    out.server = o.value(QLatin1String("server")).toString();
    out.collection = o.value(QLatin1String("collection")).toString();
    out.user = o.value(QLatin1String("user")).toString();
    out.fingerprint = o.value(QLatin1String("fingerprint")).toString();
    out.intervalMinutes = o.value(QLatin1String("intervalMinutes")).toInt();
    out.allowInsecureHttp = o.value(QLatin1String("allowInsecureHttp")).toBool();
    if (doc.isNull() || out.collection.isEmpty()) {
        if (problem)
            *problem = file.fileName() + QStringLiteral(": ") +
                       (doc.isNull() ? error.errorString() : QStringLiteral("no address book"));
        out = {};
        return false;
    }
    return true;
}

bool saveSyncSettings(const QString &dataFilePath, const SyncSettings &s, QString *problem)
{
    QJsonObject o;
    o.insert(QLatin1String("server"), s.server);
    o.insert(QLatin1String("collection"), s.collection);
    o.insert(QLatin1String("user"), s.user);
    o.insert(QLatin1String("fingerprint"), s.fingerprint);
    o.insert(QLatin1String("intervalMinutes"), s.intervalMinutes);
    if (s.allowInsecureHttp)
        o.insert(QLatin1String("allowInsecureHttp"), true);
    QSaveFile file(syncSettingsPath(dataFilePath));
    if (!file.open(QIODevice::WriteOnly) || !makePrivate(int(file.handle())) ||
        file.write(QJsonDocument(o).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        if (problem)
            *problem = file.fileName() + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

QString passwordKey(const SyncSettings &settings)
{
    return settings.user + QLatin1Char('@') + settings.collection;
}

} // namespace vcq::sync
