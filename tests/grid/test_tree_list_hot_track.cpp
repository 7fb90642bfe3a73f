#include "ControlFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace grid;

namespace {

struct ShownHint
{
    rtl::TPoint at;
    QString text;
};

class HintHost : public gridtest::FakeTreeListHost
{
public:
    void showHint(const rtl::TPoint &clientPoint, const QString &text, const classes::TFont &) override
    {
        shown.push_back({clientPoint, text});
        ++windows;
    }
    void hideHint() override { --windows; }
    std::vector<ShownHint> shown;
    int windows = 0; // hint windows alive
};

class HotControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool ColumnCellHotTrack(int column) override
    {
        return cellsHot || TCustomdxTreeListControl::ColumnCellHotTrack(column);
    }
    bool IsBottomPanelShown() override { return bottomPanel; }
    QString BottomButtonHint() override { return QStringLiteral("Bottom"); }
    bool cellsHot = false;
    bool bottomPanel = false;
};

// Two 100-px columns, rows "a" and "b", hot tracking on.
struct HotFixture
{
    explicit HotFixture(bool bottomPanel = false)
        : tree(std::make_unique<HotControl>(nullptr))
    {
        tree->bottomPanel = bottomPanel;
        tree->SetHost(&host);
        tree->SetOptionsB((tree->OptionsB() & ~(1u << boWidthFit)) | (1u << boHotTrack));
        tree->SetDefaultLayout(false);
        tree->Bands()->Items(0)->SetMinWidth(0);
        tree->Bands()->Items(0)->SetWidth(200);
        for (const char *caption : {"One", "Two"}) {
            auto *column = tree->CreateColumn(TdxTreeListColumn::StaticClass());
            column->SetCaption(caption);
            column->SetWidth(100);
        }
        a = tree->Add();
        tree->SetNodeString(a, 0, "a");
        b = tree->Add();
        tree->SetNodeString(b, 0, "b");
        tree->SetClientRect(rtl::Rect(0, 0, 400, 300));
        tree->CalcMetrics();
        host.invalidated.clear();
        host.invalidateAllCount = 0;
    }

    rtl::TPoint find(const std::function<bool(const TdxTreeListHitInfo &)> &test)
    {
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                if (test(tree->HitTest(x, y)))
                    return {x, y};
        ADD_FAILURE() << "no such point";
        return {-1, -1};
    }
    rtl::TPoint header(int column)
    {
        return find(
            [&](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnHeader && h.ColumnIndex == column; });
    }
    rtl::TPoint cell(TdxTreeListNode *n, int column)
    {
        return find(
            [&](const TdxTreeListHitInfo &h) { return h.HitCode == htCell && h.Node == n && h.ColumnIndex == column; });
    }
    rtl::TRect headerRect(int column)
    {
        TdxTreeListLayoutInfo info;
        tree->CalcLayout(info);
        for (const TdxTreeListHeaderCell &c : info.HeaderCells)
            if (c.ColumnIndex == column)
                return c.CellRect;
        return {};
    }
    void move(rtl::TPoint p) { tree->MouseMove(0, p.X, p.Y); }
    bool invalidated(const rtl::TRect &r) const
    {
        return std::find(host.invalidated.begin(), host.invalidated.end(), r) != host.invalidated.end();
    }

    HintHost host;
    std::unique_ptr<HotControl> tree;
    TdxTreeListNode *a, *b;
};

} // namespace

TEST(TreeListHotTrack, TheHeaderUnderThePointerIsHotAndOnlyTheOldAndNewHeadersRepaint)
{
    HotFixture f;
    f.move(f.header(1));
    EXPECT_TRUE(f.tree->HotTrack().IsHeader());
    EXPECT_EQ(f.tree->HotTrack().Column(), 1);
    ASSERT_EQ(f.host.invalidated.size(), 1u);
    EXPECT_TRUE(f.invalidated(f.headerRect(1)));
    EXPECT_EQ(f.host.invalidateAllCount, 0);

    f.host.invalidated.clear();
    f.move(f.header(1));
    EXPECT_TRUE(f.host.invalidated.empty()) << "the same header again repaints nothing";

    f.move(f.header(0));
    EXPECT_EQ(f.tree->HotTrack().Column(), 0);
    EXPECT_TRUE(f.invalidated(f.headerRect(1)));
    EXPECT_TRUE(f.invalidated(f.headerRect(0)));

    // Node cells are not hot through a column; leaving the window clears.
    f.move(f.cell(f.a, 0));
    EXPECT_EQ(f.tree->HotTrack().Column(), -1);
    f.move(f.header(0));
    f.tree->MouseLeft();
    EXPECT_EQ(f.tree->HotTrack().Column(), -1);
}

TEST(TreeListHotTrack, NothingIsHotWithoutTheOptionOnAButtonlessHeaderOrWhileAModeRuns)
{
    HotFixture f;
    f.tree->Columns(1)->SetHeaderButtonOff(true);
    f.move(f.header(1));
    EXPECT_EQ(f.tree->HotTrack().Column(), -1);

    f.tree->SetOptionsB(f.tree->OptionsB() & ~(1u << boHotTrack));
    f.host.invalidated.clear();
    f.move(f.header(0));
    f.tree->MouseEntered(f.header(0).X, f.header(0).Y);
    EXPECT_EQ(f.tree->HotTrack().Column(), -1);
    EXPECT_TRUE(f.host.invalidated.empty());

    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boHotTrack));
    f.tree->MouseEntered(f.header(0).X, f.header(0).Y);
    EXPECT_EQ(f.tree->HotTrack().Column(), 0);
    // A header press leaves the hot item where it was until the release.
    const rtl::TPoint other = f.header(1);
    f.tree->MouseDown(mbLeft, ssLeft, f.header(0).X, f.header(0).Y);
    f.tree->MouseMove(ssLeft, other.X, other.Y);
    EXPECT_EQ(f.tree->HotTrack().Column(), 0);
    f.tree->CancelMode();
}

TEST(TreeListHotTrack, AHotCellIsForgottenWhenItsNodeGoesOrAnUpdateBegins)
{
    HotFixture f;
    f.tree->cellsHot = true;
    f.move(f.cell(f.b, 1));
    EXPECT_TRUE(f.tree->HotTrack().IsHotCell(f.b, 1));
    EXPECT_FALSE(f.tree->HotTrack().IsHotCell(f.b, 0));
    EXPECT_FALSE(f.tree->HotTrack().IsHotCell(f.a, 1));
    f.b->Delete();
    EXPECT_EQ(f.tree->HotTrack().Node(), nullptr);
    EXPECT_EQ(f.tree->HotTrack().Column(), -1);
    f.move(f.cell(f.a, 0)); // a dangling hot node would be repainted here
    EXPECT_TRUE(f.tree->HotTrack().IsHotCell(f.a, 0));

    f.tree->BeginUpdate();
    EXPECT_EQ(f.tree->HotTrack().Node(), nullptr);
    f.tree->EndUpdate();
}

TEST(TreeListBottomHint, TheButtonHintShowsAfterASecondAndGoesAfterFiveOrWhenThePointerLeaves)
{
    HotFixture f(true);
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    const rtl::TRect panel = info.BottomPanelRect;
    ASSERT_FALSE(panel.IsEmpty());
    const rtl::TRect button = TreeListBottomHint::ButtonRect(panel);
    EXPECT_EQ(button.Left, panel.Left + 3);
    EXPECT_EQ(button.Width(), 12);
    EXPECT_EQ(button.Height(), 11);
    EXPECT_EQ(button.Top, panel.Top + (panel.Height() - 11) / 2);

    f.move({button.Right, button.Top});
    EXPECT_FALSE(f.host.timers.contains(TreeListBottomHint::DelayTimer));
    f.move({button.Left, button.Top});
    EXPECT_TRUE(f.invalidated(button));
    EXPECT_EQ(f.host.timers[TreeListBottomHint::DelayTimer], 1000);
    ASSERT_TRUE(f.host.fire(*f.tree, TreeListBottomHint::DelayTimer));
    EXPECT_FALSE(f.host.timers.contains(TreeListBottomHint::DelayTimer));
    ASSERT_EQ(f.host.shown.size(), 1u);
    EXPECT_EQ(f.host.shown[0].at, (rtl::TPoint{button.Right + 4, button.Top - f.tree->Metrics().TextHeight}));
    EXPECT_EQ(f.host.shown[0].text, "Bottom");
    EXPECT_EQ(f.host.timers[TreeListBottomHint::ShowTimer], 5000);
    // Moving within the button neither restarts nor hides it.
    f.move({button.Left + 1, button.Top + 1});
    EXPECT_EQ(f.host.windows, 1);
    ASSERT_TRUE(f.host.fire(*f.tree, TreeListBottomHint::ShowTimer));
    EXPECT_EQ(f.host.windows, 0);
    EXPECT_TRUE(f.host.timers.empty());

    // Leaving the button, the window, or a cancelled mode end a pending or
    // shown hint.
    f.move({button.Left, button.Bottom});
    f.move({button.Left, button.Top});
    f.move({button.Left, button.Bottom});
    EXPECT_TRUE(f.host.timers.empty());
    f.move({button.Left, button.Top});
    f.host.fire(*f.tree, TreeListBottomHint::DelayTimer);
    f.tree->MouseLeft();
    EXPECT_EQ(f.host.windows, 0);
    EXPECT_FALSE(f.tree->BottomHint().OverButton());
    f.move({button.Left, button.Top});
    f.tree->CancelMode();
    EXPECT_TRUE(f.host.timers.empty());
}

TEST(TreeListBottomHint, NoHintWithoutThePanelOrOutsideRestAndTheWindowGoesWithTheGrid)
{
    HotFixture none;
    for (int y = 250; y < 300; ++y)
        none.move({5, y});
    EXPECT_TRUE(none.host.timers.empty());

    HotFixture f(true);
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    const rtl::TRect button = TreeListBottomHint::ButtonRect(info.BottomPanelRect);
    // A hint timer is the grid's own: no other timer reaches the hint.
    f.move({button.Left, button.Top});
    f.tree->TimerFired(TCustomdxTreeList::DelayedEditTimer);
    EXPECT_TRUE(f.host.timers.contains(TreeListBottomHint::DelayTimer));
    f.host.fire(*f.tree, TreeListBottomHint::DelayTimer);
    ASSERT_EQ(f.host.windows, 1);
    // A late delay tick after the hint ended shows nothing.
    f.tree->MouseLeft();
    f.move({button.Left, button.Top});
    f.tree->CancelMode();
    f.tree->TimerFired(TreeListBottomHint::DelayTimer);
    EXPECT_EQ(f.host.shown.size(), 1u);
    f.move({button.Left, button.Bottom});
    f.move({button.Left, button.Top});
    f.host.fire(*f.tree, TreeListBottomHint::DelayTimer);
    ASSERT_EQ(f.host.windows, 1);
    f.tree.reset();
    EXPECT_EQ(f.host.windows, 0);
    EXPECT_TRUE(f.host.timers.empty());
}

namespace {

class CursorColumn : public TdxTreeListColumn
{
public:
    using TdxTreeListColumn::TdxTreeListColumn;
    void GetHotTrackCursor(TdxTreeListNode *, TCursor &cursor) override { cursor = crIBeam; }
};

} // namespace

TEST(TreeListHotTrack, TheHotCellAnswersTheQueryAndItsCursorComesFromTheColumnThenTheEvent)
{
    HotFixture f;
    f.tree->cellsHot = true;
    f.move(f.cell(f.b, 1));
    EXPECT_TRUE(f.tree->IsHotCell(f.b, 1));
    EXPECT_FALSE(f.tree->IsHotCell(f.b, 0));
    EXPECT_FALSE(f.tree->IsHotCell(nullptr, 1));
    // Nothing asks for a cursor: the hot cell shows the ordinary one.
    EXPECT_EQ(f.host.cursor, crDefault);

    // The event sees what the column chose and has the last word.
    TCursor seen = crDefault;
    f.tree->OnHotTrackCursor = [&](classes::TObject *, TdxTreeListNode *node, int column, TCursor &cursor) {
        EXPECT_EQ(node, f.b);
        EXPECT_EQ(column, 1);
        seen = cursor;
        cursor = crDrag;
    };
    f.move(f.cell(f.b, 1));
    EXPECT_EQ(f.host.cursor, crDrag);
    EXPECT_EQ(seen, crDefault);

    auto *own = new CursorColumn(nullptr);
    own->SetParentComponent(f.tree.get());
    f.tree->OnHotTrackCursor = [&](classes::TObject *, TdxTreeListNode *, int, TCursor &cursor) { seen = cursor; };
    f.tree->Bands()->Items(0)->SetWidth(300);
    f.move(f.cell(f.a, 2));
    EXPECT_EQ(f.host.cursor, crIBeam);
    EXPECT_EQ(seen, crIBeam);

    // Off the hot cells the cursor is the ordinary one again, and a
    // column edge keeps its split cursor.
    f.tree->cellsHot = false;
    f.move(f.cell(f.a, 2));
    EXPECT_EQ(f.host.cursor, crDefault);
    const rtl::TPoint edge = f.find([](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnEdge; });
    f.move(edge);
    EXPECT_EQ(f.host.cursor, crHSplit);
}
