#include "report/model/reports/CustomReport.h"
#include "report/model/reports/ReportModule.h"

#include "platform/classes/ClassRegistry.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DesignerSink.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Bitmaps.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/base/UniqueNames.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineList.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"
#include "report/model/templates/ReportTemplate.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/StringList.h"
#include "platform/classes/Writer.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr uint8_t customReportNoData(TppNoDataBehaviorType aType)
{
    return uint8_t(1u << unsigned(aType));
}

// The band class of each kind GetBand and the default bands know.
const classes::TMetaClass *customReportBandClass(int aKind)
{
    switch (aKind) {
    case 0: return &TppHeaderBand::StaticClass();
    case 1: return &TppTitleBand::StaticClass();
    case 2: return &TppColumnHeaderBand::StaticClass();
    case 3: return &TppGroupHeaderBand::StaticClass();
    case 4: return &TppDetailBand::StaticClass();
    case 5: return &TppGroupFooterBand::StaticClass();
    case 6: return &TppColumnFooterBand::StaticClass();
    case 7: return &TppSummaryBand::StaticClass();
    case 8: return &TppFooterBand::StaticClass();
    case 9: return &TppPageStyle::StaticClass();
    default: return nullptr;
    }
}

} // namespace

const classes::TMetaClass &TppCustomReport::StaticClass()
{
    using R = TppCustomReport;
    static const classes::TMetaClass meta = classes::MakeClass<R, TppProducer>("TppCustomReport", [](auto &c) {
        c.Boolean("AutoStop", &R::AutoStop, &R::SetAutoStop).Default(true);
        c.Integer("Columns", &R::Columns, &R::SetColumns).Default(1);
        c.Object(
            "ColumnPositions", [](const R &r) { return const_cast<R &>(r).ColumnPositionsList(); },
            [](R &r, classes::TStrings *aPositions) {
                QStringList positions;
                for (int i = 0; aPositions && i < aPositions->Count(); ++i)
                    positions.append(aPositions->Strings(i));
                r.SetColumnPositions(positions);
            });
        c.Single("ColumnWidth", &R::ColumnWidth, &R::SetColumnWidth).StoredConst = false;
        c.Integer("PageLimit", &R::PageLimit, &R::SetPageLimit).Default(0);
        c.Enum("PassSetting", EnumInfo<TppPassSettingType>(), &R::PassSetting, &R::SetPassSetting)
            .Default(TppPassSettingType::psOnePass);
        c.Object("PrinterSetup", &R::PrinterSetup, &R::SetPrinterSetup);
        c.Boolean("SaveAsTemplate", &R::SaveAsTemplate, &R::SetSaveAsTemplate).Default(false);
        c.Object("Template", &R::Template, &R::SetTemplate);
        c.Enum("Units", EnumInfo<TppUnitType>(), &R::Units, &R::SetUnits).Default(TppUnitType::utInches);
        c.Event("OnEndColumn", &R::OnEndColumn);
        c.Event("OnEndFirstPass", &R::OnEndFirstPass);
        c.Event("OnEndPage", &R::OnEndPage);
        c.Event("OnEndSecondPass", &R::OnEndSecondPass);
        c.Event("OnStartColumn", &R::OnStartColumn);
        c.Event("OnStartFirstPass", &R::OnStartFirstPass);
        c.Event("OnStartPage", &R::OnStartPage);
        c.Event("OnStartSecondPass", &R::OnStartSecondPass);
        // Streamed as "DataPipelineName"; older streams name the pipeline
        // here, and it may live in another module, so it is looked up once
        // the report is loaded.
        c.Reference("DataPipeline", &R::DataPipeline, &R::SetDataPipeline)
            .Stored(false)
            .ReadByName([](classes::TPersistent &o, const QString &aName) {
                static_cast<R &>(o).m_dataPipelineName = ppUnqualifiedName(aName);
            });
        c.Set("NoDataBehaviors", EnumInfo<TppNoDataBehaviorType>(), QStringLiteral("TppNoDataBehaviors"),
              &R::NoDataBehaviors, &R::SetNoDataBehaviors)
            .Default(customReportNoData(TppNoDataBehaviorType::ndBlankPage));
        c.Event("OnNoData", &R::OnNoData, QStringLiteral("TppNoDataEvent"));
        c.Event("OnPrintingComplete", static_cast<classes::TNotifyEvent R::*>(&R::OnPrintingComplete));
        c.Event("OnSaveText", static_cast<TppSaveTextEvent R::*>(&R::OnSaveText), QStringLiteral("TppSaveTextEvent"));
    });
    return meta;
}

classes::TComponent *ppCreateComponent(const classes::TMetaClass &aClass, TppCommunicator *aParent)
{
    if (!aParent)
        return nullptr;
    // A report asks its host only while a designer is attached; what the
    // designer makes belongs where the designer puts it.
    auto *report = dynamic_cast<TppCustomReport *>(aParent);
    classes::TObject *host = !report || report->Designer() ? aParent->GetHostObject() : nullptr;
    auto *creator = dynamic_cast<IppComponentCreator *>(host);
    classes::TComponent *owner = aParent->Owner();
    classes::TComponent *component =
        creator ? creator->CreateComponent(aClass, nullptr, -1, -1, -1, -1) : aClass.NewComponent(owner);
    if (!component)
        return nullptr;
    if (creator || owner)
        component->SetName(aParent->GetUniqueName(component));
    if (auto *communicator = dynamic_cast<TppCommunicator *>(component))
        communicator->SetUserName(aParent->GetUniqueUserName(component));
    return component;
}

TppCustomReport::TppCustomReport(classes::TComponent *aOwner)
    : TppProducer(aOwner)
{
    if (PrinterSetup())
        PrinterSetup()->SetDocumentName(GetUserName());
    SetEngine(std::make_unique<TppEngine>(this));
    m_template = std::make_unique<TppReportTemplate>(this);
    SubscribeEvent(ppEvent::PipelineClosing);
}

void TppCustomReport::SetTemplate(const TppReportTemplate *aValue)
{
    if (aValue && aValue != m_template.get())
        m_template->Assign(aValue);
}

TppCustomReport::~TppCustomReport()
{
    BeforeDestruction();
    m_freeing = true;
    designerMessage(ppReportMsg::Destroyed, this);
    if (m_dataPipeline) {
        m_dataPipeline->RemoveEventNotify(this);
        RemoveNotify(m_dataPipeline);
        m_dataPipeline = nullptr;
    }
    if (m_engine)
        m_engine->SetStopped(true);
    freeBandsAndGroups();
    freeModules();
    m_engine.reset();
}

// ---- Modules ---------------------------------------------------------------------------------

void TppCustomReport::AddModule(TppReportModule *aModule)
{
    if (!aModule || aModule->m_report == this)
        return;
    if (aModule->m_report)
        aModule->m_report->RemoveModule(aModule);
    if (!m_modules)
        m_modules = std::make_unique<std::vector<TppReportModule *>>();
    m_modules->push_back(aModule);
    aModule->m_report = this;
    if (aModule->Owner() != Owner())
        aModule->ChangeOwner(Owner());
}

void TppCustomReport::RemoveModule(TppReportModule *aModule)
{
    if (!aModule || aModule->m_report != this || !m_modules)
        return;
    std::erase(*m_modules, aModule);
    aModule->m_report = nullptr;
}

TppReportModule *TppCustomReport::Modules(int aIndex) const
{
    return m_modules && aIndex >= 0 && aIndex < int(m_modules->size()) ? (*m_modules)[size_t(aIndex)] : nullptr;
}

TppReportModule *TppCustomReport::FindModule(const classes::TMetaClass &aClass) const
{
    if (m_modules)
        for (TppReportModule *module : *m_modules)
            if (module->ClassType().InheritsFrom(aClass))
                return module;
    return nullptr;
}

void TppCustomReport::GetDataModulePipelines(std::vector<TppDataPipeline *> &aList)
{
    const classes::TMetaClass *dataModuleClass = classes::GetClass(QStringView(u"TdaDataModule"));
    TppCustomReport *main = GetMainReport();
    TppReportModule *module = dataModuleClass && main ? main->FindModule(*dataModuleClass) : nullptr;
    if (module)
        module->GetDataPipelines(aList);
}

void TppCustomReport::freeModules()
{
    if (!m_modules)
        return;
    while (!m_modules->empty()) {
        TppReportModule *module = m_modules->back();
        delete module;
        if (!m_modules->empty() && m_modules->back() == module)
            m_modules->pop_back();
    }
}

void TppCustomReport::freeBandsAndGroups()
{
    // Groups take their bands with them.
    while (!m_groups.empty()) {
        TppGroup *group = m_groups.back();
        delete group;
        if (!m_groups.empty() && m_groups.back() == group)
            m_groups.pop_back();
    }
    while (!m_bands.empty()) {
        TppBand *band = m_bands.back();
        delete band;
        if (!m_bands.empty() && m_bands.back() == band)
            m_bands.pop_back();
        m_userNameIndex.made = false;
    }
}

// ---- Bands and groups -------------------------------------------------------------------

TppBand *TppCustomReport::Bands(int aIndex) const
{
    return BandAt(aIndex);
}

TppBand *TppCustomReport::BandAt(int aIndex) const
{
    return aIndex >= 0 && aIndex < BandCount() ? m_bands[size_t(aIndex)] : nullptr;
}

TppGroup *TppCustomReport::Groups(int aIndex) const
{
    return aIndex >= 0 && aIndex < GroupCount() ? m_groups[size_t(aIndex)] : nullptr;
}

classes::TComponent *TppCustomReport::GroupAt(int aIndex) const
{
    return Groups(aIndex);
}

int TppCustomReport::IndexOfBand(const TppBand *aBand) const
{
    const auto it = std::find(m_bands.begin(), m_bands.end(), aBand);
    return it == m_bands.end() ? -1 : int(it - m_bands.begin());
}

int TppCustomReport::IndexOfGroup(const classes::TComponent *aGroup) const
{
    const auto it = std::find(m_groups.begin(), m_groups.end(), aGroup);
    return it == m_groups.end() ? -1 : int(it - m_groups.begin());
}

TppBand *TppCustomReport::GetBand(int aKind, int aGroupIndex) const
{
    if (aKind == 3 || aKind == 5) {
        TppGroup *group = Groups(aGroupIndex);
        if (!group)
            return nullptr;
        return aKind == 3 ? static_cast<TppBand *>(group->HeaderBand()) : group->FooterBand();
    }
    const classes::TMetaClass *meta = customReportBandClass(aKind);
    for (TppBand *band : m_bands)
        if (meta && &band->ClassType() == meta)
            return band;
    return nullptr;
}

const classes::TMetaClass *TppCustomReport::BandClass(int aKind)
{
    return customReportBandClass(aKind);
}

void TppCustomReport::SortBands()
{
    std::stable_sort(m_bands.begin(), m_bands.end(),
                     [](const TppBand *a, const TppBand *b) { return a->GetSortKey() < b->GetSortKey(); });
}

void TppCustomReport::AddBand(TppBand *aBand)
{
    if (!aBand || IndexOfBand(aBand) >= 0 || m_freeing)
        return;
    m_bands.push_back(aBand);
    m_userNameIndex.made = false;
    if (Owner() && aBand->Owner() != Owner())
        aBand->ChangeOwner(Owner());
    SortBands();
    if (HasCommunicatorState(ppState::Design) && !loading())
        designerMessage(ppReportMsg::BandAdded, aBand, true);
    Reset();
}

void TppCustomReport::RemoveBand(TppBand *aBand)
{
    const int index = IndexOfBand(aBand);
    if (index < 0)
        return;
    m_bands.erase(m_bands.begin() + index);
    m_userNameIndex.made = false;
    if (m_engine)
        m_engine->ForgetBand(aBand);
    if (m_freeing)
        return;
    SortBands();
    if (HasCommunicatorState(ppState::Design) && !loading())
        designerMessage(ppReportMsg::BandRemoved, aBand);
    Reset();
}

void TppCustomReport::AddGroup(classes::TComponent *aGroup)
{
    auto *group = dynamic_cast<TppGroup *>(aGroup);
    if (!group || IndexOfGroup(group) >= 0 || m_freeing)
        return;
    m_groups.push_back(group);
    if (Owner() && group->Owner() != Owner())
        group->ChangeOwner(Owner());
    Reset();
}

void TppCustomReport::RemoveGroup(classes::TComponent *aGroup)
{
    const int index = IndexOfGroup(aGroup);
    if (index < 0)
        return;
    TppGroup *leaving = m_groups[size_t(index)];
    m_groups.erase(m_groups.begin() + index);
    if (m_engine)
        m_engine->ForgetGroup(leaving);
    if (m_freeing)
        return;
    for (TppGroup *group : m_groups)
        group->UpdateBandCaptions();
    SortBands();
    Reset();
}

void TppCustomReport::CreateDefaultBands()
{
    if (!m_bands.empty())
        return;
    IncludeState(512);
    designerMessage(ppReportMsg::DefaultBandsStart, this);
    std::vector<int> kinds{0, 4, 8};
    if (m_columns > 1)
        kinds = {0, 2, 4, 6, 8};
    for (int kind : kinds) {
        if (GetBand(kind))
            continue;
        auto *band = dynamic_cast<TppBand *>(ppCreateComponent(*customReportBandClass(kind), this));
        if (band)
            band->SetReport(this);
    }
    ExcludeState(512);
    designerMessage(ppReportMsg::DefaultBandsEnd, this);
    SetModified(true);
}

namespace {

uint64_t customReportListStamp(const TppBand &aBand)
{
    return aBand.ObjectsChanges() - uint64_t(aBand.ObjectCount());
}

// Notes the numbers of the subreports of aClass in aReport and in every
// report below it, all but aSelf.
void noteSubReportNumbers(const TppCustomReport &aReport, const classes::TMetaClass &aClass,
                          const classes::TComponent *aSelf, TppNameNumbers &aNumbers)
{
    for (int b = 0; b < aReport.BandCount(); ++b) {
        const TppBand *band = aReport.Bands(b);
        for (int i = 0; band && i < band->ObjectCount(); ++i) {
            const auto *subreport = dynamic_cast<const TppSubReport *>(band->Objects(i));
            if (!subreport)
                continue;
            if (subreport != aSelf && &subreport->ClassType() == &aClass)
                aNumbers.Note(subreport->UserName());
            if (subreport->Report())
                noteSubReportNumbers(*subreport->Report(), aClass, aSelf, aNumbers);
        }
    }
}

} // namespace

bool TppCustomReport::userNameIndexCurrent() const
{
    const UserNameIndex &index = m_userNameIndex;
    if (!index.made || index.bands.size() != m_bands.size())
        return false;
    for (size_t i = 0; i < m_bands.size(); ++i)
        if (index.bands[i].first != m_bands[i] || index.bands[i].second != customReportListStamp(*m_bands[i]))
            return false;
    return true;
}

void TppCustomReport::UserNameIndex::Numbers::Set(const TppCommunicator *aObject, int aNumber)
{
    int &number = numberOf[aObject];
    if (number == aNumber)
        return;
    if (number > 0) {
        const auto it = holders.find(number);
        if (--it->second == 0) {
            holders.erase(it);
            low = std::min(low, number);
        }
    }
    number = aNumber;
    if (number > 0)
        ++holders[number];
}

void TppCustomReport::makeUserNameIndex() const
{
    UserNameIndex &index = m_userNameIndex;
    index.names.clear();
    index.bands.clear();
    index.numbers.clear();
    for (const TppBand *band : m_bands) {
        index.bands.emplace_back(band, customReportListStamp(*band));
        for (int i = 0; i < band->ObjectCount(); ++i)
            index.names.emplace(band->Objects(i)->UserName().toCaseFolded(), band->Objects(i));
    }
    index.made = true;
}

void TppCustomReport::UserNameChanged(TppCommunicator *aCommunicator)
{
    // Objects only: bands and groups are few and looked at one by one.
    auto *object = dynamic_cast<TppComponent *>(aCommunicator);
    if (!object || !userNameIndexCurrent())
        return;
    const QString name = object->UserName();
    m_userNameIndex.names.emplace(name.toCaseFolded(), object);
    const auto numbers = m_userNameIndex.numbers.find(&object->ClassType());
    if (numbers != m_userNameIndex.numbers.end())
        numbers->second.Set(object, TppNameNumbers::NumberIn(name, ppUserNameBase(object->ClassName())));
}

TppCommunicator *TppCustomReport::FindUserName(const QString &aUserName) const
{
    const auto same = [&aUserName](const QString &aName) {
        return aName.size() == aUserName.size() && aName.compare(aUserName, Qt::CaseInsensitive) == 0;
    };
    if (same(GetUserName()))
        return const_cast<TppCustomReport *>(this);
    for (TppBand *band : m_bands)
        if (same(band->UserName()))
            return band;
    if (!userNameIndexCurrent())
        makeUserNameIndex();
    auto &names = m_userNameIndex.names;
    for (auto [it, end] = names.equal_range(aUserName.toCaseFolded()); it != end;) {
        // Every object in the index is in a band: one that left it, and
        // perhaps was freed, made the index current no more.
        if (same(it->second->UserName()))
            return it->second;
        it = names.erase(it);
    }
    for (TppGroup *group : m_groups)
        if (same(group->UserName()))
            return group;
    if (ParentCommunicator() || !Owner())
        return TppProducer::FindUserName(aUserName);
    // The objects of every report of the owner are the owner's components
    // too; another report's label must not make a name taken in this one.
    // Those are most of the owner's components: their classes pass them
    // over before anything is asked of them.
    const classes::TMetaClass *const skipped[] = {&TppComponent::StaticClass(), &TppBand::StaticClass(),
                                                  &TppGroup::StaticClass()};
    const auto isSkipped = [&skipped](const classes::TMetaClass &aMeta) {
        for (const classes::TMetaClass *c = &aMeta; c; c = c->ClassParent())
            if (c == skipped[0] || c == skipped[1] || c == skipped[2])
                return true;
        return false;
    };
    const auto otherOf = [&isSkipped](classes::TComponent *aComponent) -> TppCommunicator * {
        if (isSkipped(aComponent->ClassType()))
            return nullptr;
        auto *other = dynamic_cast<TppCommunicator *>(aComponent);
        return other && !dynamic_cast<TppBand *>(other) && !dynamic_cast<TppComponent *>(other) &&
                       !dynamic_cast<TppGroup *>(other)
                   ? other
                   : nullptr;
    };
    // A report read names every object it reads, and the owner's list
    // grows with each: walked every time, a load took n * n steps.
    std::optional<std::unordered_set<QString>> &ownerNames = m_userNameIndex.ownerNames;
    if (!loading()) {
        ownerNames.reset();
    } else {
        if (!ownerNames) {
            ownerNames.emplace();
            for (int i = 0; i < Owner()->ComponentCount(); ++i)
                if (const TppCommunicator *other = otherOf(Owner()->Components(i)))
                    ownerNames->insert(other->GetUserName().toCaseFolded());
        }
        if (!ownerNames->count(aUserName.toCaseFolded()))
            return nullptr;
    }
    for (int i = 0; i < Owner()->ComponentCount(); ++i) {
        TppCommunicator *other = otherOf(Owner()->Components(i));
        if (other && classes::SameName(other->GetUserName(), aUserName))
            return other;
    }
    return nullptr;
}

QString TppCustomReport::GetUniqueUserName(classes::TComponent *aComponent) const
{
    if (!aComponent)
        return QString();
    if (const auto *band = dynamic_cast<const TppBand *>(aComponent))
        return band->UserName();
    const QString base = ppUserNameBase(aComponent->ClassName());
    // A subreport's name is unique in the whole tree of reports, not in its
    // own report only: two "SubReport2" in a child and in the main report
    // could not be told apart by a script or a designer.
    if (dynamic_cast<const TppSubReport *>(aComponent)) {
        TppNameNumbers numbers(base);
        const TppCustomReport *main = const_cast<TppCustomReport *>(this)->GetMainReport();
        noteSubReportNumbers(main ? *main : *this, aComponent->ClassType(), aComponent, numbers);
        return numbers.NameOf(numbers.First());
    }
    // Each object added to a band is named here: looking at every object of
    // its class for each took n * n steps for a report of many objects.
    if (!userNameIndexCurrent())
        makeUserNameIndex();
    const classes::TMetaClass *const meta = &aComponent->ClassType();
    auto [entry, fresh] = m_userNameIndex.numbers.try_emplace(meta);
    UserNameIndex::Numbers &numbers = entry->second;
    if (fresh)
        for (const TppBand *band : m_bands)
            for (int i = 0; i < band->ObjectCount(); ++i) {
                const TppComponent *object = band->Objects(i);
                if (&object->ClassType() == meta)
                    numbers.Set(object, TppNameNumbers::NumberIn(object->UserName(), base));
            }
    while (numbers.holders.count(numbers.low))
        ++numbers.low;
    // The object's own number is free for it when no other holds it.
    if (const auto own = numbers.numberOf.find(dynamic_cast<const TppCommunicator *>(aComponent));
        own != numbers.numberOf.end() && own->second > 0 && own->second < numbers.low &&
        numbers.holders[own->second] == 1)
        return base + QString::number(own->second);
    return base + QString::number(numbers.low);
}

bool TppCustomReport::FindBandComponent(const QString &aName, int &aBandIndex, int &aComponentIndex) const
{
    for (int b = 0; b < BandCount(); ++b)
        for (int i = 0; i < m_bands[size_t(b)]->ObjectCount(); ++i)
            if (m_bands[size_t(b)]->Objects(i)->Name() == aName) {
                aBandIndex = b;
                aComponentIndex = i;
                return true;
            }
    aBandIndex = 0;
    aComponentIndex = 0;
    return false;
}

// ---- Settings ------------------------------------------------------------------------------

int32_t TppCustomReport::mmPrintableWidth() const
{
    return PrinterSetup() && PrinterSetup()->PageDef() ? PrinterSetup()->PageDef()->mmPrintableWidth() : 0;
}

int32_t TppCustomReport::mmPrintableHeight() const
{
    return PrinterSetup() && PrinterSetup()->PageDef() ? PrinterSetup()->PageDef()->mmPrintableHeight() : 0;
}

void TppCustomReport::SetNoDataBehaviors(TppNoDataBehaviors aValue)
{
    const uint8_t blankPage = customReportNoData(TppNoDataBehaviorType::ndBlankPage);
    const uint8_t blankReport = customReportNoData(TppNoDataBehaviorType::ndBlankReport);
    const uint8_t messageOnPage = customReportNoData(TppNoDataBehaviorType::ndMessageOnPage);
    TppNoDataBehaviors value = aValue;
    if ((m_noDataBehaviors & blankPage) && (value & blankReport))
        value &= uint8_t(~blankPage);
    if ((m_noDataBehaviors & blankReport) && (value & blankPage))
        value &= uint8_t(~blankReport);
    if (!(value & (blankPage | blankReport)))
        value |= blankPage;
    if ((value & blankPage) && (value & messageOnPage))
        value &= uint8_t(~messageOnPage);
    m_noDataBehaviors = value;
    Reset();
}

void TppCustomReport::SetPageLimit(int aValue)
{
    m_pageLimit = aValue;
    Reset();
}

void TppCustomReport::SetPassSetting(TppPassSettingType aValue)
{
    m_passSetting = aValue;
    SetModified(true);
    Reset();
}

void TppCustomReport::SetUnits(TppUnitType aValue)
{
    m_units = aValue;
    if (PrinterSetup())
        PrinterSetup()->SetUnits(aValue);
    for (TppGroup *group : m_groups)
        group->SetUnits(aValue);
    for (TppBand *band : m_bands)
        band->SetUnits(aValue);
    if (!loading())
        designerMessage(ppReportMsg::UnitsChanged, reinterpret_cast<classes::TObject *>(intptr_t(aValue)));
}

void TppCustomReport::SetModified(bool aModified)
{
    m_modified = aModified;
    if (!m_designer)
        return;
    if (auto *host = dynamic_cast<IppDesignerHost *>(GetHostObject()))
        host->ReportModified(this, aModified);
}

void TppCustomReport::SetDataPipeline(TppDataPipeline *aPipeline)
{
    if (aPipeline == m_dataPipeline)
        return;
    TppDataPipeline *old = m_dataPipeline;
    attachPipeline(aPipeline);
    const QPointer<QObject> alive = Guard();
    if (auto *child = dynamic_cast<TppChildReport *>(this);
        child && child->Parent() && child->Parent()->DataPipeline() != aPipeline) {
        child->Parent()->SetDataPipeline(aPipeline);
        if (!alive || m_dataPipeline != aPipeline)
            return;
    }
    if (aPipeline)
        Notify(aPipeline, ppNotify::DataChange);
    if (alive && m_designer)
        SendNotify(this, ppNotify::DataChange);
    // Template work (state 128 and above) keeps the objects' pipelines.
    if (!alive || loading() || CommunicatorState() >= ppState::FirstLoad)
        return;
    replacePipeline(old, aPipeline);
    m_autoStop = aPipeline == nullptr;
    Reset();
    designerMessage(ppReportMsg::DataPipelineChanged, this);
}

void TppCustomReport::attachPipeline(TppDataPipeline *aPipeline)
{
    if (m_dataPipeline) {
        m_dataPipeline->RemoveEventNotify(this);
        RemoveNotify(m_dataPipeline);
    }
    m_dataPipeline = aPipeline;
    m_dataPipelineName = aPipeline ? aPipeline->Name() : QString();
    if (aPipeline) {
        AddNotify(aPipeline);
        aPipeline->AddEventNotify(this);
    }
}

void TppCustomReport::replacePipeline(TppDataPipeline *aOld, TppDataPipeline *aNew)
{
    for (TppBand *band : m_bands) {
        auto *detail = dynamic_cast<TppDetailBand *>(band);
        if (detail && detail->DataPipeline())
            continue;
        for (int i = 0; i < band->ObjectCount(); ++i) {
            TppComponent *object = band->Objects(i);
            if (!object->IsDataAware() || object->DataField().isEmpty())
                continue;
            if (object->DataPipeline() == aOld && aOld)
                object->SetDataPipeline(aNew);
            else if (!object->DataPipeline() && aNew && aNew->GetFieldForName(object->DataField()))
                object->SetDataPipeline(aNew);
        }
    }
    for (TppGroup *group : m_groups)
        if ((group->DataPipeline() == aOld && aOld) ||
            (!group->DataPipeline() && aNew &&
             (group->BreakName().isEmpty() || aNew->GetFieldForName(group->BreakName()))))
            group->SetDataPipeline(aNew);
}

// ---- Generation -----------------------------------------------------------------------------

bool TppCustomReport::IsLastCachedPlusOne() const
{
    TppCustomReport *main = const_cast<TppCustomReport *>(this)->GetMainReport();
    TppCustomEngine *engine = main ? main->Engine() : nullptr;
    return engine && engine->IsLastCachedPlusOne();
}

void TppCustomReport::SetEngine(std::unique_ptr<TppCustomEngine> aEngine)
{
    m_engine = std::move(aEngine);
    // Hooks, not calls: a caller may route the page end and the filled
    // page record elsewhere.
    if (TppCustomEngine *engine = m_engine.get()) {
        engine->OnCheckPageLimit.Set([this](classes::TObject *) { CheckPageLimit(); });
        engine->OnPageUpdated.Set([this](classes::TObject *) { ReceivePageFromEngine(); });
    }
}

void TppCustomReport::HandlePrintError(const QString &aMessage)
{
    HandlePrintError(EPrintError(aMessage));
}

void TppCustomReport::HandlePrintError(const std::exception &aError)
{
    TppProducer::HandlePrintError(aError);
    if (m_engine && Printing())
        m_engine->SetStopped(true);
    QString message = QString::fromUtf8(aError.what());
    if (const auto *error = dynamic_cast<const EBrevantorError *>(&aError))
        message = error->Message();
    throw EPrintError(message + QStringLiteral("\r\n\r\n") + ppLoadStr(1023));
}

void TppCustomReport::Reset()
{
    TppProducer::Reset();
    // A finished run would otherwise go on from its last page, over the
    // settings and data it started with.
    if (Printing() || loading())
        return;
    if (m_engine)
        m_engine->Reset();
}

bool TppCustomReport::NonScreenOutput() const
{
    TppCustomReport *main = const_cast<TppCustomReport *>(this)->GetMainReport();
    const TppPublisher *publisher = (main ? main : this)->Publisher();
    return publisher && !publisher->ScreenDevicesOnly();
}

bool TppCustomReport::MainReportPrinting() const
{
    const TppCustomReport *main = const_cast<TppCustomReport *>(this)->GetMainReport();
    return main && main->Printing();
}

void TppCustomReport::LayoutChanged()
{
    for (TppBand *band : m_bands)
        band->UpdateLayout();
    designerMessage(ppReportMsg::LayoutChanged, this, true);
    Reset();
}

void TppCustomReport::CheckPageLimit()
{
    const std::weak_ptr<char> alive = AliveToken();
    DoEngineEvent(OnEndPage, ppEvent::OnEndPage);
    if (!alive.expired() && m_engine && m_pageLimit >= 1 && m_engine->PageNo() >= m_pageLimit)
        m_engine->EndReport();
}

bool TppCustomReport::eachBand(const std::function<void(TppBand &)> &aOp)
{
    // An object's step may free its band, a group with its bands, or this
    // report: each band is held by its token, the walk by the report's.
    const std::weak_ptr<char> alive = AliveToken();
    std::vector<std::pair<TppBand *, std::weak_ptr<char>>> bands;
    for (TppBand *band : m_bands)
        bands.emplace_back(band, band->AliveToken());
    for (const auto &[band, bandAlive] : bands) {
        if (alive.expired())
            return false;
        if (!bandAlive.expired())
            aOp(*band);
    }
    return !alive.expired();
}

void TppCustomReport::ComputeLookAheads()
{
    eachBand([](TppBand &aBand) { aBand.ComputeLookAheads(); });
}

void TppCustomReport::InitializePipelines()
{
    if (!eachBand([](TppBand &aBand) { aBand.FreeLookAheads(); }))
        return;
    for (TppGroup *group : std::vector<TppGroup *>(m_groups))
        group->PrepareKeepTogether();
    for (TppCustomReport *child : subReportChildren())
        child->InitializePipelines();
}

std::vector<TppCustomReport *> TppCustomReport::subReportChildren() const
{
    std::vector<TppCustomReport *> children;
    for (TppBand *band : m_bands)
        for (int i = 0; i < band->ObjectCount(); ++i)
            if (auto *subreport = dynamic_cast<TppSubReport *>(band->Objects(i)); subreport && subreport->Report())
                children.push_back(subreport->Report());
    return children;
}

void TppCustomReport::InitializeData()
{
    TppProducer::InitializeData();
    Activate();
    std::vector<TppCustomReport *> tree;
    GetReportTree(tree);
    for (size_t i = 1; i < tree.size(); ++i) {
        tree[i]->TppProducer::InitializeData();
        tree[i]->Activate();
    }
}

void TppCustomReport::FinalizeData()
{
    std::vector<TppCustomReport *> tree;
    GetReportTree(tree);
    for (size_t i = 1; i < tree.size(); ++i) {
        tree[i]->Deactivate();
        tree[i]->TppProducer::FinalizeData();
    }
    Deactivate();
    TppProducer::FinalizeData();
}

void TppCustomReport::GetDataPipelines(std::vector<TppDataPipeline *> &aList) const
{
    const auto add = [&aList](TppDataPipeline *aPipeline) {
        if (aPipeline && std::find(aList.begin(), aList.end(), aPipeline) == aList.end())
            aList.push_back(aPipeline);
    };
    add(m_dataPipeline);
    if (auto *detail = dynamic_cast<TppDetailBand *>(GetBand(4)))
        add(detail->DataPipeline());
    for (TppBand *band : m_bands)
        for (int i = 0; i < band->ObjectCount(); ++i)
            band->Objects(i)->GetDataPipelines(aList);
}

void TppCustomReport::ResetHooks()
{
    // An object's hook may free bands (a group goes with its own): each is
    // held by its token.
    std::vector<std::pair<TppBand *, std::weak_ptr<char>>> bands;
    for (TppBand *band : m_bands)
        bands.emplace_back(band, band->AliveToken());
    const std::weak_ptr<char> alive = AliveToken();
    for (const auto &[band, bandAlive] : bands)
        if (!alive.expired() && !bandAlive.expired())
            band->ResetHookAll();
}

void TppCustomReport::DoEngineEvent(classes::TNotifyEvent &aEvent, int aEventId)
{
    const std::weak_ptr<char> alive = AliveToken();
    if (aEvent)
        aEvent(this);
    if (!alive.expired())
        SendEventNotify(this, aEventId, nullptr);
}

void TppCustomReport::DoOnNoData(classes::TObject *aDialog, bool &aShowDialog, classes::TObject *aDrawCommand,
                                 bool &aAddDrawCommand)
{
    const QPointer<QObject> alive = Guard();
    if (OnNoData)
        OnNoData(this, aDialog, aShowDialog, aDrawCommand, aAddDrawCommand);
    if (!alive || !HasEventNotify(ppEvent::OnNoData))
        return;
    classes::TObject *dialog = aDialog;
    classes::TObject *drawCommand = aDrawCommand;
    TraParamList params;
    params.AddParam(QStringLiteral("aDialog"), TraDataType::daClass);
    params.AddParam(QStringLiteral("aShowDialog"), TraDataType::daBoolean, true);
    params.AddParam(QStringLiteral("aDrawCommand"), TraDataType::daClass);
    params.AddParam(QStringLiteral("aAddDrawCommand"), TraDataType::daBoolean, true);
    params.SetParamValuePointer(0, &dialog);
    params.SetParamValuePointer(1, &aShowDialog);
    params.SetParamValuePointer(2, &drawCommand);
    params.SetParamValuePointer(3, &aAddDrawCommand);
    SendEventNotify(this, ppEvent::OnNoData, &params);
}

QString TppCustomReport::GetStatus() const
{
    return Publisher() ? Publisher()->GetStatus() : QString();
}

void TppCustomReport::SetStatus(const QString &aText)
{
    if (Publisher())
        Publisher()->SetStatus(aText);
}

QImage TppCustomReport::DesignerBitmap() const
{
    return ppLoadBitmapResource(QStringLiteral("PPNOREPORTBITMAP"));
}

void TppCustomReport::LanguageChanged()
{
    TppProducer::LanguageChanged();
    m_popupMenus.Recaption();
    // Band captions are the library's texts in the report's language.
    for (TppBand *band : std::vector<TppBand *>(m_bands))
        band->UpdateCaption();
    // The template's dialogs speak the report's language.
    m_template->SetLanguageIndex(LanguageIndex());
    designerMessage(ppReportMsg::LanguageChanged, this);
    SendNotify(this, ppNotify::LanguageChange);
}

void TppCustomReport::DesignRefresh()
{
    LayoutChanged();
}

void TppCustomReport::StopGenerating()
{
    if (m_engine)
        m_engine->SetStopped(true);
}

void TppCustomReport::EnumerateCacheables(const std::function<void(TppCacheable *)> &aProc)
{
    if (m_engine)
        aProc(m_engine.get());
    for (TppGroup *group : std::vector<TppGroup *>(m_groups))
        aProc(group);
    for (TppBand *band : std::vector<TppBand *>(m_bands)) {
        aProc(band);
        for (int i = 0; i < band->ObjectCount(); ++i)
            aProc(band->Objects(i));
    }
    // A child report's state, its engine's included, belongs to the
    // parent's page it printed on.
    for (TppCustomReport *child : subReportChildren())
        child->EnumerateCacheables(aProc);
}

void TppCustomReport::SetDesigner(IppDesignerSink *aDesigner)
{
    if (aDesigner == m_designer)
        return;
    designerMessage(ppReportMsg::DesignerDetaching, this);
    auto *oldHost = dynamic_cast<classes::TObject *>(m_designer);
    m_designer = aDesigner;
    // The designer is the host object the report's objects ask to make
    // components and hear of changes.
    if (auto *host = dynamic_cast<classes::TObject *>(aDesigner))
        SetHostObject(host);
    else if (oldHost && GetHostObject() == oldHost)
        SetHostObject(nullptr);
    designerMessage(ppReportMsg::DesignerAttached, this);
    for (TppCustomReport *child : subReportChildren())
        child->SetDesigner(aDesigner);
}

void TppCustomReport::GetReportTree(std::vector<TppCustomReport *> &aList)
{
    aList.push_back(this);
    for (TppCustomReport *child : subReportChildren())
        child->GetReportTree(aList);
}

void TppCustomReport::IncludeEngineState(int aBits)
{
    if (m_engine)
        m_engine->IncludeEngineState(aBits);
}

void TppCustomReport::ExcludeEngineState(int aBits)
{
    if (m_engine)
        m_engine->ExcludeEngineState(aBits);
}

void TppCustomReport::SetName(const QString &aNewName)
{
    const QString oldName = Name();
    TppProducer::SetName(aNewName);
    if (Name() == oldName)
        return;
    // Without an old name every name would "start with" it.
    if (HasCommunicatorState(ppState::Design) && !oldName.isEmpty()) {
        const auto rename = [&oldName, this](TppCommunicator *aPart) {
            if (aPart->Name().startsWith(oldName))
                aPart->SetName(Name() + aPart->Name().mid(oldName.size()));
        };
        for (TppGroup *group : std::vector<TppGroup *>(m_groups))
            rename(group);
        for (TppBand *band : std::vector<TppBand *>(m_bands))
            for (int i = 0; i < band->ObjectCount(); ++i)
                rename(band->Objects(i));
    }
    designerMessage(ppReportMsg::Renamed, this);
}

// ---- State and owner ------------------------------------------------------------------------

void TppCustomReport::IncludeState(TppCommunicatorState aState)
{
    TppProducer::IncludeState(aState);
    for (TppBand *band : std::vector<TppBand *>(m_bands))
        band->IncludeState(aState);
    for (TppGroup *group : std::vector<TppGroup *>(m_groups))
        group->IncludeState(aState);
    if (m_engine)
        m_engine->IncludeState(aState);
    if (m_modules)
        for (TppReportModule *module : std::vector<TppReportModule *>(*m_modules))
            module->IncludeState(aState);
}

void TppCustomReport::ExcludeState(TppCommunicatorState aState)
{
    TppProducer::ExcludeState(aState);
    for (TppBand *band : std::vector<TppBand *>(m_bands))
        band->ExcludeState(aState);
    for (TppGroup *group : std::vector<TppGroup *>(m_groups))
        group->ExcludeState(aState);
    if (m_engine)
        m_engine->ExcludeState(aState);
    if (m_modules)
        for (TppReportModule *module : std::vector<TppReportModule *>(*m_modules))
            module->ExcludeState(aState);
}

void TppCustomReport::ChangeOwner(classes::TComponent *aNewOwner)
{
    if (aNewOwner == Owner())
        return;
    TppProducer::ChangeOwner(aNewOwner);
    for (TppGroup *group : std::vector<TppGroup *>(m_groups))
        group->ChangeOwner(aNewOwner);
    for (TppBand *band : std::vector<TppBand *>(m_bands))
        band->ChangeOwner(aNewOwner);
    m_template->SetRoot(aNewOwner);
    if (m_modules)
        for (TppReportModule *module : std::vector<TppReportModule *>(*m_modules))
            module->ChangeOwner(aNewOwner);
}

void TppCustomReport::Loaded()
{
    m_userNameIndex.ownerNames.reset();
    {
        const std::weak_ptr<char> alive = AliveToken();
        ResolveDataPipelines();
        if (alive.expired())
            return;
    }
    // Positions are kept and read in the one form the file has, whatever
    // the system's separator: one with "," (saved where the system's
    // separator was put into them) goes back to "." for the next save.
    for (QString &position : m_columnPositions) {
        double value = 0;
        if (position.contains(u',') && ppReadStoredFloat(position, value))
            position.replace(u',', u'.');
    }
    if (PrinterSetup())
        PrinterSetup()->Loaded();
    TppProducer::Loaded();
    if (!m_saveAsTemplate || CommunicatorState() >= ppState::FirstLoad)
        return;
    TppCustomReport *main = GetMainReport();
    if (main && main != this) {
        // The main report's handler may free the main report, and this
        // child with the subreport that holds it.
        const std::weak_ptr<char> alive = AliveToken();
        main->TemplateLoadRequest(this);
        if (alive.expired())
            return;
    }
    if (main != this || !HasCommunicatorState(ppState::Design))
        m_template->Load();
}

void TppCustomReport::ResolveDataPipelines()
{
    const TppDataPipelineList pipelines(this);
    for (int i = 0; i < pipelines.Count(); ++i)
        if (TppDataPipeline *pipeline = pipelines.Pipelines(i))
            pipeline->ResolveMasterDataPipeline(pipelines);
    if (!m_dataPipeline && !m_dataPipelineName.isEmpty())
        // Only linked: the stream holds the settings that go with it, and
        // the bands and groups name their own pipelines.
        if (TppDataPipeline *pipeline = pipelines.GetPipelineByName(m_dataPipelineName))
            attachPipeline(pipeline);
    // A component's own step may free this report, and its bands with it,
    // or another band: the walk ends, or skips what went.
    const std::weak_ptr<char> alive = AliveToken();
    for (TppBand *band : std::vector<TppBand *>(m_bands)) {
        if (std::find(m_bands.begin(), m_bands.end(), band) == m_bands.end())
            continue;
        band->ResolveDataPipelines(pipelines);
        if (alive.expired())
            return;
    }
    for (TppGroup *group : std::vector<TppGroup *>(m_groups))
        group->ResolveDataPipeline(pipelines);
}

void TppCustomReport::TransferRelatives(const TppProducer &aSource)
{
    TppProducer::TransferRelatives(aSource);
    const auto *constSource = dynamic_cast<const TppCustomReport *>(&aSource);
    if (!constSource || constSource == this)
        return;
    // The bands and groups leave the source: taking them is what a
    // transfer is for.
    auto *source = const_cast<TppCustomReport *>(constSource);
    // The designer lets go of what it shows and takes up the new contents,
    // the reports of the subreports that come with them included.
    IppDesignerSink *designer = m_designer;
    SetDesigner(nullptr);
    m_columns = source->m_columns;
    m_columnPositions = source->m_columnPositions;
    m_mmColumnWidth = source->m_mmColumnWidth;
    m_legacyColumnWidth = source->m_legacyColumnWidth;
    SetDataPipeline(source->m_dataPipeline);
    m_autoStop = source->m_autoStop;
    m_noDataBehaviors = source->m_noDataBehaviors;
    m_pageLimit = source->m_pageLimit;
    m_passSetting = source->m_passSetting;
    m_saveAsTemplate = source->m_saveAsTemplate;
    m_template->Assign(source->m_template.get());
    SetUnits(source->m_units);
    OnEndColumn = source->OnEndColumn;
    OnEndFirstPass = source->OnEndFirstPass;
    OnEndPage = source->OnEndPage;
    OnEndSecondPass = source->OnEndSecondPass;
    OnStartColumn = source->OnStartColumn;
    OnStartFirstPass = source->OnStartFirstPass;
    OnStartPage = source->OnStartPage;
    OnStartSecondPass = source->OnStartSecondPass;
    OnNoData = source->OnNoData;

    freeBandsAndGroups();
    for (TppBand *band : std::vector<TppBand *>(source->m_bands.rbegin(), source->m_bands.rend()))
        if (!dynamic_cast<TppGroupBand *>(band))
            band->SetReport(this);
    for (TppGroup *group : std::vector<TppGroup *>(source->m_groups))
        group->SetReport(this);
    freeModules();
    if (source->m_modules)
        for (TppReportModule *module : std::vector<TppReportModule *>(*source->m_modules))
            AddModule(module);
    // The layout belongs to this report's owner now, also when that is none
    // (a backup kept aside): left in the old form, its names would still be
    // taken there.
    for (TppBand *band : std::vector<TppBand *>(m_bands))
        if (band->Owner() != Owner())
            band->ChangeOwner(Owner());
    for (TppGroup *group : std::vector<TppGroup *>(m_groups))
        if (group->Owner() != Owner())
            group->ChangeOwner(Owner());
    m_modified = source->m_modified;
    SetDesigner(designer);
}

void TppCustomReport::Convert(int32_t aVersionNo)
{
    TppProducer::Convert(aVersionNo);
    if (m_modules)
        for (TppReportModule *module : std::vector<TppReportModule *>(*m_modules))
            module->Convert(aVersionNo);
    if (aVersionNo < 4100)
        m_autoStop = false;
    if (aVersionNo < 3000) {
        if (PrinterSetup())
            PrinterSetup()->SetUnits(m_units);
        for (QString &position : m_columnPositions) {
            double value = 0;
            // A text that is no number stays, for generation to report.
            if (ppReadStoredFloat(position, value))
                position = QString::number(ppToMMThousandths(float(value), m_units, TppAxisType::atHorizontal));
        }
        if (std::isfinite(m_legacyColumnWidth))
            m_mmColumnWidth = ppToMMThousandths(m_legacyColumnWidth, m_units, TppAxisType::atHorizontal);
        const int32_t printable = mmPrintableWidth();
        if (m_columnPositions.isEmpty() && m_columns >= 2 && int64_t(m_mmColumnWidth) * m_columns > printable)
            m_mmColumnWidth = printable / m_columns;
        m_passSetting = TppPassSettingType::psTwoPass;
    }
    for (TppBand *band : std::vector<TppBand *>(m_bands))
        band->Convert(aVersionNo);
    for (TppGroup *group : std::vector<TppGroup *>(m_groups))
        group->Convert(aVersionNo);
    SetModified(true);
}

// ---- Notices and streams ---------------------------------------------------------------------

void TppCustomReport::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppProducer::Notify(aCommunicator, aOperation);
    if (aCommunicator && aOperation == ppNotify::Remove && m_template &&
        m_template->DatabaseSettings()->DataPipeline() == aCommunicator)
        m_template->DatabaseSettings()->SetDataPipeline(nullptr);
    if (!aCommunicator || aCommunicator != m_dataPipeline)
        return;
    if (aOperation == ppNotify::Remove) {
        m_dataPipeline = nullptr;
        m_dataPipelineName.clear();
        m_autoStop = true;
        Reset();
        designerMessage(ppReportMsg::DataPipelineChanged, this);
    } else if (aOperation == ppNotify::DataChange) {
        const TppChangingPipeline changing(m_dataPipeline);
        Reset();
    } else if (aOperation == ppNotify::Rename) {
        designerMessage(ppReportMsg::DataPipelineChanged, this);
    }
}

void TppCustomReport::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppProducer::EventNotify(aCommunicator, aEventID, aParams);
    // The bookmarks the run keeps go while the data that gave them is
    // still open.
    if (aEventID == ppEvent::PipelineClosing && aCommunicator && aCommunicator == m_dataPipeline &&
        !MainReportPrinting())
        if (auto *engine = dynamic_cast<TppEngine *>(m_engine.get()))
            engine->FreeCachedBookmarks();
}

void TppCustomReport::DefineProperties(classes::TFiler &aFiler)
{
    TppProducer::DefineProperties(aFiler);
    const classes::TFiler::WriterProc none;
    // Entries of old streams, read only.
    aFiler.DefineProperty(
        QStringLiteral("RulerUnits"),
        [this](classes::TReader &r) {
            const QString units = r.ReadIdent();
            if (units == QLatin1String("utPixels"))
                SetUnits(TppUnitType::utScreenPixels);
            else if (units == QLatin1String("utInches"))
                SetUnits(TppUnitType::utInches);
            else if (units == QLatin1String("utMillimeters"))
                SetUnits(TppUnitType::utMillimeters);
        },
        none, false);
    aFiler.DefineProperty(
        QStringLiteral("UserName"), [](classes::TReader &r) { r.SkipValue(); }, none, false);
    aFiler.DefineProperty(
        QStringLiteral("mmColumnWidth"), [this](classes::TReader &r) { m_mmColumnWidth = ppReadIntegerOrFloat(r); },
        [this](classes::TWriter &w) { w.WriteInteger(m_mmColumnWidth); }, true);
    aFiler.DefineProperty(
        QStringLiteral("DataPipelineName"),
        [this](classes::TReader &r) { m_dataPipelineName = ppUnqualifiedName(r.ReadString()); },
        [this](classes::TWriter &w) { w.WriteString(m_dataPipeline ? m_dataPipeline->Name() : QString()); }, true);
}

void TppCustomReport::GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *)
{
    for (TppBand *band : std::vector<TppBand *>(m_bands))
        if (!dynamic_cast<TppGroupBand *>(band))
            aProc(band);
    for (TppGroup *group : std::vector<TppGroup *>(m_groups))
        aProc(group);
    if (m_modules)
        for (TppReportModule *module : std::vector<TppReportModule *>(*m_modules))
            if (StreamsDesignOnlyModules() || !module->HasCommunicatorState(ppState::DesignOnly))
                aProc(module);
}

void TppCustomReport::designerMessage(int aMsg, classes::TObject *aLParam, bool aPost)
{
    // A child report runs inside its main report's run, which its designer
    // must not hear of either.
    if (!m_designer || MainReportPrinting())
        return;
    if (aPost)
        m_designer->PostDesignerMessage(aMsg, ppDesignerMsg::WParam, aLParam);
    else
        m_designer->SendDesignerMessage(aMsg, ppDesignerMsg::WParam, aLParam);
}

bool TppCustomReport::loading() const
{
    return HasState(classes::csLoading | classes::csReading);
}

} // namespace report
