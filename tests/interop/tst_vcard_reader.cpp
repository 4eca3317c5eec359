// SPDX-License-Identifier: GPL-3.0-or-later
// The vCard reader on the forms real files take, and on broken and hostile input.
#include "interop/vcard_reader.h"
#include "interop_test_util.h"

#include <QTest>

using namespace vcq::interop;

Q_DECLARE_METATYPE(std::string)

namespace
{

QString describe(const VCardReadResult &r)
{
    QStringList parts;
    for (const ReadCard &c : r.cards)
        parts << QStringLiteral("card %1 (%2 props)").arg(c.number).arg(c.card.properties.size());
    for (const ReadProblem &p : r.problems)
        parts << QStringLiteral("problem %1 card %2 line %3 %4")
                     .arg(QString::fromStdString(std::string(problemCodeName(p.code))))
                     .arg(p.card)
                     .arg(p.line)
                     .arg(QString::fromStdString(p.detail));
    return parts.join("; ");
}

} // namespace

class TestVCardReader : public QObject
{
    Q_OBJECT
private slots:
    void values_data();
    void values();
    void parameters_data();
    void parameters();
    void severalCardsAndLineEnds();
    void streamingGivesTheSameCards();
    void brokenInput_data();
    void brokenInput();
    void hugeProperty();
    void binaryGarbage();
};

// One property of a one-card file, as decoded: name, group, values.
void TestVCardReader::values_data()
{
    QTest::addColumn<std::string>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("values");

    const std::string begin3 = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\r\n";
    const std::string begin21 = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:x\r\n";
    const std::string end = "END:VCARD\r\n";

    QTest::newRow("escapes in text") << begin3 + "NOTE:a\\, b\\; c\\nd\\\\e\\Nf\r\n" + end << "NOTE"
                                     << "" << QStringList{"a, b; c\nd\\e\nf"};
    QTest::newRow("structured keeps escaped separators")
        << begin3 + "N:O\\;Brien;Ann\\,Marie;;;\r\n" + end << "N"
        << "" << QStringList{"O;Brien", "Ann,Marie", "", "", ""};
    QTest::newRow("list") << begin3 + "CATEGORIES:Friends,Work\\,Old,Golf\r\n" + end << "CATEGORIES"
                          << "" << QStringList{"Friends", "Work,Old", "Golf"};
    QTest::newRow("folded with blank and tab")
        << begin3 + "NOTE:one\r\n  two\r\n\tthree\r\n" + end << "NOTE"
        << "" << QStringList{"one twothree"};
    QTest::newRow("folding splits a UTF-8 sequence")
        << begin3 + "NOTE:caf\xC3\r\n \xA9\r\n" + end << "NOTE"
        << "" << QStringList{"café"};
    QTest::newRow("group kept") << begin3 + "item1.TEL:+1 555\r\nitem1.X-ABLabel:Boat\r\n" + end
                                << "TEL"
                                << "item1" << QStringList{"+1 555"};
    QTest::newRow("lower-case name") << begin3 + "note:hello\r\n" + end << "NOTE"
                                     << "" << QStringList{"hello"};
    QTest::newRow("4.0 tel uri kept") << "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:x\r\n"
                                         "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+33-1-23\r\n" +
                                             end
                                      << "TEL"
                                      << "" << QStringList{"tel:+33-1-23"};
    QTest::newRow("2.1 quoted-printable with soft breaks and charset")
        << begin21 +
               "NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Caf=E9 "
               "cr=\r\n=E8me=0D=0A=\r\nfin\r\n" +
               end
        << "NOTE"
        << "" << QStringList{"Café crème\r\nfin"};
    QTest::newRow("2.1 quoted-printable UTF-8 bare")
        << begin21 + "N;CHARSET=UTF-8;QUOTED-PRINTABLE:=C5=81ukasz;Anna\r\n" + end << "N"
        << "" << QStringList{"Łukasz", "Anna"};
    QTest::newRow("2.1 charset windows-1252")
        << begin21 + "NOTE;CHARSET=windows-1252:\x80uro \x9C\r\n" + end << "NOTE"
        << "" << QStringList{"€uro œ"};
    QTest::newRow("2.1 other charset through ICU")
        << begin21 + "NOTE;CHARSET=ISO-8859-2:\xA3\xF3\x64\xBC\r\n" + end << "NOTE"
        << "" << QStringList{"Łódź"};
    QTest::newRow("base64 kept raw without blanks")
        << begin21 + "PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n  AAAA\r\n  BBBB\r\n\r\n" + end << "PHOTO"
        << "" << QStringList{"AAAABBBB"};
    QTest::newRow("2.1 base64 lines without indentation")
        << begin21 + "PHOTO;ENCODING=BASE64;TYPE=JPEG:AAAA\r\nBBBB\r\nCC==\r\n\r\nTEL:1\r\n" + end
        << "PHOTO"
        << "" << QStringList{"AAAABBBBCC=="};
    QTest::newRow("a backslash before the line break goes on with a line break")
        << begin3 + "NOTE:one\\\r\ntwo\\\r\nthree\r\nTEL:1\r\n" + end << "NOTE"
        << "" << QStringList{"one\ntwo\nthree"};
    QTest::newRow("CR CR LF line ends")
        << std::string("BEGIN:VCARD\r\r\nVERSION:2.1\r\r\nFN:x\r\r\n"
                       "NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\r\nb\r\r\nEND:VCARD\r\r\n")
        << "NOTE"
        << "" << QStringList{"ab"};
    QTest::newRow("2.1 card embedded in AGENT stays inside its card")
        << begin21 + "AGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nN:Agent;A\r\nEND:VCARD\r\nTEL:1\r\n" +
               end
        << "AGENT"
        << "" << QStringList{"BEGIN:VCARD\nVERSION:2.1\nN:Agent;A\nEND:VCARD"};
    QTest::newRow("unknown property raw") << begin3 + "X-FOO;X-P=1:a\\,b;c\r\n" + end << "X-FOO"
                                          << "" << QStringList{"a\\,b;c"};
}

void TestVCardReader::values()
{
    QFETCH(std::string, file);
    QFETCH(QString, name);
    QFETCH(QString, group);
    QFETCH(QStringList, values);

    const VCardReadResult r = readVCards(file);
    QVERIFY2(r.cards.size() == 1, qPrintable(describe(r)));
    const VCardProperty *p = nullptr;
    for (const VCardProperty &q : r.cards[0].card.properties) {
        if (q.name == name.toStdString() && (p == nullptr || q.group == group.toStdString()))
            p = &q;
    }
    QVERIFY(p);
    QCOMPARE(QString::fromStdString(p->group), group);
    QStringList got;
    for (const std::string &v : p->values)
        got << QString::fromUtf8(v.data(), qsizetype(v.size()));
    QCOMPARE(got, values);
}

void TestVCardReader::parameters_data()
{
    QTest::addColumn<std::string>("line");
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<bool>("preferred");

    QTest::newRow("2.1 bare") << std::string("TEL;HOME;VOICE;PREF:1")
                              << QStringList{"home", "voice"} << true;
    QTest::newRow("3.0 list") << std::string("TEL;TYPE=WORK,FAX:1") << QStringList{"work", "fax"}
                              << false;
    QTest::newRow("3.0 repeated") << std::string("TEL;TYPE=home;TYPE=pref:1") << QStringList{"home"}
                                  << true;
    QTest::newRow("4.0 quoted list and pref")
        << std::string("TEL;TYPE=\"cell,text\";PREF=1:1") << QStringList{"cell", "text"} << true;
    QTest::newRow("no type") << std::string("TEL:1") << QStringList{} << false;
}

void TestVCardReader::parameters()
{
    QFETCH(std::string, line);
    QFETCH(QStringList, types);
    QFETCH(bool, preferred);
    const VCardReadResult r =
        readVCards("BEGIN:VCARD\nVERSION:3.0\nFN:x\n" + line + "\nEND:VCARD\n");
    QCOMPARE(r.cards.size(), std::size_t(1));
    const VCardProperty *tel = r.cards[0].card.first("TEL");
    QVERIFY(tel);
    QStringList got;
    for (const std::string &t : tel->parameterValues("TYPE"))
        if (t != "pref")
            got << QString::fromStdString(t);
    QCOMPARE(got, types);
    QCOMPARE(tel->isPreferred(), preferred);
    for (const QString &t : types)
        QVERIFY(tel->hasType(t.toUpper().toStdString()));
}

void TestVCardReader::severalCardsAndLineEnds()
{
    // A BOM, LF and CRLF mixed, blank lines between cards, three versions.
    const std::string file = "\xEF\xBB\xBF"
                             "BEGIN:VCARD\nVERSION:2.1\nN:One;A\nEND:VCARD\n\n"
                             "begin:vcard\r\nversion:3.0\r\nN:Two;B\r\nend:vcard\r\n"
                             "BEGIN:VCARD\r\nVERSION:4.0\nFN:Three C\r\nEND:VCARD";
    const VCardReadResult r = readVCards(file);
    QVERIFY2(r.problems.empty(), qPrintable(describe(r)));
    QCOMPARE(r.cards.size(), std::size_t(3));
    QCOMPARE(r.cards[0].card.version, VCardVersion::V21);
    QCOMPARE(r.cards[1].card.version, VCardVersion::V30);
    QCOMPARE(r.cards[2].card.version, VCardVersion::V40);
    QCOMPARE(r.cards[1].card.first("N")->value(), std::string("Two"));
    QCOMPARE(r.cards[2].number, 3);
    QCOMPARE(r.cards[2].line, 10);
    QVERIFY(!r.cards[0].card.first("VERSION")); // the version is the card's, not a property
}

// Read card by card with a receiver that only looks (the reader then reuses
// the properties' storage), the cards are the same as read whole.
void TestVCardReader::streamingGivesTheSameCards()
{
    const std::string file =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nitem1.N:Long family name here;Given;Middle;Dr.;Jr.\r\n"
        "TEL;TYPE=home,voice;X-A=\"q:1\":+1 555 0100 extension 12345\r\nNOTE:a\\, b\\nc\r\n"
        "CATEGORIES:one,two,three\r\nX-LONG:" +
        std::string(100, 'x') +
        "\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Short\r\nTEL:1\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-1:caf=E9\r\nCATEGORIES:solo\r\nEND:"
        "VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Third\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Fourth;F;;;\r\nADR;TYPE=work:;;1 "
        "St;Town;;;\r\nEND:VCARD\r\n";
    const VCardReadResult whole = readVCards(file);
    std::vector<ReadCard> streamed;
    std::vector<ReadProblem> problems;
    readVCards(
        file, [&](ReadCard &&card) { streamed.push_back(card); },
        [&](ReadProblem &&p) { problems.push_back(p); });
    QCOMPARE(streamed.size(), std::size_t(4));
    QVERIFY(streamed == whole.cards);
    QVERIFY(problems == whole.problems);
}

// Each broken file: which cards survive (by number) and which problems are
// reported (code and card number).
void TestVCardReader::brokenInput_data()
{
    QTest::addColumn<std::string>("file");
    QTest::addColumn<QList<int>>("cards");
    QTest::addColumn<QStringList>("problems");

    const std::string good = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Good;G\r\nEND:VCARD\r\n";
    QTest::newRow("no END before the next card")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lost;L\r\n" + good << QList<int>{2}
        << QStringList{"no-end 1"};
    QTest::newRow("truncated at the end")
        << good + "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cut;C\r\nTEL:12" << QList<int>{1}
        << QStringList{"no-end 2"};
    QTest::newRow("truncated inside a quoted parameter")
        << good + "BEGIN:VCARD\r\nVERSION:3.0\r\nTEL;TYPE=\"ho" << QList<int>{1}
        << QStringList{"no-end 2"};
    QTest::newRow("invalid quoted-printable kept, card imported")
        << "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Q;P\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=ZZb=4\r\nEND:"
           "VCARD\r\n" +
               good
        << QList<int>{1, 2} << QStringList{"bad-quoted-printable 1"};
    QTest::newRow("declared UTF-8 but Latin-1")
        << "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:Andr\xE9;X\r\nEND:VCARD\r\n" + good
        << QList<int>{1, 2} << QStringList{"bad-charset 1"};
    QTest::newRow("declared Latin-1 but UTF-8")
        << std::string(
               "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1:Andr\xC3\xA9;X\r\nEND:VCARD\r\n")
        << QList<int>{1} << QStringList{"bad-charset 1"};
    QTest::newRow("unknown charset")
        << std::string("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=X-NOPE:Andr\xE9;X\r\nEND:VCARD\r\n")
        << QList<int>{1} << QStringList{"bad-charset 1"};
    QTest::newRow("no charset, not UTF-8")
        << std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Andr\xE9;X\r\nEND:VCARD\r\n")
        << QList<int>{1} << QStringList{"invalid-utf8 1"};
    QTest::newRow("malformed lines counted once")
        << std::string(
               "BEGIN:VCARD\r\nVERSION:3.0\r\nN:M;M\r\nno colon here\r\n:x\r\nEND:VCARD\r\n")
        << QList<int>{1} << QStringList{"malformed-line 1"};
    QTest::newRow("lines joined without indentation")
        << "BEGIN:VCARD\r\nVERSION:2.1\r\nN:J;J\r\nPHOTO;BASE64:AA\r\nBB\r\n\r\nEND:VCARD\r\n" +
               good
        << QList<int>{1, 2} << QStringList{"joined-lines 1"};
    QTest::newRow("comment lines")
        << "# written by hand\r\n" + good + "BEGIN:VCARD\r\n# a remark\r\nN:C;C\r\nEND:VCARD\r\n"
        << QList<int>{1, 2} << QStringList{"text-outside-card 0", "malformed-line 2"};
    QTest::newRow("text outside cards")
        << "hello\r\nworld\r\n" + good + "trailer\r\n"
        << QList<int>{1} << QStringList{"text-outside-card 0", "text-outside-card 0"};
    QTest::newRow("no version is fine")
        << std::string("BEGIN:VCARD\r\nN:V;V\r\nEND:VCARD\r\n") << QList<int>{1} << QStringList{};
    QTest::newRow("unknown version")
        << std::string("BEGIN:VCARD\r\nVERSION:5.0\r\nN:V;V\r\nEND:VCARD\r\n") << QList<int>{1}
        << QStringList{"unknown-version 1"};
    QTest::newRow("nothing to name it by")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:who?\r\nEND:VCARD\r\n" + good << QList<int>{2}
        << QStringList{"no-name 1"};
    QTest::newRow("empty file") << std::string() << QList<int>{} << QStringList{};
}

void TestVCardReader::brokenInput()
{
    QFETCH(std::string, file);
    QFETCH(QList<int>, cards);
    QFETCH(QStringList, problems);
    const VCardReadResult r = readVCards(file);
    QList<int> gotCards;
    for (const ReadCard &c : r.cards)
        gotCards << c.number;
    QStringList gotProblems;
    for (const ReadProblem &p : r.problems)
        gotProblems << QStringLiteral("%1 %2")
                           .arg(QString::fromStdString(std::string(problemCodeName(p.code))))
                           .arg(p.card);
    QCOMPARE(gotCards, cards);
    QCOMPARE(gotProblems, problems);
    // A problem skips its card, or says how the card kept was repaired.
    for (const ReadProblem &p : r.problems)
        if (p.card > 0)
            QCOMPARE(problemSkipsCard(p.code), !cards.contains(p.card));
    // Whatever came in, every value handed on is UTF-8.
    for (const ReadCard &c : r.cards)
        for (const VCardProperty &p : c.card.properties)
            for (const std::string &v : p.values)
                QVERIFY(QString::fromUtf8(v.data(), qsizetype(v.size())).toUtf8() ==
                        vcq::test::qb(v));
}

void TestVCardReader::hugeProperty()
{
    // 100 MB in one folded NOTE: the property is dropped with a report line
    // and the cards around it are read.
    std::string file = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Before;B\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Big;B\r\nNOTE:";
    const std::string chunk(74, 'x');
    file.reserve(file.size() + 100u * 1024u * 1024u + 4u * 1024u * 1024u);
    while (file.size() < 100u * 1024u * 1024u) {
        file += chunk;
        file += "\r\n ";
    }
    file += "end\r\nTEL:123\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:After;A\r\nEND:VCARD\r\n";
    const VCardReadResult r = readVCards(file);
    QCOMPARE(r.cards.size(), std::size_t(3));
    QVERIFY(!r.cards[1].card.first("NOTE"));
    QCOMPARE(r.cards[1].card.first("TEL")->value(), std::string("123"));
    QCOMPARE(r.problems.size(), std::size_t(1));
    QCOMPARE(r.problems[0].code, ReadProblemCode::PropertyTooLarge);
    QCOMPARE(r.problems[0].detail, std::string("NOTE"));
    QCOMPARE(r.problems[0].card, 2);
}

void TestVCardReader::binaryGarbage()
{
    // Random bytes (NULs, lone CRs, invalid UTF-8) around a good card: the
    // good card survives, the garbage is reported, nothing crashes.
    std::string garbage;
    std::uint32_t x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        garbage += static_cast<char>(x >> 24);
    }
    const std::string good = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Good;G\r\nEND:VCARD\r\n";
    const VCardReadResult r = readVCards(garbage + "\r\n" + good + garbage);
    QCOMPARE(r.cards.size(), std::size_t(1));
    QCOMPARE(r.cards[0].card.first("N")->value(), std::string("Good"));
    QVERIFY(!r.problems.empty());
    QCOMPARE(r.problems[0].code, ReadProblemCode::TextOutsideCard);

    // Garbage inside a card: the card is kept with what could be read.
    const VCardReadResult inside =
        readVCards("BEGIN:VCARD\r\nVERSION:3.0\r\nN:In;I\r\n" + garbage + "\r\nEND:VCARD\r\n");
    QCOMPARE(inside.cards.size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestVCardReader)
#include "tst_vcard_reader.moc"
