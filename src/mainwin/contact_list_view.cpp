// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_list_view.h"

#include "contact_list_accessible.h"
#include "plain_row_painter.h"
#include "quiet_change.h"

#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QScrollBar>
#include <QSet>
#include <QStyledItemDelegate>

#include <algorithm>

namespace vcq
{

namespace
{

// How many rows' texts are remembered as shown before, for a picture to be
// kept the next time they are shown.
constexpr qsizetype kRowsRemembered = 4096;

} // namespace

ContactListView::ContactListView(QWidget *parent) : QAbstractItemView(parent)
{
    // The scroll bar counts rows, as a list box does.
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Names need no complex shaping (the data file's code page has none of
    // the scripts that do); without it, a page of rows never shown before
    // is drawn in a fraction of the time. Only the strategy is set: the
    // family and size still follow the window's.
    QFont plain;
    plain.setStyleStrategy(QFont::PreferNoShaping);
    setFont(plain);
}

int ContactListView::rowCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int ContactListView::rowHeight() const
{
    if (m_rowHeight == 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.text = QStringLiteral("Xg");
        option.features |= QStyleOptionViewItem::HasDisplay;
        const QModelIndex first = model() ? model()->index(0, 0, rootIndex()) : QModelIndex();
        m_rowHeight = std::max(1, itemDelegate()->sizeHint(option, first).height());
    }
    return m_rowHeight;
}

int ContactListView::topRow() const
{
    return verticalScrollBar()->value();
}

int ContactListView::pageRows() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int ContactListView::verticalOffset() const
{
    return topRow() * rowHeight();
}

QRect ContactListView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.parent() != rootIndex())
        return {};
    return QRect(0, (index.row() - topRow()) * rowHeight(), viewport()->width(), rowHeight());
}

QModelIndex ContactListView::indexAt(const QPoint &point) const
{
    if (point.y() < 0 || !model())
        return {};
    const int row = topRow() + point.y() / rowHeight();
    return row < rowCount() ? model()->index(row, 0, rootIndex()) : QModelIndex();
}

void ContactListView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int row = index.row(), top = topRow(), page = pageRows();
    int newTop = top;
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            newTop = row;
        else if (row >= top + page)
            newTop = row - page + 1;
        break;
    case PositionAtTop:
        newTop = row;
        break;
    case PositionAtBottom:
        newTop = row - page + 1;
        break;
    case PositionAtCenter:
        newTop = row - page / 2;
        break;
    }
    // A reader follows the current row, not the scroll bar it moves.
    const QuietChange quiet(verticalScrollBar());
    verticalScrollBar()->setValue(newTop);
}

QModelIndex ContactListView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int count = rowCount();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    int to = row;
    switch (action) {
    case MoveUp:
    case MovePrevious:
        to = row < 0 ? 0 : row - 1;
        break;
    case MoveDown:
    case MoveNext:
        to = row + 1;
        break;
    case MovePageUp:
        to = row - pageRows();
        break;
    case MovePageDown:
        to = row < 0 ? pageRows() - 1 : row + pageRows();
        break;
    case MoveHome:
        to = 0;
        break;
    case MoveEnd:
        to = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        return current;
    }
    return model()->index(std::clamp(to, 0, count - 1), 0, rootIndex());
}

void ContactListView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags flags)
{
    const int count = rowCount();
    if (count == 0)
        return;
    const QRect r = rect.normalized();
    const int first = std::clamp(topRow() + std::max(0, r.top()) / rowHeight(), 0, count - 1);
    const int last = std::clamp(topRow() + std::max(0, r.bottom()) / rowHeight(), 0, count - 1);
    const QItemSelection selection(model()->index(first, 0, rootIndex()),
                                   model()->index(last, 0, rootIndex()));
    selectionModel()->select(selection, flags);
}

QRegion ContactListView::visualRegionForSelection(const QItemSelection &selection) const
{
    // Only the rows on screen matter to the paint.
    const int top = topRow(), bottom = top + pageRows();
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        const int a = std::max(range.top(), top), b = std::min(range.bottom(), bottom);
        if (a <= b)
            region +=
                QRect(0, (a - top) * rowHeight(), viewport()->width(), (b - a + 1) * rowHeight());
    }
    return region;
}

void ContactListView::setModel(QAbstractItemModel *newModel)
{
    if (model())
        disconnect(model(), nullptr, this, nullptr);
    QAbstractItemView::setModel(newModel);
    if (!newModel)
        return;
    // The scroll range follows the row count at once; it costs nothing.
    connect(newModel, &QAbstractItemModel::rowsInserted, this, [this] { doItemsLayout(); });
    connect(newModel, &QAbstractItemModel::rowsRemoved, this, [this] { doItemsLayout(); });
    connect(newModel, &QAbstractItemModel::rowsMoved, this, [this] { doItemsLayout(); });
    connect(newModel, &QAbstractItemModel::modelReset, this, [this] { doItemsLayout(); });
    connect(newModel, &QAbstractItemModel::layoutChanged, this, [this] { doItemsLayout(); });
}

void ContactListView::doItemsLayout()
{
    // Nothing to lay out: rows are placed by their number.
    updateGeometries();
    viewport()->update();
}

void ContactListView::updateGeometries()
{
    const int page = pageRows();
    verticalScrollBar()->setRange(0, std::max(0, rowCount() - page));
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setSingleStep(1);
    QAbstractItemView::updateGeometries();
}

void ContactListView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void ContactListView::verticalScrollbarValueChanged(int value)
{
    // The base class asks the X server where the pointer is, to follow a
    // hover, on every scroll; a scroll by keys or by a command, the pointer
    // elsewhere, needs no round trip.
    if (viewport()->underMouse())
        QAbstractItemView::verticalScrollbarValueChanged(value);
}

void ContactListView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_rowHeight = 0;
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::PaletteChange)
        ++m_rowPictures; // rows drawn before look otherwise now
    QAbstractItemView::changeEvent(event);
}

void ContactListView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    announceCurrentRow(this, current);
}

void ContactListView::selectionChanged(const QItemSelection &selected,
                                       const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    announceSelection(this, selected, deselected);
}

void ContactListView::focusInEvent(QFocusEvent *event)
{
    QAbstractItemView::focusInEvent(event);
    announceCurrentRow(this, currentIndex());
}

void ContactListView::paintEvent(QPaintEvent *event)
{
    if (!model())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int count = rowCount(), top = topRow(), h = rowHeight();
    const int first = top + std::max(0, event->rect().top()) / h;
    const int last = std::min(count - 1, top + event->rect().bottom() / h);
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus();
    const qreal ratio = devicePixelRatio();
    const QColor base = viewport()->palette().color(viewport()->backgroundRole());
    if (m_shownBefore.size() > kRowsRemembered)
        m_shownBefore.clear();
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        QStyleOptionViewItem o = option;
        o.rect = QRect(0, (row - top) * h, viewport()->width(), h);
        if (selectionModel() && selectionModel()->isSelected(index))
            o.state |= QStyle::State_Selected;
        if (focused && index == current)
            o.state |= QStyle::State_HasFocus;
        if (!isEnabled())
            o.state &= ~QStyle::State_Enabled;
        // A row shown before is kept as a picture: after a command most
        // rows only move, and laying their text out again each time was the
        // largest part of a command's cost. A row shown for the first time
        // (a jump far down the list) is drawn straight away.
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!m_shownBefore.contains(text)) {
            m_shownBefore.insert(text);
            drawRow(&painter, o, index, text);
            continue;
        }
        const QString key = QStringLiteral("vcq-row:%1:%2:%3:%4:%5")
                                .arg(m_rowPictures)
                                .arg(int(o.state))
                                .arg(o.rect.width())
                                .arg(ratio)
                                .arg(text);
        QPixmap picture;
        if (!QPixmapCache::find(key, &picture)) {
            picture = QPixmap(o.rect.size() * ratio);
            picture.setDevicePixelRatio(ratio);
            picture.fill(base);
            QPainter rowPainter(&picture);
            QStyleOptionViewItem at = o;
            at.rect.moveTo(0, 0);
            drawRow(&rowPainter, at, index, text);
            rowPainter.end();
            QPixmapCache::insert(key, picture);
        }
        painter.drawPixmap(o.rect.topLeft(), picture);
    }
}

void ContactListView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index, const QString &text) const
{
    // A plain row's text is drawn as the stock delegate draws it, laid out
    // once; the rest (and any other delegate) is left to the delegate.
    if (itemDelegate()->metaObject() == &QStyledItemDelegate::staticMetaObject) {
        QStyleOptionViewItem plain = option;
        plain.text = text;
        plain.features |= QStyleOptionViewItem::HasDisplay;
        if (paintPlainRow(painter, plain, this))
            return;
    }
    itemDelegate()->paint(painter, option, index);
}

} // namespace vcq
