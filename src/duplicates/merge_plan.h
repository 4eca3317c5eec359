// SPDX-License-Identifier: GPL-3.0-or-later
// What merging a group of duplicates makes of it: one contact, field by
// field. Each field takes the value of one contact of the group: preselected,
// the contact that was changed last where that is known, else the first of
// the group (lowest record number); where that contact's field is empty, the
// first contact that has one. Values of the others that differ (not just in
// case, accents, blanks or a phone's punctuation) are added to the remarks,
// a line "Also: value" each, as long as the remarks' 200 characters hold
// them; those that do not fit are listed, so that the user is told.
#pragma once

#include "store/contact_record.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vcq::duplicates
{

struct MergePlan {
    std::vector<std::int32_t> records; // the group
    std::size_t keep = 0;              // the contact saved with the result; the others go
    // For each of the 16 contact fields (by Field value), the contact whose
    // value the result takes.
    std::array<std::size_t, kContactFieldCount> choice{};
    friend bool operator==(const MergePlan &, const MergePlan &) = default;
};

// contacts: the group's records, in the order of records. changedAt: for
// each, when it was last changed where known (greater is later), or empty.
MergePlan preselect(const std::vector<std::int32_t> &records,
                    std::span<const ContactRecord> contacts,
                    std::span<const std::optional<std::int64_t>> changedAt = {});

struct LostValue {
    Field field;
    std::string value;
    friend bool operator==(const LostValue &, const LostValue &) = default;
};

struct MergeResult {
    ContactRecord contact;
    std::vector<LostValue> alsoKept; // added to the remarks
    std::vector<LostValue> notKept;  // found no room there
    friend bool operator==(const MergeResult &, const MergeResult &) = default;
};

// alsoLabel: "Also: " in the user's language.
MergeResult mergeContacts(const MergePlan &plan, std::span<const ContactRecord> contacts,
                          std::string_view alsoLabel);

// Whether a field holds nothing (the blank birth date "  -  -  " included).
bool emptyValue(Field f, std::string_view value);
// Whether two values of a field say the same (see above).
bool sameValue(Field f, std::string_view a, std::string_view b);

} // namespace vcq::duplicates
