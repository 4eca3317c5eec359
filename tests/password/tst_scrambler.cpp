// SPDX-License-Identifier: GPL-3.0-or-later
// The scrambler against bytes worked out by hand from the key "RtKwYm_abq"
// (82 116 75 119 89 109 95 97 98 113), and its round trip.
#include "password/scrambler.h"

#include <QTest>

namespace
{
std::string bytes(const QByteArray &a)
{
    return std::string(a.constData(), a.size());
}
QByteArray qbytes(const std::string &s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}
} // namespace

class TestScrambler : public QObject
{
    Q_OBJECT

private slots:
    void encodeBytes_data()
    {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("scrambled");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("protected flag") << QByteArray("1") << QByteArray("\x83");
        QTest::newRow("unprotected flag") << QByteArray("0") << QByteArray("\x82");
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("\xb3\xd6\xae");
        QTest::newRow("wraps modulo 256") << QByteArray("\xff\xff") << QByteArray("Qs");
        QTest::newRow("sum of 256 gives a zero byte")
            << QByteArray("\xae\x8c", 2) << QByteArray("\x00\x00", 2);
        QTest::newRow("zero bytes take the key") << QByteArray(3, '\0') << QByteArray("RtK");
        QTest::newRow("only ten characters kept")
            << QByteArray("AAAAAAAAAAAA") << QByteArray("\x93\xb5\x8c\xb8\x9a\xae\xa0\xa2\xa3\xb2");
    }
    void encodeBytes()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, scrambled);
        QCOMPARE(qbytes(vcq::Encode(bytes(plain))), scrambled);
    }

    void decodeBytes_data()
    {
        QTest::addColumn<QByteArray>("scrambled");
        QTest::addColumn<QByteArray>("plain");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("protected flag") << QByteArray("\x83") << QByteArray("1");
        QTest::newRow("wraps below zero") << QByteArray("Qs") << QByteArray("\xff\xff");
        // "RtK" unscrambles to three zero bytes, which are trimmed away.
        QTest::newRow("all control characters") << QByteArray("RtK") << QByteArray();
        QTest::newRow("bytes after ten ignored")
            << QByteArray("\x93\xb5\x8c\xb8\x9a\xae\xa0\xa2\xa3\xb2XY") << QByteArray("AAAAAAAAAA");
    }
    void decodeBytes()
    {
        QFETCH(QByteArray, scrambled);
        QFETCH(QByteArray, plain);
        QCOMPARE(qbytes(vcq::Decode(bytes(scrambled))), plain);
    }

    // What survives scrambling: the first ten bytes without outer blanks and
    // control characters; inner ones and bytes above 127 are kept.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("kept");
        QTest::newRow("plain") << QByteArray("secret") << QByteArray("secret");
        QTest::newRow("case kept") << QByteArray("SeCrEt") << QByteArray("SeCrEt");
        QTest::newRow("exactly ten") << QByteArray("0123456789") << QByteArray("0123456789");
        QTest::newRow("eleven") << QByteArray("0123456789A") << QByteArray("0123456789");
        QTest::newRow("twelve") << QByteArray("abcdefghijkl") << QByteArray("abcdefghij");
        QTest::newRow("outer blanks") << QByteArray("  pw  ") << QByteArray("pw");
        QTest::newRow("inner blank") << QByteArray("p w") << QByteArray("p w");
        QTest::newRow("blanks only") << QByteArray("   ") << QByteArray();
        QTest::newRow("control characters")
            << QByteArray("\t\x01x\x7fy\x1f") << QByteArray("x\x7fy");
        QTest::newRow("inner zero byte") << QByteArray("a\0b", 3) << QByteArray("a\0b", 3);
        QTest::newRow("high bytes")
            << QByteArray("\xe9t\xe9\x80\xff") << QByteArray("\xe9t\xe9\x80\xff");
        QTest::newRow("blank inside the cut")
            << QByteArray("abcdefghi jk") << QByteArray("abcdefghi");
    }
    void roundTrip()
    {
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, kept);
        const std::string scrambled = vcq::Encode(bytes(password));
        QCOMPARE(scrambled.size(), std::min<std::size_t>(password.size(), 10));
        QCOMPARE(qbytes(vcq::Decode(scrambled)), kept);
    }
};

QTEST_APPLESS_MAIN(TestScrambler)
#include "tst_scrambler.moc"
