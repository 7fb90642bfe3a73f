#pragma once

// The repeat and auto-scroll timer of the custom-painted controls: while it
// runs it calls its handler once every period (a held scroll arrow, a drag
// past the edge of a list). It runs on the program's clock: Qt's timer
// normally, a ManualClock in tests, which fires it as the test moves time on,
// so that a test can hold an arrow for 600 ms without waiting for them.
//
// The handler is a Qt edge and runs under the quiet guard: a tick that fails
// is lost, the next one comes.

#include <QTimer>

#include <functional>

namespace controls {

class Clock;

class RepeatTimer
{
public:
    explicit RepeatTimer(std::function<void()> onTick);
    ~RepeatTimer();
    RepeatTimer(const RepeatTimer &) = delete;
    RepeatTimer &operator=(const RepeatTimer &) = delete;

    // Starts, or restarts, with the first tick one period from now.
    void start(int periodMs);
    void stop();
    bool isActive() const { return m_active; }
    int period() const { return m_period; }

    // One tick, as the timer gives it.
    void tick();

private:
    friend class ManualClock;

    std::function<void()> m_onTick;
    QTimer m_timer;
    // The clock that drives the timer instead of Qt's timer, if any.
    Clock *m_clock = nullptr;
    int m_period = 0;
    bool m_active = false;
};

} // namespace controls
