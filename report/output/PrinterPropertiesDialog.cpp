#include "report/output/PrinterPropertiesDialog.h"

#include "report/model/printing/PrinterList.h"

#include "platform/print/cups/QtCupsPrinterBackend.h"
#include "platform/shell/Modal.h"

#include <QDialog>
#include <QPageSetupDialog>
#include <QPrinter>

namespace report {

bool ppShowPrinterPropertiesDialog(TppCustomPrinter &aPrinter, std::optional<DriverSettings> &aSettings)
{
    const TppPrinterInfo *info = aPrinter.PrinterInfo();
    if (!info || info->IsScreen() || !aSettings)
        return false;
    // A queue shows its own papers; any other printer the standard ones.
    std::unique_ptr<QPrinter> printer;
    std::shared_ptr<const print::QtCupsPrinterBackend::Queue> queue;
    if (auto *cups = dynamic_cast<print::QtCupsPrinterBackend *>(&print::printerBackend())) {
        printer = cups->makePrinter(info->Entry(), aSettings);
        queue = cups->queue(info->Device());
    }
    if (!printer) {
        queue = std::make_shared<print::QtCupsPrinterBackend::Queue>();
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        print::QtCupsPrinterBackend::apply(*aSettings, *printer, *queue);
    }
    QPageSetupDialog dialog(printer.get());
    if (shell::execDialog(dialog) != QDialog::Accepted)
        return false;
    aSettings = print::QtCupsPrinterBackend::readBack(*printer, *queue, *aSettings);
    return true;
}

void ppInstallPrinterPropertiesDialog()
{
    ppSetPrinterPropertiesDialog(&ppShowPrinterPropertiesDialog);
}

} // namespace report
