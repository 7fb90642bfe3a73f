// The hidden browser behind the real proxy servers of the tests. The engine is
// named by a host name of the test's own: the web engine would send requests
// for 127.0.0.1 past any proxy. The proxies connect onwards from 127.0.0.2,
// so the server tells what came through them from what came directly.

#include "platform/browser/BrowserService.h"
#include "platform/browser/HiddenPage.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/LoopbackHostName.h"
#include "tests/support/ProxyServers.h"

#include "ServeUntil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <unistd.h>

using namespace browser;
using namespace std::chrono_literals;
using zvotest::CannedHttpReply;
using zvotest::LocalHttpServer;
using zvotest::LoopbackHostName;
using zvotest::ProxyServer;
using zvotest::serveUntil;

namespace {

PageProxy proxyOf(PageProxy::Kind kind, const ProxyServer &server, const QString &user = {},
                  const QString &password = {})
{
    return {kind, QString::fromStdString(server.host()), server.port(), user, password};
}

class BrowserProxyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "the engine's host name needs a line in " << LoopbackHostName::hostsFile();
        ASSERT_TRUE(m_host.isValid()) << m_host.error();
        ASSERT_TRUE(m_engine.isRunning());
        m_engine.setResponse("/search", CannedHttpReply::ok("<html><body>About 4,321 results</body></html>"));
    }

    QUrl engineUrl(const std::string &path = "/search?q=example.com") const
    {
        return QUrl(QString::fromStdString(m_host.rename(m_engine.url(path))));
    }
    static PageOptions through(const PageProxy &proxy)
    {
        PageOptions o;
        o.timeLimit = 20s;
        o.proxy = proxy;
        return o;
    }
    // Where the engine's requests came from, in order.
    std::vector<std::string> origins()
    {
        std::vector<std::string> from;
        for (const auto &request : m_engine.requests())
            from.push_back(request.clientAddress);
        m_engine.clearRequests();
        return from;
    }

    LoopbackHostName m_host;
    LocalHttpServer m_engine;
    const std::string viaProxy = ProxyServer::outgoingAddress();
};

} // namespace

// The kinds the web engine can carry reach the engine through their proxy and
// never directly, credentials given when the proxy asks for them.
TEST_F(BrowserProxyTest, PagesGoThroughTheProxyTheRequestNames)
{
    std::string error;
    auto http = ProxyServer::startTinyProxy("zvo", "pw1", &error);
    ASSERT_TRUE(http) << error;
    auto socks5 = ProxyServer::startMicroSocks({}, {}, &error);
    ASSERT_TRUE(socks5) << error;

    const struct
    {
        const char *name;
        PageProxy proxy;
    } cases[] = {
        {"HTTP with Basic authentication", proxyOf(PageProxy::Kind::Http, *http, "zvo", "pw1")},
        {"SOCKS 5", proxyOf(PageProxy::Kind::Socks5, *socks5)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const FetchResult r = fetch(engineUrl(), through(c.proxy));
        ASSERT_EQ(r.status, FetchStatus::Completed) << statusName(r.status) << " " << r.errorText.toStdString();
        EXPECT_TRUE(r.html.contains(QStringLiteral("About 4,321 results")));
        EXPECT_EQ(origins(), std::vector<std::string>{viaProxy});
    }
    EXPECT_NE(http->log().find(m_host.name()), std::string::npos) << http->log();
}

// Whatever would leave the proxy out fails instead, and nothing reaches the
// engine: kinds the web engine cannot carry, refused credentials, a proxy
// that is down, and addresses the web engine sends past any proxy.
TEST_F(BrowserProxyTest, NothingGoesDirectlyWhenTheProxyCannotBeUsed)
{
    std::string error;
    auto http = ProxyServer::startTinyProxy("zvo", "pw1", &error);
    ASSERT_TRUE(http) << error;
    auto socks4 = ProxyServer::startDante(&error);
    ASSERT_TRUE(socks4) << error;
    auto socks5 = ProxyServer::startMicroSocks("zvo", "pw2", &error);
    ASSERT_TRUE(socks5) << error;
    PageProxy down = proxyOf(PageProxy::Kind::Http, *http);
    down.port = LocalHttpServer().port();

    const QUrl loopback(QString::fromStdString(m_engine.url("/search?q=loopback")));
    const QUrl plainName(QString::fromStdString("http://localhost:" + std::to_string(m_engine.port()) + "/search"));
    const struct
    {
        const char *name;
        PageProxy proxy;
        QUrl url;
    } cases[] = {
        {"SOCKS 4", proxyOf(PageProxy::Kind::Socks4, *socks4), engineUrl()},
        {"SOCKS 5 with a password", proxyOf(PageProxy::Kind::Socks5, *socks5, "zvo", "pw2"), engineUrl()},
        {"wrong password", proxyOf(PageProxy::Kind::Http, *http, "zvo", "wrong"), engineUrl()},
        {"no password", proxyOf(PageProxy::Kind::Http, *http), engineUrl()},
        {"proxy down", down, engineUrl()},
        {"loopback address", proxyOf(PageProxy::Kind::Http, *http, "zvo", "pw1"), loopback},
        {"localhost", proxyOf(PageProxy::Kind::Http, *http, "zvo", "pw1"), plainName},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QElapsedTimer t;
        t.start();
        const FetchResult r = fetch(c.url, through(c.proxy));
        EXPECT_FALSE(r.ok());
        EXPECT_NE(r.status, FetchStatus::TimedOut) << r.errorText.toStdString();
        EXPECT_TRUE(r.html.isEmpty());
        EXPECT_EQ(origins(), std::vector<std::string>{});
    }
}

// The proxy is the whole process's: a page for another proxy waits until the
// pages under way have ended, and then every page goes its own way, directly
// too, with nothing left over from the proxy before.
TEST_F(BrowserProxyTest, ChangingTheProxyWaitsForThePagesUnderWay)
{
    std::string error;
    auto proxy = ProxyServer::startMicroSocks({}, {}, &error);
    ASSERT_TRUE(proxy) << error;
    const PageProxy socks5 = proxyOf(PageProxy::Kind::Socks5, *proxy);
    m_engine.setResponse("/slow", CannedHttpReply::hang());

    auto slow = FetchRequest::start(engineUrl("/slow"), through(socks5));
    ASSERT_TRUE(serveUntil([&] { return m_engine.requestCount() == 1; }, 10s));
    auto direct = FetchRequest::start(engineUrl(), through({}));
    auto proxied = FetchRequest::start(engineUrl(), through(socks5));
    ASSERT_TRUE(serveUntil([] { return BrowserService::instance()->waitingRequests() == 2; }, 5s));
    EXPECT_FALSE(direct->isFinished() || proxied->isFinished());
    EXPECT_EQ(origins(), std::vector<std::string>{viaProxy});

    slow->abort();
    ASSERT_TRUE(serveUntil([&] { return direct->isFinished() && proxied->isFinished(); }, 20s));
    EXPECT_TRUE(direct->result().ok()) << direct->result().errorText.toStdString();
    EXPECT_TRUE(proxied->result().ok()) << proxied->result().errorText.toStdString();
    EXPECT_EQ(origins(), (std::vector<std::string>{"127.0.0.1", viaProxy}));

    for (const PageProxy &next : {socks5, PageProxy{}, socks5, PageProxy{}}) {
        ASSERT_TRUE(fetch(engineUrl(), through(next)).ok());
        EXPECT_EQ(origins(), std::vector<std::string>{next.kind == PageProxy::Kind::None ? "127.0.0.1" : viaProxy});
    }
    EXPECT_TRUE(serveUntil([] { return HiddenPage::liveCount() == 0; }, 3s));
}
