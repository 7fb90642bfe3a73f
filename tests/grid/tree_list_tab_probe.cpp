// A grid and a line edit in one window on a real X display, for the Tab
// test. It prints "ready" whenever the grid has the focus and waits for a
// key; after each Tab released it prints where the focus is ("grid" or
// "edit") and the grid's focused column. The first round runs with the
// default options, the second with the option that keeps Tab in the grid,
// the third as the second, for Ctrl+Tab. Then it ends with 0; on a hang
// with 1.

#include "X11ProbeWindow.h"

#include "grid/core/TreeListControl.h"
#include "grid/widgets/TreeListRegistration.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

class TabProbeWatch : public QObject
{
public:
    TabProbeWatch(grid::TreeListWidget &grid, QLineEdit &edit)
        : m_grid(grid)
        , m_edit(edit)
    {}

    void ready()
    {
        m_grid.setFocus(Qt::OtherFocusReason);
        gridtest::tellProbeDriver("ready");
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A release nobody takes travels on to the parents: count it once.
        if (watched != QApplication::focusWidget() || event->type() != QEvent::KeyRelease ||
            static_cast<QKeyEvent *>(event)->key() != Qt::Key_Tab || static_cast<QKeyEvent *>(event)->isAutoRepeat())
            return false;
        QTimer::singleShot(0, this, [this] { report(); });
        return false;
    }

private:
    void report()
    {
        const QWidget *focus = QApplication::focusWidget();
        std::printf("%s %d\n",
                    focus == &m_edit   ? "edit"
                    : focus == &m_grid ? "grid"
                                       : "other",
                    m_grid.treeList()->FocusedColumn());
        std::fflush(stdout);
        if (++m_round == 3) {
            QCoreApplication::exit(0);
            return;
        }
        if (m_round == 1) {
            grid::TCustomdxTreeList *tree = m_grid.treeList();
            tree->SetOptionsA(tree->OptionsA() | (1u << grid::aoEditorTabs));
        }
        ready();
    }

    grid::TreeListWidget &m_grid;
    QLineEdit &m_edit;
    int m_round = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    grid::RegisterTreeListGrid();
    int result = 1;
    {
        auto tree = std::make_unique<grid::TCustomdxTreeListControl>(nullptr);
        for (const char *caption : {"A", "B", "C"})
            tree->CreateColumn(grid::TdxTreeListColumn::StaticClass())->SetCaption(caption);
        for (const char *text : {"one", "two", "three"})
            tree->SetNodeString(tree->Add(), 0, text);
        tree->SetOptionsA(tree->OptionsA() & ~((1u << grid::aoRowFocus) | (1u << grid::aoEditorTabs)));
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        auto *widget = new grid::TreeListWidget(tree.get());
        auto *edit = new QLineEdit;
        layout->addWidget(widget);
        layout->addWidget(edit);
        window.setGeometry(100, 100, 600, 200);
        window.show();
        window.activateWindow();
        if (!gridtest::waitForProbeWindow(window, "grid's", true))
            return 2;
        TabProbeWatch watch(*widget, *edit);
        app.installEventFilter(&watch);
        watch.ready();
        QTimer::singleShot(gridtest::ProbeInputWait, &app, [] { QCoreApplication::exit(1); });
        result = app.exec();
        app.removeEventFilter(&watch);
        delete widget;
    }
    grid::ReleaseTreeListGrid();
    return result;
}
