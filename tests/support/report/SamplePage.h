#pragma once

// The page the demonstration's samples, the report tests and the benches
// print on: A4 portrait with equal margins.

#include <cstdint>

namespace report {
class TppPrinterSetup;
}

namespace reporttest {

void SetA4Portrait(report::TppPrinterSetup &aSetup, int32_t aMargin = 10000);

} // namespace reporttest
