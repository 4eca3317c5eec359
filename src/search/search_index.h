// SPDX-License-Identifier: GPL-3.0-or-later
// The searchable text of every contact in one block of memory, so that a
// query over a million contacts is a few passes of a fast substring search
// rather than a million foldings. The window builds it once, off its own
// thread, and keeps it current as contacts change.
#pragma once

#include "search_query.h"
#include "store/contact_record.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vcq::search
{

// The searchable text of one contact.
void appendRecordText(std::string &out, const ContactRecord &record);
bool recordMatches(const SearchQuery &query, const ContactRecord &record);

// The numbers in [first, end) of the live records that match, ascending,
// worked out on up to `threads` threads. `at` gives a record by number and
// is called from those threads.
std::vector<std::int32_t>
matchingRecords(const SearchQuery &query, std::int64_t first, std::int64_t end,
                const std::function<const ContactRecord &(std::int64_t)> &at, unsigned threads);

class SearchIndex
{
public:
    SearchIndex();
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
    void scan(const Block &block, std::string_view needle, std::vector<std::int32_t> &hits) const;
    void compact(std::size_t block);

    std::vector<Block> m_blocks;
    std::vector<Slice> m_slices; // by record number
    std::size_t m_count = 0;
    std::string m_scratch;
};

} // namespace vcq::search
