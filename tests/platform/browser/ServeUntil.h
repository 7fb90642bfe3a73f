#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <functional>

namespace zvotest {

// Runs the GUI thread's events until the condition holds or the bound passes.
inline bool serveUntil(const std::function<bool()> &done, std::chrono::milliseconds bound)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < bound.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace zvotest
