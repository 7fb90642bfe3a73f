// The preview window on a real display, driven as a person would with the
// X server's keys and pointer: Ctrl+End goes to the last page, a typed page
// number and Enter to that page, the 100 % button zooms, Next turns the
// page and Escape closes the window.

#include "tests/support/X11Session.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// The probe's next line that holds aPart (lines before it are passed
// over); empty after 20 s without one.
QString previewProbeLine(QProcess &aProbe, const QString &aPart)
{
    for (int round = 0; round < 200; ++round) {
        while (aProbe.canReadLine()) {
            const QString line = QString::fromUtf8(aProbe.readLine()).trimmed();
            if (line.contains(aPart))
                return line;
        }
        if (!aProbe.waitForReadyRead(100) && aProbe.state() == QProcess::NotRunning)
            break;
    }
    return QString();
}

TEST(PreviewOnX11, APersonPagesThroughTheReportAndClosesIt)
{
    zvotest::X11Session desktop;
    ASSERT_TRUE(desktop.isRunning()) << desktop.error().toStdString();
    QProcess probe;
    probe.setProcessEnvironment(desktop.environment());
    probe.start(QStringLiteral(ZVO_PREVIEW_PROBE), {});
    ASSERT_TRUE(probe.waitForStarted(10000));
    const QStringList at = previewProbeLine(probe, QStringLiteral("at ")).split(QLatin1Char(' '));
    ASSERT_EQ(at.size(), 7) << probe.readAllStandardError().toStdString();
    const QString xdotool = QStringLiteral("xdotool");
    const QString window = desktop.waitForWindow(probe.processId(), std::chrono::seconds(10));
    ASSERT_FALSE(window.isEmpty());
    desktop.run(xdotool, {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});

    EXPECT_TRUE(desktop.run(xdotool, {QStringLiteral("key"), QStringLiteral("ctrl+End")}));
    EXPECT_FALSE(previewProbeLine(probe, QStringLiteral("page 3 edit 3 status Page 3 of 3 next 0")).isEmpty());

    // The page-number edit: click, select what it holds, type 2 and Enter.
    EXPECT_TRUE(desktop.run(xdotool,
                            {QStringLiteral("mousemove"), at[1], at[2], QStringLiteral("click"), QStringLiteral("1")}));
    EXPECT_TRUE(desktop.run(xdotool, {QStringLiteral("key"), QStringLiteral("ctrl+a")}));
    EXPECT_TRUE(desktop.run(xdotool, {QStringLiteral("type"), QStringLiteral("2")}));
    EXPECT_TRUE(desktop.run(xdotool, {QStringLiteral("key"), QStringLiteral("Return")}));
    EXPECT_FALSE(previewProbeLine(probe, QStringLiteral("page 2 edit 2")).isEmpty());

    EXPECT_TRUE(desktop.run(xdotool,
                            {QStringLiteral("mousemove"), at[3], at[4], QStringLiteral("click"), QStringLiteral("1")}));
    EXPECT_FALSE(previewProbeLine(probe, QStringLiteral("zoom 100")).isEmpty());

    EXPECT_TRUE(desktop.run(xdotool,
                            {QStringLiteral("mousemove"), at[5], at[6], QStringLiteral("click"), QStringLiteral("1")}));
    EXPECT_FALSE(previewProbeLine(probe, QStringLiteral("page 3 edit 3")).isEmpty());

    EXPECT_TRUE(desktop.run(xdotool, {QStringLiteral("key"), QStringLiteral("Escape")}));
    EXPECT_EQ(previewProbeLine(probe, QStringLiteral("closed")), QStringLiteral("closed"));
    if (!probe.waitForFinished(20000))
        probe.kill();
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0);
}

} // namespace
