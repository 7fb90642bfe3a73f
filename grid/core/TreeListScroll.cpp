// The tree list's two scroll positions, their clamping and the values of
// the scroll bars.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace grid {

void TCustomdxTreeList::SetClientRect(const rtl::TRect &rect)
{
    if (rect == m_clientRect)
        return;
    m_clientRect = rect;
    // Automatic widths follow the client, and wrapped texts their widths.
    rowHeightsStale();
    KeepPositionsValid();
}

void TCustomdxTreeList::MouseWheelScroll(bool up, int lines)
{
    const TreeListAlive self = AliveToken();
    for (int i = 0; i < lines && !self.expired(); ++i)
        VScroll(up ? SB_LINEUP : SB_LINEDOWN);
}

void TCustomdxTreeList::WindowResized()
{
    RowHeightsChanged();
    if (m_state == tsEditing)
        EndEditing();
}

int TCustomdxTreeList::ScrollableWidth()
{
    int64_t total = TotalBandsWidth();
    const int extra = FirstColumnExtraWidth();
    if (const int left = LeftFixedBand(); left >= 0)
        total -= int64_t(BandDisplayWidth(left)) + (left == 0 ? extra : 0);
    if (const int right = RightFixedBand(); right >= 0 && right != LeftFixedBand())
        total -= BandDisplayWidth(right);
    return int(std::clamp<int64_t>(total, 0, INT_MAX / 2));
}

int TCustomdxTreeList::HorzPageWidth()
{
    int64_t page = int64_t(m_clientRect.Width()) - m_metrics.IndicatorWidth;
    if (!optionA(aoAutoWidth)) {
        const int extra = FirstColumnExtraWidth();
        if (const int left = LeftFixedBand(); left >= 0)
            page -= int64_t(BandDisplayWidth(left)) + (left == 0 ? extra : 0);
        if (const int right = RightFixedBand(); right >= 0 && right != LeftFixedBand())
            page -= BandDisplayWidth(right);
    }
    return int(std::clamp<int64_t>(page, 0, INT_MAX / 2));
}

int TCustomdxTreeList::HorzThumbOffset(int track)
{
    const int total = ScrollableWidth();
    const int page = HorzPageWidth();
    if (track <= 0)
        return 0;
    if (track >= total)
        return total;
    if (int64_t(page) + track + 1 >= total)
        return track + 1;
    return (track + 1) / 4 * 4;
}

void TCustomdxTreeList::SetHorzOffset(int value)
{
    // An editor that keeps its value keeps its cell where it is.
    if (!EndEditing())
        return;
    if (value == m_horzOffset)
        return;
    const int total = ScrollableWidth();
    const int page = HorzPageWidth();
    value = std::max(value, 0);
    if (int64_t(value) + page > total)
        value = std::max(total - page, 0);
    if (value == m_horzOffset)
        return;
    const int delta = m_horzOffset - value;
    m_horzOffset = value;
    if (m_host)
        UpdateScrollBars();
    if (!m_host || IsUpdating())
        return;
    const bool fixed = LeftFixedBand() >= 0 || RightFixedBand() >= 0;
    if (!m_noScroll && std::abs(delta) <= page && !fixed) {
        rtl::TRect area = m_clientRect;
        area.Left += m_metrics.IndicatorWidth;
        area.Top += m_metrics.GroupPanelHeight;
        area.Bottom -= m_metrics.BottomPanelHeight;
        m_host->scrollContents(delta, 0, area);
    } else {
        m_host->invalidateAll();
    }
    HorzPositionChanged();
}

int64_t TCustomdxTreeList::scrolledBandLeft(int position)
{
    // Scrolling bands start at 0 after the left fixed band, which is the
    // first band when there is one.
    const int extra = FirstColumnExtraWidth();
    int64_t left = 0;
    for (int p = LeftFixedBand() >= 0 ? LeftFixedBand() + 1 : 0; p < position; ++p)
        left += int64_t(BandDisplayWidth(p)) + (p == 0 ? extra : 0);
    return left;
}

bool TCustomdxTreeList::isFixedBand(int position)
{
    return position == LeftFixedBand() || position == RightFixedBand();
}

void TCustomdxTreeList::scrollSpanIntoView(int64_t left, int64_t right, int64_t rightmost)
{
    const int64_t page = HorzPageWidth();
    int64_t offset = m_horzOffset;
    if (left < offset)
        offset = left;
    else if (right > offset + page)
        offset = std::min(right - page, rightmost);
    offset = std::clamp<int64_t>(offset, 0, INT_MAX / 2);
    // Setting the offset ends editing; an offset that stays must not.
    if (offset != m_horzOffset)
        SetHorzOffset(int(offset));
}

void TCustomdxTreeList::MakeBandVisible(int position)
{
    // A single band is scrolled only through its columns, and fixed bands
    // do not scroll.
    if (VisibleBandCount() < 2 || position < 0 || position >= VisibleBandCount() || isFixedBand(position))
        return;
    const int64_t left = scrolledBandLeft(position);
    const int64_t width = int64_t(BandDisplayWidth(position)) + (position == 0 ? FirstColumnExtraWidth() : 0);
    // A band wider than the page shows its left edge.
    scrollSpanIntoView(left, left + width, left);
}

void TCustomdxTreeList::MakeColumnVisible(int column)
{
    if (column < 0 || column >= ColumnCount())
        return;
    int band = -1;
    int bandLine = 0;
    int place = 0;
    forEachPlacedColumn([&](int placed, int b, int line, int at) {
        if (placed != column)
            return true;
        band = b;
        bandLine = line;
        place = at;
        return false;
    });
    if (band < 0 || isFixedBand(band))
        return;
    const int bandWidth = BandDisplayWidth(band) + (band == 0 ? FirstColumnExtraWidth() : 0);
    const std::vector<int> widths = placedLineWidths(band, bandLine, bandWidth);
    if (size_t(place) >= widths.size())
        return;
    int64_t left = scrolledBandLeft(band);
    for (int i = 0; i < place; ++i)
        left += widths[size_t(i)];
    // A column wider than the page may leave its left edge out of view when
    // it comes in from the right.
    scrollSpanIntoView(left, left + widths[size_t(place)], INT64_MAX);
}

int TCustomdxTreeList::RowsPerPage()
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const int64_t height = info.RowsRect.Height();
    int64_t used = 0;
    int rows = 0;
    TdxTreeListNode *top = m_top ? m_top : m_topLevel.first();
    TdxTreeListNode *n = top;
    for (; n; n = n->GetNextVisible()) {
        used += NodeRowHeight(n);
        if (used > height)
            break;
        ++rows;
    }
    // On the last page the rows above the top count too, so that a page
    // that could show more moves back up.
    if (!n && top) {
        for (TdxTreeListNode *p = top->GetPrevVisible(); p; p = p->GetPrevVisible()) {
            used += NodeRowHeight(p);
            if (used > height)
                break;
            ++rows;
        }
    }
    return std::max(rows, 1);
}

int TCustomdxTreeList::RowsOnPage()
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    return std::max(int(info.Rows.size()), 1);
}

rtl::TRect TCustomdxTreeList::RowsScrollRect()
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    rtl::TRect area = info.RowsRect;
    area.Left = m_clientRect.Left;
    return area;
}

void TCustomdxTreeList::UpdateScrollBars()
{
    if (m_host)
        m_host->updateScrollBars();
}

void TCustomdxTreeList::SetDefaultRowHeight(int height)
{
    TreeListSettings settings = m_settings;
    settings.DefaultRowHeight = std::max(height, 1);
    settings.DefaultRowHeightSet = true;
    SetSettings(settings);
}

void TCustomdxTreeList::SetTopRowIndex(int value)
{
    if (!EndEditing())
        return;
    const int count = VisibleRowCount();
    const int current = std::max(TopRowIndex(), 0);
    value = std::max(value, 0);
    if (count < 2)
        return;
    const int perPage = RowsPerPage();
    if (value + perPage > count)
        value = std::max(count - perPage, 0);
    if (value == current && m_top)
        return;
    // The rows passed, each with its own height.
    int64_t dy = 0;
    TdxTreeListNode *passed = NodeAtAbsoluteIndex(std::min(value, current));
    for (int i = std::min(value, current); passed && i < std::max(value, current); ++i) {
        dy += NodeRowHeight(passed);
        passed = passed->GetNextVisible();
    }
    if (value > current)
        dy = -dy;
    m_lastScrollDy = int(std::clamp<int64_t>(dy, INT_MIN / 2, INT_MAX / 2));
    TreeListHost *host = m_host;
    m_host = nullptr; // one repaint below, not one per step
    SetTopNode(NodeAtAbsoluteIndex(value));
    m_host = host;
    if (m_host)
        UpdateScrollBars();
    if (!m_host || IsUpdating())
        return;
    if (std::abs(value - current) <= perPage) {
        const rtl::TRect area = RowsScrollRect();
        m_host->scrollContents(0, m_lastScrollDy, area);
        // Dotted tree lines take their phase from the rows area, not from
        // the moved pixels: the first band is drawn again.
        if (m_host && m_paintSwitches.ShowLines && m_paintSwitches.LineStyle == 1 && VisibleBandCount() > 0) {
            int width = BandDisplayWidth(0);
            if (LeftFixedBand() >= 0)
                width -= m_horzOffset;
            if (width > 0)
                m_host->invalidate(rtl::Rect(area.Left, area.Top, area.Left + width, area.Bottom));
        }
    } else {
        m_host->invalidateAll();
    }
}

TCustomdxTreeList::ScrollBarValues TCustomdxTreeList::HorzScrollBarValues()
{
    const int total = ScrollableWidth();
    const int page = HorzPageWidth();
    return {0, total > page ? total - 1 : 0, page, m_horzOffset};
}

TCustomdxTreeList::ScrollBarValues TCustomdxTreeList::VertScrollBarValues()
{
    const int count = VisibleRowCount();
    const int perPage = RowsPerPage();
    return {0, count > perPage ? count - 1 : 0, perPage, std::max(TopRowIndex(), 0)};
}

void TCustomdxTreeList::KeepPositionsValid()
{
    const int count = VisibleRowCount();
    if (count >= 2 && m_top) {
        const int perPage = RowsPerPage();
        const int top = TopRowIndex();
        if (top + perPage > count)
            SetTopRowIndex(std::max(count - perPage, 0));
    }
    const int total = ScrollableWidth();
    const int page = HorzPageWidth();
    if (page >= total) {
        if (m_horzOffset != 0 && m_host)
            m_host->invalidateAll();
        m_horzOffset = 0;
    } else if (int64_t(m_horzOffset) + page > total) {
        m_horzOffset = total - page;
        if (m_host)
            m_host->invalidateAll();
    }
}

void TCustomdxTreeList::HScroll(int code, int track)
{
    if (!MayScroll() || VisibleColumnCount() == 0)
        return;
    const int64_t offset = m_horzOffset;
    const int total = ScrollableWidth();
    int64_t value = offset;
    switch (code) {
    case SB_LINEUP: value = offset - std::max(m_metrics.HorzLineStep, 1); break;
    case SB_LINEDOWN: value = offset + std::max(m_metrics.HorzLineStep, 1); break;
    case SB_PAGEUP: value = offset - HorzPageWidth(); break;
    case SB_PAGEDOWN: value = offset + HorzPageWidth(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: value = HorzThumbOffset(track); break;
    case SB_TOP: value = 0; break;
    case SB_BOTTOM: value = total; break;
    default: return;
    }
    SetHorzOffset(int(std::clamp<int64_t>(value, 0, INT_MAX / 2)));
}

void TCustomdxTreeList::VScrollTo(int code, int track)
{
    if (!MayScroll())
        return;
    const int count = VisibleRowCount();
    const int64_t top = std::max(TopRowIndex(), 0);
    int64_t value = top;
    switch (code) {
    case SB_LINEUP: value = top - 1; break;
    case SB_LINEDOWN: value = top + 1; break;
    case SB_PAGEUP: value = top - RowsPerPage(); break;
    case SB_PAGEDOWN: value = top + RowsPerPage(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: value = std::clamp(track, 0, count); break;
    case SB_TOP: value = 0; break;
    case SB_BOTTOM: value = count; break;
    default: return;
    }
    SetTopRowIndex(int(std::clamp<int64_t>(value, 0, INT_MAX / 2)));
}

bool TCustomdxTreeList::ContentsFit()
{
    return VisibleRowCount() <= RowsPerPage() && ScrollableWidth() <= HorzPageWidth();
}

} // namespace grid
