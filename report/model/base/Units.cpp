#include "report/model/base/Units.h"

#include "platform/rtl/Rounding.h"

#include <QGuiApplication>
#include <QScreen>

#include <atomic>
#include <cmath>
#include <limits>
#include <optional>

namespace report {

namespace {

// Promoted from single precision on purpose: stored reports were laid out
// with exactly this value.
constexpr float InchPerMM = 0.03937f;
constexpr double Inch = double(InchPerMM);

// 0 while the screen has not been asked; then the first answer from a screen.
std::atomic<int> g_screenPixelsPerInch{0};
// How many overrides are in place.
std::atomic<int> g_overrides{0};

int screenPixelsPerInchSlow()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 96;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96;
    const int ppi = qRound(screen->logicalDotsPerInch());
    if (ppi <= 0)
        return 96;
    int expected = 0;
    g_screenPixelsPerInch.compare_exchange_strong(expected, ppi, std::memory_order_relaxed);
    return g_screenPixelsPerInch.load(std::memory_order_relaxed);
}

int printerPixelsPerInch(TppAxisType axis, const PrinterResolution *printer)
{
    if (printer) {
        const int ppi = printer->pixelsPerInch(axis);
        if (ppi > 0)
            return ppi;
    }
    return ppScreenPixelsPerInch();
}

int32_t saturate(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

} // namespace

int ppScreenPixelsPerInch()
{
    if (g_overrides.load(std::memory_order_acquire) > 0)
        if (const std::optional<int> ppi = ScopedScreenPixelsPerInch::Override::current())
            return *ppi;
    const int ppi = g_screenPixelsPerInch.load(std::memory_order_relaxed);
    return ppi ? ppi : screenPixelsPerInchSlow();
}

ScopedScreenPixelsPerInch::ScopedScreenPixelsPerInch(int pixelsPerInch)
    : m_override(pixelsPerInch > 0 ? pixelsPerInch : 96)
{
    g_overrides.fetch_add(1, std::memory_order_release);
}

ScopedScreenPixelsPerInch::~ScopedScreenPixelsPerInch()
{
    g_overrides.fetch_sub(1, std::memory_order_release);
}

int32_t ppRound(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (value <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return rtl::Round(value);
}

float ppFromMMThousandths(int32_t aValue, TppUnitType aUnits, TppAxisType aAxis, const PrinterResolution *aPrinter)
{
    const double mm = aValue / 1000.0;
    switch (aUnits) {
    case TppUnitType::utScreenPixels: return float(ppRound(mm * Inch * ppScreenPixelsPerInch()));
    case TppUnitType::utInches: return float(ppRound(mm * Inch * 10000.0) / 10000.0);
    case TppUnitType::utMillimeters: return float(mm);
    case TppUnitType::utPrinterPixels: return float(ppRound(mm * Inch * printerPixelsPerInch(aAxis, aPrinter)));
    case TppUnitType::utMMThousandths: return float(aValue);
    }
    return 0.0f;
}

int32_t ppToMMThousandths(float aValue, TppUnitType aUnits, TppAxisType aAxis, const PrinterResolution *aPrinter)
{
    const double x = aValue;
    switch (aUnits) {
    case TppUnitType::utScreenPixels: return ppRound(x / ppScreenPixelsPerInch() / Inch * 1000.0);
    case TppUnitType::utInches: return ppRound(x / Inch * 1000.0);
    case TppUnitType::utMillimeters: return ppRound(x * 1000.0);
    case TppUnitType::utPrinterPixels: return ppRound(x / printerPixelsPerInch(aAxis, aPrinter) / Inch * 1000.0);
    case TppUnitType::utMMThousandths: return ppRound(x);
    }
    return 0;
}

float ppFromScreenPixels(int32_t aValue, TppUnitType aUnits, TppAxisType aAxis, const PrinterResolution *aPrinter)
{
    const int32_t mm = ppToMMThousandths(float(aValue), TppUnitType::utScreenPixels, aAxis);
    return ppFromMMThousandths(mm, aUnits, aAxis, aPrinter);
}

int32_t ppToScreenPixels(float aValue, TppUnitType aUnits, TppAxisType aAxis, const PrinterResolution *aPrinter)
{
    const int32_t mm = ppToMMThousandths(aValue, aUnits, aAxis, aPrinter);
    return ppRound(ppFromMMThousandths(mm, TppUnitType::utScreenPixels, aAxis));
}

float ppFromTenthMillimeters(int32_t aValue, TppUnitType aUnits, TppAxisType aAxis, const PrinterResolution *aPrinter)
{
    const int32_t mm = saturate(int64_t(aValue) * 100);
    switch (aUnits) {
    case TppUnitType::utScreenPixels:
    case TppUnitType::utPrinterPixels: return ppFromMMThousandths(mm, aUnits, aAxis, aPrinter);
    case TppUnitType::utInches: {
        const float pixels = ppFromMMThousandths(mm, TppUnitType::utScreenPixels, aAxis);
        return ppFromScreenPixels(int32_t(pixels), TppUnitType::utInches, aAxis);
    }
    case TppUnitType::utMillimeters: return float(ppRound(aValue / 10.0));
    case TppUnitType::utMMThousandths: return float(mm);
    }
    return 0.0f;
}

int32_t ppToTenthMillimeters(float aValue, TppUnitType aUnits, TppAxisType aAxis, const PrinterResolution *aPrinter)
{
    switch (aUnits) {
    case TppUnitType::utScreenPixels:
    case TppUnitType::utPrinterPixels: return ppToMMThousandths(aValue, aUnits, aAxis, aPrinter) / 100;
    case TppUnitType::utInches: {
        const int32_t pixels = ppToScreenPixels(aValue, TppUnitType::utInches, aAxis);
        return ppToMMThousandths(float(pixels), TppUnitType::utScreenPixels, aAxis) / 100;
    }
    case TppUnitType::utMillimeters: return ppRound(double(aValue) * 10.0);
    case TppUnitType::utMMThousandths: return ppRound(double(aValue) / 100.0);
    }
    return 0;
}

} // namespace report
