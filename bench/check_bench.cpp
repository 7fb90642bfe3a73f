// What a whole check run costs when the engines answer at once, so that only
// the program's own pacing and work remain: wall time against the floor the
// loop sets and against the start spacing alone, processor time per query,
// how long the window ever went without serving its event loop, and the peak
// memory of the process.
//
// The engine runs in the same process; its threads' processor time is part
// of the figure per query (it does little more than copy a page).

#include "app/MainUnit.h"
#include "foundation/MyOptions.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"
#include "tests/support/FakeSearchEngine.h"
#include "tests/support/TestSupport.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

using namespace app;
using namespace foundation;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Sites = 60;
constexpr int Engines = 5;
constexpr int Connections = 8;
// With every answer in before a pass's 100 ms wait is over, each pass
// applies one result, which holds the window for its 250 ms highlight: the
// loop cannot do better than this per query.
constexpr double LoopFloorSecondsPerQuery = 0.100 + 0.250;
// Starts are more than 250 ms apart: the floor if results cost nothing.
constexpr double StartSpacingSecondsPerQuery = 0.250;

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The longest stretch the GUI thread spent between two visits to its event
// dispatcher, leaving out the time it slept there waiting for events.
class LoopGapMeter
{
public:
    LoopGapMeter()
    {
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        m_last = Clock::now();
        m_connections[0] = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] {
            note(Clock::now());
            m_blocked = true;
        });
        m_connections[1] = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] {
            const Clock::time_point now = Clock::now();
            if (!m_blocked)
                note(now);
            m_blocked = false;
            m_last = now;
        });
    }
    ~LoopGapMeter()
    {
        for (const QMetaObject::Connection &c : m_connections)
            QObject::disconnect(c);
    }
    double largestMs() const { return std::chrono::duration<double, std::milli>(m_largest).count(); }

private:
    void note(Clock::time_point now) { m_largest = std::max(m_largest, now - m_last); }

    Clock::time_point m_last;
    Clock::duration m_largest{};
    bool m_blocked = false;
    QMetaObject::Connection m_connections[2];
};

bool writeText(const QTemporaryDir &dir, const char *name, const std::string &text)
{
    return zvotest::writeFile(dir.filePath(QString::fromLatin1(name)), text);
}

void BM_CheckAllSites(benchmark::State &state)
{
    zvotest::FakeSearchEngine engine;
    QTemporaryDir folder;
    if (!engine.isRunning() || !folder.isValid()) {
        state.SkipWithError("no loopback engine or no temporary folder");
        return;
    }
    std::string table;
    for (int i = 1; i <= Engines; ++i)
        table += "Engine " + std::to_string(i) + ":" + engine.queryUrl(i) + "\r\n";
    std::string rows;
    for (int s = 1; s <= Sites; ++s) {
        rows += "site" + std::to_string(s) + ".example\t0";
        for (int i = 1; i <= Engines; ++i)
            rows += "\t0";
        rows += "\r\n";
    }
    const std::string section = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
    writeText(folder, "ZVO-SearchEngines.txt", table);
    writeText(folder, "Domain-Data.txt", rows);
    writeText(folder, "Options.ini", "[" + section + "]\r\nShowSplashScreen=false\r\n");
    const shell::ScopedProgramFolder programFolder(folder.path());
    shell::RecordingMessageBoxes boxes;

    for (auto _ : state) {
        TMainForm form;
        if (!form.FormCreate()) {
            state.SkipWithError("the main window did not start");
            break;
        }
        ConcurrentConnectionCount = Connections;
        engine.clearRequests();

        LoopGapMeter gaps;
        const double cpuBefore = cpuSeconds();
        const Clock::time_point begin = Clock::now();
        form.UpdateAllButton->click();
        const double wall = std::chrono::duration<double>(Clock::now() - begin).count();
        const double cpu = cpuSeconds() - cpuBefore;

        const double queries = double(engine.requests().size());
        const double floor = double(Sites * Engines) * LoopFloorSecondsPerQuery;
        const double spacing = double(Sites * Engines) * StartSpacingSecondsPerQuery;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);

        state.counters["queries"] = queries;
        state.counters["wall_s"] = wall;
        state.counters["floor_s"] = floor;
        state.counters["wall_per_floor"] = wall / floor;
        state.counters["spacing_s"] = spacing;
        state.counters["wall_per_spacing"] = wall / spacing;
        state.counters["cpu_ms_per_query"] = queries > 0 ? cpu * 1000.0 / queries : 0.0;
        state.counters["largest_loop_gap_ms"] = gaps.largestMs();
        state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
        form.close();
    }
}

BENCHMARK(BM_CheckAllSites)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const rtl::ScopedFormatSettings formats(rtl::FormatSettingsEnUS());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
