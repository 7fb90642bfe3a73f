// Tab in a window of several controls on a real display, typed through the
// X server: it leaves the grid unless the grid's options keep it, and Ctrl
// takes it back to the focus chain.

#include "X11Probe.h"

#include <gtest/gtest.h>

namespace {

TEST(TreeListTabOnX11, TabLeavesTheGridUnlessItsOptionsKeepIt)
{
    zvotest::X11Session desktop;
    ASSERT_TRUE(desktop.isRunning()) << desktop.error().toStdString();
    QProcess probe;
    probe.setProcessEnvironment(desktop.environment());
    probe.start(QStringLiteral(ZVO_TREE_LIST_TAB_PROBE), {});
    ASSERT_TRUE(probe.waitForStarted(gridtest::ProbeLineWait));
    const QString xdotool = QStringLiteral("xdotool"), key = QStringLiteral("key");
    const struct
    {
        const char *keys;
        const char *finding;
    } rounds[] = {
        {"Tab", "edit 0"},      // default options: the next control
        {"Tab", "grid 1"},      // kept: the next column
        {"ctrl+Tab", "edit 1"}, // kept, but Ctrl is down
    };
    for (const auto &round : rounds) {
        ASSERT_EQ(gridtest::nextProbeLine(probe).toStdString(), "ready") << probe.readAllStandardError().toStdString();
        EXPECT_TRUE(desktop.run(xdotool, {key, QString::fromLatin1(round.keys)}));
        EXPECT_EQ(gridtest::nextProbeLine(probe).toStdString(), round.finding) << round.keys;
    }
    ASSERT_TRUE(gridtest::finishX11Probe(probe));
    EXPECT_EQ(probe.exitCode(), 0);
}

} // namespace
