#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace rtl;

TEST(Rounding, HalvesGoToTheEvenNeighbourWithinTheSigned32BitRange)
{
    const std::pair<double, int32_t> cases[] = {{0.5, 0},
                                                {1.5, 2},
                                                {2.5, 2},
                                                {4.5, 4},
                                                {-0.5, 0},
                                                {-1.5, -2},
                                                {-2.5, -2},
                                                {2.4999999, 2},
                                                {2.5000001, 3},
                                                {2147483647.0, 2147483647},
                                                {2147483647.4, 2147483647},
                                                {-2147483648.0, INT32_MIN}};
    for (const auto &[value, rounded] : cases)
        EXPECT_EQ(Round(value), rounded) << value;
    // 2147483647.5 rounds to 2^31 (even).
    for (double outside : {2147483647.5, 3000000000.0, -2147483649.0, std::nan(""), HUGE_VAL})
        EXPECT_THROW(Round(outside), ERangeError) << outside;
    EXPECT_EQ(Round64(99999999999999.0), 99999999999999LL);
    EXPECT_THROW(Round64(1e300), ERangeError);
}

TEST(Rounding, MulDivRoundsHalfAwayFromZeroAndFailsOnZeroDivisor)
{
    EXPECT_EQ(MulDiv(10, 3, 4), 8); // 7.5 -> 8
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
