#pragma once

// Numbers as text in the class library's format language:
//   up to three sections separated by ";": positive; negative; zero
//   "0" digit or zero, "#" digit when there is one, "." the decimal point
//   (the first one), "," anywhere before it turns on thousands separators,
//   "E+0" "E-0" "e+0" "e-0" scientific with as many exponent digits as zeros,
//   '...' and "..." literal texts, any other character literal.
// Decimals are rounded half away from zero. An empty format, or a value too
// large for a fixed-point format, gives the general format.

#include <string>

namespace rtl {

std::string FormatFloat(const std::string &format, double value);

// The general format: up to 15 significant digits, scientific for very large
// or small values ("1.5E-7").
std::string FloatToStr(double value);

// The separators come from the system locale (',' and '.' in the C locale or
// where the locale has none). Tests pin them; a NUL returns to the locale.
struct FormatSeparators
{
    char thousands = ',';
    char decimal = '.';
};
FormatSeparators formatSeparators();
void setFormatSeparators(char thousands, char decimal);

} // namespace rtl
