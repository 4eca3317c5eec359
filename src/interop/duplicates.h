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
    std::size_t size() const { return m_count; }

private:
    struct Entry {
        std::int32_t recordNumber;
        std::vector<std::string> phones; // digits only, non-empty
        std::string email;               // lower case, trimmed, non-empty or empty
    };
    std::unordered_map<std::string, std::vector<Entry>> m_byName;
    std::size_t m_count = 0;
};

} // namespace vcq::interop
