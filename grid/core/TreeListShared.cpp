#include "grid/core/TreeListShared.h"

namespace grid {

namespace {

const gfx::ImageList *sharedIndicatorGlyphs = nullptr;

} // namespace

TreeListSharedTimers &SharedTimers()
{
    static TreeListSharedTimers timers;
    return timers;
}

const gfx::ImageList *IndicatorGlyphs()
{
    return sharedIndicatorGlyphs;
}

void SetIndicatorGlyphs(const gfx::ImageList *glyphs)
{
    sharedIndicatorGlyphs = glyphs;
}

} // namespace grid
