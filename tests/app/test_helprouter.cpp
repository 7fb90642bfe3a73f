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

using namespace app;
using namespace foundation;

namespace {

using help::HelpData;
using help::HtmlHelpCommand;
using Calls = std::vector<std::string>;

// A viewer call as "<command> <path>" and the argument that command reads.
std::string describe(const QString &path, HtmlHelpCommand command, const help::HtmlHelpArg &arg)
{
    static const char *const names[] = {"topic", "toc", "index", "popup", "context", "close"};
    std::string out = names[int(command)] + (" " + path.toStdString());
    if (command == HtmlHelpCommand::DisplayIndex)
        out += " [" + arg.keyword.toStdString() + "]";
    if (command == HtmlHelpCommand::HelpContext)
        out += " #" + std::to_string(arg.context);
    if (command == HtmlHelpCommand::DisplayTextPopup)
        out += " #" + std::to_string(arg.popup.stringId) + " " + arg.popup.text.toStdString() + " @" +
               std::to_string(arg.popup.point.x()) + "," + std::to_string(arg.popup.point.y());
    return out;
}

// Stands in for both help entry points and records what reaches them.
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
        SetApplicationHelpHandler(nullptr);
        ApplicationHelpFile.clear();
        SetMainForm(nullptr);
    }
    bool route(uint16_t command, const HelpData &data = {})
    {
        callHelp = true;
        return router->RouteHelpRequest(command, data, callHelp);
    }

    QWidget window;
    Calls html, win;
    bool winAnswer = true;
    bool callHelp = true;
    help::ScopedHtmlHelpEntry m_htmlEntry{
        [this](QWidget *, const QString &path, HtmlHelpCommand command, const help::HtmlHelpArg &arg) {
            html.push_back(describe(path, command, arg));
            return command == HtmlHelpCommand::CloseAll ? nullptr : &window;
        }};
    help::ScopedWinHelpEntry m_winEntry{[this](QWidget *, const QString &file, uint16_t command, const HelpData &data) {
        win.push_back(
            std::to_string(command) + " " + file.toStdString() + " " + data.text.toStdString() +
            (data.point.isNull() ? "" : "@" + std::to_string(data.point.x()) + "," + std::to_string(data.point.y())));
        return winAnswer;
    }};
    std::unique_ptr<THelpRouter> router;
};

TEST_F(HelpRouterTest, HtmlCommandsMapOntoTheViewerCalls)
{
    const struct
    {
        uint16_t command;
        HelpData data;
        const char *call;
    } cases[] = {
        {help::HELP_CONTEXT, HelpData(int64_t(1020)), "context /opt/zarvello/ZVO.chm #1020"},
        {help::HELP_QUIT, {}, "close "},
        {help::HELP_CONTENTS, {}, "toc /opt/zarvello/ZVO.chm"},
        {help::HELP_FINDER, {}, "toc /opt/zarvello/ZVO.chm"},
        {help::HELP_TAB, HelpData(int64_t(1)), "index /opt/zarvello/ZVO.chm []"},
        {help::HELP_TAB, HelpData(int64_t(0)), "toc /opt/zarvello/ZVO.chm"},
        {help::HELP_KEY, HelpData(QStringLiteral("proxy")), "index /opt/zarvello/ZVO.chm [proxy]"},
        {help::HELP_PARTIALKEY, HelpData(QStringLiteral("upd")), "index /opt/zarvello/ZVO.chm [upd]"},
        // Taken off the application's hands without a viewer call.
        {help::HELP_COMMAND, HelpData(QStringLiteral("x")), nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        html.clear();
        // True when the viewer showed a window.
        EXPECT_EQ(route(c.command, c.data), c.call && c.command != help::HELP_QUIT);
        EXPECT_EQ(html, c.call ? Calls{c.call} : Calls{});
        EXPECT_FALSE(callHelp);
    }
    EXPECT_TRUE(win.empty());
}

TEST_F(HelpRouterTest, StoredPopupPositionIsUsedOnceAndMixedModeSendsPopupsToClassicHelp)
{
    route(help::HELP_SETPOPUP_POS, HelpData(QPoint(123, 45)));
    EXPECT_TRUE(route(help::HELP_CONTEXTPOPUP, HelpData(int64_t(42))));
    EXPECT_FALSE(callHelp);
    route(help::HELP_CONTEXTPOPUP, HelpData(int64_t(43)));
    // A given text needs no topics file.
    EXPECT_TRUE(router->ShowTextPopup(5, 6, "Plain words", 0));
    const QPoint mouse = QCursor::pos();
    ASSERT_NE(mouse, QPoint(123, 45));
    EXPECT_EQ(html, (Calls{"popup /opt/zarvello/ZVO.chm::/CSHelp.txt #42  @123,45",
                           "popup /opt/zarvello/ZVO.chm::/CSHelp.txt #43  @" + std::to_string(mouse.x()) + "," +
                               std::to_string(mouse.y()),
                           "popup  #0 Plain words @5,6"}));

    html.clear();
    router->SetHelpType(THelpType::htMixedMode);
    route(help::HELP_SETPOPUP_POS, HelpData(QPoint(7, 8)));
    route(help::HELP_CONTEXTPOPUP, HelpData(int64_t(9)));
    route(help::HELP_KEY, HelpData(QStringLiteral("engines")));
    EXPECT_EQ(win, (Calls{"13 /opt/zarvello/ZVO.hlp @7,8", "8 /opt/zarvello/ZVO.hlp "}));
    // Shown in the main window instead, a context pop-up becomes its topic.
    router->ShowType = TShowType::stMain;
    route(help::HELP_CONTEXTPOPUP, HelpData(int64_t(9)));
    EXPECT_EQ(html, (Calls{"index /opt/zarvello/ZVO.chm [engines]", "context /opt/zarvello/ZVO.chm #9"}));
}

TEST_F(HelpRouterTest, RequestsTheRouterDoesNotServeStayWithTheApplication)
{
    int seen = 0;
    router->OnHelp = [&](uint16_t, const HelpData &, bool &call) { return ++seen, call = false, true; };
    EXPECT_TRUE(ApplicationHelpCommand(help::HELP_CONTENTS));
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(html.empty() && win.empty());
    router->OnHelp = nullptr;

    // Without compiled help the application falls back to classic help.
    const help::ScopedHtmlHelpEntry unavailable{help::HtmlHelpFunction()};
    route(help::HELP_CONTENTS);
    EXPECT_TRUE(callHelp);
    EXPECT_TRUE(ApplicationHelpCommand(help::HELP_FINDER));
    EXPECT_EQ(win, Calls{"11 /opt/zarvello/ZVO.chm "});
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
        {"\xDC"
         "ber die Optionen?",
         true, "::/uber_die_Optionen.htm"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.topic);
        router->ValidateID = c.validate;
        EXPECT_TRUE(router->JumpToTopic(std::string(), c.topic));
        EXPECT_EQ(html.back(), std::string("topic /opt/zarvello/ZVO.chm") + c.page);
    }
    // Another help file is named by its compiled form.
    router->JumpToTopic("/tmp/Other.hlp", "A");
    EXPECT_EQ(html.back(), "topic /tmp/Other.chm::/A.htm");

    // Classic help shows the contents and then runs the jump macro, cut at
    // 255 characters; no jump without the contents.
    router->SetHelpType(THelpType::htWinhelp);
    EXPECT_TRUE(router->JumpToTopic(std::string(), "TheMainwindow"));
    EXPECT_EQ(win, (Calls{"3 /opt/zarvello/ZVO.hlp ", "258 /opt/zarvello/ZVO.hlp JumpID(\"\",\"TheMainwindow\")"}));
    router->JumpToTopic(std::string(), std::string(300, 'x'));
    EXPECT_EQ(win.back().size(), std::string("258 /opt/zarvello/ZVO.hlp ").size() + 255);
    win.clear();
    winAnswer = false;
    EXPECT_FALSE(router->JumpToTopic(std::string(), "TheMainwindow"));
    EXPECT_EQ(win.size(), 1u);
}

// The program folder is the system's bytes (UTF-8 here), and a form names its
// help file in Unicode; neither may pass through the application's code page,
// where "é" is one byte and "З" none.
TEST_F(HelpRouterTest, HelpFromAFolderNamedInAnotherScript)
{
    const std::string folder =
        "/home/u/\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB8/prog-\xC3\xA9/";
    ApplicationHelpFile = folder + "ZVO.chm";
    route(help::HELP_CONTENTS);
    EXPECT_TRUE(router->JumpToTopic(std::string(), "\xDC"
                                                   "bersicht"));
    EXPECT_TRUE(router->ShowTextPopup(1, 2, std::string(), 5));
    EXPECT_EQ(html, (Calls{"toc " + folder + "ZVO.chm", "topic " + folder + "ZVO.chm::/\xC3\x9C" + "bersicht.htm",
                           "popup " + folder + "ZVO.chm::/CSHelp.txt #5  @1,2"}));
    router->SetHelpType(THelpType::htWinhelp);
    EXPECT_TRUE(router->JumpToTopic(std::string(), "A"));
    route(help::HELP_KEY, HelpData(QStringLiteral("proxy")));
    EXPECT_EQ(win, (Calls{"3 " + folder + "ZVO.hlp ", "258 " + folder + "ZVO.hlp JumpID(\"\",\"A\")",
                          "257 " + folder + "ZVO.hlp proxy"}));

    // A form's own help file, and the application's when no router serves.
    QWidget form;
    form.setProperty("HelpFile",
                     QString::fromUtf8("/srv/\xD0\xA1\xD0\xBF\xD1\x80\xD0\xB0\xD0\xB2\xD0\xBA\xD0\xB0/Form.chm"));
    router.reset(); // one router at a time
    router = std::make_unique<THelpRouter>(&form);
    router->SetHelpType(THelpType::htHTMLhelp);
    html.clear();
    route(help::HELP_FINDER);
    EXPECT_EQ(html, Calls{"toc /srv/\xD0\xA1\xD0\xBF\xD1\x80\xD0\xB0\xD0\xB2\xD0\xBA\xD0\xB0/Form.chm"});
    router.reset();
    win.clear();
    EXPECT_TRUE(ApplicationHelpCommand(help::HELP_FINDER));
    EXPECT_EQ(win, Calls{"11 " + folder + "ZVO.chm "});
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
    SetApplicationHelpHandler(
        [&](uint16_t, const HelpData &, bool &call) { return ++previousCalls, call = false, true; });
    THelpRouter *second = CreateMainHelpRouter(&owner);
    ASSERT_NE(second, nullptr);
    ApplicationHelpCommand(help::HELP_CONTENTS);
    EXPECT_EQ(previousCalls, 1);
    ApplicationHelpFile.clear(); // then the router closes the help as it goes
    delete second;
    EXPECT_EQ(previousCalls, 2);
    ApplicationHelpCommand(help::HELP_QUIT);
    EXPECT_EQ(previousCalls, 3);

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
    // Without the main window the classic commands go out, which the router
    // still gives to the compiled help.
    SetMainForm(nullptr);
    ShowContentsHelp();
    EXPECT_EQ(html, (Calls{"topic /opt/zarvello/ZVO.chm", "topic /opt/zarvello/ZVO.chm::/TheOptionswindow.htm",
                           "close ", "toc /opt/zarvello/ZVO.chm"}));

    // With neither, a keyword reaches the classic help as a jump.
    const help::ScopedHtmlHelpEntry unavailable{help::HtmlHelpFunction()};
    ShowHelpKeyword("Updates");
    ASSERT_EQ(win.size(), 1u);
    EXPECT_TRUE(win[0].ends_with(" JumpID(\"\",\"Updates\")")) << win[0];
}

} // namespace
