#pragma once

#include <cstdint>

namespace rtl {

// Rounds to the nearest signed 32-bit integer, halves to the even neighbour.
// Raises ERangeError for NaN and for values outside the range.
int32_t Round(double value);

// The same into 64 bits (used where sums of counts must not overflow).
int64_t Round64(double value);

// Truncation toward zero into 32 bits; ERangeError outside the range.
int32_t Trunc(double value);

// a * b / c with a 64-bit intermediate, rounded half away from zero as the
// platform's MulDiv does; -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

} // namespace rtl
