#include "app/webbrowser/EmbeddedWB.h"
#include "tests/support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <thread>

using zvotest::HttpResponseSpec;
using zvotest::LocalHttpServer;
using namespace std::chrono_literals;

namespace {

struct WorkerOutcome
{
    std::string page;
    bool documentComplete = false;
    int navigateError = 0;
    bool aborted = false;
};

// What a query worker does with the wrapper, on a thread of its own: a
// 1 x 1 wrapper off screen, the silent option set, "about:blank" first, then
// rounds of 200 ms until the top document has completed.
WorkerOutcome runWorker(const std::string &url, const std::atomic<bool> &abortFlag)
{
    WorkerOutcome out;
    TEmbeddedWB wb;
    wb.Width = wb.Height = 1;
    wb.Left = wb.Top = -101;
    wb.UserAgent = "ZarvelloWorker/1";
    wb.Loaded();
    wb.Visible = true;
    wb.SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_NO_JAVA,
                           TDownloadControlOption::DLCTL_NO_RUNACTIVEXCTLS,
                           TDownloadControlOption::DLCTL_NO_DLACTIVEXCTLS, TDownloadControlOption::DLCTL_SILENT});
    wb.OnBeforeNavigate2 = [&](TEmbeddedWB *, const void *, const std::string &, bool &) {
        out.documentComplete = false;
    };
    wb.OnDocumentComplete = [&](TEmbeddedWB *, const void *frame, const std::string &) {
        out.documentComplete = out.documentComplete || frame == &wb;
    };
    wb.OnNavigateError = [&](TEmbeddedWB *, const void *, const std::string &, int32_t status) {
        out.navigateError = status;
    };
    wb.NavigateUrl("about:blank");
    wb.Navigate(url);
    while (wb.Busy() || wb.ReadyState() != READYSTATE_COMPLETE || !out.documentComplete) {
        wb.ProcessMessages(200ms);
        if (abortFlag) {
            out.aborted = true;
            return out;
        }
    }
    out.page = wb.DocumentHtml();
    return out;
}

bool serveUntil(const std::function<bool()> &done, std::chrono::milliseconds bound)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < bound.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

WorkerOutcome onWorkerThread(const std::string &url, std::atomic<bool> &abortFlag,
                             std::chrono::milliseconds abortAfter = 0ms)
{
    WorkerOutcome out;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        out = runWorker(url, abortFlag);
        done = true;
    });
    if (abortAfter.count() > 0) {
        serveUntil([] { return false; }, abortAfter);
        abortFlag = true;
    }
    EXPECT_TRUE(serveUntil([&] { return done.load(); }, 30s));
    worker.join();
    return out;
}

} // namespace

TEST(EmbeddedWBOnWorker, PagesFailuresAndAbort)
{
    LocalHttpServer server;
    server.setResponse("/search?q=example.com",
                      HttpResponseSpec::ok("<html><body><div id=stats>About 4,560 results</div></body></html>"));
    server.setResponse("/missing", HttpResponseSpec::withStatus(404, "<html><body>About 9 results</body></html>"));
    server.setResponse("/slow", HttpResponseSpec::hang());

    std::atomic<bool> abortFlag{false};
    const WorkerOutcome ok = onWorkerThread(server.url("/search?q=example.com"), abortFlag);
    EXPECT_TRUE(ok.documentComplete);
    EXPECT_NE(ok.page.find("About 4,560 results"), std::string::npos) << ok.page;
    ASSERT_FALSE(server.requests().empty());
    const std::string agent = server.requests().back().header("User-Agent");
    EXPECT_EQ(agent.rfind("Mozilla/5.0", 0), 0u) << agent;
    EXPECT_EQ(agent.substr(agent.size() - 17), " ZarvelloWorker/1") << agent;

    // A failed page completes without a document: the worker sees an empty page.
    const WorkerOutcome missing = onWorkerThread(server.url("/missing"), abortFlag);
    EXPECT_TRUE(missing.documentComplete);
    EXPECT_EQ(missing.navigateError, 404);
    EXPECT_EQ(missing.page, "");

    QElapsedTimer t;
    t.start();
    const WorkerOutcome slow = onWorkerThread(server.url("/slow"), abortFlag, 600ms);
    EXPECT_TRUE(slow.aborted);
    EXPECT_LT(t.elapsed(), 600 + 1000);
}
