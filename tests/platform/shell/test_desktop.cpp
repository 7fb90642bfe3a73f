#include "platform/shell/Desktop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <vector>

using namespace shell;

TEST(Desktop, PinnedAnswersWinAndUnpinningReturnsToTheSystem)
{
    setProgramFolder("/opt/zarvello///");
    EXPECT_EQ(programFolder(), "/opt/zarvello");
    setProgramFolder(QString());
    EXPECT_EQ(programFolder(), QCoreApplication::applicationDirPath());

    setWorkArea(rtl::Rect(0, 24, 1024, 768));
    setScreenSize(rtl::TSize{1024, 768});
    EXPECT_EQ(workArea(), rtl::Rect(0, 24, 1024, 768));
    EXPECT_EQ(screenSize(), (rtl::TSize{1024, 768}));
    setWorkArea(std::nullopt);
    setScreenSize(std::nullopt);
    // The offscreen platform has a screen; its work area lies within it.
    const rtl::TRect area = workArea();
    const rtl::TSize screen = screenSize();
    EXPECT_GT(screen.cx, 0);
    EXPECT_LE(area.Width(), screen.cx);
    EXPECT_LE(area.Height(), screen.cy);
}

TEST(Desktop, VersionCanBePinnedRemovedAndReset)
{
    const auto compiled = programVersion();
    ASSERT_TRUE(compiled.has_value());
    EXPECT_GE(compiled->major, 1);
    setProgramVersion(ProgramVersion{2, 0, 7, 0});
    EXPECT_EQ(programVersion(), (ProgramVersion{2, 0, 7, 0}));
    setProgramVersion(std::nullopt);
    EXPECT_FALSE(programVersion().has_value());
    resetProgramVersion();
    EXPECT_EQ(programVersion(), compiled);
}

TEST(Desktop, LinksGoToTheInstalledOpener)
{
    std::vector<QString> opened;
    const UrlOpener previous = setUrlOpener([&](const QString &url) { opened.push_back(url); });
    openUrl("https://127.0.0.1/page?a=1 b");
    openUrl("mailto:someone@example.invalid?subject=Hi");
    setUrlOpener(previous);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "https://127.0.0.1/page?a=1 b");
    EXPECT_EQ(opened[1], "mailto:someone@example.invalid?subject=Hi");
}
