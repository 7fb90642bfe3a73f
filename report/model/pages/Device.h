#pragma once

// TppDevice: the base of every output device (printer, screen, text and
// archive files). A device says which pages it wants through its page
// request, receives the pages its publisher hands out, and follows the job
// protocol StartJob, pages, EndJob (or CancelJob).

#include "report/model/objects/Communicator.h"

#include <QString>

#include <memory>

namespace report {

class TppDrawCommand;
class TppPage;
class TppPageRequest;
class TppPublisher;

using TppPageEvent = classes::TEvent<void(classes::TObject *Sender, classes::TObject *aPage)>;

class TppDevice : public TppCommunicator
{
    ZVO_CLASS(TppDevice)
public:
    explicit TppDevice(classes::TComponent *aOwner = nullptr);
    // Leaves its publisher.
    ~TppDevice() override;

    // The name the device is registered under; '' stands for the class
    // name. Each device class that has a name of its own hides this one.
    static QString ClassDeviceName() { return QString(); }
    // This device's registered name; the base answers the class name.
    virtual QString DeviceName() const;

    // ---- Job protocol ----
    virtual void SetExclusive(bool aValue);
    virtual void SetExclusiveGroup(const QString &aValue);
    virtual void SetStatus(const QString &aText);
    virtual void CancelJob();
    // Renders one command; true when handled (the base handles none).
    virtual bool Draw(TppDrawCommand *aDrawCommand);
    virtual bool RedrawDrawCommand(TppDrawCommand *aDrawCommand);
    virtual void EndJob();
    // Whether only final pages are output.
    virtual bool FinalPagesOnly() const { return true; }
    // Sets SkipPage and PageInRequest for the page, tells the handlers and
    // the subscribers (event 98), and ends the wait when the request is met.
    // Descendants call it first and output the page unless SkipPage (and
    // unless LifeToken has expired). A page that a handler freed (with the
    // report that made it) leaves SkipPage set, PageInRequest clear and
    // PageGone set: nothing of it is read again.
    virtual void ReceivePage(TppPage *aPage);
    virtual void Reset();
    virtual void StartJob();

    // Draws the commands that start on the page.
    void DrawPage(TppPage *aPage);
    void DoOnPageRequest();
    // Printing driven by the device: starts the publisher's job, publishes,
    // and ends the job when the request has been met.
    void RequestPages();

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

    // ---- Properties ----
    bool Active() const { return m_active; }
    // Ignored while busy.
    void SetActive(bool aValue);
    bool Busy() const { return m_busy; }
    bool Cancelled() const { return m_cancelled; }
    bool SkipPage() const { return m_skipPage; }
    void SetSkipPage(bool aValue) { m_skipPage = aValue; }
    bool PageInRequest() const { return m_pageInRequest; }
    classes::TObject *CancelDialog() const { return m_cancelDialog; }
    void SetCancelDialog(classes::TObject *aDialog) { m_cancelDialog = aDialog; }
    int32_t LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int32_t aValue) { m_languageIndex = aValue; }
    TppPageRequest *PageRequest() const { return m_pageRequest.get(); }
    // Copies the given request.
    void SetPageRequest(const TppPageRequest *aPageRequest);
    TppPublisher *Publisher() const { return m_publisher; }
    // A publisher that is being freed is refused.
    void SetPublisher(TppPublisher *aPublisher);
    bool Exclusive() const { return m_exclusive; }
    const QString &ExclusiveGroup() const { return m_exclusiveGroup; }
    const QString &Status() const { return m_status; }
    bool PageRequestPending() const { return m_pageRequestPending; }
    void SetPageRequestPending(bool aValue) { m_pageRequestPending = aValue; }

    // ---- Events ----
    classes::TNotifyEvent OnCancelJob;
    classes::TNotifyEvent OnPageRequest;
    TppPageEvent OnPageReceive;
    classes::TNotifyEvent OnStartJob;
    classes::TNotifyEvent OnEndJob;
    classes::TNotifyEvent OnPublisherChange;

protected:
    // Expires when the device is freed: a descendant's ReceivePage checks it
    // after the base's, whose handlers may free the device.
    std::weak_ptr<char> LifeToken() const { return m_alive; }
    // The page the base's ReceivePage was given went during its handlers.
    bool PageGone() const { return m_pageGone; }

private:
    bool m_active = true;
    bool m_busy = false;
    bool m_cancelled = false;
    bool m_skipPage = false;
    bool m_pageInRequest = false;
    bool m_pageGone = false;
    classes::TObject *m_cancelDialog = nullptr;
    int32_t m_languageIndex = 0;
    std::unique_ptr<TppPageRequest> m_pageRequest;
    TppPublisher *m_publisher = nullptr;
    bool m_exclusive = false;
    QString m_exclusiveGroup;
    QString m_status;
    bool m_pageRequestPending = true;
    // Expires when the device goes, so that calls running handlers can tell.
    std::shared_ptr<char> m_alive = std::make_shared<char>(0);
    TppLiveCount<TppDevice> m_live;
};

// The common base of the printer and the screen device.
class TppRasterDevice : public TppDevice
{
    ZVO_CLASS(TppRasterDevice)
public:
    explicit TppRasterDevice(classes::TComponent *aOwner = nullptr);
};

} // namespace report
