#pragma once

// The report library's printers on the machine's printing system: CUPS
// through Qt's printing support, with the PDF printer offering the library's
// own paper table. Part of the library's start-up.

namespace report {

// Installs the printing system for the rest of the process.
void ppInstallPrintingSystem();

} // namespace report
