#include "GfxTestUtil.h"

#include <gtest/gtest.h>

using namespace gfx;
using gfxtest::at;
using gfxtest::blank;
using rtl::TRect;

namespace {

constexpr TColor Bg = clLime;

struct Sides
{
    TColor outerLT, outerRB, innerLT, innerRB;
};

// Samples the middle of each side of both rings of a 10 x 10 edge at (0, 0).
Sides probe(const QImage &img)
{
    return Sides{at(img, 5, 0), at(img, 9, 5), at(img, 1, 5), at(img, 5, 8)};
}

QImage edge(unsigned kind, unsigned flags, TRect *adjusted = nullptr)
{
    setSystemColors(SystemColors::classic());
    QImage img = blank(12, 12, Bg);
    Canvas c(&img);
    TRect r{0, 0, 10, 10};
    EXPECT_TRUE(c.DrawEdge(r, kind, flags));
    if (adjusted)
        *adjusted = r;
    return img;
}

} // namespace

TEST(GfxDrawEdge, EachKindUsesTheClassicColoursPerSide)
{
    const TColor light = GetSysColor(COLOR_3DLIGHT);
    const TColor hilite = clWhite, shadow = clGray, dark = clBlack;
    struct Case
    {
        unsigned kind;
        Sides want;
    } cases[] = {
        {EDGE_RAISED, {light, dark, hilite, shadow}},
        {EDGE_SUNKEN, {shadow, hilite, dark, light}},
        {EDGE_ETCHED, {shadow, hilite, hilite, shadow}},
        {EDGE_BUMP, {light, dark, dark, light}},
    };
    for (const Case &k : cases)
    {
        const QImage img = edge(k.kind, BF_RECT);
        const Sides got = probe(img);
        EXPECT_EQ(got.outerLT, k.want.outerLT) << k.kind;
        EXPECT_EQ(at(img, 0, 5), k.want.outerLT) << k.kind;
        EXPECT_EQ(got.outerRB, k.want.outerRB) << k.kind;
        EXPECT_EQ(at(img, 5, 9), k.want.outerRB) << k.kind;
        EXPECT_EQ(got.innerLT, k.want.innerLT) << k.kind;
        EXPECT_EQ(at(img, 5, 1), k.want.innerLT) << k.kind;
        EXPECT_EQ(got.innerRB, k.want.innerRB) << k.kind;
        EXPECT_EQ(at(img, 8, 5), k.want.innerRB) << k.kind;
        // The dark lines own the top-right and bottom-left corners.
        EXPECT_EQ(at(img, 9, 0), k.want.outerRB) << k.kind;
        EXPECT_EQ(at(img, 0, 9), k.want.outerRB) << k.kind;
        EXPECT_EQ(at(img, 5, 5), Bg) << k.kind; // no BF_MIDDLE
        EXPECT_EQ(at(img, 10, 10), Bg) << k.kind;
    }
    // A lone inner edge is drawn as the outermost ring in its own colours.
    const QImage thin = edge(BDR_RAISEDINNER, BF_RECT);
    EXPECT_EQ(at(thin, 5, 0), clWhite);
    EXPECT_EQ(at(thin, 9, 5), clGray);
    EXPECT_EQ(at(thin, 5, 1), Bg);
}

TEST(GfxDrawEdge, SidesMiddleAdjustAndFlavours)
{
    TRect r;
    QImage img = edge(EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST, &r);
    EXPECT_EQ(r, (TRect{2, 2, 8, 8}));
    EXPECT_EQ(at(img, 5, 5), clSilver);

    img = edge(BDR_SUNKENOUTER, BF_LEFT | BF_TOP | BF_ADJUST, &r);
    EXPECT_EQ(r, (TRect{1, 1, 10, 10}));
    EXPECT_EQ(at(img, 9, 0), clGray); // the top line runs to the right edge
    EXPECT_EQ(at(img, 9, 5), Bg);
    EXPECT_EQ(at(img, 5, 9), Bg);

    img = edge(EDGE_RAISED, BF_BOTTOM);
    EXPECT_EQ(at(img, 0, 9), clBlack);
    EXPECT_EQ(at(img, 0, 8), clGray);
    EXPECT_EQ(at(img, 0, 0), Bg);

    img = edge(EDGE_RAISED, BF_RECT | BF_SOFT);
    EXPECT_EQ(at(img, 5, 0), clWhite);
    EXPECT_EQ(at(img, 5, 1), GetSysColor(COLOR_3DLIGHT));

    img = edge(EDGE_SUNKEN, BF_RECT | BF_FLAT);
    EXPECT_EQ(at(img, 5, 0), clGray);
    EXPECT_EQ(at(img, 9, 5), clGray);
    EXPECT_EQ(at(img, 5, 1), clSilver);

    img = edge(EDGE_SUNKEN, BF_RECT | BF_MONO | BF_MIDDLE);
    EXPECT_EQ(at(img, 0, 5), clBlack);
    EXPECT_EQ(at(img, 9, 5), clBlack);
    EXPECT_EQ(at(img, 5, 5), clWhite);

    // Without BF_ADJUST the caller's rectangle is left alone.
    img = edge(EDGE_RAISED, BF_RECT, &r);
    EXPECT_EQ(r, (TRect{0, 0, 10, 10}));
}

TEST(GfxDrawEdge, ScrollArrowGlyphMovesWhenPushed)
{
    setSystemColors(SystemColors::classic());
    auto glyphBox = [](unsigned state) {
        QImage img = blank(16, 16, Bg);
        {
            Canvas c(&img);
            EXPECT_TRUE(c.DrawFrameControl(TRect{0, 0, 16, 16}, DFC_SCROLL, state));
        }
        TRect box{16, 16, -1, -1};
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x)
                if (at(img, x, y) == clBlack)
                {
                    box.Left = std::min(box.Left, x);
                    box.Top = std::min(box.Top, y);
                    box.Right = std::max(box.Right, x + 1);
                    box.Bottom = std::max(box.Bottom, y + 1);
                }
        return std::make_pair(box, img);
    };
    const auto [up, upImg] = glyphBox(DFCS_SCROLLRIGHT);
    const auto [down, downImg] = glyphBox(DFCS_SCROLLRIGHT | DFCS_PUSHED);
    EXPECT_EQ(up.Width(), 4);  // a right-pointing head, wider at its base
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
