#include "BarCodeSample.h"

#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/barcodes/BarCode.h"
#include "report/content/barcodes/BarCodeEncoders.h"
#include "report/content/barcodes/BarCodeRules.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Types.h"
#include "report/model/base/Units.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"

namespace reportdemo {

namespace {

constexpr int32_t barCodeSampleMargin = 10000;
// Room for the tallest symbol (a 13-digit EAN with its text, 50 mm at the
// sample's bar width) between the inset above it and as much below it, so
// that no record's symbol runs into the next one's.
constexpr int32_t barCodeSampleBandHeight = 70000;
constexpr int32_t barCodeSampleInset = 10000;
// 0.0208 inch: two pixels at 96 dpi and 25 at 1200, so that the preview at
// 100 % shows whole pixels per module and decodes as well as the print.
constexpr int32_t barCodeSampleBarWidth = 529;

QString barCodeSampleField(const reporttest::MemoryPipeline &aData, const QString &aName)
{
    const int row = aData.CurrentRow();
    return row < 0 ? QString() : aData.Cell(row, aName).toString().trimmed();
}

// A column the CSV may leave out reads as empty.
QString barCodeSampleOptionalField(reporttest::MemoryPipeline &aData, const QString &aName)
{
    for (int i = 0; i < aData.GetFieldCount(); ++i)
        if (aData.GetField(i)->FieldName.compare(aName, Qt::CaseInsensitive) == 0)
            return barCodeSampleField(aData, aName);
    return QString();
}

} // namespace

bool BarCodeTypeFromName(const QString &aName, report::TppBarCodeType &aType)
{
    auto plain = [](QString name) {
        name = name.toLower().remove(u'_');
        if (name.startsWith(QLatin1String("bc")))
            name.remove(0, 2);
        return name;
    };
    const QString wanted = plain(aName);
    const classes::TEnumInfo &info = report::EnumInfo<report::TppBarCodeType>();
    for (int i = 0; i <= int(report::TppBarCodeType::bcMSI); ++i)
        if (plain(info.NameOf(int64_t(i))) == wanted) {
            aType = report::TppBarCodeType(i);
            return true;
        }
    return false;
}

std::unique_ptr<report::TppReport> CreateBarCodeSample(reporttest::MemoryPipeline &aData)
{
    auto result = std::make_unique<report::TppReport>();
    report::TppReport &r = *result;
    reporttest::SetA4Portrait(*r.PrinterSetup(), barCodeSampleMargin);
    r.SetDataPipeline(&aData);
    auto *detail = new report::TppDetailBand(nullptr);
    detail->SetReport(&r);
    detail->SetmmHeight(barCodeSampleBandHeight);
    detail->SetUserName(QStringLiteral("Detail"));

    auto *barCode = new report::TppBarCode;
    barCode->SetBand(detail);
    barCode->SetBounds(barCodeSampleInset, barCodeSampleInset, 100000, 20000);
    // Each record brings its own symbology, set on the control before the
    // band prints as a program would set it: the control sizes itself to
    // the symbol.
    detail->BeforePrint.Set([&aData, barCode](classes::TObject *) {
        report::TppBarCodeType type = report::TppBarCodeType::bcCode39;
        const bool known = BarCodeTypeFromName(barCodeSampleField(aData, QStringLiteral("Type")), type);
        barCode->BeginUpdate();
        barCode->SetBarCodeType(type);
        // A symbology switches these on or off for good when it is chosen:
        // set for every record, each record's symbol looks the same whatever
        // record printed before it, as when a page is printed on its own.
        barCode->SetAutoEncode(type == report::TppBarCodeType::bcCode128);
        barCode->SetPrintHumanReadable(type != report::TppBarCodeType::bcPostnet &&
                                       type != report::TppBarCodeType::bcFIM);
        barCode->SetCalcCheckDigit(true);
        barCode->SetData(known ? barCodeSampleField(aData, QStringLiteral("Data")) : QString());
        barCode->SetBarWidth(
            report::ppFromMMThousandths(barCodeSampleBarWidth, barCode->Units(), report::TppAxisType::atHorizontal));
        barCode->SetAddOnCode(report::ppIsUPCEANType(type) ? barCodeSampleOptionalField(aData, QStringLiteral("AddOn"))
                                                           : QString());
        barCode->EndUpdate();
    });
    return result;
}

} // namespace reportdemo
