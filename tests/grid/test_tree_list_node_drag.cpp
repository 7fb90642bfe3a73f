#include "ControlFixture.h"

#include "grid/core/TreeListNodeDrag.h"
#include "grid/core/TreeListShared.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace grid;

namespace {

class DragControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeList::RowsPerPage;
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsCopyDrag() override { return copies; }
    bool copies = false;
};

// Records the drag picture's life and, when told, finds other grids under
// a point as the window would.
class DragHost : public gridtest::FakeTreeListHost
{
public:
    TCustomdxTreeList *treeListAt(TCustomdxTreeList &self, rtl::TPoint &point) override
    {
        return gridAt ? gridAt(point) : FakeTreeListHost::treeListAt(self, point);
    }
    void beginDragImage(const TreeListDragPicture &picture, const rtl::TPoint &at) override
    {
        images.push_back(picture);
        imageAt = at;
        imageShown = true;
    }
    void moveDragImage(const rtl::TPoint &at, bool beside) override
    {
        imageAt = at;
        imageBeside = beside;
    }
    void endDragImage() override { imageShown = false; }

    std::function<TCustomdxTreeList *(rtl::TPoint &)> gridAt;
    std::vector<TreeListDragPicture> images;
    rtl::TPoint imageAt;
    bool imageShown = false;
    bool imageBeside = false;
};

struct DragEvent
{
    TCustomdxTreeList *grid;
    int x;
    int y;
};

// A grid of one 200-px column with the rows "a" (two children), "b" and
// "c", its nodes dragged automatically; it records what the drag told it.
struct DragGrid
{
    DragGrid()
        : tree(std::make_unique<DragControl>(nullptr))
    {
        tree->SetHost(&host);
        host.focused = true;
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boWidthFit));
        tree->SetDefaultLayout(false);
        tree->Bands()->Items(0)->SetWidth(200);
        auto *column = tree->CreateColumn(TdxTreeListColumn::StaticClass());
        column->SetWidth(200);
        a = node("a");
        node("a1", a);
        node("a2", a);
        b = node("b");
        c = node("c");
        tree->SetClientRect(rtl::Rect(0, 0, 300, 200));
        tree->CalcMetrics();
        TreeListNodeDrag &drag = tree->NodeDrag();
        drag.DragMode = dmAutomatic;
        drag.OnStartNodeDrag = [this](TdxTreeListNode *n) { started.push_back(n); };
        drag.OnDragDrop = [this](TCustomdxTreeList *source, int x, int y) { drops.push_back({source, x, y}); };
        drag.OnEndDrag = [this](TCustomdxTreeList *target, int x, int y) { ends.push_back({target, x, y}); };
    }

    TdxTreeListNode *node(const QString &text, TdxTreeListNode *parent = nullptr)
    {
        TdxTreeListNode *n = parent ? parent->AddChild() : tree->Add();
        tree->SetNodeString(n, 0, text);
        return n;
    }
    rtl::TPoint cell(TdxTreeListNode *n)
    {
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x) {
                const TdxTreeListHitInfo hit = tree->HitTest(x, y);
                if (hit.HitCode == htCell && hit.Node == n)
                    return {x + 20, y + 2};
            }
        ADD_FAILURE() << "no cell";
        return {};
    }
    void acceptAll()
    {
        tree->NodeDrag().OnDragOver = [](TCustomdxTreeList *, int, int, bool &) {};
    }
    // Presses on the node and moves the pointer by dx, dy.
    void pressAndMove(TdxTreeListNode *n, int dx, int dy)
    {
        const rtl::TPoint p = cell(n);
        tree->MouseDown(mbLeft, 0, p.X, p.Y);
        tree->MouseMove(ssLeft, p.X + dx, p.Y + dy);
    }

    DragHost host;
    std::unique_ptr<DragControl> tree;
    TdxTreeListNode *a, *b, *c;
    std::vector<TdxTreeListNode *> started;
    std::vector<DragEvent> drops;
    std::vector<DragEvent> ends;
};

} // namespace

TEST(TreeListNodeDrag, StartsOnceThePointerLeavesTheFivePixelSquareInAutomaticModeOnly)
{
    DragGrid g;
    g.pressAndMove(g.b, 5, -5);
    EXPECT_EQ(g.tree->State(), tsNodeDown);
    EXPECT_EQ(TreeListNodeDrag::Running(), nullptr);
    const rtl::TPoint p = g.cell(g.b);
    g.tree->MouseMove(ssLeft, p.X, p.Y + 6);
    EXPECT_EQ(g.tree->State(), tsNodeDragging);
    EXPECT_EQ(TreeListNodeDrag::Running(), &g.tree->NodeDrag());
    EXPECT_EQ(g.tree->NodeDrag().DraggedNode(), g.b);
    EXPECT_EQ(g.started, std::vector<TdxTreeListNode *>{g.b});
    // Over a grid without a drag-over handler nothing takes the drop.
    EXPECT_EQ(g.host.cursor, crNoDrop);
    g.tree->MouseUp(mbLeft, 0, p.X, p.Y + 6);
    EXPECT_EQ(g.tree->State(), tsNone);
    EXPECT_TRUE(g.drops.empty());
    ASSERT_EQ(g.ends.size(), 1u);
    EXPECT_EQ(g.ends[0].grid, nullptr);
    EXPECT_EQ(g.tree->NodeDrag().DraggedNode(), nullptr);
    EXPECT_EQ(TreeListNodeDrag::Running(), nullptr);

    g.tree->NodeDrag().DragMode = dmManual;
    g.pressAndMove(g.c, 0, 30);
    EXPECT_NE(g.tree->State(), tsNodeDragging);
    g.tree->MouseUp(mbLeft, 0, 0, 0);
}

TEST(TreeListNodeDrag, ADropOnAnAcceptedNodeReachesTheTargetWithTheNodeUnderThePointer)
{
    DragGrid g;
    g.tree->NodeDrag().OnDragOver = [&](TCustomdxTreeList *source, int, int, bool &accept) {
        EXPECT_EQ(source, g.tree.get());
        // The node itself takes no drop.
        accept = g.tree->NodeDrag().TargetNode() != g.b;
    };
    g.pressAndMove(g.b, 0, 8);
    EXPECT_EQ(g.tree->NodeDrag().TargetNode(), g.b);
    EXPECT_EQ(g.host.cursor, crNoDrop);
    const rtl::TPoint target = g.cell(g.c);
    g.tree->MouseMove(ssLeft, target.X, target.Y);
    EXPECT_EQ(g.tree->NodeDrag().TargetNode(), g.c);
    EXPECT_EQ(g.host.cursor, crDrag);
    EXPECT_TRUE(g.tree->NodeDrag().Accepted());
    g.tree->MouseUp(mbLeft, 0, target.X, target.Y);
    ASSERT_EQ(g.drops.size(), 1u);
    EXPECT_EQ(g.drops[0].grid, g.tree.get());
    EXPECT_EQ(g.drops[0].x, target.X);
    ASSERT_EQ(g.ends.size(), 1u);
    EXPECT_EQ(g.ends[0].grid, g.tree.get());
    EXPECT_EQ(g.tree->State(), tsNone);
    EXPECT_EQ(g.tree->NodeDrag().TargetNode(), nullptr);
    EXPECT_EQ(g.host.cursor, crDefault);
}

TEST(TreeListNodeDrag, EscapeARightClickOrAReleaseOutsideEndWithoutADrop)
{
    DragGrid g;
    g.acceptAll();
    g.pressAndMove(g.b, 0, 8);
    TKey esc = VK_ESCAPE;
    g.tree->KeyDown(esc, 0);
    EXPECT_EQ(g.tree->State(), tsNone);

    g.pressAndMove(g.b, 0, 8);
    g.tree->MouseDown(mbRight, ssLeft, 10, 10);
    EXPECT_EQ(g.tree->State(), tsNone);

    g.pressAndMove(g.b, 0, 8);
    g.tree->MouseMove(ssLeft, 500, 10);
    EXPECT_EQ(g.host.cursor, crNoDrop);
    g.tree->MouseUp(mbLeft, 0, 500, 10);

    EXPECT_TRUE(g.drops.empty());
    ASSERT_EQ(g.ends.size(), 3u);
    for (const DragEvent &e : g.ends)
        EXPECT_EQ(e.grid, nullptr);
    EXPECT_EQ(g.tree->FocusedNode(), g.b);
}

TEST(TreeListNodeDrag, AnotherGridHighlightsWhileTheDragIsOverItAndTakesTheDrop)
{
    DragGrid source;
    DragGrid target;
    target.acceptAll();
    target.tree->SetOptionsB(target.tree->OptionsB() & ~(1u << boDragScrolling));
    target.tree->SetFocusedNode(target.a);
    source.pressAndMove(source.b, 0, 8);
    TreeListNodeDrag &drag = source.tree->NodeDrag();
    const rtl::TPoint over = target.cell(target.c);
    const int updatesBefore = target.host.updates;
    drag.MoveTo(target.tree.get(), over.X, over.Y);
    EXPECT_TRUE(target.tree->NodeDrag().DropHighlight());
    EXPECT_GT(target.host.updates, updatesBefore);
    EXPECT_EQ(target.tree->NodeDrag().TargetNode(), target.c);
    // Without scrolling on drags the focus stays.
    EXPECT_EQ(target.tree->FocusedNode(), target.a);
    drag.MoveTo(source.tree.get(), 10, 10);
    EXPECT_FALSE(target.tree->NodeDrag().DropHighlight());
    EXPECT_EQ(target.tree->NodeDrag().TargetNode(), nullptr);

    target.tree->SetOptionsB(target.tree->OptionsB() | (1u << boDragScrolling));
    drag.Drop(target.tree.get(), over.X, over.Y);
    EXPECT_EQ(target.tree->FocusedNode(), target.c);
    ASSERT_EQ(target.drops.size(), 1u);
    EXPECT_EQ(target.drops[0].grid, source.tree.get());
    ASSERT_EQ(source.ends.size(), 1u);
    EXPECT_EQ(source.ends[0].grid, target.tree.get());
    EXPECT_FALSE(target.tree->NodeDrag().DropHighlight());
    EXPECT_EQ(source.tree->State(), tsNone);
}

TEST(TreeListNodeDrag, ADeletedNodeOrADestroyedGridLeavesNothingDangling)
{
    DragGrid source;
    source.acceptAll();
    source.pressAndMove(source.b, 0, 8);
    const rtl::TPoint over = source.cell(source.c);
    source.tree->MouseMove(ssLeft, over.X, over.Y);
    source.c->Delete();
    source.b->Delete();
    EXPECT_EQ(source.tree->NodeDrag().DraggedNode(), nullptr);
    EXPECT_EQ(source.tree->NodeDrag().TargetNode(), nullptr);
    source.tree->MouseUp(mbLeft, 0, over.X, over.Y);
    EXPECT_EQ(source.tree->State(), tsNone);

    // The target goes away mid-drag, then the source.
    auto target = std::make_unique<DragGrid>();
    target->acceptAll();
    source.pressAndMove(source.a, 0, 8);
    source.tree->NodeDrag().MoveTo(target->tree.get(), 10, 10);
    target.reset();
    source.tree->NodeDrag().MoveTo(nullptr, 10, 10);
    EXPECT_EQ(source.host.cursor, crNoDrop);
    source.tree.reset();
    EXPECT_EQ(TreeListNodeDrag::Running(), nullptr);
}

TEST(TreeListNodeDrag, HoveringOverAButtonExpandsAfterTheDelayAndB14TogglesOnEverySecond)
{
    DragGrid g;
    g.acceptAll();
    const auto button = [&] {
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                if (g.tree->HitTest(x, y).HitCode == htButton)
                    return rtl::TPoint{x, y};
        return rtl::TPoint{-1, -1};
    }();
    g.pressAndMove(g.c, 0, -8);
    g.tree->MouseMove(ssLeft, button.X, button.Y);
    EXPECT_EQ(g.tree->NodeDrag().HoverNode(), g.a);
    ASSERT_EQ(g.host.timers[TreeListNodeDrag::HoverExpandTimer], 500);
    g.host.fire(*g.tree, TreeListNodeDrag::HoverExpandTimer);
    EXPECT_TRUE(g.a->Expanded());
    EXPECT_FALSE(g.host.timers.contains(TreeListNodeDrag::HoverExpandTimer));

    g.tree->SetOptionsB(g.tree->OptionsB() | (1u << boToggleOnDragHover));
    g.tree->MouseMove(ssLeft, button.X, button.Y);
    g.host.fire(*g.tree, TreeListNodeDrag::HoverExpandTimer);
    EXPECT_FALSE(g.a->Expanded());
    ASSERT_EQ(g.host.timers[TreeListNodeDrag::HoverExpandTimer], 1000);
    g.host.fire(*g.tree, TreeListNodeDrag::HoverExpandTimer);
    EXPECT_TRUE(g.a->Expanded());
    // Ending the drag stops the timer; a stray tick changes nothing.
    TKey esc = VK_ESCAPE;
    g.tree->KeyDown(esc, 0);
    EXPECT_FALSE(g.host.timers.contains(TreeListNodeDrag::HoverExpandTimer));
    g.tree->TimerFired(TreeListNodeDrag::HoverExpandTimer);
    EXPECT_TRUE(g.a->Expanded());
}

TEST(TreeListNodeDrag, TheVerticalTimerMovesTheFocusWhileThePointerStaysOnTheTopOrBottomRow)
{
    DragGrid g;
    g.acceptAll();
    for (int i = 0; i < 20; ++i)
        g.node(QString("n%1").arg(i));
    g.tree->SetTopRowIndex(2);
    const int top = g.tree->AbsoluteIndex(g.tree->TopNode());
    g.pressAndMove(g.tree->TopNode()->GetNextVisible(), 0, -10);
    EXPECT_EQ(g.tree->NodeDrag().VerticalScrollDirection(), -1);
    EXPECT_EQ(SharedTimers().dragScrollVertical, TreeListNodeDrag::VerticalScrollTimer);
    g.host.fire(*g.tree, TreeListNodeDrag::VerticalScrollTimer);
    g.host.fire(*g.tree, TreeListNodeDrag::VerticalScrollTimer);
    EXPECT_EQ(g.tree->FocusedRowIndex(), top - 2);
    EXPECT_EQ(g.tree->AbsoluteIndex(g.tree->TopNode()), top - 2);
    // Leaving the grid stops it.
    g.tree->MouseMove(ssLeft, 500, 10);
    EXPECT_EQ(SharedTimers().dragScrollVertical, -1);
    EXPECT_FALSE(g.host.timers.contains(TreeListNodeDrag::VerticalScrollTimer));

    const int last = top - 2 + g.tree->RowsPerPage() - 1;
    const rtl::TPoint bottom = g.cell(g.tree->NodeAtAbsoluteIndex(last));
    g.tree->MouseMove(ssLeft, bottom.X, bottom.Y);
    EXPECT_EQ(g.tree->NodeDrag().VerticalScrollDirection(), 1);
    g.host.fire(*g.tree, TreeListNodeDrag::VerticalScrollTimer);
    EXPECT_EQ(g.tree->FocusedRowIndex(), last + 1);
    g.tree.reset();
    EXPECT_EQ(SharedTimers().dragScrollVertical, -1);
}

TEST(TreeListNodeDrag, NearTheRowsSideEdgesTheColumnsScrollUntilTheirEnd)
{
    DragGrid g;
    g.acceptAll();
    g.tree->Bands()->Items(0)->SetWidth(400);
    g.tree->Columns(0)->SetWidth(400);
    g.tree->CalcMetrics();
    g.pressAndMove(g.b, 0, 8);
    const rtl::TPoint p = g.cell(g.b);
    g.tree->MouseMove(ssLeft, 290, p.Y);
    EXPECT_EQ(g.tree->DragScrollDirection(), 1);
    while (g.host.fire(*g.tree, TCustomdxTreeList::DragScrollTimer)) {
    }
    const int end = g.tree->HorzOffset();
    EXPECT_GT(end, 0);
    g.tree->MouseMove(ssLeft, 5, p.Y);
    EXPECT_EQ(g.tree->DragScrollDirection(), -1);
    while (g.host.fire(*g.tree, TCustomdxTreeList::DragScrollTimer)) {
    }
    EXPECT_EQ(g.tree->HorzOffset(), 0);
    g.tree->MouseMove(ssLeft, 150, p.Y);
    EXPECT_EQ(g.tree->DragScrollDirection(), 0);
    EXPECT_EQ(SharedTimers().dragScrollHorizontal, -1);
}

TEST(TreeListNodeDrag, TheWindowFindsTheGridUnderThePointerAndItsPointForTheDrop)
{
    // The second grid stands right of the first in the same program.
    DragGrid source;
    DragGrid target;
    target.acceptAll();
    std::vector<DragEvent> overs;
    target.tree->NodeDrag().OnDragOver = [&](TCustomdxTreeList *from, int x, int y, bool &) {
        overs.push_back({from, x, y});
    };
    source.host.gridAt = [&](rtl::TPoint &p) -> TCustomdxTreeList * {
        if (p.X >= 300) {
            p.X -= 300;
            return target.tree.get();
        }
        return p.X >= 0 ? source.tree.get() : nullptr;
    };
    source.pressAndMove(source.b, 0, 8);
    ASSERT_EQ(source.tree->State(), tsNodeDragging);
    const rtl::TPoint over = target.cell(target.c);
    source.tree->MouseMove(ssLeft, over.X + 300, over.Y);
    ASSERT_FALSE(overs.empty());
    EXPECT_EQ(overs.back().grid, source.tree.get());
    EXPECT_EQ(overs.back().x, over.X);
    EXPECT_EQ(target.tree->NodeDrag().TargetNode(), target.c);
    EXPECT_TRUE(target.tree->NodeDrag().DropHighlight());
    EXPECT_EQ(source.host.cursor, crDrag);

    source.tree->MouseUp(mbLeft, 0, over.X + 300, over.Y);
    ASSERT_EQ(target.drops.size(), 1u);
    EXPECT_EQ(target.drops[0].grid, source.tree.get());
    EXPECT_EQ(target.drops[0].x, over.X);
    ASSERT_EQ(source.ends.size(), 1u);
    EXPECT_EQ(source.ends[0].grid, target.tree.get());
    EXPECT_FALSE(target.tree->NodeDrag().DropHighlight());
    EXPECT_TRUE(source.drops.empty());

    // Over no grid at all nothing takes the drop.
    source.pressAndMove(source.b, 0, 8);
    source.tree->MouseMove(ssLeft, -20, 10);
    EXPECT_EQ(source.host.cursor, crNoDrop);
    source.tree->MouseUp(mbLeft, 0, -20, 10);
    ASSERT_EQ(source.ends.size(), 2u);
    EXPECT_EQ(source.ends[1].grid, nullptr);
    EXPECT_EQ(target.drops.size(), 1u);
}

TEST(TreeListNodeDrag, TheCursorTellsOneOrSeveralNodesMovedOrCopied)
{
    DragGrid g;
    g.acceptAll();
    const rtl::TPoint over = g.cell(g.c);
    const auto cursorWith = [&](TShiftState shift) {
        g.tree->MouseMove(ssLeft | shift, over.X, over.Y);
        return g.host.cursor;
    };
    g.pressAndMove(g.b, 0, 8);
    EXPECT_EQ(cursorWith(0), crDrag);
    EXPECT_EQ(cursorWith(ssCtrl), crDrag); // this grid does not copy
    g.tree->copies = true;
    EXPECT_EQ(cursorWith(ssCtrl), crDXTLDragCopy);
    EXPECT_EQ(cursorWith(0), crDrag);
    g.tree->NodeDrag().Cancel();

    g.tree->SetOptionsA(g.tree->OptionsA() | 1u << aoMultiSelect);
    g.tree->SetNodeSelected(g.a, true);
    g.tree->SetNodeSelected(g.b, true);
    g.tree->NodeDrag().SetDraggedNode(g.b);
    ASSERT_TRUE(g.tree->NodeDrag().BeginDrag(over.X, over.Y));
    EXPECT_EQ(cursorWith(0), crMultiDrag);
    EXPECT_EQ(cursorWith(ssCtrl), crDXTLMultiDragCopy);
    // Ctrl held on the keyboard while the pointer stands still counts too.
    g.host.keys = ssCtrl;
    EXPECT_EQ(cursorWith(0), crDXTLMultiDragCopy);
    g.tree->NodeDrag().Cancel();
}

TEST(TreeListNodeDrag, ThePictureOfTheNodeFollowsThePointerUntilTheDragEndsHoweverItEnds)
{
    DragGrid g;
    g.acceptAll();
    g.pressAndMove(g.b, 0, 8);
    ASSERT_EQ(g.host.images.size(), 1u);
    EXPECT_EQ(g.host.images[0].What, TreeListDragPicture::Node);
    EXPECT_EQ(g.host.images[0].DraggedNode, g.b);
    EXPECT_TRUE(g.host.imageShown);
    g.tree->MouseMove(ssLeft, 40, 70);
    EXPECT_EQ(g.host.imageAt, (rtl::TPoint{40, 70}));
    g.tree->MouseUp(mbLeft, 0, 40, 70);
    EXPECT_FALSE(g.host.imageShown);

    for (int way = 0; way < 3; ++way) {
        g.pressAndMove(g.b, 0, 8);
        ASSERT_TRUE(g.host.imageShown) << way;
        if (way == 0) {
            TKey esc = VK_ESCAPE;
            g.tree->KeyDown(esc, 0);
        } else if (way == 1) {
            g.tree->CancelMode();
        } else {
            g.b->Delete(); // the dragged node goes; the drag runs on
            g.tree->MouseUp(mbLeft, 0, 40, 70);
        }
        EXPECT_FALSE(g.host.imageShown) << way;
        EXPECT_EQ(TreeListNodeDrag::Running(), nullptr) << way;
    }

    // A grid going away mid-drag takes its picture along.
    DragHost &host = g.host;
    g.pressAndMove(g.c, 0, 8);
    ASSERT_TRUE(host.imageShown);
    g.tree.reset();
    EXPECT_FALSE(host.imageShown);
}

TEST(TreeListNodeDrag, TheKeypadPlusAndMinusOpenAndCloseTheNodeUnderThePointer)
{
    DragGrid g;
    g.acceptAll();
    g.pressAndMove(g.c, 0, -8);
    ASSERT_EQ(g.tree->State(), tsNodeDragging);
    const rtl::TPoint onA = g.cell(g.a);
    g.tree->MouseMove(ssLeft, onA.X, onA.Y);
    g.tree->SetFocusedNode(g.b);
    TKey plus = VK_ADD;
    g.tree->KeyDown(plus, 0);
    EXPECT_TRUE(g.a->Expanded());
    EXPECT_EQ(plus, 0); // no "+" typed after it for the focused node
    EXPECT_FALSE(g.b->Expanded());
    EXPECT_EQ(g.tree->State(), tsNodeDragging);
    TKey minus = VK_SUBTRACT;
    g.tree->KeyDown(minus, 0);
    EXPECT_FALSE(g.a->Expanded());
    // A leaf under the pointer has nothing to open.
    const rtl::TPoint onB = g.cell(g.b);
    g.tree->MouseMove(ssLeft, onB.X, onB.Y);
    plus = VK_ADD;
    g.tree->KeyDown(plus, 0);
    EXPECT_FALSE(g.b->Expanded());
    g.tree->NodeDrag().Cancel();
    // Without a drag the keypad keys change nothing by themselves.
    g.tree->SetFocusedNode(g.a);
    plus = VK_ADD;
    g.tree->KeyDown(plus, 0);
    EXPECT_FALSE(g.a->Expanded());
}

// Every event of a node drag, with a handler that deletes the dragged node,
// its parent, the next node or the node under the pointer, or moves the
// dragged node under another: the drag runs to its end and leaves the grid
// idle, holding no node that went.
TEST(TreeListNodeDragSweep, EveryEventWithEveryVictimRunsToItsEnd)
{
    using Victim = std::pair<const char *, std::function<bool(DragGrid &, TdxTreeListNode * dragged)>>;
    const std::vector<Victim> victims = {
        {"deletes the dragged node",
         [](DragGrid &, TdxTreeListNode *n) {
             n->Delete();
             return true;
         }},
        {"deletes its parent",
         [](DragGrid &, TdxTreeListNode *n) {
             if (n->Parent())
                 n->Parent()->Delete();
             return n->Parent() != nullptr;
         }},
        {"deletes the next node",
         [](DragGrid &, TdxTreeListNode *n) {
             TdxTreeListNode *next = n->GetNextSibling();
             if (next)
                 next->Delete();
             return next != nullptr;
         }},
        {"deletes the node under the pointer",
         [](DragGrid &g, TdxTreeListNode *) {
             TdxTreeListNode *target = g.tree->NodeDrag().TargetNode();
             if (target)
                 target->Delete();
             return target != nullptr;
         }},
        {"deletes every node",
         [](DragGrid &g, TdxTreeListNode *) {
             g.tree->ClearNodes();
             return true;
         }},
        {"frees the grid",
         [](DragGrid &g, TdxTreeListNode *) {
             g.tree.reset();
             return true;
         }},
    };
    using Handler = std::function<void()>;
    using Event = std::pair<const char *, std::function<void(DragGrid &, Handler)>>;
    const std::vector<Event> events = {
        {"OnStartDrag", [](DragGrid &g, Handler h) { g.tree->NodeDrag().OnStartDrag = h; }},
        {"OnStartNodeDrag", [](DragGrid &g, Handler h) { g.tree->NodeDrag().OnStartNodeDrag = [h](auto *) { h(); }; }},
        {"OnDragOver",
         [](DragGrid &g, Handler h) { g.tree->NodeDrag().OnDragOver = [h](auto *, int, int, bool &) { h(); }; }},
        {"OnDragDrop", [](DragGrid &g, Handler h) { g.tree->NodeDrag().OnDragDrop = [h](auto *, int, int) { h(); }; }},
        {"OnEndDrag", [](DragGrid &g, Handler h) { g.tree->NodeDrag().OnEndDrag = [h](auto *, int, int) { h(); }; }},
    };
    // Where the runs press and drop, taken once from an untouched grid.
    struct Points
    {
        rtl::TPoint child, top, over, first;
    };
    const Points at = [] {
        DragGrid g;
        g.a->SetExpanded(true);
        return Points{g.cell(g.a->Items(0)), g.cell(g.b), g.cell(g.c), g.cell(g.a)};
    }();
    int combinations = 0;
    for (const auto &[event, set] : events) {
        int heard = 0;
        for (const Victim &v : victims) {
            const char *victim = v.first;
            const auto &act = v.second;
            // The dragged node: a child with a sibling, or a top-level node.
            for (const bool child : {true, false}) {
                SCOPED_TRACE(std::string(event) + ", " + victim + (child ? ", a child" : ", a top node"));
                DragGrid g;
                g.acceptAll();
                g.a->SetExpanded(true);
                bool done = false;
                set(g, [&] {
                    // The grid may take this handler along: what it uses is
                    // taken from it first.
                    int &count = heard;
                    int &combined = combinations;
                    DragGrid &grid = g;
                    const auto &victimAct = act;
                    ++count;
                    if (!std::exchange(done, true) && grid.tree->NodeDrag().DraggedNode())
                        combined += victimAct(grid, grid.tree->NodeDrag().DraggedNode()) ? 1 : 0;
                });
                const rtl::TPoint from = child ? at.child : at.top;
                g.tree->MouseDown(mbLeft, 0, from.X, from.Y);
                if (g.tree)
                    g.tree->MouseMove(ssLeft, from.X, from.Y + 8);
                if (g.tree)
                    g.tree->MouseMove(ssLeft, at.over.X, at.over.Y);
                if (g.tree)
                    g.tree->MouseUp(mbLeft, 0, at.over.X, at.over.Y);
                EXPECT_EQ(TreeListNodeDrag::Running(), nullptr);
                if (!g.tree)
                    continue;
                EXPECT_EQ(g.tree->State(), tsNone);
                EXPECT_EQ(g.tree->NodeDrag().DraggedNode(), nullptr);
                EXPECT_EQ(TreeListNodeDrag::Running(), nullptr);
                // The grid goes on: another drag runs.
                g.tree->NodeDrag().OnStartDrag = nullptr;
                g.tree->NodeDrag().OnStartNodeDrag = nullptr;
                g.tree->NodeDrag().OnDragDrop = nullptr;
                g.tree->NodeDrag().OnEndDrag = nullptr;
                g.tree->MouseDown(mbLeft, 0, at.first.X, at.first.Y);
                g.tree->MouseMove(ssLeft, at.first.X, at.first.Y + 8);
                g.tree->MouseUp(mbLeft, 0, at.over.X, at.over.Y);
                EXPECT_EQ(g.tree->State(), tsNone);
            }
        }
        EXPECT_GT(heard, 0) << event << " was never called";
    }
    RecordProperty("combinations", combinations);
    EXPECT_GT(combinations, 20);
}
