// Update lists a broken or hostile server might send: the window reaches its
// end state with its own texts, and nothing outside the program folder is
// touched (the fixture checks the folder's surroundings).

#include "tests/settings/update_window_fixture.h"

#include <random>

TEST_F(UpdateWindowTest, BadListsEndCleanly)
{
    SetUpdateTimings({0, 3000, 1}); // no pause between files
    server.setFile("ok.txt", "fine\n");
    const std::string ok = "Link: " + server.fileLink("ok.txt") + "\n";
    std::string binary(64 * 1024, '\0');
    std::mt19937 random(7);
    for (char &c : binary)
        c = char(random() & 0xFF);
    std::string many = "* Application\nVersion: 2.9\n";
    for (int i = 0; i < 300; ++i)
        many += "* f" + std::to_string(i) + ".txt\nLink: " + server.fileLink("none" + std::to_string(i)) + "\n";
    std::string huge;
    while (huge.size() < 10 * 1024 * 1024)
        huge += "filler line that is no key at all\r\n";

    struct Case
    {
        std::string list;
        std::string status; // empty: the window apologises and closes
        size_t warnings = 0;
    };
    const std::vector<Case> cases = {
        {binary, kLatest},
        {huge + "* Application\r\nVersion: 2.9\r\n", kLatest},
        {"* Application\nVersion: 2.9\n* lf.txt\n" + ok, "One file has been updated."},
        {"* Application\rVersion: 2.9\r* cr.txt\r" + ok, kFailed},
        {"version: 3.0\nLINK: x\n* Application\nversion: 3.0\n", kLatest},
        {"* a.txt\n* b.txt\n", kFailed},
        {"Version: 9.9\nLink: " + server.base() + "/x\n* Application\nVersion: 2.9\n", kLatest, 2},
        {"* Application\nVersion: two.ten\n* d.txt\nVersion: 20x6-1b-zz\nRequiresAppVersion: v3\n" + ok,
         "One file has been updated."},
        {many, kFailed},
        {"* ../outside.txt\n" + ok + "* ..\n" + ok + "* sub/ok.txt\n" + ok, kFailed},
        {"* r.txt\nLink: " + zvotest::refusedLoopbackAddress() + "/r.txt\n", kFailed},
        {"* passwd\nLink: file:///etc/passwd\n", kFailed},
        {"", ""},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        boxes.clear();
        server.setUpdateList(cases[i].list);
        QPointer<TCheckForUpdatesForm> form = runWindow(60000);
        if (cases[i].status.empty()) {
            EXPECT_TRUE(form.isNull());
            EXPECT_EQ(boxes.requests().size(), 1u);
            continue;
        }
        ASSERT_TRUE(form);
        EXPECT_EQ(status(form), cases[i].status);
        EXPECT_EQ(form->ProgressBar1->value(), 100);
        EXPECT_EQ(boxes.requests().size(), cases[i].warnings);
        closeWindow(form);
    }
    EXPECT_EQ(server.fetchedFiles().size(), 2u + 300u);
    EXPECT_EQ(programFiles(), (std::map<std::string, std::string>{{"lf.txt", "fine\r\n"}, {"d.txt", "fine\r\n"}}));
}
