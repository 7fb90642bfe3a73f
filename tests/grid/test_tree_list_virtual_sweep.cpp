// A program's descendant of the tree list whose override of one of the
// grid's virtuals frees the grid (a form closing from inside it): whatever
// the grid was doing stops there and reads nothing of what went. One scene
// (paint, pointer, keys, editing, nodes, timers) serves every virtual; the
// override frees the grid the first time the scene calls it.

#include "CallOutSweeps.h"
#include "CoreFakes.h"
#include "TreeListFixture.h"

#include "grid/core/TreeListBands.h"
#include "grid/core/TreeListColumn.h"
#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListHooks.h"
#include "grid/paint/TreeListPainter.h"

#include "tests/support/PixelProbes.h"

#include "platform/classes/ClassBuilder.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace grid;

namespace virtualsweep {

// The virtual the run's override frees the grid from, and how; a const
// member reaches them as much as any other, hence not members.
const char *victim = nullptr;
std::function<void()> freeGrid;
std::string heardIn;

// Frees the grid the first time the victim is called; the caller returns
// at once, reading nothing of itself.
void fire(const char *name)
{
    if (!victim || std::strcmp(name, victim) != 0)
        return;
    heardIn = name;
    victim = nullptr;
    const std::function<void()> f = std::exchange(freeGrid, nullptr);
    f();
}

using Base = TCustomdxTreeListControl;

// The answer is taken from the grid before it goes.
#define SWEEP_QUERY(R, Name, Params, Args)                                                                             \
    R Name Params override                                                                                             \
    {                                                                                                                  \
        R answer = Base::Name Args;                                                                                    \
        fire(#Name);                                                                                                   \
        return answer;                                                                                                 \
    }
#define SWEEP_CONST_QUERY(R, Name, Params, Args)                                                                       \
    R Name Params const override                                                                                       \
    {                                                                                                                  \
        R answer = Base::Name Args;                                                                                    \
        fire(#Name);                                                                                                   \
        return answer;                                                                                                 \
    }
// The grid's own step is done before it goes.
#define SWEEP_STEP(Name, Params, Args)                                                                                 \
    void Name Params override                                                                                          \
    {                                                                                                                  \
        Base::Name Args;                                                                                               \
        fire(#Name);                                                                                                   \
    }

using Node = TdxTreeListNode;

class SweptControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsNewItemRowShown() override
    {
        fire("IsNewItemRowShown");
        return true;
    }

    SWEEP_QUERY(bool, IsFocusedFirst, (), ())
    SWEEP_QUERY(bool, IsFocusedLast, (), ())
    SWEEP_QUERY(bool, IsFirstRow, (Node * node), (node))
    SWEEP_QUERY(bool, IsLastRow, (Node * node), (node))
    SWEEP_QUERY(int, SelectedCount, (), ())
    SWEEP_QUERY(bool, IsNodeSelected, (const Node *node), (node))
    SWEEP_CONST_QUERY(bool, optionA, (int bit), (bit))
    SWEEP_CONST_QUERY(bool, optionB, (int bit), (bit))
    SWEEP_CONST_QUERY(bool, IsWidthFit, (), ())
    SWEEP_QUERY(int, SortedColumnCount, (), ())
    SWEEP_QUERY(bool, SortedColumnDesc, (int i), (i))
    SWEEP_QUERY(int, SortedColumnIndex, (int i), (i))
    SWEEP_CONST_QUERY(bool, IsMultiSort, (), ())
    SWEEP_QUERY(QVariant, GetSortValue, (Node * node, int column), (node, column))
    SWEEP_QUERY(TdxTreeListHitInfo, HitTest, (int x, int y), (x, y))
    SWEEP_QUERY(int, NodeRowHeight, (Node * node), (node))
    SWEEP_QUERY(bool, ColumnWrapsText, (int column), (column))
    SWEEP_QUERY(bool, HasLevelColors, (), ())
    SWEEP_QUERY(int, HeaderCellLineCount, (), ())
    SWEEP_QUERY(int, IndicatorWidth, (), ())
    SWEEP_QUERY(bool, RowsTakeExtraStep, (), ())
    SWEEP_QUERY(bool, ColumnHasHeaderGlyph, (int column), (column))
    SWEEP_QUERY(int, ColumnTextHeight, (int column), (column))
    SWEEP_QUERY(bool, KeepKey, (TKey key), (key))
    SWEEP_QUERY(bool, MayRangeSelect, (), ())
    SWEEP_CONST_QUERY(bool, IsHotTrack, (), ())
    SWEEP_QUERY(bool, IsHotCell, (Node * node, int column), (node, column))
    SWEEP_QUERY(int, AlternativeHeaderMode, (), ())
    SWEEP_QUERY(bool, ImmediateEditQuery, (int x, int y, int column, bool wasFocused), (x, y, column, wasFocused))
    SWEEP_QUERY(bool, IsPointOverCustomizing, (int x, int y), (x, y))
    SWEEP_QUERY(bool, CanShowEditor, (), ())
    SWEEP_QUERY(int, RowsPerPage, (), ())
    SWEEP_QUERY(bool, CanCacheRowHeight, (), ())
    SWEEP_QUERY(bool, MayDoubleClick, (), ())
    SWEEP_QUERY(bool, IsNewItemRowActive, (), ())
    SWEEP_QUERY(int, NodeImageIndex, (const Node *node), (node))
    SWEEP_QUERY(int, NodeStateIndex, (const Node *node), (node))
    SWEEP_QUERY(QVariant, GetEditValue, (), ())
    SWEEP_QUERY(bool, FindByPrefix, (int column, const QString &text, int direction, Node *&found),
                (column, text, direction, found))
    SWEEP_QUERY(bool, ShowEditor, (TChar typed), (typed))

    SWEEP_STEP(BeginSelection, (), ())
    SWEEP_STEP(EndSelection, (), ())
    SWEEP_STEP(SetNodeSelected, (Node * node, bool selected), (node, selected))
    SWEEP_STEP(ClearSelection, (), ())
    SWEEP_STEP(SelectRange, (Node * from, Node *to), (from, to))
    SWEEP_STEP(SearchStep, (QString & text, int direction, bool clearOnFailure), (text, direction, clearOnFailure))
    SWEEP_STEP(BeginBandDrag, (int position, int x, int y), (position, x, y))
    SWEEP_STEP(EndBandDrag, (int position, bool dropped, int x, int y), (position, dropped, x, y))
    SWEEP_STEP(BeginColumnDrag, (int column, int x, int y), (column, x, y))
    SWEEP_STEP(EndColumnDrag, (int column, bool dropped, int x, int y), (column, dropped, x, y))
    SWEEP_STEP(AdjustDragCursor, (int x, int y, TCursor &cursor), (x, y, cursor))
    SWEEP_STEP(InitEditor, (InplaceEditor * editor), (editor))
    SWEEP_STEP(StoreEditValue, (Node * node, int column, const QVariant &value, InplaceEditor *editor),
               (node, column, value, editor))
    SWEEP_STEP(NodeAdded, (Node * node), (node))
    SWEEP_STEP(NodeCountChanged, (), ())
    SWEEP_STEP(NodeChanged, (Node * node, bool fullRefresh), (node, fullRefresh))
    SWEEP_STEP(InvalidateNode, (Node * node), (node))
    SWEEP_STEP(SetTopNode, (Node * node), (node))
    SWEEP_STEP(MakeColumnVisible, (int column), (column))
    SWEEP_STEP(DropVisibleRows, (), ())
    SWEEP_STEP(UpdateVisibleRows, (Node * changed), (changed))
    SWEEP_STEP(BeginUpdateHook, (), ())
    SWEEP_STEP(EndUpdateHook, (), ())
    SWEEP_STEP(ResetHotTracking, (), ())
    SWEEP_STEP(LayoutChanged, (), ())
    SWEEP_STEP(RebuildColumnPlacement, (), ())
    SWEEP_STEP(RebuildWidthCache, (), ())
    SWEEP_STEP(SetFocusedRowIndex, (int index), (index))
    SWEEP_QUERY(Node *, GetRelativeNode, (Node * node, int kind, bool all), (node, kind, all))
    SWEEP_QUERY(bool, CollapseWithFocusInside, (Node * node), (node))
    SWEEP_QUERY(bool, IsFreeSelection, (), ())
    SWEEP_QUERY(QChar, ColumnPasswordChar, (int column), (column))
    SWEEP_STEP(SaveSelectedToStrings, (QStringList & list), (list))
    SWEEP_STEP(BandBestFit, (int band), (band))
    SWEEP_STEP(HorzPositionChanged, (), ())
    SWEEP_STEP(StoreLayout, (), ())
    SWEEP_STEP(RestoreLayout, (), ())
    SWEEP_STEP(SaveLayoutSettings, (TdxRegIniWrapper & store, const QString &key), (store, key))
    SWEEP_STEP(LoadLayoutSettings, (TdxRegIniWrapper & store, const QString &key), (store, key))
    SWEEP_STEP(TimerFired, (int id), (id))
    // The column model's answers and changes.
    SWEEP_QUERY(TreeListAlive, BandAlive, (int band), (band))
    SWEEP_QUERY(int, BandCount, (), ())
    SWEEP_QUERY(int, BandIndexOfVisible, (int position), (position))
    SWEEP_QUERY(int, BandLineCount, (int band), (band))
    SWEEP_QUERY(int, BandLineSetting, (), ())
    SWEEP_QUERY(int, BandMaxLineCount, (), ())
    SWEEP_QUERY(bool, BandSizable, (int position), (position))
    SWEEP_QUERY(QString, CellText, (const Node *node, int column), (node, column))
    SWEEP_QUERY(QVariant, CellValue, (const Node *node, int column), (node, column))
    SWEEP_QUERY(int, ColumnAlignment, (int column), (column))
    SWEEP_QUERY(TreeListAlive, ColumnAlive, (int column), (column))
    SWEEP_QUERY(int, ColumnAt, (int band, int line, int position), (band, line, position))
    SWEEP_QUERY(int, ColumnBand, (int column), (column))
    SWEEP_QUERY(int, ColumnBandLine, (int column), (column))
    SWEEP_QUERY(bool, ColumnCellHotTrack, (int column), (column))
    SWEEP_QUERY(int, ColumnCount, (), ())
    SWEEP_QUERY(int, ColumnHeaderAlignment, (int column), (column))
    SWEEP_QUERY(QString, ColumnHeaderCaption, (int column), (column))
    SWEEP_QUERY(bool, ColumnHeaderHotTrack, (int column), (column))
    SWEEP_QUERY(int, ColumnHeaderLineCount, (int column), (column))
    SWEEP_QUERY(int, ColumnMinWidth, (int column), (column))
    SWEEP_QUERY(int, ColumnPositionInLine, (int column), (column))
    SWEEP_QUERY(bool, ColumnSizable, (int column), (column))
    SWEEP_QUERY(int, ColumnStoredWidth, (int column), (column))
    SWEEP_QUERY(bool, ColumnTabStop, (int column), (column))
    SWEEP_QUERY(bool, ColumnVisible, (int column), (column))
    SWEEP_QUERY(int, ColumnsInBandLine, (int band, int line), (band, line))
    SWEEP_QUERY(int, FirstColumnExtraWidth, (), ())
    SWEEP_QUERY(int, HeaderPanelLineCount, (), ())
    SWEEP_QUERY(int, LeftFixedBand, (), ())
    SWEEP_STEP(RescaleHiddenBands, (int newWidth, int oldWidth), (newWidth, oldWidth))
    SWEEP_STEP(RescaleHiddenColumns, (int band, int newWidth, int oldWidth), (band, newWidth, oldWidth))
    SWEEP_QUERY(int, RightFixedBand, (), ())
    SWEEP_STEP(SetBandLineCount, (int count), (count))
    SWEEP_STEP(SetBandWidth, (int band, int width), (band, width))
    SWEEP_STEP(SetColumnWidth, (int column, int width), (column, width))
    SWEEP_STEP(SetHeaderLineCount, (int count), (count))
    SWEEP_QUERY(int, VisibleBandAlignment, (int position), (position))
    SWEEP_QUERY(QString, VisibleBandCaption, (int position), (position))
    SWEEP_QUERY(int, VisibleBandCount, (), ())
    SWEEP_QUERY(int, VisibleBandMinWidth, (int position), (position))
    SWEEP_QUERY(int, VisibleBandWidth, (int position), (position))
    SWEEP_QUERY(int, VisiblePositionOfBand, (int band), (band))
};

// A column of the grid whose overrides free the grid (and the column with
// it) at their first call.
class SweptColumn : public TdxTreeListColumn
{
    ZVO_CLASS(SweptColumn)
public:
    using TdxTreeListColumn::TdxTreeListColumn;
    using Base = TdxTreeListColumn;
    SWEEP_CONST_QUERY(TAlignment, DefaultAlignment, (), ())
    SWEEP_CONST_QUERY(QString, DefaultCaption, (), ())
    SWEEP_CONST_QUERY(int, DefaultMaxLength, (), ())
    SWEEP_CONST_QUERY(bool, DefaultReadOnly, (), ())
    SWEEP_CONST_QUERY(int, DefaultWidth, (), ())
    SWEEP_CONST_QUERY(QString, GetEditorClassName, (), ())
    SWEEP_STEP(InitEditProperties, (InplaceEditor & editor), (editor))
    SWEEP_STEP(FillViewData,
               (TdxEditViewData & viewData, const rtl::TRect &rect, const QString &text, rtl::TColor color,
                rtl::TColor fontColor),
               (viewData, rect, text, color, fontColor))
    SWEEP_STEP(RestoreDefaults, (), ())
};

const classes::TMetaClass &SweptColumn::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<SweptColumn, TdxTreeListColumn>("TSweptColumn");
    return meta;
}

using EditorHost = gridtest::FakeEditorHost;

// Two bands of three columns; n0 (with child n0a), n1 (focused), n2 and
// enough more to scroll; cell focus, editing, multi-select, hot tracking.
struct Scene
{
    Scene()
    {
        tree->SetHost(&host);
        host.focused = true;
        tree->SetOptionsA(
            (tree->OptionsA() | 1u << aoEditing | 1u << aoColumnDragging | 1u << aoColumnSizing | 1u << aoMultiSelect) &
            ~(1u << aoRowFocus));
        tree->SetOptionsB((tree->OptionsB() | 1u << boHotTrack | 1u << boMultiSort) &
                          ~(1u << boIncrementalSearch | 1u << boImmediateEditor | 1u << boWidthFit));
        TreeListSettings settings = tree->Settings();
        settings.ShowBands = true;
        settings.ShowFooter = true;
        settings.ShowIndicator = true;
        tree->SetSettings(settings);
        tree->Bands()->Add();
        for (TdxTreeListBand *band : {tree->Bands()->Items(0), tree->Bands()->Items(1)}) {
            band->SetMinWidth(0);
            band->SetWidth(band->Index() == 0 ? 240 : 120);
        }
        for (const char *caption : {"A", "B", "C"}) {
            auto *c = tree->CreateColumn(SweptColumn::StaticClass());
            c->SetCaption(caption);
            c->SetMinWidth(20);
            c->SetWidth(120);
            c->SetBandIndex(tree->ColumnCount() / 3);
        }
        for (int i = 0; i < 12; ++i)
            nodes.push_back(add(tree->Add(), QStringLiteral("n%1").arg(i)));
        add(nodes[0]->AddChild(), "n0a");
        tree->SetClientRect(rtl::Rect(0, 0, 400, 200));
        tree->CalcMetrics();
        tree->SetFocusedNode(nodes[1]);
    }
    Node *add(Node *n, const QString &name)
    {
        tree->SetNodeString(n, 0, name + "A");
        tree->SetNodeString(n, 1, name + "B");
        return n;
    }
    rtl::TPoint at(uint8_t code, int column = -1) const
    {
        for (int y = 0; y < 200; y += 2)
            for (int x = 0; x < 400 && tree; x += 2) {
                const TdxTreeListHitInfo hit = tree->TCustomdxTreeList::HitTest(x, y);
                if (hit.HitCode == code && (column < 0 || hit.ColumnIndex == column))
                    return {x, y};
            }
        return {-1, -1};
    }

    EditorHost host;
    std::unique_ptr<SweptControl> tree = std::make_unique<SweptControl>(nullptr);
    std::vector<Node *> nodes;
};

using Step = std::pair<const char *, std::function<void(Scene &)>>;

void key(Scene &s, TKey code, TShiftState shift = 0)
{
    TKey k = code;
    s.tree->KeyDown(k, shift);
}
void type(Scene &s, TChar ch)
{
    TChar c = ch;
    s.tree->KeyPress(c);
}
// A press and its release at a spot found before the press.
void click(Scene &s, rtl::TPoint p, TShiftState shift = 0)
{
    if (p.X < 0)
        return;
    SweptControl *t = s.tree.get();
    t->MouseDown(mbLeft, shift | ssLeft, p.X, p.Y);
    if (s.tree)
        t->MouseUp(mbLeft, shift, p.X, p.Y);
}
void drag(Scene &s, rtl::TPoint from, rtl::TPoint to)
{
    if (from.X < 0)
        return;
    SweptControl *t = s.tree.get();
    t->MouseDown(mbLeft, ssLeft, from.X, from.Y);
    for (const rtl::TPoint p : {rtl::TPoint{from.X + 8, from.Y}, to})
        if (s.tree)
            t->MouseMove(ssLeft, p.X, p.Y);
    if (s.tree)
        t->MouseUp(mbLeft, 0, to.X, to.Y);
}

// The scene, step by step; each step's calls run only while the grid is
// there.
const std::vector<Step> &scene()
{
    using K = std::function<void(Scene &)>;
    auto keys = [](std::vector<std::pair<TKey, TShiftState>> list) -> K {
        return [list](Scene &s) {
            for (const auto &[k, shift] : list)
                if (s.tree)
                    key(s, k, shift);
        };
    };
    static const std::vector<Step> steps = {
        {"paint",
         [](Scene &s) {
             s.tree->CalcMetrics();
             if (!s.tree)
                 return;
             QImage image = zvotest::blank(400, 200, 0);
             gfx::Canvas canvas(&image, &s.host.measurer);
             TreeListPainter pass(*s.tree, canvas, true);
             pass.Paint();
         }},
        {"hover",
         [](Scene &s) {
             for (int y = 0; y < 200 && s.tree; y += 9)
                 s.tree->MouseMove(0, 61, y);
         }},
        {"moves", keys({{VK_DOWN, 0},
                        {VK_UP, 0},
                        {VK_NEXT, 0},
                        {VK_PRIOR, 0},
                        {VK_END, ssCtrl},
                        {VK_HOME, ssCtrl},
                        {VK_RIGHT, 0},
                        {VK_LEFT, 0},
                        {VK_END, 0},
                        {VK_HOME, 0},
                        {VK_DOWN, ssShift},
                        {VK_NEXT, ssShift},
                        {VK_TAB, 0}})},
        {"click a cell", [](Scene &s) { click(s, s.at(htCell, 0)); }},
        {"shift click a cell", [](Scene &s) { click(s, s.at(htCell, 1), ssShift); }},
        {"ctrl click a cell", [](Scene &s) { click(s, s.at(htCell, 0), ssCtrl); }},
        {"double click a cell",
         [](Scene &s) {
             const rtl::TPoint p = s.at(htCell, 0);
             click(s, p);
             if (s.tree)
                 click(s, p, ssDouble);
         }},
        {"click a header", [](Scene &s) { click(s, s.at(htColumnHeader, 0)); }},
        {"shift click a header", [](Scene &s) { click(s, s.at(htColumnHeader, 1), ssShift); }},
        {"click the indicators",
         [](Scene &s) {
             click(s, s.at(htHeaderIndicator));
             if (s.tree)
                 click(s, s.at(htBandIndicator));
             if (s.tree)
                 click(s, s.at(htRowIndicator));
         }},
        {"size a column",
         [](Scene &s) {
             const rtl::TPoint edge = s.at(htColumnEdge, 0);
             drag(s, edge, {edge.X + 30, edge.Y});
         }},
        {"drag a header",
         [](Scene &s) {
             drag(s, s.at(htColumnHeader, 0), {s.at(htColumnHeader, 1).X + 60, s.at(htColumnHeader, 1).Y});
         }},
        {"drag a band",
         [](Scene &s) {
             drag(s, s.at(htBandHeader), {390, s.at(htBandHeader).Y});
         }},
        {"expand and collapse",
         [](Scene &s) {
             s.tree->SetFocusedNode(s.nodes[0]);
             for (TChar c : {TChar('+'), TChar('-'), TChar('*')})
                 if (s.tree)
                     type(s, c);
             if (s.tree)
                 click(s, s.at(htButton));
         }},
        {"edit",
         [](Scene &s) {
             key(s, VK_F2);
             if (!s.tree || !s.tree->Editor())
                 return;
             auto *editor = static_cast<gridtest::FakeEditor *>(s.tree->Editor());
             editor->text = "typed";
             editor->SetModified(true);
             editor->Change();
             if (s.tree)
                 key(s, VK_RETURN);
         }},
        {"search",
         [](Scene &s) {
             s.tree->SetOptionsB(s.tree->OptionsB() | 1u << boIncrementalSearch);
             for (TChar c : {TChar('n'), TChar('1')})
                 if (s.tree)
                     type(s, c);
             if (s.tree)
                 key(s, VK_DOWN, ssCtrl);
         }},
        {"timers",
         [](Scene &s) {
             // A press dragged below the rows starts the scroll's timer.
             const rtl::TPoint p = s.at(htCell, 0);
             SweptControl *t = s.tree.get();
             if (p.X >= 0) {
                 t->MouseDown(mbLeft, ssLeft, p.X, p.Y);
                 if (s.tree)
                     t->MouseMove(ssLeft, p.X, 260);
             }
             for (const auto &[id, interval] : std::map<int, int>(s.host.timers))
                 if (s.tree)
                     s.host.fire(*s.tree, id);
             if (s.tree && p.X >= 0)
                 t->MouseUp(mbLeft, 0, p.X, 260);
         }},
        {"move the focus", [](Scene &s) { s.tree->MoveFocus(rnNext, false); }},
        {"scroll sideways",
         [](Scene &s) {
             s.tree->Bands()->Items(0)->SetWidth(600);
             if (s.tree)
                 s.tree->SetHorzOffset(40);
         }},
        {"copy the selection",
         [](Scene &s) {
             s.tree->SetNodeSelected(s.nodes[3], true);
             if (s.tree)
                 s.tree->CopySelectedToClipboard();
         }},
        {"best fit",
         [](Scene &s) {
             const rtl::TPoint p = s.at(htBandEdge);
             click(s, p);
             if (s.tree)
                 click(s, p, ssDouble);
         }},
        {"collapse around the focus",
         [](Scene &s) {
             s.nodes[0]->SetExpanded(true);
             if (s.tree)
                 s.tree->SetFocusedNode(s.nodes[0]->Items(0));
             if (s.tree)
                 s.nodes[0]->SetExpanded(false);
         }},
        {"store and restore the layout",
         [](Scene &s) {
             QTemporaryDir dir;
             s.tree->SaveToIniFile(dir.filePath("l.ini"));
             if (s.tree)
                 s.tree->LoadFromIniFile(dir.filePath("l.ini"));
             if (s.tree)
                 s.tree->Loaded();
         }},
        {"nodes",
         [](Scene &s) {
             s.tree->BeginUpdate();
             // The new node's hooks may free the grid: it answers none then.
             if (Node *added = s.tree ? s.tree->Add() : nullptr)
                 s.add(added, "m");
             else if (s.tree)
                 ADD_FAILURE() << "no node added";
             if (s.tree)
                 s.tree->EndUpdate();
             if (s.tree)
                 s.nodes[2]->Delete();
             if (s.tree)
                 s.tree->ClearNodes();
         }},
    };
    return steps;
}

// Each virtual the scene reaches, by the class that declares it. The
// override in SweptControl frees the grid at its first call.
const std::vector<std::pair<const char *, std::vector<const char *>>> &sweptVirtuals()
{
    static const std::vector<std::pair<const char *, std::vector<const char *>>> names = {
        {"TCustomdxTreeList",
         {"IsFocusedFirst",
          "IsFocusedLast",
          "IsFirstRow",
          "IsLastRow",
          "HasLevelColors",
          "ColumnHasHeaderGlyph",
          "IsHotCell",
          "ImmediateEditQuery",
          "RowsPerPage",
          "IsNewItemRowActive",
          "NodeImageIndex",
          "ShowEditor",
          "EndSelection",
          "SetNodeSelected",
          "ClearSelection",
          "SelectRange",
          "SearchStep",
          "BeginBandDrag",
          "EndBandDrag",
          "BeginColumnDrag",
          "EndColumnDrag",
          "InitEditor",
          "StoreEditValue",
          "NodeAdded",
          "NodeCountChanged",
          "SetTopNode",
          "MakeColumnVisible",
          "EndUpdateHook",
          "SetFocusedRowIndex",
          "KeepKey",
          "MayRangeSelect",
          "IsHotTrack",
          "HitTest",
          "AlternativeHeaderMode",
          "MayDoubleClick",
          "IsPointOverCustomizing",
          "AdjustDragCursor",
          "CanShowEditor",
          "GetEditValue",
          "FindByPrefix",
          "InvalidateNode",
          "IsMultiSort",
          "NodeChanged",
          "UpdateVisibleRows",
          "SelectedCount",
          "BeginSelection",
          "BeginUpdateHook",
          "ResetHotTracking",
          "SortedColumnCount",
          "SortedColumnDesc",
          "SortedColumnIndex",
          "GetSortValue",
          "DropVisibleRows",
          "LayoutChanged",
          "RebuildColumnPlacement",
          "RebuildWidthCache",
          "GetRelativeNode",
          "CollapseWithFocusInside",
          "ColumnPasswordChar",
          "SaveSelectedToStrings",
          "BandBestFit",
          "HorzPositionChanged",
          "RestoreLayout",
          "TimerFired"}},
        {"TCustomdxTreeListControl", {"IsFreeSelection", "SaveLayoutSettings", "LoadLayoutSettings"}},
        {"TreeListColumnModel",
         {"BandCount",
          "CellText",
          "ColumnAlignment",
          "ColumnCellHotTrack",
          "ColumnHeaderAlignment",
          "ColumnHeaderCaption",
          "ColumnHeaderHotTrack",
          "ColumnTabStop",
          "SetColumnWidth",
          "VisibleBandAlignment",
          "VisibleBandCaption"}},
        {"TdxTreeListColumn",
         {"DefaultAlignment",
          "InitEditProperties"}},
    };
    return names;
}

const char *const layoutQueryFault =
    "a descendant's override asked in the middle of the layout's or the metrics' computation (CalcLayout, "
    "CalcMetrics, HitTest), which goes on with the grid the override freed";
const char *const imageQueryFault =
    "the layout (NodeIndentRects, NodeIndentWidth, and CalcLayout and HitTest through them) asks the image "
    "queries in the middle of its computation and goes on with the grid a handler freed there";

// Overrides the scene reaches whose freeing the grid its caller still
// reads, with the routine that reads on. The sweep leaves them out.
const std::map<std::string, std::string> &knownFaults()
{
    static const std::map<std::string, std::string> faults = [] {
        std::map<std::string, std::string> f;
        for (const char *name : {"IsNodeSelected", "optionA", "optionB", "IsWidthFit", "ColumnWrapsText",
                                 "HeaderCellLineCount", "IndicatorWidth", "RowsTakeExtraStep", "ColumnTextHeight",
                                 "IsNewItemRowShown", "CanCacheRowHeight", "NodeRowHeight"})
            f[name] = layoutQueryFault;
        f["NodeStateIndex"] = imageQueryFault;
        // Answers of the column model and of the grid's columns, named with
        // their owner.
        for (const char *name :
             {"BandLineCount", "BandLineSetting", "BandSizable", "ColumnAt", "ColumnBand", "ColumnCount",
              "ColumnHeaderLineCount", "ColumnMinWidth", "ColumnSizable", "ColumnStoredWidth", "ColumnVisible",
              "ColumnsInBandLine", "FirstColumnExtraWidth", "HeaderPanelLineCount", "LeftFixedBand", "RightFixedBand",
              "VisibleBandCount", "VisibleBandMinWidth", "VisibleBandWidth", "VisiblePositionOfBand"})
            f[std::string("TreeListColumnModel::") + name] = layoutQueryFault;
        for (const char *name : {"BandAlive", "BandIndexOfVisible", "ColumnAlive"})
            f[std::string("TreeListColumnModel::") + name] =
                "EndColumnDrag asks it after the drop and goes on with the grid the override freed";
        for (const char *name : {"ColumnBandLine", "ColumnPositionInLine"})
            f[std::string("TreeListColumnModel::") + name] =
                "MouseMove, dragging a column header, asks it and goes on with the grid the override freed";
        f["TreeListColumnModel::RescaleHiddenColumns"] =
            "FinishColumnSizing asks it and goes on with the grid the override freed";
        f["TdxTreeListColumn::GetEditorClassName"] =
            "showEditorInCell asks the column for its editor's class and goes on with the grid the override freed";
        f["TdxTreeListColumn::DefaultReadOnly"] =
            "TdxTreeListColumn::InitEditProperties asks it and goes on with the column freed with the grid";
        return f;
    }();
    return faults;
}

} // namespace virtualsweep

std::vector<std::string> gridtest::VirtualSweepNames()
{
    std::vector<std::string> names;
    for (const auto &[owner, members] : virtualsweep::sweptVirtuals())
        for (const char *member : members)
            names.push_back(std::string(owner) + "::" + member);
    return names;
}

std::map<std::string, std::string> gridtest::VirtualSweepKnownFaults()
{
    std::map<std::string, std::string> faults;
    for (const auto &[name, fault] : virtualsweep::knownFaults())
        faults[name.find("::") == std::string::npos ? "TCustomdxTreeList::" + name : name] = fault;
    return faults;
}

namespace virtualsweep {

TEST(TreeListVirtualSweep, AnOverrideThatFreesTheGridEndsTheGridsStepCleanly)
{
    for (const auto &[owner, members] : sweptVirtuals())
        for (const char *name : members) {
            SCOPED_TRACE(name);
            if (qEnvironmentVariableIsSet("ZVO_SWEEP_TRACE"))
                std::fprintf(stderr, "%s\n", name);
            Scene s;
            heardIn.clear();
            victim = name;
            freeGrid = [&s] { s.tree.reset(); };
            const char *during = nullptr;
            for (const auto &[step, run] : scene()) {
                run(s);
                if (!s.tree) {
                    during = step;
                    break;
                }
            }
            victim = nullptr;
            freeGrid = nullptr;
            EXPECT_EQ(heardIn, name) << "the scene never called it";
            EXPECT_FALSE(s.tree) << "the grid outlived its free";
            if (qEnvironmentVariableIsSet("ZVO_SWEEP_TRACE") && during)
                std::fprintf(stderr, "  freed during %s\n", during);
        }
}

} // namespace virtualsweep

namespace virtualsweep {

// Routines the scene reaches only after the virtual's first call: each is
// run by itself with the override freeing the grid at its first question.
TEST(TreeListVirtualSweep, ARoutineWhoseQueryFreesTheGridEndsThere)
{
    struct Site
    {
        const char *routine;
        const char *name;
        std::function<void(Scene &)> run;
    };
    const std::vector<Site> sites = {
        {"MouseEntered", "IsHotTrack", [](Scene &s) { s.tree->MouseEntered(61, 60); }},
        {"MouseEntered", "HitTest", [](Scene &s) { s.tree->MouseEntered(61, 60); }},
        {"the hot track's update", "IsHotTrack", [](Scene &s) { s.tree->MouseLeft(); }},
        {"StepPage", "RowsPerPage", [](Scene &s) { s.tree->StepPage(true); }},
        {"StepPage on one row", "IsFocusedLast",
         [](Scene &s) {
             for (Node *n : s.nodes)
                 if (n != s.nodes[1])
                     n->Delete();
             s.tree->StepPage(true);
         }},
        {"StepPage on one row, up", "IsFocusedFirst",
         [](Scene &s) {
             for (Node *n : s.nodes)
                 if (n != s.nodes[1])
                     n->Delete();
             s.tree->StepPage(false);
         }},
        {"EndBandDrag", "IsPointOverCustomizing", [](Scene &s) { s.tree->EndBandDrag(0, true, 390, 5); }},
    };
    for (const Site &site : sites) {
        SCOPED_TRACE(std::string(site.routine) + " / " + site.name);
        Scene s;
        heardIn.clear();
        victim = site.name;
        freeGrid = [&s] { s.tree.reset(); };
        site.run(s);
        victim = nullptr;
        freeGrid = nullptr;
        EXPECT_EQ(heardIn, site.name) << "the routine never asked it";
        EXPECT_FALSE(s.tree) << "the grid outlived its free";
    }
}

} // namespace virtualsweep
