#include "platform/rtl/Win1252.h"

namespace rtl {

namespace {

// Unicode code points of 0x80..0x9F; the five unassigned bytes keep their
// C1 control code point so that a round trip is lossless.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::array<uint8_t, 256> makeUpperTable()
{
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[size_t(i)] = uint8_t(i);
    for (int c = 'a'; c <= 'z'; ++c)
        t[size_t(c)] = uint8_t(c - 32);
    // à..þ -> À..Þ, except ÷ (0xF7), which has no capital.
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7)
            t[size_t(c)] = uint8_t(c - 32);
    t[0x9A] = 0x8A; // š -> Š
    t[0x9C] = 0x8C; // œ -> Œ
    t[0x9E] = 0x8E; // ž -> Ž
    t[0xFF] = 0x9F; // ÿ -> Ÿ
    return t;
}

std::array<uint8_t, 256> makeLowerTable()
{
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[size_t(i)] = uint8_t(i);
    const auto &upper = AnsiUpperTable();
    for (int i = 255; i >= 0; --i)
        if (upper[size_t(i)] != i)
            t[upper[size_t(i)]] = uint8_t(i);
    return t;
}

} // namespace

const std::array<uint8_t, 256> &AnsiUpperTable()
{
    static const std::array<uint8_t, 256> table = makeUpperTable();
    return table;
}

std::string AnsiUpperCase(std::string_view text)
{
    const auto &t = AnsiUpperTable();
    std::string out(text);
    for (char &c : out)
        c = char(t[uint8_t(c)]);
    return out;
}

std::string AnsiLowerCase(std::string_view text)
{
    static const std::array<uint8_t, 256> t = makeLowerTable();
    std::string out(text);
    for (char &c : out)
        c = char(t[uint8_t(c)]);
    return out;
}

char16_t AnsiToUnicode(uint8_t c)
{
    return (c >= 0x80 && c < 0xA0) ? HighControls[c - 0x80] : char16_t(c);
}

uint8_t UnicodeToAnsi(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return uint8_t(u);
    for (int i = 0; i < 32; ++i)
        if (HighControls[i] == u)
            return uint8_t(0x80 + i);
    return 0;
}

} // namespace rtl
