// Conversion between the program's single-byte texts (Windows Western
// European code page) and QString. Every byte value maps to its own
// character, so bytes survive a trip to QString and back unchanged.
#pragma once

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace vcq
{

QString fromCp1252(std::string_view bytes);
// Characters the code page lacks become '?'; *ok (when given) tells whether
// every character could be kept.
std::string toCp1252(QStringView text, bool *ok = nullptr);

} // namespace vcq
