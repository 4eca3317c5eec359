// SPDX-License-Identifier: GPL-3.0-or-later
// The Menu key and Shift+F10 ask the focused control for its context menu,
// at its current item in a list; other keys and other controls are left be.
#include "widgets/keyboard_context_menu.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

class TestKeyboardContextMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { vcq::installKeyboardContextMenu(); }

    void keysAskTheFocusedControl_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("asks");
        QTest::newRow("Menu") << int(Qt::Key_Menu) << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << true;
        QTest::newRow("F10") << int(Qt::Key_F10) << int(Qt::NoModifier) << false;
        QTest::newRow("Ctrl+Shift+F10")
            << int(Qt::Key_F10) << int(Qt::ShiftModifier | Qt::ControlModifier) << false;
    }
    void keysAskTheFocusedControl()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, asks);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *edit = new QLineEdit(&window);
        auto *list = new QListWidget(&window);
        list->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        layout->addWidget(edit);
        layout->addWidget(list);
        for (QWidget *w : {static_cast<QWidget *>(edit), static_cast<QWidget *>(list)})
            w->setContextMenuPolicy(Qt::CustomContextMenu);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy editAsked(edit, &QWidget::customContextMenuRequested);
        QSignalSpy listAsked(list, &QWidget::customContextMenuRequested);

        list->setFocus();
        list->setCurrentRow(2);
        QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(listAsked.size(), asks ? 1 : 0);
        QCOMPARE(editAsked.size(), 0);
        if (asks) // at the current row, in the viewport's places
            QCOMPARE(listAsked.first().first().toPoint(),
                     list->visualItemRect(list->item(2)).center());
        QCOMPARE(list->currentRow(), 2);
    }
};

QTEST_MAIN(TestKeyboardContextMenu)
#include "tst_keyboard_context_menu.moc"
