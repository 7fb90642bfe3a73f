#include "report/model/engine/EnginePageCache.h"

#include "report/model/data/DataPipeline.h"
#include "report/model/engine/CustomEngine.h"

namespace report {

namespace {

struct EnginePageCacheRecord
{
    int32_t bandState;
    int32_t bandIndex;
    int32_t dueBands;
    int32_t reportBandCount;
    int32_t engineState;
    int32_t bookmark;
    uint8_t dataExhausted;
    uint8_t traversalPending;
    uint8_t padding[2];
};
static_assert(sizeof(EnginePageCacheRecord) == 28);

} // namespace

int32_t TppEnginePageCache::RecordSize()
{
    return int32_t(sizeof(EnginePageCacheRecord));
}

void TppEnginePageCache::Save(TppCustomEngine &aEngine, int32_t aPageIndex, const TppEnginePageState &aState,
                              TppDataPipeline *aMainPipeline)
{
    EnginePageCacheRecord record{};
    record.bandState = aState.bandState;
    record.bandIndex = aState.bandIndex;
    record.dueBands = aEngine.DueBands();
    record.reportBandCount = aEngine.ReportBandCount();
    record.engineState = aEngine.EngineState();
    record.dataExhausted = aState.dataExhausted;
    record.traversalPending = aState.traversalPending;
    if (aMainPipeline && aMainPipeline->GetActive()) {
        record.bookmark = aMainPipeline->GetBookmark();
        m_bookmarks.push_back(record.bookmark);
    }
    aEngine.WriteCacheRecord(aPageIndex, &record);
}

std::optional<TppEnginePageState> TppEnginePageCache::Restore(TppCustomEngine &aEngine, int32_t aPageIndex)
{
    EnginePageCacheRecord record{};
    record.bandState = -1;
    aEngine.ReadCacheRecord(aPageIndex, &record);
    if (record.bandState < 0)
        return std::nullopt;
    aEngine.SetDueBands(record.dueBands);
    aEngine.SetReportBandCount(record.reportBandCount);
    const int passBits = ppEngineState::FirstPass | ppEngineState::SecondPass;
    aEngine.ExcludeEngineState(0xFFFF & ~passBits);
    aEngine.IncludeEngineState(record.engineState & ~passBits);
    TppEnginePageState state;
    state.bandState = record.bandState;
    state.bandIndex = record.bandIndex;
    state.dataExhausted = record.dataExhausted != 0;
    state.traversalPending = record.traversalPending != 0;
    state.bookmark = record.bookmark;
    return state;
}

void TppEnginePageCache::FreeBookmarks(TppDataPipeline *aMainPipeline)
{
    if (aMainPipeline)
        for (int32_t bookmark : m_bookmarks)
            aMainPipeline->FreeBookmark(bookmark);
    m_bookmarks.clear();
}

} // namespace report
