// Requests configured from the proxy settings, through real proxy servers.

#include "foundation/MyWebUtilitiesProxy.h"
#include "platform/http/HttpClient.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/ProxyServers.h"

#include <gtest/gtest.h>

using namespace foundation;

using zvotest::CannedHttpReply;
using zvotest::LocalHttpServer;

namespace {

ProxySettingsSnapshot through(const zvotest::ProxyServer &proxy, const std::string &kind, const std::string &user = {},
                              const std::string &password = {})
{
    ProxySettingsSnapshot s;
    s.UseProxy = true;
    s.ProxyKind = kind;
    s.ProxyServer = proxy.host();
    s.ProxyPort = proxy.port();
    s.ProxyUsername = user;
    s.ProxyPassword = password;
    return s;
}

class ProxySettingsNetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.isRunning());
        target.setResponse("/q", CannedHttpReply::ok("About 1,234 results"));
    }

    // One fresh client per request, as a worker makes it.
    std::string fetch(const ProxySettingsSnapshot &settings)
    {
        http::HttpClient client;
        ApplyProxySettings(client, settings);
        return client.get(target.url("/q"));
    }

    LocalHttpServer target;
};

} // namespace

TEST_F(ProxySettingsNetTest, EveryKindReachesTheTargetThroughItsProxy)
{
    std::string error;
    auto tinyproxy = zvotest::ProxyServer::startTinyProxy("zvo", "pw1", &error);
    ASSERT_TRUE(tinyproxy) << error;
    auto dante = zvotest::ProxyServer::startDante(&error);
    ASSERT_TRUE(dante) << error;
    auto socks5Auth = zvotest::ProxyServer::startMicroSocks("zvo", "pw2", &error);
    ASSERT_TRUE(socks5Auth) << error;
    auto socks5Open = zvotest::ProxyServer::startMicroSocks({}, {}, &error);
    ASSERT_TRUE(socks5Open) << error;

    EXPECT_EQ(fetch(through(*tinyproxy, "HTTP", "zvo", "pw1")), "About 1,234 results");
    EXPECT_EQ(fetch(through(*dante, "Socks4", "ignored", "ignored")), "About 1,234 results");
    EXPECT_EQ(fetch(through(*socks5Auth, "Socks5", "zvo", "pw2")), "About 1,234 results");
    EXPECT_EQ(fetch(through(*socks5Open, "Socks5")), "About 1,234 results");
    EXPECT_EQ(target.requestCount(), 4u);

    // Without the password the authenticating proxies let nothing through.
    EXPECT_THROW(fetch(through(*tinyproxy, "HTTP")), http::EHttpError);
    EXPECT_THROW(fetch(through(*socks5Auth, "Socks5")), http::EHttpError);
    EXPECT_EQ(target.requestCount(), 4u);
}
