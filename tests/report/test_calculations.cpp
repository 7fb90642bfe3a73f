#include "tests/support/report/BandFakes.h"
#include "tests/support/report/MemoryPipeline.h"

#include "report/content/ContentRegistration.h"
#include "report/content/barcodes/BarCode.h"
#include "report/content/drawcommands/DrawVariables.h"
#include "report/content/text/DBText.h"
#include "report/content/variables/Calc.h"
#include "report/content/variables/CustomVariable.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/SystemVariable.h"
#include "report/content/variables/Variable.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DesignerSink.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/PipelineFields.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/Descriptors.h"
#include "report/model/reports/Report.h"

#include "platform/classes/Component.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/Variants.h"
#include "tests/support/TimeZone.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace report;
using namespace reporttest;

namespace {

// A day and a moment as the user's own record writes them: what is summed
// and compared counts here, the forms are swept elsewhere.
QString shownDay(int aYear, int aMonth, int aDay)
{
    return rtl::DateToStr(rtl::EncodeDate(aYear, aMonth, aDay));
}

QString shownMoment(int aYear, int aMonth, int aDay, int aHour, int aMinute)
{
    return rtl::DateTimeToStr(rtl::EncodeDate(aYear, aMonth, aDay) + rtl::EncodeTime(aHour, aMinute, 0, 0));
}

class Calculations : public ::testing::Test
{
protected:
    Calculations()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        detail->SetReport(&report);
        data.AddField("Name");
        data.AddField("Amount", TppDataType::dtDouble);
        data.AddField("Due", TppDataType::dtDateTime);
    }
    ~Calculations() override { ppContentLayerFinalize(); }

    // A calculation over the field, fed the records one traversal each.
    TppDBCalc *calc(TppDBCalcType aType, const QString &aField)
    {
        auto *c = new TppDBCalc;
        c->SetBand(detail);
        c->SetDataPipeline(&data);
        c->SetDataField(aField);
        c->SetDBCalcType(aType);
        c->Init();
        return c;
    }
    void traverse(TppDBCalc &aCalc)
    {
        data.Open();
        for (data.First(); !data.Eof(); data.Next())
            aCalc.Calc();
    }

    rtl::ScopedNow clock{[] { return 46000.25; }};
    TppReport report;
    TppDetailBand *detail = new TppDetailBand(nullptr);
    MemoryPipeline data;
};

} // namespace

TEST_F(Calculations, DataCalculationsAggregateNumbersAndCountEverything)
{
    for (double amount : {5.0, 3.0, 7.0})
        data.AddRow({"x", amount, QVariant()});
    TppDBCalc *minimum = calc(TppDBCalcType::dcMinimum, "Amount");
    traverse(*minimum);
    EXPECT_EQ(minimum->Value(), 3);
    EXPECT_EQ(minimum->GetText(), "3");

    TppDBCalc *average = calc(TppDBCalcType::dcAverage, "Amount");
    traverse(*average);
    EXPECT_EQ(average->GetText(), "5");

    // A text field adds nothing to a sum but is counted.
    TppDBCalc *sum = calc(TppDBCalcType::dcSum, "Name");
    traverse(*sum);
    EXPECT_EQ(sum->GetText(), "0");
    TppDBCalc *count = calc(TppDBCalcType::dcCount, "Name");
    traverse(*count);
    EXPECT_EQ(count->GetText(), "3");
    // A reset starts again; the first value after it is taken as it is.
    minimum->Reset();
    data.Open();
    data.Last();
    minimum->Calc();
    EXPECT_EQ(minimum->Value(), 7);
}

TEST_F(Calculations, IntegersOfEveryWidthAndSignAreSummed)
{
    // One field per integer type a data source may hand over.
    const QList<QPair<QString, std::function<QVariant(int)>>> kinds = {
        {"UInt", [](int v) { return QVariant::fromValue(uint(v)); }},
        {"ULongLong", [](int v) { return QVariant::fromValue(qulonglong(v)); }},
        {"UShort", [](int v) { return QVariant::fromValue(ushort(v)); }},
        {"UChar", [](int v) { return QVariant::fromValue(uchar(v)); }},
        {"SChar", [](int v) { return QVariant::fromValue(static_cast<signed char>(v)); }},
        {"ULong", [](int v) { return QVariant::fromValue(static_cast<unsigned long>(v)); }},
    };
    for (const auto &kind : kinds)
        data.AddField(kind.first, TppDataType::dtLongint);
    for (int v : {5, 3, 7}) {
        QVariantList row{"x", 1.0, QVariant()};
        for (const auto &kind : kinds)
            row << kind.second(v);
        data.AddRow(row);
    }
    for (const auto &kind : kinds) {
        TppDBCalc *sum = calc(TppDBCalcType::dcSum, kind.first);
        traverse(*sum);
        EXPECT_EQ(sum->GetText(), "15") << kind.first.toStdString();
        TppDBCalc *minimum = calc(TppDBCalcType::dcMinimum, kind.first);
        traverse(*minimum);
        EXPECT_EQ(minimum->Value(), 3) << kind.first.toStdString();
    }
    // A computed value of a date type that is an unsigned number past the
    // calendar prints as that number, as a signed one does.
    EXPECT_EQ(ppFormatComputedValue(QString(), TppDataType::dtDate, QVariant::fromValue(uint(4000000000u))),
              "4000000000");
}

TEST_F(Calculations, EmptyAggregatesPrintZeroOrBlank)
{
    TppDBCalc *average = calc(TppDBCalcType::dcAverage, "Amount");
    EXPECT_EQ(average->GetText(), "0");
    average->SetBlankWhenZero(true);
    EXPECT_EQ(average->GetText(), "");

    TppDBCalc *latest = calc(TppDBCalcType::dcMaximum, "Due");
    EXPECT_EQ(latest->GetText(), "");
    data.AddRow({"x", 1.0, QDateTime(QDate(2026, 12, 7), QTime(9, 30))});
    data.AddRow({"y", 2.0, QDateTime(QDate(2026, 12, 1), QTime(8, 0))});
    traverse(*latest);
    EXPECT_EQ(latest->GetText(), shownMoment(2026, 12, 7, 9, 30));
}

TEST_F(Calculations, DatesPastTheCalendarPrintAsTheirNumber)
{
    // Sixty-five dates of our time add up beyond the year 9999: the print
    // goes on and shows the number.
    for (int i = 0; i < 65; ++i)
        data.AddRow({"x", 1.0, QDateTime(QDate(2026, 12, 7), QTime(12, 0))});
    TppDBCalc *sum = calc(TppDBCalcType::dcSum, "Due");
    ASSERT_NO_THROW(traverse(*sum));
    EXPECT_DOUBLE_EQ(sum->Value(), 65 * 46363.5);
    EXPECT_EQ(sum->GetText(), rtl::FloatToStr(3013627.5L));
    // Within the calendar a sum is still a moment.
    TppDBCalc *latest = calc(TppDBCalcType::dcMaximum, "Due");
    traverse(*latest);
    EXPECT_EQ(latest->GetText(), shownMoment(2026, 12, 7, 12, 0));

    report.SetPrinting(true);
    TppVariable moment;
    moment.SetBand(detail);
    for (TppDataType type : {TppDataType::dtDate, TppDataType::dtTime, TppDataType::dtDateTime}) {
        moment.SetDataType(type);
        moment.SetValue(46363.5);
        EXPECT_FALSE(moment.GetText().isEmpty());
        for (double beyond : {1e7, -1e308, std::numeric_limits<double>::infinity()}) {
            moment.SetAsDateTime(beyond);
            moment.SetDataType(type);
            EXPECT_NO_THROW(moment.GetText()) << beyond;
        }
    }
    moment.SetAsDateTime(1e7);
    EXPECT_EQ(moment.GetText(), "10000000");
    report.SetPrinting(false);
}

// São Paulo skipped the midnight of 4 November 2018, Berlin the half past two
// of 31 March 2024: a date or a time held there prints as it reads in UTC.
TEST_F(Calculations, DatesAndTimesTheZoneSkippedPrintAsTheyRead)
{
    const zvotest::ScopedTimeZone zone("America/Sao_Paulo");
    data.AddField("Day", TppDataType::dtDate);
    data.AddRow({"x", 1.0, QVariant(), QDate(2018, 11, 4)});
    data.AddRow({"y", 2.0, QVariant(), QDate(2018, 11, 3)});
    TppDBCalc *latest = calc(TppDBCalcType::dcMaximum, "Day");
    traverse(*latest);
    EXPECT_EQ(latest->GetText(), shownDay(2018, 11, 4));

    report.SetPrinting(true);
    TppVariable day;
    day.SetBand(detail);
    day.SetDataType(TppDataType::dtDate);
    day.SetValue(QVariant(QDate(2018, 11, 4)));
    EXPECT_EQ(rtl::VarToDateTime(day.Value()), rtl::EncodeDate(2018, 11, 4));
    EXPECT_EQ(day.GetText(), shownDay(2018, 11, 4));
    const zvotest::ScopedTimeZone berlin("Europe/Berlin");
    TppVariable moment;
    moment.SetBand(detail);
    moment.SetAsDateTime(rtl::EncodeDate(2024, 3, 31) + rtl::EncodeTime(2, 30, 0, 0));
    EXPECT_EQ(moment.GetText(), shownMoment(2024, 3, 31, 2, 30));
    EXPECT_EQ(rtl::VarToDateTime(moment.Value()), moment.AsDateTime());
    report.SetPrinting(false);
}

// A pipeline hands over a wall-clock time the user's zone skipped as Qt's
// invalid local value with its date and time: every control that takes it
// prints it as it reads, and a date-time variable's value of such a moment
// stays a date-time wherever it goes.
TEST_F(Calculations, DateTimesTheZoneSkippedInTheDataPrintAsTheyRead)
{
    const zvotest::ScopedTimeZone zone("America/Sao_Paulo");
    data.AddField("Day", TppDataType::dtDate);
    const QDateTime skipped(QDate(2018, 11, 4), QTime(0, 30));
    data.AddRow({"x", 1.0, skipped, skipped});
    data.AddRow({"y", 2.0, QDateTime(QDate(2018, 11, 3), QTime(8, 0)), QDateTime(QDate(2018, 11, 3), QTime(8, 0))});
    TppDBCalc *latest = calc(TppDBCalcType::dcMaximum, "Due");
    traverse(*latest);
    EXPECT_EQ(latest->GetText(), shownMoment(2018, 11, 4, 0, 30));

    report.SetPrinting(true);
    data.Open();
    data.First();
    for (const char *field : {"Due", "Day"}) {
        TppDBText text;
        text.SetBand(detail);
        text.SetDataPipeline(&data);
        text.SetDataField(field);
        EXPECT_EQ(text.GetText(),
                  QString::fromLatin1(field) == "Due" ? shownMoment(2018, 11, 4, 0, 30) : shownDay(2018, 11, 4))
            << field;
    }
    TppDBBarCode code;
    code.SetBand(detail);
    code.SetDataPipeline(&data);
    code.SetDataField("Due");
    QString codeData;
    code.GetData(codeData);
    EXPECT_EQ(codeData, shownMoment(2018, 11, 4, 0, 30));

    TppVariable taken;
    taken.SetBand(detail);
    taken.SetDataType(TppDataType::dtDateTime);
    taken.OnCalc.Set([this](classes::TObject *, QVariant &aValue) { aValue = data.GetFieldValue("Due"); });
    taken.Calc();
    EXPECT_EQ(taken.GetText(), shownMoment(2018, 11, 4, 0, 30));

    const zvotest::ScopedTimeZone berlin("Europe/Berlin");
    TppVariable moment;
    moment.SetBand(detail);
    moment.SetAsDateTime(rtl::EncodeDate(2024, 3, 31) + rtl::EncodeTime(2, 30, 0, 0));
    TppVariable copy;
    copy.SetBand(detail);
    copy.SetValue(moment.Value());
    EXPECT_EQ(copy.GetText(), shownMoment(2024, 3, 31, 2, 30));
    // So does a script's text of the value.
    const TraRTTI *rtti = raFindRTTI("TppVariable");
    ASSERT_NE(rtti, nullptr);
    QString scripted;
    rtti->GetPropText(&moment, "Value", scripted);
    EXPECT_EQ(scripted, shownMoment(2024, 3, 31, 2, 30));
    report.SetPrinting(false);
}

TEST_F(Calculations, DataCalculationsNameTheirKindAndResetWithTheirGroup)
{
    TppDBCalc *sum = calc(TppDBCalcType::dcSum, "Amount");
    sum->SetUserName("DBCalc1");
    EXPECT_EQ(sum->GetDescription(), "DBCalc1: Sum(Amount)");
    TppDBCalc count;
    count.SetDBCalcType(TppDBCalcType::dcCount);
    count.SetUserName("DBCalc2");
    EXPECT_EQ(count.GetDescription(), "DBCalc2: Count(*)");

    // Placed in the designer, a group band gives its group.
    auto *group = new TppGroup;
    group->SetReport(&report);
    auto *footer = new TppGroupFooterBand(nullptr);
    footer->SetReport(&report);
    footer->SetGroup(group);
    TppDBCalc placed;
    placed.IncludeState(ppState::Design);
    placed.SetBand(footer);
    EXPECT_EQ(placed.ResetGroup(), group);
    placed.SetBand(detail);
    EXPECT_EQ(placed.ResetGroup(), nullptr);
}

TEST_F(Calculations, SystemVariablesKnowTheirPagesOnlyWhilePrinting)
{
    TppSystemVariable page;
    page.IncludeState(ppState::Design);
    page.SetBand(detail);
    page.SetVarType(TppVarType::vtPageNo);
    EXPECT_EQ(page.GetText(), "1");
    EXPECT_EQ(report.PassSetting(), TppPassSettingType::psOnePass);
    EXPECT_EQ(page.DataType(), TppDataType::dtInteger);
    page.SetVarType(TppVarType::vtPageSetDesc);
    EXPECT_EQ(report.PassSetting(), TppPassSettingType::psTwoPass);
    EXPECT_EQ(page.GetText(), "Page 1 of 1");
    page.SetVarType(TppVarType::vtDate);
    EXPECT_EQ(page.GetText(), shownDay(2025, 12, 9)); // the pinned clock
    EXPECT_EQ(TppSystemVariable::VarTypeCaptions().at(2), "DocumentName");
}

TEST_F(Calculations, ACalcTakesACustomTypeOnlyForItsCustomKind)
{
    TppCalc calc;
    calc.SetBand(detail);
    EXPECT_EQ(calc.CustomType(), TppDataType::dtDateTime);
    calc.SetCalcType(TppCalcType::ctDate);
    calc.SetCustomType(TppDataType::dtInteger);
    EXPECT_EQ(calc.CustomType(), TppDataType::dtDate);
    calc.SetText("ignored");
    EXPECT_EQ(calc.AsString(), "");

    calc.SetCalcType(TppCalcType::ctCustom);
    calc.SetCustomType(TppDataType::dtInteger);
    EXPECT_EQ(calc.CustomType(), TppDataType::dtInteger);
    calc.SetText("typed");
    EXPECT_EQ(calc.AsString(), "typed");
    EXPECT_EQ(calc.CustomType(), TppDataType::dtString);
    EXPECT_EQ(calc.GetText(), "typed");

    // The handler recomputes the custom value each time the control prints.
    calc.SetCustomType(TppDataType::dtInteger);
    calc.OnCalc.Set([&calc](classes::TObject *) { calc.SetAsInteger(calc.AsInteger() + 2); });
    report.SetPrinting(true);
    calc.Compute();
    calc.Compute();
    report.SetPrinting(false);
    EXPECT_EQ(calc.AsInteger(), 4);
}

TEST_F(Calculations, AnOldBandTurnsItsCalcsIntoSystemVariablesAndVariables)
{
    classes::TComponent form(nullptr);
    auto *page = new TppCalc(&form);
    page->SetName("ppCalc1");
    page->SetBand(detail);
    page->SetCalcType(TppCalcType::ctPageNoDesc);
    page->SetBounds(1000, 2000, 30000, 4000);
    auto *custom = new TppCalc(&form);
    custom->SetName("ppCalc2");
    custom->SetBand(detail);
    custom->SetCalcType(TppCalcType::ctCustom);
    custom->SetCustomType(TppDataType::dtInteger);
    int calls = 0;
    custom->OnCalc.Set([&calls](classes::TObject *) { ++calls; });

    detail->Convert(3500);
    // Not while the stream may still be read: when the band's timer fires.
    EXPECT_TRUE(detail->CalcConversionPending());
    EXPECT_EQ(detail->Objects(0), page);
    detail->ConvertCalcs();
    EXPECT_FALSE(detail->CalcConversionPending());
    ASSERT_EQ(detail->ObjectCount(), 2);
    auto *system = dynamic_cast<TppSystemVariable *>(detail->Objects(0));
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->Name(), "ppCalc1");
    EXPECT_EQ(system->VarType(), TppVarType::vtPageNoDesc);
    EXPECT_EQ(system->mmLeft(), 1000);
    EXPECT_EQ(system->mmWidth(), 30000);
    auto *variable = dynamic_cast<TppVariable *>(detail->Objects(1));
    ASSERT_NE(variable, nullptr);
    EXPECT_EQ(variable->Name(), "ppCalc2");
    EXPECT_EQ(variable->DataType(), TppDataType::dtInteger);
    variable->Init();
    report.SetPrinting(true);
    variable->Calc();
    report.SetPrinting(false);
    EXPECT_EQ(calls, 1);
    // A newer band keeps what it has.
    detail->Convert(4000);
    EXPECT_EQ(detail->Objects(0), system);
}

TEST_F(Calculations, AStoredCalcOfAnOldReportLoadsAsTheMatchingSystemVariable)
{
    classes::TComponent form(nullptr);
    auto *stored = new TppReport(&form);
    stored->SetName("Report");
    auto *band = new TppDetailBand(&form);
    band->SetName("Detail");
    band->SetReport(stored);
    auto *calc = new TppCalc(&form);
    calc->SetName("ppCalc1");
    calc->SetBand(band);
    calc->SetCalcType(TppCalcType::ctPageSetDesc);
    QByteArray text = componentStreamText(stored);
    ASSERT_TRUE(text.contains("Version = '7.01'")) << text.constData();
    text.replace("Version = '7.01'", "Version = '3.50'");

    TppReport loaded;
    classes::TMemoryStream source;
    source.WriteBuffer(text.constData(), text.size());
    source.SetPosition(0);
    classes::TMemoryStream binary;
    classes::ObjectTextToBinary(source, binary);
    binary.SetPosition(0);
    classes::TReader(binary).ReadRootComponent(&loaded);
    TppBand *detailBand = loaded.GetBand(4);
    ASSERT_NE(detailBand, nullptr);
    ASSERT_TRUE(detailBand->CalcConversionPending());
    detailBand->ConvertCalcs();
    ASSERT_EQ(detailBand->ObjectCount(), 1);
    auto *system = dynamic_cast<TppSystemVariable *>(detailBand->Objects(0));
    ASSERT_NE(system, nullptr) << detailBand->Objects(0)->ClassName().toStdString();
    EXPECT_EQ(system->VarType(), TppVarType::vtPageSetDesc);
    EXPECT_EQ(system->Name(), "ppCalc1");
}

TEST_F(Calculations, OldCalcStreamsGiveTheTypeOfTheirValue)
{
    const auto read = [](TppCalc &aCalc, const QByteArray &aProperties) {
        const QByteArray text = "object ppCalc1: TppCalc\n" + aProperties + "end\n";
        classes::TMemoryStream source;
        source.WriteBuffer(text.constData(), text.size());
        source.SetPosition(0);
        classes::TMemoryStream binary;
        classes::ObjectTextToBinary(source, binary);
        binary.SetPosition(0);
        classes::TReader(binary).ReadRootComponent(&aCalc);
    };
    TppCalc integer;
    read(integer, "  CalcType = ctCustom\n  DataType = ftSmallint\n");
    EXPECT_EQ(integer.CustomType(), TppDataType::dtInteger);
    TppCalc unknown;
    read(unknown, "  CalcType = ctCustom\n  CustomType = dtBoolean\n  DataType = ftBlob\n");
    EXPECT_EQ(unknown.CustomType(), TppDataType::dtBoolean);
    // Before 3000 the type follows the kind.
    TppCalc old;
    read(old, "  CalcType = ctPageNo\n  CustomType = dtString\n");
    EXPECT_EQ(old.CustomType(), TppDataType::dtString);
    old.Convert(2999);
    EXPECT_EQ(old.CustomType(), TppDataType::dtInteger);
    EXPECT_EQ(old.GetDescription(), "ppCalc1: PageNo");
}
