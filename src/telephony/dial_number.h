// SPDX-License-Identifier: GPL-3.0-or-later
// The destination address handed to the line: the number box's text unchanged, cut to the
// room the address has.
#pragma once

#include <QString>

#include <string>

namespace vcq
{

// At most 30 characters of number, as zero-terminated UTF-8; a character is never split.
std::string destinationAddress(const QString &number);

} // namespace vcq
