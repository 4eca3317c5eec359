// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_state.h"

#include "dav_xml.h"

#include "store/private_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace vcq::sync
{

namespace
{

constexpr int kFormat = 1;

// Field bytes are the data file's code page: each byte becomes the character
// of the same number, so every value 0..255 comes back unchanged.
QJsonArray recordToJson(const ContactRecord &r)
{
    QJsonArray fields;
    for (Field f : kContactFields) {
        const std::string_view text = r.view(f);
        fields.append(QString::fromLatin1(text.data(), qsizetype(text.size())));
    }
    return fields;
}

bool recordFromJson(const QJsonValue &value, ContactRecord &out)
{
    const QJsonArray fields = value.toArray();
    if (!value.isArray() || fields.size() != kContactFieldCount)
        return false;
    out = ContactRecord();
    for (int i = 0; i < kContactFieldCount; ++i) {
        if (!fields.at(i).isString())
            return false;
        const QString text = fields.at(i).toString();
        for (QChar c : text) {
            if (c.unicode() > 0xff)
                return false;
        }
        const QByteArray bytes = text.toLatin1();
        out.set(kContactFields[std::size_t(i)], std::string_view(bytes.constData(), bytes.size()));
    }
    return true;
}

bool fail(QString *problem, const QString &text)
{
    if (problem)
        *problem = text;
    return false;
}

bool parseState(const QByteArray &bytes, SyncState &out, QString *problem)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (doc.isNull())
        return fail(problem, error.errorString());
    const QJsonObject root = doc.object();
    if (root.value(QLatin1String("format")).toInt() != kFormat)
        return fail(problem, QStringLiteral("unknown format"));
    out.collection = root.value(QLatin1String("collection")).toString();
    out.syncToken = root.value(QLatin1String("syncToken")).toString();
    out.complete = root.value(QLatin1String("complete")).toBool();
    const QJsonArray entries = root.value(QLatin1String("contacts")).toArray();
    out.entries.reserve(std::size_t(entries.size()));
    for (const QJsonValue &v : entries) {
        const QJsonObject o = v.toObject();
        SyncEntry e;
        e.record = o.value(QLatin1String("record")).toInt(-1);
        e.href = o.value(QLatin1String("href")).toString();
        e.etag = o.value(QLatin1String("etag")).toString().toUtf8();
        e.card =
            o.contains(QLatin1String("cardBase64"))
                ? QByteArray::fromBase64(o.value(QLatin1String("cardBase64")).toString().toLatin1())
                : o.value(QLatin1String("card")).toString().toUtf8();
        e.onServer = o.value(QLatin1String("onServer")).toBool(true);
        if (e.href.isEmpty() || !recordFromJson(o.value(QLatin1String("synced")), e.synced))
            return fail(problem, QStringLiteral("damaged entry %1").arg(out.entries.size() + 1));
        out.entries.push_back(std::move(e));
    }
    const QJsonObject left = root.value(QLatin1String("leftOnServer")).toObject();
    for (auto it = left.begin(); it != left.end(); ++it)
        out.leftOnServer[it.key()] = it.value().toString().toUtf8();
    return true;
}

} // namespace

QString syncStatePath(const QString &dataFilePath)
{
    return dataFilePath + QStringLiteral(".syncstate");
}

QString conflictsPath(const QString &dataFilePath)
{
    return dataFilePath + QStringLiteral(".conflicts.vcf");
}

StateLoad loadSyncState(const QString &path, SyncState &out, QString *problem, bool setAside)
{
    out = {};
    QFile file(path);
    if (!file.exists())
        return StateLoad::Missing;
    QString why;
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
    } else {
        const QByteArray bytes = file.readAll();
        file.close();
        if (parseState(bytes, out, &why))
            return StateLoad::Loaded;
    }
    out = {};
    if (!setAside) {
        if (problem)
            *problem = why + QStringLiteral(" (") + path + QLatin1Char(')');
        return StateLoad::Damaged;
    }
    const QString aside = path + QStringLiteral(".damaged");
    QFile::remove(aside);
    QFile::rename(path, aside);
    if (problem)
        *problem = why + QStringLiteral(" (") + aside + QLatin1Char(')');
    return StateLoad::Damaged;
}

bool saveSyncState(const QString &path, const SyncState &state, QString *problem)
{
    QJsonArray entries;
    for (const SyncEntry &e : state.entries) {
        QJsonObject o;
        o.insert(QLatin1String("record"), e.record);
        o.insert(QLatin1String("href"), e.href);
        o.insert(QLatin1String("etag"), QString::fromUtf8(e.etag));
        // A card that is not UTF-8 would not come back byte for byte as text.
        const QString text = QString::fromUtf8(e.card);
        if (text.toUtf8() == e.card)
            o.insert(QLatin1String("card"), text);
        else
            o.insert(QLatin1String("cardBase64"), QString::fromLatin1(e.card.toBase64()));
        o.insert(QLatin1String("synced"), recordToJson(e.synced));
        if (!e.onServer)
            o.insert(QLatin1String("onServer"), false);
        entries.append(o);
    }
    QJsonObject root;
    root.insert(QLatin1String("format"), kFormat);
    root.insert(QLatin1String("collection"), state.collection);
    root.insert(QLatin1String("syncToken"), state.syncToken);
    root.insert(QLatin1String("complete"), state.complete);
    root.insert(QLatin1String("contacts"), entries);
    if (!state.leftOnServer.empty()) {
        QJsonObject left;
        for (const auto &[href, etag] : state.leftOnServer)
            left.insert(href, QString::fromUtf8(etag));
        root.insert(QLatin1String("leftOnServer"), left);
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !makePrivate(int(file.handle())))
        return fail(problem, file.errorString());
    file.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    if (!file.commit())
        return fail(problem, file.errorString());
    return true;
}

void SyncIndex::rebuild(const SyncState &state)
{
    m_href.clear();
    m_record.clear();
    for (std::size_t i = 0; i < state.entries.size(); ++i) {
        const SyncEntry &e = state.entries[i];
        m_href[hrefKey(e.href)] = int(i);
        if (e.record >= 0)
            m_record[e.record] = int(i);
    }
}

int SyncIndex::byHref(const QString &href) const
{
    const auto it = m_href.find(hrefKey(href));
    return it == m_href.end() ? -1 : it->second;
}

int SyncIndex::byRecord(std::int32_t record) const
{
    const auto it = m_record.find(record);
    return it == m_record.end() ? -1 : it->second;
}

void SyncIndex::setHref(const QString &href, int index)
{
    m_href[hrefKey(href)] = index;
}

void SyncIndex::setRecord(std::int32_t record, int index)
{
    m_record[record] = index;
}

void SyncIndex::forgetRecord(std::int32_t record)
{
    m_record.erase(record);
}

} // namespace vcq::sync
