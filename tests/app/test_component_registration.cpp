// What the program's start registers for the widgets it carries: the page
// control's classes for stored layouts, the browser's help bound to the
// program's viewer, and the desktop's DDE servers in the registry.

#include "app/ComponentRegistration.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/help/HtmlHelp.h"
#include "platform/registry/Registry.h"
#include "widgets/webbrowser/IEUtils.h"
#include "widgets/webbrowser/ShellDdeCommands.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

TEST(ComponentRegistration, WidgetsAreRegisteredAtStart)
{
    QTemporaryDir folder;
    const registry::ScopedStoreFilePath store(folder.filePath(QStringLiteral("registry.ini")).toStdString());
    int marker = 0; // the viewer's window is passed on, never touched
    QStringList shown;
    const help::ScopedHtmlHelpEntry viewer(
        [&](QWidget *, const QString &path, help::HtmlHelpCommand, const help::HtmlHelpArg &) {
            shown << path;
            return reinterpret_cast<QWidget *>(&marker);
        });
    EXPECT_EQ(classes::GetClass(std::string_view("TdxTabSheet")), nullptr);
    EXPECT_EQ(classes::GetClass(std::string_view("TEmbeddedWB")), nullptr);
    EXPECT_EQ(webbrowser::HtmlHelp(nullptr, "ZVO.chm", webbrowser::HH_DISPLAY_TOC, 0), 0);
    EXPECT_EQ(webbrowser::ShellDdeNames().PageApplication, "");

    app::RegisterWidgetComponents();

    EXPECT_NE(classes::GetClass(std::string_view("TdxTabSheet")), nullptr);
    EXPECT_NE(classes::GetClass(std::string_view("TdxPageControl")), nullptr);
    EXPECT_NE(classes::GetClass(std::string_view("TEmbeddedWB")), nullptr);
    EXPECT_NE(webbrowser::HtmlHelp(nullptr, "ZVO.chm", webbrowser::HH_DISPLAY_TOC, 0), 0);
    EXPECT_EQ(shown, QStringList{QStringLiteral("ZVO.chm")});
    EXPECT_EQ(webbrowser::ShellDdeNames().PageApplication, "IExplore");
    EXPECT_EQ(webbrowser::ShellDdeNames().FindCommand, "FindFolder");
}
