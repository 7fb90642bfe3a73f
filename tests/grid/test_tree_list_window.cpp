// The tree list as a window and a program see it: how a scroll reaches the
// screen (moved pixels or a full repaint, and what is drawn again besides),
// the hook told of a horizontal move, and the control's events and hooks
// that keys and clicks reach.

#include "LayoutFixture.h"

#include "grid/core/TreeListBottomHint.h"

#include "platform/classes/ImgList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

namespace {

// A grid whose hooks of the mouse's mode ends are counted.
class HookedTreeList : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    void BandBestFit(int band) override { bandFits.push_back(band); }
    void IndicatorButtonClick(bool bandPanel) override { (bandPanel ? bandButtons : headerButtons) += 1; }
    void BottomButtonClick() override { ++bottomButtons; }
    bool IsBottomPanelShown() override { return true; }
    int AlternativeHeaderMode() override { return headerMode; }
    void AlternativeHeaderClick(int column) override { headerClicks.push_back(column); }
    void ColumnSortClick(int column, TShiftState shift) override
    {
        clickFlags.push_back({HeaderClickShift(), HeaderClickCtrl()});
        TCustomdxTreeListControl::ColumnSortClick(column, shift);
    }
    int headerMode = 0;
    std::vector<std::pair<bool, bool>> clickFlags;
    std::vector<int> headerClicks;
    std::vector<int> bandFits;
    int bandButtons = 0;
    int headerButtons = 0;
    int bottomButtons = 0;
};

struct EventFixture : ControlFixture
{
    EventFixture()
    {
        tree = std::make_unique<HookedTreeList>(nullptr);
        tree->SetHost(&host);
        host.focused = true;
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boWidthFit));
        tree->SetDefaultLayout(false);
        tree->SetClientRect(rtl::Rect(0, 0, 400, 200));
        column("A")->SetWidth(150);
        column("B")->SetWidth(150);
        parent = node({"parent", "p"});
        node({"child", "c"}, parent);
        node({"other", "o"});
        tree->CalcMetrics();
        tree->OnKeyDown.Set([this](classes::TObject *sender, TKey &key, TShiftState) {
            log << QString("keydown %1").arg(key);
            EXPECT_EQ(sender, tree.get());
            if (key == swallowed)
                key = 0;
        });
        tree->OnKeyPress.Set(
            [this](classes::TObject *, TChar &key) { log << QString("keypress ") + QString::fromUcs4(&key, 1); });
        tree->OnMouseDown.Set([this](classes::TObject *sender, TMouseButton, TShiftState shift, int x, int y) {
            EXPECT_EQ(sender, tree.get());
            log << QString("down%1 %2 %3").arg(shift & ssDouble ? "dbl" : "").arg(x).arg(y);
        });
        tree->OnMouseUp.Set([this](classes::TObject *, TMouseButton, TShiftState, int x, int y) {
            log << QString("up %1 %2").arg(x).arg(y);
        });
        tree->OnClick.Set([this](classes::TObject *) { log << "click"; });
        tree->OnDblClick.Set([this](classes::TObject *) { log << "dblclick"; });
    }
    HookedTreeList &hooked() { return static_cast<HookedTreeList &>(*tree); }
    // The first point that hits the code, scanning the client area.
    rtl::TPoint pointOf(TdxTreeListHitCode code)
    {
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 400; ++x)
                if (tree->HitTest(x, y).HitCode == code)
                    return {x, y};
        ADD_FAILURE() << "no point hits code " << int(code);
        return {-1, -1};
    }
    void doubleClick(rtl::TPoint at)
    {
        tree->MouseDown(mbLeft, ssLeft, at.X, at.Y);
        tree->MouseUp(mbLeft, 0, at.X, at.Y);
        log.clear();
        tree->MouseDown(mbLeft, ssLeft | ssDouble, at.X, at.Y);
        tree->MouseUp(mbLeft, 0, at.X, at.Y);
    }
    TdxTreeListNode *parent = nullptr;
    TKey swallowed = 0;
    QStringList log;
};

} // namespace

TEST(TreeListEvents, KeysAndClicksReachTheControlsEventsWhereTheyBelong)
{
    EventFixture f;
    f.tree->SetFocusedNode(f.tree->Items(0));
    TKey down = VK_DOWN;
    f.tree->KeyDown(down, 0);
    EXPECT_EQ(f.log, QStringList{QString("keydown %1").arg(VK_DOWN)});
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(1));
    // A handler that takes the key keeps the grid from acting on it.
    f.swallowed = VK_UP;
    TKey up = VK_UP;
    f.tree->KeyDown(up, 0);
    EXPECT_EQ(up, 0);
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(1));
    f.log.clear();
    TChar typed = 'x';
    f.tree->KeyPress(typed);
    EXPECT_EQ(f.log, QStringList{"keypress x"});
    // A character the handler takes does nothing more: "+" opens no node.
    f.tree->SetFocusedNode(f.parent);
    f.tree->OnKeyPress.Set([](classes::TObject *, TChar &key) { key = 0; });
    TChar plus = '+';
    f.tree->KeyPress(plus);
    EXPECT_FALSE(f.parent->Expanded());

    // A click on a cell: the press, then the click, then the release.
    f.log.clear();
    const rtl::TPoint cell = f.pointOf(htCell);
    f.tree->MouseDown(mbLeft, ssLeft, cell.X, cell.Y);
    f.tree->MouseUp(mbLeft, 0, cell.X, cell.Y);
    EXPECT_EQ(f.log, (QStringList{QString("down %1 %2").arg(cell.X).arg(cell.Y), "click",
                                  QString("up %1 %2").arg(cell.X).arg(cell.Y)}));
    // A header press is no click of the rows, but the mouse events fire.
    f.log.clear();
    const rtl::TPoint header = f.pointOf(htColumnHeader);
    f.tree->MouseDown(mbLeft, ssLeft, header.X, header.Y);
    f.tree->MouseUp(mbLeft, 0, header.X + 20, header.Y);
    ASSERT_FALSE(f.log.isEmpty());
    EXPECT_TRUE(f.log.front().startsWith("down"));
    EXPECT_FALSE(f.log.contains("click"));
    // Let go away from the header, in either header mode, it is a release
    // the program hears of, and no click.
    for (int mode : {0, 2}) {
        f.hooked().headerMode = mode;
        f.log.clear();
        f.tree->MouseDown(mbLeft, ssLeft, header.X, header.Y);
        f.tree->MouseUp(mbLeft, 0, cell.X, cell.Y);
        EXPECT_EQ(f.log, (QStringList{QString("down %1 %2").arg(header.X).arg(header.Y),
                                      QString("up %1 %2").arg(cell.X).arg(cell.Y)}))
            << mode;
    }
    EXPECT_TRUE(f.hooked().headerClicks.empty());
}

TEST(TreeListEvents, ADoubleClickAnywhereInTheRowsIsOneDblClick)
{
    EventFixture f;
    const auto dblClicks = [&f] { return int(f.log.count("dblclick")); };
    // On the expand button: the node toggles once per press, one DblClick.
    const rtl::TPoint button = f.pointOf(htButton);
    f.doubleClick(button);
    EXPECT_EQ(dblClicks(), 1);
    EXPECT_FALSE(f.parent->Expanded()); // opened by the first press, closed by the second
    f.doubleClick(f.pointOf(htCell));
    EXPECT_EQ(dblClicks(), 1);
    f.doubleClick(f.pointOf(htIndent));
    EXPECT_EQ(dblClicks(), 1);
    f.doubleClick(f.pointOf(htNowhere));
    EXPECT_EQ(dblClicks(), 1);
    // The header is not the rows.
    f.doubleClick(f.pointOf(htColumnHeader));
    EXPECT_EQ(dblClicks(), 0);
}

TEST(TreeListEvents, ADoubleClickOnABandEdgeAsksTheBandsBestFit)
{
    EventFixture f;
    TreeListSettings s = f.tree->Settings();
    s.ShowBands = true;
    f.tree->SetSettings(s);
    f.tree->CalcMetrics();
    const rtl::TPoint edge = f.pointOf(htBandEdge);
    const int band = f.tree->HitTest(edge.X, edge.Y).BandIndex;
    f.tree->MouseDown(mbLeft, ssLeft | ssDouble, edge.X, edge.Y);
    EXPECT_EQ(f.hooked().bandFits, std::vector<int>{band});
    EXPECT_EQ(f.tree->State(), tsNone);
}

TEST(TreeListEvents, AtDesignTimeHeadersBandsAndEdgesAndARunningModeKeepTheMouse)
{
    EventFixture f;
    TreeListSettings s = f.tree->Settings();
    s.ShowBands = true;
    f.tree->SetSettings(s);
    f.tree->CalcMetrics();
    const rtl::TPoint header = f.pointOf(htColumnHeader);
    const rtl::TPoint edge = f.pointOf(htColumnEdge);
    const rtl::TPoint band = f.pointOf(htBandHeader);
    const rtl::TPoint cell = f.pointOf(htCell);
    EXPECT_FALSE(f.tree->DesignHitTest(header.X, header.Y)); // a running program: no designer asks
    f.tree->SetDesigning(true);
    for (rtl::TPoint p : {header, edge, band, f.pointOf(htBandEdge)})
        EXPECT_TRUE(f.tree->DesignHitTest(p.X, p.Y)) << p.X << "," << p.Y;
    EXPECT_FALSE(f.tree->DesignHitTest(cell.X, cell.Y));
    // A column being sized keeps the mouse wherever the pointer goes.
    f.tree->MouseDown(mbLeft, ssLeft, edge.X, edge.Y);
    ASSERT_EQ(f.tree->State(), tsColumnSizing);
    EXPECT_TRUE(f.tree->DesignHitTest(cell.X, cell.Y));
}

TEST(TreeListEvents, PanelButtonsAreHeldDownUntilReleasedAndThenTellTheirHooks)
{
    EventFixture f;
    TreeListSettings s = f.tree->Settings();
    s.ShowBands = true;
    s.ShowIndicator = true;
    f.tree->SetSettings(s);
    f.tree->CalcMetrics();
    const rtl::TPoint band = f.pointOf(htBandIndicator);
    const rtl::TPoint header = f.pointOf(htHeaderIndicator);
    // Without their options the pieces are no buttons.
    f.tree->MouseDown(mbLeft, ssLeft, band.X, band.Y);
    EXPECT_EQ(f.tree->State(), tsNone);
    f.tree->MouseUp(mbLeft, 0, band.X, band.Y);
    f.tree->SetOptionsB(f.tree->OptionsB() | 1u << boBandButton | 1u << boHeaderButton);
    f.tree->MouseDown(mbLeft, ssLeft, band.X, band.Y);
    EXPECT_EQ(f.tree->State(), tsBandButtonDown);
    EXPECT_TRUE(f.tree->ButtonPressed());
    f.tree->MouseUp(mbLeft, 0, band.X, band.Y);
    EXPECT_EQ(f.tree->State(), tsNone);
    EXPECT_FALSE(f.tree->ButtonPressed());
    EXPECT_EQ(f.hooked().bandButtons, 1);
    f.tree->MouseDown(mbLeft, ssLeft, header.X, header.Y);
    EXPECT_EQ(f.tree->State(), tsHeaderButtonDown);
    // Cancelled, it lets go without the hook.
    f.tree->CancelMode();
    EXPECT_EQ(f.tree->State(), tsNone);
    f.tree->MouseUp(mbLeft, 0, header.X, header.Y);
    EXPECT_EQ(f.hooked().headerButtons, 0);
    f.tree->MouseDown(mbLeft, ssLeft, header.X, header.Y);
    f.tree->MouseUp(mbLeft, 0, header.X, header.Y);
    EXPECT_EQ(f.hooked().headerButtons, 1);

    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    ASSERT_FALSE(info.BottomPanelRect.IsEmpty());
    const rtl::TRect face = TreeListBottomHint::ButtonRect(info.BottomPanelRect);
    f.tree->MouseDown(mbLeft, ssLeft, face.Right + 5, face.Top + 2); // beside it
    EXPECT_EQ(f.tree->State(), tsNone);
    f.tree->MouseUp(mbLeft, 0, face.Right + 5, face.Top + 2);
    f.tree->MouseDown(mbLeft, ssLeft, face.Left + 2, face.Top + 2);
    EXPECT_EQ(f.tree->State(), tsBottomButtonDown);
    f.tree->MouseUp(mbLeft, 0, face.Left + 2, face.Top + 2);
    EXPECT_EQ(f.hooked().bottomButtons, 1);
    EXPECT_EQ(f.hooked().bandButtons, 1);
}

TEST(TreeListEvents, BandClicksAndFinishedSizingsAreTold)
{
    EventFixture f;
    TreeListSettings s = f.tree->Settings();
    s.ShowBands = true;
    f.tree->SetSettings(s);
    f.tree->CalcMetrics();
    QStringList heard;
    f.tree->OnBandClick = [&](classes::TObject *, TdxTreeListBand *band) { heard << "band " + band->Caption(); };
    f.tree->OnBandSized = [&](classes::TObject *, TdxTreeListBand *) { heard << "band sized"; };
    f.tree->OnColumnSized = [&](classes::TObject *, TdxTreeListColumn *c) { heard << "sized " + c->Caption(); };
    f.tree->OnBeginBandSizing = [&](classes::TObject *, TdxTreeListBand *b) { heard << "band sizing " + b->Caption(); };
    f.tree->OnBeginColumnSizing = [&](classes::TObject *, TdxTreeListColumn *c) { heard << "sizing " + c->Caption(); };
    f.tree->Bands()->Items(0)->SetCaption("Main");
    const rtl::TPoint band = f.pointOf(htBandHeader);
    f.tree->MouseDown(mbLeft, ssLeft, band.X, band.Y);
    f.tree->MouseUp(mbLeft, 0, band.X + 2, band.Y);
    EXPECT_EQ(heard, QStringList{"band Main"});
    heard.clear();
    // A column's edge: released where it was pressed, nothing changed; the
    // start is told all the same, as the press begins the sizing.
    const rtl::TPoint edge = f.pointOf(htColumnEdge);
    f.tree->MouseDown(mbLeft, ssLeft, edge.X, edge.Y);
    f.tree->MouseUp(mbLeft, 0, edge.X, edge.Y);
    EXPECT_EQ(heard, QStringList{"sizing A"});
    heard.clear();
    f.tree->MouseDown(mbLeft, ssLeft, edge.X, edge.Y);
    f.tree->MouseMove(ssLeft, edge.X - 30, edge.Y);
    f.tree->MouseUp(mbLeft, 0, edge.X - 30, edge.Y);
    EXPECT_EQ(heard, (QStringList{"sizing A", "sized A"}));
    heard.clear();
    // A double click on the edge fits the column and starts no sizing.
    f.tree->MouseDown(mbLeft, ssLeft | ssDouble, edge.X - 30, edge.Y);
    EXPECT_TRUE(heard.isEmpty());
    const rtl::TPoint bandEdge = f.pointOf(htBandEdge);
    f.tree->MouseDown(mbLeft, ssLeft, bandEdge.X, bandEdge.Y);
    f.tree->MouseMove(ssLeft, bandEdge.X - 40, bandEdge.Y);
    f.tree->MouseUp(mbLeft, 0, bandEdge.X - 40, bandEdge.Y);
    EXPECT_EQ(heard, (QStringList{"band sizing Main", "band sized"}));
}

TEST(TreeListEvents, CustomDrawHandlersAreAskedInTurnUntilOneIsDone)
{
    EventFixture f;
    TdxTreeListColumn *column = f.tree->Columns(1);
    QStringList asked;
    QString stopAt;
    const auto cell = [&](const char *name) {
        return [&asked, &stopAt, name](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *,
                                       TdxTreeListColumn *, bool, bool, bool, QString &, rtl::TColor &,
                                       classes::TFont *, TAlignment &, bool &done) {
            asked << name;
            done = stopAt == name;
        };
    };
    EXPECT_FALSE(f.tree->IsCustomDrawCell(1));
    f.tree->OnCustomDrawCellEx.Set(cell("second"));
    EXPECT_TRUE(f.tree->IsCustomDrawCell(1));
    f.tree->OnCustomDrawCell.Set(cell("first"));
    column->OnCustomDrawCell.Set(cell("column"));
    QString text;
    rtl::TColor color = rtl::clWindow;
    TAlignment alignment = taLeftJustify;
    bool done = false;
    const auto drawCell = [&] {
        asked.clear();
        done = false;
        f.tree->DoCustomDrawCell(nullptr, {}, f.parent, 1, false, false, false, text, color, nullptr, alignment, done);
        return asked;
    };
    EXPECT_EQ(drawCell(), (QStringList{"first", "second", "column"}));
    stopAt = "second";
    EXPECT_EQ(drawCell(), (QStringList{"first", "second"}));
    EXPECT_TRUE(done);

    // Footer cells: the panel's (row -1) and a node's row footer lines.
    EXPECT_FALSE(f.tree->IsCustomDrawRowCell(-1));
    int footerRow = -5;
    f.tree->OnCustomDrawFooterNode.Set([&](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *,
                                           TdxTreeListColumn *c, int row, QString &, rtl::TColor &, classes::TFont *,
                                           TAlignment &, bool &) {
        EXPECT_EQ(c, column);
        footerRow = row;
    });
    EXPECT_FALSE(f.tree->IsCustomDrawRowCell(-1));
    EXPECT_TRUE(f.tree->IsCustomDrawRowCell(0));
    done = false;
    f.tree->DoCustomDrawRowCell(-1, nullptr, {}, nullptr, 1, text, color, nullptr, alignment, done);
    EXPECT_EQ(footerRow, -5);
    f.tree->DoCustomDrawRowCell(2, nullptr, {}, f.parent, 1, text, color, nullptr, alignment, done);
    EXPECT_EQ(footerRow, 2);

    // The node's part: the first event, then the second unless done.
    asked.clear();
    const auto node = [&](const char *name) {
        return [&asked, name](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *, QString &,
                              rtl::TColor &, classes::TFont *, TAlignment &, bool &nodeDone) {
            asked << name;
            nodeDone = true;
        };
    };
    EXPECT_FALSE(f.tree->IsCustomDrawNode());
    f.tree->OnCustomDrawNodeEx.Set(node("second"));
    EXPECT_TRUE(f.tree->IsCustomDrawNode());
    f.tree->OnCustomDrawNode.Set(node("first"));
    done = false;
    f.tree->DoCustomDrawNode(nullptr, {}, f.parent, text, color, nullptr, alignment, done);
    EXPECT_EQ(asked, QStringList{"first"});

    EXPECT_FALSE(f.tree->IsCustomDrawNotify());
    int values = 0;
    f.tree->OnCustomDrawNotify.Set([&](classes::TObject *, int first, int second) { values = first * 10 + second; });
    EXPECT_TRUE(f.tree->IsCustomDrawNotify());
    f.tree->DoCustomDrawNotify(4, 2);
    EXPECT_EQ(values, 42);
}

TEST(TreeListEvents, InTheAlternativeHeaderModeAHeaderClickGoesToItsHookNotToSorting)
{
    EventFixture f;
    f.hooked().headerMode = 2;
    const rtl::TPoint header = f.pointOf(htColumnHeader);
    const int column = f.tree->HitTest(header.X, header.Y).ColumnIndex;
    f.tree->MouseDown(mbLeft, ssLeft, header.X, header.Y);
    EXPECT_EQ(f.tree->State(), tsColumnDownAlt);
    EXPECT_EQ(f.tree->PressedColumn(), column);
    f.tree->MouseMove(ssLeft, header.X + 20, header.Y); // no drag from here
    EXPECT_EQ(f.tree->State(), tsColumnDownAlt);
    f.tree->MouseUp(mbLeft, 0, header.X, header.Y);
    EXPECT_EQ(f.tree->State(), tsNone);
    EXPECT_EQ(f.tree->PressedColumn(), -1);
    EXPECT_EQ(f.hooked().headerClicks, std::vector<int>{column});
    EXPECT_EQ(f.tree->ColumnSortState(column), 0);
    // Released off the header: nothing.
    f.tree->MouseDown(mbLeft, ssLeft, header.X, header.Y);
    const rtl::TPoint cell = f.pointOf(htCell);
    f.tree->MouseUp(mbLeft, 0, cell.X, cell.Y);
    EXPECT_EQ(f.hooked().headerClicks.size(), 1u);
    EXPECT_EQ(f.tree->State(), tsNone);
    // In the ordinary mode the click sorts.
    f.hooked().headerMode = 0;
    f.tree->MouseDown(mbLeft, ssLeft, header.X, header.Y);
    f.tree->MouseUp(mbLeft, 0, header.X, header.Y);
    EXPECT_NE(f.tree->ColumnSortState(column), 0);
    EXPECT_EQ(f.hooked().headerClicks.size(), 1u);
    // In design mode the alternative click is nobody's.
    f.hooked().headerMode = 2;
    f.tree->SetDesigning(true, false);
    f.tree->MouseDown(mbLeft, ssLeft, header.X, header.Y);
    f.tree->MouseUp(mbLeft, 0, header.X, header.Y);
    EXPECT_EQ(f.hooked().headerClicks.size(), 1u);
}

// The header click knows which modifiers it came with while it runs, and
// only then; Shift counts only where several columns may sort.
TEST(TreeListEvents, AHeaderClickKnowsItsModifiersOnlyWhileItRuns)
{
    EventFixture f;
    const rtl::TPoint header = f.pointOf(htColumnHeader);
    auto click = [&](TShiftState shift) {
        f.tree->MouseDown(mbLeft, ssLeft | shift, header.X, header.Y);
        f.tree->MouseUp(mbLeft, shift, header.X, header.Y);
    };
    click(ssShift);
    click(ssCtrl);
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boMultiSort));
    click(ssShift | ssCtrl);
    click(0);
    using Flags = std::pair<bool, bool>;
    EXPECT_EQ(f.hooked().clickFlags,
              (std::vector<Flags>{{false, false}, {false, true}, {true, true}, {false, false}}));
    EXPECT_FALSE(f.tree->HeaderClickShift());
    EXPECT_FALSE(f.tree->HeaderClickCtrl());
}

// Image lists: a change of a list's size reaches the rows, and a list whose
// component goes is forgotten, whether the grid was handed the component or
// only its list.
TEST(TreeListWindow, ImageListsAreFollowedAndForgottenWhenTheyGo)
{
    LayoutFixture f;
    f.column("A");
    f.node({"a"});
    auto *list = new classes::TImageList();
    f.tree->SetImages(&list->List());
    EXPECT_EQ(f.tree->ImageSizes().ImageHeight, 16);
    list->SetHeight(40);
    EXPECT_EQ(f.tree->ImageSizes().ImageHeight, 40);
    EXPECT_EQ(f.tree->Metrics().MinRowHeight, 40);
    EXPECT_EQ(f.layout().Rows.at(0).Height, 40);

    // Handed the list alone, linked by the program.
    list->FreeNotification(f.tree.get());
    delete list;
    EXPECT_EQ(f.tree->Images(), nullptr);
    EXPECT_EQ(f.tree->ImageSizes().ImageHeight, 0);
    EXPECT_EQ(f.tree->Metrics().MinRowHeight, 16);

    // A bare list that goes with no component to tell of it is no list the
    // painters may read.
    for (const bool state : {false, true}) {
        auto bare = std::make_unique<gfx::ImageList>();
        (f.tree.get()->*(state ? &TCustomdxTreeList::SetStateImages : &TCustomdxTreeList::SetImages))(bare.get());
        bare.reset();
        EXPECT_EQ(state ? f.tree->StateImages() : f.tree->Images(), nullptr);
    }

    // The component form links itself; one component may serve both.
    list = new classes::TImageList();
    auto *other = new classes::TImageList();
    other->SetWidth(24);
    f.tree->SetImagesComponent(list);
    f.tree->SetStateImagesComponent(list);
    EXPECT_EQ(f.tree->StateImages(), &list->List());
    f.tree->SetImages(&other->List()); // lets the component go for the images only
    EXPECT_EQ(f.tree->ImagesComponent(), nullptr);
    EXPECT_EQ(f.tree->ImageSizes().ImageWidth, 24);
    delete list;
    EXPECT_EQ(f.tree->StateImages(), nullptr);
    EXPECT_EQ(f.tree->StateImagesComponent(), nullptr);
    EXPECT_EQ(f.tree->Images(), &other->List());
    other->SetWidth(20);
    EXPECT_EQ(f.tree->ImageSizes().ImageWidth, 20);

    // A list that is let go no longer reaches the grid; one that outlives
    // the grid does not call it once it is gone.
    f.tree->SetImagesComponent(nullptr);
    other->SetHeight(50);
    EXPECT_EQ(f.tree->ImageSizes().ImageHeight, 0);
    f.tree->SetImagesComponent(other);
    f.tree.reset();
    other->SetHeight(60);
    delete other;
}

// A list that serves one grid after another keeps a link only for the grids
// that still live; a grid whose lists went before it goes safely.
TEST(TreeListWindow, GridsThatGoLeaveNoLinkInTheListsThatStay)
{
    classes::TImageList shared;
    const int before = shared.List().linkCount();
    for (int i = 0; i < 3; ++i) {
        LayoutFixture f;
        f.tree->SetImagesComponent(&shared);
        f.tree->SetStateImages(&shared.List());
        EXPECT_EQ(shared.List().linkCount(), before + 2);
    }
    EXPECT_EQ(shared.List().linkCount(), before);

    LayoutFixture f;
    auto loose = std::make_unique<gfx::ImageList>(24, 24);
    auto linked = std::make_unique<classes::TImageList>();
    f.tree->SetImages(loose.get());
    f.tree->SetStateImagesComponent(linked.get());
    loose.reset();
    linked.reset();
    EXPECT_EQ(f.tree->StateImages(), nullptr);
    f.tree.reset();
}
