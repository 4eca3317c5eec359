// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp1252.h"

#include <QList>

#include <array>

namespace vcq
{

namespace
{

// Code points of the bytes 0x80..0x9F; undefined bytes keep their own number.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighTable[byte - 0x80];
    return byte;
}

// The byte of a code point, or -1 when cp1252 has none.
int toByte(char32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<int>(code);
    for (std::size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] == code)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

} // namespace

QString fromCp1252(std::string_view bytes)
{
    QString text;
    text.resize(static_cast<qsizetype>(bytes.size()));
    QChar *out = text.data();
    for (char c : bytes)
        *out++ = QChar(toUnicode(static_cast<unsigned char>(c)));
    return text;
}

std::string toCp1252(QStringView text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const uint code : text.toUcs4()) {
        const int byte = toByte(code);
        bytes += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return bytes;
}

bool isCp1252Storable(QStringView text)
{
    for (const uint code : text.toUcs4()) {
        if (toByte(code) < 0)
            return false;
    }
    return true;
}

QString toUpperCp1252(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        const QChar upper = c.toUpper();
        result += (upper != c && toByte(upper.unicode()) >= 0) ? upper : c;
    }
    return result;
}

} // namespace vcq
