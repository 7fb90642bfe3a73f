// The lenient number reader on any bytes: it must never fail or yield NaN,
// and a text that is one plain decimal number must read exactly as the C
// library (in the "C" locale) reads it.

#include "foundation/MyUtilities.h"
#include "fuzz/TextReference.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace foundation;

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Blanks, sign, digits with an optional point (a digit somewhere), and an
// optional exponent with digits, and nothing else.
bool isPlainNumber(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.')
        ++i;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t exponentDigits = 0;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == s.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const double value = StrToNumber(text);
    if (std::isnan(value))
        textref::mismatch("NaN");
    if (isPlainNumber(text)) {
        const std::string copy(text);
        const double expected = std::strtod(copy.c_str(), nullptr);
        if (value != expected)
            textref::mismatch("StrToNumber differs from strtod");
    }
    return 0;
}
