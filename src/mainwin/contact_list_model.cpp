#include "contact_list_model.h"

#include <algorithm>

namespace vcq
{

ContactListModel::ContactListModel(QObject *parent) : QAbstractListModel(parent)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

int ContactListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ContactListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= count())
        return {};
    const Entry &e = at(index.row());
    if (role == Qt::DisplayRole)
        return e.text;
    if (role == RecordRole)
        return e.record;
    return {};
}

void ContactListModel::setEntries(std::vector<Entry> entries)
{
    std::vector<Row> rows;
    rows.reserve(entries.size());
    for (Entry &e : entries) {
        QCollatorSortKey key = m_collator.sortKey(e.text);
        rows.push_back(Row{std::move(e), std::move(key)});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row &a, const Row &b) { return a.key.compare(b.key) < 0; });
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int ContactListModel::insert(Entry entry)
{
    QCollatorSortKey key = m_collator.sortKey(entry.text);
    const auto at = std::lower_bound(
        m_rows.begin(), m_rows.end(), key,
        [](const Row &row, const QCollatorSortKey &k) { return row.key.compare(k) < 0; });
    const int row = static_cast<int>(at - m_rows.begin());
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(at, Row{std::move(entry), std::move(key)});
    endInsertRows();
    return row;
}

void ContactListModel::removeAt(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void ContactListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int ContactListModel::rowOfRecord(std::int32_t record) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].entry.record == record)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace vcq
