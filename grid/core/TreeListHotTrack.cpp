#include "grid/core/TreeListHotTrack.h"

#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListLayout.h"

#include <algorithm>

namespace grid {

TreeListHotTrack::TreeListHotTrack(TCustomdxTreeList &tree)
    : m_tree(tree)
    // A hot node deleted under the pointer takes its cell's hotness along;
    // nothing is repainted, the row has gone.
    , m_node(std::make_unique<TreeListNodeRef>(tree, nullptr, [this](TdxTreeListNode *) {
        m_hasNode = false;
        m_column = -1;
    }))
{}

TreeListHotTrack::~TreeListHotTrack() = default;

TdxTreeListNode *TreeListHotTrack::Node() const
{
    return m_node->get();
}

bool TreeListHotTrack::IsHotCell(const TdxTreeListNode *node, int column) const
{
    return m_hasNode && node && node == m_node->get() && column >= 0 && column == m_column;
}

bool TCustomdxTreeList::IsHotCell(TdxTreeListNode *node, int column)
{
    return m_hotTrack->IsHotCell(node, column);
}

void TCustomdxTreeList::GetHotTrackCursor(TdxTreeListNode *node, int column, TCursor &cursor)
{
    if (OnHotTrackCursor)
        OnHotTrackCursor(this, node, column, cursor);
}

void TreeListHotTrack::Update(const TdxTreeListHitInfo &hit)
{
    const uint8_t state = m_tree.State();
    if (state != tsNone && state != tsBottomButtonDown)
        return;
    TdxTreeListNode *node = nullptr;
    int column = -1;
    // The grid's answers are a descendant's, which may free the grid and
    // this tracker with it.
    const TreeListAlive tree = m_tree.AliveToken();
    const bool hotTrack = m_tree.IsHotTrack();
    if (tree.expired())
        return;
    if (hotTrack && hit.ColumnIndex >= 0) {
        if (hit.HitCode == htCell && hit.Node) {
            const bool cell = m_tree.ColumnCellHotTrack(hit.ColumnIndex);
            if (tree.expired())
                return;
            if (cell) {
                node = hit.Node;
                column = hit.ColumnIndex;
            }
        } else if (hit.HitCode == htColumnHeader) {
            const bool header = m_tree.ColumnHeaderHotTrack(hit.ColumnIndex);
            if (tree.expired())
                return;
            if (header)
                column = hit.ColumnIndex;
        }
    }
    set(node, column);
}

void TreeListHotTrack::Reset()
{
    set(nullptr, -1);
}

void TreeListHotTrack::set(TdxTreeListNode *node, int column)
{
    if (node == m_node->get() && column == m_column && (node != nullptr) == m_hasNode)
        return;
    invalidateHot();
    *m_node = node;
    m_hasNode = node != nullptr;
    m_column = column;
    invalidateHot();
}

void TreeListHotTrack::invalidateHot()
{
    TreeListHost *host = m_tree.Host();
    if (!host || m_column < 0 || m_tree.IsDestroying())
        return;
    TdxTreeListLayoutInfo info;
    m_tree.CalcLayout(info);
    const int column = m_column;
    const auto cell = std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                   [column](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == column; });
    if (cell == info.HeaderCells.end())
        return;
    if (!m_hasNode) {
        host->invalidate(cell->CellRect);
        return;
    }
    TdxTreeListNode *node = m_node->get();
    const auto row = std::find_if(info.Rows.begin(), info.Rows.end(),
                                  [node](const TdxTreeListRowInfo &r) { return r.Node == node; });
    if (row != info.Rows.end())
        host->invalidate(rtl::TRect{cell->CellRect.Left, row->Top, cell->CellRect.Right, row->Top + row->Height});
}

} // namespace grid
