#pragma once

// Constants shared by the main window's drawing: the ten-step colour scale of
// the site list and its legend, and the colour of the cell being written.

#include "platform/rtl/Colors.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace app {

inline constexpr int ColorScaleStepCount = 10;

// A row takes the colour of the first step whose threshold is greater than
// its total.
inline constexpr std::array<int32_t, ColorScaleStepCount> ColorScaleThresholds = {
    250, 1000, 5000, 12500, 25000, 50000, 100000, 250000, 1000000, 999999999};

inline constexpr std::array<rtl::TColor, ColorScaleStepCount> ColorScaleColors = {
    0x00FF9999, 0x00FFBBBB, 0x00FFDDDD, 0x00FFEEEE, 0x00FFFFDD,
    0x00DDFFBB, 0x00BBFF99, 0x0099FF77, 0x0099FFAA, 0x0077FFFF};

// Pale yellow: the cell that the check driver is writing.
inline constexpr rtl::TColor HighlightColor = 0x00DDFFFF;

// The 0-based scale step for a total; -1 when the total is beyond the scale
// (the row keeps the list's own background).
int ColorScaleStepForTotal(int64_t total);

} // namespace app
