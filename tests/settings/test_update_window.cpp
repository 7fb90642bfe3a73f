#include "tests/settings/update_window_fixture.h"

#include "platform/rtl/DateTime.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <sys/time.h>

using Strings = std::vector<std::string>;

TEST_F(UpdateWindowTest, RunningVersionListedEndsWithNothingToDo)
{
    auto list = zvotest::HttpResponseSpec::ok("* Application\r\nVersion: 2.9\r\nLink: http://127.0.0.1:1/\r\n");
    list.delay = std::chrono::milliseconds(300);
    server.setUpdateListResponse(list);
    ShowCheckForUpdatesForm();
    const std::vector<TCheckForUpdatesForm *> forms = openForms();
    ASSERT_EQ(forms.size(), 1u);
    QPointer<TCheckForUpdatesForm> form = forms.front();
    QSignalSpy finished(form.data(), &TCheckForUpdatesForm::runFinished);

    // While the list is on its way nothing can be pressed and nothing closes
    // the window; a second request brings the same window forward.
    EXPECT_EQ(status(form), "Getting update information...");
    EXPECT_EQ(form->ProgressBar1->value(), 5);
    EXPECT_FALSE(form->CancelCloseButton->isEnabled() || form->GetUpdateButton->isEnabled());
    EXPECT_FALSE(form->close());
    QTest::keyClick(form.data(), Qt::Key_Escape);
    ShowCheckForUpdatesForm();
    EXPECT_EQ(openForms(), forms);

    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(server.requestedPaths(), Strings{"/updates/zvoupdates.txt"});
    EXPECT_EQ(status(form), kLatest);
    EXPECT_EQ(color(form), kGreen);
    EXPECT_EQ(form->ProgressBar1->value(), 100);
    EXPECT_FALSE(form->GetUpdateButton->isEnabled());
    EXPECT_EQ(form->CancelCloseButton->text(), "&Close");
    EXPECT_EQ(form->focusWidget(), form->CancelCloseButton);
    QTest::keyClick(form.data(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(UpdateWindowTest, NewerApplicationOffersTheDownloadPage)
{
    // Without dots "2.10" reads 2100 and would sort below 2900.
    server.setUpdateList("* Application\nVersion: 2.10\nLink: " + server.base() + "/dl?zvo\n");
    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(status(form), "A new application version is available. Click the button below.");
    EXPECT_EQ(color(form), kRed);
    EXPECT_EQ(form->focusWidget(), form->GetUpdateButton);
    form->GetUpdateButton->click();
    EXPECT_EQ(opened, Strings{server.base() + "/dl?zvo"});
    closeWindow(form);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(UpdateWindowTest, OnlyDueFilesAreFetchedAndReplacedWithBackups)
{
    write("old.txt", "old line\r\n");
    const struct timeval y2020[2] = {{1577880000, 0}, {1577880000, 0}};
    ASSERT_EQ(::utimes(file("old.txt").toLocal8Bit().constData(), y2020), 0);
    write("newer.txt", "mine\r\n");
    server.setFile("old.txt", "new\n\n\nline\n");
    server.setFile("missing.txt", "a\r\n\r\n\r\nb");
    server.setUpdateList("* Application\r\nVersion: 2.9.0.0\r\n"
                         "* old.txt\r\nVersion: 2025-01-01\r\nLink: " + server.fileLink("old.txt") + "\r\n"
                         "* newer.txt\r\nVersion: 2020-01-01\r\nLink: " + server.fileLink("newer.txt") + "\r\n"
                         "* missing.txt\r\nVersion: 2024-06-01\r\nLink: " + server.fileLink("missing.txt") + "\r\n"
                         "* future.txt\r\nRequiresAppVersion: 2.10\r\nLink: " + server.fileLink("future.txt") + "\r\n");

    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(server.fetchedFiles(), (Strings{"old.txt", "missing.txt"}));
    EXPECT_EQ(programFiles(), (std::map<std::string, std::string>{{"old.txt", "new\r\nline\r\n"},
                                                                   {"old.bak", "old line\r\n"},
                                                                   {"newer.txt", "mine\r\n"},
                                                                   {"missing.txt", "a\r\nb"}}));
    EXPECT_EQ(status(form), "2 files have been updated.");
    EXPECT_EQ(color(form), kGreen);
    EXPECT_FALSE(form->GetUpdateButton->isEnabled());
    closeWindow(form);
    EXPECT_EQ(boxTexts(), Strings{"To take advantage of the update, you must quit Zarvello and restart it."});

}

TEST_F(UpdateWindowTest, ServerDownShowsTheApologyAndChangesNothing)
{
    ::setenv("ZVO_UPDATE_SERVER", zvotest::refusedLoopbackAddress().c_str(), 1);
    QPointer<TCheckForUpdatesForm> form = runWindow();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(boxTexts(), Strings{"Sorry, an error occurred.\n\nPlease try again later, or go to "
                                  "http://www.zarvello.example/?zvo to look for updates."});
    EXPECT_TRUE(programFiles().empty());
}

TEST_F(UpdateWindowTest, RefusedNamesAndFailedDownloadsLeaveFilesAlone)
{
    for (const char *name : {"data.txt", "error.txt", "big.txt", "slow.txt"})
        write(name, "keep\r\n");
    TUpdateTimings timings = UpdateTimings();
    timings.MaxDownloadBytes = 4096;
    SetUpdateTimings(timings);
    server.setFile("outside.txt", "overwritten\n");
    server.setFileResponse("data.txt", zvotest::HttpResponseSpec::withStatus(404, "Not Found\n"));
    server.setFileResponse("error.txt", zvotest::HttpResponseSpec::withStatus(500, "Internal error\n"));
    server.setFile("big.txt", std::string(5000, 'x'));
    server.setFileResponse("slow.txt", zvotest::HttpResponseSpec::hang());
    std::string list;
    for (const std::string name : {"../outside.txt", "/tmp/zvo-outside.txt", "data.txt", "error.txt", "big.txt",
                                   "slow.txt"})
        list += "* " + name + "\nVersion: 2099-01-01\nLink: " + server.fileLink(QFileInfo(name.c_str())
                                                                                 .fileName().toStdString()) + "\n";
    server.setUpdateList(list);

    QElapsedTimer clock;
    clock.start();
    QPointer<TCheckForUpdatesForm> form = runWindow(20000);
    ASSERT_TRUE(form);
    // The stalled server ends in the failure path after the stall time-out.
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(status(form), kFailed);
    EXPECT_EQ(color(form), kRed);
    EXPECT_EQ(form->focusWidget(), form->GetUpdateButton);
    EXPECT_EQ(server.fetchedFiles(), (Strings{"data.txt", "error.txt", "big.txt", "slow.txt"}));
    for (const auto &[name, content] : programFiles())
        EXPECT_EQ(content, "keep\r\n") << name;
    EXPECT_FALSE(QFile::exists("/tmp/zvo-outside.txt"));
    form->GetUpdateButton->click();
    EXPECT_EQ(opened, Strings{"http://www.zarvello.example/?zvo"});
    closeWindow(form);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(UpdateWindowTest, SchedulerOpensTheWindowOnYesAndWaitsForIt)
{
    server.setUpdateList("* Application\nVersion: 2.9\n");
    CheckForUpdatesInterval = "Every Day";
    CheckForUpdatesLastDate = "2026-12-01";
    SetUpdateClock([] { return rtl::EncodeDate(2026, 12, 6); });
    boxes.script(shell::ResultYes);
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
    SetUpdateClock({});
    EXPECT_TRUE(sawWindow);
    EXPECT_TRUE(openForms().empty());
    EXPECT_EQ(server.requestedPaths(), Strings{"/updates/zvoupdates.txt"});
}
