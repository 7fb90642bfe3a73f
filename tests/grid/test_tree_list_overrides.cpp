// A descendant that overrides the tree list's and the control's hooks, and
// what the grid calls them with and when.

#include "ControlFixture.h"

#include "grid/core/TreeListControl.h"

#include <gtest/gtest.h>

using namespace grid;
using gridtest::FakeTreeListHost;

namespace {

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

protected:
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

    FakeTreeListHost host;
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
