#include "GridPrinters.h"

#include "grid/paint/EditPaint.h"

#include "tests/support/PixelProbes.h"

#include <gtest/gtest.h>

using namespace grid;
using rtl::TRect;
using zvotest::Pixel;

namespace {

const rtl::TColor EditPaper = rtl::clLime;
const rtl::TColor Frame = rtl::clBlack; // window frame
const rtl::TColor Shadow = rtl::RGB(128, 128, 128);
const rtl::TColor Face = rtl::RGB(192, 192, 192);
const rtl::TColor Light = rtl::RGB(223, 223, 223);
const rtl::TColor White = rtl::clWhite;
const rtl::TColor Dark = rtl::clBlack;

QImage border(TdxEditBorderStyle style, bool shadow, TdxEditEdges edges = edgAll)
{
    TdxEditViewData data;
    data.BorderStyle = style;
    data.Shadow = shadow;
    data.Edges = edges;
    data.Bounds = TRect{0, 0, 40, 20};
    QImage img = zvotest::blank(40, 20, EditPaper);
    zvotest::paint(img, [&](gfx::Canvas &c) { DrawEditBorder(c, CalcViewInfo(data), data); });
    return img;
}

TEST(EditBorder, EachStyleDrawsItsEdges)
{
    // Client rectangle (2, 2, 38, 18); the border grows out of it.
    zvotest::expectPixels(border(xbsNone, false), {{0, 0, EditPaper}, {1, 1, EditPaper}, {39, 19, EditPaper}});
    zvotest::expectPixels(border(xbsSingle, false),
                          {{0, 0, EditPaper}, {1, 1, Frame}, {38, 18, Frame}, {2, 2, EditPaper}});
    zvotest::expectPixels(border(xbsThick, false), {{0, 0, Frame}, {1, 1, Frame}, {39, 19, Frame}, {2, 2, EditPaper}});
    zvotest::expectPixels(border(xbs3D, false),
                          {{0, 0, Shadow}, {1, 1, Dark}, {39, 19, White}, {38, 18, Light}, {2, 2, EditPaper}});
    zvotest::expectPixels(border(xbsFlat, false),
                          {{0, 0, Shadow}, {1, 1, Face}, {39, 19, White}, {38, 18, Face}, {2, 2, EditPaper}});
}

TEST(EditBorder, MissingEdgesAreLeftOut)
{
    // A single border on the left and top only.
    const QImage img = border(xbsSingle, false, EdgeBit(edgLeft) | EdgeBit(edgTop));
    zvotest::expectPixels(img,
                          {{1, 1, Frame}, {1, 17, Frame}, {37, 1, Frame}, {38, 10, EditPaper}, {10, 18, EditPaper}});
    const QImage sunken = border(xbs3D, false, EdgeBit(edgBottom));
    zvotest::expectPixels(sunken, {{10, 19, White}, {10, 18, Light}, {0, 10, EditPaper}, {10, 0, EditPaper}});
}

TEST(EditBorder, TheShadowFallsRightAndDown)
{
    // Border (0, 0, 38, 18), shadow two pixels further: strips at the right
    // and the bottom of (2, 2, 40, 20).
    const QImage img = border(xbs3D, true);
    zvotest::expectPixels(img, {{39, 19, Shadow},
                                {3, 19, Shadow},
                                {39, 3, Shadow},
                                {2, 18, Shadow},
                                {1, 19, EditPaper},
                                {39, 1, EditPaper},
                                {37, 17, White}});
    const QImage none = border(xbsNone, true);
    zvotest::expectPixels(none, {{37, 17, Shadow}, {5, 17, Shadow}, {37, 5, Shadow}, {3, 17, EditPaper}});
}

TEST(EditContent, APasswordCharacterHidesTheText)
{
    auto paint = [](const QString &value, QChar password) {
        TdxTextEditViewData data;
        data.EditValue = value;
        data.PasswordChar = password;
        data.Brush = gfx::Brush::solid(rtl::clWhite);
        data.Color = rtl::clWhite;
        QImage img = zvotest::blank(80, 20, EditPaper);
        zvotest::paint(img, [&](gfx::Canvas &c) {
            EXPECT_TRUE(DrawTextEditContent(c, TRect{0, 0, 80, 20}, false, data));
        });
        EXPECT_EQ(data.TextLength, value.size());
        return img;
    };
    const QImage hidden = paint("abc", u'*');
    EXPECT_EQ(hidden, paint("***", QChar()));
    EXPECT_NE(hidden, paint("abc", QChar()));

    TdxTextEditViewData data;
    data.EditValue = QString("MiXed");
    data.CharCase = ecLowerCase;
    EXPECT_EQ(TextEditDisplayText(data), "mixed");
    // A cell shows what its editor holds: one character for one.
    data.EditValue = QString::fromUtf8("İXﬁ");
    EXPECT_EQ(TextEditDisplayText(data), QString::fromUtf8("ixﬁ"));
    data.CharCase = ecUpperCase;
    data.EditValue = QString::fromUtf8("straße");
    EXPECT_EQ(TextEditDisplayText(data), QString::fromUtf8("STRAßE"));
    data.CharCase = ecLowerCase;
    data.PasswordChar = u'#';
    data.EditValue = QString();
    EXPECT_EQ(TextEditDisplayText(data), ""); // no characters, none to hide
    data.EditValue = QString::fromUtf8("a\U0001F600b\U00020000");
    EXPECT_EQ(TextEditDisplayText(data), "####");   // a pair is one character
    data.EditValue = QString(QChar(0xD800)) + u'x'; // a lone half still takes a place
    EXPECT_EQ(TextEditDisplayText(data), "##");
}

TEST(EditContent, TextEditorsMeasureAndLeaveTheirOwnWindowAlone)
{
    const gfx::FixedTextMeasurer measurer(7, 13, 10);
    QImage img = zvotest::blank(80, 60, EditPaper);
    gfx::Canvas c(&img, &measurer);
    TdxTextEditViewData data;
    data.IsTextEditor = true;
    data.EditValue = QString("aaaa bbbb cccc");
    data.VerticalLayout = 3;
    data.MeasureOnly = true;
    data.Margins = TRect{1, 2, 0, 0};
    EXPECT_FALSE(DrawTextEditContent(c, TRect{0, 0, 42, 60}, true, data));
    EXPECT_TRUE(DrawTextEditContent(c, TRect{0, 0, 42, 60}, false, data));
    EXPECT_EQ(data.LineHeight, 13);
    // Three lines of 13; the fill's extra (1 + 2 above, 1 below) goes again
    // with the top margin and 2.
    EXPECT_EQ(data.Height, 3 * 13);
    EXPECT_EQ(data.LineCount, 3);
    c.painter().end();
    EXPECT_EQ(zvotest::countOf(img, EditPaper), 80 * 60);
}

TEST(Bitmaps, TransparentPixelsShowTheBrushAndSizesOnlyGrow)
{
    QImage bitmap(4, 4, QImage::Format_RGB32);
    bitmap.fill(gfx::ToQColor(rtl::clFuchsia)); // the bottom-left pixel's colour is the transparent one
    bitmap.setPixel(1, 1, gfx::ToQColor(rtl::clBlue).rgb());
    QImage img = zvotest::blank(10, 10, EditPaper);
    zvotest::paint(img, [&](gfx::Canvas &c) {
        DrawTransparentBitmap(c, gfx::Brush::solid(rtl::clRed), TRect{2, 2, 5, 5}, bitmap);
    });
    zvotest::expectPixels(img, {{2, 2, rtl::clRed}, {3, 3, rtl::clBlue}, {4, 4, rtl::clRed}, {5, 5, EditPaper}});

    QImage grown(8, 6, QImage::Format_RGB32);
    grown.fill(Qt::blue);
    EnsureBitmapSize(grown, 4, 4);
    EXPECT_EQ(grown.size(), QSize(8, 6));
    EnsureBitmapSize(grown, 5, 10);
    EXPECT_EQ(grown.size(), QSize(8, 10));
    EXPECT_EQ(grown.pixelColor(7, 5), QColor(Qt::blue));
    QImage none;
    EnsureBitmapSize(none, 3, 2);
    EXPECT_EQ(none.size(), QSize(3, 2));
}

} // namespace
