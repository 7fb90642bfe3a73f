#include "report/model/bands/Stretchable.h"

#include "report/model/bands/CustomBand.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/engine/CustomEngine.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace report {

namespace {

int32_t stretchableClamp(int64_t aValue)
{
    return int32_t(
        std::clamp<int64_t>(aValue, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A chain read from a damaged stream could loop; no real chain is longer
// than the objects a band can hold.
constexpr int StretchableChainLimit = 1 << 20;

} // namespace

const classes::TMetaClass &TppStretchable::StaticClass()
{
    using C = TppStretchable;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppComponent>("TppStretchable", [](classes::TClassBuilder<C> &c) {
            c.Single("BottomOffset", &C::BottomOffset, &C::SetBottomOffset).StoredConst = false;
            c.Boolean("KeepTogether", &C::KeepTogether, &C::SetKeepTogether).Default(false);
            c.Single("OverFlowOffset", &C::OverFlowOffset, &C::SetOverFlowOffset).StoredConst = false;
            c.Single("StopPosition", &C::StopPosition, &C::SetStopPosition).StoredConst = false;
            c.Boolean("Stretch", &C::Stretch, &C::SetStretch).Default(false);
        });
    return meta;
}

TppStretchable::TppStretchable(classes::TComponent *aOwner)
    : TppComponent(aOwner)
{
    SetCacheRecordSize(int32_t(sizeof(StretchableCacheRecord)));
}

TppStretchable::~TppStretchable()
{
    BeforeDestruction();
    leaveTarget();
    const std::vector<TppStretchable *> shifters = m_shifters;
    m_shifters.clear();
    m_shifterPrintList.clear();
    for (TppStretchable *shifter : shifters) {
        shifter->m_shiftRelativeTo = nullptr;
        RemoveNotify(shifter);
    }
}

TppCustomBand *TppStretchable::printingBand() const
{
    TppBand *band = Band();
    return band ? band->AsCustomBand() : nullptr;
}

// ---- Properties -----------------------------------------------------------------------

void TppStretchable::SetStretch(bool aValue)
{
    if (aValue == m_stretch)
        return;
    if (loadingOrReading()) {
        m_stretch = aValue;
        return;
    }
    // A target carries its shifters down with it only while it stretches.
    if (!aValue && !m_shifters.empty())
        return;
    m_stretch = aValue;
    if (aValue) {
        TppPrintable::SetReprintOnOverFlow(false);
        TppPrintable::SetShiftWithParent(false);
        TppPrintable::SetStretchWithParent(false);
        if (auto *region = dynamic_cast<TppStretchable *>(Region())) {
            if (!region->Stretch())
                region->SetStretch(true);
        } else if (TppBand *band = Band(); band && band->PrintHeight() == TppPrintHeightType::phStatic) {
            band->SetPrintHeight(TppPrintHeightType::phDynamic);
        }
    }
    InvalidateDesignControl();
    PropertyChange();
    DesignChanged();
}

void TppStretchable::SetKeepTogether(bool aValue)
{
    if (aValue == m_keepTogether)
        return;
    m_keepTogether = aValue;
    if (loadingOrReading())
        return;
    InvalidateDesignControl();
    PropertyChange();
}

TppStretchable *TppStretchable::ShiftRelativeTo() const
{
    if (m_shiftRelativeTo && !HasState(classes::csWriting) && !loadingOrReading() &&
        m_shiftRelativeTo->Band() != Band())
        const_cast<TppStretchable *>(this)->leaveTarget();
    return m_shiftRelativeTo;
}

bool TppStretchable::CanShiftRelativeTo(const TppStretchable *aComponent, const TppStretchable *aTarget)
{
    if (!aTarget)
        return true;
    // A region moves what it holds, however deeply nested: shifting below
    // one of them would make it follow itself.
    if (aComponent && aComponent->IsRegion()) {
        int depth = 0;
        for (const TppComponent *holder = aTarget->Region(); holder && ++depth <= StretchableChainLimit;
             holder = holder->Region())
            if (holder == aComponent)
                return false;
    }
    int steps = 0;
    for (const TppStretchable *link = aTarget; link; link = link->m_shiftRelativeTo) {
        if (link == aComponent || ++steps > StretchableChainLimit)
            return false;
    }
    return true;
}

void TppStretchable::leaveTarget()
{
    TppStretchable *target = m_shiftRelativeTo;
    if (!target)
        return;
    m_shiftRelativeTo = nullptr;
    target->RemoveShifter(this);
}

void TppStretchable::SetShiftRelativeTo(TppStretchable *aTarget)
{
    if (aTarget == m_shiftRelativeTo)
        return;
    if (!CanShiftRelativeTo(this, aTarget)) {
        // A stream that names a circular chain loses the link that closes it.
        if (loadingOrReading())
            return;
        throw EInvalidPropertyError(ppLoadStr(342));
    }
    leaveTarget();
    m_shiftRelativeTo = aTarget;
    if (aTarget)
        aTarget->AddShifter(this);
    if (loadingOrReading())
        return;
    TppPrintable::SetReprintOnOverFlow(false);
    TppPrintable::SetShiftWithParent(false);
    TppPrintable::SetStretchWithParent(false);
    PropertyChange();
    DesignChanged();
}

void TppStretchable::AddShifter(TppStretchable *aComponent)
{
    if (!aComponent || aComponent == this ||
        std::find(m_shifters.begin(), m_shifters.end(), aComponent) != m_shifters.end())
        return;
    m_shifters.push_back(aComponent);
    SetStretch(true);
    AddNotify(aComponent);
}

void TppStretchable::RemoveShifter(TppStretchable *aComponent)
{
    const auto it = std::find(m_shifters.begin(), m_shifters.end(), aComponent);
    if (it == m_shifters.end())
        return;
    dropShifter(it);
    if (aComponent->m_shiftRelativeTo == this)
        aComponent->m_shiftRelativeTo = nullptr;
    RemoveNotify(aComponent);
}

void TppStretchable::dropShifter(std::vector<TppStretchable *>::iterator aShifter)
{
    TppStretchable *shifter = *aShifter;
    // The place to go on from names a shifter; one that goes before it
    // moves it.
    if (int(aShifter - m_shifters.begin()) < m_firstUnfinishedShifter)
        --m_firstUnfinishedShifter;
    m_shifters.erase(aShifter);
    std::erase_if(m_shifterPrintList, [shifter](const ShifterEntry &aEntry) { return aEntry.second == shifter; });
}

TppStretchable *TppStretchable::Shifters(int aIndex) const
{
    return aIndex >= 0 && aIndex < int(m_shifters.size()) ? m_shifters[size_t(aIndex)] : nullptr;
}

void TppStretchable::SetmmBottomOffset(int32_t aValue)
{
    m_mmBottomOffset = aValue;
    if (!loadingOrReading())
        PropertyChange();
}

void TppStretchable::SetmmOverFlowOffset(int32_t aValue)
{
    m_mmOverFlowOffset = aValue;
    if (!loadingOrReading())
        PropertyChange();
}

void TppStretchable::SetmmStopPosition(int32_t aValue)
{
    m_mmStopPosition = aValue;
    if (!loadingOrReading())
        PropertyChange();
}

float TppStretchable::BottomOffset() const
{
    return FromMMThousandths(m_mmBottomOffset, Units(), TppAxisType::atVertical);
}

void TppStretchable::SetBottomOffset(float aValue)
{
    if (std::isfinite(aValue))
        SetmmBottomOffset(ToMMThousandths(aValue, Units(), TppAxisType::atVertical));
}

float TppStretchable::OverFlowOffset() const
{
    return FromMMThousandths(m_mmOverFlowOffset, Units(), TppAxisType::atVertical);
}

void TppStretchable::SetOverFlowOffset(float aValue)
{
    if (std::isfinite(aValue))
        SetmmOverFlowOffset(ToMMThousandths(aValue, Units(), TppAxisType::atVertical));
}

float TppStretchable::StopPosition() const
{
    return FromMMThousandths(m_mmStopPosition, Units(), TppAxisType::atVertical);
}

void TppStretchable::SetStopPosition(float aValue)
{
    if (std::isfinite(aValue))
        SetmmStopPosition(ToMMThousandths(aValue, Units(), TppAxisType::atVertical));
}

void TppStretchable::followsParentInstead(bool aValue)
{
    if (!aValue || loadingOrReading())
        return;
    leaveTarget();
    // A target keeps stretching while shifters hang on it.
    if (m_shifters.empty())
        m_stretch = false;
}

void TppStretchable::SetReprintOnOverFlow(bool aValue)
{
    TppComponent::SetReprintOnOverFlow(aValue);
    followsParentInstead(aValue);
}

void TppStretchable::SetShiftWithParent(bool aValue)
{
    TppComponent::SetShiftWithParent(aValue);
    followsParentInstead(aValue);
}

void TppStretchable::SetStretchWithParent(bool aValue)
{
    TppComponent::SetStretchWithParent(aValue);
    followsParentInstead(aValue);
}

void TppStretchable::SetRegion(TppComponent *aRegion)
{
    TppComponent *old = Region();
    TppComponent::SetRegion(aRegion);
    if (Region() == old || loadingOrReading())
        return;
    leaveTarget();
    // Every region that now holds this one, however deeply, would follow
    // itself if it went on shifting below it.
    int depth = 0;
    for (TppComponent *holder = Region(); holder && ++depth <= StretchableChainLimit; holder = holder->Region())
        if (auto *region = dynamic_cast<TppStretchable *>(holder); region && region->m_shiftRelativeTo == this)
            region->leaveTarget();
}

// ---- Rules of generation ----------------------------------------------------------------

bool TppStretchable::StretchAllowed() const
{
    const TppBand *band = Band();
    if (!band || band->PrintHeight() != TppPrintHeightType::phDynamic)
        return false;
    if (auto *region = dynamic_cast<const TppStretchable *>(Region()))
        return region->Stretch();
    return true;
}

bool TppStretchable::StretchMode() const
{
    return (StretchAllowed() && m_stretch) || m_mmStopPosition != 0;
}

int32_t TppStretchable::ChainSpaceUsed() const
{
    int64_t used = 0;
    int steps = 0;
    for (const TppStretchable *target = m_shiftRelativeTo; target && ++steps <= StretchableChainLimit;
         target = target->m_shiftRelativeTo)
        used += target->SpaceUsed();
    return stretchableClamp(used);
}

bool TppStretchable::NeedsKeepTogether() const
{
    if (!m_keepTogether || m_keptTogether)
        return false;
    if (m_shiftRelativeTo)
        return ChainSpaceUsed() > 0;
    const TppCustomBand *band = printingBand();
    const TppCustomEngine *engine = band ? band->PageEngine() : nullptr;
    // The band's current cycle is counted already: an earlier one printed.
    return (engine && engine->GetBandsPrinted()) || (band && band->Count() > 1);
}

rtl::TRect TppStretchable::PageRect() const
{
    return rtl::TRect{m_pageLeft, m_pageTop, stretchableClamp(int64_t(m_pageLeft) + mmWidth()),
                      stretchableClamp(int64_t(m_pageTop) + m_pageHeight)};
}

int32_t TppStretchable::BottomOnPage(int32_t) const
{
    return stretchableClamp(int64_t(m_pageTop) + SpaceUsed());
}

// ---- Generation ---------------------------------------------------------------------------

void TppStretchable::Init()
{
    TppComponent::Init();
    // A shifter moved to another band since it chose this target prints
    // there; reading its target lets it go.
    const std::vector<TppStretchable *> shifters = m_shifters;
    for (TppStretchable *shifter : shifters)
        shifter->ShiftRelativeTo();
    m_shiftersStarted = false;
    m_keptTogether = false;
    m_firstUnfinishedShifter = 0;
    m_firstUnfinishedShifterStretches = false;
    m_allShiftersComplete = true;
    m_partialAdjustment = 0;
    m_partialGeneration = false;
}

void TppStretchable::ResetGeneration()
{
    TppComponent::ResetGeneration();
    m_allShiftersComplete = true;
    m_firstUnfinishedShifterStretches = false;
    m_currentPosition = 0;
    m_pageBottom = 0;
    m_pageHeight = 0;
    m_shifterPrintList.clear();
}

TppStretchable::Placement TppStretchable::parentPlacement() const
{
    Placement at;
    const TppCustomBand *band = printingBand();
    const rtl::TRect rect = band ? band->PrintRect() : rtl::TRect{};
    const int64_t bandLimit = band && band->PageBottom() > 0 ? band->PageBottom() : std::numeric_limits<int32_t>::max();
    const TppComponent *tallest = nullptr;
    int64_t growth = 0;
    int32_t tallestTop = rect.Top;
    if (auto *region = dynamic_cast<const TppStretchable *>(Region())) {
        at.parentTop = region->PageTop();
        at.limit = region->PageBottom();
        at.top = int64_t(at.parentTop) + mmTop() - region->mmTop();
        at.parentBottom = int64_t(region->PageTop()) + region->SpaceUsed();
        growth = int64_t(region->SpaceUsed()) - region->mmHeight();
        tallest = region->MaxStretchableChild();
        tallestTop = region->PageTop() - region->mmTop();
    } else {
        at.parentTop = rect.Top;
        at.limit = bandLimit;
        at.top = int64_t(rect.Top) + mmTop();
        at.parentBottom = rect.Bottom;
        if (band && band->SpaceUsed() > band->mmHeight()) {
            growth = int64_t(band->SpaceUsed()) - band->mmHeight();
            tallest = band->MaxStretchable();
        }
    }
    if (m_shiftRelativeTo) {
        at.top = m_shiftRelativeTo->CurrentPosition();
        at.limit = bandLimit;
    }
    const auto *region = dynamic_cast<const TppStretchable *>(Region());
    if (region && region->PartialGeneration()) {
        at.top -= region->PartialAdjustment();
    } else if (OverFlow() && m_mmStopPosition == 0) {
        // The rest of the content starts at the top of what continues.
        at.top = int64_t(at.parentTop) + (m_shiftRelativeTo ? 0 : m_mmOverFlowOffset);
    } else if (ShiftWithParent() && !m_shiftRelativeTo) {
        if (tallest && tallest != this) {
            const auto *stretching = dynamic_cast<const TppStretchable *>(tallest);
            const int64_t actualBottom = stretching ? int64_t(stretching->PageTop()) + stretching->SpaceUsed()
                                                    : int64_t(tallestTop) + tallest->mmTop() + tallest->SpaceUsed();
            at.top = actualBottom + (int64_t(mmTop()) - (int64_t(tallest->mmTop()) + tallest->mmHeight()));
        } else {
            at.top += growth;
        }
    }
    return at;
}

bool TppStretchable::place()
{
    const TppCustomBand *band = printingBand();
    const Placement at = parentPlacement();
    m_pageLeft = stretchableClamp(int64_t(band ? band->PrintRect().Left : 0) + mmLeft());
    const int64_t limit = m_mmStopPosition != 0 && m_mmStopPosition < at.limit ? m_mmStopPosition : at.limit;
    m_pageBottom = stretchableClamp(limit - m_mmBottomOffset);
    m_pageTop = stretchableClamp(at.top);
    m_currentPosition = m_pageTop;
    const bool printing = Visible() && DrawComponent();
    int64_t height = 0;
    if (printing && StretchMode()) {
        height = int64_t(m_pageBottom) - m_pageTop;
    } else if (printing) {
        height = mmHeight();
        if (StretchWithParent()) {
            if (at.parentBottom > m_pageTop)
                height = at.parentBottom - m_pageTop;
            if (m_pageTop + height > m_pageBottom)
                height = int64_t(m_pageBottom) - m_pageTop;
        }
    }
    m_pageHeight = stretchableClamp(std::max<int64_t>(height, 0));
    if (printing && (m_pageTop > m_pageBottom || int64_t(m_pageTop) + height > int64_t(m_pageBottom) + 1)) {
        SetOutOfSpace(true);
        SetSpaceUsed(0);
        return false;
    }
    if (!printing)
        SetSpaceUsed(0);
    else if (StretchMode()) {
        // Measuring may load the content, whose handler may free the
        // component.
        const std::weak_ptr<char> alive = AliveToken();
        CalcSpaceUsed();
        if (alive.expired())
            return false;
    } else
        SetSpaceUsed(m_pageHeight);
    if (m_mmBottomOffset > 0 && SpaceUsed() > 0)
        SetSpaceUsed(stretchableClamp(int64_t(SpaceUsed()) + m_mmBottomOffset));
    return true;
}

void TppStretchable::Generate()
{
    const TppCustomBand *band = printingBand();
    if (ReprintOnOverFlow() && band && band->OverFlow())
        InitDrawComponent();
    const std::weak_ptr<char> alive = AliveToken();
    DoOnPrint();
    if (alive.expired())
        return;
    SetOutOfSpace(false);
    const bool placed = place();
    if (alive.expired())
        return;
    if (!placed) {
        SetGenerationComplete(false);
        return;
    }
    if (Visible() && DrawComponent() && !OverFlow() && !m_shiftersStarted) {
        m_shiftersStarted = true;
        for (TppStretchable *shifter : m_shifters)
            shifter->InitDrawComponent();
    }
    if (m_shiftersStarted && !m_shifters.empty() && !generateShifters())
        return;
    SetGenerationComplete(!OverFlow() && !m_partialGeneration);
}

bool TppStretchable::generateShifters()
{
    m_currentPosition = stretchableClamp(int64_t(m_pageTop) + SpaceUsed());
    m_pageBottom = stretchableClamp(int64_t(m_pageBottom) + m_mmBottomOffset);
    m_shifterPrintList.clear();
    int64_t lowest = m_currentPosition;
    TppStretchable *firstUnfinished = nullptr;
    int firstUnfinishedAt = -1;
    bool firstStretches = false;
    int32_t smallest = std::numeric_limits<int32_t>::max();
    m_allShiftersComplete = true;
    // A handler of a shifter may free one of the others, itself, or this
    // component: a freed shifter has nothing to print, a freed component
    // ends its step.
    const std::weak_ptr<char> self = AliveToken();
    const std::vector<TppStretchable *> shifters = m_shifters;
    for (int i = std::max(m_firstUnfinishedShifter, 0); i < int(shifters.size()); ++i) {
        TppStretchable *shifter = shifters[size_t(i)];
        if (std::find(m_shifters.begin(), m_shifters.end(), shifter) == m_shifters.end())
            continue;
        const std::weak_ptr<char> alive = shifter->AliveToken();
        shifter->Generate();
        if (self.expired())
            return false;
        if (alive.expired())
            continue;
        if (shifter->SpaceUsed() > 0) {
            m_shifterPrintList.emplace_back(shifter->GenerationIndex(), shifter);
            lowest = std::max<int64_t>(lowest, int64_t(shifter->PageTop()) + shifter->SpaceUsed());
        }
        if (!shifter->GenerationComplete()) {
            if (!firstUnfinished) {
                firstUnfinished = shifter;
                firstUnfinishedAt = i;
                firstStretches = shifter->Stretch();
            }
            smallest = std::min(smallest, shifter->ContinuationPosition());
            m_allShiftersComplete = false;
        }
    }
    if (firstUnfinished) {
        // Handlers may have taken shifters out of the list since it was
        // copied: the place is where that shifter stands now.
        const auto now = std::find(m_shifters.begin(), m_shifters.end(), firstUnfinished);
        m_firstUnfinishedShifter = now != m_shifters.end() ? int(now - m_shifters.begin())
                                                           : std::min(firstUnfinishedAt, int(m_shifters.size()));
    }
    m_firstUnfinishedShifterStretches = firstStretches;
    if (!m_allShiftersComplete)
        m_partialAdjustment = smallest;
    if (lowest > m_currentPosition) {
        SetSpaceUsed(stretchableClamp(int64_t(SpaceUsed()) + (lowest - m_currentPosition)));
        m_currentPosition = stretchableClamp(lowest);
    }
    SetOverFlow(firstStretches);
    m_partialGeneration = !m_allShiftersComplete && !OverFlow();
    return true;
}

void TppStretchable::ClearDrawComponent()
{
    // Once its own content is out, a component whose shifters go on is not
    // printed again with them.
    const bool shiftersRunning = m_shiftersStarted && !m_allShiftersComplete;
    if (GenerationComplete() || shiftersRunning)
        SetDrawComponent(false);
    if (!OverFlow() && !m_partialGeneration)
        m_shiftersStarted = false;
    if (m_allShiftersComplete)
        m_firstUnfinishedShifter = 0;
}

void TppStretchable::PrintToPage(TppPage *aPage)
{
    // The handlers of the commands may free this component.
    const std::weak_ptr<char> alive = AliveToken();
    TppComponent::PrintToPage(aPage);
    if (alive.expired())
        return;
    // In the order the band's objects had when it was prepared.
    std::vector<ShifterEntry> list = m_shifterPrintList;
    std::stable_sort(list.begin(), list.end(),
                     [](const ShifterEntry &aLeft, const ShifterEntry &aRight) { return aLeft.first < aRight.first; });
    for (const ShifterEntry &entry : list) {
        if (std::find(m_shifters.begin(), m_shifters.end(), entry.second) != m_shifters.end())
            entry.second->PrintToPage(aPage);
        if (alive.expired())
            return;
    }
}

// ---- Cache, notices and streams -----------------------------------------------------------

TppStretchable::StretchableCacheRecord TppStretchable::cacheRecord() const
{
    StretchableCacheRecord record;
    record.drawComponent = DrawComponent() ? 1 : 0;
    record.shiftersStarted = m_shiftersStarted ? 1 : 0;
    record.overFlow = OverFlow() ? 1 : 0;
    record.partialGeneration = m_partialGeneration ? 1 : 0;
    record.keptTogether = m_keptTogether ? 1 : 0;
    record.firstUnfinishedShifter = m_firstUnfinishedShifter;
    return record;
}

void TppStretchable::applyCacheRecord(const StretchableCacheRecord &aRecord)
{
    SetDrawComponent(aRecord.drawComponent != 0);
    m_shiftersStarted = aRecord.shiftersStarted != 0;
    SetOverFlow(aRecord.overFlow != 0);
    m_partialGeneration = aRecord.partialGeneration != 0;
    m_keptTogether = aRecord.keptTogether != 0;
    m_firstUnfinishedShifter = std::max(aRecord.firstUnfinishedShifter, 0);
}

void TppStretchable::SaveToCache(int32_t aPageIndex)
{
    const StretchableCacheRecord record = cacheRecord();
    WriteCacheRecord(aPageIndex, &record);
}

void TppStretchable::RestoreFromCache(int32_t aPageIndex)
{
    StretchableCacheRecord record = cacheRecord();
    ReadCacheRecord(aPageIndex, &record);
    applyCacheRecord(record);
}

void TppStretchable::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppComponent::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove || IsDestroying() || !aCommunicator)
        return;
    if (aCommunicator == m_shiftRelativeTo)
        m_shiftRelativeTo = nullptr;
    const auto it = std::find(m_shifters.begin(), m_shifters.end(), aCommunicator);
    if (it != m_shifters.end())
        dropShifter(it);
}

void TppStretchable::DefineProperties(classes::TFiler &aFiler)
{
    TppComponent::DefineProperties(aFiler);
    // Written only when set, so that templates without offsets stay as they
    // were.
    const auto stored = [&aFiler](const char *aName, int32_t &aField) {
        aFiler.DefineProperty(
            QString::fromLatin1(aName), [&aField](classes::TReader &r) { aField = ppReadIntegerOrFloat(r); },
            [&aField](classes::TWriter &w) { w.WriteInteger(aField); }, aField != 0);
    };
    stored("mmBottomOffset", m_mmBottomOffset);
    stored("mmOverFlowOffset", m_mmOverFlowOffset);
    stored("mmStopPosition", m_mmStopPosition);
    // The target is named; the name is looked up among the band's objects
    // once they are all there.
    aFiler.DefineProperty(
        QStringLiteral("ShiftRelativeTo"),
        [this](classes::TReader &r) { m_shiftRelativeToName = ppUnqualifiedName(r.ReadIdent()); },
        [this](classes::TWriter &w) { w.WriteIdent(m_shiftRelativeTo ? m_shiftRelativeTo->Name() : QString()); },
        m_shiftRelativeTo != nullptr);
}

void TppStretchable::Loaded()
{
    TppComponent::Loaded();
    const QString name = m_shiftRelativeToName;
    m_shiftRelativeToName.clear();
    const TppBand *band = Band();
    if (name.isEmpty() || !band)
        return;
    for (int i = 0; i < band->ObjectCount(); ++i) {
        auto *target = dynamic_cast<TppStretchable *>(band->Objects(i));
        if (!target || target == this || target->Name().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // A stream that names a circular chain loses the link that closes it.
        if (!CanShiftRelativeTo(this, target))
            return;
        leaveTarget();
        m_shiftRelativeTo = target;
        target->AddShifter(this);
        return;
    }
}

// ---- Utilities ------------------------------------------------------------------------------

QStringList ppGetShiftRelativeToTargets(const TppStretchable &aComponent, bool aByUserName)
{
    QStringList names;
    const TppBand *band = aComponent.Band();
    if (!band)
        return names;
    for (int i = 0; i < band->ObjectCount(); ++i) {
        auto *target = dynamic_cast<TppStretchable *>(band->Objects(i));
        if (!target || target == &aComponent || !TppStretchable::CanShiftRelativeTo(&aComponent, target))
            continue;
        names << (aByUserName ? target->UserName() : target->Name());
    }
    return names;
}

QStringList ppGetRelativeTargets(const TppComponent &aComponent, bool aByDescription)
{
    QStringList names;
    const TppBand *band = aComponent.Band();
    if (!band)
        return names;
    for (int i = 0; i < band->ObjectCount(); ++i) {
        const TppComponent *target = band->Objects(i);
        if (!target || target == &aComponent || !target->CanPrint())
            continue;
        names << (aByDescription ? target->GetDescription() : target->Name());
    }
    return names;
}

void ppRefreshTabStops(IppReportContext &aReport)
{
    for (int b = 0; b < aReport.BandCount(); ++b)
        if (TppBand *band = aReport.BandAt(b))
            for (int i = 0; i < band->ObjectCount(); ++i)
                band->Objects(i)->RefreshTabStops();
}

void TppStretchable::SetBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight)
{
    TppComponent::SetBounds(aLeft, aTop, aWidth, aHeight);
    if (m_stretch && HasCommunicatorState(ppState::Design) && !loadingOrReading())
        AdjustSize();
}

void TppStretchable::SetUserName(const QString &aUserName)
{
    TppComponent::SetUserName(aUserName);
    for (TppStretchable *shifter : std::vector<TppStretchable *>(m_shifters)) {
        shifter->InvalidateDesignControl();
        shifter->PropertyChange();
    }
}

bool ppMatchesNamePrefix(const TppCommunicator &aCommunicator, const QString &aPrefix)
{
    const QString name = aCommunicator.UserName();
    if (!name.startsWith(aPrefix))
        return false;
    bool ok = false;
    const int number = name.mid(aPrefix.size()).toInt(&ok);
    return ok && number > 0;
}

} // namespace report
