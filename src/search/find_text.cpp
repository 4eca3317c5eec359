// SPDX-License-Identifier: GPL-3.0-or-later
#include "find_text.h"

#include <bit>
#include <cstring>
#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vcq::search
{

const char *findText(std::string_view text, std::string_view needle)
{
    const std::size_t n = needle.size();
    if (n == 0)
        return text.data();
    if (n > text.size())
        return nullptr;
    if (n == 1)
        return static_cast<const char *>(std::memchr(text.data(), needle[0], text.size()));
    const char *at = text.data();
#if defined(__SSE2__)
    // Sixteen places at a time: where the word's first, middle and last
    // letters all stand at the right distances, which few places do even in
    // text made of the same few digits, the letters between are compared.
    const std::size_t middle = n / 2;
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i inside = _mm_set1_epi8(needle[middle]);
    const __m128i last = _mm_set1_epi8(needle.back());
    const auto sixteen = [&at](std::size_t offset) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + offset));
    };
    // Places from `at` up to (not including) `stop` can start the word.
    const char *const stop = text.data() + text.size() - n + 1;
    while (stop - at >= 16) {
        auto mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(sixteen(0), first),
                                                          _mm_cmpeq_epi8(sixteen(middle), inside)),
                                            _mm_cmpeq_epi8(sixteen(n - 1), last))));
        for (; mask != 0; mask &= mask - 1) {
            // Compared here rather than by a call: most places fail at once.
            const char *place = at + std::countr_zero(mask);
            std::size_t i = 1;
            while (i < n - 1 && place[i] == needle[i])
                ++i;
            if (i == n - 1)
                return place;
        }
        at += 16;
    }
#endif
    const std::size_t left = std::size_t(text.data() + text.size() - at);
    return static_cast<const char *>(::memmem(at, left, needle.data(), n));
}

} // namespace vcq::search
