#pragma once

// The colour legend above the site list: a framed strip of the ten scale
// colours, and the hint that tells which total a colour stands for. The
// geometry is integer pixel arithmetic so that every width draws the same way
// on every machine; the strip's last segment takes what the division leaves.

#include "platform/rtl/Types.h"

#include <array>
#include <string>

namespace app {

struct LegendLayout
{
    // Pixels covered by the frame: top, bottom, left and right edges.
    std::array<rtl::TRect, 4> frame;
    // The inside of the frame, cleared before the colours are drawn.
    rtl::TRect inside;
    // One rectangle per scale step; step 10 ends at the frame.
    std::array<rtl::TRect, 10> fills;
    // The black lines between the steps.
    std::array<rtl::TRect, 9> separators;
};

// Rectangles have exclusive right and bottom edges; empty ones draw nothing.
LegendLayout CalcLegendLayout(int width, int height);

// The 0-based scale step under the horizontal position x; -1 right of the
// tenth segment, where the division's remainder lies.
int LegendStepAt(int width, int x);

// The hint of a scale step: "for this color status, the web site must have up
// to <threshold> references", the threshold with thousands separators.
std::string LegendHint(int step);

} // namespace app
