// SPDX-License-Identifier: GPL-3.0-or-later
#include "quiet_change.h"

#include <QApplication>
#include <QWidget>

namespace vcq
{

namespace
{

QuietChange *current = nullptr;
// What handled the events before the outermost QuietChange took them.
QAccessible::UpdateHandler before = nullptr;

bool isTextOrValueEvent(QAccessible::Event type)
{
    switch (type) {
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
    case QAccessible::ValueChanged:
        return true;
    default:
        return false;
    }
}

} // namespace

QuietChange::QuietChange(QWidget *control)
{
    // Without a reader nothing is sent: nothing to hold back.
    if (control == nullptr || !QAccessible::isActive())
        return;
    m_control = control;
    m_outer = current;
    if (m_outer == nullptr)
        before = QAccessible::installUpdateHandler(&QuietChange::handle);
    current = this;
}

QuietChange::~QuietChange()
{
    if (m_control == nullptr)
        return;
    current = m_outer;
    if (m_outer == nullptr)
        QAccessible::installUpdateHandler(before);
}

bool QuietChange::holdsBack(const QAccessibleEvent *event) const
{
    if (!isTextOrValueEvent(event->type()) || !event->object() || !event->object()->isWidgetType())
        return false;
    const auto *source = static_cast<const QWidget *>(event->object());
    if (source != m_control && !m_control->isAncestorOf(source))
        return false;
    const QWidget *focus = QApplication::focusWidget();
    return focus == nullptr ||
           (focus != source && !focus->isAncestorOf(source) && !source->isAncestorOf(focus));
}

void QuietChange::handle(QAccessibleEvent *event)
{
    for (const QuietChange *quiet = current; quiet != nullptr; quiet = quiet->m_outer)
        if (quiet->holdsBack(event))
            return;
    // Anything else goes on to where it went before: the handler that was
    // there, or (with none) the platform's bridge, reached by asking again
    // without this one. Filling a field changes no table, so a table's own
    // bookkeeping, which Qt does before calling the handler, is never done twice.
    // (Neither does scrolling the list, which has no table interface.)
    QAccessible::installUpdateHandler(before);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&QuietChange::handle);
}

} // namespace vcq
