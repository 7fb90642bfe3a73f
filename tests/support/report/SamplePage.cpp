#include "tests/support/report/SamplePage.h"

#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"

namespace reporttest {

void SetA4Portrait(report::TppPrinterSetup &aSetup, int32_t aMargin)
{
    report::TppPageDef *page = aSetup.PageDef();
    page->SetmmWidth(210000);
    page->SetmmHeight(297000);
    page->SetmmMarginLeft(aMargin);
    page->SetmmMarginRight(aMargin);
    page->SetmmMarginTop(aMargin);
    page->SetmmMarginBottom(aMargin);
}

} // namespace reporttest
