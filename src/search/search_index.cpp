// SPDX-License-Identifier: GPL-3.0-or-later
#include "search_index.h"

#include "find_text.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <limits>
#include <string.h>
#include <thread>

namespace vcq::search
{

namespace
{

constexpr Field kPhones[] = {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3};

} // namespace

void appendRecordText(std::string &out, const ContactRecord &record)
{
    std::array<std::string_view, kContactFieldCount> fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = record.view(kContactFields[i]);
    std::array<std::string_view, std::size(kPhones)> phones;
    for (std::size_t i = 0; i < phones.size(); ++i)
        phones[i] = record.view(kPhones[i]);
    appendContactText(out, fields, phones);
}

bool recordMatches(const SearchQuery &query, const ContactRecord &record)
{
    if (query.empty())
        return true;
    std::string text;
    appendRecordText(text, record);
    return textMatches(query, text);
}

std::vector<std::int32_t>
matchingRecords(const SearchQuery &query, std::int64_t first, std::int64_t end,
                const std::function<const ContactRecord &(std::int64_t)> &at, unsigned threads)
{
    end = std::min<std::int64_t>(end, std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1);
    const auto part = [&](std::int64_t from, std::int64_t to, std::vector<std::int32_t> &out) {
        std::string text;
        for (std::int64_t n = from; n < to; ++n) {
            const ContactRecord &r = at(n);
            if (r.isTombstone())
                continue;
            text.clear();
            appendRecordText(text, r);
            if (textMatches(query, text))
                out.push_back(std::int32_t(n));
        }
    };
    const std::int64_t count = std::max<std::int64_t>(0, end - first);
    // A thread is worth starting for many records only.
    threads = unsigned(std::clamp<std::int64_t>(count / 20000, 1, std::max(1u, threads)));
    std::vector<std::vector<std::int32_t>> found(threads);
    std::vector<std::thread> workers;
    const std::int64_t step = (count + threads - 1) / threads;
    for (unsigned t = 1; t < threads; ++t)
        workers.emplace_back(part, first + t * step, std::min(end, first + (t + 1) * step),
                             std::ref(found[t]));
    part(first, std::min(end, first + step), found[0]);
    for (std::thread &w : workers)
        w.join();
    for (unsigned t = 1; t < threads; ++t)
        found[0].insert(found[0].end(), found[t].begin(), found[t].end());
    return std::move(found[0]);
}

namespace
{

constexpr std::size_t kBlockBytes = std::size_t(8) << 20;

} // namespace

SearchIndex::SearchIndex()
{
    static_assert(sizeof(Slice) == 8);
}

void SearchIndex::set(std::int32_t recordNumber, const ContactRecord &record)
{
    if (recordNumber < 0)
        return;
    remove(recordNumber);
    m_scratch.clear();
    appendRecordText(m_scratch, record);
    if (m_blocks.empty() || m_blocks.back().text.size() + m_scratch.size() > kBlockBytes) {
        m_blocks.emplace_back();
        m_blocks.back().text.reserve(kBlockBytes);
    }
    Block &block = m_blocks.back();
    if (std::size_t(recordNumber) >= m_slices.size())
        m_slices.resize(std::size_t(recordNumber) + 1, Slice{0, 0, 0, 0});
    m_slices[std::size_t(recordNumber)] =
        Slice{m_blocks.size() - 1, block.text.size(), m_scratch.size(), 1};
    block.starts.push_back(std::uint32_t(block.text.size()));
    block.owners.push_back(recordNumber);
    block.text.append(m_scratch);
    ++m_count;
}

void SearchIndex::remove(std::int32_t recordNumber)
{
    if (recordNumber < 0 || std::size_t(recordNumber) >= m_slices.size())
        return;
    Slice &slice = m_slices[std::size_t(recordNumber)];
    if (!slice.live)
        return;
    Block &block = m_blocks[slice.block];
    const auto at = std::lower_bound(block.starts.begin(), block.starts.end(), slice.start);
    block.owners[std::size_t(at - block.starts.begin())] = -1;
    slice.live = 0;
    block.dead += slice.length;
    --m_count;
    // Edits leave the old text behind; once it is most of a block, the
    // block is written again without it.
    if (block.dead > block.text.size() / 2 && block.dead > kBlockBytes / 4)
        compact(slice.block);
}

void SearchIndex::compact(std::size_t index)
{
    Block &block = m_blocks[index];
    Block kept;
    kept.text.reserve(kBlockBytes);
    for (std::size_t i = 0; i < block.owners.size(); ++i) {
        const std::int32_t owner = block.owners[i];
        if (owner < 0)
            continue;
        Slice &slice = m_slices[std::size_t(owner)];
        const std::string_view old = text(slice);
        kept.starts.push_back(std::uint32_t(kept.text.size()));
        kept.owners.push_back(owner);
        kept.text.append(old);
        slice.start = kept.starts.back();
    }
    block = std::move(kept);
}

std::size_t SearchIndex::bytes() const
{
    std::size_t total = m_slices.capacity() * sizeof(Slice);
    for (const Block &b : m_blocks)
        total += b.text.capacity() + b.starts.capacity() * sizeof(std::uint32_t) +
                 b.owners.capacity() * sizeof(std::int32_t);
    return total;
}

void SearchIndex::scan(const Block &block, std::string_view needle,
                       std::vector<std::int32_t> &hits) const
{
    // One pass over the block; a hit names the slice it falls in, and the
    // pass goes on after that slice, so each contact counts once.
    const char *const begin = block.text.data();
    const std::size_t size = block.text.size();
    std::size_t at = 0;
    std::size_t slice = 0;
    while (at < size) {
        const char *found = findText({begin + at, size - at}, needle);
        if (!found)
            break;
        const auto offset = std::uint32_t(found - begin);
        // Slices are in text order: most hits are near the one before.
        if (slice + 1 < block.starts.size() && block.starts[slice + 1] <= offset)
            slice = std::size_t(std::upper_bound(block.starts.begin() + std::ptrdiff_t(slice) + 1,
                                                 block.starts.end(), offset) -
                                block.starts.begin()) -
                    1;
        if (block.owners[slice] >= 0)
            hits.push_back(block.owners[slice]);
        at = slice + 1 < block.starts.size() ? block.starts[slice + 1] : size;
    }
}

std::vector<std::int32_t> SearchIndex::find(const SearchQuery &query,
                                            const std::vector<std::int32_t> *within) const
{
    std::vector<std::int32_t> result;
    const auto live = [this](std::int32_t r) {
        return r >= 0 && std::size_t(r) < m_slices.size() && m_slices[std::size_t(r)].live;
    };
    if (within) {
        for (const std::int32_t r : *within)
            if (live(r) && textMatches(query, text(m_slices[std::size_t(r)])))
                result.push_back(r);
        return result;
    }
    if (query.empty()) {
        result.reserve(m_count);
        for (const Block &b : m_blocks)
            for (const std::int32_t owner : b.owners)
                if (owner >= 0)
                    result.push_back(owner);
        return result;
    }
    // The longest word is likely the rarest: scan for it, then try the
    // other words on its hits only.
    const auto longest = std::max_element(
        query.words.begin(), query.words.end(),
        [](const SearchWord &a, const SearchWord &b) { return a.text.size() < b.text.size(); });
    const bool digitsToo = !longest->digits.empty() && longest->digits != longest->text;
    const auto scanBlocks = [&](std::size_t first, std::size_t end,
                                std::vector<std::int32_t> &hits) {
        for (std::size_t i = first; i < end; ++i) {
            const std::size_t before = hits.size();
            scan(m_blocks[i], longest->text, hits);
            if (digitsToo) {
                // Found as text or among the digits: both passes, each contact once.
                scan(m_blocks[i], longest->digits, hits);
                std::sort(hits.begin() + std::ptrdiff_t(before), hits.end());
                hits.erase(std::unique(hits.begin() + std::ptrdiff_t(before), hits.end()),
                           hits.end());
            }
        }
    };
    // A large index is scanned in two halves at once: the blocks never change
    // during a search, and each half keeps its own hits.
    std::vector<std::int32_t> hits, second;
    const std::size_t half = m_blocks.size() >= 2 ? m_blocks.size() / 2 : m_blocks.size();
    std::thread other;
    if (half < m_blocks.size())
        other = std::thread(scanBlocks, half, m_blocks.size(), std::ref(second));
    scanBlocks(0, half, hits);
    if (other.joinable()) {
        other.join();
        hits.insert(hits.end(), second.begin(), second.end());
    }
    if (query.words.size() == 1)
        return hits;
    return find(query, &hits);
}

} // namespace vcq::search
