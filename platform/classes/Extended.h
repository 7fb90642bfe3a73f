#pragma once

// The 10-byte extended-precision float of the binary form: a 64-bit mantissa
// with an explicit integer bit, then the sign and a 15-bit exponent (bias
// 16383), little-endian. Encoded and decoded bit for bit by our own code, so
// the result does not depend on the host's long double.

#include <array>
#include <cstdint>

namespace classes {

using TExtendedBytes = std::array<uint8_t, 10>;

// Finite values only (the caller refuses NaN and infinities).
TExtendedBytes EncodeExtended(long double value);

// False for encodings that are not a finite number in canonical form:
// infinities, NaNs, unnormals and pseudo-denormals.
bool DecodeExtended(const uint8_t *bytes, long double &value);

} // namespace classes
