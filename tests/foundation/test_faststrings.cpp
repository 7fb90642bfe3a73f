#include "foundation/FastStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Win1252.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace foundation;
using namespace std::string_literals;

namespace {

size_t naiveFind(const std::string &text, const std::string &pattern, size_t from, bool noCase)
{
    auto fold = [noCase](char c) { return noCase ? rtl::AnsiUpper(uint8_t(c)) : uint8_t(c); };
    for (size_t i = from; i + pattern.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < pattern.size() && fold(text[i + k]) == fold(pattern[k]))
            ++k;
        if (k == pattern.size())
            return i;
    }
    return std::string::npos;
}

std::string naiveReplace(const std::string &s, const std::string &find, const std::string &rep, bool noCase)
{
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = naiveFind(s, find, pos, noCase)) != std::string::npos; pos = hit + find.size())
        out += s.substr(pos, hit - pos) + rep;
    return out + s.substr(pos);
}

// Small alphabets make matches frequent; the accented pair and NUL check the
// byte handling of the case-insensitive path.
std::string randomText(std::mt19937 &rng, size_t length)
{
    static const std::string alphabet = "abAB\0\xe9\xc9"s;
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string s(length, ' ');
    for (char &c : s)
        c = alphabet[pick(rng)];
    return s;
}

} // namespace

TEST(FastStrings, EmptyPatternAndStartBelowOneAreRefused)
{
    for (auto call : {+[] {
                          TSkipTable t2;
                          MakeSkipTable("", t2);
                      },
                      +[] {
                          TSkipTable t2;
                          MakeSkipTableNoCase("", t2);
                      },
                      +[] { FastFind("abc", "", 1); }, +[] { FastFindNoCase("abc", "", 1); }}) {
        try {
            call();
            ADD_FAILURE() << "no exception";
        } catch (const rtl::Exception &e) {
            EXPECT_STREQ(e.what(), "BufferLen is 0");
        }
    }
    try {
        FastFind("abc", "a", 0);
        ADD_FAILURE() << "no assertion";
    } catch (const rtl::EAssertionFailed &e) {
        EXPECT_EQ(e.file(), "FastStrings");
        EXPECT_EQ(std::string(e.what()).rfind("Assertion failure (FastStrings, line ", 0), 0u);
    }
}

TEST(FastStrings, NoCaseFoldsAccentedLettersOfTheCodePage)
{
    EXPECT_EQ(FastFindNoCase("caf\xe9", "CAF\xc9", 1), 1);                       // é / É
    EXPECT_EQ(FastFindNoCase("x\x9a", "\x8a", 1), 2);                            // š / Š
    EXPECT_EQ(FastFindNoCase(std::string(5000, 'x') + "\xff", "\x9f", 1), 5001); // ÿ / Ÿ
    EXPECT_EQ(FastFindNoCase("\xf7", "\xd7", 1), 0);                             // ÷ and × are no pair
    EXPECT_EQ(FastFind("caf\xe9", "CAF\xc9", 1), 0);
}

TEST(FastStrings, ReplaceAllEdgesAndGrowth)
{
    EXPECT_EQ(FastReplaceAll("aaa", "aa", "b", true), "ba");
    EXPECT_EQ(FastReplaceAll("", "a", "b", true), "");
    EXPECT_EQ(FastReplaceAll("abc", "", "x", true), "abc");
    // Far beyond the first estimate, so the buffer has to grow many times.
    const std::string big = FastReplaceAll(std::string(300000, 'x'), "x", std::string(100, 'y'), true);
    ASSERT_EQ(big.size(), 300000u * 100);
    EXPECT_EQ(big.find_first_not_of('y'), std::string::npos);
}

TEST(FastStrings, MoveBytesCopiesForward)
{
    char buffer[] = "abcdef";
    MoveBytes(buffer, buffer + 2, 4); // overlapping upwards repeats the start
    EXPECT_STREQ(buffer, "ababab");
    char down[] = "abcdef";
    MoveBytes(down + 2, down, 4);
    EXPECT_STREQ(down, "cdefef");
    char target[4] = "xyz";
    MoveBytes("ab", target, 0);
    EXPECT_STREQ(target, "xyz");
}

TEST(FastStrings, SearchesAndReplaceAgreeWithNaiveReference)
{
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<size_t> textLength(0, 300);
    std::uniform_int_distribution<size_t> patternLength(1, 6);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = randomText(rng, round % 10 == 0 ? 3000 : textLength(rng));
        const std::string pattern = randomText(rng, patternLength(rng));
        const std::string replacement = randomText(rng, patternLength(rng) - 1);
        const size_t start = std::uniform_int_distribution<size_t>(1, text.size() + 2)(rng);
        SCOPED_TRACE("round " + std::to_string(round));

        for (bool noCase : {false, true}) {
            const size_t ref = naiveFind(text, pattern, start - 1, noCase);
            const auto got = noCase ? FastFindNoCase(text, pattern, std::ptrdiff_t(start))
                                    : FastFind(text, pattern, std::ptrdiff_t(start));
            ASSERT_EQ(got, ref == std::string::npos ? 0 : std::ptrdiff_t(ref + 1)) << noCase;

            TSkipTable table;
            noCase ? MakeSkipTableNoCase(pattern, table) : MakeSkipTable(pattern, table);
            const size_t direct =
                noCase ? SkipTableFindNoCase(text, pattern, table) : SkipTableFind(text, pattern, table);
            ASSERT_EQ(direct, naiveFind(text, pattern, 0, noCase)) << noCase;

            ASSERT_EQ(FastReplaceAll(text, pattern, replacement, !noCase),
                      naiveReplace(text, pattern, replacement, noCase))
                << noCase;
        }
    }
}
