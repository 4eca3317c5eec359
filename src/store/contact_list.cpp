// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_list.h"

#include "prefix_sort.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <future>
#include <memory>
#include <new>
#include <type_traits>

#include <cstring>
#include <iterator>
#include <stdexcept>
#include <sys/mman.h>
#include <system_error>
#include <utility>

namespace vcq
{

namespace
{

// Below this many contacts a second thread costs more than it saves.
constexpr std::size_t kSecondThreadFrom = 20000;

// The 16 contact fields, each a length byte and its text.
std::string packFields(const ContactRecord &record)
{
    std::string packed;
    for (int i = 0; i < kContactFieldCount; ++i) {
        const std::string_view text = record.view(static_cast<Field>(i));
        packed += static_cast<char>(text.size());
        packed += text;
    }
    return packed;
}

std::string unpackField(const std::string &packed, Field f)
{
    std::size_t at = 0;
    for (int i = 0; i < static_cast<int>(f); ++i)
        at += 1 + static_cast<unsigned char>(packed[at]);
    return packed.substr(at + 1, static_cast<unsigned char>(packed[at]));
}

} // namespace

std::string ContactNode::field(Field f) const
{
    if (static_cast<int>(f) >= kContactFieldCount || !m_list)
        return {};
    return m_list->nodeField(*this, f);
}

ContactRecord ContactNode::record() const
{
    return m_list ? m_list->nodeRecord(*this) : ContactRecord();
}

static_assert(std::is_trivially_destructible_v<ContactNode>, "chunks are freed without a walk");

void ContactList::FreeChunk::operator()(ContactNode *chunk) const
{
    std::free(chunk);
}

std::unique_ptr<ContactNode[], ContactList::FreeChunk> ContactList::newChunk()
{
    constexpr std::size_t kBytes = sizeof(ContactNode) << kChunkBits;
    void *memory = std::aligned_alloc(kBytes, kBytes);
    if (!memory)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    ::madvise(memory, kBytes, MADV_HUGEPAGE);
#endif
    auto *nodes = static_cast<ContactNode *>(memory);
    std::uninitialized_default_construct_n(nodes, std::size_t(1) << kChunkBits);
    return std::unique_ptr<ContactNode[], FreeChunk>(nodes);
}

ContactList::~ContactList() = default;

ContactList::ContactList(ContactList &&other) noexcept
{
    *this = std::move(other);
}

ContactList &ContactList::operator=(ContactList &&other) noexcept
{
    if (this == &other)
        return *this;
    m_chunks = std::move(other.m_chunks);
    m_nodeCount = std::exchange(other.m_nodeCount, 0);
    m_free = std::move(other.m_free);
    m_bySlot = std::move(other.m_bySlot);
    m_order = std::move(other.m_order);
    m_nextSequence = other.m_nextSequence;
    m_loading = std::exchange(other.m_loading, false);
    m_loaded = std::move(other.m_loaded);
    m_source = other.m_source;
    m_fields = std::move(other.m_fields);
    m_cachedRecord = -1;
    m_collation = std::exchange(other.m_collation, nullptr);
    m_observer = std::exchange(other.m_observer, nullptr);
    m_display = std::move(other.m_display);
    other.m_order.clear();
    other.m_display.clear();
    other.m_cachedRecord = -1;
    repointNodes();
    return *this;
}

void ContactList::repointNodes()
{
    for (Id id = 0; id < m_nodeCount; ++id)
        node(id).m_list = this;
}

ContactList::Id ContactList::idOf(std::int64_t recordNumber) const
{
    if (recordNumber < 0 || static_cast<std::uint64_t>(recordNumber) >= m_bySlot.size())
        return kNone;
    return m_bySlot[static_cast<std::size_t>(recordNumber)];
}

ContactOrder::Key ContactList::orderKey(const ContactNode &n)
{
    return {n.m_prefix, prefixOf(n.key(), 8)};
}

ContactList::Probe ContactList::probeOf(const ContactNode &n)
{
    return {n.key(), n.m_prefix, n.m_sequence};
}

ContactList::Id ContactList::newNode(std::int64_t recordNumber, std::string_view lastName,
                                     std::string_view firstName)
{
    if (recordNumber < 0)
        throw std::out_of_range("negative record number");
    Id id;
    if (!m_free.empty()) {
        id = m_free.back();
        m_free.pop_back();
    } else {
        if (m_nodeCount == kNone)
            throw std::length_error("too many contacts");
        id = m_nodeCount++;
        if ((id >> kChunkBits) >= m_chunks.size())
            m_chunks.push_back(newChunk());
    }
    ContactNode &n = node(id);
    n.m_list = this;
    n.RecordNumber = recordNumber;
    n.PrintHeight = 0;
    n.PrintPanel = 0;
    n.m_sequence = m_nextSequence++;
    n.m_keyLength = static_cast<std::uint8_t>(formDisplayKey(n.m_key, lastName, firstName));
    n.DisplayKey = std::string_view(n.m_key, n.m_keyLength);
    n.m_prefix = prefixOf(n.DisplayKey);

    const auto slot = static_cast<std::size_t>(recordNumber);
    if (slot >= m_bySlot.size())
        m_bySlot.resize(slot + 1, kNone);
    m_bySlot[slot] = id;
    return id;
}

void ContactList::releaseNode(Id id)
{
    ContactNode &n = node(id);
    m_bySlot[static_cast<std::size_t>(n.RecordNumber)] = kNone;
    if (!m_source && static_cast<std::size_t>(n.RecordNumber) < m_fields.size())
        m_fields[static_cast<std::size_t>(n.RecordNumber)] = std::string();
    n.m_list = nullptr;
    m_free.push_back(id);
}

void ContactList::keepFields(std::int64_t recordNumber, const ContactRecord &record)
{
    if (m_source)
        return;
    const auto slot = static_cast<std::size_t>(recordNumber);
    if (slot >= m_fields.size())
        m_fields.resize(std::max(slot + 1, m_fields.size() * 2));
    m_fields[slot] = packFields(record);
}

std::string ContactList::nodeField(const ContactNode &n, Field f) const
{
    if (!m_source) {
        const auto slot = static_cast<std::size_t>(n.RecordNumber);
        return slot < m_fields.size() && !m_fields[slot].empty() ? unpackField(m_fields[slot], f)
                                                                 : std::string();
    }
    if (m_cachedRecord != n.RecordNumber) {
        m_cached = m_source->readRecord(n.RecordNumber);
        m_cachedRecord = n.RecordNumber;
    }
    return m_cached.get(f);
}

ContactRecord ContactList::nodeRecord(const ContactNode &n) const
{
    ContactRecord r;
    if (m_source) {
        // Straight from the record read, field by field, with no text copies.
        if (m_cachedRecord != n.RecordNumber) {
            m_cached = m_source->readRecord(n.RecordNumber);
            m_cachedRecord = n.RecordNumber;
        }
        for (Field f : kContactFields)
            r.set(f, m_cached.view(f));
        return r;
    }
    for (int i = 0; i < kContactFieldCount; ++i)
        r.set(static_cast<Field>(i), nodeField(n, static_cast<Field>(i)));
    return r;
}

bool ContactList::byteBefore(const ContactNode &a, const Probe &b) const
{
    if (a.m_prefix != b.prefix)
        return a.m_prefix < b.prefix;
    const int c = a.key().compare(b.key); // char traits compare bytes unsigned
    return c != 0 ? c < 0 : a.m_sequence > b.sequence;
}

bool ContactList::displayBefore(const ContactNode &a, const Probe &b) const
{
    const int c = m_collation->compare(a.key(), b.key);
    return c != 0 ? c < 0 : byteBefore(a, b);
}

std::size_t ContactList::byteRow(const ContactNode &n) const
{
    const Probe p = probeOf(n);
    return m_order.lowerBound([&](Id id) { return byteBefore(node(id), p); });
}

std::size_t ContactList::displayRow(const ContactNode &n) const
{
    const Probe p = probeOf(n);
    return m_display.lowerBound([&](Id id) { return displayBefore(node(id), p); });
}

const ContactNode &ContactList::InsertNode(std::int64_t recordNumber, const ContactRecord &record)
{
    if (idOf(recordNumber) != kNone)
        remove(recordNumber); // a record number designates one contact
    m_cachedRecord = -1;
    const Id id =
        newNode(recordNumber, record.view(Field::LastName), record.view(Field::FirstName));
    keepFields(recordNumber, record);
    ContactNode &n = node(id);
    m_order.insertAt(byteRow(n), id, orderKey(n));
    if (m_collation) {
        const std::size_t row = displayRow(n);
        if (m_observer)
            m_observer->beforeInsert(row);
        m_display.insertAt(row, id);
        if (m_observer)
            m_observer->afterInsert();
    }
    return n;
}

void ContactList::insertMany(const std::vector<std::int32_t> &recordNumbers,
                             const std::vector<ContactRecord> &records)
{
    // A batch small beside the list, or a display order whose observer hears
    // of every row, goes in one contact at a time.
    if (m_collation || records.size() * 256 < m_order.size()) {
        // In key order: each insertion then searches near the one before it.
        // A stable sort keeps the batch's order among equal keys, so the
        // list ends as it would have.
        std::vector<std::pair<std::string, std::size_t>> order;
        order.reserve(records.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            order.emplace_back(displayKey(records[i]), i);
        std::stable_sort(order.begin(), order.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &[key, i] : order)
            InsertNode(recordNumbers[i], records[i]);
        return;
    }
    m_cachedRecord = -1;
    std::vector<Id> fresh;
    fresh.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (idOf(recordNumbers[i]) != kNone)
            remove(recordNumbers[i]); // a record number designates one contact
        fresh.push_back(newNode(recordNumbers[i], records[i].view(Field::LastName),
                                records[i].view(Field::FirstName)));
        keepFields(recordNumbers[i], records[i]);
    }
    // The batch in order, then each one's place among the listed contacts:
    // places only grow, and the rows between them are copied as they are.
    std::vector<ContactOrder::Key> freshKeys;
    sortByBytes(fresh, freshKeys);
    std::vector<Id> merged;
    std::vector<ContactOrder::Key> mergedKeys;
    merged.reserve(m_order.size() + fresh.size());
    mergedKeys.reserve(m_order.size() + fresh.size());
    auto row = m_order.begin();
    std::size_t at = 0;
    const std::size_t size = m_order.size();
    for (std::size_t k = 0; k < fresh.size(); ++k) {
        const Id id = fresh[k];
        const Probe p = probeOf(node(id));
        // The keys beside the rows settle nearly every step; a node, far
        // in memory in a large list, is read only when they are equal.
        const ContactOrder::Key own = freshKeys[k];
        const auto before = [&](std::size_t r) {
            const ContactOrder::Key key = m_order.keyAt(r);
            return key != own ? key < own : byteBefore(node(m_order.at(r)), p);
        };
        // The places tend to spread evenly over the rows left: the first
        // guess is twice the mean gap past the place before, galloping on
        // from there when the place lies further.
        std::size_t step = 2 * ((size - at) / (fresh.size() - k)) + 1;
        std::size_t lo = at, hi = std::min(size, at + step);
        while (hi < size && before(hi)) {
            lo = hi + 1;
            step *= 2;
            hi = std::min(size, lo + step);
        }
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (before(mid))
                lo = mid + 1;
            else
                hi = mid;
        }
        for (; at < lo; ++at, ++row) {
            merged.push_back(*row);
            mergedKeys.push_back(row.key());
        }
        merged.push_back(id);
        mergedKeys.push_back(freshKeys[k]);
    }
    for (; row != m_order.end(); ++row) {
        merged.push_back(*row);
        mergedKeys.push_back(row.key());
    }
    m_order.assign(merged, mergedKeys);
}

const ContactNode *ContactList::FindNode(std::string_view key) const
{
    // Equal keys sort newest first, so the first one not below the key is the
    // one a walk from the head meets first.
    const Probe p{key, prefixOf(key), ~std::uint64_t(0)};
    const std::size_t row = m_order.lowerBound([&](Id id) { return byteBefore(node(id), p); });
    if (row == m_order.size())
        return nullptr;
    const ContactNode &n = node(m_order.at(row));
    return n.DisplayKey == key ? &n : nullptr;
}

const ContactNode *ContactList::findRecord(std::int64_t recordNumber) const
{
    const Id id = idOf(recordNumber);
    return id == kNone ? nullptr : &node(id);
}

bool ContactList::update(std::int64_t recordNumber, const ContactRecord &record)
{
    const Id id = idOf(recordNumber);
    if (id == kNone)
        return false;
    m_cachedRecord = -1;
    keepFields(recordNumber, record);
    ContactNode &n = node(id);
    char key[kDisplayKeyMax];
    const std::size_t length =
        formDisplayKey(key, record.view(Field::LastName), record.view(Field::FirstName));
    const std::string_view newKey(key, length);
    if (newKey == n.DisplayKey) {
        // Same key, same place: the order does not depend on the other fields.
        if (m_collation && m_observer)
            m_observer->changed(displayRow(n));
        return true;
    }
    m_order.eraseAt(byteRow(n));
    std::size_t from = 0, to = 0;
    const Probe moved{newKey, prefixOf(newKey), m_nextSequence};
    if (m_collation) {
        from = displayRow(n);
        const std::size_t at =
            m_display.lowerBound([&](Id other) { return displayBefore(node(other), moved); });
        to = at > from ? at - 1 : at;
        if (m_observer)
            m_observer->beforeMove(from, to);
        m_display.eraseAt(from);
    }
    std::memcpy(n.m_key, key, length);
    n.m_keyLength = static_cast<std::uint8_t>(length);
    n.DisplayKey = std::string_view(n.m_key, length);
    n.m_prefix = moved.prefix;
    n.m_sequence = m_nextSequence++;
    m_order.insertAt(byteRow(n), id, orderKey(n));
    if (m_collation) {
        m_display.insertAt(to, id);
        if (m_observer)
            m_observer->afterMove();
    }
    return true;
}

bool ContactList::remove(std::int64_t recordNumber)
{
    const Id id = idOf(recordNumber);
    if (id == kNone)
        return false;
    m_cachedRecord = -1;
    const ContactNode &n = node(id);
    m_order.eraseAt(byteRow(n));
    if (m_collation) {
        const std::size_t row = displayRow(n);
        if (m_observer)
            m_observer->beforeRemove(row);
        m_display.eraseAt(row);
        if (m_observer)
            m_observer->afterRemove();
    }
    releaseNode(id);
    return true;
}

void ContactList::removeMany(const std::vector<std::int32_t> &recordNumbers)
{
    if (m_collation || recordNumbers.size() * 256 < m_order.size()) {
        for (const std::int32_t n : recordNumbers)
            remove(n);
        return;
    }
    m_cachedRecord = -1;
    std::vector<bool> going(m_nodeCount, false);
    for (const std::int32_t n : recordNumbers)
        if (const Id id = idOf(n); id != kNone)
            going[id] = true;
    std::vector<Id> kept;
    std::vector<ContactOrder::Key> keys;
    kept.reserve(m_order.size());
    keys.reserve(m_order.size());
    for (auto row = m_order.begin(); row != m_order.end(); ++row) {
        if (!going[*row]) {
            kept.push_back(*row);
            keys.push_back(row.key());
        }
    }
    m_order.assign(kept, keys);
    for (Id id = 0; id < m_nodeCount; ++id)
        if (going[id])
            releaseNode(id);
}

void ContactList::clear()
{
    if (m_observer)
        m_observer->beforeReset();
    m_chunks.clear();
    m_nodeCount = 0;
    m_free.clear();
    m_bySlot.clear();
    m_order.clear();
    m_display.clear();
    m_fields.clear();
    m_loaded.clear();
    m_loading = false;
    m_cachedRecord = -1;
    if (m_observer)
        m_observer->afterReset();
}

void ContactList::setRecordSource(const RecordSource *source)
{
    m_source = source;
    m_cachedRecord = -1;
}

void ContactList::beginLoad(std::int64_t expected)
{
    clear();
    // The observer hears of the reset when the load ends: nothing is shown
    // while it runs.
    if (m_observer)
        m_observer->beforeReset();
    m_loading = true;
    const auto n = static_cast<std::size_t>(std::max<std::int64_t>(expected, 0));
    m_bySlot.reserve(n + 1);
    m_loaded.reserve(n);
}

void ContactList::loadContact(std::int64_t recordNumber, std::string_view lastName,
                              std::string_view firstName)
{
    if (idOf(recordNumber) != kNone)
        throw std::invalid_argument("record loaded twice");
    m_loaded.push_back(newNode(recordNumber, lastName, firstName));
}

std::vector<ContactList::Id> ContactList::liveIds() const
{
    // In the order the nodes lie in memory, the order a sort reads them best.
    std::vector<Id> ids;
    ids.reserve(m_order.size());
    for (Id id = 0; id < m_nodeCount; ++id)
        if (node(id).m_list)
            ids.push_back(id);
    return ids;
}

void ContactList::endLoad()
{
    std::vector<Id> ids;
    ids.swap(m_loaded);
    std::vector<ContactOrder::Key> keys;
    m_loading = false;
    // Both sorts start from the nodes in the order they lie in memory, which
    // their first pass reads. Both only read the nodes: with many contacts
    // the store's own order is sorted on a second thread meanwhile.
    if (m_collation) {
        std::vector<Id> display = ids;
        std::future<void> bytes;
        if (ids.size() >= kSecondThreadFrom) {
            try {
                bytes =
                    std::async(std::launch::async, [this, &ids, &keys] { sortByBytes(ids, keys); });
            } catch (const std::system_error &) {
                // No thread to be had: sorted below, one after the other.
            }
        }
        sortForDisplay(display);
        m_display.assign(display);
        if (bytes.valid())
            bytes.get();
        else
            sortByBytes(ids, keys);
    } else {
        sortByBytes(ids, keys);
    }
    m_order.assign(ids, keys);
    if (m_observer)
        m_observer->afterReset();
}

void ContactList::sortByBytes(std::vector<Id> &ids, std::vector<ContactOrder::Key> &keys) const
{
    // Sorted on the first 16 key bytes held beside the id; the rare ties go
    // to the keys themselves.
    struct Item {
        std::uint64_t p0, p1;
        Id id;
    };
    std::vector<Item> items;
    items.reserve(ids.size());
    for (const Id id : ids) {
        const ContactNode &n = node(id);
        items.push_back({n.m_prefix, prefixOf(n.key(), 8), id});
    }
    sortByPrefix(items.data(), items.data() + items.size(), 0,
                 [this](const Item &a, const Item &b) {
                     return byteBefore(node(a.id), probeOf(node(b.id)));
                 });
    keys.resize(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        ids[i] = items[i].id;
        keys[i] = {items[i].p0, items[i].p1};
    }
}

void ContactList::sortForDisplay(std::vector<Id> &ids) const
{
    // First by the collation's byte weights, 16 of them held beside the id,
    // which orders nearly every pair the way the collation does; then every
    // neighbour the weights alone cannot vouch for is checked with the
    // collation itself, and the contacts the weights placed wrongly are taken
    // out, sorted and merged back.

    // Per byte, its weight and, above it, whether the weight is exact.
    std::array<std::uint16_t, 256> table{};
    {
        const std::array<std::uint8_t, 256> &w = m_collation->weights();
        const std::bitset<256> &exactBytes = m_collation->exactBytes();
        for (std::size_t b = 0; b < 256; ++b)
            table[b] = static_cast<std::uint16_t>(w[b] | (exactBytes.test(b) ? 0x100 : 0));
    }
    struct Item {
        std::uint64_t p0, p1;
        Id id;
        bool exact; // the bytes behind the 16 weights are exact: the weights decide
    };
    std::vector<Item> items;
    items.reserve(ids.size());
    for (const Id id : ids) {
        unsigned char folded[16] = {};
        std::size_t k = 0;
        unsigned exact = 1;
        // Bytes past the sixteenth weight cannot change the order the weights
        // give, save one that contracts with the sixteenth: the byte after it
        // is checked too.
        const std::string_view key = node(id).key();
        std::size_t i = 0;
        for (; i < key.size() && k < 16; ++i) {
            const std::uint16_t t = table[static_cast<unsigned char>(key[i])];
            exact &= t >> 8;
            if (const auto weight = static_cast<unsigned char>(t))
                folded[k++] = weight;
        }
        if (i < key.size())
            exact &= table[static_cast<unsigned char>(key[i])] >> 8;
        items.push_back(
            {bigEndianPrefix(folded, 16, 0), bigEndianPrefix(folded, 16, 8), id, exact != 0});
    }
    // The collation reads only the keys' own cache line; the rest of a node
    // is read for the rare keys that collate equal.
    const auto before = [this](Id a, Id b) {
        const ContactNode &x = node(a), &y = node(b);
        const int c = m_collation->compare(x.key(), y.key());
        return c != 0 ? c < 0 : byteBefore(x, probeOf(y));
    };
    sortByPrefix(items.data(), items.data() + items.size(), 0,
                 [&](const Item &a, const Item &b) { return before(a.id, b.id); });

    // Indices into items: the kept run, sorted, and the contacts set aside.
    std::vector<std::size_t> kept;
    std::vector<Id> aside;
    kept.reserve(items.size());
    constexpr std::size_t kAhead = 8; // nodes asked for before they are compared
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item &item = items[i];
        if (kept.empty()) {
            kept.push_back(i);
            continue;
        }
        const Item &last = items[kept.back()];
        // Items are in weight order: exact keys with different weights are in
        // the collation's order too.
        const bool vouched = last.exact && item.exact && (last.p0 != item.p0 || last.p1 != item.p1);
        if (!vouched && i + kAhead < items.size())
            __builtin_prefetch(&node(items[i + kAhead].id));
        if (vouched || before(last.id, item.id)) {
            kept.push_back(i);
        } else {
            // One of the two is out of place: both go aside, so the kept
            // sequence stays sorted and at most twice too many are resorted.
            aside.push_back(last.id);
            kept.pop_back();
            aside.push_back(item.id);
        }
    }
    ids.clear();
    if (aside.empty()) {
        for (const std::size_t i : kept)
            ids.push_back(items[i].id);
        return;
    }
    std::vector<Id> keptIds;
    keptIds.reserve(kept.size());
    for (const std::size_t i : kept)
        keptIds.push_back(items[i].id);
    items = std::vector<Item>();
    kept = std::vector<std::size_t>();
    std::sort(aside.begin(), aside.end(), before);
    std::merge(keptIds.begin(), keptIds.end(), aside.begin(), aside.end(), std::back_inserter(ids),
               before);
}

void ContactList::rebuildDisplay() const
{
    if (!m_collation) {
        m_display.clear();
        return;
    }
    std::vector<Id> ids = liveIds();
    sortForDisplay(ids);
    m_display.assign(ids);
}

void ContactList::setDisplayOrder(const KeyCollation *collation, DisplayObserver *observer) const
{
    m_observer = observer;
    m_collation = collation;
    if (m_observer)
        m_observer->beforeReset();
    rebuildDisplay();
    if (m_observer)
        m_observer->afterReset();
}

std::int64_t ContactList::displayRowOf(std::int64_t recordNumber) const
{
    const Id id = idOf(recordNumber);
    if (id == kNone || !m_collation)
        return -1;
    return static_cast<std::int64_t>(displayRow(node(id)));
}

std::vector<std::uint32_t>
ContactList::displayRowsOf(const std::vector<std::int32_t> &recordNumbers) const
{
    std::vector<std::uint32_t> rows;
    if (!m_collation || recordNumbers.empty())
        return rows;
    // Marked by node, so the pass reads the order's ids and this bitmap only.
    std::vector<bool> wanted(m_nodeCount, false);
    std::size_t count = 0;
    for (const std::int32_t r : recordNumbers) {
        const Id id = idOf(r);
        if (id != kNone && !wanted[id]) {
            wanted[id] = true;
            ++count;
        }
    }
    rows.reserve(count);
    std::uint32_t row = 0;
    for (auto it = m_display.begin(); it != m_display.end() && rows.size() < count; ++it, ++row)
        if (wanted[*it])
            rows.push_back(row);
    return rows;
}

} // namespace vcq
