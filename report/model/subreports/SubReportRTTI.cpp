#include "report/model/subreports/SubReportRTTI.h"

#include "report/model/bands/StretchableRTTI.h"
#include "report/model/objects/ParamList.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

namespace report {

namespace {

using SubReportRttiKind = TraTableEntry::Kind;

template <class F>
TraTableEntry subReportRttiValue(const char *aName, SubReportRttiKind aKind, const classes::TMetaClass &(*aClass)(),
                                 F aGet)
{
    TraTableEntry entry{aName, aKind, true, nullptr, aClass, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, aGet(static_cast<TppSubReport &>(o)), n);
    };
    return entry;
}

std::vector<TraTableEntry> subReportRttiEntries()
{
    using S = TppSubReport;
    using K = SubReportRttiKind;
    return {
        subReportRttiValue("Report", K::Object, &TppChildReport::StaticClass,
                           [](S &s) { return static_cast<classes::TObject *>(s.Report()); }),
        subReportRttiValue("DrillDownExpanded", K::Boolean, nullptr, [](S &s) { return s.DrillDownExpanded(); }),
        subReportRttiValue("CurrentExpansionKey", K::String, nullptr, [](S &s) { return s.CurrentExpansionKey(); }),
        subReportRttiValue("CurrentReportKey", K::String, nullptr, [](S &s) { return s.CurrentReportKey(); }),
        subReportRttiValue("ExpansionCount", K::Integer, nullptr,
                           [](S &s) { return int32_t(s.Expansions().size()); }),
        subReportRttiValue("MasterReport", K::Object, &TppCustomReport::StaticClass, [](S &s) {
            TppCustomReport *parent = s.ParentReport();
            return static_cast<classes::TObject *>(parent ? parent->GetMainReport() : nullptr);
        }),
    };
}

} // namespace

const TraTppSubReportRTTI &TraTppSubReportRTTI::Instance()
{
    static const TraTppSubReportRTTI instance;
    return instance;
}

TraTppSubReportRTTI::TraTppSubReportRTTI()
    : TraTableRTTI(&TraTppStretchableRTTI::Instance(), &TppSubReport::StaticClass, subReportRttiEntries(),
                   {"CreateReport"})
{}

void TraTppSubReportRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraTableRTTI::GetPropList(aClass, aList);
    raAddPropName(aList, QStringLiteral("Expansions"));
}

bool TraTppSubReportRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "Expansions"))
        ArrayPropToRec(QStringLiteral("Expansions"), aRec);
    else if (raSameName(aName, "CreateReport"))
        MethodToRec(QStringLiteral("CreateReport"), false, aRec);
    else
        return TraTableRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppSubReportRTTI::GetParams(const QString &aName) const
{
    if (!raSameName(aName, "Expansions"))
        return TraTableRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
    params->AddParam(QStringLiteral("Result"), TraDataType::daString);
    return params;
}

bool TraTppSubReportRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *subreport = dynamic_cast<TppSubReport *>(aObject);
    if (!subreport)
        return TraTableRTTI::CallMethod(aObject, aName, aParams);
    if (raSameName(aName, "CreateReport")) {
        subreport->CreateReport();
        return true;
    }
    if (!raSameName(aName, "Expansions"))
        return TraTableRTTI::CallMethod(aObject, aName, aParams);
    const QStringList &keys = subreport->Expansions();
    const int index = aParams.ParamValue<int32_t>(0);
    aParams.SetParamValue(1, index >= 0 && index < keys.size() ? keys.at(index) : QString());
    return true;
}

} // namespace report
