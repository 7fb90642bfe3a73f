#include "report/model/pages/Device.h"

#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PageDef.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppDevice, TppCommunicator>("TppDevice");
    return meta;
}

TppDevice::TppDevice(classes::TComponent *aOwner)
    : TppCommunicator(aOwner)
    , m_pageRequest(std::make_unique<TppPageRequest>())
{}

TppDevice::~TppDevice()
{
    BeforeDestruction();
    m_alive.reset();
    if (m_publisher) {
        TppPublisher *publisher = m_publisher;
        m_publisher = nullptr;
        publisher->RemoveDevice(this);
    }
}

QString TppDevice::DeviceName() const
{
    return ClassName();
}

void TppDevice::SetExclusive(bool aValue)
{
    if (!m_publisher && !m_busy)
        m_exclusive = aValue;
}

void TppDevice::SetExclusiveGroup(const QString &aValue)
{
    if (!m_publisher && !m_busy)
        m_exclusiveGroup = aValue;
}

void TppDevice::SetStatus(const QString &aText)
{
    m_status = aText;
}

void TppDevice::CancelJob()
{
    m_busy = false;
    m_cancelled = true;
    if (OnCancelJob)
        OnCancelJob(this);
}

bool TppDevice::Draw(TppDrawCommand *)
{
    return false;
}

bool TppDevice::RedrawDrawCommand(TppDrawCommand *)
{
    return false;
}

void TppDevice::EndJob()
{
    if (!m_busy)
        return;
    m_busy = false;
    m_pageRequestPending = true;
    if (OnEndJob)
        OnEndJob(this);
}

void TppDevice::ReceivePage(TppPage *aPage)
{
    if (!aPage)
        return;
    m_skipPage = false;
    m_pageGone = false;
    m_pageInRequest = m_pageRequest->IsRequestedPage(*aPage);
    if (aPage->Calculation() || (!aPage->Final() && FinalPagesOnly()))
        m_skipPage = true;
    // The handler or a subscriber may free the device (a preview closed on
    // a page), or the report and the page with it; then nothing of either
    // is touched again, here or by the descendant that goes on after this.
    const std::weak_ptr<char> alive = m_alive;
    const std::weak_ptr<char> pageAlive = aPage->AliveToken();
    const auto gone = [&] {
        if (alive.expired())
            return true;
        if (!pageAlive.expired())
            return false;
        m_skipPage = true;
        m_pageInRequest = false;
        m_pageGone = true;
        return true;
    };
    if (OnPageReceive)
        OnPageReceive(this, aPage);
    if (gone())
        return;
    if (HasEventNotify(ppEvent::DevicePageReceived)) {
        classes::TObject *page = aPage;
        TraParamList params;
        params.AddParam(QStringLiteral("Page"), TraDataType::daClass, false, false, QString(), &TppPage::StaticClass());
        params.SetParamValuePointer(0, &page);
        SendEventNotify(this, ppEvent::DevicePageReceived, &params);
        if (gone())
            return;
    }
    if (m_pageRequestPending && aPage->Final() && !aPage->Calculation())
        m_pageRequestPending = !m_pageRequest->IsCompletedBy(*aPage);
}

void TppDevice::Reset()
{
    m_pageRequest->Reset();
    m_cancelled = false;
    m_pageRequestPending = true;
}

void TppDevice::StartJob()
{
    if (m_busy)
        return;
    m_busy = true;
    m_cancelled = false;
    if (OnStartJob)
        OnStartJob(this);
}

void TppDevice::DrawPage(TppPage *aPage)
{
    if (!aPage)
        return;
    const TppPageDef *pageDef = aPage->PageDef();
    for (int i = 0; i < aPage->DrawCommandCount(); ++i) {
        TppDrawCommand *command = aPage->DrawCommands(i);
        if (command->Left() <= pageDef->mmWidth() && command->Top() <= pageDef->mmHeight())
            command->Draw(this);
    }
}

void TppDevice::DoOnPageRequest()
{
    if (OnPageRequest)
        OnPageRequest(this);
}

void TppDevice::RequestPages()
{
    if (!m_publisher)
        return;
    // A handler may free this device while its pages come (a preview
    // closed): nothing of it may be read afterwards.
    const std::weak_ptr<char> alive = m_alive;
    m_pageRequestPending = true;
    m_publisher->StartJob();
    if (!alive.expired() && m_publisher)
        m_publisher->Publish();
    if (!alive.expired() && m_publisher && !m_pageRequestPending)
        m_publisher->EndJob();
}

void TppDevice::SetActive(bool aValue)
{
    if (!m_busy)
        m_active = aValue;
}

void TppDevice::SetPageRequest(const TppPageRequest *aPageRequest)
{
    if (aPageRequest)
        m_pageRequest->Assign(aPageRequest);
}

void TppDevice::SetPublisher(TppPublisher *aPublisher)
{
    // A publisher being freed (a handler of its removal notice re-attaching
    // the device) would leave the device pointing at freed memory.
    if (aPublisher == m_publisher || (aPublisher && aPublisher->IsDestroying()))
        return;
    if (TppPublisher *old = m_publisher) {
        m_publisher = nullptr;
        old->RemoveDevice(this);
    }
    m_publisher = aPublisher;
    if (aPublisher)
        aPublisher->AddDevice(this);
    if (OnPublisherChange)
        OnPublisherChange(this);
}

void TppDevice::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation == ppNotify::Remove && aCommunicator && aCommunicator == m_publisher) {
        m_publisher = nullptr;
        if (OnPublisherChange && !IsDestroying())
            OnPublisherChange(this);
    }
}

// ---- Raster device -------------------------------------------------------------

const classes::TMetaClass &TppRasterDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppRasterDevice, TppDevice>("TppRasterDevice");
    return meta;
}

TppRasterDevice::TppRasterDevice(classes::TComponent *aOwner)
    : TppDevice(aOwner)
{}

} // namespace report
