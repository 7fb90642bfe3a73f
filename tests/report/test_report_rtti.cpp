#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/CacheManager.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/reports/CustomReportRTTI.h"
#include "report/model/reports/Report.h"
#include "report/model/reports/ReportRTTI.h"

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

} // namespace
