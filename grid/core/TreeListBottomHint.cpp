#include "grid/core/TreeListBottomHint.h"

#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListLayout.h"

namespace grid {

namespace {

bool bottomHintContains(const rtl::TRect &r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

} // namespace

rtl::TRect TreeListBottomHint::ButtonRect(const rtl::TRect &panel)
{
    if (panel.IsEmpty())
        return {};
    const int left = panel.Left + 3;
    const int top = panel.Top + (panel.Height() - 11) / 2;
    return rtl::TRect{left, top, left + 12, top + 11};
}

rtl::TRect TreeListBottomHint::buttonRect()
{
    if (!m_tree.IsBottomPanelShown())
        return {};
    TdxTreeListLayoutInfo info;
    m_tree.CalcLayout(info);
    return ButtonRect(info.BottomPanelRect);
}

void TreeListBottomHint::MouseMoved(int x, int y)
{
    const uint8_t state = m_tree.State();
    if (state != tsNone && state != tsBottomButtonDown)
        return;
    const rtl::TRect button = buttonRect();
    const bool over = bottomHintContains(button, x, y);
    if (over == m_overButton)
        return;
    m_overButton = over;
    if (TreeListHost *host = m_tree.Host())
        host->invalidate(button);
    Stop();
    if (over && state == tsNone) {
        if (TreeListHost *host = m_tree.Host()) {
            host->startTimer(DelayTimer, DelayMs);
            m_running = DelayTimer;
        }
    }
}

bool TreeListBottomHint::TimerFired(int id)
{
    if (id == DelayTimer) {
        // A tick that was already on its way when the delay stopped shows
        // nothing.
        const bool due = m_running == DelayTimer;
        Stop();
        if (due)
            show();
        else if (TreeListHost *host = m_tree.Host())
            host->stopTimer(DelayTimer);
        return true;
    }
    if (id == ShowTimer) {
        Stop();
        return true;
    }
    return false;
}

void TreeListBottomHint::show()
{
    TreeListHost *host = m_tree.Host();
    const rtl::TRect button = buttonRect();
    if (!host || !m_overButton || button.IsEmpty())
        return;
    const rtl::TPoint at{button.Right + 4, button.Top - m_tree.Metrics().TextHeight};
    host->showHint(at, m_tree.BottomButtonHint(), m_tree.Font());
    m_shown = true;
    host->startTimer(ShowTimer, ShowMs);
    m_running = ShowTimer;
}

void TreeListBottomHint::Stop()
{
    // Only a running hint reaches the host: a mode cancelled or a grid going
    // away without one asks nothing of the window.
    TreeListHost *host = m_tree.Host();
    if (host && m_running != 0) {
        host->stopTimer(DelayTimer);
        host->stopTimer(ShowTimer);
    }
    m_running = 0;
    if (host && m_shown)
        host->hideHint();
    m_shown = false;
}

void TreeListBottomHint::PointerLeft()
{
    Stop();
    if (!m_overButton)
        return;
    m_overButton = false;
    if (TreeListHost *host = m_tree.Host())
        host->invalidate(buttonRect());
}

} // namespace grid
