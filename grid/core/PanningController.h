#pragma once

// One run of the middle-button panning mode, without a window: the widget
// grabs the mouse, shows the round indicator and runs the 20-ms timer, and
// feeds this object the pointer positions (screen coordinates), the ticks
// and the buttons and keys; this object says when the mode ends, which cursor
// shows and asks for the line scrolls. It never changes the grid's state.

#include "grid/core/ControlTypes.h"

#include "platform/rtl/Types.h"

#include <functional>

namespace grid {

class TCustomdxTreeList;

// Implemented by a window that can run the panning mode for its grid; the
// grid asks its host for it on a middle press at rest.
class PanningHost
{
public:
    virtual ~PanningHost() = default;
    virtual void startPanning(TCustomdxTreeList &tree) = 0;
};

constexpr TCursor crPanFull = -1131;
constexpr TCursor crPanHorz = -1132;
constexpr TCursor crPanVert = -1133;
constexpr TCursor crPanUp = -1134;
constexpr TCursor crPanRight = -1135;
constexpr TCursor crPanDown = -1136;
constexpr TCursor crPanLeft = -1137;

enum TPanDirection : uint8_t { pdNone = 0, pdLeft = 1, pdUp = 2, pdRight = 3, pdDown = 4 };

// Which of the three indicator pictures the run shows.
enum class PanIndicator : uint8_t { Full, Horizontal, Vertical };

class PanningController
{
public:
    static constexpr int TickMs = 20;
    static constexpr int DefaultIndicatorSize = 29;

    struct Setup
    {
        rtl::TPoint origin;
        bool hasHorzBar = false;
        bool hasVertBar = false;
        int indicatorSize = DefaultIndicatorSize;
        rtl::TSize screen;
    };
    // A line scroll: horizontal or vertical, SB_LINEUP or SB_LINEDOWN.
    using ScrollStep = std::function<void(bool horizontal, int code)>;

    PanningController(const Setup &setup, ScrollStep scroll);

    // The indicator's bounds on the screen, centred on the origin.
    rtl::TRect IndicatorBounds() const;
    PanIndicator Indicator() const;
    TCursor Cursor() const;

    void PointerMoved(rtl::TPoint screen);
    void Tick();
    // The mode ends on a middle release only once the pointer has left the
    // dead zone; a click without movement keeps it on.
    bool EndsOnMiddleRelease() const { return m_moved; }
    static bool EndsOnKey(TKey key) { return key == VK_ESCAPE; }

    TPanDirection Direction() const { return m_direction; }
    int Speed() const { return m_speed; }
    bool Moved() const { return m_moved; }
    int Ticks() const { return m_ticks; }

private:
    rtl::TRect deadZone() const;

    Setup m_setup;
    ScrollStep m_scroll;
    rtl::TPoint m_last;
    TPanDirection m_direction = pdNone;
    int m_speed = 1;
    bool m_moved = false;
    int m_ticks = 0;
};

} // namespace grid
