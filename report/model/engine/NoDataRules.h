#pragma once

// What a report without data shows. A blank page: nothing is generated, and
// the user hears of it through a dialog when asked. A blank report: the
// bands that need no record print, and the page may carry the "No Data
// Found" text, centred within the margins. The report's OnNoData handler
// sees the dialog and the text first and decides whether either is used.

#include <QString>

#include <cstdint>

namespace report {

class TppCustomReport;
class TppDrawCommand;
class TppPage;

// The "No Data Found" text, as the page is to show it; positions and sizes
// in thousandths of a millimetre.
struct TppNoDataMessage
{
    QString text;
    QString fontName;
    int fontSize = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The model knows no text command of its own: the content layer, which has
// one, makes the text.
class IppNoDataMessageFactory
{
public:
    virtual ~IppNoDataMessageFactory() = default;
    // A new draw command without page, or nullptr.
    virtual TppDrawCommand *CreateNoDataMessage(const TppNoDataMessage &aMessage) = 0;
};

// The content layer installs its factory at start-up; nullptr removes it.
// Without a factory the page stays without the text.
void ppSetNoDataMessageFactory(IppNoDataMessageFactory *aFactory);
IppNoDataMessageFactory *ppNoDataMessageFactory();

// At report start without data: the dialog when the report asks for one,
// and OnNoData. aShowDialog: whether the dialog shows unless the handler
// says otherwise.
void ppNoDataAtStart(TppCustomReport &aReport, bool aShowDialog);

// At the end of a page of a blank report: the text (centred in the
// printable width from aPrintLeft, and in the height down to aMaxPosition),
// the dialog and OnNoData; the text goes on aPage when the handler keeps it.
void ppNoDataOnPage(TppCustomReport &aReport, TppPage &aPage, int32_t aPrintLeft, int32_t aPrintableWidth,
                    int32_t aMaxPosition, bool aShowDialog);

} // namespace report
