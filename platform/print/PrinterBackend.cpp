#include "platform/print/PrinterBackend.h"

#include <mutex>

namespace print {

namespace {

// Until the program installs the real one: no printers, no settings, no
// context, so that code which prints fails the way it does on a machine
// without a printing system.
class NoPrinterBackend : public PrinterBackend
{
public:
    std::vector<PrinterEntry> printers() override { return {}; }
    QString defaultDevice() override { return {}; }
    DriverCapabilities capabilities(const PrinterEntry &) override { return {}; }
    std::optional<DriverSettings> driverSettings(const PrinterEntry &) override { return std::nullopt; }
    std::unique_ptr<PrinterContext> createContext(const PrinterEntry &, const std::optional<DriverSettings> &,
                                                  bool) override
    {
        return nullptr;
    }
};

std::mutex g_installedBackendLock;
std::shared_ptr<PrinterBackend> g_installedBackend;

} // namespace

void installPrinterBackend(std::shared_ptr<PrinterBackend> backend)
{
    std::lock_guard lock(g_installedBackendLock);
    g_installedBackend = std::move(backend);
}

PrinterBackend &printerBackend()
{
    // Kept alive by the caller's copy while a scope or an installation swaps it.
    thread_local std::shared_ptr<PrinterBackend> inUse;
    if (std::optional<std::shared_ptr<PrinterBackend>> scoped = ScopedPrinterBackend::current(); scoped && *scoped) {
        inUse = std::move(*scoped);
        return *inUse;
    }
    {
        std::lock_guard lock(g_installedBackendLock);
        inUse = g_installedBackend;
    }
    if (inUse)
        return *inUse;
    static NoPrinterBackend none;
    return none;
}

} // namespace print
