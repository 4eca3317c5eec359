// SPDX-License-Identifier: GPL-3.0-or-later
// Whose birthday comes next: the span across the year's end, 29 February,
// the pivot's ages, dates without a year, dates that are no date, the words
// in both languages, and the calendar feed's lines.
#include "interop/birth_date.h"
#include "interop/birthday_calendar.h"
#include "interop/birthday_texts.h"
#include "interop/birthdays.h"
#include "interop_test_util.h"

#include <QtTest>

using namespace vcq;
using namespace vcq::interop;
using vcq::test::contact;

namespace
{

// One contact per birth date, named after its place ("C0", "C1", ...), so
// that results name which contact they are.
struct Contacts {
    ContactList list;
    explicit Contacts(const QStringList &births)
    {
        for (int i = 0; i < births.size(); ++i)
            list.InsertNode(i + 1, contact({{Field::LastName, "C" + std::to_string(i)},
                                            {Field::Birth, births[i].toStdString()}}));
    }
};

// "C2 2027-01-03 +27 age 41" for each birthday of the list.
QStringList describe(const std::vector<UpcomingBirthday> &all)
{
    QStringList out;
    for (const UpcomingBirthday &b : all)
        out << QStringLiteral("%1 %2 +%3 age %4")
                   .arg(QString::fromStdString(b.lastName), b.date.toString(Qt::ISODate))
                   .arg(b.daysAway)
                   .arg(b.age);
    return out;
}

} // namespace

class TestBirthdays : public QObject
{
    Q_OBJECT

private slots:
    void parseStored_data();
    void parseStored();
    void upcoming_data();
    void upcoming();
    void invalidListed();
    void texts_data();
    void texts();
    void calendarEvents();
};

void TestBirthdays::parseStored_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    using K = StoredBirthDate;
    QTest::newRow("blank") << "  -  -  " << int(K::Blank) << 0 << 0 << -1;
    QTest::newRow("empty") << "" << int(K::Blank) << 0 << 0 << -1;
    QTest::newRow("this year's two digits: 20yy") << "14-07-26" << int(K::Full) << 14 << 7 << 2026;
    QTest::newRow("above them: 19yy") << "14-07-27" << int(K::Full) << 14 << 7 << 1927;
    QTest::newRow("no year") << "08-12-  " << int(K::NoYear) << 8 << 12 << -1;
    QTest::newRow("29 Feb without a year") << "29-02-  " << int(K::NoYear) << 29 << 2 << -1;
    QTest::newRow("29 Feb in a leap year") << "29-02-00" << int(K::Full) << 29 << 2 << 2000;
    QTest::newRow("29 Feb in a common year") << "29-02-85" << int(K::Invalid) << 0 << 0 << -1;
    QTest::newRow("31-02") << "31-02-85" << int(K::Invalid) << 0 << 0 << -1;
    QTest::newRow("99-99") << "99-99-99" << int(K::Invalid) << 0 << 0 << -1;
    QTest::newRow("month missing") << "05-  -85" << int(K::Invalid) << 0 << 0 << -1;
    QTest::newRow("day missing") << "  -05-85" << int(K::Invalid) << 0 << 0 << -1;
    QTest::newRow("one year digit") << "05-05-8 " << int(K::Invalid) << 0 << 0 << -1;
    QTest::newRow("short") << "05-05" << int(K::Invalid) << 0 << 0 << -1;
    QTest::newRow("day 0") << "00-05-85" << int(K::Invalid) << 0 << 0 << -1;
}

void TestBirthdays::parseStored()
{
    QFETCH(QString, stored);
    QFETCH(int, kind);
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(int, year);
    StoredBirthDate want;
    want.kind = StoredBirthDate::Kind(kind);
    if (want.kind == StoredBirthDate::Full || want.kind == StoredBirthDate::NoYear)
        want = {want.kind, day, month, year};
    QCOMPARE(parseStoredBirthDate(stored.toStdString(), 2026), want);
}

void TestBirthdays::upcoming_data()
{
    QTest::addColumn<QStringList>("births");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("days");
    QTest::addColumn<QStringList>("expected");

    const QStringList mixed{"03-01-85", "08-12-  ", "07-12-90", "31-02-85", "  -  -  ", "25-12-27"};
    QTest::newRow("across the year's end, soonest first")
        << mixed << QDate(2026, 12, 7) << 30
        << QStringList{"C2 2026-12-07 +0 age 36", "C1 2026-12-08 +1 age 0",
                       "C5 2026-12-25 +18 age 99", "C0 2027-01-03 +27 age 42"};
    QTest::newRow("span ends on its last day")
        << mixed << QDate(2026, 12, 7) << 18
        << QStringList{"C2 2026-12-07 +0 age 36", "C1 2026-12-08 +1 age 0",
                       "C5 2026-12-25 +18 age 99"};
    QTest::newRow("0: today only")
        << mixed << QDate(2026, 12, 7) << 0 << QStringList{"C2 2026-12-07 +0 age 36"};
    QTest::newRow("a birthday just gone comes next year")
        << QStringList{"06-12-80"} << QDate(2026, 12, 7) << 366
        << QStringList{"C0 2027-12-06 +364 age 47"};
    QTest::newRow("too long a span is a year")
        << QStringList{"06-12-80"} << QDate(2026, 12, 7) << 100000
        << QStringList{"C0 2027-12-06 +364 age 47"};
    QTest::newRow("29 Feb on 28 Feb in a common year")
        << QStringList{"29-02-00", "29-02-  "} << QDate(2027, 2, 20) << 10
        << QStringList{"C0 2027-02-28 +8 age 27", "C1 2027-02-28 +8 age 0"};
    QTest::newRow("29 Feb on 29 Feb in a leap year")
        << QStringList{"29-02-00", "28-02-  "} << QDate(2028, 2, 20) << 10
        << QStringList{"C1 2028-02-28 +8 age 0", "C0 2028-02-29 +9 age 28"};
    QTest::newRow("pivot on today's year: 27 is 1927, 26 is 2026")
        << QStringList{"10-01-27", "10-01-26"} << QDate(2026, 12, 31) << 10
        << QStringList{"C0 2027-01-10 +10 age 100", "C1 2027-01-10 +10 age 1"};
    QTest::newRow("born later this year: no age") << QStringList{"20-12-26"} << QDate(2026, 12, 7)
                                                  << 30 << QStringList{"C0 2026-12-20 +13 age 0"};
    QTest::newRow("negative span: today")
        << QStringList{"07-12-90", "08-12-90"} << QDate(2026, 12, 7) << -5
        << QStringList{"C0 2026-12-07 +0 age 36"};
}

void TestBirthdays::upcoming()
{
    QFETCH(QStringList, births);
    QFETCH(QDate, today);
    QFETCH(int, days);
    QFETCH(QStringList, expected);
    const Contacts c(births);
    QCOMPARE(describe(upcomingBirthdays(c.list, today, days)), expected);
}

void TestBirthdays::invalidListed()
{
    const Contacts c({"31-02-85", "14-07-85", "99-99-99", "  -  -  ", "05-  -85", "29-02-  "});
    QStringList got;
    for (const InvalidBirthDate &i : invalidBirthDates(c.list, 2026))
        got << QString::fromStdString(i.lastName + " " + i.stored);
    QCOMPARE(got, (QStringList{"C0 31-02-85", "C2 99-99-99", "C4 05-  -85"}));
}

void TestBirthdays::texts_data()
{
    QTest::addColumn<bool>("french");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("English") << false << QStringList{"Tuesday 8 December",  "today",    "tomorrow",
                                                     "in 12 days",          "turns 41", "",
                                                     "Birthday: Zoé Dupont"};
    QTest::newRow("French") << true << QStringList{"mardi 8 décembre",
                                                   "aujourd'hui",
                                                   "demain",
                                                   "dans 12 jours",
                                                   "41 ans",
                                                   "",
                                                   "Anniversaire : Zoé Dupont"};
}

void TestBirthdays::texts()
{
    QFETCH(bool, french);
    QFETCH(QStringList, expected);
    const QStringList got{birthdayDateText(QDate(2026, 12, 8), french),
                          birthdayWhenText(0, french),
                          birthdayWhenText(1, french),
                          birthdayWhenText(12, french),
                          birthdayAgeText(41, french),
                          birthdayAgeText(0, french),
                          birthdaySummary(birthdayName("Zo\xE9 ", " Dupont"), french)};
    QCOMPARE(got, expected);
    QCOMPARE(birthdayName("", "Dupont"), QStringLiteral("Dupont"));
}

void TestBirthdays::calendarEvents()
{
    ContactList list;
    list.InsertNode(1, contact({{Field::LastName, "Dupont"},
                                {Field::FirstName, "Zo\xE9"},
                                {Field::Birth, "14-07-85"}}));
    list.InsertNode(2, contact({{Field::LastName, "Leap, Day;"}, {Field::Birth, "29-02-  "}}));
    list.InsertNode(3, contact({{Field::LastName, "Bad"}, {Field::Birth, "31-02-85"}}));
    list.InsertNode(4, contact({{Field::LastName, std::string(30, 'W')},
                                {Field::FirstName, std::string(30, '\xE9')},
                                {Field::Birth, "01-01-01"}}));
    list.InsertNode(5, contact({{Field::LastName, "None"}}));
    const ContactUids uids(ContactUids::FileId{});
    const QDateTime stamp(QDate(2026, 12, 7), QTime(21, 5, 9), Qt::UTC);
    const BirthdayCalendar cal = birthdayCalendar(list, uids, true, 2026, stamp);
    QCOMPARE(cal.events, std::size_t(3));
    QCOMPARE(cal.invalid, std::size_t(1));
    const QByteArray bytes = test::qb(cal.bytes);
    QVERIFY(bytes.startsWith("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:"));
    QVERIFY(bytes.endsWith("END:VCALENDAR\r\n"));
    QVERIFY(!QByteArray(bytes).replace("\r\n", "").contains('\n'));
    for (const QByteArray &l : test::qb(cal.bytes).split('\n'))
        QVERIFY2(l.size() <= 76, l.constData()); // 75 octets and the CR

    // The feed unfolded, one event per block, in the list's order.
    const QString text = QString::fromUtf8(test::qb(cal.bytes)).replace("\r\n ", "");
    const QStringList events = text.split("BEGIN:VEVENT\r\n").mid(1);
    QCOMPARE(events.size(), 3);
    const QString bad = QString::fromStdString(birthdayEventUid(uids.uidFor(3)));
    QVERIFY(!text.contains(bad));
    const auto has = [&](int i, const QString &line) {
        return events[i].split("\r\n").contains(line);
    };
    // Dupont: the full date, the UID from the contact's, the French summary.
    QVERIFY(has(0, "DTSTART;VALUE=DATE:19850714"));
    QVERIFY(has(0, "RRULE:FREQ=YEARLY"));
    QVERIFY(has(0, "SUMMARY:Anniversaire : Zoé Dupont"));
    QVERIFY(has(0, "DTSTAMP:20261207T210509Z"));
    QVERIFY(has(0, "UID:" + QString::fromStdString(birthdayEventUid(uids.uidFor(1)))));
    QVERIFY(!events[0].contains("DESCRIPTION"));
    // Leap: no year, escaped name, the last day of February, the description.
    QVERIFY(has(1, "DTSTART;VALUE=DATE:20000229"));
    QVERIFY(has(1, "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"));
    QVERIFY(has(1, "SUMMARY:Anniversaire : Leap\\, Day\\;"));
    QVERIFY(has(1, "DESCRIPTION:Année de naissance inconnue : 2000 en tient lieu."));
    // A long name folds between characters and comes back whole.
    QVERIFY(has(2, "SUMMARY:Anniversaire : " + QString(30, QChar(0xE9)) + ' ' + QString(30, 'W')));
    QVERIFY(has(2, "DTSTART;VALUE=DATE:20010101"));
}

QTEST_GUILESS_MAIN(TestBirthdays)
#include "tst_birthdays.moc"
