#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/StrToDateTime.h"
#include "platform/rtl/Variants.h"

#include "QStringPrinter.h"

#include "tests/support/TimeZone.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QSize>
#include <QTimeZone>

#include <cmath>
#include <limits>
#include <utility>

using namespace rtl;

namespace {

const TDateTime Sample = EncodeDate(1995, 3, 4) + EncodeTime(13, 30, 55, 7);

QString fmt(const char16_t *format, TDateTime value = Sample)
{
    return FormatDateTime(QStringView(format), value, FormatSettingsEnUS());
}

// A record that writes "4.3.1995 13:30:55".
TFormatSettings dayFirst()
{
    TFormatSettings s = FormatSettingsEnUS();
    s.DateSeparator = u'.';
    s.ShortDateFormat = QStringLiteral("d.m.yyyy");
    s.LongTimeFormat = QStringLiteral("hh:nn:ss");
    s.ShortTimeFormat = QStringLiteral("hh:nn");
    s.DecimalSeparator = u',';
    return s;
}

TEST(FormatDateTime, DisplayFormatSamples)
{
    const struct
    {
        const char16_t *format;
        const char *text;
    } cases[] = {
        {u"m/d/yy", "3/4/95"},
        {u"mm/dd/yy", "03/04/95"},
        {u"mm/dd/yyyy", "03/04/1995"},
        {u"d-mmm-yy", "4-Mar-95"},
        {u"dd-mmm-yy", "04-Mar-95"},
        {u"mmmm d, yyyy", "March 4, 1995"},
        {u"m/d", "3/4"},
        {u"mmm-yy", "Mar-95"},
        {u"mmmm-yy", "March-95"},
        {u"h:nn AM/PM", "1:30 PM"},
        {u"h:nn", "13:30"},
        {u"h:nn:ss AM/PM", "1:30:55 PM"},
        {u"h:nn:ss", "13:30:55"},
        {u"m/d/yy h:nn:ss AM/PM", "3/4/95 1:30:55 PM"},
        {u"m/d/yy h:nn:ss", "3/4/95 13:30:55"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fmt(c.format), QLatin1String(c.text)) << QString::fromUtf16(c.format).toStdString();
}

TEST(FormatDateTime, FieldsOfTheLanguage)
{
    const struct
    {
        const char16_t *format;
        const char *text;
    } cases[] = {
        {u"c", "3/4/1995 1:30:55 PM"},
        {u"", "3/4/1995 1:30:55 PM"},
        {u"ddddd|dddddd", "3/4/1995|Saturday, March 4, 1995"},
        {u"ddd dddd", "Sat Saturday"},
        {u"t|tt", "1:30 PM|1:30:55 PM"},
        {u"hh:mm:ss", "13:30:55"}, // m after h is minutes
        {u"hh mm", "13 30"},
        {u"MM-DD-YYYY", "03-04-1995"},
        {u"hh am/pm|hh AM/PM|h Am/Pm|h a/p|h A/P|h ampm", "01 pm|01 PM|1 Pm|1 p|1 P|1 PM"},
        {u"h 'am/pm'", "13 am/pm"}, // a quoted am/pm does not make the clock 12-hour
        {u"z|zz|zzz|zzzz", "7|07|007|007"},
        {u"yyyy 'yyyy' \"mm\"", "1995 yyyy mm"},
        {u"'unterminated", "unterminated"},
        {u"x q", "x q"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fmt(c.format), QLatin1String(c.text)) << QString::fromUtf16(c.format).toStdString();
    EXPECT_EQ(fmt(u"c", EncodeDate(1995, 3, 4)), "3/4/1995"); // midnight: no time
    EXPECT_EQ(fmt(u"c", -1.25), "12/29/1899 6:00:00 AM");     // before day 0 the time runs forward
    EXPECT_EQ(FormatDateTime(u"c", Sample, dayFirst()), "4.3.1995 13:30:55");
}

TEST(FormatDateTime, RecordFormatsExpandOnlyOnce)
{
    TFormatSettings s = FormatSettingsEnUS();
    s.ShortDateFormat = QStringLiteral("c");
    s.LongTimeFormat = QStringLiteral("tt|h");
    s.LongDateFormat = QStringLiteral("dddddd!");
    EXPECT_EQ(FormatDateTime(u"c", Sample, s), "  |13");
    EXPECT_EQ(FormatDateTime(u"dddddd", Sample, s), "!");
    EXPECT_EQ(DateToStr(Sample, s), "  |13");
}

TEST(FormatDateTime, BadValuesAndLongFormats)
{
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300,
                       2958466.0, -693594.5})
        EXPECT_THROW(fmt(u"yyyy", bad), EConvertError) << bad;
    EXPECT_EQ(fmt(u"yyyy", 2958465.5), "9999");
    EXPECT_EQ(fmt(u"yyyy-mm-dd", -693593.0), "0001-01-01");
    EXPECT_EQ(fmt(u"yyyy-mm-dd hh:nn", -693593.9999999999), "0001-01-02 00:00"); // the last moment of day 1 rounds up
    const QString longFormat = QStringLiteral("yyyy-").repeated(2000);
    EXPECT_EQ(FormatDateTime(longFormat, Sample, FormatSettingsEnUS()), QStringLiteral("1995-").repeated(2000));
}

TEST(StrToDateTime, ReadsBackWhatDateTimeToStrWrites)
{
    const TDateTime values[] = {Sample - 0.007 / 86400, EncodeDate(2024, 2, 29), EncodeDate(2000, 1, 1) + 0.5,
                                EncodeDate(1999, 12, 31) + EncodeTime(0, 30, 0, 0), EncodeDate(1, 1, 1) - 0.25};
    for (const TFormatSettings &s : {FormatSettingsEnUS(), dayFirst()})
        for (TDateTime v : values) {
            const QString text = DateTimeToStr(v, s);
            TDateTime back = 0;
            ASSERT_TRUE(TryStrToDateTime(text, back, s)) << text.toStdString();
            EXPECT_NEAR(back, v, 1e-9) << text.toStdString();
        }
}

TEST(StrToDateTime, PartsAndTheirOrder)
{
    const TFormatSettings &us = FormatSettingsEnUS();
    const int thisYear = DecodeDate(Now()).year;
    EXPECT_EQ(StrToDate(u" 3/4/1995 ", us), EncodeDate(1995, 3, 4));
    EXPECT_EQ(StrToDate(u"3/4", us), EncodeDate(thisYear, 3, 4));
    EXPECT_EQ(StrToDate(u"4.3.1995", dayFirst()), EncodeDate(1995, 3, 4));
    TFormatSettings iso = us;
    iso.ShortDateFormat = QStringLiteral("yyyy-mm-dd");
    iso.DateSeparator = u'-';
    EXPECT_EQ(StrToDate(u"1995-03-04", iso), EncodeDate(1995, 3, 4));
    EXPECT_EQ(StrToDate(u"0095-03-04", iso), EncodeDate(95, 3, 4)); // four digits are taken as written

    EXPECT_EQ(StrToTime(u"13:30:55,5", dayFirst()), EncodeTime(13, 30, 55, 500));
    EXPECT_EQ(StrToTime(u"1:30 pm", us), EncodeTime(13, 30, 0, 0));
    EXPECT_EQ(StrToTime(u"PM 1:30", us), EncodeTime(13, 30, 0, 0));
    EXPECT_EQ(StrToTime(u"12:05 AM", us), EncodeTime(0, 5, 0, 0));
    EXPECT_EQ(StrToTime(u"7", us), EncodeTime(7, 0, 0, 0));
    EXPECT_EQ(StrToDateTime(u"13:30", us), EncodeTime(13, 30, 0, 0));

    // Two-digit years land within the window around this year.
    for (int yy : {0, 1, 30, 49, 50, 75, 76, 95, 99}) {
        const int year = DecodeDate(StrToDate(QString::asprintf("1/2/%02d", yy), us)).year;
        EXPECT_EQ(year % 100, yy);
        EXPECT_LE(std::abs(year - thisYear), 50) << yy;
    }
}

TEST(StrToDateTime, BadTextsRaise)
{
    const TFormatSettings &us = FormatSettingsEnUS();
    for (const char16_t *bad :
         {u"", u"31/02/2020", u"2/30/2020", u"99:99", u"0:30 PM", u"13:00 PM", u"3/4/1995 junk", u"3/4/1995 13:30 junk",
          u"12345678901234567890", u"3/", u"1:2:3:4", u"13:30:55.1234", u"3-4-1995", u"AM"})
        EXPECT_THROW(StrToDateTime(bad, us), EConvertError) << QString::fromUtf16(bad).toStdString();
    EXPECT_THROW(StrToDate(u"31.02.2020", dayFirst()), EConvertError);
    try {
        StrToTime(u"99:99", us);
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'99:99' is not a valid time");
    }
}

// A typo that adds a digit to the year must not pass as another year and an
// hour: "12/31/20245" once read as 2024-12-31 05:00.
TEST(StrToDateTime, AYearThatRunsOnPastFourDigitsIsRefused)
{
    TFormatSettings iso = FormatSettingsEnUS();
    iso.ShortDateFormat = QStringLiteral("yyyy-mm-dd");
    iso.DateSeparator = u'-';
    const std::pair<const char16_t *, TFormatSettings> texts[] = {{u"1/1/10000", FormatSettingsEnUS()},
                                                                  {u"12/31/20245", FormatSettingsEnUS()},
                                                                  {u"12/31/20245 1:00", FormatSettingsEnUS()},
                                                                  {u"31.12.20245", dayFirst()},
                                                                  {u"20245-12-31", iso},
                                                                  {u"12/31/2024 10000:00", FormatSettingsEnUS()}};
    for (const auto &[text, settings] : texts) {
        TDateTime value = 0;
        EXPECT_FALSE(TryStrToDateTime(text, value, settings)) << QString::fromUtf16(text).toStdString();
        EXPECT_FALSE(TryStrToDate(text, value, settings)) << QString::fromUtf16(text).toStdString();
    }
    EXPECT_EQ(StrToDateTime(u"12/31/2024 5:00", FormatSettingsEnUS()),
              EncodeDate(2024, 12, 31) + EncodeTime(5, 0, 0, 0));
}

TEST(Variants, TextAndDateOfAValue)
{
    const TFormatSettings &us = FormatSettingsEnUS();
    EXPECT_TRUE(VarIsEmpty(Unassigned()));
    EXPECT_FALSE(VarIsNull(Unassigned()));
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_FALSE(VarIsNull(QVariant(QString())));
    const struct
    {
        QVariant value;
        const char *text;
    } cases[] = {
        {Unassigned(), ""},
        {Null(), ""},
        {true, "True"},
        {false, "False"},
        {QVariant(qlonglong(-9007199254740993LL)), "-9007199254740993"},
        {1234.5, "1234.5"},
        {0.1f, "0.1"},
        {1e20, "1E20"},
        {QDateTime(QDate(1995, 3, 4), QTime(13, 30, 55)), "3/4/1995 1:30:55 PM"},
        {QDate(1995, 3, 4), "3/4/1995"},
        {QTime(13, 30, 55), "1:30:55 PM"},
        {QStringLiteral("text"), "text"},
        {QByteArray("caf\xE9"), "caf\xC3\xA9"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(VarToStr(c.value, us), QString::fromUtf8(c.text)) << c.value.typeName();

    EXPECT_EQ(VarToDateTime(Unassigned(), us), 0);
    EXPECT_THROW(VarToDateTime(Null(), us), EConvertError);
    EXPECT_THROW(VarToDateTime(true, us), EConvertError);
    EXPECT_THROW(VarToDateTime(1e300, us), EConvertError);
    EXPECT_THROW(VarToDateTime(QStringLiteral("3/4/1995 junk"), us), EConvertError);
    EXPECT_EQ(VarToDateTime(QStringLiteral("3/4/1995 1:30:55 PM"), us), StrToDateTime(u"3/4/1995 13:30:55", us));
    EXPECT_EQ(VarToDateTime(QDate(1995, 3, 4), us), EncodeDate(1995, 3, 4));
    EXPECT_EQ(VarToDateTime(34762.5, us), 34762.5);
}

// The number a report formats or sums: Booleans count as -1 and 0, 64-bit
// integers keep every digit, dates are their day numbers.
TEST(Variants, NumberOfAValue)
{
    const TFormatSettings &us = FormatSettingsEnUS();
    EXPECT_EQ(VarToExtended(Unassigned(), us), 0);
    EXPECT_EQ(VarToExtended(true, us), -1);
    EXPECT_EQ(VarToExtended(false, us), 0);
    EXPECT_EQ(VarToExtended(qint64(9007199254740993), us), 9007199254740993.0L);
    EXPECT_EQ(VarToExtended(1234.5, us), 1234.5L);
    EXPECT_EQ(VarToExtended(QStringLiteral(" -12.5 "), us), -12.5L);
    EXPECT_EQ(VarToExtended(QDate(1995, 3, 4), us), EncodeDate(1995, 3, 4));
    EXPECT_THROW(VarToExtended(Null(), us), EConvertError);
    EXPECT_THROW(VarToExtended(QStringLiteral("1,234"), us), EConvertError);
    EXPECT_THROW(VarToExtended(QVariant::fromValue(QSize(1, 2)), us), EConvertError);

    // Integers of every width and sign are numbers; one-byte ones are not
    // the characters of their codes.
    for (const QVariant &v :
         {QVariant::fromValue(uint(7)), QVariant::fromValue(qulonglong(7)), QVariant::fromValue(ushort(7)),
          QVariant::fromValue(uchar(7)), QVariant::fromValue(static_cast<signed char>(7)), QVariant::fromValue(7L)}) {
        EXPECT_TRUE(VarIsNumber(v)) << v.typeName();
        EXPECT_EQ(VarToExtended(v, us), 7.0L) << v.typeName();
        EXPECT_EQ(VarToDateTime(v, us), 7.0) << v.typeName();
        EXPECT_EQ(VarToStr(v, us), "7") << v.typeName();
    }
    EXPECT_EQ(VarToStr(QVariant::fromValue(static_cast<signed char>(-5)), us), "-5");
    for (const QVariant &v :
         {Unassigned(), Null(), QVariant(true), QVariant(QStringLiteral("7")), QVariant(QDate(1995, 3, 4))})
        EXPECT_FALSE(VarIsNumber(v)) << v.typeName();
}

// A wall-clock time the user's zone skipped: a pipeline hands it over as
// Qt's invalid local value with its date and time, and the library's own
// value of that moment travels the same way. Both read by their date and
// time, as a date does, and print as a date-time.
TEST(Variants, AWallClockTimeTheZoneSkippedIsReadByItsDateAndTime)
{
    const TFormatSettings &us = FormatSettingsEnUS();
    const struct
    {
        const char *zone;
        QDate date;
        QTime time;
        const char *text;
    } cases[] = {
        {"America/Sao_Paulo", QDate(2018, 11, 4), QTime(0, 30), "11/4/2018 12:30:00 AM"},
        {"Europe/Berlin", QDate(2024, 3, 31), QTime(2, 30), "3/31/2024 2:30:00 AM"},
    };
    for (const auto &c : cases) {
        const zvotest::ScopedTimeZone zone(c.zone);
        const TDateTime moment =
            EncodeDate(c.date.year(), c.date.month(), c.date.day()) + EncodeTime(c.time.hour(), c.time.minute(), 0, 0);
        const QVariant fromData(QDateTime(c.date, c.time));
        TDateTime read = 0;
        ASSERT_TRUE(TryDateVarToDateTime(fromData, read)) << c.zone;
        EXPECT_EQ(read, moment) << c.zone;
        EXPECT_EQ(VarToDateTime(fromData, us), moment) << c.zone;
        EXPECT_EQ(VarToExtended(fromData, us), static_cast<long double>(moment)) << c.zone;
        EXPECT_EQ(VarToStr(fromData, us), c.text) << c.zone;

        const QVariant own = DateTimeToVar(moment);
        EXPECT_EQ(own.typeId(), QMetaType::QDateTime) << c.zone;
        EXPECT_EQ(VarToStr(own, us), c.text) << c.zone;
        EXPECT_EQ(VarToDateTime(own, us), moment) << c.zone;
    }
    // A time that a named zone skipped has no moment on the user's clock
    // either: it reads by its own date and time, whatever the user's zone.
    const zvotest::ScopedTimeZone user("America/Sao_Paulo");
    const QVariant named(QDateTime(QDate(2024, 3, 31), QTime(2, 30), QTimeZone("Europe/Berlin")));
    EXPECT_EQ(VarToDateTime(named, us), EncodeDate(2024, 3, 31) + EncodeTime(2, 30, 0, 0));
    EXPECT_EQ(VarToStr(named, us), "3/31/2024 2:30:00 AM");
    // A date-time without date or time stays refused.
    TDateTime read = 0;
    EXPECT_FALSE(TryDateVarToDateTime(QVariant(QDateTime()), read));
}

} // namespace
