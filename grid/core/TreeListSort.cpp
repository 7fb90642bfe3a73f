// Sorting the node lists of the tree list by column values.

#include "grid/core/NodeValueOrder.h"
#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListScopes.h"

#include <optional>

namespace grid {

namespace {

struct SortKeyColumn
{
    int column;
    bool descending;
};

// A merge sort of positions that stays inside its arrays whatever the
// comparison answers, so an inconsistent compare event gives some order
// rather than undefined behaviour. Stable: the right side goes first only
// when it is strictly less.
template <class Less>
void sortMergePositions(std::vector<int> &order, Less less)
{
    const size_t n = order.size();
    std::vector<int> buffer(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n);
            const size_t hi = std::min(lo + 2 * width, n);
            size_t i = lo;
            size_t j = mid;
            size_t k = lo;
            while (i < mid && j < hi)
                buffer[k++] = less(order[j], order[i]) ? order[j++] : order[i++];
            while (i < mid)
                buffer[k++] = order[i++];
            while (j < hi)
                buffer[k++] = order[j++];
        }
        order.swap(buffer);
    }
}

class SortBusyCursor
{
public:
    SortBusyCursor(TreeListHost *host, bool on)
        : m_host(on ? host : nullptr)
    {
        if (m_host)
            m_host->setBusyCursor(true);
    }
    ~SortBusyCursor()
    {
        if (m_host)
            m_host->setBusyCursor(false);
    }
    SortBusyCursor(const SortBusyCursor &) = delete;
    SortBusyCursor &operator=(const SortBusyCursor &) = delete;

private:
    TreeListHost *m_host;
};

int sortCompareTexts(const QVariant &a, const QVariant &b, const QCollator *collator)
{
    // Texts are what a text column holds: compared in place, without the
    // kind checks of the general ordering.
    if (!collator && a.metaType().id() == QMetaType::QString && b.metaType().id() == QMetaType::QString) {
        const int c =
            static_cast<const QString *>(a.constData())->compare(*static_cast<const QString *>(b.constData()));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return NodeValueOrder(a, b, collator);
}

} // namespace

void TCustomdxTreeList::SortNodes(int level, int column, bool descending)
{
    if (m_topLevel.count() == 0 || IsDestroying())
        return;
    // A descendant's answers (the sorted columns, the values, the compare
    // event) may free the grid: the sort asks nothing more then and leaves
    // the lists alone.
    const TreeListAlive self = AliveToken();
    std::vector<SortKeyColumn> keys;
    const bool multiSort = IsMultiSort();
    if (self.expired())
        return;
    int sortedCount = multiSort ? SortedColumnCount() : 0;
    if (self.expired())
        return;
    if (sortedCount > 1) {
        for (int i = 0; i < sortedCount; ++i) {
            const int index = SortedColumnIndex(i);
            if (self.expired())
                return;
            const bool desc = SortedColumnDesc(i);
            if (self.expired())
                return;
            keys.push_back({index, desc});
            sortedCount = SortedColumnCount();
            if (self.expired())
                return;
        }
    } else {
        keys.push_back({column, descending});
    }
    std::optional<QCollator> collator;
    if (optionB(boLocaleStringOrder))
        collator = NodeTextCollator();
    const QCollator *textOrder = collator ? &*collator : nullptr;
    SortBusyCursor busy(m_host, optionB(boSortHourglass));
    DeletionDeferral defer(*this);

    const size_t keyCount = keys.size();
    std::vector<TdxTreeListNode *> nodes;
    std::vector<QVariant> values;
    std::vector<int> order;
    auto sortList = [&](NodeList &list) {
        const int n = list.count();
        if (n < 2)
            return;
        nodes.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            nodes[size_t(i)] = list.at(i);
        order.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            order[size_t(i)] = i;
        if (OnCompare) {
            sortMergePositions(order, [&](int a, int b) {
                int result = 0;
                if (!self.expired())
                    OnCompare(this, nodes[size_t(a)], nodes[size_t(b)], result);
                return result < 0;
            });
            if (self.expired())
                return;
        } else {
            values.resize(size_t(n) * keyCount);
            for (int i = 0; i < n; ++i)
                for (size_t k = 0; k < keyCount; ++k) {
                    values[size_t(i) * keyCount + k] = GetSortValue(nodes[size_t(i)], keys[k].column);
                    if (self.expired())
                        return;
                }
            sortMergePositions(order, [&](int a, int b) {
                for (size_t k = 0; k < keyCount; ++k) {
                    int c =
                        sortCompareTexts(values[size_t(a) * keyCount + k], values[size_t(b) * keyCount + k], textOrder);
                    if (keys[k].descending)
                        c = -c;
                    if (c != 0)
                        return c < 0;
                }
                return false;
            });
        }
        // A handler that added or removed nodes meanwhile leaves the list as
        // it is now.
        if (list.count() != n)
            return;
        std::vector<TdxTreeListNode *> sorted(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            sorted[size_t(i)] = nodes[size_t(order[size_t(i)])];
        list.reorder(sorted);
    };

    if (level == -1 || level == 0)
        sortList(m_topLevel);
    if (self.expired())
        return;
    if (level != 0) {
        // Pre-order: each node's children are sorted before they are walked.
        for (TdxTreeListNode *n = m_topLevel.first(); n && !self.expired(); n = n->GetNext()) {
            if (!n->m_children || n->m_children->count() < 2)
                continue;
            if (level == -1 || n->Level() == level - 1)
                sortList(*n->m_children);
        }
        if (self.expired())
            return;
    }
    DropVisibleRows();
    if (self.expired())
        return;
    ensureVisibleRows();
    if (m_host && !IsUpdating())
        m_host->invalidateAll();
}

} // namespace grid
