#include "app/ColorLegend.h"

#include "app/MyConstants.h"
#include "foundation/MyUtilities.h"
#include "platform/rtl/FormatFloat.h"

namespace app {

using namespace foundation;

LegendLayout CalcLegendLayout(int width, int height)
{
    LegendLayout layout;
    // The frame is drawn as the platform draws a rectangle from (0, 0) to
    // (width - 1, height - 1): the outline stays inside the exclusive corner,
    // so the last column and row of the box stay untouched.
    const int right = width - 1;
    const int bottom = height - 1;
    layout.frame = {rtl::Rect(0, 0, right, 1), rtl::Rect(0, bottom - 1, right, bottom), rtl::Rect(0, 0, 1, bottom),
                    rtl::Rect(right - 1, 0, right, bottom)};
    layout.inside = rtl::Rect(1, 1, width - 2, height - 2);

    const int segment = (width - 2) / 10;
    int x = 1;
    for (int step = 0; step < 9; ++step) {
        layout.fills[size_t(step)] = rtl::Rect(x, 1, x + segment - 1, height - 2);
        x += segment;
        layout.separators[size_t(step)] = rtl::Rect(x - 1, 1, x, height - 2);
    }
    layout.fills[9] = rtl::Rect(x, 1, width - 2, height - 2);
    return layout;
}

int LegendStepAt(int width, int x)
{
    const int segment = (width - 2) / 10;
    for (int step = 0; step < 10; ++step) {
        if ((step + 1) * segment > x)
            return step;
    }
    return -1;
}

std::string LegendHint(int step)
{
    const std::string threshold = rtl::FormatFloat(",0", double(ColorScaleThresholds.at(size_t(step))));
    return ReplaceText("for this color status, the web site must have up to %0 references", "%0", threshold, true);
}

} // namespace app
