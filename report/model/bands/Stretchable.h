#pragma once

// TppStretchable: a component whose height is decided while the report
// prints. It is placed relative to its band, its region or another
// stretchable above it (ShiftRelativeTo), may stretch down to the space the
// page has left, continues on the next page what did not fit, keeps itself
// together once when asked, and generates and prints the chain of
// stretchables that shift below it.

#include "report/model/bands/Component.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

namespace report {

class TppCustomBand;

class TppStretchable : public TppComponent
{
    ZVO_CLASS(TppStretchable)
public:
    explicit TppStretchable(classes::TComponent *aOwner = nullptr);
    // Leaves its target and lets its shifters go.
    ~TppStretchable() override;

    // ---- Properties ----
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool aValue);
    bool KeepTogether() const { return m_keepTogether; }
    void SetKeepTogether(bool aValue);
    // A target no longer on the component's band is forgotten as it is read
    // (not while the component is written).
    TppStretchable *ShiftRelativeTo() const;
    // EInvalidPropertyError (message 342) for a target it cannot shift below.
    virtual void SetShiftRelativeTo(TppStretchable *aTarget);
    // The target as a stream names it, looked up once the band is loaded.
    void SetShiftRelativeToName(const QString &aName) { m_shiftRelativeToName = aName; }
    virtual void AddShifter(TppStretchable *aComponent);
    virtual void RemoveShifter(TppStretchable *aComponent);
    int ShifterCount() const { return int(m_shifters.size()); }
    TppStretchable *Shifters(int aIndex) const;

    // Thousandths of a millimetre.
    int32_t mmBottomOffset() const { return m_mmBottomOffset; }
    void SetmmBottomOffset(int32_t aValue);
    int32_t mmOverFlowOffset() const { return m_mmOverFlowOffset; }
    void SetmmOverFlowOffset(int32_t aValue);
    int32_t mmStopPosition() const { return m_mmStopPosition; }
    void SetmmStopPosition(int32_t aValue);
    // In the report's Units; values that are no number change nothing.
    float BottomOffset() const;
    void SetBottomOffset(float aValue);
    float OverFlowOffset() const;
    void SetOverFlowOffset(float aValue);
    float StopPosition() const;
    void SetStopPosition(float aValue);

    // These take the component out of any shifting chain.
    void SetReprintOnOverFlow(bool aValue) override;
    void SetShiftWithParent(bool aValue) override;
    void SetStretchWithParent(bool aValue) override;
    // Joining or leaving a region ends shifting relative to another one.
    void SetRegion(TppComponent *aRegion) override;
    // In a designer a stretching component's design size follows new
    // bounds.
    void SetBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight) override;
    // The components that shift relative to this one show its new name.
    void SetUserName(const QString &aUserName) override;

    // ---- Designer ----
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The offsets join the place.
    TppCustomPositionDialog *CreatePositionDialog() override;
    void ApplyPositionDialog(TppCustomForm &aDialog) override;
    // The registered shift dialog: the targets, none first; its OK sets the
    // choice.
    void ShowShiftDialog();

    // ---- Generation state ----
    // The top on the page while generating; after the shifters generated,
    // the lowest bottom of the component and its shifters.
    int32_t CurrentPosition() const { return m_currentPosition; }
    int32_t PageBottom() const { return m_pageBottom; }
    // Where the component itself was placed in this cycle.
    int32_t PageTop() const { return m_pageTop; }
    int32_t PageLeft() const { return m_pageLeft; }
    // The rectangle the component was given on the page: its own height, or
    // down to PageBottom when it stretches.
    rtl::TRect PageRect() const;
    bool KeptTogether() const { return m_keptTogether; }
    void SetKeptTogether(bool aValue) { m_keptTogether = aValue; }
    bool PartialGeneration() const { return m_partialGeneration; }
    int32_t PartialAdjustment() const { return m_partialAdjustment; }
    // The shifters that used space in this cycle with their generation
    // index, in the order they generated; they print by that index.
    using ShifterEntry = std::pair<int, TppStretchable *>;
    const std::vector<ShifterEntry> &ShifterPrintList() const { return m_shifterPrintList; }

    // ---- What descendants use ----
    // Computes SpaceUsed and OverFlow for the space up to PageBottom.
    virtual void CalcSpaceUsed() {}
    // In a band: its PrintHeight is dynamic; in a region: the region
    // stretches too.
    bool StretchAllowed() const;
    bool StretchMode() const;
    // Moving the component to a new page would leave something above it
    // behind, and it has not been moved yet.
    bool NeedsKeepTogether() const;
    // The space the targets up the chain used on this page.
    int32_t ChainSpaceUsed() const;
    // No target, or a target whose chain does not lead back to the
    // component (nor, for a region, lies inside it).
    static bool CanShiftRelativeTo(const TppStretchable *aComponent, const TppStretchable *aTarget);
    // For a region as a parent: the child that reached lowest.
    virtual TppComponent *MaxStretchableChild() const { return nullptr; }

    // ---- Overrides ----
    bool StretchesBand() const override { return m_stretch; }
    // Asks through the property, so that a target left in another band no
    // longer takes the component out of its own band's generation.
    bool ShiftsRelative() const override { return ShiftRelativeTo() != nullptr; }
    int32_t BottomOnPage(int32_t aBandTop) const override;
    void Init() override;
    void ResetGeneration() override;
    void Generate() override;
    void ClearDrawComponent() override;
    void PrintToPage(TppPage *aPage) override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    // Finds the target a stream named.
    void Loaded() override;

protected:
    // The record every stretchable keeps per page; descendants that keep
    // more put it first in their own.
    struct StretchableCacheRecord
    {
        uint8_t drawComponent = 0;
        uint8_t shiftersStarted = 0;
        uint8_t overFlow = 0;
        uint8_t partialGeneration = 0;
        uint8_t keptTogether = 0;
        uint8_t reserved[3] = {};
        int32_t firstUnfinishedShifter = 0;
    };
    StretchableCacheRecord cacheRecord() const;
    void applyCacheRecord(const StretchableCacheRecord &aRecord);
    // A descendant's own part of the record stands right after the
    // stretchable's.
    template <class Own>
    struct CacheRecordWith
    {
        StretchableCacheRecord stretchable;
        Own own;
    };
    template <class Own>
    void writeCacheRecordWith(int32_t aPageIndex, const Own &aOwn)
    {
        const CacheRecordWith<Own> record{cacheRecord(), aOwn};
        WriteCacheRecord(aPageIndex, &record);
    }
    // aOwn keeps its value for a page without a record.
    template <class Own>
    void readCacheRecordWith(int32_t aPageIndex, Own &aOwn)
    {
        CacheRecordWith<Own> record{cacheRecord(), aOwn};
        ReadCacheRecord(aPageIndex, &record);
        applyCacheRecord(record.stretchable);
        aOwn = record.own;
    }
    TppCustomBand *printingBand() const;
    // A component that generates others itself (a region) keeps its own
    // count of what did not finish; its children move up by the adjustment.
    void SetPartialGeneration(bool aValue) { m_partialGeneration = aValue; }
    void SetPartialAdjustment(int32_t aValue) { m_partialAdjustment = aValue; }

private:
    struct Placement
    {
        int64_t top = 0;
        int64_t limit = 0;
        int32_t parentTop = 0;
        int64_t parentBottom = 0;
    };
    Placement parentPlacement() const;
    // Places the component; false when it does not fit on this page.
    bool place();
    // False when a handler freed this component.
    bool generateShifters();
    void leaveTarget();
    void dropShifter(std::vector<TppStretchable *>::iterator aShifter);
    // ReprintOnOverFlow, ShiftWithParent or StretchWithParent turned on.
    void followsParentInstead(bool aValue);

    bool m_stretch = false;
    bool m_keepTogether = false;
    TppStretchable *m_shiftRelativeTo = nullptr;
    QString m_shiftRelativeToName;
    std::vector<TppStretchable *> m_shifters;
    int32_t m_mmBottomOffset = 0;
    int32_t m_mmOverFlowOffset = 0;
    int32_t m_mmStopPosition = 0;

    int32_t m_currentPosition = 0;
    int32_t m_pageBottom = 0;
    int32_t m_pageTop = 0;
    int32_t m_pageLeft = 0;
    int32_t m_pageHeight = 0;
    bool m_keptTogether = false;
    bool m_partialGeneration = false;
    int32_t m_partialAdjustment = 0;
    bool m_shiftersStarted = false;
    bool m_allShiftersComplete = true;
    int m_firstUnfinishedShifter = 0;
    bool m_firstUnfinishedShifterStretches = false;
    std::vector<ShifterEntry> m_shifterPrintList;
    TppLiveCount<TppStretchable> m_live;
};

// Component-tree utilities of the designer's property editors and dialogs.

// The stretchables of the component's band it can shift relative to, by
// user name (or component name).
QStringList ppGetShiftRelativeToTargets(const TppStretchable &aComponent, bool aByUserName);
// The other components of the component's band that can serve as a
// relative target (those that can print), by description (or component
// name).
QStringList ppGetRelativeTargets(const TppComponent &aComponent, bool aByDescription);
// Every memo with tab stops, in every band of the report, shows them again.
void ppRefreshTabStops(IppReportContext &aReport);
// Whether the communicator's user name is the prefix followed by a number
// above 0.
bool ppMatchesNamePrefix(const TppCommunicator &aCommunicator, const QString &aPrefix);

} // namespace report
