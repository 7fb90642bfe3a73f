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

void pageCacheSavePosition(TppPipelinePosition &aPosition, TppDataPipeline *aPipeline, std::vector<int32_t> &aBookmarks)
{
    if (!aPipeline)
        return;
    aPosition.Save(*aPipeline);
    if (aPosition.hasBookmark)
        aBookmarks.push_back(aPosition.bookmark);
}

void pageCacheFreeBookmarks(TppDataPipeline *aPipeline, std::vector<int32_t> &aBookmarks)
{
    if (aPipeline)
        for (int32_t bookmark : aBookmarks)
            aPipeline->FreeBookmark(bookmark);
    aBookmarks.clear();
}

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
    else
        pageCacheSavePosition(record.mainPosition, aMainPipeline, m_bookmarks);
    if (aDetailPosition)
        record.detailPosition = *aDetailPosition;
    else
        pageCacheSavePosition(record.detailPosition, aDetailPipeline, m_detailBookmarks);
    aEngine.WriteCacheRecord(aPageIndex, &record);
}

void TppEnginePageCache::Adopt(const TppPipelinePosition &aPosition, bool aDetail)
{
    if (aPosition.hasBookmark)
        (aDetail ? m_detailBookmarks : m_bookmarks).push_back(aPosition.bookmark);
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
    pageCacheFreeBookmarks(aMainPipeline, m_bookmarks);
    pageCacheFreeBookmarks(aDetailPipeline, m_detailBookmarks);
    m_mainReleased = false;
    m_detailReleased = false;
}

void TppEnginePageCache::ReleaseBookmarks(TppDataPipeline &aPipeline, bool aDetail)
{
    pageCacheFreeBookmarks(&aPipeline, aDetail ? m_detailBookmarks : m_bookmarks);
    (aDetail ? m_detailReleased : m_mainReleased) = true;
}

void TppEnginePageCache::ForgetReleased(TppEnginePageState &aState) const
{
    for (auto [released, position] : {std::pair{m_mainReleased, &aState.mainPosition},
                                      std::pair{m_detailReleased, &aState.detailPosition}})
        if (released) {
            position->hasBookmark = false;
            position->bookmark = 0;
        }
}

} // namespace report
