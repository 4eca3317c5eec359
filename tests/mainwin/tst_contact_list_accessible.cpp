// SPDX-License-Identifier: GPL-3.0-or-later
// The contact list as a screen reader sees it: rows made only when asked
// for, each keeping its contact as others come and go, with the selected and
// focused states of the view. (The events need a running bridge: the test of
// the real program reads them.)
#include "mainwin/contact_list_accessible.h"
#include "mainwin/contact_list_view.h"

#include <QAccessible>
#include <QStringListModel>
#include <QTest>

using vcq::ContactListAccessible;
using vcq::ContactListView;

class TestContactListAccessible : public QObject
{
    Q_OBJECT

    QStringListModel m_model;
    std::unique_ptr<ContactListView> m_view;
    QAccessibleInterface *m_list = nullptr;

    ContactListAccessible *list() const { return static_cast<ContactListAccessible *>(m_list); }

private slots:
    void initTestCase() { vcq::installContactListAccessibility(); }

    void init()
    {
        QStringList rows;
        for (int i = 0; i < 100000; ++i)
            rows << QStringLiteral("Contact %1").arg(i, 6, 10, QChar(u'0'));
        m_model.setStringList(rows);
        m_view = std::make_unique<ContactListView>();
        m_view->setModel(&m_model);
        m_view->setSelectionMode(QAbstractItemView::SingleSelection);
        m_view->resize(218, 200);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_list = QAccessible::queryAccessibleInterface(m_view.get());
        QVERIFY(dynamic_cast<ContactListAccessible *>(m_list) != nullptr);
    }
    void cleanup() { m_view.reset(); }

    void rowsAreMadeOnlyWhenAskedFor()
    {
        QCOMPARE(m_list->role(), QAccessible::List);
        QCOMPARE(m_list->childCount(), 100000);
        QCOMPARE(list()->madeRows(), 0);
        QAccessibleInterface *row = m_list->child(54321);
        QVERIFY(row != nullptr);
        QCOMPARE(row->role(), QAccessible::ListItem);
        QCOMPARE(row->text(QAccessible::Name), QStringLiteral("Contact 054321"));
        QCOMPARE(m_list->child(54321), row);
        QCOMPARE(m_list->indexOfChild(row), 54321);
        QCOMPARE(list()->madeRows(), 1);
        QVERIFY(m_list->child(100000) == nullptr);
        // Far off screen: a reader is told it is not showing.
        QVERIFY(row->state().offscreen);
        QVERIFY(!m_list->child(0)->state().offscreen);
    }

    // Inserts, moves and removals around a row leave its object speaking of
    // the same contact; a removed row's object is let go.
    void aRowKeepsItsContact()
    {
        QAccessibleInterface *row = m_list->child(10);
        const QAccessible::Id id = QAccessible::uniqueId(row);
        m_model.insertRows(0, 2);
        QCOMPARE(m_list->indexOfChild(row), 12);
        QCOMPARE(m_list->child(12), row);
        QCOMPARE(row->text(QAccessible::Name), QStringLiteral("Contact 000010"));
        QVERIFY(m_list->child(10) != row);
        m_model.moveRows(QModelIndex(), 12, 1, QModelIndex(), 0);
        QCOMPARE(m_list->child(0), row);
        m_model.removeRows(0, 1);
        QVERIFY(QAccessible::accessibleInterface(id) == nullptr);
        QCOMPARE(m_list->child(0)->text(QAccessible::Name), QString());
    }

    void statesFollowTheKeyboard()
    {
        m_view->setFocus();
        m_view->setCurrentIndex(m_model.index(3));
        QTest::keyClick(m_view.get(), Qt::Key_Down);
        QAccessibleInterface *row = m_list->child(4);
        QVERIFY(row->state().selected);
        QVERIFY(row->state().focused);
        QVERIFY(!m_list->child(3)->state().selected);
        QCOMPARE(m_list->focusChild(), row);
        // A reader's "press" makes the row current, as a click does.
        QAccessibleInterface *other = m_list->child(1);
        other->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_view->currentIndex().row(), 1);
    }
};

QTEST_MAIN(TestContactListAccessible)
#include "tst_contact_list_accessible.moc"
