#include "foundation/MyOptions.h"
#include "foundation/MyWebUtilitiesProxy.h"
#include "platform/http/HttpClient.h"

#include <gtest/gtest.h>

using http::HttpClient;
using http::SocksAuthentication;
using http::SocksVersion;

namespace {

ProxySettingsSnapshot settings(const std::string &kind, const std::string &user = {},
                               const std::string &password = {})
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

struct SocksExpectation
{
    const char *kind;
    const char *user;
    const char *password;
    SocksVersion version;
    SocksAuthentication authentication;
    const char *expectedUser;
    const char *expectedPassword;
};

} // namespace

TEST(ApplyProxySettings, NoProxyUnlessEnabledWithAServer)
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
}

TEST(ApplyProxySettings, SocksKindsSetTheSocketLayer)
{
    const SocksExpectation cases[] = {
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
        client.socksInfo()->username = "old";
        client.socksInfo()->password = "old";
        client.socksInfo()->authentication = SocksAuthentication::UsernamePassword;

        ApplyProxySettings(client, settings(c.kind, c.user, c.password));
        const http::SocksInfo *s = client.socksInfo();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->version, c.version);
        EXPECT_EQ(s->host, "proxy.lan");
        EXPECT_EQ(s->port, 3128);
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
    EXPECT_EQ(client.proxyParams().server, "proxy.lan");
    EXPECT_EQ(client.proxyParams().port, 3128);
    EXPECT_EQ(client.proxyParams().username, "user");
    EXPECT_EQ(client.proxyParams().password, "pass");

    ApplyProxySettings(client, settings("HTTP", "", "only"));
    EXPECT_EQ(client.proxyParams().username, "");
    EXPECT_EQ(client.proxyParams().password, "only");

    ApplyProxySettings(client, settings("HTTP"));
    EXPECT_EQ(client.proxyParams().username, "");
    EXPECT_EQ(client.proxyParams().password, "");
}

TEST(ApplyProxySettings, KindIsComparedWithCase)
{
    for (const char *kind : {"socks4", "SOCKS5", "http", ""}) {
        SCOPED_TRACE(kind);
        HttpClient client;
        ApplyProxySettings(client, settings(kind, "u", "p"));
        ASSERT_TRUE(client.hasIOHandler());
        EXPECT_EQ(client.socksInfo()->version, SocksVersion::None);
        EXPECT_TRUE(client.proxyParams().server.empty());
    }
}

TEST(ApplyProxySettings, WithoutSnapshotReadsTheSettings)
{
    const bool oldUse = UseProxy;
    const std::string oldKind = ProxyKind, oldServer = ProxyServer;
    const int32_t oldPort = ProxyPort;
    UseProxy = true;
    ProxyKind = "Socks4";
    ProxyServer = "127.0.0.1";
    ProxyPort = 1081;
    HttpClient client;
    ApplyProxySettings(client);
    UseProxy = oldUse;
    ProxyKind = oldKind;
    ProxyServer = oldServer;
    ProxyPort = oldPort;

    ASSERT_TRUE(client.hasIOHandler());
    EXPECT_EQ(client.socksInfo()->version, SocksVersion::Socks4);
    EXPECT_EQ(client.socksInfo()->host, "127.0.0.1");
    EXPECT_EQ(client.socksInfo()->port, 1081);
}
