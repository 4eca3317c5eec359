// SPDX-License-Identifier: GPL-3.0-or-later
// Text crossing between UTF-8 (cards, CSV) and the data file's cp1252 bytes.
// Characters cp1252 cannot hold are transliterated with ICU ("Łukasz" ->
// "Lukasz") rather than dropped; what is left without any cp1252 form
// becomes '?'. Both are counted so the import report can name them.
#pragma once

#include <string>
#include <string_view>

namespace vcq::interop
{

struct Cp1252Text {
    std::string bytes;       // cp1252
    int transliterated = 0;  // characters replaced by a cp1252 spelling
    int unrepresentable = 0; // characters replaced by '?'
    bool changed() const { return transliterated + unrepresentable > 0; }
};

// Composes the text first (NFC), so "e" + combining acute is stored as "é".
// Invalid UTF-8 bytes count as unrepresentable.
Cp1252Text utf8ToCp1252(std::string_view utf8);
// The cp1252 bytes in out when every character has one, with nothing to
// transliterate or compose; false otherwise (and for bad UTF-8), out then
// unspecified. No character cp1252 holds composes with another, so such a
// text is already in composed form.
bool utf8ToCp1252Exactly(std::string_view utf8, std::string &out);

// Every byte 0..255 has a form; the five bytes cp1252 leaves undefined map to
// the control code points of the same number.
std::string cp1252ToUtf8(std::string_view bytes);
void appendCp1252AsUtf8(std::string &out, std::string_view bytes);

// Text that starts with a UTF-16 byte order mark (some Windows programs save
// contacts that way) as UTF-8 in out; false, out untouched, for anything else.
bool utf16ToUtf8(std::string_view bytes, std::string &out);

// Valid UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
bool isValidUtf8(std::string_view bytes);
// The valid UTF-8 sequences of bytes as they are, every other byte read as
// cp1252: always valid UTF-8, and the same text when bytes was.
std::string repairUtf8(std::string_view bytes);

} // namespace vcq::interop
