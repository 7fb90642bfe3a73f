#include "Samples.h"

#include "BarCodeSample.h"

#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/content/text/Memo.h"
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
constexpr int32_t samplePrintWidth = 210000 - 2 * sampleMargin;
// Texts stand 0.5 mm inside their band so that the band keeps its height.
constexpr int32_t sampleTextInset = 500;

void addSampleLabel(report::TppBand *aBand, const QString &aCaption, int32_t aLeft, int32_t aWidth)
{
    auto *label = new report::TppLabel;
    label->SetBand(aBand);
    label->SetCaption(aCaption);
    label->SetBounds(aLeft, sampleTextInset, aWidth, aBand->mmHeight() - 2 * sampleTextInset);
}

// The CSV's numbers are read as floating-point values, so "18.50" comes in
// as 18.5; a numeric column shows as many decimals as its longest value
// has, as the file writes them when it writes them aligned.
QString sampleNumberFormat(const reporttest::MemoryPipeline &aData, const QString &aFieldName)
{
    qsizetype decimals = 0;
    for (int row = 0; row < aData.RecordCount(); ++row) {
        const QString shortest = QString::number(aData.Cell(row, aFieldName).toDouble(), 'g', 15);
        const qsizetype point = shortest.indexOf(QLatin1Char('.'));
        if (point >= 0 && !shortest.contains(QLatin1Char('e')))
            decimals = std::max(decimals, shortest.size() - point - 1);
    }
    return decimals > 0 ? QStringLiteral("0.") + QString(decimals, QLatin1Char('0')) : QString();
}

report::TppDBText *addSampleDBText(report::TppBand *aBand, reporttest::MemoryPipeline &aData, int aField, int32_t aLeft,
                                   int32_t aWidth)
{
    const report::TppField *field = aData.GetField(aField);
    auto *text = new report::TppDBText;
    text->SetBand(aBand);
    text->SetDataPipeline(&aData);
    text->SetDataField(field->FieldName);
    if (field->DataType == report::TppDataType::dtDouble)
        text->SetDisplayFormat(sampleNumberFormat(aData, field->FieldName));
    text->SetBounds(aLeft, sampleTextInset, aWidth, aBand->mmHeight() - 2 * sampleTextInset);
    return text;
}

template <class Band>
Band *addSampleBand(report::TppReport &aReport, int32_t aHeight, const QString &aUserName)
{
    auto *band = new Band(nullptr);
    band->SetReport(&aReport);
    band->SetmmHeight(aHeight);
    band->SetUserName(aUserName);
    return band;
}

// Field i's column: the printable width shared out evenly.
int32_t sampleColumnWidth(reporttest::MemoryPipeline &aData)
{
    return samplePrintWidth / std::max(1, aData.GetFieldCount());
}

std::unique_ptr<report::TppReport> sampleReport(reporttest::MemoryPipeline &aData, const QString &aTitle,
                                                bool aTitleBand, bool aDetailTexts = true)
{
    auto result = std::make_unique<report::TppReport>();
    report::TppReport &r = *result;
    reporttest::SetA4Portrait(*r.PrinterSetup(), sampleMargin);
    r.SetDataPipeline(&aData);
    if (aTitleBand)
        addSampleLabel(addSampleBand<report::TppTitleBand>(r, 30000, QStringLiteral("Title")), aTitle, 0,
                       samplePrintWidth);

    const int fields = aData.GetFieldCount();
    const int32_t width = sampleColumnWidth(aData);
    auto *header = addSampleBand<report::TppHeaderBand>(r, 20000, QStringLiteral("PageHeader"));
    for (int i = 0; i < fields; ++i)
        addSampleLabel(header, aData.GetField(i)->FieldName, i * width, width);
    addSampleLabel(addSampleBand<report::TppFooterBand>(r, 20000, QStringLiteral("PageFooter")), aTitle, 0,
                   samplePrintWidth);

    auto *detail = new report::TppDetailBand(nullptr);
    detail->SetReport(&r);
    detail->SetmmHeight(5000);
    detail->SetUserName(QStringLiteral("Detail"));
    if (aDetailTexts)
        for (int i = 0; i < fields; ++i)
            addSampleDBText(detail, aData, i, i * width, width);
    return result;
}

// The list's page bands; each record's first field beside its last, which
// stretches down the page and on over the next ones as far as it needs.
std::unique_ptr<report::TppReport> sampleMemoReport(reporttest::MemoryPipeline &aData)
{
    std::unique_ptr<report::TppReport> result = sampleReport(aData, QStringLiteral("Memo"), true, false);
    report::TppBand *detail = nullptr;
    for (int i = 0; i < result->BandCount() && !detail; ++i)
        detail = dynamic_cast<report::TppDetailBand *>(result->BandAt(i));
    const int fields = aData.GetFieldCount();
    if (!detail || fields == 0)
        return result;
    detail->SetPrintHeight(report::TppPrintHeightType::phDynamic);
    constexpr int32_t firstWidth = 40000;
    addSampleDBText(detail, aData, 0, 0, firstWidth);
    auto *memo = new report::TppDBMemo;
    memo->SetBand(detail);
    memo->SetDataPipeline(&aData);
    memo->SetDataField(aData.GetField(fields - 1)->FieldName);
    memo->SetBounds(firstWidth, sampleTextInset, samplePrintWidth - firstWidth,
                    detail->mmHeight() - 2 * sampleTextInset);
    memo->SetStretch(true);
    return result;
}

} // namespace

QStringList SampleNames()
{
    return {QStringLiteral("list"), QStringLiteral("grouped"), QStringLiteral("barcodes"), QStringLiteral("memo")};
}

QStringList LaterSampleNames()
{
    return {QStringLiteral("richtext"), QStringLiteral("shapes")};
}

std::unique_ptr<report::TppReport> CreateSample(const QString &aName, reporttest::MemoryPipeline &aData)
{
    if (aName == QLatin1String("list"))
        return sampleReport(aData, QStringLiteral("List"), true);
    if (aName == QLatin1String("barcodes"))
        return CreateBarCodeSample(aData);
    if (aName == QLatin1String("memo"))
        return sampleMemoReport(aData);
    if (aName != QLatin1String("grouped"))
        return nullptr;
    std::unique_ptr<report::TppReport> result = sampleReport(aData, QStringLiteral("Grouped"), false);
    auto *group = new report::TppGroup;
    group->SetReport(result.get());
    group->SetDataPipeline(&aData);
    if (aData.GetFieldCount() > 0)
        group->SetBreakName(aData.GetField(0)->FieldName);
    auto *groupHeader = addSampleBand<report::TppGroupHeaderBand>(*result, 10000, QStringLiteral("GroupHeader"));
    groupHeader->SetGroup(group);
    auto *groupFooter = addSampleBand<report::TppGroupFooterBand>(*result, 10000, QStringLiteral("GroupFooter"));
    groupFooter->SetGroup(group);
    const int32_t width = sampleColumnWidth(aData);
    if (aData.GetFieldCount() > 0)
        addSampleDBText(groupHeader, aData, 0, 0, width);
    addSampleLabel(groupFooter, QStringLiteral("End of group"), 0, width);
    return result;
}

} // namespace reportdemo
