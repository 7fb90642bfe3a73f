#include "TreeListFixture.h"

#include "grid/core/TreeListControl.h"
#include "grid/paint/TreeListPainter.h"
#include "grid/widgets/InplaceTextEdit.h"
#include "grid/widgets/TreeListWidget.h"

#include "tests/support/PixelProbes.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>

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

TEST(TreeListWidget, KeysReachTheTreeListTabOnlyWhenItsOptionsKeepIt)
{
    WidgetFixture f;
    f.tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("B");
    f.tree->SetFocusedNode(f.tree->Items(0));
    QTest::keyClick(f.widget.get(), Qt::Key_Down);
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(1));
    f.tree->SetOptionsA(f.tree->OptionsA() & ~(1u << aoRowFocus));
    ASSERT_FALSE(f.tree->OptionsA() & (1u << aoEditorTabs));
    // By default Tab belongs to the focus chain: the grid's column stays.
    QTest::keyClick(f.widget.get(), Qt::Key_Tab);
    EXPECT_EQ(f.tree->FocusedColumn(), 0);
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoEditorTabs));
    QTest::keyClick(f.widget.get(), Qt::Key_Tab);
    EXPECT_EQ(f.tree->FocusedColumn(), 1);
    QTest::keyClick(f.widget.get(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(f.tree->FocusedColumn(), 0);
    // Ctrl gives Tab back to the focus chain even then.
    QTest::keyClick(f.widget.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(f.tree->FocusedColumn(), 0);
}

namespace {

// Thirty rows of one 300-px column in a window that shows some of them.
struct ScrollFixture : WidgetFixture
{
    ScrollFixture()
    {
        tree->SetOptionsB(tree->OptionsB() & ~(1u << boWidthFit));
        tree->SetDefaultLayout(false);
        tree->Bands()->Items(0)->SetWidth(300);
        tree->Columns(0)->SetWidth(300);
        for (int i = 2; i < 30; ++i)
            tree->SetNodeString(tree->Add(), 0, QString("row %1").arg(i));
        widget->resize(200, 120);
        widget->show();
        QApplication::processEvents();
    }
    bool barsShown() const
    {
        return widget->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn &&
               widget->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    }
    bool horzShown() const { return widget->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn; }
    bool vertShown() const { return widget->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn; }
    bool barsHidden() const
    {
        return widget->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff &&
               widget->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff;
    }
};

} // namespace

TEST(TreeListWidget, EachBarShowsOnlyWhileItsPageDoesNotHoldEverything)
{
    ScrollFixture f;
    EXPECT_TRUE(f.barsShown());
    EXPECT_GT(f.widget->verticalScrollBar()->maximum(), 0);
    f.widget->resize(400, 900); // the rows fit, the width does too
    EXPECT_TRUE(f.barsHidden());
    f.widget->resize(250, 900); // only the width is short
    EXPECT_TRUE(f.horzShown());
    EXPECT_FALSE(f.vertShown());
    f.widget->resize(400, 120); // only the rows are short
    EXPECT_FALSE(f.horzShown());
    EXPECT_TRUE(f.vertShown());
    EXPECT_EQ(f.tree->ClientRect().Width(), f.widget->viewport()->width());
    // One narrow column of many rows: no dead bar across.
    f.tree->Bands()->Items(0)->SetWidth(60);
    f.tree->Columns(0)->SetWidth(60);
    for (int i = 30; i < 60; ++i)
        f.tree->SetNodeString(f.tree->Add(), 0, QString("row %1").arg(i));
    f.widget->updateScrollBars();
    EXPECT_FALSE(f.horzShown());
    EXPECT_TRUE(f.vertShown());
    // One row of six wide columns: no dead bar down.
    f.tree->ClearNodes();
    f.tree->SetNodeString(f.tree->Add(), 0, "only");
    f.tree->Columns(0)->SetWidth(100);
    for (int i = 1; i < 6; ++i)
        f.tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetWidth(100);
    f.tree->Bands()->Items(0)->SetWidth(600);
    f.widget->updateScrollBars();
    EXPECT_TRUE(f.horzShown());
    EXPECT_FALSE(f.vertShown());
}

TEST(TreeListWidget, AResizeTakesBothBarsAwayWhenAllFitsWithoutThem)
{
    ScrollFixture f;
    ASSERT_TRUE(f.barsShown());
    // The smallest client that holds every row and the whole width.
    const int width = f.tree->ScrollableWidth();
    int height = 100;
    for (; height < 2000; ++height) {
        f.tree->SetClientRect(rtl::Rect(0, 0, width, height));
        if (f.tree->ContentsFit())
            break;
    }
    const int frame = 2 * f.widget->frameWidth();
    // A pixel short: each bar is needed, once the other is there.
    f.widget->resize(width + frame, height + frame - 1);
    EXPECT_TRUE(f.barsShown());
    // Exactly enough without bars: both go, not only one.
    f.widget->resize(width + frame, height + frame);
    EXPECT_TRUE(f.barsHidden());
    EXPECT_EQ(f.tree->ClientRect().Height(), height);
    // Not on a change other than a resize: with both bars there, each one
    // still needs the other.
    f.widget->resize(200, 120);
    ASSERT_TRUE(f.barsShown());
    f.widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    f.widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    f.widget->resize(width + frame, height + frame);
    f.widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    f.widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    f.widget->updateScrollBars();
    EXPECT_TRUE(f.barsShown());
}

TEST(TreeListWidget, BarsAndTheWheelScrollTheRows)
{
    ScrollFixture f;
    QScrollBar *bar = f.widget->verticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(f.tree->TopRowIndex(), 1);
    EXPECT_EQ(bar->value(), 1);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(f.tree->TopRowIndex(), bar->maximum());
    QScrollBar *across = f.widget->horizontalScrollBar();
    across->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(f.tree->HorzOffset(), f.tree->ScrollableWidth() - f.tree->HorzPageWidth());
    EXPECT_EQ(across->value(), f.tree->HorzOffset());
    across->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(f.tree->HorzOffset(),
              f.tree->ScrollableWidth() - f.tree->HorzPageWidth() - std::max(f.tree->Metrics().HorzLineStep, 1));
    across->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(f.tree->HorzOffset(), 0);
    const QPointF at(20, 40);
    for (int i = 0; i < 1000; ++i) {
        QWheelEvent up(at, f.widget->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.widget->viewport(), &up);
    }
    EXPECT_EQ(f.tree->TopRowIndex(), 0);
    QWheelEvent down(at, f.widget->mapToGlobal(at), {}, QPoint(0, -120000), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.widget->viewport(), &down);
    EXPECT_EQ(f.tree->TopRowIndex(), f.tree->WheelScrollLines());
}

namespace {

// Where the style draws a part of the bar, as on the screen.
QRect barPart(QScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    if (opt.orientation == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
}

} // namespace

// The grid is drawn left to right in a right-to-left program too, so its
// bars run as it does: the right end of the bar across scrolls towards the
// right of the columns, the thumb stands left at the start and right at the
// end, and the bar down stands beside the end of the rows.
TEST(TreeListWidget, TheBarsRunLeftToRightAsTheGridInARightToLeftProgram)
{
    struct Reversed
    {
        Reversed() { QApplication::setLayoutDirection(Qt::RightToLeft); }
        ~Reversed() { QApplication::setLayoutDirection(Qt::LeftToRight); }
    } reversed;
    ScrollFixture f;
    QScrollBar *bar = f.widget->horizontalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    const int step = std::max(f.tree->Metrics().HorzLineStep, 1);
    const int end = f.tree->ScrollableWidth() - f.tree->HorzPageWidth();
    const QPoint rightEnd(bar->width() - 3, bar->height() / 2);
    const QPoint leftEnd(2, bar->height() / 2);
    ASSERT_EQ(f.tree->HorzOffset(), 0);
    EXPECT_LT(barPart(bar, QStyle::SC_ScrollBarSlider).center().x(), bar->width() / 2);
    QTest::mouseClick(bar, Qt::LeftButton, {}, leftEnd);
    EXPECT_EQ(f.tree->HorzOffset(), 0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, rightEnd);
    EXPECT_EQ(f.tree->HorzOffset(), step);
    QTest::mouseClick(bar, Qt::LeftButton, {}, leftEnd);
    EXPECT_EQ(f.tree->HorzOffset(), 0);

    f.tree->SetHorzOffset(end);
    f.widget->updateScrollBars();
    EXPECT_EQ(bar->value(), end);
    EXPECT_GT(barPart(bar, QStyle::SC_ScrollBarSlider).center().x(), bar->width() / 2);
    QTest::mouseClick(bar, Qt::LeftButton, {}, rightEnd);
    EXPECT_EQ(f.tree->HorzOffset(), end);
    QTest::mouseClick(bar, Qt::LeftButton, {}, leftEnd);
    EXPECT_EQ(f.tree->HorzOffset(), end - step);

    QScrollBar *down = f.widget->verticalScrollBar();
    EXPECT_GT(down->mapTo(f.widget.get(), QPoint(0, 0)).x(), f.widget->viewport()->mapTo(f.widget.get(), QPoint(0, 0)).x());
}

TEST(TreeListWidget, AOneLineScrollRepaintsOnlyTheUncoveredStrip)
{
    ScrollFixture f;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.widget.get()));
    QApplication::processEvents();
    f.widget->viewport()->update();
    QApplication::processEvents();
    const int whole = f.widget->lastRowsPainted();
    ASSERT_GE(whole, 4);
    f.widget->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QApplication::processEvents();
    EXPECT_LE(f.widget->lastRowsPainted(), 2);
    EXPECT_EQ(f.tree->TopRowIndex(), 1);
}

TEST(TreeListWidget, ClicksReachTheTreeList)
{
    ScrollFixture f;
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    const TdxTreeListRowInfo &row = info.Rows.at(2);
    QTest::mouseClick(f.widget->viewport(), Qt::LeftButton, {}, QPoint(100, row.Top + 3));
    EXPECT_EQ(f.tree->FocusedNode(), row.Node);
}

TEST(TreeListWidget, TheSizingLineIsDrawnInvertedOverTheGridWhileSizing)
{
    ScrollFixture f;
    f.tree->Columns(0)->SetWidth(120);
    f.tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetWidth(180);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.widget.get()));
    QApplication::processEvents();
    int edge = -1, y = -1;
    for (int x = 0; x < 200 && edge < 0; ++x)
        for (int yy = 0; yy < 40 && edge < 0; ++yy)
            if (f.tree->HitTest(x, yy).HitCode == htColumnEdge) {
                edge = x;
                y = yy;
            }
    ASSERT_GE(edge, 0);
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    const QPoint probe(edge - 20, info.RowsRect.Bottom - 3);
    const QImage before = f.widget->viewport()->grab().toImage();
    QTest::mousePress(f.widget->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(f.widget->viewport(), QPoint(edge - 20, y));
    ASSERT_EQ(f.tree->State(), tsColumnSizing);
    EXPECT_EQ(f.widget->sizingLine().left(), f.tree->SizingPosition());
    const QImage during = f.widget->viewport()->grab().toImage();
    EXPECT_EQ(during.pixel(probe) & 0xFFFFFF, ~before.pixel(probe) & 0xFFFFFF);
    // Inside the scroll bracket the feedback is hidden.
    f.tree->HideFeedback();
    EXPECT_TRUE(f.widget->sizingLine().isEmpty());
    f.tree->ShowFeedback();
    QTest::mouseRelease(f.widget->viewport(), Qt::LeftButton, {}, QPoint(edge - 20, y));
    EXPECT_TRUE(f.widget->sizingLine().isEmpty());
    EXPECT_EQ(f.tree->Columns(0)->Width(), edge - 20 + 1);

    // A modal window coming up, or the grid disabled, ends a sizing
    // unapplied: the line goes, the width stays.
    const int width = f.tree->Columns(0)->Width();
    for (int way = 0; way < 2; ++way) {
        QTest::mousePress(f.widget->viewport(), Qt::LeftButton, {}, QPoint(edge - 20, y));
        QTest::mouseMove(f.widget->viewport(), QPoint(edge - 40, y));
        ASSERT_EQ(f.tree->State(), tsColumnSizing);
        if (way == 0) {
            QEvent blocked(QEvent::WindowBlocked);
            QApplication::sendEvent(f.widget.get(), &blocked);
        } else {
            f.widget->setEnabled(false);
        }
        EXPECT_EQ(f.tree->State(), tsNone) << way;
        EXPECT_TRUE(f.widget->sizingLine().isEmpty()) << way;
        f.widget->setEnabled(true);
        QTest::mouseRelease(f.widget->viewport(), Qt::LeftButton, {}, QPoint(edge - 40, y));
        EXPECT_EQ(f.tree->Columns(0)->Width(), width) << way;
    }
}

TEST(TreeListWidget, AColumnEdgeShowsTheSplitCursorWhileAnEditorIsOpen)
{
    ScrollFixture f;
    f.tree->Columns(0)->SetWidth(120);
    f.tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetWidth(180);
    f.tree->SetOptionsA((f.tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
    f.widget->setFocus();
    f.tree->SetFocusedNode(f.tree->Items(0));
    int edge = -1, y = -1;
    for (int x = 0; x < 200 && edge < 0; ++x)
        for (int yy = 0; yy < 40 && edge < 0; ++yy)
            if (f.tree->HitTest(x, yy).HitCode == htColumnEdge) {
                edge = x;
                y = yy;
            }
    ASSERT_GE(edge, 0);
    QTest::keyClick(f.widget.get(), Qt::Key_F2);
    ASSERT_EQ(f.tree->State(), tsEditing);
    QTest::mouseMove(f.widget->viewport(), QPoint(edge, y));
    EXPECT_EQ(f.widget->viewport()->cursor().shape(), Qt::SplitHCursor);
    EXPECT_EQ(f.tree->State(), tsEditing);
}

TEST(TreeListWidget, AClickThatStartsEditingPutsTheCaretWhereItWas)
{
    ScrollFixture f;
    f.tree->SetNodeString(f.tree->Items(1), 0, "abcdefgh");
    f.tree->SetOptionsA((f.tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
    f.tree->SetOptionsB(f.tree->OptionsB() | 1u << boEditorOption);
    f.widget->setFocus();
    const rtl::TRect cell = f.tree->CellRect(f.tree->Items(1), 0);
    const QPoint left(cell.Left + 3, (cell.Top + cell.Bottom) / 2);
    // A column whose editor is disabled does not edit at once.
    f.tree->Columns(0)->SetDisableEditor(true);
    QTest::mouseClick(f.widget->viewport(), Qt::LeftButton, {}, left);
    EXPECT_EQ(f.tree->Editor(), nullptr);
    f.tree->Columns(0)->SetDisableEditor(false);
    f.tree->SetFocusedNode(f.tree->Items(0));
    QTest::mouseClick(f.widget->viewport(), Qt::LeftButton, {}, left);
    auto *edit = dynamic_cast<TdxInplaceTextEdit *>(f.tree->Editor());
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(f.tree->State(), tsEditing);
    EXPECT_EQ(edit->lineEdit()->text(), "abcdefgh");
    EXPECT_EQ(edit->lineEdit()->cursorPosition(), 0); // not at the end
    ASSERT_TRUE(f.tree->EndEditing());

    // A click on the focused cell that opens the editor on its release.
    f.tree->SetOptionsB(f.tree->OptionsB() & ~(1u << boEditorOption));
    f.tree->SetOptionsA(f.tree->OptionsA() | 1u << aoClickToDblClick);
    f.tree->SetFocusedNode(f.tree->Items(0));
    QTest::mouseClick(f.widget->viewport(), Qt::LeftButton, {}, left);
    edit = dynamic_cast<TdxInplaceTextEdit *>(f.tree->Editor());
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(f.tree->State(), tsEditing);
    EXPECT_EQ(edit->lineEdit()->cursorPosition(), 0);

    // With that option a press on the opened editor soon after the one on
    // the grid is a double click: the word is selected.
    const auto press = [](QWidget *w, QEvent::Type type, QPoint at, ulong time) {
        QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        e.setTimestamp(time);
        QApplication::sendEvent(w, &e);
    };
    const ulong soon = ulong(QApplication::doubleClickInterval() / 2);
    // The late one first: after a double click the line edit's own timer
    // would take the next press as a third click.
    for (ulong second : {ulong(QApplication::doubleClickInterval()) + 1, soon}) {
        ASSERT_TRUE(f.tree->EndEditing());
        f.tree->SetFocusedNode(f.tree->Items(0));
        press(f.widget->viewport(), QEvent::MouseButtonPress, left, 100000);
        press(f.widget->viewport(), QEvent::MouseButtonRelease, left, 100000 + 10);
        ASSERT_EQ(f.tree->State(), tsEditing);
        QLineEdit *line = edit->lineEdit();
        const QPoint inLine = line->mapFrom(f.widget->viewport(), left + QPoint(10, 0));
        press(line, QEvent::MouseButtonPress, inLine, 100000 + second);
        press(line, QEvent::MouseButtonRelease, inLine, 100000 + second + 10);
        EXPECT_EQ(line->selectedText(), second == soon ? "abcdefgh" : "") << second;
    }
}

TEST(TreeListWidget, AnEditTellsTheGridAsItGoesAndWhenItIsCommitted)
{
    WidgetFixture f;
    f.tree->SetOptionsA((f.tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
    f.widget->show();
    f.widget->setFocus();
    TdxTreeListColumn *column = f.tree->Columns(0);
    QStringList heard;
    f.tree->OnEditChange = [&](classes::TObject *sender, TdxTreeListColumn *c) {
        EXPECT_EQ(sender, f.tree.get());
        EXPECT_EQ(c, column);
        heard << "grid change";
    };
    column->OnChange.Set([&](classes::TObject *sender) {
        EXPECT_EQ(sender, column);
        heard << "column change";
    });
    f.tree->OnEditValidate = [&](classes::TObject *, TdxTreeListColumn *c, QString &, bool &) {
        EXPECT_EQ(c, column);
        heard << "grid validate";
    };
    column->OnValidate.Set([&](classes::TObject *, QString &, bool &) { heard << "column validate"; });
    f.tree->OnNodeChanged = [&](classes::TObject *sender, TdxTreeListNode *node) {
        EXPECT_EQ(sender, f.tree.get());
        heard << "changed " + f.tree->GetNodeString(node, 0);
    };
    f.tree->SetFocusedNode(f.tree->Items(1));
    QTest::keyClick(f.widget.get(), Qt::Key_F2);
    auto *edit = dynamic_cast<TdxInplaceTextEdit *>(f.tree->Editor());
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(heard.isEmpty()); // filling the editor is no change
    QTest::keyClick(edit->lineEdit(), Qt::Key_End);
    QTest::keyClicks(edit->lineEdit(), "!");
    EXPECT_EQ(heard, (QStringList{"grid change", "column change"}));
    heard.clear();
    ASSERT_TRUE(f.tree->EndEditing());
    EXPECT_EQ(heard, (QStringList{"grid validate", "column validate", "changed two!"}));
    // Opened and closed without a change: nothing was committed.
    heard.clear();
    QTest::keyClick(f.widget.get(), Qt::Key_F2);
    ASSERT_TRUE(f.tree->EndEditing());
    EXPECT_FALSE(heard.contains("changed two!"));
}

TEST(TreeListWidget, AColumnsCellEventHasTheColumnAsSender)
{
    WidgetFixture f;
    TdxTreeListColumn *column = f.tree->Columns(0);
    int calls = 0;
    column->OnCustomDrawCell.Set([&](classes::TObject *sender, gfx::Canvas *, const rtl::TRect &, TdxTreeListNode *,
                                     TdxTreeListColumn *c, bool, bool, bool, QString &, rtl::TColor &, classes::TFont *,
                                     TAlignment &, bool &) {
        EXPECT_EQ(sender, column);
        EXPECT_EQ(c, column);
        ++calls;
    });
    f.widget->render();
    EXPECT_GE(calls, 2);
}

TEST(TreeListWidget, TheBorderFollowsTheLookAndTheCornerBetweenTheBarsIsButtonFace)
{
    WidgetFixture f;
    f.widget->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.widget.get()));
    EXPECT_EQ(f.widget->frameShape(), QFrame::StyledPanel); // the sunken client edge

    // Flat with button-shadow frames: one pixel of that colour round it.
    f.tree->SetLook(2);
    EXPECT_EQ(f.widget->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(f.widget->viewport()->geometry(), QRect(1, 1, 198, 98));
    EXPECT_EQ(f.tree->ClientRect().Width(), 198);
    QImage shot = f.widget->grab().toImage();
    EXPECT_EQ(zvotest::at(shot, 0, 0), rtl::ColorToRGB(rtl::clBtnShadow));
    EXPECT_EQ(zvotest::at(shot, 199, 99), rtl::ColorToRGB(rtl::clBtnShadow));
    // Flat: a sunken pixel, shadow above and left, highlight below and right.
    f.tree->SetLook(1);
    shot = f.widget->grab().toImage();
    EXPECT_EQ(zvotest::at(shot, 0, 50), rtl::ColorToRGB(rtl::clBtnShadow));
    EXPECT_EQ(zvotest::at(shot, 199, 50), rtl::ColorToRGB(rtl::clBtnHighlight));

    // Both bars shown: the corner square between them is the button face.
    for (int i = 0; i < 30; ++i)
        f.tree->SetNodeString(f.tree->Add(), 0, "more");
    f.tree->Columns(0)->SetWidth(600);
    f.widget->updateScrollBars();
    ASSERT_TRUE(f.widget->horizontalScrollBar()->isVisible() && f.widget->verticalScrollBar()->isVisible());
    shot = f.widget->grab().toImage();
    const QPoint corner(f.widget->verticalScrollBar()->mapTo(f.widget.get(), QPoint(2, 0)).x(),
                        f.widget->horizontalScrollBar()->mapTo(f.widget.get(), QPoint(0, 2)).y());
    EXPECT_EQ(zvotest::at(shot, corner.x(), corner.y()), rtl::ColorToRGB(rtl::clBtnFace));

    // No border at all.
    TreeListSettings s = f.tree->Settings();
    s.BorderSingle = false;
    f.tree->SetSettings(s);
    EXPECT_EQ(f.widget->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(f.widget->viewport()->geometry().topLeft(), QPoint(0, 0));
}

TEST(TreeListWidget, AGridThatTakesItsParentsFontFollowsItHeadersIncluded)
{
    QWidget parent;
    auto tree = std::make_unique<TCustomdxTreeListControl>(nullptr);
    tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("A");
    auto *widget = new TreeListWidget(tree.get(), &parent);
    ASSERT_TRUE(tree->ParentFont());
    QFont big("DejaVu Sans", 15);
    big.setItalic(true);
    parent.setFont(big);
    EXPECT_EQ(tree->Font().Name(), "DejaVu Sans");
    EXPECT_EQ(tree->Font().Size(), 15);
    EXPECT_EQ(tree->HeaderFont().Size(), 15);
    EXPECT_EQ(tree->BandFont().Style(), gfx::FontStyles(gfx::fsItalic));
    EXPECT_EQ(tree->PreviewFont().Size(), 15);
    EXPECT_EQ(tree->PreviewFont().Color(), rtl::clBlue);
    EXPECT_TRUE(tree->ParentFont());
    const int tallHeader = tree->Metrics().HeaderLineHeight;

    // A header font set by hand ends it: the next parent font is not taken.
    classes::TFont own;
    own.Assign(&tree->HeaderFont());
    own.SetSize(8);
    tree->SetHeaderFont(own);
    EXPECT_FALSE(tree->ParentFont());
    EXPECT_LT(tree->Metrics().HeaderLineHeight, tallHeader);
    parent.setFont(QFont("DejaVu Sans", 20));
    EXPECT_EQ(tree->HeaderFont().Size(), 8);
    EXPECT_EQ(tree->Font().Size(), 15);
    delete widget;
}

namespace {

// A descendant's own pass: the group panel and the cells drawn its way.
class OwnPainter : public TreeListPainter
{
public:
    using TreeListPainter::TreeListPainter;

protected:
    void DrawGroupPanel(const rtl::TRect &rect, const gfx::Brush &, const gfx::Brush &) override
    {
        canvas().FillRect(rect, gfx::Brush::solid(0x0000FF)); // red
    }
    void DrawCell(const CellContext &cell) override { canvas().FillRect(cell.rect, gfx::Brush::solid(0xFF0000)); }
};

class OwnPaintControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    int GroupPanelHeight() override { return 20; }
    std::unique_ptr<TreeListPaintPass> CreatePainter(gfx::Canvas &canvas, bool focused) override
    {
        return std::make_unique<OwnPainter>(*this, canvas, focused);
    }
};

} // namespace

TEST(TreeListWidget, ADescendantPaintsTheGroupPanelAndCellsThroughAPainterOfItsOwn)
{
    OwnPaintControl tree(nullptr);
    tree.CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("A");
    tree.SetNodeString(tree.Add(), 0, "one");
    TreeListWidget widget(&tree);
    const QImage image = widget.render(true, QSize(160, 100));
    EXPECT_EQ(zvotest::at(image, 80, 10), rtl::TColor(0x0000FF));
    TdxTreeListLayoutInfo info;
    tree.CalcLayout(info);
    ASSERT_EQ(info.Rows.size(), 1u);
    EXPECT_EQ(zvotest::at(image, 60, info.Rows[0].Top + 3), rtl::TColor(0xFF0000));
    widget.setTreeList(nullptr);
}

TEST(TreeListWidget, ANewGridWindowIs250By150AndKnowsWhenAPointIsOverItsEditor)
{
    TCustomdxTreeListControl tree(nullptr);
    tree.CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("A");
    tree.SetNodeString(tree.Add(), 0, "one");
    TreeListWidget widget(&tree);
    EXPECT_EQ(widget.size(), QSize(250, 150));
    EXPECT_EQ(widget.sizeHint(), QSize(250, 150));

    tree.SetOptionsA((tree.OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
    tree.SetFocusedNode(tree.Items(0));
    const rtl::TRect cell = tree.CellRect(tree.Items(0), 0);
    const rtl::TPoint inside{cell.Left + 5, (cell.Top + cell.Bottom) / 2};
    EXPECT_FALSE(tree.IsPointInEditor(inside));
    ASSERT_TRUE(tree.ShowEditor());
    ASSERT_NE(tree.Editor(), nullptr);
    EXPECT_TRUE(tree.IsPointInEditor(inside));
    // The editor's frame and the cells beside it are not its client area.
    const rtl::TRect client = tree.Editor()->ClientBounds();
    EXPECT_FALSE(tree.IsPointInEditor({client.Left - 1, inside.Y}));
    EXPECT_FALSE(tree.IsPointInEditor({inside.X, client.Bottom + 4}));
    ASSERT_TRUE(tree.EndEditing());
    EXPECT_FALSE(tree.IsPointInEditor(inside));
    widget.setTreeList(nullptr);
}

// A key handler that frees the column being typed into: the real editor
// goes on with its key, its text and its validation, and calls the column
// no more; the grid edits its other columns afterwards.
TEST(TreeListWidget, AColumnFreedByAKeyHandlerWhileTypingLeavesTheEditorWhole)
{
    WidgetFixture f;
    f.tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("B");
    f.tree->SetOptionsA((f.tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
    f.widget->show();
    f.widget->setFocus();
    int heard = 0;
    f.tree->OnEditChange = [&](classes::TObject *, TdxTreeListColumn *) { ++heard; };
    f.tree->OnEditValidate = [&](classes::TObject *, TdxTreeListColumn *, QString &, bool &) { ++heard; };
    f.tree->OnKeyPress.Set([&](classes::TObject *, TChar &) {
        if (f.tree->EditedColumn() >= 0)
            delete f.tree->Columns(f.tree->EditedColumn());
    });
    f.tree->SetFocusedNode(f.tree->Items(1));
    f.tree->SetFocusedColumn(0);
    QTest::keyClick(f.widget.get(), Qt::Key_F2);
    auto *edit = dynamic_cast<TdxInplaceTextEdit *>(f.tree->Editor());
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit->lineEdit(), "xy");
    QTest::keyClick(edit->lineEdit(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(f.tree->ColumnCount(), 1);
    EXPECT_EQ(heard, 0);
    f.tree->OnKeyPress.Clear();
    f.tree->SetFocusedColumn(0);
    QTest::keyClick(f.widget.get(), Qt::Key_F2);
    ASSERT_EQ(f.tree->State(), tsEditing);
    QTest::keyClicks(edit->lineEdit(), "z");
    ASSERT_TRUE(f.tree->EndEditing());
    EXPECT_EQ(f.tree->GetNodeString(f.tree->Items(1), 0), "z");
}

// A program ends a grid from the grid's own events by closing its window,
// which Qt frees once the event is over: the grid, its editor and the
// window go with nothing touched afterwards.
TEST(TreeListWidget, AWindowClosedByTheGridsOwnEventGoesOnceTheEventIsOver)
{
    const std::vector<const char *> events = {"key press while editing", "double click", "edit change"};
    for (const char *event : events) {
        SCOPED_TRACE(event);
        auto *form = new QWidget;
        form->setAttribute(Qt::WA_DeleteOnClose);
        auto tree = std::make_unique<TCustomdxTreeListControl>(nullptr);
        tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption("A");
        tree->SetNodeString(tree->Add(), 0, "one");
        tree->SetOptionsA((tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
        QPointer<TreeListWidget> widget = new TreeListWidget(tree.get(), form);
        widget->resize(200, 100);
        form->show();
        widget->setFocus();
        QApplication::processEvents();
        const auto close = [form] { form->close(); };
        const std::string name = event;
        if (name == "double click")
            tree->OnDblClick.Set([close](classes::TObject *) { close(); });
        else if (name == "edit change")
            tree->OnEditChange = [close](classes::TObject *, TdxTreeListColumn *) { close(); };
        else
            tree->OnKeyPress.Set([close](classes::TObject *, TChar &) { close(); });
        if (name == "double click") {
            tree->SetOptionsA(tree->OptionsA() & ~(1u << aoEditing));
            const rtl::TRect cell = tree->CellRect(tree->Items(0), 0);
            QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, QPoint(cell.Left + 3, cell.Top + 3));
        } else {
            tree->SetFocusedNode(tree->Items(0));
            QTest::keyClick(widget.data(), Qt::Key_F2);
            auto *edit = dynamic_cast<TdxInplaceTextEdit *>(tree->Editor());
            ASSERT_NE(edit, nullptr);
            QTest::keyClicks(edit->lineEdit(), "x");
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(widget.isNull());
        EXPECT_EQ(tree->Host(), nullptr);
        tree.reset();
    }
}
