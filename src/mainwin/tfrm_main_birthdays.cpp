// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of birthdays: the "Birthdays..." window of the list's
// menu, the contact chosen there shown in the form, and the start-up reminder.
#include "tfrm_main.h"

#include "birthday_reminder.h"
#include "birthdays_window.h"
#include "settings/tfrm_options.h"

#include <QListView>

namespace vcq
{

void TfrmMain::BirthdaysClick()
{
    if (!m_state.FileOpen)
        return;
    auto *window = findChild<BirthdaysWindow *>(QStringLiteral("frmBirthdays"));
    if (!window) {
        window = new BirthdaysWindow(
            [this](int days) {
                return interop::upcomingBirthdays(m_store.list(), QDate::currentDate(), days);
            },
            language(), this);
        window->setWindowFlag(Qt::Window);
        connect(window, &BirthdaysWindow::contactChosen, this,
                [this](qint64 record) { guarded([&] { showContact(record); }); });
        if (m_optionsDialog)
            connect(m_optionsDialog, &TfrmOptions::languageChanged, window,
                    &BirthdaysWindow::ChooseLanguage);
    } else {
        // The contacts or the day may have changed since it was last open.
        window->refresh();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void TfrmMain::showContact(std::int64_t recordNumber)
{
    const int row = m_listModel->rowOfRecord(recordNumber);
    if (row < 0)
        return; // deleted meanwhile
    // As a click on its list entry: the list shows it and the form holds it.
    SetPosListe(row);
    FillTextBox();
    raise();
    activateWindow();
}

bool TfrmMain::remindOfBirthdays()
{
    if (!m_state.FileOpen || !m_state.ProgramSettings.BirthdayReminder)
        return false;
    new BirthdayReminder(m_store.list(), QDate::currentDate(), language(),
                         QDBusConnection::sessionBus(), this);
    return true;
}

} // namespace vcq
