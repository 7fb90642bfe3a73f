// The rows of a paint pass: per row the indent (fills, tree lines, expand
// button, images), then its cells with their selection colours and focus
// mark; the grid segments of all rows are collected and drawn at the end.

#include "grid/paint/TreeListPainter.h"

#include "grid/core/TreeListHooks.h"
#include "grid/core/TreeListNodeDrag.h"
#include "grid/paint/TreeListGlyphs.h"

#include "platform/gfx/ImageList.h"

#include <QPainter>

namespace grid {

using rtl::TRect;

namespace {

bool rowNodeHasChildren(const TdxTreeListNode *node)
{
    return node && (node->HasChildren() || node->Count() > 0);
}

TRect rowIntersect(const TRect &a, const TRect &b)
{
    const TRect r = rtl::Rect(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                              std::min(a.Bottom, b.Bottom));
    return r.IsEmpty() ? TRect{} : r;
}

} // namespace

int TreeListPainter::rowsLeft() const
{
    return m_info.RowsRect.Left - (tree().LeftFixedBand() < 0 ? tree().HorzOffset() : 0);
}

int TreeListPainter::indentRight(const TdxTreeListNode *node) const
{
    return rowsLeft() + tree().NodeIndentWidth(node);
}

void TreeListPainter::addSegment(int x0, int y0, int x1, int y1)
{
    m_segments.emplace_back(x0, y0, x1, y1);
}

void TreeListPainter::drawGridLines(rtl::TColor color)
{
    if (!m_segments.empty()) {
        QPainter &p = m_canvas.painter();
        p.save();
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(gfx::ToQColor(rtl::ColorToRGB(color)), 0));
        p.drawLines(m_segments.data(), int(m_segments.size()));
        p.restore();
    }
    m_segments.clear();
}

void TreeListPainter::drawRows()
{
    // Below the last row the indicator column ends too; nothing erases the
    // window before a pass, so the empty bottom takes in the part under it.
    TRect emptyBottom = m_info.EmptyBottomRect;
    if (!emptyBottom.IsEmpty())
        emptyBottom.Left = std::min(emptyBottom.Left, m_info.ClientRect.Left);
    for (const TRect *empty : {&m_info.EmptyRightRect, &emptyBottom})
        if (!empty->IsEmpty() && m_canvas.RectVisible(*empty))
            m_canvas.FillRect(*empty, m_brushes.control);
    if (m_info.RowsRect.IsEmpty() || !m_canvas.RectVisible(m_info.RowsRect) || tree().VisibleBandCount() == 0)
        return;
    m_dragObject = tree().NodeDrag().DropHighlight();
    m_segments.reserve(m_info.Rows.size() * (m_info.HeaderCells.size() + m_info.EmptyBands.size() + 1));
    // By value: a drawing handler may free the tree list meanwhile.
    const TreeListSettings settings = tree().Settings();
    for (const TdxTreeListRowInfo &row : m_info.Rows) {
        const TRect whole = rtl::Rect(m_info.RowsRect.Left, row.Top, m_info.RowsRect.Right, row.Top + row.Height);
        if (!m_canvas.RectVisible(whole))
            continue;
        ++m_rowsPainted;
        tree().DoRowBegin(row.Node);
        m_canvas.setFont(tree().Font().Font());
        drawIndent(row);
        if (row.WholeRow)
            drawWholeRow(row);
        else
            drawRowCells(row, false);
        drawPreview(row);
        drawRowFooters(row);
        if (settings.ShowGrid)
            addSegment(indentRight(row.Node), whole.Bottom - 1, m_info.ColumnsRight, whole.Bottom - 1);
        fixedSeparators(whole.Top, whole.Bottom);
        tree().DoRowEnd(row.Node);
    }
    drawGridLines(settings.ShowGrid ? tree().GridLineColor() : tree().Color());
}

void TreeListPainter::drawPreview(const TdxTreeListRowInfo &row)
{
    if (row.PreviewLines <= 0)
        return;
    // The lines between the cells and the row's grid line, where a click
    // hits the preview. ColumnsRight is the last column's last pixel.
    const int bottom = row.Top + row.Height - m_info.HorzLineWidth - row.FooterHeight;
    const int top = bottom - row.PreviewLines * tree().Metrics().PreviewLineHeight - 2;
    const TRect rect =
        rowIntersect(rtl::Rect(indentRight(row.Node), top, m_info.ColumnsRight + 1, bottom), m_info.RowsRect);
    if (rect.IsEmpty() || !m_canvas.RectVisible(rect))
        return;
    const TreeListCellState s = cellState(row, -1, false);
    const RowColors colors = colorsFor(s, CellDrawnSelected(s), -1, row.Node);
    CellContext cell;
    cell.rect = rect;
    cell.node = row.Node;
    cell.brush = colors.brush;
    cell.textColor = colors.text;
    cell.bkColor = colors.bk;
    cell.selected = row.Selected;
    const int saved = m_canvas.SaveDC();
    m_canvas.IntersectClipRect(rect);
    DrawPreview(cell, tree().NodePreviewText(row.Node));
    m_canvas.RestoreDC(saved);
}

void TreeListPainter::DrawPreview(const CellContext &cell, const QString &text)
{
    DrawPreviewText(m_canvas, cell.rect, text, 0, tree().PreviewFont().Font(), tree().PreviewFont().Color(),
                    cell.brush);
}

const gfx::Brush &TreeListPainter::levelBrush(TdxTreeListNode *node, int level, const gfx::Brush &fallback,
                                              rtl::TColor fallbackColor, rtl::TColor *color)
{
    if (color)
        *color = fallbackColor;
    if (!tree().HasLevelColors())
        return fallback;
    const rtl::TColor own = tree().LevelColor(node, level);
    if (color)
        *color = own;
    if (rtl::ColorToRGB(own) == rtl::ColorToRGB(tree().Colors().GroupColor))
        return m_brushes.group;
    auto it = m_levelBrushes.find(own);
    if (it == m_levelBrushes.end())
        it = m_levelBrushes.emplace(own, gfx::Brush::solid(rtl::ColorToRGB(own))).first;
    return it->second;
}

void TreeListPainter::drawWholeRow(const TdxTreeListRowInfo &row)
{
    const TRect rect = rowIntersect(
        rtl::Rect(indentRight(row.Node), row.Top, m_info.ColumnsRight + 1, rowCellsBottom(row)), m_info.RowsRect);
    if (rect.IsEmpty() || !m_canvas.RectVisible(rect))
        return;
    const TreeListCellState s = cellState(row, -1, false);
    const bool selected = CellDrawnSelected(s);
    const RowColors colors = colorsFor(s, selected, -1, row.Node);
    CellContext cell;
    cell.rect = rect;
    cell.node = row.Node;
    cell.brush = colors.brush;
    cell.textColor = colors.text;
    cell.bkColor = colors.bk;
    cell.selected = row.Selected;
    cell.focused = CellFocusedFlag(s);
    const int saved = m_canvas.SaveDC();
    m_canvas.IntersectClipRect(rect);
    DrawWholeRow(cell, tree().CellText(row.Node, 0), -1);
    ++m_cellsPainted;
    m_canvas.RestoreDC(saved);
    if (!s.NewItemRowActive && s.FocusedNode) {
        const int mark = m_canvas.SaveDC();
        m_canvas.IntersectClipRect(m_info.RowsRect);
        focusMark(rect);
        m_canvas.RestoreDC(mark);
    }
}

void TreeListPainter::drawRowFooters(const TdxTreeListRowInfo &row)
{
    if (row.FooterLines <= 0)
        return;
    const std::vector<int> levels = tree().NodeFooterLevels(row.Node);
    const int lineHeight = tree().Metrics().RowFooterHeight;
    const int indent = tree().Metrics().IndentWidth;
    const int shift = tree().IsRootIndent() ? 0 : indent;
    int top = row.Top + row.Height - m_info.HorzLineWidth - row.FooterHeight;
    for (int line = 0; line < row.FooterLines; ++line, top += lineHeight) {
        const int level = line < int(levels.size()) ? levels[size_t(line)] : 0;
        // A group's footer starts where its children's indent ends.
        const int left = std::max(rowsLeft() + (level + 1) * indent - shift, m_info.RowsRect.Left);
        const TRect r = rowIntersect(rtl::Rect(left, top, m_info.ColumnsRight + 1, top + lineHeight), m_info.RowsRect);
        if (r.IsEmpty() || !m_canvas.RectVisible(r))
            continue;
        rtl::TColor color = tree().Colors().LightColor;
        m_canvas.FillRect(r, levelBrush(row.Node, level, m_brushes.light, color, &color));
        if (tree().Look() == 2)
            m_canvas.FrameRect(r, gfx::Brush::solid(rtl::ColorToRGB(rtl::clBtnShadow)));
        else
            m_canvas.DrawEdge(r, gfx::BDR_RAISEDINNER, gfx::BF_RECT);
        CellContext cell;
        cell.rect = rtl::Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        cell.node = row.Node;
        cell.brush = levelBrush(row.Node, level, m_brushes.light, color);
        cell.bkColor = color;
        cell.textColor = tree().Font().Color();
        const int saved = m_canvas.SaveDC();
        m_canvas.IntersectClipRect(cell.rect);
        DrawWholeRow(cell, QString(), line);
        m_canvas.RestoreDC(saved);
    }
}

void TreeListPainter::drawIndent(const TdxTreeListRowInfo &row)
{
    TdxTreeListNode *node = row.Node;
    // By value: a drawing handler may free the tree list meanwhile.
    const TreeListSettings settings = tree().Settings();
    const int left = rowsLeft();
    const int right = indentRight(node);
    TRect area = rtl::Rect(std::max(left, m_info.RowsRect.Left), row.Top, std::min(right, m_info.RowsRect.Right),
                           row.Top + row.Height);
    for (const TdxTreeListBandInfo &band : m_info.Bands)
        if (band.BandIndex == 0)
            area =
                rowIntersect(area, rtl::Rect(band.BandClipRect.Left, area.Top, band.BandClipRect.Right, area.Bottom));
    if (area.IsEmpty() || !m_canvas.RectVisible(area))
        return;
    const int saved = m_canvas.SaveDC();
    m_canvas.IntersectClipRect(area);
    const int indent = tree().Metrics().IndentWidth;
    const gfx::Brush &fill = settings.ReserveButtonCell ? m_brushes.control : m_brushes.group;
    const int shift = tree().IsRootIndent() ? 0 : indent;
    const int levels = node->Level() + 1;
    for (int level = 0; level < levels; ++level) {
        const TRect r = rtl::Rect(left + level * indent - shift, row.Top, left + (level + 1) * indent - shift,
                                  row.Top + row.Height);
        if (r.IsEmpty() || !m_canvas.RectVisible(r))
            continue;
        if (settings.ReserveButtonCell)
            m_canvas.FillRect(r, fill);
        else
            m_canvas.FillRect(r, this->levelBrush(node, level, fill, tree().Colors().GroupColor));
    }
    if (settings.ReserveButtonCell && tree().PaintSwitches().ShowLines)
        drawTreeLines(row, left - shift, m_brushes.grayText, tree().Color());

    // The button and images stand beside the cells, above the row's footers.
    const TreeListIndentRects parts = tree().NodeIndentRects(node, row.Height - row.FooterHeight);
    auto place = [&](const TRect &r) {
        return rtl::Rect(left + r.Left, row.Top + r.Top, left + r.Right, row.Top + r.Bottom);
    };
    if (!parts.Button.IsEmpty()) {
        const TRect button = place(parts.Button);
        const bool expanded = node->Expanded();
        if (settings.ReserveButtonCell)
            DrawTwoStateGlyph(m_canvas, button, !expanded);
        else if (tree().Look() == 2)
            DrawFlatExpandButton(m_canvas, button, expanded);
        else
            DrawClassicExpandButton(m_canvas, button, (button.Top + button.Bottom) / 2, expanded);
    }
    const gfx::Brush &imageBrush = rowNodeHasChildren(node) || row.WholeRow
                                       ? levelBrush(node, node->Level(), m_brushes.group, tree().Colors().GroupColor)
                                       : m_brushes.control;
    if (!parts.StateImage.IsEmpty()) {
        const TRect r = place(parts.StateImage);
        m_canvas.FillRect(r, imageBrush);
        if (const gfx::ImageList *list = tree().StateImages())
            DrawCentredImage(m_canvas, r, *list, tree().NodeStateIndex(node));
    }
    if (!parts.Image.IsEmpty()) {
        const TRect r = place(parts.Image);
        m_canvas.FillRect(r, imageBrush);
        int index = tree().NodeImageIndex(node);
        if (row.Selected && tree().NodeSelectedIndex(node) != -1)
            index = tree().NodeSelectedIndex(node);
        if (const gfx::ImageList *list = tree().Images())
            DrawCentredImage(m_canvas, r, *list, index);
    }
    m_canvas.RestoreDC(saved);
}

void TreeListPainter::drawTreeLines(const TdxTreeListRowInfo &row, int left, const gfx::Brush &solid,
                                    rtl::TColor background)
{
    // Dotted lines take the half-tone from the device origin, so the dots of
    // one row continue those of the row above whatever its height.
    gfx::Brush brush = solid;
    const bool dotted = tree().PaintSwitches().LineStyle == 1;
    rtl::TColor text = 0, bk = 0;
    if (dotted) {
        brush = gfx::Brush::halftone();
        text = m_canvas.setTextColor(rtl::ColorToRGB(tree().Colors().GrayTextColor));
        bk = m_canvas.setBkColor(rtl::ColorToRGB(background));
    }
    const gfx::Brush previous = m_canvas.brush();
    const rtl::TPoint origin = m_canvas.brushOrigin();
    m_canvas.setBrushOrigin({0, 0});
    const int indent = tree().Metrics().IndentWidth;
    const int top = row.Top;
    const int bottom = row.Top + row.Height;
    const int middle = top + (row.Height - row.FooterHeight) / 2;
    auto xOf = [&](const TdxTreeListNode *n) { return left + n->Level() * indent + indent / 2 - 1; };
    auto line = [&](int l, int t, int r, int b) { m_canvas.FillRect(rtl::Rect(l, t, r, b), brush); };
    TdxTreeListNode *node = row.Node;
    const int x = xOf(node);
    line(x, top, x + 1, node->IsLast() ? middle + 1 : bottom);
    line(x + 1, middle, left + (node->Level() + 1) * indent, middle + 1);
    for (const TdxTreeListNode *a = node->Parent(); a; a = a->Parent())
        if (!a->IsLast())
            line(xOf(a), top, xOf(a) + 1, bottom);
    m_canvas.setBrushOrigin(origin);
    m_canvas.setBrush(previous);
    if (dotted) {
        m_canvas.setTextColor(text);
        m_canvas.setBkColor(bk);
    }
}

TreeListCellState TreeListPainter::cellState(const TdxTreeListRowInfo &row, int column, bool newItemRow) const
{
    TreeListCellState s;
    s.RowSelected = row.Selected;
    // The active new item row holds the focus in place of the focused node:
    // the ordinary rows are told so, while the new item row itself is drawn
    // as the focused, selected row.
    s.NewItemRowActive = !newItemRow && tree().IsNewItemRowActive();
    s.MultiSelect = tree().IsMultiSelect();
    s.RowFocus = tree().IsRowFocus();
    s.InvertedFocus = tree().optionB(0);
    s.FocusedNode = newItemRow ? tree().IsNewItemRowActive() : (row.Node && row.Node == tree().FocusedNode());
    s.FocusedColumn = column >= 0 && column == m_focusedColumn;
    s.HideSelection = tree().PaintSwitches().HideSelection;
    s.ControlFocused = m_focused;
    s.DragObject = m_dragObject;
    s.GroupRow = rowNodeHasChildren(row.Node) || row.WholeRow;
    s.ReserveButtonCell = tree().Settings().ReserveButtonCell;
    s.ColumnOwnBrush = column >= 0 && column < int(m_columnBrushes.size()) && m_columnBrushes[size_t(column)];
    return s;
}

TreeListPainter::RowColors TreeListPainter::colorsFor(const TreeListCellState &s, bool selected, int column,
                                                      const TdxTreeListNode *node)
{
    // By value: the level colour's handler may free the tree list.
    const TreeListColors c = tree().Colors();
    switch (CellColorRule(s, selected)) {
    case CellColorRole::Highlight: return {m_brushes.highlight, c.HighlightColor, c.HighlightTextColor};
    case CellColorRole::Inactive: return {m_brushes.inactive, c.InactiveColor, c.InactiveTextColor};
    case CellColorRole::Group: {
        rtl::TColor color = c.GroupColor;
        auto *n = const_cast<TdxTreeListNode *>(node);
        const gfx::Brush &brush =
            n ? levelBrush(n, n->Level(), m_brushes.group, c.GroupColor, &color) : m_brushes.group;
        return {brush, color, c.GroupTextColor == rtl::clNone ? tree().Font().Color() : c.GroupTextColor};
    }
    case CellColorRole::Column:
        return {*m_columnBrushes[size_t(column)], tree().ColumnColor(column), tree().ColumnFont(column).Color()};
    case CellColorRole::Control: break;
    }
    const rtl::TColor text = column >= 0 ? tree().ColumnFont(column).Color() : tree().Font().Color();
    return {m_brushes.control, tree().Color(), text};
}

int TreeListPainter::rowCellsBottom(const TdxTreeListRowInfo &row) const
{
    const int previewPart = row.PreviewLines > 0 ? row.PreviewLines * tree().Metrics().PreviewLineHeight + 2 : 0;
    return row.Top + row.Height - previewPart - row.FooterHeight;
}

TRect TreeListPainter::rowCellRect(const TdxTreeListRowInfo &row, const TdxTreeListHeaderCell &cell) const
{
    const int line = tree().Settings().DefaultRowHeight;
    const int rowBottom = rowCellsBottom(row);
    TRect r = rtl::Rect(cell.CellRect.Left, row.Top + cell.BandLine * line, cell.CellRect.Right,
                        row.Top + (cell.BandLine + std::max(cell.LineCount, 1)) * line);
    const bool lastLine = cell.BandLine + std::max(cell.LineCount, 1) >= tree().HeaderPanelLineCount();
    if (lastLine || r.Bottom > rowBottom)
        r.Bottom = rowBottom;
    if (cell.BandIndex == 0 && row.Node)
        r.Left = std::max(r.Left, std::min(indentRight(row.Node), cell.CellRect.Right));
    return r;
}

void TreeListPainter::focusMark(const TRect &rect)
{
    const FocusMarkStyle style = FocusMarkStyleFor(m_focused, tree().optionA(aoEditorHostPaint),
                                                   tree().PaintSwitches().NoInactiveFocus, m_dragObject);
    if (style == FocusMarkStyle::Dotted)
        DrawFocusMark(m_canvas, rect);
    else if (style == FocusMarkStyle::Inverted)
        DrawInvertedFrame(m_canvas, rect);
}

void TreeListPainter::drawRowCells(const TdxTreeListRowInfo &row, bool newItemRow)
{
    const bool collect = tree().Settings().ShowPreviewGrid;
    TRect rowMark;
    bool markRow = false;
    for (const TdxTreeListHeaderCell &hc : m_info.HeaderCells) {
        TRect rect = rowCellRect(row, hc);
        if (newItemRow)
            rect = rtl::Rect(hc.CellRect.Left, row.Top, hc.CellRect.Right, row.Top + row.Height);
        const TRect clip = rtl::Rect(hc.ClipRect.Left, rect.Top, hc.ClipRect.Right, rect.Bottom);
        if (clip.IsEmpty() || !m_canvas.RectVisible(clip))
            continue;
        const TreeListCellState s = cellState(row, hc.ColumnIndex, newItemRow);
        const bool selected = CellDrawnSelected(s);
        const RowColors colors = colorsFor(s, selected, hc.ColumnIndex, row.Node);
        CellContext cell;
        cell.rect = rect;
        cell.node = row.Node;
        cell.column = hc.ColumnIndex;
        cell.lastOfLastBand = hc.LastOfLastBand;
        cell.firstOfFirstBand = hc.FirstOfFirstBand;
        cell.multiLine = hc.LineCount > 1 || row.LineCount > 1 || hc.ColumnFlag;
        cell.brush = colors.brush;
        cell.textColor = colors.text;
        cell.bkColor = colors.bk;
        cell.selected = selected;
        cell.focused = CellFocusedFlag(s);
        cell.newItemRow = newItemRow;
        const int saved = m_canvas.SaveDC();
        m_canvas.IntersectClipRect(clip);
        DrawCell(cell);
        ++m_cellsPainted;
        const FocusMarkPlace mark = FocusMarkPlacement(s);
        if (mark == FocusMarkPlace::Cell)
            focusMark(rect);
        m_canvas.RestoreDC(saved);
        if (mark == FocusMarkPlace::Row) {
            markRow = true;
            rowMark = rtl::Rect(newItemRow ? m_info.RowsRect.Left : indentRight(row.Node), row.Top,
                                m_info.ColumnsRight + 1, std::max(rowMark.Bottom, rect.Bottom));
        }
        // A band of fewer lines than the row leaves room below its last
        // line, as its header leaves a filler: the row's colours fill it.
        TRect below;
        if (!newItemRow && !hc.FillerRect.IsEmpty() && rect.Bottom < rowCellsBottom(row))
            below = rtl::Rect(std::max(rect.Left, clip.Left), rect.Bottom, std::min(rect.Right, clip.Right),
                              rowCellsBottom(row));
        if (!below.IsEmpty() && m_canvas.RectVisible(below)) {
            const TreeListCellState rowState = cellState(row, -1, false);
            m_canvas.FillRect(below, colorsFor(rowState, CellDrawnSelected(rowState), -1, row.Node).brush);
        }
        if (collect && clip.Right == rect.Right)
            addSegment(rect.Right - 1, rect.Top, rect.Right - 1, std::max(rect.Bottom, below.Bottom) - 1);
        if (collect && hc.BandLine + hc.LineCount < tree().HeaderPanelLineCount())
            addSegment(clip.Left, rect.Bottom - 1, clip.Right - 1, rect.Bottom - 1);
    }
    for (const TdxTreeListEmptyBand &empty : m_info.EmptyBands) {
        const TRect part = rtl::Rect(empty.ClipRect.Left, row.Top, empty.ClipRect.Right, row.Top + row.Height);
        if (part.IsEmpty() || !m_canvas.RectVisible(part))
            continue;
        if (newItemRow) {
            m_canvas.FillRect(part, m_brushes.control);
        } else {
            const TreeListCellState s = cellState(row, -1, false);
            m_canvas.FillRect(part, colorsFor(s, CellDrawnSelected(s), -1, row.Node).brush);
        }
        const int leftFixed = tree().LeftFixedBand();
        const int rightFixed = tree().RightFixedBand();
        const bool fixed = (leftFixed >= 0 && empty.BandIndex == tree().VisiblePositionOfBand(leftFixed)) ||
                           (rightFixed >= 0 && empty.BandIndex == tree().VisiblePositionOfBand(rightFixed));
        if (collect && !fixed && !empty.CutRight)
            addSegment(part.Right - 1, part.Top, part.Right - 1, part.Bottom - 1);
    }
    if (markRow && !rowMark.IsEmpty()) {
        const int saved = m_canvas.SaveDC();
        m_canvas.IntersectClipRect(rowIntersect(newItemRow ? m_info.NewItemRowRect : m_info.RowsRect, rowMark));
        focusMark(rowMark);
        m_canvas.RestoreDC(saved);
    }
}

} // namespace grid
