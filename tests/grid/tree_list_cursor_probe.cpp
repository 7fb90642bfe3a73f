// The demo grid on a real X display, for the cursor test. It prints
// "edge <x> <y>", the screen point on the right edge of column colE1's
// header, then, once the pointer has moved there, the cursor the grid shows:
// "split" for the sizing cursor, else Qt's number of the shape, and ends.
// Without a move it ends with 1.

#include "X11ProbeWindow.h"
#include "griddemo_grid.h"

#include "grid/widgets/TreeListRegistration.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

class EdgeMoveWatch : public QObject
{
public:
    EdgeMoveWatch(QWidget &viewport, QPoint edge)
        : m_viewport(viewport)
        , m_edge(edge)
    {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::MouseMove)
            return false;
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        if ((at - m_edge).manhattanLength() > 1)
            return false;
        // The grid sets its cursor while handling the move; read it after.
        QTimer::singleShot(0, this, [this] {
            const Qt::CursorShape shape = m_viewport.cursor().shape();
            if (shape == Qt::SplitHCursor)
                std::printf("split\n");
            else
                std::printf("%d\n", int(shape));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
        return false;
    }

private:
    QWidget &m_viewport;
    QPoint m_edge;
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
        widget.setGeometry(100, 100, 800, 400);
        widget.show();
        widget.activateWindow();
        if (!gridtest::waitForProbeWindow(widget, "grid", true))
            return 2;
        grid::TdxTreeListLayoutInfo info;
        demo.tree->CalcLayout(info);
        QPoint edge(-1, -1);
        for (const grid::TdxTreeListHeaderCell &cell : info.HeaderCells)
            if (demo.tree->Columns(cell.ColumnIndex)->Name() == QLatin1String("colE1"))
                edge = QPoint(cell.CellRect.Right - 1, (cell.CellRect.Top + cell.CellRect.Bottom) / 2);
        if (edge.x() < 0)
            return 3;
        EdgeMoveWatch watch(*widget.viewport(), edge);
        widget.viewport()->installEventFilter(&watch);
        const QPoint global = widget.viewport()->mapToGlobal(edge);
        gridtest::tellProbeDriver(QStringLiteral("edge %1 %2").arg(global.x()).arg(global.y()).toLatin1().constData());
        QTimer::singleShot(gridtest::ProbeInputWait, &app, [] { QCoreApplication::exit(1); });
        result = app.exec();
    }
    grid::ReleaseTreeListGrid();
    return result;
}
