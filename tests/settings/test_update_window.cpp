// The program folder inside a temporary root (so that anything written beside
// it shows), a pinned version 2.9, short waits, recorded message boxes and
// links, and the fake update server the window talks to.

#include "foundation/MyOptions.h"
#include "platform/rtl/DateTime.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"
#include "platform/shell/Modal.h"
#include "settings/CheckForUpdatesFormUnit.h"
#include "settings/CheckForUpdatesUnit.h"
#include "tests/support/FakeUpdateServer.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include <sys/time.h>

using namespace foundation;
using namespace settings;

class UpdateWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_root.path()).mkdir("program"));
        UseProxy = false;
        ASSERT_TRUE(server.isRunning());
        ASSERT_TRUE(zvotest::writeFile(m_root.filePath("outside.txt"), "outside"));
    }

    void TearDown() override
    {
        for (TCheckForUpdatesForm *form : openForms())
            form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(zvotest::readFile(m_root.filePath("outside.txt")), "outside");
        EXPECT_EQ(QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  (QStringList{"outside.txt", "program"}));
    }

    QString file(const std::string &name) const { return m_root.filePath("program/" + QString::fromStdString(name)); }
    void write(const std::string &name, const std::string &content) const
    {
        ASSERT_TRUE(zvotest::writeFile(file(name), content));
    }
    // Name -> content of every file in the program folder.
    std::map<std::string, std::string> programFiles() const
    {
        std::map<std::string, std::string> files;
        for (const QString &name : QDir(m_root.filePath("program")).entryList(QDir::Files | QDir::Hidden))
            files[name.toStdString()] = zvotest::readFile(file(name.toStdString()));
        return files;
    }

    static std::vector<TCheckForUpdatesForm *> openForms()
    {
        std::vector<TCheckForUpdatesForm *> forms;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *form = qobject_cast<TCheckForUpdatesForm *>(widget); form && form->isVisible())
                forms.push_back(form);
        return forms;
    }

    // Opens the window the way the program does and waits for its run to end.
    QPointer<TCheckForUpdatesForm> runWindow(int timeoutMs = 15000)
    {
        ShowCheckForUpdatesForm();
        if (openForms().size() != 1) {
            ADD_FAILURE() << "one update window expected";
            return nullptr;
        }
        QPointer<TCheckForUpdatesForm> form = openForms().front();
        EXPECT_TRUE(QSignalSpy(form.data(), &TCheckForUpdatesForm::runFinished).wait(timeoutMs));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form;
    }

    static std::string status(const TCheckForUpdatesForm *form) { return form->StatusLabel->text().toStdString(); }
    static QColor color(const TCheckForUpdatesForm *f) { return f->StatusLabel->palette().color(QPalette::WindowText); }
    static void closeWindow(QPointer<TCheckForUpdatesForm> &form)
    {
        form->CancelCloseButton->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull());
    }

    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto &request : boxes.requests())
            texts.push_back(request.text.toStdString());
        return texts;
    }

    QTemporaryDir m_root;
    shell::RecordingMessageBoxes boxes;
    zvotest::FakeUpdateServer server;
    std::vector<std::string> opened;
    shell::ScopedProgramFolder m_programFolder{m_root.filePath("program")};
    shell::ScopedProgramVersion m_version{shell::ProgramVersion{2, 9, 0, 0}};
    // Pause between files 5 ms, connect 3000 ms, stall 1 s.
    ScopedUpdateTimings m_timings{TUpdateTimings{5, 3000, 1}};
    shell::ScopedUrlOpener m_opener{[this](const QString &url) { opened.push_back(url.toStdString()); }};
};

inline const QColor Green(0, 153, 0);
inline const QColor Red(255, 0, 0);
inline const std::string FailedStatus = "Installation failed. Click the button below.";
inline const std::string LatestStatus = "You already have the latest files.";

using Strings = std::vector<std::string>;

TEST_F(UpdateWindowTest, RunningVersionListedEndsWithNothingToDo)
{
    auto list = zvotest::CannedHttpReply::ok("* Application\r\nVersion: 2.9\r\nLink: http://127.0.0.1:1/\r\n");
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
    EXPECT_EQ(status(form), LatestStatus);
    EXPECT_EQ(color(form), Green);
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
    EXPECT_EQ(color(form), Red);
    EXPECT_EQ(form->focusWidget(), form->GetUpdateButton);
    form->GetUpdateButton->click();
    EXPECT_EQ(opened, Strings{server.base() + "/dl?zvo"});
    closeWindow(form);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(UpdateWindowTest, ADownloadPageThatIsNoWebPageIsNotOpened)
{
    server.setUpdateList("* Application\nVersion: 3.0\nLink: file:///etc/passwd\n");
    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    ASSERT_TRUE(form->GetUpdateButton->isEnabled());
    form->GetUpdateButton->click();
    EXPECT_EQ(opened, Strings{});
    closeWindow(form);
}

TEST_F(UpdateWindowTest, ANameInTheListIsShownAsItStandsNeverAsMarkup)
{
    // As markup, <img src="..."> would have the label read a local file, a
    // pipe or a device among them.
    const std::string name = "<b>a</b><br><br><br><img src=\"missing.png\">";
    server.setUpdateList("* " + name + "\nRequiresAppVersion: 99\n");
    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    const QLabel *label = form->StatusLabel;
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_LT(label->sizeHint().height(), 2 * label->fontMetrics().height());
    closeWindow(form);
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
                         "* old.txt\r\nVersion: 2025-01-01\r\nLink: " +
                         server.fileLink("old.txt") +
                         "\r\n"
                         "* newer.txt\r\nVersion: 2020-01-01\r\nLink: " +
                         server.fileLink("newer.txt") +
                         "\r\n"
                         "* missing.txt\r\nVersion: 2024-06-01\r\nLink: " +
                         server.fileLink("missing.txt") +
                         "\r\n"
                         "* future.txt\r\nRequiresAppVersion: 2.10\r\nLink: " +
                         server.fileLink("future.txt") + "\r\n");

    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(server.fetchedFiles(), (Strings{"old.txt", "missing.txt"}));
    EXPECT_EQ(programFiles(), (std::map<std::string, std::string>{{"old.txt", "new\r\nline\r\n"},
                                                                  {"old.bak", "old line\r\n"},
                                                                  {"newer.txt", "mine\r\n"},
                                                                  {"missing.txt", "a\r\nb"}}));
    EXPECT_EQ(status(form), "2 files have been updated.");
    EXPECT_EQ(color(form), Green);
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

// A server that drips a byte every 100 ms never trips the stall time-out; the
// bound of the whole transfer ends the wait, for the list and for a file.
TEST_F(UpdateWindowTest, DrippingServerEndsAtTheTransferLimit)
{
    TUpdateTimings timings = UpdateTimings();
    timings.StallTimeoutSeconds = 30;
    timings.TransferTimeLimitMs = 1000;
    const ScopedUpdateTimings dripping(timings);
    const auto drip = zvotest::CannedHttpReply::trickle(std::string(1000, 'x'), 1, std::chrono::milliseconds(100));

    server.setUpdateListResponse(drip);
    QPointer<TCheckForUpdatesForm> form = runWindow(10000);
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(boxTexts(), Strings{"Sorry, an error occurred.\n\nPlease try again later, or go to "
                                  "http://www.zarvello.example/?zvo to look for updates."});

    boxes.clear();
    server.setUpdateList("* slow.txt\nLink: " + server.fileLink("slow.txt") + "\n");
    server.setFileResponse("slow.txt", drip);
    form = runWindow(10000);
    ASSERT_TRUE(form);
    EXPECT_EQ(status(form), FailedStatus);
    EXPECT_TRUE(form->CancelCloseButton->isEnabled());
    EXPECT_TRUE(programFiles().empty());
    closeWindow(form);
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(UpdateWindowTest, RefusedNamesAndFailedDownloadsLeaveFilesAlone)
{
    for (const char *name : {"data.txt", "error.txt", "big.txt", "slow.txt"})
        write(name, "keep\r\n");
    TUpdateTimings timings = UpdateTimings();
    timings.MaxDownloadBytes = 4096;
    const ScopedUpdateTimings smallDownloads(timings);
    server.setFile("outside.txt", "overwritten\n");
    server.setFileResponse("data.txt", zvotest::CannedHttpReply::withStatus(404, "Not Found\n"));
    server.setFileResponse("error.txt", zvotest::CannedHttpReply::withStatus(500, "Internal error\n"));
    server.setFile("big.txt", std::string(5000, 'x'));
    server.setFileResponse("slow.txt", zvotest::CannedHttpReply::hang());
    std::string list;
    for (const std::string name :
         {"../outside.txt", "/tmp/zvo-outside.txt", "data.txt", "error.txt", "big.txt", "slow.txt"})
        list += "* " + name +
                "\nVersion: 2099-01-01\nLink: " + server.fileLink(QFileInfo(name.c_str()).fileName().toStdString()) +
                "\n";
    server.setUpdateList(list);

    QElapsedTimer clock;
    clock.start();
    QPointer<TCheckForUpdatesForm> form = runWindow(20000);
    ASSERT_TRUE(form);
    // The stalled server ends in the failure path after the stall time-out.
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(status(form), FailedStatus);
    EXPECT_EQ(color(form), Red);
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

// Whoever answers in the update server's place names the program, its
// helpers and the user's files: none of them is fetched or written, the log
// names each, and the data files still update, an executable-looking one
// from a memory stick too.
TEST_F(UpdateWindowTest, TheProgramsOwnFilesAreNeverReplaced)
{
    static std::vector<std::string> logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { logged.push_back(text.toStdString()); });
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });

    const std::string program = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    const Strings own = {program,       "Options.ini", "Domain-Data.txt", ".Zarvello.lock",
                         "libzvo.so.1", "helper",      "Domain-Data.bak"};
    for (const std::string &name : own)
        write(name, name == "helper" ? "#!/bin/sh\n" : "mine\r\n");
    write("ZVO-RowIcon.png", "old icon");
    ASSERT_TRUE(QFile::setPermissions(file("ZVO-RowIcon.png"), QFile::permissions(file("ZVO-RowIcon.png")) |
                                                                   QFileDevice::ExeOwner | QFileDevice::ExeOther));
    std::string list;
    for (const std::string &name : own) {
        server.setFile(name, "replaced\n");
        list += "* " + name + "\nVersion: 2099-01-01\nLink: " + server.fileLink(name) + "\n";
    }
    server.setFile("ZVO-RowIcon.png", "new icon");
    list += "* ZVO-RowIcon.png\nVersion: 2099-01-01\nLink: " + server.fileLink("ZVO-RowIcon.png") + "\n";
    server.setUpdateList(list);

    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(status(form), FailedStatus);
    EXPECT_EQ(server.fetchedFiles(), Strings{"ZVO-RowIcon.png"});
    for (const std::string &name : own) {
        EXPECT_EQ(zvotest::readFile(file(name)), name == "helper" ? "#!/bin/sh\n" : "mine\r\n") << name;
        const std::string line = "Update: \"" + name + "\" refused: one of the program's own files, not a data file";
        EXPECT_NE(std::find(logged.begin(), logged.end(), line), logged.end()) << name;
    }
    EXPECT_EQ(zvotest::readFile(file("ZVO-RowIcon.png")), "new icon");
    closeWindow(form);
}

// The set-aside list is the user's only copy of a list the program could
// not read; and a file the list names twice would lose its ".bak", the copy
// from before the run, to the second body. Neither is written.
TEST_F(UpdateWindowTest, TheSetAsideListAndANameGivenTwiceAreNeverWritten)
{
    static std::vector<std::string> logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { logged.push_back(text.toStdString()); });
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });

    write("Domain-Data.txt.bad", "only copy\r\n");
    write("ZVO-Domains.txt", "old.example*1*2*3*4*5*6\r\n");
    std::string list;
    for (const std::string name : {"Domain-Data.txt.bad", "Domain-Data.txt.bad", "Domain-Data.txt.bad.1",
                                   "Options.ini.bad", "ZVO-Domains.txt", "zvo-domains.TXT", "about.gif"}) {
        server.setFile(name, name + "\n");
        list += "* " + name + "\nVersion: 2099-01-01\nLink: " + server.fileLink(name) + "\n";
    }
    server.setUpdateList(list);

    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(status(form), FailedStatus);
    EXPECT_EQ(server.fetchedFiles(), Strings{"about.gif"});
    EXPECT_EQ(programFiles(), (std::map<std::string, std::string>{
                                  {"Domain-Data.txt.bad", "only copy\r\n"},
                                  {"ZVO-Domains.txt", "old.example*1*2*3*4*5*6\r\n"},
                                  {"about.gif", "about.gif\r\n"},
                              }));
    for (const std::string line : {"Update: \"Domain-Data.txt.bad.1\" refused: one of the program's own files",
                                   "Update: \"ZVO-Domains.txt\" refused: named more than once in the list",
                                   "Update: \"zvo-domains.TXT\" refused: named more than once in the list"})
        EXPECT_NE(std::find_if(logged.begin(), logged.end(), [&](const std::string &l) { return l.starts_with(line); }),
                  logged.end())
            << line;
    closeWindow(form);
}

// A table the program could not use would stop every start while the good
// one sat unused as its ".bak": it is not installed, and the log says why.
TEST_F(UpdateWindowTest, AnEngineTableTheProgramCannotUseIsNotInstalled)
{
    static std::vector<std::string> logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { logged.push_back(text.toStdString()); });
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });

    const std::string good = "Good:http://e.example/?q=YOURDOMAIN.COM\r\n";
    std::string tooMany;
    for (int i = 0; i <= 1000; ++i)
        tooMany += "E" + std::to_string(i) + ":http://e.example/?q=YOURDOMAIN.COM\n";
    for (const std::string &served : {std::string("<html>Moved</html>\n"), tooMany}) {
        write("ZVO-SearchEngines.txt", good);
        server.setFile("ZVO-SearchEngines.txt", served);
        server.setUpdateList(
            "* ZVO-SearchEngines.txt\nVersion: 2099-01-01\nLink: " + server.fileLink("ZVO-SearchEngines.txt") + "\n");
        QPointer<TCheckForUpdatesForm> form = runWindow();
        ASSERT_TRUE(form);
        EXPECT_EQ(status(form), FailedStatus);
        EXPECT_EQ(programFiles(), (std::map<std::string, std::string>{{"ZVO-SearchEngines.txt", good}}));
        ASSERT_FALSE(logged.empty());
        EXPECT_TRUE(logged.back().starts_with("Update: \"ZVO-SearchEngines.txt\" failed: not installed: the engine "
                                              "table holds "))
            << logged.back();
        closeWindow(form);
    }
    // A table the program can use installs, with the old one as its ".bak".
    server.setFile("ZVO-SearchEngines.txt", "New:http://n.example/?q=YOURDOMAIN.COM\n");
    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(status(form), "One file has been updated.");
    EXPECT_EQ(programFiles(), (std::map<std::string, std::string>{
                                  {"ZVO-SearchEngines.txt", "New:http://n.example/?q=YOURDOMAIN.COM\r\n"},
                                  {"ZVO-SearchEngines.bak", good}}));
    closeWindow(form);
}

// Names the runtime reads from the program folder as configuration or code
// are refused, each with its reason in the log; the stored counts and the
// report library's texts are data files and update with their ".bak".
TEST_F(UpdateWindowTest, WhatQtOrTheBrowserReadsIsRefusedAndTheStoredCountsInstall)
{
    static std::vector<std::string> logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { logged.push_back(text.toStdString()); });
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });

    const std::map<std::string, std::string> refused = {
        {"qt.conf", "Qt's configuration"},        {"Qt6.conf", "Qt's configuration"},
        {"QtWebEngineProcess", "helper program"}, {"qtwebengine_resources.pak", "resource of the web engine"},
        {"Zarvello.desktop", "launcher"},
    };
    write("ZVO-Domains.txt", "old.example*1*2*3*4*5*6\r\n");
    write("bvPrint.dft", "43117=Line\r\n");
    std::string list;
    for (const std::string name : {"qt.conf", "Qt6.conf", "QtWebEngineProcess", "qtwebengine_resources.pak",
                                   "Zarvello.desktop", "ZVO-Domains.txt", "bvPrint.dft"}) {
        server.setFile(name, name == "ZVO-Domains.txt" ? "new.example*7*1*1*1*1*1\n"
                             : name == "bvPrint.dft"   ? "43117=Line drawn\n"
                                                       : "[Paths]\nPrefix=/tmp/x\n");
        list += "* " + name + "\nVersion: 2099-01-01\nLink: " + server.fileLink(name) + "\n";
    }
    server.setUpdateList(list);

    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(status(form), FailedStatus);
    EXPECT_EQ(server.fetchedFiles(), (Strings{"ZVO-Domains.txt", "bvPrint.dft"}));
    EXPECT_EQ(programFiles(), (std::map<std::string, std::string>{
                                  {"ZVO-Domains.txt", "new.example*7*1*1*1*1*1\r\n"},
                                  {"ZVO-Domains.bak", "old.example*1*2*3*4*5*6\r\n"},
                                  {"bvPrint.dft", "43117=Line drawn\r\n"},
                                  {"bvPrint.bak", "43117=Line\r\n"},
                              }));
    for (const auto &entry : refused) {
        const std::string &name = entry.first;
        const std::string &reason = entry.second;
        const std::string start = "Update: \"" + name + "\" refused: ";
        EXPECT_NE(std::find_if(logged.begin(), logged.end(),
                               [&](const std::string &line) {
                                   return line.starts_with(start) && line.find(reason) != std::string::npos;
                               }),
                  logged.end())
            << name;
    }
    closeWindow(form);
}

// A file that fails for any other reason than a refused name is named in the
// log with the reason, as a refused one is.
TEST_F(UpdateWindowTest, EveryFailedFileIsLoggedWithItsReason)
{
    static std::vector<std::string> logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { logged.push_back(text.toStdString()); });
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });

    const std::string long255 = std::string(251, 'n') + ".txt";
    const std::string long256 = std::string(252, 'n') + ".txt";
    server.setFile(long255, "data\n");
    server.setFile(long256, "data\n");
    server.setFileResponse("moved.txt", zvotest::CannedHttpReply::redirect("file:///etc/passwd"));
    server.setFileResponse("gone.txt", zvotest::CannedHttpReply::withStatus(404, "Not Found\n"));
    const std::vector<std::pair<std::string, std::string>> files = {
        {long255, server.fileLink(long255)},       {long256, server.fileLink(long256)},
        {"local.txt", "file:///etc/passwd"},       {"gopher.txt", "gopher://127.0.0.1:1/0x"},
        {"scp.txt", "scp://127.0.0.1/etc/passwd"}, {"moved.txt", server.fileLink("moved.txt")},
        {"gone.txt", server.fileLink("gone.txt")}, {"nolink.txt", ""},
    };
    std::string list;
    for (const auto &[name, link] : files)
        list += "* " + name + "\nVersion: 2099-01-01\n" + (link.empty() ? "" : "Link: " + link + "\n");
    server.setUpdateList(list);

    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(status(form), FailedStatus);
    for (const auto &[name, link] : files) {
        const std::string start = "Update: \"" + name + "\" failed: ";
        const auto line = std::find_if(logged.begin(), logged.end(),
                                       [&](const std::string &text) { return text.starts_with(start); });
        ASSERT_NE(line, logged.end()) << name;
        EXPECT_GT(line->size(), start.size() + 8) << *line;
        EXPECT_EQ(line->find('\n'), std::string::npos) << *line;
    }
    EXPECT_TRUE(programFiles().empty());
    closeWindow(form);
}

TEST_F(UpdateWindowTest, SchedulerOpensTheWindowOnYesAndWaitsForIt)
{
    server.setUpdateList("* Application\nVersion: 2.9\n");
    CheckForUpdatesInterval = "Every Day";
    CheckForUpdatesLastDate = "2026-12-01";
    const ScopedUpdateClock clock([] { return rtl::EncodeDate(2026, 12, 6); });
    boxes.script(shell::IDYES);
    // Closes the window once its run is over, as a user would.
    shell::ScriptedDialogs dialogs;
    bool ended = false;
    dialogs.drive<TCheckForUpdatesForm>([&](TCheckForUpdatesForm &form) {
        ended = !form.IsRunning() || QSignalSpy(&form, &TCheckForUpdatesForm::runFinished).wait(15000);
        form.CancelCloseButton->click();
    });
    CheckForUpdatesIfDue(true);
    EXPECT_TRUE(ended);
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("settings::TCheckForUpdatesForm")});
    EXPECT_TRUE(openForms().empty());
    EXPECT_EQ(server.requestedPaths(), Strings{"/updates/zvoupdates.txt"});
}

// Update lists a broken or hostile server might send: the window reaches its
// end state with its own texts, and nothing outside the program folder is
// touched (the fixture checks the folder's surroundings).
TEST_F(UpdateWindowTest, BadListsEndCleanly)
{
    // No case here waits on a stalled server, so the stall time-out is long:
    // the 10 MB list, sent by a server thread starved on a busy machine, must
    // not be cut off by it.
    const ScopedUpdateTimings noPause(TUpdateTimings{0, 3000, 10});
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
        {binary, LatestStatus},
        {huge + "* Application\r\nVersion: 2.9\r\n", LatestStatus},
        {"* Application\nVersion: 2.9\n* lf.txt\n" + ok, "One file has been updated."},
        {"* Application\rVersion: 2.9\r* cr.txt\r" + ok, FailedStatus},
        {"version: 3.0\nLINK: x\n* Application\nversion: 3.0\n", LatestStatus},
        {"* a.txt\n* b.txt\n", FailedStatus},
        {"Version: 9.9\nLink: " + server.base() + "/x\n* Application\nVersion: 2.9\n", LatestStatus, 2},
        {"* Application\nVersion: two.ten\n* d.txt\nVersion: 20x6-1b-zz\nRequiresAppVersion: v3\n" + ok,
         "One file has been updated."},
        {many, FailedStatus},
        {"* ../outside.txt\n" + ok + "* ..\n" + ok + "* sub/ok.txt\n" + ok, FailedStatus},
        {"* r.txt\nLink: " + zvotest::refusedLoopbackAddress() + "/r.txt\n", FailedStatus},
        {"* passwd\nLink: file:///etc/passwd\n", FailedStatus},
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

// The list's author chooses the names' bytes: a control character reaches
// the log as "\xHH", never as it stands, where a terminal would act on it
// (rewrite a line, set its title), and neither does a byte that is no UTF-8.
TEST_F(UpdateWindowTest, TheLogShowsNamesControlCharactersEscaped)
{
    static std::vector<std::string> logged;
    logged.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
            logged.push_back(QFile::encodeName(text).toStdString());
        });
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    server.setUpdateList("* a\x1b]0;owned\x07z.txt\nVersion: 2099-01-01\nLink: " + server.fileLink("a.txt") +
                         "\n* c\rd.txt\nVersion: 2099-01-01\n* e\xff.txt\nVersion: 2099-01-01\n");

    QPointer<TCheckForUpdatesForm> form = runWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(status(form), FailedStatus);
    const std::vector<std::string> expected = {
        "Update: \"a\\x1B]0;owned\\x07z.txt\" refused: not a plain file name",
        "Update: \"c\\x0Dd.txt\" refused: not a plain file name",
        "Update: \"e\\xFF.txt\" failed: the list gives no link",
    };
    for (const std::string &line : expected)
        EXPECT_NE(std::find(logged.begin(), logged.end(), line), logged.end()) << line;
    for (const std::string &line : logged)
        EXPECT_EQ(std::find_if(line.begin(), line.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }),
                  line.end())
            << line;
    closeWindow(form);
}
