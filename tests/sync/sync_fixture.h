// SPDX-License-Identifier: GPL-3.0-or-later
// This desktop in a sync test: a data file in a scratch folder, its store,
// and a client set up for a test server.
#pragma once

#include "dav_server.h"

#include "interop/vcard_reader.h"
#include "store/contact_store.h"
#include "sync/dav_client.h"
#include "sync/sync_backup.h"
#include "sync/sync_engine.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <initializer_list>
#include <utility>

namespace vcq::synctest
{

inline ContactRecord contact(std::string_view last, std::string_view first,
                             std::initializer_list<std::pair<Field, std::string_view>> more = {})
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    r.set(Field::Birth, "  -  -  ");
    for (const auto &[f, v] : more)
        r.set(f, v);
    return r;
}

inline DavServer::Kind kindOf(const QString &name)
{
    return name == "xandikos" ? DavServer::Kind::Xandikos : DavServer::Kind::Radicale;
}

class Desk
{
public:
    Desk(const QString &folder, DavServer &server) : m_folder(folder), m_server(server)
    {
        QDir().mkpath(folder);
        path = folder + "/VCQ97.NAM";
        store.open(path.toStdString());
        store.loadContacts();
        client.setCredentials(server.collectionUrl(), server.user(), server.password());
    }

    sync::SyncReport sync(std::function<void(const char *, int, int)> progress = {},
                          int saveEvery = 250)
    {
        sync::SyncOptions options;
        options.dataFilePath = path;
        options.collection = m_server.collectionUrl();
        options.saveEvery = saveEvery;
        options.progress = std::move(progress);
        options.backup = [this](QString *copy, QString *problem) {
            return sync::backupDataFileBeforeSync(path, copy, problem);
        };
        return sync::runSync(store, client, options);
    }

    // Reads the file again, as the next run of the program would.
    void reopen()
    {
        store.close();
        store.open(path.toStdString());
        store.loadContacts();
    }

    const ContactNode *find(std::string_view last) const
    {
        for (const ContactNode &n : store.list()) {
            if (n.field(Field::LastName) == last)
                return &n;
        }
        return nullptr;
    }
    std::string field(std::string_view last, Field f) const
    {
        const ContactNode *n = find(last);
        return n ? n->field(f) : std::string("<absent>");
    }
    void edit(std::string_view last, Field f, std::string_view value)
    {
        const ContactNode *n = find(last);
        QVERIFY(n);
        ContactRecord r = n->record();
        r.set(f, value);
        QVERIFY(store.rewrite(n->RecordNumber, r));
    }

    QString path;
    ContactStore store;
    sync::DavClient client;

private:
    QString m_folder;
    DavServer &m_server;
};

// The server's cards as read by the vCard reader, by file name.
inline std::map<QString, interop::VCard> serverCards(DavServer &server)
{
    std::map<QString, interop::VCard> out;
    for (const QString &name : server.cardNames()) {
        const QByteArray bytes = server.getCard(name);
        auto read = interop::readVCards(std::string_view(bytes.constData(), bytes.size()));
        if (!read.cards.empty())
            out[name] = read.cards.front().card;
    }
    return out;
}

inline std::string familyName(const interop::VCard &card)
{
    const interop::VCardProperty *n = card.first("N");
    return n && !n->values.empty() ? n->values.front() : std::string();
}

} // namespace vcq::synctest
