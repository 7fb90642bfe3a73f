// The message box every message goes through, links, help requests and the
// environment probes.

#include "foundation/MyUtilitiesUi.h"

#include "platform/shell/Beep.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"

#include <gtest/gtest.h>

#include <QMainWindow>

#include <cstdlib>
#include <memory>
#include <vector>

using shell::BeepKind;
using shell::MessageButtons;
using shell::MessageIcon;

namespace {

// Records beeps and boxes in one sequence, so that their order shows.
class MessageFixture : public ::testing::Test
{
protected:
    shell::RecordingMessageBoxes boxes;
    std::vector<std::string> events;
    std::vector<BeepKind> beeps;
    void SetUp() override
    {
        shell::SetBeepSink([this](BeepKind kind) {
            beeps.push_back(kind);
            events.push_back("beep");
        });
        shell::SetMessageBoxSink([this](const shell::MessageBoxRequest &request) {
            events.push_back("box");
            requests.push_back(request);
            return answer;
        });
    }
    void TearDown() override
    {
        shell::SetBeepSink({});
        SetMainForm(nullptr);
    }
    std::vector<shell::MessageBoxRequest> requests;
    int answer = IDOK;
};

} // namespace

TEST_F(MessageFixture, KindsChooseButtonsIconAndSound)
{
    struct Case
    {
        MessageKind kind;
        MessageButtons buttons;
        MessageIcon icon;
        BeepKind sound;
    };
    const Case cases[] = {
        {'S', MessageButtons::Ok, MessageIcon::Stop, BeepKind::Stop},
        {'s', MessageButtons::Ok, MessageIcon::Stop, BeepKind::Stop},
        {'!', MessageButtons::Ok, MessageIcon::Exclamation, BeepKind::Exclamation},
        {'?', MessageButtons::YesNo, MessageIcon::Question, BeepKind::Question},
        {'D', MessageButtons::YesNo, MessageIcon::Exclamation, BeepKind::Simple},
        {'d', MessageButtons::YesNo, MessageIcon::Exclamation, BeepKind::Simple},
        {'i', MessageButtons::Ok, MessageIcon::Information, BeepKind::Default},
        {'x', MessageButtons::Ok, MessageIcon::Information, BeepKind::Default},
    };
    for (const Case &c : cases) {
        requests.clear();
        beeps.clear();
        ShowMessageBox(nullptr, "text", c.kind, "Caption");
        ASSERT_EQ(requests.size(), 1u);
        ASSERT_EQ(beeps.size(), 1u);
        EXPECT_EQ(requests[0].buttons, c.buttons) << c.kind;
        EXPECT_EQ(requests[0].icon, c.icon) << c.kind;
        EXPECT_EQ(beeps[0], c.sound) << c.kind;
    }
    EXPECT_EQ(events.front(), "beep") << "the sound comes before the box";
}

TEST_F(MessageFixture, CaptionTextAndAnswer)
{
    answer = IDNO;
    EXPECT_EQ(ShowMessageBox(nullptr, "Delete \xabsite\xbb?", '?', ""), IDNO);
    EXPECT_EQ(requests[0].caption, "Zarvello");
    EXPECT_EQ(requests[0].text, QString::fromUtf8("Delete \u00absite\u00bb?"));
    answer = IDYES;
    EXPECT_EQ(ShowMessageBox(nullptr, "x", 'D', "Caf\xe9"), IDYES);
    EXPECT_EQ(requests[1].caption, QString::fromUtf8("Caf\u00e9"));
}

TEST_F(MessageFixture, OwnerIsTheShowingFormElseTheShowingMainWindow)
{
    QWidget form;
    ShowMessageBox(&form, "hidden form", 'i', "");
    EXPECT_EQ(requests.back().owner, nullptr);

    QMainWindow main;
    main.show();
    SetMainForm(&main);
    ShowMessageBox(&form, "hidden form", 'i', "");
    EXPECT_EQ(requests.back().owner, &main);

    form.show();
    ShowMessageBox(&form, "shown form", 'i', "");
    EXPECT_EQ(requests.back().owner, &form);
}

TEST(MainForm, RegisteredWindowElseTheFirstMainWindow)
{
    EXPECT_EQ(GetMainForm(), nullptr);
    auto registered = std::make_unique<QWidget>();
    SetMainForm(registered.get());
    EXPECT_EQ(GetMainForm(), registered.get());
    registered.reset();
    EXPECT_EQ(GetMainForm(), nullptr) << "a destroyed window is not returned";
    QWidget plain;
    QMainWindow main;
    EXPECT_EQ(GetMainForm(), &main);
}

TEST(Links, UrlAndMailLinksReachTheOpenerUnchanged)
{
    std::vector<QString> opened;
    const auto previous = shell::setUrlOpener([&](const QString &url) { opened.push_back(url); });
    OpenURL("http://127.0.0.1/help page.htm");
    OpenURL("mailto:info@example.invalid?subject=Zarvello \xe9t\xe9");
    shell::setUrlOpener(previous);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "http://127.0.0.1/help page.htm");
    EXPECT_EQ(opened[1], QString::fromUtf8("mailto:info@example.invalid?subject=Zarvello \u00e9t\u00e9"));
}

TEST(Help, RequestsGoToTheInstalledHandler)
{
    ShowContentsHelp(); // nothing installed: nothing happens
    CloseHelp();
    std::vector<std::string> calls;
    const HelpHandler previous = SetHelpHandler(
        {[&](const std::string &topic) { calls.push_back("show:" + topic); }, [&]() { calls.push_back("close"); }});
    ShowContentsHelp();
    ShowHelpKeyword("TheOptionswindow");
    CloseHelp();
    SetHelpHandler(previous);
    EXPECT_EQ(calls, (std::vector<std::string>{"show:", "show:TheOptionswindow", "close"}));
}

TEST(Environment, DeveloperVariableCounts)
{
    ::setenv("ZVO_DEVELOPER", "1", 1);
    EXPECT_TRUE(IsDevelopmentEnvironmentRunning());
    ::unsetenv("ZVO_DEVELOPER");
    if (!std::getenv("ZVO_TEST_UNDER_DEBUGGER")) {
        EXPECT_FALSE(IsDevelopmentEnvironmentRunning());
    }
}

TEST(RandomRange, InclusiveBoundsAndReversedArguments)
{
    EXPECT_EQ(RandomRange(5, 3), 3);
    EXPECT_EQ(RandomRange(4, 4), 4);
    bool seen[3] = {};
    for (int i = 0; i < 300; ++i) {
        const int r = RandomRange(1, 3);
        ASSERT_TRUE(r >= 1 && r <= 3) << r;
        seen[r - 1] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
    const int wide = RandomRange(INT32_MIN, INT32_MAX);
    EXPECT_TRUE(wide >= INT32_MIN && wide <= INT32_MAX);
}
