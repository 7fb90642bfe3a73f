// The page control with many pages: N pages with captions of 6 to 12
// letters added one by one to a shown control (the first becomes the active
// one), then freed one by one from the last. The captions are measured by
// the control's own text measurer on the offscreen platform, as a program
// without a measurer of its own has them measured. The figures before and
// after the captions' widths were kept are in docs/decisions.md.
//
//   taskset -c 6 build/bench/pagecontrol_bench --benchmark_min_time=0.2

#include "widgets/pagecontrol/dxPageControl.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string captionOf(int serial)
{
    uint32_t x = uint32_t(serial) * 2654435761u + 1u;
    const int length = 6 + int(x % 7);
    std::string caption;
    for (int i = 0; i < length; ++i) {
        x = x * 1103515245u + 12345u;
        caption += char('a' + (x >> 16) % 26);
    }
    return caption;
}

void BM_AddPages(benchmark::State &state)
{
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<QWidget>();
        window->resize(640, 480);
        auto *control = new widgets::TdxPageControl(window.get());
        control->setGeometry(0, 0, 620, 460);
        window->show();
        state.ResumeTiming();
        for (int i = 0; i < count; ++i) {
            auto *page = new widgets::TdxTabSheet();
            page->SetCaption(captionOf(i));
            page->SetPageControl(control);
        }
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(count);
}

void BM_RemovePages(benchmark::State &state)
{
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<QWidget>();
        window->resize(640, 480);
        auto *control = new widgets::TdxPageControl(window.get());
        control->setGeometry(0, 0, 620, 460);
        std::vector<widgets::TdxTabSheet *> pages;
        for (int i = 0; i < count; ++i) {
            auto *page = new widgets::TdxTabSheet();
            page->SetCaption(captionOf(i));
            page->SetPageControl(control);
            pages.push_back(page);
        }
        window->show();
        state.ResumeTiming();
        for (auto it = pages.rbegin(); it != pages.rend(); ++it)
            delete *it;
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(count);
}

} // namespace

BENCHMARK(BM_AddPages)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RemovePages)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
