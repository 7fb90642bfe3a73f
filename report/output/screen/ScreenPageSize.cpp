#include "report/output/screen/ScreenPageSize.h"

#include "report/model/base/Units.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

bool pageSizeFits(long long aWidth, long long aHeight)
{
    return aWidth <= ppMaxPageBitmapSide && aHeight <= ppMaxPageBitmapSide && aWidth * aHeight <= ppMaxPageBitmapPixels;
}

int pageSizeClampInt(double aValue)
{
    return int(std::clamp(aValue, -1e9, 1e9));
}

} // namespace

TppScreenPageSize ppCalcScreenPageSize(const TppScreenPageSizeInput &aInput)
{
    const int ppi = aInput.pixelsPerInch > 0 ? aInput.pixelsPerInch : 96;
    const int q = ppRound(ppi * 0.25);
    const int e = ppRound(ppi * 0.125);
    const int h = ppRound(ppi * 0.5);
    // A page of no size is drawn as one pixel, so the ratios stay defined.
    const double w100 = std::max(aInput.width100, 1);
    const double h100 = std::max(aInput.height100, 1);
    const int sw = std::max(aInput.scrollBoxWidth, 0);
    const int sh = std::max(aInput.scrollBoxHeight, 0);
    const double r = w100 / h100;

    double bitmapWidth = 0;
    double bitmapHeight = 0;
    double pageWidth = 0;
    double pageHeight = 0;
    const TppZoomSettingType setting = aInput.hasViewer ? aInput.zoomSetting : TppZoomSettingType::zs100Percent;
    switch (setting) {
    case TppZoomSettingType::zs100Percent:
        bitmapHeight = h100 + 2 * q;
        bitmapWidth = w100 + 2 * q;
        pageHeight = h100;
        pageWidth = w100;
        break;
    case TppZoomSettingType::zsWholePage:
        bitmapHeight = sh;
        bitmapWidth = sw;
        pageHeight = sh - q;
        pageWidth = ppRound(pageHeight * r);
        if (bitmapWidth > h && bitmapHeight > h) {
            while (bitmapWidth <= pageWidth && pageHeight > 0) {
                pageHeight -= q;
                pageWidth = ppRound(pageHeight * r);
            }
        }
        break;
    case TppZoomSettingType::zsPageWidth:
        pageWidth = sw - 2 * e - ppRound(ppi * 0.1458);
        pageHeight = ppRound(pageWidth / r);
        bitmapHeight = std::max(pageHeight + 2 * e, double(sh));
        bitmapWidth = pageWidth + 2 * e;
        break;
    case TppZoomSettingType::zsPercentage: {
        const double z = std::clamp(aInput.zoomPercentage, 25, 250) / 100.0;
        pageHeight = ppRound(h100 * z);
        pageWidth = ppRound(w100 * z);
        bitmapHeight = std::max(double(sh), pageHeight + 2 * q);
        bitmapWidth = std::max(double(sw), pageWidth + 2 * q);
        break;
    }
    }

    TppScreenPageSize result;
    // A scroll box too small for the margins would leave no page at all.
    pageWidth = std::max(pageWidth, 1.0);
    pageHeight = std::max(pageHeight, 1.0);
    if (!pageSizeFits((long long)std::max(bitmapWidth, pageWidth), (long long)std::max(bitmapHeight, pageHeight))) {
        result.limited = true;
        // The largest scale of the page whose bitmap, with its surround,
        // stays within the limits.
        const double side = ppMaxPageBitmapSide - 2 * q;
        double s = std::min(side / pageWidth, side / pageHeight);
        s = std::min(s, std::sqrt(double(ppMaxPageBitmapPixels) / ((pageWidth + 2 * q) * (pageHeight + 2 * q))));
        pageWidth = std::max(std::floor(pageWidth * s), 1.0);
        pageHeight = std::max(std::floor(pageHeight * s), 1.0);
        bitmapWidth = std::min(std::max(bitmapWidth * s, pageWidth + 2 * q), double(ppMaxPageBitmapSide));
        bitmapHeight = std::min(std::max(bitmapHeight * s, pageHeight + 2 * q), double(ppMaxPageBitmapSide));
        while (!pageSizeFits((long long)bitmapWidth, (long long)bitmapHeight)) {
            bitmapWidth = std::max(std::floor(bitmapWidth * 0.9), 1.0);
            bitmapHeight = std::max(std::floor(bitmapHeight * 0.9), 1.0);
        }
    }
    result.bitmapWidth = std::max(pageSizeClampInt(bitmapWidth), 1);
    result.bitmapHeight = std::max(pageSizeClampInt(bitmapHeight), 1);
    result.pageWidth = pageSizeClampInt(pageWidth);
    result.pageHeight = pageSizeClampInt(pageHeight);
    result.calculatedZoom = ppRound(pageHeight / h100 * 100.0);
    return result;
}

} // namespace report
