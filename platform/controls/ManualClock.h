#pragma once

// A clock of the test's own, installed as the program's clock while it lives.
// Time moves only when the program waits (the pending events are served once,
// then time jumps to the deadline) or when the test moves it with advance();
// repeat timers on it fire as time passes over their ticks. Nothing sleeps.

#include "platform/controls/EventPump.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace controls {

class ManualClock : public Clock
{
public:
    explicit ManualClock(int64_t start = 0);
    ~ManualClock() override;
    ManualClock(const ManualClock &) = delete;
    ManualClock &operator=(const ManualClock &) = delete;

    int64_t now() const override { return m_now; }
    void serveUntil(int64_t deadline, const std::function<bool()> &done) override;
    bool startTimer(RepeatTimer &timer) override;
    void stopTimer(RepeatTimer &timer) override;

    // Moves time on, firing the timers that fall due on the way in order.
    void advance(int64_t milliseconds);
    // How long each wait of the program was, in order.
    const std::vector<int64_t> &waits() const { return m_waits; }
    // Runs at each wait of the program, after the pending events and before
    // time moves on.
    std::function<void(int64_t milliseconds)> onWait;

private:
    struct Due
    {
        RepeatTimer *timer;
        int64_t at;
    };

    int64_t m_now;
    std::vector<Due> m_timers;
    std::vector<int64_t> m_waits;
    ScopedClock m_installed;
};

} // namespace controls
