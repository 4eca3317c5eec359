// SPDX-License-Identifier: GPL-3.0-or-later
// Finds the contacts of a data file that are likely the same person, in
// groups, each with why. Two contacts are linked when
//  - their names match once folded (case, accents, ligatures, blanks and
//    hyphens do not matter; first and last name may be swapped) and they
//    share a phone or the e-mail: certain;
//  - their names match and nothing contradicts: no e-mail on both sides that
//    differs, and no phone field (home, work, other, fax) filled on both
//    sides with different numbers: certain, "same name";
//  - they share a phone or the e-mail under different names: possible.
// Linked contacts form groups however many they are (union-find): a certain
// group is what certain links hold together; a possible group is what the
// possible links join, certain groups included whole, so a contact can be in
// a certain group and a possible one (merged first, then the user decides
// about the rest). Work grows with the
// number of contacts: keys are hashed and sorted, pairs are never all tried.
#pragma once

#include "store/contact_record.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vcq::duplicates
{

class NotDuplicates;

enum class Certainty : std::uint8_t { Certain, Possible };

// Why a group's contacts were linked, as bits.
enum Reason : std::uint32_t {
    SameName = 1u << 0,
    SwappedName = 1u << 1, // first and last name swapped on one side
    HomePhone = 1u << 2,   // the same number in Phone1 on both sides
    WorkPhone = 1u << 3,   // ... Phone2
    OtherPhone = 1u << 4,  // ... Cell
    FaxPhone = 1u << 5,    // ... Phone3
    AnyPhone = 1u << 6,    // the same number in two different phone fields
    SameEmail = 1u << 7,
};
inline constexpr std::uint32_t kSharedContact =
    HomePhone | WorkPhone | OtherPhone | FaxPhone | AnyPhone | SameEmail;

struct DuplicateGroup {
    Certainty certainty = Certainty::Possible;
    std::uint32_t reasons = 0;
    std::vector<std::int32_t> records; // ascending
    friend bool operator==(const DuplicateGroup &, const DuplicateGroup &) = default;
};

struct ContactRef {
    std::int32_t recordNumber = 0;
    const ContactRecord *record = nullptr;
};

struct FinderOptions {
    const NotDuplicates *notDuplicates = nullptr; // pairs never linked
    // Called now and then with the share done (0..1); false stops the search.
    std::function<bool(double)> progress;
    unsigned threads = 1;
};

// The groups, certain first, then those held by a shared phone or e-mail
// before name-only ones, then by their first record number. Empty when
// progress asked to stop.
std::vector<DuplicateGroup> findDuplicates(std::span<const ContactRef> contacts,
                                           const FinderOptions &options = {});

// The folded name of a contact, last name first, as the finder compares it
// (blanks, hyphens, dots and apostrophes left out); "\x01" between the two.
std::string foldedName(std::string_view lastName, std::string_view firstName);
// The e-mail as compared: trimmed, ASCII and cp1252 letters in lower case.
std::string foldedEmail(std::string_view email);

// The phone fields, in the order the finder reads them.
inline constexpr Field kPhoneFields[4] = {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3};

} // namespace vcq::duplicates
