// SPDX-License-Identifier: GPL-3.0-or-later
// The contact list's order, lookup, re-keying and removal.
#include "store/contact_list.h"

#include <QByteArrayList>
#include <QTest>

using namespace vcq;

namespace
{

ContactRecord contact(const std::string &last, const std::string &first,
                      const std::string &phone = {})
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    r.set(Field::Phone1, phone);
    return r;
}

// "key#record" for each node, walking from the head.
QByteArrayList walk(const ContactList &list)
{
    QByteArrayList out;
    for (const ContactNode &n : list)
        out << QByteArray::fromStdString(std::string(n.DisplayKey)) + '#' +
                   QByteArray::number(n.RecordNumber);
    return out;
}

} // namespace

class TestContactList : public QObject
{
    Q_OBJECT

private slots:
    void emptyList()
    {
        ContactList list;
        QVERIFY(list.head() == nullptr);
        QVERIFY(list.FindNode("Smith John") == nullptr);
        QVERIFY(list.FindNode("") == nullptr);
        QVERIFY(!list.remove(1));
        QVERIFY(!list.update(1, contact("A", "B")));
    }

    void insertionOrder_data()
    {
        QTest::addColumn<QByteArrayList>("names"); // "Last|First", inserted as records 1, 2, ...
        QTest::addColumn<QByteArrayList>("order");
        QTest::newRow("byte order, case-sensitive")
            << QByteArrayList{"smith|Anna", "Smith|John"}
            << QByteArrayList{"Smith John#2", "smith Anna#1"};
        QTest::newRow("Z before a")
            << QByteArrayList{"abel|", "Zola|"} << QByteArrayList{"Zola #2", "abel #1"};
        QTest::newRow("accented after unaccented")
            << QByteArrayList{"\xC9mile|", "Zed|"} << QByteArrayList{"Zed #2", "\xC9mile #1"};
        QTest::newRow("no first name before longer key")
            << QByteArrayList{"Lee|Ann", "Lee|"} << QByteArrayList{"Lee #2", "Lee Ann#1"};
        QTest::newRow("equal keys: newest first")
            << QByteArrayList{"Smith|John", "Adam|", "Smith|John", "Smith|John"}
            << QByteArrayList{"Adam #2", "Smith John#4", "Smith John#3", "Smith John#1"};
        QTest::newRow("leading blank sorts first")
            << QByteArrayList{"Abel|", " Zed|"} << QByteArrayList{" Zed #2", "Abel #1"};
    }
    void insertionOrder()
    {
        QFETCH(QByteArrayList, names);
        QFETCH(QByteArrayList, order);
        ContactList list;
        int record = 1;
        for (const QByteArray &name : names) {
            const QByteArrayList parts = name.split('|');
            list.InsertNode(record++, contact(parts[0].toStdString(), parts[1].toStdString()));
        }
        QCOMPARE(walk(list), order);
        QCOMPARE(list.size(), std::size_t(names.size()));
    }

    void findReturnsTheNewestOfEqualKeys()
    {
        ContactList list;
        list.InsertNode(1, contact("Smith", "John", "111"));
        list.InsertNode(2, contact("Smith", "John", "222"));
        const ContactNode *n = list.FindNode("Smith John");
        QVERIFY(n);
        QCOMPARE(n->RecordNumber, 2);
        QVERIFY(list.FindNode("Smith") == nullptr); // exact keys only
        // Yet each is reachable by its own record number.
        QCOMPARE(list.findRecord(1)->field(Field::Phone1), std::string("111"));
        QCOMPARE(list.findRecord(2)->field(Field::Phone1), std::string("222"));
    }

    void updateKeepsOrMovesTheNode()
    {
        ContactList list;
        list.InsertNode(1, contact("Adam", "A"));
        list.InsertNode(2, contact("Baker", "B"));
        list.InsertNode(3, contact("Clark", "C"));

        QVERIFY(list.update(1, contact("Adam", "A", "555")));
        QCOMPARE(walk(list), (QByteArrayList{"Adam A#1", "Baker B#2", "Clark C#3"}));
        QCOMPARE(list.findRecord(1)->field(Field::Phone1), std::string("555"));

        QVERIFY(list.update(1, contact("Dole", "A")));
        QCOMPARE(walk(list), (QByteArrayList{"Baker B#2", "Clark C#3", "Dole A#1"}));

        // A re-keyed node goes in front of an equal key, as a fresh insertion.
        QVERIFY(list.update(2, contact("Dole", "A")));
        QCOMPARE(walk(list), (QByteArrayList{"Clark C#3", "Dole A#2", "Dole A#1"}));
        QCOMPARE(list.FindNode("Dole A")->RecordNumber, 2);
    }

    void removeHeadAndMiddle()
    {
        ContactList list;
        list.InsertNode(1, contact("A", ""));
        list.InsertNode(2, contact("B", ""));
        list.InsertNode(3, contact("C", ""));
        QVERIFY(list.remove(1));
        QCOMPARE(list.head()->RecordNumber, 2);
        QVERIFY(list.remove(3));
        QCOMPARE(walk(list), QByteArrayList{"B #2"});
        QVERIFY(list.findRecord(3) == nullptr);
        QVERIFY(list.remove(2));
        QVERIFY(list.empty());
    }

    void newNodesStartWithZeroScratch()
    {
        ContactList list;
        const ContactNode &n = list.InsertNode(7, contact("A", "B"));
        QCOMPARE(n.PrintHeight, 0);
        QCOMPARE(n.PrintPanel, 0);
        QCOMPARE(n.RecordNumber, 7);
    }
};

QTEST_APPLESS_MAIN(TestContactList)
#include "tst_contact_list.moc"
