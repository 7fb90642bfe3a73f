#pragma once

// Answers a window that the code under test shows and then waits for (the
// first-start wizard, a modal options window): as soon as a visible top-level
// window of the class appears, the script runs on it once. The check runs on
// a short timer, so it works inside the waiting code's own event loop.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace zvotest {

template <class Window>
class WindowScript
{
public:
    explicit WindowScript(std::function<void(Window &)> script)
        : m_script(std::move(script))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *window = qobject_cast<Window *>(w);
                if (window && window->isVisible() && !window->property("zvotestScripted").toBool()) {
                    window->setProperty("zvotestScripted", true);
                    ++m_runs;
                    return m_script(*window);
                }
            }
        });
        m_timer.start(5);
    }

    int runs() const { return m_runs; }

private:
    std::function<void(Window &)> m_script;
    QTimer m_timer;
    int m_runs = 0;
};

} // namespace zvotest
