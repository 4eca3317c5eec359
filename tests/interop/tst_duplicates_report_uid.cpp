// SPDX-License-Identifier: GPL-3.0-or-later
// The duplicate rule, the import report's counts and saved forms, and the
// contact UIDs kept beside the data file.
#include "interop/contact_uid.h"
#include "interop/csv.h"
#include "interop/duplicates.h"
#include "interop/import_report.h"
#include "interop_test_util.h"
#include "store/contact_store.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <set>

using namespace vcq;
using namespace vcq::interop;

class TestDuplicatesReportUid : public QObject
{
    Q_OBJECT
private slots:
    void duplicates_data();
    void duplicates();
    void indexFindsAmongMany();
    void reportCountsAndForms();
    void uidsStayAndAreUnique();
    void aReusedSlotGetsAFreshUid();
    void damagedIdFileIsNotReplaced();
};

void TestDuplicatesReportUid::duplicates_data()
{
    QTest::addColumn<ContactRecord>("a");
    QTest::addColumn<ContactRecord>("b");
    QTest::addColumn<bool>("duplicate");

    using test::contact;
    const ContactRecord base = contact({{Field::LastName, "Dupont"},
                                        {Field::FirstName, "Jean"},
                                        {Field::Phone1, "01 23 45 67 89"},
                                        {Field::Email, "jean@example.fr"}});
    QTest::newRow("same phone written differently") << base
                                                    << contact({{Field::LastName, "DUPONT "},
                                                                {Field::FirstName, "jean"},
                                                                {Field::Cell, "01.23.45.67.89"}})
                                                    << true;
    QTest::newRow("same e-mail in other case") << base
                                               << contact({{Field::LastName, "Dupont"},
                                                           {Field::FirstName, "Jean"},
                                                           {Field::Email, "JEAN@example.FR"}})
                                               << true;
    QTest::newRow("same name, other phone and e-mail")
        << base
        << contact({{Field::LastName, "Dupont"},
                    {Field::FirstName, "Jean"},
                    {Field::Phone1, "02"},
                    {Field::Email, "other@example.fr"}})
        << false;
    QTest::newRow("same name, nothing else")
        << contact({{Field::LastName, "Dupont"}, {Field::FirstName, "Jean"}})
        << contact({{Field::LastName, "Dupont"}, {Field::FirstName, "Jean"}}) << false;
    QTest::newRow("other first name") << base
                                      << contact({{Field::LastName, "Dupont"},
                                                  {Field::FirstName, "Jeanne"},
                                                  {Field::Phone1, "01 23 45 67 89"}})
                                      << false;
    QTest::newRow("accented capitals fold")
        << contact({{Field::LastName, "\xC9lise"}, {Field::Email, "e@x"}})
        << contact({{Field::LastName, "\xE9lise"}, {Field::Email, "e@x"}}) << true;
}

void TestDuplicatesReportUid::duplicates()
{
    QFETCH(ContactRecord, a);
    QFETCH(ContactRecord, b);
    QFETCH(bool, duplicate);
    QCOMPARE(isDuplicate(a, b), duplicate);
    QCOMPARE(isDuplicate(b, a), duplicate);
    DuplicateIndex index;
    index.add(a, 7);
    QCOMPARE(index.find(b).has_value(), duplicate);
    if (duplicate)
        QCOMPARE(*index.find(b), 7);
}

void TestDuplicatesReportUid::indexFindsAmongMany()
{
    // Many contacts of one name: the one sharing a phone is found by number.
    DuplicateIndex index;
    for (int i = 0; i < 1000; ++i)
        index.add(test::contact({{Field::LastName, "Smith"},
                                 {Field::FirstName, "John"},
                                 {Field::Phone2, "555-" + std::to_string(i)}}),
                  i + 1);
    QCOMPARE(index.size(), std::size_t(1000));
    const auto found = index.find(test::contact(
        {{Field::LastName, "smith"}, {Field::FirstName, "JOHN"}, {Field::Phone3, "555 742"}}));
    QVERIFY(found);
    QCOMPARE(*found, 743);
    QVERIFY(!index.find(test::contact(
        {{Field::LastName, "Smith"}, {Field::FirstName, "John"}, {Field::Phone1, "1"}})));

    // Many names, added and found the two ways, while the index grows: each
    // is found under its own name only, the first added of a name winning.
    DuplicateIndex names;
    const auto person = [](int i, const std::string &phone) {
        return test::contact({{Field::LastName, "Name" + std::to_string(i)},
                              {Field::FirstName, "A"},
                              {Field::Cell, phone}});
    };
    for (int i = 0; i < 5000; ++i) {
        if (i % 2)
            names.add(person(i, "1"), i);
        else
            QVERIFY(!names.findOrAdd(person(i, "1"), i));
    }
    QCOMPARE(names.findOrAdd(person(4999, "2"), -5), std::nullopt);
    for (int i = 0; i < 5000; i += 7) {
        QCOMPARE(names.find(person(i, "1")), std::optional<std::int32_t>(i));
        QCOMPARE(names.findOrAdd(person(i, "1"), -1), std::optional<std::int32_t>(i));
    }
    QCOMPARE(names.find(person(4999, "2")), std::optional<std::int32_t>(-5));
    QVERIFY(!names.find(person(5000, "1")));
    QCOMPARE(names.size(), std::size_t(5001));
}

void TestDuplicatesReportUid::reportCountsAndForms()
{
    ImportReport report;
    report.add({"a.vcf", 1, "Doe John", ReportEvent::Added, ""});
    QVERIFY(!report.hasRemarks());
    report.addProblem("a.vcf", {2, 9, ReadProblemCode::NoEnd, ""});
    report.addLosses("a.vcf", 3, "Wałęsa, \"Lech\"",
                     {{Field::LastName, LossKind::Transliterated, "N", "Wałęsa"},
                      {Field::Comment, LossKind::Cut, "NOTE", "tail\tend\nmore"},
                      {std::nullopt, LossKind::NoField, "PHOTO", "4 bytes"}});
    QVERIFY(report.hasRemarks());
    QCOMPARE(report.count(ReportEvent::Added), 1);
    QCOMPARE(report.count(ReportEvent::BrokenCard), 1);
    QCOMPARE(report.count(ReportEvent::Transliterated), 1);
    QCOMPARE(report.count(ReportEvent::Cut), 1);
    QCOMPARE(report.count(ReportEvent::DroppedData), 1);

    const QStringList text =
        QString::fromStdString(report.toText()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(text.size(), 6);
    QCOMPARE(text[0], "file\tcard\tname\tevent\tdetail");
    QCOMPARE(text[2], "a.vcf\t2\t\tbroken-card\tno-end line 9");
    QCOMPARE(text[4], "a.vcf\t3\tWałęsa, \"Lech\"\tcut\tcut NOTE Comment: tail end more");

    // The CSV form reads back as the same table.
    ImportReport::Labels french = ImportReport::codeLabels();
    french.event = [](ReportEvent e) {
        return e == ReportEvent::Added ? std::string("ajouté") : std::string("autre");
    };
    french.columns = {"fichier", "fiche", "nom", "événement", "détail"};
    const CsvRows rows = parseCsv(report.toCsv(french));
    QCOMPARE(rows.rows.size(), std::size_t(6));
    QCOMPARE(rows.rows[0][3], std::string("événement"));
    QCOMPARE(rows.rows[1][3], std::string("ajouté"));
    QCOMPARE(rows.rows[3][2], std::string("Wałęsa, \"Lech\""));
    QCOMPARE(rows.rows[4][4], std::string("cut NOTE Comment: tail\tend\nmore"));
}

void TestDuplicatesReportUid::uidsStayAndAreUnique()
{
    const std::string data = QDir::current().filePath("VCQ97.NAM").toStdString();
    QFile::remove(QString::fromStdString(ContactUids::idFilePath(data)));
    std::error_code error;
    const auto first = ContactUids::open(data, error);
    QVERIFY(first && !error);
    const auto again = ContactUids::open(data, error);
    QVERIFY(again && !error);
    QCOMPARE(again->uidFor(5), first->uidFor(5));

    std::set<std::string> seen;
    for (std::int32_t n : {1, 2, 255, 256, 65536, 2147483647}) {
        const std::string uid = first->uidFor(n);
        QVERIFY(uid.starts_with("urn:uuid:"));
        QCOMPARE(uid.size(), std::size_t(45));
        QVERIFY(seen.insert(uid).second);
        QCOMPARE(first->recordNumberOf(uid), std::optional<std::int32_t>(n));
    }
    // Another file's UIDs are not ours.
    const ContactUids other(ContactUids::randomId());
    QVERIFY(other.uidFor(5) != first->uidFor(5));
    QVERIFY(!first->recordNumberOf(other.uidFor(5)));
    QVERIFY(!first->recordNumberOf("not a uid"));

    // Every slot and count of reuses has a UID of its own, in UUID form.
    seen.clear();
    for (std::int32_t n : {1, 2, 65536, 2147483647}) {
        for (std::uint32_t reuses : {0u, 1u, 2u, 255u, 256u, 65536u, 16777215u}) {
            const ContactUids uids(first->fileId(), {{n, reuses}});
            const std::string uid = uids.uidFor(n);
            QVERIFY2(seen.insert(uid).second, uid.c_str());
            QCOMPARE(uid[9 + 14], '8'); // the version
            QVERIFY(std::string_view("89ab").find(uid[9 + 19]) != std::string_view::npos);
            QCOMPARE(uids.recordNumberOf(uid), std::optional<std::int32_t>(n));
            QCOMPARE(uids.uidFor(n - 1), first->uidFor(n - 1)); // other slots untouched
        }
    }
}

// A contact written into the slot of a deleted one gets a UID of its own, a
// receiver would otherwise take it for the deleted contact edited; every
// other contact keeps its UID.
void TestDuplicatesReportUid::aReusedSlotGetsAFreshUid()
{
    using test::contact;
    const std::string data = QDir::current().filePath("reuse.NAM").toStdString();
    ContactStore store;
    store.open(data);
    const std::vector<std::int32_t> placed = store.addMany(
        {contact({{Field::LastName, "Abel"}}), contact({{Field::LastName, "Babel"}})});
    std::error_code error;
    std::vector<std::string> uids; // the first slot's UIDs over time
    const auto before = ContactUids::open(data, error);
    QVERIFY(before && !error);
    uids.push_back(before->uidFor(placed[0]));
    for (const char *name : {"Cabel", "Dabel"}) {
        QVERIFY(store.remove(placed[0]));
        QCOMPARE(store.add(contact({{Field::LastName, name}})), placed[0]);
        const auto now = ContactUids::open(data, error);
        QVERIFY(now && !error);
        const std::string uid = now->uidFor(placed[0]);
        for (const std::string &earlier : uids) {
            QVERIFY(uid != earlier);
            QVERIFY(!now->recordNumberOf(earlier));
        }
        uids.push_back(uid);
        QCOMPARE(now->recordNumberOf(uid), std::optional<std::int32_t>(placed[0]));
        QCOMPARE(now->uidFor(placed[1]), before->uidFor(placed[1]));
        QCOMPARE(ContactUids::open(data, error)->uidFor(placed[0]), uid); // it stays
    }
}

void TestDuplicatesReportUid::damagedIdFileIsNotReplaced()
{
    const std::string data = QDir::current().filePath("damaged.NAM").toStdString();
    const QString idPath = QString::fromStdString(ContactUids::idFilePath(data));
    QVERIFY(test::writeFile(idPath, "not hex at all\n"));
    std::error_code error;
    QVERIFY(!ContactUids::open(data, error));
    QVERIFY(error);
    QCOMPARE(test::readFile(idPath), QByteArray("not hex at all\n"));
}

QTEST_GUILESS_MAIN(TestDuplicatesReportUid)
#include "tst_duplicates_report_uid.moc"
