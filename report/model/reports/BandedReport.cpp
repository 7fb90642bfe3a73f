#include "report/model/reports/BandedReport.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppBandedReport::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppBandedReport, TppCustomReport>("TppBandedReport", [](auto &) {});
    return meta;
}

TppBandedReport::TppBandedReport(classes::TComponent *aOwner)
    : TppCustomReport(aOwner)
{}

TppHeaderBand *TppBandedReport::GetHeaderBand() const
{
    return static_cast<TppHeaderBand *>(GetBand(0));
}

TppTitleBand *TppBandedReport::GetTitleBand() const
{
    return static_cast<TppTitleBand *>(GetBand(1));
}

TppColumnHeaderBand *TppBandedReport::GetColumnHeaderBand() const
{
    return static_cast<TppColumnHeaderBand *>(GetBand(2));
}

TppDetailBand *TppBandedReport::GetDetailBand()
{
    if (!GetBand(4))
        CreateBand(4);
    return static_cast<TppDetailBand *>(GetBand(4));
}

TppSummaryBand *TppBandedReport::GetSummaryBand() const
{
    return static_cast<TppSummaryBand *>(GetBand(7));
}

TppColumnFooterBand *TppBandedReport::GetColumnFooterBand() const
{
    return static_cast<TppColumnFooterBand *>(GetBand(6));
}

TppFooterBand *TppBandedReport::GetFooterBand() const
{
    return static_cast<TppFooterBand *>(GetBand(8));
}

TppGroupHeaderBand *TppBandedReport::GetGroupHeaderBand(int aIndex) const
{
    return static_cast<TppGroupHeaderBand *>(GetBand(3, aIndex));
}

TppGroupFooterBand *TppBandedReport::GetGroupFooterBand(int aIndex) const
{
    return static_cast<TppGroupFooterBand *>(GetBand(5, aIndex));
}

TppBand *TppBandedReport::CreateBand(int aKind, int aGroupIndex)
{
    const classes::TMetaClass *meta = BandClass(aKind);
    if (!meta || GetBand(aKind, aGroupIndex))
        return nullptr;
    const bool groupBand = aKind == 3 || aKind == 5;
    if (groupBand && (aGroupIndex < 0 || aGroupIndex >= GroupCount()))
        return nullptr;
    auto *band = dynamic_cast<TppBand *>(ppCreateComponent(*meta, this));
    if (!band)
        return nullptr;
    if (auto *group = dynamic_cast<TppGroupBand *>(band))
        group->SetGroup(Groups(aGroupIndex));
    else
        band->SetReport(this);
    return band;
}

void TppBandedReport::CreateDefaultBands()
{
    if (BandCount() == 0)
        TppCustomReport::CreateDefaultBands();
    if (!GetBand(4))
        CreateBand(4);
    for (int i = 0; i < GroupCount(); ++i) {
        if (!GetBand(3, i))
            CreateBand(3, i);
        if (!GetBand(5, i))
            CreateBand(5, i);
    }
}

void TppBandedReport::StartJob()
{
    CreateDefaultBands();
    TppCustomReport::StartJob();
}

} // namespace report
