// The page viewer on a stand-in report of three pages, offscreen: where
// the page shows, which requests navigation makes, clicks on draw commands
// and printing from the preview.

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Units.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/Producer.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/ScrollBox.h"
#include "report/output/screen/Viewer.h"

#include "tests/support/PixelProbes.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "platform/gfx/Colors.h"
#include "platform/rtl/Colors.h"
#include "platform/shell/MessageBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>

using namespace report;

namespace {

class ViewerTest : public ::testing::Test
{
protected:
    ViewerTest()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        ppRegisterDevice(&ppDeviceClass<TppScreenDevice>());
        ppRegisterDevice(&ppDeviceClass<reporttest::PrinterStandInDevice>());
        reporttest::SetA4Portrait(*producer->PrinterSetup());
        engine = std::make_unique<reporttest::StandInProducer>(producer->Publisher(), script());
        engine->BeforeDeliver = [this](TppPage &aPage) {
            reporttest::SetA4Portrait(*aPage.PrinterSetup());
            if (aPage.AbsolutePageNo() == 1 && Decorate)
                Decorate(aPage);
        };
        viewer.resize(600, 800);
        viewer.SetReport(producer.get());
    }
    ~ViewerTest() override
    {
        viewer.SetReport(nullptr);
        engine.reset();
        producer.reset();
        ppUnRegisterDevice(&ppDeviceClass<reporttest::PrinterStandInDevice>());
        ppUnRegisterDevice(&ppDeviceClass<TppScreenDevice>());
        ppContentLayerFinalize();
    }

    static reporttest::ProducerScript script()
    {
        reporttest::ProducerScript s;
        s.pageCount = 3;
        return s;
    }

    // The first page as the preview's first request brings it.
    void start()
    {
        viewer.show();
        producer->PrintToDevices();
    }

    ScopedScreenPixelsPerInch ppi{96};
    reporttest::StandInCommandClasses commands;
    shell::RecordingMessageBoxes boxes;
    std::unique_ptr<TppProducer> producer = std::make_unique<TppProducer>();
    std::unique_ptr<reporttest::StandInProducer> engine;
    std::function<void(TppPage &)> Decorate;
    TppViewer viewer;
};

TppDrawShape *viewerBox(TppPage &aPage, int aLeft, int aTop, bool aClickable)
{
    auto *shape = new TppDrawShape();
    shape->SetLeft(aLeft);
    shape->SetTop(aTop);
    shape->SetWidth(10000);
    shape->SetHeight(10000);
    shape->Brush()->SetColor(rtl::clBlack);
    shape->SetClickable(aClickable);
    aPage.AddDrawCommand(shape);
    return shape;
}

} // namespace

// The preview shows the page as it prints: the page's colour and commands in
// system colours are paper's under a dark desktop too, where the page would
// turn dark grey under its black text.
TEST_F(ViewerTest, ThePageLooksAsItPrintsUnderADarkDesktop)
{
    Decorate = [](TppPage &aPage) {
        TppDrawShape *box = viewerBox(aPage, 20000, 30000, false);
        box->Brush()->SetColor(rtl::clWindow);
        box->Pen()->SetColor(rtl::clWindowText);
    };
    viewer.SetZoomSetting(TppZoomSettingType::zs100Percent);
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    rtl::setSystemColors(gfx::systemColorsFromPalette(dark));
    start();
    const QImage shown = viewer.ScreenDevice()->PageBitmap();
    rtl::setSystemColors(rtl::SystemColors::classic());
    const int left = 24 + ppRound(20 * 0.03937f * 96);
    const int top = 24 + ppRound(30 * 0.03937f * 96);
    zvotest::expectPixels(shown, {{30, 30, rtl::clWhite},
                                  {left, top + 5, rtl::clBlack},
                                  {left + 5, top + 5, rtl::clWhite}});
}

TEST_F(ViewerTest, ThePageShowsOnItsSurroundAtEveryZoom)
{
    Decorate = [](TppPage &aPage) { viewerBox(aPage, 20000, 30000, false); };
    viewer.SetZoomSetting(TppZoomSettingType::zs100Percent);
    start();
    TppScreenDevice &device = *viewer.ScreenDevice();
    ASSERT_EQ(viewer.AbsolutePageNo(), 1);
    const QImage &bitmap = device.PageBitmap();
    EXPECT_EQ(bitmap.width(), 794 + 48);
    EXPECT_EQ(bitmap.height(), 1123 + 48);
    EXPECT_EQ(device.OffsetX(), 24);
    const int left = 24 + ppRound(20 * 0.03937f * 96);
    const int top = 24 + ppRound(30 * 0.03937f * 96);
    zvotest::expectPixels(bitmap, {{0, 0, 0x808080}, {left - 1, top + 2, rtl::clWhite}, {left, top + 2, rtl::clBlack}});
    // The paint box shows what the bitmap holds, and scrolls over it.
    const QImage shown = viewer.PaintBox()->grab().toImage();
    EXPECT_EQ(zvotest::at(shown, left, top + 2), rtl::clBlack);
    EXPECT_EQ(zvotest::at(shown, 0, 0), 0x808080u);
    EXPECT_TRUE(viewer.ScrollBox()->verticalScrollBar()->isVisible());

    // Whole page: the page is centred in the box, scaled by the formula.
    viewer.SetZoomSetting(TppZoomSettingType::zsWholePage);
    const int sh = viewer.ScrollBox()->height();
    EXPECT_EQ(device.PageHeight(), sh - 24);
    EXPECT_EQ(device.OffsetX(), (device.PageBitmap().width() - device.PageWidth()) / 2);
    const int scaledLeft = device.OffsetX() + ppRound(ppRound(20 * 0.03937f * 96) * device.ScaleX());
    const int scaledTop = device.OffsetY() + ppRound(ppRound(30 * 0.03937f * 96) * device.ScaleY());
    zvotest::expectPixels(device.PageBitmap(), {{scaledLeft - 1, scaledTop + 1, rtl::clWhite},
                                                {scaledLeft + 1, scaledTop + 1, rtl::clBlack}});
    EXPECT_FALSE(viewer.ScrollBox()->verticalScrollBar()->isVisible());

    viewer.SetZoomPercentage(10);
    EXPECT_EQ(viewer.ZoomPercentage(), 25);
    EXPECT_EQ(viewer.ZoomSetting(), TppZoomSettingType::zsPercentage);
    EXPECT_EQ(viewer.CalculatedZoom(), 25);
    viewer.SetZoomPercentage(300);
    EXPECT_EQ(viewer.ZoomPercentage(), 250);

    // Any size of window, however odd, keeps a drawable page.
    for (QSize size : {QSize(0, 0), QSize(1, 1), QSize(10000, 10000)}) {
        viewer.resize(size);
        viewer.SetZoomSetting(TppZoomSettingType::zsWholePage);
        EXPECT_GE(device.PageBitmap().width(), 1);
        EXPECT_LE(device.PageBitmap().width(), ppMaxPageBitmapSide);
    }
}

TEST_F(ViewerTest, NavigationAsksOnlyForPagesNotShown)
{
    start();
    const int generations = engine->Generations;
    viewer.FirstPage();
    viewer.PriorPage();
    viewer.GotoPage(1);
    EXPECT_EQ(engine->Generations, generations);

    viewer.NextPage();
    EXPECT_EQ(viewer.AbsolutePageNo(), 2);
    viewer.LastPage();
    EXPECT_EQ(viewer.AbsolutePageNo(), 3);
    EXPECT_TRUE(viewer.Status().contains(QStringLiteral("3")));
    const int atLast = engine->Generations;
    viewer.NextPage();
    viewer.LastPage();
    EXPECT_EQ(engine->Generations, atLast);

    int pageChanges = 0;
    viewer.OnPageChange.Set([&](classes::TObject *) { ++pageChanges; });
    viewer.FirstPage();
    EXPECT_EQ(viewer.AbsolutePageNo(), 1);
    EXPECT_EQ(pageChanges, 1);
}

TEST_F(ViewerTest, ClicksGoToTheFirstClickableCommandUnderThePointer)
{
    QStringList clicked;
    Decorate = [&](TppPage &aPage) {
        viewerBox(aPage, 20000, 30000, false)->OnClick.Set([&](classes::TObject *) { clicked << "hidden"; });
        viewerBox(aPage, 20000, 30000, true)->OnClick.Set([&](classes::TObject *) { clicked << "first"; });
        viewerBox(aPage, 25000, 35000, true)->OnClick.Set([&](classes::TObject *) { clicked << "second"; });
    };
    viewer.SetZoomSetting(TppZoomSettingType::zs100Percent);
    start();
    int viewerClicks = 0;
    viewer.OnClick.Set([&](classes::TObject *) { ++viewerClicks; });
    // After the stand-in's own commands.
    const int hidden = viewer.CurrentPage()->DrawCommandCount() - 3;
    TppDrawCommand *first = viewer.CurrentPage()->DrawCommands(hidden + 1);
    TppDrawCommand *second = viewer.CurrentPage()->DrawCommands(hidden + 2);
    const QPoint overlap(second->DrawLeft() + 2, second->DrawTop() + 2);
    QStringList pointer;
    viewer.OnMouseDown = [&](TppViewer *, Qt::MouseButtons, Qt::KeyboardModifiers, int X, int Y) {
        pointer << QStringLiteral("down %1 %2").arg(X).arg(Y);
    };
    viewer.OnMouseUp = [&](TppViewer *, Qt::MouseButtons, Qt::KeyboardModifiers, int, int) { pointer << "up"; };
    viewer.OnDblClick.Set([&](classes::TObject *) { pointer << "double"; });
    QTest::mouseClick(viewer.PaintBox(), Qt::LeftButton, Qt::NoModifier, overlap);
    EXPECT_EQ(clicked, QStringList({"first"}));
    EXPECT_EQ(viewerClicks, 1);
    QTest::mouseDClick(viewer.PaintBox(), Qt::LeftButton, Qt::NoModifier, overlap);
    EXPECT_EQ(pointer.first(), QStringLiteral("down %1 %2").arg(overlap.x()).arg(overlap.y()));
    EXPECT_TRUE(pointer.contains(QStringLiteral("up")));
    EXPECT_TRUE(pointer.contains(QStringLiteral("double")));
    clicked.clear();
    viewerClicks = 0;

    // A handler that asks for the page again gets it drawn anew.
    first->OnClick.Set([&](classes::TObject *aSender) { static_cast<TppDrawCommand *>(aSender)->SetRedrawPage(true); });
    const int generations = engine->Generations;
    viewer.PaintBoxClick(overlap);
    EXPECT_EQ(engine->Generations, generations + 1);
    EXPECT_EQ(viewer.AbsolutePageNo(), 1);

    // A handler that raises reaches the user in a box, not Qt.
    first = viewer.CurrentPage()->DrawCommands(hidden + 1);
    first->OnClick.Set([](classes::TObject *) { throw EBrevantorError(QStringLiteral("broken handler")); });
    viewer.PaintBoxClick(overlap);
    ASSERT_EQ(boxes.requests().size(), 1u);

    // One that frees the report leaves an empty viewer behind.
    first->OnClick.Set([&](classes::TObject *) {
        engine.reset();
        producer.reset();
    });
    viewer.PaintBoxClick(overlap);
    EXPECT_EQ(viewer.Report(), nullptr);
    EXPECT_EQ(viewer.CurrentPage()->DrawCommandCount(), 0);
}

TEST_F(ViewerTest, DragsOverThePageAndResizesReachTheViewersHandlers)
{
    start();
    int resizes = 0;
    int pageChanges = 0;
    viewer.OnResize.Set([&](classes::TObject *) {
        ++resizes;
        EXPECT_EQ(pageChanges, 0); // told before the page is laid out again
    });
    viewer.OnPageChange.Set([&](classes::TObject *) { ++pageChanges; });
    viewer.resize(500, 700);
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(pageChanges, 1);

    QWidget *page = viewer.PaintBox();
    ASSERT_TRUE(page->acceptDrops());
    QMimeData data;
    data.setText(QStringLiteral("dragged"));
    const auto enter = [&](QPoint aAt) {
        QDragEnterEvent event(aAt, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &event);
        return event.isAccepted();
    };
    // Nobody listens: nothing may be dropped.
    EXPECT_FALSE(enter(QPoint(10, 10)));

    QStringList told;
    viewer.OnDragOver = [&](TppViewer *aSender, const QDropEvent &aSource, int X, int Y, TppViewer::TDragState aState,
                            bool &aAccept) {
        EXPECT_EQ(aSender, &viewer);
        EXPECT_TRUE(aAccept);
        if (aState != TppViewer::TDragState::dsDragLeave) {
            EXPECT_EQ(aSource.mimeData()->text(), QStringLiteral("dragged"));
        }
        told << QStringLiteral("over %1 %2 %3").arg(X).arg(Y).arg(int(aState));
        aAccept = X < 100;
    };
    viewer.OnDragDrop = [&](TppViewer *, const QDropEvent &aSource, int X, int Y) {
        told << QStringLiteral("drop %1 %2 %3").arg(X).arg(Y).arg(aSource.mimeData()->text());
    };
    EXPECT_FALSE(enter(QPoint(150, 20)));
    EXPECT_TRUE(enter(QPoint(10, 20)));
    QDragMoveEvent move(QPoint(20, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &move);
    EXPECT_TRUE(move.isAccepted());
    QDragLeaveEvent leave;
    QApplication::sendEvent(page, &leave);
    EXPECT_TRUE(enter(QPoint(30, 40)));
    QDropEvent drop(QPointF(31, 41), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(page, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(told, QStringList({"over 150 20 0", "over 10 20 0", "over 20 30 2", "over 20 30 1", "over 30 40 0",
                                 "drop 31 41 dragged"}));
}

TEST_F(ViewerTest, ThePageTakesTheViewersCursorAndTheHandOnlyOverClickableCommands)
{
    Decorate = [](TppPage &aPage) { viewerBox(aPage, 20000, 30000, true); };
    viewer.SetZoomSetting(TppZoomSettingType::zs100Percent);
    start();
    TppDrawCommand *box = viewer.CurrentPage()->DrawCommands(viewer.CurrentPage()->DrawCommandCount() - 1);
    const QPoint onBox(box->DrawLeft() + 2, box->DrawTop() + 2);
    const QPoint offBox(2, 2);
    // A busy preview puts the hourglass on the viewer: the page shows it.
    viewer.setCursor(Qt::WaitCursor);
    EXPECT_EQ(viewer.PaintBox()->cursor().shape(), Qt::WaitCursor);
    viewer.PaintBoxMouseMove(Qt::NoButton, Qt::NoModifier, onBox);
    EXPECT_EQ(viewer.PaintBox()->cursor().shape(), Qt::PointingHandCursor);
    // Leaving the command brings back the viewer's own cursor, not the hand.
    viewer.PaintBoxMouseMove(Qt::NoButton, Qt::NoModifier, offBox);
    EXPECT_EQ(viewer.PaintBox()->cursor().shape(), Qt::WaitCursor);
    viewer.setCursor(Qt::ArrowCursor);
    viewer.PaintBoxMouseMove(Qt::NoButton, Qt::NoModifier, offBox);
    EXPECT_EQ(viewer.PaintBox()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ViewerTest, PrintGoesToThePrinterAndComesBack)
{
    start();
    producer->SetShowAutoSearchDialog(true);
    QString deviceWhilePrinting;
    bool autoSearchWhilePrinting = true;
    producer->BeforePrint.Set([&](classes::TObject *) {
        deviceWhilePrinting = producer->DeviceType();
        autoSearchWhilePrinting = producer->ShowAutoSearchDialog();
    });
    viewer.Print();
    EXPECT_EQ(deviceWhilePrinting, QStringLiteral("Printer"));
    EXPECT_FALSE(autoSearchWhilePrinting);
    EXPECT_EQ(producer->DeviceType(), QStringLiteral("Screen"));
    EXPECT_TRUE(producer->ShowAutoSearchDialog());
    EXPECT_EQ(viewer.ScreenDevice()->Publisher(), producer->Publisher());

    // A print that raises puts everything back all the same.
    producer->BeforePrint.Set([](classes::TObject *) { throw EBrevantorError(QStringLiteral("jammed")); });
    EXPECT_THROW(viewer.Print(), EBrevantorError);
    EXPECT_EQ(producer->DeviceType(), QStringLiteral("Screen"));
    EXPECT_TRUE(producer->ShowAutoSearchDialog());
    EXPECT_EQ(viewer.ScreenDevice()->Publisher(), producer->Publisher());
}

namespace {

// Takes the wheel when told to, as a descendant of the viewer may.
class WheelTakingViewer : public TppViewer
{
public:
    void ScrollBoxMouseWheel(QObject *, Qt::KeyboardModifiers, int, QPoint, bool &Handled) override
    {
        ++Asked;
        Handled = Take;
    }
    bool Take = false;
    int Asked = 0;
};

} // namespace

TEST_F(ViewerTest, TheScrollBoxTellsScrollCodesAndScrollsWithTheWheel)
{
    viewer.SetZoomSetting(TppZoomSettingType::zs100Percent);
    start();
    QScrollBar *bar = viewer.ScrollBox()->verticalScrollBar();
    std::vector<std::pair<int, TppVerticalScrollEventType>> told;
    viewer.ScrollBox()->OnVerticalScroll = [&](TppScrollBox *, int16_t aPosition, TppVerticalScrollEventType aType) {
        told.emplace_back(aPosition, aType);
    };
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].second, TppVerticalScrollEventType::vsPageDown);
    EXPECT_EQ(told[0].first, std::min(bar->pageStep(), bar->maximum()));
    EXPECT_EQ(told[1].second, TppVerticalScrollEventType::vsBottom);
    EXPECT_EQ(told[1].first, bar->maximum());
    // The pointer let go of the bar ends the scroll, after a click on an
    // arrow as after a drag of the thumb.
    told.clear();
    bar->setValue(0);
    const QPoint downArrow(bar->width() / 2, bar->height() - 3);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, downArrow);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].second, TppVerticalScrollEventType::vsLineDown);
    EXPECT_EQ(told[1].second, TppVerticalScrollEventType::vsEndScroll);
    EXPECT_EQ(told[1].first, bar->value());
    told.clear();
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Vertical;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = option.sliderValue = bar->value();
    option.pageStep = bar->pageStep();
    option.singleStep = bar->singleStep();
    const QPoint thumb =
        bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar).center();
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, thumb);
    QTest::mouseMove(bar, thumb + QPoint(0, 40));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, thumb + QPoint(0, 40));
    ASSERT_GE(told.size(), 2u);
    EXPECT_EQ(told[told.size() - 2].second, TppVerticalScrollEventType::vsThumbPos);
    EXPECT_EQ(told.back().second, TppVerticalScrollEventType::vsEndScroll);
    EXPECT_EQ(std::count_if(told.begin(), told.end(),
                            [](const auto &aTold) { return aTold.second == TppVerticalScrollEventType::vsEndScroll; }),
              1);

    // The wheel: the viewer is asked first and may keep it from scrolling.
    WheelTakingViewer wheeled;
    wheeled.resize(600, 800);
    wheeled.SetZoomSetting(TppZoomSettingType::zs100Percent);
    wheeled.SetReport(producer.get());
    wheeled.show();
    producer->PrintToDevices();
    QScrollBar *wheeledBar = wheeled.ScrollBox()->verticalScrollBar();
    ASSERT_GT(wheeledBar->maximum(), 0);
    const auto roll = [&] {
        QWheelEvent wheel(QPointF(50, 50), wheeled.ScrollBox()->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(wheeled.ScrollBox()->viewport(), &wheel);
    };
    wheeled.Take = true;
    roll();
    EXPECT_EQ(wheeledBar->value(), 0);
    wheeled.Take = false;
    roll();
    EXPECT_GT(wheeledBar->value(), 0);
    EXPECT_EQ(wheeled.Asked, 2);
    wheeled.SetReport(nullptr);
}

TEST_F(ViewerTest, AViewerFreedByThePrintItStartedLeavesTheReportPreviewingOnTheScreen)
{
    producer->SetShowAutoSearchDialog(true);
    auto *doomed = new TppViewer();
    doomed->resize(600, 800);
    doomed->SetReport(producer.get());
    doomed->show();
    producer->PrintToDevices();
    producer->BeforePrint.Set([&](classes::TObject *) { delete doomed; });
    doomed->Print();
    EXPECT_EQ(producer->DeviceType(), QStringLiteral("Screen"));
    EXPECT_TRUE(producer->ShowAutoSearchDialog());
}

// A viewer's handlers may free the viewer (a preview closed from them): the
// step that fired them touches nothing of it afterwards. The status changes
// as the job starts, as the page comes and as the job ends. (A widget freed
// from its own resize event is beyond what Qt allows.)
TEST_F(ViewerTest, AViewerFreedByItsOwnPageOrStatusHandlerIsNotTouchedAgain)
{
    start();
    for (int event = 0; event < 4; ++event) {
        SCOPED_TRACE(event);
        auto *doomed = new TppViewer();
        doomed->resize(600, 800);
        doomed->SetReport(producer.get());
        doomed->show();
        producer->PrintToDevices();
        bool fired = false;
        int calls = event == 0 ? 0 : event - 1;
        const auto handler = [&doomed, &fired, &calls](classes::TObject *) {
            if (calls-- > 0)
                return;
            fired = true;
            delete std::exchange(doomed, nullptr);
        };
        if (event == 0)
            doomed->OnPageChange.Set(handler);
        else
            doomed->OnStatusChange.Set(handler);
        doomed->NextPage();
        QApplication::processEvents();
        EXPECT_TRUE(fired);
        delete doomed;
    }
}
