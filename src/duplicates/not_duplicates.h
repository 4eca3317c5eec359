// SPDX-License-Identifier: GPL-3.0-or-later
// Pairs of contacts the user said are not duplicates, kept beside the data
// file ("VCQ97.NAM.notduplicates", private): one pair a line, each contact as
// its record number and the count of times its slot was reused
// ("12.0 57.1"), so that a pair is forgotten once either contact is deleted
// and its slot given to someone else. Lines are appended and flushed.
#pragma once

#include "store/slot_reuse.h"

#include <cstdint>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace vcq::duplicates
{

class NotDuplicates
{
public:
    static std::string pathFor(const std::string &dataFilePath);

    // The pairs that still name the contacts now in their slots. A missing
    // file is an empty set; a line that is not a pair is skipped.
    static NotDuplicates load(const std::string &dataFilePath, const SlotReuses &reuses,
                              std::error_code &error);

    bool contains(std::int32_t a, std::int32_t b) const;
    void insert(std::int32_t a, std::int32_t b);
    bool empty() const { return m_pairs.empty(); }
    std::size_t size() const { return m_pairs.size(); }

    // Remembers every two of records, in memory and in the file (created
    // mode 600), flushed. 0 or the errno.
    int remember(const std::string &dataFilePath, const SlotReuses &reuses,
                 const std::vector<std::int32_t> &records);

private:
    static std::uint64_t key(std::int32_t a, std::int32_t b);
    std::unordered_set<std::uint64_t> m_pairs;
};

} // namespace vcq::duplicates
