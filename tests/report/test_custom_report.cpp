#include "tests/support/report/BandFakes.h"
#include "tests/support/report/EngineFakes.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/ReportFakes.h"
#include "tests/support/report/TraceDevice.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DesignerSink.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Bitmaps.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/data/PipelineList.h"
#include "report/model/engine/ColumnPositions.h"
#include "report/model/engine/Engine.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/BandedReport.h"
#include "report/model/reports/CustomReport.h"
#include "report/model/reports/CustomReportRTTI.h"
#include "report/model/reports/Report.h"
#include "report/model/reports/ReportModule.h"
#include "report/model/subreports/SubReport.h"
#include "report/model/templates/ReportTemplate.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/classes/Writer.h"

#include <gtest/gtest.h>

#include <memory>

using namespace report;
using namespace reporttest;

namespace {

constexpr TppNoDataBehaviors noData(std::initializer_list<TppNoDataBehaviorType> aTypes)
{
    TppNoDataBehaviors set = 0;
    for (TppNoDataBehaviorType type : aTypes)
        set |= TppNoDataBehaviors(1u << unsigned(type));
    return set;
}

QStringList bandClasses(const TppCustomReport &aReport)
{
    QStringList names;
    for (int i = 0; i < aReport.BandCount(); ++i)
        names.append(aReport.Bands(i)->ClassName());
    return names;
}

TEST(CustomReport, NoDataBehaviorsKeepOneBlankChoice)
{
    TppCustomReport report;
    EXPECT_EQ(report.NoDataBehaviors(), noData({TppNoDataBehaviorType::ndBlankPage}));
    report.SetNoDataBehaviors(noData({TppNoDataBehaviorType::ndBlankReport}));
    EXPECT_EQ(report.NoDataBehaviors(), noData({TppNoDataBehaviorType::ndBlankReport}));
    report.SetNoDataBehaviors(noData({TppNoDataBehaviorType::ndBlankPage, TppNoDataBehaviorType::ndBlankReport}));
    EXPECT_EQ(report.NoDataBehaviors(), noData({TppNoDataBehaviorType::ndBlankPage}));
    report.SetNoDataBehaviors(0);
    EXPECT_EQ(report.NoDataBehaviors(), noData({TppNoDataBehaviorType::ndBlankPage}));
    report.SetNoDataBehaviors(noData({TppNoDataBehaviorType::ndBlankPage, TppNoDataBehaviorType::ndMessageOnPage}));
    EXPECT_EQ(report.NoDataBehaviors(), noData({TppNoDataBehaviorType::ndBlankPage}));
    EXPECT_EQ(report.GetUserName(), QStringLiteral("Report"));
}

TEST(CustomReport, ColumnsAndTheirWidthFitThePage)
{
    TppCustomReport report;
    const int32_t printable = report.mmPrintableWidth();
    ASSERT_GT(printable, 0);
    report.SetColumns(0);
    EXPECT_EQ(report.Columns(), 1);
    report.SetColumns(3);
    EXPECT_EQ(report.mmColumnWidth(), printable / 3);
    report.SetmmColumnWidth(printable * 2);
    EXPECT_EQ(report.mmColumnWidth(), printable);
    EXPECT_EQ(report.Columns(), 1);
    report.SetColumns(4);
    report.SetmmColumnWidth(printable / 2 - 10);
    EXPECT_EQ(report.Columns(), 2);

    // A column band is as wide as a column.
    auto *header = new TppColumnHeaderBand;
    header->SetReport(&report);
    EXPECT_EQ(header->BandWidth(), report.mmColumnWidth());
    auto *footer = new TppFooterBand;
    footer->SetReport(&report);
    EXPECT_EQ(footer->BandWidth(), printable);
}

TEST(CustomReport, DefaultBandsFollowTheColumns)
{
    TppCustomReport two;
    two.SetColumns(2);
    two.CreateDefaultBands();
    EXPECT_EQ(bandClasses(two), (QStringList{"TppHeaderBand", "TppColumnHeaderBand", "TppDetailBand",
                                             "TppColumnFooterBand", "TppFooterBand"}));
    EXPECT_TRUE(two.Modified());

    TppCustomReport one;
    one.CreateDefaultBands();
    EXPECT_EQ(bandClasses(one), (QStringList{"TppHeaderBand", "TppDetailBand", "TppFooterBand"}));

    TppCustomReport some;
    (new TppSummaryBand)->SetReport(&some);
    some.CreateDefaultBands();
    EXPECT_EQ(bandClasses(some), QStringList{"TppSummaryBand"});
}

TEST(CustomReport, FreeingThePipelineLeavesTheReportWithoutOne)
{
    RecordingDesigner designer;
    TppCustomReport report;
    report.SetDesigner(&designer);
    auto pipeline = std::make_unique<MemoryPipeline>();
    report.SetDataPipeline(pipeline.get());
    EXPECT_FALSE(report.AutoStop());
    designer.Messages.clear();
    pipeline.reset();
    EXPECT_EQ(report.DataPipeline(), nullptr);
    EXPECT_TRUE(report.AutoStop());
    EXPECT_TRUE(designer.has(QStringLiteral("send 1145")));
}

TEST(CustomReport, PrintErrorsCarryTheReportsLastWord)
{
    TppCustomReport report;
    try {
        report.HandlePrintError(QStringLiteral("Band height cannot exceed page height."));
        FAIL() << "no error";
    } catch (const EPrintError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Band height cannot exceed page height.\r\n\r\nCannot generate report."));
    }
}

TEST(CustomReport, BandsGroupsAndNames)
{
    TppCustomReport report;
    auto *detail = new TppDetailBand;
    detail->SetReport(&report);
    auto *title = new TppTitleBand;
    title->SetReport(&report);
    auto *group = new TppGroup;
    group->SetReport(&report);
    group->SetUserName(QStringLiteral("ByCountry"));
    auto *header = new TppGroupHeaderBand;
    header->SetGroup(group);
    auto *object = new StandInPrintable;
    object->SetName(QStringLiteral("Amount"));
    object->SetBand(detail);

    EXPECT_EQ(bandClasses(report), (QStringList{"TppTitleBand", "TppGroupHeaderBand", "TppDetailBand"}));
    EXPECT_EQ(report.GetBand(4), detail);
    EXPECT_EQ(report.GetBand(3, 0), header);
    EXPECT_EQ(report.GetBand(3, 1), nullptr);
    EXPECT_EQ(report.GetBand(8), nullptr);
    EXPECT_EQ(report.FindUserName(QStringLiteral("bycountry")), group);
    EXPECT_EQ(report.FindUserName(QStringLiteral("REPORT")), &report);
    int band = -1, index = -1;
    EXPECT_TRUE(report.FindBandComponent(QStringLiteral("Amount"), band, index));
    EXPECT_EQ(band, 2);
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(report.FindBandComponent(QStringLiteral("amount"), band, index));

    int cacheables = 0;
    report.EnumerateCacheables([&cacheables](TppCacheable *) { ++cacheables; });
    EXPECT_EQ(cacheables, 6);

    report.SetUnits(TppUnitType::utMillimeters);
    EXPECT_EQ(detail->Units(), TppUnitType::utMillimeters);
    delete group;
    EXPECT_EQ(report.GroupCount(), 0);
    EXPECT_EQ(bandClasses(report), (QStringList{"TppTitleBand", "TppDetailBand"}));
}

} // namespace

namespace {

TEST(CustomReport, ScriptsReachTheSettingsBandsAndGetBand)
{
    TppCustomReport report;
    report.CreateDefaultBands();
    const TraRTTI &rtti = TraTppCustomReportRTTI::Instance();
    int32_t columns = 0;
    EXPECT_TRUE(rtti.SetPropValue(&report, QStringLiteral("columns"), &columns));
    EXPECT_EQ(report.Columns(), 1);
    int32_t bandCount = 0;
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("BandCount"), &bandCount));
    EXPECT_EQ(bandCount, 3);
    EXPECT_FALSE(rtti.SetPropValue(&report, QStringLiteral("BandCount"), &bandCount));

    std::unique_ptr<TraParamList> params = rtti.GetParams(QStringLiteral("GetBand"));
    uint8_t kind = 4;
    int32_t groupIndex = 0;
    classes::TObject *band = nullptr;
    params->SetParamValuePointer(0, &kind);
    params->SetParamValuePointer(1, &groupIndex);
    params->SetParamValuePointer(2, &band);
    EXPECT_TRUE(rtti.CallMethod(&report, QStringLiteral("GetBand"), *params));
    EXPECT_EQ(band, report.GetBand(4));

    classes::TStringList events;
    rtti.GetEventList(TppCustomReport::StaticClass(), events);
    EXPECT_GE(events.IndexOf(QStringLiteral("OnStartPage")), 0);
    EXPECT_LT(events.IndexOf(QStringLiteral("OnPrintingComplete")), 0);
}

TEST(CustomReport, AStaticHeightAboveThePrintableHeightIsRefusedWithAWarningInTheDesigner)
{
    QStringList shown;
    ScopedDialogServices services({{}, [&shown](const TppMessageRequest &aRequest) {
                                       shown.append(aRequest.text);
                                       return 1;
                                   }});
    TppCustomReport report;
    report.CreateDefaultBands();
    TppBand *detail = report.GetBand(4);
    const int32_t height = detail->mmHeight();
    detail->SetmmHeight(report.mmPrintableHeight() + 1);
    EXPECT_EQ(detail->mmHeight(), height);
    EXPECT_TRUE(shown.isEmpty());

    // A designer that shows no bar for the band has nothing to explain.
    RecordingDesigner designer;
    report.SetDesigner(&designer);
    detail->SetmmHeight(report.mmPrintableHeight() + 1);
    EXPECT_EQ(detail->mmHeight(), height);
    EXPECT_TRUE(shown.isEmpty());
    report.SetDesigner(nullptr);
}

// A designer that is an object of the class library: the report's host.
// It keeps the report's state of change as its window would show it.
class HostingDesigner
    : public classes::TObject
    , public RecordingDesigner
    , public IppDesignerHost
{
public:
    void ReportModified(classes::TComponent *aReport, bool aModified) override
    {
        Modified.append({aReport, aModified});
    }
    bool SupplyMethod(classes::TComponent *, const QString &, const std::any *&) override { return false; }

    QList<QPair<classes::TComponent *, bool>> Modified;
};

TEST(CustomReport, AnAttachedDesignerIsTheHostAndALanguageChangeRecaptionsTheBands)
{
    TppCustomReport report;
    report.CreateDefaultBands();
    HostingDesigner designer;
    report.SetDesigner(&designer);
    EXPECT_EQ(report.GetHostObject(), &designer);
    TppBand *header = report.GetBand(0);
    header->SetCaption(QStringLiteral("stale"));
    report.LanguageChanged();
    EXPECT_EQ(header->Caption(), header->GetDefaultCaption());
    EXPECT_NE(header->Caption(), QStringLiteral("stale"));
    report.SetDesigner(nullptr);
    EXPECT_EQ(report.GetHostObject(), nullptr);
}

TEST(CustomReport, TheHostHearsOfChangesOnlyWhileItsDesignerIsAttached)
{
    HostingDesigner designer;
    RecordingDesigner plain;
    TppCustomReport report;
    report.SetModified(true);
    EXPECT_TRUE(designer.Modified.isEmpty());
    report.SetDesigner(&designer);
    report.SetModified(true);
    report.SetModified(false);
    using Heard = QPair<classes::TComponent *, bool>;
    EXPECT_EQ(designer.Modified, (QList<Heard>{{&report, true}, {&report, false}}));
    // New bands are a change the designer's window shows.
    report.CreateDefaultBands();
    ASSERT_GT(designer.Modified.size(), 2);
    EXPECT_EQ(designer.Modified.last(), Heard(&report, true));
    const qsizetype heard = designer.Modified.size();
    report.SetDesigner(nullptr);
    report.SetModified(true);
    EXPECT_EQ(designer.Modified.size(), heard);
    EXPECT_TRUE(report.Modified());

    // A sink that is no host object hears its messages and nothing else.
    report.SetDesigner(&plain);
    report.SetModified(false);
    EXPECT_FALSE(report.Modified());
    report.SetDesigner(nullptr);
}

TEST(CustomReport, ATransferLetsTheDesignerGoAndTakesItUpWithTheNewContents)
{
    classes::TComponent form(nullptr);
    auto *source = new TppCustomReport(&form);
    auto *detail = new TppDetailBand;
    detail->SetReport(source);
    auto *subreport = new TppSubReport;
    subreport->SetBand(detail);
    ASSERT_NE(subreport->Report(), nullptr);

    auto *target = new TppCustomReport(&form);
    target->CreateDefaultBands();
    HostingDesigner designer;
    target->SetDesigner(&designer);
    designer.Messages.clear();
    designer.Objects.clear();
    target->TransferRelatives(*source);

    // Told that it leaves before anything moves and that it comes back
    // once the report holds the new contents.
    QList<QPair<QString, classes::TObject *>> told;
    for (qsizetype i = 0; i < designer.Messages.size(); ++i)
        if (designer.Messages[i] == QStringLiteral("send 1143") || designer.Messages[i] == QStringLiteral("send 1142"))
            told.append({designer.Messages[i], designer.Objects[i]});
    using Told = QPair<QString, classes::TObject *>;
    EXPECT_EQ(told, (QList<Told>{{"send 1143", target}, {"send 1142", target}, {"send 1142", subreport->Report()}}))
        << designer.Messages.join(' ').toStdString();
    EXPECT_EQ(designer.Messages.indexOf(QStringLiteral("send 1143")), 0);
    EXPECT_EQ(target->Designer(), &designer);
    EXPECT_EQ(target->GetHostObject(), &designer);
    // The subreport came with the detail band: its report shows in the
    // designer too.
    EXPECT_EQ(subreport->Report()->Designer(), &designer);
    EXPECT_EQ(source->Designer(), nullptr);
    target->SetDesigner(nullptr);
    delete target;
    delete source;
}

TEST(CustomReport, OneColumnAgainTakesThePrintableWidthOnlyInTheDesigner)
{
    HostingDesigner designer;
    TppCustomReport report;
    const int32_t printable = report.mmPrintableWidth();
    report.SetColumns(2);
    report.SetColumns(1);
    EXPECT_EQ(report.Columns(), 1);
    EXPECT_EQ(report.mmColumnWidth(), printable / 2);

    report.SetDesigner(&designer);
    report.SetColumns(2);
    EXPECT_EQ(report.mmColumnWidth(), printable / 2);
    report.SetColumns(1);
    EXPECT_EQ(report.mmColumnWidth(), printable);
    report.SetDesigner(nullptr);
}

} // namespace

namespace {

TEST(CustomReport, StateBitsAndANewOwnerReachEveryPartOfTheReport)
{
    classes::TComponent form(nullptr);
    classes::TComponent otherForm(nullptr);
    auto *report = new TppCustomReport(&form);
    auto *detail = new TppDetailBand;
    detail->SetReport(report);
    auto *group = new TppGroup;
    group->SetReport(report);
    auto *header = new TppGroupHeaderBand;
    header->SetGroup(group);
    auto *object = new StandInPrintable;
    object->SetBand(detail);
    ASSERT_EQ(detail->Owner(), &form);

    report->IncludeState(ppState::DesignData);
    for (const TppCommunicator *part :
         std::initializer_list<const TppCommunicator *>{report, detail, header, object, group, report->Engine()})
        EXPECT_TRUE(part->HasCommunicatorState(ppState::DesignData)) << part->ClassName().toStdString();
    report->ExcludeState(ppState::DesignData);
    for (const TppCommunicator *part :
         std::initializer_list<const TppCommunicator *>{report, detail, header, object, group, report->Engine()})
        EXPECT_FALSE(part->HasCommunicatorState(ppState::DesignData)) << part->ClassName().toStdString();

    report->ChangeOwner(&otherForm);
    for (const classes::TComponent *part :
         std::initializer_list<const classes::TComponent *>{report, detail, header, object, group})
        EXPECT_EQ(part->Owner(), &otherForm) << part->ClassName().toStdString();
    EXPECT_EQ(form.ComponentCount(), 0);
    delete report;
    EXPECT_EQ(otherForm.ComponentCount(), 0);
}

} // namespace

namespace {

TEST(CustomReport, UniqueUserNamesCountOnlyThisReportsObjects)
{
    classes::TComponent form(nullptr);
    auto *first = new TppCustomReport(&form);
    auto *second = new TppCustomReport(&form);
    auto *firstDetail = new TppDetailBand;
    firstDetail->SetReport(first);
    auto *secondDetail = new TppDetailBand;
    secondDetail->SetReport(second);

    auto *a = new StandInPrintable;
    a->SetBand(firstDetail);
    const QString base = a->UserName().chopped(1);
    ASSERT_EQ(a->UserName(), base + "1");
    auto *b = new StandInPrintable;
    b->SetBand(secondDetail);
    EXPECT_EQ(b->UserName(), base + "1");
    auto *c = new StandInPrintable;
    c->SetBand(firstDetail);
    EXPECT_EQ(c->UserName(), base + "2");
    EXPECT_EQ(second->FindUserName(base + "2"), nullptr);
    EXPECT_EQ(first->FindUserName(base + "2"), c);
    a->SetUserName(QStringLiteral("Total"));
    auto *d = new StandInPrintable;
    EXPECT_EQ(first->GetUniqueUserName(d), base + "1");
    delete d;

    EXPECT_EQ(first->GetUniqueUserName(firstDetail), firstDetail->UserName());
    delete first;
    delete second;
}

} // namespace

namespace {

// The report keeps its objects' names in an index; what it answers must
// follow every rename, move and free as a walk over the objects would.
TEST(CustomReport, NamesAreFoundAfterRenamesMovesAndFrees)
{
    TppCustomReport report;
    auto *detail = new TppDetailBand;
    detail->SetReport(&report);
    auto *summary = new TppSummaryBand;
    summary->SetReport(&report);
    auto *a = new StandInPrintable;
    a->SetBand(detail);
    a->SetUserName(QStringLiteral("Amount"));
    auto *b = new StandInPrintable;
    b->SetBand(detail);
    b->SetUserName(QStringLiteral("Balance"));
    EXPECT_EQ(report.FindUserName(QStringLiteral("AMOUNT")), a);

    a->SetUserName(QStringLiteral("Total"));
    EXPECT_EQ(report.FindUserName(QStringLiteral("total")), a);
    EXPECT_EQ(report.FindUserName(QStringLiteral("Amount")), nullptr);
    // The old name is free again; a taken one gets a number.
    b->SetUserName(QStringLiteral("Amount"));
    EXPECT_EQ(report.FindUserName(QStringLiteral("Amount")), b);
    auto *c = new StandInPrintable;
    c->SetBand(summary);
    c->SetUserName(QStringLiteral("Total"));
    EXPECT_EQ(c->UserName(), QStringLiteral("Total1"));

    a->SetBand(summary);
    EXPECT_EQ(report.FindUserName(QStringLiteral("Total")), a);
    delete a;
    EXPECT_EQ(report.FindUserName(QStringLiteral("Total")), nullptr);
    c->SetUserName(QStringLiteral("Total"));
    EXPECT_EQ(c->UserName(), QStringLiteral("Total"));
    delete summary;
    EXPECT_EQ(report.FindUserName(QStringLiteral("Total")), nullptr);
    EXPECT_EQ(report.FindUserName(QStringLiteral("Amount")), b);
}

TEST(CustomReport, ARenameInTheDesignerCarriesTheReportNameIntoItsParts)
{
    classes::TComponent form(nullptr);
    RecordingDesigner designer;
    auto *report = new TppCustomReport(&form);
    report->SetName(QStringLiteral("Sales"));
    report->SetDesigner(&designer);
    auto *detail = new TppDetailBand;
    detail->SetReport(report);
    auto *group = new TppGroup;
    group->SetReport(report);
    group->SetName(QStringLiteral("SalesGroup1"));
    auto *total = new StandInPrintable;
    total->SetBand(detail);
    total->SetName(QStringLiteral("SalesTotal"));
    auto *label = new StandInPrintable;
    label->SetBand(detail);
    label->SetName(QStringLiteral("Label1"));

    report->SetName(QStringLiteral("Orders"));
    EXPECT_EQ(total->Name(), QStringLiteral("SalesTotal"));
    EXPECT_TRUE(designer.has(QStringLiteral("send 1124")));

    report->IncludeState(ppState::Design);
    report->SetName(QStringLiteral("Sales"));
    report->SetName(QStringLiteral("Invoices"));
    EXPECT_EQ(group->Name(), QStringLiteral("InvoicesGroup1"));
    EXPECT_EQ(total->Name(), QStringLiteral("InvoicesTotal"));
    EXPECT_EQ(label->Name(), QStringLiteral("Label1"));
    report->SetDesigner(nullptr);
    delete report;
}

} // namespace

namespace {

// Reads a report stream given as text into aReport.
void readReportText(TppCustomReport &aReport, const QByteArray &aProperties)
{
    const QByteArray text = "object Report: TppCustomReport\n" + aProperties + "end\n";
    classes::TMemoryStream source;
    source.WriteBuffer(text.constData(), text.size());
    source.SetPosition(0);
    classes::TMemoryStream binary;
    classes::ObjectTextToBinary(source, binary);
    binary.SetPosition(0);
    classes::TReader(binary).ReadRootComponent(&aReport);
}

// Column positions are read and written in the file's one form, whatever
// separator the system uses: a fraction prints, one saved with "," (as a
// comma system used to save it) reads too, and a save writes "." again.
TEST(CustomReport, FractionalColumnPositionsPrintAndSaveInTheFilesOwnForm)
{
    TppCustomReport report;
    readReportText(report, "  Version = '7.01'\n  Columns = 2\n"
                           "  ColumnPositions.Strings = (\n    '6350.4'\n    '105500,6')\n");
    EXPECT_EQ(report.mmColumnPositions(), (QStringList{"6350.4", "105500.6"}));
    TppColumnPlace first;
    TppColumnPlace second;
    EXPECT_NO_THROW({
        first = ppPlaceColumn(report, 1);
        second = ppPlaceColumn(report, 2);
    });
    EXPECT_EQ(first.left, 6350);
    EXPECT_EQ(second.left, 105501);
    EXPECT_TRUE(second.fits);
    EXPECT_EQ(report.ColumnPositions(), (QStringList{"0.25", "4.1536"}));

    classes::TMemoryStream binary;
    classes::TWriter(binary).WriteRootComponent(&report);
    binary.SetPosition(0);
    classes::TMemoryStream text;
    classes::ObjectBinaryToText(binary, text);
    const QByteArray saved(text.Memory(), qsizetype(text.Size()));
    EXPECT_TRUE(saved.contains("'6350.4'")) << saved.constData();
    EXPECT_TRUE(saved.contains("'105500.6'")) << saved.constData();

    // Older reports keep their positions in their units, converted once
    // loaded.
    TppCustomReport old;
    readReportText(old, "  Version = '2.50'\n  Units = utInches\n  Columns = 2\n"
                        "  ColumnPositions.Strings = (\n    '0.25'\n    '4.5')\n");
    EXPECT_EQ(old.mmColumnPositions(), (QStringList{"6350", "114300"}));
}

TEST(CustomReport, OldReportsAreBroughtUpToDate)
{
    const QByteArray threeColumns = "  Units = utMillimeters\n  Columns = 3\n  ColumnWidth = 200.000000000000000000\n";
    TppCustomReport report;
    readReportText(report, threeColumns);
    report.SetColumnPositions({QStringLiteral("10"), QStringLiteral("abc")});
    auto *detail = new TppDetailBand;
    detail->SetReport(&report);
    detail->SetmmHeight(96);
    report.Convert(2000);
    EXPECT_FALSE(report.AutoStop());
    EXPECT_EQ(report.ColumnPositions(), (QStringList{QStringLiteral("10000"), QStringLiteral("abc")}));
    EXPECT_EQ(report.mmColumnWidth(), 200000);
    EXPECT_EQ(report.PassSetting(), TppPassSettingType::psTwoPass);
    EXPECT_TRUE(report.Modified());
    EXPECT_NE(detail->mmHeight(), 96);

    // Without positions, columns that do not fit share the page.
    TppCustomReport wide;
    readReportText(wide, threeColumns);
    wide.Convert(2999);
    EXPECT_EQ(wide.mmColumnWidth(), wide.mmPrintableWidth() / 3);

    TppCustomReport recent;
    recent.Convert(4000);
    EXPECT_FALSE(recent.AutoStop());
    EXPECT_EQ(recent.PassSetting(), TppPassSettingType::psOnePass);
    TppCustomReport current;
    current.Convert(4100);
    EXPECT_TRUE(current.AutoStop());
}

} // namespace

namespace {

TEST(CustomReport, ATransferTakesTheSourcesSettingsBandsAndGroups)
{
    classes::TComponent form(nullptr);
    classes::TComponent otherForm(nullptr);
    auto *source = new TppCustomReport(&form);
    auto pipeline = std::make_unique<MemoryPipeline>();
    source->SetDataPipeline(pipeline.get());
    source->SetColumns(2);
    source->SetPageLimit(4);
    source->SetUnits(TppUnitType::utMillimeters);
    int pagesEnded = 0;
    source->OnEndPage.Set([&pagesEnded](classes::TObject *) { ++pagesEnded; });
    auto *title = new TppTitleBand;
    title->SetReport(source);
    auto *detail = new TppDetailBand;
    detail->SetReport(source);
    auto *group = new TppGroup;
    group->SetReport(source);
    auto *header = new TppGroupHeaderBand;
    header->SetGroup(group);
    auto *object = new StandInPrintable;
    object->SetBand(detail);

    auto *target = new TppCustomReport(&otherForm);
    target->CreateDefaultBands();
    ASSERT_EQ(target->BandCount(), 3);
    target->TransferRelatives(*source);

    EXPECT_EQ(source->BandCount(), 0);
    EXPECT_EQ(source->GroupCount(), 0);
    EXPECT_EQ(bandClasses(*target), (QStringList{"TppTitleBand", "TppGroupHeaderBand", "TppDetailBand"}));
    EXPECT_EQ(target->Groups(0), group);
    EXPECT_EQ(target->GetBand(3, 0), header);
    for (const classes::TComponent *part :
         std::initializer_list<const classes::TComponent *>{title, detail, header, group, object})
        EXPECT_EQ(part->Owner(), &otherForm) << part->ClassName().toStdString();
    EXPECT_EQ(target->DataPipeline(), pipeline.get());
    EXPECT_FALSE(target->AutoStop());
    EXPECT_EQ(target->Columns(), 2);
    EXPECT_EQ(target->mmColumnWidth(), source->mmColumnWidth());
    EXPECT_EQ(target->PageLimit(), 4);
    EXPECT_EQ(target->Units(), TppUnitType::utMillimeters);
    EXPECT_EQ(detail->Units(), TppUnitType::utMillimeters);
    target->CheckPageLimit();
    EXPECT_EQ(pagesEnded, 1);

    delete source;
    pipeline.reset();
    EXPECT_EQ(target->DataPipeline(), nullptr);
    delete target;
}

} // namespace

namespace {

TEST(CustomReport, LoadingFindsThePipelineNamedInTheStream)
{
    classes::TComponent form(nullptr);
    auto *pipeline = new MemoryPipeline(&form);
    pipeline->SetName(QStringLiteral("Customers"));
    auto *report = new TppCustomReport(&form);
    readReportText(*report, "  Version = '7.01'\n  DataPipelineName = 'customers'\n");
    EXPECT_EQ(report->DataPipeline(), pipeline);
    // As stored: loading is no change of pipeline.
    EXPECT_TRUE(report->AutoStop());

    delete report;
    auto *unknown = new TppCustomReport(&form);
    readReportText(*unknown, "  DataPipelineName = 'Orders'\n");
    EXPECT_EQ(unknown->DataPipeline(), nullptr);
    delete unknown;
}

} // namespace

namespace {

TEST(CustomReport, ColumnPositionsAreKeptInThousandthsAndShownInTheUnits)
{
    TppCustomReport report;
    report.SetColumns(3);
    report.SetColumnPositions({QStringLiteral("0.5"), QStringLiteral(" 3 "), QStringLiteral("abc")});
    EXPECT_EQ(report.mmColumnPositions(), (QStringList{"12700", "76200", "abc"}));
    const QStringList inches = report.ColumnPositions();
    ASSERT_EQ(inches.size(), 3);
    EXPECT_NEAR(inches[0].toDouble(), 0.5, 1e-5);
    EXPECT_EQ(inches[2], QStringLiteral("abc"));

    // Another unit shows the same edges in it; the columns stay in place.
    report.SetUnits(TppUnitType::utMillimeters);
    EXPECT_EQ(report.ColumnPositions(), (QStringList{"12.7", "76.2", "abc"}));
    EXPECT_EQ(report.mmColumnPositions(), (QStringList{"12700", "76200", "abc"}));
    EXPECT_EQ(ppPlaceColumn(report, 2).left, 76200);

    // Scripts read the shown list, and a change of it is a change of the
    // positions.
    const TraRTTI &rtti = TraTppCustomReportRTTI::Instance();
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TppCustomReport::StaticClass(), QStringLiteral("columnpositions"), rec));
    EXPECT_EQ(rec.ClassType, &classes::TStrings::StaticClass());
    EXPECT_FALSE(rec.ReadOnly);
    classes::TObject *list = nullptr;
    ASSERT_TRUE(rtti.GetPropValue(&report, QStringLiteral("ColumnPositions"), &list));
    auto *strings = dynamic_cast<classes::TStrings *>(list);
    ASSERT_NE(strings, nullptr);
    EXPECT_EQ(strings->Strings(1), QStringLiteral("76.2"));
    strings->Put(2, QStringLiteral("140"));
    EXPECT_EQ(report.mmColumnPositions(), (QStringList{"12700", "76200", "140000"}));
    classes::TStringList two;
    two.Add(QStringLiteral("20"));
    two.Add(QStringLiteral("100"));
    classes::TObject *assigned = &two;
    EXPECT_TRUE(rtti.SetPropValue(&report, QStringLiteral("ColumnPositions"), &assigned));
    EXPECT_EQ(report.mmColumnPositions(), (QStringList{"20000", "100000"}));

    // The designer and the stream see the stored texts.
    report.SetDesigning(true);
    EXPECT_EQ(report.ColumnPositions(), (QStringList{"20000", "100000"}));
    report.SetColumnPositions({QStringLiteral("5000")});
    EXPECT_EQ(report.mmColumnPositions(), QStringList{"5000"});
}

TEST(CustomReport, ASavedReportKeepsItsColumnPositions)
{
    TppCustomReport written;
    written.SetUnits(TppUnitType::utMillimeters);
    written.SetColumnPositions({QStringLiteral("10"), QStringLiteral("105.5")});
    classes::TMemoryStream binary;
    classes::TWriter(binary).WriteRootComponent(&written);
    binary.SetPosition(0);
    TppCustomReport read;
    classes::TReader(binary).ReadRootComponent(&read);
    // In thousandths, whatever the units.
    EXPECT_EQ(read.mmColumnPositions(), (QStringList{"10000", "105500"}));
}

TEST(CustomReport, ScriptsReadThePrintTimeAndTheDesigner)
{
    TppCustomReport report;
    const TraRTTI &rtti = TraTppCustomReportRTTI::Instance();
    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TppCustomReport::StaticClass(), QStringLiteral("PrintDateTime"), rec));
    EXPECT_EQ(rec.DataType, TraDataType::daDateTime);
    EXPECT_TRUE(rec.ReadOnly);
    double printed = -1;
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("printdatetime"), &printed));
    EXPECT_EQ(printed, 0.0);
    EXPECT_FALSE(rtti.SetPropValue(&report, QStringLiteral("PrintDateTime"), &printed));

    ASSERT_TRUE(rtti.GetPropRec(TppCustomReport::StaticClass(), QStringLiteral("ReportDesigner"), rec));
    EXPECT_EQ(rec.DataType, TraDataType::daClass);
    EXPECT_TRUE(rec.ReadOnly);
    classes::TObject *designer = &report;
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("ReportDesigner"), &designer));
    EXPECT_EQ(designer, nullptr);
}

TEST(CustomReport, OldStreamsGiveTheirRulerUnitsAndKeepTheReportsName)
{
    for (const auto &[stored, units] : {std::pair{"utPixels", TppUnitType::utScreenPixels},
                                        {"utMillimeters", TppUnitType::utMillimeters},
                                        {"utInches", TppUnitType::utInches}}) {
        TppCustomReport report;
        report.SetUnits(units == TppUnitType::utInches ? TppUnitType::utMillimeters : TppUnitType::utInches);
        readReportText(report, QByteArray("  RulerUnits = ") + stored + "\n  UserName = 'Old report'\n");
        EXPECT_EQ(report.Units(), units) << stored;
        EXPECT_EQ(report.UserName(), QStringLiteral("Report"));
    }
}

} // namespace

namespace {

// Asks through the dialog services; answers OK or Cancel as scripted, and
// records the texts and buttons shown.
class ComponentCheck : public ::testing::Test
{
protected:
    ComponentCheck()
        : texts(ppGetResourceManager().ModuleNames().isEmpty())
        , services({{}, [this](const TppMessageRequest &aRequest) {
                        asked.append(aRequest.text);
                        EXPECT_EQ(aRequest.buttons, TppMessageButtons::OkCancel);
                        EXPECT_EQ(aRequest.kind, TppMessageKind::Warning);
                        return answer;
                    }})
    {
        // The library's texts, so that each question is told by its own.
        if (texts)
            ppGetResourceManager().RegisterModule(QStringLiteral("bvPrint"));
        report.SetColumns(2);
        report.CreateDefaultBands();
        printable = report.mmPrintableWidth();
    }
    ~ComponentCheck() override
    {
        report.SetDesigner(nullptr);
        if (texts)
            ppGetResourceManager().UnregisterModule(QStringLiteral("bvPrint"));
    }

    // An object at aLeft in the band of the kind; the flag tells whether
    // it still lives.
    class Watched : public StandInPrintable
    {
    public:
        ~Watched() override { *alive = false; }
        std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    };
    std::shared_ptr<bool> place(int aKind, int32_t aLeft)
    {
        auto *object = new Watched;
        object->SetBand(report.GetBand(aKind));
        object->SetmmWidth(1000);
        object->SetmmLeft(aLeft);
        return object->alive;
    }

    bool texts;
    ScopedDialogServices services;
    int answer = ppMessageCancel;
    QStringList asked;
    RecordingDesigner designer;
    TppCustomReport report;
    int32_t printable = 0;
};

TEST_F(ComponentCheck, ObjectsBeyondANarrowerColumnGoOnlyWhenTheUserAgrees)
{
    const std::shared_ptr<bool> object = place(2, printable / 2 - 1000);
    // Without a designer nobody is asked and nothing goes.
    report.SetColumns(3);
    EXPECT_EQ(report.Columns(), 3);
    EXPECT_TRUE(*object);
    EXPECT_TRUE(asked.isEmpty());
    report.SetColumns(2);

    report.SetDesigner(&designer);
    const int32_t width = report.mmColumnWidth();
    report.SetColumns(3);
    EXPECT_EQ(asked, QStringList{ppLoadStr(292)});
    EXPECT_EQ(report.Columns(), 2);
    EXPECT_EQ(report.mmColumnWidth(), width);
    report.SetmmColumnWidth(width / 2);
    EXPECT_EQ(report.mmColumnWidth(), width);
    ASSERT_TRUE(*object);

    // Objects of other bands answer to the page, not to the column.
    const std::shared_ptr<bool> detailObject = place(4, printable / 2 - 1000);
    answer = ppMessageOk;
    report.SetColumns(3);
    EXPECT_EQ(report.Columns(), 3);
    EXPECT_FALSE(*object);
    EXPECT_TRUE(*detailObject);
    EXPECT_EQ(report.GetBand(2)->ObjectCount(), 0);
}

TEST_F(ComponentCheck, BackToOneColumnTheColumnBandsGoWithWhatTheyHold)
{
    report.SetDesigner(&designer);
    const std::shared_ptr<bool> inHeader = place(2, 0);
    report.SetColumns(1);
    EXPECT_EQ(asked, QStringList{ppLoadStr(294)});
    EXPECT_EQ(report.Columns(), 2);
    EXPECT_NE(report.GetBand(6), nullptr);
    EXPECT_TRUE(*inHeader);

    place(6, 0);
    answer = ppMessageOk;
    report.SetColumns(1);
    EXPECT_EQ(asked.last(), ppLoadStr(293));
    EXPECT_EQ(report.Columns(), 1);
    EXPECT_EQ(report.mmColumnWidth(), printable);
    EXPECT_FALSE(*inHeader);
    EXPECT_EQ(report.GetBand(2), nullptr);
    EXPECT_EQ(report.GetBand(6), nullptr);

    // Empty column bands go without a question.
    TppCustomReport empty;
    empty.SetColumns(2);
    empty.CreateDefaultBands();
    empty.SetDesigner(&designer);
    asked.clear();
    empty.SetColumns(1);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(empty.GetBand(6), nullptr);
    empty.SetDesigner(nullptr);
}

TEST_F(ComponentCheck, ANarrowerPageWaitsForTheUser)
{
    report.SetUnits(TppUnitType::utMillimeters);
    const std::shared_ptr<bool> object = place(0, printable - 20000);
    report.SetDesigner(&designer);
    const float margin = report.PrinterSetup()->MarginLeft();
    report.PrinterSetup()->SetMarginLeft(margin + 50);
    EXPECT_EQ(asked, QStringList{ppLoadStr(328)});
    EXPECT_EQ(report.mmPrintableWidth(), printable);
    ASSERT_TRUE(*object);

    // Taller margins leave the width alone: nothing to ask.
    report.PrinterSetup()->SetMarginTop(report.PrinterSetup()->MarginTop() + 5);
    EXPECT_EQ(asked.size(), 1);

    answer = ppMessageOk;
    report.PrinterSetup()->SetMarginLeft(margin + 50);
    EXPECT_LT(report.mmPrintableWidth(), printable);
    EXPECT_FALSE(*object);
}

TEST(DialogServices, WithoutAWindowLayerNobodyAgrees)
{
    EXPECT_FALSE(ppConfirmMessage(QStringLiteral("Delete?"), TppMessageKind::Warning));
    EXPECT_EQ(ppShowMessage(QStringLiteral("Note"), TppMessageKind::Information), ppMessageOk);
}

} // namespace

namespace {

TEST(CustomReport, AGroupTakesANewUnitOfTheReport)
{
    TppCustomReport report;
    auto *group = new TppGroup;
    group->SetReport(&report);
    report.SetUnits(TppUnitType::utMillimeters);
    // 20 mm, not 20 inches.
    group->SetNewPageThreshold(20);
    EXPECT_EQ(group->mmNewPageThreshold(), 20000);
    delete group;
}

} // namespace

namespace {

TEST(CustomReport, MoreColumnsBringTheColumnBandsOnce)
{
    TppCustomReport report;
    (new TppDetailBand)->SetReport(&report);
    report.SetColumns(2);
    EXPECT_NE(report.GetBand(2), nullptr);
    EXPECT_NE(report.GetBand(6), nullptr);
    EXPECT_EQ(report.BandCount(), 3);
    // Back to one column outside the designer the bands stay; they are not
    // made a second time.
    report.SetColumns(1);
    report.SetColumns(3);
    EXPECT_EQ(report.BandCount(), 3);

    // The designer makes its own; a report without bands gets them with
    // its default bands.
    TppCustomReport designed;
    designed.IncludeState(ppState::Design);
    (new TppDetailBand)->SetReport(&designed);
    designed.SetColumns(2);
    EXPECT_EQ(designed.BandCount(), 1);
    TppCustomReport empty;
    empty.SetColumns(2);
    EXPECT_EQ(empty.BandCount(), 0);
}

} // namespace

namespace {

TEST(CustomReport, AnotherPrinterSetupTakesTheReportsUnit)
{
    TppCustomReport report;
    report.SetUnits(TppUnitType::utMillimeters);
    TppPrinterSetup other;
    other.SetUnits(TppUnitType::utInches);
    report.SetPrinterSetup(&other);
    EXPECT_EQ(report.PrinterSetup()->Units(), TppUnitType::utMillimeters);
    other.SetOrientation(classes::TPrinterOrientation::poLandscape);
    report.SetPrinterSetup(&other);
    EXPECT_EQ(report.PrinterSetup()->Units(), TppUnitType::utMillimeters);
}

} // namespace

namespace {

// A linked object that notes what the report tells it.
class LinkedToReport : public TppCommunicator
{
public:
    LinkedToReport()
        : TppCommunicator(nullptr)
    {}
    void Notify(TppCommunicator *aCommunicator, int aOperation) override
    {
        TppCommunicator::Notify(aCommunicator, aOperation);
        Operations << aOperation;
    }
    QList<int> Operations;
};

// Reads field "V" of the pipeline it is given.
class FieldReader : public StandInPrintable
{
public:
    bool IsDataAware() const override { return true; }
};

TEST(CustomReport, ANewPipelineIsToldToTheDesignersObjectsAndLeftAloneByTemplateWork)
{
    RecordingDesigner designer;
    TppCustomReport report;
    LinkedToReport linked;
    report.AddNotify(&linked);
    MemoryPipeline first;
    MemoryPipeline second;
    for (MemoryPipeline *pipeline : {&first, &second})
        pipeline->AddField(QStringLiteral("V"));
    report.SetDataPipeline(&first);
    EXPECT_TRUE(linked.Operations.isEmpty());
    report.SetDataPipeline(nullptr);
    report.SetDesigner(&designer);
    report.SetDataPipeline(&first);
    EXPECT_EQ(linked.Operations, QList<int>{ppNotify::DataChange});

    // The unit goes to the designer with its message.
    designer.Messages.clear();
    designer.Objects.clear();
    report.SetUnits(TppUnitType::utMillimeters);
    const qsizetype units = designer.Messages.indexOf(QStringLiteral("send 1129"));
    ASSERT_GE(units, 0);
    EXPECT_EQ(designer.Objects[units], reinterpret_cast<classes::TObject *>(intptr_t(TppUnitType::utMillimeters)));
    report.SetDesigner(nullptr);

    // While a template saves (state 256) the objects keep their pipeline.
    auto *band = new TppDetailBand;
    band->SetReport(&report);
    auto *reader = new FieldReader;
    reader->SetBand(band);
    reader->SetDataField(QStringLiteral("V"));
    reader->SetDataPipeline(&first);
    report.IncludeState(256);
    report.SetDataPipeline(&second);
    EXPECT_EQ(reader->DataPipeline(), &first);
    report.ExcludeState(256);
    report.SetDataPipeline(&first);
    report.SetDataPipeline(&second);
    EXPECT_EQ(reader->DataPipeline(), &second);
    report.SetDataPipeline(nullptr);
    report.RemoveNotify(&linked);
}

} // namespace

namespace {

TEST(CustomReport, ALanguageChangeReachesTheDesignerTheLinkedObjectsAndTheTemplate)
{
    ppFreeResourceManager();
    LanguageModuleFolder folder;
    ASSERT_TRUE(folder.write("lib.fra", "43018=Page (fr)\n"));
    ppGetResourceManager().RegisterModule("lib");
    RecordingDesigner designer;
    TppCustomReport report;
    LinkedToReport linked;
    report.AddNotify(&linked);
    report.SetDesigner(&designer);
    report.Template()->SetLanguageIndex(3);
    report.SetLanguage(TppLanguageType::lgFrench);
    EXPECT_EQ(report.Language(), TppLanguageType::lgFrench);
    EXPECT_EQ(designer.Messages.count(QStringLiteral("send 1134")), 1) << designer.Messages.join(' ').toStdString();
    EXPECT_EQ(linked.Operations, QList<int>{ppNotify::LanguageChange});
    EXPECT_EQ(report.Template()->LanguageIndex(), report.LanguageIndex());

    // The language it has already: nobody hears of it again.
    report.Template()->SetLanguageIndex(3);
    report.SetLanguage(TppLanguageType::lgFrench);
    EXPECT_EQ(designer.Messages.count(QStringLiteral("send 1134")), 1) << designer.Messages.join(' ').toStdString();
    EXPECT_EQ(linked.Operations, QList<int>{ppNotify::LanguageChange});
    EXPECT_EQ(report.Template()->LanguageIndex(), 3);
    // Back to the default language is a change again.
    report.SetLanguage(TppLanguageType::lgDefault);
    EXPECT_EQ(designer.Messages.count(QStringLiteral("send 1134")), 2);
    EXPECT_EQ(linked.Operations, (QList<int>{ppNotify::LanguageChange, ppNotify::LanguageChange}));
    report.SetDesigner(nullptr);
    report.RemoveNotify(&linked);
    ppFreeResourceManager();
}

} // namespace

namespace {

// A module in miniature: it counts its own ends, keeps the version it was
// converted from and offers one pipeline as a data module does.
class TCountedModule : public TppReportModule
{
    ZVO_CLASS(TCountedModule)
public:
    explicit TCountedModule(classes::TComponent *aOwner = nullptr)
        : TppReportModule(aOwner)
    {}
    ~TCountedModule() override { ++Freed; }
    void Convert(int32_t aVersionNo) override { ConvertedFrom = aVersionNo; }
    void GetDataPipelines(std::vector<TppDataPipeline *> &aList) const override
    {
        if (Offered)
            aList.push_back(Offered);
    }

    static inline int Freed = 0;
    int32_t ConvertedFrom = 0;
    TppDataPipeline *Offered = nullptr;
};

const classes::TMetaClass &TCountedModule::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TCountedModule, TppReportModule>("TdaDataModule", [](auto &c) {
            c.String("UserName", &TppCommunicator::GetUserName, &TppCommunicator::SetUserName);
        });
    return meta;
}

TEST(ReportModules, AReportWithAModuleSavesLoadsAndFreesIt)
{
    classes::RegisterClass(TCountedModule::StaticClass());
    TCountedModule::Freed = 0;
    classes::TComponent form(nullptr);
    auto *written = new TppCustomReport(&form);
    written->SetName(QStringLiteral("ppReport1"));
    EXPECT_FALSE(written->HasModuleList());
    auto *module = new TCountedModule;
    module->SetName(QStringLiteral("daModule1"));
    module->SetUserName(QStringLiteral("Data"));
    module->SetReport(written);
    // The report's owner owns it, the report finds it by class.
    EXPECT_EQ(module->Owner(), &form);
    EXPECT_EQ(written->FindModule(TppReportModule::StaticClass()), module);
    EXPECT_EQ(written->FindModule(TppBand::StaticClass()), nullptr);

    classes::TMemoryStream binary;
    classes::TWriter(binary).WriteRootComponent(written);
    binary.SetPosition(0);
    classes::TComponent otherForm(nullptr);
    auto *read = new TppCustomReport(&otherForm);
    classes::TReader(binary).ReadRootComponent(read);
    ASSERT_EQ(read->ModuleCount(), 1);
    auto *readModule = dynamic_cast<TCountedModule *>(read->Modules(0));
    ASSERT_NE(readModule, nullptr);
    EXPECT_EQ(readModule->GetUserName(), QStringLiteral("Data"));
    EXPECT_EQ(readModule->Report(), read);

    // State and conversion reach it; a new owner takes it along.
    read->IncludeState(ppState::Quiet);
    EXPECT_TRUE(readModule->HasCommunicatorState(ppState::Quiet));
    read->Convert(3000);
    EXPECT_EQ(readModule->ConvertedFrom, 3000);
    classes::TComponent thirdForm(nullptr);
    read->ChangeOwner(&thirdForm);
    EXPECT_EQ(readModule->Owner(), &thirdForm);

    // A transfer frees the target's modules and takes the source's.
    written->TransferRelatives(*read);
    EXPECT_EQ(TCountedModule::Freed, 1);
    EXPECT_EQ(read->ModuleCount(), 0);
    ASSERT_EQ(written->ModuleCount(), 1);
    EXPECT_EQ(written->Modules(0), readModule);
    delete read;
    EXPECT_EQ(TCountedModule::Freed, 1);
    delete written;
    EXPECT_EQ(TCountedModule::Freed, 2);
    classes::UnRegisterClass(TCountedModule::StaticClass());
}

TEST(ReportModules, TheMainReportsDataModuleOffersItsPipelinesAndDesignerModulesStayInTheDesigner)
{
    classes::RegisterClass(TCountedModule::StaticClass());
    classes::TComponent form(nullptr);
    auto *report = new TppReport(&form);
    auto *module = new TCountedModule;
    module->SetReport(report);
    MemoryPipeline offered;
    offered.SetName(QStringLiteral("Offered"));
    module->Offered = &offered;
    const TppDataPipelineList pipelines(report);
    EXPECT_EQ(pipelines.GetPipelineByName(QStringLiteral("offered")), &offered);

    // A module kept for the designer is written only by a designer's report.
    module->IncludeState(ppState::DesignOnly);
    int streamed = 0;
    report->GetChildren([&](classes::TComponent *aChild) { streamed += aChild == module; }, &form);
    EXPECT_EQ(streamed, 0);
    report->IncludeState(ppState::Design);
    report->GetChildren([&](classes::TComponent *aChild) { streamed += aChild == module; }, &form);
    EXPECT_EQ(streamed, 1);
    delete report;
    classes::UnRegisterClass(TCountedModule::StaticClass());
}

} // namespace

namespace {

TEST(CustomReport, ABandTheReportOwnsLeavesItsComponentsWithItsDesignControl)
{
    classes::TComponent form(nullptr);
    TppCustomReport report(&form);
    // As a designer makes it: owned by the report itself.
    auto *owned = new TppHeaderBand(nullptr);
    owned->SetReport(&report);
    report.InsertComponent(owned);
    auto *formBand = new TppFooterBand(&form);
    formBand->SetReport(&report);
    ASSERT_EQ(owned->Owner(), &report);
    owned->FreeDesignControl();
    formBand->FreeDesignControl();
    EXPECT_EQ(owned->Owner(), nullptr);
    EXPECT_EQ(formBand->Owner(), &form);
    // Still the report's band, which frees it.
    EXPECT_EQ(report.IndexOfBand(owned), 0);
}

} // namespace

namespace {

// The report reaches its engine through what every engine offers, so that an
// engine of another kind is reset, hooked and released like the report's own.
TEST(CustomReport, AnEngineOfAnotherKindIsHookedResetAndLetGoThroughTheEngineBase)
{
    TppReport report;
    auto own = std::make_unique<FakePageEngine>();
    FakePageEngine *engine = own.get();
    report.SetEngine(std::move(own));
    EXPECT_TRUE(engine->OnCheckPageLimit.Assigned());
    EXPECT_TRUE(engine->OnPageUpdated.Assigned());
    int endPages = 0;
    report.OnEndPage.Set([&](classes::TObject *) { ++endPages; });
    engine->OnCheckPageLimit(engine);
    EXPECT_EQ(endPages, 1);
    engine->Calls.clear();
    report.Reset();
    EXPECT_EQ(engine->Calls, QStringList({"Reset"}));

    // The run's page count through the base: a reset to page 2 reaches it.
    report.ResetFromPage(2);
    EXPECT_EQ(engine->PageCount(), 2);

    // Through the base a caller reaches every step of the run.
    TppCustomEngine &base = *engine;
    engine->Calls.clear();
    base.GeneratePage(TppPageRequest());
    base.DisconnectPipelines();
    base.Reset();
    EXPECT_EQ(engine->Calls, QStringList({"GeneratePage", "DisconnectPipelines", "Reset"}));
}

TEST(CustomReport, TheEngineBaseKnowsItsReportAndKeepsItsCallersValues)
{
    TppCustomReport report;
    TppEngine engine(&report);
    const TppCustomEngine &base = engine;
    EXPECT_EQ(base.Report(), &report);
    EXPECT_EQ(base.ClientByte(), 0);
    EXPECT_EQ(base.ClientValue(), 0);
    FakePageEngine fake;
    fake.SetClientByte(7);
    EXPECT_EQ(fake.ClientByte(), 7);
    EXPECT_EQ(fake.Report(), nullptr);
    // The report's own engine is hooked in the base, where the eight hooks are.
    const TppCustomEngine *own = report.Engine();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->Report(), &report);
    EXPECT_TRUE(own->OnCheckPageLimit.Assigned());
    EXPECT_TRUE(own->OnPageUpdated.Assigned());
    EXPECT_FALSE(own->OnSavePageState.Assigned());
}

// A designer shows a kind of report by its class name and picture.
TEST(CustomReport, ADesignerFindsTheReportsClassNameAndPicture)
{
    TppCustomReport custom;
    TppReport report;
    EXPECT_EQ(custom.DesignerClassName(), QStringLiteral("TppCustomReport"));
    EXPECT_EQ(report.DesignerClassName(), QStringLiteral("TppReport"));
    const QImage picture = report.DesignerBitmap();
    EXPECT_FALSE(picture.isNull());
    EXPECT_EQ(picture, ppLoadBitmapResource(QStringLiteral("PPNOREPORTBITMAP")));
    EXPECT_EQ(report.DesignerObject(), nullptr);
}

} // namespace

namespace {

// Another pass setting is a change of the report the designer's host shows,
// as any other, and a child report's is its parent's change too.
TEST(CustomReport, AnotherPassSettingIsAChangeTheHostHearsOf)
{
    HostingDesigner designer;
    TppCustomReport report;
    report.SetDesigner(&designer);
    report.SetModified(false);
    designer.Modified.clear();
    report.SetPassSetting(TppPassSettingType::psTwoPass);
    EXPECT_TRUE(report.Modified());
    using Heard = QPair<classes::TComponent *, bool>;
    EXPECT_EQ(designer.Modified, QList<Heard>({{&report, true}}));
    report.SetDesigner(nullptr);

    TppReport parent;
    auto *band = new TppDetailBand(nullptr);
    band->SetReport(&parent);
    auto *subReport = new TppSubReport(nullptr);
    subReport->SetBand(band);
    subReport->CreateReport();
    TppCustomReport *child = subReport->Report();
    ASSERT_NE(child, nullptr);
    parent.SetModified(false);
    child->SetPassSetting(TppPassSettingType::psTwoPass);
    EXPECT_TRUE(parent.Modified());
}

} // namespace

namespace {

// The status line and the caption are asked of any report: a child report
// shows its status on its main report's publisher, whatever kind of report
// that is.
TEST(CustomReport, AChildReportsStatusIsItsMainReportsOfAnyKind)
{
    TppBandedReport main;
    ASSERT_NE(main.Publisher(), nullptr);
    reporttest::TraceDevice device;
    device.SetPublisher(main.Publisher());
    auto *band = new TppDetailBand(nullptr);
    band->SetReport(&main);
    auto *subReport = new TppSubReport(nullptr);
    subReport->SetBand(band);
    subReport->CreateReport();
    TppCustomReport *child = subReport->Report();
    ASSERT_NE(child, nullptr);
    child->SetStatus(QStringLiteral("Accessing data..."));
    EXPECT_EQ(main.GetStatus(), QStringLiteral("Accessing data..."));
    EXPECT_EQ(child->GetStatus(), QStringLiteral("Accessing data..."));
    main.SetStatus(QStringLiteral("Page 2"));
    EXPECT_EQ(child->GetStatus(), QStringLiteral("Page 2"));
    device.SetPublisher(nullptr);

    TppReport report;
    const TppCustomReport &base = report;
    EXPECT_TRUE(base.GetCaption().startsWith(QStringLiteral("No Data Pipeline Assigned: ")))
        << base.GetCaption().toStdString();
    // A child report no subreport holds has no status to show.
    TppChildReport loose;
    loose.SetStatus(QStringLiteral("lost"));
    EXPECT_EQ(loose.GetStatus(), QString());
}

} // namespace
