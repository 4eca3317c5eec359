// SPDX-License-Identifier: GPL-3.0-or-later
// The contact list box as a user drives it: keys move the selection row by
// row, page by page and to either end; a click selects the row under the
// pointer; the selected row is scrolled into sight; a change far off screen
// costs no scrolling.
#include "mainwin/contact_list_view.h"

#include <QScrollBar>
#include <QStringListModel>
#include <QTest>

using vcq::ContactListView;

class TestContactListView : public QObject
{
    Q_OBJECT

    QStringListModel m_model;
    std::unique_ptr<ContactListView> m_view;

    int current() const { return m_view->currentIndex().row(); }

private slots:
    void init()
    {
        QStringList rows;
        for (int i = 0; i < 1000; ++i)
            rows << QStringLiteral("Contact %1").arg(i, 4, 10, QChar(u'0'));
        m_model.setStringList(rows);
        m_view = std::make_unique<ContactListView>();
        m_view->setModel(&m_model);
        m_view->setSelectionMode(QAbstractItemView::SingleSelection);
        m_view->resize(218, 10 * m_view->rowHeight() + 2 * m_view->frameWidth());
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_view->setFocus();
        m_view->setCurrentIndex(m_model.index(0));
    }
    void cleanup() { m_view.reset(); }

    void keysMoveTheSelection_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("expected");
        using K = QList<int>;
        QTest::newRow("down twice") << 0 << K{Qt::Key_Down, Qt::Key_Down} << 2;
        QTest::newRow("up at the top stays") << 0 << K{Qt::Key_Up} << 0;
        QTest::newRow("page down") << 0 << K{Qt::Key_PageDown} << 10;
        QTest::newRow("page up near the top") << 4 << K{Qt::Key_PageUp} << 0;
        QTest::newRow("end") << 3 << K{Qt::Key_End} << 999;
        QTest::newRow("down at the end stays") << 999 << K{Qt::Key_Down} << 999;
        QTest::newRow("home") << 500 << K{Qt::Key_Home} << 0;
    }
    void keysMoveTheSelection()
    {
        QFETCH(int, start);
        QFETCH(QList<int>, keys);
        QFETCH(int, expected);
        m_view->setCurrentIndex(m_model.index(start));
        for (int key : keys)
            QTest::keyClick(m_view.get(), Qt::Key(key));
        QCOMPARE(current(), expected);
        QVERIFY(m_view->selectionModel()->isSelected(m_model.index(expected)));
        // The selected row is on screen.
        QVERIFY(m_view->viewport()->rect().contains(m_view->visualRect(m_model.index(expected))));
    }

    void aClickSelectsTheRowUnderThePointer()
    {
        m_view->scrollTo(m_model.index(400), QAbstractItemView::PositionAtTop);
        const QRect row = m_view->visualRect(m_model.index(403));
        QCOMPARE(m_view->indexAt(row.center()).row(), 403);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(current(), 403);
        // Below the last row there is none, and the list never scrolls past it.
        m_view->scrollTo(m_model.index(999), QAbstractItemView::PositionAtTop);
        QCOMPARE(m_view->indexAt(QPoint(5, m_view->viewport()->height() - 1)).row(), 999);
        m_model.setStringList({"a", "b"});
        QCOMPARE(m_view->verticalScrollBar()->maximum(), 0);
        QVERIFY(!m_view->indexAt(QPoint(5, 5 * m_view->rowHeight())).isValid());
    }

    void changesOffScreenKeepTheView()
    {
        m_view->scrollTo(m_model.index(300), QAbstractItemView::PositionAtTop);
        const int top = m_view->verticalScrollBar()->value();
        m_model.insertRows(900, 1);
        m_model.removeRows(950, 3);
        QCOMPARE(m_view->verticalScrollBar()->value(), top);
        QCOMPARE(m_view->verticalScrollBar()->maximum(), 998 - 10);
    }

    void itsFontFollowsTheWindowsUnshaped()
    {
        QWidget window;
        window.setFont(QFont(QStringLiteral("DejaVu Serif"), 13));
        auto *view = new ContactListView(&window);
        QCOMPARE(view->font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(view->font().pointSize(), 13);
        QVERIFY(view->font().styleStrategy() & QFont::PreferNoShaping);
        window.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        QCOMPARE(view->font().family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(view->font().pointSize(), 9);
    }
};

QTEST_MAIN(TestContactListView)
#include "tst_contact_list_view.moc"
