#include "report/content/barcodes/Code128.h"
#include "report/model/ModelRegistration.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QString>

#include <map>
#include <string>
#include <vector>

using namespace report;
using namespace report::code128;
using namespace Qt::Literals::StringLiterals;

namespace {

QString codes(std::initializer_list<char16_t> list)
{
    QString s;
    for (char16_t c : list)
        s += QChar(c);
    return s;
}

std::vector<int> values(const QString &data, int *message = nullptr)
{
    BarCodeError error;
    const std::vector<int> v = Code128Values(data, &error);
    if (message)
        *message = error.Message;
    return v;
}

// Reads the symbol values back out of the modules, and the values back into
// text by the sets they select, the way a scanner does.
std::vector<int> readModules(std::string_view columns)
{
    std::map<std::string, int> byPattern;
    for (int v = 0; v <= kStopValue; ++v)
        byPattern[std::string(Code128Pattern(v))] = v;
    std::vector<int> out;
    while (columns.size() >= 11) {
        const size_t width = columns.size() == 13 ? 13 : 11;
        const auto it = byPattern.find(std::string(columns.substr(0, width)));
        if (it == byPattern.end())
            return {};
        out.push_back(it->second);
        columns.remove_prefix(width);
    }
    return columns.empty() ? out : std::vector<int>{};
}

QString decodeValues(const std::vector<int> &v)
{
    if (v.size() < 3)
        return u"<short>"_s;
    int check = v[0];
    for (size_t i = 1; i + 2 < v.size(); ++i)
        check = (check + v[i] * int(i)) % 103;
    if (check != v[v.size() - 2] || v.back() != kStopValue)
        return u"<check>"_s;
    char set = char('A' + (v[0] - 103));
    QString text;
    bool shifted = false;
    for (size_t i = 1; i + 2 < v.size(); ++i) {
        const int x = v[i];
        const char cur = shifted ? (set == 'A' ? 'B' : 'A') : set;
        shifted = false;
        if (cur == 'C' && x < 100) {
            text += QString::asprintf("%02d", x);
        } else if (x == 98 && cur != 'C') {
            shifted = true;
        } else if (x == 99) {
            set = 'C';
        } else if (x == 100 && cur != 'B') {
            set = 'B';
        } else if (x == 101 && cur != 'A') {
            set = 'A';
        } else if (x < 64) {
            text += QChar(char16_t(x + 32));
        } else if (x < 96) {
            text += QChar(char16_t(cur == 'A' ? x - 64 : x + 32));
        } else {
            text += u'#'; // function characters
        }
    }
    return text;
}

TEST(Code128, TheSampleDataAndItsCheckValue)
{
    const QString data = codes({START_C}) + u"1234"_s + codes({CODE_B}) + u" abcd"_s;
    EXPECT_EQ(values(data), (std::vector<int>{105, 12, 34, 100, 0, 65, 66, 67, 68, 56, 106}));
    // A start with nothing after it (or only what no set holds) is checked
    // modulo 103 too: its own value would read as another start.
    EXPECT_EQ(values(codes({START_A})), (std::vector<int>{103, 0, 106}));
    EXPECT_EQ(values(codes({START_B}) + u"\t"_s), (std::vector<int>{104, 1, 106}));
    EXPECT_EQ(values(codes({START_C})), (std::vector<int>{105, 2, 106}));
    // Past position 103 the weights go on counting modulo 103.
    const std::vector<int> many = values(codes({START_B}) + QString(110, u'A'));
    ASSERT_EQ(many.size(), 113u);
    EXPECT_EQ(many[111], (104 + 33 * (110 * 111 / 2)) % 103);
}

// Widths from the symbology's table: every symbol has three bars and three
// spaces over eleven modules, an even number of them bar; any slip in the
// table breaks one of these or makes two symbols alike.
TEST(Code128, PatternTableKeepsTheSymbologysInvariants)
{
    std::map<std::string, int> seen;
    for (int v = 0; v < kStopValue; ++v) {
        const std::string p(Code128Pattern(v));
        ASSERT_EQ(p.size(), 11u) << v;
        EXPECT_EQ(p.front(), '1');
        EXPECT_EQ(p.back(), '0');
        int bars = 0, runs = 1;
        for (size_t i = 0; i < p.size(); ++i) {
            bars += p[i] == '1';
            runs += i > 0 && p[i] != p[i - 1];
        }
        EXPECT_EQ(bars % 2, 0) << v;
        EXPECT_EQ(runs, 6) << v;
        EXPECT_TRUE(seen.emplace(p, v).second) << v << " repeats " << seen[p];
    }
    EXPECT_EQ(Code128Pattern(0), "11011001100");
    EXPECT_EQ(Code128Pattern(103), "11010000100");
    EXPECT_EQ(Code128Pattern(104), "11010010000");
    EXPECT_EQ(Code128Pattern(105), "11010011100");
    EXPECT_EQ(Code128Pattern(kStopValue), "1100011101011");
    EXPECT_EQ(Code128Pattern(107), "");
}

TEST(Code128, FaultyDataStopsWithItsMessage)
{
    const QChar upper(char16_t(0x0100));
    const struct
    {
        QString data;
        int message;
    } cases[] = {
        {u"ABC"_s, 451},
        {u""_s, 451},
        {codes({START_A}) + u"A"_s + codes({START_B}), 452},
        {codes({START_A}) + u"a"_s, 453},
        {codes({START_C}) + u"a"_s, 453},
        {codes({START_B}) + upper, 453},
        {codes({START_B, 211}), 454},
        {codes({START_C}) + u"123"_s, 455},
        {codes({START_C}) + u"1A"_s, 456},
        {codes({START_C}) + u"A1"_s, 456},
        {codes({START_C, FNC3}), 457},
        {codes({START_C, SHIFT}), 457},
        {codes({START_A, SHIFT, SHIFT}) + u"a"_s, 458},
    };
    for (const auto &c : cases) {
        int message = 0;
        EXPECT_TRUE(values(c.data, &message).empty()) << c.message;
        EXPECT_EQ(message, c.message);
    }
}

TEST(Code128, AnErrorClearsCodeOKDrawsNothingAndCarriesItsText)
{
    ppModelLayerInit(); // the message texts
    struct Finalize
    {
        ~Finalize() { ppModelLayerFinalize(); }
    } finalize;
    BarCodeSymbol s;
    s.BarCodeType = TppBarCodeType::bcCode128;
    s.BarWidth = 254;
    s.Data = codes({START_A}) + u"a"_s;
    BarColumns columns;
    BarCodeError error;
    EncodeBarCode(s, 100, columns, &error);
    EXPECT_FALSE(s.CodeOK);
    EXPECT_TRUE(columns.empty());
    EXPECT_EQ(error.Message, 453);
    EXPECT_TRUE(error.Text.contains(u"character a "_s)) << error.Text.toStdString();
}

TEST(Code128, ShiftsFunctionsAndSkippedCharacters)
{
    // SHIFT reads one character in the other set, then the set comes back.
    EXPECT_EQ(values(codes({START_A}) + u"A"_s + codes({SHIFT}) + u"aB"_s),
              (std::vector<int>{103, 33, 98, 65, 34, (103 + 33 + 98 * 2 + 65 * 3 + 34 * 4) % 103, 106}));
    // Control characters of set A; 128..200 have no symbol and vanish.
    EXPECT_EQ(values(codes({START_A, 211, 150, 242, FNC1})),
              (std::vector<int>{103, 64, 95, 102, (103 + 64 + 95 * 2 + 102 * 3) % 103, 106}));
    EXPECT_EQ(values(codes({START_C, FNC1}) + u"42"_s), (std::vector<int>{105, 102, 42, (105 + 102 + 84) % 103, 106}));
}

TEST(Code128, AutoEncodingChoosesTheSets)
{
    const struct
    {
        QString text;
        QString encoded;
    } cases[] = {
        {u"ABC"_s, codes({START_A}) + u"ABC"_s},
        {u"abc"_s, codes({START_B}) + u"abc"_s},
        {u"12AB"_s, codes({START_C}) + u"12"_s + codes({CODE_A}) + u"AB"_s},
        {u"1234"_s, codes({START_C}) + u"1234"_s},
        {u"A12"_s, codes({START_A}) + u"A"_s + codes({CODE_C}) + u"12"_s},
        {u"A123B"_s, codes({START_A}) + u"A123B"_s},
        {u"aBc"_s, codes({START_B}) + u"aBc"_s},
        {u"a\tb"_s, codes({START_B}) + u"a"_s + codes({SHIFT, 220}) + u"b"_s},
        {codes({FNC1}) + u"012"_s, codes({START_C, FNC1}) + u"01"_s + codes({CODE_A}) + u"2"_s},
        {codes({START_B, CODE_A}) + u"AB"_s, codes({START_A}) + u"AB"_s}, // stale set changes go
    };
    for (const auto &c : cases)
        EXPECT_EQ(Code128AutoEncode(c.text), c.encoded) << c.text.toStdString();
}

TEST(Code128, AutoEncodedTextReadsBackFromTheModules)
{
    QRandomGenerator random(1234);
    for (int round = 0; round < 500; ++round) {
        QString text;
        const int length = 1 + random.bounded(30);
        for (int i = 0; i < length; ++i)
            text += QChar(char16_t(random.bounded(4) == 0 ? u'0' + random.bounded(10) : 32 + random.bounded(95)));
        BarCodeSymbol s;
        s.BarCodeType = TppBarCodeType::bcCode128;
        s.BarWidth = 254;
        s.AutoEncode = true;
        s.Data = text;
        BarColumns columns;
        BarCodeError error;
        EncodeBarCode(s, 100, columns, &error);
        ASSERT_TRUE(s.CodeOK) << text.toStdString() << ": " << error.Message;
        EXPECT_EQ(decodeValues(readModules(columns.view())), text);
    }
}

// Every code 0..255 alone, with and without auto-encoding: never a crash,
// and with auto-encoding never an error for anything of Windows-1252.
TEST(Code128, EveryByteValue)
{
    for (int c = 0; c < 256; ++c) {
        for (bool autoEncode : {false, true}) {
            BarCodeSymbol s;
            s.BarCodeType = TppBarCodeType::bcCode128;
            s.BarWidth = 254;
            s.AutoEncode = autoEncode;
            s.Data = u"x"_s + QChar(char16_t(c)) + u"1"_s;
            BarColumns columns;
            EncodeBarCode(s, 100, columns);
            // Plain text has no start character of its own.
            EXPECT_EQ(s.CodeOK, autoEncode) << c;
        }
    }
}

} // namespace
