#include "platform/rtl/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace rtl::detail {

namespace {

void dropTrailingZeros(Decimal &d)
{
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    if (d.count == 0)
        d.exponent = 0;
}

void appendExponentDigits(QString &out, int exponent, int minDigits)
{
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, exponent < 0 ? -exponent : exponent);
    const int len = int(res.ptr - buf);
    for (int i = len; i < minDigits; ++i)
        out += u'0';
    for (int i = 0; i < len; ++i)
        out += QChar(buf[i]);
}

// The output of to_chars in scientific form with `precision` digits:
// "d.ddde+XX", or "de+XX" for one digit.
Decimal fromScientific(const char *text, const char *end, int precision)
{
    Decimal d;
    d.digits[0] = text[0];
    const char *p = text + 1;
    if (precision > 1) {
        std::memcpy(d.digits + 1, text + 2, size_t(precision - 1));
        p = text + 1 + precision;
    }
    d.count = precision;
    ++p; // 'e'
    const bool negative = *p++ == '-';
    int exponent = 0;
    for (; p < end; ++p)
        exponent = exponent * 10 + (*p - '0');
    d.exponent = (negative ? -exponent : exponent) + 1;
    dropTrailingZeros(d);
    return d;
}

} // namespace

Decimal toDecimal(double value, int precision)
{
    if (value == 0)
        return Decimal{};
    precision = std::clamp(precision, 1, 18);
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, precision - 1);
    return fromScientific(buf, res.ptr, precision);
}

Decimal toDecimal(long double value, int precision)
{
    const long double magnitude = std::fabs(value);
    // Most values are doubles, and their digits come much faster as such.
    const double narrow = magnitude <= std::numeric_limits<double>::max() ? double(magnitude) : 0.0;
    if (static_cast<long double>(narrow) == magnitude)
        return toDecimal(narrow, precision);
    precision = std::clamp(precision, 1, 18);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, precision - 1);
    return fromScientific(buf, res.ptr, precision);
}

Decimal roundDigits(Decimal d, int count)
{
    if (count < 0)
        return Decimal{};
    if (d.isZero() || count >= d.count)
        return d;
    const bool up = d.digits[count] >= '5';
    d.count = count;
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[i] == '9')
            d.digits[i--] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            // 0.999 became 1.000: one digit "1" a place higher.
            d.digits[0] = '1';
            d.count = 1;
            ++d.exponent;
            return d;
        }
    }
    dropTrailingZeros(d);
    return d;
}

void appendScientific(QString &out, const Decimal &d, int shownDigits, QChar decimalSeparator, bool plusSign,
                      int exponentDigits)
{
    out += QChar(d.digitAt(0));
    if (shownDigits > 1) {
        out += decimalSeparator;
        for (int i = 1; i < shownDigits; ++i)
            out += QChar(d.digitAt(i));
    }
    out += u'E';
    const int exponent = d.isZero() ? 0 : d.exponent - 1;
    if (exponent < 0)
        out += u'-';
    else if (plusSign)
        out += u'+';
    appendExponentDigits(out, exponent, std::clamp(exponentDigits, 0, 4));
}

QString formatGeneral(long double value, int precision, int exponentDigits, QChar decimalSeparator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    precision = std::clamp(precision, 1, 18);
    const Decimal d = roundDigits(toDecimal(value, std::max(precision, DoublePrecision)), precision);
    if (d.isZero())
        return QStringLiteral("0");
    QString out;
    out.reserve(precision + 8);
    if (value < 0)
        out += u'-';
    if (d.exponent > precision || d.exponent < -3) {
        appendScientific(out, d, d.count, decimalSeparator, false, exponentDigits);
        return out;
    }
    if (d.exponent <= 0) {
        out += u'0';
        out += decimalSeparator;
        for (int i = d.exponent; i < 0; ++i)
            out += u'0';
        for (int i = 0; i < d.count; ++i)
            out += QChar(d.digits[i]);
        return out;
    }
    for (int i = 0; i < d.exponent; ++i)
        out += QChar(d.digitAt(i));
    if (d.count > d.exponent) {
        out += decimalSeparator;
        for (int i = d.exponent; i < d.count; ++i)
            out += QChar(d.digits[i]);
    }
    return out;
}

} // namespace rtl::detail
