// SPDX-License-Identifier: GPL-3.0-or-later
// The vCard writer: line form (CRLF, folding on UTF-8 boundaries), the
// conversion of 2.1 parameters, and writing back what the reader read.
#include "interop/text_util.h"
#include "interop/vcard_reader.h"
#include "interop/vcard_writer.h"
#include "interop_test_util.h"

#include <QTest>

using namespace vcq::interop;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(VCardVersion)

class TestVCardWriter : public QObject
{
    Q_OBJECT
private slots:
    void folding_data();
    void folding();
    void bytesThatAreNoUtf8_data();
    void bytesThatAreNoUtf8();
    void convertsParameters_data();
    void convertsParameters();
    void writesBackWhatWasRead_data();
    void writesBackWhatWasRead();
};

namespace
{

// Every line ends in CRLF, holds at most 75 octets, and is UTF-8 on its own.
QString badLine(const std::string &out)
{
    std::size_t pos = 0;
    while (pos < out.size()) {
        const std::size_t crlf = out.find("\r\n", pos);
        if (crlf == std::string::npos)
            return "no CRLF at the end";
        const std::string line = out.substr(pos, crlf - pos);
        const QByteArray bytes = vcq::test::qb(line);
        if (line.size() > 75 || line.find_first_of("\r\n") != std::string::npos ||
            QString::fromUtf8(bytes).toUtf8() != bytes)
            return QString::fromLatin1(bytes.toHex());
        pos = crlf + 2;
    }
    return {};
}

} // namespace

void TestVCardWriter::folding_data()
{
    QTest::addColumn<std::string>("note");
    QTest::newRow("short") << std::string("short");
    QTest::newRow("exactly 75 octets") << std::string(75 - 5, 'a');
    QTest::newRow("76 octets") << std::string(76 - 5, 'a');
    std::string accents;
    for (int i = 0; i < 200; ++i)
        accents += "é";
    QTest::newRow("two-byte characters") << accents;
    std::string mixed = "x";
    for (int i = 0; i < 120; ++i)
        mixed += i % 3 ? "€" : "😀";
    QTest::newRow("three- and four-byte characters") << mixed;
    QTest::newRow("escapes") << std::string("a,b;c\\d\ne\r\nf") + std::string(150, ',');
}

void TestVCardWriter::folding()
{
    QFETCH(std::string, note);
    VCard card;
    card.add(makeProperty("FN", {"x"}));
    card.add(makeProperty("NOTE", {note}));
    for (VCardVersion v : {VCardVersion::V30, VCardVersion::V40}) {
        const std::string out = writeVCard(card, v);
        QVERIFY(out.starts_with("BEGIN:VCARD\r\nVERSION:"));
        QVERIFY(out.ends_with("END:VCARD\r\n"));
        QCOMPARE(badLine(out), QString());
        const VCardReadResult back = readVCards(out);
        QCOMPARE(back.cards.size(), std::size_t(1));
        std::string expected = note;
        // A CR LF pair is one line break in a card.
        for (std::size_t p; (p = expected.find("\r\n")) != std::string::npos;)
            expected.replace(p, 2, "\n");
        QCOMPARE(back.cards[0].card.first("NOTE")->value(), expected);
    }
}

// Bytes that are no UTF-8, read from a file or put in a card by hand, are
// written as UTF-8 (the folding once never ended on a run of continuation
// bytes), and what is read back is written the same way again.
void TestVCardWriter::bytesThatAreNoUtf8_data()
{
    QTest::addColumn<std::string>("input"); // a card file, or a NOTE value to write as it is
    QTest::addColumn<bool>("isFile");
    const std::string run(150, '\x80');
    const auto file = [](const std::string &line) {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\r\n" + line + "\r\nEND:VCARD\r\n";
    };
    QTest::newRow("base64 value") << file("PHOTO;ENCODING=b:" + run) << true;
    QTest::newRow("parameter value") << file("X-A;P=" + run + ":v") << true;
    QTest::newRow("embedded agent card")
        << file("AGENT:\r\nBEGIN:VCARD\r\nNOTE:" + run + "\r\nEND:VCARD") << true;
    QTest::newRow("by hand, continuation bytes") << run << false;
    QTest::newRow("by hand, a cut sequence") << "ab\xE2\x82" + std::string(200, 'c') << false;
}

void TestVCardWriter::bytesThatAreNoUtf8()
{
    QFETCH(std::string, input);
    QFETCH(bool, isFile);
    VCard card;
    if (isFile) {
        const VCardReadResult r = readVCards(input);
        QCOMPARE(r.cards.size(), std::size_t(1));
        card = r.cards[0].card;
    } else {
        // Folding alone takes every byte as it is, whatever it is.
        std::string folded;
        detail::appendFoldedLine(folded, input);
        QVERIFY(folded.ends_with("\r\n"));
        std::string unfolded;
        for (std::size_t pos = 0, end; pos < folded.size(); pos = end + 3) {
            end = folded.find("\r\n", pos);
            QVERIFY(end - pos <= 75);
            unfolded += folded.substr(pos, end - pos);
        }
        QVERIFY(unfolded == input);
        card.add(makeProperty("FN", {"x"}));
        card.add(makeProperty("NOTE", {input}));
        card.add(makeProperty("X-RAW", {"v"}));
        card.properties.back().parameters.push_back({"X-P", {input}});
    }
    for (VCardVersion v : {VCardVersion::V30, VCardVersion::V40}) {
        const std::string out = writeVCard(card, v);
        QCOMPARE(badLine(out), QString());
        const VCardReadResult back = readVCards(out);
        QCOMPARE(back.cards.size(), std::size_t(1));
        QVERIFY(back.problems.empty());
        QCOMPARE(QString::fromStdString(writeVCard(back.cards[0].card, v)),
                 QString::fromStdString(out));
    }
}

// One property line read from a 2.1/3.0/4.0 card, written as 3.0 and 4.0.
void TestVCardWriter::convertsParameters_data()
{
    QTest::addColumn<std::string>("input");
    QTest::addColumn<VCardVersion>("target");
    QTest::addColumn<std::string>("expected");

    const auto v21 = [](const std::string &line) {
        return "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:x\r\n" + line + "\r\nEND:VCARD\r\n";
    };
    const auto v40 = [](const std::string &line) {
        return "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:x\r\n" + line + "\r\nEND:VCARD\r\n";
    };
    QTest::newRow("bare types and pref to 3.0")
        << v21("TEL;HOME;VOICE;PREF:123") << VCardVersion::V30
        << std::string("TEL;TYPE=home,voice,pref:123");
    QTest::newRow("bare pref to 4.0")
        << v21("TEL;HOME;PREF:123") << VCardVersion::V40 << std::string("TEL;TYPE=home;PREF=1:123");
    QTest::newRow("quoted-printable and charset gone")
        << v21("NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Caf=E9=0D=0Al\xE0")
        << VCardVersion::V30 << std::string("NOTE:Café\\nlà");
    QTest::newRow("base64 to 3.0")
        << v21("PHOTO;ENCODING=BASE64;TYPE=JPEG:AAAA") << VCardVersion::V30
        << std::string("PHOTO;ENCODING=b;TYPE=jpeg:AAAA");
    QTest::newRow("base64 to 4.0 data uri")
        << v21("PHOTO;ENCODING=BASE64;TYPE=JPEG:AAAA") << VCardVersion::V40
        << std::string("PHOTO:data:image/jpeg;base64,AAAA");
    QTest::newRow("tel uri to 3.0") << v40("TEL;VALUE=uri;TYPE=cell:tel:+33-6-12")
                                    << VCardVersion::V30 << std::string("TEL;TYPE=cell:+33-6-12");
    QTest::newRow("tel uri of a tel: number to 3.0")
        << v40("TEL;VALUE=uri;TYPE=cell:tel:tel:+33-6-12") << VCardVersion::V30
        << std::string("TEL;TYPE=cell;VALUE=text:tel:+33-6-12");
    QTest::newRow("tel uri stays in 4.0")
        << v40("TEL;VALUE=uri;TYPE=cell:tel:+33-6-12") << VCardVersion::V40
        << std::string("TEL;VALUE=uri;TYPE=cell:tel:+33-6-12");
    QTest::newRow("group and quoted parameter")
        << v40("item1.X-ABLABEL;X-P=\"a:b\":Boat") << VCardVersion::V30
        << std::string("item1.X-ABLABEL;X-P=\"a:b\":Boat");
}

void TestVCardWriter::convertsParameters()
{
    QFETCH(std::string, input);
    QFETCH(VCardVersion, target);
    QFETCH(std::string, expected);
    const VCardReadResult r = readVCards(input);
    QCOMPARE(r.cards.size(), std::size_t(1));
    const std::string out = writeVCard(r.cards[0].card, target);
    const std::size_t fn = out.find("FN:x\r\n");
    QVERIFY(fn != std::string::npos);
    const std::size_t start = fn + 6;
    QCOMPARE(QString::fromStdString(out.substr(start, out.find("\r\n", start) - start)),
             QString::fromStdString(expected));
}

// Reading what was written gives the same card, whatever the properties.
void TestVCardWriter::writesBackWhatWasRead_data()
{
    QTest::addColumn<std::string>("input");
    QTest::newRow("typical 3.0") << std::string(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;John;Q;Dr.;Jr.\r\nFN:Dr. John Q Doe Jr.\r\n"
        "ORG:Acme\\, Inc.;Sales\r\nADR;TYPE=work,pref:;Suite 5;1 Main St;Town;ST;12345;USA\r\n"
        "TEL;TYPE=cell:+1 555 0100\r\nitem1.EMAIL;TYPE=internet:j@example.com\r\n"
        "item1.X-ABLABEL:_$!<Other>!$_\r\nCATEGORIES:a,b\\,c\r\nNOTE:line1\\nline2\r\n"
        "X-UNKNOWN;X-PARAM=1:raw\\,text;kept\r\nURL:http://example.com/a,b\r\n"
        "UID:abc\r\nEND:VCARD\r\n");
    QTest::newRow("4.0 with tel uri")
        << std::string("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ann\r\nN:;Ann;;;\r\n"
                       "TEL;VALUE=uri;TYPE=\"voice,home\";PREF=1:tel:+1-555-555-5555;ext=5555\r\n"
                       "BDAY:--0203\r\nGENDER:F;\r\nEND:VCARD\r\n");
}

void TestVCardWriter::writesBackWhatWasRead()
{
    QFETCH(std::string, input);
    const VCardReadResult first = readVCards(input);
    QCOMPARE(first.cards.size(), std::size_t(1));
    const VCard &card = first.cards[0].card;
    const VCardReadResult again = readVCards(writeVCard(card, card.version));
    QVERIFY(again.problems.empty());
    QCOMPARE(again.cards.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(writeVCard(again.cards[0].card, card.version)),
             QString::fromStdString(writeVCard(card, card.version)));
    QVERIFY(again.cards[0].card == card);
}

QTEST_GUILESS_MAIN(TestVCardWriter)
#include "tst_vcard_writer.moc"
