#pragma once

// What every tree list of the program shares: the numbers of the grid's own
// mouse cursors, the shared timer identifiers, the row-indicator glyphs and
// the texts of the customising form. The widget layer's start-up
// registration fills them in and its release empties them again.

#include "grid/core/ControlTypes.h"

namespace gfx {
class ImageList;
}

namespace grid {

class TCustomdxTreeList;

// Cursor numbers of the grid (drawn by the registration).
constexpr TCursor crDXTLDelete = -1124; // a dragged header would be removed
constexpr TCursor crDXTLFullScroll = -1131;
constexpr TCursor crDXTLHorScroll = -1132;
constexpr TCursor crDXTLVerScroll = -1133;
constexpr TCursor crDXTLUpScroll = -1134;
constexpr TCursor crDXTLRightScroll = -1135;
constexpr TCursor crDXTLDownScroll = -1136;
constexpr TCursor crDXTLLeftScroll = -1137;
constexpr TCursor crDXTLDragCopy = -1138;
constexpr TCursor crDXTLMultiDragCopy = -1139;

// Indexes in the row-indicator glyph list.
enum TreeListIndicatorGlyph : int { igArrow = 0, igEdit = 1, igInsert = 2, igMultiDot = 3, igMultiArrow = 4 };

// Texts of the customising form.
inline constexpr const char *CustomizeCaptionText = "Customize";
inline constexpr const char *CustomizeBandsText = "    Bands    ";
inline constexpr const char *CustomizeHeadersText = "   Headers   ";

// Timers that at most one grid of the program runs at a time; -1: none runs.
struct TreeListSharedTimers
{
    // The pending click-to-edit and the grid whose window runs it.
    int delayedEdit = -1;
    TCustomdxTreeList *delayedEditGrid = nullptr;
    int dragScrollHorizontal = -1;
    int dragScrollVertical = -1;
    // Moves the focus while a pressed node is held outside the rows.
    int selection = -1;
    TCustomdxTreeList *selectionGrid = nullptr;
};

// The program's one set; belongs to the user-interface thread.
TreeListSharedTimers &SharedTimers();

// Nothing before the registration and after the release.
const gfx::ImageList *IndicatorGlyphs();
void SetIndicatorGlyphs(const gfx::ImageList *glyphs);

} // namespace grid
