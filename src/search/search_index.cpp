// SPDX-License-Identifier: GPL-3.0-or-later
#include "search_index.h"

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

void SearchIndex::reserve(std::size_t contacts, std::size_t textBytes)
{
    m_text.reserve(textBytes);
    m_starts.reserve(contacts);
    m_owners.reserve(contacts);
}

void SearchIndex::set(std::int32_t recordNumber, const ContactRecord &record)
{
    if (recordNumber < 0)
        return;
    remove(recordNumber);
    if (std::size_t(recordNumber) >= m_slices.size())
        m_slices.resize(std::size_t(recordNumber) + 1);
    Slice &slice = m_slices[std::size_t(recordNumber)];
    slice.start = m_text.size();
    appendRecordText(m_text, record);
    slice.length = std::uint32_t(m_text.size() - slice.start);
    slice.live = true;
    m_starts.push_back(slice.start);
    m_owners.push_back(recordNumber);
    ++m_count;
}

void SearchIndex::remove(std::int32_t recordNumber)
{
    if (recordNumber < 0 || std::size_t(recordNumber) >= m_slices.size())
        return;
    Slice &slice = m_slices[std::size_t(recordNumber)];
    if (!slice.live)
        return;
    const auto at = std::lower_bound(m_starts.begin(), m_starts.end(), slice.start);
    m_owners[std::size_t(at - m_starts.begin())] = -1;
    slice.live = false;
    m_dead += slice.length;
    --m_count;
    compactIfWasteful();
}

void SearchIndex::compactIfWasteful()
{
    // Edits leave the old text behind; once it is most of the block, the
    // block is written again without it.
    if (m_dead < (1u << 20) || m_dead < m_text.size() / 2)
        return;
    std::string text;
    text.reserve(m_text.size() - m_dead);
    std::vector<std::uint64_t> starts;
    std::vector<std::int32_t> owners;
    for (std::size_t i = 0; i < m_owners.size(); ++i) {
        const std::int32_t owner = m_owners[i];
        if (owner < 0)
            continue;
        Slice &slice = m_slices[std::size_t(owner)];
        const std::string_view old = this->text(slice);
        slice.start = text.size();
        text.append(old);
        starts.push_back(slice.start);
        owners.push_back(owner);
    }
    m_text = std::move(text);
    m_starts = std::move(starts);
    m_owners = std::move(owners);
    m_dead = 0;
}

std::size_t SearchIndex::bytes() const
{
    return m_text.capacity() + m_slices.capacity() * sizeof(Slice) +
           m_starts.capacity() * sizeof(std::uint64_t) + m_owners.capacity() * sizeof(std::int32_t);
}

void SearchIndex::scan(std::string_view needle, std::vector<std::int32_t> &hits) const
{
    // One pass over the whole block; a hit names the slice it falls in, and
    // the pass goes on after that slice, so each contact counts once.
    const char *const begin = m_text.data();
    std::size_t at = 0;
    std::size_t slice = 0;
    while (at < m_text.size()) {
        const void *found = ::memmem(begin + at, m_text.size() - at, needle.data(), needle.size());
        if (!found)
            break;
        const auto offset = std::uint64_t(static_cast<const char *>(found) - begin);
        // Slices are in text order: most hits are near the one before.
        if (slice + 1 < m_starts.size() && m_starts[slice + 1] <= offset)
            slice = std::size_t(std::upper_bound(m_starts.begin() + std::ptrdiff_t(slice) + 1,
                                                 m_starts.end(), offset) -
                                m_starts.begin()) -
                    1;
        const std::int32_t owner = m_owners[slice];
        const std::uint64_t end =
            slice + 1 < m_starts.size() ? m_starts[slice + 1] : std::uint64_t(m_text.size());
        if (owner >= 0)
            hits.push_back(owner);
        at = std::size_t(end);
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
        for (const std::int32_t owner : m_owners)
            if (owner >= 0)
                result.push_back(owner);
        return result;
    }
    // The longest word is likely the rarest: scan for it, then try the
    // other words on its hits only.
    const auto longest = std::max_element(
        query.words.begin(), query.words.end(),
        [](const SearchWord &a, const SearchWord &b) { return a.text.size() < b.text.size(); });
    std::vector<std::int32_t> hits;
    scan(longest->text, hits);
    if (!longest->digits.empty() && longest->digits != longest->text) {
        // Found as text or among the digits: both passes, each contact once.
        scan(longest->digits, hits);
        std::sort(hits.begin(), hits.end());
        hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
    }
    if (query.words.size() == 1)
        return hits;
    return find(query, &hits);
}

} // namespace vcq::search
