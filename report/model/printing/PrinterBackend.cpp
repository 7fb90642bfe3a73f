#include "report/model/printing/PrinterBackend.h"

#include "report/model/printing/QtCupsPrinterBackend.h"

namespace report {

PrinterBackend &ppPrinterBackend()
{
    // Kept alive by the caller's copy while a scope swaps it.
    thread_local std::shared_ptr<PrinterBackend> inUse;
    if (std::optional<std::shared_ptr<PrinterBackend>> scoped = ScopedPrinterBackend::current(); scoped && *scoped) {
        inUse = std::move(*scoped);
        return *inUse;
    }
    static QtCupsPrinterBackend theBackend;
    return theBackend;
}

} // namespace report
