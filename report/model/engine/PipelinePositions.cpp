#include "report/model/engine/PipelinePositions.h"

namespace report {

void TppPipelinePosition::Save(TppDataPipeline &aPipeline)
{
    noRecords = aPipeline.NoRecords();
    lastRecord = aPipeline.LastRecord();
    firstRecord = aPipeline.FirstRecord();
    traversalCount = aPipeline.TraversalCount();
    hasBookmark = false;
    bookmark = 0;
    // A closed pipeline has no record to mark; its end position still
    // brings it back to its last record.
    recordIndex = lastRecord ? aPipeline.RecordIndex() : 0;
    if (aPipeline.GetActive()) {
        bookmark = aPipeline.GetBookmark();
        hasBookmark = bookmark != 0;
        recordIndex = aPipeline.RecordIndex();
    }
}

void TppPipelinePosition::Restore(TppDataPipeline &aPipeline) const
{
    aPipeline.ExcludeRecordPositionFlags(ppNoRecords | ppLastRecord | ppFirstRecord);
    aPipeline.IncludeRecordPositionFlags(TppRecordPositionFlags(
        (noRecords ? ppNoRecords : 0) | (lastRecord ? ppLastRecord : 0) | (firstRecord ? ppFirstRecord : 0)));
    aPipeline.SetTraversalCount(traversalCount);
    if (firstRecord) {
        aPipeline.First();
    } else if (lastRecord) {
        aPipeline.SetRecordIndex(recordIndex);
        aPipeline.Last();
    } else if (hasBookmark && aPipeline.GetActive()) {
        aPipeline.SetRecordIndex(recordIndex);
        aPipeline.GotoBookmark(bookmark);
    }
}

void TppPipelinePosition::FreeBookmark(TppDataPipeline &aPipeline)
{
    if (hasBookmark)
        aPipeline.FreeBookmark(bookmark);
    hasBookmark = false;
    bookmark = 0;
}

} // namespace report
