#include "report/model/bands/Component.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/PrintableRTTI.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/groups/Group.h"
#include "report/model/pages/DrawCommand.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/StringList.h"
#include "platform/classes/Writer.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

// The object's own rectangle; a right or bottom edge beyond the range of
// thousandths is held at its end.
rtl::TRect componentOwnRect(const TppPrintable &aObject)
{
    const auto edge = [](int32_t aStart, int32_t aSize) {
        return int32_t(std::clamp<int64_t>(int64_t(aStart) + aSize, std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max()));
    };
    return rtl::TRect{aObject.mmLeft(), aObject.mmTop(), edge(aObject.mmLeft(), aObject.mmWidth()),
                      edge(aObject.mmTop(), aObject.mmHeight())};
}

} // namespace

const classes::TMetaClass &TppComponent::StaticClass()
{
    using C = TppComponent;
    // Scripts and the designer know the object by its user name: a stream
    // that dropped it would leave them looking for a name that is gone.
    static const classes::TMetaClass meta = classes::MakeClass<C, TppPrintable>(
        "TppComponent", [](classes::TClassBuilder<C> &c) { c.String("UserName", &C::UserName, &C::SetUserName); });
    return meta;
}

TppComponent::TppComponent(classes::TComponent *aOwner)
    : TppPrintable(aOwner)
{}

TppComponent::~TppComponent()
{
    BeforeDestruction();
    Destroying();
    SendDesignerMessage(ppDesignerMsg::Destroyed, this);
    SetRegion(nullptr);
    SetResetGroup(nullptr);
    SetBand(nullptr);
}

rtl::TRect TppComponent::RegionRect() const
{
    return componentOwnRect(*this);
}

bool TppComponent::MainEnginePageCheck() const
{
    IppReportContext *report = Report();
    return !report || report->IsLastCachedPlusOne();
}

IppReportContext *TppComponent::Report() const
{
    return m_band ? m_band->Report() : nullptr;
}

// ---- Band and region ------------------------------------------------------------

void TppComponent::SetBand(TppBand *aBand)
{
    if (aBand == m_band)
        return;
    if (TppBand *old = m_band) {
        m_band = nullptr;
        old->RemoveObject(this);
    }
    m_band = aBand;
    if (!aBand) {
        if (InDesignState() && !IsDestroying()) {
            FreeDesignControl();
            PropertyChange();
            InvalidateDesignControl();
            DesignChanged();
        }
        return;
    }
    if (aBand->HasCommunicatorState(ppState::Design))
        CreateDesignControl();
    SetUnits(aBand->Units());
    aBand->AddObject(this);
    if (GetParent() == aBand)
        FitToParent();
    if (aBand->HasCommunicatorState(ppState::DesignData))
        IncludeState(ppState::DesignData);
    else
        ExcludeState(ppState::DesignData);
    if (aBand->BandTypeCode() >= 0)
        m_bandType = TppBandType(aBand->BandTypeCode());
    m_groupNo = -1;
    if (classes::TComponent *group = aBand->BandGroup())
        m_groupNo = aBand->Report() ? aBand->Report()->IndexOfGroup(group) : -1;
    PropertyChange();
    InvalidateDesignControl();
    DesignChanged();
}

void TppComponent::SetRegion(TppComponent *aRegion)
{
    if (aRegion && !aRegion->IsRegion())
        return;
    if (aRegion == m_region || aRegion == this)
        return;
    if (TppComponent *old = m_region) {
        m_region = nullptr;
        old->RegionRemoveChild(this);
        RemoveNotify(old);
    }
    m_region = aRegion;
    if (aRegion) {
        AddNotify(aRegion);
        aRegion->RegionAddChild(this);
    }
    if (IsDestroying())
        return;
    if (!ParentWidth() && !ParentHeight())
        PositionDesignControl();
    else
        FitToParent();
    PropertyChange();
    InvalidateDesignControl();
    DesignChanged();
}

TppCommunicator *TppComponent::GetParent() const
{
    if (m_region)
        return m_region;
    return m_band;
}

TppComponent *TppComponent::GetNextSibling() const
{
    if (!m_band)
        return nullptr;
    const int index = m_band->IndexOfObject(this);
    if (index < 0 || index + 1 >= m_band->ObjectCount())
        return nullptr;
    TppComponent *next = m_band->Objects(index + 1);
    return next->GetParent() == GetParent() ? next : nullptr;
}

rtl::TRect TppComponent::GetParentRect() const
{
    if (m_region)
        return m_region->RegionRect();
    if (m_band)
        return rtl::TRect{0, 0, m_band->BandWidth(), m_band->mmHeight()};
    return componentOwnRect(*this);
}

void TppComponent::FitToParent()
{
    if (loadingOrReading() || (!ParentWidth() && !ParentHeight()))
        return;
    const rtl::TRect rect = GetParentRect();
    // Margins wider than the page give a parent of negative width: the
    // object gets none, as the size setters would give it.
    const int32_t width = std::max(rect.Width(), 0);
    const int32_t height = std::max(rect.Height(), 0);
    // A change of bounds refreshes the report's layout, which fits every
    // object again: only a real change may go on, or it never ends.
    const bool widthFits = !ParentWidth() || (mmLeft() == rect.Left && mmWidth() == width);
    const bool heightFits = !ParentHeight() || (mmTop() == rect.Top && mmHeight() == height);
    if (widthFits && heightFits)
        return;
    if (ParentWidth() && ParentHeight())
        TppPrintable::SetBounds(rect.Left, rect.Top, width, height);
    else if (ParentWidth())
        TppPrintable::SetBounds(rect.Left, mmTop(), width, mmHeight());
    else
        TppPrintable::SetBounds(mmLeft(), rect.Top, mmWidth(), height);
}

void TppComponent::BringToFront()
{
    if (m_region)
        m_region->RegionMoveChild(this, true);
    else if (m_band)
        m_band->BringObjectToFront(this);
}

void TppComponent::SendToBack()
{
    if (m_region)
        m_region->RegionMoveChild(this, false);
    else if (m_band)
        m_band->SendObjectToBack(this);
    PropertyChange();
}

int TppComponent::GetZOrder() const
{
    if (m_region)
        return m_region->RegionIndexOf(this);
    return m_band ? m_band->IndexOfObject(this) : -1;
}

// ---- Data ------------------------------------------------------------------------

void TppComponent::SetParentDataPipeline(bool aValue)
{
    m_parentDataPipeline = aValue;
    if (aValue && m_band && DataPipeline() != m_band->GetDataPipeline())
        SetDataPipeline(m_band->GetDataPipeline());
}

void TppComponent::SetDataPipeline(TppDataPipeline *aPipeline)
{
    TppPrintable::SetDataPipeline(aPipeline);
    if (loadingOrReading() || CommunicatorState() >= ppState::FirstLoad)
        return;
    if (m_band && m_parentDataPipeline && aPipeline != m_band->GetDataPipeline())
        m_parentDataPipeline = false;
}

void TppComponent::SetResetGroup(TppCommunicator *aGroup)
{
    if (aGroup == m_resetGroup)
        return;
    if (TppCommunicator *old = m_resetGroup) {
        m_resetGroup = nullptr;
        old->RemoveEventNotify(this);
        UnsubscribeEvent(ppEvent::AfterGroupBreak);
    }
    m_resetGroup = aGroup;
    if (aGroup) {
        aGroup->AddEventNotify(this);
        SubscribeEvent(ppEvent::AfterGroupBreak);
    }
    if (IsDestroying())
        return;
    PropertyChange();
    DesignChanged();
}

void TppComponent::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppPrintable::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove || !aCommunicator)
        return;
    if (aCommunicator == m_region)
        m_region = nullptr;
    if (aCommunicator == m_resetGroup) {
        m_resetGroup = nullptr;
        UnsubscribeEvent(ppEvent::AfterGroupBreak);
    }
}

// ---- Geometry ----------------------------------------------------------------------

bool TppComponent::designClamps() const
{
    return m_band && InDesignState() && !ReportPrinting();
}

void TppComponent::SetmmLeft(int32_t aValue)
{
    if (ParentWidth())
        return;
    int32_t value = std::max(aValue, 0);
    // Margins wider than the page leave no room: the left edge stays at 0.
    if (m_band)
        value = std::min(value, std::max(m_band->BandWidth(), 0));
    if (value != mmLeft())
        TppPrintable::SetmmLeft(value);
}

void TppComponent::SetmmTop(int32_t aValue)
{
    if (ParentHeight())
        return;
    int32_t value = std::max(aValue, 0);
    if (designClamps())
        value = std::min(value, std::max(m_band->mmHeight(), 0));
    if (value != mmTop())
        TppPrintable::SetmmTop(value);
}

void TppComponent::SetmmWidth(int32_t aValue)
{
    if (ParentWidth())
        return;
    const int32_t value = std::max(aValue, 0);
    if (value != mmWidth())
        TppPrintable::SetmmWidth(value);
}

void TppComponent::SetmmHeight(int32_t aValue)
{
    if (ParentHeight())
        return;
    const int32_t value = std::max(aValue, 0);
    if (value != mmHeight())
        TppPrintable::SetmmHeight(value);
}

void TppComponent::SetBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight)
{
    if (designClamps()) {
        aTop = std::clamp(aTop, 0, std::max(m_band->mmHeight(), 0));
        aLeft = std::clamp(aLeft, 0, std::max(m_band->BandWidth(), 0));
    }
    TppPrintable::SetBounds(aLeft, aTop, aWidth, aHeight);
}

void TppComponent::SetParentWidth(bool aValue)
{
    TppPrintable::SetParentWidth(aValue);
    if (m_band)
        m_band->FittingChanged();
    if (aValue)
        FitToParent();
    setDesignAnchors(ppAnchor::LeftRight, aValue);
    if (InDesignState())
        SendDesignerMessage(ppDesignerMsg::ParentSizeChanged, this);
}

void TppComponent::SetParentHeight(bool aValue)
{
    TppPrintable::SetParentHeight(aValue);
    if (m_band)
        m_band->FittingChanged();
    if (aValue)
        FitToParent();
    setDesignAnchors(ppAnchor::TopBottom, aValue);
    if (InDesignState())
        SendDesignerMessage(ppDesignerMsg::ParentSizeChanged, this);
}

// ---- Report ----------------------------------------------------------------------------

bool TppComponent::ReportPrinting() const
{
    IppReportContext *report = Report();
    return report && report->MainReportPrinting();
}

IppDesignerSink *TppComponent::GetDesigner() const
{
    IppReportContext *report = Report();
    return report ? report->Designer() : nullptr;
}

int TppComponent::GetLanguageIndex() const
{
    return m_band ? m_band->LanguageIndex() : 0;
}

const PrinterResolution *TppComponent::GetPrinter() const
{
    return m_band ? m_band->Printer() : nullptr;
}

void TppComponent::DesignChanged()
{
    if (IppReportContext *report = Report())
        report->DesignRefresh();
}

void TppComponent::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    TppPrintable::PropertiesToDrawCommand(aDrawCommand);
    aDrawCommand->SetBand(m_band);
}

// ---- Streams ------------------------------------------------------------------------------

void TppComponent::DefineProperties(classes::TFiler &aFiler)
{
    TppPrintable::DefineProperties(aFiler);
    // Values outside the codes a template can hold are passed over.
    aFiler.DefineProperty(
        QStringLiteral("BandType"),
        [this](classes::TReader &r) {
            const int32_t code = ppReadIntegerOrFloat(r);
            if (!m_band && code >= 0 && code <= ppLastBandType)
                m_bandType = TppBandType(code);
        },
        [this](classes::TWriter &w) { w.WriteInteger(m_bandType); }, true);
    aFiler.DefineProperty(
        QStringLiteral("GroupNo"),
        [this](classes::TReader &r) {
            const int32_t groupNo = ppReadIntegerOrFloat(r);
            if (groupNo >= -1)
                m_groupNo = groupNo;
        },
        [this](classes::TWriter &w) { w.WriteInteger(m_groupNo); }, m_groupNo >= 0);
}

void TppComponent::ReadState(classes::TReader &aReader)
{
    if (auto *band = dynamic_cast<TppBand *>(aReader.Parent()))
        SetBand(band);
    else if (auto *region = dynamic_cast<TppComponent *>(aReader.Parent()); region && region->IsRegion())
        SetRegion(region);
    TppPrintable::ReadState(aReader);
}

classes::TComponent *TppComponent::GetParentComponent() const
{
    return GetParent();
}

// ---- Descriptor -------------------------------------------------------------------------------

TraTppComponentRTTI::TraTppComponentRTTI()
    : TraRTTI(&TraTppPrintableRTTI::Instance())
{}

const TraTppComponentRTTI &TraTppComponentRTTI::Instance()
{
    static const TraTppComponentRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppComponentRTTI::RefClass() const
{
    return TppComponent::StaticClass();
}

void TraTppComponentRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const char *name : {"Band", "BandType", "Index", "ParentIndex", "GroupNo", "NextSibling", "Parent",
                             "ParentDataPipeline", "Region", "ResetGroup"})
        raAddPropName(aList, QString::fromLatin1(name));
}

bool TraTppComponentRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "Band"))
        ClassPropToRec(QStringLiteral("Band"), TppBand::StaticClass(), false, aRec);
    else if (raSameName(aName, "BandType"))
        EnumPropToRec(QStringLiteral("BandType"), QStringLiteral("TppBandType"), true, aRec);
    else if (raSameName(aName, "Index"))
        InitPropRec(QStringLiteral("Index"), TraDataType::daInteger, true, aRec);
    else if (raSameName(aName, "ParentIndex"))
        InitPropRec(QStringLiteral("ParentIndex"), TraDataType::daInteger, true, aRec);
    else if (raSameName(aName, "GroupNo"))
        InitPropRec(QStringLiteral("GroupNo"), TraDataType::daInteger, true, aRec);
    else if (raSameName(aName, "NextSibling"))
        ClassPropToRec(QStringLiteral("NextSibling"), TppComponent::StaticClass(), true, aRec);
    else if (raSameName(aName, "Parent"))
        ClassPropToRec(QStringLiteral("Parent"), classes::TComponent::StaticClass(), true, aRec);
    else if (raSameName(aName, "ParentDataPipeline"))
        InitPropRec(QStringLiteral("ParentDataPipeline"), TraDataType::daBoolean, false, aRec);
    else if (raSameName(aName, "Region"))
        ClassPropToRec(QStringLiteral("Region"), TppComponent::StaticClass(), false, aRec);
    else if (raSameName(aName, "ResetGroup"))
        ClassPropToRec(QStringLiteral("ResetGroup"), TppGroup::StaticClass(), false, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

bool TraTppComponentRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                       const TraValuePointer &aValue) const
{
    auto *c = dynamic_cast<TppComponent *>(aObject);
    if (!c)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "Band"))
        raWriteValue(aValue, c->Band(), aName);
    else if (raSameName(aName, "BandType"))
        raWriteValue(aValue, c->BandType(), aName);
    else if (raSameName(aName, "Index"))
        raWriteValue(aValue, int32_t(c->Band() ? c->Band()->IndexOfObject(c) : -1), aName);
    else if (raSameName(aName, "ParentIndex"))
        raWriteValue(aValue, int32_t(c->GetZOrder()), aName);
    else if (raSameName(aName, "GroupNo"))
        raWriteValue(aValue, c->GroupNo(), aName);
    else if (raSameName(aName, "NextSibling"))
        raWriteValue(aValue, c->GetNextSibling(), aName);
    else if (raSameName(aName, "Parent"))
        raWriteValue(aValue, c->GetParent(), aName);
    else if (raSameName(aName, "ParentDataPipeline"))
        raWriteValue(aValue, c->ParentDataPipeline(), aName);
    else if (raSameName(aName, "Region"))
        raWriteValue(aValue, c->Region(), aName);
    else if (raSameName(aName, "ResetGroup"))
        raWriteValue(aValue, c->ResetGroup(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTppComponentRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                       const TraValuePointer &aValue) const
{
    auto *c = dynamic_cast<TppComponent *>(aObject);
    if (!c)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "Band"))
        c->SetBand(raReadValue<TppBand *>(aValue, aName));
    else if (raSameName(aName, "ParentDataPipeline"))
        c->SetParentDataPipeline(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "Region"))
        c->SetRegion(raReadValue<TppComponent *>(aValue, aName));
    else if (raSameName(aName, "ResetGroup"))
        c->SetResetGroup(raReadValue<TppGroup *>(aValue, aName));
    else if (raSameName(aName, "BandType") || raSameName(aName, "Index") || raSameName(aName, "ParentIndex") ||
             raSameName(aName, "GroupNo") || raSameName(aName, "NextSibling") || raSameName(aName, "Parent"))
        return false;
    else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

} // namespace report
