// The sorted entries of the contact list box.
#include "mainwin/contact_list_model.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

using namespace vcq;
using Entry = ContactListModel::Entry;

class TestContactListModel : public QObject
{
    Q_OBJECT

    static QStringList texts(const ContactListModel &m)
    {
        QStringList l;
        for (int i = 0; i < m.count(); ++i)
            l << m.at(i).text;
        return l;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::Canada)); }

    void sortsLikeTheDesktop_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("case-insensitive")
            << QStringList({"Smith John", "smith Anna", "Zola", "adams"})
            << QStringList({"adams", "smith Anna", "Smith John", "Zola"});
        QTest::newRow("accents beside their letter")
            << QStringList({QStringLiteral("Zed"), QStringLiteral("Émond"), QStringLiteral("Eve"),
                            QStringLiteral("Fox")})
            << QStringList({QStringLiteral("Émond"), QStringLiteral("Eve"), QStringLiteral("Fox"),
                            QStringLiteral("Zed")});
        QTest::newRow("a name without first name first")
            << QStringList({"Lee Ann", "Lee "}) << QStringList({"Lee ", "Lee Ann"});
    }
    void sortsLikeTheDesktop()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, sorted);
        ContactListModel loaded;
        std::vector<Entry> entries;
        for (int i = 0; i < given.size(); ++i)
            entries.push_back({given[i], i + 1});
        loaded.setEntries(entries);
        QCOMPARE(texts(loaded), sorted);

        // Inserting one by one gives the same order.
        ContactListModel inserted;
        for (const Entry &e : entries)
            inserted.insert(e);
        QCOMPARE(texts(inserted), sorted);
        // Each entry still names its own record.
        for (int row = 0; row < loaded.count(); ++row)
            QCOMPARE(given[loaded.at(row).record - 1], loaded.at(row).text);
    }

    void equalEntriesStayDistinct()
    {
        ContactListModel m;
        m.setEntries({{"Smith John", 3}, {"Adams", 1}, {"Smith John", 2}});
        QCOMPARE(m.at(1), (Entry{"Smith John", 3}));
        QCOMPARE(m.at(2), (Entry{"Smith John", 2}));
        // A new equal entry goes in front of the others.
        QCOMPARE(m.insert({"Smith John", 7}), 1);
        QCOMPARE(m.rowOfRecord(7), 1);
        QCOMPARE(m.rowOfRecord(2), 3);
        QCOMPARE(m.rowOfRecord(99), -1);
        QCOMPARE(m.data(m.index(3), ContactListModel::RecordRole).toInt(), 2);
        QCOMPARE(m.data(m.index(3), Qt::DisplayRole).toString(), QStringLiteral("Smith John"));
    }

    void insertAndRemoveTellTheView()
    {
        ContactListModel m;
        m.setEntries({{"B", 1}, {"D", 2}});
        QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
        QCOMPARE(m.insert({"C", 3}), 1);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted[0][1].toInt(), 1);
        m.removeAt(0);
        m.removeAt(5); // no such row: nothing happens
        QCOMPARE(removed.count(), 1);
        QCOMPARE(texts(m), QStringList({"C", "D"}));
        m.clear();
        QCOMPARE(m.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestContactListModel)
#include "tst_contact_list_model.moc"
