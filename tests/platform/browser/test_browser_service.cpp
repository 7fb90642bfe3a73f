#include "platform/browser/BrowserService.h"
#include "platform/browser/HiddenPage.h"
#include "tests/support/LocalHttpServer.h"

#include "ServeUntil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <atomic>
#include <thread>

using namespace browser;
using namespace std::chrono_literals;
using zvotest::CannedHttpReply;
using zvotest::LocalHttpServer;
using zvotest::serveUntil;

namespace {

QUrl at(const LocalHttpServer &server, const std::string &path)
{
    return QUrl(QString::fromStdString(server.url(path)));
}

PageOptions quick()
{
    PageOptions o;
    o.timeLimit = 20s;
    return o;
}

CannedHttpReply page(std::string body, int status = 200)
{
    return status == 200 ? CannedHttpReply::ok(std::move(body)) : CannedHttpReply::withStatus(status, std::move(body));
}

// Pages are deleted later, once their signals have returned.
bool pagesGone()
{
    return serveUntil([] { return HiddenPage::liveCount() == 0; }, 3s);
}

class BrowserServiceTest : public ::testing::Test
{
protected:
    LocalHttpServer server;
};

} // namespace

// The token is the wrapper's user agent, which a user may write in any
// script: it goes out whole, as Latin-1 where it fits, as before.
TEST(ComposeUserAgent, TheTokenKeepsEveryCharacter)
{
    EXPECT_EQ(composeUserAgent("Mozilla/5.0", "  "), "Mozilla/5.0");
    EXPECT_EQ(composeUserAgent("Mozilla/5.0", " Probe/1 "), "Mozilla/5.0 Probe/1");
    EXPECT_EQ(composeUserAgent("Mozilla/5.0", QString::fromUtf8("Caf\xC3\xA9/1")), "Mozilla/5.0 Caf\xE9/1");
    EXPECT_EQ(composeUserAgent("Mozilla/5.0", QString::fromUtf8("\xD0\x97\xD0\xBE\xD0\xBD\xD0\xB4 \xF0\x9F\x98\x80")),
              "Mozilla/5.0 \xD0\x97\xD0\xBE\xD0\xBD\xD0\xB4 \xF0\x9F\x98\x80");
}

TEST_F(BrowserServiceTest, PageComesBackAsItsCurrentDocumentWithTheTokenOnTheWire)
{
    server.setResponse("/search?q=site", page("<html><body><p id=c>About 1,234 results</p>"
                                              "<script>document.getElementById('c').textContent += ' (live)';</script>"
                                              "</body></html>"));
    PageOptions o = quick();
    o.userAgentToken = QStringLiteral("ZarvelloProbe/2.1");
    const FetchResult r = fetch(at(server, "/search?q=site"), o);
    ASSERT_EQ(r.status, FetchStatus::Completed) << r.errorText.toStdString();
    EXPECT_TRUE(r.html.contains(QStringLiteral("About 1,234 results (live)"))) << r.html.toStdString();
    EXPECT_EQ(r.httpStatus, 200);

    // The token is added to the engine's own string, not put in its place.
    const auto seen = server.requests();
    ASSERT_FALSE(seen.empty());
    const std::string base = BrowserService::instance()->baseUserAgent().toStdString();
    EXPECT_EQ(seen.front().header("User-Agent"), base + " ZarvelloProbe/2.1");
    EXPECT_EQ(base.rfind("Mozilla/5.0", 0), 0u);
    // One request only: no icon fetch, no second navigation.
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(pagesGone());
}

TEST_F(BrowserServiceTest, PageThatMovesOnByItselfIsReadWhereItLands)
{
    server.setResponse("/final", page("<html><body>About 3 results</body></html>"));
    server.setResponse("/script",
                       page("<html><body>wait<script>setTimeout(function() { location.href = '/final'; }, 50);"
                            "</script></body></html>"));
    server.setResponse("/refresh", page("<html><head><meta http-equiv=refresh content='0;url=/final'></head>"
                                        "<body>wait</body></html>"));
    // Roomy, so that a loaded machine does not decide the test.
    PageOptions o = quick();
    o.settleTime = 1500ms;
    for (const char *path : {"/script", "/refresh"}) {
        const FetchResult r = fetch(at(server, path), o);
        ASSERT_EQ(r.status, FetchStatus::Completed) << path;
        EXPECT_TRUE(r.html.contains(QStringLiteral("About 3 results"))) << path << ": " << r.html.toStdString();
    }
}

TEST_F(BrowserServiceTest, HostilePageCompletesWithoutDialogsOrWindows)
{
    server.setResponse("/popup", page("<html><body>popup</body></html>"));
    server.setResponse("/hostile", page("<html><body><p>About 77 results</p><script>"
                                        "alert('hello'); confirm('sure?'); prompt('name?');"
                                        "window.open('/popup');"
                                        "var a = document.createElement('a'); a.href = '/popup'; a.target = '_blank';"
                                        "document.body.appendChild(a); a.click();"
                                        "console.log('noise'); undefinedFunction();"
                                        "</script></body></html>"));
    const FetchResult r = fetch(at(server, "/hostile"), quick());
    ASSERT_EQ(r.status, FetchStatus::Completed) << r.errorText.toStdString();
    EXPECT_TRUE(r.html.contains(QStringLiteral("About 77 results")));
    EXPECT_EQ(r.suppressedDialogs, 3);
    EXPECT_GE(r.scriptMessages, 2); // the log line and the uncaught error
    for (const auto &request : server.requests())
        EXPECT_NE(request.path, "/popup");
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_TRUE(pagesGone());
}

TEST_F(BrowserServiceTest, FailuresAreNeverPages)
{
    server.setResponse("/missing", page("<html><body>About 5 results, not really</body></html>", 404));
    server.setResponse("/broken", page("<html><body>oops</body></html>", 500));
    server.setResponse("/bad", page("", 400));
    server.setResponse("/empty", page(""));
    CannedHttpReply file = CannedHttpReply::ok("a,b\r\n1,2\r\n", "text/csv");
    file.headers.emplace_back("Content-Disposition", "attachment; filename=x.csv");
    server.setResponse("/file", file);
    server.setResponse("/hangup", CannedHttpReply::closeWithoutReply());

    for (const auto &[path, status] : {std::pair<std::string, int>{"/missing", 404}, {"/broken", 500}, {"/bad", 400}}) {
        const FetchResult r = fetch(at(server, path), quick());
        EXPECT_EQ(r.status, FetchStatus::HttpError) << path << ": " << statusName(r.status);
        EXPECT_EQ(r.httpStatus, status) << path;
        EXPECT_TRUE(r.html.isEmpty()) << path;
    }

    // An empty document is still a page.
    EXPECT_EQ(fetch(at(server, "/empty"), quick()).status, FetchStatus::Completed);

    // Redirects are followed; what counts is where they end.
    server.setResponse("/moved", CannedHttpReply::redirect("/empty"));
    server.setResponse("/gone", CannedHttpReply::redirect("/missing", 301));
    const FetchResult moved = fetch(at(server, "/moved"), quick());
    EXPECT_EQ(moved.status, FetchStatus::Completed) << moved.errorText.toStdString();
    EXPECT_EQ(moved.httpStatus, 200);
    const FetchResult gone = fetch(at(server, "/gone"), quick());
    EXPECT_EQ(gone.status, FetchStatus::HttpError);
    EXPECT_EQ(gone.httpStatus, 404);

    // A download is refused and is no page either.
    const FetchResult download = fetch(at(server, "/file"), quick());
    EXPECT_NE(download.status, FetchStatus::Completed);
    EXPECT_TRUE(download.html.isEmpty());

    // A connection closed without a reply is no page either.
    EXPECT_EQ(fetch(at(server, "/hangup"), quick()).status, FetchStatus::LoadFailed);

    // Nobody listens on the port of a server that has gone.
    const QUrl closed(QStringLiteral("http://127.0.0.1:%1/x").arg(LocalHttpServer().port()));
    EXPECT_EQ(fetch(closed, quick()).status, FetchStatus::LoadFailed);
    EXPECT_TRUE(pagesGone());
}

TEST_F(BrowserServiceTest, WaitsEndSoonAfterAbortOrTimeLimit)
{
    server.setResponse("/slow", CannedHttpReply::hang());

    // Abort on the GUI thread's own wait, set from elsewhere.
    {
        std::atomic<bool> abortFlag{false};
        QElapsedTimer sinceAbort;
        std::thread aborter([&] {
            std::this_thread::sleep_for(700ms);
            sinceAbort.start();
            abortFlag = true;
        });
        const FetchResult r = fetch(at(server, "/slow"), quick(), &abortFlag);
        const qint64 lag = sinceAbort.elapsed();
        aborter.join();
        EXPECT_EQ(r.status, FetchStatus::Aborted);
        EXPECT_LT(lag, 1000);
    }

    // Abort of a worker's wait, the GUI thread serving meanwhile.
    {
        std::atomic<bool> abortFlag{false};
        std::atomic<bool> done{false};
        FetchResult r;
        std::thread worker([&] {
            r = fetch(at(server, "/slow"), quick(), &abortFlag);
            done = true;
        });
        serveUntil([] { return false; }, 500ms);
        QElapsedTimer sinceAbort;
        sinceAbort.start();
        abortFlag = true;
        const bool ended = serveUntil([&] { return done.load(); }, 5s);
        const qint64 lag = sinceAbort.elapsed();
        worker.join();
        ASSERT_TRUE(ended);
        EXPECT_EQ(r.status, FetchStatus::Aborted);
        EXPECT_LT(lag, 1000);
    }

    // The page's own time limit.
    {
        PageOptions o = quick();
        o.timeLimit = 1500ms;
        QElapsedTimer t;
        t.start();
        const FetchResult r = fetch(at(server, "/slow"), o);
        EXPECT_EQ(r.status, FetchStatus::TimedOut);
        EXPECT_GE(t.elapsed(), 1400);
        EXPECT_LT(t.elapsed(), 3500);
    }
    EXPECT_TRUE(pagesGone());
}

TEST_F(BrowserServiceTest, WorkersOnTheirOwnThreadsGetTheirOwnPages)
{
    constexpr int workerCount = 3;
    for (int i = 0; i < workerCount; ++i) {
        CannedHttpReply r = page("<html><body>About " + std::to_string(100 + i) + " results</body></html>");
        r.delay = std::chrono::milliseconds(200 * i);
        server.setResponse("/q" + std::to_string(i), r);
    }
    std::vector<FetchResult> results(workerCount);
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < workerCount; ++i)
        workers.emplace_back([&, i] {
            results[size_t(i)] = fetch(at(server, "/q" + std::to_string(i)), quick());
            ++finished;
        });
    const bool all = serveUntil([&] { return finished.load() == workerCount; }, 30s);
    for (std::thread &t : workers)
        t.join();
    ASSERT_TRUE(all);
    for (int i = 0; i < workerCount; ++i) {
        ASSERT_EQ(results[size_t(i)].status, FetchStatus::Completed) << i;
        EXPECT_TRUE(results[size_t(i)].html.contains(QStringLiteral("About %1 results").arg(100 + i))) << i;
    }
    EXPECT_TRUE(pagesGone());
}

// A page without end, or one far beyond the bound delivered at once, ends as
// too large instead of filling memory; one within the bound is read, scripts
// on or off (the document is measured apart from the page's scripts).
TEST_F(BrowserServiceTest, DocumentPastTheSizeBoundEndsTheLoad)
{
    server.setResponse("/endless", CannedHttpReply::endless("<p>About 1,234 results</p>\n" + std::string(4000, 'x')));
    server.setResponse("/big", page("<html><body>" + std::string(3 << 20, 'y') + "</body></html>"));
    server.setResponse("/small", page("<html><body>About 12 results</body></html>"));
    const struct
    {
        const char *path;
        bool javaScript;
        FetchStatus status;
    } cases[] = {
        {"/endless", true, FetchStatus::TooLarge},
        {"/endless", false, FetchStatus::TooLarge},
        {"/big", true, FetchStatus::TooLarge},
        {"/small", false, FetchStatus::Completed},
    };
    for (const auto &c : cases) {
        PageOptions o = quick();
        o.javaScript = c.javaScript;
        o.maxDocumentSize = 1 << 20;
        const FetchResult r = fetch(at(server, c.path), o);
        EXPECT_STREQ(statusName(r.status), statusName(c.status))
            << c.path << " " << c.javaScript << ": " << r.errorText.toStdString();
        EXPECT_EQ(r.ok(), !r.html.isEmpty()) << c.path;
    }
    EXPECT_TRUE(pagesGone());
}
