#include "tests/support/PixelProbes.h"

#include <gtest/gtest.h>

using namespace gfx;
using namespace rtl;
using rtl::TRect;
using zvotest::at;
using zvotest::blank;
using zvotest::expectPixels;
using zvotest::inked;
using zvotest::paint;

TEST(GfxCanvasAreas, FillAndFrameCoverExactlyTheExclusiveRect)
{
    QImage img = blank(20, 20);
    paint(img, [](Canvas &c) { c.FillRect(TRect{0, 0, 10, 10}, Brush::solid(clRed)); });
    EXPECT_EQ(inked(img), (TRect{0, 0, 10, 10}));

    img = blank(20, 20);
    paint(img, [](Canvas &c) {
        c.brush() = Brush::solid(clBlue);
        c.FrameRect(TRect{2, 3, 8, 7});
        c.FillRect(TRect{12, 12, 12, 18}); // empty: nothing
    });
    EXPECT_EQ(inked(img), (TRect{2, 3, 8, 7}));
    expectPixels(img, {{7, 6, clBlue}, {2, 6, clBlue}, {3, 4, clWhite}}); // the inside stays
}

TEST(GfxCanvasAreas, LinesLeaveOutTheirEndPoint)
{
    QImage img = blank(20, 20);
    paint(img, [](Canvas &c) {
        c.MoveTo(2, 5);
        c.LineTo(10, 5);
        EXPECT_EQ(c.penPos(), (rtl::TPoint{10, 5}));
        c.MoveTo(15, 2);
        c.LineTo(15, 9);
        c.MoveTo(0, 10);
        c.LineTo(5, 15);
    });
    expectPixels(img, {{2, 5, clBlack},
                       {9, 5, clBlack},
                       {10, 5, clWhite},
                       {15, 8, clBlack},
                       {15, 9, clWhite},
                       {4, 14, clBlack},
                       {5, 15, clWhite}});

    // A polyline joins its segments without gaps and still omits the last point.
    img = blank(20, 20);
    paint(img, [](Canvas &c) { c.Polyline({{1, 1}, {6, 1}, {6, 6}}); });
    expectPixels(img, {{5, 1, clBlack}, {6, 1, clBlack}, {6, 5, clBlack}, {6, 6, clWhite}});
    EXPECT_EQ(inked(img), (TRect{1, 1, 7, 6}));
}

TEST(GfxCanvasAreas, PenModesAndDashes)
{
    QImage img = blank(30, 10, clRed);
    paint(img, [&img](Canvas &c) {
        c.pen().mode = PenMode::Xor;
        c.pen().color = clWhite;
        c.MoveTo(0, 2);
        c.LineTo(10, 2);
        EXPECT_EQ(at(img, 3, 2), clAqua); // red xor white
        c.MoveTo(0, 2);
        c.LineTo(10, 2);
        c.pen().mode = PenMode::Not;
        c.MoveTo(0, 4);
        c.LineTo(5, 4);
    });
    expectPixels(img, {{3, 2, clRed}, {3, 4, clAqua}});
    // A dotted pen alternates runs of pen colour and, in opaque mode, of
    // background colour.
    img = blank(30, 10, clRed);
    paint(img, [](Canvas &c) {
        c.pen().style = PenStyle::Dot;
        c.setBkColor(clLime);
        c.MoveTo(0, 1);
        c.LineTo(12, 1);
        c.setBkMode(BkMode::Transparent);
        c.MoveTo(0, 3);
        c.LineTo(12, 3);
    });
    expectPixels(img, {{0, 1, clBlack}, {2, 1, clBlack}, {3, 1, clLime}, {6, 1, clBlack}, {3, 3, clRed}});
}

TEST(GfxCanvasAreas, FiguresOutlineInsideAndFillWithTheBrush)
{
    QImage img = blank(20, 20);
    paint(img, [](Canvas &c) {
        c.brush() = Brush::solid(clRed);
        c.Rectangle(TRect{1, 1, 9, 7});
    });
    EXPECT_EQ(inked(img), (TRect{1, 1, 9, 7}));
    expectPixels(img, {{1, 1, clBlack}, {8, 6, clBlack}, {2, 2, clRed}, {7, 5, clRed}});

    img = blank(20, 20);
    paint(img, [](Canvas &c) {
        c.brush() = Brush::solid(clRed);
        c.pen().width = 2;
        c.Rectangle(TRect{0, 0, 10, 10});
        c.pen().style = PenStyle::Clear;
        c.Rectangle(TRect{12, 12, 16, 16}); // without a pen: one pixel smaller
    });
    EXPECT_EQ(inked(img), (TRect{0, 0, 15, 15}));
    expectPixels(img, {{1, 1, clBlack}, {8, 8, clBlack}, {2, 2, clRed}, {14, 14, clRed}, {15, 15, clWhite}});

    // Ellipses and rounded rectangles stay within the exclusive rectangle.
    img = blank(30, 30);
    paint(img, [](Canvas &c) {
        c.brush() = Brush::solid(clRed);
        c.Ellipse(TRect{2, 2, 12, 12});
        c.RoundRect(TRect{14, 2, 28, 12}, 6, 6);
        c.Polygon({{2, 20}, {12, 20}, {7, 28}});
    });
    EXPECT_EQ(inked(img), (TRect{2, 2, 28, 29}));
    expectPixels(img, {{7, 7, clRed}, {11, 7, clBlack}, {12, 7, clWhite}, {7, 12, clWhite}});

    // Without a pen the figure ends one pixel before the exclusive edges.
    img = blank(30, 30);
    paint(img, [](Canvas &c) {
        c.brush() = Brush::solid(clRed);
        c.pen().style = PenStyle::Clear;
        c.Ellipse(TRect{2, 2, 12, 12});
    });
    EXPECT_EQ(inked(img).Right, 11);
    EXPECT_EQ(inked(img).Bottom, 11);
    EXPECT_GE(inked(img).Left, 2);
}

TEST(GfxCanvasAreas, InvertAndFocusRectAreTheirOwnUndo)
{
    QImage img = blank(20, 20, clRed);
    const QImage before = img;
    paint(img, [&img](Canvas &c) {
        c.InvertRect(TRect{2, 2, 6, 6});
        expectPixels(img, {{2, 2, clAqua}, {6, 6, clRed}});
        c.InvertRect(TRect{2, 2, 6, 6});
    });
    EXPECT_EQ(img, before);

    img = blank(20, 20);
    paint(img, [&img](Canvas &c) {
        c.setTextColor(clWhite); // the combination that inverts
        c.setBkColor(clBlack);
        c.DrawFocusRect(TRect{2, 2, 12, 8});
        // Every other pixel along each side, nothing inside or outside.
        for (int x = 2; x < 12; ++x)
            EXPECT_EQ(at(img, x, 2), (x % 2 == 0) ? clBlack : clWhite) << x;
        for (int y = 2; y < 8; ++y)
            EXPECT_EQ(at(img, 11, y), ((11 + y) % 2 == 0) ? clBlack : clWhite) << y;
        EXPECT_EQ(inked(img), (TRect{2, 2, 12, 8}));
        EXPECT_EQ(at(img, 5, 5), clWhite);
        c.DrawFocusRect(TRect{2, 2, 12, 8});
    });
    EXPECT_EQ(inked(img), (TRect{}));
}

TEST(GfxCanvasAreas, PatternBrushesFollowTheBrushOrigin)
{
    QImage img = blank(16, 16);
    paint(img, [](Canvas &c) {
        c.setTextColor(clBlack);
        c.setBkColor(clWhite);
        c.FillRect(TRect{0, 0, 8, 8}, Brush::halftone());
        c.setBrushOrigin({1, 0});
        c.FillRect(TRect{8, 0, 16, 8}, Brush::halftone());
        // Clear bits take the text colour, set bits the background colour.
        c.setBrushOrigin({0, 0});
        c.setTextColor(clRed);
        c.setBkColor(clBlue);
        c.FillRect(TRect{0, 8, 8, 16}, Brush::monoPattern({0x0F, 0, 0, 0, 0, 0, 0, 0}));
    });
    expectPixels(img, {{0, 0, clBlack}, {1, 0, clWhite}, {1, 1, clBlack}});
    expectPixels(img, {{8, 0, clWhite}, {9, 0, clBlack}}); // shifted by the origin
    expectPixels(img, {{0, 8, clRed}, {4, 8, clBlue}, {4, 9, clRed}});

    // Hatches draw only their lines in transparent mode.
    img = blank(16, 16, clLime);
    paint(img, [](Canvas &c) {
        c.setBkMode(BkMode::Transparent);
        c.FillRect(TRect{0, 0, 16, 16}, Brush::hatch(BrushStyle::Cross, clBlue));
    });
    expectPixels(img, {{0, 3, clBlue}, {3, 8, clBlue}, {3, 3, clLime}});
}

TEST(GfxCanvasAreas, ClippingNestsAndRestores)
{
    QImage img = blank(20, 20);
    paint(img, [](Canvas &c) {
        EXPECT_EQ(c.ClipBox(), (TRect{0, 0, 20, 20}));
        const int level = c.SaveDC();
        EXPECT_EQ(c.IntersectClipRect(TRect{2, 2, 10, 10}), SIMPLEREGION);
        EXPECT_EQ(c.ExcludeClipRect(TRect{4, 4, 6, 6}), COMPLEXREGION);
        EXPECT_EQ(c.ClipBox(), (TRect{2, 2, 10, 10}));
        c.brush().color = clRed;
        c.FillRect(TRect{0, 0, 20, 20});
        c.SaveDC();
        EXPECT_EQ(c.IntersectClipRect(TRect{15, 15, 18, 18}), NULLREGION);
        EXPECT_FALSE(c.RectVisible(TRect{0, 0, 20, 20}));
        c.brush().color = clBlue;
        EXPECT_TRUE(c.RestoreDC(level)); // back past both saves
        EXPECT_EQ(c.brush().color, clWhite);
        EXPECT_FALSE(c.RestoreDC(-1));
        c.FillRect(TRect{15, 15, 16, 16}, Brush::solid(clLime));
    });
    expectPixels(img, {{2, 2, clRed}, {9, 9, clRed}, {10, 10, clWhite}, {4, 4, clWhite}, {15, 15, clLime}});
}

TEST(GfxCanvasAreas, BlitsCombineWithRasterOperations)
{
    QImage src(4, 4, QImage::Format_RGB32);
    src.fill(QColor(0, 255, 255)); // aqua
    QImage img = blank(20, 10, clYellow);
    paint(img, [&src](Canvas &c) {
        c.BitBlt(0, 0, 4, 4, src, 0, 0, RasterOp::SrcCopy);
        c.BitBlt(5, 0, 4, 4, src, 0, 0, RasterOp::SrcAnd);
        c.BitBlt(10, 0, 4, 4, src, 0, 0, RasterOp::SrcInvert);
        c.StretchDraw(TRect{0, 5, 8, 7}, src, RasterOp::SrcPaint);
    });
    expectPixels(img, {{3, 3, clAqua},
                       {4, 4, clYellow},
                       {6, 1, clLime},     // aqua and yellow
                       {11, 1, clFuchsia}, // aqua xor yellow
                       {7, 6, clWhite},    // aqua or yellow, stretched
                       {8, 6, clYellow}});
}

TEST(GfxCanvasAreas, ImageListGlyphsUseTheirMask)
{
    QImage strip(8, 4, QImage::Format_RGB32);
    strip.fill(Qt::white);
    for (int y = 0; y < 4; ++y) {
        strip.setPixel(1, y, qRgb(255, 0, 0));
        strip.setPixel(6, y, qRgb(0, 0, 255));
    }
    ImageList list(4, 4);
    int changes = 0;
    const int link = list.subscribe([&] { ++changes; });
    EXPECT_EQ(list.add(strip, clWhite), 0);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(changes, 1);
    list.unsubscribe(link);
    list.clear();
    EXPECT_EQ(changes, 1);
    list.add(strip, clWhite);

    QImage img = blank(10, 10, clLime);
    paint(img, [&list](Canvas &c) {
        c.DrawImage(list, 1, 0, 0);
        c.DrawImage(list, 2, 5, 5); // outside the list: nothing
    });
    expectPixels(img, {{2, 0, clBlue}, {0, 0, clLime}});
    EXPECT_EQ(inked(img, clLime), (TRect{2, 0, 3, 4}));
}
