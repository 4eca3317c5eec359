// SPDX-License-Identifier: GPL-3.0-or-later
// The markup in which an open block records its items before they are drawn:
// <DATA>L=1X=0STR=Acme</DATA>. A "<" inside the text is doubled so that any
// text, closing tags included, reads back unchanged; other texts are written
// as they are.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vcq::print
{

enum class ItemKind { Data, Label };

struct MarkupItem {
    ItemKind kind = ItemKind::Data;
    std::string text;
    int lineCount = 0;
    int x = 0;
    friend bool operator==(const MarkupItem &, const MarkupItem &) = default;
};

inline constexpr std::string_view kDataOpen = "<DATA>";
inline constexpr std::string_view kDataClose = "</DATA>";
inline constexpr std::string_view kLabelOpen = "<LABEL>";
inline constexpr std::string_view kLabelClose = "</LABEL>";

// Appends the item's markup to the buffer.
void appendItem(std::string &buffer, const MarkupItem &item);

// Reads items back from a buffer, front to back, without copying it.
class ItemReader
{
public:
    explicit ItemReader(std::string_view buffer) : m_rest(buffer) {}
    bool atEnd() const { return m_rest.empty(); }
    // Everything up to and including the first ">"; none when there is none.
    std::optional<std::string_view> takeTag();
    // The body after a tag up to and including its closing tag: "<DATA>"
    // selects a data item, any other tag a label. None when it is malformed.
    std::optional<MarkupItem> takeBody(std::string_view tag);

private:
    std::string_view m_rest;
};

} // namespace vcq::print
