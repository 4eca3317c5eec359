// SPDX-License-Identifier: GPL-3.0-or-later
// Two-way sync against real servers started on 127.0.0.1: Radicale and the
// stricter Xandikos. The other device is curl, writing cards as a phone would.
#include "sync_fixture.h"

#include "store/undo_history.h"
#include "sync/discovery.h"
#include "sync/sync_state.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSslCertificate>
#include <QTcpServer>
#include <QTest>

#include <algorithm>
#include <set>
#include <stdexcept>

using namespace vcq;
using namespace vcq::synctest;
using sync::ConflictKind;

class TestSyncServers : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DavServer> m_server;

    // Starts the row's server in a scratch folder of the test.
    DavServer &server()
    {
        QFETCH(QString, serverName);
        m_dir = std::make_unique<QTemporaryDir>(QDir::currentPath() + "/run-XXXXXX");
        m_server = std::make_unique<DavServer>(kindOf(serverName), m_dir->path() + "/server");
        if (!m_server->start())
            qFatal("%s", qPrintable(m_server->error()));
        return *m_server;
    }
    QString folder(const char *name) const { return m_dir->path() + "/" + name; }

    static void bothServers()
    {
        QTest::addColumn<QString>("serverName");
        QTest::newRow("radicale") << "radicale";
        QTest::newRow("xandikos") << "xandikos";
    }

private slots:
    void cleanup()
    {
        m_server.reset();
        m_dir.reset();
    }

    void discovery_data()
    {
        QTest::addColumn<QString>("serverName");
        QTest::addColumn<bool>("fromCollection");
        for (const char *s : {"radicale", "xandikos"}) {
            QTest::addRow("%s from the server address", s) << s << false;
            QTest::addRow("%s from the collection", s) << s << true;
        }
    }
    void discovery()
    {
        QFETCH(bool, fromCollection);
        DavServer &srv = server();
        sync::DavClient client;
        client.setCredentials(srv.baseUrl(), srv.user(), srv.password());
        const auto found =
            sync::discoverAddressBook(client, fromCollection ? srv.collectionUrl() : srv.baseUrl());
        QCOMPARE(found.error.code, sync::SyncErrc::None);
        QCOMPARE(found.collection, srv.collectionUrl());
    }

    void discoveryFailures()
    {
        // Nothing listening there, and an address that is not http(s).
        sync::DavClient client;
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        const auto found = sync::discoverAddressBook(
            client, QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
        QCOMPARE(found.error.code, sync::SyncErrc::Network);
        QCOMPARE(sync::discoverAddressBook(client, QUrl("ftp://example.invalid/")).error.code,
                 sync::SyncErrc::BadUrl);
    }

    // First sync with contacts only here, only on the server, or both, some
    // of them the same person on both sides (same name and phone).
    void firstSync_data()
    {
        QTest::addColumn<QString>("serverName");
        QTest::addColumn<int>("here");
        QTest::addColumn<int>("there");
        QTest::addColumn<int>("both");
        for (const char *s : {"radicale", "xandikos"}) {
            QTest::addRow("%s upload", s) << s << 3 << 0 << 0;
            QTest::addRow("%s download", s) << s << 0 << 3 << 0;
            QTest::addRow("%s both ways", s) << s << 2 << 2 << 2;
        }
    }
    void firstSync()
    {
        QFETCH(int, here);
        QFETCH(int, there);
        QFETCH(int, both);
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        for (int i = 0; i < here; ++i)
            desk.store.add(contact("Here" + std::to_string(i), "Anne",
                                   {{Field::Phone1, "555-010" + std::to_string(i)}}));
        for (int i = 0; i < there; ++i) {
            const QString n = QString::number(i);
            QCOMPARE(srv.putCard("there" + n + ".vcf", phoneCard("there" + n, "There" + n, "Bob",
                                                                 {"TEL;TYPE=CELL:555-020" + n})),
                     201);
        }
        for (int i = 0; i < both; ++i) {
            const std::string n = std::to_string(i);
            // The same person: here with a city, there with an e-mail.
            desk.store.add(contact("Both" + n, "Carl",
                                   {{Field::Phone1, "555-030" + n}, {Field::City, "Lyon"}}));
            QCOMPARE(
                srv.putCard(QString::fromStdString("both" + n + ".vcf"),
                            phoneCard(QString::fromStdString("both" + n),
                                      QString::fromStdString("Both" + n), "Carl",
                                      {QString::fromStdString("TEL;TYPE=HOME:555-030" + n),
                                       "EMAIL:carl" + QString::fromStdString(n) + "@example.org"})),
                201);
        }

        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(report.exitCode(), 0);
        const int total = here + there + both;
        QCOMPARE(int(desk.store.list().size()), total);
        QCOMPARE(int(srv.cardNames().size()), total);
        QCOMPARE(report.addedHere, there);
        QCOMPARE(report.uploadedNew, here);
        for (int i = 0; i < both; ++i) {
            const std::string n = std::to_string(i);
            QCOMPARE(desk.field("Both" + n, Field::City), std::string("Lyon"));
            QCOMPARE(desk.field("Both" + n, Field::Email), "carl" + n + "@example.org");
        }
        // The merged contact's city reached the server too.
        int withCity = 0;
        for (const auto &[name, card] : serverCards(srv)) {
            if (const auto *adr = card.first("ADR");
                adr && adr->values.size() > 3 && adr->values[3] == "Lyon")
                ++withCity;
        }
        QCOMPARE(withCity, both);
        // The data file is copied first whenever the sync changes it, and only then.
        QCOMPARE(!report.backupPath.isEmpty(), there + both > 0);

        // Nothing left to do: the next sync changes nothing on either side.
        const auto again = desk.sync();
        QCOMPARE(again.error.code, sync::SyncErrc::None);
        QCOMPARE(again.addedHere + again.changedHere + again.deletedHere, 0);
        QCOMPARE(again.uploadedNew + again.uploadedChanged + again.deletedOnServer, 0);
        QVERIFY2(again.requests <= 2, qPrintable(QString::number(again.requests)));
    }

    void editOnEachSide_data() { bothServers(); }
    void editOnEachSide()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        desk.store.add(contact("Martin", "Paul", {{Field::Phone2, "555-1234"}}));
        QCOMPARE(desk.sync().exitCode(), 0);
        const QStringList names = srv.cardNames();
        QCOMPARE(names.size(), 1);

        desk.edit("Martin", Field::Comment, "Met in Quebec");
        auto report = desk.sync();
        QCOMPARE(report.uploadedChanged, 1);
        QByteArray etag;
        const QByteArray card = srv.getCard(names.front(), &etag);
        QVERIFY2(card.contains("NOTE:Met in Quebec"), card.constData());

        // The phone changes the note; the card keeps its other lines.
        QByteArray changed = card;
        changed.replace("NOTE:Met in Quebec", "NOTE:Moved to Lyon");
        QCOMPARE(srv.putCard(names.front(), changed, nullptr, etag) / 100, 2);
        report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(report.changedHere, 1);
        QCOMPARE(desk.field("Martin", Field::Comment), std::string("Moved to Lyon"));
        QCOMPARE(desk.field("Martin", Field::Phone2), std::string("555-1234"));
    }

    void deleteOnEachSide_data() { bothServers(); }
    void deleteOnEachSide()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        const auto a = desk.store.add(contact("Arnaud", "Lea"));
        desk.store.add(contact("Blanc", "Marc"));
        QCOMPARE(desk.sync().exitCode(), 0);
        QCOMPARE(srv.cardNames().size(), 2);

        QVERIFY(desk.store.remove(a));
        auto report = desk.sync();
        QCOMPARE(report.deletedOnServer, 1);
        const auto cards = serverCards(srv);
        QCOMPARE(cards.size(), std::size_t(1));
        QCOMPARE(familyName(cards.begin()->second), std::string("Blanc"));

        QCOMPARE(srv.deleteCard(cards.begin()->first) / 100, 2);
        report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(report.deletedHere, 1);
        QVERIFY(desk.store.list().empty());
        QVERIFY(srv.cardNames().isEmpty());
    }

    // A sync that deleted a contact (gone from the server), undone: the contact
    // is back in its own record, out of the bin, and the next sync sends it
    // to the server again.
    void undoOfASyncThatDeleted_data()
    {
        QTest::addColumn<QString>("serverName");
        QTest::newRow("radicale") << "radicale";
    }
    void undoOfASyncThatDeleted()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        UndoHistory history(desk.store);
        const auto a = desk.store.add(contact("Arnaud", "Lea", {{Field::Phone1, "514"}}));
        desk.store.add(contact("Blanc", "Marc"));
        QCOMPARE(desk.sync().exitCode(), 0);
        const ContactRecord arnaud = desk.store.recordAt(a);
        for (const auto &[name, card] : serverCards(srv))
            if (familyName(card) == "Arnaud")
                QCOMPARE(srv.deleteCard(name) / 100, 2);
        {
            const UndoHistory::StepScope step(history, StepKind::Sync);
            QCOMPARE(desk.sync().deletedHere, 1);
        }
        QCOMPARE(desk.store.bin().list().front().how, DeletedHow::Synced);

        const UndoOutcome undone = history.undo();
        QCOMPARE(undone.step.kind, StepKind::Sync);
        QCOMPARE(undone.shown, std::vector<std::int32_t>{a});
        QCOMPARE(desk.store.recordAt(a), arnaud);
        QVERIFY(desk.store.bin().list().empty());
        QCOMPARE(desk.sync().uploadedNew, 1);
        std::set<std::string> names;
        for (const auto &[name, card] : serverCards(srv))
            names.insert(familyName(card));
        QCOMPARE(names, (std::set<std::string>{"Arnaud", "Blanc"}));
    }

    // Both sides change the contact: a field changed on both sides takes the
    // server's value and the local one is kept in the conflicts file; fields
    // changed on one side only are all kept.
    void conflict_data()
    {
        QTest::addColumn<QString>("serverName");
        QTest::addColumn<bool>("sameField");
        for (const char *s : {"radicale", "xandikos"}) {
            QTest::addRow("%s same field", s) << s << true;
            QTest::addRow("%s different fields", s) << s << false;
        }
    }
    void conflict()
    {
        QFETCH(bool, sameField);
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        desk.store.add(contact("Roy", "Ines", {{Field::Comment, "first"}}));
        QCOMPARE(desk.sync().exitCode(), 0);
        const QString name = srv.cardNames().value(0);
        QByteArray etag;
        QByteArray card = srv.getCard(name, &etag);
        card.replace("NOTE:first", "NOTE:from the phone");
        QCOMPARE(srv.putCard(name, card, nullptr, etag) / 100, 2);
        if (sameField)
            desk.edit("Roy", Field::Comment, "from the desk");
        else
            desk.edit("Roy", Field::City, "Namur");

        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(desk.field("Roy", Field::Comment), std::string("from the phone"));
        const QByteArray after = srv.getCard(name);
        QVERIFY(after.contains("NOTE:from the phone"));
        if (sameField) {
            QCOMPARE(report.exitCode(), 1);
            QCOMPARE(report.conflicts.size(), std::size_t(1));
            QCOMPARE(report.conflicts[0].kind, ConflictKind::BothChanged);
            QCOMPARE(report.conflicts[0].differences.size(), std::size_t(1));
            QCOMPARE(report.conflicts[0].differences[0].local, std::string("from the desk"));
            QFile kept(sync::conflictsPath(desk.path));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QVERIFY(kept.readAll().contains("NOTE:from the desk"));
            QVERIFY(sync::reportText(report, false).contains("from the desk"));
        } else {
            QCOMPARE(report.exitCode(), 0);
            QCOMPARE(desk.field("Roy", Field::City), std::string("Namur"));
            QVERIFY2(after.contains("Namur"), after.constData());
            QVERIFY(!QFile::exists(sync::conflictsPath(desk.path)));
        }
    }

    // A contact deleted here while the phone changed it comes back; one
    // changed here while the phone deleted it goes, its version kept.
    void deleteAgainstEdit_data() { bothServers(); }
    void deleteAgainstEdit()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        const auto kept = desk.store.add(contact("Kept", "Ana"));
        desk.store.add(contact("Gone", "Ben"));
        QCOMPARE(desk.sync().exitCode(), 0);
        QString keptName, goneName;
        for (const auto &[name, card] : serverCards(srv))
            (familyName(card) == "Kept" ? keptName : goneName) = name;

        QByteArray etag;
        QByteArray card = srv.getCard(keptName, &etag);
        card.replace("END:VCARD", "NOTE:changed on the phone\r\nEND:VCARD");
        QCOMPARE(srv.putCard(keptName, card, nullptr, etag) / 100, 2);
        QVERIFY(desk.store.remove(kept));
        QCOMPARE(srv.deleteCard(goneName) / 100, 2);
        desk.edit("Gone", Field::Comment, "changed on the desk");

        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(report.exitCode(), 1);
        QCOMPARE(desk.field("Kept", Field::Comment), std::string("changed on the phone"));
        QVERIFY(!desk.find("Gone"));
        QCOMPARE(srv.cardNames(), QStringList{keptName});
        QFile file(sync::conflictsPath(desk.path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("changed on the desk"));
    }

    void unknownSyncToken_data() { bothServers(); }
    void unknownSyncToken()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        desk.store.add(contact("Token", "Tom"));
        QCOMPARE(desk.sync().exitCode(), 0);
        sync::SyncState state;
        QCOMPARE(sync::loadSyncState(sync::syncStatePath(desk.path), state),
                 sync::StateLoad::Loaded);
        QVERIFY(!state.syncToken.isEmpty());
        // A token of the server's own form that it never issued.
        state.syncToken = srv.kind() == DavServer::Kind::Radicale
                              ? "http://radicale.org/ns/sync/" + QString(64, 'a')
                              : QString(40, 'a');
        QVERIFY(sync::saveSyncState(sync::syncStatePath(desk.path), state));
        QCOMPARE(srv.putCard("new.vcf", phoneCard("new", "Newcomer", "Nina")), 201);

        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QVERIFY(report.tokenRefused);
        QVERIFY(report.fullListing);
        QCOMPARE(report.addedHere, 1);
        QCOMPARE(report.uploadedNew, 0);
        QCOMPARE(int(desk.store.list().size()), 2);
        QCOMPARE(srv.cardNames().size(), 2);
        // The server handed out a good token again.
        QCOMPARE(sync::loadSyncState(sync::syncStatePath(desk.path), state),
                 sync::StateLoad::Loaded);
        QVERIFY(!state.syncToken.contains(QString(40, 'a')));
    }

    // A phone's card with a photo, five phones, a URL and its own property,
    // edited here: the server's card keeps all that the record cannot hold.
    void richCardKeptIntact_data() { bothServers(); }
    void richCardKeptIntact()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        const QString photo = "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAA"
                              "AfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==";
        QCOMPARE(
            srv.putCard("rich.vcf",
                        phoneCard("rich", "Riche", "Rose",
                                  {photo, "TEL;TYPE=HOME:111", "TEL;TYPE=WORK:222",
                                   "TEL;TYPE=CELL:333", "TEL;TYPE=FAX:444", "TEL;TYPE=CELL:555",
                                   "URL:https://rose.example/", "X-PHONE-ONLY:kept",
                                   "NOTE:a very long note that is longer than the two "
                                   "hundred characters the record has room for so the "
                                   "record holds a shortened copy while the card keeps "
                                   "the whole of it with every word to the last one here"})),
            201);
        QCOMPARE(desk.sync().exitCode(), 0);
        QCOMPARE(desk.field("Riche", Field::Phone1), std::string("111"));
        desk.edit("Riche", Field::City, "Gand");
        const auto report = desk.sync();
        QCOMPARE(report.uploadedChanged, 1);

        const QByteArray card = srv.getCard("rich.vcf");
        const auto read = interop::readVCards(std::string_view(card.constData(), card.size()));
        QCOMPARE(read.cards.size(), std::size_t(1));
        const interop::VCard &c = read.cards[0].card;
        QVERIFY(c.first("PHOTO"));
        QVERIFY(c.first("PHOTO")->value().find("iVBORw0KGgo") != std::string::npos);
        QCOMPARE(c.first("URL")->value(), std::string("https://rose.example/"));
        QCOMPARE(c.first("X-PHONE-ONLY")->value(), std::string("kept"));
        std::set<std::string> phones;
        for (const auto *tel : c.all("TEL"))
            phones.insert(tel->value());
        QCOMPARE(phones, (std::set<std::string>{"111", "222", "333", "444", "555"}));
        QVERIFY2(c.first("NOTE")->value().find("to the last one here") != std::string::npos,
                 card.constData());
        QVERIFY2(card.contains("Gand"), card.constData());
    }

    // A slot freed by a deletion and taken by a new contact is a new card:
    // the old card is deleted, not overwritten with the new person.
    void reusedSlot_data() { bothServers(); }
    void reusedSlot()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        const auto old = desk.store.add(contact("Ancien", "Luc", {{Field::Phone1, "111"}}));
        QCOMPARE(desk.sync().exitCode(), 0);
        const QString oldName = srv.cardNames().value(0);
        QByteArray etag;
        QByteArray card = srv.getCard(oldName, &etag);
        card.replace("END:VCARD", "URL:https://luc.example/\r\nEND:VCARD");
        QCOMPARE(srv.putCard(oldName, card, nullptr, etag) / 100, 2);
        QCOMPARE(desk.sync().exitCode(), 0);

        QVERIFY(desk.store.remove(old));
        QCOMPARE(desk.store.add(contact("Nouveau", "Eva", {{Field::Phone1, "999"}})), old);
        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(report.deletedOnServer, 1);
        QCOMPARE(report.uploadedNew, 1);
        const auto cards = serverCards(srv);
        QCOMPARE(cards.size(), std::size_t(1));
        QVERIFY(cards.begin()->first != oldName);
        QCOMPARE(familyName(cards.begin()->second), std::string("Nouveau"));
        QVERIFY(!cards.begin()->second.first("URL"));
    }

    // The server goes away in the middle of the uploads; the next sync
    // finishes the work, and nothing is uploaded twice.
    void serverStoppedMidSync_data() { bothServers(); }
    void serverStoppedMidSync()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        for (int i = 0; i < 12; ++i)
            desk.store.add(contact("Stop" + std::to_string(i), "Sam"));
        const auto cut = desk.sync([&](const char *stage, int done, int) {
            if (std::string_view(stage) == "upload" && done == 5)
                srv.stop();
        });
        QCOMPARE(cut.error.code, sync::SyncErrc::Network);
        QCOMPARE(cut.exitCode(), 2);
        QCOMPARE(cut.uploadedNew, 5);

        QVERIFY2(srv.start(), qPrintable(srv.error()));
        desk.reopen();
        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(report.uploadedNew, 7);
        QCOMPARE(srv.cardNames().size(), 12);
        // One listing and the seven uploads left: none sent twice.
        QCOMPARE(report.requests, 1 + 7);
        if (srv.kind() == DavServer::Kind::Radicale) // logs each request as it arrives
            QCOMPARE(srv.loggedRequests("PUT"), 12);
        QCOMPARE(int(desk.store.list().size()), 12);
    }

    // The program dies between two saves of the state: uploads made after the
    // last save are recognised by the next sync, not sent again.
    void crashMidSync_data() { bothServers(); }
    void crashMidSync()
    {
        DavServer &srv = server();
        {
            Desk desk(folder("desk"), srv);
            for (int i = 0; i < 10; ++i)
                desk.store.add(contact("Crash" + std::to_string(i), "Cid"));
            QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                     desk.sync(
                                         [](const char *stage, int done, int) {
                                             if (std::string_view(stage) == "upload" && done == 6)
                                                 throw std::runtime_error("killed");
                                         },
                                         4));
        }
        QCOMPARE(srv.cardNames().size(), 6);
        Desk desk(folder("desk"), srv);
        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(report.addedHere, 0);
        // Listing, one fetch of the two cards sent after the last save, and
        // the four uploads left.
        QCOMPARE(report.uploadedNew, 4);
        QCOMPARE(report.requests, 1 + 1 + 4);
        if (srv.kind() == DavServer::Kind::Radicale) // logs each request as it arrives
            QCOMPARE(srv.loggedRequests("PUT"), 10);
        QCOMPARE(srv.cardNames().size(), 10);
        QCOMPARE(int(desk.store.list().size()), 10);
    }

    // Each save rewrites the whole state: a long upload saves it about eight
    // times, and a crash at any moment leaves at most an eighth of the
    // uploads to be recognised by the next sync.
    void savesDuringLongUpload_data() { bothServers(); }
    void savesDuringLongUpload()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        const int n = 40;
        for (int i = 0; i < n; ++i)
            desk.store.add(contact("Save" + std::to_string(i), "Sue"));
        std::set<int> savedCounts;
        int worstLag = 0;
        const auto report = desk.sync(
            [&](const char *stage, int done, int) {
                if (std::string_view(stage) != "upload")
                    return;
                sync::SyncState saved;
                QCOMPARE(sync::loadSyncState(sync::syncStatePath(desk.path), saved, nullptr, false),
                         sync::StateLoad::Loaded);
                QCOMPARE(int(saved.entries.size()), n);
                const int confirmed = int(std::count_if(saved.entries.begin(), saved.entries.end(),
                                                        [](const auto &e) { return e.onServer; }));
                savedCounts.insert(confirmed);
                worstLag = std::max(worstLag, done - confirmed);
            },
            1);
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(report.uploadedNew, n);
        // Saved before the first upload, then after every fifth.
        QCOMPARE(int(savedCounts.size()), n / 5);
        QCOMPARE(worstLag, 5);
    }

    void damagedState_data() { bothServers(); }
    void damagedState()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        desk.store.add(contact("Etat", "Ema", {{Field::Phone1, "555"}}));
        desk.store.add(contact("Autre", "Ali", {{Field::Email, "ali@example.org"}}));
        QCOMPARE(desk.sync().exitCode(), 0);
        QFile state(sync::syncStatePath(desk.path));
        QVERIFY(state.open(QIODevice::WriteOnly | QIODevice::Truncate));
        state.write("{\"format\": 1, \"contacts\": [ {\"href\"");
        state.close();
        QCOMPARE(srv.putCard("third.vcf", phoneCard("third", "Trois", "Tia")), 201);

        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QVERIFY(!report.stateProblem.isEmpty());
        QVERIFY(QFile::exists(sync::syncStatePath(desk.path) + ".damaged"));
        QVERIFY(report.fullListing);
        QCOMPARE(report.uploadedNew, 0);
        QCOMPARE(srv.cardNames().size(), 3);
        QCOMPARE(int(desk.store.list().size()), 3);
        sync::SyncState rebuilt;
        QCOMPARE(sync::loadSyncState(sync::syncStatePath(desk.path), rebuilt),
                 sync::StateLoad::Loaded);
        QCOMPARE(rebuilt.entries.size(), std::size_t(3));
    }

    void refusedPassword()
    {
        // Only Radicale checks passwords here; Xandikos has no authentication.
        m_dir = std::make_unique<QTemporaryDir>(QDir::currentPath() + "/run-XXXXXX");
        m_server =
            std::make_unique<DavServer>(DavServer::Kind::Radicale, m_dir->path() + "/server");
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        Desk desk(folder("desk"), *m_server);
        desk.store.add(contact("Secret", "Sid"));
        desk.client.setCredentials(m_server->baseUrl(), m_server->user(), "wrong");
        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::Unauthorized);
        QCOMPARE(report.exitCode(), 2);
        QVERIFY(m_server->cardNames().isEmpty());
        QCOMPARE(int(desk.store.list().size()), 1);
        QVERIFY(sync::reportText(report, true).contains("401"));

        sync::DavClient client;
        client.setCredentials(m_server->baseUrl(), m_server->user(), "wrong");
        QCOMPARE(sync::discoverAddressBook(client, m_server->baseUrl()).error.code,
                 sync::SyncErrc::Unauthorized);
    }

    // Writes the server refuses (403 on a read-only address book) are
    // reported with its answer; reading goes on.
    void refusedWrites()
    {
        m_dir = std::make_unique<QTemporaryDir>(QDir::currentPath() + "/run-XXXXXX");
        m_server =
            std::make_unique<DavServer>(DavServer::Kind::Radicale, m_dir->path() + "/server");
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        DavServer &srv = *m_server;
        Desk desk(folder("desk"), srv);
        desk.store.add(contact("Lecture", "Leo"));
        QCOMPARE(srv.putCard("phone.vcf", phoneCard("phone", "Phone", "Pia")), 201);
        QCOMPARE(desk.sync().exitCode(), 0);
        srv.setReadOnly(true);
        QVERIFY2(srv.start(), qPrintable(srv.error()));

        desk.edit("Lecture", Field::City, "Liege");
        desk.store.add(contact("Neuf", "Noe"));
        const auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(report.exitCode(), 1);
        QCOMPARE(report.refused.size(), std::size_t(2));
        for (const auto &refusal : report.refused)
            QCOMPARE(refusal.status, 403);
        QCOMPARE(int(desk.store.list().size()), 3);
        QCOMPARE(srv.cardNames().size(), 2);
        // Still refused next time, and tried again: the edit is not forgotten.
        QCOMPARE(desk.sync().refused.size(), std::size_t(2));
    }

    // A certificate that fails verification is refused, with its fingerprint
    // in the message; once accepted by that fingerprint, and only that one, it is used.
    void untrustedCertificate()
    {
        m_dir = std::make_unique<QTemporaryDir>(QDir::currentPath() + "/run-XXXXXX");
        m_server =
            std::make_unique<DavServer>(DavServer::Kind::Radicale, m_dir->path() + "/server");
        m_server->setTls(true);
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        QFile pem(m_server->certificatePath());
        QVERIFY(pem.open(QIODevice::ReadOnly));
        const QString fingerprint = sync::formatFingerprint(
            QSslCertificate(pem.readAll()).digest(QCryptographicHash::Sha256));
        QCOMPARE(fingerprint.size(), 32 * 3 - 1);

        Desk desk(folder("desk"), *m_server);
        desk.store.add(contact("Tls", "Tia"));
        auto report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::Tls);
        QCOMPARE(report.error.fingerprint, fingerprint);
        QVERIFY(sync::reportText(report, false).contains(fingerprint));
        QVERIFY(m_server->cardNames().isEmpty());

        QString other = fingerprint;
        other[0] = other[0] == 'A' ? 'B' : 'A';
        desk.client.setAcceptedFingerprint(other);
        QCOMPARE(desk.sync().error.code, sync::SyncErrc::Tls);

        desk.client.setAcceptedFingerprint(fingerprint.toLower().remove(':'));
        report = desk.sync();
        QCOMPARE(report.error.code, sync::SyncErrc::None);
        QCOMPARE(m_server->cardNames().size(), 1);
    }

    // One change among a thousand costs a constant number of requests, in
    // either direction; counted by the client and in the server's log.
    void thousandThenOne_data() { bothServers(); }
    void thousandThenOne()
    {
        DavServer &srv = server();
        Desk desk(folder("desk"), srv);
        std::vector<ContactRecord> many;
        for (int i = 0; i < 1000; ++i)
            many.push_back(contact("Mille" + std::to_string(i), "Max",
                                   {{Field::Phone1, std::to_string(5550000 + i)}}));
        desk.store.addMany(many);
        const auto first = desk.sync();
        QCOMPARE(first.error.code, sync::SyncErrc::None);
        QCOMPARE(first.uploadedNew, 1000);

        desk.edit("Mille500", Field::Comment, "the one change");
        int logged = srv.settledRequests();
        QVERIFY(logged >= 0);
        auto report = desk.sync();
        QCOMPARE(report.uploadedChanged, 1);
        QVERIFY2(report.requests <= 5, qPrintable(QString::number(report.requests)));
        QVERIFY(srv.settledRequests() - logged <= 5);

        const QString name = srv.cardNames().value(321);
        QByteArray etag;
        QByteArray card = srv.getCard(name, &etag);
        card.replace("END:VCARD", "NOTE:from the phone\r\nEND:VCARD");
        QCOMPARE(srv.putCard(name, card, nullptr, etag) / 100, 2);
        logged = srv.settledRequests();
        QVERIFY(logged >= 0);
        report = desk.sync();
        QCOMPARE(report.changedHere, 1);
        QCOMPARE(report.uploadedChanged + report.uploadedNew, 0);
        QVERIFY2(report.requests <= 5, qPrintable(QString::number(report.requests)));
        QVERIFY(srv.settledRequests() - logged <= 5);
    }
};

int main(int argc, char *argv[])
{
    // A thousand uploads to a server that commits each one to git take longer
    // than Qt Test's five minutes per function on a busy machine.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "1500000");
    QCoreApplication app(argc, argv);
    TestSyncServers test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_sync_servers.moc"
