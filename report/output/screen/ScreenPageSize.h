#pragma once

// Where a page goes in the screen device's bitmap at a zoom setting: the
// bitmap's size (the page with its grey surround), the page's size and the
// zoom that results. A pure function of the screen's resolution, the page's
// size at 100 % and the scroll box it is shown in.

#include "report/model/base/Types.h"

namespace report {

struct TppScreenPageSizeInput
{
    int pixelsPerInch = 96;
    // The page at 100 % in screen pixels.
    int width100 = 0;
    int height100 = 0;
    // The scroll box the page is shown in.
    int scrollBoxWidth = 0;
    int scrollBoxHeight = 0;
    // Without a viewer the page is always drawn at 100 %.
    bool hasViewer = false;
    TppZoomSettingType zoomSetting = TppZoomSettingType::zsWholePage;
    int zoomPercentage = 100;
};

struct TppScreenPageSize
{
    int bitmapWidth = 1;
    int bitmapHeight = 1;
    int pageWidth = 1;
    int pageHeight = 1;
    int calculatedZoom = 100;
    // The bitmap would have outgrown what one page bitmap may take; the page
    // is drawn at the largest zoom that fits instead.
    bool limited = false;
};

// The most pixels one side of the page bitmap, and the whole of it, may
// have: a huge page at 250 % (from a hostile archive, say) would otherwise
// ask for gigabytes.
constexpr int ppMaxPageBitmapSide = 16384;
constexpr long long ppMaxPageBitmapPixels = 64LL * 1024 * 1024; // 256 MiB at 32 bits

TppScreenPageSize ppCalcScreenPageSize(const TppScreenPageSizeInput &aInput);

} // namespace report
