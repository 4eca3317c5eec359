// SPDX-License-Identifier: GPL-3.0-or-later
#include "card_lines.h"

#include "text_util.h"
#include "vcard_reader.h"

#include <algorithm>

namespace vcq::interop
{

using namespace detail;

namespace
{

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

enum class Start { Property, Text, Unknown };

// Whether the line at in[from] starts a property ([group.]NAME then ';' or
// ':') rather than continuing the one before; the name may go on across
// folds. Unknown when the bytes end first and more may follow.
Start lineStart(std::string_view in, std::size_t from, bool complete)
{
    std::size_t i = from;
    std::size_t name = 0;
    for (;;) {
        while (i < in.size() && (isNameChar(in[i]) || in[i] == '.')) {
            ++i;
            ++name;
        }
        // A fold: CRs, LF, then a blank.
        std::size_t j = i;
        while (j < in.size() && in[j] == '\r')
            ++j;
        if (j < in.size() && in[j] == '\n' && j + 1 < in.size() &&
            (in[j + 1] == ' ' || in[j + 1] == '\t')) {
            i = j + 2;
            continue;
        }
        if (j >= in.size() || (in[j] == '\n' && j + 1 >= in.size()))
            return complete || name == 0 ? Start::Text : Start::Unknown;
        return name > 0 && i < in.size() && (in[i] == ':' || in[i] == ';') ? Start::Property
                                                                           : Start::Text;
    }
}

enum class Encoding { None, QuotedPrintable, Base64 };

// The encoding the reader decodes a property line's value with: the last
// ENCODING parameter's first value, or 2.1's bare QUOTED-PRINTABLE, BASE64
// or B; parameters scanned as the reader does (names trimmed, values not).
Encoding encodingOf(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && (isNameChar(line[i]) || line[i] == '.'))
        ++i;
    Encoding found = Encoding::None;
    // The reader keeps no quote, CR or LF in a parameter's name or value.
    const auto clean = [](std::string_view text) {
        std::string out(text);
        std::erase_if(out, [](char c) { return c == '"' || c == '\r' || c == '\n'; });
        return out;
    };
    const auto encoding = [&](std::string_view value) {
        if (equalsNoCase(value, "QUOTED-PRINTABLE"))
            return Encoding::QuotedPrintable;
        if (equalsNoCase(value, "BASE64") || equalsNoCase(value, "B"))
            return Encoding::Base64;
        return Encoding::None;
    };
    while (i < line.size() && line[i] == ';') {
        const std::size_t nameStart = ++i;
        while (i < line.size() && line[i] != '=' && line[i] != ';' && line[i] != ':')
            ++i;
        const std::string cleaned = clean(line.substr(nameStart, i - nameStart));
        const std::string_view name = trimBlanks(cleaned);
        if (i == line.size() || line[i] != '=') {
            const Encoding bare = encoding(name);
            if (bare != Encoding::None || equalsNoCase(name, "8BIT") || equalsNoCase(name, "7BIT"))
                found = bare;
            continue;
        }
        ++i;
        std::string_view first;
        for (bool firstValue = true;; firstValue = false) {
            std::string_view value;
            if (i < line.size() && line[i] == '"') {
                const std::size_t close = line.find('"', i + 1);
                if (close == std::string_view::npos)
                    return found;
                value = line.substr(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const std::size_t start = i;
                while (i < line.size() && line[i] != ',' && line[i] != ';' && line[i] != ':')
                    ++i;
                value = line.substr(start, i - start);
            }
            if (firstValue)
                first = value;
            if (i < line.size() && line[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        if (equalsNoCase(name, "ENCODING"))
            found = encoding(clean(first));
    }
    return found;
}

// An odd number of backslashes at the end: the last one escapes the line break.
bool endsWithLoneBackslash(std::string_view s)
{
    std::size_t n = 0;
    while (n < s.size() && s[s.size() - 1 - n] == '\\')
        ++n;
    return n % 2 == 1;
}

} // namespace

std::size_t propertyValueColon(std::string_view line, std::size_t *nameEnd)
{
    std::size_t i = 0;
    while (i < line.size() && (isNameChar(line[i]) || line[i] == '.'))
        ++i;
    if (nameEnd)
        *nameEnd = i;
    if (i == 0 || i == line.size() || (line[i] != ':' && line[i] != ';'))
        return std::string_view::npos;
    while (i < line.size() && line[i] == ';') {
        ++i;
        while (i < line.size() && line[i] != '=' && line[i] != ';' && line[i] != ':')
            ++i;
        if (i == line.size() || line[i] != '=')
            continue;
        ++i;
        for (;;) {
            if (i < line.size() && line[i] == '"') {
                const std::size_t close = line.find('"', i + 1);
                if (close == std::string_view::npos)
                    return std::string_view::npos;
                i = close + 1;
            } else {
                while (i < line.size() && line[i] != ',' && line[i] != ';' && line[i] != ':')
                    ++i;
            }
            if (i < line.size() && line[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
    }
    if (i >= line.size() || line[i] != ':')
        return std::string_view::npos;
    return i;
}

CardLines::CardLines(std::string_view bytes, bool complete) : m_in(bytes), m_complete(complete)
{
    if (m_in.substr(0, 3) == "\xEF\xBB\xBF")
        m_pos = 3;
}

bool CardLines::physical(std::string_view &line, std::size_t &start)
{
    if (m_pos >= m_in.size())
        return false;
    std::size_t eol = m_in.find('\n', m_pos);
    if (eol == std::string_view::npos) {
        if (!m_complete)
            return false;
        eol = m_in.size();
    }
    start = m_pos;
    line = m_in.substr(m_pos, eol - m_pos);
    m_pos = eol + 1;
    ++m_lineNo;
    // CR LF, and the CR CR LF some old phones write, end a line like LF.
    while (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return true;
}

bool CardLines::next(LogicalLine &out)
{
    std::string_view first;
    std::size_t firstStart = 0;
    if (m_havePending) {
        first = m_pending;
        firstStart = m_pendingStart;
        m_havePending = false;
    } else if (!physical(first, firstStart)) {
        return false;
    }
    const int firstNo = m_lineNo; // the pending line was the last one read
    constexpr std::size_t kMax = kMaxPropertyBytes + 1024;
    bool tooLarge = first.size() > kMax;
    std::string_view logical = tooLarge ? first.substr(0, 256) : first;
    bool owned = false;
    bool unindented = false;
    for (;;) {
        std::string_view line;
        std::size_t start = 0;
        if (!physical(line, start)) {
            if (!m_complete)
                return false; // the next line, still to come, could continue this one
            break;
        }
        // What the line gathered so far declares decides; only asked when it
        // matters.
        const bool softBreak = m_inCard && !logical.empty() && logical.back() == '=' &&
                               encodingOf(logical) == Encoding::QuotedPrintable;
        const bool fold = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        // Some writers go on without indentation: base64 lines, and a line
        // break escaped with a backslash. Never a line that starts a property.
        bool joined = false;
        bool escapedBreak = false;
        Start begins = Start::Property;
        if (!softBreak && !fold && m_inCard && !trimBlanks(line).empty())
            begins = lineStart(m_in, start, m_complete);
        if (begins == Start::Unknown)
            return false; // the rest of its name is still to come
        if (begins == Start::Text) {
            joined = encodingOf(logical) == Encoding::Base64;
            escapedBreak = !joined && endsWithLoneBackslash(logical);
        }
        if (!softBreak && !fold && !joined && !escapedBreak) {
            m_pending = line;
            m_pendingStart = start;
            m_havePending = true;
            break;
        }
        if (!owned) {
            m_owned.assign(logical);
            owned = true;
        }
        if (softBreak)
            m_owned.pop_back();
        else if (fold)
            line.remove_prefix(1);
        else if (escapedBreak)
            m_owned += 'n'; // the backslash and the break are the escape "\n"
        unindented = unindented || joined || escapedBreak;
        if (m_owned.size() + line.size() > kMax)
            tooLarge = true;
        else if (!tooLarge)
            m_owned.append(line);
        logical = m_owned;
    }
    out.text = logical;
    out.offset = firstStart;
    out.number = firstNo;
    out.tooLarge = tooLarge;
    out.unindented = unindented;
    out.kind = classify(logical);
    if (out.kind == LineKind::Property)
        m_agentPending = false;
    if (out.kind == LineKind::Property && !tooLarge) {
        // An AGENT with no value embeds the card that follows it.
        std::size_t nameEnd = 0;
        while (nameEnd < logical.size() &&
               (isNameChar(logical[nameEnd]) || logical[nameEnd] == '.'))
            ++nameEnd;
        std::string_view name = logical.substr(0, nameEnd);
        if (const auto dot = name.rfind('.'); dot != std::string_view::npos)
            name.remove_prefix(dot + 1);
        m_agentPending =
            equalsNoCase(name, "AGENT") && propertyValueColon(logical) + 1 == logical.size();
    }
    return true;
}

CardPart nextCardPart(std::string_view rest, int cards, bool complete)
{
    CardPart part;
    const auto byte = [&](std::size_t i) {
        return i < rest.size() ? static_cast<unsigned char>(rest[i]) : 0;
    };
    const bool utf16 = (byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF);
    if (!utf16) {
        CardLines lines(rest, complete);
        LogicalLine line;
        while (lines.next(line)) {
            if (line.kind != LineKind::Begin)
                continue;
            if (part.begins == cards) {
                part.bytes = rest.substr(0, line.offset);
                part.lines = line.number - 1;
                return part;
            }
            ++part.begins;
        }
    }
    part.bytes = rest;
    part.lines = static_cast<int>(std::count(rest.begin(), rest.end(), '\n'));
    return part;
}

LineKind CardLines::classify(std::string_view text)
{
    const std::string_view trimmed = trimBlanks(text);
    if (trimmed.empty())
        return LineKind::Blank;
    const bool isBegin = equalsNoCase(trimmed, "BEGIN:VCARD");
    if (!m_inCard) {
        if (!isBegin)
            return LineKind::Outside;
        m_inCard = true;
        m_agentPending = false;
        m_agentDepth = 0;
        return LineKind::Begin;
    }
    const bool isEnd = equalsNoCase(trimmed, "END:VCARD");
    if (m_agentDepth > 0) {
        m_agentDepth += isBegin ? 1 : isEnd ? -1 : 0;
        return LineKind::Embedded;
    }
    if (isBegin && m_agentPending) {
        m_agentPending = false;
        m_agentDepth = 1;
        return LineKind::AgentBegin;
    }
    m_agentPending = false;
    if (isBegin)
        return LineKind::Begin;
    if (isEnd) {
        m_inCard = false;
        return LineKind::End;
    }
    return LineKind::Property;
}

} // namespace vcq::interop
