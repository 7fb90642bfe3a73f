#include "platform/controls/EventPump.h"

#include "platform/controls/Guard.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

namespace controls {

namespace {

bool isDone(const std::function<bool()> &done)
{
    return done && done();
}

} // namespace

int64_t SteadyClock::now() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::serveUntil(int64_t deadline, const std::function<bool()> &done)
{
    if (isDone(done))
        return;
    if (!QCoreApplication::instance()) {
        // Nothing to serve: the wait is a plain one.
        if (const int64_t left = deadline - now(); left > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(left));
        return;
    }
    QCoreApplication::processEvents();
    // A nested loop rather than repeated processEvents(): it sleeps between
    // events, and objects deleted later inside the wait go when they should.
    for (int64_t left = deadline - now(); left > 0 && !isDone(done); left = deadline - now()) {
        QEventLoop loop;
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
        wake.start(int(std::min<int64_t>(left, INT_MAX)));
        // The condition is asked each time the loop has run out of events.
        QMetaObject::Connection asking;
        if (done) {
            asking = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                                      &loop, [&loop, &done] {
                                          bool finished = true;
                                          guarded(Report::none(), [&] { finished = done(); });
                                          if (finished)
                                              loop.quit();
                                      });
        }
        loop.exec();
        QObject::disconnect(asking);
    }
}

Clock &currentClock()
{
    static SteadyClock steady;
    Clock *installed = ScopedClock::valueOr(nullptr);
    return installed ? *installed : steady;
}

int64_t tickCount()
{
    return currentClock().now();
}

void processEventsUntil(int64_t deadline, const std::function<bool()> &done)
{
    currentClock().serveUntil(deadline, done);
}

void processEventsFor(int64_t milliseconds, const std::function<bool()> &done)
{
    Clock &clock = currentClock();
    clock.serveUntil(clock.now() + milliseconds, done);
}

} // namespace controls
