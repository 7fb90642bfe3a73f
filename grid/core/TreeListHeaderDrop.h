#pragma once

// Where a dragged band or column header would go if it were dropped at a
// client point, as the tree list works it out on every move of the drag.

#include "platform/rtl/Types.h"

namespace grid {

// The visible position a band would be moved before (the band count: after
// the last), -1 for none, and whether the point is outside the grid.
struct TreeListBandDrop
{
    int Position = -1;
    bool Outside = false;
    rtl::TRect Arrows; // where the drop arrows stand; empty without a place
};

// A place before Position in a band line, outside the grid (hiding the
// column), or nowhere.
struct TreeListColumnDrop
{
    int Band = -1; // visible position
    int Line = -1;
    int Position = -1;
    bool Outside = false;
    rtl::TRect Arrows; // where the drop arrows stand; empty without a place
    bool Moves() const { return Band >= 0; }
};

} // namespace grid
