// SPDX-License-Identifier: GPL-3.0-or-later
#include "duplicates.h"

#include "search/text_fold.h"

#include <array>
#include <functional>

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

// Appends text without outer blanks and control characters, folded to lower case.
void appendFolded(std::string &out, std::string_view text)
{
    static const auto table = [] {
        std::array<char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[std::size_t(b)] = static_cast<char>(foldByte(static_cast<unsigned char>(b)));
        return t;
    }();
    text = trimBlanksAndControls(text);
    const std::size_t at = out.size();
    out.resize(at + text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        out[at + i] = table[static_cast<unsigned char>(text[i])];
}

void nameKey(const ContactRecord &c, std::string &out)
{
    out.clear();
    appendFolded(out, c.view(Field::LastName));
    out += '\x01';
    appendFolded(out, c.view(Field::FirstName));
}

// Appends what a contact can be reached by, as length-prefixed parts (a
// field holds at most 255 bytes): the folded e-mail (maybe empty), then the
// digits of each phone that has any.
void appendContacts(const ContactRecord &c, std::string &out)
{
    const std::size_t start = out.size();
    out += '\0';
    appendFolded(out, c.view(Field::Email));
    out[start] = static_cast<char>(out.size() - start - 1);
    for (Field f : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3}) {
        const std::size_t at = out.size();
        out += '\0';
        search::appendDigits(out, c.view(f));
        if (out.size() == at + 1)
            out.pop_back();
        else
            out[at] = static_cast<char>(out.size() - at - 1);
    }
}

// Splits the next length-prefixed part off parts.
std::string_view nextPart(std::string_view &parts)
{
    const auto length = static_cast<unsigned char>(parts.front());
    const std::string_view part = parts.substr(1, length);
    parts.remove_prefix(1 + std::size_t(length));
    return part;
}

bool shareContact(std::string_view a, std::string_view b)
{
    const std::string_view emailA = nextPart(a);
    const std::string_view emailB = nextPart(b);
    if (!emailA.empty() && emailA == emailB)
        return true;
    while (!a.empty()) {
        const std::string_view phone = nextPart(a);
        for (std::string_view rest = b; !rest.empty();) {
            if (nextPart(rest) == phone)
                return true;
        }
    }
    return false;
}

} // namespace

bool isDuplicate(const ContactRecord &a, const ContactRecord &b)
{
    const DuplicateKey keyA(a), keyB(b);
    return keyA.name() == keyB.name() && shareContact(keyA.contacts(), keyB.contacts());
}

void DuplicateKey::set(const ContactRecord &contact)
{
    nameKey(contact, m_keys);
    m_nameLength = m_keys.size();
    m_nameHash = std::hash<std::string_view>()(m_keys);
    appendContacts(contact, m_keys);
}

std::size_t DuplicateIndex::slotOf(const DuplicateKey &key) const
{
    const std::size_t mask = m_slots.size() - 1;
    const auto low = static_cast<std::uint32_t>(key.m_nameHash);
    for (std::size_t i = low & mask;; i = (i + 1) & mask) {
        const Slot slot = m_slots[i];
        if (slot.entry < 0)
            return i;
        if (slot.hash != low)
            continue;
        const DuplicateKey &other = m_entries[std::size_t(slot.entry)].key;
        if (other.m_nameHash == key.m_nameHash && other.name() == key.name())
            return i;
    }
}

void DuplicateIndex::addEntry(std::size_t slot, DuplicateKey &&key, std::int32_t recordNumber)
{
    const std::int32_t newest = m_slots[slot].entry;
    if (newest < 0)
        ++m_names;
    const auto low = static_cast<std::uint32_t>(key.m_nameHash);
    m_entries.push_back({recordNumber, newest, std::move(key)});
    m_slots[slot] = {low, static_cast<std::int32_t>(m_entries.size() - 1)};
    ++m_count;
    // At most half full, so that probes stay short.
    if (m_names * 2 > m_slots.size()) {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot moved : old) {
            if (moved.entry < 0)
                continue;
            std::size_t i = moved.hash & mask;
            while (m_slots[i].entry >= 0)
                i = (i + 1) & mask;
            m_slots[i] = moved;
        }
    }
}

void DuplicateIndex::add(const ContactRecord &contact, std::int32_t recordNumber)
{
    if (m_slots.empty())
        m_slots.resize(1024);
    DuplicateKey key(contact);
    const std::size_t slot = slotOf(key);
    addEntry(slot, std::move(key), recordNumber);
}

// The oldest entry from newest down the chain that shares key's contacts.
std::optional<std::int32_t> DuplicateIndex::findIn(std::int32_t newest,
                                                   const DuplicateKey &key) const
{
    std::optional<std::int32_t> found;
    for (std::int32_t i = newest; i >= 0; i = m_entries[std::size_t(i)].next) {
        if (shareContact(key.contacts(), m_entries[std::size_t(i)].key.contacts()))
            found = m_entries[std::size_t(i)].recordNumber;
    }
    return found;
}

std::optional<std::int32_t> DuplicateIndex::find(const ContactRecord &contact) const
{
    if (m_slots.empty())
        return std::nullopt;
    const DuplicateKey key(contact);
    const std::int32_t newest = m_slots[slotOf(key)].entry;
    if (newest < 0)
        return std::nullopt;
    return findIn(newest, key);
}

std::optional<std::int32_t> DuplicateIndex::findOrAdd(DuplicateKey &&key, std::int32_t recordNumber)
{
    if (m_slots.empty())
        m_slots.resize(1024);
    const std::size_t slot = slotOf(key);
    if (m_slots[slot].entry >= 0) {
        if (const auto found = findIn(m_slots[slot].entry, key))
            return found;
    }
    addEntry(slot, std::move(key), recordNumber);
    return std::nullopt;
}

} // namespace vcq::interop
