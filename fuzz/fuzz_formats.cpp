// Display formats and edit masks come from stored reports, so every routine
// that reads one must take any text: no crash, no undefined behaviour, and
// the results keep their promises (a mask shows one character per position,
// a number or date-time reads back as it was written).

#include "platform/rtl/DateTime.h"
#include "platform/rtl/EditMask.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/StrToDateTime.h"
#include "platform/rtl/StrToFloat.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

QString text(FuzzedDataProvider &in, size_t maxLength)
{
    const std::string bytes = in.ConsumeRandomLengthString(maxLength);
    return in.ConsumeBool() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QChar character(FuzzedDataProvider &in)
{
    return QChar(in.ConsumeIntegral<char16_t>());
}

// A record as a stored report or an odd locale might leave it.
rtl::TFormatSettings record(FuzzedDataProvider &in)
{
    rtl::TFormatSettings s = rtl::FormatSettingsEnUS();
    if (!in.ConsumeBool())
        return s;
    s.DecimalSeparator = character(in);
    s.ThousandSeparator = character(in);
    s.DateSeparator = character(in);
    s.TimeSeparator = character(in);
    s.CurrencyFormat = in.ConsumeIntegral<uint8_t>();
    s.NegCurrFormat = in.ConsumeIntegral<uint8_t>();
    s.CurrencyString = text(in, 8);
    s.ShortDateFormat = text(in, 24);
    s.LongDateFormat = text(in, 24);
    s.ShortTimeFormat = text(in, 24);
    s.LongTimeFormat = text(in, 24);
    s.TimeAMString = text(in, 4);
    s.TimePMString = text(in, 4);
    s.TwoDigitYearCenturyWindow = in.ConsumeIntegralInRange(-200, 200);
    return s;
}

void numbers(FuzzedDataProvider &in, const rtl::TFormatSettings &s)
{
    const QString format = text(in, 64);
    const long double value =
        in.ConsumeBool() ? in.ConsumeFloatingPoint<double>() : in.ConsumeFloatingPoint<long double>();
    rtl::FormatFloat(format, value, s);
    const auto form = static_cast<rtl::TFloatFormat>(in.ConsumeIntegralInRange(0, 4));
    rtl::FloatToStrF(value, form, in.ConsumeIntegralInRange(-5, 30), in.ConsumeIntegralInRange(-5, 30), s);

    // The general form reads back to the same text.
    const rtl::TFormatSettings &us = rtl::FormatSettingsEnUS();
    if (std::isfinite(value)) {
        const QString written = rtl::FloatToStr(value, us);
        long double back = 0;
        if (!rtl::TryStrToFloat(written, back, us))
            fail("FloatToStr does not read back");
        if (rtl::FloatToStr(back, us) != written)
            fail("FloatToStr reads back as another number");
    }

    const QString typed = text(in, 40);
    long double f = 0;
    rtl::TryStrToFloat(typed, f, s);
    rtl::Currency c;
    rtl::TryStrToCurr(typed, c, s);
    int32_t i32 = 0;
    if (rtl::TryStrToInt(typed, i32) && rtl::StrToInt64(typed) != i32)
        fail("StrToInt and StrToInt64 disagree");
}

void dates(FuzzedDataProvider &in, const rtl::TFormatSettings &s)
{
    const QString format = text(in, 64);
    const double value =
        in.ConsumeBool() ? in.ConsumeFloatingPoint<double>()
                         : double(in.ConsumeIntegralInRange<int64_t>(-700000LL * 86400, 3000000LL * 86400)) / 86400.0;
    try {
        rtl::FormatDateTime(format, value, s);
        rtl::DateTimeToStr(value, s);
    } catch (const rtl::EConvertError &) {
        rtl::TDateParts d;
        rtl::TTimeParts t;
        int dow = 0;
        if (rtl::TryDecodeDateTime(value, d, t, dow))
            fail("a valid date-time does not format");
    }

    // Whole seconds of the years 1 to 9999 read back as written.
    const rtl::TFormatSettings &us = rtl::FormatSettingsEnUS();
    const double seconds = double(in.ConsumeIntegralInRange<int64_t>(-693593LL * 86400, 2958465LL * 86400 + 86399));
    const double whole = std::floor(seconds / 86400.0);
    const double moment = whole < 0 ? whole - (seconds / 86400.0 - whole) : seconds / 86400.0;
    double back = 0;
    if (!rtl::TryStrToDateTime(rtl::DateTimeToStr(moment, us), back, us) || std::fabs(back - moment) > 1e-6)
        fail("DateTimeToStr does not read back");

    const QString typed = text(in, 40);
    rtl::TDateTime v = 0;
    for (bool ok : {rtl::TryStrToDateTime(typed, v, s), rtl::TryStrToDate(typed, v, s), rtl::TryStrToTime(typed, v, s)})
        if (ok) {
            rtl::TDateParts d;
            rtl::TTimeParts t;
            int dow = 0;
            if (!rtl::TryDecodeDateTime(v, d, t, dow))
                fail("a text read as a date-time outside the years 1 to 9999");
        }
}

void masks(FuzzedDataProvider &in, const rtl::TFormatSettings &s)
{
    const QString maskText = text(in, 48);
    const QString value = text(in, 48);
    const rtl::EditMask mask(maskText, s);
    const QString shown = mask.format(value);
    if (!mask.isEmpty() && shown.size() != mask.size())
        fail("a formatted text does not fit its mask");
    mask.unformat(shown);
    mask.unformat(value);
    const int failAt = mask.check(value);
    if (failAt < -1 || failAt >= std::max<qsizetype>(mask.size(), value.size()))
        fail("check answers outside the text");
    mask.checkAcceptingBlanks(shown);
    const int pos = in.ConsumeIntegralInRange(-2, 60);
    mask.accept(pos, character(in));
    for (int p : {mask.nextEditable(pos), mask.previousEditable(pos), mask.firstEditable(), mask.lastEditable()})
        if (p < 0 || p > mask.size() || (p < mask.size() && !mask.isEditable(p)))
            fail("caret lands off an editable position");
    const int literal = mask.findLiteral(pos, character(in));
    if (literal != -1 && !mask.isLiteral(literal))
        fail("a literal jump lands off a literal");
    if (mask.blankRange(shown, pos, in.ConsumeIntegralInRange(-2, 60)).size() != shown.size())
        fail("blanking changes the length");
    rtl::FormatMaskText(maskText, value, s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const rtl::TFormatSettings s = record(in);
    switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0: numbers(in, s); break;
    case 1: dates(in, s); break;
    default: masks(in, s); break;
    }
    return 0;
}
