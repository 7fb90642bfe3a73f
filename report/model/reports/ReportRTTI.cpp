#include "report/model/reports/ReportRTTI.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/CacheManager.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/reports/CustomReportRTTI.h"
#include "report/model/reports/Report.h"

#include "platform/classes/StringList.h"

namespace report {

namespace {

using ReportRttiValueKind = TraTableEntry::Kind;

// A read-only value of a report of class R; an object value of class aClass.
template <class R, class F>
TraTableEntry reportRttiValue(const char *aName, ReportRttiValueKind aKind, const classes::TMetaClass &(*aClass)(),
                              F aGet)
{
    TraTableEntry entry{aName, aKind, true, nullptr, aClass, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, aGet(static_cast<R &>(o)), n);
    };
    return entry;
}

// Each band is reachable under its kind's name and under the name with
// "Band" appended.
template <class B>
void addBandedReportBand(std::vector<TraTableEntry> &aEntries, const char *aName, const char *aBandName,
                         B *(*aGet)(TppBandedReport &))
{
    for (const char *name : {aName, aBandName})
        aEntries.push_back(reportRttiValue<TppBandedReport>(
            name, ReportRttiValueKind::Object, &B::StaticClass,
            [aGet](TppBandedReport &r) { return static_cast<classes::TObject *>(aGet(r)); }));
}

std::vector<TraTableEntry> bandedReportEntries()
{
    using R = TppBandedReport;
    std::vector<TraTableEntry> entries;
    addBandedReportBand<TppColumnHeaderBand>(entries, "ColumnHeader", "ColumnHeaderBand",
                                             [](R &r) { return r.GetColumnHeaderBand(); });
    addBandedReportBand<TppColumnFooterBand>(entries, "ColumnFooter", "ColumnFooterBand",
                                             [](R &r) { return r.GetColumnFooterBand(); });
    addBandedReportBand<TppTitleBand>(entries, "Title", "TitleBand", [](R &r) { return r.GetTitleBand(); });
    addBandedReportBand<TppHeaderBand>(entries, "Header", "HeaderBand", [](R &r) { return r.GetHeaderBand(); });
    addBandedReportBand<TppDetailBand>(entries, "Detail", "DetailBand", [](R &r) { return r.GetDetailBand(); });
    addBandedReportBand<TppFooterBand>(entries, "Footer", "FooterBand", [](R &r) { return r.GetFooterBand(); });
    addBandedReportBand<TppSummaryBand>(entries, "Summary", "SummaryBand", [](R &r) { return r.GetSummaryBand(); });
    return entries;
}

constexpr const char *BandedReportIndexed[] = {"GroupHeader", "GroupHeaderBand", "GroupFooter", "GroupFooterBand"};

const char *bandedReportIndexedName(const QString &aName)
{
    for (const char *name : BandedReportIndexed)
        if (raSameName(aName, name))
            return name;
    return nullptr;
}

bool bandedReportIsHeader(const QString &aName)
{
    return raSameName(aName, "GroupHeader") || raSameName(aName, "GroupHeaderBand");
}

constexpr const char *ReportAutoSearchMethods[] = {"CreateAutoSearchCriteria", "AutoSearchCriteriaByName",
                                                   "GetAutoSearchDescriptionLines"};

const char *reportAutoSearchMethod(const QString &aName)
{
    for (const char *name : ReportAutoSearchMethods)
        if (raSameName(aName, name))
            return name;
    return nullptr;
}

std::vector<TraTableEntry> reportRttiPrintEntries()
{
    using R = TppReport;
    using K = ReportRttiValueKind;
    // While a subreport generates, its child report is the one at work.
    TraTableEntry active = reportRttiValue<R>("ActiveReport", K::Object, &TppCustomReport::StaticClass, [](R &r) {
        TppCustomReport *child = r.GeneratingChildReport();
        return static_cast<classes::TObject *>(child ? child : &r);
    });
    TraTableEntry dialog =
        reportRttiValue<R>("AutoSearchDialog", K::Object, &TppCustomAutoSearchDialog::StaticClass,
                           [](R &r) { return static_cast<classes::TObject *>(r.AutoSearchDialog()); });
    TraTableEntry description =
        reportRttiValue<R>("AutoSearchDescription", K::String, nullptr, [](R &r) { return r.AutoSearchDescription(); });
    TraTableEntry fieldCount = reportRttiValue<R>("AutoSearchFieldCount", K::Integer, nullptr,
                                                  [](R &r) { return int32_t(r.AutoSearchFieldCount()); });
    TraTableEntry cacheManager = reportRttiValue<R>("CacheManager", K::Object, &TppCacheManager::StaticClass, [](R &r) {
        return static_cast<classes::TObject *>(r.CacheManager());
    });
    TraTableEntry cachePages =
        reportRttiValue<R>("CachePages", K::Boolean, nullptr, [](R &r) { return r.CachePages(); });
    cachePages.ReadOnly = false;
    cachePages.Set = [](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        static_cast<R &>(o).SetCachePages(raReadValue<bool>(v, n));
        return true;
    };
    return {active, dialog, description, fieldCount, cacheManager, cachePages};
}

} // namespace

const TraTppBandedReportRTTI &TraTppBandedReportRTTI::Instance()
{
    static const TraTppBandedReportRTTI instance;
    return instance;
}

TraTppBandedReportRTTI::TraTppBandedReportRTTI()
    : TraTableRTTI(&TraTppCustomReportRTTI::Instance(), &TppBandedReport::StaticClass, bandedReportEntries())
{}

void TraTppBandedReportRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraTableRTTI::GetPropList(aClass, aList);
    for (const char *name : BandedReportIndexed)
        raAddPropName(aList, QString::fromLatin1(name));
}

bool TraTppBandedReportRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (const char *name = bandedReportIndexedName(aName)) {
        ArrayPropToRec(QString::fromLatin1(name), aRec);
        return true;
    }
    return TraTableRTTI::GetPropRec(aClass, aName, aRec);
}

std::unique_ptr<TraParamList> TraTppBandedReportRTTI::GetParams(const QString &aName) const
{
    if (!bandedReportIndexedName(aName))
        return TraTableRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
    params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(),
                     bandedReportIsHeader(aName) ? &TppGroupHeaderBand::StaticClass()
                                                 : &TppGroupFooterBand::StaticClass());
    return params;
}

bool TraTppBandedReportRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *report = dynamic_cast<TppBandedReport *>(aObject);
    if (!report || !bandedReportIndexedName(aName))
        return TraTableRTTI::CallMethod(aObject, aName, aParams);
    const int index = aParams.ParamValue<int32_t>(0);
    classes::TObject *band = nullptr;
    if (bandedReportIsHeader(aName))
        band = report->GetGroupHeaderBand(index);
    else
        band = report->GetGroupFooterBand(index);
    aParams.SetParamValue(1, band);
    return true;
}

const TraTppReportRTTI &TraTppReportRTTI::Instance()
{
    static const TraTppReportRTTI instance;
    return instance;
}

TraTppReportRTTI::TraTppReportRTTI()
    : TraTableRTTI(&TraTppBandedReportRTTI::Instance(), &TppReport::StaticClass, reportRttiPrintEntries(), {},
                   {{"BeforeAutoSearchDialogCreate", ppEvent::BeforeAutoSearchDialogCreate},
                    {"AfterAutoSearchDialogCreate", ppEvent::AfterAutoSearchDialogCreate},
                    {"OnAutoSearchDialogClose", ppEvent::OnAutoSearchDialogClose},
                    {"OnGetAutoSearchValues", ppEvent::OnGetAutoSearchValues},
                    {"OnOutlineNodeCreate", ppEvent::OnOutlineNodeCreate}})
{}

void TraTppReportRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraTableRTTI::GetPropList(aClass, aList);
    // Its record comes from the producer's descriptor.
    raAddPropName(aList, QStringLiteral("PreviewForm"));
    raAddPropName(aList, QStringLiteral("AutoSearchFields"));
    for (const char *method : ReportAutoSearchMethods)
        raAddMethodName(aList, QString::fromLatin1(method));
}

bool TraTppReportRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "AutoSearchFields")) {
        ArrayPropToRec(QStringLiteral("AutoSearchFields"), aRec);
        return true;
    }
    if (const char *method = reportAutoSearchMethod(aName)) {
        MethodToRec(QString::fromLatin1(method), true, aRec);
        return true;
    }
    return TraTableRTTI::GetPropRec(aClass, aName, aRec);
}

std::unique_ptr<TraParamList> TraTppReportRTTI::GetParams(const QString &aName) const
{
    const classes::TMetaClass *fieldClass = &TppAutoSearchField::StaticClass();
    auto params = std::make_unique<TraParamList>();
    if (raSameName(aName, "AutoSearchFields")) {
        params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(), fieldClass);
    } else if (raSameName(aName, "CreateAutoSearchCriteria") || raSameName(aName, "AutoSearchCriteriaByName")) {
        params->AddParam(QStringLiteral("aDataPipelineName"), TraDataType::daString, false, true);
        params->AddParam(QStringLiteral("aFieldName"), TraDataType::daString, false, true);
        if (raSameName(aName, "CreateAutoSearchCriteria")) {
            params->AddParam(QStringLiteral("aOperator"), TraDataType::daEnumerated, false, false,
                             QStringLiteral("TppSearchOperatorType"));
            params->AddParam(QStringLiteral("aExpression"), TraDataType::daString, false, true);
            params->AddParam(QStringLiteral("aMandatory"), TraDataType::daBoolean);
        }
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(), fieldClass);
    } else if (raSameName(aName, "GetAutoSearchDescriptionLines")) {
        params->AddParam(QStringLiteral("aLines"), TraDataType::daClass, false, false, QString(),
                         &classes::TStrings::StaticClass());
    } else if (raSameName(aName, "OnOutlineNodeCreate")) {
        params->AddParam(QStringLiteral("Node"), TraDataType::daClass, false, false, QString(),
                         &TppOutlineNode::StaticClass());
        params->AddParam(QStringLiteral("Accept"), TraDataType::daBoolean, true);
    } else {
        return TraTableRTTI::GetParams(aName);
    }
    return params;
}

bool TraTppReportRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *report = dynamic_cast<TppReport *>(aObject);
    if (!report)
        return TraTableRTTI::CallMethod(aObject, aName, aParams);
    if (raSameName(aName, "AutoSearchFields")) {
        classes::TObject *field = report->AutoSearchFields(aParams.ParamValue<int32_t>(0));
        aParams.SetParamValue(1, field);
    } else if (raSameName(aName, "CreateAutoSearchCriteria")) {
        // A criterion with an operator the enumeration lacks could not be
        // saved: the call is refused before anything is created.
        TppSearchOperatorType op{};
        if (!raReadEnumeration(aParams.ParamRec(2).ValuePointer, aParams.ParamRec(2).Name,
                               EnumInfo<TppSearchOperatorType>(), op))
            return false;
        classes::TObject *field =
            report->CreateAutoSearchCriteria(aParams.ParamValue<QString>(0), aParams.ParamValue<QString>(1), op,
                                             aParams.ParamValue<QString>(3), aParams.ParamValue<bool>(4));
        aParams.SetParamValue(5, field);
    } else if (raSameName(aName, "AutoSearchCriteriaByName")) {
        classes::TObject *field =
            report->AutoSearchCriteriaByName(aParams.ParamValue<QString>(0), aParams.ParamValue<QString>(1));
        aParams.SetParamValue(2, field);
    } else if (raSameName(aName, "GetAutoSearchDescriptionLines")) {
        classes::TStrings *lines = nullptr;
        if (!raReadObjectOf(aParams.ParamRec(0).ValuePointer, aParams.ParamRec(0).Name, lines) || !lines)
            return false;
        report->GetAutoSearchDescriptionLines(*lines);
    } else {
        return TraTableRTTI::CallMethod(aObject, aName, aParams);
    }
    return true;
}

bool TraTppReportRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                    const TraValuePointer &aValue) const
{
    if (auto *report = dynamic_cast<TppReport *>(aObject);
        report && raSameName(aName, "GetAutoSearchDescriptionAsString")) {
        raWriteValue(aValue, report->AutoSearchDescription(), aName);
        return true;
    }
    return TraTableRTTI::GetPropValue(aObject, aName, aValue);
}

} // namespace report
