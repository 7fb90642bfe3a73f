#pragma once

// The printer properties dialog of the report library: the platform's page
// setup dialog on the printer's settings. Shown through the program's modal
// sink, so that tests answer it.

#include "report/model/printing/Printer.h"

namespace report {

// Shows the dialog for the printer with aSettings; on OK the settings take
// what the user chose. Answers whether the user chose OK.
bool ppShowPrinterPropertiesDialog(TppCustomPrinter &aPrinter, std::optional<DriverSettings> &aSettings);
// Makes it the dialog of TppCustomPrinter::ShowProperties.
void ppInstallPrinterPropertiesDialog();

} // namespace report
