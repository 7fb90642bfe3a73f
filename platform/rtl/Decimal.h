#pragma once

// The decimal digits behind every number text of the class library: a value
// is first taken to the significant digits its type holds reliably (15 for a
// double; more only when asked for), correctly rounded from the binary value,
// and every further rounding works on those decimal digits, half away from
// zero. So 1.255 shows as 1.26 with two decimals, as the user reads it,
// rather than 1.25 as its binary value would round.

#include <QChar>
#include <QString>

namespace rtl::detail {

// A finite value as 0.d1d2d3... x 10^exponent, without its sign.
struct Decimal
{
    static constexpr int MaxDigits = 20;
    char digits[MaxDigits] = {};
    int count = 0; // no trailing zeros; 0 for zero
    int exponent = 0;

    bool isZero() const { return count == 0; }
    // The digit at `index` (0 = the first significant digit), '0' beyond them.
    char digitAt(int index) const { return index >= 0 && index < count ? digits[index] : '0'; }
};

// The digits a double holds reliably.
constexpr int DoublePrecision = 15;

// The first `precision` (1..18) significant digits of |value|, correctly
// rounded. The value must be finite.
Decimal toDecimal(long double value, int precision);
Decimal toDecimal(double value, int precision);

// Keeps `count` leading digits, rounding half away from zero; a negative
// count gives zero.
Decimal roundDigits(Decimal d, int count);

// The general format: fixed-point up to `precision` integer digits and down
// to 0.0001, else scientific ("1.5E-7", the exponent with at least
// `exponentDigits` digits, no '+'). NaN and infinities give "NAN", "INF",
// "-INF".
QString formatGeneral(long double value, int precision, int exponentDigits, QChar decimalSeparator);

// The digits of a rounded value in scientific form after its sign.
void appendScientific(QString &out, const Decimal &d, int shownDigits, QChar decimalSeparator, bool plusSign,
                      int exponentDigits);

} // namespace rtl::detail
