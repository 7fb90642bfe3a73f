#pragma once

// Numbers as text in the class library's fixed forms. Digits are rounded half
// away from zero on their decimal digits, as FormatFloat does.

#include "platform/rtl/FormatSettings.h"

#include <QString>

namespace rtl {

enum TFloatFormat {
    ffGeneral,  // shortest of fixed and scientific: "1234.5", "1E20"
    ffExponent, // "1.2345E+003": precision digits, exponent of at least `digits` digits
    ffFixed,    // "1234.50": `digits` decimals
    ffNumber,   // "1,234.50": as ffFixed with thousands separators
    ffCurrency  // "$1,234.50", "($1,234.50)": the record's currency formats
};

// `precision` is the number of significant digits (1 to 18). `digits` is the
// number of decimals (0 to 18) for the fixed forms and the least number of
// exponent digits (0 to 4) for the others. A fixed form whose value has more
// integer digits than the precision falls back to the general form. NaN and
// infinities give "NAN", "INF", "-INF".
QString FloatToStrF(long double value, TFloatFormat format, int precision, int digits);
QString FloatToStrF(long double value, TFloatFormat format, int precision, int digits, const TFormatSettings &settings);

// The general form with 15 significant digits.
QString FloatToStr(long double value);
QString FloatToStr(long double value, const TFormatSettings &settings);

} // namespace rtl
