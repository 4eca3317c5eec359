// SPDX-License-Identifier: GPL-3.0-or-later
// The explorer-style button as a screen reader reads it: a push button named
// by its caption without the accelerator marker, pressed by its action or by
// Alt and the marked letter.
#pragma once

#include <QAccessibleWidget>

namespace vcq
{

class TExplorerButton;

class ExplorerButtonAccessible : public QAccessibleWidget
{
public:
    explicit ExplorerButtonAccessible(TExplorerButton *button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    TExplorerButton *button() const;
};

// Makes the button's interface when a screen reader asks for one.
void installExplorerButtonAccessibility();

} // namespace vcq
