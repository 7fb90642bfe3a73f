#include "foundation/MyOptions.h"
#include "foundation/MyWebUtilitiesProxy.h"
#include "platform/http/HttpClient.h"

#include <gtest/gtest.h>

using namespace foundation;

using http::HttpClient;
using http::SocksAuthentication;
using http::SocksVersion;

namespace {

ProxySettingsSnapshot settings(const std::string &kind, const std::string &user = {}, const std::string &password = {})
{
    ProxySettingsSnapshot s;
    s.UseProxy = true;
    s.ProxyKind = kind;
    s.ProxyServer = "proxy.lan";
    s.ProxyPort = 3128;
    s.ProxyUsername = user;
    s.ProxyPassword = password;
    return s;
}

} // namespace

TEST(ApplyProxySettings, NothingIsSetUnlessEnabledWithAServerAndAKnownKind)
{
    auto disabled = settings("Socks5", "u", "p");
    disabled.UseProxy = false;
    auto noServer = settings("HTTP", "u", "p");
    noServer.ProxyServer.clear();
    for (const auto &s : {disabled, noServer}) {
        HttpClient client;
        ApplyProxySettings(client, s);
        EXPECT_FALSE(client.hasIOHandler());
        EXPECT_TRUE(client.proxyParams().server.empty());
    }
    // The kind is compared with its case.
    for (const char *kind : {"socks4", "SOCKS5", "http", ""}) {
        SCOPED_TRACE(kind);
        HttpClient client;
        ApplyProxySettings(client, settings(kind, "u", "p"));
        ASSERT_TRUE(client.hasIOHandler());
        EXPECT_EQ(client.socksInfo()->version, SocksVersion::None);
        EXPECT_TRUE(client.proxyParams().server.empty());
    }
}

TEST(ApplyProxySettings, SocksKindsSetTheSocketLayer)
{
    const struct
    {
        const char *kind, *user, *password;
        SocksVersion version;
        SocksAuthentication authentication;
        const char *expectedUser, *expectedPassword;
    } cases[] = {
        {"Socks4", "u", "p", SocksVersion::Socks4, SocksAuthentication::None, "", ""},
        {"Socks5", "u", "p", SocksVersion::Socks5, SocksAuthentication::UsernamePassword, "u", "p"},
        {"Socks5", "", "p", SocksVersion::Socks5, SocksAuthentication::UsernamePassword, "", "p"},
        {"Socks5", "u", "", SocksVersion::Socks5, SocksAuthentication::UsernamePassword, "u", ""},
        // A SOCKS 5 server without credentials is spoken to in SOCKS 5.
        {"Socks5", "", "", SocksVersion::Socks5, SocksAuthentication::None, "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " user=" + c.user + " password=" + c.password);
        HttpClient client;
        // Left-overs of an earlier configuration must not survive.
        client.createIOHandler();
        *client.socksInfo() = {SocksVersion::None, "old", 1, SocksAuthentication::UsernamePassword, "old", "old"};

        ApplyProxySettings(client, settings(c.kind, c.user, c.password));
        const http::SocksInfo *s = client.socksInfo();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->version, c.version);
        EXPECT_EQ(s->host + ":" + std::to_string(s->port), "proxy.lan:3128");
        EXPECT_EQ(s->authentication, c.authentication);
        EXPECT_EQ(s->username, c.expectedUser);
        EXPECT_EQ(s->password, c.expectedPassword);
        EXPECT_TRUE(client.proxyParams().server.empty());
    }
}

TEST(ApplyProxySettings, HttpKindSetsTheProxyParamsAndNoSocks)
{
    HttpClient client;
    // A client that went through a SOCKS proxy before must not chain it.
    ApplyProxySettings(client, settings("Socks5", "u", "p"));
    ApplyProxySettings(client, settings("HTTP", "user", "pass"));
    ASSERT_TRUE(client.hasIOHandler());
    EXPECT_EQ(client.socksInfo()->version, SocksVersion::None);
    const auto params = [&client] {
        const auto &p = client.proxyParams();
        return p.server + ":" + std::to_string(p.port) + " " + p.username + "/" + p.password;
    };
    EXPECT_EQ(params(), "proxy.lan:3128 user/pass");
    ApplyProxySettings(client, settings("HTTP", "", "only"));
    EXPECT_EQ(params(), "proxy.lan:3128 /only");
    ApplyProxySettings(client, settings("HTTP"));
    EXPECT_EQ(params(), "proxy.lan:3128 /");
}

TEST(ApplyProxySettings, WithoutSnapshotReadsTheSettings)
{
    const ProxySettingsSnapshot saved = ProxySettingsSnapshot::Current();
    UseProxy = true;
    ProxyKind = "Socks4";
    ProxyServer = "127.0.0.1";
    ProxyPort = 1081;
    HttpClient client;
    ApplyProxySettings(client);
    UseProxy = saved.UseProxy, ProxyKind = saved.ProxyKind, ProxyServer = saved.ProxyServer;
    ProxyPort = saved.ProxyPort;

    ASSERT_TRUE(client.hasIOHandler());
    EXPECT_EQ(client.socksInfo()->version, SocksVersion::Socks4);
    EXPECT_EQ(client.socksInfo()->host + ":" + std::to_string(client.socksInfo()->port), "127.0.0.1:1081");
}
