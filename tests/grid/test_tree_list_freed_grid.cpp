// A handler of the grid's own events that frees the grid (a form closing
// from its OnClick, say): the routine that called it stops there and reads
// nothing of what went. The sanitizer build reports any read.

#include "CallOutSweeps.h"
#include "ControlFixture.h"
#include "CoreFakes.h"

#include "grid/core/TreeListBands.h"
#include "grid/core/TreeListHooks.h"
#include "grid/widgets/TreeListWidget.h"

#include "tests/support/CallOutSites.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace grid;

namespace freedgrid {

class FreedControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsNewItemRowShown() override { return true; }
    // Node cells hot under the pointer, so that it asks for their cursor.
    bool ColumnCellHotTrack(int) override { return hotCells; }
    std::function<void()> onAppend;
    bool hotCells = false;

protected:
    TdxTreeListNode *AppendNewItemNode() override
    {
        const TreeListAlive self = AliveToken();
        if (onAppend)
            onAppend();
        return self.expired() ? nullptr : TCustomdxTreeListControl::AppendNewItemNode();
    }
};

using EditorHost = gridtest::FakeEditorHost;

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
    auto search = [](Grid &g) { g.tree->SetOptionsB(g.tree->OptionsB() | 1u << boIncrementalSearch); };
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
        {"OnEditValidate on a press, the editor without the focus",
         [](Grid &g, Free f) {
             edit(g);
             static_cast<gridtest::FakeEditor *>(g.tree->Editor())->focused = false;
             g.tree->OnEditValidate = [f](TObj *, TdxTreeListColumn *, QString &, bool &) { call(f); };
         },
         cellOf(2)},
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
        {"OnChangeNode by StartSearch",
         [=](Grid &g, Free f) {
             search(g);
             g.tree->OnChangeNode = onChange(f);
         },
         [](Grid &g) { g.tree->StartSearch(0, QStringLiteral("n2")); }},
        {"OnChangeNode by a typed search key",
         [=](Grid &g, Free f) {
             search(g);
             g.tree->OnChangeNode = onChange(f);
         },
         [](Grid &g) {
             // The first character matches the focused node, the second
             // the next one.
             for (TChar ch : {TChar('n'), TChar('2')})
                 if (g.tree)
                     g.tree->KeyPress(ch);
         }},
        {"OnExpanding by the search's MakeVisible",
         [=](Grid &g, Free f) {
             search(g);
             g.tree->OnExpanding = onAllow(f);
         },
         [](Grid &g) { g.tree->StartSearch(0, QStringLiteral("n0aa")); }},
        {"OnHotTrackCursor by a move",
         [](Grid &g, Free f) {
             g.tree->hotCells = true;
             g.tree->SetOptionsB(g.tree->OptionsB() | 1u << boHotTrack);
             g.tree->OnHotTrackCursor = [f](TObj *, TdxTreeListNode *, int, TCursor &) { call(f); };
         },
         [](Grid &g) {
             const rtl::TPoint p = g.at(htCell, g.nodes[2], 0);
             g.tree->MouseMove(0, p.X, p.Y);
         }},
        {"OnGetEditColor by F2",
         [](Grid &g, Free f) { g.tree->OnGetEditColor = [f](TObj *, rtl::TColor &) { call(f); }; }, key(VK_F2)},
        {"OnCanEditNewItemRow by F2",
         [](Grid &g, Free f) {
             click(g, g.at(htNewItemRow, nullptr, 0));
             g.tree->OnCanEditNewItemRow = [f](TObj *, bool &) { call(f); };
         },
         key(VK_F2)},
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
        const rtl::TPoint c = g.at(htCell, g.nodes[2], 0);
        cell = {c.X, c.Y};
        const rtl::TPoint f = g.at(htCell, g.nodes[1], 0);
        focusedCell = {f.X, f.Y};
    }
    // The keyboard focus on the window, as a user's click leaves it.
    void focus()
    {
        widget->activateWindow();
        QApplication::setActiveWindow(widget.get());
        widget->setFocus();
        (void)QTest::qWaitFor([this] { return widget->hasFocus(); }, 1000);
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
    QPoint cell;        // n2's cell of column A
    QPoint focusedCell; // n1's
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

// OnDeletion freeing the grid, while a node, a branch, a child or all nodes
// go. The grid tells of the nodes it frees itself on its way out too.
TEST(TreeListFreedGrid, OnDeletionMayFreeTheGrid)
{
    const std::vector<std::pair<const char *, std::function<void(Grid &)>>> runs = {
        {"a node", [](Grid &g) { g.nodes[2]->Delete(); }},
        {"a branch", [](Grid &g) { g.nodes[0]->Delete(); }},
        {"a child", [](Grid &g) { g.nodes[0]->Items(0)->Delete(); }},
        {"all nodes", [](Grid &g) { g.tree->ClearNodes(); }},
    };
    for (const auto &[name, run] : runs) {
        SCOPED_TRACE(name);
        Grid g;
        std::vector<TdxTreeListNode *> told;
        Grid *grid = &g;
        g.tree->OnDeletion = [grid, &told](TObj *, TdxTreeListNode *node) {
            told.push_back(node);
            grid->tree.reset();
        };
        run(g);
        EXPECT_EQ(g.tree, nullptr);
        // Every node is told of once, whoever freed it; what a clearing had
        // taken out when the grid went is freed untold, the grid gone.
        std::sort(told.begin(), told.end());
        EXPECT_EQ(std::adjacent_find(told.begin(), told.end()), told.end());
        EXPECT_EQ(told.size(), std::string(name) == "all nodes" ? 1u : 4u);
    }
}

// The window's Qt events, each with the grid freed before it comes and
// with a handler it reaches freeing the grid without letting it go: the
// window reads nothing of the grid then, and paints, sizes and takes the
// focus afterwards as a window without one.
struct WindowEntry
{
    const char *site;
    // Sets a handler the event reaches to the free; none where the event
    // reaches no handler of the grid's.
    std::function<void(WindowGrid &, Free)> set;
    std::function<void(WindowGrid &)> run;
};

// The focused cell's editor of the window, holding a changed text.
void editIn(WindowGrid &w)
{
    ASSERT_TRUE(w.g.tree->ShowEditor());
    w.g.tree->SetEditorText(QStringLiteral("typed"));
    w.g.tree->Editor()->SetModified(true);
}

void sendMouse(QWidget *to, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(at), QPointF(to->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(to, &e);
}

const std::vector<WindowEntry> &windowEntries()
{
    static const std::vector<WindowEntry> list = {
        // A blocking window ends a mode unapplied, telling no one.
        {"TreeListWidget::event", nullptr,
         [](WindowGrid &w) {
             QEvent blocked(QEvent::WindowBlocked);
             QApplication::sendEvent(w.widget.get(), &blocked);
         }},
        {"TreeListWidget::keyPressEvent",
         [](WindowGrid &w, Free f) { w.g.tree->OnKeyDown.Set([f](TObj *, TKey &, TShiftState) { call(f); }); },
         [](WindowGrid &w) {
             QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
             QApplication::sendEvent(w.widget.get(), &press);
         }},
        {"TreeListWidget::mousePressEvent",
         [](WindowGrid &w, Free f) {
             w.g.tree->OnMouseDown.Set([f](TObj *, TMouseButton, TShiftState, int, int) { call(f); });
         },
         [](WindowGrid &w) {
             sendMouse(w.widget->viewport(), QEvent::MouseButtonPress, w.cell, Qt::LeftButton, Qt::LeftButton);
         }},
        {"TreeListWidget::mouseDoubleClickEvent",
         [](WindowGrid &w, Free f) {
             w.g.tree->OnMouseDown.Set([f](TObj *, TMouseButton, TShiftState, int, int) { call(f); });
         },
         [](WindowGrid &w) {
             sendMouse(w.widget->viewport(), QEvent::MouseButtonDblClick, w.cell, Qt::LeftButton, Qt::LeftButton);
         }},
        {"TreeListWidget::mouseMoveEvent",
         [](WindowGrid &w, Free f) {
             w.g.tree->hotCells = true;
             w.g.tree->SetOptionsB(w.g.tree->OptionsB() | 1u << boHotTrack);
             w.g.tree->OnHotTrackCursor = [f](TObj *, TdxTreeListNode *, int, TCursor &) { call(f); };
         },
         [](WindowGrid &w) { sendMouse(w.widget->viewport(), QEvent::MouseMove, w.cell, Qt::NoButton, Qt::NoButton); }},
        {"TreeListWidget::mouseReleaseEvent",
         [](WindowGrid &w, Free f) {
             w.g.tree->OnMouseUp.Set([f](TObj *, TMouseButton, TShiftState, int, int) { call(f); });
         },
         [](WindowGrid &w) {
             sendMouse(w.widget->viewport(), QEvent::MouseButtonRelease, w.cell, Qt::LeftButton, Qt::NoButton);
         }},
        {"TreeListWidget::paintEvent",
         [](WindowGrid &w, Free f) { w.g.tree->OnCustomDrawCell.Set([f](auto &&...) { call(f); }); },
         [](WindowGrid &w) { w.widget->viewport()->repaint(); }},
        {"TreeListWidget::resizeEvent",
         [](WindowGrid &w, Free f) {
             editIn(w);
             w.g.tree->OnEditValidate = [f](TObj *, TdxTreeListColumn *, QString &, bool &) { call(f); };
         },
         [](WindowGrid &w) { w.widget->resize(w.widget->width() + 10, w.widget->height()); }},
        {"TreeListWidget::timerEvent",
         [](WindowGrid &w, Free f) {
             // The delayed edit of a press on the focused cell.
             w.g.tree->OnCanEdit = [f](TObj *, TdxTreeListNode *, bool &) { call(f); };
             w.focus();
             sendMouse(w.widget->viewport(), QEvent::MouseButtonPress, w.focusedCell, Qt::LeftButton, Qt::LeftButton);
             sendMouse(w.widget->viewport(), QEvent::MouseButtonRelease, w.focusedCell, Qt::LeftButton, Qt::NoButton);
         },
         [](WindowGrid &w) {
             // A timer of the window whatever the grid did: the delayed
             // edit's, or one started here for a grid already gone.
             w.widget->startTimer(TCustomdxTreeList::DelayedEditTimer, 1);
             (void)QTest::qWaitFor([&w] { return w.heard > 0; }, 500);
         }},
        {"TreeListWidget::wheelEvent",
         [](WindowGrid &w, Free f) {
             // Scrolling ends the edit.
             editIn(w);
             w.g.tree->OnEditValidate = [f](TObj *, TdxTreeListColumn *, QString &, bool &) { call(f); };
         },
         [](WindowGrid &w) {
             QWheelEvent wheel(QPointF(w.cell), QPointF(w.widget->viewport()->mapToGlobal(w.cell)), QPoint(),
                               QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(w.widget->viewport(), &wheel);
         }},
        {"TreeListWidget::focusInEvent",
         [](WindowGrid &w, Free f) {
             w.g.tree->SetFocusedNode(nullptr);
             w.g.tree->OnChangeNode = [f](TObj *, TdxTreeListNode *, TdxTreeListNode *) { call(f); };
         },
         [](WindowGrid &w) {
             QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
             QApplication::sendEvent(w.widget.get(), &in);
         }},
        // What it reaches of the grid's handlers is the end of an edit,
        // which the core's table fires by the same call ("OnEditValidate
        // on leaving").
        {"TreeListWidget::focusOutEvent", nullptr,
         [](WindowGrid &w) {
             QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
             QApplication::sendEvent(w.widget.get(), &out);
         }},
        {"TreeListWidget::changeEvent", nullptr,
         [](WindowGrid &w) {
             QFont font = w.widget->font();
             font.setPointSize(font.pointSize() + 1);
             w.widget->setFont(font);
         }},
        {"TreeListWidget::viewportEvent", nullptr,
         [](WindowGrid &w) {
             QEnterEvent enter(QPointF(w.cell), QPointF(w.cell), QPointF(w.widget->viewport()->mapToGlobal(w.cell)));
             QApplication::sendEvent(w.widget->viewport(), &enter);
             QEvent leave(QEvent::Leave);
             QApplication::sendEvent(w.widget->viewport(), &leave);
         }},
        {"TreeListWidget::inputMethodEvent",
         [](WindowGrid &w, Free f) {
             w.g.tree->SetOptionsB(w.g.tree->OptionsB() | 1u << boImmediateEditor);
             w.g.tree->OnCanEdit = [f](TObj *, TdxTreeListNode *, bool &) { call(f); };
         },
         [](WindowGrid &w) {
             QInputMethodEvent compose(QStringLiteral("k"), {});
             QApplication::sendEvent(w.widget.get(), &compose);
         }},
        {"TreeListFeedbackOverlay::paintEvent", nullptr,
         [](WindowGrid &w) {
             for (QWidget *child : w.widget->viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                 child->repaint();
         }},
    };
    return list;
}

TEST(TreeListFreedGrid, EveryQtEventOfTheWindowLetsAFreedGridGo)
{
    const int doubleClick = QApplication::doubleClickInterval();
    QApplication::setDoubleClickInterval(1);
    for (const WindowEntry &entry : windowEntries()) {
        for (const bool byHandler : {false, true}) {
            if (byHandler && !entry.set)
                continue;
            SCOPED_TRACE(std::string(entry.site) + (byHandler ? ", freed by a handler" : ", freed before"));
            WindowGrid w;
            w.widget->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w.widget.get()));
            Grid *grid = &w.g;
            int &heard = w.heard;
            const Free free = [grid, &heard] {
                ++heard;
                grid->tree.reset();
            };
            if (byHandler)
                entry.set(w, free);
            else
                free();
            entry.run(w);
            EXPECT_EQ(w.heard, 1);
            EXPECT_EQ(w.g.tree, nullptr);
            EXPECT_EQ(w.widget->treeList(), nullptr);
            // The window goes on as one without a grid.
            w.widget->viewport()->repaint();
            w.widget->resize(w.widget->width() - 10, w.widget->height());
            QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
            QApplication::sendEvent(w.widget.get(), &in);
            QCoreApplication::processEvents();
        }
    }
    QApplication::setDoubleClickInterval(doubleClick);
}

} // namespace freedgrid

namespace freedgrid {

// The picture of a dragged header asks for its text as the drag starts in
// the window; the handler frees the grid.
TEST(TreeListFreedGrid, TheDraggedHeadersTextMayFreeTheGrid)
{
    SCOPED_TRACE("OnGetHeaderCellText as a header drag starts");
    WindowGrid w;
    w.widget->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.widget.get()));
    w.g.tree->OnGetHeaderCellText = [f = w.letGo(), &w](TObj *, TdxTreeListColumn *, QString &) {
        // Frees the grid without letting the window know.
        ++w.heard;
        w.g.tree.reset();
    };
    const QPoint from = [&w] {
        const rtl::TPoint p = w.g.at(htColumnHeader, nullptr, 0);
        return QPoint(p.X, p.Y);
    }();
    sendMouse(w.widget->viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (const int dx : {8, 30})
        sendMouse(w.widget->viewport(), QEvent::MouseMove, from + QPoint(dx, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w.heard, 1);
    EXPECT_EQ(w.widget->treeList(), nullptr);
    sendMouse(w.widget->viewport(), QEvent::MouseButtonRelease, from + QPoint(30, 0), Qt::LeftButton, Qt::NoButton);
    w.widget->viewport()->repaint();
}

// Every call-out site of the grid, as the sources have it, and the sweep
// entries that fire it with the grid itself as the victim (the handler,
// node-drag and paint sweeps fire theirs with the column, band and node
// victims too): "file: entry", the entry's name as its table has it.
const std::map<std::string, std::vector<std::string>> &gridSweptSites()
{
    static const std::map<std::string, std::vector<std::string>> sites = {
        {"InplaceEditor::Change: OnChange", {"handlers: OnEditChange typed"}},
        {"InplaceEditor::ValidateEdit: OnValidate", {"handlers: OnEditValidate on Enter"}},
        {"mouseEditorRefusedToLeave: editor.OnValidate",
         {"freed_grid: OnEditValidate on a press, the editor without the focus"}},
        {"TCustomdxContainer::Click: OnClick", {"freed_grid: OnClick on a cell"}},
        {"TCustomdxContainer::DblClick: OnDblClick", {"freed_grid: OnDblClick"}},
        {"TCustomdxContainer::DoEditKeyDown: OnEditKeyDown", {"handlers: OnEditKeyDown"}},
        {"TCustomdxContainer::KeyDown: OnKeyDown", {"freed_grid: OnKeyDown", "handlers: OnKeyDown"}},
        {"TCustomdxContainer::KeyPress: OnKeyPress", {"freed_grid: OnKeyPress", "handlers: OnKeyPress"}},
        {"TCustomdxContainer::MouseDown: OnMouseDown", {"freed_grid: OnMouseDown"}},
        {"TCustomdxContainer::MouseUp: OnMouseUp", {"freed_grid: OnMouseUp"}},
        {"TCustomdxTreeList::ChangeFocus: OnChangeNode",
         {"freed_grid: OnChangeNode by a press", "freed_grid: OnChangeNode by StartSearch", "handlers: OnChangeNode"}},
        {"TCustomdxTreeList::DoCanEdit: OnCanEdit", {"freed_grid: OnCanEdit by F2", "handlers: OnCanEdit"}},
        {"TCustomdxTreeList::DoCanEditNewItemRow: OnCanEditNewItemRow", {"freed_grid: OnCanEditNewItemRow by F2"}},
        {"TCustomdxTreeList::DoCollapsed: OnCollapsed", {"handlers: OnCollapsed"}},
        {"TCustomdxTreeList::DoCollapsing: OnCollapsing",
         {"freed_grid: OnCollapsing by '-'", "handlers: OnCollapsing"}},
        {"TCustomdxTreeList::DoExpanded: OnExpanded", {"freed_grid: OnExpanded by '*'", "handlers: OnExpanded"}},
        {"TCustomdxTreeList::DoExpanding: OnExpanding",
         {"freed_grid: OnExpanding by the button", "freed_grid: OnExpanding by the search's MakeVisible"}},
        {"TCustomdxTreeList::DoNodeChanged: OnNodeChanged", {"freed_grid: OnNodeChanged by Down"}},
        {"TCustomdxTreeList::GetEditColor: OnGetEditColor", {"freed_grid: OnGetEditColor by F2"}},
        {"TCustomdxTreeList::GetHotTrackCursor: OnHotTrackCursor", {"freed_grid: OnHotTrackCursor by a move"}},
        {"TCustomdxTreeList::NodeDeleted: OnDeletion", {"handlers: OnDeletion", "handlers: OnDeletion, all nodes"}},
        {"TCustomdxTreeList::SelectionChanged: OnSelectionChanged", {"freed_grid: OnSelectionChanged by a press"}},
        {"TCustomdxTreeList::SortNodes: OnCompare", {"freed_grid: OnCompare", "handlers: OnCompare"}},
        {"TCustomdxTreeListControl::BandClick: OnBandClick", {"freed_grid: OnBandClick", "handlers: OnBandClick"}},
        {"TCustomdxTreeListControl::BandSized: OnBandSized", {"handlers: OnBandSized"}},
        {"TCustomdxTreeListControl::BeginBandSizing: OnBeginBandSizing", {"handlers: OnBeginBandSizing"}},
        {"TCustomdxTreeListControl::BeginColumnSizing: OnBeginColumnSizing", {"handlers: OnBeginColumnSizing"}},
        {"TCustomdxTreeListControl::CanSelectNode: OnCanSelectNode", {"freed_grid: OnCanSelectNode by a press"}},
        {"TCustomdxTreeListControl::ColumnSized: OnColumnSized", {"handlers: OnColumnSized"}},
        {"TCustomdxTreeListControl::ColumnSortClick: OnCanSort", {"handlers: OnCanSort"}},
        {"TCustomdxTreeListControl::ColumnSortClick: OnColumnClick", {"handlers: OnColumnClick"}},
        {"TCustomdxTreeListControl::ColumnSortState: OnGetSortMark", {"paint: OnGetSortMark"}},
        {"TCustomdxTreeListControl::DoCustomDrawBand: OnCustomDrawBand", {"paint: OnCustomDrawBand"}},
        {"TCustomdxTreeListControl::DoCustomDrawCell: OnCustomDrawCell",
         {"paint: OnCustomDrawCell", "window: TreeListWidget::paintEvent"}},
        {"TCustomdxTreeListControl::DoCustomDrawCell: OnCustomDrawCellEx", {"paint: OnCustomDrawCellEx"}},
        {"TCustomdxTreeListControl::DoCustomDrawCell: c->OnCustomDrawCell", {"paint: column OnCustomDrawCell"}},
        {"TCustomdxTreeListControl::DoCustomDrawHeader: OnCustomDrawColumnHeader", {"paint: OnCustomDrawColumnHeader"}},
        {"TCustomdxTreeListControl::DoCustomDrawHeader: c->OnCustomDrawColumnHeader",
         {"paint: column OnCustomDrawColumnHeader"}},
        {"TCustomdxTreeListControl::DoCustomDrawNode: OnCustomDrawNode", {"paint: OnCustomDrawNode"}},
        {"TCustomdxTreeListControl::DoCustomDrawNode: OnCustomDrawNodeEx", {"paint: OnCustomDrawNodeEx"}},
        {"TCustomdxTreeListControl::DragOverBand: OnDragOverBand", {"handlers: OnDragOverBand"}},
        {"TCustomdxTreeListControl::DragOverColumn: OnDragOverColumn", {"handlers: OnDragOverColumn"}},
        {"TCustomdxTreeListControl::EditorChanged: OnEditChange", {"handlers: OnEditChange"}},
        {"TCustomdxTreeListControl::EditorValidate: OnEditValidate",
         {"freed_grid: OnEditValidate by Down", "handlers: OnEditValidate"}},
        {"TCustomdxTreeListControl::EndDragBand: OnEndDragBand", {"handlers: OnEndDragBand"}},
        {"TCustomdxTreeListControl::EndDragColumn: OnEndDragColumn", {"handlers: OnEndDragColumn"}},
        {"TCustomdxTreeListControl::GetHeaderCellText: OnGetHeaderCellText",
         {"freed_grid: OnGetHeaderCellText as a header drag starts"}},
        {"TCustomdxTreeListControl::HideBand: OnHideBand", {"handlers: OnHideBand"}},
        {"TCustomdxTreeListControl::HideColumn: OnHideColumn", {"handlers: OnHideColumn"}},
        {"TCustomdxTreeListControl::IsRowIndicator: OnIsNodeIndicator", {"paint: OnIsNodeIndicator"}},
        {"TCustomdxTreeListControl::MayDragBand: OnCanBandDrag", {"handlers: OnCanBandDrag"}},
        {"TCustomdxTreeListControl::MayDragColumn: OnCanColumnDrag", {"handlers: OnCanColumnDrag"}},
        {"TCustomdxTreeListControl::MoveBand: OnMoveBand", {"handlers: OnMoveBand"}},
        {"TCustomdxTreeListControl::MoveColumn: OnMoveColumn", {"handlers: OnMoveColumn"}},
        {"TCustomdxTreeListControl::PlaceColumn: OnPlaceColumn", {"handlers: OnPlaceColumn"}},
        {"TCustomdxTreeListControl::ShowBand: OnShowBand", {"handlers: OnShowBand"}},
        {"TdxTreeListColumn::editorChanged: OnChange", {"handlers: column OnChange"}},
        {"TdxTreeListColumn::editorValidate: OnValidate", {"handlers: column OnValidate"}},
        {"TreeListNodeDrag::BeginDrag: OnStartDrag", {"node_drag: OnStartDrag"}},
        {"TreeListNodeDrag::BeginDrag: OnStartNodeDrag", {"node_drag: OnStartNodeDrag"}},
        {"TreeListNodeDrag::dragOver: OnDragOver", {"node_drag: OnDragOver"}},
        {"TreeListNodeDrag::Drop: over->OnDragDrop", {"node_drag: OnDragDrop"}},
        {"TreeListNodeDrag::end: OnEndDrag", {"node_drag: OnEndDrag"}},
        {"PanningSession::timerEvent",
         {"panning: a pan's beat whose MayScroll frees the grid", "panning: a pan's beat after the grid went"}},
    };
    return sites;
}

// Sites no sweep fires with the grid as victim, each with its reason.
std::map<std::string, std::string> gridExcusedSites()
{
    std::map<std::string, std::string> excused = {
        {"TCustomdxTreeListControl::DoCustomDrawNotify: OnCustomDrawNotify",
         "no routine of the grid calls DoCustomDrawNotify: no program reaches the event"},
        {"TdxTreeListColumn::SetName: OnNameChanged",
         "the control's own notice of a renamed column, set by the control, never by a program"},
        {"InplaceEditor::MouseEnter: OnMouseEnter",
         "an event of the editor, called last in a Qt event of the editor's window: freeing the grid there frees "
         "that widget inside its own Qt event, which a recorded decision leaves to the program (deleteLater)"},
        {"InplaceEditor::MouseLeave: OnMouseLeave", "as OnMouseEnter"},
        {"TdxInplaceTextEdit::SelectionChange: OnSelectionChange", "as OnMouseEnter: the text editor's own event"},
        {"TdxStyleController::NotifyListener: OnStyleChanged",
         "an event of the style controller about its own listeners; the grid is not in the routine that calls it"},
    };
    // The paint sweep's known faults: the site is fired, the grid victim
    // still reads the grid.
    const std::map<std::string, std::string> faultSites = {
        {"OnGetImageIndex", "TCustomdxTreeListControl::NodeImageIndex: OnGetImageIndex"},
        {"OnGetSelectedIndex", "TCustomdxTreeListControl::NodeSelectedIndex: OnGetSelectedIndex"},
        {"OnGetStateIndex", "TCustomdxTreeListControl::NodeStateIndex: OnGetStateIndex"},
        {"OnAutoRowHeight", "TCustomdxTreeListControl::MeasureCellHeight: OnAutoRowHeight"},
    };
    // The Qt events of the grid's other widgets that do not reach the grid.
    const char *const editorsOwnEvent =
        "a Qt event of the in-place editor's widgets, which the grid owns: a handler it reaches that frees the "
        "grid deletes the widget dispatching the event, which the recorded decision on ending a window from its "
        "own Qt events leaves to the program (deleteLater); the editor's key and validation paths are swept "
        "through the core";
    const std::vector<std::pair<std::string, std::vector<std::string>>> editorEntries = {
        {"TdxInplaceEdit",
         {"event", "paintEvent", "resizeEvent", "focusInEvent", "focusOutEvent", "keyPressEvent", "keyReleaseEvent",
          "mousePressEvent", "mouseReleaseEvent", "wheelEvent", "contextMenuEvent", "changeEvent", "eventFilter"}},
        {"InplaceLineEdit",
         {"event", "keyPressEvent", "keyReleaseEvent", "focusInEvent", "focusOutEvent", "mousePressEvent",
          "mouseReleaseEvent", "wheelEvent", "contextMenuEvent", "inputMethodEvent"}},
        {"TdxInplaceTextEdit", {"changeEvent", "ownKeyEvent"}},
        {"TdxInplaceMaskEdit", {"ownKeyEvent"}},
    };
    for (const auto &[owner, names] : editorEntries)
        for (const std::string &name : names)
            excused.emplace(owner + "::" + name, editorsOwnEvent);
    excused.emplace("TdxContainerHintWindow::paintEvent",
                    "draws the text it was given; reads no grid and calls no handler");
    excused.emplace("TreeListDragImageWindow::paintEvent",
                    "draws the picture it was given; reads no grid and calls no handler");
    excused.emplace("PanningIndicator::paintEvent", "draws the pan's marker; reads no grid and calls no handler");
    excused.emplace("PanningSession::eventFilter",
                    "hands the pointer and the keys to the pan's controller only; a grid freed meanwhile ends the "
                    "mode at the next beat");
    for (const auto &[entry, fault] : gridtest::PaintSweepKnownFaults())
        if (const auto site = faultSites.find(entry); site != faultSites.end())
            excused.emplace(site->second, "known fault: " + fault);
    return excused;
}

// Virtuals a descendant overrides to free the grid, beyond those that call
// an event of the grid (swept through that event: the event runs inside
// them, so their callers meet the freed grid as an override leaves it).
const std::map<std::string, std::vector<std::string>> &gridSweptVirtuals()
{
    static const std::map<std::string, std::vector<std::string>> sites = {
        {"TCustomdxTreeList::MayScroll", {"panning: a pan's beat whose MayScroll frees the grid"}},
        {"TCustomdxTreeList::DoRowBegin", {"paint: DoRowBegin"}},
        {"TCustomdxTreeList::DoRowEnd", {"paint: DoRowEnd"}},
        {"TCustomdxTreeList::LevelColor", {"paint: LevelColor"}},
        {"TCustomdxTreeList::AppendNewItemNode", {"freed_grid: append hook of the new item row"}},
        {"TCustomdxTreeList::BottomPanelText", {"paint: BottomPanelText"}},
        {"TCustomdxTreeList::ColumnHeaderDropDown", {"paint: ColumnHeaderDropDown"}},
        {"TCustomdxTreeList::FooterCellText", {"paint: FooterCellText"}},
        {"TCustomdxTreeList::ColumnColor", {"paint: ColumnColor"}},
        {"TCustomdxTreeListControl::DoBeforeSort", {"handlers: before-sort hook"}},
        {"TCustomdxTreeListControl::LoadColumnLayout", {"handlers: column layout restored"}},
        {"TCustomdxTreeListControl::SaveColumnLayout", {"handlers: column layout stored"}},
    };
    return sites;
}

std::map<std::string, std::string> gridExcusedVirtuals()
{
    std::map<std::string, std::string> excused;
    const char *const hostSide = "the window's side of the grid, answered by TreeListWidget: no program code runs "
                                 "through it, and the window reads the grid by its token";
    for (const char *name :
         {"beep",         "beginDragImage",   "canFocus",       "createEditor",    "doubleClickTime",
          "endDragImage", "hasKeyboardFocus", "hideHint",       "invalidate",      "invalidateAll",
          "keyState",     "moveDragImage",    "scrollContents", "setBusyCursor",   "setClipboardText",
          "setCursor",    "setKeyboardFocus", "showHint",       "startTimer",      "stopTimer",
          "textMeasurer", "treeListAt",       "updateNow",      "updateScrollBars"})
        excused.emplace(std::string("TreeListHost::") + name, hostSide);
    excused.emplace("TCustomdxTreeList::StoreLayout",
                    "asked only by the grid's destructor, where the descendant's part is gone and its override no "
                    "longer answers");
    // Not swept yet: each needs a descendant overriding it to free the grid.
    // A virtual the grid gains is not on this list and fails the check.
    const std::vector<std::pair<std::string, std::vector<std::string>>> notYetSwept = {
        {"TCustomdxContainer",
         {"CanEditAcceptChar", "CanEditModify", "CancelMode", "ClearEditFlag", "CreateEditStyle", "EditClickToDblClick",
          "EditFocusChanged", "EditMoveFocus", "EditOptionQuery", "EditWantTabs", "GetEditFont", "IsEditOutOfSync",
          "IsEditReadOnly", "KeyUp", "MouseWheelScroll", "SetColor", "SetEditFlag", "VScroll", "WheelScrollLines"}},
        {"TCustomdxTreeList",
         {"AdjustHeaderLineCount",
          "AdjustPreviewHeight",
          "AlternativeHeaderClick",
          "BandCustomizingDisabled",
          "BottomButtonClick",
          "BottomButtonHint",
          "BuildNodeDragImage",
          "ColumnBestFit",
          "ColumnCustomizingDisabled",
          "ColumnFont",
          "ColumnHeaderGlyph",
          "CreateDefaultEditor",
          "CreateNode",
          "CreatePainter",
          "FindEditor",
          "IndicatorButtonClick",
          "IsBottomPanelButtonShown",
          "IsCopyDrag",
          "IsCustomizingShown",
          "MayTrimScrollBars",
          "MeasureCellHeight",
          "NodeHasChildren",
          "NodeLineCount",
          "NodePreviewText",
          "NodeSelectedIndex",
          "RowHeightsChanged",
          "RowsScrollRect",
          "SetDefaultRowHeight",
          "ShowColumn",
          "UpdateScrollBars"}},
        {"TCustomdxTreeListControl", {"SortUnlocked"}},
        {"TdxTreeListColumn", {"DefaultCaption", "DefaultMaxLength", "DefaultWidth", "FillViewData", "RestoreDefaults"}},
        {"TreeListColumnModel",
         {"BandMaxLineCount", "CellValue", "RescaleHiddenBands", "SetBandLineCount", "SetBandWidth", "SetHeaderLineCount"}},
        {"TreeListCustomDrawHooks",
         {"DoCustomDrawRowCell", "IsCustomDrawBand", "IsCustomDrawCell", "IsCustomDrawHeader", "IsCustomDrawNode",
          "IsCustomDrawRowCell"}},
        {"TreeListPaintPass", {"Paint", "RowsPainted"}},
    };
    for (const auto &[owner, names] : notYetSwept)
        for (const std::string &name : names)
            excused.emplace(owner + "::" + name, "not yet swept");
    // The paint sweep's known faults among the virtuals: fired, the grid
    // victim still read.
    for (const char *name :
         {"IsGroupFooter", "IsSingleTextNode", "GroupPanelHeight", "IsBottomPanelShown", "IsWholeRow", "RowFlag"})
        if (const auto fault = gridtest::PaintSweepKnownFaults().find(name);
            fault != gridtest::PaintSweepKnownFaults().end())
            excused.emplace(std::string("TCustomdxTreeList::") + name, "known fault: " + fault->second);
    for (const auto &[site, fault] : gridtest::VirtualSweepKnownFaults())
        excused.emplace(site, "known fault: " + fault);
    return excused;
}

// Whether the test file's table has the entry: its name as a string.
bool sweepHasEntry(const std::string &reference)
{
    static const std::map<std::string, QString> files = {
        {"freed_grid", "test_tree_list_freed_grid.cpp"},  {"handlers", "test_tree_list_handlers.cpp"},
        {"node_drag", "test_tree_list_node_drag.cpp"},    {"paint", "test_tree_list_paint.cpp"},
        {"window", "test_tree_list_freed_grid.cpp"},      {"panning", "test_tree_list_panning_gui.cpp"},
        {"virtuals", "test_tree_list_virtual_sweep.cpp"},
    };
    const size_t colon = reference.find(": ");
    const auto file = files.find(reference.substr(0, colon));
    if (colon == std::string::npos || file == files.end())
        return false;
    QFile source(QDir(zvotest::SourceRoot()).filePath("tests/grid/" + file->second));
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(source.readAll());
    return text.contains(QLatin1Char('"') + QString::fromStdString(reference.substr(colon + 2)) + QLatin1Char('"'));
}

// The sites the sources have against the sweeps: a call through an event
// of the grid, or a Qt event of its window, that no sweep fires with the
// grid freed (and no reason excuses) fails here, named with its place.
TEST(TreeListCallOuts, EverySiteOfTheGridIsSweptWithTheGridAsItsVictim)
{
    ASSERT_FALSE(zvotest::SourceRoot().isEmpty()) << "ZVO_SOURCE_DIR is not set; run the test through ctest";
    const zvotest::CallOutSites events =
        zvotest::EventCallSites(zvotest::SourceRoot(), {"grid/core/*.cpp", "grid/paint/*.cpp", "grid/widgets/*.cpp"});
    const zvotest::CallOutSites entries =
        zvotest::QtEntrySites(zvotest::SourceRoot(), {"grid/widgets/*.h", "grid/widgets/*.cpp"});
    ASSERT_GT(events.size(), 50u);
    ASSERT_GT(entries.size(), 10u);
    zvotest::CallOutSites code = events;
    code.insert(entries.begin(), entries.end());

    std::set<std::string> swept;
    for (const auto &[site, sweeps] : gridSweptSites()) {
        swept.insert(site);
        for (const std::string &entry : sweeps)
            EXPECT_TRUE(sweepHasEntry(entry)) << site << ": no sweep entry " << entry;
    }
    // The window's Qt events are their own sweep's entries.
    for (const WindowEntry &entry : windowEntries())
        swept.insert(entry.site);
    EXPECT_EQ(zvotest::CallOutMismatch(code, swept, gridExcusedSites()), "");
    RecordProperty("sites", int(code.size()));
    RecordProperty("events", int(events.size()));
    RecordProperty("entries", int(entries.size()));
    RecordProperty("excused", int(gridExcusedSites().size()));
}

// The virtuals of the tree list's published classes that the grid calls:
// each is swept by a descendant whose override frees the grid, or stands
// with the reason no program's override reaches the grid through it.
TEST(TreeListCallOuts, EveryVirtualTheGridCallsIsSweptWithTheGridAsItsVictim)
{
    ASSERT_FALSE(zvotest::SourceRoot().isEmpty()) << "ZVO_SOURCE_DIR is not set; run the test through ctest";
    const zvotest::CallOutSites code =
        zvotest::VirtualCallSites(zvotest::SourceRoot(),
                                  {"grid/core/TreeList.h", "grid/core/TreeListControl.h", "grid/core/TreeListColumn.h",
                                   "grid/core/Container.h", "grid/core/TreeListNode.h", "grid/core/TreeListHooks.h",
                                   "grid/core/TreeListCustomDraw.h", "grid/core/TreeListHost.h"},
                                  {"grid/core/*.h", "grid/core/*.cpp", "grid/paint/*.h", "grid/paint/*.cpp",
                                   "grid/widgets/*.h", "grid/widgets/*.cpp"});
    ASSERT_GT(code.size(), 100u);
    std::map<std::string, std::vector<std::string>> sweeps = gridSweptVirtuals();
    for (const std::string &site : gridtest::VirtualSweepNames())
        sweeps[site].push_back("virtuals: " + site.substr(site.rfind("::") + 2));
    // A routine that calls an event is swept by the event's entries.
    for (const auto &[site, entries] : gridSweptSites()) {
        const std::string routine = site.substr(0, site.find(": "));
        const std::string member = routine.substr(routine.rfind("::") + 2);
        for (const auto &[virtualSite, at] : code)
            if (virtualSite.substr(virtualSite.rfind("::") + 2) == member)
                sweeps[virtualSite].insert(sweeps[virtualSite].end(), entries.begin(), entries.end());
    }
    std::set<std::string> swept;
    for (const auto &[site, entries] : sweeps) {
        swept.insert(site);
        for (const std::string &entry : entries)
            EXPECT_TRUE(sweepHasEntry(entry)) << site << ": no sweep entry " << entry;
    }
    EXPECT_EQ(zvotest::CallOutMismatch(code, swept, gridExcusedVirtuals()), "");
    RecordProperty("swept", int(swept.size()));
    RecordProperty("excused", int(gridExcusedVirtuals().size()));
    RecordProperty("virtuals", int(code.size()));
}

} // namespace freedgrid
