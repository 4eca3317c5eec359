// SPDX-License-Identifier: GPL-3.0-or-later
#include "search_query.h"

#include "find_text.h"
#include "text_fold.h"

#include <algorithm>
#include <string.h>

namespace vcq::search
{

namespace
{

bool isBlank(char c)
{
    return c == ' ';
}

SearchWord makeWord(std::string text)
{
    SearchWord word;
    if (looksLikePhone(text))
        word.digits = digitsOf(text);
    word.text = std::move(text);
    return word;
}

bool holds(std::string_view haystack, std::string_view needle)
{
    return findText(haystack, needle) != nullptr;
}

} // namespace

bool SearchQuery::narrows(const SearchQuery &broader) const
{
    return std::all_of(broader.words.begin(), broader.words.end(), [this](const SearchWord &w) {
        return std::any_of(words.begin(), words.end(), [&w](const SearchWord &v) {
            // v found as text means w is found as text; v found among the
            // digits means w is, only when w's digits lie inside v's.
            return v.text.find(w.text) != std::string::npos &&
                   (v.digits.empty() ||
                    (!w.digits.empty() && v.digits.find(w.digits) != std::string::npos));
        });
    });
}

SearchQuery parseQuery(std::string_view cp1252)
{
    std::string text = folded(cp1252);
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    SearchQuery query;
    if (looksLikePhone(text)) {
        query.words.push_back(makeWord(std::move(text)));
        return query;
    }
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        std::size_t end = at;
        while (end < text.size() && !isBlank(text[end]))
            ++end;
        if (end > at) {
            SearchWord word = makeWord(text.substr(at, end - at));
            if (std::find(query.words.begin(), query.words.end(), word) == query.words.end())
                query.words.push_back(std::move(word));
        }
        at = end;
    }
    return query;
}

bool textMatches(const SearchQuery &query, std::string_view contactText)
{
    // The digits of the phones follow the fields: a digits-only word may be
    // found there or in a field; a word with letters only in the fields,
    // which it is anyway, since the digits part holds nothing else.
    return std::all_of(query.words.begin(), query.words.end(), [&](const SearchWord &w) {
        return holds(contactText, w.text) || (!w.digits.empty() && holds(contactText, w.digits));
    });
}

} // namespace vcq::search
