#include "ControlFixture.h"

#include "grid/core/TreeListShared.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace grid;

namespace {

class MouseControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool ShowEditor(TChar) override
    {
        ++editorsShown;
        return false;
    }
    int editorsShown = 0;
};

// Two 100-px columns in one band that keeps its width, "a" with two
// children, "b" and "c"; the control has the keyboard focus.
struct MouseFixture
{
    MouseFixture()
        : tree(std::make_unique<MouseControl>(nullptr))
    {
        tree->SetHost(&host);
        host.focused = true;
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boWidthFit));
        tree->SetOptionsA(tree->OptionsA() & ~(1u << aoRowFocus));
        tree->SetDefaultLayout(false);
        tree->Bands()->Items(0)->SetMinWidth(0);
        tree->Bands()->Items(0)->SetWidth(200);
        for (const char *caption : {"One", "Two"}) {
            auto *column = tree->CreateColumn(TdxTreeListColumn::StaticClass());
            column->SetCaption(caption);
            column->SetMinWidth(20);
            column->SetWidth(100);
        }
        a = node({"a", "x"});
        node({"a1", "y"}, a);
        node({"a2", "z"}, a);
        b = node({"b", "w"});
        c = node({"c", "v"});
        tree->SetClientRect(rtl::Rect(0, 0, 400, 300));
        tree->CalcMetrics();
    }
    ~MouseFixture() { tree.reset(); }

    TdxTreeListNode *node(const QStringList &texts, TdxTreeListNode *parent = nullptr)
    {
        TdxTreeListNode *n = parent ? parent->AddChild() : tree->Add();
        for (int i = 0; i < texts.size(); ++i)
            tree->SetNodeString(n, i, texts[i]);
        return n;
    }
    // The first client point whose hit satisfies the test.
    rtl::TPoint find(const std::function<bool(const TdxTreeListHitInfo &)> &test)
    {
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                if (test(tree->HitTest(x, y)))
                    return {x, y};
        ADD_FAILURE() << "no such point";
        return {-1, -1};
    }
    rtl::TPoint cell(TdxTreeListNode *n, int column)
    {
        return find(
            [&](const TdxTreeListHitInfo &h) { return h.HitCode == htCell && h.Node == n && h.ColumnIndex == column; });
    }
    void click(rtl::TPoint p, TShiftState shift = 0, TMouseButton button = mbLeft)
    {
        tree->MouseDown(button, shift, p.X, p.Y);
        tree->MouseUp(button, shift & ~ssDouble, p.X, p.Y);
    }

    gridtest::FakeTreeListHost host;
    std::unique_ptr<MouseControl> tree;
    TdxTreeListNode *a, *b, *c;
};

} // namespace

TEST(TreeListMouse, AClickFocusesTheCellAndTheButtonTogglesOncePerPress)
{
    MouseFixture f;
    f.click(f.cell(f.b, 1));
    EXPECT_EQ(f.tree->FocusedNode(), f.b);
    EXPECT_EQ(f.tree->FocusedColumnIndex(), 1);
    EXPECT_EQ(f.tree->State(), tsNone);
    const rtl::TPoint button = f.find([&](const TdxTreeListHitInfo &h) { return h.HitCode == htButton; });
    f.click(button);
    EXPECT_TRUE(f.a->Expanded());
    f.click(button, ssDouble);
    EXPECT_FALSE(f.a->Expanded());
    EXPECT_FALSE(f.host.timers.contains(TCustomdxTreeList::DelayedEditTimer));
}

TEST(TreeListMouse, ASecondClickOnTheFocusedCellEditsAfterTheDoubleClickTime)
{
    MouseFixture f;
    const rtl::TPoint p = f.cell(f.b, 0);
    f.click(p);
    EXPECT_FALSE(f.host.timers.contains(TCustomdxTreeList::DelayedEditTimer));
    f.click(p);
    ASSERT_TRUE(f.host.timers.contains(TCustomdxTreeList::DelayedEditTimer));
    EXPECT_EQ(f.host.timers[TCustomdxTreeList::DelayedEditTimer], 500);
    f.host.fire(*f.tree, TCustomdxTreeList::DelayedEditTimer);
    EXPECT_EQ(f.tree->editorsShown, 1);
    // A double click instead stops it; a timer firing in a mode opens nothing.
    f.click(p);
    f.click(p, ssDouble);
    EXPECT_FALSE(f.host.timers.contains(TCustomdxTreeList::DelayedEditTimer));
    const rtl::TPoint edge = f.find([](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnEdge; });
    f.tree->MouseDown(mbLeft, 0, edge.X, edge.Y);
    f.tree->TimerFired(TCustomdxTreeList::DelayedEditTimer);
    EXPECT_EQ(f.tree->editorsShown, 1);
}

TEST(TreeListMouse, TheDelayedEditIsOneForAllGridsAndAnyPressCancelsIt)
{
    constexpr int timer = TCustomdxTreeList::DelayedEditTimer;
    MouseFixture f;
    MouseFixture other;
    const rtl::TPoint p = f.cell(f.b, 0);
    // A quick press on another row of the same grid is no edit request:
    // without the cancel the editor opened on the row clicked second.
    f.click(p);
    f.click(p);
    f.click(f.cell(f.c, 0));
    EXPECT_FALSE(f.host.timers.contains(timer));
    EXPECT_EQ(SharedTimers().delayedEdit, -1);

    // A press on another grid ends the first grid's pending edit.
    f.click(p);
    f.click(p);
    ASSERT_TRUE(f.host.timers.contains(timer));
    EXPECT_EQ(SharedTimers().delayedEditGrid, f.tree.get());
    const rtl::TPoint q = other.cell(other.b, 0);
    other.click(q);
    EXPECT_FALSE(f.host.timers.contains(timer));
    other.click(q);
    EXPECT_TRUE(other.host.timers.contains(timer));
    // A tick the first grid no longer owns opens nothing there.
    f.tree->TimerFired(timer);
    EXPECT_EQ(f.tree->editorsShown, 0);
    EXPECT_EQ(SharedTimers().delayedEditGrid, other.tree.get());
    other.host.fire(*other.tree, timer);
    EXPECT_EQ(other.tree->editorsShown, 1);
    EXPECT_EQ(SharedTimers().delayedEdit, -1);

    // A grid destroyed with its edit pending frees the slot for the others.
    f.click(p);
    EXPECT_TRUE(f.host.timers.contains(timer));
    f.tree.reset();
    EXPECT_EQ(SharedTimers().delayedEditGrid, nullptr);
    EXPECT_EQ(SharedTimers().delayedEdit, -1);
}

TEST(TreeListMouse, ColumnSizingAppliesOnReleaseAndARightClickCancelsIt)
{
    MouseFixture f;
    const rtl::TPoint edge =
        f.find([](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnEdge && h.ColumnIndex == 0; });
    EXPECT_EQ(f.tree->CursorAt(edge.X, edge.Y), crHSplit);
    f.tree->MouseDown(mbLeft, 0, edge.X, edge.Y);
    ASSERT_EQ(f.tree->State(), tsColumnSizing);
    f.tree->MouseMove(ssLeft, edge.X + 30, edge.Y);
    f.tree->MouseDown(mbRight, ssLeft, edge.X + 30, edge.Y);
    EXPECT_EQ(f.tree->State(), tsNone);
    EXPECT_EQ(f.tree->Columns(0)->Width(), 100);

    f.tree->MouseDown(mbLeft, 0, edge.X, edge.Y);
    f.tree->MouseMove(ssLeft, edge.X + 30, edge.Y);
    f.tree->MouseUp(mbLeft, 0, edge.X + 30, edge.Y);
    EXPECT_EQ(f.tree->State(), tsNone);
    // The column now ends where the pointer was let go.
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    EXPECT_EQ(f.tree->Columns(0)->Width(), edge.X + 30 + 1 - info.HeaderCells.at(0).CellRect.Left);
}

// The press that cancels a sizing is a right press like any other: on a
// cell it focuses that cell's row.
TEST(TreeListMouse, ARightPressThatCancelsASizingStillFocusesTheCell)
{
    MouseFixture f;
    const rtl::TPoint edge =
        f.find([](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnEdge && h.ColumnIndex == 0; });
    const rtl::TPoint target = f.cell(f.c, 1);
    f.tree->SetFocusedNode(f.a);
    f.tree->MouseDown(mbLeft, 0, edge.X, edge.Y);
    ASSERT_EQ(f.tree->State(), tsColumnSizing);
    f.tree->MouseMove(ssLeft, target.X, edge.Y);
    f.tree->MouseDown(mbRight, ssLeft, target.X, target.Y);
    EXPECT_EQ(f.tree->State(), tsNone);
    EXPECT_EQ(f.tree->Columns(0)->Width(), 100);
    EXPECT_EQ(f.tree->FocusedNode(), f.c);
    EXPECT_EQ(f.tree->FocusedColumn(), 1);
    f.tree->MouseUp(mbRight, 0, target.X, target.Y);
    EXPECT_EQ(f.tree->State(), tsNone);
    EXPECT_EQ(f.tree->Columns(0)->Width(), 100);
}

TEST(TreeListMouse, AHeaderClickSortsAndCtrlClearsTheSort)
{
    MouseFixture f;
    const rtl::TPoint header =
        f.find([](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnHeader && h.ColumnIndex == 1; });
    f.tree->MouseDown(mbLeft, 0, header.X, header.Y);
    EXPECT_EQ(f.tree->State(), tsColumnDown);
    EXPECT_EQ(f.tree->PressedColumn(), 1);
    f.tree->MouseUp(mbLeft, 0, header.X, header.Y);
    EXPECT_EQ(f.tree->State(), tsNone);
    EXPECT_EQ(f.tree->PressedColumn(), -1);
    EXPECT_EQ(f.tree->Columns(1)->Sorted(), csUp);
    f.click(header, ssCtrl);
    EXPECT_EQ(f.tree->Columns(1)->Sorted(), csNone);
    // Released elsewhere, the press clicks nothing.
    f.tree->MouseDown(mbLeft, 0, header.X, header.Y);
    const rtl::TPoint away = f.cell(f.c, 0);
    f.tree->MouseUp(mbLeft, 0, away.X, away.Y);
    EXPECT_EQ(f.tree->Columns(1)->Sorted(), csNone);
}

TEST(TreeListMouse, AClickOnASelectedNodeKeepsTheSelectionUntilRelease)
{
    MouseFixture f;
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoMultiSelect));
    f.click(f.cell(f.a, 0));
    f.click(f.cell(f.c, 0), ssShift);
    EXPECT_EQ(f.tree->SelectedCount(), 3);
    const rtl::TPoint p = f.cell(f.b, 0);
    f.tree->MouseDown(mbLeft, 0, p.X, p.Y);
    EXPECT_EQ(f.tree->SelectedCount(), 3);
    f.tree->MouseUp(mbLeft, 0, p.X, p.Y);
    EXPECT_EQ(f.tree->SelectedCount(), 1);
    EXPECT_TRUE(f.tree->IsNodeSelected(f.b));
    f.click(f.cell(f.c, 0), ssCtrl);
    EXPECT_EQ(f.tree->SelectedCount(), 2);
    // The Ctrl click marked its press as a selection change; a plain key
    // leaves the mark, a Ctrl key takes it away.
    EXPECT_TRUE(f.tree->ToggleOnPress());
    TKey key = VK_SHIFT;
    f.tree->KeyDown(key, ssShift);
    EXPECT_TRUE(f.tree->ToggleOnPress());
    key = VK_CONTROL;
    f.tree->KeyDown(key, ssCtrl);
    EXPECT_FALSE(f.tree->ToggleOnPress());
}

TEST(TreeListMouse, AHeaderDraggedPastFivePixelsMovesOrHidesItsColumn)
{
    MouseFixture f;
    const rtl::TPoint two =
        f.find([](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnHeader && h.ColumnIndex == 1; });
    const rtl::TPoint one =
        f.find([](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnHeader && h.ColumnIndex == 0; });
    f.tree->MouseDown(mbLeft, 0, two.X + 20, two.Y);
    f.tree->MouseMove(ssLeft, two.X + 15, two.Y);
    EXPECT_EQ(f.tree->State(), tsColumnDown);
    f.tree->MouseMove(ssLeft, two.X + 14, two.Y);
    EXPECT_EQ(f.tree->State(), tsColumnDragging);
    EXPECT_EQ(f.tree->DraggedColumn(), 1);
    // Dropped on the first column's left half: before it.
    f.tree->MouseMove(ssLeft, one.X, one.Y);
    EXPECT_EQ(f.host.cursor, crDrag);
    f.tree->MouseUp(mbLeft, 0, one.X, one.Y);
    EXPECT_EQ(f.tree->State(), tsNone);
    // Columns take their order's indexes: "Two" is column 0 now.
    EXPECT_EQ(f.tree->Columns(f.tree->ColumnAtPosition(0))->Caption(), "Two");
    EXPECT_EQ(f.tree->Columns(f.tree->ColumnAtPosition(1))->Caption(), "One");
    EXPECT_EQ(f.tree->Columns(0)->Sorted(), csNone); // a drag is no click

    // Outside the grid: hidden only with hiding by dragging out, never the
    // last column shown, never one that refuses customising.
    auto dragOut = [&](int column) {
        const rtl::TPoint at = f.find(
            [column](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnHeader && h.ColumnIndex == column; });
        f.tree->MouseDown(mbLeft, 0, at.X, at.Y);
        f.tree->MouseMove(ssLeft, at.X, -30);
        EXPECT_EQ(f.host.cursor, crDXTLDelete);
        f.tree->MouseUp(mbLeft, 0, at.X, -30);
    };
    dragOut(0);
    EXPECT_TRUE(f.tree->Columns(0)->Visible());
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoHideByDragOut));
    f.tree->Columns(0)->SetDisableCustomizing(true);
    dragOut(0);
    EXPECT_TRUE(f.tree->Columns(0)->Visible());
    f.tree->Columns(0)->SetDisableCustomizing(false);
    dragOut(0);
    EXPECT_FALSE(f.tree->Columns(0)->Visible());
    dragOut(1);
    EXPECT_TRUE(f.tree->Columns(1)->Visible());
    // Esc ends a drag without a drop.
    f.tree->MouseDown(mbLeft, 0, two.X, two.Y);
    f.tree->MouseMove(ssLeft, two.X, -30);
    TKey esc = VK_ESCAPE;
    f.tree->KeyDown(esc, 0);
    EXPECT_EQ(f.tree->State(), tsNone);
    EXPECT_TRUE(f.tree->Columns(1)->Visible());
}

TEST(TreeListMouse, TakingTheFocusFocusesTheTopRowAndLosingItForgetsAPress)
{
    MouseFixture f;
    f.tree->SetFocusedNode(nullptr);
    ASSERT_EQ(f.tree->FocusedNode(), nullptr);
    f.tree->FocusEntered();
    EXPECT_EQ(f.tree->FocusedNode(), f.a);
    const rtl::TPoint p = f.cell(f.b, 0);
    f.tree->MouseDown(mbLeft, 0, p.X, p.Y);
    ASSERT_EQ(f.tree->State(), tsNodeDown);
    f.tree->FocusLeft(true);
    EXPECT_EQ(f.tree->State(), tsNodeDown);
    f.tree->FocusLeft(false);
    EXPECT_EQ(f.tree->State(), tsNone);
}

TEST(TreeListMouse, AHeaderHeldNearTheEdgeScrollsTheColumnsUntilTheEnd)
{
    MouseFixture f;
    f.tree->Bands()->Items(0)->SetWidth(1200);
    f.tree->Columns(0)->SetWidth(600);
    f.tree->Columns(1)->SetWidth(600);
    f.tree->SetHorzOffset(70);
    ASSERT_EQ(f.tree->HorzOffset(), 70);
    const rtl::TPoint header = f.find([](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnHeader; });
    f.tree->MouseDown(mbLeft, 0, 200, header.Y);
    f.tree->MouseMove(ssLeft, 100, header.Y);
    ASSERT_EQ(f.tree->State(), tsColumnDragging);
    f.tree->MouseMove(ssLeft, 5, header.Y);
    EXPECT_EQ(f.tree->DragScrollDirection(), -1);
    ASSERT_TRUE(f.host.timers.contains(TCustomdxTreeList::DragScrollTimer));
    EXPECT_EQ(f.host.timers[TCustomdxTreeList::DragScrollTimer], 100);
    f.host.fire(*f.tree, TCustomdxTreeList::DragScrollTimer);
    EXPECT_EQ(f.tree->HorzOffset(), 38);
    f.host.fire(*f.tree, TCustomdxTreeList::DragScrollTimer);
    f.host.fire(*f.tree, TCustomdxTreeList::DragScrollTimer);
    EXPECT_EQ(f.tree->HorzOffset(), 0);
    EXPECT_FALSE(f.host.timers.contains(TCustomdxTreeList::DragScrollTimer));
    EXPECT_EQ(f.tree->DragScrollDirection(), 0);
    // Held there again, then the drag ends: the timer goes with it.
    f.tree->SetHorzOffset(64);
    f.tree->MouseMove(ssLeft, 100, header.Y);
    f.tree->MouseMove(ssLeft, 5, header.Y);
    EXPECT_TRUE(f.host.timers.contains(TCustomdxTreeList::DragScrollTimer));
    f.tree->CancelMode();
    EXPECT_FALSE(f.host.timers.contains(TCustomdxTreeList::DragScrollTimer));
    EXPECT_EQ(SharedTimers().dragScrollHorizontal, -1);
}

TEST(TreeListMouse, ABandHeaderDraggedMovesOrHidesItsBand)
{
    MouseFixture f;
    const char *captions[] = {"P", "Q", "R"};
    for (int i = 0; i < 3; ++i) {
        TdxTreeListBand *band = i < f.tree->Bands()->Count() ? f.tree->Bands()->Items(i) : f.tree->Bands()->Add();
        band->SetCaption(captions[i]);
        band->SetMinWidth(0);
        band->SetWidth(100);
    }
    auto *third = f.tree->CreateColumn(TdxTreeListColumn::StaticClass());
    f.tree->Columns(0)->SetBandIndex(0);
    f.tree->Columns(1)->SetBandIndex(1);
    third->SetBandIndex(2);
    TreeListSettings s = f.tree->Settings();
    s.ShowBands = true;
    f.tree->SetSettings(s);
    f.tree->CalcMetrics();
    auto bandAt = [&](int position) {
        return f.find(
            [position](const TdxTreeListHitInfo &h) { return h.HitCode == htBandHeader && h.BandIndex == position; });
    };
    auto order = [&] {
        QString text;
        for (int p = 0; p < f.tree->VisibleBandCount(); ++p)
            text += f.tree->VisibleBandCaption(p);
        return text;
    };
    const rtl::TPoint r = bandAt(2);
    const rtl::TPoint p = bandAt(0);
    // R dragged onto P's left half goes first; a drop beside itself moves
    // nothing.
    f.tree->MouseDown(mbLeft, 0, r.X + 50, r.Y);
    f.tree->MouseMove(ssLeft, r.X + 44, r.Y);
    ASSERT_EQ(f.tree->State(), tsBandDragging);
    EXPECT_EQ(f.tree->BandDropTarget(2, r.X + 10, r.Y).Position, -1);
    f.tree->MouseUp(mbLeft, 0, p.X + 2, p.Y);
    EXPECT_EQ(order(), "RPQ");
    EXPECT_EQ(f.tree->State(), tsNone);
    // Dragged out with hiding by dragging out.
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoHideByDragOut));
    auto dragOut = [&](int position) {
        const rtl::TPoint q = bandAt(position);
        f.tree->MouseDown(mbLeft, 0, q.X, q.Y);
        f.tree->MouseMove(ssLeft, q.X, -20);
        f.tree->MouseUp(mbLeft, 0, q.X, -20);
    };
    dragOut(2);
    EXPECT_EQ(order(), "RP");
    // The only band shown stays: nothing in the program could show it again.
    dragOut(0);
    EXPECT_EQ(order(), "P");
    dragOut(0);
    EXPECT_EQ(order(), "P");
    EXPECT_EQ(f.tree->State(), tsNone);
}

TEST(TreeListMouse, APressedNodeHeldAboveOrBelowTheRowsMovesTheFocusEveryTick)
{
    constexpr int timer = TCustomdxTreeList::PressScrollTimer;
    MouseFixture f;
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    const rtl::TPoint p = f.cell(f.b, 0);
    f.tree->MouseDown(mbLeft, 0, p.X, p.Y);
    ASSERT_EQ(f.tree->State(), tsNodeDown);
    // Inside the rows nothing runs; below them the focus walks down a row a
    // tick and stops at the last row without leaving the timer to others.
    f.tree->MouseMove(ssLeft, p.X, p.Y + 1);
    EXPECT_FALSE(f.host.timers.contains(timer));
    f.tree->MouseMove(ssLeft, p.X, info.RowsRect.Bottom + 3);
    ASSERT_TRUE(f.host.timers.contains(timer));
    EXPECT_EQ(f.host.timers[timer], 100);
    EXPECT_EQ(SharedTimers().selectionGrid, f.tree.get());
    f.host.fire(*f.tree, timer);
    EXPECT_EQ(f.tree->FocusedNode(), f.c);
    f.host.fire(*f.tree, timer);
    EXPECT_EQ(f.tree->FocusedNode(), f.c);

    // A second grid cannot start its own while this one runs.
    MouseFixture g;
    const rtl::TPoint q = g.cell(g.b, 0);
    g.tree->MouseDown(mbLeft, 0, q.X, q.Y);
    g.tree->MouseMove(ssLeft, q.X, -2);
    EXPECT_FALSE(g.host.timers.contains(timer));
    g.tree->MouseUp(mbLeft, 0, q.X, -2);

    // Above the rows it walks up; the release stops it for good.
    f.tree->MouseMove(ssLeft, p.X, info.RowsRect.Top - 1);
    f.host.fire(*f.tree, timer);
    EXPECT_EQ(f.tree->FocusedNode(), f.b);
    f.tree->MouseUp(mbLeft, 0, p.X, info.RowsRect.Top - 1);
    EXPECT_FALSE(f.host.timers.contains(timer));
    EXPECT_EQ(SharedTimers().selection, -1);
    f.tree->TimerFired(timer); // a late tick moves nothing
    EXPECT_EQ(f.tree->FocusedNode(), f.b);

    // A grid going away while it runs leaves no timer naming it.
    f.tree->MouseDown(mbLeft, 0, p.X, p.Y);
    f.tree->MouseMove(ssLeft, p.X, info.RowsRect.Bottom + 3);
    ASSERT_EQ(SharedTimers().selectionGrid, f.tree.get());
    f.tree.reset();
    EXPECT_EQ(SharedTimers().selectionGrid, nullptr);
    EXPECT_EQ(SharedTimers().selection, -1);
}

namespace {

class HeaderImageHost : public gridtest::FakeTreeListHost
{
public:
    void beginDragImage(const TreeListDragPicture &picture, const rtl::TPoint &) override
    {
        pictures.push_back(picture);
        shown = true;
    }
    void moveDragImage(const rtl::TPoint &, bool besideCursor) override { beside = besideCursor; }
    void endDragImage() override { shown = false; }
    std::vector<TreeListDragPicture> pictures;
    bool shown = false;
    bool beside = false;
};

} // namespace

TEST(TreeListMouse, ADraggedHeaderShowsItsPictureAndArrowsAtThePlaceItWouldGo)
{
    MouseFixture f;
    HeaderImageHost host;
    host.focused = true;
    f.tree->SetHost(&host);
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    const TdxTreeListHeaderCell &one = info.HeaderCells.at(0);
    const TdxTreeListHeaderCell &two = info.HeaderCells.at(1);
    const int y = (one.CellRect.Top + one.CellRect.Bottom) / 2;
    const int lineHeight = f.tree->Metrics().HeaderLineHeight;
    f.tree->MouseDown(mbLeft, 0, two.CellRect.Left + 50, y);
    f.tree->MouseMove(ssLeft, two.CellRect.Left + 40, y);
    ASSERT_EQ(f.tree->State(), tsColumnDragging);
    ASSERT_EQ(host.pictures.size(), 1u);
    EXPECT_EQ(host.pictures[0].What, TreeListDragPicture::Column);
    EXPECT_EQ(host.pictures[0].Index, 1);
    EXPECT_TRUE(host.shown);
    // Over its own place there are no arrows; over the first column's left
    // half they stand on that column's left edge, centred on it.
    EXPECT_TRUE(f.tree->DropArrowsRect().IsEmpty());
    f.tree->MouseMove(ssLeft, one.CellRect.Left + 10, y);
    EXPECT_EQ(f.tree->DropArrowsRect(), rtl::Rect(one.CellRect.Left - 5, one.CellRect.Top - 9, one.CellRect.Left + 6,
                                                  one.CellRect.Top + lineHeight + 9));
    EXPECT_FALSE(host.beside);
    // The scroll bracket hides them while the contents move.
    f.tree->HideFeedback();
    EXPECT_TRUE(f.tree->DropArrowsRect().IsEmpty());
    f.tree->ShowFeedback();
    EXPECT_FALSE(f.tree->DropArrowsRect().IsEmpty());
    // Outside the grid: no arrows, the picture beside the delete cursor.
    f.tree->MouseMove(ssLeft, one.CellRect.Left + 10, -30);
    EXPECT_TRUE(f.tree->DropArrowsRect().IsEmpty());
    EXPECT_TRUE(host.beside);
    f.tree->MouseUp(mbLeft, 0, one.CellRect.Left + 10, -30);
    EXPECT_FALSE(host.shown);
    EXPECT_TRUE(f.tree->DropArrowsRect().IsEmpty());

    // Esc ends the picture with the drag, and so does the grid going away.
    for (bool destroy : {false, true}) {
        f.tree->MouseDown(mbLeft, 0, two.CellRect.Left + 50, y);
        f.tree->MouseMove(ssLeft, one.CellRect.Left + 10, y);
        ASSERT_TRUE(host.shown);
        if (destroy) {
            f.tree.reset();
        } else {
            TKey esc = VK_ESCAPE;
            f.tree->KeyDown(esc, 0);
        }
        EXPECT_FALSE(host.shown) << destroy;
    }
}

TEST(TreeListMouse, HeaderDragsAskTheirEventsWhetherTheyMayGoOverAndEndThere)
{
    MouseFixture f;
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    const rtl::TRect one = info.HeaderCells.at(0).CellRect;
    const rtl::TRect two = info.HeaderCells.at(1).CellRect;
    const int y = (one.Top + one.Bottom) / 2;
    auto dragTwoOntoOne = [&](std::function<void()> whileOver = {}) {
        f.tree->MouseDown(mbLeft, 0, two.Left + 50, y);
        f.tree->MouseMove(ssLeft, one.Left + 10, y);
        if (whileOver)
            whileOver();
        f.tree->MouseUp(mbLeft, 0, one.Left + 10, y);
    };
    auto first = [&] { return f.tree->Columns(f.tree->ColumnAtPosition(0))->Caption(); };

    // Refused while over the grid: the delete cursor, the drop still asked.
    bool over = false;
    f.tree->OnDragOverColumn = [&](classes::TObject *, TdxTreeListColumn *c, bool &accept) {
        EXPECT_EQ(c->Caption(), "Two");
        accept = over;
    };
    int ends = 0;
    bool end = false;
    int columnTarget[3] = {-2, -2, -2};
    f.tree->OnEndDragColumn = [&](classes::TObject *, TdxTreeListColumn *, int band, int line, int position,
                                  bool &accept) {
        ++ends;
        columnTarget[0] = band;
        columnTarget[1] = line;
        columnTarget[2] = position;
        accept = end;
    };
    dragTwoOntoOne([&] { EXPECT_EQ(f.host.cursor, crDXTLDelete); });
    EXPECT_EQ(ends, 1);
    // Where it would go: before the first column of the band's first line.
    EXPECT_EQ(columnTarget[0], 0);
    EXPECT_EQ(columnTarget[1], 0);
    EXPECT_EQ(columnTarget[2], 0);
    EXPECT_EQ(first(), "One"); // refused at the end too
    over = true;
    dragTwoOntoOne([&] { EXPECT_EQ(f.host.cursor, crDrag); });
    EXPECT_EQ(first(), "One");
    end = true;
    dragTwoOntoOne();
    EXPECT_EQ(ends, 3);
    EXPECT_EQ(first(), "Two");

    // The band may be kept from being dragged at all; its end hears where
    // it would go.
    TreeListSettings s = f.tree->Settings();
    s.ShowBands = true;
    f.tree->SetSettings(s);
    TdxTreeListBand *second = f.tree->Bands()->Add();
    second->SetCaption("Q");
    second->SetWidth(100);
    f.tree->Columns(1)->SetBandIndex(1);
    f.tree->CalcLayout(info);
    const rtl::TRect p = info.Bands.at(0).BandRect;
    const rtl::TRect q = info.Bands.at(1).BandRect;
    const int by = (p.Top + p.Bottom) / 2;
    bool mayDrag = false;
    f.tree->OnCanBandDrag = [&](classes::TObject *, TdxTreeListBand *band, bool &allow) {
        EXPECT_EQ(band, second);
        allow = mayDrag;
    };
    int endTarget = -2;
    f.tree->OnEndDragBand = [&](classes::TObject *, TdxTreeListBand *, int target, bool &accept) {
        endTarget = target;
        accept = false;
    };
    f.tree->MouseDown(mbLeft, 0, q.Left + 50, by);
    f.tree->MouseMove(ssLeft, p.Left + 5, by);
    EXPECT_EQ(f.tree->State(), tsBandDown);
    f.tree->MouseUp(mbLeft, 0, p.Left + 5, by);
    mayDrag = true;
    f.tree->MouseDown(mbLeft, 0, q.Left + 50, by);
    f.tree->MouseMove(ssLeft, p.Left + 5, by);
    EXPECT_EQ(f.tree->State(), tsBandDragging);
    f.tree->MouseUp(mbLeft, 0, p.Left + 5, by);
    EXPECT_EQ(endTarget, 0);
    EXPECT_EQ(f.tree->VisibleBandCaption(1), "Q"); // refused: stays second
}

// A press asks for the focus only outside design time and where the control
// could take it; either way the press goes on to the cell.
TEST(TreeListMouse, APressAsksForTheFocusOnlyWhereTheControlCanTakeIt)
{
    for (const int situation : {0, 1, 2}) {
        MouseFixture f;
        f.host.focused = false;
        f.tree->SetDesigning(situation == 1);
        f.host.focusable = situation != 2;
        f.click(f.cell(f.c, 1));
        EXPECT_EQ(f.host.focusRequests, situation == 0 ? 1 : 0) << situation;
        EXPECT_EQ(f.tree->FocusedNode(), f.c) << situation;
        EXPECT_EQ(f.tree->FocusedColumnIndex(), 1) << situation;
    }
}
