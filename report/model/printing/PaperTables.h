#pragma once

// Names and sizes of the papers by their DMPAPER code, a 16-bit value that
// stored reports and driver settings carry. Sizes are portrait, in tenths of a
// millimetre; papers measured in inches go through the library's inch
// conversion, so they follow the screen resolution in steps of one pixel as
// stored reports expect.

#include "platform/print/PrinterBackend.h"

#include <QSize>
#include <QString>

#include <vector>

namespace report {

// Width and height; 0 x 0 for codes without a size (48, 49 and beyond 68).
QSize ppPaperSizeOfCode(int aCode);
// The paper's name as the platform spells it; "Custom" for 256, "Unknown"
// for any code without a name.
QString ppPaperNameOfCode(int aCode);
// "210 x 297 mm" for 2100 x 2970.
QString ppPaperSizeText(int aWidth, int aHeight);
// Every paper of the table with a size, by code: what a printer that has no
// papers of its own (a PDF file) offers.
std::vector<print::Paper> ppTablePapers();

} // namespace report
