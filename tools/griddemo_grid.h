#pragma once

// The demo grid of griddemo: form "GridDemo", grid "Grid1", three bands and
// 300 nodes with texts computed from their pre-order numbers, the same on
// every machine. Shared with the tests that probe griddemo's pictures.

#include "grid/core/TreeListControl.h"

#include "platform/gfx/ImageList.h"

#include <cstdint>
#include <memory>

namespace griddemo {

constexpr uint32_t DefaultOptionsA = 0x105F;
constexpr uint32_t DefaultOptionsB = 0xA000303E;

struct GridDemo
{
    std::unique_ptr<classes::TComponent> form;
    grid::TCustomdxTreeListControl *tree = nullptr; // owned by the form
    gfx::ImageList images{16, 16};
};

// Fills demo with the grid in its first state: "Site 01" and "Page 01-1"
// expanded, "Site 01" focused in colSite. DejaVu Sans 9 throughout.
void BuildGridDemo(GridDemo &demo, uint32_t optionsA = DefaultOptionsA, uint32_t optionsB = DefaultOptionsB);

} // namespace griddemo
