#include "platform/browser/PageJob.h"

#include "platform/browser/BrowserService.h"
#include "platform/browser/HiddenPage.h"
#include "platform/controls/Guard.h"

#include <QPointer>
#include <QWebEngineScript>

#include <limits>

namespace browser {

namespace {

const QUrl &blankUrl()
{
    static const QUrl url(QStringLiteral("about:blank"));
    return url;
}

// How long a failed load waits for the status line that tells why it failed.
constexpr int StatusGraceMs = 100;

// How often a loading document is measured: a page without end grows by tens
// of megabytes a second.
constexpr int SizeProbeMs = 100;
constexpr int ProbeLostMs = 1000;

// Characters of the document as it stands, in a world of its own, so that
// the page's scripts can neither see nor change the answer (and it runs with
// the page's scripts turned off too).
const QString &sizeScript()
{
    static const QString script =
        QStringLiteral("document.documentElement ? document.documentElement.outerHTML.length : 0");
    return script;
}

// The job's slots run under the guard: a failure ends the request as a
// failed load rather than leaving its caller to the time limit.
void runSlot(PageJob *job, const std::function<void()> &work)
{
    if (!controls::guarded(controls::Report::none(), work))
        controls::guarded(controls::Report::none(),
                          [job] { job->end(FetchStatus::LoadFailed, QStringLiteral("The page could not be read")); });
}

// The page asks its questions on the GUI thread; the caller answers on its own.
PageOptions pageOptions(FetchRequest &request)
{
    PageOptions options = request.options();
    options.host = request.hostOnGuiThread();
    return options;
}

} // namespace

PageJob::PageJob(std::shared_ptr<FetchRequest> request, std::shared_ptr<QWebEngineProfile> profile)
    : m_request(std::move(request))
    , m_profile(std::move(profile))
    , m_page(std::make_unique<HiddenPage>(m_profile.get(), pageOptions(*m_request)))
{
    m_limit.setSingleShot(true);
    m_grace.setSingleShot(true);
    m_settle.setSingleShot(true);
    m_sizeProbe.setInterval(SizeProbeMs);
    connect(&m_sizeProbe, &QTimer::timeout, this, [this] { runSlot(this, [this] { probeSize(); }); });
    connect(&m_limit, &QTimer::timeout, this, [this] {
        runSlot(this, [this] {
            end(FetchStatus::TimedOut,
                QStringLiteral("No answer within %1 ms").arg(m_request->options().timeLimit.count()));
        });
    });
    connect(&m_grace, &QTimer::timeout, this, [this] { runSlot(this, [this] { onTargetOutcome(false); }); });
    connect(&m_settle, &QTimer::timeout, this, [this] { runSlot(this, [this] { read(); }); });
    connect(m_page.get(), &QWebEnginePage::loadStarted, this, [this] { runSlot(this, [this] { onLoadStarted(); }); });
    connect(m_page.get(), &QWebEnginePage::loadFinished, this,
            [this](bool ok) { runSlot(this, [&] { onLoadFinished(ok); }); });
    connect(m_page.get(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo &info) { runSlot(this, [&] { onLoadingChanged(info); }); });
    connect(m_page.get(), &QWebEnginePage::renderProcessTerminated, this, [this] {
        runSlot(this, [this] { end(FetchStatus::LoadFailed, QStringLiteral("The page's renderer ended")); });
    });
}

PageJob::~PageJob() = default;

void PageJob::start()
{
    using namespace std::chrono;
    const auto spent = duration_cast<milliseconds>(steady_clock::now() - m_request->m_posted);
    const auto left = m_request->options().timeLimit - spent;
    if (left <= milliseconds(0)) {
        end(FetchStatus::TimedOut,
            QStringLiteral("No answer within %1 ms").arg(m_request->options().timeLimit.count()));
        return;
    }
    m_limit.start(int(std::min<milliseconds::rep>(left.count(), std::numeric_limits<int>::max())));
    m_page->load(blankUrl());
}

void PageJob::onLoadFinished(bool ok)
{
    switch (m_phase) {
    case Phase::Blank:
        m_phase = Phase::Target;
        m_page->load(m_request->url());
        m_sizeProbe.start();
        break;
    case Phase::Target:
        // Qt reports the top-level status after this signal: a failure waits
        // briefly for it so that the answer can name the status.
        if (ok)
            onTargetOutcome(true);
        else if (!m_grace.isActive())
            m_grace.start(StatusGraceMs);
        break;
    case Phase::Settling:
    case Phase::Reading:
    case Phase::Ended: break;
    }
}

void PageJob::onLoadStarted()
{
    // The loaded page went elsewhere on its own: the answer is where it lands.
    if (m_phase != Phase::Settling)
        return;
    m_settle.stop();
    m_httpStatus = 0;
    m_loadError.clear();
    m_phase = Phase::Target;
}

void PageJob::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (m_phase != Phase::Target && m_phase != Phase::Settling && m_phase != Phase::Reading)
        return;
    // The blank page's own report can come after its load has finished.
    if (info.url() == blankUrl() || info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        return;
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        m_httpStatus = info.errorCode();
    else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
        m_loadError = QStringLiteral("Load failed (%1 %2)").arg(int(info.errorDomain())).arg(info.errorCode());
    if (m_phase == Phase::Target)
        onTargetOutcome(info.status() == QWebEngineLoadingInfo::LoadSucceededStatus);
}

void PageJob::onTargetOutcome(bool ok)
{
    if (m_phase != Phase::Target)
        return;
    m_grace.stop();
    if (m_httpStatus >= 400) {
        end(FetchStatus::HttpError, QStringLiteral("HTTP status %1").arg(m_httpStatus));
        return;
    }
    if (!ok) {
        end(FetchStatus::LoadFailed, m_loadError.isEmpty() ? QStringLiteral("Load failed") : m_loadError);
        return;
    }
    const auto settle = m_request->options().settleTime;
    if (settle.count() > 0) {
        m_phase = Phase::Settling;
        m_settle.start(int(settle.count()));
        return;
    }
    read();
}

void PageJob::read()
{
    // The document is measured once more before it is copied out: a fast
    // server can deliver far more than the bound between two probes.
    m_phase = Phase::Reading;
    probeSize();
    m_sizeProbe.start();
}

void PageJob::probeSize()
{
    if (m_phase == Phase::Ended)
        return;
    // An answer can be lost when the page changes its renderer on the way to
    // the target; a probe that has not come back in time is forgotten.
    if (m_probeInFlight != 0 && m_probeSentAt.elapsed() < ProbeLostMs)
        return;
    const int probe = ++m_probesSent;
    m_probeInFlight = probe;
    m_probeSentAt.start();
    if (m_phase == Phase::Reading)
        m_readProbe = probe;
    QPointer<PageJob> self(this);
    m_page->runJavaScript(sizeScript(), QWebEngineScript::ApplicationWorld, [self, probe](const QVariant &size) {
        if (self)
            runSlot(self, [&] { self->onSize(probe, size.toLongLong()); });
    });
}

void PageJob::onSize(int probe, qint64 size)
{
    if (m_phase == Phase::Ended)
        return;
    if (probe == m_probeInFlight)
        m_probeInFlight = 0;
    const qint64 bound = m_request->options().maxDocumentSize;
    if (bound > 0 && size > bound) {
        end(FetchStatus::TooLarge, QStringLiteral("The page is larger than %1 characters").arg(bound));
        return;
    }
    if (m_phase != Phase::Reading)
        return;
    if (probe != m_readProbe) {
        // Measured before the reading began.
        probeSize();
        return;
    }
    m_sizeProbe.stop();
    QPointer<PageJob> self(this);
    m_page->toHtml([self](const QString &html) {
        if (self)
            runSlot(self, [&] { self->onHtml(html); });
    });
}

void PageJob::onHtml(const QString &html)
{
    if (m_phase != Phase::Reading)
        return;
    if (m_httpStatus >= 400) {
        end(FetchStatus::HttpError, QStringLiteral("HTTP status %1").arg(m_httpStatus));
        return;
    }
    const qint64 bound = m_request->options().maxDocumentSize;
    if (bound > 0 && html.size() > bound) {
        end(FetchStatus::TooLarge, QStringLiteral("The page is larger than %1 characters").arg(bound));
        return;
    }
    FetchResult result = baseResult(FetchStatus::Completed);
    result.html = html;
    m_phase = Phase::Ended;
    m_limit.stop();
    m_settle.stop();
    m_sizeProbe.stop();
    m_request->finish(std::move(result));
    emit ended(this);
}

FetchResult PageJob::baseResult(FetchStatus status) const
{
    FetchResult result;
    result.status = status;
    result.httpStatus = m_httpStatus;
    result.suppressedDialogs = m_page->suppressedDialogs();
    result.refusedWindows = m_page->refusedWindows();
    result.scriptMessages = m_page->scriptMessages();
    return result;
}

void PageJob::end(FetchStatus status, const QString &errorText)
{
    if (m_phase == Phase::Ended)
        return;
    m_phase = Phase::Ended;
    m_limit.stop();
    m_grace.stop();
    m_settle.stop();
    m_sizeProbe.stop();
    // Whatever is still coming in is of no use, least of all a page without end.
    m_page->triggerAction(QWebEnginePage::Stop);
    FetchResult result = baseResult(status);
    result.errorText = errorText;
    m_request->finish(std::move(result));
    emit ended(this);
}

} // namespace browser

#include "moc_PageJob.cpp"
