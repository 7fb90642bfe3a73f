#include "platform/classes/Extended.h"

#include <cmath>

namespace classes {

namespace {

constexpr int Bias = 16383;
constexpr int MaxExponent = 0x7FFF;
// A denormal's value is its mantissa times 2^(1 - Bias - 63).
constexpr int DenormalShift = Bias - 1 + 63;

} // namespace

TExtendedBytes EncodeExtended(long double value)
{
    const bool negative = std::signbit(value);
    const long double magnitude = negative ? -value : value;
    uint64_t mantissa = 0;
    int exponent = 0;
    if (magnitude != 0) {
        int e = 0;
        const long double fraction = std::frexp(magnitude, &e); // magnitude = fraction * 2^e, fraction in [0.5, 1)
        exponent = e - 1 + Bias;
        if (exponent >= 1) {
            mantissa = uint64_t(std::ldexp(fraction, 64));
        } else {
            exponent = 0;
            mantissa = uint64_t(std::ldexp(magnitude, DenormalShift));
        }
    }
    TExtendedBytes bytes{};
    for (int i = 0; i < 8; ++i)
        bytes[size_t(i)] = uint8_t(mantissa >> (8 * i));
    const unsigned signExponent = unsigned(exponent) | (negative ? 0x8000u : 0u);
    bytes[8] = uint8_t(signExponent);
    bytes[9] = uint8_t(signExponent >> 8);
    return bytes;
}

bool DecodeExtended(const uint8_t *bytes, long double &value)
{
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | bytes[i];
    const unsigned signExponent = unsigned(bytes[8]) | (unsigned(bytes[9]) << 8);
    const int exponent = int(signExponent & 0x7FFF);
    const bool integerBit = (mantissa >> 63) != 0;
    if (exponent == MaxExponent)
        return false;
    long double magnitude = 0;
    if (exponent == 0) {
        if (integerBit)
            return false;
        magnitude = std::ldexp(static_cast<long double>(mantissa), -DenormalShift);
    } else {
        if (!integerBit)
            return false;
        magnitude = std::ldexp(static_cast<long double>(mantissa), exponent - Bias - 63);
    }
    value = (signExponent & 0x8000) ? -magnitude : magnitude;
    return true;
}

} // namespace classes
