#include "foundation/MyWebUtilitiesProxy.h"

#include "platform/http/HttpClient.h"

namespace foundation {

void ApplyProxySettings(http::HttpClient &client)
{
    ApplyProxySettings(client, ProxySettingsSnapshot::Current());
}

void ApplyProxySettings(http::HttpClient &client, const ProxySettingsSnapshot &settings)
{
    if (!settings.UseProxy || settings.ProxyServer.empty())
        return;

    // Every kind gets the socket layer, "HTTP" too, so that a client always
    // leaves here with its SOCKS settings in a known state.
    if (!client.hasIOHandler())
        client.createIOHandler();

    const std::string &kind = settings.ProxyKind;
    if (http::SocksInfo *socks = client.socksInfo()) {
        if (kind != "Socks4" && kind != "Socks5") {
            socks->version = http::SocksVersion::None;
        } else {
            socks->host = settings.ProxyServer;
            socks->port = settings.ProxyPort;
            if (kind == "Socks5" && (!settings.ProxyUsername.empty() || !settings.ProxyPassword.empty())) {
                socks->version = http::SocksVersion::Socks5;
                socks->authentication = http::SocksAuthentication::UsernamePassword;
                socks->username = settings.ProxyUsername;
                socks->password = settings.ProxyPassword;
            } else {
                // A SOCKS 5 server without credentials is still spoken to in
                // SOCKS 5: a SOCKS 4 greeting would be refused by it.
                socks->version = kind == "Socks5" ? http::SocksVersion::Socks5 : http::SocksVersion::Socks4;
                socks->authentication = http::SocksAuthentication::None;
                socks->username.clear();
                socks->password.clear();
            }
        }
    }

    if (kind == "HTTP") {
        http::ProxyParams &params = client.proxyParams();
        params.server = settings.ProxyServer;
        params.port = settings.ProxyPort;
        if (settings.ProxyUsername.empty() && settings.ProxyPassword.empty()) {
            params.username.clear();
            params.password.clear();
        } else {
            params.username = settings.ProxyUsername;
            params.password = settings.ProxyPassword;
        }
    }
}

} // namespace foundation
