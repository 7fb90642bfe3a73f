#pragma once

// One request's page on the GUI thread: "about:blank" first, then the URL,
// then the document's HTML once the top-level load has finished.

#include "platform/browser/BrowserTypes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QWebEngineLoadingInfo>

#include <memory>

class QWebEngineProfile;

namespace browser {

class FetchRequest;
class HiddenPage;

class PageJob : public QObject
{
    Q_OBJECT
public:
    PageJob(std::shared_ptr<FetchRequest> request, std::shared_ptr<QWebEngineProfile> profile);
    ~PageJob() override;

    void start();
    // Ends the job with the given answer (ignored once it has ended).
    void end(FetchStatus status, const QString &errorText = {});
    const FetchRequest *request() const { return m_request.get(); }

signals:
    void ended(PageJob *job);

private:
    enum class Phase { Blank, Target, Settling, Reading, Ended };

    void onLoadFinished(bool ok);
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onLoadStarted();
    void onTargetOutcome(bool ok);
    void read();
    void probeSize();
    void onSize(int probe, qint64 size);
    void onHtml(const QString &html);
    FetchResult baseResult(FetchStatus status) const;

    std::shared_ptr<FetchRequest> m_request;
    // Outlives the page.
    std::shared_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<HiddenPage> m_page;
    QTimer m_limit;
    QTimer m_grace;
    QTimer m_settle;
    QTimer m_sizeProbe;
    int m_probesSent = 0;
    int m_probeInFlight = 0; // 0: none
    QElapsedTimer m_probeSentAt;
    int m_readProbe = 0; // the probe the reading waits for
    Phase m_phase = Phase::Blank;
    int m_httpStatus = 0;
    QString m_loadError;
};

} // namespace browser
