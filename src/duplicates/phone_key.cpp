// SPDX-License-Identifier: GPL-3.0-or-later
#include "phone_key.h"

#include "search/text_fold.h"

namespace vcq::duplicates
{

std::size_t countryCodeLength(std::string_view d)
{
    if (d.size() < 2 || d[0] == '0')
        return d.empty() || d[0] == '0' ? 0 : 1;
    const int first = d[0] - '0';
    const int second = d[1] - '0';
    const auto two = [second](std::initializer_list<int> codes) {
        for (const int c : codes)
            if (c == second)
                return true;
        return false;
    };
    bool twoDigits = false;
    switch (first) {
    case 1: // North America
    case 7: // Russia, Kazakhstan
        return 1;
    case 2:
        twoDigits = two({0, 7});
        break;
    case 3:
        twoDigits = two({0, 1, 2, 3, 4, 6, 9});
        break;
    case 4:
        twoDigits = second != 2;
        break;
    case 5:
        twoDigits = second != 0 && second != 9;
        break;
    case 6:
        twoDigits = second <= 6;
        break;
    case 8:
        twoDigits = two({1, 2, 4, 6});
        break;
    case 9:
        twoDigits = two({0, 1, 2, 3, 4, 5, 8});
        break;
    default:
        return 0;
    }
    return twoDigits ? 2 : 3;
}

PhoneParts phoneParts(std::string_view text, char *buffer)
{
    PhoneParts parts;
    std::string_view rest(buffer, std::size_t(search::digitsInto(buffer, text) - buffer));
    // International when written with "+" or "00" in front.
    const auto first = text.find_first_not_of(" \t(");
    bool international = first != std::string_view::npos && text[first] == '+';
    if (!international && rest.size() > 2 && rest.substr(0, 2) == "00" && rest[2] != '0') {
        international = true;
        rest.remove_prefix(2);
    }
    if (international) {
        const std::size_t cc = countryCodeLength(rest);
        parts.countryCode = rest.substr(0, cc);
        rest.remove_prefix(cc);
    }
    if (!rest.empty() && rest[0] == '0')
        rest.remove_prefix(1);
    if (rest.size() >= kMinPhoneDigits)
        parts.national = rest;
    else
        parts.countryCode = {};
    return parts;
}

PhoneKey phoneKey(std::string_view text)
{
    char buffer[256];
    const PhoneParts parts = phoneParts(text.substr(0, sizeof buffer), buffer);
    return {std::string(parts.national), std::string(parts.countryCode)};
}

bool samePhone(const PhoneKey &a, const PhoneKey &b)
{
    if (a.national.empty() || a.national != b.national)
        return false;
    return a.countryCode.empty() || b.countryCode.empty() || a.countryCode == b.countryCode;
}

} // namespace vcq::duplicates
