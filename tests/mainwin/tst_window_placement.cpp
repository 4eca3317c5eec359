// SPDX-License-Identifier: GPL-3.0-or-later
// Where the dialogs land on a real desktop: run under Xvfb with a window
// manager (under_window_manager.sh), every dialog's outer rectangle, frame
// included, must be where its rule puts it on its first showing as on its
// second, with the main window elsewhere each time.
#include "window_fixture.h"

#include "core/window_placement.h"
#include "mainwin/start_up.h"
#include "telephony/tfrm_tapi_call.h"

#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

using namespace testutil;

namespace
{

enum class Rule { OverMain, OnScreen, Dialer };

// Waits until the desktop has framed and shown `w`.
bool framedAndExposed(QWidget *w)
{
    if (!QTest::qWaitForWindowExposed(w))
        return false;
    QWindow *handle = w->windowHandle();
    return QTest::qWaitFor([handle] { return handle->frameMargins().top() > 0; }, 5000);
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestWindowPlacement : public QObject
{
    Q_OBJECT

    TestFolder m_folder;

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void mainWindowCentredOnTheScreen()
    {
        vcq::ProgramWindows windows = vcq::createProgramWindows();
        vcq::TfrmMain &main = *windows.main;
        main.show();
        QVERIFY(framedAndExposed(&main));
        const QRect outer = main.windowHandle()->frameGeometry();
        QVERIFY2(outer.height() > main.height(), "the window has no frame");
        const QPoint off =
            outer.topLeft() -
            vcq::centredOver(QGuiApplication::primaryScreen()->geometry(), outer.size());
        QVERIFY2(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1,
                 qPrintable(QStringLiteral("frame at %1, %2,%3 off")
                                .arg(describe(outer))
                                .arg(off.x())
                                .arg(off.y())));
    }

    void printQuestionCentredOnTheScreen()
    {
        m_folder.watcher.reset(); // this test answers the question itself
        QVERIFY(writeDataFile({contact("Smith", "John")}));
        vcq::ProgramWindows windows = vcq::createProgramWindows();
        vcq::TfrmMain &main = *windows.main;
        main.show();
        QVERIFY(framedAndExposed(&main));
        main.move(37, 61);
        QTRY_COMPARE(main.windowHandle()->frameGeometry().topLeft(), QPoint(37, 61));
        QDialog *print = windows.print;
        print->show();
        QVERIFY(framedAndExposed(print));
        print->findChild<QListWidget *>(QStringLiteral("lstPrint"))->setCurrentRow(0);

        // Seen once the desktop has framed it, then cancelled.
        QRect seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&seen] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QWindow *handle = box ? box->windowHandle() : nullptr;
            if (!handle || !handle->isExposed() || handle->frameMargins().top() <= 0)
                return;
            seen = handle->frameGeometry();
            box->reject();
        });
        poll.start(10);
        QTest::mouseClick(print->findChild<QPushButton *>(QStringLiteral("btnPrint")),
                          Qt::LeftButton);
        QVERIFY(seen.isValid());
        QVERIFY(!QFile::exists(QStringLiteral("VCQ97.pdf")));
        const QPoint off =
            seen.topLeft() -
            vcq::centredOver(QGuiApplication::primaryScreen()->geometry(), seen.size());
        QVERIFY2(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1,
                 qPrintable(QStringLiteral("frame at %1, %2,%3 off")
                                .arg(describe(seen))
                                .arg(off.x())
                                .arg(off.y())));
    }

    void framedWindowsLandInPlace_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("rule");
        QTest::newRow("Options") << "options" << int(Rule::OverMain);
        QTest::newRow("About") << "about" << int(Rule::OverMain);
        QTest::newRow("print") << "print" << int(Rule::OverMain);
        QTest::newRow("password") << "password" << int(Rule::OnScreen);
        QTest::newRow("dialer") << "dialer" << int(Rule::Dialer);
    }
    void framedWindowsLandInPlace()
    {
        QFETCH(QString, window);
        QFETCH(int, rule);
        vcq::ProgramWindows windows = vcq::createProgramWindows();
        vcq::TfrmMain &main = *windows.main;
        main.show();
        QVERIFY(framedAndExposed(&main));
        QWidget *const shown[] = {windows.options, windows.about, windows.print,
                                  windows.passwordDlg, windows.tapiCall};
        const QStringList names = {"options", "about", "print", "password", "dialer"};
        QWidget *w = shown[names.indexOf(window)];

        const QPoint mainPlaces[] = {{37, 61}, {402, 215}};
        for (int showing = 0; showing < 2; ++showing) {
            main.move(mainPlaces[showing]);
            QTRY_COMPARE(main.windowHandle()->frameGeometry().topLeft(), mainPlaces[showing]);
            w->show();
            QVERIFY(framedAndExposed(w));
            // As the desktop has it: the platform window's place and frame.
            const QRect outer = w->windowHandle()->frameGeometry();
            QVERIFY2(outer.height() > w->height(), "the window has no frame");
            QPoint expected;
            switch (Rule(rule)) {
            case Rule::OverMain:
                expected = vcq::centredOver(main.frameGeometry(), outer.size());
                break;
            case Rule::OnScreen:
                expected =
                    vcq::centredOver(QGuiApplication::primaryScreen()->geometry(), outer.size());
                break;
            case Rule::Dialer:
                expected = vcq::dialerPosition(main.frameGeometry(), outer.size());
                break;
            }
            const QPoint off = outer.topLeft() - expected;
            QVERIFY2(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1,
                     qPrintable(QStringLiteral("showing %1: frame at %2, expected at %3,%4")
                                    .arg(showing + 1)
                                    .arg(describe(outer))
                                    .arg(expected.x())
                                    .arg(expected.y())));
            w->hide();
        }
    }
};

VCQ_WINDOW_TEST_MAIN(TestWindowPlacement)
#include "tst_window_placement.moc"
