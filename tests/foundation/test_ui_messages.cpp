// The message box every message goes through, help requests and the probes.

#include "foundation/MyUtilitiesUi.h"

#include "platform/shell/Beep.h"
#include "platform/shell/MessageBox.h"

#include <gtest/gtest.h>

#include <QMainWindow>

using namespace foundation;

using shell::BeepKind;
using shell::MessageButtons;
using shell::MessageIcon;

namespace {

class MessageFixture : public ::testing::Test
{
protected:
    shell::RecordingMessageBoxes boxes;
    std::vector<BeepKind> beeps;
    size_t boxesAtFirstBeep = 99;
    shell::ScopedBeepSink m_beepSink{[this](BeepKind kind) {
        boxesAtFirstBeep = std::min(boxesAtFirstBeep, boxes.requests().size());
        beeps.push_back(kind);
    }};
    void TearDown() override { SetMainForm(nullptr); }
    const shell::MessageBoxRequest &last() const { return boxes.requests().back(); }
};

} // namespace

TEST_F(MessageFixture, KindsChooseButtonsIconAndSound)
{
    const std::tuple<MessageKind, MessageButtons, MessageIcon, BeepKind> cases[] = {
        {'S', MessageButtons::Ok, MessageIcon::Stop, BeepKind::Stop},
        {'s', MessageButtons::Ok, MessageIcon::Stop, BeepKind::Stop},
        {'!', MessageButtons::Ok, MessageIcon::Exclamation, BeepKind::Exclamation},
        {'?', MessageButtons::YesNo, MessageIcon::Question, BeepKind::Question},
        {'D', MessageButtons::YesNo, MessageIcon::Exclamation, BeepKind::Simple},
        {'d', MessageButtons::YesNo, MessageIcon::Exclamation, BeepKind::Simple},
        {'x', MessageButtons::Ok, MessageIcon::Information, BeepKind::Default},
    };
    for (const auto &[kind, buttons, icon, sound] : cases) {
        ShowMessageBox(nullptr, "text", kind, "Caption");
        EXPECT_EQ(last().buttons, buttons) << kind;
        EXPECT_EQ(last().icon, icon) << kind;
        EXPECT_EQ(beeps.back(), sound) << kind;
    }
    EXPECT_EQ(beeps.size(), std::size(cases));
    EXPECT_EQ(boxesAtFirstBeep, 0u) << "the sound comes before the box";
}

TEST_F(MessageFixture, CaptionTextAnswerAndOwner)
{
    boxes.script(shell::IDNO);
    EXPECT_EQ(ShowMessageBox(nullptr, "Delete \xabsite\xbb?", '?', ""), shell::IDNO);
    EXPECT_EQ(last().caption, "Zarvello");
    EXPECT_EQ(last().text, QString::fromUtf8("Delete \u00absite\u00bb?"));
    EXPECT_EQ(ShowMessageBox(nullptr, "x", 'D', "Caf\xe9"), shell::IDYES);
    EXPECT_EQ(last().caption, QString::fromUtf8("Caf\u00e9"));

    QWidget form;
    ShowMessageBox(&form, "hidden form", 'i');
    EXPECT_EQ(last().owner, nullptr);
    QMainWindow main;
    main.show();
    SetMainForm(&main);
    ShowMessageBox(&form, "hidden form", 'i');
    EXPECT_EQ(last().owner, &main);
    form.show();
    ShowMessageBox(&form, "shown form", 'i');
    EXPECT_EQ(last().owner, &form);
}

TEST(Probes, MainFormHelpAndRandomRange)
{
    EXPECT_EQ(GetMainForm(), nullptr);
    auto registered = std::make_unique<QWidget>();
    SetMainForm(registered.get());
    EXPECT_EQ(GetMainForm(), registered.get());
    registered.reset();
    QMainWindow main;
    EXPECT_EQ(GetMainForm(), &main) << "a destroyed window is never returned";

    std::vector<std::string> calls;
    {
        const ScopedHelpHandler handler(
            {[&](const std::string &topic) { calls.push_back("show:" + topic); }, [&]() { calls.push_back("close"); }});
        ShowContentsHelp();
        ShowHelpKeyword("TheOptionswindow");
        CloseHelp();
    }
    ShowContentsHelp();
    EXPECT_EQ(calls, (std::vector<std::string>{"show:", "show:TheOptionswindow", "close"}));

    EXPECT_EQ(RandomRange(5, 3), 3);
    EXPECT_EQ(RandomRange(4, 4), 4);
    std::set<int> seen;
    for (int i = 0; i < 300; ++i)
        seen.insert(RandomRange(1, 3));
    EXPECT_EQ(seen, (std::set<int>{1, 2, 3}));
    RandomRange(INT32_MIN, INT32_MAX); // the widest range must not overflow
}
