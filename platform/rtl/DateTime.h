#pragma once

// The class library's date-times: days since 1899-12-30 with the time of day
// as the fraction. Before that day the whole part counts back and the
// fraction still runs forward (-1.25 is 1899-12-29 06:00).

#include "platform/rtl/ScopedOverride.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <optional>

#include <QDateTime>

namespace rtl {

// A day's length; times of day are fractions of it.
inline constexpr int64_t MsecsPerDay = 86400000;

struct TDateParts
{
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const TDateParts &, const TDateParts &) = default;
};

struct TTimeParts
{
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;
    friend bool operator==(const TTimeParts &, const TTimeParts &) = default;
};

// The local date and time, and today's date alone. A test pins the clock
// with a ScopedNow for as long as it lives; Date follows it.
TDateTime Now();
TDateTime Date();
using ScopedNow = ScopedOverride<struct NowTag, std::function<TDateTime()>>;

// Raises rtl::Exception("Invalid argument to date encode") (or "... time
// encode") for a date or time that does not exist.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime &result);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &result);

// Split to the nearest millisecond, so that 0.99999999999 is the next day's
// midnight rather than 23:59:59.999. A moment outside the years 1 to 9999
// (NaN and the infinities included) raises EConvertError, as FormatDateTime
// does; so does ToQDateTime.
TDateParts DecodeDate(TDateTime value);
TTimeParts DecodeTime(TDateTime value);

// Date, time and day of the week (1 Sunday to 7 Saturday) in one go; false
// for NaN, infinities and values outside the years 1 to 9999.
bool TryDecodeDateTime(TDateTime value, TDateParts &date, TTimeParts &time, int &dayOfWeek);

// Local time on both sides. ToQDateTime gives the local moment whose
// wall-clock date and time the number names, and nothing where the zone has
// no such moment (a daylight-saving gap, a day the zone skipped); the number
// itself is still a sound date and time. Values that travel between report
// objects go through DateTimeToVar (Variants.h), which never loses one.
TDateTime FromQDateTime(const QDateTime &value);
std::optional<QDateTime> ToQDateTime(TDateTime value);

} // namespace rtl
