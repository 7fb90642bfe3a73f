#include "platform/rtl/StrToFloat.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace rtl {

namespace {

// A number text taken apart: its significant digits without leading zeros,
// where the decimal point falls among them, and its sign.
struct NumberText
{
    bool negative = false;
    std::string digits;
    int64_t pointPos = 0; // value = 0.digits x 10^pointPos
};

void skipBlanks(QStringView text, qsizetype &i)
{
    while (i < text.size() && text[i] == u' ')
        ++i;
}

bool parseNumber(QStringView text, QChar decimalSeparator, NumberText &out)
{
    qsizetype i = 0;
    skipBlanks(text, i);
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        out.negative = text[i++] == u'-';
    int64_t intDigits = 0;
    bool anyDigit = false;
    for (; i < text.size() && isAsciiDigit(text[i]); ++i) {
        anyDigit = true;
        if (out.digits.empty() && text[i] == u'0')
            continue;
        out.digits += char(text[i].unicode());
        ++intDigits;
    }
    int64_t leadingFractionZeros = 0;
    if (i < text.size() && text[i] == decimalSeparator && !decimalSeparator.isNull()) {
        for (++i; i < text.size() && isAsciiDigit(text[i]); ++i) {
            anyDigit = true;
            if (out.digits.empty() && text[i] == u'0') {
                ++leadingFractionZeros;
                continue;
            }
            out.digits += char(text[i].unicode());
        }
    }
    if (!anyDigit)
        return false;
    int64_t exponent = 0;
    if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            negativeExponent = text[i++] == u'-';
        if (i >= text.size() || !isAsciiDigit(text[i]))
            return false;
        for (; i < text.size() && isAsciiDigit(text[i]); ++i)
            if (exponent < 100000000)
                exponent = exponent * 10 + (text[i].unicode() - u'0');
        if (negativeExponent)
            exponent = -exponent;
    }
    skipBlanks(text, i);
    if (i != text.size())
        return false;
    while (!out.digits.empty() && out.digits.back() == '0')
        out.digits.pop_back();
    out.pointPos = out.digits.empty() ? 0 : (intDigits > 0 ? intDigits : -leadingFractionZeros) + exponent;
    return true;
}

bool toFloat(const NumberText &n, long double &value)
{
    if (n.digits.empty()) {
        value = n.negative ? -0.0L : 0.0L;
        return true;
    }
    // Far beyond any long double either way: no need to ask.
    if (n.pointPos > 5000)
        return false;
    if (n.pointPos < -5000) {
        value = n.negative ? -0.0L : 0.0L;
        return true;
    }
    std::string s = "0." + n.digits + "e" + std::to_string(n.pointPos);
    long double v = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        if (n.pointPos > 0)
            return false;
        v = 0; // below the smallest denormal
    } else if (res.ec != std::errc() || !std::isfinite(v)) {
        return false;
    }
    value = n.negative ? -v : v;
    return true;
}

using Wide = unsigned __int128;

bool toCurrency(const NumberText &n, Currency &value)
{
    // Integer digits and four decimals; the rest decides the rounding.
    const int64_t kept = n.pointPos + 4;
    if (kept > 19)
        return false;
    Wide scaled = 0;
    for (int64_t i = 0; i < kept; ++i)
        scaled = scaled * 10 + unsigned(i < int64_t(n.digits.size()) ? n.digits[size_t(i)] - '0' : 0);
    if (kept >= 0 && kept < int64_t(n.digits.size())) {
        const char next = n.digits[size_t(kept)];
        const bool rest = kept + 1 < int64_t(n.digits.size()); // any non-zero digit after it
        if (next > '5' || (next == '5' && (rest || scaled % 2 == 1)))
            ++scaled;
    }
    const Wide limit = Wide(std::numeric_limits<int64_t>::max()) + (n.negative ? 1 : 0);
    if (scaled > limit)
        return false;
    value.scaled = n.negative ? int64_t(-scaled) : int64_t(scaled);
    return true;
}

template <typename Int>
bool parseInteger(QStringView text, Int &value)
{
    qsizetype i = 0;
    skipBlanks(text, i);
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    if (i >= text.size() || !isAsciiDigit(text[i]))
        return false;
    using Unsigned = std::make_unsigned_t<Int>;
    const Unsigned limit = Unsigned(std::numeric_limits<Int>::max()) + (negative ? 1 : 0);
    Unsigned n = 0;
    for (; i < text.size() && isAsciiDigit(text[i]); ++i) {
        const unsigned digit = text[i].unicode() - u'0';
        if (n > (limit - digit) / 10)
            return false;
        n = Unsigned(n * 10 + digit);
    }
    if (i != text.size())
        return false;
    value = negative ? Int(Unsigned(0) - n) : Int(n);
    return true;
}

} // namespace

// A number copied from right-to-left text carries direction marks around
// its sign and separator; they are no part of it.
bool TryStrToFloat(QStringView text, long double &value, const TFormatSettings &settings)
{
    NumberText n;
    return parseNumber(withoutBidiMarks(text), settings.DecimalSeparator, n) && toFloat(n, value);
}

bool TryStrToCurr(QStringView text, Currency &value, const TFormatSettings &settings)
{
    NumberText n;
    return parseNumber(withoutBidiMarks(text), settings.DecimalSeparator, n) && toCurrency(n, value);
}

bool TryStrToInt(QStringView text, int32_t &value)
{
    return parseInteger(text, value);
}

bool TryStrToInt64(QStringView text, int64_t &value)
{
    return parseInteger(text, value);
}

long double StrToFloat(QStringView text, const TFormatSettings &settings)
{
    long double value = 0;
    if (!TryStrToFloat(text, value, settings))
        raiseNotValid(text, "floating point value");
    return value;
}

Currency StrToCurr(QStringView text, const TFormatSettings &settings)
{
    Currency value;
    if (!TryStrToCurr(text, value, settings))
        raiseNotValid(text, "floating point value");
    return value;
}

int32_t StrToInt(QStringView text)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        raiseNotValid(text, "integer value");
    return value;
}

int64_t StrToInt64(QStringView text)
{
    int64_t value = 0;
    if (!TryStrToInt64(text, value))
        raiseNotValid(text, "integer value");
    return value;
}

long double StrToFloat(QStringView text)
{
    return StrToFloat(text, FormatSettings());
}

bool TryStrToFloat(QStringView text, long double &value)
{
    return TryStrToFloat(text, value, FormatSettings());
}

Currency StrToCurr(QStringView text)
{
    return StrToCurr(text, FormatSettings());
}

bool TryStrToCurr(QStringView text, Currency &value)
{
    return TryStrToCurr(text, value, FormatSettings());
}

} // namespace rtl
