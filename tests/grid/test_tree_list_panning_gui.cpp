// The panning mode in a window: the grabs it takes and always gives back,
// the indicator, the line scrolls of its beats and what ends it.

#include "grid/core/TreeListControl.h"
#include "grid/widgets/PanningSession.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace grid;

namespace {

// A program's grid whose scroll veto may free the grid.
struct PanTree : TCustomdxTreeListControl
{
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool MayScroll() override
    {
        if (!freeOnScroll)
            return true;
        const std::function<void()> free = freeOnScroll;
        free(); // this is gone from here on
        return false;
    }
    std::function<void()> freeOnScroll;
};

struct PanWindowFixture
{
    PanWindowFixture()
        : tree(std::make_unique<PanTree>(nullptr))
    {
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boWidthFit));
        tree->SetDefaultLayout(false);
        tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("A");
        tree->Bands()->Items(0)->SetWidth(300);
        tree->Columns(0)->SetWidth(300);
        for (int i = 0; i < 30; ++i)
            tree->SetNodeString(tree->Add(), 0, QString("row %1").arg(i));
        widget = std::make_unique<TreeListWidget>(tree.get());
        widget->resize(200, 120);
        widget->show();
        QApplication::processEvents();
    }
    ~PanWindowFixture()
    {
        widget.reset();
        tree.reset();
    }
    QWidget *viewport() const { return widget->viewport(); }
    void press(Qt::MouseButton button)
    {
        // Elsewhere: the mode begins where the press was.
        QCursor::setPos(viewport()->mapToGlobal(QPoint(10, 10)));
        QTest::mousePress(viewport(), button, {}, QPoint(100, 60));
    }
    // The pointer moved to (dx, dy) from where the mode began.
    void moveBy(int dx, int dy)
    {
        const QPoint at(100 + dx, 60 + dy);
        QMouseEvent move(QEvent::MouseMove, at, viewport()->mapToGlobal(at), Qt::NoButton, Qt::MiddleButton, {});
        QApplication::sendEvent(viewport(), &move);
    }
    void ticks(int n)
    {
        for (int i = 0; i < n && widget->panning(); ++i)
            widget->panning()->tick();
    }

    std::unique_ptr<PanTree> tree;
    std::unique_ptr<TreeListWidget> widget;
};

} // namespace

TEST(TreeListPanningWindow, AMiddlePressPansUntilEscAndGivesTheGrabsBack)
{
    PanWindowFixture f;
    f.press(Qt::MiddleButton);
    PanningSession *pan = f.widget->panning();
    ASSERT_NE(pan, nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), f.viewport());
    ASSERT_NE(pan->indicator(), nullptr);
    EXPECT_TRUE(pan->indicator()->isVisible());
    EXPECT_EQ(pan->indicator()->size(), QSize(29, 29));
    // The release of the press itself, with no movement, keeps the mode.
    QTest::mouseRelease(f.viewport(), Qt::MiddleButton, {}, QPoint(100, 60));
    ASSERT_EQ(f.widget->panning(), pan);

    f.moveBy(2, 40); // speed 6: a line every 7 beats
    f.ticks(7);
    EXPECT_EQ(f.tree->TopRowIndex(), 1);
    EXPECT_EQ(f.widget->verticalScrollBar()->value(), 1);
    f.moveBy(80, 2);
    f.ticks(1);
    EXPECT_GT(f.tree->HorzOffset(), 0);

    // Keys other than Esc are lost while it lasts.
    TdxTreeListNode *focused = f.tree->FocusedNode();
    QTest::keyClick(f.viewport(), Qt::Key_Down);
    EXPECT_EQ(f.tree->FocusedNode(), focused);
    ASSERT_EQ(f.widget->panning(), pan);
    QTest::keyClick(f.viewport(), Qt::Key_Escape);
    EXPECT_EQ(f.widget->panning(), nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_EQ(f.tree->State(), tsNone);
}

TEST(TreeListPanningWindow, AnotherButtonAMovedReleaseOrTheWindowGoingEndTheMode)
{
    PanWindowFixture f;
    f.press(Qt::MiddleButton);
    ASSERT_NE(f.widget->panning(), nullptr);
    TdxTreeListNode *focused = f.tree->FocusedNode();
    QTest::mousePress(f.viewport(), Qt::LeftButton, {}, QPoint(100, 90));
    EXPECT_EQ(f.widget->panning(), nullptr);
    EXPECT_EQ(f.tree->FocusedNode(), focused); // the ending press is consumed
    QTest::mouseRelease(f.viewport(), Qt::LeftButton, {}, QPoint(100, 90));

    f.press(Qt::MiddleButton);
    f.moveBy(0, 30);
    f.moveBy(0, 0); // back in the dead zone, yet it has moved
    QTest::mouseRelease(f.viewport(), Qt::MiddleButton, {}, QPoint(100, 60));
    EXPECT_EQ(f.widget->panning(), nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    // Losing the grab to another window ends it at its next beat.
    f.press(Qt::MiddleButton);
    QWidget other;
    other.show();
    other.grabMouse();
    f.ticks(1);
    EXPECT_EQ(f.widget->panning(), nullptr);
    other.releaseMouse();

    f.press(Qt::MiddleButton);
    QPointer<QWidget> indicator = f.widget->panning()->indicator();
    f.widget.reset();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_TRUE(indicator.isNull());
}

TEST(TreeListPanningWindow, WithOneBarOnlyMovesAlongItCount)
{
    PanWindowFixture f;
    // A narrow column: only the vertical bar.
    f.tree->Bands()->Items(0)->SetWidth(60);
    f.tree->Columns(0)->SetWidth(60);
    f.widget->updateScrollBars();
    ASSERT_EQ(f.widget->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    ASSERT_EQ(f.widget->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    f.press(Qt::MiddleButton);
    ASSERT_NE(f.widget->panning(), nullptr);
    const PanningController &vertical = f.widget->panning()->controller();
    EXPECT_EQ(vertical.Indicator(), PanIndicator::Vertical);
    EXPECT_EQ(vertical.Cursor(), crPanVert);
    f.moveBy(80, 3); // sideways: never counts
    EXPECT_EQ(vertical.Direction(), pdNone);
    EXPECT_FALSE(vertical.Moved());
    f.ticks(24);
    EXPECT_EQ(f.tree->TopRowIndex(), 0);
    QTest::mouseRelease(f.viewport(), Qt::MiddleButton, {}, QPoint(180, 63));
    ASSERT_NE(f.widget->panning(), nullptr); // the mode stays on
    f.moveBy(3, 40);
    EXPECT_EQ(vertical.Direction(), pdDown);
    EXPECT_EQ(vertical.Cursor(), crPanDown);
    QTest::keyClick(f.viewport(), Qt::Key_Escape);
    ASSERT_EQ(f.widget->panning(), nullptr);

    // One row of a wide column: only the horizontal bar.
    f.tree->ClearNodes();
    f.tree->SetNodeString(f.tree->Add(), 0, "only");
    f.tree->Bands()->Items(0)->SetWidth(600);
    f.tree->Columns(0)->SetWidth(600);
    f.widget->updateScrollBars();
    ASSERT_EQ(f.widget->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    ASSERT_EQ(f.widget->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    f.press(Qt::MiddleButton);
    ASSERT_NE(f.widget->panning(), nullptr);
    const PanningController &horizontal = f.widget->panning()->controller();
    EXPECT_EQ(horizontal.Indicator(), PanIndicator::Horizontal);
    EXPECT_EQ(horizontal.Cursor(), crPanHorz);
    f.moveBy(3, -50); // up and down: never counts
    EXPECT_EQ(horizontal.Direction(), pdNone);
    EXPECT_FALSE(horizontal.Moved());
    f.moveBy(-60, 2);
    EXPECT_EQ(horizontal.Direction(), pdLeft);
    EXPECT_EQ(horizontal.Cursor(), crPanLeft);
    QTest::keyClick(f.viewport(), Qt::Key_Escape);
    EXPECT_EQ(f.widget->panning(), nullptr);
}

// The grid freed while a pan runs, by the scroll veto a beat asks or by the
// program between two beats: the mode ends, gives the grabs back and reads
// the grid no more.
TEST(TreeListPanningWindow, AGridFreedWhileItPansEndsTheMode)
{
    for (const bool byTheVeto : {true, false}) {
        SCOPED_TRACE(byTheVeto ? "a pan's beat whose MayScroll frees the grid" : "a pan's beat after the grid went");
        PanWindowFixture f;
        f.press(Qt::MiddleButton);
        ASSERT_NE(f.widget->panning(), nullptr);
        f.moveBy(2, 40); // a line every 7 beats
        if (byTheVeto)
            f.tree->freeOnScroll = [&f] { f.tree.reset(); };
        else
            f.tree.reset();
        f.ticks(30);
        EXPECT_EQ(f.tree, nullptr);
        EXPECT_EQ(f.widget->panning(), nullptr);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
        EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
        f.widget->viewport()->repaint();
    }
}
