// SPDX-License-Identifier: GPL-3.0-or-later
// The one crossing between the data file's Windows Western European (cp1252)
// bytes and the window's QString text. Every byte 0..255 survives a round trip;
// the five bytes cp1252 leaves undefined map to the C1 code points of the same
// number.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vcq
{

QString fromCp1252(std::string_view bytes);
// Characters cp1252 cannot hold become '?': callers that store user text
// check isCp1252Storable first, so nothing is replaced silently.
std::string toCp1252(QStringView text);
// True when every character of the text has a cp1252 byte.
bool isCp1252Storable(QStringView text);

// Upper-cases each character on its own, keeping a character whose upper case
// is more than one character or cannot be stored as cp1252.
QString toUpperCp1252(QStringView text);

} // namespace vcq
