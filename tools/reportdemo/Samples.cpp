#include "Samples.h"

#include "BarCodeSample.h"
#include "RichTextSample.h"
#include "ShapesSample.h"

#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/content/text/Memo.h"
#include "report/content/variables/Calc.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/SystemVariable.h"
#include "report/content/variables/Variable.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineFields.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

#include "platform/rtl/LocalNames.h"

#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string_view>

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
// has, as the file writes them when it writes them aligned. A value's
// decimals are those of its 15 significant digits with the trailing zeros
// dropped (printf's "%.15g", without an exponent).
//
// Most values of a column have no more decimals than those already seen,
// and that is cheap to know: a value that is the double nearest to n / 10^d,
// n of at most 15 digits, prints with at most d decimals at 15 digits (the
// double lies within 2^-53 of it, far inside half a unit of the 15th digit),
// and the division of two exact doubles rounds to that nearest double. Only
// the other values are written out, into a buffer on the stack.
QString sampleNumberFormat(const reporttest::MemoryPipeline &aData, const QString &aFieldName)
{
    static constexpr double powersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    size_t decimals = 0;
    char digits[32];
    for (int row = 0; row < aData.RecordCount(); ++row) {
        const double value = aData.Cell(row, aFieldName).toDouble();
        if (decimals < std::size(powersOfTen)) {
            const double scaled = std::nearbyint(value * powersOfTen[decimals]);
            if (std::fabs(scaled) < 1e15 && scaled / powersOfTen[decimals] == value)
                continue;
        }
        const std::to_chars_result written =
            std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 15);
        const std::string_view shortest(digits, size_t(written.ptr - digits));
        const size_t point = shortest.find('.');
        if (point != std::string_view::npos && shortest.find('e') == std::string_view::npos)
            decimals = std::max(decimals, shortest.size() - point - 1);
    }
    return decimals > 0 ? QStringLiteral("0.") + QString(qsizetype(decimals), QLatin1Char('0')) : QString();
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
    // Saved in column order, for the text-file devices.
    text->SetSave(true);
    return text;
}

template <class Band>
Band *addSampleBand(report::TppCustomReport &aReport, int32_t aHeight, const QString &aUserName)
{
    auto *band = new Band(nullptr);
    band->SetReport(&aReport);
    band->SetmmHeight(aHeight);
    band->SetUserName(aUserName);
    return band;
}

// Field i's column: the printable width shared out evenly, with room for
// aExtra columns after the fields.
int32_t sampleColumnWidth(reporttest::MemoryPipeline &aData, int aExtra = 0)
{
    return samplePrintWidth / std::max(1, aData.GetFieldCount() + aExtra);
}

std::unique_ptr<report::TppReport> sampleReport(reporttest::MemoryPipeline &aData, const QString &aTitle,
                                                bool aTitleBand, bool aDetailTexts = true, int aExtraColumns = 0)
{
    auto result = std::make_unique<report::TppReport>();
    report::TppReport &r = *result;
    reporttest::SetA4Portrait(*r.PrinterSetup(), sampleMargin);
    r.SetDataPipeline(&aData);
    if (aTitleBand)
        addSampleLabel(addSampleBand<report::TppTitleBand>(r, 30000, QStringLiteral("Title")), aTitle, 0,
                       samplePrintWidth);

    const int fields = aData.GetFieldCount();
    const int32_t width = sampleColumnWidth(aData, aExtraColumns);
    auto *header = addSampleBand<report::TppHeaderBand>(r, 20000, QStringLiteral("PageHeader"));
    for (int i = 0; i < fields; ++i)
        addSampleLabel(header, aData.GetField(i)->FieldName, i * width, width);
    addSampleLabel(addSampleBand<report::TppFooterBand>(r, 20000, QStringLiteral("PageFooter")), aTitle, 0,
                   samplePrintWidth);

    auto *detail = new report::TppDetailBand(nullptr);
    detail->SetReport(&r);
    detail->SetmmHeight(5000);
    detail->SetUserName(QStringLiteral("Detail"));
    detail->SetSave(true);
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

// The last field that holds numbers, -1 for none.
int sampleLastNumericField(reporttest::MemoryPipeline &aData)
{
    for (int i = aData.GetFieldCount() - 1; i >= 0; --i)
        if (aData.GetField(i)->DataType == report::TppDataType::dtDouble)
            return i;
    return -1;
}

template <class Text>
Text *addSampleVariable(report::TppBand *aBand, int32_t aLeft, int32_t aWidth)
{
    auto *text = new Text;
    text->SetBand(aBand);
    text->SetBounds(aLeft, sampleTextInset, aWidth, aBand->mmHeight() - 2 * sampleTextInset);
    // Saved in column order, for the text-file devices.
    text->SetSave(true);
    return text;
}

// The sum of the last numeric field over the group, in the field's column.
report::TppDBCalc *addSampleGroupSum(report::TppBand *aBand, reporttest::MemoryPipeline &aData,
                                     report::TppGroup *aGroup)
{
    const int field = sampleLastNumericField(aData);
    if (field < 0)
        return nullptr;
    const int32_t width = sampleColumnWidth(aData);
    auto *sum = addSampleVariable<report::TppDBCalc>(aBand, field * width, width);
    sum->SetDataPipeline(&aData);
    sum->SetDataField(aData.GetField(field)->FieldName);
    sum->SetDisplayFormat(sampleNumberFormat(aData, aData.GetField(field)->FieldName));
    sum->SetResetGroup(aGroup);
    return sum;
}

// The list with a running total of the last numeric field beside each
// record, the print time in the title, and in the page footer the records
// of the page, the page number and "Page n of N".
std::unique_ptr<report::TppReport> variablesSample(reporttest::MemoryPipeline &aData)
{
    std::unique_ptr<report::TppReport> result = sampleReport(aData, QStringLiteral("Variables"), true, true, 1);
    report::TppReport &r = *result;
    const int fields = aData.GetFieldCount();
    const int32_t width = sampleColumnWidth(aData, 1);
    const int32_t third = samplePrintWidth / 3;

    auto *title = r.GetBand(1);
    title->Objects(0)->SetmmWidth(third);
    auto *printed = addSampleVariable<report::TppSystemVariable>(title, 2 * third, third);
    printed->SetVarType(report::TppVarType::vtPrintDateTime);
    printed->SetTextAlignment(report::TppTextAlignment::taRightJustified);

    addSampleLabel(r.GetBand(0), QStringLiteral("Running total"), fields * width, width);
    const int numeric = sampleLastNumericField(aData);
    auto *running = addSampleVariable<report::TppVariable>(r.GetBand(4), fields * width, width);
    running->SetDataType(report::TppDataType::dtDouble);
    if (numeric >= 0) {
        const QString field = aData.GetField(numeric)->FieldName;
        running->SetDisplayFormat(sampleNumberFormat(aData, field));
        running->OnCalc.Set([&aData, field](classes::TObject *, QVariant &aValue) {
            aValue = aValue.toDouble() + aData.GetFieldValue(field).toDouble();
        });
    }

    auto *footer = r.GetBand(8);
    footer->Objects(0)->SetmmWidth(third / 2);
    auto *onPage = addSampleVariable<report::TppVariable>(footer, third / 2, third / 2);
    onPage->SetDataType(report::TppDataType::dtInteger);
    onPage->SetResetType(report::TppVarEventType::vePageStart);
    onPage->SetDisplayFormat(QStringLiteral("0 records"));
    onPage->OnCalc.Set([](classes::TObject *, QVariant &aValue) { aValue = aValue.toInt() + 1; });
    addSampleVariable<report::TppCalc>(footer, third, third)->SetCalcType(report::TppCalcType::ctPageNoDesc);
    auto *pages = addSampleVariable<report::TppSystemVariable>(footer, 2 * third, third);
    pages->SetVarType(report::TppVarType::vtPageSetDesc);
    pages->SetTextAlignment(report::TppTextAlignment::taRightJustified);
    return result;
}

// A main report without data, whose detail prints once: a label and, below
// it, a subreport that prints the list of the data as its child, over as
// many pages as it needs. Each record shows the number of the page it is
// on.
std::unique_ptr<report::TppReport> subReportSample(reporttest::MemoryPipeline &aData)
{
    auto result = std::make_unique<report::TppReport>();
    report::TppReport &r = *result;
    reporttest::SetA4Portrait(*r.PrinterSetup(), sampleMargin);
    const int fields = aData.GetFieldCount();
    const int32_t width = sampleColumnWidth(aData, 1);
    auto *header = addSampleBand<report::TppHeaderBand>(r, 20000, QStringLiteral("PageHeader"));
    for (int i = 0; i < fields; ++i)
        addSampleLabel(header, aData.GetField(i)->FieldName, i * width, width);
    addSampleLabel(header, QStringLiteral("Page"), fields * width, width);
    addSampleLabel(addSampleBand<report::TppFooterBand>(r, 20000, QStringLiteral("PageFooter")),
                   QStringLiteral("Subreport"), 0, samplePrintWidth);

    auto *detail = addSampleBand<report::TppDetailBand>(r, 10000, QStringLiteral("Detail"));
    detail->SetPrintHeight(report::TppPrintHeightType::phDynamic);
    auto *label = new report::TppLabel;
    label->SetBand(detail);
    label->SetCaption(QStringLiteral("Records"));
    label->SetBounds(0, sampleTextInset, samplePrintWidth, 4000);
    label->SetReprintOnOverFlow(true);
    auto *subreport = new report::TppSubReport;
    subreport->SetBand(detail);
    subreport->SetBounds(0, 5000, samplePrintWidth, 5000);
    // Continued below the label, as on the first page.
    subreport->SetmmOverFlowOffset(5000);
    subreport->SetDataPipeline(&aData);
    report::TppChildReport *child = subreport->Report();
    if (!child)
        return result;
    addSampleLabel(addSampleBand<report::TppTitleBand>(*child, 10000, QStringLiteral("ChildTitle")),
                   QStringLiteral("Records"), 0, samplePrintWidth);
    auto *childDetail = addSampleBand<report::TppDetailBand>(*child, 5000, QStringLiteral("ChildDetail"));
    for (int i = 0; i < fields; ++i)
        addSampleDBText(childDetail, aData, i, i * width, width);
    addSampleVariable<report::TppSystemVariable>(childDetail, fields * width, width)
        ->SetVarType(report::TppVarType::vtPageNo);
    addSampleLabel(addSampleBand<report::TppSummaryBand>(*child, 10000, QStringLiteral("ChildSummary")),
                   QStringLiteral("End of records"), 0, samplePrintWidth);
    return result;
}

} // namespace

QStringList SampleNames()
{
    return {QStringLiteral("list"),      QStringLiteral("grouped"),   QStringLiteral("barcodes"),
            QStringLiteral("memo"),      QStringLiteral("variables"), QStringLiteral("shapes"),
            QStringLiteral("subreport"), QStringLiteral("richtext")};
}

QStringList LaterSampleNames()
{
    return {};
}

namespace {

// The folder of the pictures the tool writes, empty when they could not be
// written. They live as long as the program.
QString samplePictureFolder()
{
    static const QString folder = []() -> QString {
        // A temporary folder whose name is no UTF-8 would be another one.
        if (rtl::temporaryFolder().isEmpty())
            return {};
        static QTemporaryDir pictures;
        QString error;
        return pictures.isValid() && WriteShapesSamplePictures(pictures.path(), error) ? pictures.path() : QString();
    }();
    return folder;
}

} // namespace

void ResolveSamplePictureNames(reporttest::MemoryPipeline &aData)
{
    if (const QString folder = samplePictureFolder(); !folder.isEmpty())
        ResolveShapesPictureNames(aData, folder);
}

std::unique_ptr<report::TppReport> CreateSample(const QString &aName, reporttest::MemoryPipeline &aData)
{
    if (aName == QLatin1String("list"))
        return sampleReport(aData, QStringLiteral("List"), true);
    if (aName == QLatin1String("barcodes"))
        return CreateBarCodeSample(aData);
    if (aName == QLatin1String("memo"))
        return sampleMemoReport(aData);
    if (aName == QLatin1String("variables"))
        return variablesSample(aData);
    if (aName == QLatin1String("subreport"))
        return subReportSample(aData);
    if (aName == QLatin1String("richtext"))
        return CreateRichTextSample();
    if (aName == QLatin1String("shapes")) {
        const QString folder = samplePictureFolder();
        return folder.isEmpty() ? nullptr : CreateShapesSample(aData, folder);
    }
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
    // The group's total in its footer, and before the group in its header.
    addSampleGroupSum(groupFooter, aData, group);
    if (report::TppDBCalc *ahead = addSampleGroupSum(groupHeader, aData, group))
        ahead->SetLookAhead(true);
    // The preview shows the groups and their pages beside the page.
    result->OutlineSettings()->SetEnabled(true);
    result->OutlineSettings()->SetVisible(true);
    result->OutlineSettings()->SetCreatePageNodes(true);
    return result;
}

} // namespace reportdemo
