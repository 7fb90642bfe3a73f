// The middle-button panning mode: the dead zone, the speeds and their tick
// rhythm, the axis chosen, what ends the mode, and the grid starting it.

#include "TreeListFixture.h"

#include "grid/core/PanningController.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace grid;

namespace {

struct PanStep
{
    bool horizontal;
    int code;
    int tick;
};

struct PanFixture
{
    explicit PanFixture(bool horz, bool vert)
        : pan({{500, 400}, horz, vert, PanningController::DefaultIndicatorSize, {1280, 1024}},
              [this](bool horizontal, int code) {
                  steps.push_back({horizontal, code, pan.Ticks()});
              })
    {}
    // The pointer at (dx, dy) from the origin.
    void at(int dx, int dy) { pan.PointerMoved({500 + dx, 400 + dy}); }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            pan.Tick();
    }
    std::vector<PanStep> steps;
    PanningController pan;
};

} // namespace

TEST(TreeListPanning, TheDeadZoneAndTheSpeedsFollowTheDistanceFromTheOrigin)
{
    PanFixture f(true, true);
    EXPECT_EQ(f.pan.Cursor(), crPanFull);
    EXPECT_EQ(f.pan.IndicatorBounds(), (rtl::TRect{486, 386, 515, 415}));

    f.at(0, 14);
    f.at(-14, 0);
    EXPECT_EQ(f.pan.Direction(), pdNone);
    EXPECT_EQ(f.pan.Speed(), 0);
    EXPECT_FALSE(f.pan.Moved());
    f.ticks(40);
    EXPECT_TRUE(f.steps.empty());

    f.at(0, 19);
    EXPECT_EQ(f.pan.Direction(), pdDown);
    EXPECT_EQ(f.pan.Speed(), 2);
    EXPECT_EQ(f.pan.Cursor(), crPanDown);
    f.steps.clear();
    f.ticks(22);
    // Every eleventh tick of the run, counted from its start.
    ASSERT_EQ(f.steps.size(), 2u);
    EXPECT_EQ(f.steps[0].tick % 11, 0);
    EXPECT_EQ(f.steps[1].tick - f.steps[0].tick, 11);
    EXPECT_FALSE(f.steps[0].horizontal);
    EXPECT_EQ(f.steps[0].code, SB_LINEDOWN);

    f.at(-69, 0);
    EXPECT_EQ(f.pan.Direction(), pdLeft);
    EXPECT_EQ(f.pan.Speed(), 12);
    f.at(-400, 0);
    EXPECT_EQ(f.pan.Speed(), 12);
    f.steps.clear();
    f.ticks(3);
    ASSERT_EQ(f.steps.size(), 3u);
    EXPECT_TRUE(f.steps[2].horizontal);
    EXPECT_EQ(f.steps[2].code, SB_LINEUP);

    // Back in the dead zone nothing scrolls, yet the mode stays "moved".
    f.at(3, 3);
    f.steps.clear();
    f.ticks(24);
    EXPECT_TRUE(f.steps.empty());
    EXPECT_TRUE(f.pan.EndsOnMiddleRelease());
    EXPECT_EQ(f.pan.Cursor(), crPanFull);
}

TEST(TreeListPanning, TheAxisFollowsTheBarsAndTiesGoVertical)
{
    PanFixture both(true, true);
    both.at(30, -30);
    EXPECT_EQ(both.pan.Direction(), pdUp);
    both.at(31, -30);
    EXPECT_EQ(both.pan.Direction(), pdRight);

    // With only a vertical bar, sideways movement is no movement at all.
    PanFixture vert(false, true);
    EXPECT_EQ(vert.pan.Cursor(), crPanVert);
    EXPECT_EQ(vert.pan.Indicator(), PanIndicator::Vertical);
    vert.at(300, 5);
    EXPECT_EQ(vert.pan.Direction(), pdNone);
    EXPECT_FALSE(vert.pan.Moved());
    vert.ticks(30);
    EXPECT_TRUE(vert.steps.empty());
    vert.at(300, -20);
    EXPECT_EQ(vert.pan.Direction(), pdUp);

    PanFixture horz(true, false);
    EXPECT_EQ(horz.pan.Cursor(), crPanHorz);
    horz.at(16, 200);
    EXPECT_EQ(horz.pan.Direction(), pdRight);
    EXPECT_EQ(horz.pan.Speed(), 1);

    // Without bars the dead zone is the screen: only Esc or a button ends it.
    PanFixture none(false, false);
    none.at(-300, 500);
    EXPECT_FALSE(none.pan.Moved());
    EXPECT_FALSE(none.pan.EndsOnMiddleRelease());
    EXPECT_TRUE(PanningController::EndsOnKey(VK_ESCAPE));
    EXPECT_FALSE(PanningController::EndsOnKey(VK_DOWN));
}

namespace {

class PanningFakeHost
    : public gridtest::FakeTreeListHost
    , public PanningHost
{
public:
    void startPanning(TCustomdxTreeList &tree) override { started.push_back(&tree); }
    std::vector<TCustomdxTreeList *> started;
};

class PanningTreeList : public gridtest::ArrayTreeList
{
public:
    using TCustomdxTreeList::SetState;
};

} // namespace

TEST(TreeListPanning, AMiddlePressStartsTheModeOnlyOnAGridAtRest)
{
    PanningTreeList tree;
    PanningFakeHost host;
    host.focused = true;
    tree.SetHost(&host);
    tree.setColumns({"A"});
    tree.add("one");

    tree.MouseDown(mbMiddle, 0, 10, 10);
    tree.MouseUp(mbMiddle, 0, 10, 10);
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0], &tree);
    EXPECT_EQ(tree.State(), tsNone);

    tree.SetState(tsColumnSizing);
    tree.MouseDown(mbMiddle, 0, 10, 10);
    EXPECT_EQ(host.started.size(), 1u);
    tree.SetState(tsNone);
    tree.SetHost(&tree.host);
}
