#include "platform/browser/HiddenPage.h"

#include <algorithm>

#include <QAuthenticator>
#include <QWebEngineCertificateError>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <algorithm>
#include <atomic>

namespace browser {

namespace {
std::atomic<int> s_liveCount{0};
}

int HiddenPage::liveCount()
{
    return s_liveCount.load();
}

const char *statusName(FetchStatus status)
{
    switch (status) {
    case FetchStatus::Pending: return "pending";
    case FetchStatus::Completed: return "completed";
    case FetchStatus::LoadFailed: return "load failed";
    case FetchStatus::HttpError: return "HTTP error";
    case FetchStatus::TimedOut: return "timed out";
    case FetchStatus::TooLarge: return "too large";
    case FetchStatus::Aborted: return "aborted";
    case FetchStatus::Unavailable: return "unavailable";
    }
    return "?";
}

QByteArray composeUserAgent(const QString &profileAgent, const QString &token)
{
    const QString trimmed = token.trimmed();
    const QString agent = trimmed.isEmpty() ? profileAgent : profileAgent + QLatin1Char(' ') + trimmed;
    // Header bytes were Latin-1, and a token that fits goes out as before; one
    // in another script goes out as UTF-8 rather than as question marks.
    const bool latin1 = std::all_of(agent.cbegin(), agent.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
    return latin1 ? agent.toLatin1() : agent.toUtf8();
}

PageRequestStamp::PageRequestStamp(QByteArray userAgent, bool bypassCache, bool behindProxy,
                                   std::function<QUrl(const QUrl &)> translateUrl, QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
    , m_userAgent(std::move(userAgent))
    , m_bypassCache(bypassCache)
    , m_behindProxy(behindProxy)
    , m_translateUrl(std::move(translateUrl))
{}

void PageRequestStamp::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (m_behindProxy && bypassesProxy(info.requestUrl())) {
        const QString scheme = info.requestUrl().scheme().toLower();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ws") ||
            scheme == QLatin1String("wss") || scheme == QLatin1String("ftp")) {
            info.block(true);
            return;
        }
    }
    if (m_translateUrl) {
        // The redirected request comes through here again, proxy rule and all.
        const QUrl to = m_translateUrl(info.requestUrl());
        if (to.isValid() && to != info.requestUrl()) {
            info.redirect(to);
            return;
        }
    }
    info.setHttpHeader("User-Agent", m_userAgent);
    if (m_bypassCache) {
        info.setHttpHeader("Cache-Control", "no-cache");
        info.setHttpHeader("Pragma", "no-cache");
    }
}

HiddenPage::HiddenPage(QWebEngineProfile *profile, const PageOptions &options, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    ++s_liveCount;
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::AutoLoadImages, options.loadImages);
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, options.javaScript);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, options.plugins);
    s->setAttribute(QWebEngineSettings::ShowScrollBars, options.scrollBars);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    // A failed load must stay a failure: the built-in error page would come
    // back as if it were the server's document.
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // The icon request goes out with the profile's agent, past the stamp, and
    // nobody looks at it anyway.
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
    setAudioMuted(!options.audible);

    m_stamp = std::make_unique<PageRequestStamp>(composeUserAgent(profile->httpUserAgent(), options.userAgentToken),
                                                 options.bypassCache, options.proxy.kind != PageProxy::Kind::None,
                                                 options.host.translateUrl);
    setUrlRequestInterceptor(m_stamp.get());
    m_showMessage = options.host.showMessage;
    m_scriptError = options.host.scriptError;

    // A host that wants to hear of new windows hears of the scripts' too;
    // the window itself is refused all the same.
    if (const auto newWindow = options.host.newWindow) {
        s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
        connect(this, &QWebEnginePage::newWindowRequested, this,
                [newWindow](QWebEngineNewWindowRequest &request) { newWindow(request.requestedUrl()); });
    }

    connect(this, &QWebEnginePage::certificateError, this,
            [](const QWebEngineCertificateError &error) { QWebEngineCertificateError(error).rejectCertificate(); });
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
    // An empty authenticator cancels the challenge; nobody can type a password.
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [](const QUrl &, QAuthenticator *auth) { *auth = QAuthenticator(); });
    // The configured proxy gets its credentials, nobody else; refused ones
    // are not offered for ever, the engine would ask again each time.
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this, proxy = options.proxy](const QUrl &, QAuthenticator *auth, const QString &proxyHost) {
                constexpr int maxAnswers = 3;
                if (!isProxyHost(proxy, proxyHost) || (proxy.user.isEmpty() && proxy.password.isEmpty()) ||
                    m_proxyAnswers >= maxAnswers) {
                    *auth = QAuthenticator();
                    return;
                }
                ++m_proxyAnswers;
                auth->setUser(proxy.user);
                auth->setPassword(proxy.password);
            });
}

HiddenPage::~HiddenPage()
{
    // The interceptor must not outlive its registration on a live page.
    setUrlRequestInterceptor(nullptr);
    --s_liveCount;
}

QWebEnginePage *HiddenPage::createWindow(WebWindowType)
{
    ++m_refusedWindows;
    return nullptr;
}

void HiddenPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    ++m_suppressedDialogs;
    if (m_showMessage)
        m_showMessage(msg, title());
}

bool HiddenPage::javaScriptConfirm(const QUrl &, const QString &)
{
    ++m_suppressedDialogs;
    return false;
}

bool HiddenPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    ++m_suppressedDialogs;
    return false;
}

void HiddenPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                          const QString &sourceID)
{
    ++m_scriptMessages;
    // What the engine reports of a script that failed; the page's own
    // console.error calls are not failures.
    if (m_scriptError && level == ErrorMessageLevel && message.startsWith(QLatin1String("Uncaught ")))
        m_scriptError(lineNumber, message, sourceID);
}

QStringList HiddenPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
{
    return {};
}

} // namespace browser

#include "moc_HiddenPage.cpp"
