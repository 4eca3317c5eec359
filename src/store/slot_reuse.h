// SPDX-License-Identifier: GPL-3.0-or-later
// Which record slots were given to a new contact after a deletion, and how
// often, kept beside the data file ("VCQ97.NAM.slots": each reused slot's
// number, four bytes little-endian, appended and flushed before the new
// contact is written). A contact lives in its slot, and the slot with its
// count of reuses tells contacts apart over time: the slot alone would hand
// a deleted contact's identity (its exported UID) to the next one there.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

namespace vcq
{

using SlotReuses = std::unordered_map<std::int32_t, std::uint32_t>;

// The file beside a data file: dataFilePath + ".slots".
std::string slotReusePath(const std::string &dataFilePath);

// Appends the slots in one write and flushes it; 0 or the errno.
int logSlotReuse(const std::string &dataFilePath, const std::vector<std::int32_t> &slots);

// Each reused slot and how many times; empty when nothing was ever reused.
// A partial last entry (a write cut short) is not counted.
SlotReuses readSlotReuses(const std::string &dataFilePath, std::error_code &error);

// Whether the slot was given to a new contact after the log was `since`
// bytes long. An unreadable log answers true: the slot may have been.
bool slotReusedSince(const std::string &dataFilePath, std::int32_t slot, std::uint64_t since);

} // namespace vcq
