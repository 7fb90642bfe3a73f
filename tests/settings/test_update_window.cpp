#include "tests/settings/update_window_fixture.h"

#include "platform/rtl/DateTime.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <sys/time.h>

namespace {

void setModified(const QString &path, int year, int month, int day)
{
    const QDateTime when(QDate(year, month, day), QTime(12, 0));
    const struct timeval times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
    ASSERT_EQ(::utimes(path.toLocal8Bit().constData(), times), 0);
}

} // namespace

TEST_F(UpdateWindowTest, RunningVersionListedEndsWithNothingToDo)
{
    m_server->setUpdateListResponse([] {
        auto spec = zvotest::HttpResponseSpec::ok("* Application\r\nVersion: 2.9\r\nLink: http://127.0.0.1:1/dl\r\n");
        spec.delay = std::chrono::milliseconds(300);
        return spec;
    }());

    ShowCheckForUpdatesForm();
    std::vector<TCheckForUpdatesForm *> forms = openForms();
    ASSERT_EQ(forms.size(), 1u);
    QPointer<TCheckForUpdatesForm> form = forms.front();
    QSignalSpy finished(form.data(), &TCheckForUpdatesForm::runFinished);

    // While the list is on its way: the layout, nothing to press, no way out.
    EXPECT_EQ(form->windowTitle(), "Check online for latest version");
    EXPECT_EQ(form->size(), QSize(378, 99));
    EXPECT_FALSE(form->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(statusOf(form), "Getting update information...");
    EXPECT_EQ(form->ProgressBar1->value(), 5);
    EXPECT_EQ(form->CancelCloseButton->text(), "&Cancel");
    EXPECT_FALSE(form->CancelCloseButton->isEnabled());
    EXPECT_FALSE(form->GetUpdateButton->isEnabled());
    EXPECT_FALSE(form->close());
    QTest::keyClick(form.data(), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    // A second request brings the same window forward and starts no run.
    ShowCheckForUpdatesForm();
    EXPECT_EQ(openForms(), forms);

    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(m_server->requestedPaths(), std::vector<std::string>{"/updates/zvoupdates.txt"});
    EXPECT_EQ(statusOf(form), "You already have the latest files.");
    EXPECT_EQ(statusColor(form), kGreen);
    EXPECT_EQ(form->ProgressBar1->value(), 100);
    EXPECT_FALSE(form->GetUpdateButton->isEnabled());
    EXPECT_EQ(form->CancelCloseButton->text(), "&Close");
    EXPECT_TRUE(form->CancelCloseButton->isEnabled());
    EXPECT_EQ(form->focusWidget(), form->CancelCloseButton);
    EXPECT_TRUE(boxTexts().empty());

    QTest::keyClick(form.data(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(UpdateWindowTest, NewerApplicationOffersTheDownloadPage)
{
    // As text "2.10" normalised sorts below "2.9"; as a version it is newer.
    m_server->setUpdateList("* Application\nVersion: 2.10\nLink: " + m_server->base() + "/download?from=zvo\n");
    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(statusOf(form), "A new application version is available. Click the button below.");
    EXPECT_EQ(statusColor(form), kRed);
    EXPECT_TRUE(form->GetUpdateButton->isEnabled());
    EXPECT_EQ(form->focusWidget(), form->GetUpdateButton);

    form->GetUpdateButton->click();
    EXPECT_EQ(m_opened, std::vector<std::string>{m_server->base() + "/download?from=zvo"});
    closeWindow(form);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(UpdateWindowTest, OnlyDueFilesAreFetchedAndReplacedWithBackups)
{
    writeProgramFile("old.txt", "old line\r\n");
    setModified(programFile("old.txt"), 2020, 1, 1);
    writeProgramFile("newer.txt", "mine\r\n");
    m_server->setFile("old.txt", "new\n\n\nline\n");
    m_server->setFile("newer.txt", "theirs\n");
    m_server->setFile("missing.txt", "a\r\n\r\n\r\nb");
    m_server->setFile("future.txt", "not for this version\n");
    m_server->setUpdateList("* Application\r\nVersion: 2.9.0.0\r\n"
                            "* old.txt\r\nVersion: 2025-01-01\r\nLink: " + m_server->fileLink("old.txt") + "\r\n"
                            "* newer.txt\r\nVersion: 2020-01-01\r\nLink: " + m_server->fileLink("newer.txt") + "\r\n"
                            "* missing.txt\r\nVersion: 2024-06-01\r\nLink: " + m_server->fileLink("missing.txt") + "\r\n"
                            "* future.txt\r\nRequiresAppVersion: 2.10\r\nVersion: 2000-01-01\r\nLink: "
                            + m_server->fileLink("future.txt") + "\r\n");

    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(m_server->fetchedFiles(), (std::vector<std::string>{"old.txt", "missing.txt"}));
    EXPECT_EQ(programFiles(), (std::map<std::string, std::string>{{"old.txt", "new\r\nline\r\n"},
                                                                   {"old.bak", "old line\r\n"},
                                                                   {"newer.txt", "mine\r\n"},
                                                                   {"missing.txt", "a\r\nb"}}));
    EXPECT_EQ(statusOf(form), "2 files have been updated.");
    EXPECT_EQ(statusColor(form), kGreen);
    EXPECT_FALSE(form->GetUpdateButton->isEnabled());
    EXPECT_TRUE(form->UpdatesInstalled);

    closeWindow(form);
    ASSERT_EQ(boxTexts(), std::vector<std::string>{kRestartMessage});
    EXPECT_EQ(m_boxes->requests()[0].icon, shell::MessageIcon::Information);

    // The saved files now carry the current time, so the next run skips them.
    m_server->server().clearRequests();
    form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_TRUE(m_server->fetchedFiles().empty());
    EXPECT_EQ(statusOf(form), "You already have the latest files.");
    closeWindow(form);
    EXPECT_EQ(boxTexts().size(), 1u);
}

TEST_F(UpdateWindowTest, OneUpdatedFileHasItsOwnText)
{
    m_server->setFile("one.txt", "1\n");
    m_server->setUpdateList("* one.txt\nLink: " + m_server->fileLink("one.txt") + "\n");
    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(statusOf(form), "One file has been updated.");
    EXPECT_EQ(readProgramFile("one.txt"), "1\r\n");
    closeWindow(form);
}

TEST_F(UpdateWindowTest, ServerDownShowsTheApologyAndChangesNothing)
{
    writeProgramFile("ZVO-SearchEngines.txt", "engines\r\n");
    const auto before = programFiles();
    ::setenv("ZVO_UPDATE_SERVER", zvotest::refusedLoopbackAddress().c_str(), 1);

    QPointer<TCheckForUpdatesForm> form = runWindow();
    EXPECT_TRUE(form.isNull());
    ASSERT_EQ(m_boxes->requests().size(), 1u);
    const shell::MessageBoxRequest &box = m_boxes->requests()[0];
    EXPECT_EQ(box.text, "Sorry, an error occurred.\n\nPlease try again later, or go to "
                        "http://www.zarvello.example/?zvo to look for updates.");
    EXPECT_EQ(box.caption, "Zarvello");
    EXPECT_EQ(box.icon, shell::MessageIcon::Information);
    EXPECT_EQ(programFiles(), before);
    EXPECT_TRUE(openForms().empty());
}

TEST_F(UpdateWindowTest, RefusedNamesAndFailedDownloadsLeaveFilesAlone)
{
    writeProgramFile("data.txt", "keep\r\n");
    writeProgramFile("big.txt", "small\r\n");
    writeProgramFile("error.txt", "fine\r\n");
    TUpdateTimings timings = UpdateTimings();
    timings.MaxDownloadBytes = 4096;
    SetUpdateTimings(timings);
    m_server->setFile("outside.txt", "overwritten\n");
    m_server->setFileResponse("data.txt", zvotest::HttpResponseSpec::withStatus(404, "Not Found\n"));
    m_server->setFileResponse("error.txt", zvotest::HttpResponseSpec::withStatus(500, "Internal error\n"));
    m_server->setFile("big.txt", std::string(5000, 'x'));
    // Every section links to a served file; the server decides per name.
    const std::string due = "Version: 2099-01-01\n";
    const std::string list = "* ../outside.txt\n" + due + "Link: " + m_server->fileLink("outside.txt") + "\n"
                             "* data.txt\n" + due + "Link: " + m_server->fileLink("data.txt") + "\n"
                             "* error.txt\n" + due + "Link: " + m_server->fileLink("error.txt") + "\n"
                             "* big.txt\n" + due + "Link: " + m_server->fileLink("big.txt") + "\n"
                             "* /tmp/zvo-update-absolute.txt\nLink: " + m_server->fileLink("outside.txt") + "\n";
    m_server->setUpdateList(list);
    const auto before = programFiles();

    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(statusOf(form), kInstallationFailed);
    EXPECT_EQ(statusColor(form), kRed);
    EXPECT_TRUE(form->GetUpdateButton->isEnabled());
    EXPECT_EQ(form->focusWidget(), form->GetUpdateButton);
    EXPECT_EQ(m_server->fetchedFiles(), (std::vector<std::string>{"data.txt", "error.txt", "big.txt"}));
    EXPECT_EQ(programFiles(), before);
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/zvo-update-absolute.txt")));

    // The button leads to the default download page.
    form->GetUpdateButton->click();
    EXPECT_EQ(m_opened, std::vector<std::string>{"http://www.zarvello.example/?zvo"});
    closeWindow(form);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(UpdateWindowTest, StalledServerEndsInTheFailurePath)
{
    writeProgramFile("slow.txt", "before\r\n");
    m_server->setFileResponse("slow.txt", zvotest::HttpResponseSpec::hang());
    m_server->setFileResponse("drip.txt", zvotest::HttpResponseSpec::trickle("abc", 1, std::chrono::seconds(5)));
    m_server->setUpdateList("* slow.txt\nLink: " + m_server->fileLink("slow.txt") + "\n"
                            "* drip.txt\nLink: " + m_server->fileLink("drip.txt") + "\n");

    QElapsedTimer clock;
    clock.start();
    QPointer<TCheckForUpdatesForm> form = runWindow(20000);
    ASSERT_TRUE(form);
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_EQ(statusOf(form), kInstallationFailed);
    EXPECT_EQ(readProgramFile("slow.txt"), "before\r\n");
    EXPECT_FALSE(QFile::exists(programFile("drip.txt")));
    closeWindow(form);
}

TEST_F(UpdateWindowTest, SchedulerOpensTheWindowOnYesAndWaitsForIt)
{
    m_server->setUpdateList("* Application\nVersion: 2.9\n");
    const std::string savedInterval = CheckForUpdatesInterval;
    const std::string savedDate = CheckForUpdatesLastDate;
    CheckForUpdatesInterval = "Every Day";
    CheckForUpdatesLastDate = "2026-12-01";
    const rtl::TDateTime today = rtl::EncodeDate(2026, 12, 6);
    SetUpdateClock([today] { return today; });
    m_boxes->script(shell::ResultYes);

    // Closes the window once its run is over, as a user would.
    bool sawWindow = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (TCheckForUpdatesForm *form : openForms()) {
            sawWindow = true;
            if (!form->IsRunning())
                form->CancelCloseButton->click();
        }
    });
    closer.start(20);
    CheckForUpdatesIfDue(true);
    closer.stop();

    EXPECT_TRUE(sawWindow);
    EXPECT_TRUE(openForms().empty());
    EXPECT_EQ(CheckForUpdatesLastDate, "2026-12-06");
    EXPECT_EQ(m_server->requestedPaths(), std::vector<std::string>{"/updates/zvoupdates.txt"});
    SetUpdateClock({});
    CheckForUpdatesInterval = savedInterval;
    CheckForUpdatesLastDate = savedDate;
}
