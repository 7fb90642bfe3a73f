#pragma once

// The program's clock and its one event pump. Where the program waits on the
// GUI thread (a check run between its passes, the splash for its minimum
// time, a page requested from the hidden browser), it does not sleep: it
// serves the events until a deadline, so that its windows repaint, Cancel
// gets through and the browser, which lives on this thread too, keeps loading.
//
// Deadlines are on the program's clock, monotonic milliseconds. A test
// installs a clock of its own (ScopedClock, or a ManualClock, which installs
// itself) so that waits and repeat timers run without real time passing.

#include "platform/rtl/ScopedOverride.h"

#include <cstdint>
#include <functional>

namespace controls {

class RepeatTimer;

class Clock
{
public:
    virtual ~Clock() = default;

    // Monotonic milliseconds.
    virtual int64_t now() const = 0;
    // Processes the pending events, then serves events until now() reaches
    // the deadline or `done` answers true; `done` (which may be empty) is
    // asked before the first round and after every round of events.
    virtual void serveUntil(int64_t deadline, const std::function<bool()> &done) = 0;

    // A repeat timer starts or stops. A clock that drives timers itself
    // answers true; the steady clock leaves them to Qt's timers.
    virtual bool startTimer(RepeatTimer &) { return false; }
    virtual void stopTimer(RepeatTimer &) {}
};

// The real clock: std::chrono::steady_clock, and real waits in a nested
// event loop.
class SteadyClock : public Clock
{
public:
    int64_t now() const override;
    void serveUntil(int64_t deadline, const std::function<bool()> &done) override;
};

// Puts a clock in place of the steady one; the clock must outlive it.
using ScopedClock = rtl::ScopedOverride<struct ClockTag, Clock *>;
Clock &currentClock();

// The program's monotonic milliseconds.
int64_t tickCount();

// The event pump: processes the pending events, then serves events until
// tickCount() reaches the deadline or `done` answers true. Returns at once,
// without touching the events, when `done` is true already.
void processEventsUntil(int64_t deadline, const std::function<bool()> &done = {});
void processEventsFor(int64_t milliseconds, const std::function<bool()> &done = {});

} // namespace controls
