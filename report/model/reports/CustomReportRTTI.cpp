#include "report/model/reports/CustomReportRTTI.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/DesignerSink.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/objects/EventIds.h"
#include "report/model/production/ProducerRTTI.h"
#include "report/model/reports/CustomReport.h"
#include "report/model/templates/ReportTemplate.h"

#include "platform/classes/StringList.h"

namespace report {

namespace {

using ReportRttiKind = TraTableEntry::Kind;

template <class F>
TraTableEntry reportValue(const char *aName, ReportRttiKind aKind, F aGet)
{
    TraTableEntry entry{aName, aKind, true, nullptr, nullptr, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, aGet(static_cast<TppCustomReport &>(o)), n);
    };
    return entry;
}

template <class T, class F, class S>
TraTableEntry reportSetting(const char *aName, ReportRttiKind aKind, F aGet, S aSet)
{
    TraTableEntry entry = reportValue(aName, aKind, aGet);
    entry.ReadOnly = false;
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        return aSet(static_cast<TppCustomReport &>(o), raReadValue<T>(v, n));
    };
    return entry;
}

int32_t reportEngineValue(const TppCustomReport &aReport, int32_t (*aGet)(const TppEngine &))
{
    const auto *engine = dynamic_cast<const TppEngine *>(aReport.Engine());
    return engine ? aGet(*engine) : 0;
}

std::vector<TraTableEntry> reportEntries()
{
    using R = TppCustomReport;
    using K = ReportRttiKind;
    const auto engineInt = [](const char *aName, int32_t (*aGet)(const TppEngine &)) {
        return reportValue(aName, K::Integer, [aGet](R &r) { return reportEngineValue(r, aGet); });
    };
    std::vector<TraTableEntry> entries = {
        engineInt("AbsolutePage", [](const TppEngine &e) { return int32_t(e.PageNo()); }),
        engineInt("AbsolutePageNo", [](const TppEngine &e) { return int32_t(e.PageNo()); }),
        engineInt("AbsolutePageCount", [](const TppEngine &e) { return int32_t(e.PageCount()); }),
        reportValue("BandCount", K::Integer, [](R &r) { return int32_t(r.BandCount()); }),
        engineInt("CurrentColumn", [](const TppEngine &e) { return int32_t(e.ColumnNo()); }),
        reportValue("GroupCount", K::Integer, [](R &r) { return int32_t(r.GroupCount()); }),
        engineInt("Page", [](const TppEngine &e) { return int32_t(e.GetPageNoForDisplay()); }),
        engineInt("PageNo", [](const TppEngine &e) { return int32_t(e.GetPageNoForDisplay()); }),
        engineInt("PageBandCount", [](const TppEngine &e) { return int32_t(e.PageBandCount()); }),
        engineInt("PageCount", [](const TppEngine &e) { return int32_t(e.GetPageCountForDisplay()); }),
        engineInt("ReportBandCount", [](const TppEngine &e) { return int32_t(e.ReportBandCount()); }),
        reportValue("mmColumnWidth", K::Integer, [](R &r) { return r.mmColumnWidth(); }),
        reportValue("spColumnWidth", K::Integer,
                    [](R &r) {
                        return ppRound(ppFromMMThousandths(r.mmColumnWidth(), TppUnitType::utScreenPixels,
                                                           TppAxisType::atHorizontal));
                    }),
        reportValue("DonePrinting", K::Boolean,
                    [](R &r) {
                        return reportEngineValue(r, [](const TppEngine &e) { return int32_t(e.ReportComplete()); }) !=
                               0;
                    }),
        reportValue("FirstPass", K::Boolean,
                    [](R &r) { return r.Engine() && (r.Engine()->EngineState() & ppEngineState::FirstPass); }),
        reportValue("PrintingAsSubReport", K::Boolean, [](R &r) { return r.PrintingAsSubReport(); }),
        reportValue("SecondPass", K::Boolean,
                    [](R &r) { return r.Engine() && (r.Engine()->EngineState() & ppEngineState::SecondPass); }),
        reportSetting<bool>(
            "AutoStop", K::Boolean, [](R &r) { return r.AutoStop(); },
            [](R &r, bool v) {
                r.SetAutoStop(v);
                return true;
            }),
        reportSetting<bool>(
            "Modified", K::Boolean, [](R &r) { return r.Modified(); },
            [](R &r, bool v) {
                r.SetModified(v);
                return true;
            }),
        reportSetting<bool>(
            "SaveAsTemplate", K::Boolean, [](R &r) { return r.SaveAsTemplate(); },
            [](R &r, bool v) {
                r.SetSaveAsTemplate(v);
                return true;
            }),
        reportSetting<int32_t>(
            "Columns", K::Integer, [](R &r) { return int32_t(r.Columns()); },
            [](R &r, int32_t v) {
                r.SetColumns(v);
                return true;
            }),
        reportSetting<int32_t>(
            "PageLimit", K::Integer, [](R &r) { return int32_t(r.PageLimit()); },
            [](R &r, int32_t v) {
                r.SetPageLimit(v);
                return true;
            }),
        reportSetting<float>(
            "ColumnWidth", K::Single, [](R &r) { return r.ColumnWidth(); },
            [](R &r, float v) {
                r.SetColumnWidth(v);
                return true;
            }),
        reportSetting<classes::TObject *>(
            "DataPipeline", K::Object, [](R &r) { return static_cast<classes::TObject *>(r.DataPipeline()); },
            [](R &r, classes::TObject *v) {
                auto *pipeline = dynamic_cast<TppDataPipeline *>(v);
                if (v && !pipeline)
                    return false;
                r.SetDataPipeline(pipeline);
                return true;
            }),
        reportSetting<classes::TObject *>(
            "Template", K::Object, [](R &r) { return static_cast<classes::TObject *>(r.Template()); },
            [](R &r, classes::TObject *v) {
                auto *storage = dynamic_cast<TppReportTemplate *>(v);
                if (!storage)
                    return false;
                r.SetTemplate(storage);
                return true;
            }),
        reportSetting<uint8_t>(
            "PassSetting", K::Enum, [](R &r) { return r.PassSetting(); },
            [](R &r, uint8_t v) {
                if (!raFitsEnumeration(EnumInfo<TppPassSettingType>(), v))
                    return false;
                r.SetPassSetting(TppPassSettingType(v));
                return true;
            }),
        reportSetting<uint8_t>(
            "Units", K::Enum, [](R &r) { return r.Units(); },
            [](R &r, uint8_t v) {
                if (!raFitsEnumeration(EnumInfo<TppUnitType>(), v))
                    return false;
                r.SetUnits(TppUnitType(v));
                return true;
            }),
        reportValue("PrintDateTime", K::DateTime,
                    [](R &r) {
                        const auto *engine = dynamic_cast<const TppEngine *>(r.Engine());
                        return engine ? double(engine->PrintDateTime()) : 0.0;
                    }),
        // The designer is a window of its own program; none is a nil value.
        reportValue("ReportDesigner", K::Object, [](R &r) { return dynamic_cast<classes::TObject *>(r.Designer()); }),
        reportSetting<classes::TObject *>(
            "ColumnPositions", K::Object, [](R &r) { return static_cast<classes::TObject *>(r.ColumnPositionsList()); },
            [](R &r, classes::TObject *v) {
                auto *strings = dynamic_cast<classes::TStrings *>(v);
                if (v && !strings)
                    return false;
                QStringList positions;
                for (int i = 0; strings && i < strings->Count(); ++i)
                    positions.append(strings->Strings(i));
                r.SetColumnPositions(positions);
                return true;
            }),
        reportValue("Engine", K::Object, [](R &r) { return static_cast<classes::TObject *>(r.Engine()); }),
        reportValue("MainReport", K::Object, [](R &r) { return static_cast<classes::TObject *>(r.GetMainReport()); }),
        reportValue("ParentReport", K::Object, [](R &r) { return static_cast<classes::TObject *>(r.ParentReport()); }),
    };
    for (TraTableEntry &entry : entries) {
        const QString name = QString::fromLatin1(entry.Name);
        if (name == QLatin1String("PassSetting"))
            entry.EnumType = "TppPassSettingType";
        else if (name == QLatin1String("Units"))
            entry.EnumType = "TppUnitType";
        else if (name == QLatin1String("DataPipeline"))
            entry.Class = &TppDataPipeline::StaticClass;
        else if (name == QLatin1String("Template"))
            entry.Class = &TppReportTemplate::StaticClass;
        else if (name == QLatin1String("Engine"))
            entry.Class = &TppCustomEngine::StaticClass;
        else if (name == QLatin1String("ReportDesigner"))
            entry.Class = &classes::TComponent::StaticClass;
        else if (name == QLatin1String("ColumnPositions"))
            entry.Class = &classes::TStrings::StaticClass;
        else if (name == QLatin1String("MainReport") || name == QLatin1String("ParentReport"))
            entry.Class = &TppCustomReport::StaticClass;
    }
    return entries;
}

constexpr const char *ReportIndexed[] = {"Bands", "Groups"};
constexpr const char *ReportMethods[] = {"GetBand", "Stop", "PageLimitReached"};

template <size_t N>
const char *reportOwnName(const QString &aName, const char *const (&aNames)[N])
{
    for (const char *name : aNames)
        if (raSameName(aName, name))
            return name;
    return nullptr;
}

} // namespace

const TraTppCustomReportRTTI &TraTppCustomReportRTTI::Instance()
{
    static const TraTppCustomReportRTTI instance;
    return instance;
}

TraTppCustomReportRTTI::TraTppCustomReportRTTI()
    : TraTableRTTI(&TraTppProducerRTTI::Instance(), &TppCustomReport::StaticClass, reportEntries(), {},
                   {{"OnEndColumn", ppEvent::OnEndColumn},
                    {"OnEndFirstPass", ppEvent::OnEndFirstPass},
                    {"OnEndPage", ppEvent::OnEndPage},
                    {"OnEndSecondPass", ppEvent::OnEndSecondPass},
                    {"OnNoData", ppEvent::OnNoData},
                    {"OnStartColumn", ppEvent::OnStartColumn},
                    {"OnStartFirstPass", ppEvent::OnStartFirstPass},
                    {"OnStartPage", ppEvent::OnStartPage},
                    {"OnStartSecondPass", ppEvent::OnStartSecondPass}})
{}

void TraTppCustomReportRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraTableRTTI::GetPropList(aClass, aList);
    for (const char *name : ReportIndexed)
        raAddPropName(aList, QString::fromLatin1(name));
    for (const char *name : ReportMethods)
        raAddMethodName(aList, QString::fromLatin1(name));
}

void TraTppCustomReportRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraTableRTTI::GetEventList(aClass, aList);
    raRemoveName(aList, QStringLiteral("OnPrintingComplete"));
}

bool TraTppCustomReportRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (const char *name = reportOwnName(aName, ReportIndexed)) {
        ArrayPropToRec(QString::fromLatin1(name), aRec);
        return true;
    }
    if (const char *name = reportOwnName(aName, ReportMethods)) {
        MethodToRec(QString::fromLatin1(name), !raSameName(aName, "Stop"), aRec);
        return true;
    }
    return TraTableRTTI::GetPropRec(aClass, aName, aRec);
}

std::unique_ptr<TraParamList> TraTppCustomReportRTTI::GetParams(const QString &aName) const
{
    auto params = std::make_unique<TraParamList>();
    if (raSameName(aName, "Bands") || raSameName(aName, "Groups")) {
        params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(),
                         raSameName(aName, "Bands") ? &TppBand::StaticClass() : &TppGroup::StaticClass());
    } else if (raSameName(aName, "GetBand")) {
        params->AddParam(QStringLiteral("BandType"), TraDataType::daEnumerated, false, false,
                         QStringLiteral("TppBandType"));
        params->AddParam(QStringLiteral("GroupIndex"), TraDataType::daInteger);
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(),
                         &TppBand::StaticClass());
    } else if (raSameName(aName, "OnNoData")) {
        params->AddParam(QStringLiteral("aDialog"), TraDataType::daClass);
        params->AddParam(QStringLiteral("aShowDialog"), TraDataType::daBoolean, true);
        params->AddParam(QStringLiteral("aDrawCommand"), TraDataType::daClass);
        params->AddParam(QStringLiteral("aAddDrawCommand"), TraDataType::daBoolean, true);
    } else if (raSameName(aName, "PageLimitReached")) {
        params->AddParam(QStringLiteral("Result"), TraDataType::daBoolean);
    } else {
        return TraTableRTTI::GetParams(aName);
    }
    return params;
}

bool TraTppCustomReportRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *report = dynamic_cast<TppCustomReport *>(aObject);
    if (!report || (!reportOwnName(aName, ReportIndexed) && !reportOwnName(aName, ReportMethods)))
        return TraTableRTTI::CallMethod(aObject, aName, aParams);
    if (raSameName(aName, "Bands")) {
        aParams.SetParamValue(1, static_cast<classes::TObject *>(report->Bands(aParams.ParamValue<int32_t>(0))));
    } else if (raSameName(aName, "Groups")) {
        aParams.SetParamValue(1, static_cast<classes::TObject *>(report->Groups(aParams.ParamValue<int32_t>(0))));
    } else if (raSameName(aName, "GetBand")) {
        const uint8_t kind = aParams.ParamValue<uint8_t>(0);
        if (kind > ppLastBandType)
            return false;
        aParams.SetParamValue(2,
                              static_cast<classes::TObject *>(report->GetBand(kind, aParams.ParamValue<int32_t>(1))));
    } else if (raSameName(aName, "Stop")) {
        report->StopGenerating();
    } else {
        const int limit = report->PageLimit();
        const bool reached = limit >= 1 && report->Engine() && report->Engine()->PageNo() >= limit;
        aParams.SetParamValue(0, reached);
    }
    return true;
}

} // namespace report
