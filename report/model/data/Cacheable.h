#pragma once

// TppCacheable: a report object whose state changes from page to page and is
// kept per page, so that any page can be generated again or undone. Every
// object writes one fixed-size record per page into the stream its cache
// manager keeps for that record size; the record of the object at position P
// for page N starts at R x (N x CacheCount + P), R being the record size.

#include "report/model/objects/Relative.h"

#include <cstdint>

namespace classes {
class TStream;
}

namespace report {

class TppCacheManager;

class TppCacheable : public TppRelative
{
    ZVO_CLASS(TppCacheable)
public:
    explicit TppCacheable(classes::TComponent *aOwner);

    // Records per page in the shared stream (the cacheables of this size).
    int32_t CacheCount() const { return m_cacheCount; }
    // The last page cached, -1 for none.
    int32_t CachePageCount() const { return m_cachePageCount; }
    int32_t CachePosition() const { return m_cachePosition; }
    // 0: the object caches nothing (it still registers).
    int32_t CacheRecordSize() const { return m_cacheRecordSize; }
    // The manager's stream for this record size; not owned.
    classes::TStream *CacheStream() const { return m_cacheStream; }

    // Forgets state that only holds for the pages cached so far.
    virtual void CacheReset() {}
    virtual void RestoreFromCache(int32_t aPageIndex);
    virtual void SaveToCache(int32_t aPageIndex);

    // Copies the record of the page into aBuffer (CacheRecordSize bytes).
    // A record that was never written whole leaves aBuffer as it was.
    void ReadCacheRecord(int32_t aPageIndex, void *aBuffer);
    // Writes the record of the page at its own offset, also past the end of
    // the stream (the gap reads as zeros). A failed write tells the manager
    // (event 48), which may move the cache to disk, and is tried once more;
    // when that fails too the manager is told again (event 49) and its
    // EPrintError goes to the caller.
    void WriteCacheRecord(int32_t aPageIndex, const void *aBuffer);

protected:
    void SetCacheRecordSize(int32_t aSize) { m_cacheRecordSize = aSize < 0 ? 0 : aSize; }

private:
    friend class TppCacheManager;

    // -1 for a page or position that has no place in the stream.
    int64_t recordOffset(int32_t aPageIndex) const;
    bool tryWrite(int64_t aOffset, const void *aBuffer);

    int32_t m_cacheCount = 0;
    int32_t m_cachePageCount = -1;
    int32_t m_cachePosition = 0;
    int32_t m_cacheRecordSize = 0;
    classes::TStream *m_cacheStream = nullptr;
};

// "CacheCount", "CachePageCount", "CachePosition", "CacheRecordSize"
// (Integers) and "CacheStream" (a TStream), all read only.
class TraTppCacheableRTTI : public TraRTTI
{
public:
    static const TraTppCacheableRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppCacheableRTTI();
};

} // namespace report
