// The tree list as a window sees it: how a scroll reaches the screen (moved
// pixels or a full repaint, and what is drawn again besides), the hook told
// of a horizontal move, and the sizing cursor while an editor is open.

#include "LayoutFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace gridtest;
using namespace grid;

namespace {

class CountingTreeList : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    void HorzPositionChanged() override { ++horzMoves; }
    int horzMoves = 0;
};

struct WindowFixture : LayoutFixture
{
    WindowFixture()
        : LayoutFixture(300, 19 + 16 * 5)
    {
        tree = std::make_unique<CountingTreeList>(nullptr);
        tree->SetHost(&host);
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boWidthFit));
        tree->SetDefaultLayout(false);
        tree->SetClientRect(rtl::Rect(0, 0, 300, 19 + 16 * 5));
        tree->CalcMetrics();
        band(0, 120);
        sized(0, 120);
        band(1, 880);
        sized(1, 880);
        for (int i = 0; i < 12; ++i)
            node({QString::number(i)});
        host.invalidated.clear();
        host.invalidateAllCount = 0;
    }
    CountingTreeList &counting() { return static_cast<CountingTreeList &>(*tree); }
};

} // namespace

TEST(TreeListWindow, AHorizontalMoveScrollsUnlessTheNoScrollFlagIsSetAndTellsTheHook)
{
    WindowFixture f;
    f.tree->SetHorzOffset(40);
    EXPECT_EQ(f.host.invalidateAllCount, 0);
    EXPECT_EQ(f.host.invalidated.size(), 1u); // the moved area
    EXPECT_EQ(f.counting().horzMoves, 1);
    f.tree->SetNoScroll(true);
    f.host.invalidated.clear();
    f.tree->SetHorzOffset(60);
    EXPECT_EQ(f.host.invalidateAllCount, 1);
    EXPECT_TRUE(f.host.invalidated.empty());
    EXPECT_EQ(f.counting().horzMoves, 2);
    // Nothing moves, nothing is told.
    f.tree->SetHorzOffset(60);
    f.tree->SetHorzOffset(-5);
    f.tree->SetHorzOffset(-9);
    EXPECT_EQ(f.counting().horzMoves, 3);
}

TEST(TreeListWindow, ATopRowChangeDrawsTheFirstBandAgainUnderDottedTreeLines)
{
    WindowFixture f;
    const auto stripDrawn = [&f] {
        return std::any_of(f.host.invalidated.begin(), f.host.invalidated.end(),
                           [](const rtl::TRect &r) { return r.Width() == 120; });
    };
    f.tree->SetTopRowIndex(1);
    EXPECT_FALSE(stripDrawn());
    TreeListPaintSwitches lines = f.tree->PaintSwitches();
    lines.ShowLines = true;
    lines.LineStyle = 1;
    f.tree->SetPaintSwitches(lines);
    f.host.invalidated.clear();
    f.tree->SetTopRowIndex(3);
    EXPECT_TRUE(stripDrawn());
    // Solid lines keep their looks when moved.
    lines.LineStyle = 0;
    f.tree->SetPaintSwitches(lines);
    f.host.invalidated.clear();
    f.tree->SetTopRowIndex(2);
    EXPECT_FALSE(stripDrawn());
}
