#include "report/model/groups/GroupRTTI.h"

#include "report/model/bands/Component.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/reports/CustomReport.h"

namespace report {

namespace {

using GroupRttiKind = TraTableEntry::Kind;

template <class F>
TraTableEntry groupValue(const char *aName, GroupRttiKind aKind, F aGet)
{
    TraTableEntry entry{aName, aKind, true, nullptr, nullptr, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, aGet(static_cast<TppGroup &>(o)), n);
    };
    return entry;
}

template <class T, class F, class S>
TraTableEntry groupSetting(const char *aName, GroupRttiKind aKind, F aGet, S aSet)
{
    TraTableEntry entry = groupValue(aName, aKind, aGet);
    entry.ReadOnly = false;
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        aSet(static_cast<TppGroup &>(o), raReadValue<T>(v, n));
        return true;
    };
    return entry;
}

TraTableEntry groupFlag(const char *aName, bool (TppGroup::*aGet)() const, void (TppGroup::*aSet)(bool))
{
    return groupSetting<bool>(
        aName, GroupRttiKind::Boolean, [aGet](TppGroup &g) { return (g.*aGet)(); },
        [aSet](TppGroup &g, bool v) { (g.*aSet)(v); });
}

// An enumerated setting; a value the enumeration lacks is refused.
template <class E>
TraTableEntry groupEnum(const char *aName, const char *aEnumType, E (TppGroup::*aGet)() const,
                        void (TppGroup::*aSet)(E))
{
    TraTableEntry entry = groupValue(aName, GroupRttiKind::Enum, [aGet](TppGroup &g) { return (g.*aGet)(); });
    entry.EnumType = aEnumType;
    entry.ReadOnly = false;
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        E value{};
        if (!raReadEnumeration(v, n, EnumInfo<E>(), value))
            return false;
        (static_cast<TppGroup &>(o).*aSet)(value);
        return true;
    };
    return entry;
}

TraTableEntry groupObject(TraTableEntry aEntry, const classes::TMetaClass &(*aClass)())
{
    aEntry.Class = aClass;
    return aEntry;
}

classes::TObject *groupReportObject(const TppGroup &aGroup)
{
    return aGroup.GetParentComponent();
}

std::vector<TraTableEntry> groupEntries()
{
    std::vector<TraTableEntry> entries = {
        groupValue("BreakNo", GroupRttiKind::Integer, [](TppGroup &g) { return int32_t(g.BreakNo()); }),
        groupValue("FirstColumn", GroupRttiKind::Integer, [](TppGroup &g) { return int32_t(g.FirstColumn()); }),
        groupValue("FirstPageNo", GroupRttiKind::Integer, [](TppGroup &g) { return int32_t(g.FirstPageNo()); }),
        groupValue("GroupNo", GroupRttiKind::Integer, [](TppGroup &g) { return int32_t(g.GroupNo()); }),
        groupValue("Index", GroupRttiKind::Integer, [](TppGroup &g) { return int32_t(g.GroupNo()); }),
        groupValue("LastPageNo", GroupRttiKind::Integer, [](TppGroup &g) { return int32_t(g.LastPageNo()); }),
        groupValue("mmNewColumnThreshold", GroupRttiKind::Integer,
                   [](TppGroup &g) { return g.mmNewColumnThreshold(); }),
        groupValue("mmNewPageThreshold", GroupRttiKind::Integer, [](TppGroup &g) { return g.mmNewPageThreshold(); }),
        groupValue("Position", GroupRttiKind::Integer, [](TppGroup &g) { return int32_t(g.GroupNo()); }),
        groupValue("PageNo", GroupRttiKind::Integer, [](TppGroup &g) { return int32_t(g.PageNo()); }),
        groupValue("PageCount", GroupRttiKind::Integer, [](TppGroup &g) { return int32_t(g.PageCount()); }),
        groupValue("Breaking", GroupRttiKind::Boolean, [](TppGroup &g) { return g.Breaking(); }),
        groupValue("FirstPage", GroupRttiKind::Boolean, [](TppGroup &g) { return g.FirstPage(); }),
        groupValue("KeptTogether", GroupRttiKind::Boolean, [](TppGroup &g) { return g.KeptTogether(); }),
        groupValue("BreakValue", GroupRttiKind::String, [](TppGroup &g) { return g.BreakValue(); }),
        groupValue("CurrentValue", GroupRttiKind::String, [](TppGroup &g) { return g.CurrentValue(); }),
        groupValue("Description", GroupRttiKind::String, [](TppGroup &g) { return g.Description(); }),
        groupValue("PriorValue", GroupRttiKind::String, [](TppGroup &g) { return g.PriorValue(); }),
        groupObject(groupValue("FooterBand", GroupRttiKind::Object,
                               [](TppGroup &g) { return static_cast<classes::TObject *>(g.FooterBand()); }),
                    &TppBand::StaticClass),
        groupObject(groupValue("HeaderBand", GroupRttiKind::Object,
                               [](TppGroup &g) { return static_cast<classes::TObject *>(g.HeaderBand()); }),
                    &TppBand::StaticClass),
        groupObject(groupValue("BreakComponent", GroupRttiKind::Object,
                               [](TppGroup &g) { return static_cast<classes::TObject *>(g.BreakComponent()); }),
                    &TppComponent::StaticClass),
        groupSetting<QString>(
            "BreakName", GroupRttiKind::String, [](TppGroup &g) { return g.BreakName(); },
            [](TppGroup &g, const QString &v) { g.SetBreakName(v); }),
        groupFlag("HeaderForOrphanedFooter", &TppGroup::HeaderForOrphanedFooter, &TppGroup::SetHeaderForOrphanedFooter),
        groupFlag("KeepTogether", &TppGroup::KeepTogether, &TppGroup::SetKeepTogether),
        groupFlag("NewColumn", &TppGroup::NewColumn, &TppGroup::SetNewColumn),
        groupFlag("NewPage", &TppGroup::NewPage, &TppGroup::SetNewPage),
        groupFlag("ReprintOnSubsequentColumn", &TppGroup::ReprintOnSubsequentColumn,
                  &TppGroup::SetReprintOnSubsequentColumn),
        groupFlag("ReprintOnSubsequentPage", &TppGroup::ReprintOnSubsequentPage, &TppGroup::SetReprintOnSubsequentPage),
        groupFlag("ResetPageNo", &TppGroup::ResetPageNo, &TppGroup::SetResetPageNo),
        groupSetting<float>(
            "NewColumnThreshold", GroupRttiKind::Single, [](TppGroup &g) { return g.NewColumnThreshold(); },
            [](TppGroup &g, float v) { g.SetNewColumnThreshold(v); }),
        groupSetting<float>(
            "NewPageThreshold", GroupRttiKind::Single, [](TppGroup &g) { return g.NewPageThreshold(); },
            [](TppGroup &g, float v) { g.SetNewPageThreshold(v); }),
        groupObject(groupValue("Report", GroupRttiKind::Object, [](TppGroup &g) { return groupReportObject(g); }),
                    &TppCustomReport::StaticClass),
        groupEnum("Units", "TppUnitType", &TppGroup::Units, &TppGroup::SetUnits),
    };
    // The break component, the break type, the pipeline and the report are
    // written as objects of their class or by their enumeration.
    for (TraTableEntry &entry : entries) {
        if (raSameName(QString::fromLatin1(entry.Name), "BreakComponent")) {
            entry.ReadOnly = false;
            entry.Set = [](classes::TObject &o, const TraValuePointer &v, const QString &n) {
                TppComponent *component = nullptr;
                if (!raReadObjectOf(v, n, component))
                    return false;
                auto &group = static_cast<TppGroup &>(o);
                group.SetBreakName(component ? component->UserName() : QString());
                return true;
            };
        } else if (raSameName(QString::fromLatin1(entry.Name), "Report")) {
            entry.ReadOnly = false;
            entry.Set = [](classes::TObject &o, const TraValuePointer &v, const QString &n) {
                static_cast<TppGroup &>(o).SetReport(raReadValue<TppCustomReport *>(v, n));
                return true;
            };
        }
    }
    entries.push_back(groupEnum("BreakType", "TppBreakType", &TppGroup::BreakType, &TppGroup::SetBreakType));
    TraTableEntry pipeline =
        groupObject(groupValue("DataPipeline", GroupRttiKind::Object,
                               [](TppGroup &g) { return static_cast<classes::TObject *>(g.DataPipeline()); }),
                    &TppDataPipeline::StaticClass);
    pipeline.ReadOnly = false;
    pipeline.Set = [](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        TppDataPipeline *value = nullptr;
        if (!raReadObjectOf(v, n, value))
            return false;
        static_cast<TppGroup &>(o).SetDataPipeline(value);
        return true;
    };
    entries.push_back(pipeline);
    return entries;
}

} // namespace

const TraTppGroupRTTI &TraTppGroupRTTI::Instance()
{
    static const TraTppGroupRTTI instance;
    return instance;
}

TraTppGroupRTTI::TraTppGroupRTTI()
    : TraTableRTTI(&TraTppCacheableRTTI::Instance(), &TppGroup::StaticClass, groupEntries(), {},
                   {{"AfterGroupBreak", ppEvent::AfterGroupBreak},
                    {"BeforeGroupBreak", ppEvent::BeforeGroupBreak},
                    {"BeforeHeader", ppEvent::BeforeHeader},
                    {"BeforeFooter", ppEvent::BeforeFooter},
                    {"OnGetBreakValue", ppEvent::OnGetBreakValue, "BreakValue"}})
{}

} // namespace report
