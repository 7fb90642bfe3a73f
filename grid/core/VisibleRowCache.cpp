#include "grid/core/VisibleRowCache.h"

#include "grid/core/TreeListNode.h"

#include <algorithm>
#include <functional>

namespace grid {

namespace {

// Raw pointer comparison is only ordered within one array; std::less is a
// total order for any two.
bool addressLess(const TdxTreeListNode *a, const TdxTreeListNode *b)
{
    return std::less<const TdxTreeListNode *>()(a, b);
}

} // namespace

TdxTreeListNode *VisibleRowCache::at(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_rows[size_t(index)];
}

int VisibleRowCache::indexOf(const TdxTreeListNode *node) const
{
    const auto it = std::lower_bound(m_byAddress.begin(), m_byAddress.end(), node,
                                     [](const Entry &e, const TdxTreeListNode *n) { return addressLess(e.node, n); });
    if (it == m_byAddress.end() || it->node != node)
        return -1;
    return it->position;
}

void VisibleRowCache::drop()
{
    m_rows.clear();
    m_byAddress.clear();
}

void VisibleRowCache::rebuild(const NodeList &topLevel)
{
    drop();
    for (TdxTreeListNode *n = topLevel.first(); n; n = n->GetNextVisible())
        m_rows.push_back(n);
    m_byAddress.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_byAddress.push_back({m_rows[i], int32_t(i)});
    std::sort(m_byAddress.begin(), m_byAddress.end(),
              [](const Entry &a, const Entry &b) { return addressLess(a.node, b.node); });
}

void VisibleRowCache::expanded(const TdxTreeListNode *node)
{
    const int at = indexOf(node);
    if (at < 0)
        return;
    // The row after the node ends its new rows: before the expansion it was
    // the next row outside the node's branch.
    const TdxTreeListNode *end = this->at(at + 1);
    std::vector<TdxTreeListNode *> added;
    for (TdxTreeListNode *n = node->GetNextVisible(); n && n != end; n = n->GetNextVisible())
        added.push_back(n);
    if (added.empty())
        return;
    const int32_t k = int32_t(added.size());
    m_rows.insert(m_rows.begin() + at + 1, added.begin(), added.end());
    for (Entry &e : m_byAddress)
        if (e.position > at)
            e.position += k;
    std::vector<Entry> fresh;
    fresh.reserve(added.size());
    for (int32_t i = 0; i < k; ++i)
        fresh.push_back({added[size_t(i)], at + 1 + i});
    std::sort(fresh.begin(), fresh.end(), [](const Entry &a, const Entry &b) { return addressLess(a.node, b.node); });
    std::vector<Entry> merged;
    merged.reserve(m_byAddress.size() + fresh.size());
    std::merge(m_byAddress.begin(), m_byAddress.end(), fresh.begin(), fresh.end(), std::back_inserter(merged),
               [](const Entry &a, const Entry &b) { return addressLess(a.node, b.node); });
    m_byAddress.swap(merged);
}

void VisibleRowCache::collapsed(const TdxTreeListNode *node)
{
    const int at = indexOf(node);
    if (at < 0)
        return;
    // The first row outside the branch stays; everything between goes.
    const TdxTreeListNode *next = node->GetNextVisible();
    const int end = next ? indexOf(next) : count();
    if (end <= at + 1)
        return;
    const int32_t k = end - at - 1;
    m_rows.erase(m_rows.begin() + at + 1, m_rows.begin() + end);
    std::erase_if(m_byAddress, [&](const Entry &e) { return e.position > at && e.position < end; });
    for (Entry &e : m_byAddress)
        if (e.position >= end)
            e.position -= k;
}

const std::vector<TdxTreeListNode *> &VisibleRowCache::allNodes(const NodeList &topLevel, int nodeCount,
                                                                uint64_t structure)
{
    if (m_allMade && m_allStructure == structure)
        return m_all;
    // The room follows the tree down as well as up.
    if (m_all.capacity() / 2 > size_t(nodeCount))
        m_all = {};
    m_all.clear();
    m_all.reserve(size_t(nodeCount));
    for (TdxTreeListNode *n = topLevel.first(); n; n = n->GetNext())
        m_all.push_back(n);
    m_allStructure = structure;
    m_allMade = true;
    return m_all;
}

} // namespace grid
