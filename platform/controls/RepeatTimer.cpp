#include "platform/controls/RepeatTimer.h"

#include "platform/controls/EventPump.h"
#include "platform/controls/Guard.h"

#include <algorithm>

namespace controls {

RepeatTimer::RepeatTimer(std::function<void()> onTick)
    : m_onTick(std::move(onTick))
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
}

RepeatTimer::~RepeatTimer()
{
    stop();
}

void RepeatTimer::start(int periodMs)
{
    stop();
    m_period = std::max(1, periodMs);
    m_active = true;
    Clock &clock = currentClock();
    if (clock.startTimer(*this))
        m_clock = &clock;
    else
        m_timer.start(m_period);
}

void RepeatTimer::stop()
{
    if (m_clock)
        m_clock->stopTimer(*this);
    m_clock = nullptr;
    m_timer.stop();
    m_active = false;
}

void RepeatTimer::tick()
{
    if (m_onTick)
        guarded(Report::none(), m_onTick);
}

} // namespace controls
