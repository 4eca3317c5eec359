// SPDX-License-Identifier: GPL-3.0-or-later
// Carrying a merge out on the open data file: the contact kept is rewritten
// with the result, then the others are deleted. Nothing is written when a
// contact of the group changed or went since the group was read, so that a
// merge never acts on values the user did not see.
#pragma once

#include "merge_plan.h"
#include "store/contact_store.h"

#include <span>

namespace vcq::duplicates
{

enum class MergeOutcome { Merged, Changed };

// seen: the group's records as read when the plan was made. Throws the
// store's StoreError when a write fails: the kept contact is written first,
// so a failure never loses a value (at worst some others stay).
MergeOutcome applyMerge(ContactStore &store, const MergePlan &plan,
                        std::span<const ContactRecord> seen, const ContactRecord &result);

// Whether two records hold the same 16 contact fields.
bool sameContact(const ContactRecord &a, const ContactRecord &b);

} // namespace vcq::duplicates
