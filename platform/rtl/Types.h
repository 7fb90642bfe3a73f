#pragma once

// Geometry and time types of the class library, shared by every layer.

#include <cstdint>

namespace rtl {

struct TPoint
{
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint &, const TPoint &) = default;
};

struct TSize
{
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize &, const TSize &) = default;
};

// A rectangle whose right and bottom edges are exclusive: width = Right - Left.
struct TRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect &, const TRect &) = default;
};

inline TRect Rect(int left, int top, int right, int bottom)
{
    return TRect{left, top, right, bottom};
}
inline TRect Bounds(int left, int top, int width, int height)
{
    return TRect{left, top, left + width, top + height};
}

// Days since 1899-12-30; the time of day is the fraction.
using TDateTime = double;

// The class library's money type: a 64-bit count of ten-thousandths, so that
// sums of amounts stay exact.
struct Currency
{
    int64_t scaled = 0;
    static constexpr int64_t Scale = 10000;
    long double toExtended() const { return static_cast<long double>(scaled) / Scale; }
    friend bool operator==(const Currency &, const Currency &) = default;
};

} // namespace rtl
