#pragma once

// The small pieces the tree list's painters are made of: expand buttons and
// their 12 x 12 glyph pair, sort arrows, header and indicator frames, the
// indicator glyph list, focus marks and centred images. All drawn by this
// code in the current system colours; nothing is loaded from resources.

#include "grid/core/ControlTypes.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/ImageList.h"

#include <QImage>
#include <QString>

namespace grid {

// The glyph pair of the tree glyph: a plus and a minus in a raised box.
struct ExpandGlyphPair
{
    QImage plus;
    QImage minus;
};

// Draws the pair in the current system colours.
ExpandGlyphPair DrawExpandGlyphs();
// The shared pair, drawn on first use and again by RefreshExpandGlyphs
// (when the system colours change).
const ExpandGlyphPair &SharedExpandGlyphs();
void RefreshExpandGlyphs();

// The 9 x 9 classic button, centred horizontally at y - 4.
void DrawClassicExpandButton(gfx::Canvas &canvas, const rtl::TRect &rect, int y, bool expanded);
// The 11 x 11 flat button, centred.
void DrawFlatExpandButton(gfx::Canvas &canvas, const rtl::TRect &rect, bool expanded);
// One of the glyph pair, centred: the plus when plus is set.
void DrawTwoStateGlyph(gfx::Canvas &canvas, const rtl::TRect &rect, bool plus);
// An engraved 8 x 7 triangle centred in rect.
void DrawSortArrow(gfx::Canvas &canvas, const rtl::TRect &rect, bool up);

// A raised (look 0), sunken (1) or shadow-framed (2) face filled with the
// brush, inverted when pressed; answers the text area inside.
rtl::TRect DrawHeaderFrame(gfx::Canvas &canvas, const rtl::TRect &rect, uint8_t look, const gfx::Brush &brush,
                           bool pressed);

struct HeaderCellLook
{
    uint8_t look = 0;
    QString text;
    TAlignment alignment = taLeftJustify;
    bool multiLine = false;
    bool pressed = false;
    int sorted = 0; // 0 none, 1 ascending, 2 descending
    QImage glyph;   // drawn at the left when not null
    gfx::Brush brush;
    // The drop-down part at the right: -1 none, else a DropDownState.
    int dropDown = -1;
    // 0 alone in its band line, 1 last only, 2 first only, 3 neither.
    int edges = 0;
};

enum DropDownState : int { ddNormal = 0, ddHot = 1, ddDown = 2, ddPressed = 3 };

// Width of the drop-down part of a column header.
constexpr int HeaderDropDownWidth = 15;

// The edge code of a header cell from its place in its band line.
int HeaderEdgeCode(bool firstInLine, bool lastInLine);

// A button-shadow framed face with a downward triangle half the width
// (made odd) wide.
void DrawDropDownGlyph(gfx::Canvas &canvas, const rtl::TRect &rect, int state);
// A flat sunken edge right and bottom, the face filled; answers the face
// less a pixel at either side.
rtl::TRect DrawFlatHeaderFrame(gfx::Canvas &canvas, const rtl::TRect &rect, const gfx::Brush &brush);
// Preview text: the rectangle filled, the text inside it (1 px in, the left
// edge further in by indent) word-wrapped with an end ellipsis.
void DrawPreviewText(gfx::Canvas &canvas, const rtl::TRect &rect, const QString &text, int indent,
                     const gfx::Font &font, rtl::TColor color, const gfx::Brush &brush);
// A bitmap centred in rect as DrawCentredImage centres an image.
void DrawCentredBitmap(gfx::Canvas &canvas, const rtl::TRect &rect, const QImage &bitmap);
// The bottom panel's button: 11 x 11 with a pen outline 2 px in, its face
// the button face, the window colour while hot, the frame colour pressed.
void DrawBottomPanelButton(gfx::Canvas &canvas, const rtl::TRect &rect, bool hot, bool pressed);

// A column or band header cell. A pressed one is drawn off-screen and
// copied inverted, so that its text inverts too; clip limits what reaches
// the canvas.
void DrawHeaderCell(gfx::Canvas &canvas, const rtl::TRect &rect, const rtl::TRect &clip, const HeaderCellLook &cell);

// An indicator cell: a header face with the glyph of kind centred on it
// (none for ikNone, or before the grid's start-up registration).
void DrawIndicatorCell(gfx::Canvas &canvas, const rtl::TRect &rect, uint8_t look, int kind, const gfx::Brush &brush,
                       bool pressed = false);

// The dotted focus rectangle, inverting with black and white.
void DrawFocusMark(gfx::Canvas &canvas, const rtl::TRect &rect);
// A one-pixel inverted frame, each side inverted once.
void DrawInvertedFrame(gfx::Canvas &canvas, const rtl::TRect &rect);
// An image of the list centred in rect; nothing for an index outside it.
void DrawCentredImage(gfx::Canvas &canvas, const rtl::TRect &rect, const gfx::ImageList &list, int index);

// Header text flags for the alignment: single line (vertically centred,
// end ellipsis) or word-wrapped.
unsigned HeaderTextFlags(TAlignment alignment, bool multiLine);

} // namespace grid
