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

// What the index compares of a contact: its name, folded, and the ways it
// can be reached, with the name's hash. It needs nothing of an index, so it
// can be worked out on another thread than the one that looks it up.
class DuplicateKey
{
public:
    DuplicateKey() = default;
    explicit DuplicateKey(const ContactRecord &contact) { set(contact); }
    // Works the key out again, reusing the storage of the one before.
    void set(const ContactRecord &contact);

    std::string_view name() const { return std::string_view(m_keys).substr(0, m_nameLength); }
    std::string_view contacts() const { return std::string_view(m_keys).substr(m_nameLength); }

private:
    friend class DuplicateIndex;
    std::uint64_t m_nameHash = 0;
    std::size_t m_nameLength = 0; // of the name's key at the start of m_keys
    std::string m_keys;           // the name's key, then the contacts (see duplicates.cpp)
};

// The contacts of a whole store, looked up by name, so that testing a card
// costs about as much as the contacts of the same name.
class DuplicateIndex
{
public:
    void add(const ContactRecord &contact, std::int32_t recordNumber);
    // The record number of a contact that contact duplicates, if any.
    std::optional<std::int32_t> find(const ContactRecord &contact) const;
    // find(), and add() when that finds none, for one lookup of the name.
    // The key is kept by the index when added.
    std::optional<std::int32_t> findOrAdd(DuplicateKey &&key, std::int32_t recordNumber);
    std::optional<std::int32_t> findOrAdd(const ContactRecord &contact, std::int32_t recordNumber)
    {
        return findOrAdd(DuplicateKey(contact), recordNumber);
    }
    std::size_t size() const { return m_count; }

private:
    struct Entry {
        std::int32_t recordNumber;
        std::int32_t next; // the entry of the same name added before, or -1
        DuplicateKey key;
    };
    // The slot of key's name in m_slots: the one holding its newest entry,
    // or the empty one where it would go.
    std::size_t slotOf(const DuplicateKey &key) const;
    std::optional<std::int32_t> findIn(std::int32_t newest, const DuplicateKey &key) const;
    void addEntry(std::size_t slot, DuplicateKey &&key, std::int32_t recordNumber);

    // Open addressing over the names: each slot holds the newest entry of a
    // name (the entries of one name are chained), or none. One array probed in
    // place, where a map of strings would chase a pointer or two per lookup.
    struct Slot {
        // The low half of the name's hash: where the name goes (a table has
        // far fewer than 2^32 slots), and which spares reading the entries of
        // other names, also when the table grows.
        std::uint32_t hash = 0;
        std::int32_t entry = -1; // the newest entry of the name, or -1
    };
    std::vector<Slot> m_slots;
    std::size_t m_names = 0;
    std::vector<Entry> m_entries;
    std::size_t m_count = 0;
};

} // namespace vcq::interop
