// What a page costs on its way to the devices: made and handed out with the
// page cache off, the same with the cache on (one deep copy of the page),
// and served again from the cache instead of generated. Cache insertion is
// timed at 1,000 and 10,000 cached pages, and the memory a cached page of
// 200 commands holds is counted.

#include "tests/support/report/PageFakes.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>

using namespace report;
using namespace reporttest;

namespace {

constexpr int CommandsPerPage = 200;

// A publisher with one device that wants every page.
struct Desk
{
    explicit Desk(bool aCache)
    {
        publisher.SetCachePages(aCache);
        device.SetPublisher(&publisher);
    }
    StandInCommandClasses registered;
    TppPublisher publisher;
    RecordingDevice device;
};

void BM_GeneratePage(benchmark::State &state)
{
    Desk desk(state.range(0) != 0);
    for (auto _ : state) {
        auto page = makePage(1, CommandsPerPage);
        desk.publisher.ReceivePage(page.get());
        desk.device.Pages.clear();
    }
    state.SetLabel(state.range(0) ? "cache on" : "cache off");
}
BENCHMARK(BM_GeneratePage)->Arg(0)->Arg(1);

void BM_ServeFromCache(benchmark::State &state)
{
    Desk desk(true);
    auto page = makePage(1, CommandsPerPage);
    page->SetFirstPage(true);
    desk.publisher.ReceivePage(page.get());
    desk.device.wantPage(1);
    desk.publisher.StartJob();
    for (auto _ : state) {
        desk.device.SetPageRequestPending(true);
        desk.publisher.Publish();
        desk.device.Pages.clear();
    }
    if (!desk.publisher.RequestComplete())
        state.SkipWithError("the page was not served from the cache");
}
BENCHMARK(BM_ServeFromCache);

// Replaces pages spread over the cache, so that every insertion lands
// among the others.
void BM_CacheInsertion(benchmark::State &state)
{
    const int cached = int(state.range(0));
    Desk desk(true);
    for (int no = 1; no <= cached; ++no) {
        auto page = makePage(no, 1);
        page->SetAbsolutePageCount(no);
        desk.publisher.ReceivePage(page.get());
    }
    desk.device.Pages.clear();
    desk.device.Pages.shrink_to_fit();
    std::vector<std::unique_ptr<TppPage>> fresh;
    for (int i = 0; i < 64; ++i)
        fresh.push_back(makePage(1 + (i * 7919) % cached, 1));
    size_t next = 0;
    for (auto _ : state) {
        desk.publisher.ReceivePage(fresh[next].get());
        next = (next + 1) % fresh.size();
        desk.device.Pages.clear();
    }
    state.counters["cached"] = desk.publisher.CachedPageCount();
}
BENCHMARK(BM_CacheInsertion)->Arg(1000)->Arg(10000);

// Heap bytes held per cached page of 200 commands.
void BM_BytesPerCachedPage(benchmark::State &state)
{
    constexpr int Pages = 200;
    double perPage = 0;
    for (auto _ : state) {
        Desk desk(true);
        auto page = makePage(1, CommandsPerPage);
        const size_t before = mallinfo2().uordblks;
        for (int no = 1; no <= Pages; ++no) {
            page->SetAbsolutePageNo(no);
            desk.publisher.ReceivePage(page.get());
            desk.device.Pages.clear();
        }
        desk.device.Pages.shrink_to_fit();
        perPage = double(mallinfo2().uordblks - before) / Pages;
    }
    state.counters["bytes_per_page"] = perPage;
}
BENCHMARK(BM_BytesPerCachedPage)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
