#include "report/model/pages/Publisher.h"

#include "report/model/pages/Device.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/StringList.h"

#include <algorithm>
#include <iterator>

namespace report {

namespace {

// Sets a flag for a scope and puts the old value back however the scope
// ends: a device that raises must not leave the publisher collecting or
// serving from its cache for good.
class PublisherFlagScope
{
public:
    PublisherFlagScope(bool &aFlag, bool aValue, const std::shared_ptr<char> &aAlive)
        : m_flag(aFlag)
        , m_old(aFlag)
        , m_alive(aAlive)
    {
        m_flag = aValue;
    }
    ~PublisherFlagScope()
    {
        if (!m_alive.expired())
            m_flag = m_old;
    }
    PublisherFlagScope(const PublisherFlagScope &) = delete;
    PublisherFlagScope &operator=(const PublisherFlagScope &) = delete;

private:
    bool &m_flag;
    bool m_old;
    std::weak_ptr<char> m_alive;
};

} // namespace

const classes::TMetaClass &TppPublisher::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppPublisher, TppCommunicator>("TppPublisher");
    return meta;
}

TppPublisher::TppPublisher(classes::TComponent *aOwner)
    : TppCommunicator(aOwner)
    , m_pageRequest(std::make_unique<TppPageRequest>())
{}

TppPublisher::~TppPublisher()
{
    BeforeDestruction();
    m_alive.reset();
    // The devices hear of it through the removal notice.
    m_exclusiveGroups.clear();
    freeCache();
}

// ---- Devices ----------------------------------------------------------------

TppPublisher::ExclusiveGroup *TppPublisher::findGroup(const QString &aName)
{
    for (ExclusiveGroup &group : m_exclusiveGroups)
        if (group.name.compare(aName, Qt::CaseInsensitive) == 0)
            return &group;
    return nullptr;
}

TppPublisher::ExclusiveGroup *TppPublisher::groupOf(const TppDevice *aDevice)
{
    for (ExclusiveGroup &group : m_exclusiveGroups)
        if (std::find(group.devices.begin(), group.devices.end(), aDevice) != group.devices.end())
            return &group;
    return nullptr;
}

bool TppPublisher::CanAddDevice(const TppDevice *aDevice) const
{
    if (!aDevice)
        return false;
    // A device listed twice would get every page twice.
    if (std::find(m_devices.begin(), m_devices.end(), aDevice) != m_devices.end())
        return false;
    for (const ExclusiveGroup &group : m_exclusiveGroups)
        if (std::find(group.devices.begin(), group.devices.end(), aDevice) != group.devices.end())
            return false;
    return true;
}

void TppPublisher::AddDevice(TppDevice *aDevice)
{
    if (!CanAddDevice(aDevice) || IsDestroying())
        return;
    if (aDevice->Exclusive()) {
        ExclusiveGroup *group = findGroup(aDevice->ExclusiveGroup());
        if (!group) {
            m_exclusiveGroups.push_back({aDevice->ExclusiveGroup(), {}});
            group = &m_exclusiveGroups.back();
        }
        if (!group->devices.empty()) {
            TppDevice *current = group->devices.front();
            m_devices.erase(std::remove(m_devices.begin(), m_devices.end(), current), m_devices.end());
        }
        group->devices.insert(group->devices.begin(), aDevice);
    }
    m_devices.push_back(aDevice);
    AddNotify(aDevice);
}

void TppPublisher::detach(TppDevice *aDevice)
{
    m_devices.erase(std::remove(m_devices.begin(), m_devices.end(), aDevice), m_devices.end());
    ExclusiveGroup *group = groupOf(aDevice);
    if (!group)
        return;
    const bool wasCurrent = group->devices.front() == aDevice;
    group->devices.erase(std::remove(group->devices.begin(), group->devices.end(), aDevice), group->devices.end());
    // The device it had replaced receives again.
    if (wasCurrent && !group->devices.empty()) {
        TppDevice *previous = group->devices.front();
        if (std::find(m_devices.begin(), m_devices.end(), previous) == m_devices.end())
            m_devices.push_back(previous);
    }
    if (group->devices.empty())
        m_exclusiveGroups.erase(m_exclusiveGroups.begin() + (group - m_exclusiveGroups.data()));
}

void TppPublisher::RemoveDevice(TppDevice *aDevice)
{
    if (!aDevice)
        return;
    detach(aDevice);
    RemoveNotify(aDevice);
}

void TppPublisher::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove || !aCommunicator)
        return;
    // Only the pointer is compared: the device is on its way out.
    for (TppDevice *device : m_devices)
        if (static_cast<TppCommunicator *>(device) == aCommunicator) {
            detach(device);
            return;
        }
    for (ExclusiveGroup &group : m_exclusiveGroups)
        for (TppDevice *device : group.devices)
            if (static_cast<TppCommunicator *>(device) == aCommunicator) {
                detach(device);
                return;
            }
}

TppDevice *TppPublisher::Devices(int aIndex) const
{
    if (aIndex < 0 || aIndex >= DeviceCount())
        throw classes::EListError("List index out of bounds (" + std::to_string(aIndex) + ")");
    return m_devices[size_t(aIndex)];
}

bool TppPublisher::ScreenDevicesOnly() const
{
    // By ancestry: a program may attach a screen device of a class of its
    // own, and its preview is no print either. The screen device's class
    // lives in a later layer, so it is known here by name alone.
    return std::all_of(m_devices.begin(), m_devices.end(), [](const TppDevice *device) {
        for (const classes::TMetaClass *meta = &device->ClassType(); meta; meta = meta->ClassParent())
            if (meta->ClassName().compare(QLatin1String("TppScreenDevice"), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    });
}

void TppPublisher::SetStatus(const QString &aText)
{
    const std::vector<TppDevice *> devices = m_devices;
    const std::weak_ptr<char> alive = m_alive;
    for (TppDevice *device : devices) {
        if (alive.expired())
            return;
        if (std::find(m_devices.begin(), m_devices.end(), device) != m_devices.end())
            device->SetStatus(aText);
    }
}

QString TppPublisher::GetStatus() const
{
    for (const TppDevice *device : m_devices)
        if (!device->Status().isEmpty())
            return device->Status();
    return QString();
}

// ---- Broadcasts ---------------------------------------------------------------

void TppPublisher::broadcast(Broadcast aOperation, TppPage *aPage)
{
    const std::vector<TppDevice *> devices = m_devices;
    const std::weak_ptr<char> alive = m_alive;
    for (TppDevice *device : devices) {
        if (alive.expired())
            return;
        // Freed or detached by an earlier device of this round.
        if (std::find(m_devices.begin(), m_devices.end(), device) == m_devices.end() || !device->Active())
            continue;
        switch (aOperation) {
        case Broadcast::CancelJob:
            if (device->PageRequestPending())
                device->CancelJob();
            break;
        case Broadcast::EndJob: device->EndJob(); break;
        case Broadcast::PageRequest:
            if (device->PageRequestPending()) {
                device->DoOnPageRequest();
                if (!alive.expired() && std::find(m_devices.begin(), m_devices.end(), device) != m_devices.end())
                    RequestPage(device->PageRequest());
            }
            break;
        case Broadcast::ReceivePage:
            if (device->PageRequestPending())
                device->ReceivePage(aPage);
            break;
        case Broadcast::StartJob: device->StartJob(); break;
        case Broadcast::Reset: device->Reset(); break;
        }
    }
}

void TppPublisher::StartJob()
{
    broadcast(Broadcast::StartJob);
}

void TppPublisher::CancelJob()
{
    broadcast(Broadcast::CancelJob);
}

void TppPublisher::ResetDevices()
{
    broadcast(Broadcast::Reset);
}

void TppPublisher::EndJob()
{
    m_jobStarted = false;
    const std::weak_ptr<char> alive = m_alive;
    broadcast(Broadcast::EndJob);
    if (alive.expired())
        return;
    m_replaceNextRequest = true;
    m_pageRequest->Reset();
}

void TppPublisher::Publish()
{
    const std::weak_ptr<char> alive = m_alive;
    {
        PublisherFlagScope collecting(m_collecting, true, m_alive);
        m_replaceNextRequest = true;
        broadcast(Broadcast::PageRequest);
    }
    if (alive.expired())
        return;
    m_jobStarted = true;
    processPageRequest();
}

void TppPublisher::RequestPage(const TppPageRequest *aRequest)
{
    if (!aRequest)
        return;
    if (!m_replaceNextRequest && !m_collecting && !m_jobStarted)
        m_replaceNextRequest = true;
    m_requestComplete = false;
    if (m_replaceNextRequest) {
        m_replaceNextRequest = false;
        m_pageRequest->Assign(aRequest);
    } else if (m_pageRequest->PageSetting() != TppPageSettingType::psAll) {
        m_pageRequest->Merge(*aRequest);
    }
}

void TppPublisher::processPageRequest()
{
    if (m_collecting || m_requestComplete)
        return;
    const std::weak_ptr<char> alive = m_alive;
    const bool served = sendCachedPages();
    if (alive.expired())
        return;
    m_requestComplete = served;
    if (served)
        return;
    if (OnPageRequest)
        OnPageRequest(this, m_pageRequest.get());
    if (!alive.expired())
        SendEventNotify(this, ppEvent::PageRequest, nullptr);
}

void TppPublisher::ReceivePage(TppPage *aPage)
{
    if (!aPage)
        return;
    const std::weak_ptr<char> alive = m_alive;
    cachePage(*aPage);
    broadcast(Broadcast::ReceivePage, aPage);
    if (alive.expired())
        return;
    // A calculation page (or one still to change) stands for no page of the
    // output, as for the devices.
    if (aPage->Final() && !aPage->Calculation())
        m_requestComplete = m_pageRequest->IsCompletedBy(*aPage);
    if (!m_lastPageKnown && aPage->LastPage()) {
        m_lastPageKnown = true;
        m_lastPageNo = aPage->AbsolutePageNo();
    }
    if (HasEventNotify(ppEvent::PublisherPageReceived)) {
        classes::TObject *page = aPage;
        TraParamList params;
        params.AddParam(QStringLiteral("Page"), TraDataType::daClass, false, false, QString(), &TppPage::StaticClass());
        params.SetParamValuePointer(0, &page);
        SendEventNotify(this, ppEvent::PublisherPageReceived, &params);
    }
}

void TppPublisher::Reset()
{
    m_pageRequest->Reset();
    m_replaceNextRequest = true;
    ResetPages();
}

void TppPublisher::ResetPages()
{
    m_lastPageKnown = false;
    m_lastPageNo = 0;
    m_requestComplete = false;
    freeCache();
}

// ---- Cache ----------------------------------------------------------------------

void TppPublisher::freeCache()
{
    // Pages leave the cache before they are freed, so that nothing reached
    // from a page's destruction finds it half gone.
    Cache pages = std::move(m_cache);
    m_cache.clear();
    if (m_servingFromCache && !IsDestroying())
        std::move(pages.begin(), pages.end(), std::back_inserter(m_retired));
    pages.clear();
    m_insertions = 0;
    m_knownAbsolutePageCount = 0;
    m_knownPageCounts.clear();
}

TppPublisher::Cache::const_iterator TppPublisher::findCached(int32_t aPageNo) const
{
    const auto it = std::lower_bound(m_cache.begin(), m_cache.end(), aPageNo,
                                     [](const CacheEntry &e, int32_t no) { return e.page->AbsolutePageNo() < no; });
    return it != m_cache.end() && it->page->AbsolutePageNo() == aPageNo ? it : m_cache.end();
}

void TppPublisher::settle(const CacheEntry &aEntry) const
{
    if (aEntry.settledAt == m_insertions)
        return;
    auto &entry = const_cast<CacheEntry &>(aEntry);
    entry.settledAt = m_insertions;
    TppPage &page = *entry.page;
    if (page.AbsolutePageCount() < m_knownAbsolutePageCount)
        page.SetAbsolutePageCount(m_knownAbsolutePageCount);
    const auto known = m_knownPageCounts.find(page.ControlGroupBreakNo());
    if (known != m_knownPageCounts.end() && page.PageCount() < known->second)
        page.SetPageCount(known->second);
    if (page.HasRecalcDrawCommands())
        page.RecalcDrawCommands(nullptr);
}

TppPage *TppPublisher::CachedPages(int aIndex) const
{
    if (aIndex < 0 || aIndex >= CachedPageCount())
        throw classes::EListError("List index out of bounds (" + std::to_string(aIndex) + ")");
    settle(m_cache[size_t(aIndex)]);
    return m_cache[size_t(aIndex)].page.get();
}

TppPage *TppPublisher::GetCachedPage(int32_t aPageNo) const
{
    const auto it = findCached(aPageNo);
    if (it == m_cache.end())
        return nullptr;
    settle(*it);
    return it->page.get();
}

void TppPublisher::cachePage(const TppPage &aPage)
{
    if (!m_cachePages || m_servingFromCache || !aPage.Final() || aPage.Calculation())
        return;
    auto copy = std::make_unique<TppPage>();
    copy->Assign(&aPage);
    copy->SetCalculation(false);

    const int32_t pageNo = copy->AbsolutePageNo();
    auto it = std::lower_bound(m_cache.begin(), m_cache.end(), pageNo,
                               [](const CacheEntry &e, int32_t no) { return e.page->AbsolutePageNo() < no; });
    std::unique_ptr<TppPage> replaced;
    if (it != m_cache.end() && it->page->AbsolutePageNo() == pageNo) {
        replaced = std::move(it->page);
        it->page = std::move(copy);
    } else {
        it = m_cache.insert(it, CacheEntry{std::move(copy), 0});
    }
    ++m_insertions;
    // The new page itself has the counts it came with; its recalculation
    // waits for the next page, as every other cached page's does.
    it->settledAt = m_insertions;
    m_knownAbsolutePageCount = std::max(m_knownAbsolutePageCount, aPage.AbsolutePageCount());
    int32_t &groupCount = m_knownPageCounts[aPage.ControlGroupBreakNo()];
    groupCount = std::max(groupCount, aPage.PageCount());
}

bool TppPublisher::sendCached(TppPage *aPage)
{
    const std::weak_ptr<char> alive = m_alive;
    ReceivePage(aPage);
    return !alive.expired();
}

bool TppPublisher::sendCachedPages()
{
    if (!m_cachePages || m_cache.empty())
        return false;
    const std::weak_ptr<char> alive = m_alive;
    const bool served = serveFromCache();
    if (!alive.expired() && !m_servingFromCache)
        m_retired.clear();
    return served;
}

bool TppPublisher::serveFromCache()
{
    PublisherFlagScope serving(m_servingFromCache, true, m_alive);
    switch (m_pageRequest->PageSetting()) {
    case TppPageSettingType::psAll: {
        if (!m_lastPageKnown)
            return false;
        TppPage *first = GetCachedPage(1);
        if (!first)
            return false;
        const int32_t count = first->AbsolutePageCount();
        if (count < 1 || count != CachedPageCount())
            return false;
        for (int32_t no = 1; no <= count; ++no)
            if (!GetCachedPage(no))
                return false;
        for (int32_t no = 1; no <= count; ++no) {
            // A device may have reset the publisher meanwhile.
            TppPage *page = GetCachedPage(no);
            if (!page || !sendCached(page))
                return false;
        }
        return true;
    }
    case TppPageSettingType::psPageList: {
        bool all = true;
        int i = 0;
        while (i < m_pageRequest->PageList()->Count()) {
            bool ok = false;
            const int32_t no = m_pageRequest->PageList()->Get(i).toInt(&ok);
            TppPage *page = ok ? GetCachedPage(no) : nullptr;
            if (!page) {
                all = false;
                ++i;
                continue;
            }
            m_pageRequest->PageList()->Delete(i);
            if (!sendCached(page))
                return false;
        }
        // The last page, when it was among those sent, took the entries
        // past it off the list: nothing is left to generate.
        return all || m_pageRequest->PageList()->Count() == 0;
    }
    case TppPageSettingType::psSinglePage: {
        int32_t no = m_pageRequest->PageRequested();
        // As the devices do: past the end is the last page, before the
        // start the first.
        if (m_lastPageKnown && no > m_lastPageNo)
            no = m_lastPageNo;
        if (no < 1)
            no = 1;
        TppPage *page = GetCachedPage(no);
        if (!page)
            return false;
        sendCached(page);
        return true;
    }
    case TppPageSettingType::psFirstPage: {
        TppPage *page = GetCachedPage(1);
        if (!page)
            return false;
        sendCached(page);
        return true;
    }
    case TppPageSettingType::psLastPage: {
        TppPage *page = m_lastPageKnown ? GetCachedPage(m_lastPageNo) : nullptr;
        if (!page)
            return false;
        sendCached(page);
        return true;
    }
    case TppPageSettingType::psPageRange: return false;
    }
    return false;
}

} // namespace report
