// SPDX-License-Identifier: GPL-3.0-or-later
// Quick dial from the main window: keeps each of the four quick-dial buttons enabled exactly
// while its telephone field holds text, and on a click brings up the quick dialer with that
// field's number. The main window constructs one; the buttons' tool tips are its texts.
#pragma once

#include "core/language.h"

#include <QIcon>
#include <QObject>

#include <array>

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace vcq
{

class QuickDial : public QObject
{
    Q_OBJECT

public:
    // phones: txtPhone1, txtPhone2, txtPhone3, txtCell; buttons: cmdDial1 .. cmdDial4, in the
    // same order. The buttons get the dial glyph, take no focus and start disabled.
    QuickDial(QWidget *mainWindow, const std::array<QLineEdit *, 4> &phones,
              const std::array<QAbstractButton *, 4> &buttons, Language language);

    // The language of the dialers it opens from now on, and of the open one.
    void setLanguage(Language language);

    void txtPhone1Change() { phoneChanged(0); }
    void txtPhone2Change() { phoneChanged(1); }
    void txtPhone3Change() { phoneChanged(2); }
    void txtCellChange() { phoneChanged(3); }
    void cmdDial1Click() { dial(0); }
    void cmdDial2Click() { dial(1); }
    void cmdDial3Click() { dial(2); }
    void cmdDial4Click() { dial(3); }

private:
    void phoneChanged(int index);
    void dial(int index);

    QWidget *m_mainWindow;
    std::array<QLineEdit *, 4> m_phones;
    std::array<QAbstractButton *, 4> m_buttons;
    Language m_language;
};

// The quick-dial button glyph: its own picture for the enabled and the disabled button.
QIcon quickDialIcon();

} // namespace vcq
