// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the data file beside the program that has it open: the same
// contacts as a load, the file untouched, its damage reported.
#include "common/data_file.h"
#include "store/contact_snapshot.h"
#include "store/contact_store.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vcq;
using namespace vcq::test;

class TestContactSnapshot : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("VCQ97.NAM"); }

private slots:
    void readsWhatALoadListsWhileTheFileIsLocked()
    {
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

        const ContactSnapshot snapshot = readSnapshot(path().toStdString());
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

    void damagedOrMissingFilesFail_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code");
        QTest::newRow("missing") << QByteArray() << false << int(StoreErrc::Io) << 2;
        QTest::newRow("empty") << QByteArray() << true << int(StoreErrc::WrongFileFormat) << 0;
        QTest::newRow("shorter than a header")
            << QByteArray(763, 'a') << true << int(StoreErrc::WrongFileFormat) << 0;
    }
    void damagedOrMissingFilesFail()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        QFETCH(int, kind);
        QFETCH(int, code);
        QFile::remove(path());
        if (exists)
            QVERIFY(writeFile(path(), content));
        try {
            readSnapshot(path().toStdString());
            QFAIL("read a snapshot of a damaged file");
        } catch (const StoreError &e) {
            QCOMPARE(int(e.kind()), kind);
            QCOMPARE(e.code(), code);
        }
        QCOMPARE(QFile::exists(path()), exists);
    }
};

QTEST_GUILESS_MAIN(TestContactSnapshot)
#include "tst_contact_snapshot.moc"
