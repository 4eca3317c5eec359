// SPDX-License-Identifier: GPL-3.0-or-later
// The symbol-font characters the program prints and shows, mapped to the
// Unicode symbols they stand for, to be drawn in an ordinary font.
#pragma once

namespace vcq::print
{

// The symbol for a byte of the symbol font; 0 for a byte with no mapping.
char32_t wingdingsSymbol(unsigned char c);

} // namespace vcq::print
