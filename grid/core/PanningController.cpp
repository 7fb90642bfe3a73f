#include "grid/core/PanningController.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace grid {

PanningController::PanningController(const Setup &setup, ScrollStep scroll)
    : m_setup(setup)
    , m_scroll(std::move(scroll))
    , m_last(setup.origin)
{}

rtl::TRect PanningController::IndicatorBounds() const
{
    const int w = m_setup.indicatorSize;
    const int left = m_setup.origin.X - w / 2;
    const int top = m_setup.origin.Y - w / 2;
    return {left, top, left + w, top + w};
}

PanIndicator PanningController::Indicator() const
{
    if (m_setup.hasHorzBar && m_setup.hasVertBar)
        return PanIndicator::Full;
    return m_setup.hasHorzBar ? PanIndicator::Horizontal : PanIndicator::Vertical;
}

TCursor PanningController::Cursor() const
{
    switch (m_direction) {
    case pdLeft: return crPanLeft;
    case pdUp: return crPanUp;
    case pdRight: return crPanRight;
    case pdDown: return crPanDown;
    case pdNone: break;
    }
    switch (Indicator()) {
    case PanIndicator::Full: return crPanFull;
    case PanIndicator::Horizontal: return crPanHorz;
    case PanIndicator::Vertical: break;
    }
    return crPanVert;
}

rtl::TRect PanningController::deadZone() const
{
    // Along an axis without a bar the zone spans the whole screen, so that
    // movement there never counts.
    rtl::TRect zone = IndicatorBounds();
    if (!m_setup.hasHorzBar) {
        zone.Left = 0;
        zone.Right = m_setup.screen.cx;
    }
    if (!m_setup.hasVertBar) {
        zone.Top = 0;
        zone.Bottom = m_setup.screen.cy;
    }
    return zone;
}

void PanningController::PointerMoved(rtl::TPoint screen)
{
    if (screen == m_last)
        return;
    m_last = screen;
    const rtl::TRect zone = deadZone();
    if (screen.X >= zone.Left && screen.X < zone.Right && screen.Y >= zone.Top && screen.Y < zone.Bottom) {
        m_direction = pdNone;
        m_speed = 0;
        return;
    }
    m_moved = true;
    const int dx = screen.X - m_setup.origin.X;
    const int dy = screen.Y - m_setup.origin.Y;
    const bool horizontal = m_setup.hasHorzBar && (!m_setup.hasVertBar || std::abs(dx) > std::abs(dy));
    int d = 0;
    if (horizontal) {
        m_direction = dx < 0 ? pdLeft : pdRight;
        d = std::abs(dx);
    } else {
        m_direction = dy < 0 ? pdUp : pdDown;
        d = std::abs(dy);
    }
    m_speed = std::min((d - m_setup.indicatorSize / 2) / 5 + 1, 12);
}

void PanningController::Tick()
{
    ++m_ticks;
    if (m_direction == pdNone || m_speed <= 0 || m_ticks % (13 - m_speed) != 0 || !m_scroll)
        return;
    const bool horizontal = m_direction == pdLeft || m_direction == pdRight;
    m_scroll(horizontal, m_direction == pdLeft || m_direction == pdUp ? SB_LINEUP : SB_LINEDOWN);
}

} // namespace grid
