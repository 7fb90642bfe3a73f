#include "report/model/reports/CustomReport.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/Component.h"
#include "report/model/groups/Group.h"
#include "report/model/outline/OutlineParticipant.h"

namespace report {

namespace {

void reportOutlineSubReports(const TppBand *aBand, std::vector<TppCommunicator *> &aList)
{
    for (int i = 0; aBand && i < aBand->ObjectCount(); ++i)
        if (TppComponent *object = aBand->Objects(i); object && object->IsSubReport())
            aList.push_back(object);
}

} // namespace

void TppCustomReport::GetOutlineParticipants(std::vector<TppCommunicator *> &aList) const
{
    const TppBand *detail = GetBand(4);
    int index = 0;
    for (; index < BandCount() && Bands(index) != detail; ++index)
        reportOutlineSubReports(Bands(index), aList);
    if (GroupCount() > 0)
        aList.push_back(Groups(0));
    else
        reportOutlineSubReports(detail, aList);
    for (++index; index < BandCount(); ++index)
        reportOutlineSubReports(Bands(index), aList);
}

TppCommunicator *TppCustomReport::FindParentParticipant(TppCommunicator *aRoot, TppCommunicator *aParticipant)
{
    return ppFindParentParticipant(aRoot, aParticipant);
}

} // namespace report
