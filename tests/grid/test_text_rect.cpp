#include "GridPrinters.h"

#include "grid/paint/TextRect.h"

#include "tests/support/PixelProbes.h"

#include <gtest/gtest.h>

using namespace grid;
using rtl::TRect;

namespace {

const rtl::TColor RectPaper = rtl::clLime;
const rtl::TColor Back = rtl::clYellow;

gfx::Font font()
{
    gfx::Font f;
    f.name = "DejaVu Sans";
    f.size = 9;
    return f;
}

// What DrawTextRect should have drawn, put down directly as one run.
QImage run(int w, int h, const TRect &fill, int x, int y, QStringView text)
{
    QImage img = zvotest::blank(w, h, RectPaper);
    zvotest::paint(img, [&](gfx::Canvas &c) {
        c.setFont(font());
        c.setBkColor(Back);
        c.ExtTextOut(x, y, gfx::ETO_OPAQUE | gfx::ETO_CLIPPED, &fill, text);
    });
    return img;
}

QImage drawn(int w, int h, const TRect &fill, const TRect &textRect, unsigned flags, QStringView text,
             const gfx::TextMeasurer *measurer = nullptr)
{
    QImage img = zvotest::blank(w, h, RectPaper);
    zvotest::paint(
        img,
        [&](gfx::Canvas &c) {
            DrawTextRect(c, text, fill, textRect, flags, gfx::Brush::solid(Back), font(), Back, rtl::clBlack);
        },
        measurer);
    return img;
}

TEST(DrawTextRect, PathChoice)
{
    const struct
    {
        unsigned flags;
        int rectWidth;
        bool lineBreak;
        TextRectPath path;
    } cases[] = {
        {0, 100, false, TextRectPath::SingleRun},
        {0, 10, false, TextRectPath::SingleRun}, // too wide, but nothing asks for a layout
        {DTR_END_ELLIPSIS, 100, false, TextRectPath::SingleRun},
        {DTR_END_ELLIPSIS, 10, false, TextRectPath::Layout},
        {DTR_PATH_ELLIPSIS, 100, true, TextRectPath::Layout},
        {0, 100, true, TextRectPath::SingleRun}, // a line break alone: one line
        {DTR_WORDBREAK, 100, false, TextRectPath::Layout},
        {DTR_PREFIX, 100, false, TextRectPath::Layout},
        {DTR_VCENTER | DTR_RIGHT, 10, true, TextRectPath::SingleRun},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ChooseTextRectPath(c.flags, c.rectWidth, 50, c.lineBreak), c.path)
            << std::hex << c.flags << " " << std::dec << c.rectWidth << " " << c.lineBreak;
}

TEST(DrawTextRect, AFittingRightAlignedTextEndsAtTheRightAndFillsTheFillRect)
{
    const TRect fill{2, 2, 118, 28};
    const TRect textRect{10, 5, 110, 25};
    const QImage img = drawn(120, 30, fill, textRect, DTR_RIGHT, u"Sample");
    gfx::QtTextMeasurer measurer;
    const int width = measurer.textWidth(font(), "Sample");
    EXPECT_EQ(img, run(120, 30, fill, 110 - width, 5, u"Sample"));
    zvotest::expectPixels(img, {{2, 2, Back}, {117, 27, Back}, {111, 26, Back}, {1, 1, RectPaper}, {118, 28, RectPaper}});
}

TEST(DrawTextRect, ALineBreakWithoutEllipsisOrWrapIsOneLine)
{
    const TRect fill{0, 0, 200, 60};
    const QImage img = drawn(200, 60, fill, fill, 0, u"ab\r\ncd");
    EXPECT_EQ(img, run(200, 60, fill, 0, 0, u"ab\r\ncd"));
    gfx::QtTextMeasurer measurer;
    EXPECT_LE(zvotest::inked(img, Back).Bottom, measurer.metrics(font()).height);
}

TEST(DrawTextRect, UnicodeIsHandedToTheCanvasWhole)
{
    // Drawn as the characters they are, not as the "?" of Windows-1252.
    const TRect fill{0, 0, 200, 20};
    const QString greek = QStringLiteral("Ελληνικά 日本語");
    EXPECT_EQ(drawn(200, 20, fill, fill, 0, greek), run(200, 20, fill, 0, 0, greek));
    EXPECT_NE(drawn(200, 20, fill, fill, 0, greek), run(200, 20, fill, 0, 0, u"???????? ???"));

    // Measured as characters: a surrogate pair is one, so five fit 35 pixels.
    const gfx::FixedTextMeasurer measurer(7, 13, 10);
    QImage img = zvotest::blank(100, 100, RectPaper);
    gfx::Canvas c(&img, &measurer);
    EXPECT_EQ(DrawTextRect(c, u"😀😀 😀😀", fill, TRect{0, 0, 35, 20}, DTR_MEASURE | DTR_WORDBREAK, gfx::Brush::solid(Back),
                           font(), Back, rtl::clBlack),
              13);
}

TEST(DrawTextRect, MeasuringAnswersTheNeededHeightPlusTheFillsExtra)
{
    const gfx::FixedTextMeasurer measurer(7, 13, 10);
    QImage img = zvotest::blank(100, 100, RectPaper);
    gfx::Canvas c(&img, &measurer);
    const TRect fill{0, 0, 100, 30};
    const TRect textRect{0, 5, 100, 25};
    int lineHeight = 0;
    EXPECT_EQ(DrawTextRect(c, u"one line", fill, textRect, DTR_MEASURE, gfx::Brush::solid(Back), font(), Back,
                           rtl::clBlack, &lineHeight),
              10 + 13);
    EXPECT_EQ(lineHeight, 13);
    // Three words that fit one to a line of 40 pixels.
    EXPECT_EQ(DrawTextRect(c, u"aaaa bbbb cccc", fill, TRect{0, 5, 40, 25}, DTR_MEASURE | DTR_WORDBREAK,
                           gfx::Brush::solid(Back), font(), Back, rtl::clBlack),
              10 + 3 * 13);
    // Too wide for its rectangle on the single-run path: still nothing drawn.
    EXPECT_EQ(DrawTextRect(c, u"far too wide for twenty pixels", fill, TRect{0, 5, 20, 25}, DTR_MEASURE,
                           gfx::Brush::solid(Back), font(), Back, rtl::clBlack),
              10 + 13);
    c.painter().end();
    EXPECT_EQ(zvotest::countOf(img, RectPaper), 100 * 100); // measuring draws nothing
}

TEST(DrawTextRect, ATallTextNearTheTopStartsAtTheFloorOfTheHalving)
{
    // A 13-pixel line centred on 4 pixels: (0 + 4 - 13) / 2 is -4.5, so -5.
    const gfx::FixedTextMeasurer measurer(7, 13, 10);
    const TRect fill{0, 0, 100, 30};
    const QImage img = drawn(100, 30, fill, TRect{0, 0, 100, 4}, DTR_VCENTER, u"Tall", &measurer);
    auto at = [&](int y) {
        QImage ref = zvotest::blank(100, 30, RectPaper);
        zvotest::paint(
            ref,
            [&](gfx::Canvas &c) {
                c.setFont(font());
                c.setBkColor(Back);
                c.ExtTextOut(0, y, gfx::ETO_OPAQUE | gfx::ETO_CLIPPED, &fill, "Tall");
            },
            &measurer);
        return ref;
    };
    EXPECT_EQ(img, at(-5));
    EXPECT_NE(img, at(-4));
}

TEST(DrawTextRect, KeepsTheCanvasStateAndDrawsNoFillWhenAsked)
{
    QImage img = zvotest::blank(100, 30, RectPaper);
    {
        gfx::Canvas c(&img);
        c.setBkColor(rtl::clRed);
        c.setTextColor(rtl::clBlue);
        DrawTextRect(c, u"x", TRect{0, 0, 100, 30}, TRect{0, 0, 100, 30}, DTR_NOFILL, gfx::Brush::solid(Back), font(),
                     Back, rtl::clBlack);
        EXPECT_EQ(c.bkColor(), rtl::clRed);
        EXPECT_EQ(c.textColor(), rtl::clBlue);
        EXPECT_EQ(c.bkMode(), gfx::BkMode::Opaque);
    }
    EXPECT_EQ(zvotest::countOf(img, Back), 0);
}

} // namespace
