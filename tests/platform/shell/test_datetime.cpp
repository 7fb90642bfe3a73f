#include "platform/rtl/DateTime.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/Variants.h"
#include "tests/support/TimeZone.h"

#include <gtest/gtest.h>

#include <limits>

using namespace rtl;

TEST(DateTime, DayCountsAndInvalidDates)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(DecodeDate(EncodeDate(1, 1, 1)), (TDateParts{1, 1, 1}));
    EXPECT_THROW(EncodeDate(2023, 2, 29), Exception);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), Exception);
}

TEST(DateTime, BeforeTheEpochAndAcrossMidnight)
{
    // -1.25 is 1899-12-29 06:00: the whole part counts back, the fraction forward.
    EXPECT_EQ(ToQDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_DOUBLE_EQ(FromQDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    const TDateTime almostMidnight = EncodeDate(2020, 12, 31) + 0.99999999999;
    EXPECT_EQ(DecodeDate(almostMidnight), (TDateParts{2021, 1, 1}));
    EXPECT_EQ(DecodeTime(almostMidnight), (TTimeParts{0, 0, 0, 0}));
    // Before day 0 the same time still rounds forward to the next day.
    EXPECT_EQ(DecodeDate(EncodeDate(1800, 1, 1) - 0.99999999999), (TDateParts{1800, 1, 2}));
    EXPECT_EQ(ToQDateTime(-1.99999999999), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_EQ(ToQDateTime(-0.99999999999), QDateTime(QDate(1899, 12, 31), QTime(0, 0)));
    const TDateTime t = EncodeDate(2021, 3, 4) + EncodeTime(13, 5, 9, 999);
    EXPECT_EQ(ToQDateTime(t), QDateTime(QDate(2021, 3, 4), QTime(13, 5, 9, 999)));
    EXPECT_DOUBLE_EQ(FromQDateTime(ToQDateTime(t).value()), t);
}

TEST(DateTime, MomentsOutsideTheYearsOneToNineThousandAreConvertErrors)
{
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e300, -1e300, 2958466.0, -693594.5}) {
        EXPECT_THROW(DecodeDate(bad), EConvertError) << bad;
        EXPECT_THROW(DecodeTime(bad), EConvertError) << bad;
        EXPECT_THROW(ToQDateTime(bad), EConvertError) << bad;
    }
    EXPECT_EQ(DecodeDate(-693593.0), (TDateParts{1, 1, 1}));
    EXPECT_EQ(DecodeDate(2958465.5), (TDateParts{9999, 12, 31}));
    EXPECT_EQ(DecodeTime(2958465.5), (TTimeParts{12, 0, 0, 0}));
    // The last moment of 9999 rounds up into a year that does not exist.
    EXPECT_THROW(DecodeDate(2958465.9999999999), EConvertError);
}

// Wall-clock times that a zone skipped: midnight of the day São Paulo started
// daylight-saving time in 2018, 02:30 of Berlin's in 2024, and the whole last
// day of 1994 on Kiritimati. A day number names a date and a time, not an
// instant: it converts back to itself or to nothing, never to a shifted time.
TEST(DateTime, WallClockTimesTheZoneSkippedNeverShift)
{
    struct Case
    {
        const char *zone;
        TDateTime day;
        TDateTime time;
    };
    const Case cases[] = {{"America/Sao_Paulo", EncodeDate(2018, 11, 4), EncodeTime(0, 30, 0, 0)},
                          {"Asia/Beirut", EncodeDate(2024, 3, 31), EncodeTime(0, 15, 0, 0)},
                          {"Europe/Berlin", EncodeDate(2024, 3, 31), EncodeTime(2, 30, 0, 0)},
                          {"Pacific/Kiritimati", EncodeDate(1994, 12, 31), EncodeTime(13, 0, 0, 0)}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.zone);
        const zvotest::ScopedTimeZone zone(c.zone);
        EXPECT_FALSE(ToQDateTime(c.day + c.time).has_value());
        // The day itself is a date, whatever its midnight.
        const QVariant day = DateTimeToVar(c.day);
        EXPECT_EQ(day.typeId(), QMetaType::QDate);
        EXPECT_EQ(VarToDateTime(day), c.day);
        // A moment the zone skipped stays a date-time, read back by its date
        // and time.
        const QVariant skipped = DateTimeToVar(c.day + c.time);
        EXPECT_EQ(skipped.typeId(), QMetaType::QDateTime);
        EXPECT_DOUBLE_EQ(VarToDateTime(skipped), c.day + c.time);
        EXPECT_EQ(VarToStr(skipped, FormatSettingsEnUS()), DateTimeToStr(c.day + c.time, FormatSettingsEnUS()));
        // A date given as a QDate counts from its parts, not from a local
        // midnight.
        TDateTime back = 0;
        ASSERT_TRUE(TryDateVarToDateTime(QVariant(QDate(2018, 11, 4)), back));
        EXPECT_EQ(back, EncodeDate(2018, 11, 4));
        // A time the zone has stays a local QDateTime.
        const TDateTime later = c.day + 1 + EncodeTime(14, 0, 0, 0);
        const QVariant kept = DateTimeToVar(later);
        EXPECT_EQ(kept.typeId(), QMetaType::QDateTime);
        EXPECT_DOUBLE_EQ(VarToDateTime(kept), later);
    }
}
