#pragma once

// TppPublisher: between the producer and its devices. Devices say which
// pages they want; the publisher merges their requests, serves what it can
// from its cache of final pages and otherwise asks the producer to generate
// (event 100). Every page that comes back goes to the devices still
// waiting, into the cache, and completes the request when the last wanted
// page has passed.
//
// Devices may be freed, detach one another or raise while pages are handed
// out: each round walks a snapshot of the device list and skips devices
// that left meanwhile.

#include "report/model/objects/Communicator.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace report {

class TppDevice;
class TppPage;
class TppPageRequest;

using TppPageRequestEvent = classes::TEvent<void(classes::TObject *Sender, classes::TObject *aPageRequest)>;

class TppPublisher : public TppCommunicator
{
    ZVO_CLASS(TppPublisher)
public:
    explicit TppPublisher(classes::TComponent *aOwner = nullptr);
    ~TppPublisher() override;

    // ---- Devices ----
    void AddDevice(TppDevice *aDevice);
    void RemoveDevice(TppDevice *aDevice);
    // False for a device already attached or in an exclusive group, and for
    // nil.
    bool CanAddDevice(const TppDevice *aDevice) const;
    TppDevice *Devices(int aIndex) const;
    int DeviceCount() const { return int(m_devices.size()); }
    // Whether every device is a screen device (true for none).
    bool ScreenDevicesOnly() const;

    // ---- Cache ----
    // In ascending page number.
    TppPage *CachedPages(int aIndex) const;
    int CachedPageCount() const { return int(m_cache.size()); }
    // The cached page of that number, or nullptr.
    TppPage *GetCachedPage(int32_t aPageNo) const;
    bool CachePages() const { return m_cachePages; }
    void SetCachePages(bool aValue) { m_cachePages = aValue; }

    // ---- Job ----
    void StartJob();
    void CancelJob();
    void EndJob();
    // Gathers the waiting devices' requests and serves them.
    void Publish();
    // Replaces or widens the merged request (devices call it when asked).
    void RequestPage(const TppPageRequest *aRequest);
    // A page from the producer, for the devices and the cache.
    void ReceivePage(TppPage *aPage);
    // Forgets the pages and the request before a new run.
    void Reset();
    // Forgets the pages only (a changed printer setup).
    void ResetPages();
    // Broadcasts Reset to the devices.
    void ResetDevices();
    void SetStatus(const QString &aText);
    QString GetStatus() const;

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

    TppPageRequest *PageRequest() const { return m_pageRequest.get(); }
    bool RequestComplete() const { return m_requestComplete; }
    bool LastPageKnown() const { return m_lastPageKnown; }
    int32_t LastPageNo() const { return m_lastPageNo; }
    bool Collecting() const { return m_collecting; }
    bool ServingFromCache() const { return m_servingFromCache; }
    bool JobStarted() const { return m_jobStarted; }

    TppPageRequestEvent OnPageRequest;

private:
    enum class Broadcast { CancelJob, EndJob, PageRequest, ReceivePage, StartJob, Reset };

    struct CacheEntry
    {
        std::unique_ptr<TppPage> page;
        // The insertions the page's counts and recalculations have seen.
        uint64_t settledAt = 0;
    };
    using Cache = std::vector<CacheEntry>;

    void broadcast(Broadcast aOperation, TppPage *aPage = nullptr);
    void processPageRequest();
    bool sendCachedPages();
    bool serveFromCache();
    bool sendCached(TppPage *aPage);
    void cachePage(const TppPage &aPage);
    void freeCache();
    void detach(TppDevice *aDevice);
    Cache::const_iterator findCached(int32_t aPageNo) const;
    // Brings a cached page up to the counts known since it was cached.
    void settle(const CacheEntry &aEntry) const;

    struct ExclusiveGroup
    {
        QString name;
        std::vector<TppDevice *> devices; // newest first
    };
    ExclusiveGroup *findGroup(const QString &aName);
    ExclusiveGroup *groupOf(const TppDevice *aDevice);

    int32_t m_lastPageNo = 0;
    bool m_cachePages = false;
    std::vector<TppDevice *> m_devices;
    bool m_replaceNextRequest = true;
    std::vector<ExclusiveGroup> m_exclusiveGroups;
    mutable Cache m_cache; // ascending page numbers
    // Pages dropped while one of them is being served: freed when the
    // serving ends, as devices still hold the page in hand.
    Cache m_retired;
    std::unique_ptr<TppPageRequest> m_pageRequest;
    bool m_requestComplete = false;
    bool m_servingFromCache = false;
    bool m_lastPageKnown = false;
    bool m_collecting = false;
    bool m_jobStarted = false;
    // The highest counts cached pages have reached: the whole report's and
    // each numbered set's (by control group break).
    uint64_t m_insertions = 0;
    int32_t m_knownAbsolutePageCount = 0;
    std::unordered_map<int32_t, int32_t> m_knownPageCounts;
    // Expires when the publisher goes, so a round can tell that a device
    // freed it.
    std::shared_ptr<char> m_alive = std::make_shared<char>(0);
    TppLiveCount<TppPublisher> m_live;
};

} // namespace report
