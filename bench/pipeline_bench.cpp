// What a report pays for its data and its page cache. The engine walks every
// record of a pipeline once per pass (First, Next to the end, a traversal
// notice and a field read per record), and saves and restores the state of
// every cacheable object at each page break. And what reading the demo's CSV
// file into a pipeline costs.

#include "report/model/data/CacheManager.h"

#include "tests/support/report/CsvPipeline.h"
#include "tests/support/report/MemoryPipeline.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace report;
using reporttest::MemoryPipeline;

namespace {

class Receiver : public TppCommunicator
{
public:
    Receiver()
        : TppCommunicator(nullptr)
    {
        for (int id : {ppEvent::OnRecordPositionChange, ppEvent::OnTraversal, ppEvent::OnNext})
            SubscribeEvent(id);
    }
    void EventNotify(TppCommunicator *, int, TraParamList *) override { ++calls; }
    int64_t calls = 0;
};

std::unique_ptr<MemoryPipeline> numbers(int64_t aCount)
{
    auto p = std::make_unique<MemoryPipeline>();
    p->AddField(QStringLiteral("Id"), TppDataType::dtInteger);
    for (int64_t i = 0; i < aCount; ++i)
        p->AddRow({int(i)});
    return p;
}

// The engine's walk: answers the records traversed.
int64_t traverse(TppDataPipeline &aPipeline)
{
    int64_t records = 0;
    const QString id = QStringLiteral("Id");
    aPipeline.First();
    while (!aPipeline.Eof()) {
        aPipeline.DoOnTraversal();
        benchmark::DoNotOptimize(aPipeline.FieldValues(id));
        ++records;
        aPipeline.Next();
    }
    return records;
}

void BM_Traversal(benchmark::State &state)
{
    auto p = numbers(state.range(0));
    std::vector<std::unique_ptr<Receiver>> receivers;
    for (int i = 0; i < state.range(1); ++i) {
        receivers.push_back(std::make_unique<Receiver>());
        p->AddEventNotify(receivers.back().get());
    }
    p->InitTraversal({p.get()});
    int64_t records = 0;
    for (auto _ : state) {
        p->ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
        records += traverse(*p);
    }
    state.SetItemsProcessed(records);
}
BENCHMARK(BM_Traversal)->Args({1000000, 0})->Args({2000000, 0})->Args({1000000, 10})->Unit(benchmark::kMillisecond);

// Masters with ten linked details each; every tenth master has none and is
// skipped. Counts master and detail records.
void BM_LinkedTraversal(benchmark::State &state)
{
    const int masters = int(state.range(0));
    MemoryPipeline customers, orders;
    customers.AddField(QStringLiteral("Id"), TppDataType::dtInteger);
    orders.AddField(QStringLiteral("Id"), TppDataType::dtInteger);
    orders.AddField(QStringLiteral("CustId"), TppDataType::dtInteger);
    for (int m = 0; m < masters; ++m) {
        customers.AddRow({m});
        if (m % 10 != 9)
            for (int d = 0; d < 10; ++d)
                orders.AddRow({m * 10 + d, m});
    }
    orders.AddLink(QStringLiteral("Id"), QStringLiteral("CustId"));
    orders.SetMasterDataPipeline(&customers);
    const TppDataPipelineVector all{&customers, &orders};
    // The link index is built once, when the details are first walked.
    orders.InitTraversal(all);
    orders.First();
    int64_t records = 0;
    for (auto _ : state) {
        customers.InitTraversal(all);
        orders.InitTraversal(all);
        customers.ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
        customers.First();
        while (!customers.Eof()) {
            customers.DoOnTraversal();
            ++records;
            records += traverse(orders);
            customers.Next();
        }
    }
    state.SetItemsProcessed(records);
}
BENCHMARK(BM_LinkedTraversal)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

// reportdemo's list data: 100,000 records of an id, a name, a city (some
// quoted) and an amount, read from a CSV file into a memory pipeline.
void BM_LoadCsvPipeline(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("list.csv"));
    {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("no temporary file");
            return;
        }
        QByteArray text = "Id,Name,City,Amount\n";
        const char *cities[] = {"Lyon", "Porto", "Oslo", "\"Turin, Italy\""};
        for (int i = 1; i <= state.range(0); ++i)
            text += QByteArray::number(i) + ",Name " + QByteArray::number(i) + ',' + cities[i % 4] + ',' +
                    QByteArray::number(i * 9.25, 'f', 2) + '\n';
        file.write(text);
    }
    for (auto _ : state) {
        MemoryPipeline pipeline;
        QString error;
        if (!reporttest::LoadCsvPipeline(name, pipeline, error))
            state.SkipWithError("the file was not read");
        benchmark::DoNotOptimize(pipeline.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadCsvPipeline)->Arg(100000)->Unit(benchmark::kMillisecond);

class Cacheable : public TppCacheable
{
public:
    explicit Cacheable(int32_t aSize)
        : TppCacheable(nullptr)
        , state(size_t(aSize), 1)
    {
        SetCacheRecordSize(aSize);
    }
    void SaveToCache(int32_t aPage) override { WriteCacheRecord(aPage, state.data()); }
    void RestoreFromCache(int32_t aPage) override { ReadCacheRecord(aPage, state.data()); }
    std::vector<char> state;
};

// A page break of a large report: 1,000 objects in three record sizes.
void BM_CacheSaveRestore(benchmark::State &state)
{
    std::vector<std::unique_ptr<Cacheable>> objects;
    std::vector<TppCacheable *> list;
    for (int i = 0; i < 1000; ++i) {
        objects.push_back(std::make_unique<Cacheable>(16 + 16 * (i % 3)));
        list.push_back(objects.back().get());
    }
    TppCacheManager manager(nullptr);
    manager.Init(list);
    int32_t page = 0;
    for (auto _ : state) {
        manager.SavePage(page);
        manager.RestorePage(page);
        if (++page == 1000) {
            state.PauseTiming();
            manager.TruncatePage(0);
            page = 0;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_CacheSaveRestore);

// A report of many fields: each object registers with the cache manager
// (which links the two) and is freed again, the first ones first.
void BM_CacheRegistration(benchmark::State &state)
{
    const auto count = size_t(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::unique_ptr<Cacheable>> objects;
        std::vector<TppCacheable *> list;
        for (size_t i = 0; i < count; ++i) {
            objects.push_back(std::make_unique<Cacheable>(8));
            list.push_back(objects.back().get());
        }
        state.ResumeTiming();
        TppCacheManager manager(nullptr);
        manager.Init(list);
        for (auto &object : objects)
            object.reset();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CacheRegistration)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity()->Unit(benchmark::kMillisecond);

// Moving 64 MiB of cached pages from memory into temporary files.
void BM_CacheSpill(benchmark::State &state)
{
    constexpr int32_t RecordSize = 1 << 20;
    for (auto _ : state) {
        state.PauseTiming();
        Cacheable object(RecordSize);
        TppCacheManager manager(nullptr);
        manager.Init({&object});
        for (int32_t page = 0; page < 64; ++page)
            manager.SavePage(page);
        manager.SetMemoryThreshold(manager.MemoryUsed());
        state.ResumeTiming();
        manager.SavePage(64);
        state.PauseTiming();
        if (!manager.Spilled())
            state.SkipWithError("the cache did not spill");
        manager.Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t(64) << 20));
}
BENCHMARK(BM_CacheSpill)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
