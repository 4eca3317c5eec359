// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyboard_context_menu.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>

namespace vcq
{

namespace
{

class ContextMenuKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto *k = static_cast<QKeyEvent *>(event);
        if (!isContextMenuKey(k->key(), k->modifiers()))
            return false;
        // Only the widget the key was meant for answers, once.
        QWidget *focus = QApplication::focusWidget();
        if (watched != focus)
            return false;
        return requestContextMenu(focus);
    }
};

} // namespace

bool isContextMenuKey(int key, int modifiers)
{
    const int mods =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return (key == Qt::Key_Menu && mods == 0) || (key == Qt::Key_F10 && mods == Qt::ShiftModifier);
}

bool requestContextMenu(QWidget *focus)
{
    if (focus == nullptr)
        return false;
    // A scroll area's menu belongs to its viewport, in the viewport's places.
    QWidget *target = focus;
    QPoint at = focus->rect().center();
    if (auto *view = qobject_cast<QAbstractItemView *>(focus)) {
        target = view->viewport();
        const QRect item = view->visualRect(view->currentIndex());
        at = item.isValid() ? item.center() : QPoint(target->width() / 2, 0);
    } else if (auto *area = qobject_cast<QAbstractScrollArea *>(focus)) {
        target = area->viewport();
        const QRect cursor = focus->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        at = cursor.isValid() ? cursor.center() : target->rect().center();
    } else {
        const QRect cursor = focus->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        if (cursor.isValid())
            at = cursor.center();
    }
    QContextMenuEvent request(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &request);
    return true;
}

void installKeyboardContextMenu()
{
    static ContextMenuKeys *keys = nullptr;
    if (keys == nullptr && qApp != nullptr) {
        keys = new ContextMenuKeys(qApp);
        qApp->installEventFilter(keys);
    }
}

} // namespace vcq
