// SPDX-License-Identifier: GPL-3.0-or-later
#include "duplicates.h"

#include <algorithm>

namespace vcq::interop
{

namespace
{

// cp1252 letters folded to lower case: ASCII, the Latin-1 capitals and the
// three capitals cp1252 places in 0x80..0x9F.
unsigned char foldByte(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A:
        return 0x9A;
    case 0x8C:
        return 0x9C;
    case 0x8E:
        return 0x9E;
    case 0x9F:
        return 0xFF;
    default:
        return c;
    }
}

std::string folded(std::string_view text)
{
    const std::string_view trimmed = trimBlanksAndControls(text);
    std::string out(trimmed);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return static_cast<char>(foldByte(static_cast<unsigned char>(c)));
    });
    return out;
}

std::string phoneDigits(std::string_view phone)
{
    std::string out;
    for (char c : phone) {
        if (c >= '0' && c <= '9')
            out += c;
    }
    return out;
}

std::vector<std::string> phonesOf(const ContactRecord &c)
{
    std::vector<std::string> out;
    for (Field f : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3}) {
        std::string digits = phoneDigits(c.view(f));
        if (!digits.empty())
            out.push_back(std::move(digits));
    }
    return out;
}

std::string nameKey(const ContactRecord &c)
{
    return folded(c.view(Field::LastName)) + '\x01' + folded(c.view(Field::FirstName));
}

bool shareContact(const std::vector<std::string> &phonesA, const std::string &emailA,
                  const std::vector<std::string> &phonesB, const std::string &emailB)
{
    if (!emailA.empty() && emailA == emailB)
        return true;
    for (const std::string &a : phonesA) {
        if (std::find(phonesB.begin(), phonesB.end(), a) != phonesB.end())
            return true;
    }
    return false;
}

} // namespace

bool isDuplicate(const ContactRecord &a, const ContactRecord &b)
{
    return nameKey(a) == nameKey(b) && shareContact(phonesOf(a), folded(a.view(Field::Email)),
                                                    phonesOf(b), folded(b.view(Field::Email)));
}

void DuplicateIndex::add(const ContactRecord &contact, std::int32_t recordNumber)
{
    m_byName[nameKey(contact)].push_back(
        {recordNumber, phonesOf(contact), folded(contact.view(Field::Email))});
    ++m_count;
}

std::optional<std::int32_t> DuplicateIndex::find(const ContactRecord &contact) const
{
    const auto it = m_byName.find(nameKey(contact));
    if (it == m_byName.end())
        return std::nullopt;
    const std::vector<std::string> phones = phonesOf(contact);
    const std::string email = folded(contact.view(Field::Email));
    for (const Entry &e : it->second) {
        if (shareContact(phones, email, e.phones, e.email))
            return e.recordNumber;
    }
    return std::nullopt;
}

} // namespace vcq::interop
