// The page control as drawn: every style at every strip position against a
// reviewed picture. The captions are drawn in the pinned font, so a picture
// differs only when the painting does.

#include "widgets/pagecontrol/dxPageControl.h"

#include "tests/support/GoldenImage.h"

#include <QFontInfo>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

namespace {

const char *styleName(TdxTabStyle s)
{
    switch (s) {
    case TdxTabStyle::dxtsTabs: return "tabs";
    case TdxTabStyle::dxtsButtons: return "buttons";
    case TdxTabStyle::dxtsFlatButtons: return "flatbuttons";
    case TdxTabStyle::dxtsFlat: return "flat";
    }
    return "?";
}

const char *positionName(TdxTabPosition p)
{
    switch (p) {
    case TdxTabPosition::dxtpTop: return "top";
    case TdxTabPosition::dxtpBottom: return "bottom";
    case TdxTabPosition::dxtpLeft: return "left";
    case TdxTabPosition::dxtpRight: return "right";
    }
    return "?";
}

using Rendering = std::tuple<TdxTabStyle, TdxTabPosition>;

class PageControlPixelsTest : public ::testing::TestWithParam<Rendering>
{};

TEST_P(PageControlPixelsTest, MatchesItsGolden)
{
    const auto [style, position] = GetParam();
    // Another font would change every caption: better one clear failure than sixteen.
    const QFont font = gfx::ToQFont(gfx::Font{}, 96);
    ASSERT_EQ(QFontInfo(font).family(), QStringLiteral("DejaVu Sans")) << "install fonts-dejavu-core";

    auto control = std::make_unique<TdxPageControl>();
    control->resize(240, 180);
    ASSERT_EQ(control->logicalDpiY(), 96);
    control->SetStyle(style);
    control->SetTabPosition(position);
    for (const char *caption : {"General", "&Proxy", "Updates"}) {
        auto *page = new TdxTabSheet();
        page->SetCaption(caption);
        page->SetPageControl(control.get());
    }
    // The middle tab is active, so it overlaps a neighbour on each side.
    control->SetActivePageIndex(1);

    const std::string name = std::string(styleName(style)) + "_" + positionName(position);
    EXPECT_TRUE(zvotest::matchesGolden(control->grab().toImage(),
                                       QString::fromStdString("tests/widgets/pagecontrol/goldens/" + name + ".png")));
}

INSTANTIATE_TEST_SUITE_P(StylesAndPositions, PageControlPixelsTest,
                         ::testing::Combine(::testing::Values(TdxTabStyle::dxtsTabs, TdxTabStyle::dxtsButtons,
                                                              TdxTabStyle::dxtsFlatButtons, TdxTabStyle::dxtsFlat),
                                            ::testing::Values(TdxTabPosition::dxtpTop, TdxTabPosition::dxtpBottom,
                                                              TdxTabPosition::dxtpLeft, TdxTabPosition::dxtpRight)),
                         [](const ::testing::TestParamInfo<Rendering> &info) {
                             return std::string(styleName(std::get<0>(info.param))) + "_" +
                                    positionName(std::get<1>(info.param));
                         });

} // namespace
