#include "grid/core/TreeListControl.h"
#include "grid/widgets/ContainerHintWindow.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>

#include <gtest/gtest.h>

using namespace grid;

namespace {

class PanelControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsBottomPanelShown() override { return true; }
    QString BottomButtonHint() override { return QStringLiteral("Panel button"); }
};

} // namespace

TEST(TreeListWidgetHint, TheButtonHintWindowComesOnItsTimerAndGoesWhenThePointerLeaves)
{
    auto tree = std::make_unique<PanelControl>(nullptr);
    tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("A");
    tree->SetOptionsB(tree->OptionsB() | (1u << boHotTrack));
    auto widget = std::make_unique<TreeListWidget>(tree.get());
    widget->resize(200, 120);

    TdxTreeListLayoutInfo info;
    tree->CalcLayout(info);
    const rtl::TRect button = TreeListBottomHint::ButtonRect(info.BottomPanelRect);
    ASSERT_FALSE(button.IsEmpty());
    tree->MouseMove(0, button.Left, button.Top);
    tree->TimerFired(TreeListBottomHint::DelayTimer);
    ASSERT_NE(widget->hintWindow(), nullptr);
    EXPECT_TRUE(widget->hintWindow()->isVisible());
    EXPECT_EQ(widget->hintWindow()->text(), "Panel button");
    EXPECT_FALSE(widget->hintWindow()->isActiveWindow());

    // The pointer entering over a header makes it hot; leaving the client
    // area ends the hint and the hot header.
    const QPointF header(10, 5);
    QEnterEvent enter(header, header, widget->viewport()->mapToGlobal(header));
    QApplication::sendEvent(widget->viewport(), &enter);
    EXPECT_TRUE(tree->HotTrack().IsHeader());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget->viewport(), &leave);
    EXPECT_EQ(widget->hintWindow(), nullptr);
    EXPECT_EQ(tree->HotTrack().Column(), -1);

    // A grid detached from its window with a hint showing leaves no window.
    tree->MouseMove(0, button.Left, button.Top);
    tree->TimerFired(TreeListBottomHint::DelayTimer);
    ASSERT_NE(widget->hintWindow(), nullptr);
    widget->setTreeList(nullptr);
    EXPECT_EQ(widget->hintWindow(), nullptr);
    EXPECT_FALSE(tree->BottomHint().Shown());
}
