#pragma once

// The geometry values and switches of a tree list, with the defaults a new
// one starts with. Layout, painting and the mouse read them; the tree list
// repaints and lays out again when they are changed through it.

#include <cstdint>

namespace grid {

struct TreeListSettings
{
    int DefaultRowHeight = 18; // one band line of a row; also the rows capacity unit
    int HeaderPanelHeight = 18;
    int FixedBandSeparatorWidth = 2;
    int PreviewLines = 2; // preview lines per row; 0 turns previews off
    int GridLineWidth = 1;
    // With option word B bit 15, rows of more than one line; 0 turns that off.
    int RowLineLimit = -1;
    int Timer101Interval = 500; // milliseconds, expand on hover
    uint8_t ScrollBars = 3;     // 0 none, 1 horizontal, 2 vertical, 3 both
    bool ShowGrid = false;
    bool ShowPreviewGrid = true;
    bool DblClickExpands = true;
    bool ShowButtons = true;
    // Off: a childless node's images move one indent left into its empty
    // button cell.
    bool ReserveButtonCell = false;
    bool RootIndent = true;
    bool ShowIndicator = false;
    bool ShowBands = false;
    bool ShowHeader = true;
    bool ShowFooter = false;
    // Footer lines under the last row of a group whose level asks for one.
    bool ShowRowFooters = false;
    // A single border round the window; off: none.
    bool BorderSingle = true;
    // DefaultRowHeight was set by hand: the metrics keep it unless it is
    // below the minimum row height.
    bool DefaultRowHeightSet = false;

    bool HorzScrollBar() const { return ScrollBars == 1 || ScrollBars == 3; }
    bool VertScrollBar() const { return ScrollBars == 2 || ScrollBars == 3; }
    // Horizontal grid lines are never thinner than a pixel.
    int HorzLineWidth() const { return ShowGrid ? (GridLineWidth > 1 ? GridLineWidth : 1) : 0; }
    friend bool operator==(const TreeListSettings &, const TreeListSettings &) = default;
};

} // namespace grid
