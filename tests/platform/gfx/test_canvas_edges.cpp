#include "tests/support/PixelProbes.h"

#include <gtest/gtest.h>

#include <array>

using namespace gfx;
using namespace rtl;
using rtl::TRect;
using zvotest::at;
using zvotest::blank;
using zvotest::expectPixels;

namespace {

constexpr TColor Bg = clLime;

QImage edge(unsigned kind, unsigned flags, TRect *adjusted = nullptr)
{
    setSystemColors(SystemColors::classic());
    QImage img = blank(12, 12, Bg);
    zvotest::paint(img, [&](Canvas &c) {
        TRect r{0, 0, 10, 10};
        EXPECT_TRUE(c.DrawEdge(r, kind, flags));
        if (adjusted)
            *adjusted = r;
    });
    return img;
}

} // namespace

TEST(GfxDrawEdge, EachKindUsesTheClassicColoursPerSide)
{
    const TColor light = GetSysColor(COLOR_3DLIGHT);
    const TColor hilite = clWhite, shadow = clGray, dark = clBlack;
    // Outer ring top-left and bottom-right, inner ring top-left and bottom-right.
    const std::pair<unsigned, std::array<TColor, 4>> cases[] = {
        {EDGE_RAISED, {light, dark, hilite, shadow}},
        {EDGE_SUNKEN, {shadow, hilite, dark, light}},
        {EDGE_ETCHED, {shadow, hilite, hilite, shadow}},
        {EDGE_BUMP, {light, dark, dark, light}},
    };
    for (const auto &[kind, want] : cases) {
        SCOPED_TRACE(kind);
        const auto [outerLT, outerRB, innerLT, innerRB] = want;
        // The dark lines own the top-right and bottom-left corners; no
        // BF_MIDDLE leaves the middle alone.
        expectPixels(edge(kind, BF_RECT), {{5, 0, outerLT},
                                           {0, 5, outerLT},
                                           {9, 5, outerRB},
                                           {5, 9, outerRB},
                                           {1, 5, innerLT},
                                           {5, 1, innerLT},
                                           {5, 8, innerRB},
                                           {8, 5, innerRB},
                                           {9, 0, outerRB},
                                           {0, 9, outerRB},
                                           {5, 5, Bg},
                                           {10, 10, Bg}});
    }
    // A lone inner edge is drawn as the outermost ring in its own colours.
    expectPixels(edge(BDR_RAISEDINNER, BF_RECT), {{5, 0, clWhite}, {9, 5, clGray}, {5, 1, Bg}});
}

TEST(GfxDrawEdge, SidesMiddleAdjustAndFlavours)
{
    TRect r;
    QImage img = edge(EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST, &r);
    EXPECT_EQ(r, (TRect{2, 2, 8, 8}));
    EXPECT_EQ(at(img, 5, 5), clSilver);

    img = edge(BDR_SUNKENOUTER, BF_LEFT | BF_TOP | BF_ADJUST, &r);
    EXPECT_EQ(r, (TRect{1, 1, 10, 10}));
    expectPixels(img, {{9, 0, clGray}, {9, 5, Bg}, {5, 9, Bg}}); // the top line runs to the right edge

    expectPixels(edge(EDGE_RAISED, BF_BOTTOM), {{0, 9, clBlack}, {0, 8, clGray}, {0, 0, Bg}});
    expectPixels(edge(EDGE_RAISED, BF_RECT | BF_SOFT), {{5, 0, clWhite}, {5, 1, GetSysColor(COLOR_3DLIGHT)}});
    expectPixels(edge(EDGE_SUNKEN, BF_RECT | BF_FLAT), {{5, 0, clGray}, {9, 5, clGray}, {5, 1, clSilver}});
    expectPixels(edge(EDGE_SUNKEN, BF_RECT | BF_MONO | BF_MIDDLE), {{0, 5, clBlack}, {9, 5, clBlack}, {5, 5, clWhite}});

    // Without BF_ADJUST the caller's rectangle is left alone.
    edge(EDGE_RAISED, BF_RECT, &r);
    EXPECT_EQ(r, (TRect{0, 0, 10, 10}));
}

TEST(GfxDrawEdge, ScrollArrowGlyphMovesWhenPushed)
{
    setSystemColors(SystemColors::classic());
    auto glyphBox = [](unsigned state) {
        QImage img = blank(16, 16, Bg);
        zvotest::paint(img, [state](Canvas &c) {
            EXPECT_TRUE(c.DrawFrameControl(TRect{0, 0, 16, 16}, DFC_SCROLL, state));
        });
        TRect box{16, 16, -1, -1};
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x)
                if (at(img, x, y) == clBlack) {
                    box.Left = std::min(box.Left, x);
                    box.Top = std::min(box.Top, y);
                    box.Right = std::max(box.Right, x + 1);
                    box.Bottom = std::max(box.Bottom, y + 1);
                }
        return std::make_pair(box, img);
    };
    const auto [up, upImg] = glyphBox(DFCS_SCROLLRIGHT);
    const auto [down, downImg] = glyphBox(DFCS_SCROLLRIGHT | DFCS_PUSHED);
    EXPECT_EQ(up.Width(), 4); // a right-pointing head, wider at its base
    EXPECT_EQ(up.Height(), 7);
    EXPECT_EQ(down.Left, up.Left + 1);
    EXPECT_EQ(down.Top, up.Top + 1);
    EXPECT_EQ(at(upImg, 15, 8), clBlack);  // raised frame
    EXPECT_EQ(at(downImg, 15, 8), clGray); // flat pushed frame
    const auto [left, leftImg] = glyphBox(DFCS_SCROLLLEFT);
    EXPECT_EQ(at(leftImg, left.Left, left.Top + 3), clBlack); // the tip is on the left
    EXPECT_NE(at(leftImg, left.Left, left.Top), clBlack);
    EXPECT_EQ(at(leftImg, left.Right - 1, left.Top), clBlack); // the base is full height
}
