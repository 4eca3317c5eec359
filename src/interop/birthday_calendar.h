// SPDX-License-Identifier: GPL-3.0-or-later
// The birthdays as an iCalendar feed (RFC 5545) any calendar can subscribe
// to: one all-day yearly event per contact whose birth date is a date, UTF-8,
// CRLF line ends, lines folded at 75 octets like the cards. A birthday on
// 29 February recurs on the last day of February, so it is kept on
// 28 February in common years; a date without a year starts in
// kYearlessBirthYear, a leap year, and its description says so.
#pragma once

#include "contact_uid.h"
#include "store/contact_list.h"

#include <QDateTime>

#include <cstddef>
#include <string>

namespace vcq::interop
{

inline constexpr int kYearlessBirthYear = 2000;

struct BirthdayCalendar {
    std::string bytes;
    std::size_t events = 0;
    std::size_t invalid = 0; // birth dates left out because they are no date
};

// The event's UID for a contact's UID: stable as long as the contact's is.
std::string birthdayEventUid(const std::string &contactUid);

// stamp: the DTSTAMP of every event (the time of the export); currentYear:
// the pivot's year for two-digit years.
BirthdayCalendar birthdayCalendar(const ContactList &contacts, const ContactUids &uids, bool french,
                                  int currentYear, const QDateTime &stamp);

} // namespace vcq::interop
