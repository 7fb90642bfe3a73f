#pragma once

// Numbers as text in the class library's format language:
//   up to three sections separated by ";": positive; negative; zero
//   "0" digit or zero, "#" digit when there is one, "." the decimal point
//   (the first one), "," anywhere before it turns on thousands separators,
//   "E+0" "E-0" "e+0" "e-0" scientific with as many exponent digits as zeros,
//   '...' and "..." literal texts, any other character literal.
// Decimals are rounded half away from zero on the value's first 15
// significant digits. An empty format, or a value too large for a
// fixed-point format, gives the general format (FloatToStr).

#include "platform/rtl/FormatSettings.h"

#include <QString>
#include <QStringView>

#include <string>

namespace rtl {

QString FormatFloat(QStringView format, long double value);
QString FormatFloat(QStringView format, long double value, const TFormatSettings &settings);

// The application's single-byte texts: format and result in Windows-1252,
// separators from the process-wide record as that code page can hold them.
std::string FormatFloat(const std::string &format, double value);

// The process-wide record's separators as the application's single-byte
// texts hold them (',' and '.' where the code page has no such character;
// narrow and thin spaces become the no-break space).
struct FormatSeparators
{
    char thousands = ',';
    char decimal = '.';
};
FormatSeparators formatSeparators();

} // namespace rtl
