#include "report/model/groups/Group.h"

#include "report/model/bands/ReportContext.h"
#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/data/CacheManager.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineList.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/groups/GroupRTTI.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"

#include <algorithm>
#include <cstring>

namespace report {

namespace {

// FirstPageNo, LastPageNo, Breaking and three bytes padding, BreakNo,
// FirstColumn, one byte unused, KeptTogether and two bytes padding.
struct GroupCacheRecord
{
    int32_t firstPageNo;
    int32_t lastPageNo;
    uint8_t breaking;
    uint8_t padding1[3];
    int32_t breakNo;
    int32_t firstColumn;
    uint8_t unused;
    uint8_t keptTogether;
    uint8_t padding2[2];
};
static_assert(sizeof(GroupCacheRecord) == 24);

} // namespace

const classes::TMetaClass &TppGroup::StaticClass()
{
    using G = TppGroup;
    static const classes::TMetaClass meta = classes::MakeClass<G, TppCacheable>("TppGroup", [](auto &c) {
        c.Event("AfterGroupBreak", &G::AfterGroupBreak);
        c.Event("BeforeGroupBreak", &G::BeforeGroupBreak);
        c.String("BreakName", &G::BreakName, &G::SetBreakName);
        c.Enum("BreakType", EnumInfo<TppBreakType>(), &G::BreakType, &G::SetBreakType)
            .Default(TppBreakType::btDataField);
        c.Boolean("HeaderForOrphanedFooter", &G::HeaderForOrphanedFooter, &G::SetHeaderForOrphanedFooter).Default(true);
        c.Boolean("KeepTogether", &G::KeepTogether, &G::SetKeepTogether).Default(false);
        c.Event("OnGetBreakValue", &G::OnGetBreakValue, QStringLiteral("TppGetBreakValueEvent"));
        c.Object("OutlineSettings", &G::OutlineSettings, &G::SetOutlineSettings);
        c.Boolean("NewColumn", &G::NewColumn, &G::SetNewColumn).Default(false);
        c.Boolean("NewPage", &G::NewPage, &G::SetNewPage).Default(false);
        c.Single("NewColumnThreshold", &G::NewColumnThreshold, &G::SetNewColumnThreshold).StoredConst = false;
        c.Single("NewPageThreshold", &G::NewPageThreshold, &G::SetNewPageThreshold).StoredConst = false;
        c.Boolean("ResetPageNo", &G::ResetPageNo, &G::SetResetPageNo).Default(false);
        c.Boolean("ReprintOnSubsequentColumn", &G::ReprintOnSubsequentColumn, &G::SetReprintOnSubsequentColumn)
            .Default(true);
        c.Boolean("ReprintOnSubsequentPage", &G::ReprintOnSubsequentPage, &G::SetReprintOnSubsequentPage).Default(true);
        c.String("UserName", &G::UserName, &G::SetUserName);
        // Streamed as "DataPipelineName"; a name older streams give here is
        // resolved with the report's pipelines once loaded.
        c.Reference("DataPipeline", &G::DataPipeline, &G::SetDataPipeline)
            .Stored(false)
            .ReadByName([](classes::TPersistent &o, const QString &aName) {
                static_cast<G &>(o).m_dataPipelineName = ppUnqualifiedName(aName);
            });
    });
    return meta;
}

TppGroup::TppGroup(classes::TComponent *aOwner)
    : TppCacheable(aOwner)
    , m_outlineSettings(std::make_unique<TppOutlineSettings>(this))
{
    SetCacheRecordSize(int32_t(sizeof(GroupCacheRecord)));
}

TppGroup::~TppGroup()
{
    BeforeDestruction();
    if (m_keepCache) {
        TppCacheManager *cache = m_keepCache;
        m_keepCache = nullptr;
        RemoveNotify(cache);
        delete cache;
    }
    m_savedPage.reset();
    if (m_dataPipeline) {
        m_dataPipeline->RemoveEventNotify(this);
        RemoveNotify(m_dataPipeline);
    }
    unhookBreakComponent();
    // The bands go with the group.
    for (TppGroupBand *band : {static_cast<TppGroupBand *>(m_headerBand), static_cast<TppGroupBand *>(m_footerBand)}) {
        if (!band)
            continue;
        band->m_group = nullptr;
        delete band;
    }
    m_headerBand = nullptr;
    m_footerBand = nullptr;
    SetReport(nullptr);
}

// ---- Report and bands ---------------------------------------------------------------------

void TppGroup::SetReport(IppReportContext *aReport)
{
    if (aReport == m_report)
        return;
    if (m_report) {
        if (m_headerBand)
            m_headerBand->SetReport(nullptr);
        if (m_footerBand)
            m_footerBand->SetReport(nullptr);
        IppReportContext *old = m_report;
        m_report = nullptr;
        if (m_reportObject)
            RemoveNotify(m_reportObject);
        m_reportObject = nullptr;
        old->RemoveGroup(this);
    }
    m_report = aReport;
    if (!m_report)
        return;
    m_reportObject = m_report->ReportObject();
    if (m_reportObject)
        AddNotify(m_reportObject);
    m_report->AddGroup(this);
    if (m_headerBand)
        m_headerBand->SetReport(m_report);
    if (m_footerBand)
        m_footerBand->SetReport(m_report);
    m_units = m_report->Units();
    UpdateBandCaptions();
}

template <class Band>
void TppGroup::linkBand(Band *&aSlot, Band *aBand)
{
    if (aBand == aSlot)
        return;
    if (Band *old = aSlot) {
        aSlot = nullptr;
        old->SetReport(nullptr);
        if (old->m_group == this)
            old->m_group = nullptr;
    }
    aSlot = aBand;
    if (!aBand)
        return;
    if (aBand->m_group && aBand->m_group != this)
        aBand->m_group->bandFreed(aBand);
    aBand->m_group = this;
    aBand->SetReport(m_report);
    aBand->UpdateCaption();
}

void TppGroup::SetHeaderBand(TppGroupHeaderBand *aBand)
{
    linkBand(m_headerBand, aBand);
}

void TppGroup::SetFooterBand(TppGroupFooterBand *aBand)
{
    linkBand(m_footerBand, aBand);
}

void TppGroup::bandFreed(const TppCustomBand *aBand)
{
    if (aBand == m_headerBand)
        m_headerBand = nullptr;
    if (aBand == m_footerBand)
        m_footerBand = nullptr;
}

void TppGroup::UpdateBandCaptions()
{
    if (m_headerBand)
        m_headerBand->UpdateCaption();
    if (m_footerBand)
        m_footerBand->UpdateCaption();
}

int TppGroup::GroupNo() const
{
    return m_report ? m_report->IndexOfGroup(this) : -1;
}

QString TppGroup::Description()
{
    QString description;
    if (m_breakType == TppBreakType::btCustomField) {
        if (TppComponent *component = BreakComponent())
            description = component->GetDescription();
    } else if (m_dataPipeline) {
        description = m_dataPipeline->GetFieldAlias(m_breakName);
    }
    if (!m_report)
        return description;
    return ppLoadStr(331) + QStringLiteral(" [") + QString::number(GroupNo()) + QStringLiteral("]: ") + description;
}

TppCustomEngine *TppGroup::PageEngine() const
{
    return m_report ? m_report->Engine() : nullptr;
}

void TppGroup::setFlag(bool &aField, bool aValue)
{
    aField = aValue;
    refreshReport();
}

void TppGroup::refreshReport()
{
    if (m_report && !loadingOrReading())
        m_report->DesignRefresh();
}

bool TppGroup::loadingOrReading() const
{
    return HasState(classes::csLoading | classes::csReading);
}

// ---- Break --------------------------------------------------------------------------------

void TppGroup::SetBreakType(TppBreakType aValue)
{
    if (aValue == m_breakType || (m_report && m_report->MainReportPrinting()))
        return;
    m_breakType = aValue;
    m_breakComponentDirty = true;
}

void TppGroup::SetBreakName(const QString &aValue)
{
    if (aValue == m_breakName)
        return;
    if (m_breakType == TppBreakType::btCustomField && !loadingOrReading()) {
        unhookBreakComponent();
        m_breakName = aValue;
        m_breakComponentDirty = true;
        TppComponent *component = BreakComponent();
        if (component && component->IsCustomText())
            hookBreakComponent();
        else
            m_breakName.clear();
    } else {
        m_breakName = aValue;
    }
    m_breakComponentDirty = true;
    refreshReport();
    UpdateBandCaptions();
}

TppComponent *TppGroup::BreakComponent()
{
    if (m_breakType != TppBreakType::btCustomField)
        return nullptr;
    if (!m_breakComponentDirty || HasState(classes::csReading))
        return m_breakComponent;
    TppComponent *found = nullptr;
    for (int b = 0; m_report && !found && b < m_report->BandCount(); ++b) {
        const TppBand *band = m_report->BandAt(b);
        for (int i = 0; band && i < band->ObjectCount(); ++i)
            if (band->Objects(i)->UserName() == m_breakName) {
                found = band->Objects(i);
                break;
            }
    }
    if (found != m_breakComponent) {
        unhookBreakComponent();
        m_breakComponent = found;
        // Held without a link, a freed component would leave it dangling.
        hookBreakComponent();
    }
    m_breakComponentDirty = m_breakName.isEmpty() || !found;
    return m_breakComponent;
}

void TppGroup::hookBreakComponent()
{
    if (!m_breakComponent)
        return;
    AddNotify(m_breakComponent);
    if (auto *text = dynamic_cast<IppGroupBreakText *>(m_breakComponent))
        text->AddGroup(this);
}

void TppGroup::unhookBreakComponent()
{
    if (!m_breakComponent)
        return;
    if (auto *text = dynamic_cast<IppGroupBreakText *>(m_breakComponent))
        text->RemoveGroup(this);
    RemoveNotify(m_breakComponent);
    m_breakComponent = nullptr;
}

TppDataPipeline *TppGroup::breakPipeline() const
{
    if (m_dataPipeline)
        return m_dataPipeline;
    return m_report ? m_report->DataPipeline() : nullptr;
}

QString TppGroup::GetBreakValue()
{
    // The handlers (the break component's text, OnGetBreakValue) may free
    // the group: the value is then the caller's to drop.
    const std::weak_ptr<char> alive = AliveToken();
    QString value = m_breakValue;
    if (m_breakType == TppBreakType::btDataField) {
        // Without a pipeline only the event can give a value.
        value = m_dataPipeline ? m_dataPipeline->GetFieldAsString(m_breakName) : QString();
    } else if (TppComponent *component = BreakComponent()) {
        value = component->GetText();
    }
    if (!alive.expired() && OnGetBreakValue)
        OnGetBreakValue(this, value);
    if (!alive.expired() && HasEventNotify(ppEvent::OnGetBreakValue)) {
        std::unique_ptr<TraParamList> params = TraTppGroupRTTI::Instance().GetParams(QStringLiteral("OnGetBreakValue"));
        params->SetParamValuePointer(0, &value);
        SendEventNotify(this, ppEvent::OnGetBreakValue, params.get());
    }
    return value;
}

void TppGroup::UpdateBreakValue()
{
    const std::weak_ptr<char> alive = AliveToken();
    const QString value = GetBreakValue();
    if (!alive.expired())
        m_breakValue = value;
}

bool TppGroup::CheckForBreak()
{
    // The new value first: a handler that raises leaves the group as it was,
    // one that frees it leaves no break.
    const std::weak_ptr<char> alive = AliveToken();
    const QString value = GetBreakValue();
    if (alive.expired())
        return false;
    m_priorValue = m_breakValue;
    m_breakValue = value;
    bool breaks = value != m_priorValue;
    if (!breaks)
        if (TppDataPipeline *pipeline = breakPipeline())
            breaks = (pipeline->RecordPositionFlags() & ppNoRecords) != 0;
    if (!breaks)
        return false;
    MarkBroken();
    return true;
}

void TppGroup::MarkBroken()
{
    m_breaking = true;
    if (m_headerBand)
        m_headerBand->SetBreaking(true);
    if (m_footerBand)
        m_footerBand->SetBreaking(true);
    SendEventNotify(this, ppEvent::GroupBreakStateChanged, nullptr);
}

void TppGroup::SetDataPipeline(TppDataPipeline *aPipeline)
{
    if (aPipeline == m_dataPipeline)
        return;
    if (m_dataPipeline) {
        m_dataPipeline->RemoveEventNotify(this);
        RemoveNotify(m_dataPipeline);
    }
    m_dataPipeline = aPipeline;
    m_dataPipelineName = aPipeline ? aPipeline->Name() : QString();
    if (m_dataPipeline) {
        AddNotify(m_dataPipeline);
        m_dataPipeline->AddEventNotify(this);
    }
    Notify(this, ppNotify::DataChange);
    refreshReport();
}

void TppGroup::ResolveDataPipeline(const TppDataPipelineList &aList)
{
    if (m_breakType == TppBreakType::btDataField && !m_dataPipeline && !m_dataPipelineName.isEmpty())
        SetDataPipeline(aList.GetPipelineByName(m_dataPipelineName));
}

void TppGroup::ReplaceDataPipeline(TppDataPipeline *aPipeline, const QString &aName)
{
    if (m_dataPipeline && m_dataPipeline->UserName() == aName)
        SetDataPipeline(aPipeline);
}

void TppGroup::ReplaceDataField(TppDataPipeline *aPipeline, const QString &aOldName, const QString &aNewName)
{
    if (aPipeline == m_dataPipeline && m_breakName.compare(aOldName, Qt::CaseInsensitive) == 0)
        m_breakName = aNewName;
}

// ---- Rules --------------------------------------------------------------------------------

void TppGroup::SetKeepTogether(bool aValue)
{
    m_keepTogether = aValue;
    if (aValue) {
        m_newPage = false;
        m_newColumn = false;
    }
    refreshReport();
}

void TppGroup::SetNewPage(bool aValue)
{
    m_newPage = aValue;
    if (aValue)
        m_keepTogether = false;
    refreshReport();
}

void TppGroup::SetNewColumn(bool aValue)
{
    m_newColumn = aValue;
    if (aValue)
        m_keepTogether = false;
    refreshReport();
}

void TppGroup::SetHeaderForOrphanedFooter(bool aValue)
{
    setFlag(m_headerForOrphanedFooter, aValue);
}

void TppGroup::SetReprintOnSubsequentColumn(bool aValue)
{
    setFlag(m_reprintOnSubsequentColumn, aValue);
}

void TppGroup::SetReprintOnSubsequentPage(bool aValue)
{
    setFlag(m_reprintOnSubsequentPage, aValue);
}

void TppGroup::SetResetPageNo(bool aValue)
{
    setFlag(m_resetPageNo, aValue);
}

float TppGroup::NewColumnThreshold() const
{
    return ppFromMMThousandths(m_mmNewColumnThreshold, m_units, TppAxisType::atVertical);
}

void TppGroup::SetNewColumnThreshold(float aValue)
{
    m_mmNewColumnThreshold = ppToMMThousandths(aValue, m_units, TppAxisType::atVertical);
}

float TppGroup::NewPageThreshold() const
{
    return ppFromMMThousandths(m_mmNewPageThreshold, m_units, TppAxisType::atVertical);
}

void TppGroup::SetNewPageThreshold(float aValue)
{
    // An old stream's value is in the units of its report, which Convert
    // knows.
    if (HasState(classes::csReading)) {
        m_legacyNewPageThreshold = aValue;
        return;
    }
    m_mmNewPageThreshold = ppToMMThousandths(aValue, m_units, TppAxisType::atVertical);
}

// ---- Where the group stands -----------------------------------------------------------------

bool TppGroup::FirstPage() const
{
    const TppCustomEngine *engine = PageEngine();
    return engine && engine->PageNo() == m_firstPageNo;
}

int TppGroup::PageNo() const
{
    const TppCustomEngine *engine = PageEngine();
    return engine ? engine->PageNo() - m_firstPageNo + 1 : 1;
}

// ---- Generation ---------------------------------------------------------------------------

void TppGroup::Init()
{
    m_firstPageNo = 1;
    m_lastPageNo = 1;
    m_firstColumn = 1;
    m_breakNo = 0;
    m_breaking = false;
    m_breakComponentDirty = true;
    const std::weak_ptr<char> alive = AliveToken();
    const QString value = GetBreakValue();
    if (alive.expired())
        return;
    m_breakValue = value;
    m_priorValue = m_breakValue;
    SendEventNotify(this, ppEvent::GroupBreakStateChanged, nullptr);
}

void TppGroup::BeforeHeader()
{
    // The handler may free the group, and its bands with it.
    const std::weak_ptr<char> alive = AliveToken();
    if (BeforeGroupBreak)
        BeforeGroupBreak(this);
    if (!alive.expired())
        SendEventNotify(this, ppEvent::BeforeGroupBreak, nullptr);
}

void TppGroup::BeforeHeaderGenerate()
{
    SendEventNotify(this, ppEvent::BeforeHeader, nullptr);
}

void TppGroup::BeforeFooter()
{
    SendEventNotify(this, ppEvent::BeforeFooter, nullptr);
}

void TppGroup::AfterFooter()
{
    // The handlers may free the group, and its bands with it.
    const std::weak_ptr<char> alive = AliveToken();
    if (AfterGroupBreak)
        AfterGroupBreak(this);
    if (alive.expired())
        return;
    SendEventNotify(this, ppEvent::AfterGroupBreak, nullptr);
    if (alive.expired())
        return;
    TppCustomEngine *engine = PageEngine();
    if (engine && engine->KeepTogetherGroup() == this)
        m_keptTogether = false;
    if (engine)
        SetLastPage(engine->PageNo());
    ++m_breakNo;
}

void TppGroup::GroupStarted(int aPageNo, int aColumn)
{
    m_firstPageNo = aPageNo;
    m_firstColumn = aColumn;
    // A page the run went past may already have told where the group ends.
    m_lastPageNo = std::max(m_lastPageNo, aPageNo);
}

void TppGroup::UpdatePageCount(int aPageNo)
{
    // A page the run went past already knows where its break ended.
    GroupCacheRecord record{};
    record.breakNo = -1;
    if (CacheStream() && CacheRecordSize() != 0 && aPageNo <= CachePageCount())
        ReadCacheRecord(aPageNo, &record);
    if (record.breakNo != -1 && record.firstPageNo == m_firstPageNo)
        m_lastPageNo = std::max(m_lastPageNo, record.lastPageNo);
    else
        SetLastPage(aPageNo);
}

void TppGroup::SetLastPage(int aPageNo)
{
    m_lastPageNo = aPageNo;
    if (!CacheStream() || CacheRecordSize() == 0)
        return;
    // Back from the group's last page to its first: the pages of an earlier
    // group keep their own numbers. A page not cached yet is passed over.
    for (int32_t page = std::max(aPageNo, CachePageCount()); page >= m_firstPageNo && page >= 0; --page) {
        GroupCacheRecord record{};
        record.breakNo = -1;
        ReadCacheRecord(page, &record);
        if (record.breakNo == -1)
            continue;
        if (record.breakNo != m_breakNo)
            break;
        record.firstPageNo = m_firstPageNo;
        record.lastPageNo = m_lastPageNo;
        WriteCacheRecord(page, &record);
    }
}

void TppGroup::PrepareKeepTogether()
{
    if (!m_keepTogether)
        return;
    if (!m_keepCache) {
        auto *cacheReport = m_report ? dynamic_cast<IppCacheReport *>(m_report->ReportObject()) : nullptr;
        m_keepCache = new TppCacheManager(nullptr, cacheReport);
        AddNotify(m_keepCache);
    }
    if (!m_savedPage)
        m_savedPage = std::make_unique<TppPage>();
    if (!m_resetBusy) {
        m_resetBusy = true;
        try {
            m_keepCache->Reset();
        } catch (...) {
            m_resetBusy = false;
            throw;
        }
        m_resetBusy = false;
    }
    m_keptTogether = false;
}

void TppGroup::StartKeepTogether()
{
    TppCustomEngine *engine = PageEngine();
    if (!engine || !m_keepTogether)
        return;
    if (!engine->GetBandsPrinted()) {
        // Already at the top of a page: nowhere better to go.
        m_keptTogether = true;
        return;
    }
    if (m_keptTogether)
        return;
    PrepareKeepTogether();
    m_keepCache->SavePage(0);
    m_savedPage->Assign(engine->Page());
    m_savedCommandCount = engine->Page()->DrawCommandCount();
    m_savedColumnFlags.clear();
    for (int c = 0; c < engine->ColumnFlagCount(); ++c)
        m_savedColumnFlags.emplace_back(engine->GetColumnFlagA(c), engine->GetColumnFlagB(c));
}

bool TppGroup::ApplyKeepTogether()
{
    TppCustomEngine *engine = PageEngine();
    if (!engine || engine->KeepTogetherGroup() != this || !m_keepTogether || m_keptTogether || !m_keepCache)
        return false;
    // Restoring a text runs its handlers again, which may free the group:
    // the page then ends where it stands.
    const std::weak_ptr<char> alive = AliveToken();
    m_keepCache->RestorePage(0);
    if (alive.expired())
        return false;
    engine->RewindPage();
    m_keptTogether = true;
    // Columns across the page that ended or started while the group was
    // tried lose those footers and headers with the rest of its commands:
    // the page end must still end them, and the next page start them.
    for (int c = 0; c < int(m_savedColumnFlags.size()); ++c) {
        engine->SetColumnFlagA(c, m_savedColumnFlags[size_t(c)].first);
        engine->SetColumnFlagB(c, m_savedColumnFlags[size_t(c)].second);
    }
    TppPage *page = engine->Page();
    if (page->DrawCommandCount() >= m_savedCommandCount) {
        // The commands made since stand after those saved: taking them off
        // keeps the others linked to their objects, which a copy is not.
        while (page->DrawCommandCount() > m_savedCommandCount)
            delete page->DrawCommands(page->DrawCommandCount() - 1);
    } else if (m_savedPage) {
        page->Assign(m_savedPage.get());
    }
    return true;
}

// ---- Cache, streams and notices ---------------------------------------------------------------

void TppGroup::SaveToCache(int32_t aPageIndex)
{
    GroupCacheRecord record{};
    record.firstPageNo = m_firstPageNo;
    record.lastPageNo = m_lastPageNo;
    record.breaking = m_breaking;
    record.breakNo = m_breakNo;
    record.firstColumn = m_firstColumn;
    record.keptTogether = m_keptTogether;
    WriteCacheRecord(aPageIndex, &record);
}

void TppGroup::RestoreFromCache(int32_t aPageIndex)
{
    GroupCacheRecord record{};
    record.firstPageNo = m_firstPageNo;
    record.lastPageNo = m_lastPageNo;
    record.breaking = m_breaking;
    record.breakNo = m_breakNo;
    record.firstColumn = m_firstColumn;
    record.keptTogether = m_keptTogether;
    ReadCacheRecord(aPageIndex, &record);
    m_firstPageNo = record.firstPageNo;
    m_lastPageNo = record.lastPageNo;
    m_breaking = record.breaking != 0;
    m_breakNo = record.breakNo;
    m_firstColumn = record.firstColumn;
    m_keptTogether = record.keptTogether != 0;
}

void TppGroup::CacheReset()
{
    TppCacheable::CacheReset();
    m_keptTogether = false;
}

void TppGroup::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCacheable::Notify(aCommunicator, aOperation);
    if (!aCommunicator || aCommunicator == this)
        return;
    if (aOperation == ppNotify::Remove) {
        if (aCommunicator == m_dataPipeline) {
            m_dataPipeline = nullptr;
            refreshReport();
        }
        if (aCommunicator == m_keepCache)
            m_keepCache = nullptr;
        if (aCommunicator == m_breakComponent) {
            m_breakComponent = nullptr;
            m_breakComponentDirty = true;
        }
        if (aCommunicator == m_reportObject) {
            m_reportObject = nullptr;
            m_report = nullptr;
        }
    } else if (aOperation == ppNotify::Rename && aCommunicator == m_breakComponent &&
               m_breakType == TppBreakType::btCustomField) {
        m_breakName = m_breakComponent->UserName();
        UpdateBandCaptions();
    }
}

void TppGroup::DefineProperties(classes::TFiler &aFiler)
{
    TppCacheable::DefineProperties(aFiler);
    aFiler.DefineProperty(
        QStringLiteral("mmNewColumnThreshold"),
        [this](classes::TReader &r) { m_mmNewColumnThreshold = ppReadIntegerOrFloat(r); },
        [this](classes::TWriter &w) { w.WriteInteger(m_mmNewColumnThreshold); }, true);
    aFiler.DefineProperty(
        QStringLiteral("mmNewPageThreshold"),
        [this](classes::TReader &r) { m_mmNewPageThreshold = ppReadIntegerOrFloat(r); },
        [this](classes::TWriter &w) { w.WriteInteger(m_mmNewPageThreshold); }, true);
    aFiler.DefineProperty(
        QStringLiteral("DataPipelineName"),
        [this](classes::TReader &r) { m_dataPipelineName = ppUnqualifiedName(r.ReadString()); },
        [this](classes::TWriter &w) { w.WriteString(m_dataPipeline ? m_dataPipeline->Name() : QString()); }, true);
    aFiler.DefineProperty(
        QStringLiteral("FieldName"), [this](classes::TReader &r) { m_legacyFieldName = r.ReadString(); }, nullptr,
        false);
    aFiler.DefineProperty(
        QStringLiteral("ReprintOnSubsequent"),
        [this](classes::TReader &r) {
            m_legacyReprint = r.ReadBoolean();
            m_legacyReprintRead = true;
        },
        nullptr, false);
    const auto ignored = [](classes::TReader &r) { r.SkipValue(); };
    aFiler.DefineProperty(QStringLiteral("Left"), ignored, nullptr, false);
    aFiler.DefineProperty(QStringLiteral("Top"), ignored, nullptr, false);
}

void TppGroup::ReadState(classes::TReader &aReader)
{
    const QString name = TppHReaderUtils::ReadIdentProperty(aReader, QStringLiteral("DataPipeline"));
    if (!name.isEmpty())
        m_dataPipelineName = name;
    TppCacheable::ReadState(aReader);
}

void TppGroup::Loaded()
{
    if (m_breakType == TppBreakType::btCustomField) {
        m_breakComponentDirty = true;
        if (BreakComponent())
            hookBreakComponent();
    }
    TppCacheable::Loaded();
}

classes::TComponent *TppGroup::GetParentComponent() const
{
    return m_reportObject;
}

void TppGroup::SetParentComponent(classes::TComponent *aParent)
{
    if (auto *report = dynamic_cast<IppReportContext *>(aParent))
        SetReport(report);
}

void TppGroup::GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *)
{
    if (m_headerBand)
        aProc(m_headerBand);
    if (m_footerBand)
        aProc(m_footerBand);
}

void TppGroup::Convert(int aVersionNo)
{
    if (aVersionNo < 1270 && !m_legacyFieldName.isEmpty())
        m_breakName = m_legacyFieldName;
    if (aVersionNo < 2097 && m_report) {
        m_newColumn = m_newPage;
        const bool reprint = m_legacyReprintRead ? m_legacyReprint : true;
        m_reprintOnSubsequentPage = reprint;
        m_reprintOnSubsequentColumn = reprint;
        const int32_t threshold =
            ppToMMThousandths(m_legacyNewPageThreshold, m_report->Units(), TppAxisType::atVertical);
        m_mmNewPageThreshold = threshold;
        m_mmNewColumnThreshold = threshold;
    }
}

} // namespace report
