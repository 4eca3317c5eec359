// SPDX-License-Identifier: GPL-3.0-or-later
#include "item_markup.h"

#include <charconv>

namespace vcq::print
{

void appendItem(std::string &buffer, const MarkupItem &item)
{
    const bool data = item.kind == ItemKind::Data;
    buffer += data ? kDataOpen : kLabelOpen;
    buffer += "L=";
    buffer += std::to_string(item.lineCount);
    buffer += "X=";
    buffer += std::to_string(item.x);
    buffer += "STR=";
    for (char c : item.text) {
        if (c == '<')
            buffer += '<';
        buffer += c;
    }
    buffer += data ? kDataClose : kLabelClose;
}

std::optional<std::string_view> ItemReader::takeTag()
{
    const auto end = m_rest.find('>');
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view tag = m_rest.substr(0, end + 1);
    m_rest.remove_prefix(end + 1);
    return tag;
}

namespace
{

// Reads "<name>=<integer>" at the front of rest.
bool takeNumber(std::string_view &rest, std::string_view name, int &value)
{
    if (!rest.starts_with(name))
        return false;
    rest.remove_prefix(name.size());
    const auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc())
        return false;
    rest.remove_prefix(static_cast<std::size_t>(ptr - rest.data()));
    return true;
}

} // namespace

std::optional<MarkupItem> ItemReader::takeBody(std::string_view tag)
{
    MarkupItem item;
    item.kind = tag == kDataOpen ? ItemKind::Data : ItemKind::Label;
    const std::string_view close = item.kind == ItemKind::Data ? kDataClose : kLabelClose;

    std::string_view rest = m_rest;
    if (!takeNumber(rest, "L=", item.lineCount) || !takeNumber(rest, "X=", item.x) ||
        !rest.starts_with("STR="))
        return std::nullopt;
    rest.remove_prefix(4);

    for (std::size_t i = 0; i < rest.size();) {
        if (rest[i] != '<') {
            item.text += rest[i++];
        } else if (i + 1 < rest.size() && rest[i + 1] == '<') {
            item.text += '<';
            i += 2;
        } else if (rest.substr(i).starts_with(close)) {
            m_rest = rest.substr(i + close.size());
            return item;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace vcq::print
