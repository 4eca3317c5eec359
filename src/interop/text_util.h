// SPDX-License-Identifier: GPL-3.0-or-later
// Small byte-string helpers shared by the readers and writers of this library.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vcq::interop::detail
{

std::string toUpperAscii(std::string_view s);
std::string toLowerAscii(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
std::string_view trimBlanks(std::string_view s);
bool startsWithNoCase(std::string_view s, std::string_view prefix);

// Splits on sep not preceded by a backslash; the parts keep their escapes.
std::vector<std::string> splitEscaped(std::string_view value, char sep);
// Undoes \\ \, \; \n \N; any other backslash is kept as written.
std::string unescapeText(std::string_view value);
// splitEscaped, then unescapeText on each part, in one pass; the parts
// replace what out held.
void splitUnescaped(std::string_view value, char sep, std::vector<std::string> &out);

// Appends one content line, folded so that no line passes 75 octets and no
// UTF-8 sequence is split, then CRLF.
void appendFoldedLine(std::string &out, std::string_view line);
// Ends the content line that starts at out[lineStart], folding it in place
// like appendFoldedLine, then CRLF.
void endFoldedLine(std::string &out, std::size_t lineStart);

} // namespace vcq::interop::detail
