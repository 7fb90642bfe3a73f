#include "platform/rtl/ScopedOverride.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

namespace {

using ScopedName = rtl::ScopedOverride<struct NameTag, std::string>;
// A second seam of the same type must not see the first one's value.
using ScopedOtherName = rtl::ScopedOverride<struct OtherNameTag, std::string>;
using ScopedAnswer = rtl::ScopedOverride<struct AnswerTag, std::function<int()>>;

TEST(ScopedOverride, NestedOverridesComeBackInTurnAndSeamsStayApart)
{
    EXPECT_EQ(ScopedName::current(), std::nullopt);
    {
        const ScopedName outer("outer");
        {
            const ScopedName inner("inner");
            EXPECT_EQ(ScopedName::current(), "inner");
            EXPECT_EQ(ScopedOtherName::current(), std::nullopt);
        }
        EXPECT_EQ(ScopedName::current(), "outer");
        // An empty value is an override of its own, not "nothing in place".
        const ScopedName empty("");
        EXPECT_EQ(ScopedName::current(), "");
    }
    EXPECT_EQ(ScopedName::current(), std::nullopt);
    EXPECT_EQ(ScopedName::valueOr("real"), "real");
}

TEST(ScopedOverride, AnotherThreadSeesTheOverrideInPlace)
{
    const ScopedAnswer answer([] { return 42; });
    int seen = 0;
    std::thread([&] { seen = ScopedAnswer::valueOr([] { return 0; })(); }).join();
    EXPECT_EQ(seen, 42);
}

} // namespace
