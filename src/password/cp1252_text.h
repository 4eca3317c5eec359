// Conversion between the data file's single-byte text (Windows-1252) and the
// QString of the widgets. Every byte 0..255 maps to one character and back;
// a character the code page lacks becomes "?".
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vcq
{

QString fromCp1252(std::string_view bytes);
std::string toCp1252(const QString &text);

} // namespace vcq
