// SPDX-License-Identifier: GPL-3.0-or-later
// What Save writes for a field: the stored bytes where the user changed
// nothing, new bytes only where the user typed.
#include "widgets/field_bytes.h"

#include <QTest>

using namespace vcq;

Q_DECLARE_METATYPE(vcq::FieldShown)

class TestFieldBytes : public QObject
{
    Q_OBJECT

private slots:
    void bytesFor_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<FieldShown>("how");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QByteArray>("saved");
        const auto lines = FieldShown::LineBreaks;
        const auto bytes = FieldShown::ByteForByte;
        const auto whole = FieldShown::Whole;

        QTest::newRow("mixed line ends, untouched")
            << QByteArray("A\rB\nC\r\nD") << lines << "A\nB\nC\nD"
            << "A\nB\nC\nD" << QByteArray("A\rB\nC\r\nD");
        QTest::newRow("a space the control showed for a no-break space")
            << QByteArray("Oui\xA0!") << lines << "Oui !"
            << "Oui !" << QByteArray("Oui\xA0!");
        QTest::newRow("typed at the end") << QByteArray("A\rB\xA0") << lines << "A\nB "
                                          << "A\nB C"
                                          << QByteArray("A\rB\xA0"
                                                        "C");
        QTest::newRow("typed at the start") << QByteArray("A\nB") << lines << "A\nB"
                                            << "xA\nB" << QByteArray("xA\nB");
        QTest::newRow("a new line is CR LF") << QByteArray("A\rB") << lines << "A\nB"
                                             << "A\n\nB" << QByteArray("A\r\r\nB");
        QTest::newRow("a line end deleted") << QByteArray("A\r\nB\rC") << lines << "A\nB\nC"
                                            << "AB\nC" << QByteArray("AB\rC");
        QTest::newRow("emptied") << QByteArray("A\r\nB") << lines << "A\nB"
                                 << "" << QByteArray();
        QTest::newRow("shown in upper case, changed in the middle")
            << QByteArray("h2x1y4") << bytes << "H2X1Y4"
            << "H2X 1Y4" << QByteArray("h2x 1y4");
        QTest::newRow("shown in upper case, untouched")
            << QByteArray("h2x\xE9") << bytes << QStringLiteral("H2XÉ") << QStringLiteral("H2XÉ")
            << QByteArray("h2x\xE9");
        QTest::newRow("masked, untouched") << QByteArray("ab-cd-ef") << whole << "  -  -  "
                                           << "  -  -  " << QByteArray("ab-cd-ef");
        QTest::newRow("masked, edited: taken whole")
            << QByteArray("ab-cd-ef") << whole << "  -  -  "
            << "  -  -84" << QByteArray("  -  -84");
        QTest::newRow("shown text not lined up with the bytes")
            << QByteArray("abc") << bytes << "ab"
            << "abX" << QByteArray("abX");
        QTest::newRow("control bytes kept around an edit")
            << QByteArray("\x01\x00\x7F", 3) << bytes << QString::fromLatin1("\x01\x00\x7F", 3)
            << QString::fromLatin1("\x01\x00Z\x7F", 4) << QByteArray("\x01\x00Z\x7F", 4);
    }
    void bytesFor()
    {
        QFETCH(QByteArray, stored);
        QFETCH(FieldShown, how);
        QFETCH(QString, shown);
        QFETCH(QString, current);
        QFETCH(QByteArray, saved);
        const FieldBytes field(stored.toStdString(), shown, how);
        QCOMPARE(QByteArray::fromStdString(field.bytesFor(current)), saved);
    }
};

QTEST_APPLESS_MAIN(TestFieldBytes)
#include "tst_field_bytes.moc"
