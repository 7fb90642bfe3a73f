#include "tests/support/report/FakePrinters.h"

#include "report/model/printing/PrinterList.h"

namespace reporttest {

FakePrinters::FakePrinters()
    : m_backend(std::make_shared<FakePrinterBackend>())
    , m_scope(m_backend)
{
    report::ppFreePrinters();
}

FakePrinters::~FakePrinters()
{
    report::ppFreePrinters();
}

} // namespace reporttest
