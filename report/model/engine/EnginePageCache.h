#pragma once

// What the engine keeps of each page in the cache, so that a later request
// can build the page again from where generation stood when it began: the
// band state and index, the due band kinds, the band counter, the engine
// state, the end of the data, which pipelines the run walks, and where the
// main pipeline and the detail band's own pipeline stood. The bookmarks stay
// taken until the run is discarded.

#include "report/model/engine/PipelinePositions.h"

#include <cstdint>
#include <map>
#include <optional>

namespace report {

class TppCustomEngine;
class TppDataPipeline;

// The engine's own part of a page's record; the rest the engine base holds.
struct TppEnginePageState
{
    int bandState = 0;
    int bandIndex = 0;
    bool dataExhausted = false;
    bool traversalPending = false;
    bool mainTraversed = false;
    bool detailTraversed = false;
    bool advancedAtColumnEnd = false;
    bool lastColumnStarted = false;
    TppPipelinePosition mainPosition{};
    TppPipelinePosition detailPosition{};
};

class TppEnginePageCache
{
public:
    static int32_t RecordSize();

    // Takes the pipelines' positions itself, except those given (a child
    // report's, where its last page ended). Either way the cache then owns
    // the bookmarks: a bookmark goes when no page's record holds it any
    // more, as when a page made again replaces its record.
    void Save(TppCustomEngine &aEngine, int32_t aPageIndex, const TppEnginePageState &aState,
              TppDataPipeline *aMainPipeline, TppDataPipeline *aDetailPipeline,
              const TppPipelinePosition *aMainPosition = nullptr, const TppPipelinePosition *aDetailPosition = nullptr);
    // Puts the engine base back where the page began; nothing for a page
    // without a record. The pass that runs is kept: a second pass that goes
    // back to a page stays the second pass.
    static std::optional<TppEnginePageState> Restore(TppCustomEngine &aEngine, int32_t aPageIndex);
    // Main first: a linked detail pipeline follows the main record.
    static void RestorePositions(const TppEnginePageState &aState, TppDataPipeline *aMainPipeline,
                                 TppDataPipeline *aDetailPipeline);
    void FreeBookmarks(TppDataPipeline *aMainPipeline, TppDataPipeline *aDetailPipeline);
    // The pipeline closed: its bookmarks are freed now, and the pages
    // already cached find their records of it again without them.
    void ReleaseBookmarks(TppDataPipeline &aPipeline, bool aDetail);
    // Strips the released bookmarks from a page's positions.
    void ForgetReleased(TppPipelinePosition &aMainPosition, TppPipelinePosition &aDetailPosition) const;
    // The pipeline went, and its bookmarks with it.
    void MainPipelineGone() { m_main = {}; }
    void DetailPipelineGone() { m_detail = {}; }

private:
    // The bookmarks of one pipeline: which page's record holds which, and
    // how many records hold each (a child's position stands in the records
    // of every page until its subreport asks again).
    struct Kept
    {
        std::map<int32_t, int32_t> pageBookmark;
        std::map<int32_t, int> holders;
        bool released = false;
    };
    static void keep(Kept &aKept, TppDataPipeline *aPipeline, int32_t aPageIndex, const TppPipelinePosition &aPosition);
    static void freeAll(Kept &aKept, TppDataPipeline *aPipeline);
    Kept m_main;
    Kept m_detail;
};

} // namespace report
