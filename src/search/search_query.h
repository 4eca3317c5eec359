// SPDX-License-Identifier: GPL-3.0-or-later
// What a search asks for: its words, folded. A contact matches when every
// word is found, anywhere inside, in at least one of its fields; a word that
// looks like a phone number is also looked for among the digits of the
// phone fields, whatever punctuation either side was written with.
#pragma once

#include "text_fold.h"

#include <string>
#include <string_view>
#include <vector>

namespace vcq::search
{

struct SearchWord {
    std::string text;   // folded
    std::string digits; // a phone-like word's digits; empty otherwise

    friend bool operator==(const SearchWord &, const SearchWord &) = default;
};

struct SearchQuery {
    std::vector<SearchWord> words;

    bool empty() const { return words.empty(); }
    // Every contact this query matches is matched by `broader` too, so a
    // result of broader can be narrowed rather than everything searched
    // again (the usual case: the user typed one more letter).
    bool narrows(const SearchQuery &broader) const;

    friend bool operator==(const SearchQuery &, const SearchQuery &) = default;
};

// The query from the user's text as cp1252 bytes. Words are separated by
// blanks; a text that is a phone number as a whole ("418 555 0188") is one word.
SearchQuery parseQuery(std::string_view cp1252);

// The searchable form of a contact's fields: each field folded, then the
// digits of each phone, separated by bytes no query holds. `fields` are the
// contact's fields in any fixed order; `phones` its phone fields.
template <typename Fields, typename Phones>
void appendContactText(std::string &out, const Fields &fields, const Phones &phones);

// Bytes that end a field and start the phones' digits in that text.
inline constexpr char kFieldEnd = '\x01';
inline constexpr char kDigitsStart = '\x02';

// Whether a contact's searchable text holds every word of the query.
bool textMatches(const SearchQuery &query, std::string_view contactText);

template <typename Fields, typename Phones>
void appendContactText(std::string &out, const Fields &fields, const Phones &phones)
{
    std::size_t room = 2;
    for (const std::string_view f : fields)
        room += 2 * f.size() + 1;
    for (const std::string_view p : phones)
        room += p.size() + 1;
    const std::size_t at = out.size();
    out.resize(at + room);
    char *end = out.data() + at;
    for (const std::string_view f : fields) {
        end = foldInto(end, f);
        *end++ = kFieldEnd;
    }
    *end++ = kDigitsStart;
    for (const std::string_view p : phones) {
        end = digitsInto(end, p);
        *end++ = kFieldEnd;
    }
    out.resize(std::size_t(end - out.data()));
}

} // namespace vcq::search
