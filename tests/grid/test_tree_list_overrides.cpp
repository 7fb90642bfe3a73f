// A descendant that overrides the tree list's and the control's hooks, and
// what the grid calls them with and when.

#include "ControlFixture.h"
#include "CoreFakes.h"

#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListNodeDrag.h"

#include <gtest/gtest.h>

using namespace grid;
using gridtest::FakeTreeListHost;

namespace {

class PictureHost : public FakeTreeListHost
{
public:
    void beginDragImage(const TreeListDragPicture &picture, const rtl::TPoint &) override
    {
        pictures.push_back(picture);
    }
    std::vector<TreeListDragPicture> pictures;
};

class HookedControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;

    QStringList heard;
    QStringList topTexts()
    {
        QStringList texts;
        for (int i = 0; i < Count(); ++i)
            texts << GetNodeString(Items(i), 0);
        return texts;
    }

    // What the overrides answer.
    TdxTreeListNode *lastRow = nullptr;
    rtl::TRect scrollRect = rtl::Rect(0, 0, 0, 0);
    bool customizing = false;
    bool overCustomizing = false;
    int noCustomizing = -1; // a column that refuses to be hidden
    int nodeCountNotices = 0;
    int scrollBarUpdates = 0;

    bool IsLastRow(TdxTreeListNode *node) override
    {
        return lastRow ? node == lastRow : TCustomdxTreeList::IsLastRow(node);
    }
    rtl::TRect RowsScrollRect() override
    {
        return scrollRect.IsEmpty() ? TCustomdxTreeList::RowsScrollRect() : scrollRect;
    }
    void UpdateScrollBars() override
    {
        ++scrollBarUpdates;
        TCustomdxTreeList::UpdateScrollBars();
    }
    void SetDefaultRowHeight(int height) override
    {
        heard << QString("row height %1").arg(height);
        TCustomdxTreeList::SetDefaultRowHeight(height);
    }
    TreeListDragPicture BuildNodeDragImage(TdxTreeListNode *node, int) override
    {
        return {TreeListDragPicture::Node, node, 77};
    }
    bool IsCustomizingShown() override { return customizing; }
    bool IsPointOverCustomizing(int, int) override { return overCustomizing; }
    bool ColumnCustomizingDisabled(int column) override { return column == noCustomizing; }
    void HideColumn(int column) override
    {
        heard << QString("hide %1").arg(column);
        TCustomdxTreeListControl::HideColumn(column);
    }
    void MoveColumn(int column, int band, int line, int place) override
    {
        heard << QString("move %1 to %2 %3 %4").arg(column).arg(band).arg(line).arg(place);
        TCustomdxTreeListControl::MoveColumn(column, band, line, place);
    }
    void BeginColumnDrag(int column, int x, int y) override
    {
        heard << QString("begin drag %1").arg(column);
        TCustomdxTreeList::BeginColumnDrag(column, x, y);
    }
    void EndColumnDrag(int column, bool dropped, int x, int y) override
    {
        heard << QString("end drag %1 %2").arg(column).arg(dropped);
        TCustomdxTreeList::EndColumnDrag(column, dropped, x, y);
    }
    int ColumnTextHeight(int column) override { return column == 1 ? 40 : TCustomdxTreeList::ColumnTextHeight(column); }
    using TCustomdxTreeListControl::HideColumn;
    using TCustomdxTreeListControl::MoveColumn;

protected:
    void NodeCountChanged() override { ++nodeCountNotices; }
    void DoBeforeSort(TdxTreeListColumn *column) override
    {
        heard << QString("before %1 %2").arg(column->Caption()).arg(int(column->Sorted()));
    }
    void SortUnlocked() override { heard << "unlocked " + topTexts().join(','); }
};

struct HookedFixture
{
    HookedFixture()
        : tree(std::make_unique<HookedControl>(nullptr))
    {
        tree->SetHost(&host);
        column = tree->CreateColumn(TdxTreeListColumn::StaticClass());
        column->SetCaption("A");
        for (const char *t : {"b", "c", "a"})
            tree->SetNodeString(tree->Add(), 0, QString::fromLatin1(t));
    }
    ~HookedFixture() { tree.reset(); }

    // A second column and a laid-out window of 300 x 200.
    void laidOut()
    {
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boWidthFit));
        tree->SetDefaultLayout(false);
        tree->Bands()->Items(0)->SetMinWidth(0);
        tree->Bands()->Items(0)->SetWidth(200);
        column->SetWidth(100);
        auto *second = tree->CreateColumn(TdxTreeListColumn::StaticClass());
        second->SetCaption("B");
        second->SetWidth(100);
        tree->SetClientRect(rtl::Rect(0, 0, 300, 200));
        tree->CalcMetrics();
    }
    rtl::TPoint find(const std::function<bool(const TdxTreeListHitInfo &)> &test)
    {
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                if (test(tree->HitTest(x, y)))
                    return {x, y};
        ADD_FAILURE() << "no such point";
        return {-1, -1};
    }
    rtl::TPoint header(int index)
    {
        return find(
            [index](const TdxTreeListHitInfo &h) { return h.HitCode == htColumnHeader && h.ColumnIndex == index; });
    }
    void dragHeader(int index, int dx, int dy)
    {
        const rtl::TPoint at = header(index);
        tree->MouseDown(mbLeft, ssLeft, at.X + 5, at.Y);
        tree->MouseMove(ssLeft, at.X + 5 + dx, at.Y + dy);
        tree->MouseUp(mbLeft, 0, at.X + 5 + dx, at.Y + dy);
    }

    PictureHost host;
    std::unique_ptr<HookedControl> tree;
    TdxTreeListColumn *column = nullptr;
};

} // namespace

TEST(TreeListHooks, ASortMarkAsksTheBeforeSortHookAndALiftedLockSortsBeforeItsHook)
{
    HookedFixture f;
    // Asked before the mark changes; clearing a mark sorts nothing.
    f.column->SetSorted(csUp);
    EXPECT_EQ(f.tree->heard, QStringList{"before A 0"});
    EXPECT_EQ(f.tree->topTexts(), (QStringList{"a", "b", "c"}));
    f.tree->heard.clear();
    f.column->SetSorted(csNone);
    EXPECT_EQ(f.tree->heard, QStringList{"unlocked a,b,c"});

    // A sort held back by the lock has run by the time the hook hears.
    f.tree->heard.clear();
    f.tree->BeginSortLock();
    f.tree->BeginSortLock();
    f.column->SetSorted(csDown);
    EXPECT_EQ(f.tree->topTexts(), (QStringList{"a", "b", "c"}));
    f.tree->EndSortLock();
    EXPECT_EQ(f.tree->heard, QStringList{"before A 0"});
    f.tree->EndSortLock();
    EXPECT_EQ(f.tree->heard, (QStringList{"before A 0", "unlocked c,b,a"}));
}

TEST(TreeListColumn, OwnsTheDrawingDataOfItsCellsForItsLife)
{
    HookedFixture f;
    TdxEditViewData *data = &f.column->EditViewData();
    EXPECT_NE(dynamic_cast<TdxTextEditViewData *>(data), nullptr);
    f.column->SetPasswordChar('*');
    TdxEditViewData &first = f.column->FillCellViewData(rtl::Rect(0, 0, 50, 18), "secret", rtl::clWindow, rtl::clBlack);
    EXPECT_EQ(&first, data);
    EXPECT_EQ(first.EditValue.toString(), "secret");
    EXPECT_EQ(static_cast<TdxTextEditViewData &>(first).PasswordChar, QChar('*'));
    // What the last cell's drawing measured does not carry to the next.
    first.TextLength = 6;
    first.MeasureOnly = true;
    TdxEditViewData &second = f.column->FillCellViewData(rtl::Rect(0, 18, 50, 36), "ab", rtl::clWindow, rtl::clBlack);
    EXPECT_EQ(&second, data);
    EXPECT_EQ(second.TextLength, 0);
    EXPECT_FALSE(second.MeasureOnly);
    EXPECT_EQ(second.Bounds, rtl::Rect(0, 18, 50, 36));
}

TEST(TreeListHooks, NodeCountRowsScrollBarsAndRowHeightGoThroughTheHooks)
{
    HookedFixture f;
    // Three nodes added: three notices; a branch going, or all of them,
    // one each.
    EXPECT_EQ(f.tree->nodeCountNotices, 3);
    TdxTreeListNode *parent = f.tree->Items(0);
    parent->AddChild();
    parent->AddChild();
    EXPECT_EQ(f.tree->nodeCountNotices, 5);
    parent->Delete();
    EXPECT_EQ(f.tree->nodeCountNotices, 6);

    // The last row as the descendant says: the focus on it is the last.
    TdxTreeListNode *first = f.tree->Items(0);
    f.tree->SetFocusedNode(first);
    EXPECT_FALSE(f.tree->IsFocusedLast());
    f.tree->lastRow = first;
    EXPECT_TRUE(f.tree->IsFocusedLast());
    f.tree->lastRow = nullptr;

    f.laidOut();
    for (int i = 0; i < 30; ++i)
        f.tree->SetNodeString(f.tree->Add(), 0, QString::number(i));
    f.tree->scrollRect = rtl::Rect(3, 40, 250, 190);
    f.host.invalidated.clear();
    const int updates = f.tree->scrollBarUpdates;
    f.tree->SetTopRowIndex(2);
    EXPECT_EQ(f.tree->TopRowIndex(), 2);
    EXPECT_EQ(f.tree->scrollBarUpdates, updates + 1);
    // The host scrolls (and here repaints) the rectangle the hook gives.
    ASSERT_FALSE(f.host.invalidated.empty());
    EXPECT_EQ(f.host.invalidated.back(), f.tree->scrollRect);
    f.tree->SetTopRowIndex(2);
    EXPECT_EQ(f.tree->scrollBarUpdates, updates + 1);

    // A row sized by hand sets the default row height through its hook.
    f.tree->heard.clear();
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    ASSERT_FALSE(info.Rows.empty());
    f.tree->FinishRowSizing(info.Rows[0].Node, info.Rows[0].Top + 30);
    ASSERT_EQ(f.tree->heard.size(), 1);
    EXPECT_TRUE(f.tree->heard[0].startsWith("row height "));
    // The metrics keep it above the rows' minimum.
    EXPECT_EQ(f.tree->Settings().DefaultRowHeight,
              std::max(f.tree->heard[0].mid(11).toInt(), f.tree->Metrics().MinRowHeight));

    // A column's "Wg" height enters the rows' minimum height.
    EXPECT_GE(f.tree->Metrics().MinRowHeight, 40);
}

TEST(TreeListHooks, ANodeDragCarriesThePictureTheHookBuilds)
{
    HookedFixture f;
    f.laidOut();
    TreeListNodeDrag &drag = f.tree->NodeDrag();
    drag.SetDraggedNode(f.tree->Items(1));
    ASSERT_TRUE(drag.BeginDrag(20, 40));
    ASSERT_EQ(f.host.pictures.size(), 1u);
    EXPECT_EQ(f.host.pictures[0].DraggedNode, f.tree->Items(1));
    EXPECT_EQ(f.host.pictures[0].Index, 77);
    drag.Cancel();
}

TEST(TreeListHooks, HeaderDragsGoThroughTheirSlotsAndTheCustomisationWindowHides)
{
    HookedFixture f;
    f.laidOut();
    // Dropped on the other column's place: begin, end, move.
    const rtl::TPoint b = f.header(1);
    const rtl::TPoint a = f.header(0);
    f.dragHeader(1, a.X - b.X - 5, 0);
    EXPECT_EQ(f.tree->heard, (QStringList{"begin drag 1", "end drag 1 1", "move 1 to 0 0 0"}));
    EXPECT_EQ(f.tree->Columns(1)->Caption(), "A");

    // Outside the grid: kept without the hiding option and no window.
    f.tree->heard.clear();
    f.dragHeader(0, 0, 400);
    EXPECT_EQ(f.tree->heard, (QStringList{"begin drag 0", "end drag 0 1"}));
    EXPECT_TRUE(f.tree->Columns(0)->Visible());
    // Over the customisation window while it is shown: hidden, unless the
    // column refuses.
    f.tree->customizing = true;
    f.tree->overCustomizing = true;
    f.tree->noCustomizing = 0;
    f.tree->heard.clear();
    f.dragHeader(0, 10, 0);
    EXPECT_EQ(f.tree->heard, (QStringList{"begin drag 0", "end drag 0 1"}));
    f.tree->noCustomizing = -1;
    f.tree->heard.clear();
    f.dragHeader(0, 10, 0);
    EXPECT_EQ(f.tree->heard, (QStringList{"begin drag 0", "end drag 0 1", "hide 0"}));
    EXPECT_FALSE(f.tree->Columns(0)->Visible());
    EXPECT_TRUE(f.tree->ColumnMayBeShown(0));
    EXPECT_FALSE(f.tree->ColumnMayBeShown(1));

    // Esc during a drag ends it through the same step, without a drop.
    f.tree->heard.clear();
    const rtl::TPoint at = f.header(1);
    f.tree->MouseDown(mbLeft, ssLeft, at.X + 5, at.Y);
    f.tree->MouseMove(ssLeft, at.X + 40, at.Y + 400);
    ASSERT_EQ(f.tree->State(), tsColumnDragging);
    TKey esc = VK_ESCAPE;
    f.tree->KeyDown(esc, 0);
    EXPECT_EQ(f.tree->State(), tsNone);
    EXPECT_EQ(f.tree->heard, (QStringList{"begin drag 1", "end drag 1 0"}));
    EXPECT_TRUE(f.tree->Columns(1)->Visible());
}

TEST(TreeListControl, AnswersTheHeaderQueriesFromItsColumnsAndBands)
{
    HookedFixture f;
    EXPECT_EQ(f.tree->ColumnHeaderGlyph(0), f.column->HeaderGlyph());
    EXPECT_FALSE(f.tree->ColumnHasHeaderGlyph(0));
    EXPECT_FALSE(f.tree->ColumnHasHeaderGlyph(5));
    f.column->SetDisableCustomizing(true);
    EXPECT_TRUE(f.tree->TCustomdxTreeListControl::ColumnCustomizingDisabled(0));
    f.tree->Bands()->Items(0)->SetVisible(false);
    EXPECT_TRUE(f.tree->BandMayBeShown(0));
    f.tree->Bands()->Items(0)->SetDisableCustomizing(true);
    EXPECT_FALSE(f.tree->BandMayBeShown(0));
    EXPECT_TRUE(f.tree->BandCustomizingDisabled(0));
    QString text = "A";
    f.tree->GetHeaderCellText(0, text);
    EXPECT_EQ(text, "A");
    f.tree->OnGetHeaderCellText = [](classes::TObject *, TdxTreeListColumn *c, QString &t) { t = c->Caption() + "!"; };
    f.tree->GetHeaderCellText(0, text);
    EXPECT_EQ(text, "A!");
    EXPECT_EQ(f.tree->HeaderDragDefaultWidth(), 100);
}

namespace {

class FlaggedEditor : public gridtest::FakeEditor
{
public:
    using FakeEditor::FakeEditor;
    void setFlag(bool value) { m_stateFlag = value; }
    QStringList inside;
    TShiftState keys = 0;

protected:
    void SetMouseInside(bool value) override
    {
        inside << (value ? "in" : "out");
        FakeEditor::SetMouseInside(value);
    }
    TShiftState KeyboardState() const override { return keys; }
};

class EditingControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    void setEditing(InplaceEditor *editor)
    {
        SetEditor(editor);
        SetState(editor ? tsEditing : tsNone);
    }
};

} // namespace

TEST(TreeListHooks, AnEditorWithItsFlagSetStaysOpenOverAPressOnTheGrid)
{
    FakeTreeListHost host;
    host.focused = true;
    EditingControl tree(nullptr);
    tree.SetHost(&host);
    tree.SetOptionsA(tree.OptionsA() & ~(1u << aoRowFocus));
    tree.CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("A");
    for (const char *text : {"alpha", "beta"})
        tree.SetNodeString(tree.Add(), 0, text);
    tree.SetClientRect(rtl::Rect(0, 0, 300, 200));
    tree.CalcMetrics();
    tree.SetFocusedNode(tree.Items(0));
    FlaggedEditor editor(&tree);
    editor.ShowEdit(rtl::TRect{0, 0, 60, 18});
    const rtl::TRect cell = tree.CellRect(tree.Items(1), 0);
    // The window has already moved the focus out of the editor.
    const auto press = [&] {
        editor.focused = false;
        tree.setEditing(&editor);
        tree.MouseDown(mbLeft, 0, cell.Left + 5, cell.Top + 3);
        tree.MouseUp(mbLeft, 0, cell.Left + 5, cell.Top + 3);
        const bool open = tree.State() == tsEditing;
        tree.setEditing(nullptr);
        return open;
    };
    editor.setFlag(true);
    EXPECT_TRUE(press());
    editor.setFlag(false);
    EXPECT_FALSE(press());

    // The pointer's coming and going is stored through the hook.
    editor.MouseEnter();
    editor.MouseLeave();
    EXPECT_EQ(editor.inside, (QStringList{"in", "out"}));
    EXPECT_FALSE(editor.MouseInside());
    // Ctrl alone, as the keyboard says; AltGr is not.
    editor.keys = ssCtrl;
    EXPECT_TRUE(editor.IsCtrlOnly());
    editor.keys = ssCtrl | ssAlt;
    EXPECT_FALSE(editor.IsCtrlOnly());
}

TEST(TreeListHooks, APointIsOnARowWithinTheEditorsReachOfItAndNeverOnAHiddenRow)
{
    HookedFixture f;
    f.laidOut();
    TdxTreeListNode *hidden = f.tree->Items(0)->AddChild();
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    ASSERT_GE(info.Rows.size(), 2u);
    const TdxTreeListRowInfo first = info.Rows[0];
    const int x = info.RowsRect.Left + 10;
    const int bottom = first.Top + first.Height;
    EXPECT_TRUE(f.tree->IsPointInRow(first.Node, {x, first.Top}));
    // An editor's frame reaches 2 pixels into the neighbouring rows and
    // past the rows area's sides.
    EXPECT_TRUE(f.tree->IsPointInRow(first.Node, {x, bottom + 1}));
    EXPECT_TRUE(f.tree->IsPointInRow(info.Rows[1].Node, {x, bottom - 2}));
    EXPECT_FALSE(f.tree->IsPointInRow(first.Node, {x, bottom + 2}));
    EXPECT_TRUE(f.tree->IsPointInRow(first.Node, {info.RowsRect.Left - 2, first.Top + 1}));
    EXPECT_FALSE(f.tree->IsPointInRow(first.Node, {info.RowsRect.Left - 3, first.Top + 1}));
    EXPECT_FALSE(f.tree->IsPointInRow(first.Node, {info.RowsRect.Right + 2, first.Top + 1}));
    // A collapsed child and no node are on no row, wherever the point is.
    EXPECT_FALSE(f.tree->IsPointInRow(hidden, {x, bottom}));
    EXPECT_FALSE(f.tree->IsPointInRow(nullptr, {x, first.Top}));
}
