// SPDX-License-Identifier: GPL-3.0-or-later
// The program settings: reading them at start, placing the main window,
// writing its position at the end.
#include "settings/file_registry.h"
#include "settings/placement.h"
#include "settings/program_settings.h"
#include "settings/reg_app.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <limits>
#include <memory>

using namespace vcq;

Q_DECLARE_METATYPE(vcq::ProgramSettings)

namespace
{

// The key as the main window's component addresses it.
struct Registry {
    QTemporaryDir dir;
    FileRegistry file{dir.filePath(QStringLiteral("registry.reg"))};
    TRegAppDefaultUserConfig reg{nullptr, &file};
    Registry() { setVcqKey(reg); }
};

} // namespace

class TestProgramSettings : public QObject
{
    Q_OBJECT

private slots:
    void firstStart();
    void readsWhatIsThere_data();
    void readsWhatIsThere();
    void wrongTypeStopsReading();
    void centredOver_data();
    void centredOver();
    void initialPosition_data();
    void initialPosition();
    void placesTheWindow();
    void positionWrittenAtEveryEnd();
    void positionErrorIsThrown();
};

void TestProgramSettings::firstStart()
{
    Registry r;
    ProgramSettings settings;
    QWidget window;
    window.resize(632, 453);
    ReadVcqReg(r.reg, settings, &window);
    QCOMPARE(settings, ProgramSettings());
    QVERIFY(!r.reg.Active());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // Centred by its outer rectangle, frame included.
    const QRect outer = window.frameGeometry();
    QCOMPARE(outer.topLeft(), QPoint(screen.x() + screen.width() / 2 - outer.width() / 2,
                                     screen.y() + screen.height() / 2 - outer.height() / 2));
}

void TestProgramSettings::readsWhatIsThere_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<ProgramSettings>("expected");

    const ProgramSettings start{false, 5, 6, 0, "keep", "keep", "keep"};
    const ProgramSettings all{true,
                              -10,
                              20,
                              1,
                              "Qu\xe9"
                              "bec",
                              "QC",
                              "",
                              false};
    QTest::newRow("all") << QStringList{"ScreenPos", "Language", "ScreenPosX", "ScreenPosY",
                                        "DefCity",   "DefState", "DefCountry", "BirthdayReminder"}
                         << all;
    ProgramSettings some = start;
    some.Language = 1;
    some.DefState = "QC";
    QTest::newRow("some") << QStringList{"Language", "DefState"} << some;
    QTest::newRow("none") << QStringList{} << start;
}

void TestProgramSettings::readsWhatIsThere()
{
    QFETCH(QStringList, present);
    QFETCH(ProgramSettings, expected);
    Registry r;
    r.reg.setActive(true);
    const auto has = [&](const char *n) { return present.contains(QLatin1String(n)); };
    if (has("ScreenPos"))
        r.reg.WriteBoolValue("ScreenPos", true);
    if (has("Language"))
        r.reg.WriteIntegerValue("Language", 1);
    if (has("ScreenPosX"))
        r.reg.WriteIntegerValue("ScreenPosX", -10);
    if (has("ScreenPosY"))
        r.reg.WriteIntegerValue("ScreenPosY", 20);
    if (has("DefCity"))
        r.reg.WriteStringValue("DefCity", "Qu\xe9"
                                          "bec");
    if (has("DefState"))
        r.reg.WriteStringValue("DefState", "QC");
    if (has("DefCountry"))
        r.reg.WriteStringValue("DefCountry", "");
    if (has("BirthdayReminder"))
        r.reg.WriteBoolValue("BirthdayReminder", false);
    r.reg.setActive(false);

    ProgramSettings settings{false, 5, 6, 0, "keep", "keep", "keep"};
    readProgramSettings(r.reg, settings);
    QCOMPARE(settings, expected);
}

void TestProgramSettings::wrongTypeStopsReading()
{
    Registry r;
    r.reg.WriteBoolValue("ScreenPos", true);
    r.reg.WriteStringValue("Language", "1");
    r.reg.WriteIntegerValue("ScreenPosX", 99);
    ProgramSettings settings;
    QWidget window;
    window.move(3, 4);
    try {
        ReadVcqReg(r.reg, settings, &window);
        QFAIL("a text language was read as a number");
    } catch (const ERegistryException &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Invalid data type for 'Language'"));
    }
    // What was read before the error stays; the rest keeps its default.
    QCOMPARE(settings.ScreenPos, true);
    QCOMPARE(settings.ScreenPosX, 0);
    QVERIFY(!r.reg.Active());
    QCOMPARE(window.pos(), QPoint(3, 4)); // not placed
}

void TestProgramSettings::centredOver_data()
{
    QTest::addColumn<QRect>("outer");
    QTest::addColumn<QSize>("own");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("even") << QRect(100, 50, 632, 453) << QSize(341, 295)
                          << QPoint(100 + 316 - 170, 50 + 226 - 147);
    QTest::newRow("larger than the outer")
        << QRect(0, 0, 100, 100) << QSize(301, 201) << QPoint(50 - 150, 50 - 100);
    QTest::newRow("negative place") << QRect(-700, -20, 633, 455) << QSize(338, 254)
                                    << QPoint(-700 + 316 - 169, -20 + 227 - 127);
}

void TestProgramSettings::centredOver()
{
    QFETCH(QRect, outer);
    QFETCH(QSize, own);
    QFETCH(QPoint, expected);
    QCOMPARE(vcq::centredOver(outer, own), expected);
}

void TestProgramSettings::initialPosition_data()
{
    QTest::addColumn<bool>("restore");
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QPoint>("expected");

    // Two screens side by side: the primary one, and one to its left.
    const QPoint centred(1920 / 2 - 633 / 2, 1080 / 2 - 455 / 2);
    QTest::newRow("not restored") << false << QPoint(10, 10) << centred;
    QTest::newRow("restored") << true << QPoint(10, 10) << QPoint(10, 10);
    QTest::newRow("restored partly off screen")
        << true << QPoint(-5, 1000 - 455 / 2) << QPoint(-5, 1000 - 455 / 2);
    QTest::newRow("restored on the left screen")
        << true << QPoint(-1200, 100) << QPoint(-1200, 100);
    QTest::newRow("off every screen") << true << QPoint(5000, 100) << centred;
    QTest::newRow("centre below every screen") << true << QPoint(100, 900) << centred;
    // Values no screen has: clamped before any arithmetic, then centred.
    const int most = std::numeric_limits<int>::max();
    const int least = std::numeric_limits<int>::min();
    QTest::newRow("largest x") << true << QPoint(most, 100) << centred;
    QTest::newRow("largest y") << true << QPoint(100, most) << centred;
    QTest::newRow("smallest x and y") << true << QPoint(least, least) << centred;
    QTest::newRow("largest less a window") << true << QPoint(most - 600, most - 400) << centred;
}

void TestProgramSettings::initialPosition()
{
    QFETCH(bool, restore);
    QFETCH(QPoint, stored);
    QFETCH(QPoint, expected);
    ProgramSettings settings;
    settings.ScreenPos = restore;
    settings.ScreenPosX = stored.x();
    settings.ScreenPosY = stored.y();
    const QRect primary(0, 0, 1920, 1080);
    const QList<QRect> screens{primary, QRect(-1280, 0, 1280, 1024)};
    QCOMPARE(initialMainWindowPosition(settings, QSize(633, 455), primary, screens), expected);
}

void TestProgramSettings::placesTheWindow()
{
    Registry r;
    r.reg.WriteBoolValue("ScreenPos", true);
    r.reg.WriteIntegerValue("ScreenPosX", 12);
    r.reg.WriteIntegerValue("ScreenPosY", 34);
    ProgramSettings settings;
    QWidget window;
    window.resize(200, 100);
    ReadVcqReg(r.reg, settings, &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.pos(), QPoint(12, 34));
}

void TestProgramSettings::positionWrittenAtEveryEnd()
{
    Registry r;
    r.reg.WriteBoolValue("ScreenPos", false);
    QWidget window;
    window.resize(200, 100);
    window.move(40, 50);
    WriteVcqPos(r.reg, window.pos());
    QVERIFY(!r.reg.Active());

    ProgramSettings settings;
    readProgramSettings(r.reg, settings);
    QCOMPARE(settings.ScreenPosX, 40);
    QCOMPARE(settings.ScreenPosY, 50);
    QCOMPARE(settings.ScreenPos, false); // the choice itself is not touched

    // With restoring on, the next start uses where the window was at the end.
    r.reg.WriteBoolValue("ScreenPos", true);
    window.move(60, 70);
    WriteVcqPos(r.reg, window.pos());
    QWidget next;
    next.resize(200, 100);
    ProgramSettings again;
    ReadVcqReg(r.reg, again, &next);
    QCOMPARE(next.pos(), QPoint(60, 70));
}

void TestProgramSettings::positionErrorIsThrown()
{
    Registry r;
    QFile damaged(r.dir.filePath(QStringLiteral("registry.reg")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a registry\n");
    damaged.close();

    // The main window reports it and ends all the same.
    QVERIFY_THROWS_EXCEPTION(ERegistryException, WriteVcqPos(r.reg, QPoint(1, 2)));
    QVERIFY(!r.reg.Active());
}

QTEST_MAIN(TestProgramSettings)
#include "tst_program_settings.moc"
