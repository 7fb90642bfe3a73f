// Handlers that free or move the column, band or node the tree list calls
// them about, or its band, or the next one: every routine that called them
// goes on with what is left, and nothing reads what went.

#include "ControlFixture.h"
#include "CoreFakes.h"

#include "grid/core/TreeListBands.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace grid;

namespace handlertest {

// Layout hooks a descendant overrides, handed to the test.
class HookedControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    std::function<void(TdxTreeListColumn *)> onLayoutColumn;
    std::function<void(TdxTreeListColumn *)> onBeforeSort;

protected:
    void LoadColumnLayout(TdxRegIniWrapper &store, const QString &key, TdxTreeListColumn *column) override
    {
        const TreeListAlive alive = column->AliveToken();
        if (onLayoutColumn)
            onLayoutColumn(column);
        if (!alive.expired())
            TCustomdxTreeListControl::LoadColumnLayout(store, key, column);
    }
    void SaveColumnLayout(TdxRegIniWrapper &store, const QString &key, TdxTreeListColumn *column) override
    {
        const TreeListAlive alive = column->AliveToken();
        if (onLayoutColumn)
            onLayoutColumn(column);
        if (!alive.expired())
            TCustomdxTreeListControl::SaveColumnLayout(store, key, column);
    }
    void DoBeforeSort(TdxTreeListColumn *column) override
    {
        if (onBeforeSort)
            onBeforeSort(column);
    }
};

// Types a character into its text as a text editor does, and says so.
class TypingEditor : public gridtest::FakeEditor
{
public:
    using gridtest::FakeEditor::FakeEditor;

protected:
    void OwnKeyPress(TChar &key) override
    {
        gridtest::FakeEditor::OwnKeyPress(key);
        text += QString::fromUcs4(&key, 1);
        SetModified(true);
        Change();
    }
};

class EditorHost : public gridtest::FakeTreeListHost
{
public:
    InplaceEditor *createEditor(const QString &, TCustomdxContainer *owner) override { return new TypingEditor(owner); }
};

// Three bands P, Q, R of 200 px, shown, with columns A..F, two in each;
// node n0 with children n0a and n0b, then n1 and n2. Columns and bands are
// dragged, sized and sorted by the mouse; cells are edited.
struct Grid
{
    Grid()
        : tree(std::make_unique<HookedControl>(nullptr))
    {
        tree->SetHost(&host);
        host.focused = true;
        tree->SetDefaultLayout(false);
        tree->SetOptionsA((tree->OptionsA() | 1u << aoEditing | 1u << aoColumnDragging | 1u << aoHideByDragOut |
                           1u << aoColumnSizing) &
                          ~(1u << aoRowFocus));
        tree->SetOptionsB((tree->OptionsB() | 1u << boBandDragging | 1u << boBandSizing) & ~(1u << boWidthFit));
        TreeListSettings s = tree->Settings();
        s.ShowBands = true;
        tree->SetSettings(s);
        for (int b = 0; b < 3; ++b) {
            TdxTreeListBand *band = b == 0 ? tree->Bands()->Items(0) : tree->Bands()->Add();
            band->SetCaption(QString(QChar('P' + b)));
            band->SetMinWidth(0);
            band->SetWidth(200);
        }
        for (int i = 0; i < 6; ++i) {
            auto *c = tree->CreateColumn(TdxTreeListColumn::StaticClass());
            c->SetCaption(QString(QChar('A' + i)));
            c->SetBandIndex(i / 2);
            c->SetMinWidth(20);
            c->SetWidth(100);
        }
        TdxTreeListNode *n0 = node("n0");
        node("n0a", n0);
        node("n0b", n0);
        node("n1");
        node("n2");
        n0->SetExpanded(true);
        tree->SetClientRect(rtl::Rect(0, 0, 700, 300));
        tree->CalcMetrics();
    }
    ~Grid() { tree.reset(); }

    TdxTreeListNode *node(const QString &name, TdxTreeListNode *parent = nullptr)
    {
        TdxTreeListNode *n = parent ? parent->AddChild() : tree->Add();
        for (int i = 0; i < 6; ++i)
            tree->SetNodeString(n, i, name + QChar('A' + i));
        return n;
    }
    TdxTreeListColumn *column(const QString &caption) const
    {
        for (int i = 0; i < tree->ColumnCount(); ++i)
            if (tree->Columns(i)->Caption() == caption)
                return tree->Columns(i);
        return nullptr;
    }
    // The first point of the band and header panels whose hit satisfies the
    // test; (-1, -1) for none.
    rtl::TPoint find(const std::function<bool(const TdxTreeListHitInfo &)> &test)
    {
        tree->CalcMetrics();
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 700; ++x)
                if (test(tree->HitTest(x, y)))
                    return {x, y};
        return {-1, -1};
    }
    rtl::TPoint header(TdxTreeListColumn *c, uint8_t code = htColumnHeader)
    {
        const int index = c->Index();
        rtl::TPoint p = find([&](const TdxTreeListHitInfo &h) { return h.HitCode == code && h.ColumnIndex == index; });
        if (code == htColumnHeader)
            p.X += 40;
        return p;
    }
    rtl::TPoint band(int position, uint8_t code = htBandHeader)
    {
        rtl::TPoint p = find([&](const TdxTreeListHitInfo &h) { return h.HitCode == code && h.BandIndex == position; });
        if (code == htBandHeader)
            p.X += 20;
        return p;
    }
    // A press at from, a move past the drag distance and to to, a release.
    void drag(rtl::TPoint from, rtl::TPoint to)
    {
        if (from.X < 0)
            return;
        // Each step only while a handler has left the grid there.
        tree->MouseDown(mbLeft, 0, from.X, from.Y);
        if (tree)
            tree->MouseMove(ssLeft, from.X + 8, from.Y);
        if (tree)
            tree->MouseMove(ssLeft, to.X, to.Y);
        if (tree)
            tree->MouseUp(mbLeft, 0, to.X, to.Y);
    }
    gridtest::FakeEditor *editor() const { return static_cast<gridtest::FakeEditor *>(tree->Editor()); }
    // Opens the editor over the column's cell of the first node.
    bool open(TdxTreeListColumn *c)
    {
        tree->SetFocusedNode(tree->Items(1));
        tree->SetFocusedColumn(tree->PositionOfColumn(c->Index()));
        return tree->ShowEditor();
    }
    // The same, and types.
    void type(TdxTreeListColumn *c, const QString &text)
    {
        const bool opened = open(c);
        if (!tree)
            return;
        ASSERT_TRUE(opened);
        editor()->text = text;
        editor()->SetModified(true);
        editor()->Change();
    }

    EditorHost host;
    std::unique_ptr<HookedControl> tree;
};

TEST(TreeListHandlers, ADraggedHeaderFreedByItsEndHookTakesNoOtherAlong)
{
    // Dropped outside, a column the hook freed: no other column is hidden.
    Grid g;
    g.tree->OnEndDragColumn = [&](classes::TObject *, TdxTreeListColumn *c, int, int, int, bool &) { delete c; };
    g.drag(g.header(g.column("B")), {350, 400});
    EXPECT_EQ(g.tree->ColumnCount(), 5);
    for (int i = 0; i < g.tree->ColumnCount(); ++i)
        EXPECT_TRUE(g.tree->Columns(i)->Visible()) << i;

    // The same for a band.
    g.tree->OnEndDragBand = [&](classes::TObject *, TdxTreeListBand *b, int, bool &) { delete b; };
    g.drag(g.band(1), {350, 400});
    ASSERT_EQ(g.tree->Bands()->Count(), 2);
    EXPECT_TRUE(g.tree->Bands()->Items(0)->Visible());
    EXPECT_TRUE(g.tree->Bands()->Items(1)->Visible());
    EXPECT_EQ(g.tree->Bands()->Items(1)->Caption(), "R");

    // A drop inside: the band the drop was to go before went; nothing moves.
    g.tree->OnEndDragBand = [&](classes::TObject *, TdxTreeListBand *, int, bool &) {
        delete g.tree->Bands()->Items(0);
    };
    g.drag(g.band(1), g.band(0));
    ASSERT_EQ(g.tree->Bands()->Count(), 1);
    EXPECT_EQ(g.tree->Bands()->Items(0)->Caption(), "R");
}

// What was typed into a cell goes to the column it was typed into when
// columns before it go or move meanwhile, or a stored layout moves them.
TEST(TreeListHandlers, TheTypedValueFollowsItsColumn)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("layout.ini");
    const std::vector<std::pair<std::string, std::function<void(Grid &)>>> changes = {
        {"deleted before", [](Grid &g) { delete g.column("A"); }},
        {"moved before", [](Grid &g) { g.column("E")->SetIndex(0); }},
        {"moved after", [](Grid &g) { g.column("A")->SetIndex(5); }},
        {"layout restored",
         [&](Grid &g) {
             g.column("F")->SetIndex(0);
             g.tree->SaveToIniFile(ini);
             g.column("A")->SetIndex(0);
             g.tree->LoadFromIniFile(ini);
         }},
    };
    for (const auto &[name, change] : changes) {
        SCOPED_TRACE(name);
        Grid g;
        TdxTreeListColumn *c = g.column("C");
        TdxTreeListColumn *d = g.column("D");
        g.type(c, "NEW");
        change(g);
        ASSERT_TRUE(g.tree->EndEditing());
        TdxTreeListNode *n1 = g.tree->Items(1);
        EXPECT_EQ(g.tree->GetNodeString(n1, c->Index()), "NEW");
        EXPECT_EQ(g.tree->GetNodeString(n1, d->Index()), "n1D");
    }
    // The edited column itself going takes the edit along.
    Grid g;
    g.type(g.column("C"), "NEW");
    delete g.column("C");
    g.tree->EndEditing();
    for (int i = 0; i < g.tree->ColumnCount(); ++i)
        EXPECT_NE(g.tree->GetNodeString(g.tree->Items(1), i), "NEW") << i;
}

TEST(TreeListHandlers, AColumnFreedByTheGridsEditChangeHearsNoChangeOfItsOwn)
{
    Grid g;
    int heard = 0;
    g.column("C")->OnChange.Set([&](classes::TObject *) { ++heard; });
    g.tree->OnEditChange = [&](classes::TObject *, TdxTreeListColumn *c) { delete c; };
    g.type(g.column("C"), "x");
    EXPECT_EQ(heard, 0);
    EXPECT_EQ(g.tree->ColumnCount(), 5);
    // The editor left behind calls the column no more.
    g.editor()->Change();
    EXPECT_EQ(heard, 0);
}

// A key handler that frees the column being edited: the editor it leaves
// behind types, changes and validates without a word to the column.
TEST(TreeListHandlers, AColumnFreedByAKeyHandlerHearsNothingFromItsEditor)
{
    using Install = std::function<void(Grid &)>;
    const std::vector<std::pair<std::string, Install>> handlers = {
        {"OnKeyPress",
         [](Grid &g) {
             g.tree->OnKeyPress.Set(
                 [&g](classes::TObject *, TChar &) { delete g.tree->Columns(g.tree->EditedColumn()); });
         }},
        {"OnEditKeyDown",
         [](Grid &g) {
             g.tree->OnEditKeyDown = [&g](classes::TObject *, TKey &, TShiftState) {
                 delete g.tree->Columns(g.tree->EditedColumn());
             };
         }},
    };
    for (const auto &[name, install] : handlers) {
        SCOPED_TRACE(name);
        Grid g;
        std::vector<TdxTreeListColumn *> heard;
        g.tree->OnEditChange = [&](classes::TObject *, TdxTreeListColumn *c) { heard.push_back(c); };
        g.tree->OnEditValidate = [&](classes::TObject *, TdxTreeListColumn *c, QString &, bool &) {
            heard.push_back(c);
        };
        install(g);
        ASSERT_TRUE(g.open(g.column("C")));
        TKey x = 'X';
        g.editor()->KeyDown(x, 0);
        TChar typed = 'x';
        g.editor()->KeyPress(typed);
        TKey enter = VK_RETURN;
        g.editor()->KeyDown(enter, 0);
        g.tree->EndEditing();
        EXPECT_EQ(g.tree->ColumnCount(), 5);
        EXPECT_TRUE(heard.empty()) << heard.size();
        for (int i = 0; i < g.tree->ColumnCount(); ++i)
            EXPECT_FALSE(g.tree->GetNodeString(g.tree->Items(1), i).contains('x')) << i;
    }
}

// Columns before the edited one going, moving or hiding while it is edited:
// the focus stays on the edited column, so that the editor takes its keys.
TEST(TreeListHandlers, TheFocusStaysOnTheEditedColumnWhenColumnsBeforeItChange)
{
    const std::vector<std::pair<std::string, std::function<void(Grid &)>>> changes = {
        {"deleted before", [](Grid &g) { delete g.column("A"); }},
        {"moved before", [](Grid &g) { g.column("E")->SetIndex(0); }},
        {"hidden before", [](Grid &g) { g.column("A")->SetVisible(false); }},
        {"band moved before", [](Grid &g) { g.tree->Bands()->Items(2)->SetIndex(0); }},
        {"its band moved first", [](Grid &g) { g.tree->Bands()->Items(1)->SetIndex(0); }},
        {"layout restored",
         [](Grid &g) {
             QTemporaryDir dir;
             g.tree->Bands()->Items(2)->SetIndex(0);
             g.tree->SaveToIniFile(dir.filePath("l.ini"));
             g.tree->Bands()->Items(1)->SetIndex(0);
             g.tree->LoadFromIniFile(dir.filePath("l.ini"));
         }},
    };
    for (const auto &[name, change] : changes) {
        SCOPED_TRACE(name);
        Grid g;
        TdxTreeListColumn *c = g.column("C");
        g.type(c, "NEW");
        change(g);
        EXPECT_FALSE(g.tree->IsEditOutOfSync());
        EXPECT_EQ(g.tree->FocusedColumnIndex(), c->Index());
        TKey enter = VK_RETURN;
        g.editor()->KeyDown(enter, 0);
        EXPECT_NE(g.tree->State(), tsEditing);
        EXPECT_EQ(g.tree->GetNodeString(g.tree->Items(1), c->Index()), "NEW");
    }
    // A focus the program moved itself while the cell is edited stays where
    // it was put.
    Grid g;
    g.type(g.column("C"), "NEW");
    g.tree->SetFocusedColumn(g.tree->PositionOfColumn(g.column("E")->Index()));
    g.column("B")->SetWidth(150);
    EXPECT_EQ(g.tree->FocusedColumnIndex(), g.column("E")->Index());
}

// ---- The sweep: every event and hook the grid calls, with every victim ----

// Any: a victim of every event, whatever it is about.
enum class Sender { Column, Band, Node, Any };

// What a handler does the first time it is called, to the object the event
// is about, its container or its next sibling: false where there is none.
struct Victim
{
    const char *name;
    Sender sender;
    std::function<bool(Grid &, void *)> act;
};

TdxTreeListColumn *nextColumn(Grid &g, TdxTreeListColumn *c)
{
    const int count = g.tree->ColumnCount();
    return count > 1 ? g.tree->Columns((c->Index() + 1) % count) : nullptr;
}

TdxTreeListBand *nextBand(Grid &g, TdxTreeListBand *b)
{
    const int count = g.tree->Bands()->Count();
    return count > 1 ? g.tree->Bands()->Items((b->Index() + 1) % count) : nullptr;
}

template <typename T>
bool freed(T *object)
{
    delete object;
    return object != nullptr;
}

bool deleted(TdxTreeListNode *node)
{
    if (node)
        node->Delete();
    return node != nullptr;
}

const std::vector<Victim> &victims()
{
    using C = TdxTreeListColumn;
    using B = TdxTreeListBand;
    using N = TdxTreeListNode;
    static const std::vector<Victim> list = {
        {"frees the column", Sender::Column, [](Grid &, void *s) { return freed(static_cast<C *>(s)); }},
        {"frees its band", Sender::Column,
         [](Grid &g, void *s) {
             const int band = static_cast<C *>(s)->BandIndex();
             return band >= 0 && freed(g.tree->Bands()->Items(band));
         }},
        {"frees the next column", Sender::Column,
         [](Grid &g, void *s) { return freed(nextColumn(g, static_cast<C *>(s))); }},
        {"moves the column to the front", Sender::Column,
         [](Grid &g, void *s) {
             auto *c = static_cast<C *>(s);
             c->SetIndex(c->Index() == 0 ? g.tree->ColumnCount() - 1 : 0);
             return true;
         }},
        {"moves the column to another band", Sender::Column,
         [](Grid &g, void *s) {
             auto *c = static_cast<C *>(s);
             c->SetBandIndex((c->BandIndex() + 1) % g.tree->Bands()->Count());
             return true;
         }},
        {"moves the next column to the front", Sender::Column,
         [](Grid &g, void *s) {
             C *next = nextColumn(g, static_cast<C *>(s));
             if (next)
                 next->SetIndex(0);
             return next != nullptr;
         }},
        {"frees the band", Sender::Band, [](Grid &, void *s) { return freed(static_cast<B *>(s)); }},
        {"frees the next band", Sender::Band, [](Grid &g, void *s) { return freed(nextBand(g, static_cast<B *>(s))); }},
        {"moves the band to another index", Sender::Band,
         [](Grid &g, void *s) {
             auto *b = static_cast<B *>(s);
             b->SetIndex(b->Index() == 0 ? g.tree->Bands()->Count() - 1 : 0);
             return true;
         }},
        {"moves the next band before it", Sender::Band,
         [](Grid &g, void *s) {
             auto *b = static_cast<B *>(s);
             B *next = nextBand(g, b);
             if (next)
                 next->SetIndex(b->Index());
             return next != nullptr;
         }},
        {"deletes the node", Sender::Node, [](Grid &, void *s) { return deleted(static_cast<N *>(s)); }},
        {"deletes its parent", Sender::Node, [](Grid &, void *s) { return deleted(static_cast<N *>(s)->Parent()); }},
        {"deletes the next node", Sender::Node,
         [](Grid &, void *s) { return deleted(static_cast<N *>(s)->GetNextSibling()); }},
        {"frees the grid", Sender::Any,
         [](Grid &g, void *) {
             g.tree.reset();
             return true;
         }},
    };
    return list;
}

// Where the scenarios press, taken once from an untouched grid.
struct Points
{
    rtl::TPoint b, e, aEdge, p, q, qEdge;
};

const Points &points()
{
    static const Points pts = [] {
        Grid g;
        Points p;
        p.b = g.header(g.column("B"));
        p.e = g.header(g.column("E"));
        p.aEdge = g.header(g.column("A"), htColumnEdge);
        p.p = g.band(0);
        p.q = g.band(1);
        p.qEdge = g.band(1, htBandEdge);
        return p;
    }();
    return pts;
}

using Handler = std::function<void(void *sender)>;

// An event or hook, how a handler is set on it, and what the user (or the
// program) does that makes the grid call it.
struct Event
{
    const char *name;
    Sender sender;
    std::function<void(Grid &, Handler)> set;
    std::function<void(Grid &)> run;
};

void dragBIntoR(Grid &g)
{
    g.drag(points().b, points().e);
}
void dragBOut(Grid &g)
{
    g.drag(points().b, {350, 400});
}
void dragQOntoP(Grid &g)
{
    g.drag(points().q, points().p);
}
void dragQOut(Grid &g)
{
    g.drag(points().q, {350, 400});
}
void clickB(Grid &g)
{
    g.tree->MouseDown(mbLeft, 0, points().b.X, points().b.Y);
    if (g.tree)
        g.tree->MouseUp(mbLeft, 0, points().b.X, points().b.Y);
}
void clickQ(Grid &g)
{
    g.tree->MouseDown(mbLeft, 0, points().q.X, points().q.Y);
    if (g.tree)
        g.tree->MouseUp(mbLeft, 0, points().q.X, points().q.Y);
}
void sizeA(Grid &g)
{
    g.drag(points().aEdge, {points().aEdge.X + 30, points().aEdge.Y});
}
void sizeQ(Grid &g)
{
    g.drag(points().qEdge, {points().qEdge.X + 30, points().qEdge.Y});
}
void editC(Grid &g)
{
    g.type(g.column("C"), "typed");
    if (g.tree)
        g.tree->EndEditing();
}
// Keys typed into the editor over C: a character, then Enter.
void keysC(Grid &g)
{
    if (!g.open(g.column("C")))
        return;
    // The editor goes with a grid a handler frees.
    const auto editor = [&g] { return g.tree ? g.tree->Editor() : nullptr; };
    TKey x = 'X';
    editor()->KeyDown(x, 0);
    TChar typed = 'x';
    if (editor())
        editor()->KeyPress(typed);
    if (editor())
        editor()->KeyUp(x, 0);
    TKey enter = VK_RETURN;
    if (editor())
        editor()->KeyDown(enter, 0);
    if (editor())
        editor()->KeyUp(enter, 0);
}
// Calls the handler about the column the editor is open for, else the
// focused one.
void aboutEdited(Grid &g, const std::function<void(void *)> &h)
{
    const int edited = g.tree->EditedColumn();
    if (TdxTreeListColumn *c = g.tree->Columns(edited >= 0 ? edited : g.tree->FocusedColumnIndex()))
        h(c);
}
void storeLayout(Grid &g)
{
    QTemporaryDir dir;
    g.tree->SaveToIniFile(dir.filePath("l.ini"));
}
void restoreLayout(Grid &g)
{
    QTemporaryDir dir;
    const auto hook = std::exchange(g.tree->onLayoutColumn, {});
    g.column("F")->SetIndex(0);
    g.tree->SaveToIniFile(dir.filePath("l.ini"));
    g.tree->onLayoutColumn = hook;
    g.column("A")->SetIndex(0);
    if (g.tree)
        g.tree->LoadFromIniFile(dir.filePath("l.ini"));
}
void placeB(Grid &g)
{
    g.tree->HideColumn(g.column("B"));
    if (g.tree)
        g.tree->PlaceColumn(g.column("B"), 2, 0, 0);
}
void showQ(Grid &g)
{
    g.tree->HideBand(1);
    if (g.tree)
        g.tree->ShowBand(1, 0);
}
void deleteN0(Grid &g)
{
    g.tree->Items(0)->Delete();
}
void focusN1(Grid &g)
{
    g.tree->SetFocusedNode(g.tree->Items(0));
    if (g.tree)
        g.tree->SetFocusedNode(g.tree->Items(1));
}
void clearNodes(Grid &g)
{
    g.tree->ClearNodes();
}
void expandAllBelow(Grid &g)
{
    g.node("n0a1", g.tree->Items(0)->Items(0));
    g.node("n0b1", g.tree->Items(0)->Items(1));
    g.tree->Items(0)->SetExpanded(false);
    if (g.tree)
        g.tree->Items(0)->Expand(true);
}
void collapseExpand(Grid &g)
{
    g.tree->Items(0)->SetExpanded(false);
    if (g.tree)
        g.tree->Items(0)->SetExpanded(true);
}

template <typename Signature>
using Fn = std::function<Signature>;
using TObj = classes::TObject;
using Col = TdxTreeListColumn;
using Bnd = TdxTreeListBand;
using Nd = TdxTreeListNode;

Fn<void(TObj *, Col *, bool &)> onColumnAllow(Handler h)
{
    return [h](TObj *, Col *c, bool &) { h(c); };
}
Fn<void(TObj *, Col *)> onColumn(Handler h)
{
    return [h](TObj *, Col *c) { h(c); };
}
Fn<void(TObj *, Bnd *, bool &)> onBandAllow(Handler h)
{
    return [h](TObj *, Bnd *b, bool &) { h(b); };
}
Fn<void(TObj *, Bnd *)> onBand(Handler h)
{
    return [h](TObj *, Bnd *b) { h(b); };
}
Fn<void(TObj *, Nd *, bool &)> onNodeAllow(Handler h)
{
    return [h](TObj *, Nd *n, bool &) { h(n); };
}
Fn<void(TObj *, Nd *)> onNode(Handler h)
{
    return [h](TObj *, Nd *n) { h(n); };
}

const std::vector<Event> &events()
{
    using S = Sender;
    static const std::vector<Event> list = {
        // Dragging columns.
        {"OnCanColumnDrag", S::Column, [](Grid &g, Handler h) { g.tree->OnCanColumnDrag = onColumnAllow(h); },
         dragBIntoR},
        {"OnDragOverColumn", S::Column, [](Grid &g, Handler h) { g.tree->OnDragOverColumn = onColumnAllow(h); },
         dragBIntoR},
        {"OnEndDragColumn", S::Column,
         [](Grid &g, Handler h) { g.tree->OnEndDragColumn = [h](TObj *, Col *c, int, int, int, bool &) { h(c); }; },
         dragBIntoR},
        {"OnMoveColumn", S::Column, [](Grid &g, Handler h) { g.tree->OnMoveColumn = onColumn(h); }, dragBIntoR},
        {"OnEndDragColumn outside", S::Column,
         [](Grid &g, Handler h) { g.tree->OnEndDragColumn = [h](TObj *, Col *c, int, int, int, bool &) { h(c); }; },
         dragBOut},
        {"OnHideColumn", S::Column, [](Grid &g, Handler h) { g.tree->OnHideColumn = onColumn(h); }, dragBOut},
        {"OnPlaceColumn", S::Column, [](Grid &g, Handler h) { g.tree->OnPlaceColumn = onColumn(h); }, placeB},
        // Sorting.
        {"OnCanSort", S::Column, [](Grid &g, Handler h) { g.tree->OnCanSort = onColumnAllow(h); }, clickB},
        {"before-sort hook", S::Column, [](Grid &g, Handler h) { g.tree->onBeforeSort = h; }, clickB},
        {"OnColumnClick", S::Column, [](Grid &g, Handler h) { g.tree->OnColumnClick = onColumn(h); }, clickB},
        {"OnCompare", S::Node,
         [](Grid &g, Handler h) { g.tree->OnCompare = [h](TObj *, Nd *a, Nd *, int &) { h(a); }; }, clickB},
        // Sizing.
        {"OnBeginColumnSizing", S::Column, [](Grid &g, Handler h) { g.tree->OnBeginColumnSizing = onColumn(h); },
         sizeA},
        {"OnColumnSized", S::Column, [](Grid &g, Handler h) { g.tree->OnColumnSized = onColumn(h); }, sizeA},
        // Editing.
        {"OnCanEdit", S::Node, [](Grid &g, Handler h) { g.tree->OnCanEdit = onNodeAllow(h); }, editC},
        {"OnEditChange", S::Column, [](Grid &g, Handler h) { g.tree->OnEditChange = onColumn(h); }, editC},
        {"column OnChange", S::Column,
         [](Grid &g, Handler h) {
             for (int i = 0; i < g.tree->ColumnCount(); ++i)
                 g.tree->Columns(i)->OnChange.Set([h](TObj *c) {
                     // The column may free itself, and this handler with it.
                     const Handler keep = h;
                     keep(static_cast<Col *>(c));
                 });
         },
         editC},
        {"OnEditValidate", S::Column,
         [](Grid &g, Handler h) { g.tree->OnEditValidate = [h](TObj *, Col *c, QString &, bool &) { h(c); }; }, editC},
        {"column OnValidate", S::Column,
         [](Grid &g, Handler h) {
             for (int i = 0; i < g.tree->ColumnCount(); ++i)
                 g.tree->Columns(i)->OnValidate.Set([h](TObj *c, QString &, bool &) {
                     const Handler keep = h;
                     keep(static_cast<Col *>(c));
                 });
         },
         editC},
        {"OnNodeChanged", S::Node, [](Grid &g, Handler h) { g.tree->OnNodeChanged = onNode(h); }, editC},
        // Keys typed into the editor: what the grid hears of them, and what
        // the editor tells its column.
        {"OnEditKeyDown", S::Column,
         [](Grid &g, Handler h) {
             g.tree->OnEditKeyDown = [&g, h](TObj *, TKey &, TShiftState) { aboutEdited(g, h); };
         },
         keysC},
        {"OnKeyPress", S::Column,
         [](Grid &g, Handler h) { g.tree->OnKeyPress.Set([&g, h](TObj *, TChar &) { aboutEdited(g, h); }); }, keysC},
        {"OnKeyDown", S::Column,
         [](Grid &g, Handler h) { g.tree->OnKeyDown.Set([&g, h](TObj *, TKey &, TShiftState) { aboutEdited(g, h); }); },
         keysC},
        {"OnEditChange typed", S::Column, [](Grid &g, Handler h) { g.tree->OnEditChange = onColumn(h); }, keysC},
        {"OnEditValidate on Enter", S::Column,
         [](Grid &g, Handler h) { g.tree->OnEditValidate = [h](TObj *, Col *c, QString &, bool &) { h(c); }; }, keysC},
        {"column OnValidate on Enter", S::Column,
         [](Grid &g, Handler h) {
             for (int i = 0; i < g.tree->ColumnCount(); ++i)
                 g.tree->Columns(i)->OnValidate.Set([h](TObj *c, QString &, bool &) {
                     const Handler keep = h;
                     keep(static_cast<Col *>(c));
                 });
         },
         keysC},
        // Storing and restoring a layout.
        {"column layout stored", S::Column, [](Grid &g, Handler h) { g.tree->onLayoutColumn = h; }, storeLayout},
        {"column layout restored", S::Column, [](Grid &g, Handler h) { g.tree->onLayoutColumn = h; }, restoreLayout},
        // Dragging, sizing and clicking bands.
        {"OnCanBandDrag", S::Band, [](Grid &g, Handler h) { g.tree->OnCanBandDrag = onBandAllow(h); }, dragQOntoP},
        {"OnDragOverBand", S::Band, [](Grid &g, Handler h) { g.tree->OnDragOverBand = onBandAllow(h); }, dragQOntoP},
        {"OnEndDragBand", S::Band,
         [](Grid &g, Handler h) { g.tree->OnEndDragBand = [h](TObj *, Bnd *b, int, bool &) { h(b); }; }, dragQOntoP},
        {"OnMoveBand", S::Band, [](Grid &g, Handler h) { g.tree->OnMoveBand = onBand(h); }, dragQOntoP},
        {"OnEndDragBand outside", S::Band,
         [](Grid &g, Handler h) { g.tree->OnEndDragBand = [h](TObj *, Bnd *b, int, bool &) { h(b); }; }, dragQOut},
        {"OnHideBand", S::Band, [](Grid &g, Handler h) { g.tree->OnHideBand = onBand(h); }, dragQOut},
        {"OnShowBand", S::Band, [](Grid &g, Handler h) { g.tree->OnShowBand = onBand(h); }, showQ},
        {"OnBandClick", S::Band, [](Grid &g, Handler h) { g.tree->OnBandClick = onBand(h); }, clickQ},
        {"OnBeginBandSizing", S::Band, [](Grid &g, Handler h) { g.tree->OnBeginBandSizing = onBand(h); }, sizeQ},
        {"OnBandSized", S::Band, [](Grid &g, Handler h) { g.tree->OnBandSized = onBand(h); }, sizeQ},
        // Deleting, focusing, collapsing nodes.
        {"OnDeletion", S::Node, [](Grid &g, Handler h) { g.tree->OnDeletion = onNode(h); }, deleteN0},
        {"OnChangeNode", S::Node, [](Grid &g, Handler h) { g.tree->OnChangeNode = [h](TObj *, Nd *, Nd *n) { h(n); }; },
         focusN1},
        {"OnCollapsing", S::Node, [](Grid &g, Handler h) { g.tree->OnCollapsing = onNodeAllow(h); }, collapseExpand},
        {"OnCollapsed", S::Node, [](Grid &g, Handler h) { g.tree->OnCollapsed = onNode(h); }, collapseExpand},
        {"OnExpanding", S::Node, [](Grid &g, Handler h) { g.tree->OnExpanding = onNodeAllow(h); }, collapseExpand},
        {"OnExpanded", S::Node, [](Grid &g, Handler h) { g.tree->OnExpanded = onNode(h); }, collapseExpand},
        // The same in the loops over many nodes.
        {"OnDeletion, all nodes", S::Node, [](Grid &g, Handler h) { g.tree->OnDeletion = onNode(h); }, clearNodes},
        {"OnExpanding, all below", S::Node, [](Grid &g, Handler h) { g.tree->OnExpanding = onNodeAllow(h); },
         expandAllBelow},
        {"OnExpanded, all below", S::Node, [](Grid &g, Handler h) { g.tree->OnExpanded = onNode(h); }, expandAllBelow},
    };
    return list;
}

// Each run goes to its end; the grid is whole afterwards (it lays out, edits
// and drags again). The sanitizer build reports any read of what went.
TEST(TreeListHandlerSweep, EveryEventWithEveryVictimRunsToItsEnd)
{
    int combinations = 0;
    for (const Event &event : events()) {
        int heard = 0;
        for (const Victim &victim : victims()) {
            if (victim.sender != Sender::Any && victim.sender != event.sender)
                continue;
            SCOPED_TRACE(std::string(event.name) + ", " + victim.name);
            if (qEnvironmentVariableIsSet("ZVO_SWEEP_TRACE"))
                std::fprintf(stderr, "%s, %s\n", event.name, victim.name);
            // Before the grid: its handlers run while it goes.
            bool done = false;
            bool acted = false;
            Grid g;
            Grid *grid = &g;
            event.set(g, [&, grid](void *sender) {
                // The grid may take this handler along: what it uses is
                // taken from it first.
                int &count = heard;
                bool &hasActed = acted;
                const Victim &v = victim;
                ++count;
                if (!std::exchange(done, true))
                    hasActed = v.act(*grid, sender);
            });
            event.run(g);
            combinations += acted ? 1 : 0;
            if (!g.tree)
                continue;
            g.tree->EndEditing();
            TdxTreeListLayoutInfo info;
            g.tree->CalcLayout(info);
            EXPECT_NE(g.tree->State(), tsColumnDragging);
            EXPECT_NE(g.tree->State(), tsBandDragging);
            // The grid goes on working.
            if (g.tree->ColumnCount() > 0 && g.tree->Count() > 0) {
                g.tree->SetFocusedNode(g.tree->Items(0));
                g.tree->SetFocusedColumn(0);
                if (g.tree->ShowEditor())
                    g.tree->EndEditing();
            }
        }
        EXPECT_GT(heard, 0) << event.name << " was never called";
    }
    RecordProperty("combinations", combinations);
    EXPECT_GT(combinations, 150);
}

} // namespace handlertest
