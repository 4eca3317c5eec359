// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_list_accessible.h"

#include "contact_list_view.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QPointer>

namespace vcq
{

namespace
{

// Rows a reader has asked for are kept; past this many, all but those the
// user is on are let go (a reader asks again for what it still needs).
constexpr std::size_t kMaxMadeRows = 1024;
// Larger inserts are announced as one change of the whole list.
constexpr int kMaxAnnouncedRows = 16;

} // namespace

// One row: its contact's place follows the model, so that the object keeps
// speaking of the same contact when others come and go around it.
class ContactRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    ContactRowAccessible(ContactListView *view, const QModelIndex &index)
        : m_view(view), m_index(index)
    {
    }

    bool isValid() const override { return m_view && m_index.isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return m_view ? QAccessible::queryAccessibleInterface(m_view) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    int row() const { return m_index.row(); }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name)
            return m_index.data(Qt::DisplayRole).toString();
        if (t == QAccessible::Description)
            return m_index.data(Qt::AccessibleDescriptionRole).toString();
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = m_view->visualRect(m_index);
        if (!r.intersects(m_view->viewport()->rect()))
            return {};
        return QRect(m_view->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        const QItemSelectionModel *selection = m_view->selectionModel();
        s.selected = selection != nullptr && selection->isSelected(m_index);
        s.focused = m_view->hasFocus() && m_view->currentIndex() == m_index;
        s.disabled = !m_view->isEnabled();
        if (rect().isEmpty() || !m_view->isVisible()) {
            s.invisible = true;
            s.offscreen = true;
        }
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    // Choosing a row is what a click does: it becomes the contact the form shows.
    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    void doAction(const QString &action) override
    {
        if (!isValid() || !m_view->isEnabled())
            return;
        if (action == pressAction() || action == setFocusAction()) {
            m_view->setFocus(Qt::OtherFocusReason);
            m_view->setCurrentIndex(m_index);
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<ContactListView> m_view;
    QPersistentModelIndex m_index;
};

ContactListAccessible::ContactListAccessible(ContactListView *view)
    : QAccessibleWidget(view, QAccessible::List)
{
    watchModel();
}

ContactListAccessible::~ContactListAccessible()
{
    for (const auto &c : m_connections)
        QObject::disconnect(c);
    for (const auto &[row, id] : m_rows)
        QAccessible::deleteAccessibleInterface(id);
}

ContactListView *ContactListAccessible::view() const
{
    return static_cast<ContactListView *>(widget());
}

void ContactListAccessible::watchModel()
{
    for (const auto &c : m_connections)
        QObject::disconnect(c);
    m_connections.clear();
    const QAbstractItemModel *model = view()->model();
    m_model = model;
    if (model == nullptr)
        return;
    using M = QAbstractItemModel;
    // Connected to the view: it outlives this interface only by its own death.
    QObject *context = view();
    m_connections = {
        QObject::connect(model, &M::rowsInserted, context,
                         [this](const QModelIndex &, int f, int l) { rowsInserted(f, l); }),
        QObject::connect(model, &M::rowsAboutToBeRemoved, context,
                         [this](const QModelIndex &, int f, int l) { rowsAboutToBeRemoved(f, l); }),
        QObject::connect(model, &M::rowsRemoved, context, [this] { rekey(); }),
        QObject::connect(model, &M::rowsMoved, context, [this] { rekey(); }),
        QObject::connect(model, &M::modelReset, context, [this] { forgetAll(); }),
        QObject::connect(model, &M::layoutChanged, context, [this] { rekey(); }),
        QObject::connect(model, &M::dataChanged, context,
                         [this](const QModelIndex &from, const QModelIndex &to) {
                             for (auto it = m_rows.lower_bound(from.row());
                                  it != m_rows.end() && it->first <= to.row(); ++it) {
                                 QAccessibleEvent renamed(
                                     QAccessible::accessibleInterface(it->second),
                                     QAccessible::NameChanged);
                                 QAccessible::updateAccessibility(&renamed);
                             }
                         }),
    };
}

void ContactListAccessible::rekey()
{
    std::map<int, QAccessible::Id> rows;
    for (const auto &[row, id] : m_rows) {
        auto *iface = static_cast<ContactRowAccessible *>(QAccessible::accessibleInterface(id));
        if (iface != nullptr && iface->isValid())
            rows.emplace(iface->row(), id);
        else
            QAccessible::deleteAccessibleInterface(id);
    }
    m_rows = std::move(rows);
}

void ContactListAccessible::forgetAll()
{
    for (const auto &[row, id] : m_rows)
        QAccessible::deleteAccessibleInterface(id);
    m_rows.clear();
    if (QAccessible::isActive()) {
        QAccessibleEvent reordered(view(), QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    }
}

void ContactListAccessible::rowsInserted(int first, int last)
{
    rekey();
    if (!QAccessible::isActive())
        return;
    if (last - first >= kMaxAnnouncedRows) {
        QAccessibleEvent reordered(view(), QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
        return;
    }
    for (int row = first; row <= last; ++row) {
        QAccessibleEvent created(child(row), QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&created);
    }
}

void ContactListAccessible::rowsAboutToBeRemoved(int first, int last)
{
    // Said while the rows are still there to be pointed at.
    if (!QAccessible::isActive())
        return;
    for (auto it = m_rows.lower_bound(first); it != m_rows.end() && it->first <= last; ++it) {
        QAccessibleEvent gone(QAccessible::accessibleInterface(it->second),
                              QAccessible::ObjectDestroyed);
        QAccessible::updateAccessibility(&gone);
    }
}

int ContactListAccessible::childCount() const
{
    const QAbstractItemModel *model = view()->model();
    return model ? model->rowCount(view()->rootIndex()) : 0;
}

QAccessibleInterface *ContactListAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (m_model != view()->model()) {
        auto *self = const_cast<ContactListAccessible *>(this);
        self->forgetAll();
        self->watchModel();
    }
    if (const auto it = m_rows.find(index); it != m_rows.end())
        return QAccessible::accessibleInterface(it->second);
    if (m_rows.size() >= kMaxMadeRows) {
        for (const auto &[row, id] : m_rows)
            QAccessible::deleteAccessibleInterface(id);
        m_rows.clear();
    }
    auto *row =
        new ContactRowAccessible(view(), view()->model()->index(index, 0, view()->rootIndex()));
    m_rows.emplace(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

int ContactListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *row = dynamic_cast<const ContactRowAccessible *>(child);
    if (row == nullptr || !row->isValid() || row->parent() != this)
        return -1;
    return row->row();
}

QAccessibleInterface *ContactListAccessible::childAt(int x, int y) const
{
    const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(at);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface *ContactListAccessible::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    if (!view()->hasFocus() || !current.isValid())
        return nullptr;
    return child(current.row());
}

QAccessible::State ContactListAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.selectable = false;
    s.multiSelectable = view()->selectionMode() > QAbstractItemView::SingleSelection;
    return s;
}

void announceCurrentRow(ContactListView *view, const QModelIndex &current)
{
    if (!QAccessible::isActive() || !current.isValid() || !view->hasFocus())
        return;
    QAccessibleEvent focus(view, QAccessible::Focus);
    focus.setChild(current.row());
    QAccessible::updateAccessibility(&focus);
}

void announceSelection(ContactListView *view, const QItemSelection &selected,
                       const QItemSelection &deselected)
{
    if (!QAccessible::isActive())
        return;
    // One event per row, for the few rows a user changes at once.
    const auto announce = [view](const QItemSelection &rows, QAccessible::Event kind) {
        int left = kMaxAnnouncedRows;
        for (const QItemSelectionRange &range : rows)
            for (int row = range.top(); row <= range.bottom() && left > 0; ++row, --left) {
                QAccessibleEvent event(view, kind);
                event.setChild(row);
                QAccessible::updateAccessibility(&event);
            }
    };
    announce(deselected, QAccessible::SelectionRemove);
    announce(selected, QAccessible::SelectionAdd);
}

namespace
{

QAccessibleInterface *contactListFactory(const QString &key, QObject *object)
{
    if (key == QLatin1String(ContactListView::staticMetaObject.className()))
        if (auto *view = qobject_cast<ContactListView *>(object))
            return new ContactListAccessible(view);
    return nullptr;
}

} // namespace

void installContactListAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(contactListFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace vcq
