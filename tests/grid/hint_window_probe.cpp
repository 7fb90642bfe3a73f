// A window under a shown hint, run on a real X display by the hint's window
// test. It prints "hint <x> <y>", the screen point in the middle of the hint,
// then reports "below" when a mouse press reaches the window under the hint,
// or "hint" when the hint took it, and ends. Without a press it ends with 1.

#include "X11ProbeWindow.h"

#include "grid/widgets/ContainerHintWindow.h"

#include "platform/classes/Graphics.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

void report(const char *what)
{
    std::printf("%s\n", what);
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

class PressTarget : public QWidget
{
protected:
    void mousePressEvent(QMouseEvent *) override { report("below"); }
};

class HintPressWatch : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            report("hint");
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    PressTarget below;
    below.setGeometry(100, 100, 400, 300);
    below.show();
    if (!gridtest::waitForProbeWindow(below, "lower", true))
        return 2;

    grid::TdxContainerHintWindow hint;
    HintPressWatch watch;
    hint.installEventFilter(&watch);
    classes::TFont font;
    // Shown elsewhere first: a hint is shown again and again as the pointer
    // moves over the cells.
    hint.ShowCellHintEx(QPoint(600, 500), 0, true, font, QStringLiteral("Elsewhere"));
    hint.hide();
    hint.ShowCellHintEx(below.mapToGlobal(QPoint(150, 130)), 0, true, font, QStringLiteral("A hint over the window"));
    if (!gridtest::waitForProbeWindow(hint, "hint", false))
        return 3;
    const QPoint middle = hint.geometry().center();
    gridtest::tellProbeDriver(QStringLiteral("hint %1 %2").arg(middle.x()).arg(middle.y()).toLatin1().constData());

    QTimer::singleShot(gridtest::ProbeInputWait, &app, [] { QCoreApplication::exit(1); });
    return app.exec();
}
