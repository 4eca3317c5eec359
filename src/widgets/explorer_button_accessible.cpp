// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer_button_accessible.h"

#include "explorer_button.h"
#include "explorer_caption.h"

#include <QKeySequence>

namespace vcq
{

ExplorerButtonAccessible::ExplorerButtonAccessible(TExplorerButton *button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

TExplorerButton *ExplorerButtonAccessible::button() const
{
    return static_cast<TExplorerButton *>(widget());
}

QString ExplorerButtonAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && button()->accessibleName().isEmpty())
        return removeAcceleratorMarkers(button()->Caption());
    if (t == QAccessible::Accelerator)
        return QKeySequence::mnemonic(button()->Caption()).toString(QKeySequence::NativeText);
    return QAccessibleWidget::text(t);
}

QAccessible::State ExplorerButtonAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = button()->Down();
    s.hasPopup = button()->DropDownMenu() != nullptr;
    return s;
}

QStringList ExplorerButtonAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (button()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void ExplorerButtonAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction()) {
        if (button()->isEnabled())
            button()->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList ExplorerButtonAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == pressAction()) {
        const QString key = text(QAccessible::Accelerator);
        return key.isEmpty() ? QStringList() : QStringList{key};
    }
    return QAccessibleWidget::keyBindingsForAction(actionName);
}

namespace
{

QAccessibleInterface *explorerButtonFactory(const QString &key, QObject *object)
{
    if (key == QLatin1String(TExplorerButton::staticMetaObject.className()))
        if (auto *button = qobject_cast<TExplorerButton *>(object))
            return new ExplorerButtonAccessible(button);
    return nullptr;
}

} // namespace

void installExplorerButtonAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(explorerButtonFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace vcq
