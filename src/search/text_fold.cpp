// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_fold.h"

#include <algorithm>
#include <array>

namespace vcq::search
{

namespace
{

// Each byte's folded form: one or two bytes (the second 0 when one).
struct Folding {
    std::array<std::array<char, 2>, 256> to{};

    constexpr Folding()
    {
        for (int b = 0; b < 256; ++b)
            to[b] = {char(b), 0};
        for (int b = 0; b < 32; ++b)
            to[b] = {' ', 0};
        for (int b = 'A'; b <= 'Z'; ++b)
            to[b] = {char(b + 32), 0};
        const auto one = [this](int first, int last, char c) {
            for (int b = first; b <= last; ++b)
                to[b] = {c, 0};
        };
        const auto two = [this](int b, char c1, char c2) { to[b] = {c1, c2}; };
        one(0x83, 0x83, 'f'); // ƒ
        one(0x8A, 0x8A, 's'); // Š
        two(0x8C, 'o', 'e');  // Œ
        one(0x8E, 0x8E, 'z'); // Ž
        one(0x9A, 0x9A, 's'); // š
        two(0x9C, 'o', 'e');  // œ
        one(0x9E, 0x9E, 'z'); // ž
        one(0x9F, 0x9F, 'y'); // Ÿ
        one(0xC0, 0xC5, 'a'); // À..Å
        two(0xC6, 'a', 'e');  // Æ
        one(0xC7, 0xC7, 'c'); // Ç
        one(0xC8, 0xCB, 'e'); // È..Ë
        one(0xCC, 0xCF, 'i'); // Ì..Ï
        one(0xD0, 0xD0, 'd'); // Ð
        one(0xD1, 0xD1, 'n'); // Ñ
        one(0xD2, 0xD6, 'o'); // Ò..Ö
        one(0xD8, 0xD8, 'o'); // Ø
        one(0xD9, 0xDC, 'u'); // Ù..Ü
        one(0xDD, 0xDD, 'y'); // Ý
        two(0xDE, 't', 'h');  // Þ
        two(0xDF, 's', 's');  // ß
        one(0xE0, 0xE5, 'a');
        two(0xE6, 'a', 'e'); // æ
        one(0xE7, 0xE7, 'c');
        one(0xE8, 0xEB, 'e');
        one(0xEC, 0xEF, 'i');
        one(0xF0, 0xF0, 'd'); // ð
        one(0xF1, 0xF1, 'n');
        one(0xF2, 0xF6, 'o');
        one(0xF8, 0xF8, 'o');
        one(0xF9, 0xFC, 'u');
        one(0xFD, 0xFD, 'y');
        two(0xFE, 't', 'h'); // þ
        one(0xFF, 0xFF, 'y');
    }
};

constexpr Folding kFolding;

// The bytes that only fold from themselves, to themselves alone.
struct OwnFolding {
    std::array<bool, 256> only{};

    constexpr OwnFolding()
    {
        for (int c = 0; c < 256; ++c)
            only[c] = kFolding.to[c][0] == char(c) && kFolding.to[c][1] == 0;
        for (int b = 0; b < 256; ++b)
            for (const char c : kFolding.to[b])
                if (c != 0 && static_cast<unsigned char>(c) != b)
                    only[static_cast<unsigned char>(c)] = false;
    }
};

constexpr OwnFolding kOwnFolding;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

char *foldInto(char *out, std::string_view cp1252)
{
    // Both bytes are written every time and the second kept only when it is
    // a letter: no branch a mispredicted byte would pay for.
    for (const char c : cp1252) {
        const auto &to = kFolding.to[static_cast<unsigned char>(c)];
        out[0] = to[0];
        out[1] = to[1];
        out += 1 + (to[1] != 0);
    }
    return out;
}

void appendFolded(std::string &out, std::string_view cp1252)
{
    const std::size_t at = out.size();
    out.resize(at + 2 * cp1252.size());
    out.resize(std::size_t(foldInto(out.data() + at, cp1252) - out.data()));
}

std::string folded(std::string_view cp1252)
{
    std::string out;
    out.reserve(cp1252.size());
    appendFolded(out, cp1252);
    return out;
}

bool foundUnfolded(std::string_view word)
{
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return kOwnFolding.only[static_cast<unsigned char>(c)]; });
}

char *digitsInto(char *out, std::string_view text)
{
    for (const char c : text) {
        *out = c;
        out += isDigit(c);
    }
    return out;
}

void appendDigits(std::string &out, std::string_view text)
{
    const std::size_t at = out.size();
    out.resize(at + text.size());
    out.resize(std::size_t(digitsInto(out.data() + at, text) - out.data()));
}

std::string digitsOf(std::string_view text)
{
    std::string out;
    appendDigits(out, text);
    return out;
}

bool looksLikePhone(std::string_view text)
{
    bool digit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c))
            digit = true;
        else if (c == '+') {
            // Only in front of the number.
            for (std::size_t j = 0; j < i; ++j)
                if (text[j] != ' ')
                    return false;
        } else if (c != ' ' && c != '.' && c != '-' && c != '/' && c != '(' && c != ')')
            return false;
    }
    return digit;
}

} // namespace vcq::search
