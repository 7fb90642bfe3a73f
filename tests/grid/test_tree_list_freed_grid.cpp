// A handler of the grid's own events that frees the grid (a form closing
// from its OnClick, say): the routine that called it stops there and reads
// nothing of what went. The sanitizer build reports any read.

#include "ControlFixture.h"
#include "CoreFakes.h"

#include "grid/core/TreeListBands.h"
#include "grid/core/TreeListHooks.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace grid;

namespace freedgrid {

class FreedControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsNewItemRowShown() override { return true; }
    std::function<void()> onAppend;

protected:
    TdxTreeListNode *AppendNewItemNode() override
    {
        const TreeListAlive self = AliveToken();
        if (onAppend)
            onAppend();
        return self.expired() ? nullptr : TCustomdxTreeListControl::AppendNewItemNode();
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

// Band P with columns A and B, band Q with column C; n0 (collapsed, with
// child n0a), n1 (focused), n2; the new item row shown above them; cell
// focus, editing on.
struct Grid
{
    Grid()
    {
        tree->SetHost(&host);
        host.focused = true;
        tree->SetOptionsA((tree->OptionsA() | 1u << aoEditing | 1u << aoColumnDragging | 1u << aoColumnSizing) &
                          ~(1u << aoRowFocus));
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boIncrementalSearch | 1u << boImmediateEditor | 1u << boWidthFit));
        TreeListSettings settings = tree->Settings();
        settings.ShowBands = true;
        tree->SetSettings(settings);
        tree->Bands()->Add();
        for (TdxTreeListBand *band : {tree->Bands()->Items(0), tree->Bands()->Items(1)}) {
            band->SetMinWidth(0);
            band->SetWidth(band->Index() == 0 ? 240 : 120);
        }
        for (const char *caption : {"A", "B", "C"}) {
            auto *c = tree->CreateColumn(TdxTreeListColumn::StaticClass());
            c->SetCaption(caption);
            c->SetMinWidth(20);
            c->SetWidth(120);
            c->SetBandIndex(tree->ColumnCount() / 3);
        }
        for (const char *name : {"n0", "n1", "n2"})
            nodes.push_back(add(tree->Add(), name));
        add(nodes[0]->AddChild(), "n0a");
        tree->SetClientRect(rtl::Rect(0, 0, 400, 300));
        tree->CalcMetrics();
        tree->SetFocusedNode(nodes[1]);
    }
    TdxTreeListNode *add(TdxTreeListNode *n, const QString &name)
    {
        tree->SetNodeString(n, 0, name + "A");
        tree->SetNodeString(n, 1, name + "B");
        return n;
    }
    // The first point whose hit has the code, the node (any when null) and
    // the column (any when -1).
    rtl::TPoint at(uint8_t code, TdxTreeListNode *node = nullptr, int column = -1) const
    {
        for (int y = 0; y < 300; y += 2)
            for (int x = 0; x < 400; x += 2) {
                const TdxTreeListHitInfo hit = tree->HitTest(x, y);
                if (hit.HitCode == code && (!node || hit.Node == node) && (column < 0 || hit.ColumnIndex == column))
                    return {x, y};
            }
        ADD_FAILURE() << "no point with hit code " << int(code);
        return {0, 0};
    }

    EditorHost host;
    std::unique_ptr<FreedControl> tree = std::make_unique<FreedControl>(nullptr);
    std::vector<TdxTreeListNode *> nodes;
};

using Free = std::function<void()>;
using TObj = classes::TObject;

// Runs a handler's free from a copy: the handler goes with the grid.
void call(const Free &f)
{
    const Free keep = f;
    keep();
}

// A press and its release; the release only while the grid is there.
void click(Grid &g, rtl::TPoint p, TShiftState shift = 0)
{
    FreedControl *t = g.tree.get();
    t->MouseDown(mbLeft, shift | ssLeft, p.X, p.Y);
    if (g.tree)
        t->MouseUp(mbLeft, shift, p.X, p.Y);
}

// A press, two moves and a release, each while the grid is there.
void drag(Grid &g, rtl::TPoint from, rtl::TPoint to)
{
    FreedControl *t = g.tree.get();
    t->MouseDown(mbLeft, ssLeft, from.X, from.Y);
    for (const rtl::TPoint p : {rtl::TPoint{from.X + 8, from.Y}, to})
        if (g.tree)
            t->MouseMove(ssLeft, p.X, p.Y);
    if (g.tree)
        t->MouseUp(mbLeft, 0, to.X, to.Y);
}

// The focused cell's editor, holding a changed text.
void edit(Grid &g)
{
    ASSERT_TRUE(g.tree->ShowEditor());
    auto *editor = static_cast<gridtest::FakeEditor *>(g.tree->Editor());
    editor->text = "typed";
    editor->SetModified(true);
    editor->Change();
}

struct Event
{
    const char *name;
    // Sets the handler, and the state the run needs.
    std::function<void(Grid &, Free)> set;
    std::function<void(Grid &)> run;
};

const std::vector<Event> &events()
{
    auto cellOf = [](int node) { return [node](Grid &g) { click(g, g.at(htCell, g.nodes[node], 0)); }; };
    auto key = [](TKey code) {
        return [code](Grid &g) {
            TKey k = code;
            g.tree->KeyDown(k, 0);
        };
    };
    auto type = [](TChar ch) {
        return [ch](Grid &g) {
            TChar c = ch;
            g.tree->KeyPress(c);
        };
    };
    auto onNode = [](Free f) { return [f](TObj *, TdxTreeListNode *) { call(f); }; };
    auto onAllow = [](Free f) { return [f](TObj *, TdxTreeListNode *, bool &) { call(f); }; };
    auto onChange = [](Free f) { return [f](TObj *, TdxTreeListNode *, TdxTreeListNode *) { call(f); }; };
    auto onColumn = [](Free f) { return [f](TObj *, TdxTreeListColumn *) { call(f); }; };
    auto onColumnAllow = [](Free f) { return [f](TObj *, TdxTreeListColumn *, bool &) { call(f); }; };
    auto clickHeaderA = [](Grid &g) { click(g, g.at(htColumnHeader, nullptr, 0)); };
    auto sizeA = [](Grid &g) {
        const rtl::TPoint edge = g.at(htColumnEdge, nullptr, 0);
        drag(g, edge, {edge.X + 30, edge.Y});
    };
    auto dragA = [](Grid &g) {
        const rtl::TPoint b = g.at(htColumnHeader, nullptr, 1);
        drag(g, g.at(htColumnHeader, nullptr, 0), {b.X + 60, b.Y});
    };
    auto onBand = [](Free f) { return [f](TObj *, TdxTreeListBand *) { call(f); }; };
    auto sizeBand = [](Grid &g) {
        const rtl::TPoint edge = g.at(htBandEdge);
        drag(g, edge, {edge.X + 30, edge.Y});
    };
    auto immediate = [](Grid &g) { g.tree->SetOptionsB(g.tree->OptionsB() | 1u << boImmediateEditor); };
    auto focusN0 = [](Grid &g) { g.tree->SetFocusedNode(g.nodes[0]); };
    static const std::vector<Event> list = {
        {"OnMouseDown",
         [](Grid &g, Free f) {
             g.tree->OnMouseDown.Set([f](TObj *, TMouseButton, TShiftState, int, int) { call(f); });
         },
         cellOf(2)},
        {"OnMouseUp",
         [](Grid &g, Free f) { g.tree->OnMouseUp.Set([f](TObj *, TMouseButton, TShiftState, int, int) { call(f); }); },
         cellOf(2)},
        {"OnClick on a cell", [](Grid &g, Free f) { g.tree->OnClick.Set([f](TObj *) { call(f); }); }, cellOf(2)},
        {"OnClick on the new item row", [](Grid &g, Free f) { g.tree->OnClick.Set([f](TObj *) { call(f); }); },
         [](Grid &g) { click(g, g.at(htNewItemRow, nullptr, 0)); }},
        {"OnDblClick", [](Grid &g, Free f) { g.tree->OnDblClick.Set([f](TObj *) { call(f); }); },
         [](Grid &g) {
             const rtl::TPoint p = g.at(htCell, g.nodes[1], 0);
             click(g, p);
             if (g.tree)
                 click(g, p, ssDouble);
         }},
        {"OnChangeNode by a press", [=](Grid &g, Free f) { g.tree->OnChangeNode = onChange(f); }, cellOf(2)},
        {"OnChangeNode by a key", [=](Grid &g, Free f) { g.tree->OnChangeNode = onChange(f); }, key(VK_DOWN)},
        {"OnChangeNode on entering",
         [=](Grid &g, Free f) {
             g.tree->SetFocusedNode(nullptr);
             g.tree->OnChangeNode = onChange(f);
         },
         [](Grid &g) { g.tree->FocusEntered(); }},
        {"OnSelectionChanged by a press",
         [](Grid &g, Free f) {
             g.tree->SetOptionsA(g.tree->OptionsA() | 1u << aoMultiSelect);
             g.tree->OnSelectionChanged = [f](TObj *) { call(f); };
         },
         cellOf(2)},
        {"OnCanSelectNode by a press",
         [=](Grid &g, Free f) {
             g.tree->SetOptionsA(g.tree->OptionsA() | 1u << aoMultiSelect);
             g.tree->OnCanSelectNode = onAllow(f);
         },
         cellOf(2)},
        {"OnCanSelectNode by Shift+Down",
         [=](Grid &g, Free f) {
             g.tree->SetOptionsA(g.tree->OptionsA() | 1u << aoMultiSelect);
             g.tree->OnCanSelectNode = onAllow(f);
         },
         [](Grid &g) {
             TKey k = VK_DOWN;
             g.tree->KeyDown(k, ssShift);
         }},
        {"OnKeyDown", [](Grid &g, Free f) { g.tree->OnKeyDown.Set([f](TObj *, TKey &, TShiftState) { call(f); }); },
         key(VK_DOWN)},
        {"OnKeyPress", [](Grid &g, Free f) { g.tree->OnKeyPress.Set([f](TObj *, TChar &) { call(f); }); }, type('x')},
        {"OnExpanding by the button", [=](Grid &g, Free f) { g.tree->OnExpanding = onAllow(f); },
         [](Grid &g) { click(g, g.at(htButton, g.nodes[0])); }},
        {"OnExpanding by '+'",
         [=](Grid &g, Free f) {
             focusN0(g);
             g.tree->OnExpanding = onAllow(f);
         },
         type('+')},
        {"OnExpanded by '*'",
         [=](Grid &g, Free f) {
             focusN0(g);
             g.tree->OnExpanded = onNode(f);
         },
         type('*')},
        {"OnCollapsing by '-'",
         [=](Grid &g, Free f) {
             focusN0(g);
             g.nodes[0]->SetExpanded(true);
             g.tree->OnCollapsing = onAllow(f);
         },
         type('-')},
        {"OnCanEdit by F2", [=](Grid &g, Free f) { g.tree->OnCanEdit = onAllow(f); }, key(VK_F2)},
        {"OnCanEdit by Enter",
         [=](Grid &g, Free f) {
             immediate(g);
             g.tree->SetOptionsB(g.tree->OptionsB() | 1u << boEnterMovesOn);
             g.tree->OnCanEdit = onAllow(f);
         },
         key(VK_RETURN)},
        {"OnCanEdit by a typed character",
         [=](Grid &g, Free f) {
             immediate(g);
             g.tree->OnCanEdit = onAllow(f);
         },
         type('x')},
        {"OnCanEdit by a press on the focused cell",
         [=](Grid &g, Free f) {
             g.tree->SetOptionsB(g.tree->OptionsB() | 1u << boEditorOption);
             g.tree->OnCanEdit = onAllow(f);
         },
         cellOf(1)},
        {"OnCanEdit by the delayed edit",
         [=](Grid &g, Free f) {
             click(g, g.at(htCell, g.nodes[1], 0));
             g.tree->OnCanEdit = onAllow(f);
         },
         [](Grid &g) { g.host.fire(*g.tree, TCustomdxTreeList::DelayedEditTimer); }},
        {"OnCanEdit by a click after moving",
         [=](Grid &g, Free f) {
             g.tree->SetOptionsA(g.tree->OptionsA() | 1u << aoClickToDblClick);
             g.tree->OnCanEdit = onAllow(f);
         },
         cellOf(2)},
        {"append hook of the new item row",
         [](Grid &g, Free f) {
             g.tree->SetFocusedNode(nullptr);
             g.tree->onAppend = [f] { call(f); };
         },
         [](Grid &g) { click(g, g.at(htNewItemRow, nullptr, 1)); }},
        {"OnEditValidate on a right press",
         [](Grid &g, Free f) {
             edit(g);
             g.tree->OnEditValidate = [f](TObj *, TdxTreeListColumn *, QString &, bool &) { call(f); };
         },
         [](Grid &g) {
             const rtl::TPoint p = g.at(htCell, g.nodes[1], 0);
             g.tree->MouseDown(mbRight, ssRight, p.X, p.Y);
         }},
        {"OnEditValidate on leaving",
         [](Grid &g, Free f) {
             edit(g);
             g.tree->OnEditValidate = [f](TObj *, TdxTreeListColumn *, QString &, bool &) { call(f); };
         },
         [](Grid &g) { g.tree->FocusLeft(false); }},
        {"OnEditValidate by Down",
         [](Grid &g, Free f) {
             edit(g);
             g.tree->OnEditValidate = [f](TObj *, TdxTreeListColumn *, QString &, bool &) { call(f); };
         },
         key(VK_DOWN)},
        {"OnNodeChanged by Down",
         [=](Grid &g, Free f) {
             edit(g);
             g.tree->OnNodeChanged = onNode(f);
         },
         key(VK_DOWN)},
        {"OnCanSort", [=](Grid &g, Free f) { g.tree->OnCanSort = onColumnAllow(f); }, clickHeaderA},
        {"OnCompare",
         [](Grid &g, Free f) {
             g.tree->OnCompare = [f](TObj *, TdxTreeListNode *, TdxTreeListNode *, int &) { call(f); };
         },
         clickHeaderA},
        {"OnBeginColumnSizing", [=](Grid &g, Free f) { g.tree->OnBeginColumnSizing = onColumn(f); }, sizeA},
        {"OnColumnSized", [=](Grid &g, Free f) { g.tree->OnColumnSized = onColumn(f); }, sizeA},
        {"OnCanColumnDrag", [=](Grid &g, Free f) { g.tree->OnCanColumnDrag = onColumnAllow(f); }, dragA},
        {"OnDragOverColumn", [=](Grid &g, Free f) { g.tree->OnDragOverColumn = onColumnAllow(f); }, dragA},
        {"OnEndDragColumn",
         [](Grid &g, Free f) {
             g.tree->OnEndDragColumn = [f](TObj *, TdxTreeListColumn *, int, int, int, bool &) { call(f); };
         },
         dragA},
        {"OnMoveColumn", [=](Grid &g, Free f) { g.tree->OnMoveColumn = onColumn(f); }, dragA},
        {"OnBandClick", [=](Grid &g, Free f) { g.tree->OnBandClick = onBand(f); },
         [](Grid &g) { click(g, g.at(htBandHeader)); }},
        {"OnBeginBandSizing", [=](Grid &g, Free f) { g.tree->OnBeginBandSizing = onBand(f); }, sizeBand},
        {"OnBandSized", [=](Grid &g, Free f) { g.tree->OnBandSized = onBand(f); }, sizeBand},
        {"OnColumnClick",
         [](Grid &g, Free f) { g.tree->OnColumnClick = [f](TObj *, TdxTreeListColumn *) { call(f); }; },
         [](Grid &g) { click(g, g.at(htColumnHeader, nullptr, 0)); }},
    };
    return list;
}

// Each handler frees the grid; the run ends without reading it. Some runs
// call the handler once the grid has gone only in a faulty build: it is
// called at most once.
TEST(TreeListFreedGrid, EveryEventsHandlerMayFreeTheGrid)
{
    int combinations = 0;
    for (const Event &event : events()) {
        SCOPED_TRACE(event.name);
        if (qEnvironmentVariableIsSet("ZVO_SWEEP_TRACE"))
            std::fprintf(stderr, "%s\n", event.name);
        Grid g;
        int heard = 0;
        Grid *grid = &g;
        event.set(g, [grid, &heard] {
            ++heard;
            grid->tree.reset();
        });
        event.run(g);
        EXPECT_EQ(heard, 1) << event.name;
        EXPECT_EQ(g.tree, nullptr) << event.name;
        combinations += heard == 1 ? 1 : 0;
    }
    RecordProperty("combinations", combinations);
}

// The window of a grid whose handler lets the grid go (detached from the
// window, then freed) while the window dispatches the user's input.
struct WindowGrid
{
    WindowGrid()
    {
        widget = std::make_unique<TreeListWidget>(g.tree.get());
        widget->resize(400, 300);
        g.tree->SetFocusedNode(g.nodes[1]);
    }
    ~WindowGrid()
    {
        widget.reset();
        g.tree.reset();
    }
    Free letGo()
    {
        return [this] {
            ++heard;
            widget->setTreeList(nullptr);
            g.tree.reset();
        };
    }
    Grid g;
    std::unique_ptr<TreeListWidget> widget;
    int heard = 0;
};

TEST(TreeListFreedGrid, TheWindowStopsWhenAHandlerLetsItsGridGo)
{
    {
        // A composition that opens the editor, whose can-edit handler lets
        // the grid go.
        WindowGrid w;
        w.g.tree->SetOptionsB(w.g.tree->OptionsB() | 1u << boImmediateEditor);
        w.g.tree->OnCanEdit = [f = w.letGo()](TObj *, TdxTreeListNode *, bool &) { call(f); };
        QInputMethodEvent compose(QStringLiteral("k"), {});
        QApplication::sendEvent(w.widget.get(), &compose);
        EXPECT_EQ(w.heard, 1);
        EXPECT_EQ(w.widget->treeList(), nullptr);
    }
    {
        // A key whose handler lets the grid go.
        WindowGrid w;
        w.g.tree->OnKeyDown.Set([f = w.letGo()](TObj *, TKey &, TShiftState) { call(f); });
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(w.widget.get(), &press);
        EXPECT_EQ(w.heard, 1);
    }
    {
        // A click whose handler lets the grid go.
        WindowGrid w;
        w.g.tree->OnClick.Set([f = w.letGo()](TObj *) { call(f); });
        const rtl::TPoint p = w.g.at(htCell, w.g.nodes[2], 0);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(p.X, p.Y), QPointF(p.X, p.Y), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.widget->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p.X, p.Y), QPointF(p.X, p.Y), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w.widget->viewport(), &release);
        EXPECT_EQ(w.heard, 1);
    }
    {
        // A click whose handler frees the grid without letting it go
        // first: the window lets go of it on its own.
        WindowGrid w;
        w.g.tree->OnClick.Set([&w](TObj *) {
            ++w.heard;
            w.g.tree.reset();
        });
        const rtl::TPoint p = w.g.at(htCell, w.g.nodes[2], 0);
        QTest::mouseClick(w.widget->viewport(), Qt::LeftButton, {}, QPoint(p.X, p.Y));
        EXPECT_EQ(w.heard, 1);
        EXPECT_EQ(w.widget->treeList(), nullptr);
    }
}

} // namespace freedgrid
