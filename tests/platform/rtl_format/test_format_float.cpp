#include "platform/rtl/FormatFloat.h"

#include <gtest/gtest.h>

using rtl::FormatFloat;

namespace {

class FormatFloatTest : public ::testing::Test
{
protected:
    void SetUp() override { rtl::setFormatSeparators(',', '.'); }
    void TearDown() override { rtl::setFormatSeparators(0, 0); }
};

TEST_F(FormatFloatTest, CountsWithThousandsSeparators)
{
    EXPECT_EQ(FormatFloat(",0", 1234567), "1,234,567");
    EXPECT_EQ(FormatFloat(",0", 0), "0");
    EXPECT_EQ(FormatFloat(",0", -5), "-5");
    EXPECT_EQ(FormatFloat(",0", 999.5), "1,000");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatFloat("0,", 1000), "1,000");
    // After the decimal point a comma does nothing.
    EXPECT_EQ(FormatFloat("0.0,0", 1000), "1000.00");

    rtl::setFormatSeparators('.', ',');
    EXPECT_EQ(FormatFloat(",0.00", 1234.5), "1.234,50");
}

TEST_F(FormatFloatTest, DigitPlaceholders)
{
    EXPECT_EQ(FormatFloat("0.00", 1.005), "1.01"); // half away from zero on the decimal digits
    EXPECT_EQ(FormatFloat("0.00", 1.255), "1.26");
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("0", 0.4), "0");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
    EXPECT_EQ(FormatFloat("#", 0), "");
    EXPECT_EQ(FormatFloat("0.0#", 1.5), "1.5");
    EXPECT_EQ(FormatFloat("0.##", 3), "3");
    EXPECT_EQ(FormatFloat("000", 7), "007");
    EXPECT_EQ(FormatFloat("#0##", 5), "005");
    EXPECT_EQ(FormatFloat(".00", 12.5), "12.50");
    EXPECT_EQ(FormatFloat("0.00", 0.004), "0.00");
    EXPECT_EQ(FormatFloat("0.00", -0.004), "0.00"); // no "-0.00"
}

TEST_F(FormatFloatTest, LiteralsAndSections)
{
    EXPECT_EQ(FormatFloat("000-0000", 5551234), "555-1234");
    EXPECT_EQ(FormatFloat("0-00", 12345), "123-45");
    EXPECT_EQ(FormatFloat("'#'0 \"pcs;\"", 3), "#3 pcs;");
    EXPECT_EQ(FormatFloat("$#,##0", -5), "-$5");
    EXPECT_EQ(FormatFloat("0;(0);'zero'", -5), "(5)");
    EXPECT_EQ(FormatFloat("0;(0);'zero'", 0), "zero");
    EXPECT_EQ(FormatFloat("0.0;(0.0);'zero'", 0.01), "zero"); // zero after rounding
    EXPECT_EQ(FormatFloat("0;;'zero'", -7), "-7");         // empty negative section
    EXPECT_EQ(FormatFloat("0;(0)", 0), "0");
}

TEST_F(FormatFloatTest, Scientific)
{
    EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
    EXPECT_EQ(FormatFloat("0.00E+00", 0.00012345), "1.23E-04");
    EXPECT_EQ(FormatFloat("0.00e-0", 12345), "1.23e4");
    EXPECT_EQ(FormatFloat("00.0E+0", 12345), "12.3E+3");
    EXPECT_EQ(FormatFloat("0.0E+00", 9.96), "1.0E+01");
    EXPECT_EQ(FormatFloat("0.0E+00", -9.96), "-1.0E+01");
    EXPECT_EQ(FormatFloat("0.0E+0", 1e100), "1.0E+100");
    EXPECT_EQ(FormatFloat("0E", 5), "5E"); // E without sign is literal
}

TEST_F(FormatFloatTest, GeneralFormatFallback)
{
    EXPECT_EQ(FormatFloat("", 1.5), "1.5");
    EXPECT_EQ(FormatFloat("", 123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatFloat("", 1e15), "1E15");
    EXPECT_EQ(FormatFloat("", 0.0001), "0.0001");
    EXPECT_EQ(FormatFloat("", -0.00001234), "-1.234E-5");
    EXPECT_EQ(FormatFloat("", 0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatFloat(",0", 1e20), "1E20");
    EXPECT_EQ(FormatFloat(";", 3), "3");
    rtl::setFormatSeparators(',', '#');
    EXPECT_EQ(FormatFloat("", 2.25), "2#25");
}

} // namespace
