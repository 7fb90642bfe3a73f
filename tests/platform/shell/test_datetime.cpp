#include "platform/rtl/DateTime.h"

#include "platform/rtl/Exceptions.h"

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
    EXPECT_DOUBLE_EQ(FromQDateTime(ToQDateTime(t)), t);
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
