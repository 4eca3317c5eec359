// SPDX-License-Identifier: GPL-3.0-or-later
// Taking contacts out of the bin back into the data file: each into its own
// slot when that slot is still free and was not given to anyone since (so its
// UID, and what a sync knows of it, stay the same), otherwise as a new contact.
#pragma once

#include "contact_store.h"

#include <cstdint>
#include <vector>

namespace vcq
{

struct RestoredContact {
    std::uint64_t number = 0; // its bin entry
    std::int32_t slot = 0;    // where it lives now
    bool ownSlot = false;     // back in the slot it was deleted from
    friend bool operator==(const RestoredContact &, const RestoredContact &) = default;
};

// Restores the bin entries with those numbers (as the bin lists them) and
// takes them out of the bin. Numbers the bin does not list are answered in
// `unknown` and nothing is restored. Throws StoreError.
std::vector<RestoredContact> restoreFromBin(ContactStore &store,
                                            const std::vector<std::uint64_t> &numbers,
                                            std::vector<std::uint64_t> &unknown);

} // namespace vcq
