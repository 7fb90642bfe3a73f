#pragma once

// Names and sizes of the papers by their DMPAPER code, a 16-bit value that
// stored reports and driver settings carry. Sizes are portrait, in tenths of a
// millimetre; papers measured in inches go through the library's inch
// conversion, so they follow the screen resolution in steps of one pixel as
// stored reports expect.

#include <QSize>
#include <QString>

namespace report {

// Width and height; 0 x 0 for codes without a size (48, 49 and beyond 68).
QSize ppPaperSizeOfCode(int aCode);
// The paper's name as the platform spells it; "Custom" for 256, "Unknown"
// for any code without a name.
QString ppPaperNameOfCode(int aCode);
// "210 x 297 mm" for 2100 x 2970.
QString ppPaperSizeText(int aWidth, int aHeight);

} // namespace report
