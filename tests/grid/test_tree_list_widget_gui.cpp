#include "TreeListFixture.h"

#include "grid/core/TreeListControl.h"
#include "grid/widgets/TreeListWidget.h"

#include "tests/support/PixelProbes.h"

#include <QApplication>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace grid;

namespace {

struct WidgetFixture
{
    WidgetFixture()
        : tree(std::make_unique<TCustomdxTreeListControl>(nullptr))
    {
        auto *c = tree->CreateColumn(TdxTreeListColumn::StaticClass());
        c->SetCaption("A");
        tree->SetNodeString(tree->Add(), 0, "one");
        tree->SetNodeString(tree->Add(), 0, "two");
        widget = std::make_unique<TreeListWidget>(tree.get());
        widget->resize(200, 100);
    }
    ~WidgetFixture()
    {
        widget.reset();
        tree.reset();
    }
    std::unique_ptr<TCustomdxTreeListControl> tree;
    std::unique_ptr<TreeListWidget> widget;
};

} // namespace

TEST(TreeListWidget, HostsTheTreeListAndPaintsItsClientArea)
{
    WidgetFixture f;
    EXPECT_EQ(f.tree->Host(), f.widget.get());
    const QImage image = f.widget->render(true, QSize(160, 80));
    ASSERT_EQ(image.size(), QSize(160, 80));
    // The header's face at the top, the rows' window colour below.
    EXPECT_EQ(zvotest::at(image, 50, 3), rtl::ColorToRGB(rtl::clBtnFace));
    EXPECT_EQ(zvotest::at(image, 150, 70), rtl::ColorToRGB(rtl::clWindow));
    // The client size is the viewport's again afterwards.
    EXPECT_EQ(f.tree->ClientRect().Width(), f.widget->viewport()->width());
    EXPECT_TRUE(f.widget->render(true, QSize(0, 0)).isNull());
    f.widget->setTreeList(nullptr);
    EXPECT_EQ(f.tree->Host(), nullptr);
}

TEST(TreeListWidget, AHandlerThatThrowsEndsOnlyItsPaintPass)
{
    WidgetFixture f;
    f.tree->OnCustomDrawCell.Set([](classes::TObject *, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *,
                                    TdxTreeListColumn *, bool, bool, bool, QString &, rtl::TColor &, classes::TFont *,
                                    TAlignment &, bool &) { throw std::runtime_error("draw"); });
    f.widget->render();
    QPaintEvent event(f.widget->viewport()->rect());
    QApplication::sendEvent(f.widget->viewport(), &event);
    EXPECT_EQ(f.widget->failedPaints(), 2);
    EXPECT_EQ(f.tree->FeedbackHidden(), 0);
    f.tree->OnCustomDrawCell.Clear();
    f.widget->render();
    EXPECT_EQ(f.widget->failedPaints(), 2);
}

TEST(TreeListWidget, KeysReachTheTreeListTabIncluded)
{
    WidgetFixture f;
    f.tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("B");
    f.tree->SetFocusedNode(f.tree->Items(0));
    QTest::keyClick(f.widget.get(), Qt::Key_Down);
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(1));
    f.tree->SetOptionsA(f.tree->OptionsA() & ~(1u << aoRowFocus));
    QTest::keyClick(f.widget.get(), Qt::Key_Tab);
    EXPECT_EQ(f.tree->FocusedColumn(), 1);
    QTest::keyClick(f.widget.get(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(f.tree->FocusedColumn(), 0);
}
