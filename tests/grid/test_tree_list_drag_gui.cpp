// Drags in real grid windows: a node dropped on another grid of the
// program, the picture window that follows the pointer, and the inverted
// arrows of a header drag.

#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListNodeDrag.h"
#include "grid/widgets/TreeListDragImageWindow.h"
#include "grid/widgets/TreeListWidget.h"

#include "platform/gfx/Canvas.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace grid;

namespace {

struct DragWindowGrid
{
    explicit DragWindowGrid(const QStringList &rows)
        : tree(std::make_unique<TCustomdxTreeListControl>(nullptr))
    {
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boWidthFit));
        tree->SetDefaultLayout(false);
        tree->Bands()->Items(0)->SetWidth(180);
        for (const char *caption : {"Name", "Note"})
            tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption(caption);
        tree->Columns(0)->SetWidth(90);
        tree->Columns(1)->SetWidth(90);
        for (const QString &row : rows)
            tree->SetNodeString(tree->Add(), 0, row);
        tree->NodeDrag().DragMode = dmAutomatic;
    }
    QPoint cellCentre(int row, int column)
    {
        const rtl::TRect r = tree->CellRect(tree->Items(row), tree->PositionOfColumn(column));
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    std::unique_ptr<TCustomdxTreeListControl> tree;
    TreeListWidget *widget = nullptr;
};

// Two grids side by side in one shown window.
struct TwoGridWindow
{
    TwoGridWindow()
        : left({"a", "b", "c"})
        , right({"x", "y"})
    {
        auto *layout = new QHBoxLayout(&window);
        left.widget = new TreeListWidget(left.tree.get());
        right.widget = new TreeListWidget(right.tree.get());
        layout->addWidget(left.widget);
        layout->addWidget(right.widget);
        window.resize(520, 200);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    ~TwoGridWindow()
    {
        delete left.widget;
        delete right.widget;
    }
    // A move with the left button held, sent to the source's viewport as
    // the pointer grab would, wherever the pointer is.
    void moveHeld(QWidget *viewport, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &move);
    }

    QWidget window;
    DragWindowGrid left;
    DragWindowGrid right;
};

} // namespace

TEST(TreeListDragWindow, ANodeDroppedOnAnotherGridReachesItAtItsOwnPoint)
{
    TwoGridWindow w;
    std::vector<QPoint> drops;
    TCustomdxTreeList *endTarget = nullptr;
    w.right.tree->NodeDrag().OnDragOver = [](TCustomdxTreeList *, int, int, bool &) {};
    w.right.tree->NodeDrag().OnDragDrop = [&](TCustomdxTreeList *source, int x, int y) {
        EXPECT_EQ(source, w.left.tree.get());
        drops.emplace_back(x, y);
    };
    w.left.tree->NodeDrag().OnEndDrag = [&](TCustomdxTreeList *target, int, int) { endTarget = target; };

    QWidget *source = w.left.widget->viewport();
    const QPoint from = w.left.cellCentre(1, 0);
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    w.moveHeld(source, from + QPoint(0, 8));
    ASSERT_EQ(w.left.tree->State(), tsNodeDragging);
    // The point over the right grid, in the left grid's coordinates.
    const QPoint target = w.right.cellCentre(1, 0);
    const QPoint there = source->mapFromGlobal(w.right.widget->viewport()->mapToGlobal(target));
    w.moveHeld(source, there);
    EXPECT_TRUE(w.right.tree->NodeDrag().DropHighlight());
    EXPECT_EQ(w.right.tree->NodeDrag().TargetNode(), w.right.tree->Items(1));
    QTest::mouseRelease(source, Qt::LeftButton, {}, there);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], target);
    EXPECT_EQ(endTarget, w.right.tree.get());
    EXPECT_FALSE(w.right.tree->NodeDrag().DropHighlight());
}

TEST(TreeListDragWindow, ThePictureFollowsThePointerWithoutTakingItAndGoesWithTheDrag)
{
    TwoGridWindow w;
    QWidget *source = w.left.widget->viewport();
    const QPoint from = w.left.cellCentre(0, 0);
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    w.moveHeld(source, from + QPoint(0, 8));
    TreeListDragImageWindow *picture = w.left.widget->dragImageWindow();
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->isVisible());
    EXPECT_TRUE(picture->windowFlags() & Qt::WindowTransparentForInput);
    EXPECT_FALSE(picture->isActiveWindow());
    // The node's text and 26 pixels wide, the row and 6 pixels high.
    QImage probe(1, 1, QImage::Format_RGB32);
    gfx::Canvas measure(&probe);
    measure.setFont(w.left.tree->Font().Font());
    const int textWidth = measure.TextWidth(QStringLiteral("a"));
    EXPECT_EQ(picture->image().width(), textWidth + 26);
    EXPECT_EQ(picture->image().height(), w.left.tree->NodeRowHeight(w.left.tree->Items(0)) + 6);
    const QPoint to = from + QPoint(30, 40);
    w.moveHeld(source, to);
    EXPECT_EQ(picture->pos(), source->mapToGlobal(to) - picture->hotSpot());
    // The picture beside the pointer is no grid: the one below is found,
    // even one that takes no drops.
    const QPoint onRight = source->mapFromGlobal(w.right.widget->viewport()->mapToGlobal(w.right.cellCentre(0, 0)));
    w.moveHeld(source, onRight);
    EXPECT_EQ(w.right.tree->NodeDrag().TargetNode(), w.right.tree->Items(0));
    EXPECT_FALSE(w.right.tree->NodeDrag().Accepted());
    QTest::mouseRelease(source, Qt::LeftButton, {}, onRight);
    EXPECT_EQ(w.left.widget->dragImageWindow(), nullptr);

    // A header drag carries the header, its middle under the pointer, and
    // goes on Esc.
    TdxTreeListLayoutInfo info;
    w.left.tree->CalcLayout(info);
    const rtl::TRect header = info.HeaderCells.at(1).CellRect;
    const QPoint press((header.Left + header.Right) / 2, (header.Top + header.Bottom) / 2);
    QTest::mousePress(source, Qt::LeftButton, {}, press);
    w.moveHeld(source, press - QPoint(20, 0));
    ASSERT_EQ(w.left.tree->State(), tsColumnDragging);
    picture = w.left.widget->dragImageWindow();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->image().size(), QSize(header.Right - header.Left, header.Bottom - header.Top));
    EXPECT_EQ(picture->hotSpot(), QPoint(picture->width() / 2, picture->height() / 2));
    EXPECT_EQ(picture->pos() + picture->hotSpot(), source->mapToGlobal(press - QPoint(20, 0)));
    QTest::keyClick(w.left.widget, Qt::Key_Escape);
    EXPECT_EQ(w.left.widget->dragImageWindow(), nullptr);
    QTest::mouseRelease(source, Qt::LeftButton, {}, press);
}

TEST(TreeListDragWindow, TheDropArrowsInvertTheGridWhereTheHeaderWouldGo)
{
    TwoGridWindow w;
    QWidget *source = w.left.widget->viewport();
    TdxTreeListLayoutInfo info;
    w.left.tree->CalcLayout(info);
    const rtl::TRect one = info.HeaderCells.at(0).CellRect;
    const rtl::TRect two = info.HeaderCells.at(1).CellRect;
    const QImage before = source->grab().toImage();
    QTest::mousePress(source, Qt::LeftButton, {}, QPoint(two.Left + 40, two.Top + 5));
    w.moveHeld(source, QPoint(one.Left + 10, one.Top + 5));
    ASSERT_EQ(w.left.tree->State(), tsColumnDragging);
    const QRect arrows = w.left.widget->dropArrows();
    ASSERT_FALSE(arrows.isEmpty());
    EXPECT_EQ(arrows.center().x(), one.Left);
    // The lower arrow's tip row, inverted on the edge and left alone beside.
    const QImage during = source->grab().toImage();
    const QPoint tip(one.Left, arrows.bottom());
    ASSERT_TRUE(during.rect().contains(tip));
    EXPECT_EQ(during.pixel(tip) & 0xFFFFFF, ~before.pixel(tip) & 0xFFFFFF);
    const QPoint beside(one.Left + 8, arrows.bottom());
    EXPECT_EQ(during.pixel(beside), before.pixel(beside));
    QTest::mouseRelease(source, Qt::LeftButton, {}, QPoint(one.Left + 10, one.Top + 5));
    EXPECT_TRUE(w.left.widget->dropArrows().isEmpty());
}

TEST(TreeListDragWindow, TheKeypadPlusDuringADragOpensTheNodeUnderThePointerAndTypesNothing)
{
    TwoGridWindow w;
    TdxTreeListNode *a = w.left.tree->Items(0);
    w.left.tree->SetNodeString(a->AddChild(), 0, "a1");
    QWidget *source = w.left.widget->viewport();
    const QPoint from = w.left.cellCentre(2, 0);
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    w.moveHeld(source, w.left.cellCentre(0, 0));
    ASSERT_EQ(w.left.tree->State(), tsNodeDragging);
    QTest::keyClick(w.left.widget, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_TRUE(a->Expanded());
    QTest::keyClick(w.left.widget, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_FALSE(a->Expanded());
    QTest::keyClick(w.left.widget, Qt::Key_Escape);
    EXPECT_EQ(w.left.tree->State(), tsNone);
    QTest::mouseRelease(source, Qt::LeftButton, {}, from);
}
