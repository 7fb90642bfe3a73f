#pragma once

// The machine's printing system as the printer classes name it: the
// interface of platform/print, which the program fills at start-up.

#include "platform/print/PrinterBackend.h"

namespace report {

using print::DeviceCaps;
using print::DriverCapabilities;
using print::DriverSettings;
using print::PrinterBackend;
using print::PrinterContext;
using print::PrinterEntry;
using print::ScopedPrinterBackend;

} // namespace report
