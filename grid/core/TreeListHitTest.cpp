// What a client point of the tree list hits, read from a fresh layout.

#include "grid/core/TreeList.h"

#include <algorithm>

namespace grid {

namespace {

constexpr int HitEdgeTolerance = 4;
// How far an in-place editor reaches past its cell on every side.
constexpr int InplaceEditorOverhang = 2;

bool hitContains(const rtl::TRect &r, int x, int y)
{
    return !r.IsEmpty() && x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

// The header column above x gives the band and column of a panel row.
void hitColumnAtX(const TdxTreeListLayoutInfo &info, TdxTreeListHitInfo &hit)
{
    for (const TdxTreeListHeaderCell &cell : info.HeaderCells) {
        if (hit.X >= cell.ClipRect.Left && hit.X < cell.ClipRect.Right) {
            hit.BandIndex = cell.BandIndex;
            hit.ColumnIndex = cell.ColumnIndex;
            return;
        }
    }
}

} // namespace

TreeListIndentRects TCustomdxTreeList::NodeIndentRects(const TdxTreeListNode *node, int rowHeight, int limit)
{
    TreeListIndentRects r;
    if (!node)
        return r;
    const int indent = m_metrics.IndentWidth;
    const int level = node->Level();
    const bool children = node->HasChildren() || node->Count() > 0;
    if (children && m_settings.ShowButtons)
        r.Button = rtl::Rect(level * indent, 0, (level + 1) * indent, rowHeight);
    // A childless node's images take its empty button cell.
    const int shift = !m_settings.ReserveButtonCell && !children ? indent : 0;
    int x = (level + 1) * indent - shift;
    auto *self = const_cast<TdxTreeListNode *>(node);
    const TreeListImageSizes images = ImageSizes();
    if (NodeStateIndex(self) != -1 && images.StateImageWidth > 0) {
        r.StateImage = rtl::Rect(x, 0, x + images.StateImageWidth, rowHeight);
        x = r.StateImage.Right;
    }
    if ((NodeImageIndex(self) != -1 || NodeSelectedIndex(self) != -1) && images.ImageWidth > 0)
        r.Image = rtl::Rect(x, 0, x + images.ImageWidth, rowHeight);
    int leftmost = (level + 1) * indent - shift;
    for (const rtl::TRect *part : {&r.Button, &r.StateImage, &r.Image})
        if (!part->IsEmpty())
            leftmost = std::min(leftmost, part->Left);
    if (leftmost > 0)
        r.Indent = rtl::Rect(0, 0, leftmost, rowHeight);
    if (!IsRootIndent()) {
        for (rtl::TRect *part : {&r.Button, &r.StateImage, &r.Image, &r.Indent}) {
            if (part->IsEmpty())
                continue;
            part->Left = std::max(part->Left - indent, 0);
            part->Right -= indent;
            if (part->IsEmpty())
                *part = rtl::TRect{};
        }
    }
    for (rtl::TRect *part : {&r.Button, &r.StateImage, &r.Image, &r.Indent}) {
        part->Right = std::min(part->Right, limit);
        if (part->IsEmpty())
            *part = rtl::TRect{};
    }
    return r;
}

int TCustomdxTreeList::NodeIndentWidth(const TdxTreeListNode *node)
{
    // The levels, then the state image and the image where the node has them;
    // a childless node's images moved into its button cell leave room after
    // them that belongs to no part.
    if (!node)
        return 0;
    auto *self = const_cast<TdxTreeListNode *>(node);
    int width = (node->Level() + (IsRootIndent() ? 1 : 0)) * m_metrics.IndentWidth;
    const TreeListImageSizes images = ImageSizes();
    if (NodeStateIndex(self) != -1)
        width += images.StateImageWidth;
    if (NodeImageIndex(self) != -1 || NodeSelectedIndex(self) != -1)
        width += images.ImageWidth;
    return width;
}

TdxTreeListNode *TCustomdxTreeList::GetNodeAt(int x, int y)
{
    return HitTest(x, y).Node;
}

TdxTreeListHitInfo TCustomdxTreeList::HitTest(int x, int y)
{
    TdxTreeListHitInfo hit;
    hit.X = x;
    hit.Y = y;
    TdxTreeListLayoutInfo info;
    // Only the rows down to the point and its edge tolerance decide.
    calcLayout(info, y > INT_MAX - HitEdgeTolerance ? INT_MAX : y + HitEdgeTolerance);
    if (!hitContains(info.ClientRect, x, y))
        return hit;
    hit.HitCode = htNowhere;
    if (hitContains(info.GroupPanelRect, x, y)) {
        hit.HitCode = htGroupPanel;
        return hit;
    }
    // The bottom edge of a panel, with its indicator piece.
    auto panelEdge = [&](const rtl::TRect &panel, const rtl::TRect &indicator) {
        if (panel.IsEmpty())
            return false;
        rtl::TRect strip = panel;
        if (!indicator.IsEmpty())
            strip.Left = indicator.Left;
        strip.Bottom += HitEdgeTolerance;
        return hitContains(strip, x, y) && y >= panel.Bottom - HitEdgeTolerance;
    };
    if (optionB(boBandPanelSizing) && panelEdge(info.BandPanelRect, info.BandIndicatorRect)) {
        hit.HitCode = htBandPanelEdge;
        return hit;
    }
    if (hitContains(info.BandIndicatorRect, x, y)) {
        hit.HitCode = htBandIndicator;
        return hit;
    }
    hitBandPanel(info, hit);
    if (hit.HitCode != htNowhere)
        return hit;
    if (optionB(boHeaderPanelSizing) && panelEdge(info.HeaderPanelRect, info.HeaderIndicatorRect)) {
        hit.HitCode = htHeaderPanelEdge;
        return hit;
    }
    if (hitContains(info.HeaderIndicatorRect, x, y)) {
        hit.HitCode = htHeaderIndicator;
        return hit;
    }
    if (hitContains(info.HeaderPanelRect, x, y) ||
        (!info.HeaderPanelRect.IsEmpty() && y >= info.HeaderPanelRect.Top && y < info.HeaderPanelRect.Bottom &&
         x >= info.HeaderPanelRect.Right && x <= info.HeaderPanelRect.Right + HitEdgeTolerance &&
         !info.Bands.empty())) {
        hitHeaderPanel(info, hit);
        return hit;
    }
    if (hitContains(info.NewItemRowRect, x, y)) {
        hit.HitCode = htNewItemRow;
        // The separator at the row's foot belongs to no column.
        if (y < info.NewItemRowRect.Bottom - m_metrics.NewItemSeparator)
            hitColumnAtX(info, hit);
        return hit;
    }
    // The indicator column; hidden, it spans the rows for row sizing only.
    rtl::TRect indicator = info.IndicatorRect;
    if (!m_settings.ShowIndicator && !info.RowsRect.IsEmpty()) {
        indicator = info.RowsRect;
        indicator.Left = info.ClientRect.Left;
        if (info.LastRowBottom >= 0)
            indicator.Bottom = info.LastRowBottom + 1;
    }
    const bool rowSizing = optionB(boRowSizing);
    if (hitContains(indicator, x, y)) {
        // Hidden, the rows below replace this answer; without bands there
        // are no cells and it stands, with its row.
        hit.HitCode = htRowIndicator;
        for (size_t i = 0; i < info.Rows.size(); ++i) {
            const TdxTreeListRowInfo &row = info.Rows[i];
            if (y < row.Top || y >= row.Top + row.Height)
                continue;
            hit.RowIndex = int(i);
            hit.Node = row.Node;
            if (rowSizing && i > 0 && y <= row.Top + HitEdgeTolerance) {
                hit.RowIndex = int(i) - 1;
                hit.Node = info.Rows[i - 1].Node;
                hit.HitCode = htRowEdge;
            } else if (rowSizing && y >= row.Top + row.Height - HitEdgeTolerance) {
                hit.HitCode = htRowEdge;
            }
            break;
        }
        if (m_settings.ShowIndicator || hit.HitCode == htRowEdge)
            return hit;
    } else if (rowSizing && !info.Rows.empty() && !indicator.IsEmpty() && x >= indicator.Left && x < indicator.Right &&
               y >= indicator.Bottom && y < indicator.Bottom + HitEdgeTolerance) {
        hit.RowIndex = int(info.Rows.size()) - 1;
        hit.Node = info.Rows.back().Node;
        hit.HitCode = htRowEdge;
        return hit;
    }
    if (hitContains(info.BottomPanelRect, x, y)) {
        hit.HitCode = htBottomPanel;
        return hit;
    }
    if (hitContains(info.FooterRect, x, y)) {
        hit.HitCode = htFooter;
        // The footer repeats the band lines, a footer line each; the last
        // takes the panel's margin below it.
        const int footerLine = std::min((y - info.FooterRect.Top) / std::max(m_metrics.FooterLineHeight, 1),
                                        std::max(1, HeaderPanelLineCount()) - 1);
        for (const TdxTreeListHeaderCell &cell : info.HeaderCells) {
            if (x >= cell.ClipRect.Left && x < cell.ClipRect.Right && footerLine >= cell.BandLine &&
                footerLine < cell.BandLine + cell.LineCount) {
                hit.BandIndex = cell.BandIndex;
                hit.ColumnIndex = cell.ColumnIndex;
                break;
            }
        }
        return hit;
    }
    if (info.Rows.empty() || info.Bands.empty())
        return hit;
    hit.HitCode = htNowhere;
    hit.RowIndex = -1;
    hit.Node = nullptr;
    hitRows(info, hit);
    return hit;
}

void TCustomdxTreeList::hitBandPanel(const TdxTreeListLayoutInfo &info, TdxTreeListHitInfo &hit)
{
    const int x = hit.X;
    const int y = hit.Y;
    const rtl::TRect &panel = info.BandPanelRect;
    if (panel.IsEmpty() || y < panel.Top || y >= panel.Bottom)
        return;
    const bool fit = IsWidthFit();
    auto sizable = [&](int band) { return optionB(boBandSizing) && BandSizable(band) && !fit; };
    if (x >= panel.Left && x < panel.Right) {
        hit.HitCode = htBandHeader;
        const int spanLeft = info.LeftFixedEntry >= 0 ? info.LeftFixedRect.Right : panel.Left;
        const int spanRight = info.RightFixedEntry >= 0 ? info.RightFixedRect.Left : panel.Right;
        for (size_t i = 0; i < info.Bands.size(); ++i) {
            const TdxTreeListBandInfo &band = info.Bands[i];
            if (hitContains(band.BandRect, x, y) && hitContains(band.BandClipRect, x, y)) {
                hit.BandIndex = band.BandIndex;
                const bool pastBoth = band.BandRect.Left < spanLeft && band.BandRect.Right > spanRight;
                const int edge = pastBoth ? spanRight : band.BandRect.Right;
                if (sizable(band.BandIndex) && x >= edge - HitEdgeTolerance) {
                    hit.HitCode = htBandEdge;
                } else if (i > 0 && x <= info.Bands[i - 1].BandRect.Right + HitEdgeTolerance &&
                           sizable(info.Bands[i - 1].BandIndex)) {
                    hit.BandIndex = info.Bands[i - 1].BandIndex;
                    hit.HitCode = htBandEdge;
                }
                return;
            }
            if (sizable(band.BandIndex) && x > band.BandRect.Right && x <= band.BandRect.Right + HitEdgeTolerance) {
                hit.BandIndex = band.BandIndex;
                hit.HitCode = htBandEdge;
                return;
            }
        }
        return;
    }
    if (x >= panel.Right && x <= panel.Right + HitEdgeTolerance && !info.Bands.empty() &&
        sizable(info.Bands.back().BandIndex)) {
        hit.BandIndex = info.Bands.back().BandIndex;
        hit.HitCode = htBandEdge;
    }
}

void TCustomdxTreeList::hitHeaderPanel(const TdxTreeListLayoutInfo &info, TdxTreeListHitInfo &hit)
{
    const int x = hit.X;
    const int y = hit.Y;
    const bool fit = IsWidthFit();
    auto columnSizable = [&](int column) { return optionA(aoColumnSizing) && ColumnSizable(column); };
    auto bandSizable = [&](int band) { return optionB(boBandSizing) && BandSizable(band) && !fit; };
    // Under the fit query the last column of a band's last line stands for
    // the band's edge.
    auto lastColumnOf = [&](int band) {
        const int lines = BandLineCount(band);
        if (lines <= 0)
            return -1;
        const int places = ColumnsInBandLine(band, lines - 1);
        return places > 0 ? ColumnAt(band, lines - 1, places - 1) : -1;
    };
    auto bandOrColumnEdge = [&](int band) {
        hit.BandIndex = band;
        if (!fit) {
            if (bandSizable(band))
                hit.HitCode = htBandEdge;
        } else if (const int column = lastColumnOf(band); column >= 0) {
            hit.ColumnIndex = column;
            if (columnSizable(column))
                hit.HitCode = htColumnEdge;
        }
    };
    hit.HitCode = htNowhere;
    const rtl::TRect &panel = info.HeaderPanelRect;
    if (x >= panel.Right) {
        if (!info.Bands.empty())
            bandOrColumnEdge(info.Bands.back().BandIndex);
        return;
    }
    const int spanLeft = info.LeftFixedEntry >= 0 ? info.LeftFixedRect.Right : panel.Left;
    const int spanRight = info.RightFixedEntry >= 0 ? info.RightFixedRect.Left : panel.Right;
    for (size_t i = 0; i < info.HeaderCells.size(); ++i) {
        const TdxTreeListHeaderCell &cell = info.HeaderCells[i];
        if (!hitContains(cell.CellRect, x, y) || !hitContains(cell.ClipRect, x, y))
            continue;
        hit.BandIndex = cell.BandIndex;
        hit.ColumnIndex = cell.ColumnIndex;
        hit.HitCode = htColumnHeader;
        const bool pastBoth = cell.CellRect.Left < spanLeft && cell.CellRect.Right > spanRight;
        const int edge = pastBoth ? spanRight : cell.CellRect.Right;
        if (x >= edge - HitEdgeTolerance) {
            if (columnSizable(cell.ColumnIndex) && (!cell.LastInLine || fit))
                hit.HitCode = htColumnEdge;
            else if (cell.LastInLine && bandSizable(cell.BandIndex))
                hit.HitCode = htBandEdge;
            return;
        }
        const TdxTreeListHeaderCell *previous = i > 0 ? &info.HeaderCells[i - 1] : nullptr;
        if (previous && !cell.FirstInLine && previous->BandIndex == cell.BandIndex &&
            previous->BandLine == cell.BandLine) {
            if (x <= previous->CellRect.Right + HitEdgeTolerance && columnSizable(previous->ColumnIndex)) {
                hit.ColumnIndex = previous->ColumnIndex;
                hit.HitCode = htColumnEdge;
            }
            return;
        }
        if (cell.FirstInLine && x < cell.CellRect.Left + HitEdgeTolerance) {
            const auto band = std::find_if(info.Bands.begin(), info.Bands.end(),
                                           [&](const TdxTreeListBandInfo &b) { return b.BandIndex == cell.BandIndex; });
            if (band != info.Bands.begin() && band != info.Bands.end()) {
                const int previousBand = std::prev(band)->BandIndex;
                hit.ColumnIndex = -1;
                hit.HitCode = htColumnHeader;
                bandOrColumnEdge(previousBand);
                // Without an edge of the band to the left the point is on
                // this header and answers for it: keeping the band to the
                // left, and under the fit query its last column, would make
                // a press sort or drag a column the pointer is not on.
                if (hit.HitCode == htColumnHeader) {
                    hit.ColumnIndex = cell.ColumnIndex;
                    hit.BandIndex = cell.BandIndex;
                }
            }
        }
        return;
    }
}

void TCustomdxTreeList::hitRows(const TdxTreeListLayoutInfo &info, TdxTreeListHitInfo &hit)
{
    const int x = hit.X;
    const int y = hit.Y;
    if (x < info.RowsRect.Left || x >= info.RowsRect.Right)
        return;
    for (size_t i = 0; i < info.Rows.size(); ++i) {
        const TdxTreeListRowInfo &row = info.Rows[i];
        if (y < row.Top || y >= row.Top + row.Height)
            continue;
        hit.RowIndex = int(i);
        hit.Node = row.Node;
        hit.HitCode = x <= info.ColumnsRight ? htCell : htRowTail;
        // Footer lines close the row, one after the other above its grid line.
        const int footerTop = row.Top + row.Height - info.HorzLineWidth - row.FooterHeight;
        if (row.FooterLines > 0 && y >= footerTop && y < footerTop + row.FooterHeight) {
            const int lineHeight = std::max(m_metrics.RowFooterHeight, 1);
            hit.FooterLine = std::min((y - footerTop) / lineHeight, row.FooterLines - 1);
            hit.HitCode = htRowFooter;
            const int lineTop = footerTop + hit.FooterLine * lineHeight;
            for (const TdxTreeListHeaderCell &cell : info.HeaderCells) {
                const int top = lineTop + cell.BandLine * m_metrics.FooterLineHeight;
                const int bottom = top + cell.LineCount * m_metrics.FooterLineHeight;
                if (x >= cell.ClipRect.Left && x < cell.ClipRect.Right && y >= top && y < bottom) {
                    hit.BandIndex = cell.BandIndex;
                    hit.ColumnIndex = cell.ColumnIndex;
                    break;
                }
            }
            return;
        }
        const int scrolled = info.LeftFixedEntry < 0 ? m_horzOffset : 0;
        const int indentLimit = std::min(NodeIndentWidth(row.Node), info.TreeColumnWidth);
        const int indentRight = info.RowsRect.Left + indentLimit - scrolled;
        if (x < indentRight) {
            const TreeListIndentRects parts = NodeIndentRects(row.Node, row.Height - row.FooterHeight, indentLimit);
            const int px = x + scrolled - info.RowsRect.Left;
            const int py = y - row.Top;
            hit.HitCode = hitContains(parts.Button, px, py)       ? htButton
                          : hitContains(parts.StateImage, px, py) ? htStateImage
                          : hitContains(parts.Image, px, py)      ? htImage
                          : hitContains(parts.Indent, px, py)     ? htIndent
                                                                  : htNowhere;
            return;
        }
        if (hit.HitCode != htCell)
            return;
        const int grid = info.HorzLineWidth;
        const int previewBottom = row.Top + row.Height - grid - row.FooterHeight;
        const int previewTop =
            row.PreviewLines > 0 ? previewBottom - row.PreviewLines * m_metrics.PreviewLineHeight - 2 : previewBottom;
        if (row.PreviewLines > 0 && y >= previewTop && y < previewBottom) {
            hit.HitCode = htPreview;
            return;
        }
        // With one band line its cells reach down to the preview, over the
        // extra pixels a parent's or a taller row has.
        const bool oneLine = HeaderPanelLineCount() <= 1;
        for (const TdxTreeListHeaderCell &cell : info.HeaderCells) {
            const int top = row.Top + cell.BandLine * m_settings.DefaultRowHeight;
            const int bottom = oneLine ? std::max(previewTop, top + m_settings.DefaultRowHeight)
                                       : top + cell.LineCount * m_settings.DefaultRowHeight;
            if (x >= cell.ClipRect.Left && x < cell.ClipRect.Right && y >= top && y < bottom) {
                hit.BandIndex = cell.BandIndex;
                hit.ColumnIndex = cell.ColumnIndex;
                break;
            }
        }
        return;
    }
}

bool TCustomdxTreeList::IsPointInRow(TdxTreeListNode *node, const rtl::TPoint &point)
{
    if (!node)
        return false;
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    for (const TdxTreeListRowInfo &row : info.Rows) {
        if (row.Node != node)
            continue;
        rtl::TRect r = rtl::Rect(info.RowsRect.Left, row.Top, info.RowsRect.Right, row.Top + row.Height);
        if (r.IsEmpty())
            return false;
        r.Left -= InplaceEditorOverhang;
        r.Top -= InplaceEditorOverhang;
        r.Right += InplaceEditorOverhang;
        r.Bottom += InplaceEditorOverhang;
        return point.X >= r.Left && point.X < r.Right && point.Y >= r.Top && point.Y < r.Bottom;
    }
    return false;
}

} // namespace grid
