// SPDX-License-Identifier: GPL-3.0-or-later
// The contact list box: one column of rows of one height, so that where a row
// is follows from its number alone. Inserting, moving or removing a contact
// costs the view the rows on screen, never a layout of every row, however
// long the list.
#pragma once

#include <QAbstractItemView>
#include <QSet>

namespace vcq
{

class ContactListView : public QAbstractItemView
{
    Q_OBJECT
public:
    explicit ContactListView(QWidget *parent = nullptr);

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    void doItemsLayout() override;
    void setModel(QAbstractItemModel *model) override;

    // The height of every row.
    int rowHeight() const;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;
    // A screen reader hears where the focus and the selection go.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;
    void focusInEvent(QFocusEvent *event) override;

protected slots:
    void verticalScrollbarValueChanged(int value) override;

private:
    int rowCount() const;
    int topRow() const;
    // Rows that fit whole in the viewport, at least one.
    int pageRows() const;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index,
                 const QString &text) const;

    mutable int m_rowHeight = 0; // 0: to be measured
    int m_rowPictures = 0;       // the generation of the rows' pictures kept
    QSet<QString> m_shownBefore; // the rows' texts shown lately
};

} // namespace vcq
