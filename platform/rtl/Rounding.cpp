#include "platform/rtl/Rounding.h"

#include "platform/rtl/Exceptions.h"

#include <cmath>
#include <limits>

namespace rtl {

namespace {

double roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

} // namespace

int32_t Round(double value)
{
    if (std::isnan(value))
        throw ERangeError();
    const double r = roundHalfEven(value);
    if (r < double(std::numeric_limits<int32_t>::min()) || r > double(std::numeric_limits<int32_t>::max()))
        throw ERangeError();
    return int32_t(r);
}

int64_t Round64(double value)
{
    if (std::isnan(value))
        throw ERangeError();
    const double r = roundHalfEven(value);
    // 2^63 is exactly representable; anything at or above it does not fit.
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0)
        throw ERangeError();
    return int64_t(r);
}

int32_t Trunc(double value)
{
    if (std::isnan(value))
        throw ERangeError();
    const double t = std::trunc(value);
    if (t < double(std::numeric_limits<int32_t>::min()) || t > double(std::numeric_limits<int32_t>::max()))
        throw ERangeError();
    return int32_t(t);
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * int64_t(b);
    int64_t q = product / c;
    const int64_t r = product % c;
    // Round half away from zero.
    if (r != 0 && 2 * (r < 0 ? -r : r) >= (c < 0 ? -int64_t(c) : int64_t(c)))
        q += ((product < 0) != (c < 0)) ? -1 : 1;
    if (q < std::numeric_limits<int32_t>::min() || q > std::numeric_limits<int32_t>::max())
        return -1;
    return int32_t(q);
}

} // namespace rtl
