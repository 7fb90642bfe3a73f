#pragma once

// TCheckSEThread: one query of one search engine for one site. The check
// driver makes a worker per work line on the GUI thread, hands it its
// parameters, resumes it, and reads its results once it has finished and been
// waited for. The worker asks the engine directly over HTTP, retries once
// where a second try can help, and falls back to the hidden browser when the
// direct request fails for good.
//
// Only the flags (IsFinished, HasFatalException), the start time and
// AbortCheck may be used while the worker runs; everything else belongs to
// the GUI thread before Resume or after WaitFor.

#include "foundation/MyWebUtilitiesProxy.h"
#include "platform/rtl/ScopedOverride.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace http {
class HttpClient;
}

namespace webbrowser {
class TEmbeddedWB;
}

namespace app {

class TCheckSEThread
{
public:
    // The user agent of the direct request, also assigned to the browser.
    static constexpr const char *UserAgentText = "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)";
    // The failure log, in the program folder.
    static constexpr const char *ErrorLogName = "~SE-Errors.txt";
    // Lets a test see the hidden browser once the worker has connected its
    // events, on the worker's thread, before the first navigation.
    using ScopedBrowserInspector =
        rtl::ScopedOverride<struct BrowserInspectorTag, std::function<void(webbrowser::TEmbeddedWB &)>>;

    // GUI thread: the proxy settings are taken here, so that a later change
    // of the settings cannot reach a worker half-way. A worker whose HTTP
    // client cannot be made still exists, without one.
    explicit TCheckSEThread(bool CreateSuspended = true);
    // Stops a worker still running and waits for it.
    ~TCheckSEThread();
    TCheckSEThread(const TCheckSEThread &) = delete;
    TCheckSEThread &operator=(const TCheckSEThread &) = delete;

    // Asserts a domain, an index from 1 and a URL; answers whether the worker
    // has an HTTP client.
    bool SetCheckParameters(const std::string &Domain, int32_t SearchEngineIndex, const std::string &URL);

    // Monotonic milliseconds, set and read by the driver.
    void SetStartTime(uint64_t Time) { m_startTime.store(Time); }
    uint64_t GetStartTime() const { return m_startTime.load(); }
    const std::string &GetDomain() const { return m_domain; }
    int32_t GetSearchEngineIndex() const { return m_searchEngineIndex; }
    int32_t GetLinkCount() const { return m_linkCount.load(); }

    bool IsFinished() const { return m_done.load() || m_terminated.load(); }
    bool Succeeded() const { return m_returnValue.load() == 0; }
    // 0 when the page was fetched and read, -1 when the worker failed or was
    // stopped.
    int32_t ReturnValue() const { return m_returnValue.load(); }
    bool Terminated() const { return m_terminated.load(); }
    bool HasHttpClient() const { return m_http != nullptr; }

    // An error the body did not handle: the thread ended without finishing
    // its work (IsFinished stays false until the worker is aborted).
    bool HasFatalException() const { return m_hasFatal.load(std::memory_order_acquire); }
    std::exception_ptr FatalException() const;
    std::string FatalExceptionMessage() const;

    // Starts the thread of a worker made suspended; later calls do nothing.
    void Resume();
    // Asks the body to stop at its next check.
    void Terminate() { m_terminated.store(true); }
    // Ends the transfer in progress and terminates the worker; nothing
    // happens for a worker that is done, terminated or without a client.
    void AbortCheck();
    // Blocks until the thread has ended (at once for one never started);
    // answers ReturnValue.
    int32_t WaitFor();

private:
    void ThreadMain();
    void Execute();
    bool DownloadPage(const std::string &URL, std::string &Page);
    // The hidden browser's page; throws on failure, rtl::EAbort when stopped.
    std::string FetchWithBrowser(const std::string &URL);
    void ConnectBrowserEvents(webbrowser::TEmbeddedWB &browser);
    // The browser's events, on the worker's thread while it waits for the
    // page: the top frame and whether its document has completed; every new
    // window cancelled, every dialog closed, and no message or script error
    // shown.
    void WebBrowserBeforeNavigate2(webbrowser::TEmbeddedWB *Sender, const void *Frame, const std::string &URL,
                                   bool &Cancel);
    void WebBrowserNavigateComplete2(webbrowser::TEmbeddedWB *Sender, const void *Frame, const std::string &URL);
    void WebBrowserDocumentComplete(webbrowser::TEmbeddedWB *Sender, const void *Frame, const std::string &URL);
    void WebBrowserNewWindow2(webbrowser::TEmbeddedWB *Sender, const std::string &URL, bool &Cancel);
    // h: the dialog's window, a QObject with a close slot.
    void WebBrowserShowDialog(webbrowser::TEmbeddedWB *Sender, void *h);
    int32_t WebBrowserShowMessage(webbrowser::TEmbeddedWB *Sender, const std::string &Text, const std::string &Caption,
                                  uint32_t Type);
    void WebBrowserScriptError(webbrowser::TEmbeddedWB *Sender, const std::string &ErrorLine,
                               const std::string &ErrorCharacter, const std::string &ErrorCode,
                               const std::string &ErrorMessage, const std::string &ErrorUrl, bool &ContinueScript,
                               bool &Showdialog);
    // The client's progress: false, which ends the transfer, once the worker
    // is terminated.
    bool HTTPWork(int64_t Received, int64_t Total);
    bool Stopping() const { return m_terminated.load() || m_done.load(); }

    std::unique_ptr<http::HttpClient> m_http;
    // Taken with the client's, for the browser's pages.
    foundation::ProxySettingsSnapshot m_proxySettings;
    std::atomic<bool> m_done{false};
    std::atomic<int32_t> m_linkCount{0};
    int32_t m_searchEngineIndex = 0;
    std::string m_url;
    std::string m_domain;
    std::atomic<uint64_t> m_startTime{0};
    // The browser's top frame while it loads, and whether its document has
    // completed; used on the worker's thread only.
    const void *m_topFrame = nullptr;
    bool m_documentComplete = false;

    std::atomic<bool> m_terminated{false};
    std::atomic<int32_t> m_returnValue{0};
    std::atomic<bool> m_hasFatal{false};
    std::exception_ptr m_fatal;
    std::thread m_thread;
    bool m_started = false;
};

} // namespace app
