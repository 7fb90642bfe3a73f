// Two demo grids in windows of their own on a real X display, for the drop
// test, and a plain window over the lower part of the second. It prints
// "drag <ax> <ay> <bx> <by> <cx> <cy>": a screen point on a row of the
// first grid where a node drag is to start, one on a row of the second grid
// that nothing covers and one on a row of it that the plain window covers.
// Its finding, then it ends: "dropped <row>" when the second grid took the
// drop on that row, "nowhere" when the drag ended without a grid taking it.

#include "X11ProbeWindow.h"
#include "griddemo_grid.h"

#include "grid/core/TreeListNodeDrag.h"
#include "grid/widgets/TreeListRegistration.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

void dragProbeFinish(const QString &finding)
{
    std::printf("%s\n", qPrintable(finding));
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

QPoint dragProbeRow(grid::TreeListWidget &widget, int row)
{
    grid::TCustomdxTreeList &tree = *widget.treeList();
    const rtl::TRect r = tree.CellRect(tree.NodeAtAbsoluteIndex(row), 0);
    return widget.viewport()->mapToGlobal(QPoint(r.Left + 60, (r.Top + r.Bottom) / 2));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    grid::RegisterTreeListGrid();
    int result = 1;
    {
        griddemo::GridDemo first;
        griddemo::GridDemo second;
        griddemo::BuildGridDemo(first);
        griddemo::BuildGridDemo(second);
        first.tree->NodeDrag().DragMode = grid::dmAutomatic;
        grid::TCustomdxTreeListControl *target = second.tree;
        target->NodeDrag().OnDragOver = [](grid::TCustomdxTreeList *, int, int, bool &) {};
        target->NodeDrag().OnDragDrop = [target](grid::TCustomdxTreeList *, int x, int y) {
            grid::TdxTreeListNode *node = target->GetNodeAt(x, y);
            dragProbeFinish("dropped " + (node ? target->GetNodeString(node, 0).replace(' ', '_') : "none"));
        };
        first.tree->NodeDrag().OnEndDrag = [](grid::TCustomdxTreeList *to, int, int) {
            if (!to)
                dragProbeFinish("nowhere");
        };
        grid::TreeListWidget a(first.tree);
        a.setGeometry(40, 60, 420, 300);
        grid::TreeListWidget b(second.tree);
        b.setGeometry(520, 60, 420, 300);
        QWidget cover;
        cover.setGeometry(520, 260, 420, 120);
        a.show();
        b.show();
        if (!gridtest::waitForProbeWindow(a, "first grid", false) ||
            !gridtest::waitForProbeWindow(b, "second grid", false))
            return 2;
        cover.show();
        cover.raise();
        a.activateWindow();
        if (!gridtest::waitForProbeWindow(cover, "covering", false) ||
            !gridtest::waitForProbeWindow(a, "first grid", true))
            return 2;
        const QPoint from = dragProbeRow(a, 2);
        const QPoint open = dragProbeRow(b, 1);
        const QPoint covered = dragProbeRow(b, 9);
        if (!cover.geometry().contains(covered) || cover.geometry().contains(open))
            return 3;
        gridtest::tellProbeDriver(QStringLiteral("drag %1 %2 %3 %4 %5 %6")
                                      .arg(from.x())
                                      .arg(from.y())
                                      .arg(open.x())
                                      .arg(open.y())
                                      .arg(covered.x())
                                      .arg(covered.y())
                                      .toLatin1()
                                      .constData());
        QTimer::singleShot(gridtest::ProbeInputWait, &app, [] { QCoreApplication::exit(1); });
        result = app.exec();
    }
    grid::ReleaseTreeListGrid();
    return result;
}
