#pragma once

// The look of an in-place editor on a tree list: what its style leaves
// unassigned follows the grid, so that the editor sits in the cell like the
// cell's own text.

#include "grid/core/EditStyle.h"

namespace grid {

class TCustomdxTreeList;

class TdxTreeListEditStyle : public TdxEditStyle
{
    ZVO_CLASS(TdxTreeListEditStyle)
public:
    TdxTreeListEditStyle(InplaceEditor *edit, TCustomdxTreeList *treeList);

    TCustomdxTreeList *TreeList() const { return m_treeList; }

    rtl::TColor DefaultBorderColor() const override;
    // No border of its own where grid lines already frame the cell.
    TdxEditBorderStyle DefaultBorderStyle() const override;
    // The buttons take the grid's look.
    TdxEditButtonViewStyle DefaultButtonStyle() const override;
    TdxEditButtonTransparence DefaultButtonTransparence() const override;
    TdxEditEdges DefaultEdges() const override;
    bool DefaultHotTrack() const override;
    bool DefaultShadow() const override;

private:
    TCustomdxTreeList *m_treeList;
};

} // namespace grid
