#pragma once

// TppCacheManager keeps the per-page records of a report's cacheable objects:
// one stream per record size, in memory until memory runs short and in
// temporary files from then on. The report, each subreport and each group
// that keeps itself together own one.
//
// Memory runs short when the memory streams together would pass a threshold
// (64 MiB unless set) or when an allocation fails. Then every stream moves
// into a temporary file ("cch" in the temporary folder) at once, and the
// cache stays on disk until the manager goes. When even that fails, the
// report's engine is stopped and EPrintError (message 284) is raised.

#include "report/model/data/Cacheable.h"
#include "report/model/objects/Communicator.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace classes {
class TStream;
}

namespace report {

// What a cache manager asks of the report it serves.
class IppCacheReport
{
public:
    virtual ~IppCacheReport() = default;
    // Calls aProc for every cacheable object of the report's tree.
    virtual void EnumerateCacheables(const std::function<void(TppCacheable *)> &aProc) = 0;
    // Whether the report's engine is generating pages.
    virtual bool IsGenerating() const = 0;
    virtual void StopGenerating() = 0;
};

class TppCacheManager : public TppCommunicator
{
    ZVO_CLASS(TppCacheManager)
public:
    static constexpr int64_t DefaultMemoryThreshold = int64_t(64) << 20;

    // The report is aOwner when aOwner is one.
    explicit TppCacheManager(classes::TComponent *aOwner);
    TppCacheManager(classes::TComponent *aOwner, IppCacheReport *aReport);
    // Clears, which deletes the temporary files.
    ~TppCacheManager() override;

    IppCacheReport *Report() const { return m_report; }

    // Registers each cacheable of aList once, in list order.
    void Init(const std::vector<TppCacheable *> &aList);
    // Registers every cacheable of the report.
    void Reset();
    void SavePage(int32_t aPageIndex);
    // A page never saved leaves every object as it was.
    void RestorePage(int32_t aPageIndex);
    // Discards the pages from aPageIndex on: each stream keeps exactly the
    // pages before it.
    void TruncatePage(int32_t aPageIndex);
    // Unregisters everything, frees the streams and deletes the temporary files.
    void Clear();

    // The highest page saved, -1 for none.
    int32_t LastCachedPage() const { return m_lastCachedPage; }
    bool Spilled() const { return m_spilled; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool aEnabled) { m_enabled = aEnabled; }

    // The registered cacheables still alive.
    int CacheableCount() const;
    TppCacheable *Cacheables(int aIndex) const;
    int StreamCount() const { return int(m_streams.size()); }
    int32_t StreamRecordSize(int aIndex) const { return m_streams.at(size_t(aIndex)).recordSize; }
    classes::TStream *Streams(int aIndex) const { return m_streams.at(size_t(aIndex)).stream.get(); }
    const QStringList &TempFileNames() const { return m_tempFiles; }

    // The library's temporary folder unless set.
    const QString &TempDirectory() const { return m_tempDirectory; }
    void SetTempDirectory(const QString &aDirectory) { m_tempDirectory = aDirectory; }
    int64_t MemoryThreshold() const { return m_budget->limit; }
    void SetMemoryThreshold(int64_t aBytes) { m_budget->limit = aBytes; }
    // What the memory streams hold now.
    int64_t MemoryUsed() const { return m_budget->used; }

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;

protected:
    // Where the records go: a memory stream that refuses writes past the
    // threshold, and a file stream on a temporary file that exists.
    virtual std::unique_ptr<classes::TStream> CreateMemoryStream();
    virtual std::unique_ptr<classes::TStream> CreateFileStream(const QString &aFileName);

private:
    struct Budget
    {
        int64_t used = 0;
        int64_t limit = DefaultMemoryThreshold;
    };
    // A cacheable freed while registered leaves its entry behind with no
    // object: its records stay where they are and its slot stays taken until
    // Init or Reset, so the others keep reading their own pages.
    struct Entry
    {
        TppCacheable *cacheable;
        int size; // index into m_streams
        int32_t position;
    };
    struct SizeStream
    {
        int32_t recordSize;
        int count;
        std::unique_ptr<classes::TStream> stream;
    };
    class MemoryStream;

    void registerCacheable(TppCacheable *aCacheable);
    void unregister(size_t aIndex);
    void recount();
    void attach(const Entry &aEntry) const;
    std::unique_ptr<classes::TStream> newStream();
    bool ownsStream(const classes::TStream *aStream) const;
    bool spill();
    [[noreturn]] void outOfCache();
    void deleteTempFiles(const QStringList &aNames);

    IppCacheReport *m_report = nullptr;
    // The same object as a communicator, when it is one: what its removal
    // notice names.
    TppCommunicator *m_reportObject = nullptr;
    std::unique_ptr<Budget> m_budget; // outlives the streams that count in it
    std::vector<Entry> m_cacheables;
    // Where each registered cacheable's entry is: a report of many fields
    // registers as many cacheables, and searching the entries for each one
    // took n * n steps.
    std::unordered_map<const TppCommunicator *, size_t> m_entryOf;
    std::vector<SizeStream> m_streams;
    QStringList m_tempFiles;
    QString m_tempDirectory;
    int32_t m_lastCachedPage = -1;
    bool m_spilled = false;
    bool m_enabled = true;
};

} // namespace report
