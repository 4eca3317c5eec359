// SPDX-License-Identifier: GPL-3.0-or-later
#include "wingdings.h"

namespace vcq::print
{

char32_t wingdingsSymbol(unsigned char c)
{
    switch (c) {
    case '(':
        return U'\u260E'; // telephone
    case ')':
        return U'\u2706'; // telephone location sign
    case '.':
        return U'\u2709'; // envelope, for the mailbox
    case 0xDF:
        return U'\u2190'; // left arrow
    case 0xE0:
        return U'\u2192'; // right arrow
    case 0xE1:
        return U'\u2191'; // up arrow
    case 0xE2:
        return U'\u2193'; // down arrow
    default:
        return 0;
    }
}

} // namespace vcq::print
