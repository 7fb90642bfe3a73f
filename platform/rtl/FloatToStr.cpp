#include "platform/rtl/FloatToStr.h"

#include "platform/rtl/Decimal.h"

#include <algorithm>
#include <cmath>

namespace rtl {

namespace {

using detail::Decimal;

// The integer digits (with separators when asked) and `decimals` decimals of
// a rounded value, without sign.
void appendFixed(QString &out, const Decimal &d, int decimals, QChar thousands, QChar decimalSeparator)
{
    if (d.exponent <= 0) {
        out += u'0';
    } else {
        for (int i = 0; i < d.exponent; ++i) {
            out += QChar(d.digitAt(i));
            const int rest = d.exponent - 1 - i;
            if (!thousands.isNull() && rest > 0 && rest % 3 == 0)
                out += thousands;
        }
    }
    if (decimals > 0) {
        out += decimalSeparator;
        for (int i = 0; i < decimals; ++i)
            out += QChar(d.digitAt(d.exponent + i));
    }
}

void appendCurrency(QString &out, const QString &number, bool negative, const TFormatSettings &s)
{
    static const char *const positive[4] = {"$1", "1$", "$ 1", "1 $"};
    static const char *const negativePatterns[16] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)", "-1$",  "1-$",   "1$-",
                                                     "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
    const char *pattern =
        negative ? negativePatterns[std::min<int>(s.NegCurrFormat, 15)] : positive[std::min<int>(s.CurrencyFormat, 3)];
    for (const char *p = pattern; *p; ++p) {
        if (*p == '$')
            out += s.CurrencyString;
        else if (*p == '1')
            out += number;
        else
            out += QChar(*p);
    }
}

} // namespace

QString FloatToStrF(long double value, TFloatFormat format, int precision, int digits, const TFormatSettings &settings)
{
    if (!std::isfinite(value))
        return detail::formatGeneral(value, precision, 0, settings.DecimalSeparator);
    precision = std::clamp(precision, 1, 18);
    switch (format) {
    case ffExponent: {
        const Decimal d =
            detail::roundDigits(detail::toDecimal(value, std::max(precision, detail::DoublePrecision)), precision);
        QString out;
        if (value < 0 && !d.isZero())
            out += u'-';
        detail::appendScientific(out, d, precision, settings.DecimalSeparator, true, digits);
        return out;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        digits = std::clamp(digits, 0, 18);
        const Decimal exact = detail::toDecimal(value, std::max(precision, detail::DoublePrecision));
        const Decimal d = detail::roundDigits(exact, std::min(precision, exact.exponent + digits));
        if (d.exponent > precision)
            return detail::formatGeneral(value, precision, 0, settings.DecimalSeparator);
        const bool negative = value < 0 && !d.isZero();
        const QChar thousands = format == ffFixed ? QChar() : settings.ThousandSeparator;
        QString out;
        out.reserve(32);
        if (format != ffCurrency) {
            if (negative)
                out += u'-';
            appendFixed(out, d, digits, thousands, settings.DecimalSeparator);
            return out;
        }
        QString number;
        number.reserve(32);
        appendFixed(number, d, digits, thousands, settings.DecimalSeparator);
        appendCurrency(out, number, negative, settings);
        return out;
    }
    case ffGeneral:
    default: return detail::formatGeneral(value, precision, digits, settings.DecimalSeparator);
    }
}

QString FloatToStrF(long double value, TFloatFormat format, int precision, int digits)
{
    return FloatToStrF(value, format, precision, digits, FormatSettings());
}

QString FloatToStr(long double value, const TFormatSettings &settings)
{
    return detail::formatGeneral(value, detail::DoublePrecision, 0, settings.DecimalSeparator);
}

QString FloatToStr(long double value)
{
    return FloatToStr(value, FormatSettings());
}

} // namespace rtl
