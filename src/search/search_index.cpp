// SPDX-License-Identifier: GPL-3.0-or-later
#include "search_index.h"

#include <algorithm>
#include <string.h>

namespace vcq::search
{

namespace
{

constexpr Field kPhones[] = {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3};

} // namespace

void appendRecordText(std::string &out, const ContactRecord &record)
{
    std::vector<std::string_view> fields;
    fields.reserve(kContactFieldCount);
    for (const Field f : kContactFields)
        fields.push_back(record.view(f));
    std::vector<std::string_view> phones;
    for (const Field f : kPhones)
        phones.push_back(record.view(f));
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
