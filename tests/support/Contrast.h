#pragma once

// How well one colour reads on another, for tests of drawn text.

#include <QRgb>

#include <algorithm>
#include <cmath>

namespace zvotest {

// The contrast of two colours as the accessibility guidelines measure it: 1
// for the same colour, 21 for black on white; 4.5 reads as body text.
inline double contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb c) {
        const auto linear = [](int v) {
            const double x = v / 255.0;
            return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace zvotest
