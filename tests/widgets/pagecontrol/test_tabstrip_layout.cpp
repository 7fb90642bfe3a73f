// The strip geometry, driven through a fake control: every character is 7
// pixels wide and text is 13 pixels high, so tab sizes are exact.

#include "widgets/pagecontrol/dxPageControlButtons.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace widgets;

namespace {

struct FakePage : TabStripPage
{
    explicit FakePage(QString c)
        : caption(std::move(c))
    {}
    QString caption;
    bool highlighted = false;
    QString tabCaption() const override { return caption; }
    int tabImageIndex() const override { return 0; }
    bool tabHighlighted() const override { return highlighted; }
    int tabPageIndex() const override { return 0; }
};

struct FakeHost : TabStripHost
{
    TabStripOptions options;
    rtl::TSize size{200, 200};
    TabStripPage *active = nullptr;
    bool focused = false;
    int timerStarts = 0;
    bool timerRunning = false;
    std::vector<TabStripPage *> activations;

    const TabStripOptions &stripOptions() const override { return options; }
    rtl::TSize clientSize() const override { return size; }
    int textWidth(const QString &text) const override { return 7 * int(text.size()); }
    int textHeight(const QString &) const override { return 13; }
    TabStripPage *activeTabPage() const override { return active; }
    bool stripFocused() const override { return focused; }
    void activateTabPage(TabStripPage *page) override
    {
        activations.push_back(page);
        active = page;
    }
    void focusControl() override { focused = true; }
    void invalidateStrip(const rtl::TRect &) override {}
    void startRepeatTimer(int periodMs) override
    {
        EXPECT_EQ(periodMs, 200);
        ++timerStarts;
        timerRunning = true;
    }
    void stopRepeatTimer() override { timerRunning = false; }
};

class TabStripTest : public ::testing::Test
{
protected:
    // Captions of n characters give tabs of 7 n + 10 pixels.
    void makeTabs(const std::vector<int> &lengths)
    {
        for (int n : lengths)
            pages.push_back(std::make_unique<FakePage>(QString(n, u'x')));
    }
    void makePainter(TdxTabStyle style)
    {
        host.options.style = style;
        painter = createTabPainter(style, &host);
        for (size_t i = 0; i < pages.size(); ++i)
            painter->addTab(pages[i].get(), int(i));
        painter->relayout();
    }
    const TdxPageControlButton &tab(int i) const { return painter->tab(i); }
    std::vector<int> rows() const
    {
        std::vector<int> out;
        for (int i = 0; i < painter->tabCount(); ++i)
            out.push_back(tab(i).row());
        return out;
    }
    rtl::TPoint centre(const rtl::TRect &r) const { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

    FakeHost host;
    std::vector<std::unique_ptr<FakePage>> pages;
    std::unique_ptr<TdxPageControlButtons> painter;
};

TEST_F(TabStripTest, TabSizesFollowCaptionStyleAndFixedWidth)
{
    pages.push_back(std::make_unique<FakePage>(""));
    pages.push_back(std::make_unique<FakePage>("General"));
    makePainter(TdxTabStyle::dxtsTabs);
    // An empty caption measures as one blank.
    EXPECT_EQ(tab(0).width(), 7 + 10);
    EXPECT_EQ(tab(1).width(), 49 + 10);
    EXPECT_EQ(painter->tabHeight(), 3 * 2 + 13);

    makePainter(TdxTabStyle::dxtsFlatButtons);
    EXPECT_EQ(tab(1).width(), 49 + 10 + 4 * 2);
    EXPECT_EQ(painter->tabHeight(), 3 * 2 + 13 + 2 * 2);
    makePainter(TdxTabStyle::dxtsFlat);
    EXPECT_EQ(painter->tabHeight(), 3 * 2 + 13 + 2);

    // A fixed width is widened only to make room for the image.
    host.options.tabWidth = 30;
    host.options.hasImages = true;
    host.options.imageWidth = 40;
    host.options.imageHeight = 30;
    makePainter(TdxTabStyle::dxtsTabs);
    EXPECT_EQ(tab(0).width(), 44);
    EXPECT_EQ(painter->tabHeight(), 34);
    host.options.tabHeight = 25;
    painter->relayout();
    EXPECT_EQ(painter->tabHeight(), 25);
}

TEST_F(TabStripTest, SingleLineOverflowShowsArrowsAndRepeatsWhileHeld)
{
    makeTabs(std::vector<int>(8, 4)); // eight tabs of 38 in a length of 196
    makePainter(TdxTabStyle::dxtsTabs);

    const rtl::TRect fwd = painter->forwardArrowRect();
    const rtl::TRect back = painter->backArrowRect();
    ASSERT_FALSE(fwd.IsEmpty());
    EXPECT_EQ(fwd.Right, 200);
    EXPECT_EQ(fwd.Width(), fwd.Height());
    EXPECT_EQ(back.Right, fwd.Left - 1);
    EXPECT_EQ(tab(0).rect().Left, 2);
    // Placing stops after the tab that reaches the end.
    EXPECT_TRUE(tab(5).visible());
    EXPECT_FALSE(tab(6).visible());

    painter->mouseDown(centre(fwd));
    EXPECT_EQ(painter->scrollOffset(), 1);
    EXPECT_FALSE(tab(0).visible());
    EXPECT_TRUE(host.timerRunning);
    for (int i = 0; i < 6; ++i)
        painter->timerTick(centre(fwd));
    // Scrolling stops once the last tab shows in full before the arrows.
    EXPECT_EQ(painter->scrollOffset(), 4);
    EXPECT_LE(tab(7).rect().Right, painter->backArrowRect().Left);
    EXPECT_TRUE(tab(3).visible() == false && tab(4).visible());
    painter->mouseUp();
    EXPECT_FALSE(host.timerRunning);

    // Dragged off the arrow the press stays but scrolling pauses.
    painter->mouseDown(centre(painter->backArrowRect()));
    EXPECT_EQ(painter->scrollOffset(), 3);
    painter->timerTick({0, 150});
    EXPECT_EQ(painter->arrowState(), TdxPageControlButtons::asBackPressedOutside);
    EXPECT_EQ(painter->scrollOffset(), 3);
    painter->mouseUp();
    EXPECT_FALSE(host.timerRunning);
    EXPECT_EQ(painter->arrowState(), TdxPageControlButtons::asNone);
    EXPECT_EQ(host.timerStarts, 2);
    EXPECT_TRUE(host.activations.empty());
}

TEST_F(TabStripTest, ActiveTabScrollsIntoViewAndWideningPullsBack)
{
    makeTabs(std::vector<int>(8, 4));
    makePainter(TdxTabStyle::dxtsTabs);
    host.active = pages[6].get();
    painter->makeActiveVisible();
    EXPECT_EQ(painter->scrollOffset(), 3);
    EXPECT_TRUE(tab(6).visible());
    EXPECT_LE(tab(6).rect().Right, painter->backArrowRect().Left);

    host.active = pages[1].get();
    painter->makeActiveVisible();
    EXPECT_EQ(painter->scrollOffset(), 1);

    host.size = {400, 200};
    painter->relayout();
    EXPECT_EQ(painter->scrollOffset(), 0);
    EXPECT_TRUE(painter->forwardArrowRect().IsEmpty());
    EXPECT_TRUE(painter->backArrowRect().IsEmpty());
    EXPECT_TRUE(tab(0).visible() && tab(7).visible());
}

TEST_F(TabStripTest, MultiLineRowsBalanceAndEndAtTheAvailableLength)
{
    // 80, 80, 31, 38: greedy rows are {80 80 31} {38}.
    makeTabs({10, 10, 3, 4});
    host.options.multiLine = true;
    host.options.raggedRight = true;
    makePainter(TdxTabStyle::dxtsButtons);
    EXPECT_EQ(rows(), (std::vector<int>{1, 1, 1, 2}));
    EXPECT_EQ(tab(2).rect().Right, 191);
    EXPECT_EQ(tab(3).rect().Right, 38);

    host.options.raggedRight = false;
    painter->relayout();
    // The last tabs of the first row move down while the second row is not
    // longer than the first would be without them.
    EXPECT_EQ(rows(), (std::vector<int>{1, 2, 2, 2}));
    EXPECT_EQ(tab(0).rect().Right, 200);
    EXPECT_EQ(tab(3).rect().Right, 200);
    // The missing length goes round the row one pixel at a time.
    EXPECT_EQ(tab(1).width(), 80 + 17);
    EXPECT_EQ(tab(3).width(), 38 + 17);
    EXPECT_TRUE(painter->forwardArrowRect().IsEmpty());

    // A tab longer than a row is cut and stands alone.
    pages.clear();
    makeTabs({3, 40, 3});
    makePainter(TdxTabStyle::dxtsButtons);
    EXPECT_EQ(painter->rowCount(), 3);
    EXPECT_EQ(tab(1).width(), 200);
}

TEST_F(TabStripTest, ActiveRowMovesNextToThePageForTabsOnly)
{
    makeTabs({10, 10, 3, 4});
    host.options.multiLine = true;
    host.active = pages[0].get();
    makePainter(TdxTabStyle::dxtsTabs);
    ASSERT_EQ(painter->rowCount(), 2);
    EXPECT_EQ(rows(), (std::vector<int>{2, 1, 1, 1}));
    // Row 2 is the one beside the page: further from the outer edge.
    EXPECT_GT(tab(0).rect().Top, tab(1).rect().Top);

    for (TdxTabStyle style : {TdxTabStyle::dxtsButtons, TdxTabStyle::dxtsFlatButtons}) {
        makePainter(style);
        EXPECT_EQ(rows(), (std::vector<int>{1, 2, 2, 2}));
    }
}

TEST_F(TabStripTest, SideStripsWrapAndRunDownTheControl)
{
    makeTabs(std::vector<int>(8, 4));
    host.options.position = TdxTabPosition::dxtpLeft;
    host.options.multiLine = false;
    makePainter(TdxTabStyle::dxtsTabs);
    EXPECT_TRUE(painter->multiLine());
    EXPECT_TRUE(painter->forwardArrowRect().IsEmpty());
    EXPECT_EQ(painter->rowCount(), 2);
    EXPECT_EQ(tab(0).rect().Width(), painter->tabHeight());
    EXPECT_EQ(tab(0).rect().Top, 2);
    const rtl::TRect display = painter->displayRect();
    EXPECT_EQ(display.Left, 1 + painter->stripThickness());

    host.options.position = TdxTabPosition::dxtpRight;
    painter->relayout();
    EXPECT_EQ(painter->displayRect().Right, 200 - 2 - painter->stripThickness());
    EXPECT_GE(tab(0).rect().Left, painter->displayRect().Right);
}

TEST_F(TabStripTest, TinyControlsLayOutWithoutHarm)
{
    makeTabs({4, 0, 12});
    host.options.multiLine = true;
    for (rtl::TSize size : {rtl::TSize{0, 0}, rtl::TSize{3, 3}, rtl::TSize{20, 20}}) {
        host.size = size;
        for (TdxTabStyle style : {TdxTabStyle::dxtsTabs, TdxTabStyle::dxtsFlat}) {
            makePainter(style);
            EXPECT_GE(painter->rowCount(), 1);
            for (int i = 0; i < painter->tabCount(); ++i)
                EXPECT_GE(tab(i).width(), 0);
        }
    }
    host.options.multiLine = false;
    host.size = {10, 10};
    makePainter(TdxTabStyle::dxtsTabs);
    painter->mouseDown(centre(painter->forwardArrowRect()));
    painter->timerTick(centre(painter->forwardArrowRect()));
    painter->mouseUp();
    EXPECT_GE(painter->scrollOffset(), 0);
    EXPECT_LT(painter->scrollOffset(), painter->tabCount());
}

TEST_F(TabStripTest, HiddenStripTakesNoRoomAndHitsNothing)
{
    makeTabs({4, 4});
    host.options.hideButtons = true;
    makePainter(TdxTabStyle::dxtsButtons);
    EXPECT_EQ(painter->stripThickness(), 0);
    EXPECT_EQ(painter->displayRect(), (rtl::TRect{0, 0, 200, 200}));
    painter->mouseDown({10, 10});
    EXPECT_TRUE(host.activations.empty());
}

TEST_F(TabStripTest, ClicksSelectFocusAndHotTrack)
{
    makeTabs({4, 4, 4});
    host.active = pages[0].get();
    host.options.hotTrack = true;
    makePainter(TdxTabStyle::dxtsTabs);
    painter->mouseDown(centre(tab(1).rect()));
    ASSERT_EQ(host.activations.size(), 1u);
    EXPECT_EQ(host.activations[0], pages[1].get());
    painter->mouseDown(centre(tab(1).rect()));
    EXPECT_TRUE(host.focused);

    painter->mouseMove(centre(tab(2).rect()));
    EXPECT_EQ(painter->hotTab(), &tab(2));
    EXPECT_TRUE(tab(2).hot());
    // A highlighted tab is never hot.
    pages[0]->highlighted = true;
    painter->mouseMove(centre(tab(0).rect()));
    EXPECT_EQ(painter->hotTab(), nullptr);
    painter->mouseMove(centre(tab(2).rect()));
    painter->mouseLeave();
    EXPECT_EQ(painter->hotTab(), nullptr);

    // The flat style does not focus on a click on the active tab.
    host.focused = false;
    makePainter(TdxTabStyle::dxtsFlat);
    painter->mouseDown(centre(tab(1).rect()));
    EXPECT_FALSE(host.focused);
}

} // namespace
