// SPDX-License-Identifier: GPL-3.0-or-later
// The one home of the contacts in memory. Every contact that is not deleted
// has one node here, reachable by its record number, and the list keeps two
// orders over those nodes without copying them:
//  - its own order, ascending byte order of the display key, the most
//    recently inserted first among equal keys (lookups and printing walk it);
//  - optionally a display order given by a collation (the window's list),
//    whose row changes are told to an observer one by one.
// A node holds the key; the other fields either live in the list (a list of
// its own) or are read from the data file when asked for (a store's list),
// so loading a large file keeps only what the list shows.
#pragma once

#include "contact_order.h"
#include "contact_record.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vcq
{

class ContactList;

// One cache line holds the key, so that sorting and searching, which read
// keys of nodes all over memory, touch one line per node.
class alignas(64) ContactNode
{
    std::uint8_t m_keyLength = 0;
    char m_key[kDisplayKeyMax] = {};

public:
    ContactNode() = default;
    // The key points into the node itself: nodes stay where they are made.
    ContactNode(const ContactNode &) = delete;
    ContactNode &operator=(const ContactNode &) = delete;

    std::int64_t RecordNumber = 0;
    std::string_view DisplayKey;
    // Scratch values of the Wallet Book layout; 0 when the node is created.
    mutable std::int32_t PrintHeight = 0;
    mutable std::int32_t PrintPanel = 0;

    // One of the 16 contact fields. For a store's list this may read the data
    // file and throws StoreError when the record cannot be read.
    std::string field(Field f) const;
    // The contact as a record; the header-only fields are empty.
    ContactRecord record() const;

private:
    friend class ContactList;
    std::string_view key() const { return std::string_view(m_key, m_keyLength); }

    const ContactList *m_list = nullptr;
    std::uint64_t m_sequence = 0; // insertion order: higher sorts first among equal keys
    std::uint64_t m_prefix = 0;   // the key's first 8 bytes, big-endian: most comparisons end here
};

// Reads a contact's record when the list does not hold its fields.
class RecordSource
{
public:
    virtual ~RecordSource() = default;
    // Throws StoreError when the record cannot be read.
    virtual ContactRecord readRecord(std::int64_t recordNumber) const = 0;
};

// The order of the display list.
class KeyCollation
{
public:
    virtual ~KeyCollation() = default;
    // Below, at or above zero as key a sorts before, with or after key b.
    virtual int compare(std::string_view a, std::string_view b) const = 0;
    // A first-level weight per byte (0: the byte is passed over) such that
    // keys whose weight strings differ mostly compare in that order. It only
    // speeds up sorting many keys; compare() has the last word.
    virtual const std::array<std::uint8_t, 256> &weights() const = 0;
    // The bytes whose weight is their whole first level: each is one weight
    // (or none, when passed over) and never joins the byte before it into
    // one. Two keys made of such bytes only, whose weight strings differ,
    // compare as those strings do, and the sort need not ask compare().
    virtual const std::bitset<256> &exactBytes() const = 0;
};

// Told about every change of the display order, before and after it.
class DisplayObserver
{
public:
    virtual ~DisplayObserver() = default;
    virtual void beforeReset() = 0;
    virtual void afterReset() = 0;
    virtual void beforeInsert(std::size_t row) = 0;
    virtual void afterInsert() = 0;
    virtual void beforeRemove(std::size_t row) = 0;
    virtual void afterRemove() = 0;
    // The contact at `from` ends at `to`, counted after the move.
    virtual void beforeMove(std::size_t from, std::size_t to) = 0;
    virtual void afterMove() = 0;
    // The contact stays at its row with new field values.
    virtual void changed(std::size_t row) = 0;
};

class ContactList
{
public:
    class const_iterator
    {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = ContactNode;
        using difference_type = std::ptrdiff_t;
        using pointer = const ContactNode *;
        using reference = const ContactNode &;

        const_iterator() = default;
        reference operator*() const { return m_list->node(*m_it); }
        pointer operator->() const { return &m_list->node(*m_it); }
        const_iterator &operator++()
        {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int)
        {
            auto copy = *this;
            ++m_it;
            return copy;
        }
        const_iterator &operator--()
        {
            --m_it;
            return *this;
        }
        bool operator==(const const_iterator &o) const { return m_it == o.m_it; }

    private:
        friend class ContactList;
        const_iterator(const ContactList *list, ContactOrder::const_iterator it)
            : m_list(list), m_it(it)
        {
        }
        const ContactList *m_list = nullptr;
        ContactOrder::const_iterator m_it;
    };

    ContactList() = default;
    ~ContactList();
    ContactList(const ContactList &) = delete;
    ContactList &operator=(const ContactList &) = delete;
    // Nodes stay where they are when the list moves.
    ContactList(ContactList &&other) noexcept;
    ContactList &operator=(ContactList &&other) noexcept;

    // The list's own order: byte order of the key, newest first among equals.
    const_iterator begin() const { return const_iterator(this, m_order.begin()); }
    const_iterator end() const { return const_iterator(this, m_order.end()); }
    std::size_t size() const { return m_order.size(); }
    bool empty() const { return m_order.empty(); }
    // The first node in order, or null when the list is empty.
    const ContactNode *head() const { return empty() ? nullptr : &node(m_order.at(0)); }

    // Adds a contact in front of the first node whose key is greater or equal;
    // the key is formed from the record's names. A record number already
    // listed is replaced. Returns the new node.
    const ContactNode &InsertNode(std::int64_t recordNumber, const ContactRecord &record);
    // The first node in order whose key equals the text, or null.
    const ContactNode *FindNode(std::string_view key) const;
    // The node of a record number, or null.
    const ContactNode *findRecord(std::int64_t recordNumber) const;
    // Adds many contacts: the same list as InsertNode for each in turn. A
    // list without a display order merges a large batch in at once rather
    // than moving its rows for every contact.
    void insertMany(const std::vector<std::int32_t> &recordNumbers,
                    const std::vector<ContactRecord> &records);
    // Gives a contact new field values. A changed key moves it to its new
    // place as a fresh insertion would; an unchanged key leaves it where it was.
    // Returns false when no node has that record number.
    bool update(std::int64_t recordNumber, const ContactRecord &record);
    // Unlinks and releases a contact's node; false when there is none.
    bool remove(std::int64_t recordNumber);
    // Removes many contacts: the same list as remove for each. A list
    // without a display order drops a large batch in one pass over its order.
    void removeMany(const std::vector<std::int32_t> &recordNumbers);
    void clear();

    // Where fields come from; null (the default) keeps them in the list.
    void setRecordSource(const RecordSource *source);

    // Loading many contacts in file order: the same result as InsertNode for
    // each, both orders sorted once at the end. Only the names are taken.
    void beginLoad(std::int64_t expected = 0);
    void loadContact(std::int64_t recordNumber, std::string_view lastName,
                     std::string_view firstName);
    void endLoad();

    // The display order. Setting a collation sorts the contacts by it and
    // keeps them so; null drops the order. Only the order's bookkeeping
    // changes, never a contact, so this is allowed on a const list.
    void setDisplayOrder(const KeyCollation *collation, DisplayObserver *observer) const;
    std::size_t displayCount() const { return m_display.size(); }
    const ContactNode &displayAt(std::size_t row) const { return node(m_display.at(row)); }
    // The display row of a record number, or -1.
    std::int64_t displayRowOf(std::int64_t recordNumber) const;
    // The display rows of the given contacts, ascending, in one pass over the
    // order that reads no contact; numbers of no listed contact are passed over.
    std::vector<std::uint32_t> displayRowsOf(const std::vector<std::int32_t> &recordNumbers) const;

private:
    using Id = ContactOrder::Id;
    // A key and its place among equal keys, as the orders compare them.
    struct Probe {
        std::string_view key;
        std::uint64_t prefix;
        std::uint64_t sequence;
    };

    const ContactNode &node(Id id) const { return m_chunks[id >> kChunkBits][id & kChunkMask]; }
    ContactNode &node(Id id) { return m_chunks[id >> kChunkBits][id & kChunkMask]; }
    Id idOf(std::int64_t recordNumber) const;
    Id newNode(std::int64_t recordNumber, std::string_view lastName, std::string_view firstName);
    void releaseNode(Id id);
    void keepFields(std::int64_t recordNumber, const ContactRecord &record);
    void repointNodes();
    // What the byte order keeps beside each row: the key's first 16 bytes,
    // which order nearly every pair as the keys do.
    static ContactOrder::Key orderKey(const ContactNode &n);
    static Probe probeOf(const ContactNode &n);

    bool byteBefore(const ContactNode &a, const Probe &b) const;
    bool displayBefore(const ContactNode &a, const Probe &b) const;
    std::size_t byteRow(const ContactNode &n) const;
    std::size_t displayRow(const ContactNode &n) const;
    // Sorts ids in byte order; keys: the order key of each, in that order.
    void sortByBytes(std::vector<Id> &ids, std::vector<ContactOrder::Key> &keys) const;
    void sortForDisplay(std::vector<Id> &ids) const;
    void rebuildDisplay() const;
    std::vector<Id> liveIds() const;

    friend class ContactNode;
    std::string nodeField(const ContactNode &n, Field f) const;
    ContactRecord nodeRecord(const ContactNode &n) const;

    // Nodes come in blocks of 2 MiB, each asked to be one huge page: sorting
    // reads nodes all over memory, and a few large pages keep the address
    // translations of a million nodes in the processor's cache.
    static constexpr unsigned kChunkBits = 14;
    struct FreeChunk {
        void operator()(ContactNode *chunk) const;
    };
    static std::unique_ptr<ContactNode[], FreeChunk> newChunk();
    static constexpr Id kChunkMask = (Id(1) << kChunkBits) - 1;
    static constexpr Id kNone = ~Id(0);

    std::vector<std::unique_ptr<ContactNode[], FreeChunk>> m_chunks;
    Id m_nodeCount = 0;       // nodes made so far, live or free
    std::vector<Id> m_free;   // released nodes, reused first
    std::vector<Id> m_bySlot; // node of each record number, kNone for none
    ContactOrder m_order;     // byte order
    std::uint64_t m_nextSequence = 0;
    bool m_loading = false;
    std::vector<Id> m_loaded;

    // Fields of a list that keeps its own, by record number; each packed as
    // a length byte and the text.
    const RecordSource *m_source = nullptr;
    std::vector<std::string> m_fields;
    // The last record read from the source, for the runs of field() calls on
    // one contact that showing and printing make.
    mutable std::int64_t m_cachedRecord = -1;
    mutable ContactRecord m_cached;

    mutable const KeyCollation *m_collation = nullptr;
    mutable DisplayObserver *m_observer = nullptr;
    mutable ContactOrder m_display;
};

} // namespace vcq
