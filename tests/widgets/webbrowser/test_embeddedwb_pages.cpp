// The wrapper's host answers that the hidden page asks for while it loads:
// each reaches the handler on the wrapper's own thread, as the query worker
// runs it, while the GUI thread serves the page.

#include "widgets/webbrowser/EmbeddedWB.h"

#include "platform/help/HtmlHelp.h"
#include "tests/support/LocalHttpServer.h"
#include "widgets/webbrowser/IEUtils.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <functional>
#include <thread>

using namespace webbrowser;
using namespace std::chrono_literals;
using zvotest::CannedHttpReply;
using zvotest::LocalHttpServer;

namespace {

// Loads the URL with a wrapper made and run on a thread of its own, as the
// worker does, after `prepare` has set it up there.
void loadOnWorker(const std::string &url, const std::function<void(TEmbeddedWB &)> &prepare,
                  const std::function<void(TEmbeddedWB &)> &check)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        TEmbeddedWB wb;
        wb.RequestTimeLimit = 20s;
        prepare(wb);
        wb.Loaded();
        wb.Navigate(url);
        for (int i = 0; i < 150 && wb.Busy(); ++i)
            wb.ProcessMessages(200ms);
        check(wb);
        done = true;
    });
    // The GUI thread serves the page meanwhile.
    while (!done.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    worker.join();
}

std::vector<std::string> paths(const LocalHttpServer &server)
{
    std::vector<std::string> out;
    for (const auto &request : server.requests())
        out.push_back(request.target);
    return out;
}

} // namespace

TEST(EmbeddedWBPages, TranslateUrlSendsTheRequestWhereTheHandlerSays)
{
    LocalHttpServer server;
    server.setResponse("/old", CannedHttpReply::ok("<html><body>the old page</body></html>"));
    server.setResponse("/new", CannedHttpReply::ok("<html><body>the new page</body></html>"));

    // Without a handler the page goes where it was sent.
    loadOnWorker(
        server.url("/old"), [](TEmbeddedWB &) {},
        [](TEmbeddedWB &wb) { EXPECT_NE(wb.DocumentHtml().find("the old page"), std::string::npos); });

    server.clearRequests();
    std::vector<std::string> asked;
    std::thread::id handlerThread, wrapperThread;
    loadOnWorker(
        server.url("/old"),
        [&](TEmbeddedWB &wb) {
            wrapperThread = std::this_thread::get_id();
            wb.OnTranslateUrl.Set([&](TEmbeddedWB *, uint32_t, const std::string &in, std::string &out) {
                handlerThread = std::this_thread::get_id();
                asked.push_back(in);
                if (in.find("/old") == std::string::npos)
                    return S_FALSE;
                out = server.url("/new");
                return S_OK;
            });
        },
        [](TEmbeddedWB &wb) {
            EXPECT_NE(wb.DocumentHtml().find("the new page"), std::string::npos) << wb.DocumentHtml();
        });
    EXPECT_EQ(handlerThread, wrapperThread);
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked[0], server.url("/old"));
    EXPECT_EQ(asked[1], server.url("/new"));
    EXPECT_EQ(paths(server), std::vector<std::string>{"/new"});
}

TEST(EmbeddedWBPages, ANewWindowIsToldAndNeverOpened)
{
    LocalHttpServer server;
    server.setResponse("/opener", CannedHttpReply::ok("<html><body>opener<script>window.open('/popup');</script>"
                                                      "</body></html>"));
    server.setResponse("/popup", CannedHttpReply::ok("<html><body>popup</body></html>"));
    std::vector<std::string> windows;
    loadOnWorker(
        server.url("/opener"),
        [&](TEmbeddedWB &wb) {
            wb.OnNewWindow2.Set([&](TEmbeddedWB *, const std::string &url, bool &cancel) {
                windows.push_back(url);
                cancel = true;
            });
        },
        [](TEmbeddedWB &wb) { EXPECT_NE(wb.DocumentHtml().find("opener"), std::string::npos); });
    EXPECT_EQ(windows, std::vector<std::string>{server.url("/popup")});
    EXPECT_EQ(paths(server), std::vector<std::string>{"/opener"});
}

// A page's alert and a script of it that fails reach the wrapper's handlers
// on its own thread, as the browser offers them to its host; the page loads
// all the same, and nothing is shown.
TEST(EmbeddedWBPages, AlertsAndScriptErrorsReachTheHandlers)
{
    LocalHttpServer server;
    server.setResponse("/page", CannedHttpReply::ok("<html><head><title>Results</title></head><body>the page\n"
                                                    "<script>alert('from the page');\nnoSuchFunction();</script>"
                                                    "</body></html>"));
    std::vector<std::string> told;
    std::thread::id handlerThread, wrapperThread;
    loadOnWorker(
        server.url("/page"),
        [&](TEmbeddedWB &wb) {
            wrapperThread = std::this_thread::get_id();
            wb.OnShowMessage.Set([&](TEmbeddedWB *, const std::string &text, const std::string &caption, uint32_t) {
                told.push_back("message " + text + " / " + caption);
                return S_OK;
            });
            wb.OnScriptError.Set([&](TEmbeddedWB *, const std::string &line, const std::string &, const std::string &,
                                     const std::string &message, const std::string &url, bool &continueScript,
                                     bool &showDialog) {
                handlerThread = std::this_thread::get_id();
                const bool named = message.find("noSuchFunction") != std::string::npos;
                told.push_back("error line " + line + (named ? " names the function" : " " + message) + " at " + url);
                continueScript = false;
                showDialog = false;
            });
        },
        [](TEmbeddedWB &wb) { EXPECT_NE(wb.DocumentHtml().find("the page"), std::string::npos); });
    EXPECT_EQ(handlerThread, wrapperThread);
    EXPECT_EQ(told, (std::vector<std::string>{"message from the page / Results",
                                              "error line 3 names the function at " + server.url("/page")}));
}

// Help asked for by a page of a worker's wrapper opens the program's viewer,
// a window, so it is made on the GUI thread while the worker waits.
TEST(EmbeddedWBPages, HelpFromAWorkersWrapperOpensTheViewerOnTheGuiThread)
{
    QThread *viewerThread = nullptr;
    int marker = 0;
    const help::ScopedHtmlHelpEntry viewer(
        [&](QWidget *, const QString &, help::HtmlHelpCommand, const help::HtmlHelpArg &) {
            viewerThread = QThread::currentThread();
            return reinterpret_cast<QWidget *>(&marker);
        });
    BindHtmlHelp(ViewerHtmlHelp());
    std::atomic<bool> done{false};
    HRESULT answer = S_FALSE;
    std::thread worker([&] {
        TEmbeddedWB wb;
        wb.HelpFile = "/opt/zarvello/ZVO.chm";
        answer = wb.ShowHelp(nullptr, "", HH_HELP_CONTEXT, 42);
        done = true;
    });
    while (!done.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    worker.join();
    BindHtmlHelp({});
    EXPECT_EQ(answer, S_OK);
    EXPECT_EQ(viewerThread, QCoreApplication::instance()->thread());
}
