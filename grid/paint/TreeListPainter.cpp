#include "grid/paint/TreeListPainter.h"

#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListHooks.h"
#include "grid/core/TreeListScopes.h"
#include "grid/paint/TreeListGlyphs.h"

namespace grid {

using rtl::TRect;

namespace {

// Opens the scroll bracket and the canvas state for one pass and closes
// both however the pass ends.
class PaintPassScope
{
public:
    PaintPassScope(TCustomdxTreeList &tree, gfx::Canvas &canvas)
        : m_tree(tree)
        , m_alive(tree.AliveToken())
        , m_canvas(canvas)
        , m_level(canvas.SaveDC())
    {
        m_tree.HideFeedback();
    }
    ~PaintPassScope()
    {
        m_canvas.RestoreDC(m_level);
        // The feedback went with a tree list a handler freed.
        if (!m_alive.expired())
            m_tree.ShowFeedback();
    }
    PaintPassScope(const PaintPassScope &) = delete;
    PaintPassScope &operator=(const PaintPassScope &) = delete;

private:
    TCustomdxTreeList &m_tree;
    TreeListAlive m_alive;
    gfx::Canvas &m_canvas;
    int m_level;
};

gfx::Brush passBrush(rtl::TColor color)
{
    return gfx::Brush::solid(rtl::ColorToRGB(color));
}

} // namespace

TreeListPainter::TreeListPainter(TCustomdxTreeList &tree, gfx::Canvas &canvas, bool focused)
    : m_grid(tree)
    , m_alive(tree.AliveToken())
    , m_canvas(canvas)
    , m_focused(focused)
{}

TreeListPainter::~TreeListPainter() = default;

TCustomdxTreeList &TreeListPainter::tree() const
{
    if (m_alive.expired())
        throw PassEnded();
    return m_grid;
}

int RowIndicatorFor(TCustomdxTreeList &tree, TdxTreeListNode *node)
{
    const bool focused = node && node == tree.FocusedNode();
    // The indicator event may free the grid: it is asked last.
    const bool editing = focused && tree.State() == tsEditing;
    const bool multiSelect = tree.IsMultiSelect();
    const bool selected = tree.IsNodeSelected(node);
    return RowIndicatorKind(focused, editing, multiSelect, selected, !focused && tree.IsRowIndicator(node));
}

void TreeListPainter::Paint()
{
    // A drawing handler may delete the node it draws, or any other: the rows
    // are drawn from the nodes the paint began with, and the deletions are
    // carried out once it is over (they ask for the next paint).
    TCustomdxTreeList::DeletionDeferral defer(m_grid);
    PaintPassScope scope(m_grid, m_canvas);
    m_info = {};
    m_segments.clear();
    m_rowsPainted = 0;
    m_cellsPainted = 0;
    try {
        tree().CalcLayout(m_info);
        m_focusedColumn = tree().FocusedColumnIndex();
        createBrushes();
        paintGroupPanel();
        paintBandPanel();
        paintHeaderPanel();
        paintNewItemRow();
        paintIndicator();
        paintFooter();
        paintBottomPanel();
        drawRows();
    } catch (const PassEnded &) {
        // A handler freed the tree list: nothing of it is read again.
    }
    m_columnBrushes.clear();
    m_levelBrushes.clear();
}

void TreeListPainter::createBrushes()
{
    const TreeListColors &c = tree().Colors();
    m_brushes.band = passBrush(c.BandColor);
    m_brushes.header = passBrush(c.HeaderColor);
    m_brushes.group = passBrush(c.GroupColor);
    m_brushes.control = passBrush(tree().Color());
    m_brushes.treeLine = passBrush(TreeLineColor(tree().Look()));
    m_brushes.highlight = passBrush(c.HighlightColor);
    m_brushes.grayText = passBrush(c.GrayTextColor);
    m_brushes.inactive = passBrush(c.InactiveColor);
    m_brushes.light = passBrush(c.LightColor);
    m_brushes.frame = passBrush(c.FrameColor);
    const rtl::TColor control = rtl::ColorToRGB(tree().Color());
    const int count = tree().ColumnCount();
    m_columnBrushes.assign(std::max(count, 0), std::nullopt);
    for (int i = 0; i < count; ++i) {
        const rtl::TColor own = tree().ColumnColor(i);
        if (own != rtl::clNone && own != rtl::clDefault && rtl::ColorToRGB(own) != control)
            m_columnBrushes[i] = passBrush(own);
    }
}

void TreeListPainter::indicatorPiece(const TRect &rect, bool pressed)
{
    if (rect.IsEmpty() || !m_canvas.RectVisible(rect))
        return;
    DrawHeaderFrame(m_canvas, rect, tree().Look(), m_brushes.header, pressed);
}

void TreeListPainter::fixedSeparators(int top, int bottom)
{
    const int width = tree().Settings().FixedBandSeparatorWidth;
    if (width <= 0 || bottom <= top)
        return;
    if (!m_info.LeftFixedRect.IsEmpty()) {
        const TRect strip = rtl::Rect(m_info.LeftFixedRect.Right - width, top, m_info.LeftFixedRect.Right, bottom);
        if (m_canvas.RectVisible(strip))
            m_canvas.FillRect(strip, m_brushes.frame);
    }
    if (!m_info.RightFixedRect.IsEmpty()) {
        const TRect strip = rtl::Rect(m_info.RightFixedRect.Left, top, m_info.RightFixedRect.Left + width, bottom);
        if (m_canvas.RectVisible(strip))
            m_canvas.FillRect(strip, m_brushes.frame);
    }
}

bool TreeListPainter::offerHeaderHook(const TRect &rect, const TRect &clip, rtl::TColor panelColor,
                                      const gfx::Font &panelFont, HeaderCellLook &cell, const HeaderHook &hook)
{
    rtl::TColor color = panelColor;
    // The hook gets the tree list's custom-draw font, set up as the panel's.
    classes::TFont &font = tree().CustomDrawFont();
    font.SetFont(panelFont);
    m_canvas.setFont(font.Font());
    bool done = false;
    const int saved = m_canvas.SaveDC();
    if (!(clip == rect))
        m_canvas.IntersectClipRect(clip);
    hook(color, &font, done);
    m_canvas.RestoreDC(saved);
    // The font is the tree list's: the hook may have freed both.
    tree();
    if (done)
        return false;
    if (color != panelColor)
        cell.brush = passBrush(color);
    m_canvas.setFont(font.Font());
    return true;
}

void TreeListPainter::paintBandPanel()
{
    indicatorPiece(m_info.BandIndicatorRect, tree().State() == tsBandButtonDown);
    const TRect &panel = m_info.BandPanelRect;
    if (panel.IsEmpty() || !m_canvas.RectVisible(panel) || m_info.Bands.empty())
        return;
    m_canvas.setFont(tree().BandFont().Font());
    for (const TdxTreeListBandInfo &band : m_info.Bands) {
        HeaderCellLook cell;
        cell.look = tree().Look();
        cell.text = tree().VisibleBandCaption(band.BandIndex);
        cell.alignment = TAlignment(tree().VisibleBandAlignment(band.BandIndex));
        cell.multiLine = tree().BandLineSetting() > 1;
        cell.pressed = tree().State() == tsBandDown && tree().PressedBand() == band.BandIndex;
        cell.brush = m_brushes.band;
        if (tree().IsCustomDrawBand() &&
            !offerHeaderHook(band.BandRect, band.BandClipRect, tree().Colors().BandColor, tree().BandFont().Font(),
                             cell, [&](rtl::TColor &color, classes::TFont *font, bool &done) {
                                 tree().DoCustomDrawBand(band.BandIndex, &m_canvas, band.BandRect, band.BandClipRect,
                                                         cell.text, color, font, cell.alignment, done);
                             }))
            continue;
        DrawHeaderCell(m_canvas, band.BandRect, band.BandClipRect, cell);
        m_canvas.setFont(tree().BandFont().Font());
    }
    fixedSeparators(panel.Top, panel.Bottom);
}

void TreeListPainter::paintHeaderPanel()
{
    indicatorPiece(m_info.HeaderIndicatorRect, tree().State() == tsHeaderButtonDown);
    const TRect &panel = m_info.HeaderPanelRect;
    if (panel.IsEmpty() || !m_canvas.RectVisible(panel))
        return;
    m_canvas.setFont(tree().HeaderFont().Font());
    const bool panelMultiLine = tree().HeaderPanelLineCount() > 1;
    for (const TdxTreeListHeaderCell &hc : m_info.HeaderCells) {
        HeaderCellLook cell;
        cell.look = tree().Look();
        cell.text = tree().ColumnHeaderCaption(hc.ColumnIndex);
        cell.alignment = TAlignment(tree().ColumnHeaderAlignment(hc.ColumnIndex));
        cell.sorted = tree().ColumnSortState(hc.ColumnIndex);
        if (tree().ColumnHasHeaderGlyph(hc.ColumnIndex))
            if (const classes::TBitmap *glyph = tree().ColumnHeaderGlyph(hc.ColumnIndex))
                cell.glyph = glyph->Image();
        cell.multiLine = hc.LineCount > 1 || panelMultiLine;
        cell.edges = HeaderEdgeCode(hc.FirstInLine, hc.LastInLine);
        cell.dropDown = tree().ColumnHeaderDropDown(hc.ColumnIndex);
        cell.pressed = (tree().State() == tsColumnDown || tree().State() == tsColumnDownAlt) &&
                       tree().PressedColumn() == hc.ColumnIndex;
        cell.brush = m_brushes.header;
        if (tree().IsCustomDrawHeader(hc.ColumnIndex) &&
            !offerHeaderHook(hc.CellRect, hc.ClipRect, tree().Colors().HeaderColor, tree().HeaderFont().Font(), cell,
                             [&](rtl::TColor &color, classes::TFont *font, bool &done) {
                                 tree().DoCustomDrawHeader(hc.ColumnIndex, &m_canvas, hc.CellRect, cell.text, color,
                                                           font, cell.alignment, cell.sorted, done);
                             }))
            continue;
        DrawHeaderCell(m_canvas, hc.CellRect, hc.ClipRect, cell);
        m_canvas.setFont(tree().HeaderFont().Font());
    }
    // A header a hook drew itself still has the panel's filler below it.
    // The filler is clipped as its cell is: a cell passing its band's edge,
    // or the edge of the bands in view, would fill the headers beside it.
    for (const TdxTreeListHeaderCell &hc : m_info.HeaderCells) {
        const TRect filler = rtl::Rect(std::max(hc.FillerRect.Left, hc.ClipRect.Left), hc.FillerRect.Top,
                                       std::min(hc.FillerRect.Right, hc.ClipRect.Right), hc.FillerRect.Bottom);
        if (!hc.FillerRect.IsEmpty() && !filler.IsEmpty() && m_canvas.RectVisible(filler))
            m_canvas.FillRect(filler, m_brushes.treeLine);
    }
    for (const TdxTreeListEmptyBand &empty : m_info.EmptyBands) {
        const TRect part = rtl::Rect(empty.ClipRect.Left, std::max(empty.ClipRect.Top, panel.Top), empty.ClipRect.Right,
                                     std::min(empty.ClipRect.Bottom, panel.Bottom));
        if (!part.IsEmpty() && m_canvas.RectVisible(part))
            m_canvas.FillRect(part, m_brushes.treeLine);
    }
    fixedSeparators(panel.Top, panel.Bottom);
}

void TreeListPainter::paintNewItemRow()
{
    const TRect &r = m_info.NewItemRowRect;
    if (r.IsEmpty() || !m_canvas.RectVisible(r))
        return;
    DrawHeaderFrame(m_canvas, r, tree().Look() == 2 ? 1 : tree().Look(), m_brushes.header, false);
    const int indicator = tree().Metrics().IndicatorWidth;
    if (indicator > 0)
        DrawIndicatorCell(m_canvas, rtl::Rect(r.Left, r.Top, r.Left + indicator, r.Bottom), tree().Look(), igInsert,
                          m_brushes.header);
    TdxTreeListRowInfo row;
    row.Top = r.Top;
    row.Height = r.Height();
    row.Selected = tree().IsNewItemRowActive();
    const size_t before = m_segments.size();
    drawRowCells(row, true);
    if (tree().Settings().ShowGrid)
        addSegment(r.Left + indicator, r.Bottom - 1, r.Right, r.Bottom - 1);
    // As in the rows, the cell edges are collected whatever ShowGrid says
    // and only take the grid colour with it on.
    if (m_segments.size() > before)
        drawGridLines(tree().Settings().ShowGrid ? tree().GridLineColor() : tree().Color());
}

void TreeListPainter::paintIndicator()
{
    const TRect &r = m_info.IndicatorRect;
    if (r.IsEmpty() || !m_canvas.RectVisible(r) || m_info.Rows.empty())
        return;
    for (const TdxTreeListRowInfo &row : m_info.Rows) {
        const TRect cell = rtl::Rect(r.Left, row.Top, r.Right, row.Top + row.Height);
        DrawIndicatorCell(m_canvas, cell, tree().Look(), RowIndicatorFor(tree(), row.Node), m_brushes.header);
    }
    m_canvas.ExcludeClipRect(r);
}

void TreeListPainter::paintGroupPanel()
{
    const TRect &r = m_info.GroupPanelRect;
    if (r.IsEmpty() || !m_canvas.RectVisible(r))
        return;
    const int saved = m_canvas.SaveDC();
    m_canvas.IntersectClipRect(r);
    DrawGroupPanel(r, m_brushes.treeLine, m_brushes.header);
    m_canvas.RestoreDC(saved);
}

void TreeListPainter::DrawGroupPanel(const TRect &rect, const gfx::Brush &treeLine, const gfx::Brush &header)
{
    // The panel's ground in the tree-line colour on a header-coloured frame.
    m_canvas.FillRect(rect, header);
    const TRect inner = rtl::Rect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    if (!inner.IsEmpty())
        m_canvas.FillRect(inner, treeLine);
}

void TreeListPainter::paintFooter()
{
    const TRect &r = m_info.FooterRect;
    if (r.IsEmpty() || !m_canvas.RectVisible(r))
        return;
    TRect face = r;
    if (!tree().PaintSwitches().FooterStyle) {
        m_canvas.FrameRect(face, gfx::Brush::solid(rtl::ColorToRGB(rtl::clBtnShadow)));
        face = rtl::Rect(face.Left + 1, face.Top + 1, face.Right - 1, face.Bottom - 1);
        m_canvas.DrawEdge(face, gfx::BDR_RAISEDINNER, gfx::BF_RECT | gfx::BF_ADJUST);
    } else if (tree().Look() != 2) {
        m_canvas.DrawEdge(face, gfx::BDR_RAISEDINNER, gfx::BF_RECT | gfx::BF_ADJUST);
    }
    m_canvas.FillRect(face, m_brushes.header);
    // A cell under every header cell, a footer line per band line.
    const int lineHeight = tree().Metrics().FooterLineHeight;
    const int top = r.Top + 1;
    for (const TdxTreeListHeaderCell &hc : m_info.HeaderCells) {
        const TRect cell = rtl::Rect(hc.CellRect.Left, top + hc.BandLine * lineHeight, hc.CellRect.Right,
                                     top + (hc.BandLine + std::max(hc.LineCount, 1)) * lineHeight);
        const TRect clip = rtl::Rect(std::max(hc.ClipRect.Left, face.Left), std::max(cell.Top, face.Top),
                                     std::min(hc.ClipRect.Right, face.Right), std::min(cell.Bottom, face.Bottom));
        if (clip.IsEmpty() || !m_canvas.RectVisible(clip))
            continue;
        const int saved = m_canvas.SaveDC();
        m_canvas.IntersectClipRect(clip);
        DrawFooterCell(rtl::Rect(cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Bottom - 1), hc.ColumnIndex);
        m_canvas.RestoreDC(saved);
    }
    m_canvas.ExcludeClipRect(r);
}

void TreeListPainter::DrawFooterCell(const TRect &rect, int column)
{
    TRect r = rect;
    if (tree().Look() == 2)
        m_canvas.FrameRect(r, gfx::Brush::solid(rtl::ColorToRGB(rtl::clBtnShadow)));
    else
        m_canvas.DrawEdge(r, gfx::BDR_SUNKENOUTER, gfx::BF_RECT);
    r = rtl::Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    QString text = tree().FooterCellText(column);
    const rtl::TColor panelColor = tree().Colors().HeaderColor;
    rtl::TColor color = panelColor;
    classes::TFont font;
    font.SetFont(tree().Font().Font());
    font.SetColor(tree().Font().Color());
    TAlignment alignment = TAlignment(tree().ColumnAlignment(column));
    gfx::Brush brush = m_brushes.header;
    // The footer panel is row -1 of the program's row-cell event; a cell
    // its handler drew keeps only the frame.
    if (tree().IsCustomDrawRowCell(-1)) {
        bool done = false;
        m_canvas.setFont(font.Font());
        tree().DoCustomDrawRowCell(-1, &m_canvas, r, nullptr, column, text, color, &font, alignment, done);
        if (done)
            return;
        if (color != panelColor)
            brush = gfx::Brush::solid(rtl::ColorToRGB(color));
    }
    m_canvas.FillRect(r, brush);
    if (text.isEmpty())
        return;
    const gfx::BkMode mode = m_canvas.setBkMode(gfx::BkMode::Transparent);
    const rtl::TColor before = m_canvas.setTextColor(rtl::ColorToRGB(font.Color()));
    m_canvas.setFont(font.Font());
    m_canvas.DrawText(text, rtl::Rect(r.Left + 2, r.Top, r.Right - 2, r.Bottom), HeaderTextFlags(alignment, false));
    m_canvas.setTextColor(before);
    m_canvas.setBkMode(mode);
}

void TreeListPainter::paintBottomPanel()
{
    const TRect &r = m_info.BottomPanelRect;
    if (r.IsEmpty() || !m_canvas.RectVisible(r))
        return;
    m_canvas.FillRect(r, m_brushes.header);
    const QString text = tree().BottomPanelText();
    if (!text.isEmpty()) {
        const gfx::BkMode mode = m_canvas.setBkMode(gfx::BkMode::Transparent);
        const rtl::TColor before = m_canvas.setTextColor(rtl::ColorToRGB(tree().Font().Color()));
        m_canvas.setFont(tree().Font().Font());
        const int buttonRoom = tree().IsBottomPanelButtonShown() ? 3 + 11 + 3 : 0;
        m_canvas.DrawText(text, rtl::Rect(r.Left + 2 + buttonRoom, r.Top + 2, r.Right - 2, r.Bottom - 2),
                          gfx::DT_SINGLELINE | gfx::DT_VCENTER | gfx::DT_END_ELLIPSIS | gfx::DT_NOPREFIX);
        m_canvas.setTextColor(before);
        m_canvas.setBkMode(mode);
    }
    if (tree().IsBottomPanelButtonShown()) {
        const int top = r.Top + (r.Height() - 11) / 2;
        const bool over = tree().BottomHint().OverButton();
        const bool pressed = tree().State() == tsBottomButtonDown && tree().ButtonPressed();
        DrawBottomPanelButton(m_canvas, rtl::Rect(r.Left + 3, top, r.Left + 3 + 11, top + 11), over && !pressed,
                              pressed);
    }
    m_canvas.ExcludeClipRect(r);
}

} // namespace grid
