// SPDX-License-Identifier: GPL-3.0-or-later
// Backups of the data file: a whole copy under a timestamped name, the newest
// five kept, and nothing else beside the data file ever touched.
#include "interop/backup.h"
#include "store/io_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace vcq::interop;
using namespace std::chrono;

namespace
{

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

system_clock::time_point at(int seconds, int millis = 0)
{
    // 2026-12-07 10:00:00 UTC
    return system_clock::time_point(std::chrono::seconds(1796637600 + seconds) +
                                    milliseconds(millis));
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString data() const { return m_dir.filePath("VCQ97.NAM"); }

private slots:
    void init()
    {
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

    void copyIsWholeAndNamedByTime()
    {
        QByteArray bytes(764 * 3 + 5, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7);
        writeAll(data(), bytes);
        const std::string copy = backupDataFile(data().toStdString(), 5, at(0, 42));
        QCOMPARE(QString::fromStdString(copy), data() + ".20261207T100000.042Z");
        QCOMPARE(readAll(QString::fromStdString(copy)), bytes);
        // A copy of every contact is private, whatever the data file's mode.
        QFile::setPermissions(data(), QFileInfo(data()).permissions() | QFile::ReadOther);
        const std::string second = backupDataFile(data().toStdString(), 5, at(0, 43));
        for (const std::string &made : {copy, second})
            QCOMPARE(
                QFileInfo(QString::fromStdString(made)).permissions() &
                    (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                QFileDevice::Permissions());
        // No partial file is left behind.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).size(), 3);
    }

    void newestFiveAreKept_data()
    {
        QTest::addColumn<int>("backups");
        QTest::addColumn<int>("keep");
        QTest::newRow("fewer than kept") << 3 << 5;
        QTest::newRow("exactly kept") << 5 << 5;
        QTest::newRow("more than kept") << 8 << 5;
        QTest::newRow("keep one") << 3 << 1;
    }
    void newestFiveAreKept()
    {
        QFETCH(int, backups);
        QFETCH(int, keep);
        writeAll(data(), "first");
        // Files that only look like backups are never removed.
        writeAll(data() + ".old", "mine");
        writeAll(data() + ".20261207T100000.000Z.txt", "mine");
        writeAll(m_dir.filePath("OTHER.NAM.20200101T000000.000Z"), "mine");
        std::vector<std::string> made;
        for (int i = 0; i < backups; ++i) {
            writeAll(data(), QByteArray::number(i));
            // Minutes apart, so the names' order differs from a plain text sort
            // only if the time were not zero-padded.
            made.push_back(backupDataFile(data().toStdString(), keep, at(i * 600)));
        }
        const std::vector<std::string> left = listBackups(data().toStdString());
        const std::size_t expected = std::size_t(std::min(backups, keep));
        QCOMPARE(left.size(), expected);
        QVERIFY(std::equal(left.begin(), left.end(), made.end() - long(expected)));
        QCOMPARE(readAll(QString::fromStdString(left.back())), QByteArray::number(backups - 1));
        QVERIFY(QFile::exists(data() + ".old"));
        QVERIFY(QFile::exists(data() + ".20261207T100000.000Z.txt"));
        QVERIFY(QFile::exists(m_dir.filePath("OTHER.NAM.20200101T000000.000Z")));
    }

    void sameMillisecondGetsANumber()
    {
        writeAll(data(), "a");
        const std::string first = backupDataFile(data().toStdString(), 5, at(0));
        writeAll(data(), "b");
        const std::string second = backupDataFile(data().toStdString(), 5, at(0));
        QVERIFY(first != second);
        QCOMPARE(readAll(QString::fromStdString(first)), QByteArray("a"));
        QCOMPARE(readAll(QString::fromStdString(second)), QByteArray("b"));
        QCOMPARE(listBackups(data().toStdString()), (std::vector<std::string>{first, second}));
    }

    void clockGoingBackNeverRemovesTheNewCopy()
    {
        writeAll(data(), "x");
        for (int i = 0; i < 5; ++i)
            backupDataFile(data().toStdString(), 5, at(1000 + i));
        const std::string copy = backupDataFile(data().toStdString(), 5, at(0));
        QVERIFY(QFile::exists(QString::fromStdString(copy)));
        QCOMPARE(listBackups(data().toStdString()).size(), std::size_t(5));
    }

    void missingOrUnwritableFails()
    {
        try {
            backupDataFile(data().toStdString());
            QFAIL("backed up a file that does not exist");
        } catch (const vcq::StoreError &e) {
            QCOMPARE(e.code(), 2);
        }
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        writeAll(data(), "x");
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        bool threw = false;
        try {
            backupDataFile(data().toStdString());
        } catch (const vcq::StoreError &e) {
            threw = true;
            QCOMPARE(e.code(), 5);
        }
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(threw);
        QVERIFY(listBackups(data().toStdString()).empty());
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
