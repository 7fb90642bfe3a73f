#pragma once

// What the engine keeps of each page in the cache, so that a later request
// can build the page again from where generation stood when it began: the
// band state and index, the due band kinds, the band counter, the engine
// state, the end of the data, and the main pipeline's record as a bookmark.
// The bookmarks stay taken until the run is discarded.

#include <cstdint>
#include <optional>
#include <vector>

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
    // The main pipeline's record at the page start; 0 for none.
    int32_t bookmark = 0;
};

class TppEnginePageCache
{
public:
    static int32_t RecordSize();

    void Save(TppCustomEngine &aEngine, int32_t aPageIndex, const TppEnginePageState &aState,
              TppDataPipeline *aMainPipeline);
    // Puts the engine base back where the page began; nothing for a page
    // without a record. The pass that runs is kept: a second pass that goes
    // back to a page stays the second pass.
    static std::optional<TppEnginePageState> Restore(TppCustomEngine &aEngine, int32_t aPageIndex);
    void FreeBookmarks(TppDataPipeline *aMainPipeline);
    // The pipeline went, and its bookmarks with it.
    void PipelineGone() { m_bookmarks.clear(); }

private:
    std::vector<int32_t> m_bookmarks;
};

} // namespace report
