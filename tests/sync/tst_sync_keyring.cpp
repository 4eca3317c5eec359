// SPDX-License-Identifier: GPL-3.0-or-later
// The "sync" command of the real program with a real Secret Service:
// gnome-keyring on a private session bus started here, unlocked with a
// password given on its standard input, in a scratch home. "sync setup"
// takes the server password typed on a terminal and leaves it in the keyring
// only; a later "sync" finds it there and syncs with Radicale.
#include "dav_server.h"

#include "store/contact_store.h"

#include "common/process_run.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
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

class TestSyncKeyring : public QObject
{
    Q_OBJECT

    // The keyring's home and bus; the server lives apart, since its own
    // password file holds the password in clear.
    QTemporaryDir m_dir{QDir::currentPath() + "/kr-XXXXXX"};
    QTemporaryDir m_serverDir{QDir::currentPath() + "/srv-XXXXXX"};
    std::unique_ptr<DavServer> m_server;
    QProcess m_bus;
    QProcess m_keyring;
    QProcessEnvironment m_env;
    QString m_desk;

    Run tool(const QString &program, const QStringList &args, const QByteArray &input = {})
    {
        return test::runProcess(program, args, m_env, m_desk, input);
    }

    // The program on a terminal of its own: the password is typed once the
    // prompt for it shows.
    Run typed(const QStringList &args, const QByteArray &password)
    {
        return test::runOnTerminal(VCQ_BINARY, args, m_env, m_desk, "password", password);
    }

    // What the Secret Service holds for the program, as secret-tool shows it.
    QString keyringItems()
    {
        const Run r =
            tool("secret-tool", {"search", "--all", "--unlock", "server", "vellora-carnetique-97"});
        return r.out + r.err;
    }

    bool secretsOnBus()
    {
        const Run r = tool("dbus-send",
                           {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                            "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.secrets"});
        return r.out.contains("boolean true");
    }

    // Every file under the folder that holds these bytes.
    static QStringList filesHolding(const QString &folder, const QByteArray &bytes)
    {
        QStringList found;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!it.fileInfo().isFile())
                continue; // sockets
            QFile f(path);
            if (f.open(QIODevice::ReadOnly) && f.readAll().contains(bytes))
                found << path;
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid() && m_serverDir.isValid());
        const QString home = m_dir.path() + "/home";
        const QString run = m_dir.path() + "/run";
        m_desk = m_dir.path() + "/desk";
        for (const QString &d : {home, run, m_desk})
            QVERIFY(QDir().mkpath(d));
        QVERIFY(QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("HOME", home);
        m_env.insert("XDG_DATA_HOME", home + "/.local/share");
        m_env.insert("XDG_CONFIG_HOME", home + "/.config");
        m_env.insert("XDG_CACHE_HOME", home + "/.cache");
        m_env.insert("XDG_RUNTIME_DIR", run);
        m_env.insert("LANG", "C.UTF-8");
        m_env.remove("DISPLAY");
        m_env.remove("WAYLAND_DISPLAY");
        m_env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + run + "/no-system-bus");

        // A session bus of our own: never the user's.
        m_bus.setProcessEnvironment(m_env);
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                    "--address=unix:path=" + run + "/bus"});
        QVERIFY2(m_bus.waitForStarted(10000), "dbus-daemon did not start");
        QDeadlineTimer deadline(20000);
        while (!m_bus.canReadLine() && !deadline.hasExpired())
            m_bus.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        const QByteArray address = m_bus.readLine().trimmed();
        QVERIFY2(address.startsWith("unix:"), address.constData());
        m_env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromUtf8(address));

        // The login keyring is made and unlocked with the password read on
        // standard input, with no prompt.
        m_keyring.setProcessEnvironment(m_env);
        m_keyring.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_keyring.start("gnome-keyring-daemon",
                        {"--foreground", "--unlock", "--components=secrets"});
        QVERIFY2(m_keyring.waitForStarted(10000), "gnome-keyring-daemon did not start");
        m_keyring.write("keyring-unlock-pw");
        m_keyring.closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(secretsOnBus() || m_keyring.state() != QProcess::Running, 20000);
        QVERIFY2(secretsOnBus(), "gnome-keyring-daemon is not on the bus");

        m_server =
            std::make_unique<DavServer>(DavServer::Kind::Radicale, m_serverDir.path() + "/srv");
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    }

    void cleanupTestCase()
    {
        m_server.reset();
        for (QProcess *p : {&m_keyring, &m_bus}) {
            p->terminate();
            if (!p->waitForFinished(10000))
                p->kill();
            p->waitForFinished(10000);
        }
    }

    void passwordKeptInKeyringOnly()
    {
        const QByteArray password = m_server->password().toUtf8();
        const QString url = m_server->baseUrl().toString();

        // Given in a file, the password stays there: the keyring gets nothing.
        QFile file(m_dir.path() + "/pw");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(password + "\n");
        file.close();
        Run r = tool(VCQ_BINARY, {"sync", "setup", url, "--user", m_server->user(),
                                  "--password-file", file.fileName()});
        QCOMPARE(r.exit, 0);
        QVERIFY(file.remove());
        QVERIFY2(!keyringItems().contains(password), qPrintable(keyringItems()));

        // Typed on the terminal, it goes to the keyring and nowhere else.
        r = typed({"sync", "setup", url, "--user", m_server->user()}, password);
        QVERIFY2(r.exit == 0, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains("The password is in the keyring."), qPrintable(r.out));
        QVERIFY2(!r.out.contains(password), "the password was echoed");
        const QString items = keyringItems();
        QVERIFY2(items.contains("secret = " + password), qPrintable(items));
        QVERIFY2(items.contains(m_server->collectionUrl().toString()), qPrintable(items));
        const QStringList leaks = filesHolding(m_dir.path(), password);
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join(", ")));

        // A later sync takes it from there.
        {
            ContactStore store;
            store.open((m_desk + "/VCQ97.NAM").toStdString());
            ContactRecord mine;
            mine.set(Field::LastName, "Trousseau");
            mine.set(Field::FirstName, "Theo");
            store.add(mine);
        }
        QCOMPARE(m_server->putCard("phone.vcf", phoneCard("phone", "Phone", "Pat")), 201);
        r = tool(VCQ_BINARY, {"sync"});
        QVERIFY2(r.exit == 0, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains("Here: 1 added") && r.out.contains("Server: 1 uploaded"),
                 qPrintable(r.out));
        QCOMPARE(m_server->cardNames().size(), 2);
        QVERIFY(filesHolding(m_dir.path(), password).isEmpty());

        // The keyring locked: no password, a clear failure, nothing changed.
        const Run locked =
            tool("dbus-send",
                 {"--session", "--print-reply", "--dest=org.freedesktop.secrets",
                  "/org/freedesktop/secrets", "org.freedesktop.Secret.Service.LockService"});
        QCOMPARE(locked.exit, 0);
        r = tool(VCQ_BINARY, {"sync"});
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains("--password-file"), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestSyncKeyring)
#include "tst_sync_keyring.moc"
