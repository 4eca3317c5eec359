// SPDX-License-Identifier: GPL-3.0-or-later
#include "find_text.h"

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
    // Sixteen places at a time: where the word's first and last letters both
    // stand at the right distance, the letters between are compared.
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    // Places from `at` up to (not including) `stop` can start the word.
    const char *const stop = text.data() + text.size() - n + 1;
    while (stop - at >= 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + n - 1));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (std::memcmp(at + bit + 1, needle.data() + 1, n - 2) == 0)
                return at + bit;
            mask &= mask - 1;
        }
        at += 16;
    }
#endif
    const std::size_t left = std::size_t(text.data() + text.size() - at);
    return static_cast<const char *>(::memmem(at, left, needle.data(), n));
}

} // namespace vcq::search
