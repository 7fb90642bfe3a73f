// The tree list's metrics, band widths, layout record and cell rectangles.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"

#include "platform/gfx/TextLayout.h"
#include "platform/gfx/TextMeasurer.h"
#include "platform/rtl/Rounding.h"

#include <algorithm>
#include <climits>

namespace grid {

namespace {

int layoutClamped(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT_MIN / 2, INT_MAX / 2));
}

} // namespace

int TreeListShare(int a, int b, int c)
{
    if (c == 0)
        return a;
    return rtl::MulDiv(a, b, c);
}

// ---- Metrics ----

bool TCustomdxTreeList::ColumnHasHeaderGlyph(int column)
{
    const classes::TBitmap *glyph = ColumnHeaderGlyph(column);
    return glyph && !glyph->Empty();
}

int TCustomdxTreeList::ColumnTextHeight(int column)
{
    return m_host ? m_host->textMeasurer().textHeight(ColumnFont(column).Font()) : 0;
}

void TCustomdxTreeList::CalcMetrics()
{
    if (!m_host || HasState(classes::csLoading) || IsDestroying())
        return;
    rowHeightsStale();
    const gfx::TextMeasurer &measurer = m_host->textMeasurer();
    auto textHeight = [&measurer](const classes::TFont &font) { return measurer.textHeight(font.Font()); };
    const bool flat = m_look != 0;
    const int bandLines = std::max(1, BandLineSetting());
    const int headerLines = std::max(1, HeaderPanelLineCount());
    const int grid = m_settings.ShowGrid && m_settings.ShowPreviewGrid ? 1 : 0;
    TreeListMetrics &m = m_metrics;
    m.BandLineHeight = textHeight(m_bandFont);
    m.BandPanelHeight = m_settings.ShowBands ? bandLines * m.BandLineHeight + 5 + (flat ? 0 : 1) : 0;
    m.HeaderLineHeight = textHeight(m_headerFont) * std::max(1, HeaderCellLineCount()) + 5 + (flat ? 0 : 1);
    m.HeaderPanelHeight = m_settings.ShowHeader ? m.HeaderLineHeight * headerLines : 0;
    m.GroupPanelHeight = std::max(GroupPanelHeight(), 0);
    m.IndicatorWidth = m_settings.ShowIndicator ? std::max(0, IndicatorWidth()) : 0;
    m.TextHeight = textHeight(Font());
    m.FooterLineHeight = m.TextHeight + 7;
    m.FooterPanelHeight = m_settings.ShowFooter ? m.FooterLineHeight * headerLines + 3 + (flat ? 0 : 1) : 0;
    m.RowFooterHeight = m.FooterLineHeight * headerLines + 2 + grid;
    m.BottomPanelHeight = IsBottomPanelShown() ? std::max(m.TextHeight + 5, 17) : 0;
    m.HorzLineStep = measurer.textWidth(Font().Font(), u"0");
    m.IndentWidth = 16;
    int minimum = std::max(m.TextHeight + 3, 16);
    // Rows grow to the tallest image and to the tallest text of a column
    // that has a font of its own.
    int columnText = 0;
    for (int column = 0; column < ColumnCount(); ++column)
        if (ColumnVisible(column))
            columnText = std::max(columnText, ColumnTextHeight(column));
    const TreeListImageSizes images = ImageSizes();
    for (const int tallest : {images.ImageHeight, images.StateImageHeight, columnText})
        if ((minimum + grid) * headerLines < tallest)
            minimum = tallest;
    minimum += grid;
    if (RowsTakeExtraStep())
        minimum += 2;
    m.MinRowHeight = minimum;
    if (!m_settings.DefaultRowHeightSet)
        m_settings.DefaultRowHeight = minimum;
    m_settings.DefaultRowHeight = std::max(m_settings.DefaultRowHeight, minimum);
    if (m_settings.DefaultRowHeight == minimum)
        m_settings.DefaultRowHeightSet = false;
    m.NewItemSeparator = flat ? 5 : 6;
    m.NewItemRowHeight = IsNewItemRowShown() && headerLines == 1 && VisibleBandCount() > 0
                             ? m_settings.DefaultRowHeight + m.NewItemSeparator
                             : 0;
    m.PreviewLineHeight = textHeight(m_previewFont);
}

TreeListImageSizes TCustomdxTreeList::ImageSizes() const
{
    TreeListImageSizes sizes = m_imageSizes;
    if (m_images && !Images())
        sizes.ImageWidth = sizes.ImageHeight = 0;
    if (m_stateImages && !StateImages())
        sizes.StateImageWidth = sizes.StateImageHeight = 0;
    return sizes;
}

void TCustomdxTreeList::SetImageSizes(const TreeListImageSizes &sizes)
{
    m_imageSizes = sizes;
    LayoutChanged();
}

// ---- Widths ----

int TCustomdxTreeList::BandMinimumWidth(int position)
{
    int64_t minimum = BandSizable(position) ? VisibleBandMinWidth(position) : VisibleBandWidth(position);
    for (int line = 0; line < BandLineCount(position); ++line) {
        int64_t sum = 0;
        for (int place = 0; place < ColumnsInBandLine(position, line); ++place)
            sum += std::max(0, ColumnMinWidth(ColumnAt(position, line, place)));
        minimum = std::max(minimum, sum);
    }
    return layoutClamped(minimum);
}

int TCustomdxTreeList::BandStoredWidth(int position)
{
    int64_t width = VisibleBandWidth(position);
    if (IsWidthFit()) {
        int64_t widest = 0;
        for (int line = 0; line < BandLineCount(position); ++line) {
            int64_t sum = 0;
            for (int place = 0; place < ColumnsInBandLine(position, line); ++place)
                sum += std::max(0, ColumnStoredWidth(ColumnAt(position, line, place)));
            widest = std::max(widest, sum);
        }
        if (widest > 0)
            width = widest;
    }
    // Never narrower than its columns can go: a band whose lines do not fit
    // their minimums widens to them.
    return layoutClamped(std::max<int64_t>(width, BandMinimumWidth(position)));
}

int TCustomdxTreeList::BandDisplayWidth(int position)
{
    const int count = VisibleBandCount();
    if (position < 0 || position >= count)
        return 0;
    if (!optionA(aoAutoWidth))
        return BandStoredWidth(position);
    const int available = m_clientRect.Width() - m_metrics.IndicatorWidth - FirstColumnExtraWidth();
    std::vector<int> stored(static_cast<size_t>(count)), minimum(static_cast<size_t>(count));
    int64_t sum = 0;
    int64_t minimums = 0;
    for (int p = 0; p < count; ++p) {
        stored[size_t(p)] = BandStoredWidth(p);
        minimum[size_t(p)] = BandMinimumWidth(p);
        sum += stored[size_t(p)];
        minimums += minimum[size_t(p)];
    }
    auto share = [&](int p) { return TreeListShare(available, stored[size_t(p)], layoutClamped(sum)); };
    auto below = [&](int p) { return BandSizable(p) && share(p) <= minimum[size_t(p)]; };
    // Once a band is held at its minimum, the others share what is left over
    // all minimums, so that the last band does not pay for it alone.
    int64_t unheld = 0;
    bool held = false;
    for (int p = 0; p < count; ++p) {
        if (below(p))
            held = true;
        else
            unheld += stored[size_t(p)];
    }
    const int rest = layoutClamped(std::max<int64_t>(int64_t(available) - minimums, 0));
    auto width = [&](int p) {
        if (!held)
            return share(p);
        if (below(p))
            return minimum[size_t(p)];
        return layoutClamped(int64_t(minimum[size_t(p)]) +
                             (unheld > 0 ? TreeListShare(stored[size_t(p)], rest, layoutClamped(unheld)) : 0));
    };
    if (position < count - 1)
        return width(position);
    int64_t others = 0;
    for (int p = 0; p < count - 1; ++p)
        others += width(p);
    return layoutClamped(std::max<int64_t>(available - others, 0));
}

int TCustomdxTreeList::TotalBandsWidth()
{
    int64_t total = VisibleBandCount() > 0 ? FirstColumnExtraWidth() : 0;
    for (int p = 0; p < VisibleBandCount(); ++p)
        total += BandDisplayWidth(p);
    return layoutClamped(total);
}

std::vector<int> TCustomdxTreeList::placedLineWidths(int position, int line, int bandWidth)
{
    const int extra = position == 0 ? FirstColumnExtraWidth() : 0;
    std::vector<int> widths = lineWidths(position, line, bandWidth - extra);
    const size_t count = widths.size();
    int64_t x = 0;
    for (size_t i = 0; i < count; ++i) {
        int64_t w = widths[i];
        if (position == 0 && i == 0 && count > 1)
            w += extra;
        // The last column takes what the band has left, none when the
        // columns before it already pass the band's edge. Those keep their
        // widths, so that no cell, and no editor opened on it, is narrower
        // than its column's minimum: what passes the edge is clipped.
        if (i + 1 == count)
            w = std::max<int64_t>(int64_t(bandWidth) - x, 0);
        widths[i] = layoutClamped(w);
        x += widths[i];
    }
    return widths;
}

std::vector<int> TCustomdxTreeList::lineWidths(int position, int line, int width)
{
    const int count = ColumnsInBandLine(position, line);
    std::vector<int> widths(size_t(std::max(count, 0)), 0);
    if (count <= 0)
        return widths;
    std::vector<int> stored(widths.size()), minimum(widths.size());
    std::vector<bool> sizable(widths.size());
    for (int i = 0; i < count; ++i) {
        const int column = ColumnAt(position, line, i);
        stored[size_t(i)] = std::max(0, ColumnStoredWidth(column));
        sizable[size_t(i)] = ColumnSizable(column);
        // A column that cannot be sized cannot shrink either.
        minimum[size_t(i)] = sizable[size_t(i)] ? std::max(0, ColumnMinWidth(column)) : stored[size_t(i)];
    }
    // Without automatic width the columns keep their stored widths, whatever
    // the band's own width: a band that gets its width from its columns
    // matches them, and the others cut the line at their edge and give the
    // last column the rest, as placedLineWidths does.
    if (!optionA(aoAutoWidth))
        return stored;
    int64_t a = std::max(width, 0);
    int64_t s = 0;
    int64_t m = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        s += stored[i];
        m += minimum[i];
    }
    // A band narrower than the line's minimums has no room to share: every
    // column but the last keeps its minimum and the last takes what the band
    // has left, which may be less than its own. Shares of the deficit would
    // make the columns before it narrower than their minimums, or negative.
    if (m > a) {
        for (size_t i = 0; i < widths.size(); ++i)
            widths[i] = minimum[i];
        return widths;
    }
    // Stretched: shares of the band's width by stored width. Once any column
    // falls below its minimum, the columns above theirs share only what the
    // minimums leave, so the held ones do not push the last column out.
    int64_t s2 = 0;
    bool anyBelow = false;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (!sizable[i])
            continue;
        if (TreeListShare(layoutClamped(a), stored[i], layoutClamped(s)) >= minimum[i])
            s2 += stored[i];
        else
            anyBelow = true;
    }
    for (size_t i = 0; i < widths.size(); ++i) {
        const int w = stored[i];
        if (!sizable[i]) {
            widths[i] = w;
            a -= w;
            s -= w;
            m -= w;
            continue;
        }
        const int share = s > 0 ? TreeListShare(layoutClamped(a), w, layoutClamped(s)) : 0;
        if (!anyBelow)
            widths[i] = share;
        else if (share <= minimum[i])
            widths[i] = minimum[i];
        else
            widths[i] = layoutClamped(int64_t(minimum[i]) +
                                      (s2 > 0 ? TreeListShare(layoutClamped(a - m), w, layoutClamped(s2)) : 0));
    }
    return widths;
}

// ---- The layout ----

void TCustomdxTreeList::CalcLayout(TdxTreeListLayoutInfo &info)
{
    calcLayout(info, INT_MAX);
}

void TCustomdxTreeList::calcLayout(TdxTreeListLayoutInfo &info, int stopY)
{
    info = TdxTreeListLayoutInfo();
    const TreeListMetrics &m = m_metrics;
    const rtl::TRect &client = m_clientRect;
    info.ClientRect = client;
    const int ind = m.IndicatorWidth;
    int y = client.Top;
    info.GroupPanelRect = rtl::Rect(client.Left, y, client.Right, y + m.GroupPanelHeight);
    y += m.GroupPanelHeight;
    info.BandPanelRect = rtl::Rect(client.Left + ind, y, client.Right, y + m.BandPanelHeight);
    if (ind > 0)
        info.BandIndicatorRect = rtl::Rect(client.Left, y, client.Left + ind, y + m.BandPanelHeight);
    y += m.BandPanelHeight;
    info.HeaderPanelRect = rtl::Rect(client.Left + ind, y, client.Right, y + m.HeaderPanelHeight);
    if (ind > 0)
        info.HeaderIndicatorRect = rtl::Rect(client.Left, y, client.Left + ind, y + m.HeaderPanelHeight);
    y += m.HeaderPanelHeight;
    info.NewItemRowRect = rtl::Rect(client.Left, y, client.Right, y + m.NewItemRowHeight);
    y += m.NewItemRowHeight;
    const int rowsBottom = std::max(y, client.Bottom - m.FooterPanelHeight - m.BottomPanelHeight);
    info.RowsRect = rtl::Rect(client.Left + ind, y, client.Right, rowsBottom);
    if (ind > 0)
        info.IndicatorRect = rtl::Rect(client.Left, y, client.Left + ind, rowsBottom);
    info.FooterRect = rtl::Rect(client.Left, rowsBottom, client.Right, rowsBottom + m.FooterPanelHeight);
    info.BottomPanelRect =
        rtl::Rect(client.Left, info.FooterRect.Bottom, client.Right, info.FooterRect.Bottom + m.BottomPanelHeight);

    layoutBands(info);
    layoutHeaderCells(info);
    layoutRows(info, stopY);
    info.HorzLineWidth = m_settings.HorzLineWidth();

    for (rtl::TRect *r :
         {&info.BandPanelRect, &info.BandIndicatorRect, &info.HeaderPanelRect, &info.HeaderIndicatorRect,
          &info.GroupPanelRect, &info.NewItemRowRect, &info.FooterRect, &info.BottomPanelRect})
        if (r->Height() <= 0)
            *r = rtl::TRect{};
}

void TCustomdxTreeList::layoutBands(TdxTreeListLayoutInfo &info)
{
    const int count = VisibleBandCount();
    if (count <= 0)
        return;
    const TreeListMetrics &m = m_metrics;
    const int separator = m_settings.FixedBandSeparatorWidth;
    const int extra = FirstColumnExtraWidth();
    const int bandTop = info.BandPanelRect.Top;
    const int bandBottom = info.BandPanelRect.Bottom;
    const int fixedBottom = info.RowsRect.Top - (m.NewItemRowHeight > 0 ? m.NewItemSeparator : 0);
    const int panelLeft = info.BandPanelRect.Left;
    int panelRight = info.BandPanelRect.Right;
    const int leftFixed = LeftFixedBand();
    const int rightFixed = RightFixedBand();
    int spanLeft = panelLeft;

    rtl::TRect leftEntry;
    if (leftFixed >= 0 && leftFixed < count) {
        const int64_t width = int64_t(BandDisplayWidth(leftFixed)) + (leftFixed == 0 ? extra : 0);
        // Clamped as the cells inside it are, so that its last cell still
        // ends where it does.
        info.LeftFixedRect = rtl::Rect(panelLeft, bandTop, layoutClamped(int64_t(panelLeft) + width), fixedBottom);
        info.LeftFixedEntry = leftFixed;
        leftEntry = rtl::Rect(panelLeft, bandTop, info.LeftFixedRect.Right - separator, bandBottom);
        spanLeft = info.LeftFixedRect.Right;
    }
    const int total = TotalBandsWidth();
    if (total < panelRight - panelLeft) {
        panelRight = panelLeft + total;
        info.BandPanelRect.Right = panelRight;
        info.HeaderPanelRect.Right = panelRight;
        info.EmptyRightRect =
            rtl::Rect(panelRight, info.BandPanelRect.Top, info.ClientRect.Right, info.RowsRect.Bottom);
        if (!info.NewItemRowRect.IsEmpty())
            info.NewItemRowRect.Right = panelRight;
    }
    int spanRight = panelRight;
    rtl::TRect rightEntry;
    if (rightFixed >= 0 && rightFixed < count && rightFixed != leftFixed) {
        const int width = BandDisplayWidth(rightFixed);
        int left = panelRight - width;
        const int least = std::max(info.LeftFixedRect.Right, info.ClientRect.Left + m.IndicatorWidth);
        if (left < least)
            left = least;
        const int right = layoutClamped(int64_t(left) + width);
        info.RightFixedRect = rtl::Rect(left, bandTop, right, fixedBottom);
        info.RightFixedEntry = rightFixed;
        rightEntry = rtl::Rect(std::min(layoutClamped(int64_t(left) + separator), right), bandTop, right, bandBottom);
        spanRight = left;
    }

    if (info.LeftFixedEntry >= 0)
        info.Bands.push_back({leftFixed, leftEntry, leftEntry});
    const int first = info.LeftFixedEntry >= 0 ? leftFixed + 1 : 0;
    const int last = info.RightFixedEntry >= 0 ? rightFixed - 1 : count - 1;
    int64_t offset = -int64_t(m_horzOffset);
    const int64_t span = spanRight - spanLeft;
    for (int p = first; p <= last && offset <= span; ++p) {
        const int width = BandDisplayWidth(p) + (p == 0 ? extra : 0);
        if (offset + width >= 0) {
            const int left = layoutClamped(spanLeft + offset);
            const rtl::TRect band = rtl::Rect(left, bandTop, layoutClamped(int64_t(left) + width), bandBottom);
            rtl::TRect clip = band;
            clip.Left = std::max(clip.Left, spanLeft);
            clip.Right = std::min(clip.Right, spanRight);
            info.Bands.push_back({p, band, clip});
            if (info.RightFixedEntry >= 0)
                info.LastScrolledBand = p;
        }
        offset += width;
    }
    if (info.RightFixedEntry >= 0)
        info.Bands.push_back({rightFixed, rightEntry, rightEntry});

    // The tree part of the first column.
    int64_t tree = int64_t(BandDisplayWidth(0)) + extra;
    if (info.LeftFixedEntry >= 0)
        tree = std::min<int64_t>(tree, info.LeftFixedRect.Right - separator - info.RowsRect.Left);
    if (info.RightFixedEntry >= 0) {
        const int64_t start = info.RowsRect.Left - (info.LeftFixedEntry < 0 ? m_horzOffset : 0);
        tree = std::min<int64_t>(tree, info.RightFixedRect.Left - start);
    }
    info.TreeColumnWidth = layoutClamped(std::max<int64_t>(tree, 0));
}

void TCustomdxTreeList::layoutHeaderCells(TdxTreeListLayoutInfo &info)
{
    const TreeListMetrics &m = m_metrics;
    const int panelLines = std::max(1, HeaderPanelLineCount());
    for (size_t b = 0; b < info.Bands.size(); ++b) {
        const TdxTreeListBandInfo &band = info.Bands[b];
        const int lines = BandLineCount(band.BandIndex);
        const int headerTop = band.BandRect.Bottom;
        if (lines <= 0) {
            const rtl::TRect clip = rtl::Rect(band.BandClipRect.Left, headerTop, band.BandClipRect.Right,
                                              headerTop + panelLines * m.HeaderLineHeight);
            info.EmptyBands.push_back({band.BandIndex, clip, clip.Right < band.BandRect.Right});
            continue;
        }
        for (int line = 0; line < lines; ++line) {
            const int count = ColumnsInBandLine(band.BandIndex, line);
            const std::vector<int> widths = placedLineWidths(band.BandIndex, line, band.BandRect.Width());
            int x = band.BandRect.Left;
            for (int i = 0; i < count && size_t(i) < widths.size(); ++i) {
                const int right = layoutClamped(int64_t(x) + widths[size_t(i)]);
                TdxTreeListHeaderCell cell;
                cell.ColumnIndex = ColumnAt(band.BandIndex, line, i);
                cell.BandIndex = band.BandIndex;
                cell.BandLine = line;
                cell.Position = i;
                // A column spans its header lines down to the panel's last one.
                cell.LineCount = std::max(1, std::min(ColumnHeaderLineCount(cell.ColumnIndex), panelLines - line));
                cell.CellRect = rtl::Rect(x, headerTop + line * m.HeaderLineHeight, right,
                                          headerTop + (line + cell.LineCount) * m.HeaderLineHeight);
                x = right;
                if (cell.CellRect.Right <= band.BandClipRect.Left || cell.CellRect.Left >= band.BandClipRect.Right)
                    continue;
                cell.ClipRect = cell.CellRect;
                cell.ClipRect.Left = std::max(cell.ClipRect.Left, band.BandClipRect.Left);
                cell.ClipRect.Right = std::min(cell.ClipRect.Right, band.BandClipRect.Right);
                if (line == lines - 1 && line + cell.LineCount < panelLines)
                    cell.FillerRect = rtl::Rect(cell.CellRect.Left, cell.CellRect.Bottom, cell.CellRect.Right,
                                                headerTop + panelLines * m.HeaderLineHeight);
                cell.FirstInLine = i == 0;
                cell.LastInLine = i == count - 1;
                cell.FirstOfFirstBand = cell.FirstInLine && b == 0;
                cell.LastOfLastBand = cell.LastInLine && b + 1 == info.Bands.size();
                cell.ColumnFlag = ColumnWrapsText(cell.ColumnIndex);
                info.HeaderCells.push_back(cell);
            }
        }
    }
}

void TCustomdxTreeList::layoutRows(TdxTreeListLayoutInfo &info, int stopY)
{
    const rtl::TRect &rows = info.RowsRect;
    int64_t y = rows.Top;
    // As many as a full page of the shortest rows, grown when rows are
    // shorter still; bounded so that a tiny row height reserves no megabytes.
    info.Rows.reserve(size_t(std::clamp(rows.Height() / std::max(m_settings.DefaultRowHeight, 1) + 1, 1, 256)));
    TdxTreeListNode *n = m_top ? m_top : m_topLevel.first();
    for (; n && y < rows.Bottom; n = n->GetNextVisible()) {
        if (y > stopY) {
            // Cut short: the rows go on below, so nothing ends above stopY.
            y = rows.Bottom;
            break;
        }
        TdxTreeListRowInfo row;
        row.Node = n;
        row.Selected = n->Selected();
        row.Top = int(y);
        row.WholeRow = IsWholeRow(n);
        int lines = -1;
        row.Height = rowHeightFor(n, m_settings.DefaultRowHeight, &lines);
        row.FooterLines = NodeFooterLines(n);
        row.FooterHeight = row.FooterLines * m_metrics.RowFooterHeight;
        row.RowFlag = RowFlag(n);
        row.PreviewLines = NodePreviewLines(n);
        row.LineCount = lines;
        info.Rows.push_back(row);
        y += std::max(row.Height, 1);
    }
    int64_t right = int64_t(TotalBandsWidth()) + rows.Left - 1 - (LeftFixedBand() < 0 ? m_horzOffset : 0);
    info.ColumnsRight = layoutClamped(std::min<int64_t>(right, rows.Right - 1));
    if (y < rows.Bottom) {
        info.LastRowBottom = int(y) - 1;
        info.EmptyBottomRect = rtl::Rect(rows.Left, int(y), rows.Right, rows.Bottom);
        if (!info.IndicatorRect.IsEmpty())
            info.IndicatorRect.Bottom = int(y);
    }
}

// ---- Rows ----

int TCustomdxTreeList::NodePreviewLines(TdxTreeListNode *node)
{
    if (!node || IsSingleTextNode(node) || !optionA(aoPreview) || m_settings.PreviewLines == 0)
        return 0;
    if (!optionB(boPreviewFromText))
        return std::max(m_settings.PreviewLines, 0);
    // As wide as the rows' columns, less the node's indent.
    int height = 0;
    return MeasurePreviewLines(NodePreviewText(node), TotalBandsWidth(), NodeIndentWidth(node), m_settings.PreviewLines,
                               m_metrics.PreviewLineHeight, m_previewFont, height);
}

int TCustomdxTreeList::NodeRowHeight(TdxTreeListNode *node)
{
    return rowHeightFor(node, m_settings.DefaultRowHeight);
}

bool TCustomdxTreeList::IsSingleLineRowMode()
{
    return IsMultiLineRows() && !(optionA(aoPreview) && m_settings.PreviewLines != 0) && HeaderPanelLineCount() == 1;
}

void TCustomdxTreeList::MeasureCellHeight(TdxTreeListNode *node, int column, int width, int maxLines, int &height,
                                          int &lines)
{
    const classes::TFont &font = ColumnFont(column);
    const int textHeight = m_host ? std::max(m_host->textMeasurer().textHeight(font.Font()), 1) : 1;
    height = textHeight;
    lines = 1;
    const QString text = CellText(node, column);
    if (text.isEmpty() || !m_host)
        return;
    const gfx::TextLayout layout =
        gfx::LayoutText(m_host->textMeasurer(), font.Font(), text, rtl::Rect(0, 0, std::max(width, 1), 0),
                        gfx::DT_CALCRECT | gfx::DT_WORDBREAK | gfx::DT_EXPANDTABS | gfx::DT_NOPREFIX);
    lines = std::max(1, layout.calcRect.Height() / textHeight);
    if (maxLines > 0 && lines > maxLines)
        lines = maxLines;
    height = lines * textHeight;
}

int TCustomdxTreeList::NodeLineCount(TdxTreeListNode *node, int &lineHeight)
{
    // Every column counts, in view or scrolled out of it, so that a row
    // keeps its height while the bands scroll past.
    const int limit = m_settings.RowLineLimit < 0 ? -1 : m_settings.RowLineLimit;
    const int bands = VisibleBandCount();
    const int extra = FirstColumnExtraWidth();
    const int leftFixed = LeftFixedBand();
    const int rightFixed = RightFixedBand();
    int lines = 1;
    for (int position = 0; position < bands; ++position) {
        int bandWidth = BandDisplayWidth(position) + (position == 0 ? extra : 0);
        // A fixed band gives up its separator.
        if (position == leftFixed || (position == rightFixed && rightFixed != leftFixed))
            bandWidth -= m_settings.FixedBandSeparatorWidth;
        for (int line = 0; line < BandLineCount(position); ++line) {
            const std::vector<int> widths = placedLineWidths(position, line, bandWidth);
            for (size_t i = 0; i < widths.size(); ++i) {
                int width = widths[i];
                if (position == 0 && i == 0)
                    width -= NodeIndentWidth(node);
                int height = 0;
                int count = 1;
                // The text is drawn 2 px in from either side.
                MeasureCellHeight(node, ColumnAt(position, line, int(i)), width - 4, limit, height, count);
                lines = std::max(lines, count);
                if (count == 1)
                    lineHeight = std::max(lineHeight, height);
            }
        }
    }
    return lines;
}

std::vector<int> TCustomdxTreeList::NodeFooterLevels(TdxTreeListNode *node)
{
    std::vector<int> levels;
    if (!node || !m_settings.ShowRowFooters || node->HasChildren() || node->Count() > 0 || !node->Parent() ||
        !node->IsLast())
        return levels;
    for (TdxTreeListNode *n = node; n && n->Parent() && n->IsLast(); n = n->Parent())
        if (IsGroupFooter(node, n->Parent()->Level()))
            levels.push_back(n->Parent()->Level());
    return levels;
}

int TCustomdxTreeList::NodeFooterLines(TdxTreeListNode *node)
{
    return int(NodeFooterLevels(node).size());
}

void TCustomdxTreeList::rowHeightsStale()
{
    if (++m_heightGeneration != 0)
        return;
    // The numbers came round: a height kept that many changes ago would read
    // as current.
    for (TdxTreeListNode *n = m_topLevel.first(); n; n = n->GetNext())
        n->m_heightGeneration = 0;
    m_heightGeneration = 1;
}

int TCustomdxTreeList::rowHeightFor(TdxTreeListNode *node, int line, int *lineCount, bool force)
{
    if (!force && node->m_heightGeneration == m_heightGeneration && node->m_height != 0 && CanCacheRowHeight()) {
        if (lineCount)
            *lineCount = int(node->m_heightLines) - 1;
        return node->m_height;
    }
    int lines = -1;
    const int height = measureRowHeight(node, line, lines);
    if (lineCount)
        *lineCount = lines;
    if (!force) {
        node->m_height = height;
        node->m_heightLines = uint16_t(std::clamp(lines + 1, 0, 0xffff));
        node->m_heightGeneration = m_heightGeneration;
    }
    return height;
}

int TCustomdxTreeList::measureRowHeight(TdxTreeListNode *node, int line, int &lineCount)
{
    const bool bothGrids = m_settings.ShowGrid && m_settings.ShowPreviewGrid;
    lineCount = -1;
    if (IsSingleLineRowMode()) {
        int measured = line;
        const int lines = NodeLineCount(node, measured);
        lineCount = lines;
        if (lines > 1 && measured == line)
            measured = int(std::min<int64_t>(int64_t(line) + int64_t(lines - 1) * m_metrics.TextHeight, INT_MAX / 4));
        line = std::max(line, measured);
    }
    // A single-text node is one line whatever the band lines; the grid-line
    // and button adjustments below hold for it as for any row.
    const int previews = NodePreviewLines(node);
    int64_t height = IsSingleTextNode(node) ? int64_t(line) : int64_t(std::max(1, HeaderPanelLineCount())) * line;
    if (previews > 0)
        height += int64_t(previews) * m_metrics.PreviewLineHeight + (bothGrids ? 1 : 0) + 2;
    const bool children = node->HasChildren() || node->Count() > 0;
    if (!m_settings.ShowGrid && children && !m_settings.ReserveButtonCell)
        height += 1;
    if (bothGrids)
        height -= 1;
    height += int64_t(NodeFooterLines(node)) * m_metrics.RowFooterHeight;
    return int(std::clamp<int64_t>(height, 1, INT_MAX / 4));
}

rtl::TRect TCustomdxTreeList::CellRect(TdxTreeListNode *node, int position)
{
    const rtl::TRect none{-1, -1, -1, -1};
    const int column = ColumnAtPosition(position);
    if (column < 0 || !owns(node))
        return none;
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const auto cell = std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                   [column](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == column; });
    const auto row = std::find_if(info.Rows.begin(), info.Rows.end(),
                                  [node](const TdxTreeListRowInfo &r) { return r.Node == node; });
    if (cell == info.HeaderCells.end() || row == info.Rows.end())
        return none;
    const int line = m_settings.DefaultRowHeight;
    rtl::TRect r;
    r.Left = cell->CellRect.Left;
    if (cell->BandIndex == 0) {
        const int indentRight = info.RowsRect.Left + NodeIndentWidth(node) - (LeftFixedBand() < 0 ? m_horzOffset : 0);
        r.Left = std::max(r.Left, std::min(indentRight, cell->CellRect.Right));
    }
    r.Top = row->Top + cell->BandLine * line;
    r.Bottom = r.Top + cell->LineCount * line;
    if (m_settings.ShowGrid && m_settings.ShowPreviewGrid)
        r.Bottom -= 1;
    if ((node->HasChildren() || node->Count() > 0) && !m_settings.ShowGrid && !m_settings.ReserveButtonCell)
        r.Bottom += 1;
    r.Right = cell->CellRect.Right;
    // A multi-line row's cells reach down to its footers.
    if (IsSingleLineRowMode())
        r.Bottom = row->Top + row->Height - info.HorzLineWidth - row->FooterHeight;
    return r;
}

rtl::TRect TCustomdxTreeList::NewItemRowCellRect(int position)
{
    const rtl::TRect none{-1, -1, -1, -1};
    const int column = ColumnAtPosition(position);
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    if (column < 0 || info.NewItemRowRect.IsEmpty())
        return none;
    const auto cell = std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                   [column](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == column; });
    if (cell == info.HeaderCells.end())
        return none;
    return rtl::Rect(cell->ClipRect.Left, info.NewItemRowRect.Top, cell->ClipRect.Right,
                     info.NewItemRowRect.Bottom - m_metrics.NewItemSeparator);
}

rtl::TRect TCustomdxTreeList::EditorRect(TdxTreeListNode *node, int position)
{
    rtl::TRect r = CellRect(node, position);
    if (r.Left == -1 && r.Right == -1)
        return r;
    const int column = ColumnAtPosition(position);
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const auto cell = std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                   [column](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == column; });
    const bool bothGrids = m_settings.ShowGrid && m_settings.ShowPreviewGrid;
    const bool flatLines = optionB(0);
    // The last band, whether or not it is scrolled into view.
    const int lastBand = VisibleBandCount() - 1;
    if (cell->LastInLine) {
        const int beforeRight = info.RightFixedEntry >= 0 ? info.RightFixedEntry - 1 : -2;
        const bool moves = bothGrids ? cell->BandIndex != info.LeftFixedEntry && cell->BandIndex != beforeRight
                                     : cell->BandIndex == lastBand && (!flatLines || m_settings.ShowGrid);
        if (moves)
            r.Right -= 1;
    }
    if (cell->BandIndex == 0 && cell->FirstInLine)
        r.Left = std::max(r.Left, info.RowsRect.Left + NodeIndentWidth(node));
    if (flatLines) {
        r.Top += 1;
        r.Bottom -= 1;
        if (cell->LastInLine && cell->BandIndex == lastBand)
            r.Right -= 1;
    }
    return r;
}

} // namespace grid
