// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_record.h"

#include <algorithm>
#include <cstring>

namespace vcq
{

std::string_view trimBlanksAndControls(std::string_view text)
{
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

ContactRecord ContactRecord::fromBytes(const unsigned char *data)
{
    ContactRecord r;
    std::memcpy(r.m_bytes.data(), data, kRecordSize);
    return r;
}

ContactRecord ContactRecord::newHeader()
{
    ContactRecord r;
    r.set(Field::FirstName, "Beta3");
    r.set(Field::LastName, "Vellora Softwares");
    return r;
}

ContactRecord ContactRecord::tombstone()
{
    ContactRecord r;
    r.set(Field::LastName, kTombstoneMark);
    return r;
}

std::string_view ContactRecord::view(Field f) const
{
    const FieldLayout l = fieldLayout(f);
    const std::size_t length = std::min<std::size_t>(m_bytes[l.offset], l.maxLength);
    return std::string_view(reinterpret_cast<const char *>(&m_bytes[l.offset + 1]), length);
}

void ContactRecord::set(Field f, std::string_view text)
{
    const FieldLayout l = fieldLayout(f);
    const std::size_t length = std::min(text.size(), l.maxLength);
    unsigned char *field = &m_bytes[l.offset];
    std::memset(field, 0, l.maxLength + 1);
    field[0] = static_cast<unsigned char>(length);
    if (length > 0) // an empty view may carry no pointer at all
        std::memcpy(field + 1, text.data(), length);
}

bool ContactRecord::isTombstone() const
{
    return isReservedLastName(view(Field::LastName));
}

bool isReservedLastName(std::string_view lastName)
{
    return trimBlanksAndControls(lastName) == kTombstoneMark;
}

std::size_t formDisplayKey(char *out, std::string_view lastName, std::string_view firstName)
{
    // The last name and its blank are cut to 31 together, then the whole to 61.
    const std::string_view last = lastName.substr(0, 31);
    if (!last.empty()) // an empty view may carry no pointer at all
        std::memcpy(out, last.data(), last.size());
    std::size_t n = last.size();
    if (n < 31)
        out[n++] = ' ';
    const std::string_view first = firstName.substr(0, kDisplayKeyMax - n);
    if (!first.empty())
        std::memcpy(out + n, first.data(), first.size());
    return n + first.size();
}

std::string displayKey(std::string_view lastName, std::string_view firstName)
{
    char key[kDisplayKeyMax];
    return std::string(key, formDisplayKey(key, lastName, firstName));
}

std::string displayKey(const ContactRecord &record)
{
    return displayKey(record.view(Field::LastName), record.view(Field::FirstName));
}

} // namespace vcq
