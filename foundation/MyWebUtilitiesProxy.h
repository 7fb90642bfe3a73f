#pragma once

// Proxy settings: the import of the system proxy and the set-up of an HTTP
// client from the proxy settings.

#include "platform/rtl/ScopedOverride.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace http {
class HttpClient;
}

namespace foundation {

// The current user's key that holds the system's proxy settings.
inline constexpr const char *InternetSettingsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Where the desktop's proxy variables come from: name -> value, nullopt when
// unset. The process environment unless a test stands in for it.
using EnvironmentSource = std::function<std::optional<std::string>(const std::string &name)>;
using ScopedProxyEnvironmentSource = rtl::ScopedOverride<struct ProxyEnvironmentSourceTag, EnvironmentSource>;

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
// use: server and port, or empty and 0 unless an enabled proxy is found. A
// value the key does not hold is answered from the desktop's proxy variable
// (http_proxy, then HTTP_PROXY), so that the import finds the proxy the
// desktop uses: read as the URL it is (a bracketed address whole, port 80
// when none is given), and nothing when it names a SOCKS or TLS proxy.
void GetIEProxySettings(std::string &server, int32_t &port);

// Configures the client from the settings (or from a snapshot of them).
void ApplyProxySettings(http::HttpClient &client);
void ApplyProxySettings(http::HttpClient &client, const ProxySettingsSnapshot &settings);

} // namespace foundation
