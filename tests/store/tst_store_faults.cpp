// SPDX-License-Identifier: GPL-3.0-or-later
// The data file under hostile conditions: names that are not files, files
// too large to address, a file cut short by another program, a torn last
// record, a disk that fails to sync and a file size limit. In every case the
// file says exactly what the caller was told.
#include "common/data_file.h"
#include "store/contact_store.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vcq;
using namespace vcq::test;

namespace
{

constexpr qint64 kRec = qint64(kRecordSize);

QStringList listKeys(const ContactStore &store)
{
    QStringList keys;
    for (const ContactNode &n : store.list())
        keys << QString::fromStdString(std::string(n.DisplayKey));
    return keys;
}

} // namespace

class TestStoreFaults : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("VCQ97.NAM"); }
    std::string spath() const { return path().toStdString(); }

    void makeFile(const std::vector<std::string> &lastNames)
    {
        QByteArray bytes = bytesOf(ContactRecord::newHeader());
        for (const auto &n : lastNames)
            bytes += n == "@~" ? bytesOf(ContactRecord::tombstone()) : bytesOf(person(n, "x"));
        QVERIFY(writeFile(path(), bytes));
    }

    StoreErrc openError(ContactStore &store)
    {
        try {
            store.open(spath());
        } catch (const StoreError &e) {
            return e.kind();
        }
        return StoreErrc::Io; // opened: the callers expect a refusal
    }

private slots:
    void init()
    {
        QDir dir(m_dir.path());
        for (const QString &name :
             dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
            QFile::remove(dir.filePath(name));
    }

    void namesThatAreNotFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("expected");
        QTest::newRow("dangling link") << "dangling" << int(StoreErrc::DanglingLink);
        QTest::newRow("link loop") << "loop" << int(StoreErrc::LinkLoop);
        QTest::newRow("fifo") << "fifo" << int(StoreErrc::NotRegularFile);
        QTest::newRow("link to /dev/zero") << "zero" << int(StoreErrc::NotRegularFile);
    }
    void namesThatAreNotFiles()
    {
        QFETCH(QString, kind);
        QFETCH(int, expected);
        const QByteArray p = QFile::encodeName(path());
        const QByteArray target = QFile::encodeName(m_dir.filePath("elsewhere"));
        if (kind == "dangling")
            QCOMPARE(::symlink(target.constData(), p.constData()), 0);
        else if (kind == "loop")
            QCOMPARE(::symlink(p.constData(), p.constData()), 0);
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(p.constData(), 0600), 0);
        else
            QCOMPARE(::symlink("/dev/zero", p.constData()), 0);

        ContactStore store;
        QCOMPARE(int(openError(store)), expected);
        QVERIFY(!store.isOpen());
        // Nothing was created through the link or beside it.
        QVERIFY(!QFileInfo::exists(m_dir.filePath("elsewhere")));
        QCOMPARE(
            QDir(m_dir.path())
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"VCQ97.NAM"});
        // The message is a sentence, never a bare code.
        try {
            store.open(spath());
        } catch (const StoreError &e) {
            QVERIFY(!QString::fromStdString(e.what()).contains("I/O error"));
        }
    }

    // Files too big to address are refused whole, at open, and never written.
    void filesWithTooManyRecords_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("refused");
        QTest::newRow("at the limit") << qint64(kMaxRecords) * kRec << false;
        QTest::newRow("one record more") << (qint64(kMaxRecords) + 1) * kRec << true;
        QTest::newRow("2^32 + 3 records") << ((qint64(1) << 32) + 3) * kRec << true;
        QTest::newRow("2 TiB") << (qint64(2) << 40) << true;
    }
    void filesWithTooManyRecords()
    {
        QFETCH(qint64, size);
        QFETCH(bool, refused);
        makeFile({"Abel"});
        const QByteArray head = readFile(path());
        // A sparse file: the header and one contact, then a hole up to the size.
        QVERIFY(QFile::resize(path(), size));
        ContactStore store;
        if (refused) {
            QCOMPARE(openError(store), StoreErrc::TooManyRecords);
            QVERIFY(!store.isOpen());
        } else {
            QCOMPARE(store.open(spath()), ContactStore::OpenResult::Opened);
            QCOMPARE(store.recordCount(), std::int64_t(kMaxRecords));
            store.close();
        }
        QCOMPARE(QFileInfo(path()).size(), size);
        QFile f(path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(2 * kRec), head);
    }

    // Another program cuts the file while it is open: no write may go where
    // the file no longer reaches, and nothing is written at all.
    void aFileCutShortIsNeverWritten_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("add") << "add";
        QTest::newRow("rewrite") << "rewrite";
        QTest::newRow("remove") << "remove";
        QTest::newRow("header") << "header";
    }
    void aFileCutShortIsNeverWritten()
    {
        QFETCH(QString, command);
        makeFile({"Abel", "Baker", "Clark"});
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        QCOMPARE(QProcess::execute("truncate", {"-s", QString::number(2 * kRec), path()}), 0);
        const QByteArray cut = readFile(path());
        QCOMPARE(cut.size(), 2 * kRec);
        try {
            if (command == "add")
                store.add(person("Dunn"));
            else if (command == "rewrite")
                store.rewrite(1, person("Abelard"));
            else if (command == "remove")
                store.remove(1);
            else
                store.writeHeader(ContactRecord::newHeader());
            QFAIL("wrote into a file another program cut short");
        } catch (const StoreError &e) {
            QCOMPARE(e.kind(), StoreErrc::FileShrunk);
        }
        QCOMPARE(readFile(path()), cut);
        QCOMPARE(listKeys(store), QStringList({"Abel x", "Baker x", "Clark x"}));
    }

    // A torn append (the program killed in the middle of a record) leaves a
    // partial record; the next append starts at the record boundary over it.
    void theNextAppendStartsAtTheRecordBoundary_data()
    {
        QTest::addColumn<int>("tornBytes");
        QTest::newRow("1 byte") << 1;
        QTest::newRow("half a record") << int(kRec / 2);
        QTest::newRow("all but one byte") << int(kRec - 1);
    }
    void theNextAppendStartsAtTheRecordBoundary()
    {
        QFETCH(int, tornBytes);
        makeFile({"Abel"});
        QFile f(path());
        QVERIFY(f.open(QIODevice::Append));
        f.write(bytesOf(person("Torn", "t")).left(tornBytes));
        f.close();
        const QByteArray before = readFile(path()).left(2 * int(kRec));
        {
            ContactStore store;
            store.open(spath());
            store.loadContacts();
            QCOMPARE(listKeys(store), QStringList({"Abel x"}));
            QCOMPARE(store.add(person("Baker", "b")), 2);
        }
        const QByteArray after = readFile(path());
        QCOMPARE(after.size(), 3 * kRec);
        QCOMPARE(after.left(2 * int(kRec)), before);
        QCOMPARE(after.mid(2 * int(kRec)), bytesOf(person("Baker", "b")));
        ContactStore again;
        again.open(spath());
        again.loadContacts();
        QCOMPARE(listKeys(again), QStringList({"Abel x", "Baker b"}));
    }

    // The disk accepts the bytes but cannot make them durable: the write is
    // undone before it is reported, so the file matches what the user is told.
    void aFailedSyncRollsTheWriteBack_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("add into a deleted slot") << "add-reuse";
        QTest::newRow("add at the end") << "add-end";
        QTest::newRow("rewrite") << "rewrite";
        QTest::newRow("remove") << "remove";
        QTest::newRow("remove several") << "remove-many";
        QTest::newRow("put back into a deleted slot") << "put-back";
    }
    void aFailedSyncRollsTheWriteBack()
    {
        QFETCH(QString, command);
        makeFile(command == "add-reuse" || command == "put-back"
                     ? std::vector<std::string>{"Abel", "@~", "Clark"}
                     : std::vector<std::string>{"Abel", "Clark"});
        const QByteArray before = readFile(path());
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        const QStringList listed = listKeys(store);
        store.setSyncForTesting([](int) {
            errno = EIO;
            return -1;
        });
        try {
            if (command.startsWith("add"))
                store.add(person("Dunn", "d"));
            else if (command == "rewrite")
                store.rewrite(1, person("Abelard", "a"));
            else if (command == "remove-many")
                store.removeMany({1, 2}, DeletedHow::Deleted);
            else if (command == "put-back")
                store.putBack({{2, person("Dunn", "d")}});
            else
                store.remove(1);
            QFAIL("a write whose sync failed was reported as done");
        } catch (const StoreError &e) {
            QCOMPARE(e.kind(), StoreErrc::Io);
            QCOMPARE(e.code(), kDiskWriteError);
            QCOMPARE(std::string(e.what()), std::string("Disk write error"));
        }
        QCOMPARE(readFile(path()), before);
        QCOMPARE(listKeys(store), listed);
        store.close();
        ContactStore again;
        again.open(spath());
        again.loadContacts();
        QCOMPARE(listKeys(again), listed);
    }

    // Under a file size limit the first write fails; the new file is either
    // whole or absent, so the next start does not find a ruined file.
    void aNewFileIsCreatedWholeOrNotAtAll_data()
    {
        QTest::addColumn<bool>("emptyFileThere");
        QTest::newRow("no file") << false;
        QTest::newRow("empty file") << true;
    }
    void aNewFileIsCreatedWholeOrNotAtAll()
    {
        QFETCH(bool, emptyFileThere);
        if (emptyFileThere)
            QVERIFY(writeFile(path(), {}));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = 500;
        setrlimit(RLIMIT_FSIZE, &limited);
        bool threw = false;
        int code = 0;
        {
            ContactStore store;
            try {
                store.open(spath());
            } catch (const StoreError &e) {
                threw = true;
                code = e.code();
            }
        }
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(threw);
        QCOMPARE(code, 101);
        const QStringList left = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left, emptyFileThere ? QStringList{"VCQ97.NAM"} : QStringList{});
        if (emptyFileThere)
            QCOMPARE(QFileInfo(path()).size(), 0);
        // Without the limit the same start creates the file whole.
        ContactStore store;
        QCOMPARE(store.open(spath()), ContactStore::OpenResult::Created);
        store.close();
        QCOMPARE(readFile(path()), bytesOf(ContactRecord::newHeader()));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_APPLESS_MAIN(TestStoreFaults)
#include "tst_store_faults.moc"
