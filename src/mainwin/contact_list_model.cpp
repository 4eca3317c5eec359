// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_list_model.h"

#include "core/cp1252.h"
#include "store/io_error.h"

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
    return static_cast<int>(std::min<std::size_t>(m_list.displayCount(), INT_MAX));
}

int ContactListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ContactListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= count())
        return {};
    const ContactNode &n = m_list.displayAt(static_cast<std::size_t>(index.row()));
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
    const ContactNode &n = m_list.displayAt(static_cast<std::size_t>(row));
    return {fromCp1252(n.DisplayKey), n.RecordNumber};
}

int ContactListModel::rowOfRecord(std::int64_t record) const
{
    const std::int64_t row = m_list.displayRowOf(record);
    return row < 0 || row > INT_MAX ? -1 : static_cast<int>(row);
}

void ContactListModel::resort()
{
    m_list.setDisplayOrder(&m_collation, this);
}

void ContactListModel::beforeReset()
{
    // A load resets inside the reset of the list's clearing; the view hears one.
    if (m_resetDepth++ == 0)
        beginResetModel();
}

void ContactListModel::afterReset()
{
    if (--m_resetDepth == 0)
        endResetModel();
}

void ContactListModel::beforeInsert(std::size_t row)
{
    beginInsertRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row));
}

void ContactListModel::afterInsert()
{
    endInsertRows();
}

void ContactListModel::beforeRemove(std::size_t row)
{
    beginRemoveRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row));
}

void ContactListModel::afterRemove()
{
    endRemoveRows();
}

void ContactListModel::beforeMove(std::size_t from, std::size_t to)
{
    const int f = static_cast<int>(from), t = static_cast<int>(to);
    // Qt counts the destination before the move: below the row, one further.
    if (f == t || !beginMoveRows(QModelIndex(), f, f, QModelIndex(), t > f ? t + 1 : t))
        m_movedTo = t;
}

void ContactListModel::afterMove()
{
    if (m_movedTo >= 0) {
        const QModelIndex i = index(m_movedTo);
        m_movedTo = -1;
        emit dataChanged(i, i);
        return;
    }
    endMoveRows();
}

void ContactListModel::changed(std::size_t row)
{
    const QModelIndex i = index(static_cast<int>(row));
    emit dataChanged(i, i);
}

} // namespace vcq
