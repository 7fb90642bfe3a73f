#pragma once

// The text-node control as a geometry test sees it: a client of a given size,
// bands that keep their own widths (no default layout, no width fit), and
// helpers that size bands and columns and read the layout back.

#include "ControlFixture.h"

#include <functional>

namespace gridtest {

using namespace grid;

// A control without default layout or width fit: bands keep their widths.
struct LayoutFixture : ControlFixture
{
    LayoutFixture(int width = 600, int height = 400)
    {
        tree->SetOptionsB(tree->OptionsB() & ~(1u << grid::boWidthFit));
        tree->SetDefaultLayout(false);
        tree->SetClientRect(rtl::Rect(0, 0, width, height));
        tree->CalcMetrics();
    }
    TdxTreeListBand *band(int index, int width)
    {
        while (tree->Bands()->Count() <= index)
            tree->Bands()->Add();
        TdxTreeListBand *b = tree->Bands()->Items(index);
        b->SetMinWidth(0);
        b->SetWidth(width);
        return b;
    }
    TdxTreeListColumn *sized(int bandIndex, int width, int minWidth = 20)
    {
        TdxTreeListColumn *c = column(QString(), bandIndex);
        c->SetMinWidth(minWidth);
        c->SetWidth(width);
        return c;
    }
    TdxTreeListLayoutInfo layout()
    {
        TdxTreeListLayoutInfo info;
        tree->CalcLayout(info);
        return info;
    }
    std::vector<int> cellWidths()
    {
        std::vector<int> widths;
        for (const TdxTreeListHeaderCell &c : layout().HeaderCells)
            widths.push_back(c.CellRect.Width());
        return widths;
    }
    void settings(const std::function<void(TreeListSettings &)> &change)
    {
        TreeListSettings s = tree->Settings();
        change(s);
        tree->SetSettings(s);
        tree->CalcMetrics();
    }
};

} // namespace gridtest
