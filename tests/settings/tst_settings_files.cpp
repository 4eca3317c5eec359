// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file where something else stands in its place, or where it is
// huge: refused at once with a reason, left exactly as it is, and a valid
// file parsed once per version rather than once per value.
#include "settings/file_registry.h"
#include "settings/reg_app.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vcq;

class TestSettingsFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("registry.reg")); }

    static long setString(FileRegistry &r, RegKeyHandle key, const char *name, const QByteArray &v)
    {
        return r.setValue(key, name, REG_SZ, reinterpret_cast<const unsigned char *>(v.data()),
                          quint32(v.size()));
    }
    static QByteArray getString(FileRegistry &r, RegKeyHandle key, const char *name)
    {
        QByteArray got(64, '\0');
        std::uint32_t size = quint32(got.size());
        if (r.queryValue(key, name, nullptr, reinterpret_cast<unsigned char *>(got.data()),
                         &size) != ERROR_SUCCESS)
            return "(failed)";
        return got.left(size);
    }

private slots:
    void cleanup()
    {
        QFile::remove(path());
        QDir(m_dir.path()).rmdir(QStringLiteral("registry.reg"));
    }

    void whatIsNotASettingsFileIsLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fault");
        QTest::newRow("fifo") << "fifo"
                              << "is not an ordinary file (a pipe, a device or a folder)";
        QTest::newRow("link to /dev/zero")
            << "zero"
            << "is not an ordinary file (a pipe, a device or a folder)";
        QTest::newRow("folder") << "folder"
                                << "is not an ordinary file (a pipe, a device or a folder)";
        QTest::newRow("larger than 4 MiB") << "large"
                                           << "is larger than 4 MiB";
    }
    void whatIsNotASettingsFileIsLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(QString, fault);
        const QByteArray p = QFile::encodeName(path());
        if (kind == "fifo")
            QCOMPARE(::mkfifo(p.constData(), 0600), 0);
        else if (kind == "zero")
            QCOMPARE(::symlink("/dev/zero", p.constData()), 0);
        else if (kind == "folder")
            QVERIFY(QDir(m_dir.path()).mkdir("registry.reg"));
        else {
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("REGEDIT4\r\n\r\n");
            QVERIFY(f.resize(4 * 1024 * 1024 + 1));
        }
        const QFileInfo before(path());
        FileRegistry registry(path());
        TRegAppDefaultUserConfig reg(nullptr, &registry);
        setVcqKey(reg);
        try {
            reg.WriteIntegerValue("ScreenPosX", 1);
            QFAIL("wrote over what is not a settings file");
        } catch (const ERegistryException &e) {
            const QStringList lines = QString::fromUtf8(e.what()).split('\n');
            QCOMPARE(lines.size(), 2);
            QCOMPARE(lines[1], QString("The settings file \"%1\" %2. It has been left as it is; "
                                       "default settings are used.")
                                   .arg(path(), fault));
        }
        const QFileInfo after(path());
        QCOMPARE(after.isSymLink(), before.isSymLink());
        QCOMPARE(after.isDir(), before.isDir());
        QCOMPARE(after.isFile(), before.isFile());
        if (kind == "large")
            QCOMPARE(after.size(), before.size());
    }

    // Seven values read for one start parse the file once; a change made by
    // another program is seen at the next read.
    void theFileIsParsedOncePerVersion()
    {
        FileRegistry registry(path());
        RegKeyHandle key = 0;
        QCOMPARE(registry.createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", &key), long(ERROR_SUCCESS));
        // A large, valid file: 3 MiB of one value.
        QCOMPARE(setString(registry, key, "big", QByteArray(3 * 1024 * 1024, 'x')),
                 long(ERROR_SUCCESS));
        QCOMPARE(setString(registry, key, "a", "1"), long(ERROR_SUCCESS));
        const int parsedBefore = registry.parseCount();
        for (int i = 0; i < 7; ++i)
            QCOMPARE(getString(registry, key, "a"), QByteArray("1"));
        QCOMPARE(registry.parseCount() - parsedBefore, 1);

        FileRegistry other(path());
        RegKeyHandle otherKey = 0;
        QCOMPARE(other.createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", &otherKey),
                 long(ERROR_SUCCESS));
        QCOMPARE(setString(other, otherKey, "a", "2"), long(ERROR_SUCCESS));
        QCOMPARE(getString(registry, key, "a"), QByteArray("2"));
        QCOMPARE(getString(registry, key, "a"), QByteArray("2"));
        QCOMPARE(registry.parseCount() - parsedBefore, 2);
    }

    // A settings folder that cannot be written to is named with the reason,
    // not only the value that failed. (Root writes anywhere: the case of a
    // folder that cannot be created is in tst_registry_file.)
    void anUnwritableFolderIsNamed()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into any folder");
        const QString folder = m_dir.filePath("locked");
        QVERIFY(QDir(m_dir.path()).mkdir("locked"));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        FileRegistry registry(folder + "/registry.reg");
        TRegAppDefaultUserConfig reg(nullptr, &registry);
        setVcqKey(reg);
        QString message;
        try {
            reg.WriteIntegerValue("ScreenPosX", 1);
        } catch (const ERegistryException &e) {
            message = QString::fromUtf8(e.what());
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(message.section('\n', 1),
                 QString("The settings folder \"%1\" cannot be written to.").arg(folder));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settings_files.moc"
