// The demo grid on a real X display, for the panning test. It prints
// "pan <x> <y> <ox> <oy>": a screen point on the grid's rows where the
// middle button is to pan, and one on a second window to click once the
// pan has ended. Its finding, then it ends: "released" when that click
// reached the second window, "held" when the grid still took it, "nopan"
// when the middle press started no pan. Without a click it ends with 1.

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
            QTimer::singleShot(0, this, [this] {
                if (!m_grid.panning())
                    finish("nopan");
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
        if (!QTest::qWaitForWindowExposed(&widget) || !QTest::qWaitForWindowExposed(&other) ||
            !QTest::qWaitForWindowActive(&widget))
            return 2;
        PanningProbeWatch watch(widget, other);
        widget.viewport()->installEventFilter(&watch);
        other.installEventFilter(&watch);
        const QPoint pan = widget.viewport()->mapToGlobal(QPoint(200, widget.viewport()->height() - 30));
        const QPoint click = other.mapToGlobal(QPoint(150, 75));
        std::printf("pan %d %d %d %d\n", pan.x(), pan.y(), click.x(), click.y());
        std::fflush(stdout);
        QTimer::singleShot(20000, &app, [] { QCoreApplication::exit(1); });
        result = app.exec();
    }
    grid::ReleaseTreeListGrid();
    return result;
}
