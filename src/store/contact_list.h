// The in-memory list of all contacts that are not deleted, in ascending byte
// order of their display key; among equal keys the most recently inserted
// comes first. Each node is also reachable by its record number, so two
// contacts with the same name stay two distinct contacts.
#pragma once

#include "contact_record.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

namespace vcq
{

struct ContactNode {
    std::int32_t RecordNumber = 0;
    std::string DisplayKey;
    ContactRecord Record; // the 16 contact fields; header-only fields are empty
    // Scratch values of the Wallet Book layout.
    mutable std::int32_t PrintHeight = 0;
    mutable std::int32_t PrintPanel = 0;

    std::string field(Field f) const { return Record.get(f); }
};

class ContactList
{
    struct OrderKey {
        std::string key;
        std::uint64_t sequence; // higher = inserted later, sorts first among equals
        bool operator<(const OrderKey &o) const
        {
            const int c = key.compare(o.key); // byte order, as unsigned chars
            return c != 0 ? c < 0 : sequence > o.sequence;
        }
    };
    using Map = std::map<OrderKey, ContactNode>;

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
        reference operator*() const { return m_it->second; }
        pointer operator->() const { return &m_it->second; }
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
        explicit const_iterator(Map::const_iterator it) : m_it(it) {}
        Map::const_iterator m_it;
    };

    const_iterator begin() const { return const_iterator(m_nodes.begin()); }
    const_iterator end() const { return const_iterator(m_nodes.end()); }
    std::size_t size() const { return m_nodes.size(); }
    bool empty() const { return m_nodes.empty(); }
    // The first node in order, or null when the list is empty.
    const ContactNode *head() const { return empty() ? nullptr : &m_nodes.begin()->second; }

    // Adds a contact in front of the first node whose key is greater or equal;
    // the key is formed from the record's names. Returns the new node.
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

private:
    Map m_nodes;
    std::unordered_map<std::int32_t, Map::iterator> m_byRecord;
    std::uint64_t m_nextSequence = 0;
};

} // namespace vcq
