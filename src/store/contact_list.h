// The in-memory list of all contacts that are not deleted, in ascending byte
// order of their display key; among equal keys the most recently inserted
// comes first. Each node is also reachable by its record number, so two
// contacts with the same name stay two distinct contacts. Nodes keep only the
// text of their fields, so a large list costs a fraction of its file.
#pragma once

#include "contact_record.h"

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vcq
{

class ContactList;

class ContactNode
{
public:
    std::int32_t RecordNumber = 0;
    std::string DisplayKey;
    // Scratch values of the Wallet Book layout; 0 when the node is created.
    mutable std::int32_t PrintHeight = 0;
    mutable std::int32_t PrintPanel = 0;

    // One of the 16 contact fields.
    std::string field(Field f) const;
    // The contact as a record; the header-only fields are empty.
    ContactRecord record() const;

private:
    friend class ContactList;
    void assign(std::int32_t recordNumber, const ContactRecord &record, std::uint64_t sequence);

    std::string m_fields;         // per contact field: a length byte, then the text
    std::uint64_t m_sequence = 0; // insertion order: higher sorts first among equal keys
    // The key's first 16 bytes as two big-endian numbers: most comparisons end
    // here, without reaching the key's own storage.
    std::uint64_t m_keyPrefix[2] = {0, 0};
};

class ContactList
{
    // An entry of the order: the node's key prefix is kept beside its pointer,
    // so that placing and finding nodes rarely has to reach the nodes.
    struct OrderEntry {
        std::uint64_t prefix[2];
        ContactNode *node;
    };
    struct Less {
        using is_transparent = void;
        bool operator()(const OrderEntry &a, const OrderEntry &b) const;
        bool operator()(const OrderEntry &a, std::string_view key) const;
        bool operator()(std::string_view key, const OrderEntry &b) const;
    };
    using Order = std::set<OrderEntry, Less>;

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
        reference operator*() const { return *m_it->node; }
        pointer operator->() const { return m_it->node; }
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
        bool operator==(const const_iterator &) const = default;

    private:
        friend class ContactList;
        explicit const_iterator(Order::const_iterator it) : m_it(it) {}
        Order::const_iterator m_it;
    };

    ContactList() = default;
    ContactList(const ContactList &) = delete;
    ContactList &operator=(const ContactList &) = delete;
    // Nodes stay where they are when the list moves, so moving is safe.
    ContactList(ContactList &&) = default;
    ContactList &operator=(ContactList &&) = default;

    const_iterator begin() const { return const_iterator(m_order.begin()); }
    const_iterator end() const { return const_iterator(m_order.end()); }
    std::size_t size() const { return m_order.size(); }
    bool empty() const { return m_order.empty(); }
    // The first node in order, or null when the list is empty.
    const ContactNode *head() const { return empty() ? nullptr : m_order.begin()->node; }

    // Adds a contact in front of the first node whose key is greater or equal;
    // the key is formed from the record's names. A record number already
    // listed is replaced. Returns the new node.
    const ContactNode &InsertNode(std::int32_t recordNumber, const ContactRecord &record);
    // The first node in order whose key equals the text, or null.
    const ContactNode *FindNode(std::string_view key) const;
    // The node of a record number, or null.
    const ContactNode *findRecord(std::int32_t recordNumber) const;
    // Gives a contact new field values. A changed key moves it to its new
    // place as a fresh insertion would; an unchanged key leaves it where it was.
    // Returns false when no node has that record number.
    bool update(std::int32_t recordNumber, const ContactRecord &record);
    // Unlinks and releases a contact's node; false when there is none.
    bool remove(std::int32_t recordNumber);
    void clear();

    // Loading many contacts in file order: the same result as InsertNode for
    // each, sorted once at the end instead of placed one by one.
    void beginLoad(std::size_t expected = 0);
    void loadRecord(std::int32_t recordNumber, const ContactRecord &record);
    void endLoad();

private:
    ContactNode *newNode(std::int32_t recordNumber, const ContactRecord &record);
    void releaseNode(ContactNode *node);
    ContactNode *nodeOf(std::int32_t recordNumber) const;
    static OrderEntry entryOf(ContactNode *node);

    Order m_order;
    std::vector<ContactNode *> m_bySlot; // indexed by record number
    std::deque<ContactNode> m_pool;
    std::vector<ContactNode *> m_free;
    std::vector<ContactNode *> m_loading;
    std::uint64_t m_nextSequence = 0;
};

} // namespace vcq
