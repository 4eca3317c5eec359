#include "transliterate.h"

#include "cp1252.h"

#include <QList>
#include <QString>

#include <unicode/translit.h>
#include <unicode/unistr.h>

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

} // namespace

bool isValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len = 0;
        char32_t min = 0;
        char32_t code = 0;
        if ((c & 0xE0) == 0xC0) {
            len = 2, min = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, min = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, min = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(len) > n)
            return false;
        for (int k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (cc & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(len);
    }
    return true;
}

std::string cp1252ToUtf8(std::string_view bytes)
{
    if (isAscii(bytes))
        return std::string(bytes);
    return fromCp1252(bytes).toUtf8().toStdString();
}

Cp1252Text utf8ToCp1252(std::string_view utf8)
{
    Cp1252Text result;
    if (isAscii(utf8)) {
        result.bytes = std::string(utf8);
        return result;
    }
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
