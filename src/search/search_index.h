// SPDX-License-Identifier: GPL-3.0-or-later
// The searchable text of every contact in one block of memory, so that a
// query over a million contacts is a few passes of a fast substring search
// rather than a million foldings. The window builds it once, off its own
// thread, and keeps it current as contacts change.
#pragma once

#include "record_text.h"
#include "search_query.h"
#include "store/contact_record.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vcq::search
{

bool recordMatches(const SearchQuery &query, const ContactRecord &record);

// Calls found(part, recordNumber) for each live record of records[first, end)
// that matches, worked out on up to `threads` threads, each taking one part
// of the records: part 0 the first, and so on. Each part's calls come from
// its own thread, in ascending record order. `records` are the file's
// records by number, one after the other.
void forEachMatch(const SearchQuery &query, const ContactRecord *records, std::int64_t first,
                  std::int64_t end, unsigned threads,
                  const std::function<void(unsigned part, std::int32_t recordNumber)> &found);
// The numbers of those records, ascending.
std::vector<std::int32_t> matchingRecords(const SearchQuery &query, const ContactRecord *records,
                                          std::int64_t first, std::int64_t end, unsigned threads);

class SearchIndex
{
public:
    SearchIndex();
    // Room for records numbered below `records`, taken at once: a growing
    // table would briefly hold its old copy beside the new one.
    void reserve(std::size_t records);
    // Adds or replaces a contact's text.
    void set(std::int32_t recordNumber, const ContactRecord &record);
    void remove(std::int32_t recordNumber);
    std::size_t size() const { return m_count; }
    // Memory held, for the benchmarks.
    std::size_t bytes() const;

    // The record numbers of the contacts that match, in no set order. With
    // `within`, only those contacts are tried (a result of a broader query).
    // An empty query matches every contact.
    std::vector<std::int32_t> find(const SearchQuery &query,
                                   const std::vector<std::int32_t> *within = nullptr) const;

private:
    // The text lives in blocks of a fixed size that never move: a growing
    // index never holds two copies of itself, and a contact's text never
    // spans two blocks.
    struct Block {
        std::string text;                  // slices one after another
        std::vector<std::uint32_t> starts; // slice starts in text order
        std::vector<std::int32_t> owners;  // the record of each start; -1 once replaced
        std::size_t dead = 0;              // bytes of replaced slices
    };
    // Where a contact's text is: 8 bytes for each record number.
    struct Slice {
        std::uint64_t block : 24;
        std::uint64_t start : 24;
        std::uint64_t length : 15;
        std::uint64_t live : 1;
    };
    std::string_view text(const Slice &s) const
    {
        return {m_blocks[s.block].text.data() + s.start, std::size_t(s.length)};
    }
    void compact(std::size_t block);

    std::vector<Block> m_blocks;
    std::vector<Slice> m_slices; // by record number
    std::size_t m_count = 0;
    std::string m_scratch;
};

} // namespace vcq::search
