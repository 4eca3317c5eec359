// SPDX-License-Identifier: GPL-3.0-or-later
// The quiet reminder at start-up: when a birthday is today or tomorrow, a
// desktop notification through the freedesktop notification service on the
// session bus, never a modal box; nothing when no service answers. The birth
// dates are looked at a slice of contacts at a time on the event loop (a
// large file's are read from the disk), so the window paints and answers
// meanwhile, and the service is asked without waiting.
#pragma once

#include "core/language.h"
#include "interop/birthdays.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <vector>

namespace vcq
{

struct ReminderText {
    QString summary; // "Birthdays" / "Anniversaires"
    QString body;    // one line per birthday, plain text
    friend bool operator==(const ReminderText &, const ReminderText &) = default;
};

// "Today: Zoé Dupont, turns 41" / "Aujourd'hui : Zoé Dupont, 41 ans", a line each.
ReminderText reminderText(const std::vector<interop::UpcomingBirthday> &birthdays,
                          Language language);

// Asks the service for its capabilities, then sends the notification, with
// the names escaped only for a service that reads markup.
void notifyBirthdays(const ReminderText &text, QDBusConnection bus);

class BirthdayReminder : public QObject
{
    Q_OBJECT
public:
    // Starts on the event loop; the list must outlive the reminder (a parent
    // that owns the list). Contacts removed meanwhile are passed over.
    BirthdayReminder(const ContactList &contacts, QDate today, Language language,
                     QDBusConnection bus, QObject *parent);

signals:
    // The look is over: told is whether the service was asked. The reminder
    // then deletes itself.
    void done(bool told);

private:
    void nextSlice();

    const ContactList &m_contacts;
    QDate m_today;
    Language m_language;
    QDBusConnection m_bus;
    std::vector<std::int64_t> m_records;
    std::size_t m_next = 0;
    std::vector<interop::UpcomingBirthday> m_due;
};

} // namespace vcq
