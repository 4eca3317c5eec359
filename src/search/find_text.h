// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a short word in a long text: the search index holds every
// contact's text in a few large blocks, and the words people type are short,
// where a general substring search moves on only a byte or two at a time.
#pragma once

#include <string_view>

namespace vcq::search
{

// Where `needle` first occurs in `text`, or nullptr; an empty needle is
// found at the start.
const char *findText(std::string_view text, std::string_view needle);

} // namespace vcq::search
