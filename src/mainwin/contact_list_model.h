// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the main window's contact list: the display order that the
// store's contact list keeps over its own contacts, sorted the way the desktop
// sorts (the user's locale, case-insensitive). Nothing is copied: a row's text
// is made when the row is asked for, and each change of the list reaches the
// view as the one row inserted, removed, moved or changed.
#pragma once

#include "display_collation.h"
#include "store/contact_list.h"

#include <QAbstractListModel>

#include <cstdint>
#include <vector>

namespace vcq
{

class ContactListModel : public QAbstractListModel, private DisplayObserver
{
    Q_OBJECT
public:
    struct Entry {
        QString text;
        std::int64_t record = 0;
        friend bool operator==(const Entry &, const Entry &) = default;
    };
    static constexpr int RecordRole = Qt::UserRole;

    // Shows the list's contacts; the list must outlive the model.
    explicit ContactListModel(const ContactList &list, QObject *parent = nullptr);
    ~ContactListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    Entry at(int row) const;
    int count() const;
    // The row of a record number, or -1.
    int rowOfRecord(std::int64_t record) const;
    // Sorts every row again, after the list changed without telling.
    void resort();

    // Shows only the given contacts (a search's result), in the usual order,
    // and from then on also every contact added or changed, so that nothing
    // the user works on vanishes; rows count the shown contacts only.
    void setFilter(const std::vector<std::int32_t> &records);
    void clearFilter();
    bool isFiltered() const { return m_filtered; }
    // The record of every contact shown, changed, added or removed, whether
    // the filter shows it or not: what a search index must follow.
    std::int64_t contactsInList() const;

signals:
    void contactTouched(qint64 record, bool removed);

private:
    void beforeReset() override;
    void afterReset() override;
    void beforeInsert(std::size_t row) override;
    void afterInsert() override;
    void beforeRemove(std::size_t row) override;
    void afterRemove() override;
    void beforeMove(std::size_t from, std::size_t to) override;
    void afterMove() override;
    void changed(std::size_t row) override;

    // The filtered row of a display row: its place among m_rows (a row
    // not shown gives the place it would take).
    int filteredRow(std::size_t displayRow) const;
    bool shown(std::size_t displayRow) const;
    // Display rows from `from` on move by `by` after an insertion or removal.
    void shiftRows(std::size_t from, int by);
    std::size_t displayRow(int row) const;

    const ContactList &m_list;
    DisplayCollation m_collation;
    bool m_filtered = false;
    // Display rows shown, ascending, when filtered (32 bits: a record
    // number is 32 bits too, and a million of them is half the memory).
    std::vector<std::uint32_t> m_rows;
    bool m_signalled = false;          // the pending change was told to the view
    std::size_t m_pending = 0;         // its display row
    std::vector<std::uint32_t> m_next; // the shown rows after a pending move
    int m_resetDepth = 0;
    int m_movedTo = -1; // a move that the view sees as a change in place
};

} // namespace vcq
