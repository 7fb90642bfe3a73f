#pragma once

// The hidden web browser. One service on the GUI thread owns an off-the-record
// profile and loads pages for callers on any thread: a caller posts a request,
// waits for the answer in short slices and may give up at any time.
//
// Waiting ON the GUI thread works too: the wait then runs the event loop
// itself, so the page is served while the caller waits. Callers there must
// expect re-entrancy, as with any nested event loop.

#include "platform/browser/BrowserTypes.h"

#include <QObject>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QWebEngineProfile;
class QWebEngineDownloadRequest;

namespace browser {

class PageJob;

// One request, shared by the caller and the GUI thread.
class FetchRequest : public std::enable_shared_from_this<FetchRequest>
{
public:
    // Posts the request to the GUI thread. Without an application object the
    // request is finished at once as Unavailable.
    static std::shared_ptr<FetchRequest> start(const QUrl &url, const PageOptions &options);

    ~FetchRequest();
    FetchRequest(const FetchRequest &) = delete;
    FetchRequest &operator=(const FetchRequest &) = delete;

    bool isFinished() const;
    // Waits at most one slice; answers whether the request has finished.
    bool waitFor(std::chrono::milliseconds slice);
    // Gives up: the result becomes `as` (unless it had already finished) and
    // the page is dropped on the GUI thread.
    void abort(FetchStatus as = FetchStatus::Aborted);
    FetchResult result() const;

    // GUI thread: runs the task on the thread that waits for the request
    // (its waitFor serves it) and waits until it has run; directly when that
    // is this thread. False when it did not run: the request ended or was
    // given up, or its caller did not come round in time.
    bool runOnCaller(std::function<void()> task);
    // The caller's host, with each question carried to the caller's thread.
    PageHost hostOnGuiThread();

    const QUrl &url() const { return m_url; }
    const PageOptions &options() const { return m_options; }

private:
    FetchRequest(const QUrl &url, const PageOptions &options);
    friend class PageJob;
    friend class BrowserService;
    // Stores the answer once; later answers are ignored.
    bool finish(FetchResult result);
    bool isAbandoned() const { return m_abandoned.load(); }

    const QUrl m_url;
    const PageOptions m_options;
    const std::chrono::steady_clock::time_point m_posted;
    struct CallerTask
    {
        std::function<void()> task;
        bool done = false;
    };
    // Serves the tasks the page left for the caller; true once finished.
    bool serveUntil(std::chrono::steady_clock::time_point until);

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    const std::thread::id m_callerThread;
    std::deque<std::shared_ptr<CallerTask>> m_tasks;
    bool m_finished = false;
    FetchResult m_result;
    std::atomic<bool> m_abandoned{false};
};

// Loads the URL (after "about:blank") and waits for the answer in 200 ms
// slices, giving up when the abort flag is set. Bounded by the request's
// time limit even when the GUI thread never gets round to it.
FetchResult fetch(const QUrl &url, const PageOptions &options, const std::atomic<bool> *abortFlag = nullptr);

class BrowserService : public QObject
{
    Q_OBJECT
public:
    // GUI thread only. Created on first use; destroyed before the
    // application object goes (or earlier by shutdown()).
    static BrowserService *instance();
    // Drops every page and the profile. Requests still waiting fail.
    static void shutdown();

    ~BrowserService() override;

    // Requests being served right now, and those waiting for the pages of
    // another proxy to end.
    int activeRequests() const { return int(m_jobs.size()); }
    int waitingRequests() const { return int(m_waiting.size()); }
    // The profile's own user-agent string, without any token.
    QString baseUserAgent();

private:
    BrowserService();
    friend class FetchRequest;
    friend class PageJob;
    void begin(const std::shared_ptr<FetchRequest> &request);
    void startJob(const std::shared_ptr<FetchRequest> &request);
    void startWaiting();
    void useProxy(const PageProxy &proxy);
    void drop(const FetchRequest *request);
    void jobDone(PageJob *job);
    const std::shared_ptr<QWebEngineProfile> &profile();
    void refuseDownload(QWebEngineDownloadRequest *download);

    // Shared with the jobs: a profile released under a live page takes the
    // web engine down with it.
    std::shared_ptr<QWebEngineProfile> m_profile;
    // The proxy the profile's pages go through; none before the first page.
    std::optional<PageProxy> m_proxy;
    // Jobs are children of the service; the map finds a request's job.
    std::map<const FetchRequest *, PageJob *> m_jobs;
    std::deque<std::shared_ptr<FetchRequest>> m_waiting;
    bool m_postRoutineAdded = false;
};

} // namespace browser
