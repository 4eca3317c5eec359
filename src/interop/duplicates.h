// SPDX-License-Identifier: GPL-3.0-or-later
// The duplicate rule of an import: two contacts are the same person when the
// last names and first names match (without regard to case and outer blanks)
// and at least one phone number (compared on its digits) or the e-mail
// (without regard to case) is equal and not empty. Two people of the same
// name with different phones and e-mails are different contacts.
#pragma once

#include "store/contact_record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vcq::interop
{

bool isDuplicate(const ContactRecord &a, const ContactRecord &b);

// The contacts of a whole store, looked up by name, so that testing a card
// costs about as much as the contacts of the same name.
class DuplicateIndex
{
public:
    void add(const ContactRecord &contact, std::int32_t recordNumber);
    // The record number of a contact that contact duplicates, if any.
    std::optional<std::int32_t> find(const ContactRecord &contact) const;
    // find(), and add() when that finds none, for one lookup of the name.
    std::optional<std::int32_t> findOrAdd(const ContactRecord &contact, std::int32_t recordNumber);
    std::size_t size() const { return m_count; }

private:
    struct Entry {
        std::int32_t recordNumber;
        std::int32_t next;      // the entry of the same name added before, or -1
        std::uint64_t nameHash; // of the name's key
        std::size_t nameLength; // of the key at the start of keys
        std::string keys;       // the name's key, then the contacts (see duplicates.cpp)
        std::string_view name() const { return std::string_view(keys).substr(0, nameLength); }
        std::string_view contacts() const { return std::string_view(keys).substr(nameLength); }
    };
    // The slot of m_key's name in m_slots: the one holding its newest entry,
    // or the empty one where it would go.
    std::size_t slotOf(std::uint64_t hash) const;
    std::optional<std::int32_t> findIn(std::int32_t newest) const;
    void addEntry(std::size_t slot, std::uint64_t hash, std::int32_t recordNumber);

    // Open addressing over the names: each slot holds the newest entry of a
    // name (the entries of one name are chained), or none. One array probed in
    // place, where a map of strings would chase a pointer or two per lookup.
    struct Slot {
        std::uint32_t tag = 0;   // the high half of the name's hash
        std::int32_t entry = -1; // the newest entry of the name, or -1
    };
    std::vector<Slot> m_slots;
    std::size_t m_names = 0;
    std::vector<Entry> m_entries;
    // Scratch for the key and contacts of the contact being looked up, kept
    // from call to call: an import looks up every card.
    mutable std::string m_key;
    mutable std::string m_contacts;
    std::size_t m_count = 0;
};

} // namespace vcq::interop
