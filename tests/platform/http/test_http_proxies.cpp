// Requests through real proxy servers on loopback.

#include "platform/http/HttpClient.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/ProxyServers.h"

#include <gtest/gtest.h>

#include <optional>

using http::EHttpError;
using http::ErrorKind;
using http::HttpClient;
using http::SocksAuthentication;
using http::SocksVersion;
using zvotest::CannedHttpReply;
using zvotest::LocalHttpServer;
using zvotest::ProxyServer;

namespace {

std::optional<EHttpError> proxyFailureOf(HttpClient &client, const std::string &url)
{
    try {
        client.get(url);
    } catch (const EHttpError &e) {
        return e;
    }
    return std::nullopt;
}

void useSocks(HttpClient &client, SocksVersion version, const ProxyServer &proxy, const std::string &user = {},
              const std::string &password = {})
{
    client.createIOHandler();
    http::SocksInfo &s = *client.socksInfo();
    s.version = version;
    s.host = proxy.host();
    s.port = proxy.port();
    s.authentication =
        user.empty() && password.empty() ? SocksAuthentication::None : SocksAuthentication::UsernamePassword;
    s.username = user;
    s.password = password;
}

class ProxyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.isRunning());
        target.setResponse("/page", CannedHttpReply::ok("<html>42 results</html>"));
        client.setUserAgent("Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)");
    }
    LocalHttpServer target;
    HttpClient client;
};

} // namespace

TEST_F(ProxyTest, HttpProxyWithBasicAuthenticationReachesTheTarget)
{
    std::string error;
    auto proxy = ProxyServer::startTinyProxy("zvouser", "s3cret", &error);
    ASSERT_TRUE(proxy) << error;

    client.proxyParams() = {proxy->host(), proxy->port(), "zvouser", "s3cret"};
    EXPECT_EQ(client.get(target.url("/page")), "<html>42 results</html>");
    const auto seen = target.requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)");

    // A refusal by the proxy is an HTTP error with the proxy's status (this
    // tinyproxy answers 401 where the standard says 407).
    for (const std::string password : {"wrong", ""}) {
        client.proxyParams().password = password;
        auto failure = proxyFailureOf(client, target.url("/page"));
        ASSERT_TRUE(failure) << password;
        EXPECT_EQ(failure->kind(), ErrorKind::HttpStatus);
        EXPECT_TRUE(failure->httpStatus() == 407 || failure->httpStatus() == 401) << failure->httpStatus();
    }
    EXPECT_EQ(target.requestCount(), 1u);
}

TEST_F(ProxyTest, Socks5ProxyWithAndWithoutAuthentication)
{
    std::string error;
    auto withAuth = ProxyServer::startMicroSocks("zvouser", "s3cret", &error);
    ASSERT_TRUE(withAuth) << error;
    auto open = ProxyServer::startMicroSocks({}, {}, &error);
    ASSERT_TRUE(open) << error;

    useSocks(client, SocksVersion::Socks5, *withAuth, "zvouser", "s3cret");
    EXPECT_EQ(client.get(target.url("/page")), "<html>42 results</html>");

    HttpClient wrong;
    useSocks(wrong, SocksVersion::Socks5, *withAuth, "zvouser", "nope");
    auto failure = proxyFailureOf(wrong, target.url("/page"));
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->kind(), ErrorKind::HttpStatus);

    HttpClient anonymous;
    useSocks(anonymous, SocksVersion::Socks5, *open);
    EXPECT_EQ(anonymous.get(target.url("/page")), "<html>42 results</html>");
    EXPECT_EQ(target.requestCount(), 2u);

    // The worker tells a dead target behind the proxy by its socket error.
    const uint16_t deadPort = target.port();
    target.stop();
    failure = proxyFailureOf(anonymous, "http://127.0.0.1:" + std::to_string(deadPort) + "/page");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind(), ErrorKind::Socket);
    EXPECT_EQ(failure->socketError(), http::SocketError::ConnectionRefused);
}

TEST_F(ProxyTest, SocksProxyCarriesTheConnectionToAnHttpProxy)
{
    std::string error;
    auto socks = ProxyServer::startDante(&error);
    ASSERT_TRUE(socks) << error;
    auto httpProxy = ProxyServer::startTinyProxy({}, {}, &error);
    ASSERT_TRUE(httpProxy) << error;

    useSocks(client, SocksVersion::Socks4, *socks);
    client.proxyParams() = {httpProxy->host(), httpProxy->port(), {}, {}};
    EXPECT_EQ(client.get(target.url("/page")), "<html>42 results</html>");
    // tinyproxy names itself in the request it forwards.
    ASSERT_EQ(target.requestCount(), 1u);
    EXPECT_NE(target.requests()[0].header("Via").find("tinyproxy"), std::string::npos);

    // The HTTP proxy is reached through the SOCKS 4 proxy only: without it,
    // the request fails instead of going around it.
    socks->stop();
    EXPECT_THROW(client.get(target.url("/page")), EHttpError);
}
