#pragma once

// The "barcodes" sample: one bar code per record, its symbology, data and
// add-on taken from the record's "Type", "Data" and "AddOn" fields.

#include <QString>

#include <memory>

namespace report {
class TppReport;
enum class TppBarCodeType : uint8_t;
} // namespace report

namespace reporttest {
class MemoryPipeline;
}

namespace reportdemo {

// A type's name as people write it: without regard to case, with or without
// the "bc" prefix and underscores ("bcEAN_13", "EAN13", "ean_13").
bool BarCodeTypeFromName(const QString &aName, report::TppBarCodeType &aType);

std::unique_ptr<report::TppReport> CreateBarCodeSample(reporttest::MemoryPipeline &aData);

} // namespace reportdemo
