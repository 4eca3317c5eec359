// SPDX-License-Identifier: GPL-3.0-or-later
// The "sync" command of the real program against a server that misbehaves on
// purpose (misbehaving_server.py on two ports of 127.0.0.1): redirects and
// hrefs that point elsewhere, endless, stalled and oversized answers, refused
// uploads, unreadable cards. Each case checks which port heard what (the
// password never reaches the other one), the exit status and message, and the
// data file's bytes.
#include "store/contact_store.h"
#include "sync/sync_settings.h"
#include "sync/sync_state.h"

#include "common/process_run.h"
#include "misbehaving.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace vcq;
using namespace vcq::synctest;

namespace
{

ContactRecord contact(std::string_view last, std::string_view first)
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    r.set(Field::Birth, "  -  -  ");
    return r;
}

} // namespace

class TestSyncMisbehaving : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir{QDir::currentPath() + "/bad-XXXXXX"};
    QString m_desk;

    QString dataFile() const { return m_desk + "/VCQ97.NAM"; }
    QByteArray bytes(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The time-out stays the default one unless a case sets it: a loaded
    // machine may leave a slow answer silent a while.
    test::ProcessRun program(QStringList args, const QString &timeoutSeconds = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_dir.path() + "/no-session-bus");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("LANG", "C.UTF-8");
        if (!timeoutSeconds.isEmpty())
            env.insert("VCQ_SYNC_TIMEOUT", timeoutSeconds);
        args << "--password-file" << m_desk + "/pw";
        return test::runProcess(VCQ_BINARY, args, env, m_desk, {}, 60000);
    }
    // A data file with these contacts, set up to sync with the server's /ab/.
    void deskFor(const Misbehaving &server, std::initializer_list<ContactRecord> contacts)
    {
        {
            ContactStore store;
            store.open(dataFile().toStdString());
            for (const ContactRecord &r : contacts)
                store.add(r);
        }
        sync::SyncSettings settings;
        settings.server = server.url("/");
        settings.collection = server.url("/ab/");
        settings.user = "alice";
        QVERIFY(sync::saveSyncSettings(dataFile(), settings));
    }
    QStringList lastNames()
    {
        ContactStore store;
        store.open(dataFile().toStdString());
        store.loadContacts();
        QStringList names;
        for (const ContactNode &n : store.list())
            names << QString::fromStdString(n.field(Field::LastName));
        names.sort();
        return names;
    }

private slots:
    void init()
    {
        static int n = 0;
        m_desk = m_dir.path() + "/desk" + QString::number(++n);
        QDir().mkpath(m_desk);
        QFile pw(m_desk + "/pw");
        QVERIFY(pw.open(QIODevice::WriteOnly));
        pw.write("s3cret\n");
    }

    // Setup follows a redirect only within the origin it was given, and
    // keeps the new address of an address book that moved for good.
    void setupRedirects_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("message");
        QTest::newRow("to another port") << "redirect-other"
                                         << "/ab/" << 2 << "another address";
        QTest::newRow("moved for good") << "moved"
                                        << "/old/" << 0 << "/ab/";
    }
    void setupRedirects()
    {
        QFETCH(QString, mode);
        QFETCH(QString, path);
        QFETCH(int, exit);
        QFETCH(QString, message);
        Misbehaving server(mode);
        QVERIFY(server.home);
        const test::ProcessRun r = program({"sync", "setup", server.url(path), "--user", "alice"});
        QVERIFY2(r.exit == exit, qPrintable(r.out + r.err));
        QVERIFY2((r.out + r.err).contains(message), qPrintable(r.out + r.err));
        const QList<Request> heard = server.requests();
        QVERIFY(count(heard, server.home) > 0);
        QCOMPARE(count(heard, server.other), 0); // refused, not followed
        sync::SyncSettings saved;
        QCOMPARE(sync::loadSyncSettings(dataFile(), saved), exit == 0);
        if (exit == 0)
            QCOMPARE(saved.collection, server.url("/ab/"));
    }

    // Hrefs outside the address book are reported and never fetched; only
    // the card inside it is taken in.
    void hrefsOutsideTheCollection()
    {
        Misbehaving server("foreign-hrefs");
        deskFor(server, {});
        const test::ProcessRun r = program({"sync"});
        QVERIFY2(r.exit == 1, qPrintable(r.out + r.err));
        QCOMPARE(r.out.count("Outside the address book"), 4);
        QCOMPARE(lastNames(), QStringList{"Maison"});
        const QList<Request> heard = server.requests();
        QCOMPARE(count(heard, server.other), 0);
        for (const char *elsewhere : {"other/", "sub/", "evil", "x.vcf"})
            QCOMPARE(count(heard, server.home, "GET", elsewhere), 0);
    }

    // A sync state of an earlier version that took in a card from another
    // port: the contact, deleted here, is never deleted there.
    void stateWithForeignHref()
    {
        Misbehaving server("foreign-hrefs");
        deskFor(server, {contact("Autreport", "Xavier")});
        sync::SyncState state;
        state.collection = server.url("/ab/");
        state.complete = true;
        sync::SyncEntry foreign;
        foreign.href = QStringLiteral("http://127.0.0.1:%1/ab/x.vcf").arg(server.other);
        foreign.etag = "\"x\"";
        foreign.record = -1; // deleted here since
        foreign.synced = contact("Autreport", "Xavier");
        state.entries = {foreign};
        QVERIFY(sync::saveSyncState(sync::syncStatePath(dataFile()), state));
        const test::ProcessRun r = program({"sync"});
        QVERIFY2(r.exit == 1, qPrintable(r.out + r.err)); // the outside hrefs are reported
        const QList<Request> heard = server.requests();
        QCOMPARE(count(heard, server.other), 0);
        QCOMPARE(count(heard, server.home, "DELETE"), 0);
        QCOMPARE(lastNames(), (QStringList{"Autreport", "Maison"}));
    }

    // A listing that never ends, or never comes: the sync stops with a
    // message that says why, and the data file is as it was.
    void boundedAnswers_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("timeout"); // seconds; empty: the default
        QTest::addColumn<QString>("message");
        QTest::newRow("endless") << "endless" << QString() << "over the limit of 64 MB";
        QTest::newRow("stalled") << "stall"
                                 << "1"
                                 << "sent nothing for 1 s";
    }
    void boundedAnswers()
    {
        QFETCH(QString, mode);
        QFETCH(QString, timeout);
        QFETCH(QString, message);
        Misbehaving server(mode);
        deskFor(server, {contact("Reste", "Rita")});
        const QByteArray before = bytes(dataFile());
        const test::ProcessRun r = program({"sync"}, timeout);
        QVERIFY2(r.exit == 2, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains(message), qPrintable(r.out));
        QCOMPARE(bytes(dataFile()), before);
        QCOMPARE(count(server.requests(), server.home, "PROPFIND"), 1);
    }

    // On a terminal the wait is shown as it goes, and the time-out given
    // on the command line is the one applied.
    void waitShownOnTerminal()
    {
        Misbehaving server("stall");
        deskFor(server, {});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_dir.path() + "/no-session-bus");
        env.insert("LANG", "C.UTF-8");
        const test::ProcessRun r = test::runOnTerminal(
            VCQ_BINARY, {"sync", "--timeout", "3", "--password-file", m_desk + "/pw"}, env, m_desk,
            "Waiting for the server: 1 s", {}, 60000);
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.out.contains("Waiting for the server: 1 s (0 kB received)"), qPrintable(r.out));
        QVERIFY2(r.out.contains("sent nothing for 3 s"), qPrintable(r.out));
    }

    // A card over the limit is left on the server, reported once, and not
    // fetched again while it stays the same.
    void oversizedCard()
    {
        Misbehaving server("bigcard");
        deskFor(server, {});
        test::ProcessRun r = program({"sync"});
        QVERIFY2(r.exit == 1, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains("Card over 16 MB, left on the server: /ab/big.vcf"),
                 qPrintable(r.out));
        QCOMPARE(lastNames(), QStringList{"Leger"});
        QVERIFY(QFileInfo(sync::syncStatePath(dataFile())).size() < 100000);
        server.requests();

        r = program({"sync"});
        QVERIFY2(r.exit == 0, qPrintable(r.out + r.err));
        const QList<Request> heard = server.requests();
        QCOMPARE(count(heard, server.home, "REPORT") + count(heard, server.home, "GET"), 0);
        QCOMPARE(lastNames(), QStringList{"Leger"});
        r = program({"sync", "status"});
        QVERIFY2(r.out.contains("Left on the server as too large: 1 card(s)"), qPrintable(r.out));
    }

    // Every upload refused with 412: reported as not sent, exit status 1,
    // the contacts here kept as they are.
    void uploadsRefused()
    {
        const QString card = m_dir.path() + "/card.vcf";
        QFile f(card);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:s\r\nN:Serveur;Sam;;;\r\nFN:Sam "
                "Serveur\r\nEND:VCARD\r\n");
        f.close();
        Misbehaving server("put412", {"s.vcf=" + card});
        deskFor(server, {contact("Nouveau", "Nina")});
        test::ProcessRun r = program({"sync"});
        QVERIFY2(r.exit == 1, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains("Server: 0 uploaded, 0 changed"), qPrintable(r.out));
        QVERIFY2(r.out.contains("Refused by the server (412): Nouveau Nina"), qPrintable(r.out));

        // An edit of the server's card, refused in turn.
        {
            ContactStore store;
            store.open(dataFile().toStdString());
            store.loadContacts();
            for (const ContactNode &n : store.list()) {
                if (n.field(Field::LastName) != "Serveur")
                    continue;
                ContactRecord edited = n.record();
                edited.set(Field::Comment, "edited here");
                QVERIFY(store.rewrite(n.RecordNumber, edited));
            }
        }
        const QByteArray before = bytes(dataFile());
        r = program({"sync"});
        QVERIFY2(r.exit == 1, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains("Refused by the server (412): Serveur Sam"), qPrintable(r.out));
        QCOMPARE(bytes(dataFile()), before);
        QVERIFY(count(server.requests(), server.home, "PUT") >= 2);
    }

    void unreadableCard()
    {
        Misbehaving server("unreadable");
        deskFor(server, {});
        const test::ProcessRun r = program({"sync"});
        QVERIFY2(r.exit == 1, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains("1 card(s) on the server could not be read"), qPrintable(r.out));
        QCOMPARE(lastNames(), QStringList{"Lisible"});
    }
};

QTEST_GUILESS_MAIN(TestSyncMisbehaving)
#include "tst_sync_misbehaving.moc"
