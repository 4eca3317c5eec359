// The entries of the main window's contact list: each a display key and the
// record number of the contact it stands for, sorted the way the desktop sorts
// (the user's locale, case-insensitive). Insertions find their row by binary
// search, so the list stays quick with many thousands of entries.
#pragma once

#include <QAbstractListModel>
#include <QCollator>

#include <cstdint>
#include <vector>

namespace vcq
{

class ContactListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    struct Entry {
        QString text;
        std::int32_t record = 0;
        friend bool operator==(const Entry &, const Entry &) = default;
    };
    static constexpr int RecordRole = Qt::UserRole;

    explicit ContactListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Replaces every entry. Entries that sort equal keep their given order.
    void setEntries(std::vector<Entry> entries);
    // Adds an entry in front of those that sort equal to it; returns its row.
    int insert(Entry entry);
    void removeAt(int row);
    void clear();

    const Entry &at(int row) const { return m_rows[static_cast<std::size_t>(row)].entry; }
    int count() const { return static_cast<int>(m_rows.size()); }
    // The row of a record number, or -1.
    int rowOfRecord(std::int32_t record) const;

private:
    struct Row {
        Entry entry;
        QCollatorSortKey key;
    };
    QCollator m_collator;
    std::vector<Row> m_rows;
};

} // namespace vcq
