#pragma once

// Lengths of the report library: every geometric value is an Integer in
// thousandths of a millimetre, converted to the unit a user or a device works
// in only at the edges. The conversions round exactly as stored reports
// expect: one inch is 0.03937 inches per millimetre taken as a single-precision
// value (not 1/25.4), evaluated in the order written, halves to even, so that
// 10 inches are 254001 thousandths and not 254000. A position one unit off
// here breaks pages much later.

#include "report/model/base/Types.h"

#include "platform/rtl/ScopedOverride.h"

#include <cstdint>

namespace report {

enum class TppAxisType : uint8_t { atHorizontal, atVertical };

// What the conversions need of a printer: its resolution on each axis.
class PrinterResolution
{
public:
    virtual int pixelsPerInch(TppAxisType axis) const = 0;

protected:
    ~PrinterResolution() = default;
};

// The screen's pixels per inch (one value for both axes): the primary
// screen's logical resolution, 96 without a screen (offscreen or headless).
int ppScreenPixelsPerInch();

// Pins the screen resolution for a scope (tests); a value of 0 or less
// stands for 96. Conversions ask for the resolution all the time, so the
// override is looked at only while one is in place.
class ScopedScreenPixelsPerInch
{
public:
    explicit ScopedScreenPixelsPerInch(int pixelsPerInch);
    ~ScopedScreenPixelsPerInch();
    ScopedScreenPixelsPerInch(const ScopedScreenPixelsPerInch &) = delete;
    ScopedScreenPixelsPerInch &operator=(const ScopedScreenPixelsPerInch &) = delete;

    using Override = rtl::ScopedOverride<struct ScreenPixelsPerInchTag, int>;

private:
    Override m_override;
};

// Round to the nearest Integer, halves to even; NaN gives 0 and values beyond
// the Integer range give its nearest end, so that no stored value can make a
// conversion raise.
int32_t ppRound(double value);

// aPrinter supplies the resolution of printer pixels; without one they use
// the screen resolution. A unit outside the five gives 0.
float ppFromMMThousandths(int32_t aValue, TppUnitType aUnits, TppAxisType aAxis,
                          const PrinterResolution *aPrinter = nullptr);
int32_t ppToMMThousandths(float aValue, TppUnitType aUnits, TppAxisType aAxis,
                          const PrinterResolution *aPrinter = nullptr);

// The same through screen pixels: the value goes to thousandths first and on
// from there; towards screen pixels the result is rounded.
float ppFromScreenPixels(int32_t aValue, TppUnitType aUnits, TppAxisType aAxis,
                         const PrinterResolution *aPrinter = nullptr);
int32_t ppToScreenPixels(float aValue, TppUnitType aUnits, TppAxisType aAxis,
                         const PrinterResolution *aPrinter = nullptr);

// Tenths of a millimetre, the unit of the printer's paper sizes. Inches pass
// through screen pixels, so they move in steps of one screen pixel.
float ppFromTenthMillimeters(int32_t aValue, TppUnitType aUnits, TppAxisType aAxis,
                             const PrinterResolution *aPrinter = nullptr);
int32_t ppToTenthMillimeters(float aValue, TppUnitType aUnits, TppAxisType aAxis,
                             const PrinterResolution *aPrinter = nullptr);

} // namespace report
