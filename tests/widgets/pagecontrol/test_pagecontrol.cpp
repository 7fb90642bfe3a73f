// The page control as a widget: activation and its veto, page removal,
// tab visibility, page order and keyboard navigation.

#include "widgets/pagecontrol/dxPageControl.h"

#include "platform/controls/ManualClock.h"
#include "platform/gfx/ImageList.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

using namespace widgets;

namespace {

class PageControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(300, 260);
        control = new TdxPageControl(window.get());
        control->setGeometry(0, 0, 284, 208);
        control->setTextMeasurer(&measurer);
        for (const char *caption : {"&General", "&Proxy", "&Updates"}) {
            auto *page = new TdxTabSheet();
            page->SetCaption(caption);
            page->SetPageControl(control);
            pages.push_back(page);
        }
        control->OnChange = [this](TdxCustomPageControl *) { ++changes; };
    }

    // A line edit on every page, so the focus can sit inside a page.
    void addEdits()
    {
        for (TdxTabSheet *page : pages) {
            auto *layout = new QVBoxLayout(page);
            auto *edit = new QLineEdit(page);
            layout->addWidget(edit);
            edits.push_back(edit);
        }
    }

    void showWindow()
    {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 2000));
    }

    gfx::FixedTextMeasurer measurer;
    std::unique_ptr<QWidget> window;
    TdxPageControl *control = nullptr;
    std::vector<TdxTabSheet *> pages;
    std::vector<QLineEdit *> edits;
    int changes = 0;
};

TEST_F(PageControlTest, FirstAttachedPageIsActiveAndIndexesFollow)
{
    EXPECT_EQ(control->PageCount(), 3);
    EXPECT_EQ(control->ActivePage(), pages[0]);
    EXPECT_EQ(pages[2]->TabIndex(), 2);
    control->SetActivePageIndex(2);
    EXPECT_EQ(control->ActivePage(), pages[2]);
    EXPECT_FALSE(pages[0]->isVisibleTo(control));
    EXPECT_TRUE(pages[2]->isVisibleTo(control));
    // Out of range means no page at all.
    control->SetActivePageIndex(3);
    EXPECT_EQ(control->ActivePage(), nullptr);
    EXPECT_EQ(control->ActivePageIndex(), -1);
    EXPECT_EQ(control->TabIndex(), -1);
    control->SetActivePageIndex(-1);
    EXPECT_EQ(control->ActivePage(), nullptr);

    // A page of another control is ignored.
    TdxPageControl other(window.get());
    auto *foreign = new TdxTabSheet();
    foreign->SetPageControl(&other);
    control->SetActivePage(foreign);
    EXPECT_EQ(control->ActivePage(), nullptr);
}

TEST_F(PageControlTest, VetoKeepsPageStripAndFiresNoChange)
{
    control->SetActivePageIndex(1);
    changes = 0;
    int asked = 0;
    TdxTabSheet *asking = nullptr;
    control->OnChanging = [&](TdxCustomPageControl *, TdxTabSheet *newPage, bool &allow) {
        ++asked;
        asking = newPage;
        allow = false;
    };
    control->SetActivePage(pages[2]);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(asking, pages[2]);
    EXPECT_EQ(control->ActivePage(), pages[1]);
    EXPECT_EQ(control->TabIndex(), 1);
    EXPECT_TRUE(pages[1]->isVisibleTo(control));
    EXPECT_FALSE(pages[2]->isVisibleTo(control));
    EXPECT_EQ(changes, 0);

    // A click on another tab goes through the same veto.
    const rtl::TRect r = control->painter().tab(0).rect();
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(control->ActivePage(), pages[1]);
    EXPECT_EQ(changes, 0);
}

TEST_F(PageControlTest, RemovingTheActivePageActivatesTheNextVisibleOne)
{
    control->SetActivePageIndex(1);
    delete pages[1];
    EXPECT_EQ(control->PageCount(), 2);
    EXPECT_EQ(control->ActivePage(), pages[2]);
    EXPECT_EQ(control->painter().tabCount(), 2);
    // From the last page the search wraps to the first.
    delete pages[2];
    EXPECT_EQ(control->ActivePage(), pages[0]);
    delete pages[0];
    EXPECT_EQ(control->ActivePage(), nullptr);
    EXPECT_EQ(control->PageCount(), 0);
}

TEST_F(PageControlTest, RemovalSkipsHiddenTabsAndSurvivesAVeto)
{
    pages[2]->SetTabVisible(false);
    control->SetActivePageIndex(1);
    pages[1]->SetPageControl(nullptr);
    EXPECT_EQ(control->ActivePage(), pages[0]);
    delete pages[1];

    // Removing a page in the background keeps the user where they are.
    auto *extra = new TdxTabSheet();
    extra->SetPageControl(control);
    delete extra;
    EXPECT_EQ(control->ActivePage(), pages[0]);

    // A vetoed change cannot keep a page that is being destroyed.
    control->OnChanging = [](TdxCustomPageControl *, TdxTabSheet *, bool &allow) { allow = false; };
    delete pages[0];
    EXPECT_EQ(control->ActivePage(), nullptr);
    EXPECT_EQ(control->PageCount(), 1);
}

TEST_F(PageControlTest, HidingTheActiveTabLeavesNoActivePage)
{
    control->SetActivePageIndex(1);
    changes = 0;
    pages[1]->SetTabVisible(false);
    EXPECT_EQ(control->ActivePage(), nullptr);
    EXPECT_EQ(control->TabIndex(), -1);
    EXPECT_EQ(control->painter().tabCount(), 2);
    EXPECT_EQ(pages[2]->TabIndex(), 1);
    EXPECT_EQ(pages[1]->TabIndex(), -1);
    EXPECT_EQ(changes, 1);

    // Hiding another tab keeps the active page and renumbers the tabs.
    control->SetActivePage(pages[2]);
    pages[0]->SetTabVisible(false);
    EXPECT_EQ(control->ActivePage(), pages[2]);
    EXPECT_EQ(control->TabIndex(), 0);
    pages[0]->SetTabVisible(true);
    EXPECT_EQ(control->TabIndex(), 1);
    EXPECT_EQ(&control->painter().tab(0), control->painter().findTab(pages[0]));
}

TEST_F(PageControlTest, PageIndexMovesPagesAndRejectsOutOfRange)
{
    try {
        pages[0]->SetPageIndex(3);
        FAIL() << "no error";
    } catch (const EListError &e) {
        EXPECT_STREQ(e.what(), "3 is an invalid PageIndex value.  PageIndex must be between 0 and 2");
    }
    EXPECT_THROW(pages[0]->SetPageIndex(-1), EListError);
    EXPECT_EQ(pages[0]->PageIndex(), 0);

    pages[0]->SetPageIndex(2);
    EXPECT_EQ(control->Pages(2), pages[0]);
    EXPECT_EQ(control->Pages(0), pages[1]);
    EXPECT_EQ(control->painter().tab(2).page(), pages[0]);
    EXPECT_EQ(control->TabIndex(), 2);

    TdxTabSheet loose;
    loose.SetPageIndex(5); // without a control nothing happens
    EXPECT_EQ(loose.PageIndex(), -1);
}

TEST_F(PageControlTest, FindNextPageWrapsAndSkipsHiddenTabs)
{
    pages[1]->SetTabVisible(false);
    EXPECT_EQ(control->FindNextPage(pages[0], true, true), pages[2]);
    EXPECT_EQ(control->FindNextPage(pages[2], true, true), pages[0]);
    EXPECT_EQ(control->FindNextPage(pages[0], false, true), pages[2]);
    EXPECT_EQ(control->FindNextPage(pages[0], true, false), pages[1]);
    // A page not in the list starts before the first (forward).
    EXPECT_EQ(control->FindNextPage(nullptr, true, true), pages[0]);
    EXPECT_EQ(control->FindNextPage(nullptr, false, true), pages[2]);
    pages[2]->SetTabVisible(false);
    EXPECT_EQ(control->FindNextPage(pages[0], true, true), pages[0]);
    pages[0]->SetTabVisible(false);
    EXPECT_EQ(control->FindNextPage(pages[0], true, true), nullptr);
}

TEST_F(PageControlTest, CtrlTabCyclesFromInsideAPageWithHiddenButtons)
{
    control->SetStyle(TdxTabStyle::dxtsButtons);
    control->SetHideButtons(true);
    addEdits();
    showWindow();
    EXPECT_EQ(control->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(control->displayRect(), (rtl::TRect{0, 0, 284, 208}));
    edits[0]->setFocus();
    ASSERT_TRUE(edits[0]->hasFocus());

    QTest::keyClick(edits[0], Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(control->ActivePage(), pages[1]);
    // The focus follows into the new page.
    EXPECT_TRUE(edits[1]->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(control->ActivePage(), pages[2]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(control->ActivePage(), pages[0]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(control->ActivePage(), pages[2]);
    // The key is consumed: the edit never saw it.
    EXPECT_TRUE(edits[0]->text().isEmpty() && edits[2]->text().isEmpty());
}

TEST_F(PageControlTest, ArrowKeysAndAcceleratorsSelectPages)
{
    showWindow();
    control->setFocus();
    ASSERT_TRUE(control->hasFocus());
    QTest::keyClick(control, Qt::Key_Right);
    EXPECT_EQ(control->ActivePage(), pages[1]);
    QTest::keyClick(control, Qt::Key_Left);
    QTest::keyClick(control, Qt::Key_Left);
    EXPECT_EQ(control->ActivePage(), pages[2]);
    QTest::keyClick(control, Qt::Key_Down);
    EXPECT_EQ(control->ActivePage(), pages[2]);

    QTest::keyClick(control, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(control->ActivePage(), pages[1]);
    pages[0]->SetTabVisible(false);
    QTest::keyClick(control, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(control->ActivePage(), pages[1]);
}

TEST_F(PageControlTest, SideTabsForceMultiLineAndNegativeSizesStoreZero)
{
    control->SetTabPosition(TdxTabPosition::dxtpLeft);
    EXPECT_TRUE(control->MultiLine());
    control->SetMultiLine(false);
    EXPECT_TRUE(control->MultiLine());
    control->SetTabPosition(TdxTabPosition::dxtpTop);
    control->SetMultiLine(false);
    EXPECT_FALSE(control->MultiLine());
    control->SetTabHeight(-5);
    control->SetTabWidth(-1);
    EXPECT_EQ(control->TabHeight(), 0);
    EXPECT_EQ(control->TabWidth(), 0);

    // A new style takes over every tab.
    control->SetStyle(TdxTabStyle::dxtsTabs);
    EXPECT_EQ(control->painter().tabCount(), 3);
    EXPECT_EQ(control->displayRect().Top, 1 + control->painter().stripThickness());
}

TEST_F(PageControlTest, OwnerDrawnTabsComeInPaintOrderWithTheActiveLast)
{
    control->SetActivePageIndex(1);
    std::vector<int> drawn;
    std::vector<bool> activeFlags;
    control->OnDrawTab = [&](TdxCustomPageControl *, int tabIndex, const rtl::TRect &rect, bool active) {
        EXPECT_FALSE(rect.IsEmpty());
        drawn.push_back(tabIndex);
        activeFlags.push_back(active);
    };
    int fontHooks = 0;
    control->OnDrawTabEx = [&](TdxCustomPageControl *, TdxDrawTabExRecord &record) {
        ++fontHooks;
        EXPECT_NE(record.Item, nullptr);
    };
    std::vector<int> imageQueries;
    control->OnGetImageIndex = [&](TdxCustomPageControl *, int tabIndex, int &imageIndex) {
        imageQueries.push_back(tabIndex);
        imageIndex = 0;
    };
    // Without OwnerDraw the handler is not asked.
    control->grab();
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(fontHooks, 3);

    control->SetOwnerDraw(true);
    pages[0]->SetTabVisible(false);
    control->grab();
    // Tab indexes count only the tabs that show; the active one comes last.
    EXPECT_EQ(drawn, (std::vector<int>{1, 0}));
    EXPECT_EQ(activeFlags, (std::vector<bool>{false, true}));

    control->SetOwnerDraw(false);
    imageQueries.clear();
    gfx::ImageList images(8, 8);
    control->SetImages(&images);
    control->grab();
    control->SetImages(nullptr);
    // The image event gets the page index, not the tab index.
    EXPECT_NE(std::find(imageQueries.begin(), imageQueries.end(), 2), imageQueries.end());
    EXPECT_EQ(std::find(imageQueries.begin(), imageQueries.end(), 0), imageQueries.end());
}

TEST_F(PageControlTest, DockedWidgetBecomesAPageAndFollowsItsTitle)
{
    control->SetDockSite(true);
    auto *form = new QWidget();
    form->setWindowTitle("Results\nmore");
    form->show();
    TdxTabSheet *page = control->DockControl(form);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Caption(), "Results");
    EXPECT_EQ(control->ActivePage(), page);
    EXPECT_EQ(control->DockControl(form), nullptr);
    form->setWindowTitle("Totals");
    EXPECT_EQ(page->Caption(), "Totals");
    form->hide();
    EXPECT_FALSE(page->TabVisible());
    control->UndockControl(form);
    EXPECT_EQ(control->PageCount(), 3);
    EXPECT_TRUE(form->isWindow());
    delete form;
}

TEST_F(PageControlTest, AHeldScrollArrowRepeatsEveryPeriodUntilReleased)
{
    controls::ManualClock clock;
    for (int i = 0; i < 6; ++i) {
        auto *page = new TdxTabSheet();
        page->SetCaption("Page " + std::to_string(i));
        page->SetPageControl(control);
    }
    control->SetStyle(TdxTabStyle::dxtsTabs);
    showWindow();
    TdxPageControlButtons &strip = control->painter();
    const rtl::TRect arrow = strip.forwardArrowRect();
    ASSERT_FALSE(arrow.IsEmpty()) << "the tabs must overflow";
    const QPoint onArrow((arrow.Left + arrow.Right) / 2, (arrow.Top + arrow.Bottom) / 2);
    QCursor::setPos(control->mapToGlobal(onArrow));

    QTest::mousePress(control, Qt::LeftButton, {}, onArrow);
    EXPECT_EQ(strip.scrollOffset(), 1);
    clock.advance(TdxPageControlButtons::RepeatPeriodMs * 3 - 1);
    EXPECT_EQ(strip.scrollOffset(), 3);
    clock.advance(1);
    EXPECT_EQ(strip.scrollOffset(), 4);
    QTest::mouseRelease(control, Qt::LeftButton, {}, onArrow);
    clock.advance(TdxPageControlButtons::RepeatPeriodMs * 5);
    EXPECT_EQ(strip.scrollOffset(), 4);
}

} // namespace
