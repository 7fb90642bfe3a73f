// Node drags between grid windows on a real display: the window system's
// stacking decides which grid is under the pointer, so a drop lands on the
// grid in view and not on one that another window covers.

#include "X11Probe.h"

#include <gtest/gtest.h>

namespace {

QString dragOnX11(bool toCovered)
{
    zvotest::X11Session desktop;
    if (!desktop.isRunning())
        return "no desktop: " + desktop.error();
    QProcess probe;
    QString failure;
    const QStringList at = gridtest::startX11Probe(probe, desktop, QStringLiteral(ZVO_TREE_LIST_DRAG_PROBE), failure);
    if (at.size() != 7 || at[0] != QStringLiteral("drag"))
        return "no probe: " + failure;
    const QString xdotool = QStringLiteral("xdotool"), move = QStringLiteral("mousemove");
    const QString x = toCovered ? at[5] : at[3];
    const QString y = toCovered ? at[6] : at[4];
    desktop.run(xdotool, {move, at[1], at[2]});
    desktop.run(xdotool, {QStringLiteral("mousedown"), QStringLiteral("1")});
    desktop.run(xdotool, {move, at[1], QString::number(at[2].toInt() + 10)});
    desktop.run(xdotool, {move, QString::number((at[1].toInt() + x.toInt()) / 2), y});
    desktop.run(xdotool, {move, x, y});
    desktop.run(xdotool, {QStringLiteral("mouseup"), QStringLiteral("1")});
    if (!gridtest::finishX11Probe(probe))
        return "the probe hung";
    return QString::fromLatin1(probe.readAllStandardOutput()).trimmed();
}

TEST(TreeListDragOnX11, ANodeDropsOnTheGridInViewAndNotOnACoveredOne)
{
    EXPECT_EQ(dragOnX11(false).toStdString(), "dropped Page_01-1");
    EXPECT_EQ(dragOnX11(true).toStdString(), "nowhere");
}

} // namespace
