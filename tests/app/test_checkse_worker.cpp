#include "app/worker/CheckSEThreadUnit.h"
#include "foundation/MyOptions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/shell/Desktop.h"
#include "tests/support/FakeSearchEngine.h"
#include "tests/support/LoopbackHostName.h"
#include "tests/support/ProxyServers.h"
#include "tests/support/TestSupport.h"
#include "widgets/webbrowser/EmbeddedWB.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <optional>
#include <regex>

#include <unistd.h>

using namespace app;
using namespace std::chrono_literals;
using namespace zvotest;

namespace {

constexpr const char *Domain = "example.com";

struct Outcome
{
    int32_t returnValue = 99;
    int32_t linkCount = -99;
    bool fatal = false;
    bool finishedInTime = false;
    qint64 stopMs = -1; // from the abort to the end of WaitFor
};

// Serves the GUI thread (the browser service lives there) while waiting, as
// the check driver does; every wait is bounded.
bool serveUntil(const std::function<bool()> &done, std::chrono::milliseconds bound)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < bound.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// One worker, run as the driver runs it. `abortWhen` (optional) is polled
// while the worker runs; once it holds, the worker is aborted and the time it
// then takes to end is measured.
Outcome runWorker(const std::string &url, const std::function<bool()> &abortWhen = {})
{
    Outcome out;
    TCheckSEThread worker(true);
    EXPECT_TRUE(worker.SetCheckParameters(Domain, 1, url));
    worker.Resume();
    const auto settled = [&] { return worker.IsFinished() || worker.HasFatalException(); };
    if (abortWhen) {
        EXPECT_TRUE(serveUntil([&] { return settled() || abortWhen(); }, 20s));
        QElapsedTimer t;
        t.start();
        worker.AbortCheck();
        EXPECT_TRUE(worker.IsFinished());
        worker.WaitFor();
        out.stopMs = t.elapsed();
    }
    out.finishedInTime = serveUntil(settled, 45s);
    out.fatal = worker.HasFatalException();
    if (out.fatal)
        worker.AbortCheck(); // as the driver reaps a worker that died by an error
    EXPECT_TRUE(worker.IsFinished());
    worker.WaitFor();
    out.returnValue = worker.ReturnValue();
    out.linkCount = worker.GetLinkCount();
    return out;
}

class CheckSEWorker : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(m_engine.isRunning());
        unsetenv("ZVO_DEVELOPER");
    }
    void TearDown() override { unsetenv("ZVO_DEVELOPER"); }
    std::string logText() const { return readFile(m_folder.filePath("~SE-Errors.txt")); }
    std::string query() const { return m_engine.queryUrl(1, Domain); }

    QTemporaryDir m_folder;
    FakeSearchEngine m_engine;
    shell::ScopedProgramFolder m_programFolder{m_folder.path()};
};

} // namespace

// What the engine answers the worker (in turn, the last repeating) and the
// hidden browser, and what the worker makes of it: a server error or a 403
// is retried once, a socket error, a 400 or a 404 is not; both end in the browser, a closed
// connection or a count beyond 32 bits does not.
TEST_F(CheckSEWorker, AnswersRetriesAndTheBrowserFallback)
{
    using A = EngineAnswer;
    const struct
    {
        const char *name;
        std::vector<EngineAnswer> direct;
        std::optional<EngineAnswer> browser;
        int32_t returnValue, linkCount;
        size_t workerQueries;
        bool browserUsed, fatal;
    } cases[] = {
        {"count", {A::withCount(1234567)}, {}, 0, 1234567, 1, false, false},
        {"no count", {A::noCount()}, {}, 0, 0, 1, false, false},
        {"beyond 32 bits", {A::withCount(5000000000LL)}, {}, -1, 0, 1, false, true},
        {"recovered retry", {A::withStatus(500), A::withCount(42)}, {}, 0, 42, 2, false, false},
        {"closed", {A::closeWithoutReply()}, {}, -1, 0, 1, false, false},
        {"not found", {A::withStatus(404, 5)}, A::withCount(7777), 0, 7777, 1, true, false},
        {"failed retry", {A::withStatus(500)}, A::withCount(31), 0, 31, 2, true, false},
        {"forbidden, recovered retry", {A::withStatus(403), A::withCount(43)}, {}, 0, 43, 2, false, false},
        {"forbidden, failed retry", {A::withStatus(403)}, A::withCount(33), 0, 33, 2, true, false},
        {"reset", {A::reset()}, A::withCount(32), 0, 32, 1, true, false},
        {"browser error page", {A::withStatus(404)}, A::withStatus(404), -1, 0, 1, true, false},
        {"browser page without count", {A::withStatus(404)}, A::noCount(), 0, 0, 1, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        m_engine.clearRequests();
        m_engine.setAnswers(Domain, 1, c.direct);
        if (c.browser)
            m_engine.setBrowserAnswer(Domain, 1, *c.browser);
        const Outcome got = runWorker(query());
        ASSERT_TRUE(got.finishedInTime);
        EXPECT_EQ(got.fatal, c.fatal);
        EXPECT_EQ(got.returnValue, c.returnValue);
        if (c.returnValue == 0) {
            EXPECT_EQ(got.linkCount, c.linkCount);
        }
        EXPECT_EQ(m_engine.workerQueries(Domain, 1), c.workerQueries);
        EXPECT_EQ(m_engine.browserQueries(Domain, 1) > 0, c.browserUsed);
        // The worker's own agent, and the site root without port or path as
        // the referrer; the browser keeps its own agent: the worker's text is
        // set too late to become its token.
        const auto sent = m_engine.queries(Domain, 1);
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent[0].method, "GET");
        EXPECT_EQ(sent[0].userAgent, "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)");
        EXPECT_EQ(sent[0].referrer, "http://127.0.0.1/");
        if (c.browserUsed) {
            EXPECT_NE(sent.back().userAgent.find("Mozilla/5.0"), std::string::npos) << sent.back().userAgent;
        }
    }
}

TEST_F(CheckSEWorker, TheBrowserFallbackCarriesTheRegisteredAgentToken)
{
    webbrowser::TEmbeddedWB registered;
    registered.UserAgent = "ZarvelloWorker/1";
    registered.Loaded();
    m_engine.setAnswers(Domain, 1, {EngineAnswer::withStatus(404)});
    m_engine.setBrowserAnswer(Domain, 1, EngineAnswer::withCount(9));
    EXPECT_EQ(runWorker(query()).linkCount, 9);
    const std::string agent = m_engine.queries(Domain, 1).back().userAgent;
    EXPECT_TRUE(agent.starts_with("Mozilla/5.0") && agent.ends_with(" ZarvelloWorker/1")) << agent;
}

// What a page asks for beyond its document never reaches the user: the
// worker refuses every new window and closes every dialog the browser shows,
// besides keeping its messages and script errors to itself.
TEST_F(CheckSEWorker, TheHiddenBrowserRefusesWindowsAndClosesDialogs)
{
    QWidget dialog;
    dialog.show();
    struct Seen
    {
        bool newWindowCancelled = false;
        bool messageHandled = false;
        bool scriptStopped = false;
    };
    std::optional<Seen> seen;
    TCheckSEThread::ScopedBrowserInspector inspector([&seen, &dialog](webbrowser::TEmbeddedWB &browser) {
        Seen s;
        if (browser.OnNewWindow2)
            browser.OnNewWindow2(&browser, "http://127.0.0.1/popup", s.newWindowCancelled);
        if (browser.OnShowDialog)
            browser.OnShowDialog(&browser, &dialog);
        s.messageHandled = browser.OnShowMessage && browser.OnShowMessage(&browser, "hi", "", 0) == webbrowser::S_OK;
        bool continueScript = true;
        bool showDialog = true;
        if (browser.OnScriptError)
            browser.OnScriptError(&browser, "1", "0", "0", "boom", "", continueScript, showDialog);
        s.scriptStopped = !continueScript && !showDialog;
        seen = s;
    });
    m_engine.setAnswers(Domain, 1, {EngineAnswer::withStatus(404)});
    m_engine.setBrowserAnswer(Domain, 1, EngineAnswer::withCount(9));
    EXPECT_EQ(runWorker(query()).linkCount, 9);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(seen->newWindowCancelled);
    EXPECT_TRUE(seen->messageHandled);
    EXPECT_TRUE(seen->scriptStopped);
    EXPECT_TRUE(serveUntil([&dialog] { return !dialog.isVisible(); }, 2s)) << "the dialog was left open";
}

TEST_F(CheckSEWorker, RefusedConnectionIsLoggedOnlyForDevelopers)
{
    std::string url;
    {
        LocalHttpServer closed;
        url = closed.url("/search?q=example.com&e=3");
    }
    const Outcome quiet = runWorker(url);
    EXPECT_EQ(quiet.returnValue, -1);
    EXPECT_EQ(logText(), "");

    setenv("ZVO_DEVELOPER", "1", 1);
    const Outcome logged = runWorker(url);
    EXPECT_EQ(logged.returnValue, -1);
    const std::regex line(
        "[0-9]{14}: 10061: " + std::regex_replace(url, std::regex(R"([.?+*^$()\[\]{}|\\])"), R"(\$&)") + "\r\n");
    EXPECT_TRUE(std::regex_match(logText(), line)) << logText();
}

TEST_F(CheckSEWorker, AbortEndsAStalledTransferOrASlowBrowserLoadWithinASecond)
{
    m_engine.setAnswer(Domain, 1, EngineAnswer::stall());
    const Outcome direct = runWorker(query(), [&] { return m_engine.workerQueries(Domain, 1) >= 1; });
    EXPECT_EQ(direct.returnValue, -1);
    EXPECT_LT(direct.stopMs, 1000);
    EXPECT_EQ(m_engine.workerQueries(Domain, 1), 1u);
    EXPECT_EQ(m_engine.browserQueries(Domain, 1), 0u);

    m_engine.clearRequests();
    m_engine.setAnswers(Domain, 1, {EngineAnswer::withStatus(400)});
    m_engine.setBrowserAnswer(Domain, 1, EngineAnswer::hang());
    const Outcome browser = runWorker(query(), [&] { return m_engine.browserQueries(Domain, 1) >= 1; });
    EXPECT_EQ(browser.returnValue, -1);
    EXPECT_LT(browser.stopMs, 1000);
}

// The configured proxy carries the direct request and the browser's page
// alike; where the browser cannot go through it, the query fails instead of
// going past it. The proxies connect onwards from their own address, and
// nothing reaches the engine from any other. The engine has a host name: the
// browser would send a request for 127.0.0.1 past any proxy.
TEST_F(CheckSEWorker, EveryQueryGoesThroughTheConfiguredProxy)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the engine's host name needs a line in " << LoopbackHostName::hostsFile();
    LoopbackHostName host;
    ASSERT_TRUE(host.isValid()) << host.error();
    std::string error;
    auto http = zvotest::ProxyServer::startTinyProxy("zvo", "pw1", &error);
    ASSERT_TRUE(http) << error;
    auto socks5 = zvotest::ProxyServer::startMicroSocks({}, {}, &error);
    ASSERT_TRUE(socks5) << error;
    auto socks4 = zvotest::ProxyServer::startDante(&error);
    ASSERT_TRUE(socks4) << error;
    auto socks5Password = zvotest::ProxyServer::startMicroSocks("zvo", "pw2", &error);
    ASSERT_TRUE(socks5Password) << error;
    const int32_t nobody = LocalHttpServer().port();

    struct Settings
    {
        bool use;
        std::string kind, server;
        int32_t port;
        std::string user, password;
    };
    namespace options = foundation;
    const Settings saved{options::UseProxy,  options::ProxyKind,     options::ProxyServer,
                         options::ProxyPort, options::ProxyUsername, options::ProxyPassword};
    const auto apply = [](const Settings &s) {
        foundation::UseProxy = s.use;
        foundation::ProxyKind = s.kind;
        foundation::ProxyServer = s.server;
        foundation::ProxyPort = s.port;
        foundation::ProxyUsername = s.user;
        foundation::ProxyPassword = s.password;
    };
    const struct
    {
        const char *name;
        Settings settings;
        int32_t returnValue;
        size_t workerQueries;
        bool browserUsed;
    } cases[] = {
        {"HTTP", {true, "HTTP", "127.0.0.1", http->port(), "zvo", "pw1"}, 0, 1, true},
        {"SOCKS 5", {true, "Socks5", "127.0.0.1", socks5->port(), "", ""}, 0, 1, true},
        {"SOCKS 4", {true, "Socks4", "127.0.0.1", socks4->port(), "", ""}, -1, 1, false},
        {"SOCKS 5 with a password", {true, "Socks5", "127.0.0.1", socks5Password->port(), "zvo", "pw2"}, -1, 1, false},
        {"proxy down", {true, "HTTP", "127.0.0.1", nobody, "zvo", "pw1"}, -1, 0, false},
    };
    m_engine.setAnswers(Domain, 1, {EngineAnswer::withStatus(404)});
    m_engine.setBrowserAnswer(Domain, 1, EngineAnswer::withCount(77));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        apply(c.settings);
        m_engine.clearRequests();
        const Outcome got = runWorker(host.rename(query()));
        ASSERT_TRUE(got.finishedInTime);
        EXPECT_EQ(got.returnValue, c.returnValue);
        if (c.returnValue == 0) {
            EXPECT_EQ(got.linkCount, 77);
        }
        EXPECT_EQ(m_engine.workerQueries(Domain, 1), c.workerQueries);
        EXPECT_EQ(m_engine.browserQueries(Domain, 1) > 0, c.browserUsed);
        for (const EngineRequest &request : m_engine.requests())
            EXPECT_EQ(request.clientAddress, zvotest::ProxyServer::outgoingAddress()) << request.userAgent;
    }
    apply(saved);
}

TEST(CheckSEWorkerLifecycle, ParametersAreCheckedAndATerminatedWorkerEndsAtOnce)
{
    TCheckSEThread worker(true);
    const auto failsWithUnit = [&](const std::string &domain, int32_t index, const std::string &url) {
        try {
            worker.SetCheckParameters(domain, index, url);
        } catch (const rtl::EAssertionFailed &e) {
            return std::string(e.what()).find("Assertion failure (CheckSEThreadUnit, line ") == 0;
        }
        return false;
    };
    EXPECT_TRUE(failsWithUnit("", 1, "http://127.0.0.1:9/"));
    EXPECT_TRUE(failsWithUnit("a.com", 0, "http://127.0.0.1:9/"));
    EXPECT_TRUE(failsWithUnit("a.com", 1, ""));
    ASSERT_TRUE(worker.SetCheckParameters("a.com", 2, "http://127.0.0.1:9/"));

    // A worker that is never resumed can be waited for and freed.
    EXPECT_FALSE(worker.IsFinished());
    EXPECT_EQ(worker.WaitFor(), 0);

    // The driver's way out for a worker it cannot use: terminate, resume, wait.
    TCheckSEThread unused(true);
    unused.SetCheckParameters("a.com", 1, "http://127.0.0.1:9/");
    unused.Terminate();
    unused.Resume();
    EXPECT_EQ(unused.WaitFor(), -1);
    EXPECT_FALSE(unused.Succeeded());
}
