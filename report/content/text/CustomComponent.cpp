#include "report/content/text/CustomComponent.h"

#include "report/model/bands/CustomBand.h"
#include "report/model/bands/Stretchable.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Reader.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

// Positions and sizes come from templates and may hold any value: their
// sums stay within the page's integer range.
int32_t customComponentSum(int64_t aSum)
{
    return int32_t(std::clamp<int64_t>(aSum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

struct CustomComponentCacheRecord
{
    uint8_t drawComponent = 0;
};

} // namespace

const classes::TMetaClass &TppCustomComponent::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppCustomComponent, TppComponent>("TppCustomComponent", [](auto &) {});
    return meta;
}

TppCustomComponent::TppCustomComponent(classes::TComponent *aOwner)
    : TppComponent(aOwner)
{
    SetCacheRecordSize(int32_t(sizeof(CustomComponentCacheRecord)));
}

TppCustomComponent::~TppCustomComponent()
{
    BeforeDestruction();
}

TppCustomBand *TppCustomComponent::printingBand() const
{
    TppBand *band = Band();
    return band ? band->AsCustomBand() : nullptr;
}

void TppCustomComponent::Generate()
{
    TppCustomBand *band = printingBand();
    const TppComponent *region = Region();
    if (ReprintOnOverFlow() && (region ? region->OverFlow() : band && band->OverFlow()))
        InitDrawComponent();
    const bool shown = Visible() || DrawComponent();
    const std::weak_ptr<char> alive = AliveToken();
    DoOnPrint();
    if (alive.expired())
        return;
    if (!shown && Visible())
        SetDrawComponent(true);
    SetOutOfSpace(false);
    if (!DrawComponent() || !Visible()) {
        SetSpaceUsed(0);
        SetGenerationComplete(true);
        return;
    }
    if (place())
        SetGenerationComplete(!OutOfSpace());
}

TppCustomComponent::ParentPlace TppCustomComponent::parentPlace() const
{
    TppCustomBand *band = printingBand();
    const rtl::TRect rect = band ? band->PrintRect() : rtl::TRect{};
    ParentPlace at;
    at.left = rect.Left;
    // A region stands where the page put it, which a stretching object
    // above it may have moved; it continues from its top on a later page.
    if (const auto *region = dynamic_cast<const TppStretchable *>(Region())) {
        at.origin = region->PageTop() - region->mmTop();
        if (region->PartialGeneration())
            at.origin -= region->PartialAdjustment();
        at.bottom = region->PageTop() + region->SpaceUsed();
        at.limit = region->PageBottom();
        at.checksSpace = true;
        at.above = region->MaxStretchableChild();
        at.aboveOrigin = region->PageTop() - region->mmTop();
        at.growth = std::max<int64_t>(int64_t(region->SpaceUsed()) - region->mmHeight(), 0);
        return at;
    }
    at.origin = rect.Top;
    at.bottom = rect.Bottom;
    at.checksSpace = band && band->PageBottom() > 0;
    at.limit = at.checksSpace ? band->PageBottom() : std::numeric_limits<int32_t>::max();
    at.above = band ? band->MaxStretchable() : nullptr;
    at.aboveOrigin = rect.Top;
    at.growth = band ? std::max<int64_t>(int64_t(band->SpaceUsed()) - band->mmHeight(), 0) : 0;
    return at;
}

bool TppCustomComponent::place()
{
    const ParentPlace parent = parentPlace();
    const int32_t left = customComponentSum(int64_t(parent.left) + mmLeft());
    int32_t height = mmHeight();
    int32_t top = customComponentSum(int64_t(parent.origin) + mmTop());
    if (ShiftWithParent()) {
        // Keeps its distance to the bottom of the stretched object above.
        const TppComponent *above = parent.above;
        const int64_t aboveBottom = above ? int64_t(above->mmTop()) + above->mmHeight() : 0;
        if (above && above != this && aboveBottom <= mmTop())
            top = customComponentSum(int64_t(above->BottomOnPage(parent.aboveOrigin)) + (mmTop() - aboveBottom));
        else
            // Nothing stretched above it: it moves down as far as the
            // parent has grown so far.
            top = customComponentSum(int64_t(top) + parent.growth);
    }
    const bool checksSpace = parent.checksSpace;
    const int32_t limit = parent.limit;
    if (StretchWithParent() && (Region() || printingBand())) {
        if (top < parent.bottom)
            height = parent.bottom - top;
        if (top < limit && int64_t(top) + height > limit)
            height = limit - top;
    }
    if (checksSpace && int64_t(top) + height > int64_t(limit) + 1) {
        SetOutOfSpace(true);
        SetSpaceUsed(0);
        return true;
    }
    m_printPosRect =
        rtl::TRect{left, top, customComponentSum(int64_t(left) + mmWidth()), customComponentSum(int64_t(top) + height)};
    SetSpaceUsed(height);
    // A data text reads its value here, whose handlers may free it.
    const std::weak_ptr<char> alive = AliveToken();
    AfterPlace();
    if (alive.expired())
        return false;
    m_printPosRect.Bottom = customComponentSum(int64_t(top) + SpaceUsed());
    m_placed = true;
    return true;
}

int32_t TppCustomComponent::BottomOnPage(int32_t aBandTop) const
{
    return m_placed && SpaceUsed() > 0 ? m_printPosRect.Bottom : TppComponent::BottomOnPage(aBandTop);
}

void TppCustomComponent::ResetGeneration()
{
    TppComponent::ResetGeneration();
    m_placed = false;
}

void TppCustomComponent::SaveToCache(int32_t aPageIndex)
{
    CustomComponentCacheRecord record;
    record.drawComponent = DrawComponent() ? 1 : 0;
    WriteCacheRecord(aPageIndex, &record);
}

void TppCustomComponent::RestoreFromCache(int32_t aPageIndex)
{
    CustomComponentCacheRecord record;
    record.drawComponent = DrawComponent() ? 1 : 0;
    ReadCacheRecord(aPageIndex, &record);
    SetDrawComponent(record.drawComponent != 0);
}

void TppCustomComponent::DefineProperties(classes::TFiler &aFiler)
{
    TppComponent::DefineProperties(aFiler);
    aFiler.DefineProperty(
        QStringLiteral("ShiftWithBand"), [this](classes::TReader &r) { SetShiftWithParent(r.ReadBoolean()); }, nullptr,
        false);
    aFiler.DefineProperty(
        QStringLiteral("StretchWithBand"), [this](classes::TReader &r) { SetStretchWithParent(r.ReadBoolean()); },
        nullptr, false);
}

} // namespace report
