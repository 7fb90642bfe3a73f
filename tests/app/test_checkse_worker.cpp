#include "app/worker/CheckSEThreadUnit.h"
#include "platform/rtl/Exceptions.h"
#include "platform/shell/Desktop.h"
#include "tests/support/FakeSearchEngine.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>
#include <regex>

using namespace zvotest;
using namespace std::chrono_literals;

namespace {

constexpr const char *kDomain = "example.com";

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
    EXPECT_TRUE(worker.SetCheckParameters(kDomain, 1, url));
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
        shell::setProgramFolder(m_folder.path());
        unsetenv("ZVO_DEVELOPER");
    }
    void TearDown() override
    {
        unsetenv("ZVO_DEVELOPER");
        shell::setProgramFolder(QString());
    }
    std::string logText() const { return readFile(m_folder.filePath("~SE-Errors.txt")); }
    std::string query() const { return m_engine.queryUrl(1, kDomain); }

    QTemporaryDir m_folder;
    FakeSearchEngine m_engine;
};

} // namespace

TEST_F(CheckSEWorker, DirectAnswerCarriesTheAgentAndTheEngineRoot)
{
    m_engine.setAnswer(kDomain, 1, EngineAnswer::withCount(1234567));
    const Outcome got = runWorker(query());
    ASSERT_TRUE(got.finishedInTime);
    EXPECT_EQ(got.returnValue, 0);
    EXPECT_EQ(got.linkCount, 1234567);

    const auto sent = m_engine.queries(kDomain, 1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, "GET");
    EXPECT_EQ(sent[0].userAgent, "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)");
    // The site root drops the port along with the path.
    EXPECT_EQ(sent[0].referrer, "http://127.0.0.1/");
}

TEST_F(CheckSEWorker, PageWithoutCountIsZeroButACountBeyond32BitsFails)
{
    m_engine.setAnswer(kDomain, 1, EngineAnswer::noCount());
    const Outcome none = runWorker(query());
    EXPECT_EQ(none.returnValue, 0);
    EXPECT_EQ(none.linkCount, 0);
    EXPECT_FALSE(none.fatal);

    m_engine.setAnswer(kDomain, 1, EngineAnswer::withCount(5000000000LL));
    const Outcome huge = runWorker(query());
    ASSERT_TRUE(huge.finishedInTime);
    EXPECT_TRUE(huge.fatal);
    EXPECT_EQ(huge.returnValue, -1);
    EXPECT_EQ(m_engine.browserQueries(kDomain, 1), 0u);
}

TEST_F(CheckSEWorker, ServerErrorIsRetriedOnceAndARecoveryNeedsNoBrowser)
{
    m_engine.setAnswers(kDomain, 1, {EngineAnswer::withStatus(500), EngineAnswer::withCount(42)});
    const Outcome got = runWorker(query());
    EXPECT_EQ(got.returnValue, 0);
    EXPECT_EQ(got.linkCount, 42);
    EXPECT_EQ(m_engine.workerQueries(kDomain, 1), 2u);
    EXPECT_EQ(m_engine.browserQueries(kDomain, 1), 0u);
}

TEST_F(CheckSEWorker, CloseWithoutReplyFailsWithoutRetryOrBrowser)
{
    m_engine.setAnswer(kDomain, 1, EngineAnswer::closeWithoutReply());
    const Outcome got = runWorker(query());
    ASSERT_TRUE(got.finishedInTime);
    EXPECT_EQ(got.returnValue, -1);
    EXPECT_EQ(m_engine.workerQueries(kDomain, 1), 1u);
    EXPECT_EQ(m_engine.browserQueries(kDomain, 1), 0u);
}

TEST_F(CheckSEWorker, NotFoundGoesStraightToTheBrowser)
{
    m_engine.setAnswers(kDomain, 1, {EngineAnswer::withStatus(404, 5)});
    m_engine.setBrowserAnswer(kDomain, 1, EngineAnswer::withCount(7777));
    const Outcome got = runWorker(query());
    ASSERT_TRUE(got.finishedInTime);
    EXPECT_EQ(got.returnValue, 0);
    EXPECT_EQ(got.linkCount, 7777);
    EXPECT_EQ(m_engine.workerQueries(kDomain, 1), 1u);
    const auto sent = m_engine.queries(kDomain, 1);
    ASSERT_GE(sent.size(), 2u);
    // The browser keeps its own agent: the worker's text is set too late to
    // become its token.
    EXPECT_NE(sent.back().userAgent.find("Mozilla/5.0"), std::string::npos) << sent.back().userAgent;
    EXPECT_GE(sent.back().arrival, sent.front().arrival);
}

TEST_F(CheckSEWorker, FailedRetryAndResetBothEndInTheBrowser)
{
    m_engine.setAnswers(kDomain, 1, {EngineAnswer::withStatus(500)});
    m_engine.setBrowserAnswer(kDomain, 1, EngineAnswer::withCount(31));
    const Outcome retried = runWorker(query());
    EXPECT_EQ(retried.returnValue, 0);
    EXPECT_EQ(retried.linkCount, 31);
    EXPECT_EQ(m_engine.workerQueries(kDomain, 1), 2u);
    EXPECT_GE(m_engine.browserQueries(kDomain, 1), 1u);

    // A socket error is not retried.
    m_engine.clearRequests();
    m_engine.setAnswers(kDomain, 1, {EngineAnswer::reset()});
    m_engine.setBrowserAnswer(kDomain, 1, EngineAnswer::withCount(32));
    const Outcome reset = runWorker(query());
    EXPECT_EQ(reset.returnValue, 0);
    EXPECT_EQ(reset.linkCount, 32);
    EXPECT_EQ(m_engine.workerQueries(kDomain, 1), 1u);
}

TEST_F(CheckSEWorker, BrowserErrorPageIsAFailureButAPageWithoutCountIsZero)
{
    m_engine.setAnswer(kDomain, 1, EngineAnswer::withStatus(404));
    const Outcome failed = runWorker(query());
    ASSERT_TRUE(failed.finishedInTime);
    EXPECT_EQ(failed.returnValue, -1);
    EXPECT_EQ(m_engine.workerQueries(kDomain, 1), 1u);
    EXPECT_GE(m_engine.browserQueries(kDomain, 1), 1u);

    m_engine.setAnswers(kDomain, 1, {EngineAnswer::withStatus(404)});
    m_engine.setBrowserAnswer(kDomain, 1, EngineAnswer::noCount());
    const Outcome empty = runWorker(query());
    EXPECT_EQ(empty.returnValue, 0);
    EXPECT_EQ(empty.linkCount, 0);
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
    const std::regex line("[0-9]{14}: 10061: " + std::regex_replace(url, std::regex(R"([.?+*^$()\[\]{}|\\])"), R"(\$&)")
                          + "\r\n");
    EXPECT_TRUE(std::regex_match(logText(), line)) << logText();
}

TEST_F(CheckSEWorker, AbortEndsAStalledTransferWithinASecond)
{
    m_engine.setAnswer(kDomain, 1, EngineAnswer::stall());
    const Outcome got = runWorker(query(), [&] { return m_engine.workerQueries(kDomain, 1) >= 1; });
    EXPECT_EQ(got.returnValue, -1);
    EXPECT_LT(got.stopMs, 1000);
    EXPECT_EQ(m_engine.workerQueries(kDomain, 1), 1u);
    EXPECT_EQ(m_engine.browserQueries(kDomain, 1), 0u);
}

TEST_F(CheckSEWorker, AbortEndsASlowBrowserLoadWithinASecond)
{
    m_engine.setAnswers(kDomain, 1, {EngineAnswer::withStatus(400)});
    m_engine.setBrowserAnswer(kDomain, 1, EngineAnswer::hang());
    const Outcome got = runWorker(query(), [&] { return m_engine.browserQueries(kDomain, 1) >= 1; });
    EXPECT_EQ(got.returnValue, -1);
    EXPECT_LT(got.stopMs, 1000);
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
    EXPECT_EQ(worker.GetDomain(), "a.com");
    EXPECT_EQ(worker.GetSearchEngineIndex(), 2);

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
