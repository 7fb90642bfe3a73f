// Serves result pages with a count per queried domain and engine on
// 127.0.0.1 and a free port, so that the program can run a whole check
// without leaving the machine.
//
//   fake_engine [--engines N] [--table FILE] [--seconds S]
//
// The first line on standard output is the engine's address
// ("http://127.0.0.1:<port>/"). With --table, an engine table of N engines
// pointing at it is written to FILE, ready to stand in for the program's own.
// The engine runs until it gets SIGINT or SIGTERM, or for S seconds
// (default 3600).

#include "tests/support/FakeSearchEngine.h"

#include "platform/rtl/AtomicSave.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: fake_engine [--engines N] [--table FILE] [--seconds S]\n");
    return 2;
}

// Saved as the program saves its files: a link, file or pipe somebody else
// planted in a shared folder under the name is refused, not written.
std::string writeTable(const std::string &fileName, const zvotest::FakeSearchEngine &engine, int engines)
{
    std::string text = "; Zarvello search engines (local stand-ins)\r\n;\r\n";
    for (int i = 1; i <= engines; ++i)
        text += "Fake Engine " + std::to_string(i) + ":" + engine.queryUrl(i) + "\r\n";
    const rtl::SaveResult saved = rtl::atomicSave(fileName, text, {.existing = rtl::ExistingFile::Update});
    return saved ? std::string() : saved.reason();
}

} // namespace

int main(int argc, char **argv)
{
    int engines = 4;
    long seconds = 3600;
    std::string table;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return usage();
        if (arg == "--engines")
            engines = std::atoi(argv[++i]);
        else if (arg == "--table")
            table = argv[++i];
        else if (arg == "--seconds")
            seconds = std::atol(argv[++i]);
        else
            return usage();
    }
    if (engines < 1 || engines > 50 || seconds < 1)
        return usage();

    // Blocked before the server's threads exist, so that they inherit the
    // mask and the signals reach the wait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    zvotest::FakeSearchEngine engine;
    if (!engine.isRunning()) {
        std::fprintf(stderr, "fake_engine: cannot listen on 127.0.0.1\n");
        return 1;
    }
    if (!table.empty()) {
        if (const std::string failed = writeTable(table, engine, engines); !failed.empty()) {
            std::fprintf(stderr, "fake_engine: cannot write %s: %s\n", table.c_str(), failed.c_str());
            return 1;
        }
    }
    std::printf("%s\n", engine.url("/").c_str());
    std::fflush(stdout);

    timespec limit{};
    limit.tv_sec = seconds;
    sigtimedwait(&stopSignals, nullptr, &limit);
    engine.stop();
    return 0;
}
