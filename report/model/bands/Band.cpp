#include "report/model/bands/Band.h"

#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineList.h"
#include "report/model/forms/DialogServices.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace report {

namespace {

TppBandCalcConversion g_bandCalcConversion = nullptr;

[[noreturn]] void bandIndexError(int aIndex)
{
    throw classes::EListError("List index out of bounds (" + std::to_string(aIndex) + ")");
}

// An object's bottom edge; one beyond the range of thousandths is held at
// its end.
int32_t bandObjectBottom(const TppComponent &aObject)
{
    return int32_t(std::clamp<int64_t>(int64_t(aObject.mmTop()) + aObject.mmHeight(),
                                       std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

// ---- Object lists ----------------------------------------------------------------

int TppBandObjectList::IndexOf(const TppComponent *aObject) const
{
    // A walk over a few is quicker than the hash.
    if (m_items.size() <= 8) {
        const auto at = std::find(m_items.begin(), m_items.end(), aObject);
        return at == m_items.end() ? -1 : int(at - m_items.begin());
    }
    const auto it = m_places.find(aObject);
    if (it == m_places.end())
        return -1;
    const int place = it->second;
    if (place < int(m_items.size()) && m_items[size_t(place)] == aObject)
        return place;
    if (m_movesAsked != m_moves) {
        m_movesAsked = m_moves;
        m_walks = 0;
    }
    if (++m_walks > 2) {
        for (size_t i = 0; i < m_items.size(); ++i)
            m_places[m_items[i]] = int(i);
        return it->second;
    }
    const int found = int(std::find(m_items.begin(), m_items.end(), aObject) - m_items.begin());
    it->second = found;
    return found;
}

void TppBandObjectList::Insert(int aIndex, TppComponent *aObject)
{
    if (!aObject || m_places.count(aObject))
        return;
    const int count = int(m_items.size());
    const int place = aIndex < 0 ? count : std::clamp(aIndex, 0, count);
    m_items.insert(m_items.begin() + place, aObject);
    m_places.emplace(aObject, place);
    if (place < count)
        ++m_moves;
}

void TppBandObjectList::Remove(const TppComponent *aObject)
{
    const int place = IndexOf(aObject);
    if (place < 0)
        return;
    m_items.erase(m_items.begin() + place);
    m_places.erase(aObject);
    if (place < int(m_items.size()))
        ++m_moves;
}

void TppBandObjectList::Assign(std::vector<TppComponent *> aItems)
{
    m_items = std::move(aItems);
    m_places.clear();
    for (size_t i = 0; i < m_items.size(); ++i)
        m_places.emplace(m_items[i], int(i));
    ++m_moves;
}

void TppBandObjectList::Clear()
{
    m_items.clear();
    m_places.clear();
    ++m_moves;
}

const classes::TMetaClass &TppBand::StaticClass()
{
    using B = TppBand;
    static const classes::TMetaClass meta =
        classes::MakeClass<B, TppCacheable>("TppBand", [](classes::TClassBuilder<B> &c) {
            c.Event("AfterGenerate", &B::AfterGenerate);
            c.Event("AfterPrint", &B::AfterPrint);
            c.Event("BeforePrint", &B::BeforePrint);
            c.Event("BeforeGenerate", &B::BeforeGenerate);
            c.Single("Height", &B::Height, &B::SetHeight).StoredConst = false;
            c.Boolean("Save", &B::Save, &B::SetSave).Default(false);
            c.Boolean("Visible", &B::Visible, &B::SetVisible).Default(true);
        });
    return meta;
}

TppBand::TppBand(classes::TComponent *aOwner)
    : TppCacheable(aOwner)
{
    m_printCountMode = 1;
}

TppBand::~TppBand()
{
    BeforeDestruction();
    Destroying();
    if (IppDesignerSink *designer = m_report ? m_report->Designer() : nullptr)
        designer->SendDesignerMessage(ppDesignerMsg::BandDestroyed, ppDesignerMsg::WParam, this);
    SetBandDesignControl(nullptr);
    SetDesignRuler(nullptr);
    // Each object leaves the list as it goes; one that does not is taken
    // off here, so that the loop ends whatever the objects do.
    while (!m_objects.empty()) {
        TppComponent *object = m_objects.back();
        delete object;
        if (!m_objects.empty() && m_objects.back() == object) {
            m_objectSet.erase(object);
            m_objects.pop_back();
            ++m_objectsChanges;
        }
    }
    m_saves.Clear();
    m_variables.Clear();
    SetReport(nullptr);
}

QString TppBand::GetSortKey() const
{
    return QString::asprintf("%8d", GetBandKind());
}

// ---- Objects ---------------------------------------------------------------------

TppComponent *TppBand::Objects(int aIndex) const
{
    if (aIndex < 0 || aIndex >= ObjectCount())
        bandIndexError(aIndex);
    return m_objects[size_t(aIndex)];
}

int TppBand::IndexOfObject(const TppComponent *aObject) const
{
    if (m_indexOfChanges == m_objectsChanges) {
        const auto it = m_indexOf.find(aObject);
        return it == m_indexOf.end() ? -1 : it->second;
    }
    if (!m_objectSet.count(aObject))
        return -1;
    // Objects leave from the back when a band is freed.
    if (m_objects.back() == aObject)
        return int(m_objects.size()) - 1;
    if (m_indexOfAsked != m_objectsChanges) {
        m_indexOfAsked = m_objectsChanges;
        m_indexOfWalks = 0;
    }
    if (++m_indexOfWalks > 2) {
        m_indexOf.clear();
        for (size_t i = 0; i < m_objects.size(); ++i)
            m_indexOf.try_emplace(m_objects[i], int(i));
        m_indexOfChanges = m_objectsChanges;
        return m_indexOf.at(aObject);
    }
    const auto it = std::find(m_objects.rbegin(), m_objects.rend(), aObject);
    return int(m_objects.rend() - it) - 1;
}

int TppBand::FindObject(const QString &aName) const
{
    for (size_t i = 0; i < m_objects.size(); ++i)
        if (m_objects[i]->Name() == aName)
            return int(i);
    return -1;
}

void TppBand::AddObject(TppComponent *aObject)
{
    if (!aObject || IndexOfObject(aObject) >= 0 || IsDestroying())
        return;
    // The object's side of the link comes first, so both always agree.
    if (aObject->Band() != this) {
        aObject->SetBand(this);
        return;
    }
    m_objects.push_back(aObject);
    m_objectSet.insert(aObject);
    const bool fittingCurrent = m_fittingChanges == m_objectsChanges;
    ++m_objectsChanges;
    if (fittingCurrent) {
        if (aObject->ParentWidth() || aObject->ParentHeight())
            m_fitting.push_back(aObject);
        m_fittingChanges = m_objectsChanges;
    }
    if (aObject->Owner() != Owner() && Owner())
        aObject->ChangeOwner(Owner());
    if (aObject->JoinsSaveList())
        AddSave(aObject);
    if (aObject->JoinsCalcList())
        AddVariable(aObject);
    if (aObject->DesignControl())
        RecordDesignPosition(aObject);
    // Its name may be looked up in an index of the report's.
    UserNameChanged(aObject);
    if (HasState(classes::csLoading | classes::csReading) || aObject->HasState(classes::csLoading | classes::csReading))
        return;
    if (aObject->StretchesBand() && m_printHeight == TppPrintHeightType::phStatic)
        m_printHeight = TppPrintHeightType::phDynamic;
    if (aObject->UserName().isEmpty())
        aObject->SetUserName(GetUniqueUserName(aObject));
    ReportRefresh();
    SendDesignerMessage(ppDesignerMsg::ObjectAdded, aObject);
}

void TppBand::RemoveObject(TppComponent *aObject)
{
    const int index = IndexOfObject(aObject);
    if (index < 0)
        return;
    m_objects.erase(m_objects.begin() + index);
    m_objectSet.erase(aObject);
    ++m_objectsChanges;
    m_saves.Remove(aObject);
    m_variables.Remove(aObject);
    forgetDesignPosition(aObject);
    if (aObject->Band() == this)
        aObject->SetBand(nullptr);
    if (IsDestroying())
        return;
    ReportRefresh();
    SendDesignerMessage(ppDesignerMsg::ObjectRemoved, aObject);
}

void TppBand::MoveObject(int aFromIndex, int aToIndex)
{
    if (aFromIndex < 0 || aFromIndex >= ObjectCount())
        bandIndexError(aFromIndex);
    const int to = std::clamp(aToIndex, 0, ObjectCount() - 1);
    TppComponent *object = m_objects[size_t(aFromIndex)];
    m_objects.erase(m_objects.begin() + aFromIndex);
    m_objects.insert(m_objects.begin() + to, object);
    ++m_objectsChanges;
    // The controls stack as the objects do, from the lower index up.
    for (size_t i = size_t(std::min(aFromIndex, to)); i < m_objects.size(); ++i)
        if (IppDesignControl *control = m_objects[i]->DesignControl())
            control->BringToFront();
    SendDesignerMessage(ppDesignerMsg::ZOrderChanged, object);
}

void TppBand::BringObjectToFront(TppComponent *aObject)
{
    const int index = IndexOfObject(aObject);
    if (index < 0)
        return;
    MoveObject(index, ObjectCount() - 1);
    ReportRefresh();
}

void TppBand::SendObjectToBack(TppComponent *aObject)
{
    const int index = IndexOfObject(aObject);
    if (index < 0)
        return;
    MoveObject(index, 0);
    ReportRefresh();
}

void TppBand::GetSubReports(std::vector<TppComponent *> &aList) const
{
    for (TppComponent *object : m_objects)
        if (object->IsSubReport())
            aList.push_back(object);
}

// ---- Save and calculation lists ---------------------------------------------------------

TppComponent *TppBand::Saves(int aIndex) const
{
    if (aIndex < 0 || aIndex >= SaveCount())
        bandIndexError(aIndex);
    return m_saves.At(aIndex);
}

int TppBand::IndexOfSave(const TppComponent *aObject) const
{
    return m_saves.IndexOf(aObject);
}

void TppBand::AddSave(TppComponent *aObject)
{
    m_saves.Insert(-1, aObject);
}

void TppBand::InsertSave(int aIndex, TppComponent *aObject)
{
    m_saves.Insert(std::max(aIndex, 0), aObject);
}

void TppBand::RemoveSave(TppComponent *aObject)
{
    m_saves.Remove(aObject);
}

TppComponent *TppBand::Variables(int aIndex) const
{
    if (aIndex < 0 || aIndex >= VariableCount())
        bandIndexError(aIndex);
    return m_variables.At(aIndex);
}

int TppBand::IndexOfVariable(const TppComponent *aObject) const
{
    return m_variables.IndexOf(aObject);
}

void TppBand::AddVariable(TppComponent *aObject)
{
    m_variables.Insert(-1, aObject);
}

void TppBand::InsertVariable(int aIndex, TppComponent *aObject)
{
    m_variables.Insert(std::max(aIndex, 0), aObject);
}

void TppBand::RemoveVariable(TppComponent *aObject)
{
    m_variables.Remove(aObject);
}

// ---- Report ------------------------------------------------------------------------------

void TppBand::SetReport(IppReportContext *aReport)
{
    if (aReport == m_report)
        return;
    if (IppReportContext *old = m_report) {
        if (m_bandDesignControl)
            FreeDesignControl();
        TppCommunicator *oldObject = m_reportObject;
        m_report = nullptr;
        m_reportObject = nullptr;
        old->RemoveBand(this);
        if (oldObject)
            RemoveNotify(oldObject);
    }
    if (!aReport || IsDestroying())
        return;
    m_report = aReport;
    m_reportObject = aReport->ReportObject();
    if (m_reportObject)
        AddNotify(m_reportObject);
    aReport->AddBand(this);
    SetCaption(GetDefaultCaption());
    SetUnits(aReport->Units());
    if (TppCommunicator *object = m_reportObject) {
        if (object->HasCommunicatorState(ppState::Design))
            CreateDesignControl();
        if (object->HasCommunicatorState(ppState::DesignData))
            IncludeState(ppState::DesignData);
        else
            ExcludeState(ppState::DesignData);
    }
    aReport->SetModified(true);
}

TppDataPipeline *TppBand::GetDataPipeline() const
{
    return m_report ? m_report->DataPipeline() : nullptr;
}

int32_t TppBand::BandWidth() const
{
    if (!m_report)
        return 0;
    if (m_report->Columns() > 1 && UsesColumnWidth())
        return m_report->mmColumnWidth();
    return m_report->mmPrintableWidth();
}

const PrinterResolution *TppBand::Printer() const
{
    return m_report ? m_report->Printer() : nullptr;
}

int TppBand::LanguageIndex() const
{
    return m_report ? m_report->LanguageIndex() : 0;
}

int TppBand::Index() const
{
    return m_report ? m_report->IndexOfBand(this) : -1;
}

void TppBand::SendDesignerMessage(int aMsg, classes::TObject *aLParam)
{
    if (IppDesignerSink *designer = m_report ? m_report->Designer() : nullptr)
        designer->SendDesignerMessage(aMsg, ppDesignerMsg::WParam, aLParam);
}

void TppBand::PostDesignerMessage(int aMsg, classes::TObject *aLParam)
{
    if (IppDesignerSink *designer = m_report ? m_report->Designer() : nullptr)
        designer->PostDesignerMessage(aMsg, ppDesignerMsg::WParam, aLParam);
}

void TppBand::ReportRefresh()
{
    if (m_report)
        m_report->DesignRefresh();
}

void TppBand::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCacheable::Notify(aCommunicator, aOperation);
    // Only the pointer is compared: the report is on its way out.
    if (aOperation == ppNotify::Remove && aCommunicator && aCommunicator == m_reportObject) {
        m_report = nullptr;
        m_reportObject = nullptr;
    }
}

// ---- Geometry and settings ------------------------------------------------------------------

float TppBand::fromMM(int32_t aValue) const
{
    return ppFromMMThousandths(aValue, m_units, TppAxisType::atVertical, Printer());
}

int32_t TppBand::toMM(float aValue) const
{
    return ppToMMThousandths(aValue, m_units, TppAxisType::atVertical, Printer());
}

void TppBand::SetmmHeight(int32_t aValue)
{
    if (m_report) {
        if (aValue < 1 && !m_objects.empty()) {
            // In the designer the user learns why the band kept its height.
            if (m_bandDesignControl)
                ppShowMessage(ppLoadStr(296), TppMessageKind::Warning);
            return;
        }
        if (aValue != m_mmHeight && m_printHeight == TppPrintHeightType::phStatic &&
            aValue > m_report->mmPrintableHeight()) {
            // The designer's user, who dragged the band's bar, learns why
            // the height stayed.
            if (m_bandDesignControl)
                ppShowMessage(ppLoadStr(297), TppMessageKind::Warning);
            return;
        }
    }
    m_mmHeight = std::max(aValue, 0);
    // Objects that would stick out move up; the thousandths are set
    // directly, as a round trip through the band's units could leave the
    // object a thousandth too low.
    for (TppComponent *object : m_objects) {
        if (bandObjectBottom(*object) <= m_mmHeight)
            continue;
        const int32_t top = object->mmHeight() <= m_mmHeight ? m_mmHeight - object->mmHeight() : 0;
        object->TppPrintable::SetmmTop(top);
    }
    UpdateLayout();
    SendDesignerMessage(ppDesignerMsg::BandHeightChanged, this);
    ReportRefresh();
}

float TppBand::Height() const
{
    return fromMM(m_mmHeight);
}

void TppBand::SetHeight(float aValue)
{
    if (!std::isfinite(aValue))
        return;
    if (reading())
        m_mmHeight = std::max(toMM(aValue), 0);
    else
        SetmmHeight(toMM(aValue));
}

void TppBand::SetmmBottomOffset(int32_t aValue)
{
    m_mmBottomOffset = aValue;
    PropertyChange();
    ReportRefresh();
}

float TppBand::BottomOffset() const
{
    return fromMM(m_mmBottomOffset);
}

void TppBand::SetBottomOffset(float aValue)
{
    if (std::isfinite(aValue))
        SetmmBottomOffset(toMM(aValue));
}

void TppBand::SetmmPrintPosition(int32_t aValue)
{
    m_mmPrintPosition = aValue;
    PropertyChange();
    ReportRefresh();
}

float TppBand::PrintPosition() const
{
    return fromMM(m_mmPrintPosition);
}

void TppBand::SetPrintPosition(float aValue)
{
    if (std::isfinite(aValue))
        SetmmPrintPosition(toMM(aValue));
}

void TppBand::SetPrintCount(int32_t aValue)
{
    m_printCount = aValue;
    m_printCountMode = aValue == 0 ? DefaultPrintCountMode() : 3;
    if (reading())
        return;
    PropertyChange();
    ReportRefresh();
}

void TppBand::SetPrintHeight(TppPrintHeightType aValue)
{
    if (aValue == m_printHeight)
        return;
    m_printHeight = aValue;
    PropertyChange();
    ReportRefresh();
}

void TppBand::SetUnits(TppUnitType aValue)
{
    m_units = aValue;
    for (TppComponent *object : m_objects)
        object->SetUnits(aValue);
}

void TppBand::SetVisible(bool aValue)
{
    m_visible = aValue;
    if (reading())
        return;
    PropertyChange();
    ReportRefresh();
}

void TppBand::SetSave(bool aValue)
{
    m_save = aValue;
    if (reading())
        return;
    PropertyChange();
    ReportRefresh();
}

// ---- Events ------------------------------------------------------------------------------------

void TppBand::fireBandEvent(const classes::TNotifyEvent &aEvent, int aEventID)
{
    // The handler may free the band.
    const std::weak_ptr<char> alive = AliveToken();
    if (aEvent)
        aEvent(this);
    if (!alive.expired())
        SendEventNotify(this, aEventID, nullptr);
}

void TppBand::DoBeforePrint()
{
    fireBandEvent(BeforePrint, ppEvent::BandBeforePrint);
}

void TppBand::DoAfterPrint()
{
    fireBandEvent(AfterPrint, ppEvent::BandAfterPrint);
}

void TppBand::DoBeforeGenerate()
{
    fireBandEvent(BeforeGenerate, ppEvent::BeforeGenerate);
}

void TppBand::DoAfterGenerate()
{
    fireBandEvent(AfterGenerate, ppEvent::AfterGenerate);
}

// ---- Forwarding -----------------------------------------------------------------------------------

template <class Op>
void TppBand::forEachObject(Op aOp)
{
    // An object may leave or free others meanwhile: the walk goes over a
    // snapshot and, once the list changed, skips what left (looked up by
    // address alone: it may be gone). An object's handler may free the band:
    // the walk ends.
    const std::weak_ptr<char> alive = AliveToken();
    const std::vector<TppComponent *> objects = m_objects;
    const uint64_t changes = m_objectsChanges;
    for (TppComponent *object : objects) {
        if (alive.expired())
            return;
        if (m_objectsChanges == changes || m_objectSet.count(object))
            aOp(*object);
    }
}

void TppBand::InitObjects()
{
    forEachObject([](TppComponent &o) { o.Init(); });
}

void TppBand::ComputeLookAheads()
{
    forEachObject([](TppComponent &o) { o.ComputeLookAhead(); });
}

void TppBand::FreeLookAheads()
{
    forEachObject([](TppComponent &o) { o.FreeLookAhead(); });
}

void TppBand::ResetHookAll()
{
    forEachObject([](TppComponent &o) { o.ResetHook(); });
}

void TppBand::BandHookAll()
{
    forEachObject([](TppComponent &o) { o.BandHook(); });
}

void TppBand::ResolveDataPipelines(const TppDataPipelineList &aList)
{
    forEachObject([&aList](TppComponent &o) { o.ResolveDataPipeline(aList); });
}

void TppBand::ReplaceDataPipeline(TppDataPipeline *aPipeline, const QString &aName)
{
    forEachObject([&](TppComponent &o) { o.ReplaceDataPipeline(aPipeline, aName); });
}

void TppBand::ReplaceDataField(TppDataPipeline *aPipeline, const QString &aOldName, const QString &aNewName)
{
    forEachObject([&](TppComponent &o) { o.ReplaceDataField(aPipeline, aOldName, aNewName); });
}

void TppBand::UpdateCaption()
{
    SetCaption(GetDefaultCaption());
    forEachObject([](TppComponent &o) { o.ReportHook(); });
}

void TppBand::UpdateLayout()
{
    // Each object read or freed asks for a layout of all the others: done
    // every time, a load of n objects took n * n steps.
    const auto busy = [](const TppCommunicator *aComponent) {
        return aComponent->HasState(classes::csLoading | classes::csReading | classes::csDestroying) ||
               aComponent->IsDestroying();
    };
    if (busy(this) || (m_reportObject && busy(m_reportObject))) {
        m_layoutPending = true;
        return;
    }
    m_layoutPending = false;
    placeBandDesignControls();
    if (m_fittingChanges != m_objectsChanges) {
        m_fitting.clear();
        for (TppComponent *object : m_objects)
            if (object->ParentWidth() || object->ParentHeight())
                m_fitting.push_back(object);
        m_fittingChanges = m_objectsChanges;
    }
    // A fit may move or free other objects: the walk goes over a copy and
    // skips what left meanwhile.
    const std::vector<TppComponent *> fitting = m_fitting;
    const uint64_t changes = m_objectsChanges;
    for (TppComponent *object : fitting)
        if (m_objectsChanges == changes || m_objectSet.count(object))
            object->FitToParent();
}

void TppBand::Loaded()
{
    TppCacheable::Loaded();
    if (m_layoutPending)
        UpdateLayout();
}

void TppBand::IncludeState(TppCommunicatorState aState)
{
    TppCacheable::IncludeState(aState);
    forEachObject([aState](TppComponent &o) { o.IncludeState(aState); });
}

void TppBand::ExcludeState(TppCommunicatorState aState)
{
    forEachObject([aState](TppComponent &o) { o.ExcludeState(aState); });
    TppCacheable::ExcludeState(aState);
}

void TppBand::PropertyChange()
{
    TppCacheable::PropertyChange();
    if (m_report && !m_report->MainReportPrinting() && HasCommunicatorState(ppState::Design))
        SendDesignerMessage(ppDesignerMsg::PropertyChanged, this);
}

void TppBand::ChangeOwner(classes::TComponent *aNewOwner)
{
    const bool moving = aNewOwner != Owner();
    TppCacheable::ChangeOwner(aNewOwner);
    if (!moving)
        return;
    // The last go first: the old owner looks for each from the end of its
    // list, where they are, and nothing behind them moves up. In list
    // order a move of n objects took n * n steps.
    const std::vector<TppComponent *> objects = m_objects;
    const uint64_t changes = m_objectsChanges;
    for (auto it = objects.rbegin(); it != objects.rend(); ++it)
        if ((m_objectsChanges == changes || m_objectSet.count(*it)) && (*it)->Owner() != aNewOwner)
            (*it)->ChangeOwner(aNewOwner);
}

// ---- Streams -----------------------------------------------------------------------------------

void TppBand::DefineProperties(classes::TFiler &aFiler)
{
    TppCacheable::DefineProperties(aFiler);
    const auto stored = [&aFiler](const char *aName, int32_t &aField) {
        aFiler.DefineProperty(
            QString::fromLatin1(aName), [&aField](classes::TReader &r) { aField = ppReadIntegerOrFloat(r); },
            [&aField](classes::TWriter &w) { w.WriteInteger(aField); }, true);
    };
    stored("mmBottomOffset", m_mmBottomOffset);
    // A height below 0 would hand the space it takes back: a footer of
    // that kind lets the body run past the margin and off the paper. As
    // every other height change, a stored one counts as 0 then.
    aFiler.DefineProperty(
        QStringLiteral("mmHeight"), [this](classes::TReader &r) { m_mmHeight = std::max(ppReadIntegerOrFloat(r), 0); },
        [this](classes::TWriter &w) { w.WriteInteger(m_mmHeight); }, true);
    stored("mmPrintPosition", m_mmPrintPosition);
    aFiler.DefineProperty(
        QStringLiteral("OnPrint"), [this](classes::TReader &r) { m_legacyEventName = r.ReadIdent(); }, nullptr, false);
    const auto ignored = [](classes::TReader &r) { r.SkipValue(); };
    for (const char *name : {"OnSaveLineEnd", "OnSaveLineStart", "Left", "Top"})
        aFiler.DefineProperty(QString::fromLatin1(name), ignored, nullptr, false);
}

void TppBand::ReadState(classes::TReader &aReader)
{
    TppCacheable::ReadState(aReader);
    rebuildSaves();
    rebuildVariables();
}

namespace {

// Places each object at its stored order, from empty: an order outside
// 0 .. aSlots - 1 leaves the object out; of two equal orders the later
// takes the slot and the earlier follows it.
std::vector<TppComponent *> bandOrdered(const std::vector<TppComponent *> &aCandidates, int aSlots,
                                        int (TppComponent::*aOrder)() const)
{
    std::vector<std::pair<int, TppComponent *>> placed;
    for (TppComponent *object : aCandidates) {
        const int order = (object->*aOrder)();
        if (order >= 0 && order < aSlots)
            placed.emplace_back(order, object);
    }
    std::stable_sort(placed.begin(), placed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<TppComponent *> ordered;
    for (size_t i = 0; i < placed.size();) {
        size_t end = i;
        while (end < placed.size() && placed[end].first == placed[i].first)
            ++end;
        for (size_t k = end; k > i; --k)
            ordered.push_back(placed[k - 1].second);
        i = end;
    }
    return ordered;
}

} // namespace

void TppBand::rebuildSaves()
{
    std::vector<TppComponent *> texts;
    for (TppComponent *object : m_objects)
        if (object->JoinsSaveList())
            texts.push_back(object);
    m_saves.Assign(bandOrdered(texts, ObjectCount(), &TppComponent::StoredSaveOrder));
    for (int i = 0; i < m_saves.Count(); ++i)
        m_saves.At(i)->SetSaveOrder(i);
}

void TppBand::rebuildVariables()
{
    std::vector<TppComponent *> variables;
    for (TppComponent *object : m_objects)
        if (object->JoinsCalcList())
            variables.push_back(object);
    m_variables.Assign(bandOrdered(variables, int(variables.size()), &TppComponent::StoredCalcOrder));
    for (int i = 0; i < m_variables.Count(); ++i)
        m_variables.At(i)->SetCalcOrder(i);
}

classes::TComponent *TppBand::GetParentComponent() const
{
    return m_reportObject;
}

void TppBand::SetParentComponent(classes::TComponent *aParent)
{
    if (auto *report = dynamic_cast<IppReportContext *>(aParent))
        SetReport(report);
}

void TppBand::GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *)
{
    const std::vector<TppComponent *> objects = m_objects;
    for (TppComponent *object : objects)
        if (object->GetParent() == this)
            aProc(object);
}

void TppBand::Convert(int aVersionNo)
{
    if (aVersionNo < 1270 && m_reportObject && m_reportObject->Owner())
        ppSetMethodPropByName(this, QStringLiteral("BeforePrint"),
                              ppMethodByName(m_reportObject->Owner(), m_legacyEventName));
    if (aVersionNo < 2097 && m_report)
        m_mmHeight = ppToMMThousandths(float(m_mmHeight), TppUnitType::utScreenPixels, TppAxisType::atVertical);
    forEachObject([aVersionNo](TppComponent &o) { o.Convert(aVersionNo); });
    if (aVersionNo < 3000 && m_report && m_printHeight == TppPrintHeightType::phDynamic) {
        int32_t lowest = 0;
        for (TppComponent *object : m_objects)
            lowest = std::max(lowest, bandObjectBottom(*object));
        if (lowest != 0)
            m_mmBottomOffset = m_mmHeight - lowest;
    }
    if (aVersionNo < 3999 && g_bandCalcConversion && !m_calcConversionTimer) {
        // Replacing objects while the stream is still being read would lose
        // what is read after them.
        m_calcConversionTimer = std::make_unique<QTimer>();
        m_calcConversionTimer->setSingleShot(true);
        m_calcConversionTimer->setInterval(1000);
        QObject::connect(m_calcConversionTimer.get(), &QTimer::timeout, [this] { ConvertCalcs(); });
        m_calcConversionTimer->start();
    }
}

void TppBand::ConvertCalcs()
{
    if (!m_calcConversionTimer)
        return;
    // The timer frees itself: from its own signal, once the signal is done.
    m_calcConversionTimer->stop();
    m_calcConversionTimer.release()->deleteLater();
    if (g_bandCalcConversion)
        g_bandCalcConversion(*this);
}

void ppSetBandCalcConversion(TppBandCalcConversion aConversion)
{
    g_bandCalcConversion = aConversion;
}

TppBandCalcConversion ppBandCalcConversion()
{
    return g_bandCalcConversion;
}

} // namespace report
