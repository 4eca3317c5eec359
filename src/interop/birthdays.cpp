// SPDX-License-Identifier: GPL-3.0-or-later
#include "birthdays.h"

#include "birth_date.h"

#include <algorithm>

namespace vcq::interop
{

QDate birthdayIn(int year, int month, int day)
{
    if (month == 2 && day == 29 && !isLeapYear(year))
        day = 28;
    return QDate(year, month, day);
}

std::optional<UpcomingBirthday> upcomingBirthday(const ContactNode &node, QDate today, int days)
{
    days = std::clamp(days, 0, kMaxBirthdaySpan);
    const StoredBirthDate birth = parseStoredBirthDate(node.field(Field::Birth), today.year());
    if (birth.kind != StoredBirthDate::Full && birth.kind != StoredBirthDate::NoYear)
        return std::nullopt;
    QDate next = birthdayIn(today.year(), birth.month, birth.day);
    if (next < today)
        next = birthdayIn(today.year() + 1, birth.month, birth.day);
    const int away = int(today.daysTo(next));
    if (away > days)
        return std::nullopt;
    UpcomingBirthday b;
    b.recordNumber = node.RecordNumber;
    b.lastName = node.field(Field::LastName);
    b.firstName = node.field(Field::FirstName);
    b.date = next;
    b.daysAway = away;
    // A year after the birthday (a date later this year) has no age.
    if (birth.kind == StoredBirthDate::Full && next.year() > birth.year)
        b.age = next.year() - birth.year;
    return b;
}

void sortBirthdays(std::vector<UpcomingBirthday> &birthdays)
{
    std::stable_sort(birthdays.begin(), birthdays.end(),
                     [](const auto &a, const auto &b) { return a.daysAway < b.daysAway; });
}

std::vector<UpcomingBirthday> upcomingBirthdays(const ContactList &contacts, QDate today, int days)
{
    std::vector<UpcomingBirthday> out;
    for (const ContactNode &node : contacts)
        if (auto b = upcomingBirthday(node, today, days))
            out.push_back(std::move(*b));
    sortBirthdays(out);
    return out;
}

std::vector<InvalidBirthDate> invalidBirthDates(const ContactList &contacts, int currentYear)
{
    std::vector<InvalidBirthDate> out;
    for (const ContactNode &node : contacts) {
        std::string stored = node.field(Field::Birth);
        if (parseStoredBirthDate(stored, currentYear).kind != StoredBirthDate::Invalid)
            continue;
        out.push_back({node.RecordNumber, node.field(Field::LastName), node.field(Field::FirstName),
                       std::move(stored)});
    }
    return out;
}

} // namespace vcq::interop
