// SPDX-License-Identifier: GPL-3.0-or-later
// What a query matches: folding of case, accents and ligatures, words across
// fields, phone numbers whatever their punctuation; and that the index and
// the pass over a file's records answer as each record alone does.
#include "core/cp1252.h"
#include "search/find_text.h"
#include "search/query_text.h"
#include "search/search_index.h"

#include <QTest>

#include <algorithm>
#include <random>

using namespace vcq;
using namespace vcq::search;

Q_DECLARE_METATYPE(vcq::Field)

namespace
{

ContactRecord contact(std::initializer_list<std::pair<Field, QString>> fields)
{
    ContactRecord r;
    for (const auto &[f, text] : fields)
        r.set(f, toCp1252(text));
    return r;
}

bool matches(const QString &query, const ContactRecord &r)
{
    return recordMatches(parseQueryText(query), r);
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void matching_data()
    {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");
        const Field last = Field::LastName;
        QTest::newRow("accent dropped") << last << "Álvaro"
                                        << "alvaro" << true;
        QTest::newRow("accent in query") << last << "Alvaro"
                                         << "ÁLVARO" << true;
        QTest::newRow("cedilla") << Field::City << "Françoise"
                                 << "francoise" << true;
        QTest::newRow("oe ligature stored") << last << "Cœur"
                                            << "coeur" << true;
        QTest::newRow("oe ligature typed") << last << "Coeur"
                                           << "cœur" << true;
        QTest::newRow("OE capital") << last << "ŒUVRE"
                                    << "oeuvre" << true;
        QTest::newRow("ae ligature") << last << "Cæsar"
                                     << "caesar" << true;
        QTest::newRow("sharp s") << Field::Address1 << "Hauptstraße 5"
                                 << "strasse" << true;
        QTest::newRow("fi ligature typed") << Field::Organisation << "Fine SA"
                                           << "ﬁne" << true;
        QTest::newRow("inside a word") << last << "Dumont"
                                       << "mont" << true;
        QTest::newRow("case") << Field::Email << "Ann@Example.ORG"
                              << "example.org" << true;
        QTest::newRow("not there") << last << "Dumont"
                                   << "monte" << false;
        QTest::newRow("digits inside formatted phone") << Field::Phone1 << "418-555-0188"
                                                       << "5550188" << true;
        QTest::newRow("spaced query, dashed phone") << Field::Cell << "418-555-0188"
                                                    << "418 555 0188" << true;
        QTest::newRow("dotted query, spaced phone") << Field::Phone3 << "(418) 555 01 88"
                                                    << "555.01.88" << true;
        QTest::newRow("leading plus") << Field::Phone2 << "+1 418 555 0188"
                                      << "+1 418" << true;
        QTest::newRow("phone digits elsewhere") << Field::Phone1 << "418-555-0188"
                                                << "5550189" << false;
        QTest::newRow("accent no cp1252 letter") << last << "Lorinc"
                                                 << "Lőrinc" << true;
        QTest::newRow("punctuation only") << Field::Comment << "a - b"
                                          << " - " << true;
        QTest::newRow("punctuation absent") << Field::Comment << "a b"
                                            << "--" << false;
    }

    void matching()
    {
        QFETCH(Field, field);
        QFETCH(QString, stored);
        QFETCH(QString, query);
        QFETCH(bool, found);
        const ContactRecord r = contact({{Field::LastName, "X"}, {field, stored}});
        QCOMPARE(matches(query, r), found);
    }

    void wordsAcrossFields()
    {
        const ContactRecord r = contact(
            {{Field::LastName, "Côté"}, {Field::FirstName, "Émilie"}, {Field::City, "Québec"}});
        QVERIFY(matches("emilie quebec", r));
        QVERIFY(matches("  QUÉBEC   côté ", r));
        QVERIFY(!matches("emilie montreal", r));
        // A word never spans two fields.
        QVERIFY(!matches("coteemilie", r));
    }

    void emptyQueryMatchesAll()
    {
        QVERIFY(parseQueryText(u"   ").empty());
        QVERIFY(matches("", contact({{Field::LastName, "Anyone"}})));
    }

    void narrowing_data()
    {
        QTest::addColumn<QString>("broader");
        QTest::addColumn<QString>("narrower");
        QTest::addColumn<bool>("narrows");
        QTest::newRow("one more letter") << "du"
                                         << "dum" << true;
        QTest::newRow("one more word") << "du"
                                       << "du an" << true;
        QTest::newRow("letter removed") << "dum"
                                        << "du" << false;
        QTest::newRow("other word") << "du"
                                    << "an" << false;
        QTest::newRow("longer phone") << "555"
                                      << "5550" << true;
        QTest::newRow("phone punctuated") << "555"
                                          << "555-01" << true;
        QTest::newRow("dash inside") << "05"
                                     << "0-5" << false;
    }

    void narrowing()
    {
        QFETCH(QString, broader);
        QFETCH(QString, narrower);
        QFETCH(bool, narrows);
        QCOMPARE(parseQueryText(narrower).narrows(parseQueryText(broader)), narrows);
    }

    // A record's text, folded a block at a time from its bytes, is the text
    // its fields fold to one by one: whatever the bytes, the lengths (damaged
    // ones too) and the record's bytes past each field's text. A word made of
    // bytes that only fold from themselves is found in the fields as written
    // exactly where it is found in them folded.
    void recordTextAsFields()
    {
        const char *const unfolded[] = {"0", "18", "5-5", "(5", "-0.1", "@", "+3", "/"};
        for (const char *word : unfolded)
            QVERIFY(foundUnfolded(word));
        for (const char *word : {"a", "1 2", "\x01", "e5"})
            QVERIFY(!foundUnfolded(word));
        std::mt19937 random(26);
        const std::string sample = "Aa Zz@[`{~\x7F\x01\t\x9C\x8C\xC6\xDF\xDE\xE9\xFF\x80-0189(.+/";
        for (int i = 0; i < 3000; ++i) {
            ContactRecord::Bytes bytes;
            for (unsigned char &b : bytes)
                b = i % 3 == 0 ? static_cast<unsigned char>(random())
                               : static_cast<unsigned char>(sample[random() % sample.size()]);
            for (const FieldLayout l : kFieldLayouts)
                bytes[l.offset] = static_cast<unsigned char>(random() % (l.maxLength + 3));
            const ContactRecord r = ContactRecord::fromBytes(bytes.data());
            std::vector<std::string_view> fields, phones;
            for (const Field f : kContactFields)
                fields.push_back(r.view(f));
            for (const Field f : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3})
                phones.push_back(r.view(f));
            std::string expected, made;
            appendContactText(expected, fields, phones);
            appendRecordText(made, r);
            QCOMPARE(made, expected);
            std::string written(kRecordTextRoom, '\0');
            written.resize(
                std::size_t(recordTextInto(written.data(), r, {.folded = false}) - written.data()));
            for (const char *word : unfolded)
                QCOMPARE(findText(written, word) != nullptr, findText(made, word) != nullptr);
        }
    }

    // The word finder against the standard one, on texts of two letters where
    // near misses abound, at every length around its sixteen-byte steps.
    void findTextAgreesWithFind()
    {
        std::mt19937 rng(97);
        for (int round = 0; round < 20000; ++round) {
            std::string text(rng() % 70, 'a'), word(1 + rng() % 12, 'a');
            for (char &c : text)
                c = "ab"[rng() % 2];
            for (char &c : word)
                c = "ab"[rng() % 2];
            const char *found = search::findText(text, word);
            const std::size_t at = std::string_view(text).find(word);
            QCOMPARE(found ? std::size_t(found - text.data()) : std::string_view::npos, at);
        }
        QVERIFY(search::findText("abc", "") != nullptr);
        QVERIFY(!search::findText("", "a"));
    }

    // The index, a narrowed result and a plain pass over the records agree,
    // through edits and removals that leave old text behind.
    void indexAgreesWithRecords()
    {
        std::mt19937 random(7);
        const QStringList names = {"Côté", "Cœur", "Dumont", "Müller", "Strauß", "Ann", "Æsa"};
        const QStringList phones = {"418-555-0188", "(514) 555 01 99", "+33 1 23 45 67 89", ""};
        auto make = [&](int i) {
            return contact({{Field::LastName, names[int(random() % names.size())]},
                            {Field::FirstName, names[int(random() % names.size())]},
                            {Field::Phone1, phones[int(random() % phones.size())]},
                            {Field::City, QString::number(i)}});
        };
        std::vector<ContactRecord> records(3000);
        SearchIndex index;
        for (int i = 0; i < int(records.size()); ++i)
            index.set(i + 1, records[std::size_t(i)] = make(i));
        for (int i = 0; i < 40000; ++i) { // edits, enough to compact the block
            const int r = int(random() % records.size());
            index.set(r + 1, records[std::size_t(r)] = make(r));
        }
        for (int r = 0; r < int(records.size()); r += 7) {
            index.remove(r + 1);
            records[std::size_t(r)] = ContactRecord::tombstone();
        }
        const auto plain = [&](const SearchQuery &q) {
            std::vector<std::int32_t> out;
            for (int i = 0; i < int(records.size()); ++i)
                if (!records[std::size_t(i)].isTombstone() &&
                    recordMatches(q, records[std::size_t(i)]))
                    out.push_back(i + 1);
            return out;
        };
        const auto sorted = [](std::vector<std::int32_t> v) {
            std::sort(v.begin(), v.end());
            return v;
        };
        std::vector<ContactRecord> file{ContactRecord::newHeader()};
        file.insert(file.end(), records.begin(), records.end());
        for (const char *query : {"c", "co", "coeur", "oe ann", "5550188", "555 01", "ss", "12",
                                  "strauss 1", "(514)", "-0188 +33", ""}) {
            const QString text = QString::fromUtf8(query);
            const SearchQuery q = parseQueryText(text);
            const auto expected = plain(q);
            QCOMPARE(sorted(index.find(q)), expected);
            QCOMPARE(matchingRecords(q, file.data(), 1, std::int64_t(file.size()), 2), expected);
            const auto broader = index.find(parseQueryText(text.left(1)));
            if (q.narrows(parseQueryText(text.left(1))))
                QCOMPARE(sorted(index.find(q, &broader)), expected);
        }
        QCOMPARE(index.size(), records.size() - (records.size() + 6) / 7);
    }

    // An index of several blocks is scanned in halves at once; the halves
    // together find what a pass over the records finds.
    void largeIndexInHalves()
    {
        SearchIndex index;
        // A phone's digits, a word, a number found both as written and as
        // digits (each contact once), and what nearly every contact holds.
        const QString queries[] = {QStringLiteral("5550188"), QStringLiteral("zed"),
                                   QStringLiteral("555-0188"), QStringLiteral("o")};
        std::vector<std::vector<std::int32_t>> expected(std::size(queries));
        const int count = 120000;
        for (int i = 1; i <= count; ++i) {
            const ContactRecord r =
                contact({{Field::LastName, i % 97 == 0 ? "Zed" : "Long name of a contact"},
                         {Field::Comment, QString(100, u'x')},
                         {Field::Phone1, i % 13 == 0 ? "418-555-0188" : "123"}});
            index.set(i, r);
            for (std::size_t q = 0; q < std::size(queries); ++q)
                if (recordMatches(parseQueryText(queries[q]), r))
                    expected[q].push_back(i);
        }
        QVERIFY(index.bytes() > 2 * (std::size_t(8) << 20)); // more than one block
        for (std::size_t q = 0; q < std::size(queries); ++q) {
            std::vector<std::int32_t> found = index.find(parseQueryText(queries[q]));
            std::sort(found.begin(), found.end());
            QCOMPARE(found, expected[q]);
        }
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
