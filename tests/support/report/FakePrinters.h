#pragma once

// The scripted printing system in place for a test, with the report
// library's printer list made anew from it.

#include "platform/print/fake/FakePrinterBackend.h"

#include "report/model/printing/PrinterBackend.h"

#include <memory>

namespace reporttest {

using print::FakePrinterBackend;

// Puts a fake printing system in place for a scope, with a printer list made
// anew from it; the list is freed again when the scope ends.
class FakePrinters
{
public:
    FakePrinters();
    ~FakePrinters();
    FakePrinters(const FakePrinters &) = delete;
    FakePrinters &operator=(const FakePrinters &) = delete;

    FakePrinterBackend &backend() { return *m_backend; }
    FakePrinterBackend *operator->() { return m_backend.get(); }

private:
    std::shared_ptr<FakePrinterBackend> m_backend;
    report::ScopedPrinterBackend m_scope;
};

} // namespace reporttest
