// SPDX-License-Identifier: GPL-3.0-or-later
// Adding contacts in batches: where they go, and a batch that fails part way
// leaving the file byte for byte and the list as they were.
#include "common/data_file.h"
#include "store/contact_store.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace vcq;
using namespace vcq::test;

namespace
{

// A data file from a pattern: '+' a contact, '-' a tombstone; `tail` extra
// bytes of a partial record at the end.
QByteArray fileOf(const QString &pattern, int tail = 0)
{
    QByteArray bytes = bytesOf(ContactRecord::newHeader());
    int n = 0;
    for (QChar c : pattern) {
        ContactRecord r =
            c == '-' ? ContactRecord::tombstone() : person("Old" + std::to_string(n++), "x");
        if (c == '-')
            r.set(Field::City, "left by the deletion"); // bytes an undo must put back
        bytes += bytesOf(r);
    }
    return bytes + QByteArray(tail, '\x7f');
}

std::vector<ContactRecord> people(int count, const std::string &prefix = "New")
{
    std::vector<ContactRecord> out;
    for (int i = 0; i < count; ++i)
        out.push_back(person(prefix + std::to_string(i), "y"));
    return out;
}

} // namespace

class TestContactStoreBatch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("VCQ97.NAM"); }

    // What a fresh load of the file lists: record number and record.
    std::vector<std::pair<std::int32_t, ContactRecord>> reloaded()
    {
        ContactStore s;
        s.open(path().toStdString());
        s.loadContacts();
        std::vector<std::pair<std::int32_t, ContactRecord>> out;
        for (const ContactNode &n : s.list())
            out.emplace_back(n.RecordNumber, n.record());
        return out;
    }
    static std::vector<std::pair<std::int32_t, ContactRecord>> listed(const ContactStore &s)
    {
        std::vector<std::pair<std::int32_t, ContactRecord>> out;
        for (const ContactNode &n : s.list())
            out.emplace_back(n.RecordNumber, n.record());
        return out;
    }

private slots:
    void slotsGoLowestTombstoneFirst_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("tail");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("empty file") << "" << 0 << 3 << QList<int>{1, 2, 3};
        QTest::newRow("no tombstones") << "++" << 0 << 2 << QList<int>{3, 4};
        QTest::newRow("fewer tombstones than contacts")
            << "+-+-+" << 0 << 4 << QList<int>{2, 4, 6, 7};
        QTest::newRow("more tombstones than contacts") << "--+-" << 0 << 2 << QList<int>{1, 2};
        QTest::newRow("partial record at the end") << "+-" << 300 << 3 << QList<int>{2, 3, 4};
        QTest::newRow("nothing to add") << "+-" << 0 << 0 << QList<int>{};
    }
    void slotsGoLowestTombstoneFirst()
    {
        QFETCH(QString, pattern);
        QFETCH(int, tail);
        QFETCH(int, count);
        QFETCH(QList<int>, expected);
        QVERIFY(writeFile(path(), fileOf(pattern, tail)));
        {
            ContactStore store;
            store.open(path().toStdString());
            store.loadContacts();
            const std::size_t before = store.list().size();
            const std::vector<std::int32_t> taken = store.addMany(people(count));
            QCOMPARE(QList<int>(taken.begin(), taken.end()), expected);
            QCOMPARE(store.list().size(), before + std::size_t(count));
            for (int i = 0; i < count; ++i) {
                const ContactNode *n = store.list().findRecord(taken[std::size_t(i)]);
                QVERIFY(n);
                QCOMPARE(n->field(Field::LastName), "New" + std::to_string(i));
            }
            // A single add afterwards still takes the next free slot.
            const std::int32_t next = store.add(person("Later"));
            QVERIFY(std::find(taken.begin(), taken.end(), next) == taken.end());
            const auto inMemory = listed(store);
            store.close();
            QCOMPARE(reloaded(), inMemory);
        }
    }

    // A batch lists its contacts exactly as adding them one by one would,
    // equal names included, whether it is merged into the list at once (a
    // large batch) or put in one by one (a small one in a long list).
    void batchListsAsSingleAddsDo_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("count");
        // Names sharing a long beginning, already listed and in the batch:
        // only the bytes far into the names order them.
        QTest::addColumn<QString>("stem");
        QTest::newRow("large batch, short list") << QString("+-++") << 40 << QString();
        QTest::newRow("small batch, long list") << QString("+-+").repeated(400) << 3 << QString();
        QTest::newRow("batch as long as the list")
            << QString("+-+").repeated(30) << 60 << QString();
        // Merged at once, its places bunched rather than spread over the list.
        QTest::newRow("bunched batch, long list")
            << QString("+-+").repeated(400) << 60 << QString();
        QTest::newRow("names alike far into them")
            << QString("+-+") << 60 << QString("Vanderbiltshire-Montgomery");
    }
    void batchListsAsSingleAddsDo()
    {
        QFETCH(QString, pattern);
        QFETCH(int, count);
        QFETCH(QString, stem);
        std::vector<ContactRecord> batch;
        for (int i = 0; i < count; ++i)
            batch.push_back(stem.isEmpty()
                                ? person(i % 3   ? "Same"
                                         : i % 2 ? "Old" + std::to_string(i % 11)
                                                 : "Other" + std::to_string(i % 7),
                                         "x")
                                : person(stem.toStdString() + std::to_string((i * 7) % 23), "x"));
        const QString other = m_dir.filePath("ONE.NAM");
        QVERIFY(writeFile(path(), fileOf(pattern)));
        QVERIFY(writeFile(other, fileOf(pattern)));
        ContactStore many, single;
        many.open(path().toStdString());
        many.loadContacts();
        single.open(other.toStdString());
        single.loadContacts();
        if (!stem.isEmpty()) {
            for (int i = 0; i < 400; ++i) {
                const ContactRecord r = person(stem.toStdString() + std::to_string(i % 31), "x");
                many.add(r);
                single.add(r);
            }
        }
        many.addMany(batch);
        for (const ContactRecord &r : batch)
            single.add(r);
        QCOMPARE(listed(many), listed(single));
    }

    // The file keeps no header-only field for a contact, whether a batch
    // carries some or none.
    void headerOnlyFieldsAreNotWritten_data()
    {
        QTest::addColumn<bool>("carried");
        QTest::newRow("a batch with some") << true;
        QTest::newRow("a batch with none") << false;
    }
    void headerOnlyFieldsAreNotWritten()
    {
        QFETCH(bool, carried);
        QVERIFY(writeFile(path(), fileOf("+")));
        ContactStore store;
        store.open(path().toStdString());
        store.loadContacts();
        std::vector<ContactRecord> batch = people(3);
        std::vector<ContactRecord> expected = batch;
        if (carried) {
            batch[1].set(Field::Password, "not for a contact");
            batch[2].set(Field::Reserved, std::string("\0\x01", 2));
        }
        store.addMany(batch);
        store.close();
        const QByteArray bytes = readFile(path());
        QCOMPARE(bytes.size(), 5 * 764);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(bytes.mid((2 + i) * 764, 764), bytesOf(expected[std::size_t(i)]));
    }

    void reservedLastNameRefusesTheWholeBatch()
    {
        QVERIFY(writeFile(path(), fileOf("+-")));
        const QByteArray before = readFile(path());
        ContactStore store;
        store.open(path().toStdString());
        store.loadContacts();
        std::vector<ContactRecord> batch = people(3);
        batch[2].set(Field::LastName, " @~ ");
        try {
            store.addMany(batch);
            QFAIL("a reserved last name was added");
        } catch (const StoreError &e) {
            QCOMPARE(e.kind(), StoreErrc::ReservedLastName);
        }
        QCOMPARE(store.list().size(), std::size_t(1));
        QCOMPARE(readFile(path()), before);
    }

    // The file may grow only so far: the appended part of the batch fails
    // after its first records reached the file.
    void failedBatchLeavesFileAndListAsTheyWere_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("tail");
        QTest::addColumn<int>("room");  // bytes the file may grow by
        QTest::addColumn<int>("count"); // contacts in the batch
        QTest::newRow("tombstones then append fails mid-record") << "-+-" << 0 << 1000 << 10;
        QTest::newRow("append fails at once") << "++" << 0 << 0 << 10;
        QTest::newRow("partial record kept") << "+-" << 100 << 2000 << 10;
        // Megabytes already written and on their way to the disk are undone too.
        QTest::newRow("append fails megabytes in") << "+-" << 0 << 3500000 << 6000;
    }
    void failedBatchLeavesFileAndListAsTheyWere()
    {
        QFETCH(QString, pattern);
        QFETCH(int, tail);
        QFETCH(int, room);
        QFETCH(int, count);
        QVERIFY(writeFile(path(), fileOf(pattern, tail)));
        const QByteArray before = readFile(path());
        ContactStore store;
        store.open(path().toStdString());
        store.loadContacts();
        const auto listBefore = listed(store);

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = static_cast<rlim_t>(before.size() + room);
        setrlimit(RLIMIT_FSIZE, &limited);
        bool threw = false;
        try {
            store.addMany(people(count));
        } catch (const StoreError &e) {
            threw = true;
            QCOMPARE(e.kind(), StoreErrc::Io);
        }
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(threw);
        QCOMPARE(readFile(path()), before);
        QCOMPARE(listed(store), listBefore);
        // The store goes on working: the same batch now fits.
        const std::vector<std::int32_t> taken = store.addMany(people(count));
        QCOMPARE(taken.size(), std::size_t(count));
        const auto inMemory = listed(store);
        store.close();
        QCOMPARE(reloaded(), inMemory);
    }
};

QTEST_GUILESS_MAIN(TestContactStoreBatch)
#include "tst_contact_store_batch.moc"
