// SPDX-License-Identifier: GPL-3.0-or-later
// The caption rule: the window's face where the text fits, else the condensed
// face at the same size, else that face only as much smaller as needed.
#include "widgets/caption_fit.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace vcq;

namespace
{

QFont windowFont()
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    return f;
}

int advance(const QFont &f, const QString &text)
{
    return QFontMetrics(f).horizontalAdvance(text);
}

} // namespace

class TestCaptionFit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The rule is about these two faces being different widths.
        const QString text = QStringLiteral("Sauvegarde de la position");
        QVERIFY(advance(condensedFont(windowFont()), text) < advance(windowFont(), text));
    }

    void fittingFont_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("slack"); // room, against the text's width in the window's face
        QTest::addColumn<QString>("expected");
        QTest::newRow("fits") << "Select Language" << 0 << "same";
        QTest::newRow("condensed fits") << "Select Language" << -3 << "condensed";
        QTest::newRow("even condensed is too wide")
            << "Protéger l'accès avec un mot de passe" << -40 << "smaller";
    }
    void fittingFont()
    {
        QFETCH(QString, text);
        QFETCH(int, slack);
        QFETCH(QString, expected);
        const QFont font = windowFont();
        const int room = advance(font, text) + slack;
        const QFont chosen = vcq::fittingFont(font, {QStringLiteral("x"), text}, room);
        QVERIFY(advance(chosen, text) <= room);
        const QFont condensed = condensedFont(font);
        if (expected == u"same") {
            QCOMPARE(chosen, font);
        } else if (expected == u"condensed") {
            QCOMPARE(chosen, condensed);
        } else {
            QCOMPARE(chosen.families(), condensed.families());
            QVERIFY(chosen.pixelSize() < font.pixelSize());
            // Only as small as needed: one pixel more would not fit.
            QFont larger = chosen;
            larger.setPixelSize(chosen.pixelSize() + 1);
            QVERIFY(advance(larger, text) > room);
        }
    }

    void neverSmallerThanLegible()
    {
        const QFont chosen =
            vcq::fittingFont(windowFont(), {QStringLiteral("A caption far too long for it")}, 10);
        QCOMPARE(chosen.pixelSize(), 8);
    }

    void controlsGiveTheirRoom_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("label") << "label";
        QTest::newRow("check box") << "check box";
        QTest::newRow("push button") << "push button";
    }
    void controlsGiveTheirRoom()
    {
        QFETCH(QString, kind);
        QWidget window;
        window.setFont(windowFont());
        QWidget *control = nullptr;
        if (kind == u"label")
            control = new QLabel(&window);
        else if (kind == u"check box")
            control = new QCheckBox(&window);
        else
            control = new QPushButton(&window);
        control->setGeometry(0, 0, 120, 21);
        // The accelerator marker takes no room on a button; a plain label shows it.
        const QString caption = QStringLiteral("&Configuration imprimante");
        fitCaption(control, {caption, QStringLiteral("&Cancel")});
        const QString shown = shownCaption(control, caption);
        QCOMPARE(shown.contains(u'&'), kind == u"label");
        QVERIFY(captionRoom(control) <= 120);
        QVERIFY(control->fontMetrics().horizontalAdvance(shown) <= captionRoom(control));
        QVERIFY(control->font() != windowFont());
    }
};

QTEST_MAIN(TestCaptionFit)
#include "tst_caption_fit.moc"
