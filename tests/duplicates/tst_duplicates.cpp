// SPDX-License-Identifier: GPL-3.0-or-later
// The duplicate finder's rules (folded and swapped names, phone numbers with
// and without a country code, e-mails, contradictions, groups of three,
// pairs remembered as not duplicates) and the merged contact field by field.
#include "core/cp1252.h"
#include "duplicates/duplicate_finder.h"
#include "duplicates/merge_plan.h"
#include "duplicates/not_duplicates.h"
#include "duplicates/phone_key.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace vcq;
using namespace vcq::duplicates;

namespace
{

// "Last|First|home phone|other phone|e-mail", fields left out are empty.
ContactRecord contact(const QString &line)
{
    static constexpr Field order[] = {Field::LastName, Field::FirstName, Field::Phone1, Field::Cell,
                                      Field::Email};
    const QStringList parts = line.split(u'|');
    ContactRecord r;
    for (int i = 0; i < parts.size() && i < 5; ++i)
        r.set(order[i], toCp1252(parts[i]));
    return r;
}

QString describe(const std::vector<DuplicateGroup> &groups)
{
    static const std::pair<std::uint32_t, const char *> names[] = {
        {SameName, "name"},    {SwappedName, "swapped"}, {HomePhone, "home"}, {WorkPhone, "work"},
        {OtherPhone, "other"}, {FaxPhone, "fax"},        {AnyPhone, "phone"}, {SameEmail, "email"}};
    QStringList out;
    for (const DuplicateGroup &g : groups) {
        QStringList words{g.certainty == Certainty::Certain ? "certain" : "possible"};
        for (const std::int32_t r : g.records)
            words << QString::number(r);
        QStringList why;
        for (const auto &[bit, name] : names)
            if (g.reasons & bit)
                why << name;
        out << words.join(' ') + " (" + why.join(' ') + ")";
    }
    return out.join("; ");
}

std::vector<DuplicateGroup> find(const std::vector<ContactRecord> &records,
                                 const NotDuplicates *remembered = nullptr, unsigned threads = 1)
{
    std::vector<ContactRef> refs;
    for (std::size_t i = 0; i < records.size(); ++i)
        refs.push_back({std::int32_t(i + 1), &records[i]});
    FinderOptions options;
    options.notDuplicates = remembered;
    options.threads = threads;
    return findDuplicates(refs, options);
}

} // namespace

class TestDuplicates : public QObject
{
    Q_OBJECT

private slots:
    void phoneKeys_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("punctuation") << "01 23 45 67 89"
                                     << "01.23.45.67.89" << true;
        QTest::newRow("+33 and national") << "+33 1 23 45 67 89"
                                          << "0123456789" << true;
        QTest::newRow("0033 and national") << "0033 1 23 45 67 89"
                                           << "01 23 45 67 89" << true;
        QTest::newRow("+33 (0)") << "+33 (0)1 23 45 67 89"
                                 << "+33 1 23 45 67 89" << true;
        QTest::newRow("two country codes") << "+33 1 23 45 67 89"
                                           << "+44 1 23 45 67 89" << false;
        QTest::newRow("North America") << "+1 (555) 123-4567"
                                       << "555 123 4567" << true;
        QTest::newRow("three-digit code") << "+352 26 12 34 56"
                                          << "26 12 34 56" << true;
        QTest::newRow("another number") << "01 23 45 67 89"
                                        << "01 23 45 67 88" << false;
        QTest::newRow("too short to say") << "112"
                                          << "112" << false;
    }
    void phoneKeys()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(samePhone(phoneKey(a.toStdString()), phoneKey(b.toStdString())), same);
    }

    void finding_data()
    {
        QTest::addColumn<QStringList>("contacts");
        QTest::addColumn<QString>("groups");
        QTest::newRow("accents and case, same phone")
            << QStringList{"Côté|Émilie|01 23 45 67 89", "COTE|emilie|+33 1 23 45 67 89"}
            << "certain 1 2 (name home)";
        QTest::newRow("ligature and hyphen, same e-mail")
            << QStringList{"Cœur|Jean-Marc|||jm@x.fr", "Coeur|Jean Marc|||JM@X.FR "}
            << "certain 1 2 (name email)";
        QTest::newRow("swapped names")
            << QStringList{"Dupont|Anne|||a@x.fr", "Anne|Dupont|||a@x.fr"}
            << "certain 1 2 (name swapped email)";
        QTest::newRow("phone in another field")
            << QStringList{"Roy|Lea|0612345678", "Roy|Lea||06 12 34 56 78"}
            << "certain 1 2 (name phone)";
        QTest::newRow("same name, nothing contradicts")
            << QStringList{"Roy|Lea|0612345678", "Roy|Lea|||lea@x.fr", "Roy|Lea"}
            << "certain 1 2 3 (name)";
        QTest::newRow("same name, e-mails differ")
            << QStringList{"Roy|Lea|||a@x.fr", "Roy|Lea|||b@x.fr"} << "";
        QTest::newRow("same name, home phones differ")
            << QStringList{"Roy|Lea|0612345678", "Roy|Lea|0699999999"} << "";
        QTest::newRow("one of two namesakes, which is unknown")
            << QStringList{"Roy|Lea|0612345678", "Roy|Lea|0699999999", "Roy|Léa"}
            << "possible 1 2 3 (name)";
        QTest::newRow("namesakes that all differ")
            << QStringList{"Roy|Lea|0612345678", "Roy|Lea|0699999999", "Roy|Lea|0611111111||l@x.fr"}
            << "";
        QTest::newRow("different names, same phone")
            << QStringList{"Roy|Lea|0612345678", "Martin|Paul|+33 6 12 34 56 78"}
            << "possible 1 2 (home)";
        QTest::newRow("different names, same e-mail")
            << QStringList{"Roy|Lea|||info@x.fr", "Martin|Paul|||INFO@x.fr"}
            << "possible 1 2 (email)";
        QTest::newRow("other country's number")
            << QStringList{"Roy|Lea|+33 6 12 34 56 78", "Roy|Lea|+44 6 12 34 56 78"} << "";
        QTest::newRow("three-way by a chain")
            << QStringList{"Roy|Lea|0612345678||l@x.fr", "Roy|Lea||0711111111|l@x.fr",
                           "ROY|Léa||+33 7 11 11 11 11"}
            << "certain 1 2 3 (name other email)";
        QTest::newRow("certain group inside a possible one")
            << QStringList{"Roy|Lea|0612345678", "Roy|Lea|0612345678", "Martin|Paul|0612345678"}
            << "certain 1 2 (name home); possible 1 2 3 (home)";
        QTest::newRow("certain before possible, shared before name only")
            << QStringList{"Roy|Lea|||r@x.fr",    "Blanc|Jo|0612345678", "Roy|Lea",
                           "Noir|Max|0612345678", "Blanc|Jo|||j@x.fr",   "Blanc|Jo|||j@x.fr"}
            << "certain 2 5 6 (name email); certain 1 3 (name); possible 2 4 5 6 (home)";
        QTest::newRow("short numbers never link")
            << QStringList{"Roy|Lea|112", "Martin|Paul|112"} << "";
        QTest::newRow("no name at all") << QStringList{"|", "|"} << "";
    }
    void finding()
    {
        QFETCH(QStringList, contacts);
        QFETCH(QString, groups);
        std::vector<ContactRecord> records;
        for (const QString &c : contacts)
            records.push_back(contact(c));
        QCOMPARE(describe(find(records)), groups);
        QCOMPARE(describe(find(records, nullptr, 3)), groups); // parts merged alike
    }

    void notDuplicatesRemembered()
    {
        QTemporaryDir dir;
        const std::string data = dir.filePath("VCQ97.NAM").toStdString();
        const std::vector<ContactRecord> records{
            contact("Roy|Lea|||a@x.fr"), contact("Roy|Lea|||a@x.fr"),
            contact("Blanc|Jo|0612345678"), contact("Noir|Max|0612345678")};
        std::error_code error;
        NotDuplicates set = NotDuplicates::load(data, {}, error);
        QVERIFY(!error);
        QCOMPARE(set.remember(data, {{2, 1}}, {1, 2}), 0);
        struct stat st {
        };
        QCOMPARE(::stat(NotDuplicates::pathFor(data).c_str(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
        QCOMPARE(describe(find(records, &set)), "possible 3 4 (home)");

        // Read back: the pair holds while slot 2 keeps its reuse count.
        const NotDuplicates again = NotDuplicates::load(data, {{2, 1}}, error);
        QVERIFY(!error);
        QCOMPARE(describe(find(records, &again)), "possible 3 4 (home)");
        // Slot 2 given to someone else since: the pair no longer applies.
        const NotDuplicates reused = NotDuplicates::load(data, {{2, 2}}, error);
        QCOMPARE(describe(find(records, &reused)), "certain 1 2 (name email); possible 3 4 (home)");

        // A line cut short by a crash does not spoil the next one.
        {
            QFile f(QString::fromStdString(NotDuplicates::pathFor(data)));
            QVERIFY(f.open(QIODevice::Append));
            f.write("3.0 4");
        }
        NotDuplicates more = NotDuplicates::load(data, {}, error);
        QCOMPARE(more.remember(data, {}, {3, 4}), 0);
        const NotDuplicates both = NotDuplicates::load(data, {}, error);
        // (1 and 2 were remembered while slot 2 had been reused once.)
        QCOMPARE(describe(find(records, &both)), "certain 1 2 (name email)");
    }

    void merging_data()
    {
        QTest::addColumn<QStringList>("contacts");
        QTest::addColumn<QList<qint64>>("changedAt"); // -1: not known
        QTest::addColumn<QString>("merged");          // as contact() reads it
        QTest::addColumn<QString>("remarks");
        QTest::addColumn<int>("notKept");
        QTest::newRow("empty fields filled, first wins")
            << QStringList{"Roy|Lea|0612345678", "Roy|Léa||0711111111|l@x.fr"} << QList<qint64>{}
            << "Roy|Lea|0612345678|0711111111|l@x.fr"
            << "" << 0;
        QTest::newRow("the one changed last wins, the other kept in the remarks")
            << QStringList{"Roy|Lea|||old@x.fr", "Roy|Lea|||new@x.fr"} << QList<qint64>{5, 9}
            << "Roy|Lea|||new@x.fr"
            << "Also: old@x.fr" << 0;
        QTest::newRow("unknown change time loses")
            << QStringList{"Roy|Lea|||a@x.fr", "Roy|Lea|||b@x.fr"} << QList<qint64>{-1, 3}
            << "Roy|Lea|||b@x.fr"
            << "Also: a@x.fr" << 0;
        QTest::newRow("same number written otherwise is no difference")
            << QStringList{"Roy|Lea|01 23 45 67 89", "ROY|LÉA|+33 1 23 45 67 89"} << QList<qint64>{}
            << "Roy|Lea|01 23 45 67 89"
            << "" << 0;
        QTest::newRow("swapped name is no difference")
            << QStringList{"Dupont|Anne", "Anne|Dupont"} << QList<qint64>{} << "Dupont|Anne"
            << "" << 0;
        QTest::newRow("what does not fit is said")
            << QStringList{"Roy|Lea|||" + QString(38, 'a') + "@x",
                           "Roy|Lea|||" + QString(38, 'b') + "@x",
                           "Roy|Lea|||" + QString(38, 'c') + "@x",
                           "Roy|Lea|||" + QString(38, 'd') + "@x",
                           "Roy|Lea|||" + QString(38, 'e') + "@x",
                           "Roy|Lea|||" + QString(38, 'f') + "@x"}
            << QList<qint64>{} << "Roy|Lea|||" + QString(38, 'a') + "@x"
            << "Also: " + QString(38, 'b') + "@x\nAlso: " + QString(38, 'c') +
                   "@x\nAlso: " + QString(38, 'd') + "@x\nAlso: " + QString(38, 'e') + "@x"
            << 1;
    }
    void merging()
    {
        QFETCH(QStringList, contacts);
        QFETCH(QList<qint64>, changedAt);
        QFETCH(QString, merged);
        QFETCH(QString, remarks);
        QFETCH(int, notKept);
        std::vector<ContactRecord> records;
        std::vector<std::int32_t> numbers;
        std::vector<std::optional<std::int64_t>> times;
        for (const QString &c : contacts) {
            records.push_back(contact(c));
            numbers.push_back(std::int32_t(numbers.size() + 1));
        }
        for (const qint64 t : changedAt)
            times.push_back(t < 0 ? std::nullopt : std::optional<std::int64_t>(t));
        const MergePlan plan = preselect(numbers, records, times);
        const MergeResult result = mergeContacts(plan, records, "Also: ");
        ContactRecord expected = contact(merged);
        expected.set(Field::Comment, toCp1252(remarks));
        QCOMPARE(fromCp1252(result.contact.get(Field::Email)),
                 fromCp1252(expected.get(Field::Email)));
        QCOMPARE(fromCp1252(result.contact.get(Field::Comment)), remarks);
        QVERIFY(result.contact == expected);
        QCOMPARE(int(result.notKept.size()), notKept);
    }

    void chosenValuesAndRemarks()
    {
        // The user's choice per field; the remarks keep their own text first.
        std::vector<ContactRecord> records{contact("Roy|Lea|0612345678"),
                                           contact("Roy|Lea|0699999999")};
        records[0].set(Field::Comment, "met in Lyon");
        records[1].set(Field::City, "Paris");
        MergePlan plan = preselect({1, 2}, records);
        QCOMPARE(plan.keep, std::size_t(0));
        QCOMPARE(plan.choice[std::size_t(Field::City)], std::size_t(1));
        plan.choice[std::size_t(Field::Phone1)] = 1;
        const MergeResult result = mergeContacts(plan, records, "Aussi : ");
        QCOMPARE(result.contact.get(Field::Phone1), "0699999999");
        QCOMPARE(result.contact.get(Field::City), "Paris");
        QCOMPARE(result.contact.get(Field::Comment), "met in Lyon\nAussi : 0612345678");
        QCOMPARE(result.alsoKept, (std::vector<LostValue>{{Field::Phone1, "0612345678"}}));
    }
};

QTEST_GUILESS_MAIN(TestDuplicates)
#include "tst_duplicates.moc"
