// Sizing of bands, columns, panels and rows: the limits of a running sizing
// and what a finished one changes, and the measure of wrapped preview text.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"

#include "platform/gfx/GdiObjects.h"
#include "platform/gfx/TextLayout.h"

#include <algorithm>
#include <climits>

namespace grid {

namespace {

constexpr int SizingUnboundedLimit = 100000;

int sizingClamp(int64_t value)
{
    return int(std::clamp<int64_t>(value, 0, INT_MAX / 2));
}

// Shares a change among a pool: the pool gives up what the sized item takes
// (or gets what it gives), each in proportion to its width, the last pool
// item taking the rounding rest.
void sizingSharePool(std::vector<int> &widths, const std::vector<size_t> &pool, int64_t change)
{
    int64_t total = 0;
    for (size_t i : pool)
        total += widths[i];
    if (total <= 0 || pool.empty())
        return;
    const int remainder = sizingClamp(total - change);
    int64_t given = 0;
    for (size_t k = 0; k + 1 < pool.size(); ++k) {
        widths[pool[k]] = TreeListShare(widths[pool[k]], remainder, sizingClamp(total));
        given += widths[pool[k]];
    }
    widths[pool.back()] = sizingClamp(remainder - given);
}

} // namespace

int TCustomdxTreeList::ColumnDisplayWidth(int column)
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    for (const TdxTreeListHeaderCell &cell : info.HeaderCells)
        if (cell.ColumnIndex == column)
            return cell.CellRect.Width();
    return optionA(aoAutoWidth) ? 0 : ColumnStoredWidth(column);
}

int TCustomdxTreeList::ClampBandSizing(int position, int x)
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const auto band = std::find_if(info.Bands.begin(), info.Bands.end(),
                                   [position](const TdxTreeListBandInfo &b) { return b.BandIndex == position; });
    if (band == info.Bands.end())
        return x;
    // The end point lies 2 pixels inside the new width (the sizing line is
    // 2 wide): at the limit the band is exactly its minimum.
    const int64_t least =
        int64_t(band->BandRect.Left) + BandMinimumWidth(position) + (position == 0 ? FirstColumnExtraWidth() : 0) - 2;
    const int64_t most = optionB(boUnboundedSizing) ? SizingUnboundedLimit : int64_t(m_clientRect.Width()) - 2;
    return int(std::clamp<int64_t>(std::min<int64_t>(x, most), least, INT_MAX / 2));
}

int TCustomdxTreeList::ClampColumnSizing(int column, int x)
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const auto cell = std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                   [column](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == column; });
    if (cell == info.HeaderCells.end())
        return x;
    const bool firstOfFirst = cell->BandIndex == 0 && cell->BandLine == 0 && cell->Position == 0;
    // The end point is the column's last pixel: at the limit the column is
    // exactly its minimum.
    const int64_t least =
        int64_t(cell->CellRect.Left) + ColumnMinWidth(column) + (firstOfFirst ? FirstColumnExtraWidth() : 0) - 1;
    int64_t most;
    if (!optionA(aoAutoWidth) && optionB(boUnboundedSizing))
        most = SizingUnboundedLimit;
    else if (IsWidthFit() && info.BandPanelRect.IsEmpty())
        most = int64_t(m_clientRect.Width()) - 1;
    else {
        const auto band = std::find_if(info.Bands.begin(), info.Bands.end(),
                                       [&](const TdxTreeListBandInfo &b) { return b.BandIndex == cell->BandIndex; });
        // The band's last pixel: the column then ends where the band does.
        most = band != info.Bands.end() ? int64_t(band->BandRect.Right) - 1 : x;
    }
    return int(std::clamp<int64_t>(std::min<int64_t>(x, most), least, INT_MAX / 2));
}

void TCustomdxTreeList::rescaleBand(int position, int width)
{
    const int extra = position == 0 ? FirstColumnExtraWidth() : 0;
    const int old = BandDisplayWidth(position);
    const int target = std::max(width - extra, 0);
    BeginUpdate();
    for (int line = 0; line < BandLineCount(position); ++line)
        for (int place = 0; place < ColumnsInBandLine(position, line); ++place) {
            const int column = ColumnAt(position, line, place);
            SetColumnWidth(column, TreeListShare(ColumnStoredWidth(column), target, old));
        }
    RescaleHiddenColumns(position, target, old);
    SetBandWidth(position, target);
    EndUpdate();
}

void TCustomdxTreeList::FinishBandSizing(int position, int x)
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const auto band = std::find_if(info.Bands.begin(), info.Bands.end(),
                                   [position](const TdxTreeListBandInfo &b) { return b.BandIndex == position; });
    if (band == info.Bands.end())
        return;
    x = ClampBandSizing(position, x);
    const int width = sizingClamp(int64_t(x) - band->BandRect.Left + 2);
    if (!optionA(aoAutoWidth)) {
        rescaleBand(position, width);
        return;
    }
    // Under automatic width the other bands make room: those to the right,
    // or for the last band those to its left.
    const int count = VisibleBandCount();
    const int extra = FirstColumnExtraWidth();
    std::vector<int> widths;
    for (int p = 0; p < count; ++p)
        widths.push_back(BandDisplayWidth(p));
    const int old = widths[size_t(position)];
    widths[size_t(position)] = std::max(width - (position == 0 ? extra : 0), 0);
    std::vector<size_t> pool;
    for (int p = 0; p < count; ++p)
        if (position < count - 1 ? p > position : p < position)
            pool.push_back(size_t(p));
    int64_t poolTotal = 0;
    for (size_t p : pool)
        poolTotal += widths[p];
    BeginUpdate();
    sizingSharePool(widths, pool, int64_t(widths[size_t(position)]) - old);
    if (poolTotal > 0)
        RescaleHiddenBands(sizingClamp(poolTotal - (int64_t(widths[size_t(position)]) - old)), sizingClamp(poolTotal));
    for (int p = 0; p < count; ++p) {
        if (IsWidthFit())
            rescaleBand(p, widths[size_t(p)] + (p == 0 ? extra : 0));
        else
            SetBandWidth(p, widths[size_t(p)]);
    }
    EndUpdate();
}

void TCustomdxTreeList::FinishColumnSizing(int column, int x)
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const auto cell = std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                   [column](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == column; });
    if (cell == info.HeaderCells.end())
        return;
    // Rebuilding the column placement, a column's new width and the layout's
    // change run a descendant's overrides, which may free the grid: the
    // sizing ends there.
    const TreeListAlive self = AliveToken();
    x = ClampColumnSizing(column, x);
    const int position = cell->BandIndex;
    const int line = cell->BandLine;
    const int extra = FirstColumnExtraWidth();
    const int count = ColumnsInBandLine(position, line);
    if (self.expired())
        return;
    auto extraAt = [&](int place) { return position == 0 && line == 0 && place == 0 && count > 1 ? extra : 0; };
    const int target = std::max(sizingClamp(int64_t(x) - cell->CellRect.Left + 1) - extraAt(cell->Position), 0);
    std::vector<int> widths;
    for (int place = 0; place < count; ++place) {
        const int c = ColumnAt(position, line, place);
        if (self.expired())
            return;
        const auto laid = std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                       [c](const TdxTreeListHeaderCell &h) { return h.ColumnIndex == c; });
        widths.push_back(laid != info.HeaderCells.end() ? laid->CellRect.Width() - extraAt(place)
                                                        : ColumnStoredWidth(c));
    }
    const int old = widths[size_t(cell->Position)];
    const int oldBand = BandStoredWidth(position);
    const bool bandGrows = IsWidthFit() && !optionA(aoAutoWidth) && BandLineCount(position) == 1;
    if (self.expired())
        return;
    BeginUpdate();
    if (self.expired())
        return;
    if (bandGrows) {
        // The band grows or shrinks with its column.
        int64_t rest = int64_t(oldBand) + target - old;
        widths[size_t(cell->Position)] = target;
        for (int place = 0; place + 1 < count; ++place)
            rest -= widths[size_t(place)];
        if (cell->Position != count - 1)
            widths[size_t(count - 1)] = sizingClamp(rest);
    } else {
        std::vector<size_t> pool;
        for (int place = 0; place < count; ++place)
            if (cell->Position < count - 1 ? place > cell->Position : place == cell->Position - 1)
                pool.push_back(size_t(place));
        int64_t poolTotal = 0;
        for (size_t p : pool)
            poolTotal += widths[p];
        widths[size_t(cell->Position)] = target;
        sizingSharePool(widths, pool, int64_t(target) - old);
        if (poolTotal > 0)
            RescaleHiddenColumns(position, sizingClamp(poolTotal - (int64_t(target) - old)), sizingClamp(poolTotal));
    }
    for (int place = 0; place < count; ++place) {
        const int c = ColumnAt(position, line, place);
        if (self.expired())
            return;
        SetColumnWidth(c, widths[size_t(place)]);
        if (self.expired())
            return;
    }
    // Width fit: the other lines of the band follow the new line width.
    if (IsWidthFit() && !self.expired() && oldBand > 0) {
        int64_t lineTotal = 0;
        for (int w : widths)
            lineTotal += w;
        for (int other = 0; other < BandLineCount(position) && !self.expired(); ++other) {
            if (other == line)
                continue;
            const int places = ColumnsInBandLine(position, other);
            int64_t given = 0;
            for (int place = 0; place < places && !self.expired(); ++place) {
                const int c = ColumnAt(position, other, place);
                if (self.expired())
                    return;
                int w = TreeListShare(ColumnStoredWidth(c), sizingClamp(lineTotal), oldBand);
                // A grown band's lines end together: the last takes the rest.
                if (bandGrows && place == places - 1)
                    w = sizingClamp(lineTotal - given);
                given += w;
                SetColumnWidth(c, w);
            }
        }
    }
    if (self.expired())
        return;
    EndUpdate();
    if (!self.expired())
        LayoutChanged();
}

void TCustomdxTreeList::FinishBandPanelSizing(int y)
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const int lineHeight = m_metrics.BandLineHeight;
    const int frame = 5 + (m_look != 0 ? 0 : 1);
    int lines = 1;
    for (int k = 1; k <= BandMaxLineCount(); ++k)
        if (int64_t(k) * lineHeight + frame <= int64_t(y) - info.BandPanelRect.Top)
            lines = k;
    SetBandLineCount(lines);
    LayoutChanged();
}

void TCustomdxTreeList::FinishHeaderPanelSizing(int y)
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const int lineHeight = std::max(m_metrics.HeaderLineHeight, 1);
    const int64_t lines = (int64_t(y) - info.HeaderPanelRect.Top + lineHeight / 2) / lineHeight;
    SetHeaderLineCount(int(std::clamp<int64_t>(lines, 1, INT_MAX / 2)));
    LayoutChanged();
}

void TCustomdxTreeList::FinishRowSizing(TdxTreeListNode *node, int y)
{
    if (!owns(node))
        return;
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const auto row = std::find_if(info.Rows.begin(), info.Rows.end(),
                                  [node](const TdxTreeListRowInfo &r) { return r.Node == node; });
    if (row == info.Rows.end())
        return;
    // The tallest line height whose row still ends at or above the pointer.
    int line = m_metrics.TextHeight + 3;
    while (line < SizingUnboundedLimit && int64_t(row->Top) + rowHeightFor(node, line + 1, nullptr, true) <= y)
        ++line;
    SetDefaultRowHeight(line);
}

int TCustomdxTreeList::MeasurePreviewLines(const QString &text, int width, int indent, int limit, int lineHeight,
                                           const classes::TFont &font, int &height)
{
    height = 0;
    if (text.isEmpty() || limit == 0 || !m_host)
        return 0;
    const gfx::TextMeasurer &measurer = m_host->textMeasurer();
    const int inner = std::max(width - indent - 4, 0);
    const gfx::TextLayout layout =
        gfx::LayoutText(measurer, font.Font(), text, rtl::Rect(0, 0, inner, 0),
                        gfx::DT_CALCRECT | gfx::DT_WORDBREAK | gfx::DT_EXPANDTABS | gfx::DT_NOPREFIX);
    const int line = lineHeight > 0 ? lineHeight : std::max(measurer.textHeight(font.Font()), 1);
    int lines = layout.calcRect.Height() / line;
    height = layout.calcRect.Height();
    // Any negative limit leaves the count uncapped, as -1 does.
    if (limit > 0 && lines > limit) {
        lines = limit;
        height = limit * line;
    }
    // The text keeps 2 px above and below it, 1 px where the preview's grid
    // line takes the other.
    height += 2 * (m_settings.ShowGrid && m_settings.ShowPreviewGrid ? 1 : 2);
    AdjustPreviewHeight(height);
    return lines;
}

} // namespace grid
