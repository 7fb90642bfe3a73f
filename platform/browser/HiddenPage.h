#pragma once

// A web page that never shows anything: no pop-up windows, no script dialogs,
// no console output, no downloads, no certificate exceptions, no file pickers.

#include "platform/browser/BrowserTypes.h"

#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

#include <functional>
#include <memory>

namespace browser {

// Stamps the page's user-agent string (the profile's own plus a token) and,
// when asked, the no-cache headers on every request the page makes. Behind a
// proxy it refuses what the web engine would send past the proxy.
class PageRequestStamp : public QWebEngineUrlRequestInterceptor
{
public:
    PageRequestStamp(QByteArray userAgent, bool bypassCache, bool behindProxy,
                     std::function<QUrl(const QUrl &)> translateUrl = {}, QObject *parent = nullptr);
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    const QByteArray m_userAgent;
    const bool m_bypassCache;
    const bool m_behindProxy;
    const std::function<QUrl(const QUrl &)> m_translateUrl;
};

class HiddenPage : public QWebEnginePage
{
    Q_OBJECT
public:
    HiddenPage(QWebEngineProfile *profile, const PageOptions &options, QObject *parent = nullptr);
    ~HiddenPage() override;

    int suppressedDialogs() const { return m_suppressedDialogs; }
    int refusedWindows() const { return m_refusedWindows; }
    int scriptMessages() const { return m_scriptMessages; }
    // Pages alive in the process: each request's page must be gone after it.
    static int liveCount();

protected:
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;

private:
    std::unique_ptr<PageRequestStamp> m_stamp;
    std::function<void(const QString &, const QString &)> m_showMessage;
    std::function<void(int, const QString &, const QString &)> m_scriptError;
    int m_suppressedDialogs = 0;
    int m_refusedWindows = 0;
    int m_scriptMessages = 0;
    int m_proxyAnswers = 0;
};

// The user-agent string the pages send: the profile's own, then the token.
QByteArray composeUserAgent(const QString &profileAgent, const QString &token);

} // namespace browser
