#pragma once

// One step through a report's data: the main pipeline moves to its next
// record or, when the detail band has a pipeline of its own, the detail
// records of one main record come first and then the next main record with
// its details. The groups that break on the new record are marked, from
// the outermost that breaks inward; every group breaks at the end of data.

namespace report {

class TppCustomReport;
class TppDataPipeline;

// The index of the outermost group that broke; the group count when none did.
int ppTraverseRecord(TppCustomReport &aReport, TppDataPipeline *aMainPipeline, TppDataPipeline *aDetailPipeline);

} // namespace report
