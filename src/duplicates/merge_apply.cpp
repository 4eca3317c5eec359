// SPDX-License-Identifier: GPL-3.0-or-later
#include "merge_apply.h"

namespace vcq::duplicates
{

bool sameContact(const ContactRecord &a, const ContactRecord &b)
{
    for (const Field f : kContactFields)
        if (a.view(f) != b.view(f))
            return false;
    return true;
}

MergeOutcome applyMerge(ContactStore &store, const MergePlan &plan,
                        std::span<const ContactRecord> seen, const ContactRecord &result)
{
    for (std::size_t i = 0; i < plan.records.size(); ++i) {
        const ContactNode *node = store.list().findRecord(plan.records[i]);
        if (!node || i >= seen.size() || !sameContact(node->record(), seen[i]))
            return MergeOutcome::Changed;
    }
    if (!sameContact(result, seen[plan.keep]))
        store.rewrite(plan.records[plan.keep], result);
    for (std::size_t i = 0; i < plan.records.size(); ++i)
        if (i != plan.keep)
            store.remove(plan.records[i]);
    return MergeOutcome::Merged;
}

} // namespace vcq::duplicates
