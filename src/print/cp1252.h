// Contact texts are bytes of the Western European code page (cp1252); this
// turns them into QString for drawing and measuring.
#pragma once

#include <QString>
#include <string_view>

namespace vcq::print
{

QString fromCp1252(std::string_view bytes);

} // namespace vcq::print
