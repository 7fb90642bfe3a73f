#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrToFloat.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

using namespace rtl;

namespace {

TFormatSettings commaDecimal()
{
    TFormatSettings s = FormatSettingsEnUS();
    s.DecimalSeparator = u',';
    s.ThousandSeparator = u'.';
    return s;
}

TEST(StrToFloat, ReadsWithTheRecordsSeparator)
{
    const TFormatSettings &us = FormatSettingsEnUS();
    EXPECT_EQ(StrToFloat(u"1,5", commaDecimal()), 1.5L);
    EXPECT_EQ(StrToFloat(u" -1.5e3 ", us), -1500.0L);
    EXPECT_EQ(StrToFloat(u"+.5", us), 0.5L);
    EXPECT_EQ(StrToFloat(u"5.", us), 5.0L);
    EXPECT_EQ(StrToFloat(u"0.1", us), 0.1L); // as close as a long double gets, not a double's 0.1
    EXPECT_EQ(StrToFloat(u"12345678901234567890", us), 12345678901234567890.0L);
    EXPECT_EQ(StrToFloat(u"1e-5000", us), 0.0L);
    EXPECT_EQ(StrToFloat(u"000000000000000000000001E-2", us), 0.01L);
    for (const char16_t *bad :
         {u"", u" ", u".", u"-", u"1e", u"1E+", u"1,234.5", u"1.5x", u"1e4933", u"INF", u"NAN", u"0x10", u"1 000"}) {
        long double v = 0;
        EXPECT_FALSE(TryStrToFloat(bad, v, us)) << QString::fromUtf16(bad).toStdString();
    }
    EXPECT_THROW(StrToFloat(u"1.5", commaDecimal()), EConvertError);
}

TEST(StrToCurr, FourDecimalsHalvesToEven)
{
    const TFormatSettings &us = FormatSettingsEnUS();
    const struct
    {
        const char16_t *text;
        int64_t scaled;
    } cases[] = {{u"1.5", 15000},
                 {u"-1.5", -15000},
                 {u"1.23456", 12346},
                 {u"0.00005", 0},
                 {u"0.00015", 2},
                 {u"0.000050001", 1},
                 {u"1e-10", 0},
                 {u"922337203685477.5807", INT64_MAX},
                 {u"-922337203685477.5808", INT64_MIN}};
    for (const auto &c : cases)
        EXPECT_EQ(StrToCurr(c.text, us).scaled, c.scaled) << QString::fromUtf16(c.text).toStdString();
    Currency v;
    EXPECT_FALSE(TryStrToCurr(u"922337203685477.5808", v, us));
    EXPECT_FALSE(TryStrToCurr(u"1e20", v, us));
    EXPECT_EQ(StrToCurr(u"2,5", commaDecimal()).toExtended(), 2.5L);
}

TEST(StrToInt, WholeTextOfDigits)
{
    EXPECT_EQ(StrToInt(u"42"), 42);
    EXPECT_EQ(StrToInt(u"  -42"), -42);
    EXPECT_EQ(StrToInt(u"+7"), 7);
    EXPECT_EQ(StrToInt(u"2147483647"), INT32_MAX);
    EXPECT_EQ(StrToInt(u"-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt64(u"-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64(u"9223372036854775807"), INT64_MAX);
    for (const char16_t *bad : {u"", u"-", u"2147483648", u"12 ", u"1.5", u"1,000", u"0x10", u"$10", u"1e3"}) {
        int32_t v = 0;
        EXPECT_FALSE(TryStrToInt(bad, v)) << QString::fromUtf16(bad).toStdString();
    }
    int64_t v = 0;
    EXPECT_FALSE(TryStrToInt64(u"9223372036854775808", v));
    EXPECT_FALSE(TryStrToInt64(u"12345678901234567890", v));
    try {
        StrToInt(u"12a");
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
    }
}

} // namespace
