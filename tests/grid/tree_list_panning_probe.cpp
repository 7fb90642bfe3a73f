// The demo grid on a real X display, for the panning test. It prints
// "pan <x> <y> <ox> <oy>": a screen point on the grid's rows where the
// middle button is to pan, and one on a second window to click once the
// pan has ended; then "ended" once the pan has ended and the X server has
// the grab back. Its finding, then it ends: "released" when that click
// reached the second window, "held" when the grid still took it, "nopan"
// when the middle press started no pan. Without a click it ends with 1.

#include "X11ProbeWindow.h"
#include "griddemo_grid.h"

#include "grid/widgets/PanningSession.h"
#include "grid/widgets/TreeListRegistration.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

class PanningProbeWatch : public QObject
{
public:
    PanningProbeWatch(grid::TreeListWidget &grid, QWidget &other)
        : m_grid(grid)
        , m_other(other)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress)
            return false;
        const auto button = static_cast<QMouseEvent *>(event)->button();
        if (watched == m_grid.viewport() && button == Qt::MiddleButton) {
            // The grid starts the pan while handling the press; look after.
            // Not at panning(): under load the X server's press, moves and
            // release wait in the queue together and are handled in one go,
            // so the pan may be over by now. Its session is deleted later.
            QTimer::singleShot(0, this, [this] {
                grid::PanningSession *session = nullptr;
                for (QObject *child : m_grid.children())
                    if (auto *found = dynamic_cast<grid::PanningSession *>(child))
                        session = found;
                if (!session) {
                    finish("nopan");
                    return;
                }
                // A click sent before the X server has the grab back would
                // still go to the grid: the driver waits for this line.
                connect(session, &QObject::destroyed, this,
                        [] { QTimer::singleShot(0, [] { gridtest::tellProbeDriver("ended"); }); });
            });
            return false;
        }
        if (button != Qt::LeftButton)
            return false;
        if (watched == &m_other)
            finish("released");
        else if (watched == m_grid.viewport())
            finish("held");
        return false;
    }

private:
    void finish(const char *finding)
    {
        std::printf("%s\n", finding);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    grid::TreeListWidget &m_grid;
    QWidget &m_other;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    grid::RegisterTreeListGrid();
    int result = 1;
    {
        griddemo::GridDemo demo;
        griddemo::BuildGridDemo(demo);
        grid::TreeListWidget widget(demo.tree);
        widget.setGeometry(100, 100, 500, 200);
        widget.show();
        QWidget other;
        other.setGeometry(100, 400, 300, 150);
        other.show();
        widget.activateWindow();
        if (!gridtest::waitForProbeWindow(widget, "grid", false) ||
            !gridtest::waitForProbeWindow(other, "other", false) || !gridtest::waitForProbeWindow(widget, "grid", true))
            return 2;
        PanningProbeWatch watch(widget, other);
        widget.viewport()->installEventFilter(&watch);
        other.installEventFilter(&watch);
        const QPoint pan = widget.viewport()->mapToGlobal(QPoint(200, widget.viewport()->height() - 30));
        const QPoint click = other.mapToGlobal(QPoint(150, 75));
        gridtest::tellProbeDriver(QStringLiteral("pan %1 %2 %3 %4")
                                      .arg(pan.x())
                                      .arg(pan.y())
                                      .arg(click.x())
                                      .arg(click.y())
                                      .toLatin1()
                                      .constData());
        QTimer::singleShot(gridtest::ProbeInputWait, &app, [] { QCoreApplication::exit(1); });
        result = app.exec();
    }
    grid::ReleaseTreeListGrid();
    return result;
}
