// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_util.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vcq::interop::detail
{

namespace
{
char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

bool hasHighBytes(std::string_view s)
{
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (word & 0x8080808080808080u)
            return true;
    }
    for (; i < s.size(); ++i) {
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return true;
    }
    return false;
}

std::string toUpperAscii(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), upper);
    return out;
}

std::string toLowerAscii(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

std::vector<std::string> splitEscaped(std::string_view value, char sep)
{
    std::vector<std::string> parts;
    std::string current;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            current += c;
            current += value[++i];
        } else if (c == sep) {
            parts.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(std::move(current));
    return parts;
}

std::string unescapeText(std::string_view value)
{
    if (value.find('\\') == std::string_view::npos)
        return std::string(value);
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char next = value[i + 1];
        switch (next) {
        case 'n':
        case 'N':
            out += '\n';
            ++i;
            break;
        case '\\':
        case ',':
        case ';':
        case ':':
            out += next;
            ++i;
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

void appendFoldedLine(std::string &out, std::string_view line)
{
    constexpr std::size_t kFoldOctets = 75;
    std::size_t limit = kFoldOctets;
    while (line.size() > limit) {
        // A UTF-8 sequence is at most four bytes: the cut steps back at most
        // three. Bytes that are no sequence at all are cut where they fall,
        // so every fold takes at least 71 octets and folding always ends.
        std::size_t cut = limit;
        while (cut > limit - 3 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        if ((static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            cut = limit;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = kFoldOctets - 1; // the leading blank counts
    }
    out.append(line);
    out += "\r\n";
}

void endFoldedLine(std::string &out, std::size_t lineStart)
{
    if (out.size() - lineStart > 75) {
        const std::string line = out.substr(lineStart);
        out.resize(lineStart);
        appendFoldedLine(out, line);
        return;
    }
    out += "\r\n";
}

void splitUnescaped(std::string_view value, char sep, std::vector<std::string> &out)
{
    std::size_t start = 0;
    std::size_t count = 0;
    // Parts overwrite what out held, keeping the strings' storage.
    auto put = [&](std::string_view text, bool escaped) {
        if (count == out.size())
            out.emplace_back();
        if (escaped)
            out[count] = unescapeText(text);
        else
            out[count].assign(text.data(), text.size());
        ++count;
    };
    for (;;) {
        // The next separator not escaped by a backslash.
        std::size_t i = start;
        bool escaped = false;
        while (i < value.size() && value[i] != sep) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                escaped = true;
                ++i;
            }
            ++i;
        }
        put(value.substr(start, i - start), escaped);
        if (i >= value.size())
            break;
        start = i + 1;
    }
    out.resize(count);
}

} // namespace vcq::interop::detail
