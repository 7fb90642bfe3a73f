#include "platform/browser/BrowserService.h"

#include "platform/browser/PageJob.h"
#include "platform/controls/EventPump.h"
#include "platform/controls/Guard.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QThread>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <algorithm>

namespace browser {

namespace {

BrowserService *s_service = nullptr;

bool onApplicationThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void postToApplication(std::function<void()> work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

// The result of a request that never reached a page.
FetchResult failure(FetchStatus status, const QString &errorText)
{
    FetchResult r;
    r.status = status;
    r.errorText = errorText;
    return r;
}

} // namespace

// ---------------------------------------------------------------------------

FetchRequest::FetchRequest(const QUrl &url, const PageOptions &options)
    : m_url(url)
    , m_options(options)
    , m_posted(std::chrono::steady_clock::now())
    , m_callerThread(std::this_thread::get_id())
{}

FetchRequest::~FetchRequest() = default;

std::shared_ptr<FetchRequest> FetchRequest::start(const QUrl &url, const PageOptions &options)
{
    std::shared_ptr<FetchRequest> request(new FetchRequest(url, options));
    if (!QCoreApplication::instance() || QCoreApplication::closingDown()) {
        request->finish(failure(FetchStatus::Unavailable, QStringLiteral("No application to run the browser on")));
        return request;
    }
    postToApplication([request] {
        const bool begun = controls::guarded(controls::Report::none(), [&] {
            if (request->isAbandoned() || request->isFinished())
                return;
            if (BrowserService *service = BrowserService::instance()) {
                service->begin(request);
            } else {
                request->finish(failure(FetchStatus::Unavailable, QStringLiteral("The browser has been shut down")));
            }
        });
        // A request the browser could not take must not leave its caller
        // waiting for the time limit.
        if (!begun)
            controls::guarded(controls::Report::none(), [&] {
                request->finish(
                    failure(FetchStatus::Unavailable, QStringLiteral("The browser could not take the request")));
            });
    });
    return request;
}

bool FetchRequest::isFinished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

bool FetchRequest::waitFor(std::chrono::milliseconds slice)
{
    if (onApplicationThread()) {
        // The answer is produced on this very thread: serve the events until
        // it arrives or the slice is over.
        controls::processEventsFor(slice.count(), [this] { return isFinished(); });
        return isFinished();
    }
    return serveUntil(std::chrono::steady_clock::now() + slice);
}

bool FetchRequest::serveUntil(std::chrono::steady_clock::time_point until)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_finished)
            return true;
        if (!m_tasks.empty()) {
            const std::shared_ptr<CallerTask> call = m_tasks.front();
            m_tasks.pop_front();
            lock.unlock();
            // A failing handler gives the page its own answer.
            controls::guarded(controls::Report::none(), call->task);
            lock.lock();
            call->done = true;
            m_cv.notify_all();
            continue;
        }
        if (!m_cv.wait_until(lock, until, [this] { return m_finished || !m_tasks.empty(); }))
            return m_finished;
    }
}

bool FetchRequest::runOnCaller(std::function<void()> task)
{
    // A caller that gave up may be gone with everything its task reaches.
    if (m_abandoned.load() || isFinished())
        return false;
    if (std::this_thread::get_id() == m_callerThread)
        return controls::guarded(controls::Report::none(), task);
    // A caller busy elsewhere holds the page (and the GUI thread) up to this.
    constexpr std::chrono::seconds answerLimit(5);
    auto call = std::make_shared<CallerTask>();
    call->task = std::move(task);
    std::unique_lock lock(m_mutex);
    m_tasks.push_back(call);
    m_cv.notify_all();
    m_cv.wait_for(lock, answerLimit, [&] { return call->done || m_finished; });
    if (!call->done)
        m_tasks.erase(std::remove(m_tasks.begin(), m_tasks.end(), call), m_tasks.end());
    return call->done;
}

PageHost FetchRequest::hostOnGuiThread()
{
    // The answers are kept in shared slots: a task still running when the
    // page stops waiting must not write into a frame that is gone.
    PageHost host;
    const std::shared_ptr<FetchRequest> self = shared_from_this();
    if (const auto ask = m_options.host.translateUrl)
        host.translateUrl = [self, ask](const QUrl &url) {
            auto answer = std::make_shared<QUrl>(url);
            self->runOnCaller([ask, answer] { *answer = ask(*answer); });
            return *answer;
        };
    if (const auto tell = m_options.host.newWindow)
        host.newWindow = [self, tell](const QUrl &url) { self->runOnCaller([tell, url] { tell(url); }); };
    if (const auto tell = m_options.host.showMessage)
        host.showMessage = [self, tell](const QString &text, const QString &caption) {
            self->runOnCaller([tell, text, caption] { tell(text, caption); });
        };
    if (const auto tell = m_options.host.scriptError)
        host.scriptError = [self, tell](int line, const QString &message, const QString &source) {
            self->runOnCaller([tell, line, message, source] { tell(line, message, source); });
        };
    return host;
}

void FetchRequest::abort(FetchStatus as)
{
    m_abandoned = true;
    finish(failure(as, as == FetchStatus::Aborted ? QStringLiteral("Aborted by the caller")
                                                  : QStringLiteral("No answer from the browser in time")));
    if (!QCoreApplication::instance() || QCoreApplication::closingDown())
        return;
    std::weak_ptr<FetchRequest> weak = weak_from_this();
    postToApplication([weak] {
        controls::guarded(controls::Report::none(), [&] {
            const std::shared_ptr<FetchRequest> request = weak.lock();
            if (request && s_service)
                s_service->drop(request.get());
        });
    });
}

FetchResult FetchRequest::result() const
{
    std::lock_guard lock(m_mutex);
    return m_result;
}

bool FetchRequest::finish(FetchResult result)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_finished)
            return false;
        m_finished = true;
        m_result = std::move(result);
    }
    m_cv.notify_all();
    return true;
}

FetchResult fetch(const QUrl &url, const PageOptions &options, const std::atomic<bool> *abortFlag)
{
    using namespace std::chrono;
    constexpr milliseconds slice(200);
    // Past the page's own limit the GUI thread is not serving at all; the
    // caller must not hang on it.
    constexpr milliseconds margin(2000);
    const auto deadline = steady_clock::now() + options.timeLimit + margin;
    std::shared_ptr<FetchRequest> request = FetchRequest::start(url, options);
    while (!request->waitFor(slice)) {
        if (abortFlag && abortFlag->load()) {
            request->abort(FetchStatus::Aborted);
            break;
        }
        if (steady_clock::now() >= deadline) {
            request->abort(FetchStatus::TimedOut);
            break;
        }
    }
    return request->result();
}

// ---------------------------------------------------------------------------

BrowserService::BrowserService() = default;

BrowserService::~BrowserService()
{
    // Pages first: a profile released under a live page takes the web engine
    // down with it.
    const auto jobs = findChildren<PageJob *>(Qt::FindDirectChildrenOnly);
    for (PageJob *job : jobs) {
        job->disconnect(this);
        job->end(FetchStatus::LoadFailed, QStringLiteral("The browser has been shut down"));
        delete job;
    }
    m_jobs.clear();
    for (const auto &request : m_waiting)
        request->finish(failure(FetchStatus::LoadFailed, QStringLiteral("The browser has been shut down")));
    m_waiting.clear();
    m_profile.reset();
    if (s_service == this)
        s_service = nullptr;
}

BrowserService *BrowserService::instance()
{
    if (!onApplicationThread() || QCoreApplication::closingDown())
        return nullptr;
    if (!s_service)
        s_service = new BrowserService;
    return s_service;
}

void BrowserService::shutdown()
{
    delete s_service;
}

const std::shared_ptr<QWebEngineProfile> &BrowserService::profile()
{
    if (!m_profile) {
        // No storage name: nothing of what the pages see is kept on disk.
        m_profile = std::make_shared<QWebEngineProfile>();
        m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        m_profile->setSpellCheckEnabled(false);
        connect(m_profile.get(), &QWebEngineProfile::downloadRequested, this, &BrowserService::refuseDownload);
        if (!m_postRoutineAdded) {
            // Registered after the web engine's own clean-up, so it runs before it.
            qAddPostRoutine(&BrowserService::shutdown);
            m_postRoutineAdded = true;
        }
    }
    return m_profile;
}

void BrowserService::useProxy(const PageProxy &proxy)
{
    if (m_proxy == proxy)
        return;
    // A profile's network reads the application proxy when it starts, and
    // takes in a change only after a request has gone out the old way. A new
    // proxy therefore gets a new profile; the old one goes with its last page.
    m_profile.reset();
    QNetworkProxy::setApplicationProxy(applicationProxyFor(proxy));
    m_proxy = proxy;
}

QString BrowserService::baseUserAgent()
{
    return profile()->httpUserAgent();
}

void BrowserService::refuseDownload(QWebEngineDownloadRequest *download)
{
    download->cancel();
}

void BrowserService::begin(const std::shared_ptr<FetchRequest> &request)
{
    const PageProxy &proxy = request->options().proxy;
    if (!canCarry(proxy)) {
        // Going directly instead would pass the proxy the user relies on.
        request->finish(failure(FetchStatus::LoadFailed, QStringLiteral("The browser cannot use this proxy")));
        return;
    }
    // The proxy is the whole process's: pages under way keep theirs to the
    // end, and a page for another one waits for them.
    if ((!m_jobs.empty() && m_proxy != proxy) || !m_waiting.empty()) {
        m_waiting.push_back(request);
        return;
    }
    useProxy(proxy);
    startJob(request);
}

void BrowserService::startJob(const std::shared_ptr<FetchRequest> &request)
{
    auto *job = new PageJob(request, profile());
    job->setParent(this);
    m_jobs[request.get()] = job;
    connect(job, &PageJob::ended, this,
            [this](PageJob *ended) { controls::guarded(controls::Report::none(), [&] { jobDone(ended); }); });
    job->start();
}

void BrowserService::startWaiting()
{
    while (m_jobs.empty() && !m_waiting.empty()) {
        const PageProxy proxy = m_waiting.front()->options().proxy;
        useProxy(proxy);
        // Everything waiting for this proxy goes now, the rest keeps its turn.
        std::deque<std::shared_ptr<FetchRequest>> later;
        std::deque<std::shared_ptr<FetchRequest>> now;
        for (auto &request : m_waiting)
            (request->options().proxy == proxy ? now : later).push_back(std::move(request));
        m_waiting = std::move(later);
        for (const auto &request : now)
            if (!request->isAbandoned() && !request->isFinished())
                startJob(request);
    }
}

void BrowserService::drop(const FetchRequest *request)
{
    std::erase_if(m_waiting, [request](const auto &waiting) { return waiting.get() == request; });
    const auto it = m_jobs.find(request);
    if (it != m_jobs.end())
        it->second->end(FetchStatus::Aborted, QStringLiteral("Aborted by the caller"));
}

void BrowserService::jobDone(PageJob *job)
{
    m_jobs.erase(job->request());
    // The job is usually inside one of its page's signals here.
    job->deleteLater();
    if (m_jobs.empty() && !m_waiting.empty())
        QMetaObject::invokeMethod(
            this, [this] { controls::guarded(controls::Report::none(), [this] { startWaiting(); }); },
            Qt::QueuedConnection);
}

} // namespace browser

#include "moc_BrowserService.cpp"
