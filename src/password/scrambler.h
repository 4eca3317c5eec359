// SPDX-License-Identifier: GPL-3.0-or-later
// The password scrambler: a fixed 10-character key added to (Encode) or
// subtracted from (Decode) the byte codes of a text, position by position.
// It hides the password from a casual look at the data file; it is not
// encryption. Existing data files depend on it, so it must never change.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vcq
{

inline constexpr std::string_view kScramblerKey = "RtKwYm_abq";
// Only this many characters of a text are scrambled or unscrambled.
inline constexpr std::size_t kScrambledLength = 10;

// The first 10 bytes of the text, each plus the key's byte, modulo 256.
std::string Encode(std::string_view text);
// The first 10 bytes, each minus the key's byte, modulo 256; then leading and
// trailing bytes with codes up to 32 are removed.
std::string Decode(std::string_view text);

} // namespace vcq
