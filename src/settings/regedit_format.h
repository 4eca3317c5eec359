// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store's file format: the text of a "REGEDIT4" export, in
// UTF-8. A key is a section "[HKEY_LOCAL_MACHINE\SOFTWARE\...]"; its values
// follow, one a line: "Name"="text", "Name"=dword:0000000a, "Name"=hex:..,
// "Name"=hex(2):.. and so on, @ naming the default value. A quoted text is
// exactly the value's data (no terminating NUL is implied); data a quoted
// text cannot show (control characters) is written in hex.
#pragma once

#include "registry_image.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace vcq
{

struct RegeditParseError {
    int line = 0; // 1-based
    QString reason;
};

std::optional<RegistryImage> parseRegedit(QByteArrayView text, RegeditParseError *error);
QByteArray formatRegedit(const RegistryImage &image);

} // namespace vcq
