#include "report/model/bands/BandClasses.h"
#include "report/model/bands/BandRTTI.h"
#include "report/model/bands/Component.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/CacheManager.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/groups/GroupRTTI.h"
#include "report/model/objects/EventIds.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/reports/CustomReportRTTI.h"
#include "report/model/reports/Report.h"
#include "report/model/reports/ReportRTTI.h"
#include "report/model/subreports/SubReport.h"

#include "tests/support/report/MemoryPipeline.h"

#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include <memory>

using namespace report;

namespace {

struct ReportRttiExpected
{
    const char *Name;
    TraDataType Type;
    bool ReadOnly;
    const classes::TMetaClass *Class = nullptr;
    int EventID = -1;
};

void expectReportRttiRecords(const TraRTTI &aRtti, const classes::TMetaClass &aClass,
                             const std::vector<ReportRttiExpected> &aExpected)
{
    classes::TStringList props, events;
    aRtti.GetPropList(aClass, props);
    aRtti.GetEventList(aClass, events);
    for (const ReportRttiExpected &want : aExpected) {
        SCOPED_TRACE(want.Name);
        const QString name = QString::fromLatin1(want.Name);
        const classes::TStringList &list = want.EventID >= 0 ? events : props;
        EXPECT_GE(list.IndexOf(name), 0);
        TraPropRec rec;
        // Scripts may spell names in any case.
        ASSERT_TRUE(aRtti.GetPropRec(aClass, name.toLower(), rec));
        EXPECT_EQ(rec.Name, name);
        EXPECT_EQ(rec.DataType, want.Type);
        EXPECT_EQ(rec.ReadOnly, want.ReadOnly);
        EXPECT_EQ(rec.EventID, want.EventID);
        if (want.Class) {
            EXPECT_EQ(rec.ClassType, want.Class);
        }
    }
}

TEST(ReportRTTI, BandedReportNamesItsBandsByKindAndGroupBandsByIndex)
{
    const TraRTTI &rtti = TraTppBandedReportRTTI::Instance();
    EXPECT_EQ(rtti.Parent(), &TraTppCustomReportRTTI::Instance());
    EXPECT_EQ(&rtti.RefClass(), &TppBandedReport::StaticClass());
    const auto band = [](const char *aName, const classes::TMetaClass &aClass) {
        return ReportRttiExpected{aName, TraDataType::daClass, true, &aClass};
    };
    std::vector<ReportRttiExpected> expected = {
        band("ColumnHeader", TppColumnHeaderBand::StaticClass()),
        band("ColumnHeaderBand", TppColumnHeaderBand::StaticClass()),
        band("ColumnFooter", TppColumnFooterBand::StaticClass()),
        band("ColumnFooterBand", TppColumnFooterBand::StaticClass()),
        band("Title", TppTitleBand::StaticClass()),
        band("TitleBand", TppTitleBand::StaticClass()),
        band("Header", TppHeaderBand::StaticClass()),
        band("HeaderBand", TppHeaderBand::StaticClass()),
        band("Detail", TppDetailBand::StaticClass()),
        band("DetailBand", TppDetailBand::StaticClass()),
        band("Footer", TppFooterBand::StaticClass()),
        band("FooterBand", TppFooterBand::StaticClass()),
        band("Summary", TppSummaryBand::StaticClass()),
        band("SummaryBand", TppSummaryBand::StaticClass()),
        // Inherited from the custom report.
        {"Columns", TraDataType::daInteger, false},
    };
    for (const char *indexed : {"GroupHeader", "GroupHeaderBand", "GroupFooter", "GroupFooterBand"})
        expected.push_back({indexed, TraDataType::daMethod, true});
    expectReportRttiRecords(rtti, TppBandedReport::StaticClass(), expected);

    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TppBandedReport::StaticClass(), QStringLiteral("GroupFooterBand"), rec));
    EXPECT_TRUE(rec.IsArray);
    ASSERT_TRUE(rec.Params);
    ASSERT_EQ(rec.Params->Count(), 2);
    EXPECT_EQ(rec.Params->ParamRec(0).Name, QStringLiteral("Index"));
    EXPECT_EQ(rec.Params->ParamRec(0).DataType, TraDataType::daInteger);
    EXPECT_EQ(rec.Params->ParamRec(1).Name, QStringLiteral("Result"));
    EXPECT_EQ(rec.Params->ParamRec(1).ClassType, &TppGroupFooterBand::StaticClass());

    TppBandedReport report;
    auto *group = new TppGroup;
    group->SetReport(&report);
    report.CreateDefaultBands();
    classes::TObject *detail = &report;
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("detailband"), &detail));
    EXPECT_EQ(detail, report.GetDetailBand());
    EXPECT_NE(detail, nullptr);
    classes::TObject *summary = &report;
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("Summary"), &summary));
    EXPECT_EQ(summary, nullptr);
    EXPECT_FALSE(rtti.SetPropValue(&report, QStringLiteral("Title"), &summary));

    for (const char *name : {"GroupHeader", "GroupFooterBand"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<TraParamList> params = rtti.GetParams(QString::fromLatin1(name));
        int32_t index = 0;
        classes::TObject *result = nullptr;
        params->SetParamValuePointer(0, &index);
        params->SetParamValuePointer(1, &result);
        EXPECT_TRUE(rtti.CallMethod(&report, QString::fromLatin1(name), *params));
        EXPECT_EQ(result, report.GetBand(name[5] == 'H' ? 3 : 5, 0));
        EXPECT_NE(result, nullptr);
    }
}

TEST(ReportRTTI, ReportDescribesItsCacheAndTheAutoSearchEvents)
{
    const TraRTTI &rtti = TraTppReportRTTI::Instance();
    EXPECT_EQ(rtti.Parent(), &TraTppBandedReportRTTI::Instance());
    const auto event = [](const char *aName, int aId) {
        return ReportRttiExpected{aName, TraDataType::daMethod, true, nullptr, aId};
    };
    expectReportRttiRecords(
        rtti, TppReport::StaticClass(),
        {event("BeforeAutoSearchDialogCreate", 72),
         event("AfterAutoSearchDialogCreate", 10),
         event("OnAutoSearchDialogClose", 11),
         event("OnGetAutoSearchValues", 12),
         {"ActiveReport", TraDataType::daClass, true, &TppCustomReport::StaticClass()},
         {"AutoSearchDialog", TraDataType::daClass, true, &TppCustomAutoSearchDialog::StaticClass()},
         {"CacheManager", TraDataType::daClass, true, &TppCacheManager::StaticClass()},
         {"CachePages", TraDataType::daBoolean, false},
         {"PreviewForm", TraDataType::daClass, true},
         {"Detail", TraDataType::daClass, true, &TppDetailBand::StaticClass()}});

    TppReport report;
    bool cache = true;
    EXPECT_TRUE(rtti.SetPropValue(&report, QStringLiteral("cachepages"), &cache));
    EXPECT_TRUE(report.CachePages());
    cache = false;
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("CachePages"), &cache));
    EXPECT_TRUE(cache);
    classes::TObject *object = nullptr;
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("CacheManager"), &object));
    EXPECT_EQ(object, report.CacheManager());
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("ActiveReport"), &object));
    EXPECT_EQ(object, &report);
    EXPECT_FALSE(rtti.SetPropValue(&report, QStringLiteral("CacheManager"), &object));
}

// The parameters of an event or method record: name, data type, var.
void expectParams(const TraPropRec &aRec, const std::vector<std::tuple<const char *, TraDataType, bool>> &aParams)
{
    ASSERT_TRUE(aRec.Params);
    ASSERT_EQ(aRec.Params->Count(), int(aParams.size()));
    for (int i = 0; i < aRec.Params->Count(); ++i) {
        const auto &[name, type, isVar] = aParams[size_t(i)];
        EXPECT_EQ(aRec.Params->ParamRec(i).Name, QString::fromLatin1(name));
        EXPECT_EQ(aRec.Params->ParamRec(i).DataType, type);
        EXPECT_EQ(aRec.Params->ParamRec(i).IsVar, isVar);
    }
}

TEST(ReportRTTI, EventsCarryTheirParametersAndTheActiveReportIsTheGeneratingChild)
{
    const TraRTTI &custom = TraTppCustomReportRTTI::Instance();
    classes::TStringList events;
    custom.GetEventList(TppCustomReport::StaticClass(), events);
    EXPECT_GE(events.IndexOf(QStringLiteral("OnNoData")), 0);
    TraPropRec rec;
    ASSERT_TRUE(custom.GetPropRec(TppCustomReport::StaticClass(), QStringLiteral("onnodata"), rec));
    EXPECT_EQ(rec.EventID, 87);
    expectParams(rec, {{"aDialog", TraDataType::daClass, false},
                       {"aShowDialog", TraDataType::daBoolean, true},
                       {"aDrawCommand", TraDataType::daClass, false},
                       {"aAddDrawCommand", TraDataType::daBoolean, true}});

    const TraRTTI &rtti = TraTppReportRTTI::Instance();
    ASSERT_TRUE(rtti.GetPropRec(TppReport::StaticClass(), QStringLiteral("OnOutlineNodeCreate"), rec));
    EXPECT_EQ(rec.EventID, 88);
    expectParams(rec, {{"Node", TraDataType::daClass, false}, {"Accept", TraDataType::daBoolean, true}});
    EXPECT_EQ(rec.Params->ParamRec(0).ClassType, &TppOutlineNode::StaticClass());

    TppReport report;
    TppChildReport child;
    classes::TObject *active = nullptr;
    report.SetGeneratingChildReport(&child);
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("ActiveReport"), &active));
    EXPECT_EQ(active, &child);
    report.SetGeneratingChildReport(nullptr);
    EXPECT_TRUE(rtti.GetPropValue(&report, QStringLiteral("ActiveReport"), &active));
    EXPECT_EQ(active, &report);
}

TEST(ReportRTTI, AChildReportAnswersItsMainAndParentReportAndPrintsAsASubReport)
{
    TppReport report;
    report.CreateDefaultBands();
    auto *subreport = new TppSubReport;
    subreport->SetBand(report.GetDetailBand());
    TppChildReport *child = subreport->Report();
    ASSERT_NE(child, nullptr);
    auto *inner = new TppSubReport;
    child->CreateDefaultBands();
    inner->SetBand(child->GetDetailBand());

    const TraRTTI &rtti = TraTppCustomReportRTTI::Instance();
    const auto object = [&rtti](TppCustomReport *aReport, const char *aName) {
        classes::TObject *value = aReport;
        EXPECT_TRUE(rtti.GetPropValue(aReport, QString::fromLatin1(aName), &value));
        return value;
    };
    const auto flag = [&rtti](TppCustomReport *aReport) {
        bool value = false;
        EXPECT_TRUE(rtti.GetPropValue(aReport, QStringLiteral("PrintingAsSubReport"), &value));
        return value;
    };
    EXPECT_EQ(object(inner->Report(), "MainReport"), &report);
    EXPECT_EQ(object(inner->Report(), "ParentReport"), child);
    EXPECT_TRUE(flag(inner->Report()));
    EXPECT_EQ(object(child, "ParentReport"), &report);
    EXPECT_EQ(object(&report, "MainReport"), &report);
    EXPECT_EQ(object(&report, "ParentReport"), nullptr);
    EXPECT_FALSE(flag(&report));
}

TEST(ReportRTTI, ReportCaptionNamesItsPipeline)
{
    TppReport report;
    EXPECT_EQ(report.GetCaption(), QStringLiteral("No Data Pipeline Assigned: ") + ppLoadStr(374));
    reporttest::MemoryPipeline customers;
    customers.SetUserName(QStringLiteral("Customers"));
    report.SetDataPipeline(&customers);
    EXPECT_EQ(report.GetCaption(), QStringLiteral("Customers: ") + ppLoadStr(374));
}

TEST(BandRTTI, PlacedValuesAreRefusedAndReportsAndGroupsAreTypedByTheirClass)
{
    TppReport report;
    report.CreateDefaultBands();
    TppBand *detail = report.GetDetailBand();
    const TraRTTI &rtti = TraTppBandRTTI::Instance();
    // The width follows the page and the top the engine: a script cannot
    // set them, and is told so.
    for (const char *name : {"mmTop", "spTop", "mmWidth", "spWidth"}) {
        SCOPED_TRACE(name);
        int32_t before = -1, written = 123456, after = -2;
        ASSERT_TRUE(rtti.GetPropValue(detail, QString::fromLatin1(name), &before));
        EXPECT_FALSE(rtti.SetPropValue(detail, QString::fromLatin1(name), &written));
        ASSERT_TRUE(rtti.GetPropValue(detail, QString::fromLatin1(name), &after));
        EXPECT_EQ(after, before);
    }

    TraPropRec rec;
    ASSERT_TRUE(rtti.GetPropRec(TppDetailBand::StaticClass(), QStringLiteral("Report"), rec));
    EXPECT_EQ(rec.ClassType, &TppCustomReport::StaticClass());
    ASSERT_TRUE(TraTppGroupRTTI::Instance().GetPropRec(TppGroup::StaticClass(), QStringLiteral("Report"), rec));
    EXPECT_EQ(rec.ClassType, &TppCustomReport::StaticClass());
    ASSERT_TRUE(
        TraTppComponentRTTI::Instance().GetPropRec(TppComponent::StaticClass(), QStringLiteral("ResetGroup"), rec));
    EXPECT_EQ(rec.ClassType, &TppGroup::StaticClass());
    ASSERT_TRUE(
        TraTppCustomReportRTTI::Instance().GetPropRec(TppCustomReport::StaticClass(), QStringLiteral("GetBand"), rec));
    ASSERT_TRUE(rec.Params);
    EXPECT_EQ(rec.Params->ParamRec(0).DataType, TraDataType::daEnumerated);
    EXPECT_EQ(rec.Params->ParamRec(0).TypeName, QStringLiteral("TppBandType"));

    // Another object is no report: the band stays where it is.
    TppGroup group;
    classes::TObject *notAReport = &group;
    EXPECT_THROW(rtti.SetPropValue(detail, QStringLiteral("Report"), &notAReport), EBrevantorError);
    EXPECT_EQ(detail->GetParentComponent(), &report);
}

} // namespace
