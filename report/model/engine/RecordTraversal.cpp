#include "report/model/engine/RecordTraversal.h"

#include "report/model/data/DataPipeline.h"
#include "report/model/groups/Group.h"
#include "report/model/reports/CustomReport.h"

namespace report {

int ppTraverseRecord(TppCustomReport &aReport, TppDataPipeline *aMainPipeline, TppDataPipeline *aDetailPipeline)
{
    if (aMainPipeline && aDetailPipeline) {
        aDetailPipeline->Next();
        if (aDetailPipeline->Eof()) {
            aMainPipeline->Next();
            if (!aMainPipeline->Eof())
                aDetailPipeline->First();
        }
    } else if (aMainPipeline) {
        aMainPipeline->Next();
    }
    const int count = aReport.GroupCount();
    const bool atEnd = aMainPipeline && aMainPipeline->Eof();
    int broken = count;
    for (int i = count - 1; i >= 0; --i)
        if (aReport.Groups(i)->CheckForBreak() || atEnd)
            broken = i;
    if (broken >= count)
        return count;
    for (int i = broken; i < count; ++i)
        if (!aReport.Groups(i)->Breaking())
            aReport.Groups(i)->MarkBroken();
    return broken;
}

} // namespace report
