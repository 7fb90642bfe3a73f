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

struct HtmlCall
{
    QString path;
    help::HtmlHelpCommand command;
    help::HtmlHelpArg arg;
};

struct WinCall
{
    QString file;
    uint16_t command;
    help::HelpData data;
};

// Stands in for both help entry points and records what reaches them.
class RecordingHelp
{
public:
    RecordingHelp()
    {
        help::setHtmlHelpEntry(help::HtmlHelpFunction(
            [this](QWidget *, const QString &path, help::HtmlHelpCommand command, const help::HtmlHelpArg &arg) {
                html.push_back({path, command, arg});
                return command == help::HtmlHelpCommand::CloseAll ? nullptr : &m_window;
            }));
        help::setWinHelpEntry(help::WinHelpFunction(
            [this](QWidget *, const QString &file, uint16_t command, const help::HelpData &data) {
                win.push_back({file, command, data});
                return winAnswer;
            }));
    }
    ~RecordingHelp()
    {
        help::setHtmlHelpEntry(std::nullopt);
        help::setWinHelpEntry(std::nullopt);
    }
    void makeHtmlUnavailable() { help::setHtmlHelpEntry(help::HtmlHelpFunction()); }

    std::vector<HtmlCall> html;
    std::vector<WinCall> win;
    bool winAnswer = true;

private:
    QWidget m_window;
};

class HelpRouterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ApplicationHelpFile = "/opt/zarvello/ZVO.chm";
        router = std::make_unique<THelpRouter>();
        router->SetHelpType(THelpType::htHTMLhelp);
    }
    void TearDown() override
    {
        router.reset();
        ApplicationHelpFile.clear();
        SetMainForm(nullptr);
    }
    bool route(uint16_t command, const help::HelpData &data, bool &callHelp)
    {
        callHelp = true;
        return router->RouteHelpRequest(command, data, callHelp);
    }

    RecordingHelp recorder;
    std::unique_ptr<THelpRouter> router;
};

using help::HtmlHelpCommand;

TEST_F(HelpRouterTest, HtmlCommandsMapOntoTheViewerCalls)
{
    struct Case
    {
        uint16_t command;
        help::HelpData data;
        HtmlHelpCommand expected;
        QString path;
    };
    const QString chm = QStringLiteral("/opt/zarvello/ZVO.chm");
    const std::vector<Case> cases = {
        {help::HELP_CONTEXT, help::HelpData(int64_t(1020)), HtmlHelpCommand::HelpContext, chm},
        {help::HELP_QUIT, {}, HtmlHelpCommand::CloseAll, QString()},
        {help::HELP_CONTENTS, {}, HtmlHelpCommand::DisplayToc, chm},
        {help::HELP_FINDER, {}, HtmlHelpCommand::DisplayToc, chm},
        {help::HELP_TAB, help::HelpData(int64_t(1)), HtmlHelpCommand::DisplayIndex, chm},
        {help::HELP_TAB, help::HelpData(int64_t(0)), HtmlHelpCommand::DisplayToc, chm},
        {help::HELP_KEY, help::HelpData(QStringLiteral("proxy")), HtmlHelpCommand::DisplayIndex, chm},
        {help::HELP_PARTIALKEY, help::HelpData(QStringLiteral("upd")), HtmlHelpCommand::DisplayIndex, chm},
    };
    for (const Case &c : cases) {
        recorder.html.clear();
        bool callHelp = true;
        const bool result = route(c.command, c.data, callHelp);
        SCOPED_TRACE(c.command);
        ASSERT_EQ(recorder.html.size(), 1u);
        EXPECT_EQ(recorder.html[0].command, c.expected);
        EXPECT_EQ(recorder.html[0].path, c.path);
        EXPECT_FALSE(callHelp);
        EXPECT_EQ(result, c.expected != HtmlHelpCommand::CloseAll); // true when a window came back
    }
    EXPECT_EQ(recorder.html[0].arg.keyword, QStringLiteral("upd"));
    bool callHelp = true;
    recorder.html.clear();
    route(help::HELP_CONTEXT, help::HelpData(int64_t(1020)), callHelp);
    EXPECT_EQ(recorder.html[0].arg.context, 1020);

    // A command without a compiled-help call is still taken off the
    // application's hands.
    recorder.html.clear();
    EXPECT_FALSE(route(help::HELP_COMMAND, help::HelpData(QStringLiteral("x")), callHelp));
    EXPECT_TRUE(recorder.html.empty());
    EXPECT_FALSE(callHelp);
    EXPECT_TRUE(recorder.win.empty());

    // A help file of another kind is asked for as compiled help.
    router->Helpfile = "/srv/help/Other.hlp";
    route(help::HELP_CONTENTS, {}, callHelp);
    EXPECT_EQ(recorder.html.back().path, QStringLiteral("/srv/help/Other.chm"));
}

TEST_F(HelpRouterTest, StoredPopupPositionIsUsedOnce)
{
    const QPoint stored(123, 45);
    bool callHelp = true;
    route(help::HELP_SETPOPUP_POS, help::HelpData(stored), callHelp);
    EXPECT_TRUE(recorder.html.empty());
    EXPECT_FALSE(callHelp);

    EXPECT_TRUE(route(help::HELP_CONTEXTPOPUP, help::HelpData(int64_t(42)), callHelp));
    EXPECT_FALSE(callHelp);
    ASSERT_EQ(recorder.html.size(), 1u);
    EXPECT_EQ(recorder.html[0].command, HtmlHelpCommand::DisplayTextPopup);
    EXPECT_EQ(recorder.html[0].path, QStringLiteral("/opt/zarvello/ZVO.chm::/CSHelp.txt"));
    EXPECT_EQ(recorder.html[0].arg.popup.stringId, 42);
    EXPECT_EQ(recorder.html[0].arg.popup.point, stored);
    EXPECT_FALSE(router->PendingPopupPosition().has_value());

    ASSERT_NE(QCursor::pos(), stored);
    route(help::HELP_CONTEXTPOPUP, help::HelpData(int64_t(43)), callHelp);
    ASSERT_EQ(recorder.html.size(), 2u);
    EXPECT_EQ(recorder.html[1].arg.popup.point, QCursor::pos());

    // Another topics file, and the default when it is cleared.
    router->CHMPopupTopics = "Popups.txt";
    route(help::HELP_CONTEXTPOPUP, help::HelpData(int64_t(1)), callHelp);
    EXPECT_EQ(recorder.html.back().path, QStringLiteral("/opt/zarvello/ZVO.chm::/Popups.txt"));
    router->CHMPopupTopics.clear();
    route(help::HELP_CONTEXTPOPUP, help::HelpData(int64_t(1)), callHelp);
    EXPECT_EQ(recorder.html.back().path, QStringLiteral("/opt/zarvello/ZVO.chm::/CSHelp.txt"));

    // A given text needs no topics file.
    EXPECT_TRUE(router->ShowTextPopup(5, 6, "Plain words", 0));
    EXPECT_EQ(recorder.html.back().path, QString());
    EXPECT_EQ(recorder.html.back().arg.popup.text, QStringLiteral("Plain words"));
    EXPECT_EQ(recorder.html.back().arg.popup.stringId, 0);
}

TEST_F(HelpRouterTest, MixedModeSendsPopupsToClassicHelp)
{
    router->SetHelpType(THelpType::htMixedMode);
    bool callHelp = true;
    route(help::HELP_SETPOPUP_POS, help::HelpData(QPoint(7, 8)), callHelp);
    route(help::HELP_CONTEXTPOPUP, help::HelpData(int64_t(9)), callHelp);
    route(help::HELP_CONTENTS, {}, callHelp);
    route(help::HELP_KEY, help::HelpData(QStringLiteral("engines")), callHelp);

    ASSERT_EQ(recorder.win.size(), 2u);
    EXPECT_EQ(recorder.win[0].command, help::HELP_SETPOPUP_POS);
    EXPECT_EQ(recorder.win[0].data.point, QPoint(7, 8));
    EXPECT_EQ(recorder.win[1].command, help::HELP_CONTEXTPOPUP);
    EXPECT_EQ(recorder.win[1].file, QStringLiteral("/opt/zarvello/ZVO.hlp"));
    ASSERT_EQ(recorder.html.size(), 2u);
    EXPECT_EQ(recorder.html[0].command, HtmlHelpCommand::DisplayToc);
    EXPECT_EQ(recorder.html[1].command, HtmlHelpCommand::DisplayIndex);

    // Shown in the main window instead, a context pop-up becomes its topic.
    router->ShowType = TShowType::stMain;
    recorder.html.clear();
    route(help::HELP_CONTEXTPOPUP, help::HelpData(int64_t(9)), callHelp);
    ASSERT_EQ(recorder.html.size(), 1u);
    EXPECT_EQ(recorder.html[0].command, HtmlHelpCommand::HelpContext);
    EXPECT_EQ(recorder.html[0].arg.context, 9);
}

TEST_F(HelpRouterTest, RequestsTheRouterDoesNotServeStayWithTheApplication)
{
    // An own handler that handles the request ends it.
    int seen = 0;
    router->OnHelp = [&](uint16_t, const help::HelpData &, bool &callHelp) {
        ++seen;
        callHelp = false;
        return true;
    };
    EXPECT_TRUE(ApplicationHelpCommand(help::HELP_CONTENTS));
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(recorder.html.empty());
    EXPECT_TRUE(recorder.win.empty());
    router->OnHelp = nullptr;

    // Without compiled help the application falls back to classic help.
    recorder.makeHtmlUnavailable();
    bool callHelp = true;
    route(help::HELP_CONTENTS, {}, callHelp);
    EXPECT_TRUE(callHelp);
    EXPECT_TRUE(ApplicationHelpCommand(help::HELP_FINDER));
    ASSERT_EQ(recorder.win.size(), 1u);
    EXPECT_EQ(recorder.win[0].command, help::HELP_FINDER);
    EXPECT_EQ(recorder.win[0].file, QStringLiteral("/opt/zarvello/ZVO.chm"));
    EXPECT_FALSE(router->JumpToTopic(std::string(), "TheMainwindow"));
}

TEST_F(HelpRouterTest, JumpToTopicNamesThePage)
{
    struct Case
    {
        const char *topic;
        bool validate;
        const char *path;
    };
    const std::vector<Case> cases = {
        {"TheOptionswindow", false, "/opt/zarvello/ZVO.chm::/TheOptionswindow.htm"},
        {"Intro.html", false, "/opt/zarvello/ZVO.chm::/Intro.html"},
        {"Intro.HTM", false, "/opt/zarvello/ZVO.chm::/Intro.HTM"},
        {"", false, "/opt/zarvello/ZVO.chm"},
        {"Version 1.2", false, "/opt/zarvello/ZVO.chm::/Version 1.2.htm"},
        {"Version 1.2", true, "/opt/zarvello/ZVO.chm::/Version_1_2.htm"},
        {"\xDC" "ber die Optionen?", true, "/opt/zarvello/ZVO.chm::/uber_die_Optionen.htm"},
        {"Intro.htm", true, "/opt/zarvello/ZVO.chm::/Intro.htm"},
    };
    for (const Case &c : cases) {
        recorder.html.clear();
        router->ValidateID = c.validate;
        SCOPED_TRACE(c.topic);
        EXPECT_TRUE(router->JumpToTopic(std::string(), c.topic));
        ASSERT_EQ(recorder.html.size(), 1u);
        EXPECT_EQ(recorder.html[0].command, HtmlHelpCommand::DisplayTopic);
        EXPECT_EQ(recorder.html[0].path, QString::fromLatin1(c.path));
    }

    // A given file wins over the router's; its extension becomes .chm.
    router->JumpToTopic("/tmp/Other.hlp", "A");
    EXPECT_EQ(recorder.html.back().path, QStringLiteral("/tmp/Other.chm::/A.htm"));
}

TEST_F(HelpRouterTest, JumpToTopicInClassicHelpRunsTheJumpMacro)
{
    router->SetHelpType(THelpType::htWinhelp);
    EXPECT_TRUE(router->JumpToTopic(std::string(), "TheMainwindow"));
    ASSERT_EQ(recorder.win.size(), 2u);
    EXPECT_EQ(recorder.win[0].command, help::HELP_CONTENTS);
    EXPECT_EQ(recorder.win[0].file, QStringLiteral("/opt/zarvello/ZVO.hlp"));
    EXPECT_EQ(recorder.win[1].command, help::HELP_COMMAND);
    EXPECT_EQ(recorder.win[1].data.text, QStringLiteral("JumpID(\"\",\"TheMainwindow\")"));

    recorder.win.clear();
    router->JumpToTopic(std::string(), std::string(300, 'x'));
    EXPECT_EQ(recorder.win[1].data.text.size(), 255);

    // No jump when the contents cannot be shown.
    recorder.win.clear();
    recorder.winAnswer = false;
    EXPECT_FALSE(router->JumpToTopic(std::string(), "TheMainwindow"));
    EXPECT_EQ(recorder.win.size(), 1u);
}

TEST(MangleTopicId, ReplacesOrDropsWhatPageNamesCannotHold)
{
    EXPECT_EQ(MangleTopicId("a b%c.d"), "a_b_c_d");
    EXPECT_EQ(MangleTopicId("q\"u,o/t:e?s\\|\xBF"), "quotes");
    EXPECT_EQ(MangleTopicId("R&D*<x>[1]"), "R+D+~x~(1)");
    EXPECT_EQ(MangleTopicId("\xC4\xE4\xD6\xF6\xDC\xFC\xDF"), "aaoouus");
    EXPECT_EQ(MangleTopicId("\xE9t\xE9-Z_9"), "\xE9t\xE9-Z_9");
}

TEST_F(HelpRouterTest, OneRouterPerProgram)
{
    shell::RecordingMessageBoxes boxes;
    QObject owner;
    EXPECT_EQ(CreateMainHelpRouter(&owner), nullptr);
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].text, QStringLiteral("Multiple instances of THelpRouter are not allowed"));
    EXPECT_EQ(boxes.requests()[0].icon, shell::MessageIcon::Stop);
    // The first router still serves.
    EXPECT_EQ(THelpRouter::Instance(), router.get());
    EXPECT_TRUE(ApplicationHelpCommand(help::HELP_CONTENTS));
    EXPECT_EQ(recorder.html.size(), 1u);

    // Once it is gone, the next one may come, set up as the main window has it.
    router.reset();
    EXPECT_FALSE(HasApplicationHelpHandler());
    THelpRouter *second = CreateMainHelpRouter(&owner);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->HelpType(), THelpType::htHTMLhelp);
    EXPECT_EQ(second->CHMPopupTopics, "CSHelp.txt");
    EXPECT_FALSE(second->ValidateID);
    delete second;
}

TEST_F(HelpRouterTest, RemovingTheRouterRestoresThePreviousHandlers)
{
    router.reset();
    int previousCalls = 0;
    SetApplicationHelpHandler([&](uint16_t, const help::HelpData &, bool &callHelp) {
        ++previousCalls;
        callHelp = false;
        return true;
    });
    router = std::make_unique<THelpRouter>();
    ApplicationHelpCommand(help::HELP_CONTENTS);
    EXPECT_EQ(previousCalls, 1); // the previous handler still has its say
    EXPECT_TRUE(recorder.html.empty());

    // Without an application help file the router closes the help itself.
    ApplicationHelpFile.clear();
    router.reset();
    ASSERT_EQ(recorder.html.size(), 0u);
    EXPECT_TRUE(HasApplicationHelpHandler());
    ApplicationHelpCommand(help::HELP_QUIT);
    EXPECT_EQ(previousCalls, 3);
    SetApplicationHelpHandler(nullptr);

    // The foundation's help routines go quiet again.
    ShowContentsHelp();
    EXPECT_TRUE(recorder.html.empty());
    EXPECT_TRUE(recorder.win.empty());
}

TEST_F(HelpRouterTest, FoundationHelpRoutinesReachTheViewer)
{
    QWidget mainForm;
    SetMainForm(&mainForm);
    ShowContentsHelp();
    ShowHelpKeyword("TheOptionswindow");
    CloseHelp();
    ASSERT_EQ(recorder.html.size(), 3u);
    EXPECT_EQ(recorder.html[0].command, HtmlHelpCommand::DisplayTopic);
    EXPECT_EQ(recorder.html[0].path, QStringLiteral("/opt/zarvello/ZVO.chm"));
    EXPECT_EQ(recorder.html[1].path, QStringLiteral("/opt/zarvello/ZVO.chm::/TheOptionswindow.htm"));
    EXPECT_EQ(recorder.html[2].command, HtmlHelpCommand::CloseAll);

    // Without the main window the classic commands are sent, which the
    // router still gives to the compiled help.
    SetMainForm(nullptr);
    recorder.html.clear();
    ShowContentsHelp();
    ASSERT_EQ(recorder.html.size(), 1u);
    EXPECT_EQ(recorder.html[0].command, HtmlHelpCommand::DisplayToc);

    // With neither, the keyword reaches the classic help as a jump.
    recorder.makeHtmlUnavailable();
    ShowHelpKeyword("Updates");
    ASSERT_EQ(recorder.win.size(), 1u);
    EXPECT_EQ(recorder.win[0].command, help::HELP_COMMAND);
    EXPECT_EQ(recorder.win[0].data.text, QStringLiteral("JumpID(\"\",\"Updates\")"));
}

} // namespace
