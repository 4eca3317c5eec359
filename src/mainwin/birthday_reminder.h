// SPDX-License-Identifier: GPL-3.0-or-later
// The quiet reminder at start-up: when a birthday is today or tomorrow, a
// desktop notification through the freedesktop notification service on the
// session bus, never a modal box. Nothing when no service answers, and
// nothing at all when the Options setting turns it off. Asked without
// waiting: a slow or missing service never holds the window up.
#pragma once

#include "core/language.h"
#include "interop/birthdays.h"

#include <QDBusConnection>
#include <QString>

#include <vector>

namespace vcq
{

struct ReminderText {
    QString summary; // "Birthdays" / "Anniversaires"
    QString body;    // one line per birthday, plain text
    friend bool operator==(const ReminderText &, const ReminderText &) = default;
};

// The birthdays of today and tomorrow; empty when there are none.
std::vector<interop::UpcomingBirthday> birthdaysToRemind(const ContactList &contacts, QDate today);

// "Today: Zoé Dupont, turns 41" / "Aujourd'hui : Zoé Dupont, 41 ans", a line each.
ReminderText reminderText(const std::vector<interop::UpcomingBirthday> &birthdays,
                          Language language);

// Sends the notification when there is something to say; answers whether it
// was asked for. The service's capabilities are asked first, so that names
// are escaped only for a service that reads markup.
bool remindOfBirthdays(const ContactList &contacts, QDate today, Language language,
                       QDBusConnection bus = QDBusConnection::sessionBus());

} // namespace vcq
