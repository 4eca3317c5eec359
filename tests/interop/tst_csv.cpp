// SPDX-License-Identifier: GPL-3.0-or-later
// CSV in and out: RFC 4180 cells, the column sets recognised from their
// header, files written to those published column sets, our own set's round
// trip, and broken files.
#include "interop/contact_mapping.h"
#include "interop/csv.h"
#include "interop/transliterate.h"
#include "interop_test_util.h"

#include <QTest>

using namespace vcq;
using namespace vcq::interop;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(CsvColumnSet)

namespace
{

QString fieldsOf(const VCard &card)
{
    return test::fieldsText(interop::cardToContact(card).record);
}

} // namespace

class TestCsv : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void columnSets_data();
    void columnSets();
    void unknownHeader();
    void ownSetRoundTrip();
    void brokenRows();
};

void TestCsv::parse_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<QList<QStringList>>("rows");

    QTest::newRow("plain, CRLF") << std::string("a,b\r\nc,d\r\n")
                                 << QList<QStringList>{{"a", "b"}, {"c", "d"}};
    QTest::newRow("quoted commas, quotes and line breaks")
        << std::string("\"a,1\",\"say \"\"hi\"\"\",\"two\r\nlines\"\nx,,\n")
        << QList<QStringList>{{"a,1", "say \"hi\"", "two\r\nlines"}, {"x", "", ""}};
    QTest::newRow("BOM and no final line end")
        << std::string("\xEF\xBB\xBFh\nv") << QList<QStringList>{{"h"}, {"v"}};
    QTest::newRow("semicolons from a French spreadsheet")
        << std::string("Nom;Prénom\r\n\"Dupont; fils\";Jean\r\n")
        << QList<QStringList>{{"Nom", "Prénom"}, {"Dupont; fils", "Jean"}};
    QTest::newRow("quote inside an unquoted cell")
        << std::string("a\"b,c\n") << QList<QStringList>{{"a\"b", "c"}};
}

void TestCsv::parse()
{
    QFETCH(std::string, text);
    QFETCH(QList<QStringList>, rows);
    const CsvRows got = parseCsv(text);
    QList<QStringList> gotRows;
    for (const auto &row : got.rows) {
        QStringList cells;
        for (const std::string &c : row)
            cells << QString::fromStdString(c);
        gotRows << cells;
    }
    QCOMPARE(gotRows, rows);
    QCOMPARE(got.unclosedQuoteLine, 0);
}

// A file written to each published column set, and the fields its first
// contact fills.
void TestCsv::columnSets_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<CsvColumnSet>("set");
    QTest::addColumn<QString>("fields");

    QTest::newRow("webmail")
        << std::string(
               "Name,Given Name,Additional Name,Family Name,Nickname,Birthday,Notes,Group "
               "Membership,"
               "E-mail 1 - Type,E-mail 1 - Value,E-mail 2 - Type,E-mail 2 - Value,"
               "Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,"
               "Address 1 - Type,Address 1 - Formatted,Address 1 - Street,Address 1 - City,"
               "Address 1 - PO Box,Address 1 - Region,Address 1 - Postal Code,Address 1 - Country,"
               "Address 1 - Extended Address,Organization 1 - Type,Organization 1 - Name\r\n"
               "Anne Martin,Anne,,Martin,,1979-03-21,\"Met in Lyon, 2019\",* myContacts ::: "
               "Friends,"
               "* Home,anne@example.org ::: a.martin@example.org,Work,anne@work.example,"
               "Mobile,+33 6 11 22 33 44 ::: +33 6 55 66 77 88,Work Fax,+33 4 00 00 00 00,"
               "Home,\"3 rue Neuve\nLyon\",3 rue Neuve,Lyon,,Rhône,69001,France,,,Acme\r\n")
        << CsvColumnSet::Webmail
        << "first=Anne | last=Martin | org=Acme | addr=3 rue Neuve | city=Lyon | zip=69001 | "
           "state=Rhône | country=France | home=+33 6 55 66 77 88 | other=+33 6 11 22 33 44 | "
           "fax=+33 4 00 00 00 00 | email=anne@example.org | comment=Met in Lyon, 2019 | "
           "birth=21-03-79 | status=Friends";
    QTest::newRow("mail suite, English")
        << std::string(
               "\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Suffix\",\"Company\","
               "\"Home Street\",\"Home City\",\"Home State\",\"Home Postal Code\","
               "\"Home Country/Region\",\"Business Fax\",\"Business Phone\",\"Home Phone\","
               "\"Mobile Phone\",\"Birthday\",\"Categories\",\"E-mail Address\","
               "\"E-mail Type\",\"Notes\",\"Sensitivity\"\r\n"
               "\"\",\"John\",\"\",\"Smith\",\"\",\"Acme\",\"1 Main St\",\"Springfield\","
               "\"IL\",\"62701\",\"United States\",\"555-0199\",\"555-0100\",\"555-0101\","
               "\"555-0102\",\"7/4/1976\",\"Clients;VIP\",\"john@example.com\",\"SMTP\","
               "\"Two\r\nlines\",\"Normal\"\r\n")
        << CsvColumnSet::MailSuiteEnglish
        << "first=John | last=Smith | org=Acme | addr=1 Main St | city=Springfield | zip=62701 | "
           "state=IL | country=United States | home=555-0101 | work=555-0100 | other=555-0102 | "
           "fax=555-0199 | email=john@example.com | comment=Two\r\nlines | birth=04-07-76 | "
           "status=Clients";
    QTest::newRow("mail suite, French")
        << std::string("Prénom,Nom,Société,Rue (domicile),Ville (domicile),Code postal (domicile),"
                       "Pays/Région (domicile),Téléphone (domicile),Téléphone (bureau),Tél. mobile,"
                       "Télécopie (bureau),Adresse de messagerie,Anniversaire,Catégories,Notes\r\n"
                       "Élodie,Lefèvre,Société Générale,12 quai Voltaire,Paris,75007,France,"
                       "01 40 00 00 01,01 40 00 00 02,06 00 00 00 03,01 40 00 00 04,"
                       "elodie@example.fr,25/12/1980,Famille,Cousine\r\n")
        << CsvColumnSet::MailSuiteFrench
        << "first=Élodie | last=Lefèvre | org=Société Générale | addr=12 quai Voltaire | "
           "city=Paris | zip=75007 | country=France | home=01 40 00 00 01 | work=01 40 00 00 02 | "
           "other=06 00 00 00 03 | fax=01 40 00 00 04 | email=elodie@example.fr | "
           "comment=Cousine | birth=25-12-80 | status=Famille";
    QTest::newRow("mail client")
        << std::string("First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,"
                       "Screen Name,Work Phone,Home Phone,Fax Number,Pager Number,Mobile Number,"
                       "Home Address,Home Address 2,Home City,Home State,Home ZipCode,Home Country,"
                       "Work Address,Work Address 2,Work City,Work State,Work ZipCode,Work Country,"
                       "Job Title,Department,Organization,Web Page 1,Web Page 2,Birth Year,"
                       "Birth Month,Birth Day,Custom 1,Custom 2,Custom 3,Custom 4,Notes,\r\n"
                       "Karl,Müller,Karl Müller,,karl@example.de,,,030 2,030 1,,,0170 3,"
                       "Hauptstr. 5,Hinterhaus,Berlin,,10115,Germany,,,,,,,,,ACME GmbH,,,,"
                       "8,15,,,,,Notiz,\r\n")
        << CsvColumnSet::MailClient
        << "first=Karl | last=Müller | org=ACME GmbH | addr=Hauptstr. 5, Hinterhaus | city=Berlin "
           "| "
           "zip=10115 | country=Germany | home=030 1 | work=030 2 | other=0170 3 | "
           "email=karl@example.de | comment=Notiz | birth=15-08-  ";
    QTest::newRow("mail client, a pager before the mobile")
        << std::string(
               "First Name,Last Name,Primary Email,Work Phone,Pager Number,Mobile Number\r\n"
               "Eva,Roth,eva@example.de,030 2,0171 9,0170 3\r\n")
        << CsvColumnSet::MailClient
        << "first=Eva | last=Roth | home=0171 9 | work=030 2 | other=0170 3 | email=eva@example.de";
    QTest::newRow("mail suite: an ISO birthday, rows ending in a comma")
        << std::string("First Name,Last Name,Mobile Phone,Birthday,\r\nAl,Ng,1,1976-07-04,\r\n")
        << CsvColumnSet::MailSuiteEnglish << "first=Al | last=Ng | other=1 | birth=04-07-76";
}

void TestCsv::columnSets()
{
    QFETCH(std::string, text);
    QFETCH(CsvColumnSet, set);
    QFETCH(QString, fields);
    const CsvReadResult r = readCsvContacts(text);
    QVERIFY(r.problems.empty());
    QCOMPARE(r.columnSet, set);
    QCOMPARE(r.cards.size(), std::size_t(1));
    QCOMPARE(fieldsOf(r.cards[0].card), fields);
}

void TestCsv::unknownHeader()
{
    const CsvReadResult r = readCsvContacts("Who,Where\r\nme,here\r\n");
    QCOMPARE(r.columnSet, CsvColumnSet::Unknown);
    QVERIFY(r.cards.empty());
    QCOMPARE(r.problems.size(), std::size_t(1));
    QCOMPARE(r.problems[0].code, ReadProblemCode::UnknownCsvHeader);
    // The message lists what each known set needs.
    for (const char *column :
         {"Given Name", "Prénom", "E-mail Address", "Primary Email", "Fax/Data Phone"})
        QVERIFY2(r.problems[0].detail.find(column) != std::string::npos, column);
}

// Our own set written and read back gives every field byte for byte: any
// byte (NUL, a lone CR or LF too), outer blanks, a field of blanks, line
// breaks, " ::: ", birth dates partial or impossible as the edit form lets
// them be.
void TestCsv::ownSetRoundTrip()
{
    std::string all;
    for (int b = 0x00; b <= 0xFF; ++b)
        all += static_cast<char>(b);
    std::vector<ContactRecord> contacts;
    const char *births[] = {"14-07-85", "29-02-  ", "  -  -  ", "00-00-00", "31-02-85", "  -  -85"};
    for (std::size_t offset = 0; offset < all.size(); offset += 11) {
        ContactRecord c;
        for (Field f : kContactFields)
            c.set(f, all.substr((offset + static_cast<std::size_t>(f) * 5) % all.size(),
                                fieldLayout(f).maxLength));
        c.set(Field::Comment, "a \"quoted\", line\r\nand more");
        c.set(Field::Birth, births[contacts.size() % 6]);
        c.set(Field::Phone1, " ::: ");
        c.set(Field::Email, "  a@b  ");
        c.set(Field::State, "   ");
        contacts.push_back(c);
    }
    std::string file = csvHeaderLine();
    for (const ContactRecord &c : contacts)
        appendCsvContact(file, c);

    const CsvReadResult r = readCsvContacts(file);
    QCOMPARE(r.columnSet, CsvColumnSet::Own);
    QVERIFY(r.problems.empty());
    QCOMPARE(r.contacts.size(), contacts.size());
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        QVERIFY(r.contacts[i].mapped.losses.empty());
        for (Field f : kContactFields)
            QCOMPARE(test::qb(r.contacts[i].mapped.record.get(f)).toHex(),
                     test::qb(contacts[i].get(f)).toHex());
    }
}

void TestCsv::brokenRows()
{
    // A quote never closed: reported; the rows after it are still read.
    const std::string header = csvHeaderLine();
    const CsvReadResult r = readCsvContacts(header + "One,A\r\n\"Two,B\r\nThree,C\r\n"
                                                     "Four,D,,,,,,,,,,,,,,,,extra\r\n"
                                                     "Five,E,,,,,,,,,,,,,soon,\r\n"
                                                     "Six,F,,,,,,,,,,,,,7/4/1976,\r\n");
    QStringList got;
    for (const CsvContact &c : r.contacts)
        got << QString::fromStdString(c.mapped.record.get(Field::LastName) + " " +
                                      c.mapped.record.get(Field::Birth));
    QCOMPARE(got, (QStringList{"One   -  -  ", "\"Two   -  -  ", "Three   -  -  ", "Four   -  -  ",
                               "Five   -  -  ", "Six 07-04-76"}));
    QStringList problems;
    for (const ReadProblem &p : r.problems)
        problems << QStringLiteral("%1 %2 %3")
                        .arg(QString::fromStdString(std::string(problemCodeName(p.code))))
                        .arg(p.card)
                        .arg(p.line);
    QCOMPARE(problems,
             (QStringList{"unclosed-quote 0 3", "wrong-column-count 4 5", "bad-date 5 6"}));

    // A last name whose first 30 characters are blanks is stored without
    // them, not as nothing but blanks (which would not read back as ours).
    const CsvReadResult padded =
        readCsvContacts(header + "\t" + std::string(31, ' ') + "Padded,G\r\n");
    QCOMPARE(padded.contacts.size(), std::size_t(1));
    QCOMPARE(padded.contacts[0].mapped.record.get(Field::LastName), std::string("Padded"));
    QCOMPARE(padded.contacts[0].mapped.losses.size(), std::size_t(1));
    QCOMPARE(padded.contacts[0].mapped.losses[0].kind, LossKind::Cut);

    // A file in the suites' Western code page rather than UTF-8, with or
    // without a UTF-8 byte order mark before it.
    for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
        const CsvReadResult latin = readCsvContacts(bom + "Pr\xE9nom,Nom\r\nJos\xE9,Garc\xED"
                                                          "a\r\n");
        QCOMPARE(latin.columnSet, CsvColumnSet::MailSuiteFrench);
        QCOMPARE(latin.cards.size(), std::size_t(1));
        QCOMPARE(latin.cards[0].card.first("N")->value(), std::string("García"));
        QCOMPARE(latin.problems.size(), std::size_t(1));
        QCOMPARE(latin.problems[0].code, ReadProblemCode::InvalidUtf8);
    }

    // And one saved as UTF-16 with its byte order mark, both byte orders.
    const QString text = QStringLiteral("Prénom,Nom\r\nŁucja,Dąb\r\n");
    for (QSysInfo::Endian order : {QSysInfo::LittleEndian, QSysInfo::BigEndian}) {
        QByteArray bytes =
            order == QSysInfo::LittleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        for (QChar c : text) {
            const char lo = static_cast<char>(c.unicode() & 0xFF),
                       hi = static_cast<char>(c.unicode() >> 8);
            bytes += order == QSysInfo::LittleEndian ? lo : hi;
            bytes += order == QSysInfo::LittleEndian ? hi : lo;
        }
        const CsvReadResult wide = readCsvContacts(bytes.toStdString());
        QCOMPARE(wide.columnSet, CsvColumnSet::MailSuiteFrench);
        QVERIFY(wide.problems.empty());
        QCOMPARE(wide.cards.size(), std::size_t(1));
        QCOMPARE(wide.cards[0].card.first("N")->value(), std::string("Dąb"));
    }
}

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
