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

} // namespace vcq::interop::detail
