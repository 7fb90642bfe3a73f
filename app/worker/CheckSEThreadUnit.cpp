#include "app/worker/CheckSEThreadUnit.h"

#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyUtilitiesUi.h"
#include "foundation/MyWebUtilities.h"
#include "platform/browser/BrowserTypes.h"
#include "platform/http/HttpClient.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"
#include "widgets/webbrowser/EmbeddedWB.h"

#include <QMetaObject>
#include <QObject>

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace app {

using namespace foundation;

namespace {

using namespace std::chrono_literals;

constexpr const char *UnitName = "CheckSEThreadUnit";
constexpr auto BrowserSlice = 200ms;

static_assert(browser::DefaultMaxDocumentSize == http::HttpClient::DefaultMaxBodySize,
              "the browser's pages keep the bound of the client's");

// The browser's pages take the route the direct request takes.
browser::PageProxy BrowserProxyFor(const ProxySettingsSnapshot &settings)
{
    using Kind = browser::PageProxy::Kind;
    browser::PageProxy proxy;
    if (!settings.UseProxy || settings.ProxyServer.empty())
        return proxy;
    if (settings.ProxyKind == "HTTP")
        proxy.kind = Kind::Http;
    else if (settings.ProxyKind == "Socks4")
        proxy.kind = Kind::Socks4;
    else if (settings.ProxyKind == "Socks5")
        proxy.kind = Kind::Socks5;
    else
        return proxy; // a kind the client does not know leaves it without a proxy as well
    proxy.host = rtl::ToQString(settings.ProxyServer);
    proxy.port = settings.ProxyPort;
    // SOCKS 4 has no password; the client sends none.
    if (proxy.kind != Kind::Socks4) {
        proxy.user = rtl::ToQString(settings.ProxyUsername);
        proxy.password = rtl::ToQString(settings.ProxyPassword);
    }
    return proxy;
}

// The browser's page as the lines of a text: CR LF after every line.
std::string AsTextLines(const std::string &html)
{
    std::string text;
    text.reserve(html.size() + html.size() / 32 + 2);
    size_t start = 0;
    while (start < html.size()) {
        size_t end = html.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = html.size();
        text.append(html, start, end - start);
        text += "\r\n";
        if (end < html.size() && html[end] == '\r' && end + 1 < html.size() && html[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return text;
}

} // namespace

TCheckSEThread::TCheckSEThread(bool CreateSuspended)
{
    try {
        m_proxySettings = ProxySettingsSnapshot::Current();
        auto client = std::make_unique<http::HttpClient>();
        ApplyProxySettings(*client, m_proxySettings);
        client->setHandleRedirects(true);
        // A stop ends a transfer in progress instead of waiting for its end.
        client->setProgressCallback([this](int64_t received, int64_t total) { return HTTPWork(received, total); });
        m_http = std::move(client);
    } catch (const std::exception &) {
        m_http.reset();
    }
    if (!CreateSuspended)
        Resume();
}

TCheckSEThread::~TCheckSEThread()
{
    if (m_thread.joinable()) {
        Terminate();
        if (m_http)
            m_http->abort();
        m_thread.join();
    }
    if (m_http)
        m_http->setProgressCallback({});
}

bool TCheckSEThread::SetCheckParameters(const std::string &Domain, int32_t SearchEngineIndex, const std::string &URL)
{
    ZVO_ASSERT(!Domain.empty(), UnitName);
    ZVO_ASSERT(SearchEngineIndex >= 1, UnitName);
    ZVO_ASSERT(!URL.empty(), UnitName);
    m_domain = Domain;
    m_searchEngineIndex = SearchEngineIndex;
    m_url = URL;
    return m_http != nullptr;
}

std::exception_ptr TCheckSEThread::FatalException() const
{
    return HasFatalException() ? m_fatal : nullptr;
}

std::string TCheckSEThread::FatalExceptionMessage() const
{
    const std::exception_ptr fatal = FatalException();
    if (!fatal)
        return {};
    try {
        std::rethrow_exception(fatal);
    } catch (const std::exception &e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

void TCheckSEThread::Resume()
{
    if (m_started)
        return;
    m_started = true;
    m_thread = std::thread([this] { ThreadMain(); });
}

void TCheckSEThread::AbortCheck()
{
    if (m_terminated.load() || m_done.load() || !m_http)
        return;
    // Terminate before breaking the transfer: the body must see the stop when
    // its request fails, or it would take the failure for a retry or a case
    // for the browser.
    Terminate();
    m_http->abort();
}

int32_t TCheckSEThread::WaitFor()
{
    if (m_thread.joinable())
        m_thread.join();
    return ReturnValue();
}

void TCheckSEThread::ThreadMain()
{
    // Queries give way to the window: a check of many sites must not make the
    // desktop sluggish. Lowering one's own priority needs no privilege.
    const pid_t self = gettid();
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, id_t(self));
    if (errno == 0)
        setpriority(PRIO_PROCESS, id_t(self), nice + 1);

    try {
        Execute();
    } catch (...) {
        m_returnValue.store(-1);
        m_fatal = std::current_exception();
        m_hasFatal.store(true, std::memory_order_release);
    }
}

void TCheckSEThread::Execute()
{
    if (m_terminated.load()) {
        m_returnValue.store(-1);
        m_done.store(true);
        return;
    }

    std::string page;
    if (!DownloadPage(m_url, page))
        page.clear();
    if (page.empty() || Stopping()) {
        m_returnValue.store(-1);
        m_done.store(true);
        return;
    }

    // A count beyond 32 bits raises here and ends the body as a failure.
    int32_t count = GetResultCountFromHTML(page);
    if (count == -1)
        count = 0;
    m_linkCount.store(count);
    m_returnValue.store(Stopping() ? -1 : 0);
    m_done.store(true);
}

bool TCheckSEThread::DownloadPage(const std::string &URL, std::string &Page)
{
    Page.clear();
    if (!m_http)
        throw rtl::Exception("The worker has no HTTP client");

    bool success = true;
    int errorCode = 0;
    bool errorFlag = false;

    const auto directGet = [&] {
        m_http->setReferer(GetSiteRootURL(URL, true));
        m_http->setUserAgent(UserAgentText);
        Page = m_http->get(URL);
    };

    try {
        directGet();
    } catch (const http::EHttpError &e) {
        switch (e.kind()) {
        case http::ErrorKind::ConnectionClosed:
            // The server said all it had to say by closing: nothing to retry.
            break;
        case http::ErrorKind::HttpStatus:
            errorFlag = true;
            errorCode = e.httpStatus();
            break;
        case http::ErrorKind::Socket:
            errorFlag = true;
            errorCode = e.socketError();
            break;
        case http::ErrorKind::Aborted:
        case http::ErrorKind::Other: errorFlag = true; break;
        }
    } catch (const std::exception &) {
        errorFlag = true;
    }

    // A missing page or a bad request will not get better by asking again,
    // and a socket error means the engine cannot be reached this way at all.
    if (errorCode == 400 || errorCode == 404 || errorCode >= 10000) {
        success = false;
    } else if (errorFlag && !Stopping()) {
        try {
            directGet();
        } catch (const http::EHttpError &e) {
            if (e.kind() != http::ErrorKind::ConnectionClosed)
                success = false;
        } catch (const std::exception &) {
            success = false;
        }
    }

    if (!success) {
        success = true;
        try {
            Page = FetchWithBrowser(URL);
        } catch (const std::exception &) {
            success = false;
        }
    }

    if (!success && IsDevelopmentEnvironmentRunning())
        AppendLineToFile(GetApplicationPath() + ErrorLogName,
                         GetDateTimeStamp(false) + ": " + std::to_string(errorCode) + ": " + URL);
    return success;
}

void TCheckSEThread::ConnectBrowserEvents(webbrowser::TEmbeddedWB &browser)
{
    using webbrowser::TEmbeddedWB;
    browser.OnBeforeNavigate2.Set([this](TEmbeddedWB *Sender, const void *Frame, const std::string &URL, bool &Cancel) {
        WebBrowserBeforeNavigate2(Sender, Frame, URL, Cancel);
    });
    browser.OnNavigateComplete2.Set([this](TEmbeddedWB *Sender, const void *Frame, const std::string &URL) {
        WebBrowserNavigateComplete2(Sender, Frame, URL);
    });
    browser.OnDocumentComplete.Set([this](TEmbeddedWB *Sender, const void *Frame, const std::string &URL) {
        WebBrowserDocumentComplete(Sender, Frame, URL);
    });
    browser.OnNewWindow2.Set([this](TEmbeddedWB *Sender, const std::string &URL, bool &Cancel) {
        WebBrowserNewWindow2(Sender, URL, Cancel);
    });
    browser.OnShowDialog.Set([this](TEmbeddedWB *Sender, void *h) { WebBrowserShowDialog(Sender, h); });
    browser.OnShowMessage.Set([this](TEmbeddedWB *Sender, const std::string &Text, const std::string &Caption,
                                     uint32_t Type) { return WebBrowserShowMessage(Sender, Text, Caption, Type); });
    browser.OnScriptError.Set([this](TEmbeddedWB *Sender, const std::string &ErrorLine,
                                     const std::string &ErrorCharacter, const std::string &ErrorCode,
                                     const std::string &ErrorMessage, const std::string &ErrorUrl, bool &ContinueScript,
                                     bool &Showdialog) {
        WebBrowserScriptError(Sender, ErrorLine, ErrorCharacter, ErrorCode, ErrorMessage, ErrorUrl, ContinueScript,
                              Showdialog);
    });
}

void TCheckSEThread::WebBrowserBeforeNavigate2(webbrowser::TEmbeddedWB *, const void *, const std::string &, bool &)
{
    m_topFrame = nullptr;
    m_documentComplete = false;
}

void TCheckSEThread::WebBrowserNavigateComplete2(webbrowser::TEmbeddedWB *, const void *Frame, const std::string &)
{
    if (!m_topFrame)
        m_topFrame = Frame;
}

void TCheckSEThread::WebBrowserDocumentComplete(webbrowser::TEmbeddedWB *, const void *Frame, const std::string &)
{
    if (Frame == m_topFrame) {
        m_topFrame = nullptr;
        m_documentComplete = true;
    }
}

// Nothing the page says may reach the user. The hidden page refuses every
// window by itself as well; cancelling here keeps that so should the browser
// ever open what its host does not refuse.
void TCheckSEThread::WebBrowserNewWindow2(webbrowser::TEmbeddedWB *, const std::string &, bool &Cancel)
{
    Cancel = true;
}

// The dialog's window belongs to the GUI thread: it is asked to close there,
// as a posted close would.
void TCheckSEThread::WebBrowserShowDialog(webbrowser::TEmbeddedWB *, void *h)
{
    if (auto *dialog = static_cast<QObject *>(h))
        QMetaObject::invokeMethod(dialog, "close", Qt::QueuedConnection);
}

int32_t TCheckSEThread::WebBrowserShowMessage(webbrowser::TEmbeddedWB *, const std::string &, const std::string &,
                                              uint32_t)
{
    return webbrowser::S_OK;
}

void TCheckSEThread::WebBrowserScriptError(webbrowser::TEmbeddedWB *, const std::string &, const std::string &,
                                           const std::string &, const std::string &, const std::string &,
                                           bool &ContinueScript, bool &Showdialog)
{
    ContinueScript = false;
    Showdialog = false;
}

bool TCheckSEThread::HTTPWork(int64_t, int64_t)
{
    return !m_terminated.load();
}

std::string TCheckSEThread::FetchWithBrowser(const std::string &URL)
{
    using D = webbrowser::TDownloadControlOption;
    m_topFrame = nullptr;
    m_documentComplete = false;

    // A proxy the browser cannot go through would leave the query to go
    // directly, past the proxy the user relies on: the query fails instead.
    const browser::PageProxy proxy = BrowserProxyFor(m_proxySettings);
    if (!browser::canCarry(proxy))
        throw rtl::Exception("The browser cannot use the configured proxy");

    // The wrapper loads through the browser service on the GUI thread; it has
    // no window of its own, so nothing here touches a widget.
    webbrowser::TEmbeddedWB browser(nullptr);
    browser.Width = 1;
    browser.Height = 1;
    browser.Left = -browser.Width - 100;
    browser.Top = -browser.Height - 100;
    browser.Loaded();
    browser.Visible = true;
    browser.SetDownloadOptions(
        {D::DLCTL_DLIMAGES, D::DLCTL_NO_JAVA, D::DLCTL_NO_RUNACTIVEXCTLS, D::DLCTL_NO_DLACTIVEXCTLS, D::DLCTL_SILENT});
    ConnectBrowserEvents(browser);
    if (const auto inspect = ScopedBrowserInspector::current())
        (*inspect)(browser);
    browser.Proxy = proxy;

    browser.NavigateUrl("about:blank");
    // Set after Loaded, so the token registered with the wrapper stays empty
    // and the browser's requests go out with the browser's own user agent.
    browser.UserAgent = UserAgentText;
    browser.Navigate(URL);

    while (browser.Busy() || browser.ReadyState() != webbrowser::READYSTATE_COMPLETE || !m_documentComplete) {
        const auto roundStart = std::chrono::steady_clock::now();
        browser.ProcessMessages(BrowserSlice);
        if (Stopping())
            throw rtl::EAbort();
        // A browser with nothing under way cannot wait for us: keep the round
        // at its length instead of spinning.
        const auto spent = std::chrono::steady_clock::now() - roundStart;
        if (!browser.Busy() && !m_documentComplete && spent < BrowserSlice)
            std::this_thread::sleep_for(BrowserSlice - spent);
    }

    // A page the browser could not load is a failed query, not a page that
    // reports no links: the cell must keep the count it has.
    if (!browser.LastResult().ok())
        throw rtl::Exception("The browser could not load " + URL);

    std::string page;
    try {
        page = AsTextLines(browser.DocumentHtml());
    } catch (const std::exception &) {
        page.clear();
    }
    return page;
}

} // namespace app
