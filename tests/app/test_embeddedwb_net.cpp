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
};

// What a query worker does with the wrapper, on a thread of its own: a
// 1 x 1 wrapper off screen, the silent option set, "about:blank" first, then
// rounds of 200 ms until the top document has completed.
WorkerOutcome runWorker(const std::string &url)
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
    for (int round = 0; round < 100 && (wb.Busy() || wb.ReadyState() != READYSTATE_COMPLETE || !out.documentComplete);
         ++round)
        wb.ProcessMessages(200ms);
    out.page = wb.DocumentHtml();
    return out;
}

// Serves the GUI thread (the browser service lives there) meanwhile.
WorkerOutcome onWorkerThread(const std::string &url)
{
    WorkerOutcome out;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        out = runWorker(url);
        done = true;
    });
    QElapsedTimer t;
    t.start();
    while (!done && t.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(done);
    worker.join();
    return out;
}

} // namespace

TEST(EmbeddedWBOnWorker, PagesCarryTheRegisteredAgentAndFailuresCompleteWithoutDocument)
{
    LocalHttpServer server;
    server.setResponse("/search?q=example.com",
                      HttpResponseSpec::ok("<html><body><div id=stats>About 4,560 results</div></body></html>"));
    server.setResponse("/missing", HttpResponseSpec::withStatus(404, "<html><body>About 9 results</body></html>"));

    const WorkerOutcome ok = onWorkerThread(server.url("/search?q=example.com"));
    EXPECT_TRUE(ok.documentComplete);
    EXPECT_NE(ok.page.find("About 4,560 results"), std::string::npos) << ok.page;
    ASSERT_FALSE(server.requests().empty());
    const std::string agent = server.requests().back().header("User-Agent");
    EXPECT_EQ(agent.rfind("Mozilla/5.0", 0), 0u) << agent;
    EXPECT_TRUE(agent.ends_with(" ZarvelloWorker/1")) << agent;

    // A failed page completes without a document: the worker sees an empty page.
    const WorkerOutcome missing = onWorkerThread(server.url("/missing"));
    EXPECT_TRUE(missing.documentComplete);
    EXPECT_EQ(missing.navigateError, 404);
    EXPECT_EQ(missing.page, "");
}
