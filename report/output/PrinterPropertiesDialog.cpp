#include "report/output/PrinterPropertiesDialog.h"

#include "report/model/printing/PrinterList.h"

#include "platform/print/cups/QtCupsPrinterBackend.h"
#include "platform/shell/Modal.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QPageSetupDialog>
#include <QPrinter>

namespace report {

namespace {

// The application's main window, which owns the dialog so that it stays
// above it and is centred on it; nullptr while there is none on the screen.
QWidget *printerPropertiesDialogParent()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow *>(widget) && widget->isVisible())
            return widget;
    return nullptr;
}

} // namespace

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
    QPageSetupDialog dialog(printer.get(), printerPropertiesDialogParent());
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
