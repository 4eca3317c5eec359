// SPDX-License-Identifier: GPL-3.0-or-later
// Every file the program creates beside the data file or in its settings
// folder is private (600) whatever the umask, and an existing data file keeps
// its mode: an import, an export, a sync setup and a sync with a conflict
// through the real program, a reused slot and a settings value in process.
#include "interop/contact_uid.h"
#include "settings/file_registry.h"
#include "store/contact_store.h"
#include "store/slot_reuse.h"

#include "common/process_run.h"
#include "misbehaving.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace vcq;
using namespace vcq::synctest;

namespace
{

int modeOf(const QString &path)
{
    struct stat st {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestPrivateFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir{QDir::currentPath() + "/modes-XXXXXX"};

private slots:
    void createdPrivate_data()
    {
        QTest::addColumn<int>("umask");
        QTest::addColumn<int>("existing"); // the data file's mode before, 0: none
        QTest::newRow("umask 022, new data file") << 022 << 0;
        QTest::newRow("umask 077, new data file") << 077 << 0;
        QTest::newRow("umask 022, data file 644 kept") << 022 << 0644;
        QTest::newRow("umask 077, data file 600") << 077 << 0600;
    }
    void createdPrivate()
    {
        QFETCH(int, umask);
        QFETCH(int, existing);
        const QString desk = m_dir.path() + "/" + QTest::currentDataTag();
        QVERIFY(QDir().mkpath(desk));
        const QString data = desk + "/VCQ97.NAM";
        const mode_t before = ::umask(mode_t(umask));
        const auto restore = qScopeGuard([before] { ::umask(before); });

        if (existing) {
            ContactStore store;
            store.open(data.toStdString());
            QVERIFY(::chmod(QFile::encodeName(data).constData(), mode_t(existing)) == 0);
        }
        // Here and on the server the same person, told differently: a conflict.
        const QByteArray here = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dupont;Jean;;;\r\nFN:Jean "
                                "Dupont\r\nTEL:0102030405\r\nNOTE:ici\r\nEND:VCARD\r\n";
        QByteArray there = here;
        there.replace("NOTE:ici", "NOTE:la-bas");
        write(desk + "/here.vcf", here);
        write(m_dir.path() + "/there.vcf", there);
        write(desk + "/pw", "pw\n");
        Misbehaving server("plain", {"d.vcf=" + m_dir.path() + "/there.vcf"});
        QVERIFY(server.home);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + desk + "/no-session-bus");
        env.remove("DISPLAY");
        env.insert("LANG", "C.UTF-8");
        const auto run = [&](const QStringList &args) {
            const test::ProcessRun r = test::runProcess(VCQ_BINARY, args, env, desk);
            QVERIFY2(r.exit == 0 || r.exit == 1, qPrintable(args.join(' ') + r.out + r.err));
        };
        run({"import", "here.vcf"});
        run({"export", "out.vcf"});
        run({"sync", "setup", server.url("/ab/"), "--user", "u", "--password-file", "pw"});
        run({"sync", "--password-file", "pw"});
        {
            ContactStore store; // a deleted slot reused: the slot log
            store.open(data.toStdString());
            store.loadContacts();
            ContactRecord r;
            r.set(Field::LastName, "Passant");
            const std::int32_t slot = store.add(r);
            QVERIFY(store.remove(slot));
            store.add(r);
        }
        const QString registry = desk + "/config/registry.reg";
        FileRegistry settings(registry);
        RegKeyHandle key = 0;
        QCOMPARE(settings.createKey(HKEY_CURRENT_USER, "Software\\Test", &key), 0L);
        QCOMPARE(
            settings.setValue(key, "v", REG_SZ, reinterpret_cast<const unsigned char *>("x"), 2),
            0L);

        QCOMPARE(modeOf(data), existing ? existing : 0600);
        QStringList made = {
            registry,
            data + ".carddav",
            data + ".syncstate",
            data + ".conflicts.vcf",
            QString::fromStdString(slotReusePath(data.toStdString())),
            QString::fromStdString(interop::ContactUids::idFilePath(data.toStdString()))};
        const QStringList backups = QDir(desk).entryList({"VCQ97.NAM.2*"}, QDir::Files);
        QVERIFY(!backups.isEmpty());
        for (const QString &b : backups)
            made << desk + "/" + b;
        for (const QString &path : made)
            QVERIFY2(modeOf(path) == 0600,
                     qPrintable(path + " " + QString::number(modeOf(path), 8)));
    }
};

QTEST_GUILESS_MAIN(TestPrivateFiles)
#include "tst_private_files.moc"
