#include "Samples.h"

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/SamplePage.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineFields.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"

#include <algorithm>

namespace reportdemo {

namespace {

constexpr int32_t sampleMargin = 10000;

void addSampleObject(report::TppBand *aBand, int32_t aLeft, int32_t aWidth, int32_t aHeight)
{
    auto *object = new reporttest::BandPrintable;
    object->SetmmLeft(aLeft);
    object->SetmmWidth(aWidth);
    object->SetmmHeight(aHeight);
    object->SetBand(aBand);
}

template <class Band>
Band *addSampleBand(report::TppReport &aReport, int32_t aHeight, const QString &aUserName)
{
    auto *band = new Band(nullptr);
    band->SetReport(&aReport);
    band->SetmmHeight(aHeight);
    band->SetUserName(aUserName);
    addSampleObject(band, 0, 50000, aHeight);
    return band;
}

std::unique_ptr<report::TppReport> sampleReport(report::TppDataPipeline &aData, bool aTitle)
{
    auto result = std::make_unique<report::TppReport>();
    report::TppReport &r = *result;
    reporttest::SetA4Portrait(*r.PrinterSetup(), sampleMargin);
    r.SetDataPipeline(&aData);
    if (aTitle)
        addSampleBand<report::TppTitleBand>(r, 30000, QStringLiteral("Title"));
    addSampleBand<report::TppHeaderBand>(r, 20000, QStringLiteral("PageHeader"));
    addSampleBand<report::TppFooterBand>(r, 20000, QStringLiteral("PageFooter"));

    auto *detail = new report::TppDetailBand(nullptr);
    detail->SetReport(&r);
    detail->SetmmHeight(5000);
    detail->SetUserName(QStringLiteral("Detail"));
    const int fields = std::max(1, aData.GetFieldCount());
    const int32_t width = (210000 - 2 * sampleMargin) / fields;
    for (int i = 0; i < fields; ++i)
        addSampleObject(detail, i * width, width, 5000);
    return result;
}

} // namespace

QStringList SampleNames()
{
    return {QStringLiteral("list"), QStringLiteral("grouped")};
}

QStringList LaterSampleNames()
{
    return {QStringLiteral("barcodes"), QStringLiteral("richtext"), QStringLiteral("shapes")};
}

std::unique_ptr<report::TppReport> CreateSample(const QString &aName, report::TppDataPipeline &aData)
{
    if (aName == QLatin1String("list"))
        return sampleReport(aData, true);
    if (aName != QLatin1String("grouped"))
        return nullptr;
    std::unique_ptr<report::TppReport> result = sampleReport(aData, false);
    auto *group = new report::TppGroup;
    group->SetReport(result.get());
    group->SetDataPipeline(&aData);
    if (aData.GetFieldCount() > 0)
        group->SetBreakName(aData.GetField(0)->FieldName);
    addSampleBand<report::TppGroupHeaderBand>(*result, 10000, QStringLiteral("GroupHeader"))->SetGroup(group);
    addSampleBand<report::TppGroupFooterBand>(*result, 10000, QStringLiteral("GroupFooter"))->SetGroup(group);
    return result;
}

} // namespace reportdemo
