// Handlers that free or move the column, band or node the tree list calls
// them about, or its band, or the next one: every routine that called them
// goes on with what is left, and nothing reads what went.

#include "ControlFixture.h"
#include "CoreFakes.h"

#include "grid/core/TreeListBands.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

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

class EditorHost : public gridtest::FakeTreeListHost
{
public:
    InplaceEditor *createEditor(const QString &, TCustomdxContainer *owner) override
    {
        return new gridtest::FakeEditor(owner);
    }
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
    // The first client point whose hit satisfies the test; (-1, -1) for none.
    rtl::TPoint find(const std::function<bool(const TdxTreeListHitInfo &)> &test)
    {
        tree->CalcMetrics();
        for (int y = 0; y < 120; ++y)
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
        tree->MouseDown(mbLeft, 0, from.X, from.Y);
        tree->MouseMove(ssLeft, from.X + 8, from.Y);
        tree->MouseMove(ssLeft, to.X, to.Y);
        tree->MouseUp(mbLeft, 0, to.X, to.Y);
    }
    gridtest::FakeEditor *editor() const { return static_cast<gridtest::FakeEditor *>(tree->Editor()); }
    // Opens the editor over the column's cell of the first node and types.
    void type(TdxTreeListColumn *c, const QString &text)
    {
        tree->SetFocusedNode(tree->Items(1));
        tree->SetFocusedColumn(tree->PositionOfColumn(c->Index()));
        ASSERT_TRUE(tree->ShowEditor());
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

} // namespace handlertest
