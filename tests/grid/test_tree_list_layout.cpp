// Geometry of the tree list, table-driven and headless: metrics, the layout
// record, hit codes, row heights and the scroll model, measured with 7-px
// characters and 13-px lines.

#include "GridPrinters.h"
#include "LayoutFixture.h"

#include "platform/gfx/ImageList.h"

#include <gtest/gtest.h>

#include <random>

using namespace grid;
using gridtest::LayoutFixture;

TEST(TreeListGeometry, DefaultMetrics)
{
    LayoutFixture f;
    const TreeListMetrics &m = f.tree->Metrics();
    EXPECT_EQ(m.HeaderLineHeight, 19);
    EXPECT_EQ(m.HeaderPanelHeight, 19);
    EXPECT_EQ(m.FooterLineHeight, 20);
    EXPECT_EQ(m.BandPanelHeight, 0); // bands not shown
    EXPECT_EQ(m.IndicatorWidth, 0);
    EXPECT_EQ(m.IndentWidth, 16);
    EXPECT_EQ(f.tree->Settings().DefaultRowHeight, 16);
    f.settings([](TreeListSettings &s) {
        s.ShowIndicator = true;
        s.ShowBands = true;
        s.DefaultRowHeight = 18;
        s.DefaultRowHeightSet = true;
    });
    EXPECT_EQ(f.tree->Metrics().IndicatorWidth, 12);
    EXPECT_EQ(f.tree->Metrics().BandPanelHeight, 19);
    EXPECT_EQ(f.tree->Settings().DefaultRowHeight, 18);
    f.tree->SetLook(1); // flat: one pixel less
    f.tree->CalcMetrics();
    EXPECT_EQ(f.tree->Metrics().HeaderLineHeight, 18);
}

namespace {

// Lines of 30 px in fonts of 20 points and more, of 13 px below.
class FontSizeMeasurer : public gfx::FixedTextMeasurer
{
public:
    gfx::TextMetrics metrics(const gfx::Font &font) const override
    {
        gfx::TextMetrics m = FixedTextMeasurer::metrics(font);
        if (font.size >= 20)
            m.height = 30;
        return m;
    }
};

class FontSizeHost : public gridtest::FakeTreeListHost
{
public:
    const gfx::TextMeasurer &textMeasurer() const override { return sized; }
    FontSizeMeasurer sized;
};

} // namespace

TEST(TreeListGeometry, RowsGrowToAColumnsTallerFont)
{
    LayoutFixture f;
    FontSizeHost host;
    f.tree->SetHost(&host);
    TdxTreeListColumn *big = f.column("A");
    f.column("B");
    f.tree->CalcMetrics();
    EXPECT_EQ(f.tree->Settings().DefaultRowHeight, 16);
    big->Font()->SetSize(24);
    f.tree->CalcMetrics();
    EXPECT_EQ(f.tree->Metrics().MinRowHeight, 30);
    EXPECT_EQ(f.tree->Settings().DefaultRowHeight, 30);
    big->SetVisible(false); // a hidden column asks for nothing
    f.tree->CalcMetrics();
    EXPECT_EQ(f.tree->Metrics().MinRowHeight, 16);
    f.tree->SetHost(&f.host);
}

TEST(TreeListGeometry, FixedBandsAndScrolledBands)
{
    LayoutFixture f(500);
    f.settings([](TreeListSettings &s) { s.ShowBands = true; });
    f.band(0, 100);
    f.band(1, 400);
    f.band(2, 150);
    f.sized(0, 100);
    f.sized(1, 200);
    f.sized(1, 200);
    f.sized(2, 150);
    f.tree->Bands()->Items(0)->SetFixed(bfLeft);
    f.tree->Bands()->Items(2)->SetFixed(bfRight);
    struct Case
    {
        int offset;
        rtl::TRect scrolled, clip;
    };
    for (const Case &c : {Case{0, rtl::Rect(100, 0, 500, 19), rtl::Rect(100, 0, 350, 19)},
                          Case{37, rtl::Rect(63, 0, 463, 19), rtl::Rect(100, 0, 350, 19)},
                          Case{1000, rtl::Rect(-50, 0, 350, 19), rtl::Rect(100, 0, 350, 19)}}) {
        f.tree->SetHorzOffset(0);
        f.tree->SetHorzOffset(c.offset);
        const TdxTreeListLayoutInfo info = f.layout();
        ASSERT_EQ(info.Bands.size(), 3u) << c.offset;
        EXPECT_EQ(info.Bands[0].BandRect, rtl::Rect(0, 0, 98, 19));
        EXPECT_EQ(info.Bands[1].BandRect, c.scrolled) << c.offset;
        EXPECT_EQ(info.Bands[1].BandClipRect, c.clip) << c.offset;
        EXPECT_EQ(info.Bands[2].BandRect, rtl::Rect(352, 0, 500, 19));
        EXPECT_EQ(info.LeftFixedEntry, 0);
        EXPECT_EQ(info.RightFixedEntry, 2);
        EXPECT_EQ(info.LastScrolledBand, 1);
    }
    EXPECT_EQ(f.tree->HorzOffset(), 150); // 400 to scroll in a page of 250

    // Too narrow: the right band starts after the left one and the indicator.
    f.settings([](TreeListSettings &s) { s.ShowIndicator = true; });
    f.tree->SetClientRect(rtl::Rect(0, 0, 200, 400));
    const TdxTreeListLayoutInfo narrow = f.layout();
    EXPECT_EQ(narrow.LeftFixedRect.Left, 12);
    EXPECT_EQ(narrow.RightFixedRect.Left, narrow.LeftFixedRect.Right);
    EXPECT_EQ(narrow.RightFixedRect.Width(), 150);
}

TEST(TreeListGeometry, ColumnsShareTheirBandLine)
{
    struct Case
    {
        int bandWidth;
        std::vector<int> widths, minimums, expected;
        bool autoWidth = false;
        int fixed = -1; // a column that cannot be sized
    };
    const Case cases[] = {
        // Stored widths as they are; the last column takes the rest of the band.
        {200, {100, 300}, {20, 20}, {100, 100}},
        {200, {300, 300}, {20, 20}, {300}},                    // clipped at the band's edge, the last on no pixel
        {200, {50, 50, 50}, {100, 100, 100}, {100, 100, 100}}, // the band widens to its minimums
        {300, {0, 0}, {0, 0}, {300}},                          // the first is on no pixel
        // Stretched into the client by stored widths.
        {200, {100, 300}, {20, 20}, {50, 150}, true},
        {200, {100, 300}, {60, 20}, {60, 140}, true},
        {200, {100, 100, 200}, {20, 20, 20}, {50, 50, 100}, true},
        // One held at its minimum: the others share what the minimums leave.
        {200, {100, 100, 200}, {60, 20, 20}, {60, 53, 87}, true},
        {400, {100, 100, 200}, {60, 20, 20}, {100, 100, 200}, true},
        {300, {100, 100, 200}, {20, 20, 20}, {100, 67, 133}, true, 0},
        // Narrower than the minimums: the last column is empty.
        {200, {50, 50, 50}, {100, 100, 100}, {100, 100}, true},
    };
    for (const Case &c : cases) {
        LayoutFixture f(c.autoWidth ? c.bandWidth : 600);
        if (c.autoWidth)
            f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoAutoWidth));
        f.band(0, c.bandWidth);
        for (size_t i = 0; i < c.widths.size(); ++i)
            f.sized(0, c.widths[i], c.minimums[i])->SetSizing(int(i) != c.fixed);
        EXPECT_EQ(f.cellWidths(), c.expected) << c.bandWidth << " " << c.widths[0] << " " << c.minimums[0];
    }
}

TEST(TreeListGeometry, RowsFillTheRowsArea)
{
    LayoutFixture f(300, 19 + 357);
    f.column("A");
    for (int i = 0; i < 30; ++i)
        f.node({QString::number(i)});
    f.settings([](TreeListSettings &s) {
        s.ShowGrid = true;
        s.ShowPreviewGrid = true;
        s.DefaultRowHeight = 18;
        s.DefaultRowHeightSet = true;
    });
    TdxTreeListLayoutInfo info = f.layout();
    EXPECT_EQ(info.RowsRect, rtl::Rect(0, 19, 300, 376));
    EXPECT_EQ(info.Rows.size(), 21u); // rows of 17 px: one more than 357 div 18 + 1
    EXPECT_EQ(info.LastRowBottom, -1);
    EXPECT_EQ(f.tree->VertScrollBarValues().Page, 21);

    f.tree->SetClientRect(rtl::Rect(0, 0, 300, 10)); // shorter than the header
    info = f.layout();
    EXPECT_EQ(info.RowsRect.Height(), 0);
    EXPECT_TRUE(info.Rows.empty());

    f.tree->Bands()->Items(0)->SetVisible(false); // no bands: rows all the same
    f.tree->SetClientRect(rtl::Rect(0, 0, 300, 100));
    info = f.layout();
    EXPECT_TRUE(info.Bands.empty());
    EXPECT_TRUE(info.HeaderCells.empty());
    EXPECT_EQ(info.TreeColumnWidth, 0);
    EXPECT_EQ(info.Rows.size(), 5u);
    // Without cells a row answers as its indicator would, with its node.
    const TdxTreeListHitInfo hit = f.tree->HitTest(50, 19 + 17 + 5);
    EXPECT_EQ(hit.HitCode, htRowIndicator);
    EXPECT_EQ(hit.RowIndex, 1);
    EXPECT_EQ(f.tree->GetNodeAt(50, 19 + 5), f.tree->Items(0));
}

TEST(TreeListGeometry, RowHeights)
{
    struct Case
    {
        bool grid, previewGrid, children, preview;
        int expected;
    };
    // DefaultRowHeight 18, preview lines of 13 px, two of them.
    const Case cases[] = {
        {false, true, false, false, 18},         {false, true, true, false, 19},
        {true, true, true, false, 17},           {true, false, false, false, 18},
        {false, true, false, true, 18 + 26 + 2}, {true, true, false, true, 18 + 26 + 1 + 2 - 1},
    };
    for (const Case &c : cases) {
        LayoutFixture f;
        f.column("A");
        TdxTreeListNode *n = f.node({"n"});
        if (c.children)
            f.node({"c"}, n);
        if (c.preview) {
            f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoPreview));
            f.tree->SetOptionsB(f.tree->OptionsB() & ~(1u << boPreviewFromText)); // the set count of lines
        }
        f.settings([&c](TreeListSettings &s) {
            s.ShowGrid = c.grid;
            s.ShowPreviewGrid = c.previewGrid;
            s.DefaultRowHeight = 18;
            s.DefaultRowHeightSet = true;
        });
        EXPECT_EQ(f.tree->NodeRowHeight(n), c.expected) << c.grid << c.previewGrid << c.children << c.preview;
    }
}

namespace {

// Rows whose nodes are exported and measured as one text.
class SingleTextControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsSingleTextNode(TdxTreeListNode *) override { return true; }
};

class NewItemRowControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsNewItemRowShown() override { return true; }
};

} // namespace

TEST(TreeListGeometry, SingleTextRowsTakeTheGridAndButtonAdjustments)
{
    struct Case
    {
        bool grid, children;
        int expected;
    };
    // One line of 18 whatever the header lines; a parent without grid lines
    // a pixel taller, both grid lines a pixel shorter; never previews.
    const Case cases[] = {{false, false, 18}, {false, true, 19}, {true, true, 17}};
    for (const Case &c : cases) {
        LayoutFixture f;
        f.tree = std::make_unique<SingleTextControl>(nullptr);
        f.tree->SetHost(&f.host);
        f.tree->SetClientRect(rtl::Rect(0, 0, 600, 400));
        f.column("A");
        f.column("B", 0, 1);
        TdxTreeListNode *n = f.node({"n"});
        if (c.children)
            f.node({"c"}, n);
        f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoPreview));
        f.settings([&c](TreeListSettings &s) {
            s.ShowGrid = c.grid;
            s.DefaultRowHeight = 18;
            s.DefaultRowHeightSet = true;
        });
        f.tree->SetHeaderPanelRowCount(2);
        ASSERT_EQ(f.tree->HeaderPanelLineCount(), 2);
        EXPECT_EQ(f.tree->NodeRowHeight(n), c.expected) << c.grid << c.children;
    }
}

TEST(TreeListGeometry, HeaderCellsSpanTheirColumnsLineCount)
{
    LayoutFixture f(600, 300);
    f.band(0, 200);
    f.band(1, 100);
    f.band(2, 100);
    f.tree->SetHeaderPanelRowCount(2);
    f.sized(0, 200);
    f.column("B", 0, 1)->SetWidth(200);
    TdxTreeListColumn *tall = f.sized(1, 100);
    tall->SetHeaderMaxLineCount(2);
    f.sized(2, 100);
    f.settings([](TreeListSettings &s) {
        s.DefaultRowHeight = 18;
        s.DefaultRowHeightSet = true;
    });
    TdxTreeListNode *n = f.node({"n"});
    const TdxTreeListLayoutInfo info = f.layout();
    auto cellOf = [&info](int column) {
        return *std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                             [column](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == column; });
    };
    const TdxTreeListHeaderCell spanning = cellOf(tall->Index());
    EXPECT_EQ(spanning.LineCount, 2);
    EXPECT_EQ(spanning.CellRect, rtl::Rect(200, 0, 300, 38));
    EXPECT_TRUE(spanning.FillerRect.IsEmpty()); // it reaches the panel's bottom itself
    const TdxTreeListHeaderCell single = cellOf(3);
    EXPECT_EQ(single.CellRect, rtl::Rect(300, 0, 400, 19));
    EXPECT_EQ(single.FillerRect, rtl::Rect(300, 19, 400, 38));
    // Its cells in the rows span both band lines too.
    const int position = f.tree->PositionOfColumn(tall->Index());
    EXPECT_EQ(f.tree->CellRect(n, position), rtl::Rect(200, 38, 300, 38 + 36));
    const TdxTreeListHitInfo hit = f.tree->HitTest(250, 38 + 30);
    EXPECT_EQ(hit.HitCode, htCell);
    EXPECT_EQ(hit.ColumnIndex, tall->Index());
}

TEST(TreeListGeometry, FooterCellsFollowTheirBandLines)
{
    LayoutFixture f(400, 300);
    f.band(0, 200);
    f.tree->SetHeaderPanelRowCount(2);
    TdxTreeListColumn *upper = f.sized(0, 200);
    TdxTreeListColumn *lower = f.column("B", 0, 1);
    lower->SetWidth(200);
    f.settings([](TreeListSettings &s) { s.ShowFooter = true; });
    const rtl::TRect footer = f.layout().FooterRect;
    ASSERT_EQ(footer.Height(), 20 * 2 + 4);
    EXPECT_EQ(f.tree->HitTest(50, footer.Top + 5).ColumnIndex, upper->Index());
    const TdxTreeListHitInfo hit = f.tree->HitTest(50, footer.Top + 25);
    EXPECT_EQ(hit.HitCode, htFooter);
    EXPECT_EQ(hit.ColumnIndex, lower->Index());
    EXPECT_EQ(f.tree->HitTest(50, footer.Bottom - 1).ColumnIndex, lower->Index()); // the margin below
}

TEST(TreeListGeometry, TheNewItemRowsSeparatorHasNoColumn)
{
    LayoutFixture f;
    f.tree = std::make_unique<NewItemRowControl>(nullptr);
    f.tree->SetHost(&f.host);
    f.tree->SetClientRect(rtl::Rect(0, 0, 400, 200));
    f.band(0, 300);
    f.sized(0, 300);
    f.tree->CalcMetrics();
    const rtl::TRect row = f.layout().NewItemRowRect;
    ASSERT_EQ(row, rtl::Rect(0, 19, 300, 19 + 16 + 6));
    EXPECT_EQ(f.tree->HitTest(50, row.Bottom - 7).ColumnIndex, 0);
    const TdxTreeListHitInfo separator = f.tree->HitTest(50, row.Bottom - 6);
    EXPECT_EQ(separator.HitCode, htNewItemRow);
    EXPECT_EQ(separator.ColumnIndex, -1);
}

TEST(TreeListGeometry, HitCodes)
{
    LayoutFixture f(400, 200);
    f.band(0, 300);
    f.sized(0, 100);
    f.sized(0, 200);
    TdxTreeListNode *top = f.node({"top", "x"});
    f.node({"child"}, top);
    top->SetExpanded(true);
    f.tree->SetImageSizes({16, 16, 0, 0}); // every text node has image 0
    const int header = 19;
    struct Case
    {
        int x, y;
        TdxTreeListHitCode code;
        int column;
    };
    const Case cases[] = {
        {400, 50, htOutside, -1},         {50, 200, htOutside, -1},         {96, 5, htColumnEdge, 0},
        {95, 5, htColumnHeader, 0},       {103, 5, htColumnEdge, 0},        {350, 5, htNowhere, -1}, // header, no cell
        {8, header + 2, htButton, -1},    {20, header + 2, htImage, -1},    {40, header + 2, htCell, 0},
        {150, header + 2, htCell, 1},     {350, header + 2, htRowTail, -1}, {20, header + 19, htImage, -1},
        {40, header + 19, htNowhere, -1}, // right of the child's image, left of its cell
        {150, header + 16, htCell, 1},    // a parent's extra pixel is still its cell
        {40, 150, htNowhere, -1},         {5, header + 19, htIndent, -1},
    };
    for (const Case &c : cases) {
        const TdxTreeListHitInfo hit = f.tree->HitTest(c.x, c.y);
        EXPECT_EQ(int(hit.HitCode), int(c.code)) << c.x << "," << c.y;
        EXPECT_EQ(hit.ColumnIndex, c.column) << c.x << "," << c.y;
    }
    EXPECT_EQ(f.tree->GetNodeAt(40, header + 2), top);
    EXPECT_EQ(f.tree->HitTest(40, header + 18).RowIndex, 1);

    // The defaults never offer panel or row edges.
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; x += 3) {
            const TdxTreeListHitCode code = f.tree->HitTest(x, y).HitCode;
            ASSERT_TRUE(code != htBandPanelEdge && code != htHeaderPanelEdge && code != htRowEdge) << x << "," << y;
        }
    // Under the fit query the last column's edge is a column edge.
    EXPECT_EQ(f.tree->HitTest(298, 5).HitCode, htBandEdge);
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boWidthFit));
    f.tree->SetClientRect(rtl::Rect(0, 0, 400, 200));
    EXPECT_EQ(f.tree->HitTest(298, 5).HitCode, htColumnEdge);
    EXPECT_EQ(f.tree->HitTest(298, 5).ColumnIndex, 1);
}

TEST(TreeListGeometry, IndentPartsAreCutAtTheLimit)
{
    LayoutFixture f;
    f.column("A");
    TdxTreeListNode *top = f.node({"top"});
    f.node({"child"}, top);
    f.tree->SetImageSizes({16, 16, 0, 0});
    TreeListIndentRects parts = f.tree->NodeIndentRects(top, 17);
    EXPECT_EQ(parts.Button, rtl::Rect(0, 0, 16, 17));
    EXPECT_EQ(parts.Image, rtl::Rect(16, 0, 32, 17));
    parts = f.tree->NodeIndentRects(top, 17, 24); // a tree column 24 wide
    EXPECT_EQ(parts.Image, rtl::Rect(16, 0, 24, 17));
    parts = f.tree->NodeIndentRects(top, 17, 16);
    EXPECT_TRUE(parts.Image.IsEmpty());
    EXPECT_EQ(parts.Button, rtl::Rect(0, 0, 16, 17));
}

TEST(TreeListGeometry, SharesRoundHalfAwayFromZero)
{
    EXPECT_EQ(TreeListShare(5, 1, 2), 3);
    EXPECT_EQ(TreeListShare(-5, 1, 2), -3);
    EXPECT_EQ(TreeListShare(7, -1, 2), -4);
    EXPECT_EQ(TreeListShare(100, 200, 400), 50);
    EXPECT_EQ(TreeListShare(123, 5, 0), 123); // no divisor: kept
    EXPECT_EQ(TreeListShare(2147483647, 2, 2), 2147483647);
}

TEST(TreeListGeometry, ScrollModel)
{
    LayoutFixture f(300, 19 + 16 * 5);
    f.band(0, 1000);
    f.sized(0, 1000);
    for (int i = 0; i < 12; ++i)
        f.node({QString::number(i)});
    EXPECT_EQ(f.tree->ScrollableWidth(), 1000);
    EXPECT_EQ(f.tree->HorzThumbOffset(9), 8);
    EXPECT_EQ(f.tree->HorzThumbOffset(10), 8);
    EXPECT_EQ(f.tree->HorzThumbOffset(699), 700); // the last page: p + 1
    EXPECT_EQ(f.tree->HorzThumbOffset(-3), 0);
    f.tree->SetHorzOffset(5000);
    EXPECT_EQ(f.tree->HorzOffset(), 700);
    EXPECT_EQ(f.tree->HorzScrollBarValues(), (TCustomdxTreeList::ScrollBarValues{0, 999, 300, 700}));

    EXPECT_EQ(f.tree->VertScrollBarValues().Page, 5);
    f.tree->SetTopRowIndex(7);
    EXPECT_EQ(f.tree->TopRowIndex(), 7);
    f.tree->SetTopRowIndex(f.tree->TopRowIndex() + f.tree->VertScrollBarValues().Page); // page down on the last page
    EXPECT_EQ(f.tree->TopRowIndex(), 12 - 5);
    EXPECT_EQ(f.tree->VertScrollBarValues(), (TCustomdxTreeList::ScrollBarValues{0, 11, 5, 7}));

    // Rows of different heights: the dy is what the rows passed measure.
    f.node({"kid"}, f.tree->Items(2)); // row 2 gets a pixel more
    f.tree->SetTopRowIndex(0);
    EXPECT_EQ(f.tree->LastScrollDy(), 16 * 7 + 1);
    f.tree->SetTopRowIndex(4);
    EXPECT_EQ(f.tree->LastScrollDy(), -(16 * 4 + 1));

    // A wider client: the offset comes back into range.
    f.tree->SetClientRect(rtl::Rect(0, 0, 1200, 400));
    EXPECT_EQ(f.tree->HorzOffset(), 0);
    EXPECT_EQ(f.tree->TopRowIndex(), 0);
}

TEST(TreeListGeometry, PositionsStayValidWhenRowsOrWidthsChange)
{
    LayoutFixture f(300, 19 + 16 * 5);
    f.band(0, 1000);
    f.sized(0, 1000);
    for (int i = 0; i < 12; ++i)
        f.node({QString::number(i)});
    TdxTreeListNode *last = f.tree->Items(11);
    for (int i = 0; i < 5; ++i)
        f.node({"kid"}, last);
    last->SetExpanded(true);
    f.tree->SetTopRowIndex(12);
    ASSERT_EQ(f.tree->TopRowIndex(), 12);
    last->SetExpanded(false); // 12 rows left, the last a pixel taller: 4 fill the page
    EXPECT_EQ(f.tree->TopRowIndex(), 8);
    f.tree->BeginUpdate();
    f.tree->Items(10)->Delete();
    f.tree->Items(10)->Delete();
    f.tree->EndUpdate();
    EXPECT_EQ(f.tree->TopRowIndex(), 5);

    f.tree->SetHorzOffset(700);
    f.tree->Columns(0)->SetWidth(500); // the band follows its column
    f.band(0, 500);
    EXPECT_EQ(f.tree->HorzOffset(), 200);
}

TEST(TreeListGeometry, CellsTileRowsStayInsideAndHitsAgree)
{
    std::mt19937 random(20);
    for (int round = 0; round < 40; ++round) {
        LayoutFixture f(int(random() % 900), int(random() % 500));
        if (random() % 2)
            f.settings([](TreeListSettings &s) { s.ShowBands = true; });
        const int bands = 1 + int(random() % 3);
        for (int b = 0; b < bands; ++b) {
            f.band(b, int(random() % 400));
            const int columns = int(random() % 4);
            for (int c = 0; c < columns; ++c)
                f.sized(b, int(random() % 300), int(random() % 80));
        }
        for (int i = 0; i < 40; ++i)
            f.node({QString::number(i)});
        f.tree->SetHorzOffset(int(random() % 500));
        const TdxTreeListLayoutInfo info = f.layout();
        for (const TdxTreeListBandInfo &band : info.Bands) {
            std::vector<const TdxTreeListHeaderCell *> line;
            for (const TdxTreeListHeaderCell &c : info.HeaderCells)
                if (c.BandIndex == band.BandIndex && c.BandLine == 0)
                    line.push_back(&c);
            for (size_t i = 1; i < line.size(); ++i)
                ASSERT_EQ(line[i]->CellRect.Left, line[i - 1]->CellRect.Right) << round;
            if (!line.empty() && line.front()->FirstInLine && line.back()->LastInLine) {
                EXPECT_EQ(line.front()->CellRect.Left, band.BandRect.Left) << round;
                EXPECT_EQ(line.back()->CellRect.Right, band.BandRect.Right) << round;
            }
        }
        for (const TdxTreeListRowInfo &row : info.Rows) {
            ASSERT_GE(row.Top, info.RowsRect.Top);
            ASSERT_LT(row.Top, info.RowsRect.Bottom);
        }
        for (int k = 0; k < 50; ++k) {
            const int x = int(random() % 950) - 20;
            const int y = int(random() % 550) - 20;
            const TdxTreeListHitInfo hit = f.tree->HitTest(x, y);
            if (hit.HitCode == htCell && hit.ColumnIndex >= 0) {
                const auto cell =
                    std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                 [&](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == hit.ColumnIndex; });
                ASSERT_NE(cell, info.HeaderCells.end());
                EXPECT_TRUE(x >= cell->ClipRect.Left && x < cell->ClipRect.Right) << round << " " << x;
            }
            if (hit.HitCode == htColumnHeader) {
                const auto cell =
                    std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                 [&](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == hit.ColumnIndex; });
                ASSERT_NE(cell, info.HeaderCells.end());
                EXPECT_TRUE(x >= cell->ClipRect.Left && x < cell->ClipRect.Right && y >= cell->CellRect.Top &&
                            y < cell->CellRect.Bottom);
            }
        }
    }
}

TEST(TreeListGeometry, HitRowsAgreeWithTheWholeLayout)
{
    // The hit test lays out rows only down to the point; its rows and row
    // edges must be those of the whole layout.
    std::mt19937 random(7);
    for (int round = 0; round < 30; ++round) {
        LayoutFixture f(300, 40 + int(random() % 300));
        f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boRowSizing));
        f.settings([&random](TreeListSettings &s) { s.ShowIndicator = random() % 2; });
        f.band(0, 200);
        f.sized(0, 200);
        const int count = int(random() % 20);
        for (int i = 0; i < count; ++i) {
            TdxTreeListNode *n = f.node({QString::number(i)});
            if (random() % 3 == 0)
                f.node({"kid"}, n); // a pixel taller, collapsed
        }
        const TdxTreeListLayoutInfo info = f.layout();
        for (int y = info.RowsRect.Top - 2; y < info.RowsRect.Bottom + 2; ++y) {
            const TdxTreeListHitInfo hit = f.tree->HitTest(5, y);
            if (hit.RowIndex < 0)
                continue;
            ASSERT_LT(size_t(hit.RowIndex), info.Rows.size()) << round << " " << y;
            const TdxTreeListRowInfo &row = info.Rows[size_t(hit.RowIndex)];
            EXPECT_EQ(hit.Node, row.Node);
            const int bottom = row.Top + row.Height;
            if (hit.HitCode == htRowEdge) {
                EXPECT_TRUE(y >= bottom - 4 && y <= bottom + 4) << round << " " << y;
            } else {
                EXPECT_TRUE(y >= row.Top && y < bottom) << round << " " << y;
            }
            if (hit.HitCode == htRowEdge && y >= bottom && size_t(hit.RowIndex) + 1 == info.Rows.size()) {
                EXPECT_EQ(info.LastRowBottom, bottom - 1) << round << " " << y; // below the last row
            }
        }
    }
}

TEST(TreeListGeometry, CellAndEditorRectangles)
{
    LayoutFixture f(400, 200);
    f.band(0, 300);
    f.sized(0, 100);
    f.sized(0, 200);
    TdxTreeListNode *top = f.node({"top"});
    TdxTreeListNode *child = f.node({"child"}, top);
    top->SetExpanded(true);
    const int header = 19;
    // The tree column starts after the indent; a parent's row is a pixel taller.
    EXPECT_EQ(f.tree->CellRect(top, 0), rtl::Rect(16, header, 100, header + 17));
    EXPECT_EQ(f.tree->CellRect(child, 0), rtl::Rect(32, header + 17, 100, header + 33));
    EXPECT_EQ(f.tree->CellRect(child, 1), rtl::Rect(100, header + 17, 300, header + 33));
    EXPECT_EQ(f.tree->CellRect(child, 2), rtl::Rect(-1, -1, -1, -1));
    // The last column of the last band leaves its right grid line alone.
    EXPECT_EQ(f.tree->EditorRect(child, 1), rtl::Rect(100, header + 17, 299, header + 33));
    EXPECT_EQ(f.tree->EditorRect(child, 0), rtl::Rect(32, header + 17, 100, header + 33));
    f.tree->SetOptionsB(f.tree->OptionsB() | 1u);
    EXPECT_EQ(f.tree->EditorRect(child, 1), rtl::Rect(100, header + 18, 299, header + 32));

    // Only the grid's last band leaves its grid line, not the last one in view.
    LayoutFixture g(400, 200);
    for (int b = 0; b < 3; ++b) {
        g.band(b, 300);
        g.sized(b, 300);
    }
    TdxTreeListNode *n = g.node({"n"});
    ASSERT_EQ(g.layout().Bands.size(), 2u);
    EXPECT_EQ(g.tree->EditorRect(n, 1), rtl::Rect(300, header, 600, header + 16));
}

// With both grids drawn every band line's last editor leaves the band's grid
// line, except in the left fixed band and the band just before the right
// fixed one, which a separator closes instead.
TEST(TreeListGeometry, EditorRightEdgesWithBothGridsAndFixedBands)
{
    LayoutFixture f(600, 200);
    for (int b = 0; b < 4; ++b) {
        f.band(b, 100);
        f.sized(b, 100);
    }
    f.tree->Bands()->Items(0)->SetFixed(bfLeft);
    f.tree->Bands()->Items(3)->SetFixed(bfRight);
    TdxTreeListNode *n = f.node({"n"});
    const auto inset = [&](int position) {
        return f.tree->CellRect(n, position).Right - f.tree->EditorRect(n, position).Right;
    };
    f.settings([](TreeListSettings &s) { s.ShowGrid = s.ShowPreviewGrid = true; });
    EXPECT_EQ((std::vector<int>{inset(0), inset(1), inset(2), inset(3)}), (std::vector<int>{0, 1, 0, 1}));
    // One grid only: just the last band's.
    f.settings([](TreeListSettings &s) { s.ShowPreviewGrid = false; });
    EXPECT_EQ((std::vector<int>{inset(0), inset(1), inset(2), inset(3)}), (std::vector<int>{0, 0, 0, 1}));
    // Flat lines without the grid: the last band's editor still keeps off
    // the edge, by its own pixel.
    f.settings([](TreeListSettings &s) { s.ShowGrid = false; });
    f.tree->SetOptionsB(f.tree->OptionsB() | 1u);
    EXPECT_EQ((std::vector<int>{inset(0), inset(1), inset(2), inset(3)}), (std::vector<int>{0, 0, 0, 1}));
}

TEST(TreeListGeometry, ExtremeWidthsHeightsAndRowCounts)
{
    LayoutFixture f(800, 300);
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boWidthFit));
    f.band(0, 100);
    for (int i = 0; i < 3; ++i)
        f.sized(0, 2147483647, 0);
    f.node({"only"});
    TdxTreeListLayoutInfo info = f.layout();
    ASSERT_EQ(info.Bands.size(), 1u);
    EXPECT_GT(info.Bands[0].BandRect.Right, info.Bands[0].BandRect.Left); // summed in 64 bits, clamped
    EXPECT_EQ(info.ColumnsRight, 799);
    f.tree->SetHorzOffset(2147483647);
    EXPECT_GE(f.tree->HorzOffset(), 0);
    EXPECT_EQ(f.tree->HitTest(400, 19 + 5).HitCode, htCell);

    for (int height : {1, 10000}) {
        f.settings([height](TreeListSettings &s) {
            s.DefaultRowHeight = height;
            s.DefaultRowHeightSet = true;
        });
        info = f.layout();
        ASSERT_EQ(info.Rows.size(), 1u) << height;
        EXPECT_EQ(info.Rows[0].Height, std::max(height, 16)) << height;
    }

    LayoutFixture g(300, 19 + 1);
    g.column("A");
    g.tree->BeginUpdate();
    for (int i = 0; i < 100000; ++i)
        g.tree->Add();
    g.tree->EndUpdate();
    EXPECT_EQ(g.layout().Rows.size(), 1u);
    EXPECT_EQ(g.tree->VertScrollBarValues().Page, 1);
    g.tree->SetTopRowIndex(99999);
    EXPECT_EQ(g.tree->TopRowIndex(), 99999);
    EXPECT_EQ(g.tree->HitTest(10, 19).RowIndex, 0);
}

// The focused column comes into view: a one-band grid wider than its
// window scrolls to the column the keys move to, and back.
TEST(TreeListGeometry, TheFocusedColumnScrollsIntoView)
{
    LayoutFixture f(300, 200);
    f.tree->SetOptionsA(f.tree->OptionsA() & ~(1u << aoRowFocus));
    f.band(0, 1000);
    for (int i = 0; i < 5; ++i)
        f.sized(0, 200, 20); // columns at 0, 200, 400, 600, 800
    f.node({"a"});
    f.node({"b"});
    f.tree->SetFocusedNode(f.tree->Items(0));
    ASSERT_EQ(f.tree->HorzOffset(), 0);

    TKey key = VK_END;
    f.tree->KeyDown(key, 0);
    EXPECT_EQ(f.tree->FocusedColumn(), 4);
    EXPECT_EQ(f.tree->HorzOffset(), 700); // its right edge at the page's right
    key = VK_LEFT;
    f.tree->KeyDown(key, 0);
    EXPECT_EQ(f.tree->HorzOffset(), 600); // the left edge comes into view
    key = VK_LEFT;
    f.tree->KeyDown(key, 0);
    EXPECT_EQ(f.tree->HorzOffset(), 400);
    key = VK_DOWN; // a row step keeps a column that is in view where it is
    f.tree->KeyDown(key, 0);
    EXPECT_EQ(f.tree->HorzOffset(), 400);
    key = VK_HOME;
    f.tree->KeyDown(key, 0);
    EXPECT_EQ(f.tree->HorzOffset(), 0);
    f.tree->SetFocusedColumn(3);
    EXPECT_EQ(f.tree->HorzOffset(), 500);

    // With row focus nothing is focused to show: a row step leaves the
    // columns where they were scrolled.
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoRowFocus));
    f.tree->SetHorzOffset(300);
    key = VK_UP;
    f.tree->KeyDown(key, 0);
    EXPECT_EQ(f.tree->HorzOffset(), 300);
}

// Bands come into view by their own rule: never past their left edge, and
// neither fixed bands nor a single band move the offset.
TEST(TreeListGeometry, BandsScrollIntoView)
{
    LayoutFixture f(300, 200);
    f.band(0, 250);
    f.band(1, 500); // wider than the page
    f.band(2, 200);
    for (int b = 0; b < 3; ++b)
        f.sized(b, 100, 20);
    f.tree->MakeBandVisible(2);
    EXPECT_EQ(f.tree->HorzOffset(), 650);
    f.tree->MakeBandVisible(1);
    EXPECT_EQ(f.tree->HorzOffset(), 250);
    f.tree->SetHorzOffset(0);
    f.tree->MakeBandVisible(1); // its right edge would pass its left: the left stays in view
    EXPECT_EQ(f.tree->HorzOffset(), 250);
    f.tree->MakeBandVisible(0);
    EXPECT_EQ(f.tree->HorzOffset(), 0);
    for (int outside : {-1, 3}) {
        f.tree->MakeBandVisible(outside);
        EXPECT_EQ(f.tree->HorzOffset(), 0);
    }
    f.tree->Bands()->Items(2)->SetFixed(bfRight);
    f.tree->MakeBandVisible(2);
    EXPECT_EQ(f.tree->HorzOffset(), 0);

    LayoutFixture g(300, 200);
    g.band(0, 1000);
    g.sized(0, 1000);
    g.tree->SetHorzOffset(200);
    g.tree->MakeBandVisible(0);
    EXPECT_EQ(g.tree->HorzOffset(), 200);
}

// Automatic width in a band narrower than its columns' minimums: the
// columns before the last keep their minimums, even past the band's edge,
// where their clip ends; the last takes the rest, none when nothing is left.
// No cell is ever negative and nothing is drawn outside its band.
TEST(TreeListGeometry, ABandNarrowerThanItsMinimums)
{
    {
        LayoutFixture n(94, 200);
        n.tree->SetOptionsA(n.tree->OptionsA() | (1u << aoAutoWidth));
        n.band(0, 300);
        for (const int minimum : {64, 56, 87, 36})
            n.sized(0, 100, minimum);
        const TdxTreeListLayoutInfo narrow = n.layout();
        ASSERT_EQ(narrow.HeaderCells.size(), 2u);
        EXPECT_EQ(narrow.HeaderCells[1].CellRect.Left, 64);
        EXPECT_EQ(narrow.HeaderCells[1].CellRect.Right, 120);
        EXPECT_EQ(narrow.HeaderCells[1].ClipRect.Right, 94);
        // The cell an editor opens on is the column's whole minimum too.
        TdxTreeListNode *node = n.tree->Add();
        EXPECT_EQ(n.tree->CellRect(node, 1).Right, 120);
    }

    LayoutFixture f(118, 200);
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoAutoWidth));
    f.band(0, 500);
    f.sized(0, 300, 0);
    f.sized(0, 200, 200);
    TdxTreeListLayoutInfo info = f.layout();
    ASSERT_EQ(info.HeaderCells.size(), 1u); // the first is on no pixel, at its minimum of 0
    EXPECT_EQ(info.HeaderCells[0].ColumnIndex, 1);
    EXPECT_EQ(info.HeaderCells[0].CellRect.Left, 0);
    EXPECT_EQ(info.HeaderCells[0].CellRect.Right, 118);

    // Room for the minimums: the shares on top of them still hold.
    f.tree->SetClientRect(rtl::Rect(0, 0, 300, 200));
    EXPECT_EQ(f.cellWidths(), (std::vector<int>{100, 200}));

    // A column that cannot be sized counts its width as its minimum.
    LayoutFixture g(150, 200);
    g.tree->SetOptionsA(g.tree->OptionsA() | (1u << aoAutoWidth));
    g.band(0, 500);
    g.sized(0, 100, 10)->SetSizing(false);
    g.sized(0, 100, 80);
    g.sized(0, 100, 10);
    EXPECT_EQ(g.cellWidths(), (std::vector<int>{100, 80}));

    std::mt19937 random(31);
    for (int round = 0; round < 300; ++round) {
        LayoutFixture r(1 + int(random() % 400), 100);
        r.tree->SetOptionsA(r.tree->OptionsA() | (1u << aoAutoWidth));
        r.band(0, int(random() % 600));
        const int columns = 1 + int(random() % 6);
        std::vector<int> least;
        for (int c = 0; c < columns; ++c) {
            TdxTreeListColumn *column = r.sized(0, int(random() % 400), int(random() % 150));
            column->SetSizing(random() % 5 != 0);
            least.push_back(column->Sizing() ? column->MinWidth() : column->Width());
        }
        info = r.layout();
        ASSERT_EQ(info.Bands.size(), 1u);
        const rtl::TRect band = info.Bands[0].BandRect;
        int x = band.Left;
        for (const TdxTreeListHeaderCell &cell : info.HeaderCells) {
            EXPECT_GE(cell.CellRect.Width(), 0) << round;
            EXPECT_GE(cell.CellRect.Left, x) << round; // in order, never over each other
            EXPECT_LE(cell.ClipRect.Right, band.Right) << round;
            if (!cell.LastInLine) {
                EXPECT_GE(cell.CellRect.Width(), least[size_t(cell.ColumnIndex)]) << round;
            }
            x = cell.CellRect.Right;
        }
        if (!info.HeaderCells.empty() && info.HeaderCells.back().LastInLine) {
            EXPECT_EQ(std::max(info.HeaderCells.back().CellRect.Right, band.Right), band.Right) << round;
        }
    }
}

// Fixed bands as wide as widths go, right of the indicator: a band ends
// where its last cell does, both held at the same limit.
TEST(TreeListGeometry, FixedBandsAsWideAsTheLimitEndWithTheirCells)
{
    for (const TdxGridBandFixed side : {bfLeft, bfRight}) {
        LayoutFixture f(400, 300);
        f.settings([](TreeListSettings &s) { s.ShowIndicator = true; });
        const int wide = side == bfLeft ? 0 : 1;
        f.band(0, 100);
        f.band(1, 100);
        f.band(wide, 2147483647);
        f.sized(0, 50);
        f.sized(1, 50);
        f.sized(wide, 2147483647, 0);
        f.tree->Bands()->Items(wide)->SetFixed(side);
        const TdxTreeListLayoutInfo info = f.layout();
        for (const TdxTreeListBandInfo &band : info.Bands) {
            EXPECT_LE(band.BandRect.Right, INT_MAX / 2) << int(side);
            for (const TdxTreeListHeaderCell &cell : info.HeaderCells) {
                if (cell.BandIndex == band.BandIndex && cell.LastInLine) {
                    EXPECT_EQ(cell.CellRect.Right, band.BandRect.Right) << int(side) << " band " << band.BandIndex;
                }
            }
        }
    }
}

namespace {

class MetricsHooks : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    int HeaderCellLineCount() override { return cellLines; }
    int IndicatorWidth() override { return indicator; }
    bool RowsTakeExtraStep() override { return extraStep; }
    int cellLines = 1;
    int indicator = 12;
    bool extraStep = false;
};

} // namespace

// The metrics read the lines per header cell, the indicator's width and the
// rows' extra step through hooks a descendant may answer.
TEST(TreeListGeometry, MetricsReadTheirHooks)
{
    gridtest::FakeTreeListHost host;
    MetricsHooks tree(nullptr);
    tree.SetHost(&host);
    TreeListSettings s = tree.Settings();
    s.ShowIndicator = true;
    tree.SetSettings(s);
    tree.CalcMetrics();
    EXPECT_EQ(tree.Metrics().HeaderLineHeight, 19);
    EXPECT_EQ(tree.Metrics().IndicatorWidth, 12);
    EXPECT_EQ(tree.Metrics().MinRowHeight, 16);
    tree.cellLines = 2;
    tree.indicator = 20;
    tree.extraStep = true;
    tree.CalcMetrics();
    EXPECT_EQ(tree.Metrics().HeaderLineHeight, 2 * 13 + 6);
    EXPECT_EQ(tree.Metrics().HeaderPanelHeight, 2 * 13 + 6);
    EXPECT_EQ(tree.Metrics().IndicatorWidth, 20);
    EXPECT_EQ(tree.Metrics().MinRowHeight, 18);
    EXPECT_EQ(tree.Settings().DefaultRowHeight, 18);
    tree.SetHost(nullptr);
}

// A bare image list that goes without a word takes its room with it: rows
// measured afterwards are no taller for it, and its place in the indent
// is no image to hit.
TEST(TreeListGeometry, ABareImageListThatGoesLeavesNoRoomBehind)
{
    LayoutFixture f;
    f.column("A");
    TdxTreeListNode *n = f.node({"a"});
    f.tree->SetNodeImageIndex(n, 0);
    auto list = std::make_unique<gfx::ImageList>();
    list->setSize(20, 30);
    f.tree->SetImages(list.get());
    ASSERT_EQ(f.tree->Metrics().MinRowHeight, 30);
    const int y = f.layout().Rows.at(0).Top + 5;
    int x = 0;
    while (x < 100 && f.tree->HitTest(x, y).HitCode != htImage)
        ++x;
    ASSERT_LT(x, 100);
    const int indent = f.tree->NodeIndentWidth(n);
    list.reset();
    EXPECT_NE(f.tree->HitTest(x, y).HitCode, htImage);
    EXPECT_EQ(f.tree->NodeIndentWidth(n), indent - 20);
    f.tree->CalcMetrics(); // as the next change of a font or a setting does
    EXPECT_EQ(f.tree->Metrics().MinRowHeight, 16);
}
