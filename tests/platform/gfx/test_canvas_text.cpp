#include "tests/support/PixelProbes.h"

#include "platform/gfx/ShapedLine.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace gfx;
using namespace rtl;
using rtl::TRect;
using zvotest::at;
using zvotest::blank;
using zvotest::inked;

namespace {

Font dejaVu(int size = 10)
{
    Font f;
    f.name = "DejaVu Sans";
    f.size = size;
    f.color = clBlack;
    return f;
}

} // namespace

TEST(GfxCanvasText, DrawTextClipsUnlessToldNot)
{
    auto drawn = [](unsigned format) {
        QImage img = blank(120, 30);
        zvotest::paint(img, [format](Canvas &c) {
            c.setFont(dejaVu());
            c.setBkMode(BkMode::Transparent);
            c.DrawText("WWWWWWWWWWWW", TRect{10, 5, 40, 25}, DT_SINGLELINE | format);
        });
        return inked(img);
    };
    EXPECT_GE(drawn(0).Left, 10);
    EXPECT_EQ(drawn(0).Right, 40); // cut at the rectangle's exclusive edge
    EXPECT_GT(drawn(DT_NOCLIP).Right, 60);

    // Measuring draws nothing and reports the needed rectangle.
    QImage img = blank(120, 30);
    zvotest::paint(img, [](Canvas &c) {
        c.setFont(dejaVu());
        TRect r{0, 0, 100, 0};
        const int h = c.DrawText("Wg", r, DT_SINGLELINE | DT_CALCRECT);
        EXPECT_EQ(h, c.TextHeight("Wg"));
        EXPECT_EQ(r, (TRect{0, 0, c.TextWidth("Wg"), h}));
    });
    EXPECT_EQ(inked(img), (TRect{}));
}

TEST(GfxCanvasText, BackgroundModesAndOpaqueRectangle)
{
    const FixedTextMeasurer fake;
    QImage img = blank(100, 40);
    {
        Canvas c(&img, &fake);
        c.setFont(dejaVu());
        c.setBkColor(clYellow);
        c.TextOut(2, 2, "ab"); // opaque: the text box takes the background colour
        // Inside 14 x 13, below the glyphs, and just outside it.
        zvotest::expectPixels(img, {{2 + 13, 2 + 12, clYellow}, {2 + 14, 2, clWhite}, {2, 2 + 13, clWhite}});

        c.setBkMode(BkMode::Transparent);
        const TRect box{40, 2, 90, 30};
        c.ExtTextOut(45, 5, ETO_OPAQUE | ETO_CLIPPED, &box, "abc");
        zvotest::expectPixels(img, {{40, 2, clYellow}, {89, 29, clYellow}, {90, 30, clWhite}});
        EXPECT_EQ(c.TextExtent("abc"), (rtl::TSize{21, 13}));
        // Tab stops: default eight average characters, a distance, positions.
        EXPECT_EQ(c.TabbedTextWidth("a\tb"), 56 + 7);
        EXPECT_EQ(c.TabbedTextWidth("a\tb", {20}), 20 + 7);
        EXPECT_EQ(c.TabbedTextWidth("a\tb\tc", {10, 30}), 30 + 7);
        EXPECT_EQ(c.TabbedTextWidth("abcdefgh\tc", {10, 30}), 112 + 7);
    }
}

TEST(GfxCanvasText, TabbedTextIsSpreadByTheJustification)
{
    const FixedTextMeasurer fake;
    QImage img = blank(200, 20);
    {
        QImage scratch = blank(200, 20);
        Canvas c(&scratch, &fake);
        c.setFont(dejaVu());
        // "a " 0..14, "b" 14..21, tab to 100, "c " to 114, "d" to 121; ten
        // extra pixels over the two blanks.
        EXPECT_EQ(c.TabbedTextOut(0, 0, "a b\tc d", {100}), 121);
        c.SetTextJustification(10, 2);
        EXPECT_EQ(c.TabbedTextOut(0, 0, "a b\tc d", {100}), 126);
    }
    {
        Canvas c(&img, &fake);
        c.setFont(dejaVu());
        c.setBkMode(BkMode::Transparent);
        c.SetTextJustification(100, 1);
        c.TabbedTextOut(0, 0, "x x");
    }
    EXPECT_EQ(zvotest::inked(img).Right, zvotest::inked(img.copy(100, 0, 100, 20)).Right + 100);
    EXPECT_EQ(zvotest::inked(img.copy(20, 0, 90, 20)), TRect{});
}

TEST(GfxCanvasText, AcceleratorIsUnderlinedUnderItsCharacter)
{
    const FixedTextMeasurer fake;
    const Font font = dejaVu();
    const int baseline = QFontMetrics(ToQFont(font, 96)).ascent();
    auto underlineRow = [&](unsigned format) {
        QImage img = blank(60, 30);
        zvotest::paint(
            img,
            [&](Canvas &c) {
                c.setFont(font);
                c.setBkMode(BkMode::Transparent);
                c.DrawText("a&cx", TRect{0, 0, 60, 30}, DT_SINGLELINE | format);
            },
            &fake);
        std::string row;
        for (int x = 0; x < 28; ++x)
            row += at(img, x, baseline + 1) == clBlack ? '#' : '.';
        return row;
    };
    EXPECT_EQ(underlineRow(0), ".......#######..............");
    EXPECT_EQ(underlineRow(DT_HIDEPREFIX), "............................");
}

TEST(GfxCanvasText, RotatedTextRunsUpwardsFromItsOrigin)
{
    QImage img = blank(60, 120);
    zvotest::paint(img, [](Canvas &c) {
        Font f = dejaVu(12);
        f.orientation = 900;
        c.setFont(f);
        c.setBkMode(BkMode::Transparent);
        c.TextOut(10, 110, "Rotated");
    });
    const TRect ink = inked(img);
    EXPECT_GT(ink.Height(), 2 * ink.Width());
    EXPECT_LE(ink.Bottom, 111);
    EXPECT_GE(ink.Left, 10); // glyph tops face left, towards x
    EXPECT_LT(ink.Right, 30);
}

TEST(GfxCanvasText, RealMeasurerFollowsTheFontSize)
{
    const QtTextMeasurer m(96);
    EXPECT_EQ(Font::heightFromSize(8, 96), -11);
    EXPECT_GT(m.textWidth(dejaVu(16), "Hello"), m.textWidth(dejaVu(8), "Hello"));
    const TextMetrics tm = m.metrics(dejaVu(8));
    EXPECT_EQ(tm.height, tm.ascent + tm.descent);
    EXPECT_GE(tm.height, 11);
    EXPECT_LE(tm.height, 16);
    EXPECT_GT(tm.avgCharWidth, 0);
}

namespace {

// Fixed widths and heights, with two pixels of external leading.
class LeadingMeasurer : public FixedTextMeasurer
{
public:
    LeadingMeasurer()
        : FixedTextMeasurer(7, 13, 10)
    {}
    TextMetrics metrics(const Font &font) const override
    {
        TextMetrics m = FixedTextMeasurer::metrics(font);
        m.externalLeading = 2;
        return m;
    }
};

} // namespace

TEST(CanvasText, ExternalLeadingSpacesTheLinesOnlyWhenAskedFor)
{
    QImage image(100, 100, QImage::Format_RGB32);
    LeadingMeasurer measurer;
    Canvas canvas(&image, &measurer);
    TRect plain{0, 0, 100, 100};
    EXPECT_EQ(canvas.DrawText(QStringView(u"a\nb"), plain, DT_CALCRECT | DT_NOPREFIX), 26);
    TRect spaced{0, 0, 100, 100};
    EXPECT_EQ(canvas.DrawText(QStringView(u"a\nb"), spaced, DT_CALCRECT | DT_NOPREFIX | DT_EXTERNALLEADING), 30);
    EXPECT_EQ(spaced.Bottom, 30);
    EXPECT_EQ(spaced.Right, 7);
}

// A line shaped once measures as TextWidth and draws, clipped or not, the
// pixels TextOut and ExtTextOut draw: right to left, marks, fallback fonts.
TEST(GfxCanvasText, AShapedLineMeasuresAndDrawsAsTheTextItself)
{
    const QString texts[] = {u"Street 997"_qs, u"EUR 123.45"_qs, u"\u05e9\u05dc\u05d5\u05dd abc"_qs,
                             u"a\u0301e\u0300 fi"_qs, u"\u6f22\u5b57 ok"_qs, u"  lead trail  "_qs};
    const TRect clip{5, 22, 45, 40};
    for (const bool bold : {false, true})
        for (const QString &text : texts) {
            Font font = dejaVu(bold ? 12 : 9);
            font.style = bold ? FontStyles(fsBold) : FontStyles(0);
            font.color = clRed;
            QImage plain = blank(200, 40);
            zvotest::paint(plain, [&](Canvas &c) {
                c.setFont(font);
                c.setBkMode(BkMode::Transparent);
                c.TextOut(5, 3, text);
                c.ExtTextOut(5, 22, ETO_CLIPPED, &clip, text);
            });
            QImage shaped = blank(200, 40);
            zvotest::paint(shaped, [&](Canvas &c) {
                c.setFont(font);
                c.setBkMode(BkMode::Transparent);
                const std::shared_ptr<const ShapedLine> line = c.ShapeLine(text);
                ASSERT_TRUE(line);
                EXPECT_EQ(line->width(), c.TextWidth(text)) << text.toStdString();
                c.DrawShapedLine(5, 3, *line);
                c.DrawShapedLine(5, 22, *line, &clip);
            });
            EXPECT_EQ(plain, shaped) << text.toStdString();
        }
}

// Shaped lines drawn one after another are painted together, but before
// anything drawn after them: a fill laid over one covers it, a line drawn
// after the fill lies on top, a new colour keeps its own.
TEST(GfxCanvasText, ShapedLinesStayBelowWhatIsDrawnAfterThem)
{
    const auto draw = [](bool aShaped) {
        QImage img = blank(120, 60);
        zvotest::paint(img, [&](Canvas &c) {
            c.setFont(dejaVu(12));
            c.setBkMode(BkMode::Transparent);
            const auto text = [&](int y, const char16_t *aText, TColor aColor) {
                c.font().color = aColor;
                if (aShaped)
                    c.DrawShapedLine(5, y, *c.ShapeLine(aText));
                else
                    c.TextOut(5, y, QStringView(aText));
            };
            text(2, u"WWWW", clBlack);
            text(20, u"MMMM", clRed);
            c.FillRect(TRect{0, 0, 30, 60}, Brush::solid(clWhite));
            text(40, u"WWWW", clBlack);
            text(40, u"iiii", clBlue);
        });
        return img;
    };
    const QImage shaped = draw(true);
    EXPECT_EQ(shaped, draw(false));
    EXPECT_GE(inked(shaped.copy(0, 0, 120, 38)).Left, 30);
    EXPECT_LT(inked(shaped.copy(0, 38, 120, 22)).Left, 30);
}

// The pen a text leaves on the painter for the next text outlines nothing
// drawn through painter(); texts a layout would treat otherwise, and other
// measurers, get no shaped line.
TEST(GfxCanvasText, ShapedLinesLeaveNoPenAndRefuseWhatTheyCannotDraw)
{
    for (const bool shaped : {false, true}) {
        QImage img = blank(60, 40);
        zvotest::paint(img, [&](Canvas &c) {
            c.setFont(dejaVu());
            c.setBkMode(BkMode::Transparent);
            if (shaped)
                c.DrawShapedLine(2, 2, *c.ShapeLine(u"ab"));
            else
                c.TextOut(2, 2, QStringView(u"ab"));
            QPainter &p = c.painter();
            p.setBrush(QColor(Qt::green));
            p.drawRect(QRect(30, 20, 10, 10));
        });
        EXPECT_EQ(at(img, 30, 20), clLime) << shaped;
    }

    QImage img = blank();
    zvotest::paint(img, [](Canvas &c) {
        c.setFont(dejaVu());
        for (const char16_t *text : {u"", u"a\tb", u"a\nb", u"soft\u00adhyphen", u"a\u2028b"})
            EXPECT_FALSE(c.ShapeLine(text));
        c.font().style = fsUnderline;
        EXPECT_FALSE(c.ShapeLine(u"ab"));
        c.font().style = 0;
        c.font().orientation = 900;
        EXPECT_FALSE(c.ShapeLine(u"ab"));
    });
    const FixedTextMeasurer fake;
    zvotest::paint(img, [](Canvas &c) { EXPECT_FALSE(c.ShapeLine(u"ab")); }, &fake);
}
