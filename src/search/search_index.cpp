// SPDX-License-Identifier: GPL-3.0-or-later
#include "search_index.h"

#include "find_text.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <thread>

namespace vcq::search
{

bool recordMatches(const SearchQuery &query, const ContactRecord &record)
{
    if (query.empty())
        return true;
    std::string text;
    appendRecordText(text, record);
    return textMatches(query, text);
}

namespace
{

// The longest word is likely the rarest: it is looked for through much text
// at once, the other words only in the contacts where it was found.
const SearchWord &leadWord(const SearchQuery &query)
{
    return *std::max_element(
        query.words.begin(), query.words.end(),
        [](const SearchWord &a, const SearchWord &b) { return a.text.size() < b.text.size(); });
}

// Records whose text is made and searched at a time: it stays in the cache.
// They are read in order; asking the memory for records ahead by hand cost
// more than it saved (the command line's search at 100k, 1-3 ms slower).
constexpr std::int64_t kChunkRecords = 256;

// The matches among records[from, to), in order.
template <typename Found>
void matchPart(const SearchQuery &query, const ContactRecord *records, std::int64_t from,
               std::int64_t to, const Found &found)
{
    const SearchWord &lead = leadWord(query);
    // A phone's digits are searched as well, when they are not the word itself.
    const bool digitsToo = !lead.digits.empty() && lead.digits != lead.text;
    TextForm form;
    form.folded = !std::all_of(query.words.begin(), query.words.end(),
                               [](const SearchWord &w) { return foundUnfolded(w.text); });
    form.phoneDigits = std::any_of(query.words.begin(), query.words.end(),
                                   [](const SearchWord &w) { return !w.digits.empty(); });
    std::string buffer(std::size_t(kChunkRecords) * kRecordTextRoom, '\0');
    std::vector<std::uint32_t> starts;
    std::vector<std::int32_t> owners;
    std::vector<char> hit;
    for (std::int64_t chunk = from; chunk < to; chunk += kChunkRecords) {
        starts.clear();
        owners.clear();
        char *const begin = buffer.data();
        char *end = begin;
        for (std::int64_t n = chunk; n < std::min(to, chunk + kChunkRecords); ++n) {
            if (records[n].isTombstone())
                continue;
            starts.push_back(std::uint32_t(end - begin));
            owners.push_back(std::int32_t(n));
            end = recordTextInto(end, records[n], form);
        }
        const std::string_view all(begin, std::size_t(end - begin));
        hit.assign(owners.size(), 0);
        forEachSliceHolding(all, starts, lead.text, [&hit](std::size_t i) { hit[i] = 1; });
        if (digitsToo)
            forEachSliceHolding(all, starts, lead.digits, [&hit](std::size_t i) { hit[i] = 1; });
        for (std::size_t i = 0; i < owners.size(); ++i) {
            if (!hit[i])
                continue;
            const std::size_t sliceEnd = i + 1 < starts.size() ? starts[i + 1] : all.size();
            if (query.words.size() == 1 ||
                textMatches(query, all.substr(starts[i], sliceEnd - starts[i])))
                found(owners[i]);
        }
    }
}

} // namespace

void forEachMatch(const SearchQuery &query, const ContactRecord *records, std::int64_t first,
                  std::int64_t end, unsigned threads,
                  const std::function<void(unsigned part, std::int32_t recordNumber)> &found)
{
    end = std::min<std::int64_t>(end, std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1);
    const std::int64_t count = std::max<std::int64_t>(0, end - first);
    const auto part = [&](unsigned p, std::int64_t from, std::int64_t to) {
        const auto foundHere = [&found, p](std::int32_t n) { found(p, n); };
        if (!query.empty()) {
            matchPart(query, records, from, to, foundHere);
            return;
        }
        for (std::int64_t n = from; n < to; ++n)
            if (!records[n].isTombstone())
                foundHere(std::int32_t(n));
    };
    // A thread is worth starting for many records only.
    threads = unsigned(std::clamp<std::int64_t>(count / 20000, 1, std::max(1u, threads)));
    std::vector<std::thread> workers;
    const std::int64_t step = (count + threads - 1) / threads;
    for (unsigned t = 1; t < threads; ++t)
        workers.emplace_back(part, t, first + t * step, std::min(end, first + (t + 1) * step));
    part(0, first, std::min(end, first + step));
    for (std::thread &w : workers)
        w.join();
}

std::vector<std::int32_t> matchingRecords(const SearchQuery &query, const ContactRecord *records,
                                          std::int64_t first, std::int64_t end, unsigned threads)
{
    std::vector<std::vector<std::int32_t>> found(std::max(1u, threads));
    forEachMatch(query, records, first, end, threads,
                 [&found](unsigned part, std::int32_t n) { found[part].push_back(n); });
    for (std::size_t t = 1; t < found.size(); ++t)
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

void SearchIndex::reserve(std::size_t records)
{
    m_slices.reserve(records);
}

void SearchIndex::set(std::int32_t recordNumber, const ContactRecord &record)
{
    if (recordNumber < 0)
        return;
    remove(recordNumber);
    m_scratch.resize(kRecordTextRoom);
    const std::string_view searchable(
        m_scratch.data(), std::size_t(recordTextInto(m_scratch.data(), record) - m_scratch.data()));
    if (m_blocks.empty() || m_blocks.back().text.size() + searchable.size() > kBlockBytes) {
        m_blocks.emplace_back();
        m_blocks.back().text.reserve(kBlockBytes);
    }
    Block &block = m_blocks.back();
    if (std::size_t(recordNumber) >= m_slices.size())
        m_slices.resize(std::size_t(recordNumber) + 1, Slice{0, 0, 0, 0});
    m_slices[std::size_t(recordNumber)] =
        Slice{m_blocks.size() - 1, block.text.size(), searchable.size(), 1};
    block.starts.push_back(std::uint32_t(block.text.size()));
    block.owners.push_back(recordNumber);
    block.text.append(searchable);
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
    const SearchWord &lead = leadWord(query);
    const bool digitsToo = !lead.digits.empty() && lead.digits != lead.text;
    // Every hit goes straight into the result, each half of the blocks into
    // a room of its own that can hold all of that half's contacts: a query
    // that matches a million never holds its hits twice.
    const std::size_t half = m_blocks.size() >= 2 ? m_blocks.size() / 2 : m_blocks.size();
    const auto contactsIn = [this](std::size_t first, std::size_t end) {
        std::size_t n = 0;
        for (std::size_t i = first; i < end; ++i)
            n += m_blocks[i].owners.size();
        return n;
    };
    const std::size_t secondAt = contactsIn(0, half);
    result.resize(secondAt + contactsIn(half, m_blocks.size()));
    const auto scanBlocks = [&](std::size_t first, std::size_t end, std::int32_t *out) {
        std::int32_t *const start = out;
        std::vector<std::int32_t> asDigits, both; // reused block after block
        for (std::size_t i = first; i < end; ++i) {
            const Block &block = m_blocks[i];
            std::int32_t *const before = out;
            forEachSliceHolding(block.text, block.starts, lead.text, [&](std::size_t slice) {
                if (block.owners[slice] >= 0)
                    *out++ = block.owners[slice];
            });
            if (!digitsToo)
                continue;
            // Found as text or among the digits: both passes, each contact
            // once; the block's room holds each of its contacts once.
            asDigits.clear();
            both.clear();
            forEachSliceHolding(block.text, block.starts, lead.digits, [&](std::size_t slice) {
                if (block.owners[slice] >= 0)
                    asDigits.push_back(block.owners[slice]);
            });
            std::sort(before, out);
            std::sort(asDigits.begin(), asDigits.end());
            std::set_union(before, out, asDigits.begin(), asDigits.end(), std::back_inserter(both));
            out = std::copy(both.begin(), both.end(), before);
        }
        return std::size_t(out - start);
    };
    // A large index is scanned in two halves at once: the blocks never change
    // during a search.
    std::size_t secondFound = 0;
    std::thread other;
    if (half < m_blocks.size())
        other = std::thread(
            [&] { secondFound = scanBlocks(half, m_blocks.size(), result.data() + secondAt); });
    const std::size_t firstFound = scanBlocks(0, half, result.data());
    if (other.joinable())
        other.join();
    std::copy_n(result.begin() + std::ptrdiff_t(secondAt), secondFound,
                result.begin() + std::ptrdiff_t(firstFound));
    result.resize(firstFound + secondFound);
    if (result.capacity() > 2 * result.size() + 4096)
        result.shrink_to_fit();
    if (query.words.size() == 1)
        return result;
    return find(query, &result);
}

} // namespace vcq::search
