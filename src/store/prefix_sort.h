// SPDX-License-Identifier: GPL-3.0-or-later
// Sorting many items by the first 16 bytes of a key, held beside each item as
// two big-endian numbers, with a comparison of their own for the rare items
// whose 16 bytes are equal: the contact list's sorts, and readers that sort
// a few contacts of their own in the list's order.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

namespace vcq
{

// Eight bytes from `from` as a big-endian number: compares like the bytes.
inline std::uint64_t bigEndianPrefix(const unsigned char *bytes, std::size_t size, std::size_t from)
{
    if (from + 8 <= size) {
        std::uint64_t p;
        std::memcpy(&p, bytes + from, 8);
        if constexpr (std::endian::native == std::endian::little)
            p = __builtin_bswap64(p);
        return p;
    }
    std::uint64_t p = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        p = (p << 8) | (i < size ? bytes[i] : 0u);
    return p;
}

inline std::uint64_t prefixOf(std::string_view key, std::size_t from = 0)
{
    return bigEndianPrefix(reinterpret_cast<const unsigned char *>(key.data()), key.size(), from);
}

// Orders items by their 16-byte prefix (p0, then p1, both big-endian) and
// items with equal prefixes by `tie`.
template <class Item, class Tie> bool prefixBefore(const Item &a, const Item &b, const Tie &tie)
{
    if (a.p0 != b.p0)
        return a.p0 < b.p0;
    if (a.p1 != b.p1)
        return a.p1 < b.p1;
    return tie(a, b);
}

// Sorts [first, last) by prefixBefore: in place, one prefix byte at a time
// from the first (passing over bytes all the items share), down to runs
// small enough for a comparison sort. Keys share few leading bytes, so most
// items are placed in two or three passes instead of the seventeen rounds of
// comparisons a comparison sort spends on 100,000 items, and the passes
// below the first work on runs that stay in the cache.
template <class Item, class Tie>
void sortByPrefix(Item *first, Item *last, int digit, const Tie &tie)
{
    constexpr std::ptrdiff_t kSmallRun = 64;
    while (last - first > kSmallRun && digit < 16) {
        const std::uint64_t Item::*word = digit < 8 ? &Item::p0 : &Item::p1;
        const int shift = 56 - 8 * (digit % 8);
        const auto byteOf = [word, shift](const Item &item) {
            return static_cast<std::size_t>((item.*word >> shift) & 0xFF);
        };
        std::array<std::size_t, 256> count{};
        for (const Item *p = first; p != last; ++p)
            ++count[byteOf(*p)];
        if (count[byteOf(*first)] == static_cast<std::size_t>(last - first)) {
            ++digit; // every item has the same byte here
            continue;
        }
        std::array<std::size_t, 256> next{}, end{};
        for (std::size_t b = 0, sum = 0; b < 256; ++b) {
            next[b] = sum;
            sum += count[b];
            end[b] = sum;
        }
        for (std::size_t b = 0; b < 256; ++b) {
            while (next[b] < end[b]) {
                const std::size_t d = byteOf(first[next[b]]);
                if (d == b)
                    ++next[b];
                else
                    std::swap(first[next[b]], first[next[d]++]);
            }
        }
        for (std::size_t b = 0; b < 256; ++b)
            if (count[b] > 1)
                sortByPrefix(first + (end[b] - count[b]), first + end[b], digit + 1, tie);
        return;
    }
    std::sort(first, last,
              [&tie](const Item &a, const Item &b) { return prefixBefore(a, b, tie); });
}

} // namespace vcq
