// Rows of more than one line and rows closing a group with footer lines:
// their heights, cell rectangles and hits.

#include "LayoutFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace grid;
using gridtest::LayoutFixture;

namespace {

// Characters of 7 px, lines of 13 px, DefaultRowHeight 18.
struct MultiLineFixture : LayoutFixture
{
    MultiLineFixture(int limit)
        : LayoutFixture(400, 300)
    {
        band(0, 200);
        sized(0, 54 + 16); // the tree part takes 16: 6 characters a line
        sized(0, 130);
        tree->SetOptionsB(tree->OptionsB() | (1u << boMultiLineRows));
        settings([limit](TreeListSettings &s) {
            s.RowLineLimit = limit;
            s.DefaultRowHeight = 18;
            s.DefaultRowHeightSet = true;
        });
    }
};

} // namespace

TEST(TreeListRowLayout, MultiLineRowsGrowByTheirTallestCellUpToTheLimit)
{
    {
        MultiLineFixture f(-1);
        TdxTreeListNode *one = f.node({"short", "short"});
        TdxTreeListNode *three = f.node({"aaaa bbbb cccc", "x"});
        EXPECT_EQ(f.tree->NodeRowHeight(one), 18);
        EXPECT_EQ(f.tree->NodeRowHeight(three), 18 + 2 * 13);
        const TdxTreeListLayoutInfo info = f.layout();
        ASSERT_EQ(info.Rows.size(), 2u);
        EXPECT_EQ(info.Rows[1].Top, info.Rows[0].Top + 18);
        EXPECT_EQ(info.Rows[1].Height, 44);
        EXPECT_EQ(info.Rows[1].LineCount, 3);
        EXPECT_EQ(info.Rows[0].LineCount, 1);
        // The cells reach the row's bottom, above its grid line.
        f.settings([](TreeListSettings &s) { s.ShowGrid = true; });
        const rtl::TRect cell = f.tree->CellRect(three, 1);
        const int height = f.tree->NodeRowHeight(three);
        EXPECT_EQ(cell.Bottom, f.layout().Rows[1].Top + height - 1);
    }
    {
        MultiLineFixture f(2);
        TdxTreeListNode *n = f.node({"aaaa bbbb cccc dddd", ""});
        EXPECT_EQ(f.tree->NodeRowHeight(n), 18 + 13);
        // Not without the option, nor with previews or a header of two lines.
        f.tree->SetOptionsB(f.tree->OptionsB() & ~(1u << boMultiLineRows));
        EXPECT_EQ(f.tree->NodeRowHeight(n), 18);
        EXPECT_EQ(f.layout().Rows[0].LineCount, -1);
    }
    {
        MultiLineFixture f(0);
        EXPECT_EQ(f.tree->NodeRowHeight(f.node({"aaaa bbbb cccc", ""})), 18);
    }
}

TEST(TreeListRowLayout, TheAutoRowHeightEventMeasuresInPlaceOfTheControl)
{
    MultiLineFixture f(-1);
    TdxTreeListNode *n = f.node({"aaaa bbbb cccc", "x"});
    int asked = 0;
    f.tree->OnAutoRowHeight = [&](classes::TObject *, TdxTreeListNode *node, TdxTreeListColumn *column, int &height,
                                  int &lines, bool &done) {
        ++asked;
        EXPECT_EQ(node, n);
        if (column->Index() == 1) {
            height = 4 * 13;
            lines = 4;
            done = true;
        }
    };
    EXPECT_EQ(f.tree->NodeRowHeight(n), 18 + 3 * 13);
    EXPECT_EQ(asked, 2);
    // A cell of one taller line makes every line of the row that tall.
    f.tree->OnAutoRowHeight = [](classes::TObject *, TdxTreeListNode *, TdxTreeListColumn *, int &height, int &lines,
                                 bool &done) {
        height = 30;
        lines = 1;
        done = true;
    };
    EXPECT_EQ(f.tree->NodeRowHeight(n), 18 + 3 * 13); // kept until told
    f.tree->RowHeightsChanged();
    EXPECT_EQ(f.tree->NodeRowHeight(n), 30);
}

namespace {

// Groups of the levels in footerLevels close with a footer line.
class FooterControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsGroupFooter(TdxTreeListNode *, int level) override
    {
        return std::find(footerLevels.begin(), footerLevels.end(), level) != footerLevels.end();
    }
    std::vector<int> footerLevels{0, 1};
};

struct FooterFixture : LayoutFixture
{
    FooterFixture()
    {
        tree = std::make_unique<FooterControl>(nullptr);
        tree->SetHost(&host);
        tree->SetOptionsB(tree->OptionsB() & ~(1u << grid::boWidthFit));
        tree->SetDefaultLayout(false);
        tree->SetClientRect(rtl::Rect(0, 0, 400, 400));
        band(0, 300);
        sized(0, 150);
        sized(0, 150);
        settings([](TreeListSettings &s) {
            s.ShowRowFooters = true;
            s.DefaultRowHeight = 18;
            s.DefaultRowHeightSet = true;
        });
        p = node({"p"});
        q = node({"q"}, p);
        q1 = node({"q1"}, q);
        q2 = node({"q2"}, q);
        p->Expand(true);
    }
    FooterControl &control() { return static_cast<FooterControl &>(*tree); }
    TdxTreeListNode *p, *q, *q1, *q2;
};

} // namespace

TEST(TreeListRowLayout, TheLastLeafOfAGroupCarriesAFooterLineForEachClosingLevel)
{
    FooterFixture f;
    const int footer = f.tree->Metrics().RowFooterHeight;
    EXPECT_EQ(footer, 13 + 7 + 2);
    EXPECT_EQ(f.tree->NodeFooterLines(f.q2), 2);
    EXPECT_EQ(f.tree->NodeFooterLevels(f.q2), (std::vector<int>{1, 0}));
    EXPECT_EQ(f.tree->NodeFooterLines(f.q1), 0); // not the last child
    EXPECT_EQ(f.tree->NodeFooterLines(f.q), 0);  // not a leaf
    EXPECT_EQ(f.tree->NodeRowHeight(f.q2), 18 + 2 * footer);
    f.control().footerLevels = {0};
    f.tree->RowHeightsChanged();
    EXPECT_EQ(f.tree->NodeFooterLines(f.q2), 1);
    TdxTreeListLayoutInfo info = f.layout();
    ASSERT_EQ(info.Rows.size(), 4u);
    EXPECT_EQ(info.Rows[3].FooterLines, 1);
    EXPECT_EQ(info.Rows[3].FooterHeight, footer);
    EXPECT_EQ(info.Rows[3].Height, 18 + footer);

    // Hits: the footer line, with the column above it; the cell above it.
    const TdxTreeListRowInfo &row = info.Rows[3];
    TdxTreeListHitInfo hit = f.tree->HitTest(200, row.Top + 18 + 3);
    EXPECT_EQ(hit.HitCode, htRowFooter);
    EXPECT_EQ(hit.FooterLine, 0);
    EXPECT_EQ(hit.Node, f.q2);
    EXPECT_EQ(hit.ColumnIndex, 1);
    hit = f.tree->HitTest(200, row.Top + 17);
    EXPECT_EQ(hit.HitCode, htCell);
    EXPECT_EQ(hit.FooterLine, -1);
    f.control().footerLevels = {0, 1};
    f.tree->RowHeightsChanged();
    info = f.layout();
    hit = f.tree->HitTest(100, info.Rows[3].Top + 18 + footer + 1);
    EXPECT_EQ(hit.HitCode, htRowFooter);
    EXPECT_EQ(hit.FooterLine, 1);
    EXPECT_EQ(hit.ColumnIndex, 0);

    // The base hook closes no group; nor does any without the setting.
    f.settings([](TreeListSettings &s) { s.ShowRowFooters = false; });
    EXPECT_EQ(f.tree->NodeFooterLines(f.q2), 0);
    LayoutFixture plain;
    plain.settings([](TreeListSettings &s) { s.ShowRowFooters = true; });
    TdxTreeListNode *parent = plain.node({"p"});
    EXPECT_EQ(plain.tree->NodeFooterLines(plain.node({"c"}, parent)), 0);
}

TEST(TreeListRowLayout, RowHeightsAreKeptUntilSomethingTheyDependOnChanges)
{
    MultiLineFixture f(-1);
    TdxTreeListNode *n = f.node({"aaaa bbbb cccc", "x"});
    int asked = 0;
    f.tree->OnAutoRowHeight = [&asked](classes::TObject *, TdxTreeListNode *, TdxTreeListColumn *, int &, int &,
                                       bool &) { ++asked; };
    EXPECT_EQ(f.tree->NodeRowHeight(n), 18 + 2 * 13);
    const int once = asked;
    EXPECT_GT(once, 0);
    f.tree->NodeRowHeight(n);
    EXPECT_EQ(f.layout().Rows[0].LineCount, 3);
    f.tree->CellRect(n, 1);
    EXPECT_EQ(asked, once);
    // Jumps over many rows measure each once.
    for (int i = 0; i < 60; ++i)
        f.node({"aaaa bbbb cccc", "x"});
    f.tree->SetTopRowIndex(50);
    f.tree->SetTopRowIndex(0);
    const int jumped = asked;
    f.tree->SetTopRowIndex(50);
    f.tree->SetTopRowIndex(0);
    EXPECT_EQ(f.tree->LastScrollDy(), 50 * (18 + 2 * 13));
    EXPECT_EQ(asked, jumped);
    while (n->GetNextSibling())
        n->GetNextSibling()->Delete();

    // A tree list that keeps no heights measures every time.
    struct Uncached : TCustomdxTreeListControl
    {
        using TCustomdxTreeListControl::TCustomdxTreeListControl;
        bool CanCacheRowHeight() override { return false; }
    };
    {
        LayoutFixture g;
        g.tree = std::make_unique<Uncached>(nullptr);
        g.tree->SetHost(&g.host);
        g.tree->SetDefaultLayout(false);
        g.tree->SetClientRect(rtl::Rect(0, 0, 400, 300));
        g.band(0, 200);
        g.sized(0, 200);
        TdxTreeListNode *m = g.node({"x"});
        int measured = 0;
        g.tree->OnAutoRowHeight = [&measured](classes::TObject *, TdxTreeListNode *, TdxTreeListColumn *, int &, int &,
                                              bool &) { ++measured; };
        g.tree->SetOptionsB(g.tree->OptionsB() | (1u << boMultiLineRows));
        g.tree->NodeRowHeight(m);
        g.tree->NodeRowHeight(m);
        EXPECT_EQ(measured, 2);
    }

    // The kept height, the laid-out row and a fresh measure agree.
    auto kept = [&f, n] {
        const int height = f.tree->NodeRowHeight(n);
        const TdxTreeListLayoutInfo info = f.layout();
        const auto row =
            std::find_if(info.Rows.begin(), info.Rows.end(), [n](const TdxTreeListRowInfo &r) { return r.Node == n; });
        EXPECT_NE(row, info.Rows.end());
        if (row != info.Rows.end()) {
            EXPECT_EQ(row->Height, height);
        }
        f.tree->RowHeightsChanged();
        EXPECT_EQ(f.tree->NodeRowHeight(n), height);
        return height;
    };
    const QString wide = QStringLiteral("aaaaaaaaaaaaaaaa bbbbbbbbbbbbbbbb cccccccccccccccc dddd");
    f.tree->SetNodeString(n, 0, QStringLiteral("a"));
    EXPECT_EQ(kept(), 18);
    f.tree->SetNodeVariant(n, 1, wide); // 18 characters a line
    EXPECT_EQ(kept(), 18 + 3 * 13);
    f.settings([](TreeListSettings &s) { s.RowLineLimit = 2; });
    EXPECT_EQ(kept(), 18 + 13);
    f.settings([](TreeListSettings &s) { s.RowLineLimit = -1; });
    EXPECT_EQ(kept(), 18 + 3 * 13);
    f.band(0, 400); // 46 characters a line
    EXPECT_EQ(kept(), 18 + 13);
    f.tree->SetOptionsB(f.tree->OptionsB() & ~(1u << boMultiLineRows));
    EXPECT_EQ(kept(), 18);
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boMultiLineRows));
    EXPECT_EQ(kept(), 18 + 13);
    // A wider font in the column: 23 characters a line.
    f.host.measurer = gfx::FixedTextMeasurer(14, 13, 10);
    classes::TFont font;
    font.SetSize(20);
    f.tree->Columns(1)->SetFont(&font);
    EXPECT_EQ(kept(), 18 + 2 * 13);
    f.host.measurer = gfx::FixedTextMeasurer();
    f.tree->Columns(1)->Font()->SetSize(9);
    EXPECT_EQ(kept(), 18 + 13);
    // Automatic width narrows the band to the client.
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoAutoWidth));
    const int full = kept();
    f.tree->SetClientRect(rtl::Rect(0, 0, 150, 300));
    EXPECT_GT(kept(), full);
    f.tree->SetClientRect(rtl::Rect(0, 0, 400, 300));
    EXPECT_EQ(kept(), full);

    // A child, added while its parent is collapsed, ends the parent's footer
    // lines; its own row closes the groups.
    FooterFixture g;
    g.control().footerLevels = {0, 1};
    g.tree->RowHeightsChanged();
    const int leaf = g.tree->NodeRowHeight(g.q2);
    g.q->SetExpanded(false);
    TdxTreeListNode *below = g.node({"below"}, g.q2);
    EXPECT_LT(g.tree->NodeRowHeight(g.q2), leaf);
    const int closed = g.tree->NodeRowHeight(g.q2);
    g.q->SetExpanded(true);
    g.q2->SetExpanded(true);
    EXPECT_EQ(g.tree->NodeRowHeight(g.q2), closed);
    EXPECT_EQ(g.tree->NodeRowHeight(below), leaf);
    below->Delete();
    EXPECT_EQ(g.tree->NodeRowHeight(g.q2), leaf);
}

TEST(TreeListRowLayout, ColumnsScrolledOutOfViewCountInTheRowsHeight)
{
    MultiLineFixture f(-1);
    f.band(1, 200);
    f.sized(1, 200);
    f.band(2, 200);
    f.sized(2, 200); // 28 characters a line, beyond the client at first
    TdxTreeListNode *n = f.node({"a", "b", "", "aaaaaaaaaaaaaaaa bbbbbbbbbbbbbbbb"});
    EXPECT_EQ(f.tree->NodeRowHeight(n), 18 + 13);
    f.tree->SetHorzOffset(400);
    f.tree->RowHeightsChanged();
    EXPECT_EQ(f.layout().Rows[0].Height, 18 + 13);
    // A fixed band gives up its separator: 27 characters a line.
    f.tree->SetHorzOffset(0);
    f.tree->SetNodeString(n, 3, QStringLiteral("aaaaaaaaaaaaa bbbbbbbbbbbbbb"));
    EXPECT_EQ(f.tree->NodeRowHeight(n), 18);
    f.tree->Bands()->Items(2)->SetFixed(bfRight);
    EXPECT_EQ(f.tree->NodeRowHeight(n), 18 + 13);
}
