// SPDX-License-Identifier: GPL-3.0-or-later
// The explorer button used as a user uses it: real mouse and key events on a
// button in an active window (offscreen), and its painted look where the
// picture is the point.
#include "widgets/explorer_button.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vcq;

namespace
{

// Colours chosen so that every role is told apart on a grabbed image.
const QColor kBackground(200, 220, 240);
const QColor kFace(190, 190, 170);
const QColor kLight(235, 235, 225);
const QColor kDark(100, 100, 100);
const QColor kText(0, 0, 128);
const QColor kUnselected(150, 0, 0);
const QRgb kKey = qRgb(255, 0, 255);
const QRgb kRed = qRgb(220, 30, 30);

QPalette testPalette()
{
    QPalette pal;
    pal.setColor(QPalette::Window, kBackground);
    pal.setColor(QPalette::Button, kFace);
    pal.setColor(QPalette::Light, kLight);
    pal.setColor(QPalette::Dark, kDark);
    pal.setColor(QPalette::WindowText, kText);
    return pal;
}

// A picture in the transparent colour with a few solid pixels.
QImage picture(QSize size, const QList<std::pair<QPoint, QRgb>> &pixels)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(kKey);
    for (const auto &[pt, c] : pixels)
        img.setPixel(pt, c);
    return img;
}

class Host : public QWidget
{
public:
    Host()
    {
        setPalette(testPalette());
        setAutoFillBackground(true);
        resize(240, 200);
    }
    TExplorerButton *add(QPoint at, QSize size = {61, 74})
    {
        auto *b = new TExplorerButton(this);
        b->move(at);
        b->resize(size);
        return b;
    }
    // Shows the window active, with the pointer resting in its bottom-right
    // corner, away from every button.
    bool showActive()
    {
        show();
        activateWindow();
        if (!QTest::qWaitForWindowActive(this))
            return false;
        QTest::mouseMove(windowHandle(), kRestPoint);
        return true;
    }
    void moveAway() { QTest::mouseMove(windowHandle(), kRestPoint); }
    static constexpr QPoint kRestPoint{230, 190};
    // What the user sees where the button is (the window's background included).
    QImage look(TExplorerButton *b) { return grab(b->geometry()).toImage(); }
};

QColor at(const QImage &img, int x, int y)
{
    return QColor(img.pixel(x, y));
}

// The user's mouse: events enter through the button's window, at points given
// in the button's own coordinates (which may lie outside the button).
QWindow *windowOf(TExplorerButton *b)
{
    return b->window()->windowHandle();
}
QPoint inWindow(TExplorerButton *b, QPoint p)
{
    return b->mapTo(b->window(), p);
}
void press(TExplorerButton *b, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(windowOf(b), button, {}, inWindow(b, p));
}
void release(TExplorerButton *b, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseRelease(windowOf(b), button, {}, inWindow(b, p));
}
void click(TExplorerButton *b, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(windowOf(b), button, {}, inWindow(b, p));
}
void moveTo(TExplorerButton *b, QPoint p)
{
    QTest::mouseMove(windowOf(b), inWindow(b, p));
}

// Auto-closes the next pop-up menu and records where it opened.
struct MenuWatcher {
    QPoint openedAt{-1, -1};
    bool seen = false;
    void arm()
    {
        QTimer::singleShot(0, [this] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                seen = true;
                openedAt = popup->pos();
                popup->close();
            }
        });
    }
};

class DoubleClickCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonDblClick)
            ++count;
        return false;
    }
};

} // namespace

class TstExplorerButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void defaults();
    void clickInsideFiresOnce();
    void releaseOutsideFiresNothing();
    void doubleClickFiresTwice();
    void leavingWhilePressedShowsRestThenPressedAgain();
    void bevelColours_data();
    void bevelColours();
    void pressedPictureMovesOneRightAndDown();
    void monoDisplay();
    void shadingTypeRebuildsGreyPicture();
    void disabledPicture();
    void disablingClearsPress();
    void disabledPressBringsFormToFront_data();
    void disabledPressBringsFormToFront();
    void radioGroup();
    void downRules();
    void downPattern();
    void allowAllUpReachesTheGroupOnly();
    void hintRule();
    void accelerator();
    void dropDownMenu();
    void dropDownMenuDeleted();
    void popupMenu();
    void wordWrapKeepsRightMargin();
    void captionCutTo255();

private:
    QTemporaryDir m_dir;
};

void TstExplorerButton::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TstExplorerButton::defaults()
{
    TExplorerButton b;
    QCOMPARE(b.size(), QSize(50, 40));
    QCOMPARE(b.Alignment(), taCenter);
    QCOMPARE(b.Options(), TExplorerButtonOptions(boMonoDisplay) | boPopupMark);
    QCOMPARE(b.Layout(), blBitmapTop);
    QCOMPARE(b.BevelStyle(), bsRaised);
    QCOMPARE(b.ShadingType(), stMedium);
    QVERIFY(b.ShowDownPattern());
    QVERIFY(!b.AllowAllUp());
    QVERIFY(!b.Down());
    QCOMPARE(b.GroupIndex(), 0);
    QVERIFY(!b.DropDownMenu());
    QCOMPARE(b.UnselectedFontColor(), b.palette().color(QPalette::WindowText));
    // Light: no native window, nothing painted where it draws nothing.
    QVERIFY(!b.testAttribute(Qt::WA_NativeWindow));
    QVERIFY(!b.autoFillBackground());
}

void TstExplorerButton::clickInsideFiresOnce()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    QVERIFY(host.showActive());
    QSignalSpy clicks(b, &TExplorerButton::clicked);
    click(b, QPoint(30, 30));
    QCOMPARE(clicks.size(), 1);
    // The right button is no click.
    click(b, QPoint(30, 30), Qt::RightButton);
    QCOMPARE(clicks.size(), 1);
}

void TstExplorerButton::releaseOutsideFiresNothing()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    QVERIFY(host.showActive());
    QSignalSpy clicks(b, &TExplorerButton::clicked);
    press(b, QPoint(30, 30));
    moveTo(b, QPoint(120, 30));
    release(b, QPoint(120, 30));
    QCOMPARE(clicks.size(), 0);
    // The next press and release inside is a click again.
    click(b, QPoint(30, 30));
    QCOMPARE(clicks.size(), 1);
}

void TstExplorerButton::doubleClickFiresTwice()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    QVERIFY(host.showActive());
    DoubleClickCounter dbl;
    b->installEventFilter(&dbl);
    QSignalSpy clicks(b, &TExplorerButton::clicked);
    QTest::mouseDClick(windowOf(b), Qt::LeftButton, {}, inWindow(b, QPoint(30, 30)));
    QCOMPARE(dbl.count, 1); // the platform did deliver a double click
    QCOMPARE(clicks.size(), 2);
}

void TstExplorerButton::leavingWhilePressedShowsRestThenPressedAgain()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    QVERIFY(host.showActive());
    QSignalSpy clicks(b, &TExplorerButton::clicked);

    press(b, QPoint(30, 30));
    QCOMPARE(at(host.look(b), 0, 30), kDark); // sunken
    moveTo(b, QPoint(120, 30));
    QCOMPARE(at(host.look(b), 0, 30), kBackground); // rest: no bevel
    moveTo(b, QPoint(30, 30));
    QCOMPARE(at(host.look(b), 0, 30), kDark); // pressed again
    release(b, QPoint(30, 30));
    QCOMPARE(clicks.size(), 1);
    // After the click the button rests until the pointer moves again.
    QCOMPARE(at(host.look(b), 0, 30), kBackground);
    moveTo(b, QPoint(31, 30));
    QCOMPARE(at(host.look(b), 0, 30), kLight); // hot
}

void TstExplorerButton::bevelColours_data()
{
    QTest::addColumn<TBevelStyle>("style");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<QColor>("first");  // left and top edges
    QTest::addColumn<QColor>("second"); // right and bottom edges
    QTest::newRow("hot, raised") << bsRaised << false << kLight << kDark;
    QTest::newRow("pressed, raised") << bsRaised << true << kDark << kLight;
    QTest::newRow("hot, lowered") << bsLowered << false << kDark << kLight;
    QTest::newRow("pressed, lowered") << bsLowered << true << kLight << kDark;
}

void TstExplorerButton::bevelColours()
{
    QFETCH(TBevelStyle, style);
    QFETCH(bool, pressed);
    QFETCH(QColor, first);
    QFETCH(QColor, second);

    Host host;
    TExplorerButton *b = host.add({10, 10});
    b->setBevelStyle(style);
    QVERIFY(host.showActive());
    moveTo(b, QPoint(30, 30));
    if (pressed)
        press(b, QPoint(30, 30));
    const QImage img = host.look(b);
    const int w = b->width();
    const int h = b->height();
    QCOMPARE(at(img, 0, h / 2), first);
    QCOMPARE(at(img, w / 2, 0), first);
    QCOMPARE(at(img, 0, h - 1), first);
    QCOMPARE(at(img, w - 1, h / 2), second);
    QCOMPARE(at(img, w / 2, h - 1), second);
    QCOMPARE(at(img, w - 1, 0), second);
    QCOMPARE(at(img, w / 2, h / 2), kBackground); // transparent inside
    if (pressed)
        release(b, QPoint(30, 30));
}

void TstExplorerButton::pressedPictureMovesOneRightAndDown()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    b->setOptions({});
    b->setBitmap(picture({8, 8}, {{{1, 1}, kRed}}));
    QVERIFY(host.showActive());
    const ExplorerLayout lay = b->currentLayout();

    QCOMPARE(at(host.look(b), lay.px + 1, lay.py + 1).rgb(), kRed);
    // The transparent colour leaves the background.
    QCOMPARE(at(host.look(b), lay.px, lay.py), kBackground);

    press(b, QPoint(30, 30));
    const QImage pressed = host.look(b);
    QCOMPARE(at(pressed, lay.px + 2, lay.py + 2).rgb(), kRed);
    QCOMPARE(at(pressed, lay.px + 1, lay.py + 1), kBackground);
    release(b, QPoint(30, 30));
}

void TstExplorerButton::monoDisplay()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    const QRgb green = qRgb(20, 160, 20);
    b->setBitmap(picture({8, 8}, {{{2, 2}, kRed}}));
    QVERIFY(host.showActive());
    const ExplorerLayout lay = b->currentLayout();
    auto shown = [&] { return at(host.look(b), lay.px + 2, lay.py + 2).rgb(); };

    // At rest without NoFocusBitmap: the grey picture (sum 280 under stMedium).
    QCOMPARE(shown(), kLight.rgb());
    b->setNoFocusBitmap(picture({8, 8}, {{{2, 2}, green}}));
    QCOMPARE(shown(), green);
    moveTo(b, QPoint(30, 30));
    QCOMPARE(shown(), kRed); // hot: the full picture
    host.moveAway();
    QCOMPARE(shown(), green);
    b->setOptions(boPopupMark);
    QCOMPARE(shown(), kRed); // no mono display: the full picture at rest
}

void TstExplorerButton::shadingTypeRebuildsGreyPicture()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    b->setBitmap(picture({8, 8}, {{{2, 2}, qRgb(128, 128, 128)}}));
    QVERIFY(host.showActive());
    const ExplorerLayout lay = b->currentLayout();
    auto shown = [&] { return at(host.look(b), lay.px + 2, lay.py + 2); };

    QCOMPARE(shown(), kLight); // stMedium: 384 is above 231
    b->setShadingType(stLight);
    QCOMPARE(shown(), QColor(Qt::white)); // stLight: 384 is above 205
    // A palette change redoes the grey picture in the new colours.
    b->setShadingType(stMedium);
    QPalette pal = testPalette();
    pal.setColor(QPalette::Light, QColor(210, 255, 210));
    b->setPalette(pal);
    QCOMPARE(shown(), QColor(210, 255, 210));
}

void TstExplorerButton::disabledPicture()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    QList<std::pair<QPoint, QRgb>> pixels{{{5, 2}, kRed}};
    for (int y = 6; y < 10; ++y) {
        for (int x = 6; x < 10; ++x)
            pixels.append({{x, y}, qRgb(0, 0, 0)});
    }
    b->setBitmap(picture({16, 16}, pixels));
    b->setEnabled(false);
    QVERIFY(host.showActive());
    const ExplorerLayout lay = b->currentLayout();

    // Etched: the black pixels in shadow, their highlight one pixel right and down,
    // everything else leaves the background.
    QImage img = host.look(b);
    QCOMPARE(at(img, lay.px + 6, lay.py + 6), kDark);
    QCOMPARE(at(img, lay.px + 9, lay.py + 9), kDark);
    QCOMPARE(at(img, lay.px + 10, lay.py + 10), kLight);
    QCOMPARE(at(img, lay.px + 10, lay.py + 7), kLight);
    QCOMPARE(at(img, lay.px + 10, lay.py + 6), kBackground);
    QCOMPARE(at(img, lay.px + 5, lay.py + 2), kBackground);

    const QRgb grey = qRgb(170, 170, 170);
    b->setDisabledBitmap(picture({16, 16}, {{{5, 2}, grey}}));
    img = host.look(b);
    QCOMPARE(at(img, lay.px + 5, lay.py + 2).rgb(), grey);
    QCOMPARE(at(img, lay.px + 6, lay.py + 6), kBackground);
}

void TstExplorerButton::disablingClearsPress()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    QVERIFY(host.showActive());
    QSignalSpy clicks(b, &TExplorerButton::clicked);
    press(b, QPoint(30, 30));
    b->setEnabled(false);
    b->setEnabled(true);
    release(b, QPoint(30, 30));
    QCOMPARE(clicks.size(), 0);
    b->setEnabled(false);
    click(b, QPoint(30, 30));
    QCOMPARE(clicks.size(), 0);
}

void TstExplorerButton::disabledPressBringsFormToFront_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("press and release") << false;
    QTest::newRow("double click") << true;
}

void TstExplorerButton::disabledPressBringsFormToFront()
{
    QFETCH(bool, doubleClick);
    Host form;
    TExplorerButton *b = form.add({10, 10});
    b->setEnabled(false);
    form.show();
    Host other;
    QVERIFY(other.showActive());
    QVERIFY(!form.isActiveWindow());
    QSignalSpy clicks(b, &TExplorerButton::clicked);
    if (doubleClick)
        QTest::mouseDClick(windowOf(b), Qt::LeftButton, {}, inWindow(b, QPoint(30, 30)));
    else
        click(b, QPoint(30, 30));
    QTRY_VERIFY(form.isActiveWindow());
    // Still disabled: no click, and it never looks hot or pressed.
    QCOMPARE(clicks.size(), 0);
    const QImage disabledLook = form.look(b);
    moveTo(b, QPoint(31, 31));
    press(b, QPoint(30, 30));
    QCOMPARE(form.look(b), disabledLook);
    release(b, QPoint(30, 30));
    QCOMPARE(clicks.size(), 0);
    // Enabled again, it clicks as before.
    b->setEnabled(true);
    click(b, QPoint(30, 30));
    QCOMPARE(clicks.size(), 1);
}

void TstExplorerButton::radioGroup()
{
    Host host;
    TExplorerButton *b1 = host.add({0, 0}, {50, 40});
    TExplorerButton *b2 = host.add({60, 0}, {50, 40});
    TExplorerButton *b3 = host.add({120, 0}, {50, 40});
    for (auto *b : {b1, b2, b3})
        b->setGroupIndex(1);
    QVERIFY(host.showActive());
    QSignalSpy clicks(b2, &TExplorerButton::clicked);
    auto downs = [&] { return QList<bool>{b1->Down(), b2->Down(), b3->Down()}; };

    click(b1, QPoint(20, 20));
    QCOMPARE(downs(), (QList<bool>{true, false, false}));
    click(b2, QPoint(20, 20));
    QCOMPARE(downs(), (QList<bool>{false, true, false}));
    click(b2, QPoint(20, 20));
    QCOMPARE(downs(), (QList<bool>{false, true, false})); // stays down
    QCOMPARE(clicks.size(), 2);                           // but still clicks

    b1->setAllowAllUp(true);
    click(b2, QPoint(20, 20));
    QCOMPARE(downs(), (QList<bool>{false, false, false}));

    // Releasing outside changes nothing.
    press(b3, QPoint(20, 20));
    moveTo(b3, QPoint(20, 120));
    release(b3, QPoint(20, 120));
    QCOMPARE(downs(), (QList<bool>{false, false, false}));
}

void TstExplorerButton::downRules()
{
    QWidget parent;
    auto *lone = new TExplorerButton(&parent);
    lone->setDown(true);
    QVERIFY(!lone->Down()); // outside a group a button is never down

    auto *a = new TExplorerButton(&parent);
    auto *b = new TExplorerButton(&parent);
    auto *other = new TExplorerButton(&parent);
    a->setGroupIndex(3);
    b->setGroupIndex(3);
    other->setGroupIndex(4);
    other->setDown(true);
    a->setDown(true);
    b->setDown(true);
    QVERIFY(!a->Down());
    QVERIFY(b->Down());
    QVERIFY(other->Down()); // another group is not touched

    // A button of the same group but another parent is not touched either.
    QWidget elsewhere;
    auto *far = new TExplorerButton(&elsewhere);
    far->setGroupIndex(3);
    far->setDown(true);
    a->setDown(true);
    QVERIFY(far->Down());
    QVERIFY(!b->Down());

    a->setGroupIndex(0);
    QVERIFY(!a->Down()); // leaving the group puts it up
}

void TstExplorerButton::downPattern()
{
    Host host;
    TExplorerButton *b = host.add({10, 10}, {50, 40});
    b->setGroupIndex(1);
    b->setDown(true);
    QVERIFY(host.showActive());
    QImage img = host.look(b);
    QCOMPARE(at(img, 2, 2), kLight); // x + y even
    QCOMPARE(at(img, 3, 2), kFace);
    QCOMPARE(at(img, 0, 20), kDark); // sunken bevel
    b->setShowDownPattern(false);
    img = host.look(b);
    QCOMPARE(at(img, 3, 2), kBackground);
    QCOMPARE(at(img, 0, 20), kDark);
}

void TstExplorerButton::allowAllUpReachesTheGroupOnly()
{
    QWidget parent;
    auto *a = new TExplorerButton(&parent);
    auto *b = new TExplorerButton(&parent);
    auto *c = new TExplorerButton(&parent);
    a->setGroupIndex(2);
    b->setGroupIndex(2);
    c->setGroupIndex(5);
    a->setAllowAllUp(true);
    QVERIFY(b->AllowAllUp());
    QVERIFY(!c->AllowAllUp());
    auto *ungrouped1 = new TExplorerButton(&parent);
    auto *ungrouped2 = new TExplorerButton(&parent);
    ungrouped1->setAllowAllUp(true);
    QVERIFY(!ungrouped2->AllowAllUp());
}

void TstExplorerButton::hintRule()
{
    TExplorerButton b;
    b.setCaption(QStringLiteral("&Save && Quit"));
    b.setOptions(boIconOnly);
    QCOMPARE(b.Hint(), QStringLiteral("Save & Quit"));
    QVERIFY(b.ShowHint());

    // Changing another option keeps the hint of an icon-only button.
    b.setOptions(TExplorerButtonOptions(boIconOnly) | boPopupMark);
    QCOMPARE(b.Hint(), QStringLiteral("Save & Quit"));

    // With icon-only set, a new caption becomes the hint at once.
    b.setCaption(QStringLiteral("&Print"));
    QCOMPARE(b.Hint(), QStringLiteral("Print"));

    // Showing the caption again removes the hint that stood for it.
    b.setOptions(boMonoDisplay);
    QCOMPARE(b.Hint(), QString());
    QVERIFY(!b.ShowHint());

    // A hint of the user's own is kept either way.
    b.setHint(QStringLiteral("Print every contact"));
    b.setOptions(boIconOnly);
    QCOMPARE(b.Hint(), QStringLiteral("Print every contact"));
    b.setOptions(boMonoDisplay);
    QCOMPARE(b.Hint(), QStringLiteral("Print every contact"));
}

void TstExplorerButton::accelerator()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    TExplorerButton *amp = host.add({100, 10});
    b->setCaption(QStringLiteral("&New"));
    amp->setCaption(QStringLiteral("R&&D"));
    QVERIFY(host.showActive());
    QSignalSpy clicks(b, &TExplorerButton::clicked);
    QSignalSpy ampClicks(amp, &TExplorerButton::clicked);

    QTest::keyClick(&host, Qt::Key_N, Qt::AltModifier);
    QCOMPARE(clicks.size(), 1);
    QTest::keyClick(&host, Qt::Key_D, Qt::AltModifier);
    QCOMPARE(ampClicks.size(), 0); // "&&" is a literal ampersand, no accelerator

    b->setCaption(QStringLiteral("Im&primer"));
    QTest::keyClick(&host, Qt::Key_N, Qt::AltModifier);
    QCOMPARE(clicks.size(), 1); // the old accelerator is gone
    QTest::keyClick(&host, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(clicks.size(), 2);

    b->setEnabled(false);
    QTest::keyClick(&host, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(clicks.size(), 2);
}

void TstExplorerButton::dropDownMenu()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    b->setBitmap(picture({16, 16}, {{{4, 4}, kRed}}));
    QMenu menu;
    menu.addAction(QStringLiteral("One"));
    b->setDropDownMenu(&menu);
    b->setUnselectedFontColor(kUnselected);
    QVERIFY(host.showActive());
    QSignalSpy clicks(b, &TExplorerButton::clicked);

    MenuWatcher watcher;
    watcher.arm();
    click(b, QPoint(30, 30));
    QVERIFY(watcher.seen);
    QCOMPARE(watcher.openedAt, b->mapToGlobal(QPoint(0, b->height())));
    QCOMPARE(clicks.size(), 0);

    // The arrow mark right of the picture, in the caption's colour at rest.
    host.moveAway();
    const ExplorerLayout lay = b->currentLayout();
    QCOMPARE(lay.pw, 16 + 10);
    const int x = lay.px + 16 + 3;
    const int y = lay.py + lay.ph / 2;
    const QImage img = host.look(b);
    QCOMPARE(at(img, x, y - 1), kUnselected);
    QCOMPARE(at(img, x + 6, y - 1), kUnselected);
    QCOMPARE(at(img, x + 3, y + 2), kUnselected);
    QCOMPARE(at(img, x, y), kBackground);
    QCOMPARE(at(img, x + 2, y + 2), kBackground);

    // Without the mark option there is no arrow and no room for it.
    b->setOptions(boMonoDisplay);
    QCOMPARE(b->currentLayout().pw, 16);
    QCOMPARE(at(host.look(b), x + 3, y + 2), kBackground);
}

void TstExplorerButton::dropDownMenuDeleted()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    auto *menu = new QMenu;
    b->setDropDownMenu(menu);
    QVERIFY(host.showActive());
    delete menu;
    QVERIFY(!b->DropDownMenu());
    QSignalSpy clicks(b, &TExplorerButton::clicked);
    click(b, QPoint(30, 30));
    QCOMPARE(clicks.size(), 1); // an ordinary button again
}

void TstExplorerButton::popupMenu()
{
    Host host;
    TExplorerButton *b = host.add({10, 10});
    QMenu menu;
    menu.addAction(QStringLiteral("One"));
    b->setPopupMenu(&menu);
    QVERIFY(host.showActive());
    QSignalSpy clicks(b, &TExplorerButton::clicked);

    MenuWatcher watcher;
    watcher.arm();
    click(b, QPoint(30, 30), Qt::RightButton);
    QTRY_VERIFY(watcher.seen);
    QCOMPARE(clicks.size(), 0);
    // Afterwards the button is no longer pressed: a left click is one click.
    click(b, QPoint(30, 30));
    QCOMPARE(clicks.size(), 1);
}

void TstExplorerButton::wordWrapKeepsRightMargin()
{
    Host host;
    TExplorerButton *b = host.add({10, 10}, {61, 74});
    b->setCaption(QStringLiteral("Enregistrer le contact tout de suite"));
    b->setWordWrap(true);
    QVERIFY(host.showActive());
    const ExplorerLayout lay = b->currentLayout();
    QVERIFY(lay.h > QFontMetrics(b->font()).height()); // more than one line
    QVERIFY(lay.tx + lay.w <= b->width() - 5);

    const QImage img = host.look(b);
    bool inked = false;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (at(img, x, y) == kBackground)
                continue;
            inked = true;
            QVERIFY2(x < b->width() - 5, qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY(inked);
}

void TstExplorerButton::captionCutTo255()
{
    TExplorerButton b;
    b.setCaption(QString(300, u'x'));
    QCOMPARE(b.Caption().size(), 255);
    b.setWordWrap(true);
    b.resize(400, 400);
    QVERIFY(!b.grab().isNull()); // drawing the longest caption is safe
}

QTEST_MAIN(TstExplorerButton)
#include "tst_explorer_button.moc"
