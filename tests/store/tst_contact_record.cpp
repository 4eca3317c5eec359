// SPDX-License-Identifier: GPL-3.0-or-later
// The record format: field layout, short strings, tombstones, display keys.
#include "store/contact_record.h"

#include <QTest>

using namespace vcq;

Q_DECLARE_METATYPE(std::string)

class TestContactRecord : public QObject
{
    Q_OBJECT

private slots:
    void layoutIsContiguousAndFills764Bytes()
    {
        std::size_t next = 0;
        for (int i = 0; i < kFieldCount; ++i) {
            const FieldLayout l = fieldLayout(static_cast<Field>(i));
            QCOMPARE(l.offset, next);
            next = l.offset + l.maxLength + 1;
        }
        QCOMPARE(next, kRecordSize);
    }

    void newHeaderBytes()
    {
        const ContactRecord h = ContactRecord::newHeader();
        std::array<unsigned char, kRecordSize> expected{};
        expected[0] = 5;
        std::memcpy(&expected[1], "Beta3", 5);
        expected[31] = 17;
        std::memcpy(&expected[32], "Vellora Softwares", 17);
        QVERIFY(h.bytes() == expected);
    }

    void setCutsToMaximumAndZeroesTheRest_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<std::string>("text");
        QTest::addColumn<std::string>("stored");
        QTest::newRow("zip fits") << int(Field::Zip) << std::string("H2X 1Y4")
                                  << std::string("H2X 1Y4");
        QTest::newRow("zip cut at 12")
            << int(Field::Zip) << std::string("ABCDEFGHIJKLMNOP") << std::string("ABCDEFGHIJKL");
        QTest::newRow("birth cut at 8")
            << int(Field::Birth) << std::string("12-31-1999") << std::string("12-31-19");
        QTest::newRow("comment 200")
            << int(Field::Comment) << std::string(250, 'c') << std::string(200, 'c');
        QTest::newRow("empty") << int(Field::Email) << std::string() << std::string();
    }
    void setCutsToMaximumAndZeroesTheRest()
    {
        QFETCH(int, field);
        QFETCH(std::string, text);
        QFETCH(std::string, stored);
        const Field f = static_cast<Field>(field);
        ContactRecord r;
        r.set(f, std::string(fieldLayout(f).maxLength, 'x')); // dirty the storage first
        r.set(f, text);
        QCOMPARE(r.get(f), stored);
        const FieldLayout l = fieldLayout(f);
        QCOMPARE(int(r.bytes()[l.offset]), int(stored.size()));
        for (std::size_t i = l.offset + 1 + stored.size(); i <= l.offset + l.maxLength; ++i)
            QCOMPARE(int(r.bytes()[i]), 0);
    }

    void everyByteValueSurvives()
    {
        ContactRecord r;
        for (int start = 0; start < 256; start += 200) {
            std::string text;
            for (int c = start; c < std::min(256, start + 200); ++c)
                text += static_cast<char>(c);
            r.set(Field::Comment, text);
            QCOMPARE(r.get(Field::Comment), text);
            QCOMPARE(ContactRecord::fromBytes(r.data()).get(Field::Comment), text);
        }
    }

    void damagedLengthByteReadsAsMaximum()
    {
        auto bytes = ContactRecord().bytes();
        const FieldLayout l = fieldLayout(Field::Zip);
        bytes[l.offset] = 250;
        std::memset(&bytes[l.offset + 1], 'Z', l.maxLength);
        const ContactRecord r = ContactRecord::fromBytes(bytes.data());
        QCOMPARE(r.get(Field::Zip), std::string(12, 'Z'));
        QCOMPARE(r.get(Field::State), std::string()); // the next field is untouched
    }

    void tombstoneRule_data()
    {
        QTest::addColumn<std::string>("lastName");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("mark") << std::string("@~") << true;
        QTest::newRow("blanks around") << std::string("  @~ ") << true;
        QTest::newRow("controls around") << std::string("\t\x01@~\n\r") << true;
        QTest::newRow("space inside") << std::string("@ ~") << false;
        QTest::newRow("longer") << std::string("@~x") << false;
        QTest::newRow("half") << std::string("@") << false;
        QTest::newRow("empty") << std::string() << false;
        QTest::newRow("high byte around") << std::string("\xA0@~") << false;
    }
    void tombstoneRule()
    {
        QFETCH(std::string, lastName);
        QFETCH(bool, deleted);
        ContactRecord r;
        r.set(Field::LastName, lastName);
        QCOMPARE(r.isTombstone(), deleted);
        QCOMPARE(isReservedLastName(lastName), deleted);
    }

    void tombstoneBytes()
    {
        const ContactRecord t = ContactRecord::tombstone();
        QCOMPARE(int(t.bytes()[31]), 2);
        QCOMPARE(t.bytes()[32], '@');
        QCOMPARE(t.bytes()[33], '~');
        QVERIFY(t.isTombstone());
    }

    void displayKeyForms_data()
    {
        QTest::addColumn<std::string>("last");
        QTest::addColumn<std::string>("first");
        QTest::addColumn<std::string>("key");
        QTest::newRow("plain") << std::string("Smith") << std::string("John")
                               << std::string("Smith John");
        QTest::newRow("no first name")
            << std::string("Lee") << std::string() << std::string("Lee ");
        QTest::newRow("30 + 30 gives 61") << std::string(30, 'L') << std::string(30, 'F')
                                          << std::string(30, 'L') + " " + std::string(30, 'F');
        QTest::newRow("leading blanks kept")
            << std::string("  Zed") << std::string("A") << std::string("  Zed A");
        QTest::newRow("long last name cut with its blank")
            << std::string(40, 'L') << std::string("Ann") << std::string(31, 'L') + "Ann";
    }
    void displayKeyForms()
    {
        QFETCH(std::string, last);
        QFETCH(std::string, first);
        QFETCH(std::string, key);
        QCOMPARE(displayKey(last, first), key);
        QVERIFY(displayKey(last, first).size() <= kDisplayKeyMax);
    }
};

QTEST_APPLESS_MAIN(TestContactRecord)
#include "tst_contact_record.moc"
