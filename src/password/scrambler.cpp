// SPDX-License-Identifier: GPL-3.0-or-later
#include "scrambler.h"

#include <algorithm>

namespace vcq
{

namespace
{

// Applies the key with the given sign to the first kScrambledLength bytes.
std::string applyKey(std::string_view text, int sign)
{
    const std::size_t n = std::min(text.size(), kScrambledLength);
    std::string out(n, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto k = static_cast<unsigned char>(kScramblerKey[i]);
        out[i] = static_cast<char>(static_cast<unsigned char>(c + sign * k));
    }
    return out;
}

bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

std::string Encode(std::string_view text)
{
    return applyKey(text, +1);
}

std::string Decode(std::string_view text)
{
    std::string plain = applyKey(text, -1);
    const auto first = std::find_if_not(plain.begin(), plain.end(), isBlankOrControl);
    const auto last = std::find_if_not(plain.rbegin(), plain.rend(), isBlankOrControl).base();
    return first < last ? std::string(first, last) : std::string();
}

} // namespace vcq
