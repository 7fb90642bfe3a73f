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
    TppPipelinePosition mainPosition;
    TppPipelinePosition detailPosition;
    uint8_t dataExhausted;
    uint8_t traversalPending;
    uint8_t mainTraversed;
    uint8_t detailTraversed;
    uint8_t advancedAtColumnEnd;
    uint8_t lastColumnStarted;
};
static_assert(sizeof(EnginePageCacheRecord) == 60);

} // namespace

int32_t TppEnginePageCache::RecordSize()
{
    return int32_t(sizeof(EnginePageCacheRecord));
}

void TppEnginePageCache::Save(TppCustomEngine &aEngine, int32_t aPageIndex, const TppEnginePageState &aState,
                              TppDataPipeline *aMainPipeline, TppDataPipeline *aDetailPipeline,
                              const TppPipelinePosition *aMainPosition, const TppPipelinePosition *aDetailPosition)
{
    EnginePageCacheRecord record{};
    record.bandState = aState.bandState;
    record.bandIndex = aState.bandIndex;
    record.dueBands = aEngine.DueBands();
    record.reportBandCount = aEngine.ReportBandCount();
    record.engineState = aEngine.EngineState();
    record.dataExhausted = aState.dataExhausted;
    record.traversalPending = aState.traversalPending;
    record.mainTraversed = aState.mainTraversed;
    record.detailTraversed = aState.detailTraversed;
    record.advancedAtColumnEnd = aState.advancedAtColumnEnd;
    record.lastColumnStarted = aState.lastColumnStarted;
    if (aMainPosition)
        record.mainPosition = *aMainPosition;
    else if (aMainPipeline)
        record.mainPosition.Save(*aMainPipeline);
    if (aDetailPosition)
        record.detailPosition = *aDetailPosition;
    else if (aDetailPipeline)
        record.detailPosition.Save(*aDetailPipeline);
    keep(m_main, aMainPipeline, aPageIndex, record.mainPosition);
    keep(m_detail, aDetailPipeline, aPageIndex, record.detailPosition);
    aEngine.WriteCacheRecord(aPageIndex, &record);
}

void TppEnginePageCache::keep(Kept &aKept, TppDataPipeline *aPipeline, int32_t aPageIndex,
                              const TppPipelinePosition &aPosition)
{
    // The new one first: a page saved again with the same position keeps it.
    if (aPosition.hasBookmark)
        ++aKept.holders[aPosition.bookmark];
    const auto old = aKept.pageBookmark.find(aPageIndex);
    if (old != aKept.pageBookmark.end()) {
        const auto holders = aKept.holders.find(old->second);
        if (holders != aKept.holders.end() && --holders->second == 0) {
            if (aPipeline)
                aPipeline->FreeBookmark(holders->first);
            aKept.holders.erase(holders);
        }
        aKept.pageBookmark.erase(old);
    }
    if (aPosition.hasBookmark)
        aKept.pageBookmark[aPageIndex] = aPosition.bookmark;
}

void TppEnginePageCache::freeAll(Kept &aKept, TppDataPipeline *aPipeline)
{
    if (aPipeline)
        for (const auto &[bookmark, holders] : aKept.holders)
            aPipeline->FreeBookmark(bookmark);
    aKept.holders.clear();
    aKept.pageBookmark.clear();
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
    state.mainTraversed = record.mainTraversed != 0;
    state.detailTraversed = record.detailTraversed != 0;
    state.advancedAtColumnEnd = record.advancedAtColumnEnd != 0;
    state.lastColumnStarted = record.lastColumnStarted != 0;
    state.mainPosition = record.mainPosition;
    state.detailPosition = record.detailPosition;
    return state;
}

void TppEnginePageCache::RestorePositions(const TppEnginePageState &aState, TppDataPipeline *aMainPipeline,
                                          TppDataPipeline *aDetailPipeline)
{
    if (aMainPipeline)
        aState.mainPosition.Restore(*aMainPipeline);
    if (aDetailPipeline)
        aState.detailPosition.Restore(*aDetailPipeline);
}

void TppEnginePageCache::FreeBookmarks(TppDataPipeline *aMainPipeline, TppDataPipeline *aDetailPipeline)
{
    freeAll(m_main, aMainPipeline);
    freeAll(m_detail, aDetailPipeline);
    m_main.released = false;
    m_detail.released = false;
}

void TppEnginePageCache::ReleaseBookmarks(TppDataPipeline &aPipeline, bool aDetail)
{
    Kept &kept = aDetail ? m_detail : m_main;
    freeAll(kept, &aPipeline);
    kept.released = true;
}

void TppEnginePageCache::ForgetReleased(TppPipelinePosition &aMainPosition, TppPipelinePosition &aDetailPosition) const
{
    for (auto [released, position] :
         {std::pair{m_main.released, &aMainPosition}, {m_detail.released, &aDetailPosition}})
        if (released) {
            position->hasBookmark = false;
            position->bookmark = 0;
        }
}

} // namespace report
