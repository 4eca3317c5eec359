// SPDX-License-Identifier: GPL-3.0-or-later
// One word looked for in much text, set up once per search: the needle's
// first and last bytes are compared at 16 places at once, and only the
// places where both agree are checked whole. The short words people search
// for are found several times faster than memmem finds them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vcq::search
{

class SubstringFinder
{
public:
    explicit SubstringFinder(std::string_view needle) : m_needle(needle) {}

    // Where the needle first starts in [begin, end), or null.
    const char *find(const char *begin, const char *end) const;

private:
    std::string m_needle;
};

// Calls hit(i) once, in order, for each slice i of `text` that holds the
// needle, the text being cut into slices at `starts` (ascending, the first 0).
// The needle never spans two slices when each ends with a byte it cannot hold.
template <typename Hit>
void forEachSliceHolding(const SubstringFinder &needle, std::string_view text,
                         const std::vector<std::uint32_t> &starts, Hit hit)
{
    const char *const end = text.data() + text.size();
    std::size_t slice = 0;
    for (const char *at = text.data(); at < end;) {
        const char *found = needle.find(at, end);
        if (!found)
            return;
        const auto offset = std::uint32_t(found - text.data());
        if (slice + 1 < starts.size() && starts[slice + 1] <= offset)
            slice = std::size_t(std::upper_bound(starts.begin() + std::ptrdiff_t(slice) + 1,
                                                 starts.end(), offset) -
                                starts.begin()) -
                    1;
        hit(slice);
        at = slice + 1 < starts.size() ? text.data() + starts[slice + 1] : end;
    }
}

} // namespace vcq::search
