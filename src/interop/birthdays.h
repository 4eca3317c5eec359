// SPDX-License-Identifier: GPL-3.0-or-later
// Whose birthday comes next, from the stored birth dates: the list of the
// coming days, the age turned when the year is known (expanded with the same
// pivot as the export), and the contacts whose birth date is not a date.
// 29 February falls on 28 February in common years. No window: the command
// line, the calendar feed and the window share it.
#pragma once

#include "store/contact_list.h"

#include <QDate>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vcq::interop
{

// The day a birthday on day/month is kept in the given year.
QDate birthdayIn(int year, int month, int day);

struct UpcomingBirthday {
    std::int64_t recordNumber = 0;
    std::string lastName; // cp1252, as stored
    std::string firstName;
    QDate date;       // the day it is kept
    int daysAway = 0; // 0 today, 1 tomorrow
    int age = 0;      // the age turned; 0 when the year is not known
    friend bool operator==(const UpcomingBirthday &, const UpcomingBirthday &) = default;
};

// The longest span asked for: a whole year, so that every birthday is listed.
inline constexpr int kMaxBirthdaySpan = 366;

// The contact's birthday when it falls from today to `days` days after it.
std::optional<UpcomingBirthday> upcomingBirthday(const ContactNode &contact, QDate today, int days);
// Soonest first, keeping the order given among those on one day.
void sortBirthdays(std::vector<UpcomingBirthday> &birthdays);

// The birthdays from today to `days` days after it (0: today only; clamped
// to 0..kMaxBirthdaySpan), soonest first, the list's order among those on
// one day. Two-digit years are expanded on today's year.
std::vector<UpcomingBirthday> upcomingBirthdays(const ContactList &contacts, QDate today, int days);

struct InvalidBirthDate {
    std::int64_t recordNumber = 0;
    std::string lastName; // cp1252, as stored
    std::string firstName;
    std::string stored; // the stored text, e.g. "31-02-85"
    friend bool operator==(const InvalidBirthDate &, const InvalidBirthDate &) = default;
};

// The contacts whose stored birth date is neither blank nor a date, in the
// list's order.
std::vector<InvalidBirthDate> invalidBirthDates(const ContactList &contacts, int currentYear);

} // namespace vcq::interop
