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
#include <unordered_map>
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
    std::optional<std::int32_t> findIn(std::int32_t newest) const;

    struct Entry {
        std::int32_t recordNumber;
        std::int32_t next;    // the entry of the same name added before, or -1
        std::string contacts; // the folded e-mail, then each phone's digits (see duplicates.cpp)
    };
    // The name's key to its newest entry; the entries of one name are chained.
    std::unordered_map<std::string, std::int32_t> m_byName;
    std::vector<Entry> m_entries;
    // Scratch for the key and contacts of the contact being looked up, kept
    // from call to call: an import looks up every card.
    mutable std::string m_key;
    mutable std::string m_contacts;
    std::size_t m_count = 0;
};

} // namespace vcq::interop
