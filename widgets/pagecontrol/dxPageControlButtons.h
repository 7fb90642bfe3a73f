#pragma once

// The tab strip of the page control: one painter object per style measures,
// lays out, hit-tests and paints the tabs. The geometry knows nothing of
// widgets: the control answers through TabStripHost, so the layout can be
// driven and checked without a display.

#include "platform/gfx/Colors.h"
#include "platform/rtl/Types.h"

#include <memory>
#include <string>
#include <vector>

namespace gfx {
class Canvas;
class ImageList;
struct Font;
} // namespace gfx

namespace widgets {

class TdxPageControlButton;

enum class TdxTabStyle { dxtsTabs, dxtsButtons, dxtsFlatButtons, dxtsFlat };
enum class TdxTabPosition { dxtpTop, dxtpBottom, dxtpLeft, dxtpRight };

// Tabs on the left or right side run down the control, not across it.
inline bool vertical(TdxTabPosition p)
{
    return p == TdxTabPosition::dxtpLeft || p == TdxTabPosition::dxtpRight;
}

// What the strip needs to know of a page.
class TabStripPage
{
public:
    virtual ~TabStripPage() = default;
    virtual QString tabCaption() const = 0;
    virtual int tabImageIndex() const = 0; // after the control's image-index event
    virtual bool tabHighlighted() const = 0;
    virtual int tabPageIndex() const = 0;
};

// The properties of the control that shape the strip.
struct TabStripOptions
{
    TdxTabStyle style = TdxTabStyle::dxtsFlat;
    TdxTabPosition position = TdxTabPosition::dxtpTop;
    bool multiLine = false;
    bool raggedRight = false;
    bool hideButtons = false;
    bool hotTrack = false;
    int tabWidth = 0;
    int tabHeight = 0;
    bool hasImages = false;
    int imageWidth = 0;
    int imageHeight = 0;
};

// The control as the strip sees it.
class TabStripHost
{
public:
    virtual ~TabStripHost() = default;
    virtual const TabStripOptions &stripOptions() const = 0;
    virtual rtl::TSize clientSize() const = 0;
    virtual int textWidth(const QString &text) const = 0;
    virtual int textHeight(const QString &text) const = 0;
    virtual TabStripPage *activeTabPage() const = 0;
    // The control holds the focus of its window.
    virtual bool stripFocused() const = 0;
    // Activation goes through the control's veto.
    virtual void activateTabPage(TabStripPage *page) = 0;
    virtual void focusControl() = 0;
    virtual void invalidateStrip(const rtl::TRect &rect) = 0;
    // The arrow auto-repeat; the control calls timerTick() on every period.
    virtual void startRepeatTimer(int periodMs) = 0;
    virtual void stopRepeatTimer() = 0;

    // Painting only.
    virtual gfx::Font stripFont() const;
    virtual const gfx::ImageList *stripImages() const { return nullptr; }
    // May change the font the tab's caption is drawn with.
    virtual void customizeTabFont(gfx::Canvas &, const TdxPageControlButton &) {}
    // Draws the tab in place of the style; true when it did.
    virtual bool ownerDrawTab(gfx::Canvas &, const TdxPageControlButton &) { return false; }
};

class TdxPageControlButtons;

class TdxPageControlButton
{
public:
    TdxPageControlButton(TdxPageControlButtons *painter, TabStripPage *page)
        : m_painter(painter)
        , m_page(page)
    {}

    TabStripPage *page() const { return m_page; }
    const rtl::TRect &rect() const { return m_rect; }
    int width() const { return m_width; }
    int row() const { return m_row; }

    bool active() const;
    bool focused() const;
    bool hot() const;
    bool visible() const { return m_rect.Width() > 0; }
    QString caption() const;
    int imageIndex() const { return m_page->tabImageIndex(); }

private:
    friend class TdxPageControlButtons;
    TdxPageControlButtons *m_painter;
    TabStripPage *m_page;
    rtl::TRect m_rect;
    int m_width = 0;
    int m_row = 1;
};

// Adds (d1, d2, d3, d4) given as for a strip on top: d1 towards the page,
// d2 at the far end, d3 at the outer edge, d4 at the near end.
rtl::TRect stripOffsetRect(const rtl::TRect &rect, TdxTabPosition position, int d1, int d2, int d3, int d4);

class TdxPageControlButtons
{
public:
    enum ArrowState {
        asNone = 0,
        asBackPressed = 1,
        asForwardPressed = 2,
        asBackPressedOutside = 3,
        asForwardPressedOutside = 4,
        asBackHot = 5,
        asForwardHot = 6,
    };
    static constexpr int RepeatPeriodMs = 200;

    explicit TdxPageControlButtons(TabStripHost *host);
    virtual ~TdxPageControlButtons();

    // Style answers.
    virtual int spacingUnit() const { return 2; }
    virtual int tabHeight() const;
    int rowCount() const;
    int stripThickness() const;
    int availableLength() const;
    virtual int endMargin() const { return spacingUnit(); }
    virtual rtl::TRect displayMargins() const { return {}; }
    virtual bool clickOnActiveFocuses() const { return true; }
    virtual bool movesActiveRow() const { return true; }
    virtual bool hotRepaintsWholeTab() const { return false; }
    virtual bool arrowsShowHot() const { return false; }
    virtual bool drawnHighlighted(const TdxPageControlButton &) const { return false; }
    virtual int measureTab(const TdxPageControlButton &tab) const;

    // Tabs, in tab order.
    void addTab(TabStripPage *page, int tabIndex);
    void removeTab(TabStripPage *page);
    void moveTab(TabStripPage *page, int tabIndex);
    int tabCount() const { return int(m_tabs.size()); }
    TdxPageControlButton &tab(int index) const { return *m_tabs[size_t(index)]; }
    TdxPageControlButton *findTab(const TabStripPage *page) const;
    // Moves every tab of another painter over to this one.
    void takeTabsFrom(TdxPageControlButtons &other);

    void relayout();
    void makeActiveVisible();
    void scrollTo(int index);

    rtl::TRect stripRect() const;
    rtl::TRect displayRect() const; // the client area less margins and strip
    rtl::TRect adjustClientRect(const rtl::TRect &client) const;
    TdxPageControlButton *tabAt(rtl::TPoint point) const;

    void mouseDown(rtl::TPoint point);
    void mouseUp();
    void mouseMove(rtl::TPoint point);
    void mouseLeave();
    void timerTick(rtl::TPoint mouse);

    int scrollOffset() const { return m_offset; }
    const rtl::TRect &backArrowRect() const { return m_backArrow; }
    const rtl::TRect &forwardArrowRect() const { return m_forwardArrow; }
    int arrowState() const { return m_arrowState; }
    TdxPageControlButton *hotTab() const { return m_hot; }
    bool repeating() const { return m_timerRunning; }
    TabStripHost *host() const { return m_host; }
    TdxTabPosition position() const { return m_host->stripOptions().position; }
    bool multiLine() const;

    // Painting, over the drawing layer.
    void paint(gfx::Canvas &canvas);
    virtual void paintTab(gfx::Canvas &canvas, const TdxPageControlButton &tab);
    virtual void paintContent(gfx::Canvas &canvas, const TdxPageControlButton &tab, const rtl::TRect &rect);
    virtual void fillBackground(gfx::Canvas &canvas);
    virtual void paintFrame(gfx::Canvas &) {}
    virtual void paintArrows(gfx::Canvas &canvas);

protected:
    // Maps a rectangle given along the strip and across it (from the strip's
    // outer edge) to control coordinates.
    rtl::TRect mapFromStrip(int along0, int across0, int along1, int across1) const;
    rtl::TRect tabDisplayFrame() const;
    void paintStrip(gfx::Canvas &canvas);
    void drawTab(gfx::Canvas &canvas, const TdxPageControlButton &tab);
    // Whether the tabs are as they were when tabsChanged was `mark`.
    bool tabsAsAt(int mark) const { return m_tabsChanged == mark; }
    int tabsMark() const { return m_tabsChanged; }
    void applyRotation(gfx::Canvas &canvas) const;
    // Edge flags for the sides of a tab, given as for a strip on top.
    unsigned sideFlags(bool outer, bool inner, bool nearEnd, bool farEnd) const;

private:
    void measureTabs();
    void layoutRows();
    void balanceRows();
    void computeArrows();
    void pullBack();
    void placeTabs();
    bool allFit(int from) const;
    int arrowRoom() const;
    void setArrowState(int state);
    void setHot(TdxPageControlButton *tab);
    void invalidateTab(const TdxPageControlButton *tab);

    TabStripHost *m_host;
    std::vector<std::unique_ptr<TdxPageControlButton>> m_tabs;
    // Counts the changes of m_tabs: the drawing handlers may add, free or
    // move tabs, and a paint stops where that happened.
    int m_tabsChanged = 0;
    int m_offset = 0;
    rtl::TRect m_backArrow;
    rtl::TRect m_forwardArrow;
    int m_arrowState = asNone;
    bool m_timerRunning = false;
    int m_rows = 1;
    TdxPageControlButton *m_hot = nullptr;
};

// The button-face colour raised by 20 in each channel, for the button and
// flat styles.
rtl::TColor pageControlLightColor();
// The caption colour of the hot tab.
rtl::TColor pageControlHotColor();

class TdxPageControlStandardButtons : public TdxPageControlButtons
{
public:
    using TdxPageControlButtons::TdxPageControlButtons;
    rtl::TRect displayMargins() const override { return {1, 1, 2, 2}; }
    bool drawnHighlighted(const TdxPageControlButton &tab) const override { return tab.page()->tabHighlighted(); }
    void paintTab(gfx::Canvas &canvas, const TdxPageControlButton &tab) override;
    void paintFrame(gfx::Canvas &canvas) override;
};

class TdxPageControlBtnButtons : public TdxPageControlStandardButtons
{
public:
    using TdxPageControlStandardButtons::TdxPageControlStandardButtons;
    int tabHeight() const override;
    int endMargin() const override { return 0; }
    rtl::TRect displayMargins() const override { return {}; }
    bool movesActiveRow() const override { return false; }
    bool drawnHighlighted(const TdxPageControlButton &) const override { return false; }
    void paintTab(gfx::Canvas &canvas, const TdxPageControlButton &tab) override;
    void paintFrame(gfx::Canvas &) override {}
};

class TdxPageControlFlatBtnButtons : public TdxPageControlBtnButtons
{
public:
    using TdxPageControlBtnButtons::TdxPageControlBtnButtons;
    bool hotRepaintsWholeTab() const override { return true; }
    int measureTab(const TdxPageControlButton &tab) const override;
    void paintTab(gfx::Canvas &canvas, const TdxPageControlButton &tab) override;
};

class TdxPageControlNetFlatButtons : public TdxPageControlButtons
{
public:
    using TdxPageControlButtons::TdxPageControlButtons;
    int tabHeight() const override;
    int endMargin() const override { return 3 * spacingUnit(); }
    bool clickOnActiveFocuses() const override { return false; }
    bool arrowsShowHot() const override { return true; }
    void fillBackground(gfx::Canvas &canvas) override;
    void paintFrame(gfx::Canvas &canvas) override;
    void paintTab(gfx::Canvas &canvas, const TdxPageControlButton &tab) override;
    void paintArrows(gfx::Canvas &canvas) override;
};

// The painter for a style, made for the given control.
std::unique_ptr<TdxPageControlButtons> createTabPainter(TdxTabStyle style, TabStripHost *host);

} // namespace widgets
