#pragma once

// Numbers read from text as the class library reads them, strictly: blanks
// around the number, a sign, digits, and for floating-point numbers the
// record's decimal separator and an exponent ("1,5E-3" with ','). Thousands
// separators, hexadecimal and any other character make the text invalid. A
// text that does not read, or whose value does not fit, raises EConvertError;
// the Try forms answer false instead.

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <QStringView>

#include <cstdint>

namespace rtl {

long double StrToFloat(QStringView text);
long double StrToFloat(QStringView text, const TFormatSettings &settings);
bool TryStrToFloat(QStringView text, long double &value);
bool TryStrToFloat(QStringView text, long double &value, const TFormatSettings &settings);

// Rounded to four decimals, halves to even.
Currency StrToCurr(QStringView text);
Currency StrToCurr(QStringView text, const TFormatSettings &settings);
bool TryStrToCurr(QStringView text, Currency &value);
bool TryStrToCurr(QStringView text, Currency &value, const TFormatSettings &settings);

int32_t StrToInt(QStringView text);
bool TryStrToInt(QStringView text, int32_t &value);
int64_t StrToInt64(QStringView text);
bool TryStrToInt64(QStringView text, int64_t &value);

} // namespace rtl
