// SPDX-License-Identifier: GPL-3.0-or-later
// Folding of the data file's cp1252 text for matching as a French or English
// reader expects: case, accents and ligatures do not matter ("Cœur" and
// "coeur", "Álvaro" and "alvaro", "Straße" and "strasse" fold alike).
// Shared by the search and the duplicate finder, so both agree.
#pragma once

#include <string>
#include <string_view>

namespace vcq::search
{

// Appends the folded text: lower case, accents dropped, æ œ ß þ spelt out as
// two letters, control bytes as blanks. Other bytes stay as they are.
void appendFolded(std::string &out, std::string_view cp1252);
// The same into a buffer with room for twice the text; answers its end.
char *foldInto(char *out, std::string_view cp1252);
std::string folded(std::string_view cp1252);

// Whether a word is found in folded text exactly where it stands in the text
// as written: each of its bytes folds to itself and is what no other byte
// folds to (digits and most punctuation; not letters, not the blank, which
// control bytes fold to).
bool foundUnfolded(std::string_view word);

// Appends the decimal digits of the text, in order.
void appendDigits(std::string &out, std::string_view text);
// The same into a buffer with room for the text; answers its end.
char *digitsInto(char *out, std::string_view text);
std::string digitsOf(std::string_view text);

// Digits and the punctuation people write phone numbers with (blanks, dots,
// dashes, slashes, parentheses, a leading +), with at least one digit.
bool looksLikePhone(std::string_view text);

} // namespace vcq::search
