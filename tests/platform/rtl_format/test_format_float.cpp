#include "platform/rtl/FormatFloat.h"

#include <gtest/gtest.h>

using rtl::FormatFloat;

namespace {

class FormatFloatTest : public ::testing::Test
{
protected:
    rtl::ScopedFormatSettings m_formats{rtl::FormatSettingsEnUS()};
};

rtl::TFormatSettings withSeparators(char16_t thousands, char16_t decimal)
{
    rtl::TFormatSettings settings = rtl::FormatSettingsEnUS();
    settings.ThousandSeparator = thousands;
    settings.DecimalSeparator = decimal;
    return settings;
}

struct FormatFloatCase
{
    const char *format;
    double value;
    const char *text;
};

void expectFormats(std::initializer_list<FormatFloatCase> cases)
{
    for (const FormatFloatCase &c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value), c.text) << "FormatFloat(\"" << c.format << "\", " << c.value << ")";
}

TEST_F(FormatFloatTest, CountsWithThousandsSeparators)
{
    expectFormats({{",0", 1234567, "1,234,567"},
                   {",0", 0, "0"},
                   {",0", -5, "-5"},
                   {",0", 999.5, "1,000"},
                   {"#,##0.00", 1234567.891, "1,234,567.89"},
                   {"0,", 1000, "1,000"},
                   // After the decimal point a comma does nothing.
                   {"0.0,0", 1000, "1000.00"}});
    const rtl::ScopedFormatSettings german(withSeparators(u'.', u','));
    EXPECT_EQ(FormatFloat(",0.00", 1234.5), "1.234,50");
}

TEST_F(FormatFloatTest, DigitPlaceholders)
{
    // Half away from zero on the decimal digits; no "-0.00".
    expectFormats({{"0.00", 1.005, "1.01"},
                   {"0.00", 1.255, "1.26"},
                   {"0", 2.5, "3"},
                   {"0", 0.4, "0"},
                   {"#.##", 0.5, ".5"},
                   {"#", 0, ""},
                   {"0.0#", 1.5, "1.5"},
                   {"0.##", 3, "3"},
                   {"000", 7, "007"},
                   {"#0##", 5, "005"},
                   {".00", 12.5, "12.50"},
                   {"0.00", 0.004, "0.00"},
                   {"0.00", -0.004, "0.00"}});
}

TEST_F(FormatFloatTest, LiteralsAndSections)
{
    expectFormats({{"000-0000", 5551234, "555-1234"},
                   {"0-00", 12345, "123-45"},
                   {"'#'0 \"pcs;\"", 3, "#3 pcs;"},
                   {"$#,##0", -5, "-$5"},
                   {"0;(0);'zero'", -5, "(5)"},
                   {"0;(0);'zero'", 0, "zero"},
                   {"0.0;(0.0);'zero'", 0.01, "zero"}, // zero after rounding
                   {"0;;'zero'", -7, "-7"},            // empty negative section
                   {"0;(0)", 0, "0"}});
}

TEST_F(FormatFloatTest, Scientific)
{
    expectFormats({{"0.00E+00", 12345, "1.23E+04"},
                   {"0.00E+00", 0.00012345, "1.23E-04"},
                   {"0.00e-0", 12345, "1.23e4"},
                   {"00.0E+0", 12345, "12.3E+3"},
                   {"0.0E+00", 9.96, "1.0E+01"},
                   {"0.0E+00", -9.96, "-1.0E+01"},
                   {"0.0E+0", 1e100, "1.0E+100"},
                   {"0E", 5, "5E"}}); // E without sign is literal
}

TEST_F(FormatFloatTest, GeneralFormatFallback)
{
    expectFormats({{"", 1.5, "1.5"},
                   {"", 123456789012345.0, "123456789012345"},
                   {"", 1e15, "1E15"},
                   {"", 0.0001, "0.0001"},
                   {"", -0.00001234, "-1.234E-5"},
                   {"", 0.1 + 0.2, "0.3"},
                   {",0", 1e20, "1E20"},
                   {";", 3, "3"}});
    const rtl::ScopedFormatSettings odd(withSeparators(u',', u'#'));
    EXPECT_EQ(FormatFloat("", 2.25), "2#25");
}

} // namespace
