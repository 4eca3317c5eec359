// SPDX-License-Identifier: GPL-3.0-or-later
#include "transliterate.h"

#include "core/cp1252.h"

#include <QList>
#include <QString>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <array>
#include <cstdint>
#include <memory>

namespace vcq::interop
{

namespace
{

bool isAscii(std::string_view s)
{
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// ICU transliterators are costly to build and not safe to share between
// threads: one pair per thread, built on first use.
struct Transliterators {
    std::unique_ptr<icu::Transliterator> toLatin;
    std::unique_ptr<icu::Transliterator> toAscii;
    Transliterators()
    {
        UErrorCode status = U_ZERO_ERROR;
        toLatin.reset(icu::Transliterator::createInstance("Any-Latin", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            toLatin.reset();
        status = U_ZERO_ERROR;
        toAscii.reset(icu::Transliterator::createInstance("Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            toAscii.reset();
    }
};

Transliterators &transliterators()
{
    thread_local Transliterators t;
    return t;
}

QString applyIcu(icu::Transliterator *t, const QString &text)
{
    if (!t)
        return text;
    icu::UnicodeString u(reinterpret_cast<const UChar *>(text.utf16()),
                         static_cast<int32_t>(text.size()));
    t->transliterate(u);
    return QString(reinterpret_cast<const QChar *>(u.getBuffer()), u.length());
}

// True when every character of text has a cp1252 byte.
bool fitsCp1252(const QString &text)
{
    const std::string bytes = toCp1252(text);
    const QList<uint> codes = text.toUcs4();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '?' && codes[static_cast<qsizetype>(i)] != '?')
            return false;
    }
    return true;
}

// Both directions of the cp1252 table, built once from the shared crossing.
struct Tables {
    std::array<std::string, 256> utf8;
    std::array<std::int16_t, 0x2200> byteOf; // code point -> byte, -1 for none
    Tables()
    {
        byteOf.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            const QString text = fromCp1252(std::string_view(&c, 1));
            utf8[static_cast<std::size_t>(b)] = text.toUtf8().toStdString();
            const char16_t code = text.at(0).unicode();
            if (code < byteOf.size())
                byteOf[code] = static_cast<std::int16_t>(b);
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

bool utf8ToCp1252Exactly(std::string_view s, std::string &out)
{
    const Tables &t = tables();
    out.clear();
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        // Runs of ASCII go in at once.
        std::size_t run = i;
        while (run < s.size() && static_cast<unsigned char>(s[run]) < 0x80)
            ++run;
        out.append(s.data() + i, run - i);
        i = run;
        if (i == s.size())
            break;
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t code = 0;
        std::size_t len = 0;
        if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
            code = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < s.size()) {
            code = c & 0x0F;
            len = 3;
        } else {
            return false;
        }
        for (std::size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (cc & 0x3F);
        }
        if ((len == 2 && code < 0x80) || (len == 3 && code < 0x800) || code >= t.byteOf.size() ||
            t.byteOf[code] < 0)
            return false;
        out += static_cast<char>(t.byteOf[code]);
        i += len;
    }
    return true;
}

void appendCp1252AsUtf8(std::string &out, std::string_view bytes)
{
    const Tables &t = tables();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else
            out += t.utf8[b];
    }
}

bool utf16ToUtf8(std::string_view bytes, std::string &out)
{
    if (bytes.size() < 2)
        return false;
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    const bool little = b0 == 0xFF && b1 == 0xFE;
    const bool big = b0 == 0xFE && b1 == 0xFF;
    if (!little && !big)
        return false;
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
        const auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
        units += static_cast<char16_t>(hi << 8 | lo);
    }
    out = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()))
              .toUtf8()
              .toStdString();
    return true;
}

namespace
{

// The length of the valid UTF-8 sequence at s[i] (no overlong forms,
// surrogates or values above U+10FFFF); 0 when there is none.
std::size_t sequenceLength(std::string_view s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80)
        return 1;
    std::size_t len = 0;
    char32_t min = 0;
    char32_t code = 0;
    if ((c & 0xE0) == 0xC0) {
        len = 2, min = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, min = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, min = 0x10000, code = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (cc & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

bool isValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t len = sequenceLength(s, i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::string repairUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + 8);
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t len = sequenceLength(s, i);
        if (len == 0) {
            appendCp1252AsUtf8(out, s.substr(i, 1));
            ++i;
        } else {
            out.append(s.substr(i, len));
            i += len;
        }
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view bytes)
{
    if (isAscii(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    appendCp1252AsUtf8(out, bytes);
    return out;
}

Cp1252Text utf8ToCp1252(std::string_view utf8)
{
    Cp1252Text result;
    if (isAscii(utf8)) {
        result.bytes = std::string(utf8);
        return result;
    }
    if (utf8ToCp1252Exactly(utf8, result.bytes))
        return result;
    int invalid = 0;
    if (!isValidUtf8(utf8)) {
        // QString turns each bad sequence into U+FFFD, which has no cp1252 form.
        const QString raw = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        for (QChar c : raw)
            invalid += c == QChar(0xFFFD) ? 1 : 0;
    }
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))
                             .normalized(QString::NormalizationForm_C);
    const QList<uint> codes = text.toUcs4();
    const std::string direct = toCp1252(text);

    std::string out;
    out.reserve(direct.size());
    std::size_t i = 0;
    while (i < direct.size()) {
        const bool bad = direct[i] == '?' && codes[static_cast<qsizetype>(i)] != '?';
        if (!bad) {
            out += direct[i++];
            continue;
        }
        // A run of characters cp1252 cannot hold, transliterated as a whole
        // so that scripts keep their context.
        std::size_t end = i;
        while (end < direct.size() && direct[end] == '?' &&
               codes[static_cast<qsizetype>(end)] != '?')
            ++end;
        const int runLength = static_cast<int>(end - i);
        const QString run =
            QString::fromUcs4(reinterpret_cast<const char32_t *>(codes.constData()) + i,
                              static_cast<qsizetype>(end - i));
        QString latin = applyIcu(transliterators().toLatin.get(), run);
        if (!fitsCp1252(latin))
            latin = applyIcu(transliterators().toAscii.get(), latin);
        // Whatever is still left has no spelling in cp1252.
        const std::string spelled = toCp1252(latin);
        const QList<uint> spelledCodes = latin.toUcs4();
        int unknown = 0;
        for (std::size_t k = 0; k < spelled.size(); ++k) {
            if (spelled[k] == '?' && spelledCodes[static_cast<qsizetype>(k)] != '?')
                ++unknown;
        }
        if (unknown == 0 && !spelled.empty()) {
            result.transliterated += runLength;
        } else {
            const int lost = std::min(runLength, std::max(unknown, 1));
            result.unrepresentable += lost;
            result.transliterated += runLength - lost;
        }
        out += spelled;
        i = end;
    }
    result.bytes = std::move(out);
    // Bad UTF-8 shows as U+FFFD, counted above as unrepresentable already;
    // make sure it is counted even when the run spelled it somehow.
    result.unrepresentable = std::max(result.unrepresentable, invalid);
    return result;
}

} // namespace vcq::interop
