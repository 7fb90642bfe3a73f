// Update lists that a broken or hostile server might send: the window always
// reaches its end state with one of its own texts, and nothing outside the
// program folder is touched (the fixture checks the folder's surroundings).

#include "tests/settings/update_window_fixture.h"

#include <random>

namespace {

struct BadList
{
    const char *what;
    std::string list;
    // Empty: the window apologises and closes.
    std::string finalStatus;
    size_t warnings = 0;
};

} // namespace

TEST_F(UpdateWindowTest, BadListsEndCleanly)
{
    TUpdateTimings timings = UpdateTimings();
    timings.PauseBetweenFilesMs = 0;
    SetUpdateTimings(timings);
    m_server->setFile("ok.txt", "fine\n");
    const std::string okLink = "Link: " + m_server->fileLink("ok.txt") + "\n";

    std::string binary(64 * 1024, '\0');
    std::mt19937 random(7);
    for (char &c : binary)
        c = char(random() & 0xFF);
    std::string manyFiles = "* Application\nVersion: 2.9\n";
    for (int i = 0; i < 300; ++i)
        manyFiles += "* f" + std::to_string(i) + ".txt\nLink: " + m_server->fileLink("none" + std::to_string(i)) + "\n";
    std::string huge;
    while (huge.size() < 10 * 1024 * 1024)
        huge += "filler line that is no key at all\r\n";
    huge += "* Application\r\nVersion: 2.9\r\n";

    const std::vector<BadList> cases = {
        {"binary", binary, "You already have the latest files."},
        {"ten megabytes", huge, "You already have the latest files."},
        {"line feeds only", "* Application\nVersion: 2.9\n* lf.txt\n" + okLink, "One file has been updated."},
        {"carriage returns only", "* Application\rVersion: 2.9\r* cr.txt\r" + okLink, kInstallationFailed},
        {"keys in the wrong case", "version: 3.0\nLINK: x\n* Application\nversion: 3.0\n",
         "You already have the latest files."},
        {"sections without keys", "* a.txt\n* b.txt\n", kInstallationFailed},
        {"keys before any section", "Version: 9.9\nLink: " + m_server->base() + "/x\n* Application\nVersion: 2.9\n",
         "You already have the latest files.", 2},
        {"dates and versions that are not numbers",
         "* Application\nVersion: two.ten\n* d.txt\nVersion: 20x6-1b-zz\nRequiresAppVersion: v3\n" + okLink,
         "One file has been updated."},
        {"hundreds of files", manyFiles, kInstallationFailed},
        {"traversal names", "* ../outside.txt\n" + okLink + "* ../../etc/x\n" + okLink + "* ..\n" + okLink
                                + "* sub/ok.txt\n" + okLink,
         kInstallationFailed},
        {"refused port", "* r.txt\nLink: " + zvotest::refusedLoopbackAddress() + "/r.txt\n", kInstallationFailed},
        {"local file link", "* passwd\nLink: file:///etc/passwd\n", kInstallationFailed},
        {"empty list", "", ""},
    };

    for (const BadList &bad : cases) {
        SCOPED_TRACE(bad.what);
        m_boxes->clear();
        m_server->setUpdateList(bad.list);
        QPointer<TCheckForUpdatesForm> form = runWindow(60000);
        if (bad.finalStatus.empty()) {
            EXPECT_TRUE(form.isNull());
            EXPECT_EQ(m_boxes->requests().size(), 1u);
            continue;
        }
        ASSERT_TRUE(form);
        EXPECT_EQ(statusOf(form), bad.finalStatus);
        EXPECT_EQ(form->ProgressBar1->value(), 100);
        EXPECT_TRUE(form->CancelCloseButton->isEnabled());
        EXPECT_EQ(m_boxes->requests().size(), bad.warnings);
        for (const shell::MessageBoxRequest &box : m_boxes->requests())
            EXPECT_EQ(box.icon, shell::MessageIcon::Exclamation);
        closeWindow(form);
    }

    // What was written went into the program folder and nowhere else.
    const auto files = programFiles();
    for (const auto &[name, content] : files)
        EXPECT_TRUE(name == "lf.txt" || name == "d.txt") << name;
    EXPECT_EQ(files.at("lf.txt"), "fine\r\n");
    EXPECT_FALSE(QFile::exists(QDir(m_root.path()).filePath(QStringLiteral("../etc/x"))));
}
