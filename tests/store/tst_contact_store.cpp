// SPDX-License-Identifier: GPL-3.0-or-later
// The data file: creation, loading, slot reuse, in-place writes, damaged and
// locked files, and failed writes that must leave file and list in step.
#include "common/data_file.h"
#include "store/contact_store.h"
#include "store/slot_reuse.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vcq;
using namespace vcq::test;

class TestContactStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("VCQ97.NAM"); }
    std::string spath() const { return path().toStdString(); }

    // A file of a header and the given contacts (nullptr-free list of last names;
    // "@~" gives a tombstone).
    void makeFile(const std::vector<std::string> &lastNames)
    {
        QByteArray bytes = bytesOf(ContactRecord::newHeader());
        for (const auto &n : lastNames)
            bytes += bytesOf(person(n, "x"));
        QVERIFY(writeFile(path(), bytes));
    }

private slots:
    void init()
    {
        QFile::remove(path());
        QFile::remove(QString::fromStdString(slotReusePath(spath())));
        QDir(m_dir.path()).rmdir("VCQ97.NAM");
    }

    void newFileHoldsOnlyTheHeader()
    {
        ContactStore store;
        QCOMPARE(store.open(spath()), ContactStore::OpenResult::Created);
        store.loadContacts();
        QVERIFY(store.list().empty());
        store.close();
        const QByteArray bytes = readFile(path());
        QCOMPARE(bytes.size(), 764);
        QByteArray expected(764, '\0');
        expected[0] = 5;
        expected.replace(1, 5, "Beta3");
        expected[31] = 17;
        expected.replace(32, 17, "Vellora Softwares");
        QCOMPARE(bytes, expected);
    }

    void emptyFileIsTreatedAsNew()
    {
        QVERIFY(writeFile(path(), QByteArray()));
        ContactStore store;
        QCOMPARE(store.open(spath()), ContactStore::OpenResult::Created);
        store.close();
        QCOMPARE(readFile(path()), bytesOf(ContactRecord::newHeader()));
    }

    void loadsContactsWithSlotNumbers()
    {
        makeFile({"Zed", "@~", "Abel", " @~ ", "Mia"});
        ContactStore store;
        QCOMPARE(store.open(spath()), ContactStore::OpenResult::Opened);
        store.loadContacts();
        QStringList seen;
        for (const ContactNode &n : store.list())
            seen << QString::fromStdString(std::string(n.DisplayKey)) + '#' +
                        QString::number(n.RecordNumber);
        QCOMPARE(seen, (QStringList{"Abel x#3", "Mia x#5", "Zed x#1"}));
        QCOMPARE(store.header().get(Field::LastName), std::string("Vellora Softwares"));
    }

    void fieldsAreReadFromTheFileWhenAsked()
    {
        makeFile({"Abel", "Baker"});
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        QCOMPARE(store.list().findRecord(2)->field(Field::FirstName), std::string("x"));
        ContactRecord changed = person("Baker", "y");
        changed.set(Field::Email, "b@example.org");
        QVERIFY(store.rewrite(2, changed));
        QCOMPARE(store.list().findRecord(2)->record(), changed);
        // A record that can no longer be read is reported, never shown empty.
        QCOMPARE(::truncate(spath().c_str(), 764 + 100), 0);
        try {
            store.list().findRecord(1)->field(Field::LastName);
            QFAIL("a record past the end of the file was read");
        } catch (const StoreError &e) {
            QCOMPARE(e.code(), 100);
        }
    }

    void trailingPartialRecordIgnoredAndKept()
    {
        makeFile({"Abel"});
        QByteArray bytes = readFile(path());
        bytes += QByteArray(100, 'q');
        QVERIFY(writeFile(path(), bytes));
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        QCOMPARE(store.list().size(), std::size_t(1));
        QCOMPARE(store.recordCount(), std::int64_t(2));
        store.close();
        QCOMPARE(readFile(path()), bytes);
    }

    void tombstonesAreReusedLowestFirst()
    {
        makeFile({"A", "B", "C", "D", "E", "F"});
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        QVERIFY(store.remove(5));
        QVERIFY(store.remove(3));
        QCOMPARE(store.add(person("New1")), 3);
        QCOMPARE(store.add(person("New2")), 5);
        QCOMPARE(store.add(person("New3")), 7);
        QCOMPARE(readFile(path()).size(), 8 * 764);
        QCOMPARE(store.list().findRecord(5)->field(Field::LastName), std::string("New2"));
    }

    // Each slot given to a new contact after a deletion is counted beside the
    // file, whether added alone or in a batch; new slots at the end are not.
    void reusedSlotsAreCounted()
    {
        makeFile({"A", "B", "C", "D"});
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        std::error_code error;
        QVERIFY(readSlotReuses(spath(), error).empty());
        QVERIFY(!error);
        QVERIFY(store.remove(1));
        QVERIFY(store.remove(3));
        QCOMPARE(store.add(person("New1")), 1);
        QCOMPARE(store.addMany({person("New3"), person("New5"), person("New6")}),
                 (std::vector<std::int32_t>{3, 5, 6}));
        QCOMPARE(store.add(person("New7")), 7);
        QVERIFY(store.remove(1));
        QCOMPARE(store.add(person("Again1")), 1);
        const SlotReuses expected{{1, 2}, {3, 1}};
        QCOMPARE(readSlotReuses(spath(), error), expected);
        QVERIFY(!error);
        // A write cut short leaves part of an entry, which is not counted.
        QFile log(QString::fromStdString(slotReusePath(spath())));
        QVERIFY(log.open(QIODevice::Append));
        QCOMPARE(log.write("\x05\x00", 2), 2);
        log.close();
        QCOMPARE(readSlotReuses(spath(), error), expected);
        QVERIFY(!error);
    }

    void slotsOfAFileOpenedWithoutLoadingAreFound()
    {
        makeFile({"A", "@~", "C"});
        ContactStore store;
        store.open(spath());
        QCOMPARE(store.add(person("B")), 2);
    }

    void deletingTheLastRecordDoesNotShrinkTheFile()
    {
        makeFile({"A", "B"});
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        QVERIFY(store.remove(2));
        QVERIFY(!store.remove(2)); // no longer listed: nothing written
        store.close();
        const QByteArray bytes = readFile(path());
        QCOMPARE(bytes.size(), 3 * 764);
        QCOMPARE(bytes.mid(2 * 764), bytesOf(ContactRecord::tombstone()));
    }

    void rewriteIsInPlaceAndByteExact()
    {
        makeFile({"Abel", "Baker"});
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        ContactRecord changed = person("Zimmer", "Anna");
        changed.set(Field::Phone3, "555-1234");
        changed.set(Field::Password, "not stored for a contact");
        QVERIFY(store.rewrite(1, changed));
        QCOMPARE(std::string(store.list().findRecord(1)->DisplayKey), std::string("Zimmer Anna"));
        QCOMPARE(store.list().head()->RecordNumber, 2); // moved behind Baker
        QVERIFY(!store.rewrite(9, changed));
        store.close();

        QByteArray expected(764, '\0');
        expected[0] = 4;
        expected.replace(1, 4, "Anna");
        expected[31] = 6;
        expected.replace(32, 6, "Zimmer");
        expected[373] = 8;
        expected.replace(374, 8, "555-1234");
        expected[646] = 8;
        expected.replace(647, 8, "  -  -  ");
        QCOMPARE(readFile(path()).mid(764, 764), expected);
    }

    void everyByteValueSurvivesWriteAndRead()
    {
        ContactStore store;
        store.open(spath());
        ContactRecord r = person("Bytes");
        std::string all;
        for (int c = 0; c < 200; ++c)
            all += static_cast<char>(c);
        std::string high;
        for (int c = 200; c < 256; ++c)
            high += static_cast<char>(c);
        r.set(Field::Comment, all);
        r.set(Field::Email, high.substr(0, 40));
        r.set(Field::Organisation, high.substr(40));
        const int slot = store.add(r);
        store.close();
        store.open(spath());
        store.loadContacts();
        const ContactNode *n = store.list().findRecord(slot);
        QVERIFY(n);
        QCOMPARE(n->field(Field::Comment), all);
        QCOMPARE(n->field(Field::Email), high.substr(0, 40));
        QCOMPARE(n->field(Field::Organisation), high.substr(40));
    }

    void headerFieldsSurviveWriteHeader()
    {
        ContactRecord header = ContactRecord::newHeader();
        header.set(Field::Organisation, "kept");
        header.set(Field::Status, "also kept");
        header.set(Field::Reserved, std::string("\0\x01\xFF", 3));
        QVERIFY(writeFile(path(), bytesOf(header)));
        ContactStore store;
        store.open(spath());
        ContactRecord image = store.header();
        image.set(Field::Protection, "x");
        store.writeHeader(image);
        store.close();
        const ContactRecord back = ContactRecord::fromBytes(
            reinterpret_cast<const unsigned char *>(readFile(path()).constData()));
        QCOMPARE(back.get(Field::Organisation), std::string("kept"));
        QCOMPARE(back.get(Field::Status), std::string("also kept"));
        QCOMPARE(back.get(Field::Reserved), std::string("\0\x01\xFF", 3));
        QCOMPARE(back.get(Field::Protection), std::string("x"));
    }

    void reservedLastNameIsRefused_data()
    {
        QTest::addColumn<std::string>("lastName");
        QTest::newRow("mark") << std::string("@~");
        QTest::newRow("blanks") << std::string("  @~  ");
        QTest::newRow("tab") << std::string("\t@~");
    }
    void reservedLastNameIsRefused()
    {
        QFETCH(std::string, lastName);
        makeFile({"Abel"});
        const QByteArray before = readFile(path());
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                if (attempt == 0)
                    store.add(person(lastName));
                else
                    store.rewrite(1, person(lastName));
                QFAIL("a reserved last name was written");
            } catch (const StoreError &e) {
                QCOMPARE(e.kind(), StoreErrc::ReservedLastName);
            }
        }
        QCOMPARE(store.list().size(), std::size_t(1));
        QCOMPARE(std::string(store.list().head()->DisplayKey), std::string("Abel x"));
        store.close();
        QCOMPARE(readFile(path()), before);
    }

    void filesThatAreNeverWritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("kind");
        QTest::newRow("one byte") << QByteArray(1, 'x') << int(StoreErrc::WrongFileFormat);
        QTest::newRow("763 bytes") << QByteArray(763, '\0') << int(StoreErrc::WrongFileFormat);
    }
    void filesThatAreNeverWritten()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, kind);
        QVERIFY(writeFile(path(), content));
        ContactStore store;
        try {
            store.open(spath());
            QFAIL("a damaged file was opened");
        } catch (const StoreError &e) {
            QCOMPARE(int(e.kind()), kind);
        }
        QVERIFY(!store.isOpen());
        QCOMPARE(readFile(path()), content);
    }

    // However an open is refused, the descriptor it opened is closed again.
    void refusedOpensLeaveNoDescriptorOpen_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("too short") << "short";
        QTest::newRow("a pipe") << "fifo";
        QTest::newRow("held by another copy") << "locked";
    }
    void refusedOpensLeaveNoDescriptorOpen()
    {
        QFETCH(QString, obstacle);
        ContactStore holder;
        if (obstacle == u"short") {
            QVERIFY(writeFile(path(), QByteArray(10, 'x')));
        } else if (obstacle == u"fifo") {
            QCOMPARE(::mkfifo(spath().c_str(), 0600), 0);
        } else {
            makeFile({"Abel"});
            holder.open(spath());
        }
        const auto openDescriptors = [] {
            return QDir(QStringLiteral("/proc/self/fd"))
                .entryList(QDir::Files | QDir::System)
                .size();
        };
        const qsizetype before = openDescriptors();
        ContactStore store;
        for (int attempt = 0; attempt < 3; ++attempt)
            QVERIFY_THROWS_EXCEPTION(StoreError, store.open(spath()));
        QVERIFY(!store.isOpen());
        QCOMPARE(openDescriptors(), before);
        QFile::remove(path());
    }

    void aDirectoryInTheWayIsNotCreatedOver()
    {
        QVERIFY(QDir(m_dir.path()).mkdir("VCQ97.NAM"));
        ContactStore store;
        try {
            store.open(spath());
            QFAIL("opened a directory");
        } catch (const StoreError &e) {
            QCOMPARE(e.kind(), StoreErrc::Io);
            QCOMPARE(e.code(), 3);
            QCOMPARE(std::string(e.what()), std::string("Invalid filename"));
        }
        QVERIFY(QFileInfo(path()).isDir());
    }

    void aSecondCopyIsLockedOut()
    {
        makeFile({"Abel"});
        const QByteArray before = readFile(path());
        ContactStore first;
        first.open(spath());
        first.loadContacts();
        // The lock belongs to the open file, so a second open is refused even
        // from the same process, exactly as from another running copy.
        ContactStore second;
        try {
            second.open(spath());
            QFAIL("a second copy opened a locked file");
        } catch (const StoreError &e) {
            QCOMPARE(e.code(), 5);
            QCOMPARE(std::string(e.what()), std::string("File access denied"));
        }
        QVERIFY(!second.isOpen());
        QCOMPARE(readFile(path()), before);
        first.close();
        second.open(spath()); // free again once the first copy closed it
        QVERIFY(second.isOpen());
    }

    void aFailedAppendChangesNothing()
    {
        makeFile({"Abel"});
        const QByteArray before = readFile(path());
        ContactStore store;
        store.open(spath());
        store.loadContacts();
        // Limit the size of files this process may write to the current one.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = static_cast<rlim_t>(before.size());
        setrlimit(RLIMIT_FSIZE, &limited);
        bool threw = false;
        try {
            store.add(person("Baker"));
        } catch (const StoreError &e) {
            threw = true;
            QCOMPARE(e.kind(), StoreErrc::Io);
            QVERIFY(!std::string(e.what()).empty());
        }
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(threw);
        QCOMPARE(store.list().size(), std::size_t(1));
        QVERIFY(store.list().FindNode("Baker ") == nullptr);
        // The next append still takes the end slot.
        QCOMPARE(store.add(person("Clark")), 2);
        store.close();
        QCOMPARE(readFile(path()).left(before.size()), before);
        QCOMPARE(readFile(path()).size(), 3 * 764);
    }

    void writesOnAClosedStoreFail()
    {
        ContactStore store;
        try {
            store.add(person("A"));
            QFAIL("wrote without a file");
        } catch (const StoreError &e) {
            QCOMPARE(e.kind(), StoreErrc::NotOpen);
        }
    }

    void ioMessages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("2") << 2 << "File not found";
        QTest::newRow("3") << 3 << "Invalid filename";
        QTest::newRow("4") << 4 << "Too many open files";
        QTest::newRow("5") << 5 << "File access denied";
        QTest::newRow("100") << 100 << "Read beyond end of file";
        QTest::newRow("101") << 101 << "Disk full";
        QTest::newRow("106") << 106 << "Invalid numeric input";
        QTest::newRow("read fault") << kDiskReadError << "Disk read error";
        QTest::newRow("write fault") << kDiskWriteError << "Disk write error";
        QTest::newRow("other") << 27 << "I/O error 27";
    }
    void ioMessages()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(QString::fromStdString(ioErrorMessage(code)), message);
    }

    void errnoMapping_data()
    {
        QTest::addColumn<int>("err");
        QTest::addColumn<bool>("writing");
        QTest::addColumn<int>("code");
        QTest::newRow("ENOENT") << ENOENT << false << 2;
        QTest::newRow("EISDIR") << EISDIR << false << 3;
        QTest::newRow("EMFILE") << EMFILE << false << 4;
        QTest::newRow("EACCES") << EACCES << true << 5;
        QTest::newRow("EPERM") << EPERM << true << 5;
        QTest::newRow("EROFS") << EROFS << true << 5;
        QTest::newRow("EWOULDBLOCK") << EWOULDBLOCK << false << 5;
        QTest::newRow("ENOSPC") << ENOSPC << true << 101;
        QTest::newRow("EDQUOT") << EDQUOT << true << 101;
        QTest::newRow("EFBIG") << EFBIG << true << 101;
        QTest::newRow("EIO reading") << EIO << false << kDiskReadError;
        QTest::newRow("EIO writing") << EIO << true << kDiskWriteError;
    }
    void errnoMapping()
    {
        QFETCH(int, err);
        QFETCH(bool, writing);
        QFETCH(int, code);
        QCOMPARE(ioCodeFromErrno(err, writing ? IoOp::Write : IoOp::Read), code);
    }
};

QTEST_APPLESS_MAIN(TestContactStore)
#include "tst_contact_store.moc"
