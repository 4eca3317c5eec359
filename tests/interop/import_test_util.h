// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for import tests: cards written the way other programs write them.
// The data file is read back with common/data_file.h.
#pragma once

#include "common/data_file.h"
#include "store/contact_record.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace vcq::test
{

inline std::string card30(const std::string &last, const std::string &first,
                          const std::string &phone = {}, const std::string &email = {})
{
    std::string c = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + last + ";" + first + ";;;\r\nFN:" + first +
                    " " + last + "\r\n";
    if (!phone.empty())
        c += "TEL;TYPE=HOME:" + phone + "\r\n";
    if (!email.empty())
        c += "EMAIL:" + email + "\r\n";
    return c + "END:VCARD\r\n";
}

inline std::string cards(int count, const std::string &prefix = "Person")
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += card30(prefix + std::to_string(i), "Ann", "555-" + std::to_string(1000 + i));
    return out;
}

} // namespace vcq::test
