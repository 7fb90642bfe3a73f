#pragma once

// What a bar-code control knows of each symbology beyond its encoder: which
// data it accepts (with the library message that says why not), the sample
// data a control shows when its symbology changes, and the narrow-bar width
// it starts from.

#include "report/model/base/Types.h"

#include <QString>

#include <cstdint>

namespace report {

struct BarCodeValidation
{
    bool Valid = true;
    // The library message number, 0 when valid or for a text of its own.
    int Message = 0;
    QString Text;
};

// Empty data is valid for every symbology; Code 128 reports its own errors
// while it encodes.
BarCodeValidation ppValidateBarCodeData(TppBarCodeType aType, const QString &aData, bool aCalcCheckDigit);

// aDataAware: the data control's Code 39 sample differs.
QString ppBarCodeSampleData(TppBarCodeType aType, bool aCalcCheckDigit, bool aDataAware = false);

// Thousandths of a millimetre.
int32_t ppBarCodeDefaultBarWidth(TppBarCodeType aType);

} // namespace report
