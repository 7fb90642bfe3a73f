#pragma once

// The print dialog's pictures, drawn in code: the collation pictures beside
// the copies (102 x 53 on the button face: page outlines in the window
// colour with black frames and black page digits) and the two printer
// glyphs of its printer list (16 x 16 on clGreen, the colour taken as
// transparent).

#include "report/output/preview/PreviewIcons.h"

namespace report {

// Pages of a copy printed one copy after the other: two stacks of three
// pages, "1" "2" "3".
class TppCollationBitmap : public TppMetaBitmap
{
public:
    TppCollationBitmap();

protected:
    void Draw(QImage &aCanvas) override;
};

// Each page's copies printed together: three stacks of two pages,
// "1" "1", "2" "2", "3" "3".
class TppNonCollationBitmap : public TppMetaBitmap
{
public:
    TppNonCollationBitmap();

protected:
    void Draw(QImage &aCanvas) override;
};

// A printer reached over the network: the preview's printer glyph (which
// stands for a printer on this machine) over a cable to a socket.
class TppNetworkPrinterIcon : public TppPrinterIcon
{
protected:
    void Draw(QImage &aCanvas) override;
};

} // namespace report
