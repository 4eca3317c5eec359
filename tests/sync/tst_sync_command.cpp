// SPDX-License-Identifier: GPL-3.0-or-later
// The "sync" command of the real program, without a display, against Radicale:
// setup, one sync, status, and the exit status of each outcome.
#include "dav_server.h"

#include "store/contact_store.h"
#include "sync/sync_settings.h"

#include "common/process_run.h"
#include <QDir>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace vcq;
using namespace vcq::synctest;

namespace
{

using Run = test::ProcessRun;

} // namespace

class TestSyncCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir{QDir::currentPath() + "/cmd-XXXXXX"};
    std::unique_ptr<DavServer> m_server;
    QString m_desk;

    // The program in the desk folder, with no keyring reachable and no display.
    Run program(const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_dir.path() + "/no-session-bus");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("LANG", "C.UTF-8");
        return test::runProcess(VCQ_BINARY, args, env, m_desk);
    }
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(m_desk + "/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }

private slots:
    void initTestCase()
    {
        m_server = std::make_unique<DavServer>(DavServer::Kind::Radicale, m_dir.path() + "/srv");
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    }
    void init()
    {
        static int n = 0;
        m_desk = m_dir.path() + "/desk" + QString::number(++n);
        QDir().mkpath(m_desk);
        for (const QString &name : m_server->cardNames())
            m_server->deleteCard(name);
    }

    void notSetUp()
    {
        const Run r = program({"sync"});
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains("sync setup"), qPrintable(r.err));
    }

    void setupFindsTheBookAndSyncRuns()
    {
        const QString pw = writeFile("pw", (m_server->password() + "\n").toUtf8());
        Run r = program({"sync", "setup", m_server->baseUrl().toString(), "--user",
                         m_server->user(), "--password-file", pw});
        QCOMPARE(r.exit, 0);
        QVERIFY2(r.out.contains(m_server->collectionUrl().toString()), qPrintable(r.out));
        sync::SyncSettings settings;
        QVERIFY(sync::loadSyncSettings(m_desk + "/VCQ97.NAM", settings));
        QCOMPARE(settings.collection, m_server->collectionUrl().toString());
        // The password given in a file is copied nowhere beside the data file.
        for (const QString &name : QDir(m_desk).entryList(QDir::Files)) {
            if (name == "pw")
                continue;
            QFile f(m_desk + "/" + name);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY2(!f.readAll().contains(m_server->password().toUtf8()), qPrintable(name));
        }

        {
            ContactStore store;
            store.open((m_desk + "/VCQ97.NAM").toStdString());
            ContactRecord r1;
            r1.set(Field::LastName, "Ligne");
            r1.set(Field::FirstName, "Luc");
            store.add(r1);
        }
        QCOMPARE(m_server->putCard("p.vcf", phoneCard("p", "Phone", "Pat")), 201);
        r = program({"sync", "--password-file", pw});
        QCOMPARE(r.exit, 0);
        QVERIFY2(r.out.contains("Here: 1 added") && r.out.contains("Server: 1 uploaded"),
                 qPrintable(r.out));
        QCOMPARE(m_server->cardNames().size(), 2);

        r = program({"sync", "status"});
        QCOMPARE(r.exit, 0);
        QVERIFY2(r.out.contains("2 contacts") && r.out.contains("0 new, 0 changed, 0 deleted"),
                 qPrintable(r.out));

        // Without a keyring and without a file there is no password.
        r = program({"sync"});
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains("--password-file"), qPrintable(r.err));

        // A wrong password is a failure that changes nothing.
        const QString wrong = writeFile("wrong", "nope\n");
        r = program({"sync", "--password-file", wrong});
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains("401") || r.out.contains("401"), qPrintable(r.out + r.err));

        // A conflict resolved: exit status 1, the report names the contact.
        const QString name = m_server->cardNames().value(0);
        QByteArray etag;
        QByteArray card = m_server->getCard(name, &etag);
        card.replace("END:VCARD", "NOTE:phone\r\nEND:VCARD");
        QCOMPARE(m_server->putCard(name, card, nullptr, etag) / 100, 2);
        {
            ContactStore store;
            store.open((m_desk + "/VCQ97.NAM").toStdString());
            store.loadContacts();
            for (const ContactNode &node : store.list()) {
                ContactRecord rec = node.record();
                rec.set(Field::Comment, "desk");
                store.rewrite(node.RecordNumber, rec);
            }
        }
        r = program({"sync", "--password-file", pw});
        QCOMPARE(r.exit, 1);
        QVERIFY2(r.out.contains("Conflict") && r.out.contains("desk"), qPrintable(r.out));

        // The program open on the folder holds the file: the sync leaves it alone.
        ContactStore open;
        open.open((m_desk + "/VCQ97.NAM").toStdString());
        r = program({"sync", "--password-file", pw});
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains("in use"), qPrintable(r.err));
    }

    // Status only looks: a damaged state is reported and left where it is
    // for the next sync to set aside and rebuild.
    void statusOfDamagedState()
    {
        const sync::SyncSettings settings{m_server->baseUrl().toString(),
                                          m_server->collectionUrl().toString(),
                                          m_server->user(),
                                          {},
                                          0};
        QVERIFY(sync::saveSyncSettings(m_desk + "/VCQ97.NAM", settings));
        writeFile("VCQ97.NAM.syncstate", "{ not json");
        const Run r = program({"sync", "status"});
        QCOMPARE(r.exit, 1);
        QVERIFY2(r.out.contains("damaged"), qPrintable(r.out));
        QVERIFY(QFile::exists(m_desk + "/VCQ97.NAM.syncstate"));
        QVERIFY(!QFile::exists(m_desk + "/VCQ97.NAM.syncstate.damaged"));
    }

    void setupFailures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no user") << QStringList{"sync", "setup", "http://127.0.0.1:1/"} << "--user";
        QTest::newRow("not http") << QStringList{"sync",   "setup", "ftp://127.0.0.1/",
                                                 "--user", "u",     "--password-file",
                                                 "pw"}
                                  << "http";
        QTest::newRow("plain http elsewhere")
            << QStringList{"sync",   "setup", "http://carddav.invalid/",
                           "--user", "u",     "--password-file",
                           "pw"}
            << "plain http";
        QTest::newRow("no password")
            << QStringList{"sync", "setup", "http://127.0.0.1:1/", "--user", "u"}
            << "--password-file";
        QTest::newRow("unknown word") << QStringList{"sync", "now"} << "--help";
    }
    void setupFailures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        writeFile("pw", "x\n");
        const Run r = program(args);
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(m_desk + "/VCQ97.NAM.carddav"));
    }
};

QTEST_GUILESS_MAIN(TestSyncCommand)
#include "tst_sync_command.moc"
