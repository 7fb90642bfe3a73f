#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatFloat.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace rtl;

namespace {

struct FloatToStrCase
{
    long double value;
    TFloatFormat format;
    int precision;
    int digits;
    const char16_t *text;
};

TEST(FloatToStrF, FormsUnderEnUS)
{
    const FloatToStrCase cases[] = {
        {1234.4L, ffCurrency, 15, 2, u"$1,234.40"},
        {-1234.4L, ffCurrency, 15, 2, u"($1,234.40)"},
        {-0.001L, ffCurrency, 15, 2, u"$0.00"}, // zero after rounding has no sign
        {1234567.891, ffNumber, 15, 2, u"1,234,567.89"},
        {-999.5, ffNumber, 15, 0, u"-1,000"},
        {1.255, ffFixed, 15, 2, u"1.26"}, // the decimal digits round, not the binary value
        {0.005, ffFixed, 15, 2, u"0.01"},
        {-0.001, ffFixed, 15, 2, u"0.00"},
        {1234.5678, ffFixed, 6, 4, u"1234.5700"}, // digits beyond the precision are zeros
        {1e20, ffFixed, 15, 2, u"1E20"},          // too many integer digits: general
        {1234.5, ffExponent, 4, 2, u"1.235E+03"},
        {-0.00012345, ffExponent, 3, 0, u"-1.23E-4"},
        {0, ffExponent, 3, 2, u"0.00E+00"},
        {1e20, ffGeneral, 15, 0, u"1E20"},
        {1.5e-7, ffGeneral, 15, 0, u"1.5E-7"},
        {1.5e-7, ffGeneral, 15, 3, u"1.5E-007"},
        {0.0001, ffGeneral, 15, 0, u"0.0001"},
        {123456789012345.0, ffGeneral, 15, 0, u"123456789012345"},
        {1234567.0, ffGeneral, 7, 0, u"1234567"},
        {12345678.0, ffGeneral, 7, 0, u"1.234568E7"},
        {0.0236220472, ffGeneral, 7, 0, u"0.02362205"},
        {1.0L / 3, ffGeneral, 8, 0, u"0.33333333"},
        // An Extended shows all 18 digits it holds.
        {1234567890.12345678L, ffGeneral, 18, 0, u"1234567890.12345678"},
        {1.0L / 3, ffGeneral, 18, 0, u"0.333333333333333333"},
        {std::numeric_limits<long double>::quiet_NaN(), ffCurrency, 15, 2, u"NAN"},
        {-std::numeric_limits<long double>::infinity(), ffFixed, 15, 2, u"-INF"},
    };
    for (const FloatToStrCase &c : cases)
        EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits, FormatSettingsEnUS()),
                  QString::fromUtf16(c.text))
            << double(c.value) << " form " << c.format << " " << c.precision << "/" << c.digits;
}

TEST(FloatToStrF, CurrencyPlacesFollowTheRecord)
{
    TFormatSettings s = FormatSettingsEnUS();
    s.CurrencyString = QStringLiteral("EUR");
    s.ThousandSeparator = u'.';
    s.DecimalSeparator = u',';
    const struct
    {
        int format;
        int negFormat;
        const char *positive;
        const char *negative;
    } cases[] = {
        {0, 1, "EUR1.234,50", "-EUR1.234,50"},     {1, 5, "1.234,50EUR", "-1.234,50EUR"},
        {2, 12, "EUR 1.234,50", "EUR -1.234,50"},  {3, 8, "1.234,50 EUR", "-1.234,50 EUR"},
        {3, 15, "1.234,50 EUR", "(1.234,50 EUR)"},
    };
    for (const auto &c : cases) {
        s.CurrencyFormat = uint8_t(c.format);
        s.NegCurrFormat = uint8_t(c.negFormat);
        EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2, s), QLatin1String(c.positive));
        EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, s), QLatin1String(c.negative));
    }
}

TEST(FloatToStr, GeneralFifteenDigitsAndExtremes)
{
    const TFormatSettings &s = FormatSettingsEnUS();
    EXPECT_EQ(FloatToStr(0.1 + 0.2, s), "0.3");
    EXPECT_EQ(FloatToStr(-1234.5, s), "-1234.5");
    EXPECT_EQ(FloatToStr(1e308, s), "1E308");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::denorm_min(), s), "4.94065645841247E-324");
    EXPECT_EQ(FloatToStr(std::numeric_limits<long double>::max(), s), "1.18973149535723E4932");
    EXPECT_EQ(FloatToStr(-0.0, s), "0");
    TFormatSettings comma = s;
    comma.DecimalSeparator = u',';
    EXPECT_EQ(FloatToStr(2.25, comma), "2,25");
}

TEST(FormatFloat, TextsOfTheRecord)
{
    TFormatSettings s = FormatSettingsEnUS();
    // The report's numeric display formats.
    const struct
    {
        const char16_t *format;
        const char *text;
    } cases[] = {{u"#,0;-#,0", "-1,234"},
                 {u"#,0.00;-#,0.00", "-1,234.40"},
                 {u"#,0.00;(#,0.00)", "(1,234.40)"},
                 {u"$#,0.00;($#,0.00)", "($1,234.40)"},
                 {u"$#,0.00;-$#,0.00", "-$1,234.40"},
                 {u"$#,0;-$#,0", "-$1,234"},
                 {u"$#,0;($#,0)", "($1,234)"}};
    for (const auto &c : cases)
        EXPECT_EQ(FormatFloat(QStringView(c.format), -1234.4L, s), QLatin1String(c.text));
    s.ThousandSeparator = QChar(0x202F);
    s.DecimalSeparator = u',';
    EXPECT_EQ(FormatFloat(u"#,0.00", 1234567.5L, s), QString::fromUtf16(u"1\u202F234\u202F567,50"));
    EXPECT_EQ(FormatFloat(u"#,0.00", 1e308L, s), "1E308");
    EXPECT_EQ(FormatFloat(u"0.00", std::numeric_limits<long double>::quiet_NaN(), s), "NAN");
}

TEST(FormatFloat, FormatsFromStoredReportsThatMakeLittleSense)
{
    const TFormatSettings &s = FormatSettingsEnUS();
    EXPECT_EQ(FormatFloat(u"0 'pcs", 5.0L, s), "5 pcs"); // unterminated quote: literal to the end
    EXPECT_EQ(FormatFloat(u";;;;", 3.0L, s), "3");
    EXPECT_EQ(FormatFloat(u"0E+", 5.0L, s), "5E+0");
    EXPECT_EQ(FormatFloat(u"0.0", std::numeric_limits<double>::denorm_min(), s), "0.0");
    const QString zeros(10000, u'0');
    EXPECT_EQ(FormatFloat(zeros, 42.0L, s), QString(9998, u'0') + QStringLiteral("42"));
}

} // namespace
