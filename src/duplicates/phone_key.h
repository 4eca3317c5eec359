// SPDX-License-Identifier: GPL-3.0-or-later
// A phone number as the duplicate finder compares it: its digits, with the
// country code apart when the number is written in international form
// ("+33 1 23 45 67 89", "0033 1 23 45 67 89") and one leading trunk zero
// dropped, so that "01 23 45 67 89", "+33 1 23 45 67 89" and
// "+33 (0)1 23 45 67 89" all give the national number "123456789".
#pragma once

#include <string>
#include <string_view>

namespace vcq::duplicates
{

struct PhoneKey {
    std::string national;    // digits after the country code and trunk zero
    std::string countryCode; // empty: written without one
    friend bool operator==(const PhoneKey &, const PhoneKey &) = default;
};

// Numbers with fewer national digits than this (extensions, "112") are not
// compared: too many people share them.
inline constexpr std::size_t kMinPhoneDigits = 6;

// The key, or an empty national number when the text has too few digits.
PhoneKey phoneKey(std::string_view text);
// The same without a copy: the parts point into digits, a buffer with room
// for the text's digits.
struct PhoneParts {
    std::string_view national, countryCode;
};
PhoneParts phoneParts(std::string_view text, char *digits);

// The same number: the same national digits, and the same country code
// where both sides have one.
bool samePhone(const PhoneKey &a, const PhoneKey &b);

// The length of the country code that starts the digits of an international
// number (the codes form a prefix code), or 0 when none can start so.
std::size_t countryCodeLength(std::string_view digits);

} // namespace vcq::duplicates
