#pragma once

// Where a pipeline stood at a page end, kept in the engine's page record so
// that a page can be made again without the pages before it. Plain data:
// the cache stores it byte for byte.

#include "report/model/data/DataPipeline.h"

#include <cstdint>

namespace report {

struct TppPipelinePosition
{
    uint8_t noRecords;
    uint8_t lastRecord;
    uint8_t firstRecord;
    uint8_t hasBookmark;
    int32_t traversalCount;
    TppBookmark bookmark;
    int32_t recordIndex;

    // Takes a fresh bookmark from an open pipeline; the caller frees it.
    void Save(TppDataPipeline &aPipeline);
    void Restore(TppDataPipeline &aPipeline) const;
    void FreeBookmark(TppDataPipeline &aPipeline);
};

} // namespace report
