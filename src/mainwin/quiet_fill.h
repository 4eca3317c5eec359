// SPDX-License-Identifier: GPL-3.0-or-later
// A field the program fills while the user is elsewhere is not announced
// to a screen reader: filling the form with another contact would otherwise
// send three events a field (the old text gone, the new one come, the caret
// moved), which a reader does not speak for a field the user is not in,
// each a message on the accessibility bus. The reader reads the field's
// text when the user gets there; a field with the focus is heard as always.
#pragma once

#include <QAccessible>

class QWidget;

namespace vcq
{

// For as long as it lives, the text events of `field` (and of what it holds,
// such as an editable combo box's line) are held back unless it has the focus.
class QuietFill
{
public:
    explicit QuietFill(QWidget *field);
    ~QuietFill();
    QuietFill(const QuietFill &) = delete;
    QuietFill &operator=(const QuietFill &) = delete;

private:
    static void handle(QAccessibleEvent *event);
    bool holdsBack(const QAccessibleEvent *event) const;

    QWidget *m_field = nullptr;
    QuietFill *m_outer = nullptr;
    QAccessible::UpdateHandler m_previous = nullptr;
};

} // namespace vcq
