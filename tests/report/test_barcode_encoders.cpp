// Reference module strings come from the symbologies' published tables and
// examples (GS1 check digits, ISO/IEC 15420 for EAN/UPC and the supplements,
// ISO/IEC 16390, 16388, EN 798, USPS), cross-checked with zint 2.11's module
// dumps. At 100 dpi a bar width of 0.254 mm is exactly one column per module,
// so the columns read as modules.

#include "report/content/barcodes/BarCodeEncoders.h"

#include <gtest/gtest.h>

#include <QString>

#include <string>

using namespace report;
using namespace Qt::Literals::StringLiterals;
using T = TppBarCodeType;

namespace {

constexpr int32_t kOneModule = 254; // thousandths of a millimetre: 0.01 inch
constexpr int kDpi = 100;

BarCodeSymbol symbol(T type, const QString &data, bool calc = true, float ratio = 3.0f)
{
    BarCodeSymbol s;
    s.BarCodeType = type;
    s.Data = data;
    s.CalcCheckDigit = calc;
    s.WideBarRatio = ratio;
    s.BarWidth = kOneModule;
    return s;
}

std::string encode(BarCodeSymbol &s, int dpi = kDpi)
{
    BarColumns columns;
    EncodeBarCode(s, dpi, columns);
    return std::string(columns.view());
}

struct SymbolCase
{
    T type;
    QString data;
    bool calc;
    float ratio;
    QString dataAfter; // with its check digit, as the text under the bars shows it
    const char *modules;
};

const SymbolCase kSymbols[] = {
    {T::bcUPC_A, u"01234567890"_s, true, 3.0, u"012345678905"_s,
     "10100011010011001001001101111010100011011000101010101000010001001001000111010011100101001110101"},
    {T::bcUPC_A, u"012345678901"_s, true, 3.0, u"012345678905"_s,
     "10100011010011001001001101111010100011011000101010101000010001001001000111010011100101001110101"},
    {T::bcUPC_A, u"03600029145"_s, true, 3.0, u"036000291452"_s,
     "10100011010111101010111100011010001101000110101010110110011101001100110101110010011101101100101"},
    {T::bcEAN_13, u"400638133393"_s, true, 3.0, u"4006381333931"_s,
     "10100011010100111010111101111010001001011001101010100001010000101000010111010010000101100110101"},
    {T::bcEAN_13, u"001234567890"_s, true, 3.0, u"0012345678905"_s,
     "10100011010011001001001101111010100011011000101010101000010001001001000111010011100101001110101"},
    {T::bcEAN_8, u"9638507"_s, true, 3.0, u"96385074"_s,
     "1010001011010111101111010110111010101001110111001010001001011100101"},
    {T::bcEAN_8, u"96385074"_s, false, 3.0, u"96385074"_s,
     "1010001011010111101111010110111010101001110111001010001001011100101"},
    {T::bcUPC_E, u"012345"_s, true, 3.0, u"0123457"_s, "101010011100110010011011011110100111010110001010101"},
    {T::bcUPC_E, u"0123457"_s, false, 3.0, u"0123457"_s, "101010011100110010011011011110100111010110001010101"},
    {T::bcInt2of5, u"0123456"_s, true, 3.0, u"01234565"_s,
     "101010001011101110100010001110001010111010001011100010111010001110111000101011101"},
    {T::bcInt2of5, u"1234"_s, true, 3.0, u"1234"_s, "101011101000101011100011101110100010100011101"},
    {T::bcMSI, u"7992739871"_s, true, 3.0, u"7992739871"_s,
     "11010011011011011010010011011010010011010010011010010011011011010010011011011010010011011010010010010011011011010"
     "0100100110100100110110100100"},
    {T::bcMSI, u"12"_s, false, 3.0, u"12"_s, "110100100100110100100110100100100"},
    {T::bcFIM, u"A"_s, true, 3.0, u"A"_s, "101000001000001010"},
    {T::bcFIM, u"b"_s, true, 3.0, u"b"_s, "100010100010100010"},
    {T::bcFIM, u"C"_s, true, 3.0, u"C"_s, "101000100010001010"},
    {T::bcCode39, u"A1-$"_s, true, 2.0, u"A1-$"_s,
     "100101101101001101010010110011010010101100100101011011001001001001010010010110110100"},
    {T::bcCode39, u"*WXYZ. /+%*"_s, true, 2.0, u"*WXYZ. /+%*"_s,
     "10010110110100110011010101001001011010110011001011010100100110110101001100101011010010011010110100100100101001001"
     "00101001001001010010010010010010110110100"},
    {T::bcCode39, u"bcdefghijklmnopqrstuv023456789"_s, true, 2.0, u"bcdefghijklmnopqrstuv023456789"_s,
     "10010110110100101101001011001101101001010010101100101100110101100101001011011001010010101001101100110101001101001"
     "01101001101001010110011010011010101001100101101010011001101101010010010101101001100110101101001001011011010010010"
     "10101100110011010101100100101101011001001010110110010011001010101100100110101011001010011011010010110010101100110"
     "1100101010010100110101100110100110101001011001101010010100101101100110100101101001011001011010010010110110100"},
    {T::bcCodabar, u"A40156B"_s, true, 2.0, u"A40156B"_s,
     "101100100101011010010101010011010101100101101010010100101011010010010110"},
    {T::bcCodabar, u"C-$:/.+D"_s, true, 2.0, u"C-$:/.+D"_s,
     "10100100110101001101010110010101101011011011011010110110110110101011011011010100110010"},
};

TEST(BarCodeEncoders, EverySymbologyMatchesItsReferenceModules)
{
    for (const SymbolCase &c : kSymbols) {
        SCOPED_TRACE(c.data.toStdString());
        BarCodeSymbol s = symbol(c.type, c.data, c.calc, c.ratio);
        EXPECT_EQ(encode(s), c.modules);
        EXPECT_EQ(s.Data, c.dataAfter);
        EXPECT_TRUE(s.CodeOK);
    }
}

// A finer resolution draws the same symbol with every run widened: runs of
// modules by the narrow width, and the wide elements, Code 39's gap and
// Postnet's space each by their own rounding. At 100 dpi these are 1, 3, 2
// and 1 columns, and the columns there are pinned module for module above
// and by the Code 128 read-back, so this pins the full columns at widths a
// module takes several stores to draw, including data outside the tables.
TEST(BarCodeEncoders, FinerResolutionsWidenEveryRunAlike)
{
    struct Widths
    {
        int dpi;
        int64_t narrow, wide, gap, postnetSpace;
    };
    // 0.013 inch (330 thousandths of a millimetre) with a wide ratio of 3.
    const Widths resolutions[] = {{200, 3, 8, 5, 4}, {600, 8, 23, 16, 11}, {2400, 31, 94, 62, 43}};
    struct Case
    {
        T type;
        QString data;
        bool calc;
    };
    const Case cases[] = {
        {T::bcUPC_A, u"01234567890"_s, true},
        {T::bcUPC_A, u"x1234567890"_s, false}, // no pattern before the first digit
        {T::bcUPC_E, u"012345"_s, true},
        {T::bcEAN_13, u"400638133393"_s, true},
        {T::bcEAN_8, u"9638507"_s, true},
        {T::bcInt2of5, u"0123456789012"_s, true},
        {T::bcInt2of5, u"90817263"_s, false},
        {T::bcCode128, u"Zarvello 2026-12-07 1234"_s, true},
        {T::bcCode128, u"ab\tCD12345678x\u00e9"_s, true},
        {T::bcCode39, u"ZARVELLO-1234"_s, true},
        {T::bcCode39, u"*ab#c\u00e9 $/+%.*"_s, true}, // '#' repeats the character before it
        {T::bcPostnet, u"123456789"_s, true},
        {T::bcPostnet, u"12-34x5"_s, false},
        {T::bcFIM, u"c"_s, true},
        {T::bcCodabar, u"A40156B"_s, true},
        {T::bcCodabar, u"c-$:/.+#d"_s, true},
        {T::bcMSI, u"7992739871"_s, true},
        {T::bcMSI, u"0123456789"_s, false},
    };
    const auto widen = [](T type, std::string_view low, const Widths &w) {
        const bool elements = type == T::bcCode39 || type == T::bcCodabar || type == T::bcInt2of5;
        std::string out;
        for (size_t i = 0; i < low.size();) {
            size_t j = i;
            while (j < low.size() && low[j] == low[i])
                ++j;
            const int64_t run = int64_t(j - i);
            int64_t columns = run * w.narrow;
            if (type == T::bcPostnet && low[i] == '0')
                columns = w.postnetSpace;
            else if (elements)
                columns = run == 3 ? w.wide : run == 2 ? w.gap : w.narrow;
            out.append(size_t(columns), low[i]);
            i = j;
        }
        return out;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.data.toStdString());
        BarCodeSymbol coarse = symbol(c.type, c.data, c.calc);
        coarse.AutoEncode = c.type == T::bcCode128;
        const std::string low = encode(coarse);
        ASSERT_FALSE(low.empty());
        for (const Widths &w : resolutions) {
            BarCodeSymbol fine = symbol(c.type, c.data, c.calc);
            fine.AutoEncode = coarse.AutoEncode;
            fine.BarWidth = 330;
            BarColumns columns;
            EncodeBarCode(fine, w.dpi, columns);
            EXPECT_EQ(std::string(columns.view()), widen(c.type, low, w)) << w.dpi << " dpi";
            EXPECT_EQ(fine.Data, coarse.Data);
        }
    }
}

TEST(BarCodeEncoders, UPCEExpandsByItsLastDigit)
{
    const std::pair<QString, QString> cases[] = {
        {u"123450"_s, u"01200000345"_s}, {u"123451"_s, u"01210000345"_s}, {u"123452"_s, u"01220000345"_s},
        {u"123453"_s, u"01230000045"_s}, {u"123454"_s, u"01234000005"_s}, {u"123457"_s, u"01234500007"_s},
        {u"012345"_s, u"00123400005"_s},
    };
    for (const auto &[six, upca] : cases)
        EXPECT_EQ(ppExpandUPCE(six), upca) << six.toStdString();
}

// The first digit rides on the parity of digits 2-7, one row per digit.
TEST(BarCodeEncoders, EAN13FirstDigitParities)
{
    const std::pair<QString, const char *> cases[] = {
        {u"012345678901"_s,
         "10100110010010011011110101000110110001010111101010100010010010001110100111001011001101101100101"},
        {u"112345678901"_s,
         "10100110010010011010000101000110111001000010101010100010010010001110100111001011001101100110101"},
        {u"212345678901"_s,
         "10100110010010011010000100111010110001000010101010100010010010001110100111001011001101110010101"},
        {u"312345678901"_s,
         "10100110010010011010000100111010111001010111101010100010010010001110100111001011001101110100101"},
        {u"412345678901"_s,
         "10100110010011011011110101000110111001000010101010100010010010001110100111001011001101001000101"},
        {u"512345678901"_s,
         "10100110010011011010000101000110110001000010101010100010010010001110100111001011001101000100101"},
        {u"612345678901"_s,
         "10100110010011011010000100111010110001010111101010100010010010001110100111001011001101010000101"},
        {u"712345678901"_s,
         "10100110010011011011110100111010110001000010101010100010010010001110100111001011001101001110101"},
        {u"812345678901"_s,
         "10100110010011011011110100111010111001010111101010100010010010001110100111001011001101011100101"},
        {u"912345678901"_s,
         "10100110010011011010000101000110111001010111101010100010010010001110100111001011001101000010101"},
    };
    for (const auto &[data, modules] : cases) {
        BarCodeSymbol s = symbol(T::bcEAN_13, data);
        EXPECT_EQ(encode(s), modules) << data.toStdString();
    }
}

TEST(BarCodeEncoders, SupplementsOfTwoAndFiveDigits)
{
    // The five-digit codes are chosen so that their checksums run 0..9.
    const std::pair<QString, const char *> cases[] = {
        {u"00000"_s, "10110100111010100111010001101010001101010001101"},
        {u"00007"_s, "10110100111010001101010100111010001101010111011"},
        {u"00004"_s, "10110100111010001101010001101010100111010100011"},
        {u"00001"_s, "10110100111010001101010001101010001101010110011"},
        {u"00008"_s, "10110001101010100111010100111010001101010110111"},
        {u"00005"_s, "10110001101010001101010100111010100111010110001"},
        {u"00002"_s, "10110001101010001101010001101010100111010011011"},
        {u"00009"_s, "10110001101010100111010001101010100111010001011"},
        {u"00006"_s, "10110001101010100111010001101010001101010000101"},
        {u"00003"_s, "10110001101010001101010100111010001101010100001"},
        {u"00"_s, "10110001101010001101"},
        {u"01"_s, "10110001101010110011"},
        {u"02"_s, "10110100111010010011"},
        {u"03"_s, "10110100111010100001"},
        {u"99"_s, "10110010111010010111"},
    };
    for (const auto &[code, modules] : cases) {
        BarCodeSymbol s = symbol(T::bcEAN_13, u"4006381333931"_s);
        s.AddOnCode = code;
        BarColumns columns;
        EncodeAddOn(s, kDpi, columns);
        EXPECT_EQ(std::string(columns.view()), modules) << code.toStdString();
    }
}

TEST(BarCodeEncoders, SupplementsOnlyOfDigitsOfTwoOrFiveOnTheUPCEANFamily)
{
    const std::pair<T, QString> refused[] = {
        {T::bcEAN_13, u"123"_s},  {T::bcEAN_13, u"1a"_s}, {T::bcEAN_13, u""_s},
        {T::bcUPC_A, u"1234 "_s}, {T::bcCode39, u"12"_s}, {T::bcCode128, u"12345"_s},
    };
    for (const auto &[type, code] : refused) {
        BarCodeSymbol s = symbol(type, u"12"_s);
        s.AddOnCode = code;
        BarColumns columns;
        EncodeAddOn(s, kDpi, columns);
        EXPECT_TRUE(columns.empty()) << code.toStdString();
    }
    for (T type : {T::bcUPC_A, T::bcUPC_E, T::bcEAN_8}) {
        BarCodeSymbol s = symbol(type, u"12"_s);
        s.AddOnCode = u"12"_s;
        BarColumns columns;
        EncodeAddOn(s, kDpi, columns);
        EXPECT_EQ(columns.size(), 20);
    }
}

// Frame bar, five bars per digit, the check digit (always), frame bar; one
// column per bar and round(1.375) = 1 column of space after each.
TEST(BarCodeEncoders, PostnetAlwaysCarriesItsCheckDigit)
{
    const std::string expected = std::string("20") + "1010102020" + "1010201020" + "1010202010" + "1020101020" +
                                 "1020102010" + /* check 5 */ "1020102010" + "2";
    for (bool calc : {true, false}) {
        BarCodeSymbol s = symbol(T::bcPostnet, u"12345"_s, calc);
        EXPECT_EQ(encode(s), expected);
        BarCodeSymbol dashed = symbol(T::bcPostnet, u"12-345"_s, calc);
        EXPECT_EQ(encode(dashed), expected);
    }
    // Two columns per bar: round(2 * 1.375) = 3 (2.75) columns of space.
    BarCodeSymbol wide = symbol(T::bcPostnet, u"0"_s);
    EXPECT_EQ(encode(wide, 2 * kDpi), "22000"
                                      "22000"
                                      "22000"
                                      "11000"
                                      "11000"
                                      "11000" /* check 0 */
                                      "22000"
                                      "22000"
                                      "11000"
                                      "11000"
                                      "11000"
                                      "22");
}

TEST(BarCodeEncoders, EmptyBlankOrInvalidDataDrawsNothing)
{
    const QString blanks[] = {u""_s, u"   "_s, u"\t \r\n"_s};
    for (const QString &data : blanks)
        for (int t = 0; t <= int(T::bcMSI); ++t) {
            BarCodeSymbol s = symbol(T(t), data);
            EXPECT_EQ(encode(s), "") << t;
        }
    BarCodeSymbol invalid = symbol(T::bcCode39, u"ABC"_s);
    invalid.CodeOK = false;
    EXPECT_EQ(encode(invalid), "");
}

// Each element is rounded on its own, halves to even, from the bar width in
// inches kept to four decimals.
TEST(BarCodeEncoders, ModuleWidthsInDevicePixels)
{
    struct Case
    {
        int32_t barWidth;
        int dpi;
        double ratio;
        int64_t columns;
    } cases[] = {
        {254, 100, 1, 1},
        {254, 600, 1, 6},
        {254, 2400, 1, 24},
        {2540, 100, 1, 10},
        // 0.01 inch times 3.5 at 100 dots is an exact half: to even.
        {254, 100, 3.5, 4},
        {254, 100, 2.5, 2},
        {254, 150, 1, 2},
        {254, 50, 1, 0},
        {762, 50, 1, 2},
        // The narrowest and widest bars a control accepts, 0.004 and 0.1 inch.
        {102, 72, 1, 0},
        {102, 2400, 1, 10},
        {2540, 72, 1, 7},
        {0, 600, 1, 0},
        {-5, 600, 3, 0},
        {254, 100, 1e-6, 0},
        {254, 100, 1e6, 1000000},
        {INT32_MAX, 2400, 1, 2 * BarColumns::kMaxColumns},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ppElementColumns(c.barWidth, c.dpi, c.ratio), c.columns)
            << c.barWidth << " at " << c.dpi << " x " << c.ratio;
}

// Every narrow module of the widths a control takes, at the usual device
// resolutions, is the four-decimal inch value times the resolution rounded
// in whole numbers: the exact halves go to the even neighbour.
TEST(BarCodeEncoders, ModuleWidthsRoundExactHalvesToEven)
{
    EXPECT_EQ(ppInchTenThousandths(254), 100);
    EXPECT_EQ(ppInchTenThousandths(102), 40);
    EXPECT_EQ(ppInchTenThousandths(2540), 1000);
    int halves = 0;
    for (int32_t width = 100; width <= 2540; ++width) {
        const int64_t t = ppInchTenThousandths(width);
        for (int dpi : {72, 96, 100, 150, 200, 203, 240, 300, 360, 600, 1200, 2400}) {
            const int64_t n = t * dpi;
            const int64_t q = n / 10000;
            const int64_t r = n % 10000;
            const int64_t expected = q + ((r > 5000 || (r == 5000 && q % 2 == 1)) ? 1 : 0);
            halves += r == 5000;
            ASSERT_EQ(ppElementColumns(width, dpi), expected) << width << " at " << dpi;
        }
    }
    EXPECT_GT(halves, 0);
    // The quiet zone of a UPC symbol is nine modules' inches, rounded once.
    BarCodeLayout layout;
    layout.BarCodeType = TppBarCodeType::bcUPC_A;
    layout.BarWidth = 254;
    layout.HorizontalResolution = layout.VerticalResolution = 150;
    EXPECT_EQ(MeasureBarCode(layout, 95, 0).QuietZone, 14);
    EXPECT_EQ(MeasureBarCode(layout, 95, 0).ModuleWidth, 2);
}

// The buffer must never be overrun; a symbol past its ceiling is dropped
// whole rather than clipped into a different reading.
TEST(BarCodeEncoders, OversizedSymbolsAreDroppedNotClipped)
{
    const QString longData(100000, u'7');
    for (T type : {T::bcCode39, T::bcCodabar, T::bcInt2of5, T::bcMSI, T::bcPostnet}) {
        BarCodeSymbol s = symbol(type, longData);
        BarColumns columns;
        EncodeBarCode(s, 2400, columns);
        EXPECT_TRUE(columns.empty());
        EXPECT_TRUE(columns.overflowed());
        EncodeBarCode(s, 1, columns); // the same buffer serves a later encoding afresh
        EXPECT_FALSE(columns.overflowed());
    }
    // Text that keeps returning to set C must not be walked over and over.
    BarCodeSymbol code128 = symbol(T::bcCode128, u"A1234"_s.repeated(20000));
    code128.AutoEncode = true;
    BarColumns columns;
    EncodeBarCode(code128, 2400, columns);
    EXPECT_TRUE(columns.overflowed());
    EncodeBarCode(code128, 1, columns);
    EXPECT_TRUE(code128.CodeOK);
    BarCodeSymbol ratio = symbol(T::bcCode39, u"A"_s, true, 1e6f);
    EXPECT_EQ(encode(ratio), "");
    BarCodeSymbol huge = symbol(T::bcEAN_8, u"1234567"_s);
    huge.BarWidth = INT32_MAX;
    EXPECT_EQ(encode(huge), "");
}

TEST(BarCodeGeometry, QuietZoneWidthAndAutoSizedHeight)
{
    struct Case
    {
        T type;
        int64_t columns, addOn;
        int hdpi, vdpi;
        int64_t quiet, width, height;
    } cases[] = {
        // UPC/EAN: quiet zone 9 modules on each side.
        {T::bcEAN_13, 95, 0, 100, 100, 9, 113, 81},   // 0.85 * 95 = 80.75
        {T::bcEAN_8, 67, 0, 100, 100, 9, 85, 57},     // 56.95
        {T::bcEAN_13, 95, 20, 100, 100, 9, 142, 81},  // add-on 9 modules off
        {T::bcUPC_A, 95, 0, 100, 100, 9, 113, 74},    // 18758 thousandths = 0.7385 in
        {T::bcInt2of5, 100, 0, 100, 100, 3, 106, 64}, // 63.6
        {T::bcCode39, 130, 0, 100, 100, 0, 130, 32},  // 32.5 to even
        {T::bcMSI, 100, 0, 100, 100, 0, 100, 20},
        {T::bcPostnet, 60, 0, 600, 600, 0, 60, 75}, // 0.125 inch whatever the width
        {T::bcPostnet, 60, 0, 600, 96, 0, 60, 12},
        {T::bcFIM, 18, 0, 100, 100, 0, 18, 20},
        {T::bcCode128, 10, 0, 100, 100, 0, 10, 5}, // 2.5 lifted to the least, 5
    };
    for (const Case &c : cases) {
        BarCodeLayout layout;
        layout.BarCodeType = c.type;
        layout.BarWidth = kOneModule;
        layout.HorizontalResolution = c.hdpi;
        layout.VerticalResolution = c.vdpi;
        const BarCodeGeometry g = MeasureBarCode(layout, c.columns, c.addOn);
        EXPECT_EQ(g.QuietZone, c.quiet) << int(c.type);
        EXPECT_EQ(g.Width, c.width) << int(c.type);
        EXPECT_EQ(g.Height, c.height) << int(c.type);
    }
}

TEST(BarCodeGeometry, FixedHeightFollowsTheDrawCommandAcrossTheSymbol)
{
    BarCodeLayout layout;
    layout.BarCodeType = T::bcCode39;
    layout.BarWidth = kOneModule;
    layout.AutoSize = false;
    layout.mmHeight = 25400;
    layout.mmWidth = 12700;
    layout.VerticalResolution = 300;
    EXPECT_EQ(MeasureBarCode(layout, 50, 0).Height, 300);
    layout.Orientation = TppBarCodeOrientation::orBottomToTop;
    EXPECT_EQ(MeasureBarCode(layout, 50, 0).Height, 150);
    layout.mmWidth = -100; // no lower bound without AutoSize
    EXPECT_LE(MeasureBarCode(layout, 50, 0).Height, 0);
}

} // namespace
