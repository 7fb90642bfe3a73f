#include "platform/controls/ManualClock.h"

#include "platform/controls/RepeatTimer.h"

#include <QCoreApplication>

#include <algorithm>

namespace controls {

ManualClock::ManualClock(int64_t start)
    : m_now(start)
    , m_installed(this)
{}

ManualClock::~ManualClock()
{
    // The timers it drove stop with it rather than point at a dead clock.
    for (const Due &due : m_timers) {
        due.timer->m_clock = nullptr;
        due.timer->m_active = false;
    }
}

void ManualClock::serveUntil(int64_t deadline, const std::function<bool()> &done)
{
    if (done && done())
        return;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    if (done && done())
        return;
    const int64_t wait = std::max<int64_t>(0, deadline - m_now);
    m_waits.push_back(wait);
    if (onWait)
        onWait(wait);
    advance(wait);
}

bool ManualClock::startTimer(RepeatTimer &timer)
{
    stopTimer(timer);
    m_timers.push_back({&timer, m_now + timer.period()});
    return true;
}

void ManualClock::stopTimer(RepeatTimer &timer)
{
    std::erase_if(m_timers, [&](const Due &due) { return due.timer == &timer; });
}

void ManualClock::advance(int64_t milliseconds)
{
    const int64_t target = m_now + std::max<int64_t>(0, milliseconds);
    for (;;) {
        // A tick may start or stop timers, so the next one is looked up anew.
        const auto next =
            std::min_element(m_timers.begin(), m_timers.end(), [](const Due &a, const Due &b) { return a.at < b.at; });
        if (next == m_timers.end() || next->at > target)
            break;
        m_now = next->at;
        next->at += next->timer->period();
        next->timer->tick();
    }
    m_now = target;
}

} // namespace controls
