#include "report/model/data/Cacheable.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

#include <exception>

namespace report {

const classes::TMetaClass &TppCacheable::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppCacheable, TppRelative>("TppCacheable");
    return meta;
}

TppCacheable::TppCacheable(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

void TppCacheable::RestoreFromCache(int32_t) {}

void TppCacheable::SaveToCache(int32_t) {}

int64_t TppCacheable::recordOffset(int32_t aPageIndex) const
{
    if (aPageIndex < 0 || m_cachePosition < 0 || m_cacheCount < 0)
        return -1;
    int64_t slot = 0;
    int64_t offset = 0;
    // Page indexes near the Integer's end would wrap into another record.
    if (__builtin_mul_overflow(int64_t(aPageIndex), int64_t(m_cacheCount), &slot) ||
        __builtin_add_overflow(slot, int64_t(m_cachePosition), &slot) ||
        __builtin_mul_overflow(slot, int64_t(m_cacheRecordSize), &offset))
        return -1;
    return offset;
}

void TppCacheable::ReadCacheRecord(int32_t aPageIndex, void *aBuffer)
{
    if (m_cacheRecordSize <= 0 || !m_cacheStream)
        return;
    const int64_t offset = recordOffset(aPageIndex);
    try {
        // A record cut short at the end was never written whole: it counts
        // as not cached.
        if (offset < 0 || offset > m_cacheStream->Size() - m_cacheRecordSize)
            return;
        m_cacheStream->Seek(offset, classes::TSeekOrigin::soBeginning);
        m_cacheStream->Read(aBuffer, m_cacheRecordSize);
    } catch (const std::exception &) {
        // A stream that cannot seek has nothing to give.
    }
}

bool TppCacheable::tryWrite(int64_t aOffset, const void *aBuffer)
{
    if (!m_cacheStream || aOffset < 0)
        return false;
    try {
        if (m_cacheStream->Seek(aOffset, classes::TSeekOrigin::soBeginning) != aOffset)
            return false;
        return m_cacheStream->Write(aBuffer, m_cacheRecordSize) == m_cacheRecordSize;
    } catch (const std::exception &) {
        // Memory or disk ran out: the caller tells the manager.
        return false;
    }
}

void TppCacheable::WriteCacheRecord(int32_t aPageIndex, const void *aBuffer)
{
    if (m_cacheRecordSize <= 0 || !m_cacheStream || recordOffset(aPageIndex) < 0)
        return;
    if (tryWrite(recordOffset(aPageIndex), aBuffer))
        return;
    SendEventNotify(this, ppEvent::CacheWriteFailed, nullptr);
    // The manager may have moved the cache into other streams meanwhile, so
    // stream and offset are taken again.
    if (tryWrite(recordOffset(aPageIndex), aBuffer))
        return;
    SendEventNotify(this, ppEvent::CacheWriteFailedAgain, nullptr);
}

// ---- Descriptor -------------------------------------------------------------

TraTppCacheableRTTI::TraTppCacheableRTTI()
    : TraRTTI(&TraTppRelativeRTTI::Instance())
{}

const TraTppCacheableRTTI &TraTppCacheableRTTI::Instance()
{
    static const TraTppCacheableRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppCacheableRTTI::RefClass() const
{
    return TppCacheable::StaticClass();
}

namespace {

constexpr const char *IntegerNames[] = {"CacheCount", "CachePageCount", "CachePosition", "CacheRecordSize"};

} // namespace

void TraTppCacheableRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const char *name : IntegerNames)
        raAddPropName(aList, QString::fromLatin1(name));
    raAddPropName(aList, QStringLiteral("CacheStream"));
}

bool TraTppCacheableRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    for (const char *name : IntegerNames)
        if (raSameName(aName, name)) {
            InitPropRec(QString::fromLatin1(name), TraDataType::daInteger, true, aRec);
            return true;
        }
    if (raSameName(aName, "CacheStream")) {
        ClassPropToRec(QStringLiteral("CacheStream"), classes::TStream::StaticClass(), true, aRec);
        return true;
    }
    return TraRTTI::GetPropRec(aClass, aName, aRec);
}

bool TraTppCacheableRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                       const TraValuePointer &aValue) const
{
    auto *cacheable = dynamic_cast<TppCacheable *>(aObject);
    if (!cacheable)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "CacheCount"))
        raWriteValue(aValue, cacheable->CacheCount(), aName);
    else if (raSameName(aName, "CachePageCount"))
        raWriteValue(aValue, cacheable->CachePageCount(), aName);
    else if (raSameName(aName, "CachePosition"))
        raWriteValue(aValue, cacheable->CachePosition(), aName);
    else if (raSameName(aName, "CacheRecordSize"))
        raWriteValue(aValue, cacheable->CacheRecordSize(), aName);
    else if (raSameName(aName, "CacheStream"))
        raWriteValue(aValue, cacheable->CacheStream(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

} // namespace report
