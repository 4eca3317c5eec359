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
// Inline: asked of every line and value read.
inline bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        x = (x >= 'A' && x <= 'Z') ? static_cast<char>(x - 'A' + 'a') : x;
        y = (y >= 'A' && y <= 'Z') ? static_cast<char>(y - 'A' + 'a') : y;
        if (x != y)
            return false;
    }
    return true;
}

inline std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// True when some byte is not ASCII; eight bytes at a time.
bool hasHighBytes(std::string_view s);
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
