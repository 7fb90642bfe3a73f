// Throughput of the text search against glibc's memmem and std::search, and
// the time of a whole scrape of a result page that holds no marker (the
// slowest case: every rule, every cleaning pass and all range phrases run).

#include "foundation/FastStrings.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyWebUtilities.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

using namespace foundation;

namespace {

constexpr size_t PageSize = size_t(1) << 20;
constexpr std::string_view Marker = "var IWtotalresults = 1234567890;"; // 32 bytes

// Result-page-like HTML: links, titles, snippets and markup in a realistic
// mix of letters, blanks, digits and punctuation, without any of the
// scraper's markers or phrases.
std::string makePage(bool withMarkerNearEnd)
{
    static const char *const words[] = {
        "search", "engine", "results", "page", "link",  "popularity", "web",   "site",  "marketing", "online",
        "the",    "and",    "for",     "with", "your",  "best",       "free",  "news",  "about",     "information",
        "home",   "travel", "hotel",   "shop", "price", "review",     "guide", "world", "service",   "company"};
    std::mt19937 rng(42);
    std::uniform_int_distribution<size_t> word(0, std::size(words) - 1);
    std::uniform_int_distribution<int> number(0, 99999);
    auto phrase = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) {
            if (i)
                s += ' ';
            s += words[word(rng)];
        }
        return s;
    };
    std::string page = "<html><head><title>Search</title></head><body>\n";
    while (page.size() < PageSize) {
        page += "<div class=\"result\"><a href=\"http://www." + std::string(words[word(rng)]) + "-" + words[word(rng)] +
                ".com/" + std::to_string(number(rng)) + "/index.html\">";
        page += phrase(5) + "</a>\n<p class=\"snippet\">" + phrase(18) + ", " + phrase(7) + ".</p>";
        page += "<span class=\"url\">www." + std::string(words[word(rng)]) + ".com &nbsp;-&nbsp; " +
                std::to_string(number(rng)) + "k</span></div>\n";
    }
    page.resize(PageSize);
    if (withMarkerNearEnd)
        page.replace(PageSize - 100, Marker.size(), Marker);
    return page;
}

const std::string &page()
{
    static const std::string p = makePage(true);
    return p;
}

std::string needleOf(size_t length, bool mixedCase)
{
    std::string n(Marker.substr(0, length));
    if (mixedCase)
        for (size_t i = 0; i < n.size(); i += 2)
            n[i] = char(std::toupper(static_cast<unsigned char>(n[i])));
    return n;
}

void finish(benchmark::State &state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page().size()));
}

void BM_FastFind(benchmark::State &state)
{
    const std::string needle = needleOf(size_t(state.range(0)), false);
    for (auto _ : state)
        benchmark::DoNotOptimize(FastFind(page(), needle, 1));
    finish(state);
}

void BM_FastFindNoCase(benchmark::State &state)
{
    const std::string needle = needleOf(size_t(state.range(0)), true);
    for (auto _ : state)
        benchmark::DoNotOptimize(FastFindNoCase(page(), needle, 1));
    finish(state);
}

void BM_SkipTableFindNoCase(benchmark::State &state)
{
    const std::string needle = needleOf(size_t(state.range(0)), true);
    for (auto _ : state) {
        TSkipTable table;
        MakeSkipTableNoCase(needle, table);
        benchmark::DoNotOptimize(SkipTableFindNoCase(page(), needle, table));
    }
    finish(state);
}

void BM_memmem(benchmark::State &state)
{
    const std::string needle = needleOf(size_t(state.range(0)), false);
    for (auto _ : state)
        benchmark::DoNotOptimize(memmem(page().data(), page().size(), needle.data(), needle.size()));
    finish(state);
}

void BM_StdSearch(benchmark::State &state)
{
    const std::string needle = needleOf(size_t(state.range(0)), false);
    for (auto _ : state)
        benchmark::DoNotOptimize(std::search(page().begin(), page().end(), needle.begin(), needle.end()));
    finish(state);
}

void BM_ReplaceAllRemoveStops(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReplaceText(page(), ".", "", false));
    finish(state);
}

void BM_ScrapeWithoutMarker(benchmark::State &state)
{
    static const std::string plain = makePage(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(GetResultCountFromHTML(plain));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(plain.size()));
}

} // namespace

BENCHMARK(BM_FastFind)->Arg(4)->Arg(8)->Arg(16)->Arg(32);
BENCHMARK(BM_FastFindNoCase)->Arg(4)->Arg(8)->Arg(16)->Arg(32);
BENCHMARK(BM_SkipTableFindNoCase)->Arg(4)->Arg(8)->Arg(16)->Arg(32);
BENCHMARK(BM_memmem)->Arg(4)->Arg(8)->Arg(16)->Arg(32);
BENCHMARK(BM_StdSearch)->Arg(4)->Arg(8)->Arg(16)->Arg(32);
BENCHMARK(BM_ReplaceAllRemoveStops);
BENCHMARK(BM_ScrapeWithoutMarker)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
