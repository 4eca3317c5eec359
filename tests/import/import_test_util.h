// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for import tests: cards written the way other programs write them,
// and the data file read back byte for byte.
#pragma once

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

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray recordBytes(const ContactRecord &r)
{
    return QByteArray(reinterpret_cast<const char *>(r.data()), int(kRecordSize));
}

} // namespace vcq::test
