#include "report/model/data/CacheManager.h"

#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Utils.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Streams.h"

#include <QFile>

#include <algorithm>
#include <stdexcept>

namespace report {

namespace {

constexpr int OutOfCacheMessage = 284;

} // namespace

// A memory stream that counts what it holds against the manager's budget and
// refuses a write that would pass it, as if memory had run out.
class TppCacheManager::MemoryStream : public classes::TMemoryStream
{
public:
    explicit MemoryStream(Budget &aBudget)
        : m_budget(aBudget)
    {}
    ~MemoryStream() override { m_budget.used -= Size(); }

    int64_t Write(const void *buffer, int64_t count) override
    {
        const int64_t growth = std::max<int64_t>(Position() + count - Size(), 0);
        if (growth > 0 && m_budget.used + growth > m_budget.limit)
            return 0;
        const int64_t before = Size();
        const int64_t written = classes::TMemoryStream::Write(buffer, count);
        m_budget.used += Size() - before;
        return written;
    }

    void SetSize(int64_t size) override
    {
        const int64_t before = Size();
        classes::TMemoryStream::SetSize(size);
        m_budget.used += Size() - before;
    }

private:
    Budget &m_budget;
};

const classes::TMetaClass &TppCacheManager::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppCacheManager, TppCommunicator>("TppCacheManager");
    return meta;
}

TppCacheManager::TppCacheManager(classes::TComponent *aOwner)
    : TppCacheManager(aOwner, dynamic_cast<IppCacheReport *>(aOwner))
{}

TppCacheManager::TppCacheManager(classes::TComponent *aOwner, IppCacheReport *aReport)
    : TppCommunicator(aOwner)
    , m_report(aReport)
    , m_reportObject(dynamic_cast<TppCommunicator *>(aReport))
    , m_budget(std::make_unique<Budget>())
    , m_tempDirectory(ppGetTempPath())
{
    SubscribeEvent(ppEvent::CacheWriteFailed);
    SubscribeEvent(ppEvent::CacheWriteFailedAgain);
    // Linked to the report, so that a report that goes first is forgotten.
    if (m_reportObject)
        m_reportObject->AddNotify(this);
}

TppCacheManager::~TppCacheManager()
{
    BeforeDestruction();
    if (m_reportObject)
        m_reportObject->RemoveNotify(this);
    m_report = nullptr;
    m_reportObject = nullptr;
    Clear();
}

// ---- Registration -----------------------------------------------------------

void TppCacheManager::Init(const std::vector<TppCacheable *> &aList)
{
    Clear();
    for (TppCacheable *cacheable : aList)
        registerCacheable(cacheable);
    recount();
}

void TppCacheManager::Reset()
{
    Clear();
    if (m_report)
        m_report->EnumerateCacheables([this](TppCacheable *c) { registerCacheable(c); });
    recount();
}

int TppCacheManager::CacheableCount() const
{
    return int(std::count_if(m_cacheables.begin(), m_cacheables.end(), [](const Entry &e) { return e.cacheable; }));
}

TppCacheable *TppCacheManager::Cacheables(int aIndex) const
{
    for (const Entry &e : m_cacheables)
        if (e.cacheable && aIndex-- == 0)
            return e.cacheable;
    throw std::out_of_range("TppCacheManager::Cacheables");
}

void TppCacheManager::registerCacheable(TppCacheable *aCacheable)
{
    if (!aCacheable || aCacheable->IsDestroying())
        return;
    if (m_entryOf.count(aCacheable))
        return;
    const int32_t recordSize = aCacheable->CacheRecordSize();
    auto it = std::find_if(m_streams.begin(), m_streams.end(),
                           [recordSize](const SizeStream &s) { return s.recordSize == recordSize; });
    int size = int(it - m_streams.begin());
    if (it == m_streams.end())
        m_streams.push_back({recordSize, 0, newStream()});
    else
        ++it->count;
    Entry entry{aCacheable, size, m_streams[size_t(size)].count};
    m_cacheables.push_back(entry);
    m_entryOf.emplace(aCacheable, m_cacheables.size() - 1);
    aCacheable->m_cachePosition = entry.position;
    aCacheable->m_cacheStream = m_streams[size_t(size)].stream.get();
    aCacheable->AddEventNotify(this);
}

std::unique_ptr<classes::TStream> TppCacheManager::newStream()
{
    if (!m_spilled)
        return CreateMemoryStream();
    const QString name = ppGetTempFileName(m_tempDirectory, QStringLiteral("cch"));
    if (name.isEmpty())
        outOfCache();
    m_tempFiles.append(name);
    try {
        return CreateFileStream(name);
    } catch (const std::exception &) {
        outOfCache();
    }
}

std::unique_ptr<classes::TStream> TppCacheManager::CreateMemoryStream()
{
    return std::make_unique<MemoryStream>(*m_budget);
}

std::unique_ptr<classes::TStream> TppCacheManager::CreateFileStream(const QString &aFileName)
{
    return std::make_unique<classes::TFileStream>(aFileName, classes::fmOpenReadWrite);
}

void TppCacheManager::recount()
{
    for (SizeStream &s : m_streams)
        s.count = 0;
    for (Entry &e : m_cacheables)
        e.position = m_streams[size_t(e.size)].count++;
}

void TppCacheManager::attach(const Entry &aEntry) const
{
    TppCacheable *c = aEntry.cacheable;
    const SizeStream &s = m_streams[size_t(aEntry.size)];
    c->m_cacheStream = s.stream.get();
    c->m_cachePageCount = m_lastCachedPage;
    c->m_cacheCount = s.count;
    c->m_cachePosition = aEntry.position;
}

void TppCacheManager::unregister(size_t aIndex)
{
    TppCacheable *c = m_cacheables[aIndex].cacheable;
    m_cacheables.erase(m_cacheables.begin() + ptrdiff_t(aIndex));
    // The entries behind move up a place.
    for (size_t i = aIndex; i < m_cacheables.size(); ++i)
        if (m_cacheables[i].cacheable)
            m_entryOf[m_cacheables[i].cacheable] = i;
    if (!c)
        return;
    m_entryOf.erase(c);
    c->m_cacheStream = nullptr;
    c->RemoveEventNotify(this);
}

// ---- Pages ------------------------------------------------------------------

void TppCacheManager::SavePage(int32_t aPageIndex)
{
    // A cacheable may leave while others save (freed by a handler): the
    // list is walked by index and looked at again each time. The handler
    // may free what owns this manager (a region or group kept together),
    // and the manager with it: the walk ends there.
    const std::weak_ptr<char> alive = AliveToken();
    for (size_t i = 0; i < m_cacheables.size(); ++i) {
        const Entry entry = m_cacheables[i];
        if (!entry.cacheable)
            continue;
        attach(entry);
        entry.cacheable->SaveToCache(aPageIndex);
        if (alive.expired())
            return;
    }
    m_lastCachedPage = std::max(m_lastCachedPage, aPageIndex);
}

void TppCacheManager::RestorePage(int32_t aPageIndex)
{
    // A text restored runs its handlers again (OnGetText, OnFormat), which
    // may free what owns this manager, and the manager with it.
    const std::weak_ptr<char> alive = AliveToken();
    for (size_t i = 0; i < m_cacheables.size(); ++i) {
        const Entry entry = m_cacheables[i];
        if (!entry.cacheable)
            continue;
        attach(entry);
        entry.cacheable->RestoreFromCache(aPageIndex);
        if (alive.expired())
            return;
    }
}

void TppCacheManager::TruncatePage(int32_t aPageIndex)
{
    if (m_lastCachedPage < 0 || !m_enabled)
        return;
    const int32_t pages = std::max(aPageIndex, 0);
    const std::weak_ptr<char> alive = AliveToken();
    for (size_t i = 0; i < m_cacheables.size(); ++i) {
        const Entry entry = m_cacheables[i];
        if (!entry.cacheable)
            continue;
        attach(entry);
        entry.cacheable->CacheReset();
        if (alive.expired())
            return;
        entry.cacheable->m_cachePageCount = pages - 1;
    }
    for (SizeStream &s : m_streams) {
        const int64_t size = int64_t(s.recordSize) * s.count * pages;
        try {
            if (s.stream->Size() > size)
                s.stream->SetSize(size);
        } catch (const std::exception &) {
            // A file that cannot be cut keeps pages beyond; they are written
            // over before they are read again.
        }
    }
    m_lastCachedPage = pages - 1;
}

void TppCacheManager::Clear()
{
    for (size_t i = 0; i < m_cacheables.size(); ++i)
        if (TppCacheable *c = m_cacheables[i].cacheable)
            c->CacheReset();
    m_lastCachedPage = -1;
    while (!m_cacheables.empty())
        unregister(m_cacheables.size() - 1);
    m_streams.clear();
    deleteTempFiles(m_tempFiles);
    m_tempFiles.clear();
}

void TppCacheManager::deleteTempFiles(const QStringList &aNames)
{
    for (const QString &name : aNames)
        if (QFile::exists(name))
            QFile::remove(name);
}

// ---- Notices ----------------------------------------------------------------

void TppCacheManager::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove)
        return;
    if (m_reportObject && m_reportObject == aCommunicator) {
        m_report = nullptr;
        m_reportObject = nullptr;
        return;
    }
    if (const auto it = m_entryOf.find(aCommunicator); it != m_entryOf.end()) {
        m_cacheables[it->second].cacheable = nullptr;
        m_entryOf.erase(it);
    }
}

bool TppCacheManager::ownsStream(const classes::TStream *aStream) const
{
    return aStream && std::any_of(m_streams.begin(), m_streams.end(),
                                  [aStream](const SizeStream &s) { return s.stream.get() == aStream; });
}

void TppCacheManager::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID != ppEvent::CacheWriteFailed && aEventID != ppEvent::CacheWriteFailedAgain)
        return;
    // A cacheable registered with several managers (the report's and a
    // group's) tells all of them; only the one whose stream failed acts.
    auto *cacheable = dynamic_cast<TppCacheable *>(aCommunicator);
    if (!cacheable || !ownsStream(cacheable->CacheStream()))
        return;
    if (aEventID == ppEvent::CacheWriteFailed && !m_spilled && spill())
        return;
    outOfCache();
}

bool TppCacheManager::spill()
{
    std::vector<std::unique_ptr<classes::TStream>> files;
    QStringList names;
    try {
        for (SizeStream &s : m_streams) {
            const QString name = ppGetTempFileName(m_tempDirectory, QStringLiteral("cch"));
            if (name.isEmpty())
                throw EPrintError(ppLoadStr(OutOfCacheMessage));
            names.append(name);
            std::unique_ptr<classes::TStream> file = CreateFileStream(name);
            if (s.stream->Size() > 0)
                file->CopyFrom(*s.stream, 0);
            file->Seek(0, classes::TSeekOrigin::soEnd);
            files.push_back(std::move(file));
        }
    } catch (const std::exception &) {
        // Disk full or no folder to write in: the memory streams stay as
        // they were and the half-made files go.
        files.clear();
        deleteTempFiles(names);
        return false;
    }
    m_spilled = true;
    m_tempFiles.append(names);
    for (size_t i = 0; i < m_streams.size(); ++i)
        m_streams[i].stream = std::move(files[i]);
    for (const Entry &e : m_cacheables)
        if (e.cacheable)
            attach(e);
    return true;
}

void TppCacheManager::outOfCache()
{
    if (m_report && m_report->IsGenerating())
        m_report->StopGenerating();
    throw EPrintError(ppLoadStr(OutOfCacheMessage));
}

} // namespace report
