#pragma once

// Proxy settings: the import of the system proxy and the set-up of an HTTP
// client from the proxy settings.

#include <cstdint>
#include <string>

namespace http {
class HttpClient;
}

namespace foundation {

// The proxy settings as one value, so that a worker thread can take a
// snapshot when it is made instead of reading the globals later.
struct ProxySettingsSnapshot
{
    bool UseProxy = false;
    std::string ProxyKind = "HTTP";
    std::string ProxyServer;
    int32_t ProxyPort = 80;
    std::string ProxyUsername;
    std::string ProxyPassword;

    // Copies the current values of the settings (GUI thread).
    static ProxySettingsSnapshot Current();
};

// The proxy the system (the current user's "Internet Settings" key) is set to
// use: server and port, or empty and 0 unless an enabled proxy is found.
void GetIEProxySettings(std::string &server, int32_t &port);

// Configures the client from the settings (or from a snapshot of them).
void ApplyProxySettings(http::HttpClient &client);
void ApplyProxySettings(http::HttpClient &client, const ProxySettingsSnapshot &settings);

} // namespace foundation
