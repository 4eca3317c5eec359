// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_list_model.h"

#include "core/cp1252.h"
#include "store/io_error.h"

#include <algorithm>
#include <climits>

namespace vcq
{

namespace
{

// What a screen reader says after the row's text, so that namesakes can be
// told apart by ear: the organisation and the city, those that are not blank.
QString spokenDetails(const ContactNode &n)
{
    QStringList parts;
    try {
        for (Field f : {Field::Organisation, Field::City}) {
            const QString text = fromCp1252(n.field(f)).trimmed();
            if (!text.isEmpty())
                parts << text;
        }
    } catch (const StoreError &) {
        // An unreadable record says only its name.
        return {};
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

ContactListModel::ContactListModel(const ContactList &list, QObject *parent)
    : QAbstractListModel(parent), m_list(list)
{
    m_list.setDisplayOrder(&m_collation, this);
}

ContactListModel::~ContactListModel()
{
    m_list.setDisplayOrder(nullptr, nullptr);
}

int ContactListModel::count() const
{
    const std::size_t n = m_filtered ? m_rows.size() : m_list.displayCount();
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
}

std::int64_t ContactListModel::contactsInList() const
{
    return static_cast<std::int64_t>(m_list.displayCount());
}

std::size_t ContactListModel::displayRow(int row) const
{
    return m_filtered ? m_rows.at(static_cast<std::size_t>(row)) : static_cast<std::size_t>(row);
}

int ContactListModel::filteredRow(std::size_t displayRow) const
{
    if (!m_filtered)
        return static_cast<int>(displayRow);
    return static_cast<int>(std::lower_bound(m_rows.begin(), m_rows.end(), displayRow) -
                            m_rows.begin());
}

bool ContactListModel::shown(std::size_t displayRow) const
{
    return !m_filtered || std::binary_search(m_rows.begin(), m_rows.end(), displayRow);
}

void ContactListModel::shiftRows(std::size_t from, int by)
{
    for (std::uint32_t &r : m_rows)
        if (r >= from)
            r = static_cast<std::uint32_t>(static_cast<std::int64_t>(r) + by);
}

int ContactListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ContactListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= count())
        return {};
    const ContactNode &n = m_list.displayAt(displayRow(index.row()));
    if (role == Qt::DisplayRole)
        return fromCp1252(n.DisplayKey);
    if (role == RecordRole)
        return QVariant::fromValue<qint64>(n.RecordNumber);
    if (role == Qt::AccessibleDescriptionRole)
        return spokenDetails(n);
    return {};
}

ContactListModel::Entry ContactListModel::at(int row) const
{
    const ContactNode &n = m_list.displayAt(displayRow(row));
    return {fromCp1252(n.DisplayKey), n.RecordNumber};
}

int ContactListModel::rowOfRecord(std::int64_t record) const
{
    const std::int64_t row = m_list.displayRowOf(record);
    if (row < 0 || !shown(static_cast<std::size_t>(row)))
        return -1;
    const int filtered = filteredRow(static_cast<std::size_t>(row));
    return filtered < 0 ? -1 : filtered;
}

void ContactListModel::resort()
{
    m_list.setDisplayOrder(&m_collation, this);
}

void ContactListModel::setFilter(const std::vector<std::int32_t> &records)
{
    beginResetModel();
    m_rows = m_list.displayRowsOf(records);
    m_filtered = true;
    endResetModel();
}

void ContactListModel::clearFilter()
{
    if (!m_filtered)
        return;
    beginResetModel();
    m_filtered = false;
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}

void ContactListModel::beforeReset()
{
    // A load resets inside the reset of the list's clearing; the view hears one.
    if (m_resetDepth++ == 0)
        beginResetModel();
}

void ContactListModel::afterReset()
{
    if (--m_resetDepth != 0)
        return;
    // Rows counted before the reset mean nothing now: every contact is
    // shown until whoever set the filter sets it again.
    m_filtered = false;
    m_rows.clear();
    endResetModel();
}

void ContactListModel::beforeInsert(std::size_t row)
{
    const int at = filteredRow(row);
    m_pending = row;
    beginInsertRows(QModelIndex(), at, at);
}

void ContactListModel::afterInsert()
{
    if (m_filtered) {
        // A contact added while filtered is shown: the user just made it.
        shiftRows(m_pending, 1);
        m_rows.insert(m_rows.begin() + filteredRow(m_pending), std::uint32_t(m_pending));
    }
    endInsertRows();
    emit contactTouched(m_list.displayAt(m_pending).RecordNumber, false);
}

void ContactListModel::beforeRemove(std::size_t row)
{
    emit contactTouched(m_list.displayAt(row).RecordNumber, true);
    m_pending = row;
    m_signalled = shown(row);
    if (m_signalled) {
        const int at = filteredRow(row);
        beginRemoveRows(QModelIndex(), at, at);
    }
}

void ContactListModel::afterRemove()
{
    if (m_filtered) {
        if (m_signalled)
            m_rows.erase(m_rows.begin() + filteredRow(m_pending));
        shiftRows(m_pending + 1, -1);
    }
    if (m_signalled)
        endRemoveRows();
}

void ContactListModel::beforeMove(std::size_t from, std::size_t to)
{
    m_pending = to;
    m_signalled = shown(from);
    int f = static_cast<int>(from), t = static_cast<int>(to);
    if (m_filtered) {
        // The rows as they will be: the contact taken out, then put at `to`.
        std::vector<std::uint32_t> rows = m_rows;
        const auto at = std::lower_bound(rows.begin(), rows.end(), from);
        if (m_signalled)
            rows.erase(at);
        for (std::uint32_t &r : rows)
            if (r > from)
                --r;
        for (std::uint32_t &r : rows)
            if (r >= to)
                ++r;
        const auto dest = std::lower_bound(rows.begin(), rows.end(), to);
        t = static_cast<int>(dest - rows.begin());
        if (m_signalled)
            rows.insert(dest, std::uint32_t(to));
        f = filteredRow(from);
        m_next = std::move(rows);
    }
    m_movedTo = -1;
    if (!m_signalled)
        return;
    // Qt counts the destination before the move: below the row, one further.
    if (f == t || !beginMoveRows(QModelIndex(), f, f, QModelIndex(), t > f ? t + 1 : t))
        m_movedTo = t;
}

void ContactListModel::afterMove()
{
    if (m_filtered)
        m_rows = std::move(m_next);
    if (m_signalled) {
        if (m_movedTo >= 0) {
            const QModelIndex i = index(m_movedTo);
            m_movedTo = -1;
            emit dataChanged(i, i);
        } else {
            endMoveRows();
        }
    }
    emit contactTouched(m_list.displayAt(m_pending).RecordNumber, false);
}

void ContactListModel::changed(std::size_t row)
{
    if (shown(row)) {
        const QModelIndex i = index(filteredRow(row));
        emit dataChanged(i, i);
    }
    emit contactTouched(m_list.displayAt(row).RecordNumber, false);
}

} // namespace vcq
