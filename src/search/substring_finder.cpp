// SPDX-License-Identifier: GPL-3.0-or-later
#include "substring_finder.h"

#include <bit>
#include <cstring>
#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vcq::search
{

const char *SubstringFinder::find(const char *begin, const char *end) const
{
    const std::size_t m = m_needle.size();
    if (m == 0)
        return begin;
    if (std::size_t(end - begin) < m)
        return nullptr;
    if (m == 1)
        return static_cast<const char *>(std::memchr(begin, m_needle[0], std::size_t(end - begin)));
    const char *at = begin;
#if defined(__SSE2__)
    // The needle's first, middle and last bytes: places where all three
    // agree are few, even in text made of the same few digits.
    const std::size_t middle = m / 2;
    const __m128i first = _mm_set1_epi8(m_needle.front());
    const __m128i inside = _mm_set1_epi8(m_needle[middle]);
    const __m128i last = _mm_set1_epi8(m_needle.back());
    // Sixteen starting places at a time, as long as their last bytes lie in the text.
    for (; std::size_t(end - at) >= 16 + m - 1; at += 16) {
        const auto at16 = [at](std::size_t offset) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + offset));
        };
        auto all = unsigned(_mm_movemask_epi8(_mm_and_si128(
            _mm_and_si128(_mm_cmpeq_epi8(at16(0), first), _mm_cmpeq_epi8(at16(middle), inside)),
            _mm_cmpeq_epi8(at16(m - 1), last))));
        for (; all != 0; all &= all - 1) {
            const char *start = at + std::countr_zero(all);
            // The other bytes, without a call: most places fail at the first.
            std::size_t i = 1;
            while (i < m - 1 && start[i] == m_needle[i])
                ++i;
            if (i == m - 1)
                return start;
        }
    }
#endif
    return static_cast<const char *>(
        ::memmem(at, std::size_t(end - at), m_needle.data(), m_needle.size()));
}

} // namespace vcq::search
