#include "ModelObjects.h"

#include "report/model/data/CacheManager.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using namespace report;

namespace {

using Cache = modeltest::ObjectModelTest;

// A cacheable whose state is one byte pattern of its record size.
class Counter : public TppCacheable
{
public:
    explicit Counter(int32_t aSize)
        : TppCacheable(nullptr)
        , State(size_t(aSize), 0)
    {
        SetCacheRecordSize(aSize);
    }
    void Set(uint8_t aValue) { std::fill(State.begin(), State.end(), aValue); }
    uint8_t Value() const { return State.empty() ? 0 : State.front(); }
    void SaveToCache(int32_t aPageIndex) override { WriteCacheRecord(aPageIndex, State.data()); }
    void RestoreFromCache(int32_t aPageIndex) override { ReadCacheRecord(aPageIndex, State.data()); }
    void CacheReset() override { ++Resets; }

    std::vector<uint8_t> State;
    int Resets = 0;
};

class FakeReport
    : public TppCommunicator
    , public IppCacheReport
{
public:
    FakeReport()
        : TppCommunicator(nullptr)
    {}
    void EnumerateCacheables(const std::function<void(TppCacheable *)> &aProc) override
    {
        for (TppCacheable *c : Objects)
            aProc(c);
    }
    bool IsGenerating() const override { return Generating; }
    void StopGenerating() override { ++Stops; }

    std::vector<TppCacheable *> Objects;
    bool Generating = true;
    int Stops = 0;
};

// Streams that fail the writes a test names: the manager's own streams
// underneath, so that budget and files work as they do outside tests.
class FlakyStream : public classes::TStream
{
public:
    FlakyStream(std::unique_ptr<classes::TStream> aInner, std::function<bool()> aFail)
        : m_inner(std::move(aInner))
        , m_fail(std::move(aFail))
    {}
    int64_t Read(void *b, int64_t n) override { return m_inner->Read(b, n); }
    int64_t Write(const void *b, int64_t n) override { return m_fail() ? 0 : m_inner->Write(b, n); }
    int64_t Seek(int64_t o, classes::TSeekOrigin w) override { return m_inner->Seek(o, w); }
    int64_t Size() override { return m_inner->Size(); }
    void SetSize(int64_t s) override { m_inner->SetSize(s); }

private:
    std::unique_ptr<classes::TStream> m_inner;
    std::function<bool()> m_fail;
};

class FlakyManager : public TppCacheManager
{
public:
    using TppCacheManager::TppCacheManager;
    // Writes counted over all streams of a kind; the numbers listed fail.
    std::vector<int> FailMemoryWrites;
    std::vector<int> FailFileWrites;
    bool FailFileCreation = false;

protected:
    std::unique_ptr<classes::TStream> CreateMemoryStream() override
    {
        return std::make_unique<FlakyStream>(TppCacheManager::CreateMemoryStream(),
                                             [this] { return failing(FailMemoryWrites, m_memoryWrites); });
    }
    std::unique_ptr<classes::TStream> CreateFileStream(const QString &aFileName) override
    {
        if (FailFileCreation)
            throw classes::EFCreateError("no room");
        return std::make_unique<FlakyStream>(TppCacheManager::CreateFileStream(aFileName),
                                             [this] { return failing(FailFileWrites, m_fileWrites); });
    }

private:
    static bool failing(const std::vector<int> &aList, int &aCount)
    {
        ++aCount;
        return std::find(aList.begin(), aList.end(), aCount) != aList.end();
    }
    int m_memoryWrites = 0;
    int m_fileWrites = 0;
};

// The state object i has on a page.
uint8_t stamp(int aPage, size_t aIndex)
{
    return uint8_t(aPage * 10 + int(aIndex) + 1);
}

QStringList cacheFiles(const QTemporaryDir &aDir)
{
    return QDir(aDir.path()).entryList({QStringLiteral("cch*")}, QDir::Files);
}

// The four cacheables of the layout case: three of 20 bytes, one of 24.
struct Layout
{
    Layout()
    {
        for (int32_t size : {20, 20, 24, 20})
            objects.push_back(std::make_unique<Counter>(size));
        for (auto &o : objects)
            report.Objects.push_back(o.get());
    }
    std::vector<TppCacheable *> list() const { return report.Objects; }
    void saveStates(TppCacheManager &aManager, int aPages)
    {
        for (int page = 0; page < aPages; ++page) {
            for (size_t i = 0; i < objects.size(); ++i)
                objects[i]->Set(stamp(page, i));
            aManager.SavePage(page);
        }
    }

    FakeReport report;
    std::vector<std::unique_ptr<Counter>> objects;
};

} // namespace

TEST_F(Cache, RecordsLieAtSizeTimesPagePlusPosition)
{
    Layout l;
    TppCacheManager manager(&l.report);
    manager.Reset();
    ASSERT_EQ(manager.StreamCount(), 2);
    l.saveStates(manager, 4);
    // The size-20 stream holds 60 bytes a page, the size-24 one 24.
    EXPECT_EQ(manager.Streams(0)->Size(), 240);
    EXPECT_EQ(manager.Streams(1)->Size(), 96);
    Counter &third = *l.objects[3];
    EXPECT_EQ(third.CacheCount(), 3);
    EXPECT_EQ(third.CachePosition(), 2);
    EXPECT_EQ(third.CachePageCount(), 2); // attached before page 3 was saved
    EXPECT_EQ(l.objects[2]->CacheCount(), 1);
    EXPECT_EQ(l.objects[2]->CachePosition(), 0);
    const auto *memory = dynamic_cast<classes::TMemoryStream *>(manager.Streams(0));
    ASSERT_NE(memory, nullptr);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(uint8_t(memory->Memory()[220 + i]), 3 * 10 + 3 + 1);
    EXPECT_EQ(manager.LastCachedPage(), 3);

    for (int page : {2, 0, 3}) {
        manager.RestorePage(page);
        for (size_t i = 0; i < l.objects.size(); ++i)
            EXPECT_EQ(l.objects[i]->Value(), stamp(page, i)) << "page " << page << " object " << i;
    }
}

TEST_F(Cache, PagesNeverSavedLeaveStateAlone)
{
    Layout l;
    TppCacheManager manager(&l.report);
    manager.Init(l.list());
    l.saveStates(manager, 2);
    for (auto &o : l.objects)
        o->Set(99);
    for (int page : {2, 7, -1, INT32_MAX}) {
        manager.RestorePage(page);
        for (auto &o : l.objects)
            EXPECT_EQ(o->Value(), 99) << "page " << page;
    }
    // A record written past the end lands at its own place; the gap before
    // it reads as zeros, and a record cut short reads as never written.
    l.objects[0]->Set(7);
    manager.SavePage(5);
    EXPECT_EQ(manager.Streams(0)->Size(), 6 * 60);
    manager.RestorePage(4);
    EXPECT_EQ(l.objects[0]->Value(), 0);
    manager.Streams(0)->SetSize(5 * 60 + 10);
    l.objects[0]->Set(42);
    manager.RestorePage(5);
    EXPECT_EQ(l.objects[0]->Value(), 42);
}

TEST_F(Cache, TruncateKeepsExactlyThePagesBefore)
{
    Layout l;
    TppCacheManager manager(&l.report);
    manager.TruncatePage(0); // nothing cached: nothing happens
    EXPECT_EQ(l.objects[0]->Resets, 0);
    manager.Reset();
    l.saveStates(manager, 5);
    manager.TruncatePage(2);
    EXPECT_EQ(manager.Streams(0)->Size(), 120);
    EXPECT_EQ(manager.Streams(1)->Size(), 48);
    EXPECT_EQ(manager.LastCachedPage(), 1);
    for (auto &o : l.objects) {
        EXPECT_EQ(o->CachePageCount(), 1);
        EXPECT_EQ(o->Resets, 1);
    }
    manager.TruncatePage(0);
    EXPECT_EQ(manager.Streams(0)->Size(), 0);
    EXPECT_EQ(manager.LastCachedPage(), -1);
    manager.Reset();
    l.saveStates(manager, 1);
    manager.TruncatePage(-3);
    EXPECT_EQ(manager.Streams(0)->Size(), 0);
}

TEST_F(Cache, EmptyRecordsRegisterAndMoveNothing)
{
    FakeReport report;
    Counter none(0), some(4);
    report.Objects = {&none, &some, &none};
    TppCacheManager manager(&report);
    manager.Reset();
    EXPECT_EQ(manager.CacheableCount(), 2);
    for (int page = 0; page < 10000; ++page)
        manager.SavePage(page);
    EXPECT_EQ(manager.Streams(0)->Size(), 0);
    manager.RestorePage(9999);
    EXPECT_EQ(manager.LastCachedPage(), 9999);
}

TEST_F(Cache, SpillsPastTheThresholdIntoFilesThatClearDeletes)
{
    QTemporaryDir dir;
    Layout l;
    auto manager = std::make_unique<TppCacheManager>(&l.report);
    manager->SetTempDirectory(dir.path());
    manager->SetMemoryThreshold(1024);
    manager->Reset();
    l.saveStates(*manager, 30); // 84 bytes a page
    EXPECT_TRUE(manager->Spilled());
    EXPECT_EQ(cacheFiles(dir).size(), 2);
    EXPECT_EQ(manager->MemoryUsed(), 0);
    for (int page : {0, 11, 12, 29}) {
        manager->RestorePage(page);
        for (size_t i = 0; i < l.objects.size(); ++i)
            EXPECT_EQ(l.objects[i]->Value(), stamp(page, i)) << page;
    }
    manager->Clear();
    EXPECT_TRUE(cacheFiles(dir).isEmpty());
    // Once spilled, new streams are files, which go with the manager.
    manager->Reset();
    EXPECT_EQ(cacheFiles(dir).size(), 2);
    manager.reset();
    EXPECT_TRUE(cacheFiles(dir).isEmpty());
}

TEST_F(Cache, FailedWritesSpillRetryOrStopTheReport)
{
    const struct
    {
        const char *name;
        std::vector<int> memory, file;
        bool noFiles;
        bool spilled, raises;
    } cases[] = {
        {"the first write fails: spill, retry on disk", {3}, {}, false, true, false},
        {"the retry fails as well", {3}, {2}, false, true, true},
        {"the spill cannot make files", {3}, {}, true, false, true},
        {"on disk already, a write fails", {3}, {5}, false, true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        Layout l;
        FlakyManager manager(&l.report);
        manager.SetTempDirectory(dir.path());
        manager.FailMemoryWrites = c.memory;
        manager.FailFileWrites = c.file;
        manager.FailFileCreation = c.noFiles;
        manager.Init(l.list());
        bool raised = false;
        try {
            l.saveStates(manager, 3);
        } catch (const EPrintError &e) {
            raised = true;
            EXPECT_EQ(e.Message(), ppLoadStr(284));
        }
        EXPECT_EQ(raised, c.raises);
        EXPECT_EQ(manager.Spilled(), c.spilled);
        EXPECT_EQ(l.report.Stops, c.raises ? 1 : 0);
        if (!c.raises) {
            manager.RestorePage(0);
            EXPECT_EQ(l.objects[2]->Value(), 3);
        }
        if (c.noFiles) {
            EXPECT_TRUE(cacheFiles(dir).isEmpty());
        }
        manager.Clear();
        EXPECT_TRUE(cacheFiles(dir).isEmpty());
    }
}

TEST_F(Cache, SpillIntoAMissingFolderStopsAndKeepsTheMemoryCache)
{
    Layout l;
    l.report.Generating = false;
    TppCacheManager manager(&l.report);
    manager.SetTempDirectory(QDir::tempPath() + "/zvo-no-such-folder/cache");
    manager.SetMemoryThreshold(100);
    manager.Reset();
    EXPECT_THROW(l.saveStates(manager, 3), EPrintError);
    EXPECT_EQ(l.report.Stops, 0); // the engine was not generating
    EXPECT_FALSE(manager.Spilled());
    manager.RestorePage(0);
    EXPECT_EQ(l.objects[0]->Value(), 1);
}

TEST_F(Cache, OnlyTheManagerWhoseStreamFailedActs)
{
    QTemporaryDir dir;
    Layout l;
    TppCacheManager reportCache(&l.report), groupCache(&l.report);
    for (TppCacheManager *m : {&reportCache, &groupCache}) {
        m->SetTempDirectory(dir.path());
        m->Init(l.list());
    }
    groupCache.SetMemoryThreshold(0);
    l.saveStates(reportCache, 1);
    l.saveStates(groupCache, 1);
    EXPECT_FALSE(reportCache.Spilled());
    EXPECT_TRUE(groupCache.Spilled());
    groupCache.RestorePage(0);
    reportCache.RestorePage(0);
    EXPECT_EQ(l.objects[3]->Value(), 4);
}

TEST_F(Cache, AnObjectFreedMidRunLeavesTheOthersTheirOwnPages)
{
    Layout l; // three objects of 20 bytes (0, 1 and 3), one of 24
    TppCacheManager manager(&l.report);
    manager.Reset();
    l.saveStates(manager, 3);
    l.objects[1].reset();
    l.report.Objects.clear();
    // Pages go on being saved and truncated without the freed object.
    for (size_t i : {0, 2, 3})
        l.objects[i]->Set(stamp(3, i));
    manager.SavePage(3);
    manager.TruncatePage(4);
    EXPECT_EQ(manager.Streams(0)->Size(), 4 * 60);
    for (int page : {1, 2, 3}) {
        manager.RestorePage(page);
        for (size_t i : {0, 2, 3})
            EXPECT_EQ(l.objects[i]->Value(), stamp(page, i)) << "page " << page << " object " << i;
    }
    EXPECT_EQ(l.objects[3]->CachePosition(), 2);
    EXPECT_EQ(l.objects[3]->CacheCount(), 3);
}

TEST_F(Cache, ManyObjectsRegisterOnceAndKeepTheirSlotsAsOthersGo)
{
    constexpr int count = 200;
    std::vector<std::unique_ptr<Counter>> objects;
    std::vector<TppCacheable *> list;
    for (int i = 0; i < count; ++i) {
        objects.push_back(std::make_unique<Counter>(4));
        list.push_back(objects.back().get());
        if (i % 10 == 0)
            list.push_back(objects.front().get()); // named again: registered once
    }
    TppCacheManager manager(nullptr);
    manager.Init(list);
    EXPECT_EQ(manager.CacheableCount(), count);
    for (int i = 0; i < count; i += 2)
        objects[size_t(i)].reset();
    EXPECT_EQ(manager.CacheableCount(), count / 2);
    EXPECT_EQ(manager.Cacheables(0), objects[1].get());
    EXPECT_EQ(manager.Cacheables(count / 2 - 1), objects[count - 1].get());
    manager.SavePage(0);
    EXPECT_EQ(objects[count - 1]->CachePosition(), count - 1); // the freed ones' slots stay taken

    // Made again, perhaps where freed ones lay: each is registered anew.
    list.clear();
    for (int i = 0; i < count; ++i) {
        if (!objects[size_t(i)])
            objects[size_t(i)] = std::make_unique<Counter>(4);
        list.push_back(objects[size_t(i)].get());
    }
    manager.Init(list);
    EXPECT_EQ(manager.CacheableCount(), count);
    EXPECT_EQ(objects[count - 1]->CachePosition(), count - 1);
    objects.clear();
    EXPECT_EQ(manager.CacheableCount(), 0);
}

TEST_F(Cache, ObjectsAndReportsMayGoFirst)
{
    auto report = std::make_unique<FakeReport>();
    auto a = std::make_unique<Counter>(8);
    Counter b(8);
    report->Objects = {a.get(), &b};
    TppCacheManager manager(nullptr, report.get());
    manager.Reset();
    b.Set(5);
    manager.SavePage(0);
    a.reset();
    EXPECT_EQ(manager.CacheableCount(), 1);
    EXPECT_EQ(manager.Cacheables(0), &b);
    b.Set(6);
    manager.SavePage(1);
    EXPECT_EQ(b.CachePosition(), 1); // the freed object's slot stays taken
    EXPECT_EQ(b.CacheCount(), 2);
    manager.RestorePage(0);
    EXPECT_EQ(b.Value(), 5);
    report.reset();
    EXPECT_EQ(manager.Report(), nullptr);
    manager.Reset(); // no report: nothing to register
    EXPECT_EQ(manager.CacheableCount(), 0);
    EXPECT_EQ(b.CacheStream(), nullptr);

    auto owned = std::make_unique<TppCacheManager>(nullptr);
    owned->Init({&b});
    EXPECT_NE(b.CacheStream(), nullptr);
    owned.reset();
    EXPECT_EQ(b.CacheStream(), nullptr);
}

TEST_F(Cache, DescriptorReadsTheCacheFieldsOnly)
{
    Counter c(12);
    TppCacheManager manager(nullptr);
    manager.Init({&c});
    manager.SavePage(0);
    const TraTppCacheableRTTI &rtti = TraTppCacheableRTTI::Instance();
    int32_t size = 0;
    classes::TObject *stream = nullptr;
    EXPECT_TRUE(rtti.GetPropValue(&c, "cacherecordsize", &size));
    EXPECT_EQ(size, 12);
    EXPECT_TRUE(rtti.GetPropValue(&c, "CacheStream", &stream));
    EXPECT_EQ(stream, c.CacheStream());
    EXPECT_FALSE(rtti.SetPropValue(&c, "CacheCount", &size));
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TppCacheable::StaticClass(), "CacheStream", rec));
    EXPECT_TRUE(rec.ReadOnly);
    EXPECT_EQ(rec.ClassType, &classes::TStream::StaticClass());
    classes::TStringList names;
    rtti.GetPropList(TppCacheable::StaticClass(), names);
    EXPECT_GE(names.IndexOf("CachePageCount"), 0);
    EXPECT_GE(names.IndexOf("Position"), 0); // from the relative's descriptor
}
