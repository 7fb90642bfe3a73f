// The event pump on the real clock, and the repeat timer on a test's clock.

#include "platform/controls/EventPump.h"
#include "platform/controls/ManualClock.h"
#include "platform/controls/RepeatTimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <utility>

namespace {

TEST(EventPump, ServesEventsUntilTheDeadlineOrUntilDone)
{
    // Events that arrive during the wait are served in it.
    int served = 0;
    QTimer::singleShot(10, [&] { ++served; });
    // Measured on the pump's own clock: another clock of whole milliseconds
    // may start a fraction later and see 59.
    const auto start = controls::tickCount();
    controls::processEventsFor(60);
    EXPECT_GE(controls::tickCount() - start, 60);
    EXPECT_EQ(served, 1);

    // The wait ends once the condition holds, long before its deadline.
    bool finished = false;
    QTimer::singleShot(20, [&] { finished = true; });
    QElapsedTimer elapsed;
    elapsed.start();
    controls::processEventsFor(20000, [&] { return finished; });
    EXPECT_TRUE(finished);
    EXPECT_LT(elapsed.elapsed(), 10000);

    // Already done: the pending events stay where they are.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ++served; }, Qt::QueuedConnection);
    controls::processEventsFor(20000, [] { return true; });
    EXPECT_EQ(served, 1);
    // A wait whose deadline has passed still serves what is pending.
    controls::processEventsUntil(controls::tickCount() - 1);
    EXPECT_EQ(served, 2);
}

TEST(RepeatTimer, TicksAsTheTestClockMovesAndSurvivesAFailingTick)
{
    controls::ManualClock clock(1000);
    int ticks = 0;
    bool failNext = false;
    controls::RepeatTimer timer([&] {
        ++ticks;
        if (std::exchange(failNext, false))
            throw std::runtime_error("tick");
    });
    timer.start(200);
    clock.advance(199);
    EXPECT_EQ(ticks, 0);
    failNext = true;
    clock.advance(450);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(timer.isActive());

    // A wait of the program lets the timer run as well.
    controls::processEventsFor(400);
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(clock.waits(), std::vector<int64_t>{400});

    timer.stop();
    clock.advance(1000);
    EXPECT_EQ(ticks, 5);
    EXPECT_FALSE(timer.isActive());
}

TEST(RepeatTimer, ATickMayStopOrRestartItsOwnTimer)
{
    controls::ManualClock clock;
    std::vector<int64_t> at;
    controls::RepeatTimer *self = nullptr;
    controls::RepeatTimer timer([&] {
        at.push_back(clock.now());
        if (at.size() == 2)
            self->start(50);
        if (at.size() == 4)
            self->stop();
    });
    self = &timer;
    timer.start(100);
    clock.advance(1000);
    EXPECT_EQ(at, (std::vector<int64_t>{100, 200, 250, 300}));

    // A timer outliving its clock stops with the clock.
    std::optional<controls::ManualClock> shortLived(std::in_place);
    timer.start(10);
    shortLived.reset();
    EXPECT_FALSE(timer.isActive());
}

} // namespace
