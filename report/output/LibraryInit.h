#pragma once

// The report library's start-up and shut-down. The program calls
// ppLibraryInit once before it prints and ppLibraryFinalize at the end; each
// layer's own registrations run in order, the model layer's first, and are
// undone in reverse.

namespace report {

// The model layer (ppModelLayerInit), the content layer
// (ppContentLayerInit); then the window layer: the printing
// system (CUPS through Qt), the dialog
// services (message pump on the program's clock, message boxes through the
// platform's sink), the printer properties dialog, and the forms registered
// for the abstract cancel and no-data dialogs. A second call does nothing.
void ppLibraryInit();
void ppLibraryFinalize();

} // namespace report
