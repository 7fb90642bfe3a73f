#pragma once

// How the hidden browser's pages reach the network: through the proxy the
// caller names, or directly. The web engine takes its proxy from the
// application proxy of the whole process, so the browser service sets that
// before each page that needs another one.

#include <QString>

class QNetworkProxy;
class QUrl;

namespace browser {

// The proxy every request of a page goes through; none: directly.
struct PageProxy
{
    enum class Kind { None, Http, Socks4, Socks5 };
    Kind kind = Kind::None;
    QString host;
    int port = 0;
    // Given to the proxy when it asks for them.
    QString user;
    QString password;

    bool operator==(const PageProxy &) const = default;
};

// Whether the web engine can send pages through the proxy. Its application
// proxy knows no SOCKS 4, and it never authenticates to a SOCKS 5 server.
bool canCarry(const PageProxy &proxy);

// The application proxy for the pages; the credentials are not part of it.
QNetworkProxy applicationProxyFor(const PageProxy &proxy);

// Whether the web engine sends a request for the URL past any proxy: it does
// so for loopback and link-local addresses, "localhost" and its subdomains,
// and for names without a dot.
bool bypassesProxy(const QUrl &url);

// Whether a proxy that asks for credentials under this name is the one the
// credentials belong to.
bool isProxyHost(const PageProxy &proxy, const QString &host);

} // namespace browser
