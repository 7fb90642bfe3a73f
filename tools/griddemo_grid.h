#pragma once

// The demo grid of griddemo: form "GridDemo", grid "Grid1", three bands and
// 300 nodes with texts computed from their pre-order numbers, the same on
// every machine. Shared with the tests that probe griddemo's pictures.

#include "grid/core/TreeListControl.h"

#include "platform/gfx/ImageList.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace griddemo {

constexpr uint32_t DefaultOptionsA = 0x105F;
constexpr uint32_t DefaultOptionsB = 0xA000303E;

// Parts of the grid the demo shows only when asked (griddemo --show).
struct DemoParts
{
    bool multiLine = false;   // rows as tall as their wrapped notes, up to 3 lines
    bool rowFooters = false;  // a footer line under each page and each site
    bool footer = false;      // the footer panel with the counts' sums
    bool groupPanel = false;  // the group-by panel above the bands
    bool bottomPanel = false; // the bottom panel with its text and button
};

// The names --show takes, comma-separated; false for an unknown one.
bool ParseDemoParts(const QString &list, DemoParts &parts);

struct GridDemo
{
    gfx::ImageList images{16, 16}; // first, so that it outlives the grid
    std::unique_ptr<classes::TComponent> form;
    grid::TCustomdxTreeListControl *tree = nullptr; // owned by the form
};

// Fills demo with the grid in its first state: "Site 01" and "Page 01-1"
// expanded, "Site 01" focused in colSite. DejaVu Sans 9 throughout.
void BuildGridDemo(GridDemo &demo, uint32_t optionsA = DefaultOptionsA, uint32_t optionsB = DefaultOptionsB,
                   const DemoParts &parts = {});

} // namespace griddemo
