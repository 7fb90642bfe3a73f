#pragma once

// A running panning mode of a tree list window: the mouse and keyboard
// grabbed by the viewport, a 20-ms timer, an application-wide event filter
// that takes the pointer, the buttons and the keys while it lasts, and the
// round indicator under the point where it began. The decisions are the
// core's PanningController's; no nested event loop runs.

#include "grid/core/PanningController.h"
#include "grid/core/TreeListLife.h"

#include <QBasicTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <memory>

class QWidget;

namespace grid {

class TCustomdxTreeList;
class TreeListWidget;

class PanningSession : public QObject
{
public:
    // origin: the screen point where the mode begins. ended runs once,
    // after everything is released; the session may be deleted from there
    // only with deleteLater.
    PanningSession(TreeListWidget *window, TCustomdxTreeList &tree, QPoint origin, std::function<void()> ended);
    ~PanningSession() override;

    bool isRunning() const { return m_running; }
    const PanningController &controller() const { return *m_controller; }
    QWidget *indicator() const { return m_indicator; }
    // Ends the mode and releases the grabs; nothing when already ended.
    void end();
    // One beat of the 20-ms timer.
    void tick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    bool lostGrab() const;
    void showCursor();

    TreeListWidget *m_window;
    TCustomdxTreeList &m_tree;
    // The grid may be freed while the mode runs (by a handler of its
    // scrolling, or by the program between two beats): the beats read it
    // only while this holds.
    TreeListAlive m_treeAlive;
    std::function<void()> m_ended;
    std::unique_ptr<PanningController> m_controller;
    QPointer<QWidget> m_indicator;
    QBasicTimer m_timer;
    bool m_running = false;
};

} // namespace grid
