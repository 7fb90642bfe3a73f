#include "app/MyConstants.h"

namespace app {

int ColorScaleStepForTotal(int64_t total)
{
    for (int step = 0; step < ColorScaleStepCount; ++step) {
        if (ColorScaleThresholds[std::size_t(step)] > total)
            return step;
    }
    return -1;
}

} // namespace app
