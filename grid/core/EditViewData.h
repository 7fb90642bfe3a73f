#pragma once

// The paint data of an editor and the frame geometry derived from it. The
// editor builds the data for each paint or size question; the grid's cell
// painter fills the same fields to draw a cell with the editor's drawing
// code.

#include "grid/core/ControlTypes.h"
#include "grid/core/EditStyle.h"

#include "platform/gfx/GdiObjects.h"
#include "platform/rtl/Types.h"

#include <QChar>
#include <QVariant>

#include <vector>

namespace grid {

class TdxEditViewData
{
public:
    TdxEditViewData() = default;
    TdxEditViewData(const TdxEditViewData &) = delete;
    TdxEditViewData &operator=(const TdxEditViewData &) = delete;
    virtual ~TdxEditViewData();

    bool Enabled = true;
    bool Focused = false;
    bool Active = false; // mouse inside, or focused and enabled
    rtl::TColor BorderColor = rtl::clWindowFrame;
    TdxEditBorderStyle BorderStyle = xbsNone;
    TdxEditButtonViewStyle ButtonStyle = btsDefault;
    bool ButtonsTransparent = false;
    bool StaticFocus = false; // a focus rectangle when focused
    TdxEditEdges Edges = edgAll;
    bool Shadow = false;
    bool KeepBkMode = false;
    bool Transparent = false; // the background is not filled
    rtl::TRect Margins;       // left, top, right, bottom insets of the text
    rtl::TRect Bounds;        // (0, 0, width, height)
    TAlignment Alignment = taLeftJustify;
    int VerticalLayout = 0; // 0 top, 1 centre, 2 bottom, 3 word-wrapped
    gfx::Brush Brush;
    rtl::TColor Color = rtl::clWhite; // RGB
    gfx::Font Font;
    rtl::TColor FontColor = rtl::clBlack; // RGB
    bool IsTextEditor = false;
    QVariant EditValue;
    int TextLength = 0; // 0 until measured
    bool MeasureOnly = false;
    int LineCount = 0;
    int Height = 0;
    int LineHeight = 0;
    TCursor Cursor = crDefault;
};

class TdxTextEditViewData : public TdxEditViewData
{
public:
    TEditCharCase CharCase = ecNormal;
    bool EndEllipsis = false;
    QChar PasswordChar; // null: none
    bool SelectionBar = false;
};

struct TdxEditViewInfo
{
    int BorderWidth = 0;
    int ShadowSize = 0;
    rtl::TRect Bounds;
    rtl::TRect ClientRect;
    bool EdgeLeft = false;
    bool EdgeTop = false;
    bool EdgeRight = false;
    bool EdgeBottom = false;
    rtl::TRect BorderRect;
    rtl::TRect ShadowRect; // empty without a shadow
};

// The frame: ClientRect is Bounds less 2 a side (and the shadow at the right
// and bottom), BorderRect grows ClientRect by the border width on each drawn
// edge, ShadowRect is BorderRect moved by the shadow.
TdxEditViewInfo CalcViewInfo(const TdxEditViewData &viewData);

// How a border looks while the editor is hot: one step heavier.
TdxEditBorderStyle HotBorderStyle(TdxEditBorderStyle style);
// btsDefault follows the (possibly hot) border style.
TdxEditButtonViewStyle ResolveButtonStyle(TdxEditButtonViewStyle style, TdxEditBorderStyle borderStyle);
bool ButtonsTransparent(TdxEditButtonTransparence transparence, bool active);

// The window region of a framed editor: the border and shadow rectangles, so
// that what lies outside them shows what is below. Empty when the whole
// window is drawn (no shadow, a border at least 2 wide, all four edges).
std::vector<rtl::TRect> EditWindowRegion(const TdxEditViewInfo &info, TdxEditEdges edges);

// The cursor over the editor: the view data's own, else an arrow for an
// editor that is not a text editor.
TCursor GetEditCursor(const TdxEditViewData &viewData);

} // namespace grid
