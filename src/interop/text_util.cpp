// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_util.h"

#include <algorithm>

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

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
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
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
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
