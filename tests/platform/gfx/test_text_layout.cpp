#include "platform/gfx/TextLayout.h"
#include "platform/rtl/QtText.h"

#include <gtest/gtest.h>

using namespace gfx;
using rtl::TRect;

namespace {

// Every character 7 px wide, lines 13 px high.
const FixedTextMeasurer FakeMeasurer;
const Font PlainFont;

TextLayout layout(QStringView text, TRect r, unsigned format)
{
    return LayoutText(FakeMeasurer, PlainFont, text, r, format);
}

TextLayout layout(std::string_view windows1252, TRect r, unsigned format)
{
    return layout(rtl::ToQString(windows1252), r, format);
}

// The lines in UTF-8.
std::vector<std::string> texts(const TextLayout &l)
{
    std::vector<std::string> out;
    for (const TextLine &line : l.lines)
        out.push_back(line.text.toStdString());
    return out;
}

// "x,y" of every line, then the height the layout reports.
std::string placed(const TextLayout &l)
{
    std::string out;
    for (const TextLine &line : l.lines)
        out += std::to_string(line.x) + "," + std::to_string(line.y) + " ";
    return out + "h" + std::to_string(l.result);
}

} // namespace

TEST(GfxTextLayout, SingleLineAlignment)
{
    EXPECT_EQ(placed(layout("abc", TRect{0, 0, 100, 20}, DT_SINGLELINE | DT_CENTER | DT_VCENTER)), "39,3 h16");
    EXPECT_EQ(placed(layout("abc", TRect{10, 10, 110, 30}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM)), "89,17 h20");

    // Vertical alignment applies only to single lines; line breaks are kept
    // as characters then.
    TextLayout l = layout("ab\ncd", TRect{0, 0, 100, 40}, DT_VCENTER);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"ab", "cd"}));
    EXPECT_EQ(placed(l), "0,0 0,13 h26");
    l = layout("ab\ncd", TRect{0, 0, 100, 40}, DT_SINGLELINE);
    EXPECT_EQ(l.lines.size(), 1u);

    l = layout("a\r\nbb\rc\n", TRect{0, 0, 100, 100}, 0);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"a", "bb", "c", ""}));

    l = layout("", TRect{5, 5, 100, 100}, DT_CALCRECT);
    EXPECT_EQ(placed(l), "h0");
    EXPECT_EQ(l.calcRect, (TRect{5, 5, 5, 5}));
}

TEST(GfxTextLayout, WordBreakAndCalcRect)
{
    TextLayout l = layout("aaa bbb ccc", TRect{0, 0, 56, 100}, DT_WORDBREAK);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"aaa bbb", "ccc"}));
    EXPECT_EQ(l.result, 26);

    // Several blanks at a break belong to neither line.
    l = layout("aaa   bbb", TRect{0, 0, 30, 100}, DT_WORDBREAK);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"aaa", "bbb"}));

    // A word longer than the line is kept whole, or cut like an edit control.
    l = layout("abcdefghij x", TRect{0, 0, 35, 100}, DT_WORDBREAK);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"abcdefghij", "x"}));
    l = layout("abcdefghij", TRect{0, 0, 35, 100}, DT_WORDBREAK | DT_EDITCONTROL);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"abcde", "fghij"}));

    // The needed rectangle: the widest line and all lines' height.
    l = layout("aaa bbb ccc", TRect{10, 10, 66, 10}, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(l.calcRect, (TRect{10, 10, 59, 36}));
    EXPECT_EQ(l.result, 26);
    l = layout("abcdefghij", TRect{0, 0, 35, 0}, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(l.calcRect.Right, 70); // widened for the long word

    // An edit control shows no partly visible last line.
    l = layout("a\nb\nc", TRect{0, 0, 50, 30}, DT_EDITCONTROL);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"a", "b"}));
    // Tabs expand to stops of eight average characters.
    l = layout("a\tb", TRect{0, 0, 200, 20}, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    EXPECT_EQ(l.calcRect.Right, 63);
    l = layout("a\tb", TRect{0, 0, 200, 20}, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(l.calcRect.Right, 21);
}

TEST(GfxTextLayout, Ellipses)
{
    TextLayout l = layout("abcdefghij", TRect{0, 0, 50, 13}, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"abcd..."}));
    EXPECT_EQ(l.lines[0].width, 49);
    // A text that fits is untouched.
    l = layout("abcdefg", TRect{0, 0, 49, 13}, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"abcdefg"}));
    // Right alignment places the shortened text against the right edge.
    l = layout("abcdefghij", TRect{0, 0, 50, 13}, DT_SINGLELINE | DT_END_ELLIPSIS | DT_RIGHT);
    EXPECT_EQ(l.lines[0].x, 1);
    // Too narrow for anything but dots.
    l = layout("abcdefghij", TRect{0, 0, 10, 13}, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"..."}));

    l = layout("c:\\dir\\sub\\file.txt", TRect{0, 0, 100, 13}, DT_SINGLELINE | DT_PATH_ELLIPSIS);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"c:...\\file.txt"}));
    l = layout("c:\\dir\\averyveryverylongname.txt", TRect{0, 0, 70, 13}, DT_SINGLELINE | DT_PATH_ELLIPSIS);
    EXPECT_LE(l.lines[0].width, 70);
    EXPECT_TRUE(l.lines[0].text.startsWith(u"...")) << texts(l)[0];

    // Wrapped text running past the bottom ends its last whole line with dots.
    l = layout("aaa bbb ccc ddd eee", TRect{0, 0, 56, 26}, DT_WORDBREAK | DT_END_ELLIPSIS);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"aaa bbb", "ccc d..."}));
    // ...but not when only measuring.
    l = layout("aaa bbb ccc ddd eee", TRect{0, 0, 56, 26}, DT_WORDBREAK | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(l.result, 39);
}

TEST(GfxTextLayout, AcceleratorPrefixes)
{
    int u = 0;
    EXPECT_EQ(StripPrefixes("&File", &u), "File");
    EXPECT_EQ(u, 0);
    EXPECT_EQ(StripPrefixes("Save &As", &u), "Save As");
    EXPECT_EQ(u, 5);
    EXPECT_EQ(StripPrefixes("R&&D", &u), "R&D");
    EXPECT_EQ(u, -1);
    EXPECT_EQ(StripPrefixes("x&", &u), "x");
    EXPECT_EQ(StripPrefixes("&a&b", &u), "ab");
    EXPECT_EQ(u, 0); // the first marked character counts

    TextLayout l = layout("&File", TRect{0, 0, 100, 20}, DT_SINGLELINE);
    EXPECT_EQ(l.lines[0].text, "File");
    EXPECT_EQ(l.lines[0].underline, 0);
    EXPECT_EQ(l.lines[0].width, 28); // measured without the "&"
    l = layout("&File", TRect{0, 0, 100, 20}, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(l.lines[0].text, "&File");
    EXPECT_EQ(l.lines[0].underline, -1);
    l = layout("&File", TRect{0, 0, 100, 20}, DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_EQ(l.lines[0].text, "File");
    EXPECT_EQ(l.lines[0].underline, -1);

    // The mark follows its character onto a wrapped line and is lost with
    // the characters an ellipsis replaces.
    l = layout("aaa b&bb", TRect{0, 0, 30, 100}, DT_WORDBREAK);
    EXPECT_EQ(l.lines[1].text, "bbb");
    EXPECT_EQ(l.lines[1].underline, 1);
    l = layout("abcdefgh&ij", TRect{0, 0, 50, 13}, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(l.lines[0].underline, -1);
}

TEST(GfxTextLayout, InvariantsOverRandomTexts)
{
    // Fixed seed: the same few thousand cases on every run.
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    const char alphabet[] = "ab &\t\r\n\\/.";
    const unsigned flagPool[] = {DT_SINGLELINE, DT_WORDBREAK,   DT_END_ELLIPSIS, DT_PATH_ELLIPSIS, DT_EXPANDTABS,
                                 DT_NOPREFIX,   DT_EDITCONTROL, DT_CENTER,       DT_RIGHT,         DT_VCENTER};
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const unsigned len = next(40);
        for (unsigned k = 0; k < len; ++k)
            text += alphabet[next(sizeof(alphabet) - 1)];
        unsigned format = 0;
        for (unsigned f : flagPool)
            if (next(3) == 0)
                format |= f;
        const int width = static_cast<int>(next(120));
        const TRect r{0, 0, width, static_cast<int>(next(60))};
        const TextLayout l = layout(text, r, format);
        const bool ellipsis = format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS);
        const bool tabs = format & DT_EXPANDTABS;
        for (const TextLine &line : l.lines) {
            if (!tabs) {
                EXPECT_EQ(line.width, static_cast<int>(line.text.size()) * 7);
            }
            // Shortened lines fit whenever the dots alone do.
            if (ellipsis && width >= 21) {
                EXPECT_LE(line.width, width) << "'" << text << "' " << format;
            }
            EXPECT_LT(line.underline, static_cast<int>(line.text.size()));
        }
        if (!(format & DT_VCENTER) || !(format & DT_SINGLELINE)) {
            EXPECT_EQ(l.result, 13 * static_cast<int>(l.lines.size()));
        }
    }
}
