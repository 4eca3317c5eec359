// SPDX-License-Identifier: GPL-3.0-or-later
// Writes cards as vCard 3.0 or 4.0: UTF-8, CRLF line ends, lines folded at 75
// octets without splitting a UTF-8 sequence, VERSION written right after
// BEGIN. Parameters that only 2.1 knows (CHARSET, QUOTED-PRINTABLE, bare
// types) are converted to the target version's form.
#pragma once

#include "vcard.h"

#include <string>

namespace vcq::interop
{

std::string writeVCard(const VCard &card, VCardVersion version = VCardVersion::V30);
// Appends to out: for writing many cards without copying.
void appendVCard(std::string &out, const VCard &card, VCardVersion version = VCardVersion::V30);

// Escapes a text value (backslash, comma, semicolon, newline) for 3.0/4.0.
std::string escapeText(std::string_view text);

} // namespace vcq::interop
