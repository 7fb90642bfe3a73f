#pragma once

// Where a column of a report stands across the page: side by side at the
// report's column width from the left margin, or at the left edge the
// report's column positions give. A column that cannot be placed (no
// position for it, or one that is no number) is a print error the report
// handles.

#include <cstdint>

namespace report {

class TppCustomReport;

struct TppColumnPlace
{
    int32_t left = 0;
    // The page width less the right margin.
    int32_t rightLimit = 0;
    bool fits = false;
};

// Column aColumn (from 1); without a page definition nothing fits.
TppColumnPlace ppPlaceColumn(TppCustomReport &aReport, int aColumn);

} // namespace report
