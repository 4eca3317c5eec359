// SPDX-License-Identifier: GPL-3.0-or-later
// The contact list as a screen reader reads it: a list whose items are its
// rows, each named by its text and described by the organisation and city.
// A row's object is made when a reader asks for it and follows its contact
// through inserts, moves and removals; nothing is made per contact up front,
// so a list of a million contacts costs the bridge what it reads.
#pragma once

#include <QAccessibleWidget>
#include <QItemSelection>
#include <QMetaObject>

#include <map>
#include <vector>

namespace vcq
{

class ContactListView;
class ContactRowAccessible;

class ContactListAccessible : public QAccessibleWidget
{
public:
    explicit ContactListAccessible(ContactListView *view);
    ~ContactListAccessible() override;

    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    QAccessible::State state() const override;

    // The objects made so far, for the bench and the tests.
    int madeRows() const { return static_cast<int>(m_rows.size()); }

private:
    ContactListView *view() const;
    void watchModel();
    void rowsInserted(int first, int last);
    void rowsAboutToBeRemoved(int first, int last);
    // Keys the rows made so far by where their contacts are now.
    void rekey();
    void forgetAll();

    mutable std::map<int, QAccessible::Id> m_rows;
    std::vector<QMetaObject::Connection> m_connections;
    const QObject *m_model = nullptr;
};

// What a screen reader hears of the list's keyboard focus and selection:
// the row the focus moved to, the rows that became selected or not.
void announceCurrentRow(ContactListView *view, const QModelIndex &current);
void announceSelection(ContactListView *view, const QItemSelection &selected,
                       const QItemSelection &deselected);

// Makes the contact list's interface when a screen reader asks for one.
void installContactListAccessibility();

} // namespace vcq
