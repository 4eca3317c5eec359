// SPDX-License-Identifier: GPL-3.0-or-later
// The crossing between the data file's cp1252 bytes and the window's text.
#include "core/cp1252.h"

#include <QTest>

using namespace vcq;

class TestTextConversion : public QObject
{
    Q_OBJECT
private slots:
    void everyByteRoundTrips()
    {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        const QString text = fromCp1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(toCp1252(text), all);
        // Each byte is its own character: no two bytes read the same.
        QSet<QChar> distinct(text.begin(), text.end());
        QCOMPARE(distinct.size(), 256);
    }

    void characters_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("Smith John") << "Smith John";
        QTest::newRow("latin-1 accents") << QByteArray("\xC9mile Qu\xE9"
                                                       "bec")
                                         << "Émile Québec";
        QTest::newRow("euro") << QByteArray("\x80") << QStringLiteral("€");
        QTest::newRow("quotes and dashes")
            << QByteArray("\x93\x94\x96\x97") << QStringLiteral("“”–—");
        QTest::newRow("oe and Y diaeresis") << QByteArray("\x9C\x9F") << QStringLiteral("œŸ");
        QTest::newRow("undefined bytes") << QByteArray("\x81\x8D\x8F\x90\x9D")
                                         << QStringLiteral("\u0081\u008D\u008F\u0090\u009D");
    }
    void characters()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(fromCp1252(bytes.toStdString()), text);
        QCOMPARE(QByteArray::fromStdString(toCp1252(text)), bytes);
    }

    void unstorableCharactersBecomeQuestionMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("greek") << QStringLiteral("aΩb") << QByteArray("a?b");
        QTest::newRow("outside the BMP, one mark") << QStringLiteral("x😀y") << QByteArray("x?y");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
    }
    void unstorableCharactersBecomeQuestionMarks()
    {
        QFETCH(QString, text);
        QTEST(QByteArray::fromStdString(toCp1252(text)), "bytes");
    }

    void upperCase_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("upper");
        QTest::newRow("postal code") << "h2x 1y4"
                                     << "H2X 1Y4";
        QTest::newRow("accents") << QStringLiteral("éàÿœš") << QStringLiteral("ÉÀŸŒŠ");
        QTest::newRow("sharp s stays one letter") << QStringLiteral("ß") << QStringLiteral("ß");
        QTest::newRow("micro has no storable capital")
            << QStringLiteral("µ") << QStringLiteral("µ");
    }
    void upperCase()
    {
        QFETCH(QString, text);
        QTEST(toUpperCp1252(text), "upper");
    }
};

QTEST_APPLESS_MAIN(TestTextConversion)
#include "tst_text_conversion.moc"
