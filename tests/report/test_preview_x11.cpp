// The preview window on a real display, driven as a person would with the
// X server's keys and pointer: Ctrl+End goes to the last page, a typed page
// number and Enter to that page, the 100 % button zooms, Next turns the
// page and Escape closes the window. An edit box with the focus moves its
// caret with the arrow keys, while the page scrolls with them.

#include "tests/support/X11Session.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Every wait here is for something the probe is sure to do: on two loaded
// cores (CI runs all tests at once) it may take many seconds, so the bounds
// only keep a broken probe from hanging the run.
constexpr int PreviewProbeWait = 120000;

// The probe's next line that holds aPart (lines before it are passed
// over); empty when none came in time.
QString previewProbeLine(QProcess &aProbe, const QString &aPart)
{
    const QDeadlineTimer deadline(PreviewProbeWait);
    while (!deadline.hasExpired()) {
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

// The probe's next line that matches aPattern; empty when none came in time.
QString previewProbeMatch(QProcess &aProbe, const QString &aPattern)
{
    const QRegularExpression pattern(aPattern);
    const QDeadlineTimer deadline(PreviewProbeWait);
    while (!deadline.hasExpired()) {
        while (aProbe.canReadLine()) {
            const QString line = QString::fromUtf8(aProbe.readLine()).trimmed();
            if (pattern.match(line).hasMatch())
                return line;
        }
        if (!aProbe.waitForReadyRead(100) && aProbe.state() == QProcess::NotRunning)
            break;
    }
    return QString();
}

// The probe on a display, its window active; at: where its controls are.
struct PreviewProbeRun
{
    zvotest::X11Session desktop;
    QProcess probe;
    QStringList at;
    const QString xdotool = QStringLiteral("xdotool");

    bool start()
    {
        if (!desktop.isRunning())
            return false;
        probe.setProcessEnvironment(desktop.environment());
        probe.start(QStringLiteral(ZVO_PREVIEW_PROBE), {});
        if (!probe.waitForStarted(PreviewProbeWait))
            return false;
        at = previewProbeLine(probe, QStringLiteral("at ")).split(QLatin1Char(' '));
        const QString window = desktop.waitForWindow(probe.processId(), std::chrono::seconds(60));
        if (at.size() != 9 || window.isEmpty())
            return false;
        desktop.run(xdotool, {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        return true;
    }
    bool key(const QString &aKey) { return desktop.run(xdotool, {QStringLiteral("key"), aKey}).has_value(); }
    bool type(const QString &aText) { return desktop.run(xdotool, {QStringLiteral("type"), aText}).has_value(); }
    // Clicks the control whose centre is at[aIndex], at[aIndex + 1].
    bool click(int aIndex)
    {
        return desktop
            .run(xdotool, {QStringLiteral("mousemove"), at[aIndex], at[aIndex + 1], QStringLiteral("click"),
                           QStringLiteral("1")})
            .has_value();
    }
    void finish()
    {
        if (!probe.waitForFinished(PreviewProbeWait))
            probe.kill();
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(probe.exitCode(), 0);
    }
};

TEST(PreviewOnX11, APersonPagesThroughTheReportAndClosesIt)
{
    zvotest::X11Session desktop;
    ASSERT_TRUE(desktop.isRunning()) << desktop.error().toStdString();
    QProcess probe;
    probe.setProcessEnvironment(desktop.environment());
    probe.start(QStringLiteral(ZVO_PREVIEW_PROBE), {});
    ASSERT_TRUE(probe.waitForStarted(PreviewProbeWait));
    const QStringList at = previewProbeLine(probe, QStringLiteral("at ")).split(QLatin1Char(' '));
    ASSERT_EQ(at.size(), 9) << probe.readAllStandardError().toStdString();
    const QString xdotool = QStringLiteral("xdotool");
    const QString window = desktop.waitForWindow(probe.processId(), std::chrono::seconds(60));
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
    if (!probe.waitForFinished(PreviewProbeWait))
        probe.kill();
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0);
}

TEST(PreviewOnX11, EditBoxesKeepTheirCaretKeysAndThePageScrollsWithThem)
{
    PreviewProbeRun run;
    ASSERT_TRUE(run.start()) << run.desktop.error().toStdString() << run.at.join(u' ').toStdString();

    // The page has the focus after a toolbar button: the arrows scroll it.
    EXPECT_TRUE(run.click(3));
    EXPECT_FALSE(previewProbeLine(run.probe, QStringLiteral("zoom 100 scroll 0 0")).isEmpty());
    EXPECT_TRUE(run.key(QStringLiteral("Down")));
    EXPECT_TRUE(run.key(QStringLiteral("Right")));
    const QString scrolled = previewProbeMatch(run.probe, QStringLiteral("scroll [1-9][0-9]* [1-9][0-9]* search"));
    ASSERT_FALSE(scrolled.isEmpty());
    const QString position = scrolled.section(QStringLiteral("scroll "), 1).section(QStringLiteral(" search"), 0, 0);

    // In the page-number box Left moves the caret and leaves the page where
    // it was; Page Down still scrolls and Ctrl+Page Down turns the page.
    EXPECT_TRUE(run.click(1));
    EXPECT_TRUE(run.key(QStringLiteral("ctrl+a")));
    EXPECT_TRUE(run.type(QStringLiteral("123")));
    EXPECT_TRUE(run.key(QStringLiteral("Left")));
    EXPECT_TRUE(run.key(QStringLiteral("Left")));
    EXPECT_TRUE(run.type(QStringLiteral("9")));
    EXPECT_FALSE(previewProbeLine(run.probe, QStringLiteral("edit 1923")).isEmpty());
    EXPECT_TRUE(run.key(QStringLiteral("shift+Right")));
    EXPECT_TRUE(run.type(QStringLiteral("4")));
    const QString typed = previewProbeLine(run.probe, QStringLiteral("edit 1943"));
    EXPECT_TRUE(typed.contains(QStringLiteral("scroll ") + position + QStringLiteral(" search")))
        << typed.toStdString();
    EXPECT_TRUE(run.key(QStringLiteral("Page_Down")));
    EXPECT_FALSE(previewProbeLine(run.probe, QStringLiteral("edit 1943")).contains(position));
    EXPECT_TRUE(run.key(QStringLiteral("ctrl+Page_Down")));
    EXPECT_FALSE(previewProbeLine(run.probe, QStringLiteral("page 2 edit 2")).isEmpty());

    // The search box likewise.
    EXPECT_TRUE(run.click(7));
    EXPECT_TRUE(run.type(QStringLiteral("123")));
    EXPECT_TRUE(run.key(QStringLiteral("Left")));
    EXPECT_TRUE(run.key(QStringLiteral("Left")));
    EXPECT_TRUE(run.type(QStringLiteral("x")));
    EXPECT_FALSE(previewProbeLine(run.probe, QStringLiteral("search 1x23")).isEmpty());

    EXPECT_TRUE(run.key(QStringLiteral("Escape")));
    EXPECT_EQ(previewProbeLine(run.probe, QStringLiteral("closed")), QStringLiteral("closed"));
    run.finish();
}

} // namespace
