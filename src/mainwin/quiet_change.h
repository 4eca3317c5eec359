// SPDX-License-Identifier: GPL-3.0-or-later
// A control the program changes while the user is elsewhere is not announced
// to a screen reader: filling the form with another contact would otherwise
// send three events a field (the old text gone, the new one come, the caret
// moved), and scrolling the list to it one for its scroll bar, none of which
// a reader speaks for a control the user is not in, each a message on the
// accessibility bus. The reader reads a field's text when the user gets
// there; a control with the focus is heard as always.
#pragma once

#include <QAccessible>

class QWidget;

namespace vcq
{

// For as long as it lives, the text and value events of `control` (and of
// what it holds, such as an editable combo box's line) are held back unless
// it has the focus.
class QuietChange
{
public:
    explicit QuietChange(QWidget *control);
    ~QuietChange();
    QuietChange(const QuietChange &) = delete;
    QuietChange &operator=(const QuietChange &) = delete;

private:
    static void handle(QAccessibleEvent *event);
    bool holdsBack(const QAccessibleEvent *event) const;

    QWidget *m_control = nullptr;
    QuietChange *m_outer = nullptr;
};

} // namespace vcq
