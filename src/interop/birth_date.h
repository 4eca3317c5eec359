// SPDX-License-Identifier: GPL-3.0-or-later
// The stored birth date is the masked text "dd-mm-yy" (two-digit year), blank
// as "  -  -  " and without a year as "dd-mm-  ". Cards carry full dates, so
// export expands the year with a pivot: a two-digit year up to the current
// year's two digits is 20yy, any larger one 19yy.
#pragma once

#include "vcard.h"

#include <optional>
#include <string>
#include <string_view>

namespace vcq::interop
{

inline constexpr std::string_view kBlankBirthDate = "  -  -  ";

// "dd-mm-yy" or "dd-mm-  " from a card's BDAY: YYYY-MM-DD, YYYYMMDD, either
// with a time after 'T', --MMDD and --MM-DD. nullopt when it is no valid date.
std::optional<std::string> birthDateFromVCard(std::string_view value);

// The stored text for a day, month and year (year < 0 for no year); nullopt
// for an impossible date.
std::optional<std::string> storedBirthDate(int day, int month, int year);

// The full year for a stored two-digit year.
int expandYear(int twoDigitYear, int currentYear);
// This machine's current year.
int currentYear();

bool isLeapYear(int year);

// A stored birth date taken apart; the one reading of the stored text that
// the export, the calendar feed and the birthday list share.
struct StoredBirthDate {
    enum Kind {
        Blank,   // nothing stored
        Full,    // day, month and the year expanded with the pivot
        NoYear,  // "dd-mm-  ": year is -1; 29 February is possible
        Invalid, // partial ("05-  -85") or impossible ("31-02-85", "99-99-99")
    };
    Kind kind = Blank;
    int day = 0;
    int month = 0;
    int year = -1;
    friend bool operator==(const StoredBirthDate &, const StoredBirthDate &) = default;
};

StoredBirthDate parseStoredBirthDate(std::string_view stored, int currentYear);

enum class BirthDateExport {
    Blank,   // nothing stored: no BDAY, nothing to report
    Full,    // value holds the date
    NoYear,  // value holds --MMDD
    Invalid, // partial or impossible: no BDAY, reported
};

struct ExportedBirthDate {
    BirthDateExport status = BirthDateExport::Blank;
    std::string value; // YYYY-MM-DD (3.0), YYYYMMDD (4.0) or --MMDD
    friend bool operator==(const ExportedBirthDate &, const ExportedBirthDate &) = default;
};

ExportedBirthDate birthDateToVCard(std::string_view stored, VCardVersion version, int currentYear);

} // namespace vcq::interop
