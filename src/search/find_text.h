// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a short word in a long text: the search holds or makes the text of
// many contacts in a few large blocks, and the words people type are short,
// where a general substring search moves on only a byte or two at a time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vcq::search
{

// Where `needle` first occurs in `text`, or nullptr; an empty needle is
// found at the start.
const char *findText(std::string_view text, std::string_view needle);

// Calls hit(i) once, in order, for each slice i of `text` that holds the
// needle, the text being cut into slices at `starts` (ascending, the first 0).
// The needle never spans two slices when each ends with a byte it cannot hold.
template <typename Hit>
void forEachSliceHolding(std::string_view text, const std::vector<std::uint32_t> &starts,
                         std::string_view needle, Hit hit)
{
    std::size_t at = 0;
    std::size_t slice = 0;
    while (at < text.size()) {
        const char *found = findText(text.substr(at), needle);
        if (!found)
            return;
        const auto offset = std::uint32_t(found - text.data());
        // Slices are in text order: most hits are near the one before.
        if (slice + 1 < starts.size() && starts[slice + 1] <= offset)
            slice = std::size_t(std::upper_bound(starts.begin() + std::ptrdiff_t(slice) + 1,
                                                 starts.end(), offset) -
                                starts.begin()) -
                    1;
        hit(slice);
        at = slice + 1 < starts.size() ? starts[slice + 1] : text.size();
    }
}

} // namespace vcq::search
