// The help router between the program's help requests and the help viewer:
// the command table, topic page names, the pop-up position, the mixed mode,
// the one-instance rule and the help seam of the foundation.

#include "app/help/HelpRouter.h"
#include "foundation/MyOptions.h"
#include "platform/help/HtmlHelp.h"
#include "platform/shell/MessageBox.h"

#include <QCursor>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using help::HelpData;
using help::HtmlHelpCommand;

struct Call
{
    QString path;
    int command; // HtmlHelpCommand or classic command
    help::HtmlHelpArg arg;
    HelpData data;
};

// Stands in for both help entry points and records what reaches them.
class HelpRouterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        help::setHtmlHelpEntry(help::HtmlHelpFunction(
            [this](QWidget *, const QString &path, HtmlHelpCommand command, const help::HtmlHelpArg &arg) {
                html.push_back({path, int(command), arg, {}});
                return command == HtmlHelpCommand::CloseAll ? nullptr : &window;
            }));
        help::setWinHelpEntry(help::WinHelpFunction(
            [this](QWidget *, const QString &file, uint16_t command, const HelpData &data) {
                win.push_back({file, command, {}, data});
                return winAnswer;
            }));
        ApplicationHelpFile = "/opt/zarvello/ZVO.chm";
        router = std::make_unique<THelpRouter>();
        router->SetHelpType(THelpType::htHTMLhelp);
    }
    void TearDown() override
    {
        router.reset();
        SetApplicationHelpHandler(nullptr);
        help::setHtmlHelpEntry(std::nullopt);
        help::setWinHelpEntry(std::nullopt);
        ApplicationHelpFile.clear();
        SetMainForm(nullptr);
    }
    bool route(uint16_t command, const HelpData &data = {})
    {
        callHelp = true;
        return router->RouteHelpRequest(command, data, callHelp);
    }

    QWidget window;
    std::vector<Call> html, win;
    bool winAnswer = true;
    bool callHelp = true;
    std::unique_ptr<THelpRouter> router;
};

TEST_F(HelpRouterTest, HtmlCommandsMapOntoTheViewerCalls)
{
    const QString chm = QStringLiteral("/opt/zarvello/ZVO.chm");
    const struct
    {
        uint16_t command;
        HelpData data;
        HtmlHelpCommand expected;
        QString path;
    } cases[] = {
        {help::HELP_CONTEXT, HelpData(int64_t(1020)), HtmlHelpCommand::HelpContext, chm},
        {help::HELP_QUIT, {}, HtmlHelpCommand::CloseAll, QString()},
        {help::HELP_CONTENTS, {}, HtmlHelpCommand::DisplayToc, chm},
        {help::HELP_FINDER, {}, HtmlHelpCommand::DisplayToc, chm},
        {help::HELP_TAB, HelpData(int64_t(1)), HtmlHelpCommand::DisplayIndex, chm},
        {help::HELP_TAB, HelpData(int64_t(0)), HtmlHelpCommand::DisplayToc, chm},
        {help::HELP_KEY, HelpData(QStringLiteral("proxy")), HtmlHelpCommand::DisplayIndex, chm},
        {help::HELP_PARTIALKEY, HelpData(QStringLiteral("upd")), HtmlHelpCommand::DisplayIndex, chm},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        html.clear();
        // True when the viewer showed a window.
        EXPECT_EQ(route(c.command, c.data), c.expected != HtmlHelpCommand::CloseAll);
        ASSERT_EQ(html.size(), 1u);
        EXPECT_EQ(html[0].command, int(c.expected));
        EXPECT_EQ(html[0].path, c.path);
        EXPECT_FALSE(callHelp);
    }
    EXPECT_EQ(html[0].arg.keyword, QStringLiteral("upd"));
    route(help::HELP_CONTEXT, HelpData(int64_t(1020)));
    EXPECT_EQ(html.back().arg.context, 1020);

    // A command without a viewer call is still taken off the application's hands.
    html.clear();
    EXPECT_FALSE(route(help::HELP_COMMAND, HelpData(QStringLiteral("x"))));
    EXPECT_TRUE(html.empty() && win.empty());
    EXPECT_FALSE(callHelp);

    router->Helpfile = "/srv/help/Other.hlp";
    route(help::HELP_CONTENTS);
    EXPECT_EQ(html.back().path, QStringLiteral("/srv/help/Other.chm"));
}

TEST_F(HelpRouterTest, StoredPopupPositionIsUsedOnce)
{
    const QPoint stored(123, 45);
    route(help::HELP_SETPOPUP_POS, HelpData(stored));
    EXPECT_TRUE(html.empty());
    EXPECT_TRUE(route(help::HELP_CONTEXTPOPUP, HelpData(int64_t(42))));
    EXPECT_FALSE(callHelp);
    ASSERT_EQ(html.size(), 1u);
    EXPECT_EQ(html[0].command, int(HtmlHelpCommand::DisplayTextPopup));
    EXPECT_EQ(html[0].path, QStringLiteral("/opt/zarvello/ZVO.chm::/CSHelp.txt"));
    EXPECT_EQ(html[0].arg.popup.stringId, 42);
    EXPECT_EQ(html[0].arg.popup.point, stored);

    ASSERT_NE(QCursor::pos(), stored);
    route(help::HELP_CONTEXTPOPUP, HelpData(int64_t(43)));
    EXPECT_EQ(html.back().arg.popup.point, QCursor::pos());

    router->CHMPopupTopics.clear();
    route(help::HELP_CONTEXTPOPUP, HelpData(int64_t(1)));
    EXPECT_EQ(html.back().path, QStringLiteral("/opt/zarvello/ZVO.chm::/CSHelp.txt"));

    // A given text needs no topics file.
    EXPECT_TRUE(router->ShowTextPopup(5, 6, "Plain words", 0));
    EXPECT_EQ(html.back().path, QString());
    EXPECT_EQ(html.back().arg.popup.text, QStringLiteral("Plain words"));
}

TEST_F(HelpRouterTest, MixedModeSendsPopupsToClassicHelp)
{
    router->SetHelpType(THelpType::htMixedMode);
    route(help::HELP_SETPOPUP_POS, HelpData(QPoint(7, 8)));
    route(help::HELP_CONTEXTPOPUP, HelpData(int64_t(9)));
    route(help::HELP_CONTENTS);
    route(help::HELP_KEY, HelpData(QStringLiteral("engines")));
    ASSERT_EQ(win.size(), 2u);
    EXPECT_EQ(win[0].command, help::HELP_SETPOPUP_POS);
    EXPECT_EQ(win[0].data.point, QPoint(7, 8));
    EXPECT_EQ(win[1].command, help::HELP_CONTEXTPOPUP);
    EXPECT_EQ(win[1].path, QStringLiteral("/opt/zarvello/ZVO.hlp"));
    ASSERT_EQ(html.size(), 2u);
    EXPECT_EQ(html[1].command, int(HtmlHelpCommand::DisplayIndex));

    // Shown in the main window instead, a context pop-up becomes its topic.
    router->ShowType = TShowType::stMain;
    route(help::HELP_CONTEXTPOPUP, HelpData(int64_t(9)));
    EXPECT_EQ(html.back().command, int(HtmlHelpCommand::HelpContext));
    EXPECT_EQ(html.back().arg.context, 9);
}

TEST_F(HelpRouterTest, RequestsTheRouterDoesNotServeStayWithTheApplication)
{
    int seen = 0;
    router->OnHelp = [&](uint16_t, const HelpData &, bool &call) {
        ++seen;
        call = false;
        return true;
    };
    EXPECT_TRUE(ApplicationHelpCommand(help::HELP_CONTENTS));
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(html.empty() && win.empty());
    router->OnHelp = nullptr;

    // Without compiled help the application falls back to classic help.
    help::setHtmlHelpEntry(help::HtmlHelpFunction());
    route(help::HELP_CONTENTS);
    EXPECT_TRUE(callHelp);
    EXPECT_TRUE(ApplicationHelpCommand(help::HELP_FINDER));
    ASSERT_EQ(win.size(), 1u);
    EXPECT_EQ(win[0].command, help::HELP_FINDER);
    EXPECT_EQ(win[0].path, QStringLiteral("/opt/zarvello/ZVO.chm"));
    EXPECT_FALSE(router->JumpToTopic(std::string(), "TheMainwindow"));
}

TEST_F(HelpRouterTest, JumpToTopicNamesThePage)
{
    const struct
    {
        const char *topic;
        bool validate;
        const char *page;
    } cases[] = {
        {"TheOptionswindow", false, "::/TheOptionswindow.htm"},
        {"Intro.html", false, "::/Intro.html"},
        {"Intro.HTM", false, "::/Intro.HTM"},
        {"", false, ""},
        {"Version 1.2", false, "::/Version 1.2.htm"},
        {"Version 1.2", true, "::/Version_1_2.htm"},
        {"\xDC" "ber die Optionen?", true, "::/uber_die_Optionen.htm"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.topic);
        router->ValidateID = c.validate;
        EXPECT_TRUE(router->JumpToTopic(std::string(), c.topic));
        EXPECT_EQ(html.back().command, int(HtmlHelpCommand::DisplayTopic));
        EXPECT_EQ(html.back().path, QStringLiteral("/opt/zarvello/ZVO.chm") + QString::fromLatin1(c.page));
    }
    router->JumpToTopic("/tmp/Other.hlp", "A");
    EXPECT_EQ(html.back().path, QStringLiteral("/tmp/Other.chm::/A.htm"));

    // Classic help shows the contents and then runs the jump macro.
    router->SetHelpType(THelpType::htWinhelp);
    EXPECT_TRUE(router->JumpToTopic(std::string(), "TheMainwindow"));
    ASSERT_EQ(win.size(), 2u);
    EXPECT_EQ(win[0].command, help::HELP_CONTENTS);
    EXPECT_EQ(win[0].path, QStringLiteral("/opt/zarvello/ZVO.hlp"));
    EXPECT_EQ(win[1].data.text, QStringLiteral("JumpID(\"\",\"TheMainwindow\")"));
    router->JumpToTopic(std::string(), std::string(300, 'x'));
    EXPECT_EQ(win.back().data.text.size(), 255);
    win.clear();
    winAnswer = false;
    EXPECT_FALSE(router->JumpToTopic(std::string(), "TheMainwindow"));
    EXPECT_EQ(win.size(), 1u); // no jump without the contents
}

TEST(MangleTopicId, ReplacesOrDropsWhatPageNamesCannotHold)
{
    EXPECT_EQ(MangleTopicId("a b%c.d"), "a_b_c_d");
    EXPECT_EQ(MangleTopicId("q\"u,o/t:e?s\\|\xBF"), "quotes");
    EXPECT_EQ(MangleTopicId("R&D*<x>[1]"), "R+D+~x~(1)");
    EXPECT_EQ(MangleTopicId("\xC4\xE4\xD6\xF6\xDC\xFC\xDF"), "aaoouus");
    EXPECT_EQ(MangleTopicId("\xE9t\xE9-Z_9"), "\xE9t\xE9-Z_9");
}

TEST_F(HelpRouterTest, OneRouterPerProgramAndItsHandlersComeAndGo)
{
    shell::RecordingMessageBoxes boxes;
    QObject owner;
    EXPECT_EQ(CreateMainHelpRouter(&owner), nullptr);
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].text, QStringLiteral("Multiple instances of THelpRouter are not allowed"));
    EXPECT_EQ(boxes.requests()[0].icon, shell::MessageIcon::Stop);
    EXPECT_EQ(THelpRouter::Instance(), router.get());

    // The next router may come once the first is gone; the previous handler
    // keeps its say while a router is installed and returns after it.
    router.reset();
    EXPECT_FALSE(HasApplicationHelpHandler());
    int previousCalls = 0;
    SetApplicationHelpHandler([&](uint16_t, const HelpData &, bool &call) {
        ++previousCalls;
        call = false;
        return true;
    });
    THelpRouter *second = CreateMainHelpRouter(&owner);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->HelpType(), THelpType::htHTMLhelp);
    ApplicationHelpCommand(help::HELP_CONTENTS);
    EXPECT_EQ(previousCalls, 1);
    ApplicationHelpFile.clear(); // then the router closes the help as it goes
    delete second;
    EXPECT_EQ(previousCalls, 2);
    ApplicationHelpCommand(help::HELP_QUIT);
    EXPECT_EQ(previousCalls, 3);
    EXPECT_TRUE(html.empty());

    SetApplicationHelpHandler(nullptr);
    ShowContentsHelp(); // the foundation's routines go quiet again
    EXPECT_TRUE(html.empty() && win.empty());
}

TEST_F(HelpRouterTest, FoundationHelpRoutinesReachTheViewer)
{
    QWidget mainForm;
    SetMainForm(&mainForm);
    ShowContentsHelp();
    ShowHelpKeyword("TheOptionswindow");
    CloseHelp();
    ASSERT_EQ(html.size(), 3u);
    EXPECT_EQ(html[0].command, int(HtmlHelpCommand::DisplayTopic));
    EXPECT_EQ(html[0].path, QStringLiteral("/opt/zarvello/ZVO.chm"));
    EXPECT_EQ(html[1].path, QStringLiteral("/opt/zarvello/ZVO.chm::/TheOptionswindow.htm"));
    EXPECT_EQ(html[2].command, int(HtmlHelpCommand::CloseAll));

    // Without the main window the classic commands go out, which the router
    // still gives to the compiled help.
    SetMainForm(nullptr);
    ShowContentsHelp();
    EXPECT_EQ(html.back().command, int(HtmlHelpCommand::DisplayToc));

    // With neither, a keyword reaches the classic help as a jump.
    help::setHtmlHelpEntry(help::HtmlHelpFunction());
    ShowHelpKeyword("Updates");
    ASSERT_EQ(win.size(), 1u);
    EXPECT_EQ(win[0].data.text, QStringLiteral("JumpID(\"\",\"Updates\")"));
}

} // namespace
