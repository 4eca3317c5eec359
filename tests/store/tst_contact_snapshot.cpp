// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the data file beside the program that has it open: the same
// contacts as a load, the file untouched, its damage reported; with the
// program closed, the file held shared until the reading ends.
#include "common/data_file.h"
#include "store/contact_snapshot.h"
#include "store/contact_store.h"
#include "store/file_descriptor.h"
#include "store/file_lock.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <future>
#include <optional>

using namespace vcq;
using namespace vcq::test;

class TestContactSnapshot : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("VCQ97.NAM"); }

private slots:
    void readsWhatALoadListsWhileTheFileIsLocked_data()
    {
        QTest::addColumn<SnapshotAccess>("access");
        QTest::newRow("copied") << SnapshotAccess::Copy;
        // A running copy holds the file: no shared lock, a copy instead.
        QTest::newRow("shared when free") << SnapshotAccess::ShareWhenFree;
    }
    void readsWhatALoadListsWhileTheFileIsLocked()
    {
        QFETCH(SnapshotAccess, access);
        QByteArray bytes = bytesOf(ContactRecord::newHeader());
        bytes += bytesOf(contact("Zola", "Emile",
                                 {{Field::Phone1, "555-0101"},
                                  {Field::Email, "emile@example.org"},
                                  {Field::Comment, "J'accuse"},
                                  {Field::Birth, "02-04-40"}}));
        bytes += bytesOf(ContactRecord::tombstone());
        bytes += bytesOf(person(" @~ ", "")); // a tombstone by its trimmed name
        bytes += bytesOf(person("Abel", "Anne"));
        bytes += QByteArray(100, 'x'); // a partial record
        QVERIFY(writeFile(path(), bytes));

        ContactStore store; // holds the lock, as the running program does
        store.open(path().toStdString());
        store.loadContacts();
        store.add(person("Moreau", "Jeanne"));
        const QByteArray before = readFile(path());

        const ContactSnapshot snapshot = readSnapshot(path().toStdString(), access);
        QVERIFY(!snapshot.shared);
        QCOMPARE(snapshot.header, store.header());
        std::vector<std::pair<std::int32_t, std::string>> seen, expected;
        for (const ContactNode &n : snapshot.list)
            seen.emplace_back(n.RecordNumber, n.DisplayKey);
        for (const ContactNode &n : store.list())
            expected.emplace_back(n.RecordNumber, n.DisplayKey);
        QCOMPARE(seen, expected);
        QCOMPARE(seen.size(), std::size_t(3));
        // Every field, through the list and straight from the records read.
        for (const ContactNode &n : snapshot.list) {
            const ContactNode *loaded = store.list().findRecord(n.RecordNumber);
            QVERIFY(loaded);
            QCOMPARE(n.record(), loaded->record());
            for (Field f : kContactFields)
                QCOMPARE(snapshot.record(n.RecordNumber).view(f), loaded->record().view(f));
        }
        QCOMPARE(readFile(path()), before);
    }

    // With the program closed, the file's own pages are read under the shared
    // lock: readers share it, the program starting meanwhile waits for them.
    void sharedSnapshotKeepsWritersWaitingUntilItEnds()
    {
        QByteArray bytes = bytesOf(ContactRecord::newHeader());
        bytes += bytesOf(person("Zola", "Emile"));
        bytes += bytesOf(ContactRecord::tombstone());
        bytes += bytesOf(person("Abel", "Anne"));
        QVERIFY(writeFile(path(), bytes));
        const std::string file = path().toStdString();

        std::optional<ContactSnapshot> snapshot = readSnapshot(file, SnapshotAccess::ShareWhenFree);
        QVERIFY(snapshot->shared);
        QCOMPARE(snapshot->list.size(), std::size_t(2));
        QCOMPARE(snapshot->list.begin()->DisplayKey, std::string("Abel Anne"));
        QCOMPARE(snapshot->record(1).view(Field::LastName), std::string_view("Zola"));
        QVERIFY(!readSnapshot(file).shared);
        QVERIFY(readSnapshot(file, SnapshotAccess::ShareWhenFree).shared);

        const FileDescriptor other(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
        QVERIFY(other.valid());
        QVERIFY(!heldByAnotherCopy(other.get())); // a reader is no running copy
        QCOMPARE(lockExclusive(other.get(), std::chrono::milliseconds(0)), EWOULDBLOCK);

        auto opening = std::async(std::launch::async, [&] {
            ContactStore store;
            store.open(file);
            store.loadContacts();
            return store.list().size();
        });
        snapshot.reset();
        QCOMPARE(opening.get(), std::size_t(2));
        QCOMPARE(readFile(path()), bytes);
    }

    void anotherCopyIsNoReader()
    {
        QVERIFY(writeFile(path(), bytesOf(ContactRecord::newHeader())));
        ContactStore store;
        store.open(path().toStdString());
        const FileDescriptor other(::open(path().toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC));
        QVERIFY(other.valid());
        QVERIFY(heldByAnotherCopy(other.get()));
        QVERIFY(!lockShared(other.get()));
        QCOMPARE(lockExclusive(other.get()), EWOULDBLOCK);
    }

    void damagedOrMissingFilesFail_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<SnapshotAccess>("access");
        for (const SnapshotAccess access : {SnapshotAccess::Copy, SnapshotAccess::ShareWhenFree}) {
            const char *how = access == SnapshotAccess::Copy ? "copied" : "shared";
            QTest::addRow("missing, %s", how)
                << QByteArray() << false << int(StoreErrc::Io) << 2 << access;
            QTest::addRow("empty, %s", how)
                << QByteArray() << true << int(StoreErrc::WrongFileFormat) << 0 << access;
            QTest::addRow("shorter than a header, %s", how)
                << QByteArray(763, 'a') << true << int(StoreErrc::WrongFileFormat) << 0 << access;
        }
    }
    void damagedOrMissingFilesFail()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        QFETCH(int, kind);
        QFETCH(int, code);
        QFETCH(SnapshotAccess, access);
        QFile::remove(path());
        if (exists)
            QVERIFY(writeFile(path(), content));
        try {
            readSnapshot(path().toStdString(), access);
            QFAIL("read a snapshot of a damaged file");
        } catch (const StoreError &e) {
            QCOMPARE(int(e.kind()), kind);
            QCOMPARE(e.code(), code);
        }
        QCOMPARE(QFile::exists(path()), exists);
        if (exists) { // no lock left behind
            const FileDescriptor fd(::open(path().toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC));
            QCOMPARE(lockExclusive(fd.get(), std::chrono::milliseconds(0)), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestContactSnapshot)
#include "tst_contact_snapshot.moc"
