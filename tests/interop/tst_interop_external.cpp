// SPDX-License-Identifier: GPL-3.0-or-later
// Our exports checked by independent vCard readers from Debian (python3-vobject
// with validation, sabre/vobject's validator), and cards written by other
// programs (khard, abook, python3-vobject), generated here, read by ours.
#include "interop/contact_mapping.h"
#include "interop/transliterate.h"
#include "interop/vcard_reader.h"
#include "interop/vcard_writer.h"
#include "interop_test_util.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace vcq;
using namespace vcq::interop;

Q_DECLARE_METATYPE(VCardVersion)

namespace
{

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kSabreAutoload = QStringLiteral("/usr/share/php/Sabre/VObject/autoload.php");
const QString kSabreValidate = QStringLiteral("/usr/bin/vobjectvalidate");

// Reads every card with validation and checks the four properties every
// export must carry; prints the number of cards.
const char *kVobjectCheck = R"(
import sys, vobject
n = 0
with open(sys.argv[1], encoding='utf-8', newline='') as f:
    for card in vobject.readComponents(f.read(), validate=True):
        for name in ('version', 'n', 'fn', 'uid'):
            if name not in card.contents:
                sys.exit('card %d has no %s' % (n + 1, name.upper()))
        n += 1
print(n)
)";

QString field(const ContactRecord &r, Field f)
{
    return QString::fromStdString(cp1252ToUtf8(r.view(f)));
}

std::vector<ContactRecord> sampleContacts()
{
    std::vector<ContactRecord> out;
    std::string all;
    for (int b = 0x20; b <= 0xFF; ++b)
        all += static_cast<char>(b);
    const char *births[] = {"14-07-85", "29-02-  ", "  -  -  ", "31-02-85", "01-01-00"};
    for (std::size_t offset = 0; offset < all.size(); offset += 13) {
        ContactRecord c;
        for (Field f : kContactFields)
            c.set(f, all.substr((offset + static_cast<std::size_t>(f) * 7) % all.size(),
                                fieldLayout(f).maxLength));
        c.set(Field::Comment, all.substr(offset, 50) + "\nline two\r\nthree; four, five\\");
        c.set(Field::Birth, births[out.size() % 5]);
        out.push_back(c);
    }
    out.push_back(test::contact({{Field::LastName, "Only"}}));
    out.push_back(test::contact({{Field::LastName, std::string(30, 'W')},
                                 {Field::FirstName, std::string(30, '\xE9')},
                                 {Field::Comment, std::string(200, '\x80')}}));
    return out;
}

bool haveProgram(const QString &path)
{
    return QFileInfo(path).isExecutable() || !QStandardPaths::findExecutable(path).isEmpty();
}

} // namespace

class TestInteropExternal : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void exportsPassIndependentReaders_data();
    void exportsPassIndependentReaders();
    void readsKhardCards();
    void readsAbookCards();
    void readsPythonVobjectCards();
};

void TestInteropExternal::initTestCase()
{
    // scripts/install-deps installs every one of them.
    for (const QString &p : {kPython, QStringLiteral("php"), QStringLiteral("khard"),
                             QStringLiteral("abook"), kSabreValidate})
        QVERIFY2(haveProgram(p), qPrintable(p + " is missing: run scripts/install-deps"));
    QVERIFY2(QFileInfo::exists(kSabreAutoload), "php-sabre-vobject is missing");
}

void TestInteropExternal::exportsPassIndependentReaders_data()
{
    QTest::addColumn<VCardVersion>("version");
    QTest::newRow("3.0") << VCardVersion::V30;
    QTest::newRow("4.0") << VCardVersion::V40;
}

void TestInteropExternal::exportsPassIndependentReaders()
{
    QFETCH(VCardVersion, version);
    const std::vector<ContactRecord> contacts = sampleContacts();
    std::string file;
    for (std::size_t i = 0; i < contacts.size(); ++i)
        appendVCard(
            file,
            contactToCard(contacts[i],
                          "urn:uuid:00000000-0000-8000-8000-00000000000" + std::to_string(i % 10),
                          version),
            version);
    // A merged card keeps foreign properties: it must stay valid too.
    const VCardReadResult foreign = readVCards(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;"
        "Karl\r\n"
        "TEL;HOME;VOICE;PREF:1\r\nTEL;CELL:2\r\nTEL;CELL:3\r\nTEL;FAX:4\r\nTEL;WORK:5\r\nTEL:6\r\n"
        "PHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\nitem1.X-ABLABEL:boat\r\n"
        "UID:merged-1\r\nEND:VCARD\r\n");
    QCOMPARE(foreign.cards.size(), std::size_t(1));
    ContactRecord edited = cardToContact(foreign.cards[0].card).record;
    edited.set(Field::Comment, "edited here");
    appendVCard(file, mergeContactIntoCard(edited, foreign.cards[0].card, version), version);
    const int cards = static_cast<int>(contacts.size()) + 1;

    const QString path =
        QDir::current().filePath(version == VCardVersion::V40 ? "export40.vcf" : "export30.vcf");
    QVERIFY(test::writeFile(path, test::qb(file)));

    const test::ProcessResult py = test::run(kPython, {"-c", kVobjectCheck, path});
    QVERIFY2(py.exitCode == 0, py.err.constData());
    QCOMPARE(py.out.trimmed().toInt(), cards);

    const test::ProcessResult php =
        test::run("php", {"-d", "auto_prepend_file=" + kSabreAutoload, kSabreValidate, path});
    QVERIFY2(php.exitCode == 0, php.err.constData());
    int good = 0;
    for (const QByteArray &line : php.err.split('\n')) {
        if (line.isEmpty() || line.startsWith("SabreTooth VObject validator") ||
            line.startsWith("vCard: "))
            continue;
        QVERIFY2(line == "[GOOD NEWS] No warnings!", line.constData());
        ++good;
    }
    QCOMPARE(good, cards);
}

void TestInteropExternal::readsKhardCards()
{
    // A scratch khard configuration and address book in this test's folder.
    QDir here = QDir::current();
    QDir(here.filePath("khard")).removeRecursively();
    here.mkpath("khard/book");
    const QString config = here.filePath("khard/khard.conf");
    QVERIFY(test::writeFile(
        config,
        QStringLiteral(
            "[addressbooks]\n[[test]]\npath = %1\n"
            "[general]\ndebug = no\ndefault_action = list\neditor = /bin/true\nmerge_editor = "
            "/bin/true\n"
            "[contact table]\ndisplay = first_name\ngroup_by_addressbook = no\nreverse = no\n"
            "show_nicknames = no\nshow_uids = yes\nsort = last_name\nlocalize_dates = yes\n"
            "preferred_phone_number_type = pref, cell, home\npreferred_email_address_type = pref, "
            "work, home\n"
            "[vcard]\npreferred_version = 4.0\nsearch_in_source_files = no\nskip_unparsable = no\n")
            .arg(here.filePath("khard/book"))
            .toUtf8()));
    const QByteArray contact =
        "Formatted name : Łukasz Wałęsa\nFirst name : Łukasz\nLast name : Wałęsa\n"
        "Birthday : --03-21\nOrganisation : Société Générale\n"
        "Phone:\n    cell: +48 600 100 200\n    home: +48 22 111 22 33\n    work, pref: +48 22 "
        "999\n"
        "    fax: +48 22 998\n    voice: +48 22 997\n"
        "Email:\n    home: lukasz@example.pl\n    work, pref: lw@example.com\n"
        "Address:\n    home:\n        Street: ul. Długa 5\n        Code: 00-001\n"
        "        City: Warszawa\n        Region: mazowieckie\n        Country: Polska\n"
        "Categories:\n    - Rodzina\n    - Praca\n"
        "Note : |\n    first line\n    second, line; here\n";
    const test::ProcessResult made =
        test::run("khard", {"-c", config, "new", "-a", "test", "--vcard-version", "4.0"}, contact);
    QVERIFY2(made.exitCode == 0, made.err.constData());

    const QStringList files = QDir(here.filePath("khard/book")).entryList({"*.vcf"}, QDir::Files);
    QCOMPARE(files.size(), 1);
    const QByteArray bytes = test::readFile(here.filePath("khard/book/" + files[0]));
    QVERIFY(bytes.contains("VERSION:4.0"));
    const VCardReadResult r = readVCards(bytes.toStdString());
    QVERIFY(r.problems.empty());
    QCOMPARE(r.cards.size(), std::size_t(1));
    QCOMPARE(r.cards[0].card.version, VCardVersion::V40);

    const MappedContact m = cardToContact(r.cards[0].card);
    QCOMPARE(field(m.record, Field::LastName), "Walesa");
    QCOMPARE(field(m.record, Field::FirstName), "Lukasz");
    QCOMPARE(field(m.record, Field::Organisation), "Société Générale");
    QCOMPARE(field(m.record, Field::Address1), "ul. Dluga 5");
    QCOMPARE(field(m.record, Field::City), "Warszawa");
    QCOMPARE(field(m.record, Field::Zip), "00-001");
    QCOMPARE(field(m.record, Field::State), "mazowieckie");
    QCOMPARE(field(m.record, Field::Country), "Polska");
    QCOMPARE(field(m.record, Field::Phone1), "+48 22 111 22 33");
    QCOMPARE(field(m.record, Field::Phone2), "+48 22 999");
    QCOMPARE(field(m.record, Field::Phone3), "+48 22 998");
    QCOMPARE(field(m.record, Field::Cell), "+48 600 100 200");
    QCOMPARE(field(m.record, Field::Email), "lw@example.com");
    QCOMPARE(field(m.record, Field::Birth), "21-03-  ");
    QCOMPARE(field(m.record, Field::Comment), "first line\r\nsecond, line; here");
    QCOMPARE(field(m.record, Field::Status), "Rodzina");
    QStringList losses;
    for (const Loss &l : m.losses)
        losses << QString::fromStdString(std::string(lossKindName(l.kind)) + " " + l.property);
    losses.sort();
    QCOMPARE(losses, (QStringList{"extra-email EMAIL", "extra-phone TEL", "no-field CATEGORIES",
                                  "transliterated ADR", "transliterated N", "transliterated N"}));
}

void TestInteropExternal::readsAbookCards()
{
    const QByteArray book = "[format]\nprogram=abook\nversion=0.6.1\n\n"
                            "[0]\nname=Jean Dupont\nemail=jean@example.fr,jd@example.org\n"
                            "address=12 rue de la Paix\naddress2=Bât. B\ncity=Paris\nstate=IDF\n"
                            "zip=75002\ncountry=France\nphone=01 23 45 67 89\n"
                            "workphone=01 98 76 54 32\nfax=01 11 11 11 11\nmobile=06 12 34 56 78\n"
                            "nick=Jeannot\nurl=http://example.fr\nnotes=Ami d'enfance\n"
                            "anniversary=1975-04-03\n\n"
                            "[1]\nname=Zoë Ångström\nemail=zoe@example.se\n";
    const QString in = QDir::current().filePath("book.abook");
    QVERIFY(test::writeFile(in, book));
    const test::ProcessResult out = test::run(
        "abook", {"--convert", "--informat", "abook", "--infile", in, "--outformat", "vcard"});
    QVERIFY2(out.exitCode == 0, out.err.constData());

    const VCardReadResult r = readVCards(out.out.toStdString());
    QVERIFY(r.problems.empty());
    QCOMPARE(r.cards.size(), std::size_t(2));
    const MappedContact jean = cardToContact(r.cards[0].card);
    QCOMPARE(field(jean.record, Field::LastName), "Dupont");
    QCOMPARE(field(jean.record, Field::FirstName), "Jean");
    QCOMPARE(field(jean.record, Field::Address1), "12 rue de la Paix, Bât. B");
    QCOMPARE(field(jean.record, Field::Phone1), "01 23 45 67 89");
    QCOMPARE(field(jean.record, Field::Phone2), "01 98 76 54 32");
    QCOMPARE(field(jean.record, Field::Phone3), "01 11 11 11 11");
    QCOMPARE(field(jean.record, Field::Cell), "06 12 34 56 78");
    QCOMPARE(field(jean.record, Field::Email), "jean@example.fr");
    QCOMPARE(field(jean.record, Field::Birth), "03-04-75");
    QCOMPARE(field(jean.record, Field::Comment), "Ami d'enfance");
    QStringList losses;
    for (const Loss &l : jean.losses)
        losses << QString::fromStdString(std::string(lossKindName(l.kind)) + " " + l.property);
    QCOMPARE(losses, (QStringList{"extra-email EMAIL", "no-field NICKNAME", "no-field URL"}));

    const MappedContact zoe = cardToContact(r.cards[1].card);
    QCOMPARE(field(zoe.record, Field::LastName), "Ångström");
    QCOMPARE(field(zoe.record, Field::FirstName), "Zoë");
    QVERIFY(zoe.losses.empty());
}

void TestInteropExternal::readsPythonVobjectCards()
{
    const char *script = R"(
import vobject, sys
out = []
for i in range(3):
    c = vobject.vCard()
    c.add('n').value = vobject.vcard.Name(family='Nguyễn %d' % i, given='Văn, An')
    c.add('fn').value = 'Văn An Nguyễn'
    t = c.add('tel'); t.value = '+84 28 %04d' % i; t.type_param = 'WORK'
    t = c.add('tel'); t.value = '+84 90 %04d' % i; t.type_paramlist = ['CELL', 'VOICE']
    c.add('email').value = 'an%d@example.vn' % i
    c.add('org').value = ['Công ty; TNHH', 'Sales']
    c.add('note').value = 'Line one,\nline two; ' + 'x' * 120
    c.add('categories').value = ['Khách hàng', 'VIP']
    a = c.add('adr'); a.value = vobject.vcard.Address(street='12 Lê Lợi', city='Hồ Chí Minh', code='700000', country='Việt Nam')
    c.add('bday').value = '1990-01-0%d' % (i + 1)
    out.append(c.serialize())
sys.stdout.write(''.join(out))
)";
    const test::ProcessResult made = test::run(kPython, {"-c", script});
    QVERIFY2(made.exitCode == 0, made.err.constData());
    const VCardReadResult r = readVCards(made.out.toStdString());
    QVERIFY(r.problems.empty());
    QCOMPARE(r.cards.size(), std::size_t(3));
    for (int i = 0; i < 3; ++i) {
        const MappedContact m = cardToContact(r.cards[static_cast<std::size_t>(i)].card);
        QCOMPARE(field(m.record, Field::LastName), QStringLiteral("Nguyen %1").arg(i));
        QCOMPARE(field(m.record, Field::FirstName), "Van, An");
        QCOMPARE(field(m.record, Field::Organisation), "Công ty; TNHH");
        QCOMPARE(field(m.record, Field::Phone2),
                 QStringLiteral("+84 28 %1").arg(i, 4, 10, QChar('0')));
        QCOMPARE(field(m.record, Field::Cell),
                 QStringLiteral("+84 90 %1").arg(i, 4, 10, QChar('0')));
        QCOMPARE(field(m.record, Field::Address1), "12 Lê Loi");
        QCOMPARE(field(m.record, Field::City), "Ho Chí Minh");
        QCOMPARE(field(m.record, Field::Country), "Viet Nam");
        QCOMPARE(field(m.record, Field::Comment), "Line one,\r\nline two; " + QString(120, 'x'));
        QCOMPARE(field(m.record, Field::Birth), QStringLiteral("0%1-01-90").arg(i + 1));
        QCOMPARE(field(m.record, Field::Status), "Khách hàng");
    }
}

QTEST_GUILESS_MAIN(TestInteropExternal)
#include "tst_interop_external.moc"
