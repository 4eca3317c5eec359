// SPDX-License-Identifier: GPL-3.0-or-later
// The "Birthdays..." window: whose birthday comes in the next days (30 at
// first, a spin box changes the span), soonest first, with the date in the
// window's language, the name, the age turned when the year is known and
// "today"/"tomorrow" spelled out. Choosing a row (double-click or Enter)
// asks the main window to show that contact. Not modal.
#pragma once

#include "core/language.h"
#include "interop/birthdays.h"

#include <QDialog>

#include <functional>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QSpinBox;
class QTreeWidget;

namespace vcq
{

class BirthdaysWindow : public QDialog
{
    Q_OBJECT
public:
    // The birthdays of the next `days` days, as of now.
    using Source = std::function<std::vector<interop::UpcomingBirthday>(int days)>;

    BirthdaysWindow(Source source, Language language, QWidget *parent = nullptr);

    // Lists the birthdays again (the contacts or the day may have changed).
    void refresh();
    void ChooseLanguage(vcq::Language language);

    QLabel *lblSpan;
    QSpinBox *spnDays;
    QTreeWidget *lstBirthdays;
    QLabel *lblSummary;
    QDialogButtonBox *buttons;

signals:
    // The user chose a contact to see.
    void contactChosen(qint64 recordNumber);

private:
    Source m_source;
    Language m_language;
};

} // namespace vcq
