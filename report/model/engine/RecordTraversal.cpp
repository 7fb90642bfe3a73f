#include "report/model/engine/RecordTraversal.h"

#include "report/model/data/DataPipeline.h"
#include "report/model/groups/Group.h"
#include "report/model/reports/CustomReport.h"

#include <memory>
#include <utility>
#include <vector>

namespace report {

int ppTraverseRecord(TppCustomReport &aReport, TppDataPipeline *aMainPipeline, TppDataPipeline *aDetailPipeline)
{
    // The pipelines' handlers (OnNext, OnFirst) may free either of them,
    // or the report: then there is nothing left to break.
    const std::weak_ptr<char> reportAlive = aReport.AliveToken();
    const std::weak_ptr<char> mainAlive = aMainPipeline ? aMainPipeline->AliveToken() : std::weak_ptr<char>();
    const std::weak_ptr<char> detailAlive = aDetailPipeline ? aDetailPipeline->AliveToken() : std::weak_ptr<char>();
    const auto mainNow = [&] { return mainAlive.expired() ? nullptr : aMainPipeline; };
    const auto detailNow = [&] { return detailAlive.expired() ? nullptr : aDetailPipeline; };
    if (mainNow() && detailNow()) {
        aDetailPipeline->Next();
        if (detailNow() && mainNow() && aDetailPipeline->Eof()) {
            aMainPipeline->Next();
            if (mainNow() && detailNow() && !aMainPipeline->Eof())
                aDetailPipeline->First();
        }
    } else if (mainNow()) {
        aMainPipeline->Next();
    }
    if (reportAlive.expired())
        return 0;
    // A group's handlers may free it or another group: each is asked by
    // its token, and the first that broke is found again in the list.
    std::vector<std::pair<TppGroup *, std::weak_ptr<char>>> groups;
    for (int i = 0; i < aReport.GroupCount(); ++i)
        groups.emplace_back(aReport.Groups(i), aReport.Groups(i)->AliveToken());
    const bool atEnd = mainNow() && aMainPipeline->Eof();
    size_t broken = groups.size();
    for (size_t i = groups.size(); i-- > 0;) {
        if (groups[i].second.expired())
            continue;
        const bool breaks = groups[i].first->CheckForBreak();
        if ((breaks || atEnd) && !groups[i].second.expired())
            broken = i;
    }
    for (size_t i = broken; i < groups.size(); ++i)
        if (!groups[i].second.expired() && !groups[i].first->Breaking())
            groups[i].first->MarkBroken();
    if (broken < groups.size() && !groups[broken].second.expired())
        return aReport.IndexOfGroup(groups[broken].first);
    return aReport.GroupCount();
}

} // namespace report
