#include "report/output/PrintingSystem.h"

#include "report/model/printing/PaperTables.h"

#include "platform/print/cups/QtCupsPrinterBackend.h"

#include <memory>

namespace report {

void ppInstallPrintingSystem()
{
    print::installPrinterBackend(std::make_shared<print::QtCupsPrinterBackend>(ppTablePapers()));
}

} // namespace report
