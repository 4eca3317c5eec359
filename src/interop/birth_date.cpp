// SPDX-License-Identifier: GPL-3.0-or-later
#include "birth_date.h"

#include <ctime>

namespace vcq::interop
{

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

namespace
{

// Without a year, 29 February is a possible birthday.
bool validDay(int day, int month, int year)
{
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    if (month == 2 && day == 29 && year >= 0)
        return isLeapYear(year);
    return day <= kDays[month - 1];
}

// Digits at s[pos, pos+count) as a number, or -1.
int number(std::string_view s, std::size_t pos, std::size_t count)
{
    if (pos + count > s.size())
        return -1;
    int n = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return -1;
        n = n * 10 + (s[i] - '0');
    }
    return n;
}

char digit(int n)
{
    return static_cast<char>('0' + n);
}

void twoDigits(std::string &out, int n)
{
    out += digit(n / 10 % 10);
    out += digit(n % 10);
}

} // namespace

std::optional<std::string> storedBirthDate(int day, int month, int year)
{
    if (!validDay(day, month, year))
        return std::nullopt;
    std::string out;
    twoDigits(out, day);
    out += '-';
    twoDigits(out, month);
    out += '-';
    if (year < 0)
        out += "  ";
    else
        twoDigits(out, year % 100);
    return out;
}

std::optional<std::string> birthDateFromVCard(std::string_view value)
{
    // A time or zone after the date says nothing about the day.
    if (const auto t = value.find('T'); t != std::string_view::npos)
        value = value.substr(0, t);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);

    if (value.size() >= 2 && value.substr(0, 2) == "--") {
        std::string_view md = value.substr(2);
        if (md.size() == 4)
            return storedBirthDate(number(md, 2, 2), number(md, 0, 2), -1);
        if (md.size() == 5 && md[2] == '-')
            return storedBirthDate(number(md, 3, 2), number(md, 0, 2), -1);
        return std::nullopt;
    }
    if (value.size() == 8) {
        const int y = number(value, 0, 4);
        if (y < 0)
            return std::nullopt;
        return storedBirthDate(number(value, 6, 2), number(value, 4, 2), y);
    }
    if (value.size() == 10 && value[4] == '-' && value[7] == '-') {
        const int y = number(value, 0, 4);
        if (y < 0)
            return std::nullopt;
        return storedBirthDate(number(value, 8, 2), number(value, 5, 2), y);
    }
    return std::nullopt;
}

int expandYear(int twoDigitYear, int currentYear)
{
    const int century = currentYear / 100 * 100;
    return twoDigitYear <= currentYear % 100 ? century + twoDigitYear
                                             : century - 100 + twoDigitYear;
}

int currentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts.tm_year + 1900;
}

StoredBirthDate parseStoredBirthDate(std::string_view stored, int year)
{
    StoredBirthDate out;
    if (stored.find_first_not_of(" -") == std::string_view::npos)
        return out; // Blank
    out.kind = StoredBirthDate::Invalid;
    if (stored.size() != 8 || stored[2] != '-' || stored[5] != '-')
        return out;
    const int day = number(stored, 0, 2);
    const int month = number(stored, 3, 2);
    if (day < 0 || month < 0)
        return out;
    if (stored.substr(6, 2) == "  ") {
        if (!validDay(day, month, -1))
            return out;
        out = {StoredBirthDate::NoYear, day, month, -1};
        return out;
    }
    const int yy = number(stored, 6, 2);
    if (yy < 0)
        return out;
    const int full = expandYear(yy, year);
    if (!validDay(day, month, full))
        return out;
    out = {StoredBirthDate::Full, day, month, full};
    return out;
}

ExportedBirthDate birthDateToVCard(std::string_view stored, VCardVersion version, int year)
{
    ExportedBirthDate out;
    const StoredBirthDate date = parseStoredBirthDate(stored, year);
    switch (date.kind) {
    case StoredBirthDate::Blank:
        out.status = BirthDateExport::Blank;
        return out;
    case StoredBirthDate::Invalid:
        out.status = BirthDateExport::Invalid;
        return out;
    case StoredBirthDate::NoYear:
        out.status = BirthDateExport::NoYear;
        out.value = "--";
        break;
    case StoredBirthDate::Full:
        out.status = BirthDateExport::Full;
        out.value = std::to_string(date.year);
        if (version != VCardVersion::V40)
            out.value += '-';
        break;
    }
    twoDigits(out.value, date.month);
    if (date.kind == StoredBirthDate::Full && version != VCardVersion::V40)
        out.value += '-';
    twoDigits(out.value, date.day);
    return out;
}

} // namespace vcq::interop
