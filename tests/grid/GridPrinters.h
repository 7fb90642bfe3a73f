#pragma once

// How the grid tests' failure messages show texts, rectangles and mask texts.

#include "grid/core/MaskEditing.h"

#include "platform/rtl/Types.h"

#include <QString>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace rtl {
inline void PrintTo(const TRect &r, std::ostream *os)
{
    *os << "(" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ")";
}
} // namespace rtl

namespace grid {
inline void PrintTo(const MaskEditText &e, std::ostream *os)
{
    *os << '"' << e.text.toStdString() << "\" " << e.selStart << "+" << e.selLength;
}
} // namespace grid
