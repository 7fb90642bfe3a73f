// The page control as drawn: every style at every strip position against a
// reviewed picture. The captions are drawn in the pinned font, so a picture
// differs only when the painting does.

#include "widgets/pagecontrol/dxPageControl.h"

#include "tests/support/GoldenImage.h"

#include <QFontInfo>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

using namespace widgets;

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

struct Rendering
{
    TdxTabStyle style;
    TdxTabPosition position;

    std::string name() const { return std::string(styleName(style)) + "_" + positionName(position); }
};

void PrintTo(const Rendering &r, std::ostream *out)
{
    *out << r.name();
}

std::vector<Rendering> everyRendering()
{
    std::vector<Rendering> all;
    for (TdxTabStyle style :
         {TdxTabStyle::dxtsTabs, TdxTabStyle::dxtsButtons, TdxTabStyle::dxtsFlatButtons, TdxTabStyle::dxtsFlat})
        for (TdxTabPosition position :
             {TdxTabPosition::dxtpTop, TdxTabPosition::dxtpBottom, TdxTabPosition::dxtpLeft, TdxTabPosition::dxtpRight})
            all.push_back({style, position});
    return all;
}

class PageControlPixelsTest : public ::testing::TestWithParam<Rendering>
{};

TEST_P(PageControlPixelsTest, MatchesItsGolden)
{
    const Rendering rendering = GetParam();
    // Another font would change every caption: name the cause rather than leave
    // mismatching pictures to puzzle over.
    const QFont font = gfx::ToQFont(gfx::Font{}, 96);
    ASSERT_EQ(QFontInfo(font).family(), QStringLiteral("DejaVu Sans")) << "install fonts-dejavu-core";

    auto control = std::make_unique<TdxPageControl>();
    control->resize(240, 180);
    ASSERT_EQ(control->logicalDpiY(), 96);
    control->SetStyle(rendering.style);
    control->SetTabPosition(rendering.position);
    for (const char *caption : {"General", "&Proxy", "Updates"}) {
        auto *page = new TdxTabSheet();
        page->SetCaption(caption);
        page->SetPageControl(control.get());
    }
    // The middle tab is active, so it overlaps a neighbour on each side.
    control->SetActivePageIndex(1);

    EXPECT_TRUE(zvotest::matchesGolden(
        control->grab().toImage(),
        QString::fromStdString("tests/widgets/pagecontrol/goldens/" + rendering.name() + ".png")));
}

INSTANTIATE_TEST_SUITE_P(StylesAndPositions, PageControlPixelsTest, ::testing::ValuesIn(everyRendering()),
                         [](const ::testing::TestParamInfo<Rendering> &instance) { return instance.param.name(); });

} // namespace
