#pragma once

// The delayed hint of the bottom panel's button: it shows once the pointer
// has rested a second over the button and goes after five seconds, or as
// soon as the pointer leaves, a mode is cancelled or the window goes. One
// hint at a time per grid; its window lives only while it shows.

#include "platform/rtl/Types.h"

namespace grid {

class TCustomdxTreeList;

class TreeListBottomHint
{
public:
    // Per-grid timers: the delay before the hint shows and how long it stays.
    static constexpr int DelayTimer = 110;
    static constexpr int DelayMs = 1000;
    static constexpr int ShowTimer = 111;
    static constexpr int ShowMs = 5000;

    explicit TreeListBottomHint(TCustomdxTreeList &tree)
        : m_tree(tree)
    {}

    // The button within the bottom panel: 12 x 11 pixels, 3 from its left,
    // centred vertically.
    static rtl::TRect ButtonRect(const rtl::TRect &panel);

    bool OverButton() const { return m_overButton; }
    bool Shown() const { return m_shown; }

    // Follows the pointer while the grid is at rest or its button is down.
    void MouseMoved(int x, int y);
    // False for a timer that is not the hint's.
    bool TimerFired(int id);
    // Stops both timers and frees the window of a hint that shows.
    void Stop();
    // The pointer left the window: the hint ends and the button is no
    // longer under it.
    void PointerLeft();

private:
    rtl::TRect buttonRect();
    void show();

    TCustomdxTreeList &m_tree;
    bool m_overButton = false;
    bool m_shown = false;
    int m_running = 0; // the one of the two timers that runs, 0 for none
};

} // namespace grid
