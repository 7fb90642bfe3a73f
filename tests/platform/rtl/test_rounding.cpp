#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace rtl;

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(Round(0.5), 0);
    EXPECT_EQ(Round(1.5), 2);
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(4.5), 4);
    EXPECT_EQ(Round(-0.5), 0);
    EXPECT_EQ(Round(-1.5), -2);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(2.4999999), 2);
    EXPECT_EQ(Round(2.5000001), 3);
}

TEST(Rounding, RangeIsTheSigned32BitRange)
{
    EXPECT_EQ(Round(2147483647.0), 2147483647);
    EXPECT_EQ(Round(2147483647.4), 2147483647);
    EXPECT_EQ(Round(-2147483648.0), std::numeric_limits<int32_t>::min());
    EXPECT_THROW(Round(2147483647.5), ERangeError); // rounds to 2^31 (even)
    EXPECT_THROW(Round(3000000000.0), ERangeError);
    EXPECT_THROW(Round(-2147483649.0), ERangeError);
    EXPECT_THROW(Round(std::nan("")), ERangeError);
    EXPECT_THROW(Round(std::numeric_limits<double>::infinity()), ERangeError);
    EXPECT_EQ(Round64(99999999999999.0), 99999999999999LL);
    EXPECT_THROW(Round64(1e300), ERangeError);
}

TEST(Rounding, MulDivRoundsHalfAwayFromZeroAndFailsOnZeroDivisor)
{
    EXPECT_EQ(MulDiv(10, 3, 4), 8);  // 7.5 -> 8
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(7, 1, 2), 4);
    EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000); // no 32-bit overflow
    EXPECT_EQ(MulDiv(1, 2, 0), -1);
}

TEST(Assertion, MessageNamesUnitAndLine)
{
    try {
        ZVO_ASSERT(false, "MyUtilities");
        FAIL();
    } catch (const EAssertionFailed &e) {
        EXPECT_EQ(std::string(e.what()), "Assertion failure (MyUtilities, line " + std::to_string(e.line()) + ")");
        EXPECT_GT(e.line(), 0);
    }
}
