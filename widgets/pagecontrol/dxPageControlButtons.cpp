#include "widgets/pagecontrol/dxPageControlButtons.h"

#include <algorithm>
#include <numeric>

namespace widgets {

using rtl::TRect;

namespace {

bool contains(const TRect &r, rtl::TPoint p)
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

// "Wt" spans the ascent and the descent of the font.
const QString HeightSample = QStringLiteral("Wt");

} // namespace

// ---------------------------------------------------------------------------

bool TdxPageControlButton::active() const
{
    return m_page == m_painter->host()->activeTabPage();
}

bool TdxPageControlButton::focused() const
{
    return active() && m_painter->host()->stripFocused();
}

bool TdxPageControlButton::hot() const
{
    return m_painter->hotTab() == this && !m_painter->drawnHighlighted(*this);
}

QString TdxPageControlButton::caption() const
{
    QString text = m_page->tabCaption();
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

// ---------------------------------------------------------------------------

TRect stripOffsetRect(const TRect &r, TdxTabPosition position, int d1, int d2, int d3, int d4)
{
    switch (position) {
    case TdxTabPosition::dxtpTop: return {r.Left + d4, r.Top + d3, r.Right + d2, r.Bottom + d1};
    case TdxTabPosition::dxtpBottom: return {r.Left + d4, r.Top - d1, r.Right + d2, r.Bottom - d3};
    case TdxTabPosition::dxtpLeft: return {r.Left + d3, r.Top + d4, r.Right + d1, r.Bottom + d2};
    case TdxTabPosition::dxtpRight: return {r.Left - d1, r.Top + d4, r.Right - d3, r.Bottom + d2};
    }
    return r;
}

TdxPageControlButtons::TdxPageControlButtons(TabStripHost *host)
    : m_host(host)
{}

TdxPageControlButtons::~TdxPageControlButtons()
{
    if (m_timerRunning)
        m_host->stopRepeatTimer();
}

bool TdxPageControlButtons::multiLine() const
{
    const auto &o = m_host->stripOptions();
    return o.multiLine || vertical(o.position);
}

int TdxPageControlButtons::tabHeight() const
{
    const auto &o = m_host->stripOptions();
    if (o.tabHeight != 0)
        return o.tabHeight;
    const int u = spacingUnit();
    int h = 3 * u + m_host->textHeight(HeightSample);
    if (o.hasImages)
        h = std::max(h, o.imageHeight + 2 * u);
    return h;
}

int TdxPageControlBtnButtons::tabHeight() const
{
    const int h = TdxPageControlStandardButtons::tabHeight();
    return host()->stripOptions().tabHeight == 0 ? h + 2 * spacingUnit() : h;
}

int TdxPageControlNetFlatButtons::tabHeight() const
{
    const int h = TdxPageControlButtons::tabHeight();
    return host()->stripOptions().tabHeight == 0 ? h + spacingUnit() : h;
}

int TdxPageControlButtons::rowCount() const
{
    return multiLine() ? m_rows : 1;
}

int TdxPageControlButtons::stripThickness() const
{
    if (m_host->stripOptions().hideButtons || m_tabs.empty())
        return 0;
    return (tabHeight() + spacingUnit()) * rowCount();
}

int TdxPageControlButtons::availableLength() const
{
    const rtl::TSize size = m_host->clientSize();
    const int length = vertical(position()) ? size.cy : size.cx;
    return length - 2 * endMargin();
}

int TdxPageControlButtons::measureTab(const TdxPageControlButton &tab) const
{
    const auto &o = m_host->stripOptions();
    const int u = spacingUnit();
    if (o.tabWidth == 0) {
        int w = m_host->textWidth(tab.caption()) + 10;
        if (o.hasImages)
            w += o.imageWidth + 2 * u;
        return w;
    }
    return o.hasImages ? std::max(o.tabWidth, o.imageWidth + 2 * u) : o.tabWidth;
}

int TdxPageControlFlatBtnButtons::measureTab(const TdxPageControlButton &tab) const
{
    int w = TdxPageControlBtnButtons::measureTab(tab);
    if (host()->stripOptions().tabWidth == 0)
        w += 4 * spacingUnit();
    return w;
}

// --- the tab list ------------------------------------------------------------

void TdxPageControlButtons::addTab(TabStripPage *page, int tabIndex)
{
    if (findTab(page))
        return;
    auto item = std::make_unique<TdxPageControlButton>(this, page);
    if (tabIndex < 0 || tabIndex > tabCount())
        tabIndex = tabCount();
    m_tabs.insert(m_tabs.begin() + tabIndex, std::move(item));
    ++m_tabsChanged;
}

void TdxPageControlButtons::removeTab(TabStripPage *page)
{
    auto it = std::find_if(m_tabs.begin(), m_tabs.end(), [page](const auto &t) { return t->page() == page; });
    if (it == m_tabs.end())
        return;
    if (m_hot == it->get())
        m_hot = nullptr;
    m_tabs.erase(it);
    ++m_tabsChanged;
    if (m_offset >= tabCount())
        m_offset = std::max(0, tabCount() - 1);
}

void TdxPageControlButtons::moveTab(TabStripPage *page, int tabIndex)
{
    auto it = std::find_if(m_tabs.begin(), m_tabs.end(), [page](const auto &t) { return t->page() == page; });
    if (it == m_tabs.end())
        return;
    auto item = std::move(*it);
    m_tabs.erase(it);
    tabIndex = std::clamp(tabIndex, 0, tabCount());
    m_tabs.insert(m_tabs.begin() + tabIndex, std::move(item));
    ++m_tabsChanged;
}

TdxPageControlButton *TdxPageControlButtons::findTab(const TabStripPage *page) const
{
    for (const auto &t : m_tabs)
        if (t->page() == page)
            return t.get();
    return nullptr;
}

void TdxPageControlButtons::takeTabsFrom(TdxPageControlButtons &other)
{
    for (const auto &t : other.m_tabs)
        addTab(t->page(), tabCount());
    other.m_tabs.clear();
    ++other.m_tabsChanged;
    other.m_hot = nullptr;
}

// --- layout ------------------------------------------------------------------

void TdxPageControlButtons::relayout()
{
    measureTabs();
    m_rows = 1;
    if (multiLine())
        layoutRows();
    else
        for (auto &t : m_tabs)
            t->m_row = 1;
    computeArrows();
    pullBack();
    computeArrows();
    placeTabs();
}

void TdxPageControlButtons::measureTabs()
{
    for (auto &t : m_tabs)
        t->m_width = measureTab(*t);
}

void TdxPageControlButtons::layoutRows()
{
    const int length = availableLength();
    int row = 1;
    int used = 0;
    bool rowOpen = false;
    for (auto &t : m_tabs) {
        if (t->m_width >= length) {
            // A tab too long for any row gets one of its own, cut to fit.
            t->m_width = std::max(length, 0);
            if (rowOpen)
                ++row;
            t->m_row = row;
            used = length;
            rowOpen = true;
            continue;
        }
        if (rowOpen && used + t->m_width > length) {
            ++row;
            used = 0;
        }
        t->m_row = row;
        used += t->m_width;
        rowOpen = true;
    }
    m_rows = m_tabs.empty() ? 1 : row;

    if (!m_host->stripOptions().raggedRight)
        balanceRows();

    // Keep the active row beside the page so the selected tab touches it.
    if (movesActiveRow() && m_rows > 1) {
        const TdxPageControlButton *activeTab = nullptr;
        for (const auto &t : m_tabs)
            if (t->active())
                activeTab = t.get();
        if (activeTab && activeTab->m_row != m_rows) {
            const int activeRow = activeTab->m_row;
            for (auto &t : m_tabs)
                t->m_row = (t->m_row - 1 + m_rows - activeRow) % m_rows + 1;
        }
    }
}

void TdxPageControlButtons::balanceRows()
{
    const int length = availableLength();
    const int n = tabCount();
    size_t groupStart = 0;
    auto startsGroup = [&](int i) {
        return m_tabs[size_t(i)]->m_width >= length ||
               m_tabs[size_t(i - 1)]->m_width + m_tabs[size_t(i)]->m_width > length;
    };
    for (int i = 1; i <= n; ++i) {
        if (i < n && !startsGroup(i))
            continue;
        // The group runs from groupStart to i - 1; its rows are consecutive.
        const int firstRow = m_tabs[groupStart]->m_row;
        const int lastRow = m_tabs[size_t(i - 1)]->m_row;
        auto rowTotal = [&](int row) {
            int sum = 0;
            for (size_t k = groupStart; k < size_t(i); ++k)
                if (m_tabs[k]->m_row == row)
                    sum += m_tabs[k]->m_width;
            return sum;
        };
        auto lastOfRow = [&](int row) -> TdxPageControlButton * {
            TdxPageControlButton *last = nullptr;
            for (size_t k = groupStart; k < size_t(i); ++k)
                if (m_tabs[k]->m_row == row)
                    last = m_tabs[k].get();
            return last;
        };
        if (lastRow > firstRow) {
            bool moved = true;
            while (moved) {
                moved = false;
                for (int r = firstRow; r < lastRow; ++r) {
                    TdxPageControlButton *last = lastOfRow(r);
                    if (!last)
                        continue;
                    if (rowTotal(r + 1) <= rowTotal(r) - last->m_width) {
                        last->m_row = r + 1;
                        moved = true;
                    }
                }
            }
        }
        for (int r = firstRow; r <= lastRow; ++r) {
            std::vector<TdxPageControlButton *> tabs;
            for (size_t k = groupStart; k < size_t(i); ++k)
                if (m_tabs[k]->m_row == r)
                    tabs.push_back(m_tabs[k].get());
            if (tabs.empty())
                continue;
            const int missing = length - rowTotal(r);
            for (int p = 0; p < missing; ++p)
                tabs[size_t(p) % tabs.size()]->m_width += 1;
        }
        groupStart = size_t(i);
    }
}

int TdxPageControlButtons::arrowRoom() const
{
    const rtl::TSize size = m_host->clientSize();
    const int length = vertical(position()) ? size.cy : size.cx;
    const int tabsEnd = length - endMargin();
    if (m_backArrow.IsEmpty())
        return 0;
    const int backStart = vertical(position()) ? m_backArrow.Top : m_backArrow.Left;
    return std::max(0, tabsEnd - backStart);
}

bool TdxPageControlButtons::allFit(int from) const
{
    int sum = 0;
    for (int i = from; i < tabCount(); ++i)
        sum += m_tabs[size_t(i)]->m_width;
    return sum <= availableLength();
}

void TdxPageControlButtons::computeArrows()
{
    m_backArrow = m_forwardArrow = TRect{};
    if (multiLine() || m_tabs.empty() || m_host->stripOptions().hideButtons) {
        m_offset = 0;
        return;
    }
    if (m_offset == 0 && allFit(0))
        return;
    const int u = spacingUnit();
    const int h = tabHeight();
    const int inner = h + u; // the strip's inner edge
    const bool flat = m_host->stripOptions().style == TdxTabStyle::dxtsFlat;
    const int start = std::max(0, flat ? h - 15 - 2 * u : h - m_host->textHeight(HeightSample) - 2 * u);
    const int end = flat ? inner - 2 * u : inner - u;
    const int depth = std::max(0, end - start);
    const rtl::TSize size = m_host->clientSize();
    const int length = vertical(position()) ? size.cy : size.cx;
    const int gap = flat ? 2 * u : 1;
    m_forwardArrow = mapFromStrip(length - depth, start, length, end);
    m_backArrow = mapFromStrip(length - 2 * depth - gap, start, length - depth - gap, end);
}

void TdxPageControlButtons::pullBack()
{
    if (multiLine())
        return;
    while (m_offset > 0) {
        const int candidate = m_offset - 1;
        int sum = 0;
        for (int i = candidate; i < tabCount(); ++i)
            sum += m_tabs[size_t(i)]->m_width;
        const int room = candidate == 0 ? availableLength() : availableLength() - arrowRoom();
        if (sum > room)
            break;
        m_offset = candidate;
    }
}

void TdxPageControlButtons::placeTabs()
{
    for (auto &t : m_tabs)
        t->m_rect = TRect{};
    if (m_tabs.empty() || m_host->stripOptions().hideButtons)
        return;
    const int h = tabHeight();
    const int u = spacingUnit();
    const int limit = endMargin() + availableLength();
    if (multiLine()) {
        int along = endMargin();
        int row = 0;
        for (auto &t : m_tabs) {
            if (t->m_row != row) {
                row = t->m_row;
                along = endMargin();
            }
            const int across = (row - 1) * (h + u);
            t->m_rect = mapFromStrip(along, across, along + t->m_width, across + h);
            along += t->m_width;
        }
        return;
    }
    int along = endMargin();
    for (int i = m_offset; i < tabCount(); ++i) {
        auto &t = m_tabs[size_t(i)];
        t->m_rect = mapFromStrip(along, 0, along + t->m_width, h);
        along += t->m_width;
        if (along >= limit)
            break;
    }
}

void TdxPageControlButtons::makeActiveVisible()
{
    if (multiLine())
        return;
    int active = -1;
    for (int i = 0; i < tabCount(); ++i)
        if (m_tabs[size_t(i)]->active())
            active = i;
    if (active < 0)
        return;
    int offset = m_offset;
    if (active < offset) {
        offset = active;
    } else if (active > offset) {
        const int room = availableLength() - (allFit(0) ? 0 : 2 * stripThickness());
        int sum = 0;
        int from = active;
        for (; from >= 0; --from) {
            sum += m_tabs[size_t(from)]->m_width;
            if (sum > room)
                break;
        }
        offset = std::clamp(from + 1, offset, active);
    }
    if (offset != m_offset) {
        m_offset = offset;
        relayout();
        m_host->invalidateStrip(stripRect());
    }
}

void TdxPageControlButtons::scrollTo(int index)
{
    if (m_tabs.empty())
        return;
    index = std::clamp(index, 0, tabCount() - 1);
    if (index == m_offset)
        return;
    if (index > m_offset) {
        const TdxPageControlButton &last = *m_tabs.back();
        const int lastEnd = vertical(position()) ? last.m_rect.Bottom : last.m_rect.Right;
        const int arrowStart = vertical(position()) ? m_backArrow.Top : m_backArrow.Left;
        if (last.visible() && (m_backArrow.IsEmpty() || lastEnd <= arrowStart))
            return;
    }
    m_offset = index;
    relayout();
    m_host->invalidateStrip(stripRect());
}

// --- geometry in control coordinates -----------------------------------------

TRect TdxPageControlButtons::mapFromStrip(int along0, int across0, int along1, int across1) const
{
    const TRect strip = stripRect();
    switch (position()) {
    case TdxTabPosition::dxtpTop: return {along0, strip.Top + across0, along1, strip.Top + across1};
    case TdxTabPosition::dxtpBottom: return {along0, strip.Bottom - across1, along1, strip.Bottom - across0};
    case TdxTabPosition::dxtpLeft: return {strip.Left + across0, along0, strip.Left + across1, along1};
    case TdxTabPosition::dxtpRight: return {strip.Right - across1, along0, strip.Right - across0, along1};
    }
    return {};
}

TRect TdxPageControlButtons::stripRect() const
{
    const rtl::TSize size = m_host->clientSize();
    const TRect m = displayMargins();
    const TRect inner{m.Left, m.Top, size.cx - m.Right, size.cy - m.Bottom};
    const int t = stripThickness();
    switch (position()) {
    case TdxTabPosition::dxtpTop: return {inner.Left, inner.Top, inner.Right, inner.Top + t};
    case TdxTabPosition::dxtpBottom: return {inner.Left, inner.Bottom - t, inner.Right, inner.Bottom};
    case TdxTabPosition::dxtpLeft: return {inner.Left, inner.Top, inner.Left + t, inner.Bottom};
    case TdxTabPosition::dxtpRight: return {inner.Right - t, inner.Top, inner.Right, inner.Bottom};
    }
    return {};
}

TRect TdxPageControlButtons::adjustClientRect(const TRect &client) const
{
    const TRect m = displayMargins();
    TRect r{client.Left + m.Left, client.Top + m.Top, client.Right - m.Right, client.Bottom - m.Bottom};
    const int t = stripThickness();
    switch (position()) {
    case TdxTabPosition::dxtpTop: r.Top += t; break;
    case TdxTabPosition::dxtpBottom: r.Bottom -= t; break;
    case TdxTabPosition::dxtpLeft: r.Left += t; break;
    case TdxTabPosition::dxtpRight: r.Right -= t; break;
    }
    return r;
}

TRect TdxPageControlButtons::displayRect() const
{
    const rtl::TSize size = m_host->clientSize();
    return adjustClientRect(TRect{0, 0, size.cx, size.cy});
}

TRect TdxPageControlButtons::tabDisplayFrame() const
{
    TRect r = displayRect();
    r.Left -= 1;
    r.Top -= 1;
    return r;
}

TdxPageControlButton *TdxPageControlButtons::tabAt(rtl::TPoint point) const
{
    if (m_host->stripOptions().hideButtons)
        return nullptr;
    if (contains(m_backArrow, point) || contains(m_forwardArrow, point))
        return nullptr;
    for (const auto &t : m_tabs)
        if (t->visible() && contains(t->m_rect, point))
            return t.get();
    return nullptr;
}

// --- mouse -------------------------------------------------------------------

void TdxPageControlButtons::setArrowState(int state)
{
    if (state == m_arrowState)
        return;
    m_arrowState = state;
    m_host->invalidateStrip(m_backArrow);
    m_host->invalidateStrip(m_forwardArrow);
}

void TdxPageControlButtons::mouseDown(rtl::TPoint point)
{
    if (m_host->stripOptions().hideButtons)
        return;
    if (contains(m_backArrow, point) || contains(m_forwardArrow, point)) {
        const bool back = contains(m_backArrow, point);
        setArrowState(back ? asBackPressed : asForwardPressed);
        scrollTo(m_offset + (back ? -1 : 1));
        if (!m_timerRunning) {
            m_timerRunning = true;
            m_host->startRepeatTimer(RepeatPeriodMs);
        }
        return;
    }
    TdxPageControlButton *t = tabAt(point);
    if (!t)
        return;
    if (!t->active())
        m_host->activateTabPage(t->page());
    else if (clickOnActiveFocuses() && !m_host->stripFocused())
        m_host->focusControl();
}

void TdxPageControlButtons::mouseUp()
{
    setArrowState(asNone);
    if (m_timerRunning) {
        m_timerRunning = false;
        m_host->stopRepeatTimer();
    }
}

void TdxPageControlButtons::timerTick(rtl::TPoint mouse)
{
    switch (m_arrowState) {
    case asBackPressed:
    case asBackPressedOutside:
        setArrowState(contains(m_backArrow, mouse) ? asBackPressed : asBackPressedOutside);
        break;
    case asForwardPressed:
    case asForwardPressedOutside:
        setArrowState(contains(m_forwardArrow, mouse) ? asForwardPressed : asForwardPressedOutside);
        break;
    default:
        if (m_timerRunning) {
            m_timerRunning = false;
            m_host->stopRepeatTimer();
        }
        return;
    }
    if (m_arrowState == asBackPressed)
        scrollTo(m_offset - 1);
    else if (m_arrowState == asForwardPressed)
        scrollTo(m_offset + 1);
}

void TdxPageControlButtons::invalidateTab(const TdxPageControlButton *tab)
{
    if (!tab)
        return;
    // Tabs style widens the active tab beyond its cell; repaint generously.
    TRect r = tab->m_rect;
    r.Left -= 3;
    r.Top -= 3;
    r.Right += 3;
    r.Bottom += 3;
    m_host->invalidateStrip(r);
}

void TdxPageControlButtons::setHot(TdxPageControlButton *tab)
{
    if (tab == m_hot)
        return;
    invalidateTab(m_hot);
    m_hot = tab;
    invalidateTab(m_hot);
}

void TdxPageControlButtons::mouseMove(rtl::TPoint point)
{
    const bool pressed = m_arrowState >= asBackPressed && m_arrowState <= asForwardPressedOutside;
    if (pressed)
        return;
    if (m_host->stripOptions().hotTrack) {
        TdxPageControlButton *t = tabAt(point);
        setHot(t && !drawnHighlighted(*t) ? t : nullptr);
    }
    if (arrowsShowHot())
        setArrowState(contains(m_backArrow, point)      ? asBackHot
                      : contains(m_forwardArrow, point) ? asForwardHot
                                                        : asNone);
}

void TdxPageControlButtons::mouseLeave()
{
    setHot(nullptr);
    if (m_arrowState == asBackHot || m_arrowState == asForwardHot)
        setArrowState(asNone);
}

std::unique_ptr<TdxPageControlButtons> createTabPainter(TdxTabStyle style, TabStripHost *host)
{
    switch (style) {
    case TdxTabStyle::dxtsTabs: return std::make_unique<TdxPageControlStandardButtons>(host);
    case TdxTabStyle::dxtsButtons: return std::make_unique<TdxPageControlBtnButtons>(host);
    case TdxTabStyle::dxtsFlatButtons: return std::make_unique<TdxPageControlFlatBtnButtons>(host);
    case TdxTabStyle::dxtsFlat: break;
    }
    return std::make_unique<TdxPageControlNetFlatButtons>(host);
}

} // namespace widgets
