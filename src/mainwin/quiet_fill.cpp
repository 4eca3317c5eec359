// SPDX-License-Identifier: GPL-3.0-or-later
#include "quiet_fill.h"

#include <QApplication>
#include <QWidget>

namespace vcq
{

namespace
{

QuietFill *current = nullptr;

bool isTextEvent(QAccessible::Event type)
{
    switch (type) {
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
        return true;
    default:
        return false;
    }
}

} // namespace

QuietFill::QuietFill(QWidget *field)
{
    // Without a reader nothing is sent: nothing to hold back.
    if (field == nullptr || !QAccessible::isActive())
        return;
    m_field = field;
    m_outer = current;
    current = this;
    m_previous = QAccessible::installUpdateHandler(&QuietFill::handle);
}

QuietFill::~QuietFill()
{
    if (m_field == nullptr)
        return;
    QAccessible::installUpdateHandler(m_previous);
    current = m_outer;
}

bool QuietFill::holdsBack(const QAccessibleEvent *event) const
{
    if (!isTextEvent(event->type()) || !event->object() || !event->object()->isWidgetType())
        return false;
    const auto *source = static_cast<const QWidget *>(event->object());
    if (source != m_field && !m_field->isAncestorOf(source))
        return false;
    const QWidget *focus = QApplication::focusWidget();
    return focus == nullptr ||
           (focus != source && !focus->isAncestorOf(source) && !source->isAncestorOf(focus));
}

void QuietFill::handle(QAccessibleEvent *event)
{
    for (const QuietFill *quiet = current; quiet != nullptr; quiet = quiet->m_outer)
        if (quiet->holdsBack(event))
            return;
    // Anything else goes on to where it went before: the handler that was
    // there, or (with none) the platform's bridge, reached by asking again
    // without this one. Filling a field changes no table, so a table's own
    // bookkeeping, which Qt does before calling the handler, is never done twice.
    QuietFill *const outermost = [] {
        QuietFill *q = current;
        while (q->m_outer != nullptr)
            q = q->m_outer;
        return q;
    }();
    QAccessible::installUpdateHandler(outermost->m_previous);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&QuietFill::handle);
}

} // namespace vcq
