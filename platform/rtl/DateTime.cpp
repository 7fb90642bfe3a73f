#include "platform/rtl/DateTime.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/QtText.h"

#include <cmath>
#include <cstdint>

namespace rtl {

namespace {

// 0001-01-01 and 9999-12-31 as day numbers.
constexpr int64_t FirstDay = -693593;
constexpr int64_t LastDay = 2958465;

QDate epoch()
{
    return QDate(1899, 12, 30);
}

// Whole days and milliseconds of the day, rounded to the millisecond.
void split(TDateTime value, int64_t &days, int64_t &msecs)
{
    const double whole = std::trunc(value);
    days = static_cast<int64_t>(whole);
    msecs = std::llround(std::fabs(value - whole) * double(MsecsPerDay));
    // The fraction runs forward also before day 0, so a time that rounds up
    // to midnight starts the following calendar day on either side of it.
    if (msecs >= MsecsPerDay) {
        msecs -= MsecsPerDay;
        ++days;
    }
}

// As split, for moments in the years 1 to 9999 only: NaN, the infinities and
// far-off values have no calendar date, and converting them to whole days
// would be undefined.
bool trySplit(TDateTime value, int64_t &days, int64_t &msecs)
{
    if (!std::isfinite(value) || value < double(FirstDay - 1) || value > double(LastDay + 1))
        return false;
    split(value, days, msecs);
    return days >= FirstDay && days <= LastDay;
}

void checkedSplit(TDateTime value, int64_t &days, int64_t &msecs)
{
    if (!trySplit(value, days, msecs))
        throw EConvertError("'" + FromQString(FloatToStr(value, FormatSettingsEnUS())) +
                            "' is not a valid date and time");
}

TDateTime join(int64_t days, int64_t msecs)
{
    const double fraction = double(msecs) / double(MsecsPerDay);
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

} // namespace

TDateTime Now()
{
    if (const std::optional<std::function<TDateTime()>> pinned = ScopedNow::current(); pinned && *pinned)
        return (*pinned)();
    return FromQDateTime(QDateTime::currentDateTime());
}

TDateTime Date()
{
    return std::trunc(Now());
}

bool TryEncodeDate(int year, int month, int day, TDateTime &result)
{
    // The class library knows the years 1 to 9999 only.
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        return false;
    result = double(epoch().daysTo(QDate(year, month, day)));
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result))
        throw Exception("Invalid argument to date encode");
    return result;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &result)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    result = double(((hour * 60 + minute) * 60 + second) * 1000 + msec) / double(MsecsPerDay);
    return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime result = 0;
    if (!TryEncodeTime(hour, minute, second, msec, result))
        throw Exception("Invalid argument to time encode");
    return result;
}

TDateParts DecodeDate(TDateTime value)
{
    int64_t days = 0;
    int64_t msecs = 0;
    checkedSplit(value, days, msecs);
    const QDate date = epoch().addDays(days);
    return TDateParts{date.year(), date.month(), date.day()};
}

TTimeParts DecodeTime(TDateTime value)
{
    int64_t days = 0;
    int64_t msecs = 0;
    checkedSplit(value, days, msecs);
    const int ms = int(msecs);
    return TTimeParts{ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
}

bool TryDecodeDateTime(TDateTime value, TDateParts &date, TTimeParts &time, int &dayOfWeek)
{
    int64_t days = 0;
    int64_t msecs = 0;
    if (!trySplit(value, days, msecs))
        return false;
    epoch().addDays(days).getDate(&date.year, &date.month, &date.day);
    const int ms = int(msecs);
    time = TTimeParts{ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
    dayOfWeek = int((days - FirstDay + 1) % 7) + 1;
    return true;
}

TDateTime FromQDateTime(const QDateTime &value)
{
    const QDateTime local = value.toLocalTime();
    return join(epoch().daysTo(local.date()), local.time().msecsSinceStartOfDay());
}

std::optional<QDateTime> ToQDateTime(TDateTime value)
{
    int64_t days = 0;
    int64_t msecs = 0;
    checkedSplit(value, days, msecs);
    const QDate date = epoch().addDays(days);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(msecs));
    // Qt answers a wall-clock time the zone skipped with an invalid value or
    // the moment after the gap; neither is the time the number names.
    QDateTime local(date, time);
    if (!local.isValid() || local.date() != date || local.time() != time)
        return std::nullopt;
    return local;
}

} // namespace rtl
