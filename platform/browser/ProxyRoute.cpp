#include "platform/browser/ProxyRoute.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QUrl>

namespace browser {

namespace {

QString bareHost(QString host)
{
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    while (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    return host.toLower();
}

} // namespace

bool canCarry(const PageProxy &proxy)
{
    switch (proxy.kind) {
    case PageProxy::Kind::None: return true;
    case PageProxy::Kind::Http: break;
    case PageProxy::Kind::Socks4: return false;
    case PageProxy::Kind::Socks5:
        if (!proxy.user.isEmpty() || !proxy.password.isEmpty())
            return false;
        break;
    }
    return !proxy.host.trimmed().isEmpty() && proxy.port > 0 && proxy.port <= 65535;
}

QNetworkProxy applicationProxyFor(const PageProxy &proxy)
{
    switch (proxy.kind) {
    case PageProxy::Kind::Http: return QNetworkProxy(QNetworkProxy::HttpProxy, proxy.host, quint16(proxy.port));
    case PageProxy::Kind::Socks5: return QNetworkProxy(QNetworkProxy::Socks5Proxy, proxy.host, quint16(proxy.port));
    case PageProxy::Kind::None:
    case PageProxy::Kind::Socks4: break;
    }
    // Not the system's or the environment's proxy either: the caller's
    // settings alone decide, as for the HTTP client.
    return QNetworkProxy(QNetworkProxy::NoProxy);
}

bool bypassesProxy(const QUrl &url)
{
    const QString host = bareHost(url.host());
    if (host.isEmpty())
        return false;
    QHostAddress address;
    if (address.setAddress(host))
        return address.isLoopback() || address.isLinkLocal();
    return host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost")) ||
           !host.contains(QLatin1Char('.'));
}

bool isProxyHost(const PageProxy &proxy, const QString &host)
{
    return proxy.kind != PageProxy::Kind::None && bareHost(proxy.host.trimmed()) == bareHost(host);
}

} // namespace browser
