#include "contact_list.h"

namespace vcq
{

const ContactNode &ContactList::InsertNode(std::int32_t recordNumber, const ContactRecord &record)
{
    ContactNode node;
    node.RecordNumber = recordNumber;
    node.DisplayKey = displayKey(record);
    node.Record = record;
    OrderKey key{node.DisplayKey, m_nextSequence++};
    auto [it, inserted] = m_nodes.emplace(std::move(key), std::move(node));
    // A record number designates one contact; a stale node for it would be
    // unreachable, so it is replaced.
    if (auto old = m_byRecord.find(recordNumber); old != m_byRecord.end()) {
        m_nodes.erase(old->second);
        old->second = it;
    } else {
        m_byRecord.emplace(recordNumber, it);
    }
    (void)inserted;
    return it->second;
}

const ContactNode *ContactList::FindNode(std::string_view key) const
{
    // Equal keys sort newest first, so the first node not below the key with
    // the highest sequence is the one a walk from the head meets first.
    auto it = m_nodes.lower_bound(OrderKey{std::string(key), UINT64_MAX});
    if (it == m_nodes.end() || it->first.key != key)
        return nullptr;
    return &it->second;
}

const ContactNode *ContactList::findRecord(std::int32_t recordNumber) const
{
    auto it = m_byRecord.find(recordNumber);
    return it == m_byRecord.end() ? nullptr : &it->second->second;
}

bool ContactList::update(std::int32_t recordNumber, const ContactRecord &record)
{
    auto found = m_byRecord.find(recordNumber);
    if (found == m_byRecord.end())
        return false;
    ContactNode &node = found->second->second;
    std::string key = displayKey(record);
    if (key == node.DisplayKey) {
        node.Record = record;
        return true;
    }
    m_nodes.erase(found->second);
    m_byRecord.erase(found);
    InsertNode(recordNumber, record);
    return true;
}

bool ContactList::remove(std::int32_t recordNumber)
{
    auto found = m_byRecord.find(recordNumber);
    if (found == m_byRecord.end())
        return false;
    m_nodes.erase(found->second);
    m_byRecord.erase(found);
    return true;
}

void ContactList::clear()
{
    m_nodes.clear();
    m_byRecord.clear();
}

} // namespace vcq
