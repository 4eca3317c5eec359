// SPDX-License-Identifier: GPL-3.0-or-later
#include "bin_restore.h"

#include "slot_reuse.h"

#include <map>
#include <set>

namespace vcq
{

std::vector<RestoredContact> restoreFromBin(ContactStore &store,
                                            const std::vector<std::uint64_t> &numbers,
                                            std::vector<std::uint64_t> &unknown)
{
    unknown.clear();
    std::map<std::uint64_t, BinEntry> listed;
    for (BinEntry &e : store.bin().list())
        listed.emplace(e.number, std::move(e));
    std::vector<const BinEntry *> chosen;
    std::set<std::uint64_t> seen;
    for (const std::uint64_t n : numbers) {
        const auto it = listed.find(n);
        if (it == listed.end())
            unknown.push_back(n);
        else if (seen.insert(n).second)
            chosen.push_back(&it->second);
    }
    if (!unknown.empty() || chosen.empty())
        return {};

    std::vector<std::pair<std::int32_t, ContactRecord>> own;
    std::vector<const BinEntry *> ownEntries, elsewhere;
    std::set<std::int32_t> slots;
    for (const BinEntry *e : chosen) {
        const bool free = slots.insert(e->slot).second && store.isFreeSlot(e->slot) &&
                          !slotReusedSince(store.bin().dataFilePath(), e->slot, e->slotLogSize);
        (free ? ownEntries : elsewhere).push_back(e);
        if (free)
            own.emplace_back(e->slot, e->record);
    }
    std::vector<RestoredContact> restored;
    // The contacts go back first, then leave the bin: a crash between the two
    // leaves a contact in both, never in neither.
    const std::vector<bool> back = store.putBack(own);
    for (std::size_t i = 0; i < own.size(); ++i) {
        if (back[i])
            restored.push_back({ownEntries[i]->number, own[i].first, true});
        else
            elsewhere.push_back(ownEntries[i]);
    }
    for (const BinEntry *e : elsewhere)
        restored.push_back({e->number, store.add(e->record), false});
    std::vector<std::uint64_t> out;
    for (const RestoredContact &r : restored)
        out.push_back(r.number);
    store.bin().takeOut(out);
    return restored;
}

} // namespace vcq
