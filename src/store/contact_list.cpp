#include "contact_list.h"

#include <algorithm>
#include <stdexcept>

namespace vcq
{

namespace
{

// Eight key bytes from `from` as a big-endian number: compares like the bytes.
std::uint64_t keyPrefix(const std::string &key, std::size_t from)
{
    std::uint64_t p = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        p = (p << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return p;
}

} // namespace

std::string ContactNode::field(Field f) const
{
    const int wanted = static_cast<int>(f);
    if (wanted >= kContactFieldCount)
        return {};
    std::size_t at = 0;
    for (int i = 0; i < wanted; ++i)
        at += 1 + static_cast<unsigned char>(m_fields[at]);
    return m_fields.substr(at + 1, static_cast<unsigned char>(m_fields[at]));
}

ContactRecord ContactNode::record() const
{
    ContactRecord r;
    for (int i = 0; i < kContactFieldCount; ++i)
        r.set(static_cast<Field>(i), field(static_cast<Field>(i)));
    return r;
}

void ContactNode::assign(std::int32_t recordNumber, const ContactRecord &record,
                         std::uint64_t sequence)
{
    RecordNumber = recordNumber;
    PrintHeight = 0;
    PrintPanel = 0;
    m_sequence = sequence;
    std::string_view texts[kContactFieldCount];
    std::size_t total = kContactFieldCount;
    for (int i = 0; i < kContactFieldCount; ++i) {
        texts[i] = record.view(static_cast<Field>(i));
        total += texts[i].size();
    }
    m_fields.resize(total);
    char *out = m_fields.data();
    for (const std::string_view text : texts) {
        *out++ = static_cast<char>(text.size());
        std::copy(text.begin(), text.end(), out);
        out += text.size();
    }
    DisplayKey = displayKey(texts[static_cast<int>(Field::LastName)],
                            texts[static_cast<int>(Field::FirstName)]);
    m_keyPrefix[0] = keyPrefix(DisplayKey, 0);
    m_keyPrefix[1] = keyPrefix(DisplayKey, 8);
}

bool ContactList::Less::operator()(const OrderEntry &a, const OrderEntry &b) const
{
    if (a.prefix[0] != b.prefix[0])
        return a.prefix[0] < b.prefix[0];
    if (a.prefix[1] != b.prefix[1])
        return a.prefix[1] < b.prefix[1];
    const int c = a.node->DisplayKey.compare(b.node->DisplayKey); // byte order, unsigned
    return c != 0 ? c < 0 : a.node->m_sequence > b.node->m_sequence;
}

bool ContactList::Less::operator()(const OrderEntry &a, std::string_view key) const
{
    return std::string_view(a.node->DisplayKey) < key;
}

bool ContactList::Less::operator()(std::string_view key, const OrderEntry &b) const
{
    return key < std::string_view(b.node->DisplayKey);
}

ContactList::OrderEntry ContactList::entryOf(ContactNode *node)
{
    return {{node->m_keyPrefix[0], node->m_keyPrefix[1]}, node};
}

ContactNode *ContactList::newNode(std::int32_t recordNumber, const ContactRecord &record)
{
    if (recordNumber < 0)
        throw std::out_of_range("negative record number");
    ContactNode *node;
    if (!m_free.empty()) {
        node = m_free.back();
        m_free.pop_back();
    } else {
        node = &m_pool.emplace_back();
    }
    node->assign(recordNumber, record, m_nextSequence++);
    const auto slot = static_cast<std::size_t>(recordNumber);
    if (slot >= m_bySlot.size())
        m_bySlot.resize(std::max(slot + 1, m_bySlot.size() * 2), nullptr);
    if (ContactNode *old = m_bySlot[slot]) {
        // A record number designates one contact; a stale node would be unreachable.
        m_order.erase(entryOf(old));
        releaseNode(old);
    }
    m_bySlot[slot] = node;
    return node;
}

void ContactList::releaseNode(ContactNode *node)
{
    m_bySlot[static_cast<std::size_t>(node->RecordNumber)] = nullptr;
    node->DisplayKey = std::string();
    node->m_fields = std::string();
    m_free.push_back(node);
}

ContactNode *ContactList::nodeOf(std::int32_t recordNumber) const
{
    if (recordNumber < 0 || static_cast<std::size_t>(recordNumber) >= m_bySlot.size())
        return nullptr;
    return m_bySlot[static_cast<std::size_t>(recordNumber)];
}

const ContactNode &ContactList::InsertNode(std::int32_t recordNumber, const ContactRecord &record)
{
    ContactNode *node = newNode(recordNumber, record);
    m_order.insert(entryOf(node));
    return *node;
}

const ContactNode *ContactList::FindNode(std::string_view key) const
{
    // Equal keys sort newest first, so the first one not below the key is the
    // one a walk from the head meets first.
    auto it = m_order.lower_bound(key);
    if (it == m_order.end() || it->node->DisplayKey != key)
        return nullptr;
    return it->node;
}

const ContactNode *ContactList::findRecord(std::int32_t recordNumber) const
{
    return nodeOf(recordNumber);
}

bool ContactList::update(std::int32_t recordNumber, const ContactRecord &record)
{
    ContactNode *node = nodeOf(recordNumber);
    if (!node)
        return false;
    if (displayKey(record) == node->DisplayKey) {
        // Same key, same place: the order does not depend on the other fields.
        node->assign(recordNumber, record, node->m_sequence);
        return true;
    }
    m_order.erase(entryOf(node));
    node->assign(recordNumber, record, m_nextSequence++);
    m_order.insert(entryOf(node));
    return true;
}

bool ContactList::remove(std::int32_t recordNumber)
{
    ContactNode *node = nodeOf(recordNumber);
    if (!node)
        return false;
    m_order.erase(entryOf(node));
    releaseNode(node);
    return true;
}

void ContactList::clear()
{
    m_order.clear();
    m_bySlot.clear();
    m_pool.clear();
    m_free.clear();
    m_loading.clear();
}

void ContactList::beginLoad(std::size_t expected)
{
    clear();
    m_bySlot.reserve(expected + 1);
    m_loading.reserve(expected);
}

void ContactList::loadRecord(std::int32_t recordNumber, const ContactRecord &record)
{
    ContactNode *node = newNode(recordNumber, record);
    m_loading.push_back(node);
}

void ContactList::endLoad()
{
    std::vector<OrderEntry> entries;
    entries.reserve(m_loading.size());
    for (ContactNode *n : m_loading)
        if (m_bySlot[static_cast<std::size_t>(n->RecordNumber)] == n)
            entries.push_back(entryOf(n));
    m_loading = {};
    std::sort(entries.begin(), entries.end(), Less());
    for (const OrderEntry &e : entries)
        m_order.insert(m_order.end(), e);
}

} // namespace vcq
