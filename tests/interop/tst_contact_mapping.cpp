// SPDX-License-Identifier: GPL-3.0-or-later
// Cards to contact records and back: the field table, what is reported as
// lost, transliteration, birth dates with their pivot, the byte-for-byte
// round trip, and the merge that keeps what the record cannot hold.
#include "interop/birth_date.h"
#include "interop/contact_mapping.h"
#include "interop/transliterate.h"
#include "interop/vcard_reader.h"
#include "interop/vcard_writer.h"
#include "interop_test_util.h"

#include <QTest>

using namespace vcq;
using namespace vcq::interop;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(VCardVersion)
Q_DECLARE_METATYPE(BirthDateExport)

namespace
{

VCard oneCard(const std::string &body, const std::string &version = "3.0")
{
    const VCardReadResult r =
        readVCards("BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + body + "END:VCARD\r\n");
    return r.cards.empty() ? VCard{} : r.cards[0].card;
}

} // namespace

class TestContactMapping : public QObject
{
    Q_OBJECT
private slots:
    void cardToContact_data();
    void cardToContact();
    void transliteration_data();
    void transliteration();
    void birthDateImport_data();
    void birthDateImport();
    void birthDateExport_data();
    void birthDateExport();
    void exportReportsBadBirthDate();
    void roundTripEveryByte_data();
    void roundTripEveryByte();
    void fastExportWritesTheSameText();
    void mergeKeepsWhatHasNoField();
    void mergeLeavesUnchangedFieldsAlone();
};

// A card body and the fields it fills (UTF-8 of the cp1252 bytes stored),
// then the losses reported, as "kind property".
void TestContactMapping::cardToContact_data()
{
    QTest::addColumn<std::string>("body");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QStringList>("losses");

    QTest::newRow("every mapped property")
        << std::string(
               "N:Doe;John;;;\r\nFN:John Doe\r\nORG:Acme\r\n"
               "ADR;TYPE=home:;;1 Main St;Town;ST;12345;France\r\n"
               "TEL;TYPE=home:1\r\nTEL;TYPE=work:2\r\nTEL;TYPE=cell:3\r\nTEL;TYPE=fax:4\r\n"
               "EMAIL:j@x.org\r\nBDAY:1985-07-14\r\nCATEGORIES:Friends\r\nNOTE:hi\\nthere\r\n"
               "UID:u\r\nREV:2020\r\nPRODID:p\r\n")
        << "first=John | last=Doe | org=Acme | addr=1 Main St | city=Town | zip=12345 | state=ST | "
           "country=France | home=1 | work=2 | other=3 | fax=4 | email=j@x.org | "
           "comment=hi\r\nthere "
           "| "
           "birth=14-07-85 | status=Friends"
        << QStringList{};
    QTest::newRow("FN split when N is missing")
        << std::string("FN:Mary Ann Smith\r\n") << "first=Mary Ann | last=Smith" << QStringList{};
    QTest::newRow("FN with a comma")
        << std::string("FN:Smith, Mary\r\n") << "first=Mary | last=Smith" << QStringList{};
    QTest::newRow("only a company") << std::string("N:;;;;\r\nFN:\r\nORG:Acme;Sales\r\n")
                                    << "last=Acme | org=Acme" << QStringList{"no-field ORG"};
    QTest::newRow("preferred address wins, the others are reported")
        << std::string(
               "N:A;B\r\nADR;TYPE=home:;;Home St;H;;;\r\nADR;TYPE=work,pref:;;Work St;W;;;\r\n")
        << "first=B | last=A | addr=Work St | city=W" << QStringList{"no-field ADR"};
    QTest::newRow("first home address without pref")
        << std::string("N:A;B\r\nADR;TYPE=work:;;Work St;W;;;\r\nADR;TYPE=home:;;Home St;H;;;\r\n")
        << "first=B | last=A | addr=Home St | city=H" << QStringList{"no-field ADR"};
    QTest::newRow("box and extended address kept in the street")
        << std::string("N:A;B\r\nADR:PO 9;Apt 2;1 Rue;Paris;;75001;\r\n")
        << "first=B | last=A | addr=1 Rue, Apt 2, PO 9 | city=Paris | zip=75001" << QStringList{};
    QTest::newRow("phones fill free fields, then are reported")
        << std::string("N:A;B\r\nTEL;TYPE=cell:c1\r\nTEL;TYPE=cell:c2\r\nTEL:v\r\n"
                       "TEL;TYPE=work:w\r\nTEL;TYPE=home,fax:f\r\nTEL:extra\r\n")
        << "first=B | last=A | home=c2 | work=w | other=c1 | fax=f"
        << QStringList{"phone-moved TEL", "extra-phone TEL", "extra-phone TEL"};
    QTest::newRow("a mobile takes the other phone from every other type before it")
        << std::string("N:A;B\r\nTEL:untyped\r\nTEL;TYPE=MAIN:main\r\nTEL;TYPE=pager:p\r\n"
                       "TEL;TYPE=x-boat:boat\r\nTEL;TYPE=CELL:mobile\r\n")
        << "first=B | last=A | home=untyped | work=main | other=mobile | fax=p"
        << QStringList{"phone-moved TEL", "phone-moved TEL", "extra-phone TEL"};
    QTest::newRow("the preferred of two mobiles")
        << std::string("N:A;B\r\nTEL;TYPE=cell:c1\r\nTEL;TYPE=cell,pref:c2\r\n")
        << "first=B | last=A | home=c1 | other=c2" << QStringList{"phone-moved TEL"};
    QTest::newRow("line breaks of every kind stored as CR LF")
        << std::string("N:A;B\r\nNOTE:1\\n2\r\nADR:;;a\\nb;;;;\r\n")
        << "first=B | last=A | addr=a\r\nb | comment=1\r\n2" << QStringList{};
    QTest::newRow("a tel: text stays whole, a tel: URI gives its number")
        << std::string("N:A;B\r\nTEL;TYPE=home;VALUE=text:tel:1\r\nTEL;TYPE=work:tel:2\r\n")
        << "first=B | last=A | home=tel:1 | work=2" << QStringList{};
    QTest::newRow("2.1 bare types and 4.0 tel uri")
        << std::string("N:A;B\r\nTEL;HOME;VOICE:111\r\nTEL;VALUE=uri;TYPE=work:tel:+33-1-22\r\n")
        << "first=B | last=A | home=111 | work=+33-1-22" << QStringList{};
    QTest::newRow("preferred e-mail, the others reported")
        << std::string("N:A;B\r\nEMAIL:one@x\r\nEMAIL;TYPE=pref:two@x\r\nEMAIL:three@x\r\n")
        << "first=B | last=A | email=two@x"
        << QStringList{"extra-email EMAIL", "extra-email EMAIL"};
    QTest::newRow("what has no field is reported")
        << std::string("N:A;B;C;Dr.;\r\nPHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\nURL:http://x\r\n"
                       "item1.X-ABLABEL:boat\r\nCATEGORIES:one,two\r\nNOTE:n1\r\nNOTE:n2\r\n"
                       "BDAY:circa 1900\r\nTITLE:Boss\r\n")
        << "first=B | last=A | comment=n1 | status=one"
        << QStringList{"no-field N",         "bad-birth-date BDAY", "no-field CATEGORIES",
                       "no-field NOTE",      "no-field PHOTO",      "no-field URL",
                       "no-field X-ABLABEL", "no-field TITLE"};
    QTest::newRow("fields cut to their maximum")
        << std::string("N:") + std::string(35, 'L') + ";F\r\nTEL:" + std::string(31, '9') + "\r\n"
        << QStringLiteral("first=F | last=%1 | other=%2").arg(QString(30, 'L'), QString(30, '9'))
        << QStringList{"cut N", "cut TEL"};
    QTest::newRow("transliterated and reported")
        << std::string("N:Wałęsa;Łukasz\r\nORG:Ðórr €\r\n")
        << "first=Lukasz | last=Walesa | org=Ðórr €"
        << QStringList{"transliterated N", "transliterated N"};
}

void TestContactMapping::cardToContact()
{
    QFETCH(std::string, body);
    QFETCH(QString, fields);
    QFETCH(QStringList, losses);
    const MappedContact m = interop::cardToContact(oneCard(body));
    QCOMPARE(test::fieldsText(m.record), fields);
    QStringList got;
    for (const Loss &l : m.losses)
        got << QString::fromStdString(std::string(lossKindName(l.kind)) + " " + l.property);
    QCOMPARE(got, losses);
}

void TestContactMapping::transliteration_data()
{
    QTest::addColumn<std::string>("utf8");
    QTest::addColumn<std::string>("cp1252");
    QTest::addColumn<int>("transliterated");
    QTest::addColumn<int>("unrepresentable");

    QTest::newRow("ascii") << std::string("Plain") << std::string("Plain") << 0 << 0;
    QTest::newRow("cp1252 letters kept")
        << std::string("Ðéœ€Ÿ") << std::string("\xD0\xE9\x9C\x80\x9F") << 0 << 0;
    QTest::newRow("Polish") << std::string("Łukasz Żółć") << std::string("Lukasz Z\xF3lc") << 4
                            << 0;
    QTest::newRow("decomposed accents composed first")
        << std::string("e\xCC\x81t\xC3\xA9") << std::string("\xE9t\xE9") << 0 << 0;
    QTest::newRow("Cyrillic") << std::string("Иван") << std::string("Ivan") << 4 << 0;
    QTest::newRow("Greek keeps accents cp1252 has") << std::string("Σοφία")
                                                    << std::string("Soph\xED"
                                                                   "a")
                                                    << 5 << 0;
    QTest::newRow("emoji has no spelling") << std::string("a😀b") << std::string("a?b") << 0 << 1;
    QTest::newRow("invalid UTF-8") << std::string("a\xFF") << std::string("a?") << 0 << 1;
}

void TestContactMapping::transliteration()
{
    QFETCH(std::string, utf8);
    QFETCH(std::string, cp1252);
    QFETCH(int, transliterated);
    QFETCH(int, unrepresentable);
    const Cp1252Text t = utf8ToCp1252(utf8);
    QCOMPARE(QString::fromStdString(cp1252ToUtf8(t.bytes)),
             QString::fromStdString(cp1252ToUtf8(cp1252)));
    QCOMPARE(t.transliterated, transliterated);
    QCOMPARE(t.unrepresentable, unrepresentable);
}

void TestContactMapping::birthDateImport_data()
{
    QTest::addColumn<std::string>("bday");
    QTest::addColumn<QString>("stored"); // empty: not a date

    QTest::newRow("3.0 extended") << std::string("1985-07-14") << "14-07-85";
    QTest::newRow("4.0 basic") << std::string("19850714") << "14-07-85";
    QTest::newRow("with a time") << std::string("2001-02-03T04:05:06Z") << "03-02-01";
    QTest::newRow("no year basic") << std::string("--0229") << "29-02-  ";
    QTest::newRow("no year extended") << std::string("--12-31") << "31-12-  ";
    QTest::newRow("leap day in a leap year") << std::string("2000-02-29") << "29-02-00";
    QTest::newRow("leap day in another year") << std::string("1900-02-29") << "";
    QTest::newRow("month 13") << std::string("1985-13-01") << "";
    QTest::newRow("day 31 in April") << std::string("1985-04-31") << "";
    QTest::newRow("text") << std::string("circa 1800") << "";
    QTest::newRow("only a year") << std::string("1985") << "";
    QTest::newRow("empty") << std::string() << "";
}

void TestContactMapping::birthDateImport()
{
    QFETCH(std::string, bday);
    QFETCH(QString, stored);
    const auto got = birthDateFromVCard(bday);
    QCOMPARE(got ? QString::fromStdString(*got) : QString(), stored);
}

void TestContactMapping::birthDateExport_data()
{
    QTest::addColumn<std::string>("stored");
    QTest::addColumn<VCardVersion>("version");
    QTest::addColumn<int>("year");
    QTest::addColumn<BirthDateExport>("status");
    QTest::addColumn<QString>("value");

    QTest::newRow("blank") << std::string("  -  -  ") << VCardVersion::V30 << 2026
                           << BirthDateExport::Blank << "";
    QTest::newRow("empty") << std::string() << VCardVersion::V30 << 2026 << BirthDateExport::Blank
                           << "";
    QTest::newRow("this year's two digits are 20yy")
        << std::string("01-02-26") << VCardVersion::V30 << 2026 << BirthDateExport::Full
        << "2026-02-01";
    QTest::newRow("one more is 19yy") << std::string("01-02-27") << VCardVersion::V30 << 2026
                                      << BirthDateExport::Full << "1927-02-01";
    QTest::newRow("00 is 2000") << std::string("01-02-00") << VCardVersion::V40 << 2026
                                << BirthDateExport::Full << "20000201";
    QTest::newRow("pivot moves with the year") << std::string("01-02-30") << VCardVersion::V40
                                               << 2031 << BirthDateExport::Full << "20300201";
    QTest::newRow("4.0 basic form") << std::string("14-07-85") << VCardVersion::V40 << 2026
                                    << BirthDateExport::Full << "19850714";
    QTest::newRow("no year") << std::string("29-02-  ") << VCardVersion::V40 << 2026
                             << BirthDateExport::NoYear << "--0229";
    QTest::newRow("no year 3.0") << std::string("05-11-  ") << VCardVersion::V30 << 2026
                                 << BirthDateExport::NoYear << "--1105";
    QTest::newRow("no month") << std::string("05-  -85") << VCardVersion::V30 << 2026
                              << BirthDateExport::Invalid << "";
    QTest::newRow("no day") << std::string("  -11-85") << VCardVersion::V30 << 2026
                            << BirthDateExport::Invalid << "";
    QTest::newRow("31 February") << std::string("31-02-85") << VCardVersion::V30 << 2026
                                 << BirthDateExport::Invalid << "";
    QTest::newRow("29 February of a 19yy non-leap year")
        << std::string("29-02-99") << VCardVersion::V30 << 2026 << BirthDateExport::Invalid << "";
    QTest::newRow("letters") << std::string("ab-cd-ef") << VCardVersion::V30 << 2026
                             << BirthDateExport::Invalid << "";
    QTest::newRow("too short") << std::string("1-2-85") << VCardVersion::V30 << 2026
                               << BirthDateExport::Invalid << "";
}

void TestContactMapping::birthDateExport()
{
    QFETCH(std::string, stored);
    QFETCH(VCardVersion, version);
    QFETCH(int, year);
    QFETCH(BirthDateExport, status);
    QFETCH(QString, value);
    const ExportedBirthDate e = birthDateToVCard(stored, version, year);
    QCOMPARE(e.status, status);
    QCOMPARE(QString::fromStdString(e.value), value);
    // What is exported reads back as the stored text.
    if (status == BirthDateExport::Full || status == BirthDateExport::NoYear)
        QCOMPARE(birthDateFromVCard(e.value).value_or(""), stored);
}

void TestContactMapping::exportReportsBadBirthDate()
{
    const ContactRecord c = test::contact({{Field::LastName, "Doe"}, {Field::Birth, "31-02-85"}});
    std::vector<Loss> losses;
    const VCard card = contactToCard(c, "uid-1", VCardVersion::V30, &losses, 2026);
    QVERIFY(!card.first("BDAY"));
    QCOMPARE(losses.size(), std::size_t(1));
    QCOMPARE(losses[0].kind, LossKind::BadBirthDate);
    QCOMPARE(losses[0].detail, std::string("31-02-85"));
    // Every card has N, FN and UID.
    QVERIFY(card.first("N") && card.first("FN"));
    QCOMPARE(card.first("UID")->value(), std::string("uid-1"));
}

void TestContactMapping::roundTripEveryByte_data()
{
    QTest::addColumn<VCardVersion>("version");
    QTest::newRow("3.0") << VCardVersion::V30;
    QTest::newRow("4.0") << VCardVersion::V40;
}

// Every byte from blank to 0xFF, in every field, comes back as it was.
void TestContactMapping::roundTripEveryByte()
{
    QFETCH(VCardVersion, version);
    std::string bytes;
    for (int b = 0x20; b <= 0xFF; ++b)
        bytes += static_cast<char>(b);
    bytes += "\r\nsecond line"; // a line break as the edit form stores it

    std::vector<ContactRecord> contacts;
    const char *births[] = {"14-07-85", "29-02-  ", "  -  -  ", "01-01-00", "31-12-99"};
    for (std::size_t offset = 0; offset < bytes.size(); offset += 7) {
        ContactRecord c;
        for (Field f : kContactFields) {
            const std::size_t max = fieldLayout(f).maxLength;
            std::string text =
                bytes.substr((offset + static_cast<std::size_t>(f) * 3) % bytes.size(), max);
            // Half a line break is none the form stores.
            if (text.starts_with('\n'))
                text.erase(0, 1);
            if (f != Field::Comment)
                text = text.substr(0, text.find('\r'));
            else if (text.ends_with('\r'))
                text.pop_back();
            c.set(f, text);
        }
        c.set(Field::Birth, births[contacts.size() % 5]);
        if (contacts.size() % 4 == 0) // numbers typed as if they were URIs
            c.set(contacts.size() % 8 ? Field::Phone1 : Field::Cell, "tel:+1 555 0100");
        contacts.push_back(c);
    }

    std::string file;
    for (std::size_t i = 0; i < contacts.size(); ++i)
        appendVCard(file,
                    contactToCard(contacts[i], "uid-" + std::to_string(i), version, nullptr, 2026),
                    version);
    const VCardReadResult r = readVCards(file);
    QVERIFY(r.problems.empty());
    QCOMPARE(r.cards.size(), contacts.size());
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        const MappedContact m = interop::cardToContact(r.cards[i].card);
        QVERIFY2(m.losses.empty(), qPrintable(test::fieldsText(m.record)));
        for (Field f : kContactFields)
            QCOMPARE(vcq::test::qb(m.record.get(f)).toHex(),
                     vcq::test::qb(contacts[i].get(f)).toHex());
    }
}

// The export's fast path gives exactly the text of the card it stands for.
void TestContactMapping::fastExportWritesTheSameText()
{
    std::string bytes;
    for (int b = 0x01; b <= 0xFF; ++b)
        bytes += static_cast<char>(b);
    bytes += "\r\n;,\\ \t";
    const char *births[] = {"14-07-85", "29-02-  ", "  -  -  ", "31-02-85", "xx", ""};
    for (VCardVersion v : {VCardVersion::V30, VCardVersion::V40}) {
        for (std::size_t offset = 0; offset < bytes.size(); offset += 5) {
            ContactRecord c;
            for (Field f : kContactFields)
                c.set(f,
                      bytes.substr((offset * 3 + static_cast<std::size_t>(f) * 11) % bytes.size(),
                                   fieldLayout(f).maxLength));
            c.set(Field::Birth, births[offset % 6]);
            if (offset % 3 == 0)
                c.set(offset % 2 ? Field::Phone3 : Field::Phone1, "TEL:+33 1 22");
            if (offset % 4 == 0) {
                c.set(Field::FirstName, offset % 8 ? "" : "  ");
                c.set(Field::Address1, "");
                c.set(Field::City, "");
                c.set(Field::Zip, "");
                c.set(Field::State, "");
                c.set(Field::Country, "");
                c.set(Field::Phone2, "");
            }
            std::vector<Loss> slow, fast;
            const std::string expected =
                writeVCard(contactToCard(c, "u;" + std::to_string(offset), v, &slow, 2026), v);
            std::string got = "prefix";
            appendContactVCard(got, c, "u;" + std::to_string(offset), v, &fast, 2026);
            QCOMPARE(vcq::test::qb(got), "prefix" + vcq::test::qb(expected));
            QVERIFY(fast == slow);
        }
    }
}

void TestContactMapping::mergeKeepsWhatHasNoField()
{
    const VCard base = oneCard("N:Wałęsa;Łukasz;;;\r\nFN:Łukasz Wałęsa\r\n"
                               "item1.TEL;TYPE=home:111\r\nitem1.X-ABLABEL:boat\r\n"
                               "TEL;TYPE=cell:222\r\nTEL;TYPE=cell:333\r\nTEL:444\r\nTEL:555\r\n"
                               "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\nX-CUSTOM;X-A=1:keep\\,me\r\n"
                               "CATEGORIES:Friends,Golf\r\nUID:server-uid\r\n",
                               "3.0");
    ContactRecord c = interop::cardToContact(base).record;
    c.set(Field::Phone1, "999");        // the home number changes
    c.set(Field::Email, "new@example"); // an e-mail is added
    c.set(Field::Status, "Family");     // the first category changes
    const VCard merged = mergeContactIntoCard(c, base, VCardVersion::V30);

    // The name was not touched here: it keeps its letters the record could not hold.
    QCOMPARE(merged.first("N")->value(), std::string("Wałęsa"));
    QCOMPARE(merged.first("FN")->value(), std::string("Łukasz Wałęsa"));
    const auto tels = merged.all("TEL");
    QCOMPARE(tels.size(), std::size_t(5));
    QCOMPARE(tels[0]->value(), std::string("999"));
    QCOMPARE(tels[0]->group, std::string("item1"));
    QCOMPARE(tels[4]->value(), std::string("555")); // the extra phone stays
    QVERIFY(merged.first("PHOTO"));
    QCOMPARE(merged.first("X-CUSTOM")->value(), std::string("keep\\,me"));
    QCOMPARE(merged.first("X-ABLABEL")->group, std::string("item1"));
    QCOMPARE(merged.first("UID")->value(), std::string("server-uid"));
    QCOMPARE(merged.first("EMAIL")->value(), std::string("new@example"));
    QCOMPARE(merged.first("CATEGORIES")->values, (std::vector<std::string>{"Family", "Golf"}));
    // And the record reads back from the merged card.
    QCOMPARE(interop::cardToContact(merged).record, c);
}

void TestContactMapping::mergeLeavesUnchangedFieldsAlone()
{
    const VCard base = oneCard("N:Doe;Jane;;;\r\nFN:Jane Doe\r\nTEL;TYPE=work:1\r\n"
                               "EMAIL:j@x\r\nNOTE:old\r\nBDAY:1990-05-06\r\n");
    ContactRecord c = interop::cardToContact(base).record;
    QCOMPARE(mergeContactIntoCard(c, base, VCardVersion::V30), base);

    // Emptied fields take their property away; a new name rewrites N and FN.
    c.set(Field::Phone2, "");
    c.set(Field::Comment, "");
    c.set(Field::Birth, "  -  -  ");
    c.set(Field::LastName, "Roe");
    const VCard merged = mergeContactIntoCard(c, base, VCardVersion::V40);
    QVERIFY(!merged.first("TEL") && !merged.first("NOTE") && !merged.first("BDAY"));
    QCOMPARE(merged.first("N")->values[0], std::string("Roe"));
    QCOMPARE(merged.first("FN")->value(), std::string("Jane Roe"));
    QCOMPARE(merged.first("EMAIL")->value(), std::string("j@x"));
}

QTEST_GUILESS_MAIN(TestContactMapping)
#include "tst_contact_mapping.moc"
