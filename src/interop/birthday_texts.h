// SPDX-License-Identifier: GPL-3.0-or-later
// The words of the birthday list and the calendar feed in the user's
// language, for both front ends: the window's list and the command line.
#pragma once

#include "birthdays.h"

#include <QString>

namespace vcq::interop
{

// "Tuesday 8 December" / "mardi 8 décembre".
QString birthdayDateText(QDate date, bool french);
// "today", "tomorrow", "in 5 days" / "aujourd'hui", "demain", "dans 5 jours".
QString birthdayWhenText(int daysAway, bool french);
// "turns 41" / "41 ans"; empty when the age is not known (0).
QString birthdayAgeText(int age, bool french);
// "First Last" from the stored (cp1252) names, either of them may be empty.
QString birthdayName(const std::string &firstName, const std::string &lastName);
// "Birthday: First Last" / "Anniversaire : Prénom Nom".
QString birthdaySummary(const QString &name, bool french);

} // namespace vcq::interop
