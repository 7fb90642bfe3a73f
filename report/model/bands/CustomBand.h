#pragma once

// TppCustomBand: a band as the engine prints it. It carries the state of one
// band's generation on the current page (where it starts and ends, what is
// left over for the next page), sorts its objects into print sections, keeps
// that state per page in the cache and answers, class by class, whether it
// prints now. The generation itself runs on a band engine; every band has
// one, the detail band a detail band engine.
//
// TppBasicBand is the common ancestor of all bands but the group bands.

#include "report/model/bands/Band.h"

#include "platform/rtl/Types.h"

#include <memory>
#include <vector>

namespace report {

class TppBandEngine;
class TppCustomEngine;

class TppCustomBand : public TppBand
{
    ZVO_CLASS(TppCustomBand)
public:
    explicit TppCustomBand(classes::TComponent *aOwner);
    ~TppCustomBand() override;

    // ---- The class's decisions ----
    // Before the first cycle: may set GenerationComplete so that nothing
    // prints.
    virtual void StartGeneration() {}
    // After the last cycle.
    virtual void EndGeneration() {}
    // Whether the engine resets the band's objects before each print.
    virtual bool ResetOnPage() const { return false; }
    // Where the band stands once the space it has is known: a class may
    // move it (the footers) before the print position is applied.
    virtual void PlaceBand() {}
    // After the fit test: a class may still break the page or column.
    virtual void AfterSpaceStep() {}
    // The band engine the band generates through.
    virtual std::unique_ptr<TppBandEngine> CreateBandEngine();

    // ---- Generation ----
    TppCustomBand *AsCustomBand() override { return this; }
    void Generate() override;
    // Rebuilds the print sections and the band engine, numbers the
    // z-order, and clears the generation state for a new run.
    void InitObjects() override;
    TppBandEngine *BandEngine() const { return m_bandEngine.get(); }
    // The report's engine, nullptr without report or engine.
    TppCustomEngine *PageEngine() const;
    // The print sections, "1" plain, "2" stretching, "3" stretching with
    // the band, "4" shifting with the band; a missing one is empty.
    const std::vector<TppComponent *> &Section(int aCategory) const;
    // Between two records, after handlers changed the band's objects: the
    // sections lose what left the band, and take up what was prepared with
    // the band but printed by another object that has gone since (a
    // shifter's target, a child's region). The order stays as prepared.
    void RefreshSections();
    // The objects whose values reset when a run starts.
    const std::vector<TppComponent *> &ResetObjects() const { return m_resetObjects; }

    // ---- Generation state ----
    bool AllObjectsPrinted() const { return m_allObjectsPrinted; }
    void SetAllObjectsPrinted(bool aValue) { m_allObjectsPrinted = aValue; }
    int Count() const { return m_count; }
    void SetCount(int aValue) { m_count = aValue; }
    // A cycle of this generation ran, visible or not (Count holds only the
    // visible ones).
    bool CycleRun() const { return m_cycleRun; }
    void SetCycleRun(bool aValue) { m_cycleRun = aValue; }
    // This generation printed the band to its end; a hidden band once its
    // cycle ran.
    bool PrintedWhole() const
    {
        return (m_count > 0 || (m_cycleRun && !Visible())) && !m_outOfSpace && !m_overFlow && !m_partialGeneration;
    }
    int32_t CurrentPosition() const { return m_currentPosition; }
    void SetCurrentPosition(int32_t aValue) { m_currentPosition = aValue; }
    int32_t CumulativeCurrentPosition() const { return m_cumulativeCurrentPosition; }
    void SetCumulativeCurrentPosition(int32_t aValue) { m_cumulativeCurrentPosition = aValue; }
    bool Generating() const { return m_generating; }
    void SetGenerating(bool aValue) { m_generating = aValue; }
    bool GenerationComplete() const { return m_generationComplete; }
    void SetGenerationComplete(bool aValue) { m_generationComplete = aValue; }
    TppComponent *MaxStretchable() const { return m_maxStretchable; }
    void SetMaxStretchable(TppComponent *aValue) { m_maxStretchable = aValue; }
    int CurrentSection() const { return m_currentSection; }
    void SetCurrentSection(int aValue) { m_currentSection = aValue; }
    int CurrentObjectIndex() const { return m_currentObject; }
    void SetCurrentObjectIndex(int aValue) { m_currentObject = aValue; }
    // The object at the current section and index, nullptr for none or for
    // one no longer in the band.
    TppComponent *CurrentObject() const;
    bool OutOfSpace() const { return m_outOfSpace; }
    void SetOutOfSpace(bool aValue) { m_outOfSpace = aValue; }
    bool OverFlow() const { return m_overFlow; }
    void SetOverFlow(bool aValue) { m_overFlow = aValue; }
    int32_t PageBottom() const { return m_pageBottom; }
    void SetPageBottom(int32_t aValue) { m_pageBottom = aValue; }
    bool PartialGeneration() const { return m_partialGeneration; }
    void SetPartialGeneration(bool aValue) { m_partialGeneration = aValue; }
    int32_t PartialAdjustment() const { return m_partialAdjustment; }
    void SetPartialAdjustment(int32_t aValue) { m_partialAdjustment = aValue; }
    bool PrintingSection() const { return m_printingSection; }
    void SetPrintingSection(bool aValue) { m_printingSection = aValue; }
    bool PrintPositionBreak() const { return m_printPositionBreak; }
    void SetPrintPositionBreak(bool aValue) { m_printPositionBreak = aValue; }
    const rtl::TRect &PrintRect() const { return m_printRect; }
    void SetPrintRect(const rtl::TRect &aRect) { m_printRect = aRect; }
    int32_t SpaceUsed() const { return m_spaceUsed; }
    void SetSpaceUsed(int32_t aValue) { m_spaceUsed = aValue; }
    int32_t StartingPosition() const { return m_startingPosition; }
    void SetStartingPosition(int32_t aValue) { m_startingPosition = aValue; }

    // ---- Cache ----
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

protected:
    // Up to three bytes a class keeps after the common record.
    virtual void SaveExtra(uint8_t *) const {}
    virtual void RestoreExtra(const uint8_t *) {}
    // A class with more state keeps it in the record's last four bytes.
    virtual int32_t SaveTail() const { return 0; }
    virtual void RestoreTail(int32_t) {}
    void resetGenerationState();

private:
    void buildSections();
    // 1-4, or 0 for an object another one prints.
    static int sectionOf(const TppComponent &aObject);

    std::unique_ptr<TppBandEngine> m_bandEngine;
    std::vector<TppComponent *> m_sections[4];
    std::vector<TppComponent *> m_resetObjects;

    bool m_allObjectsPrinted = true;
    int m_count = 0;
    bool m_cycleRun = false;
    int32_t m_currentPosition = 0;
    int32_t m_cumulativeCurrentPosition = 0;
    bool m_generating = false;
    bool m_generationComplete = false;
    TppComponent *m_maxStretchable = nullptr;
    int m_currentSection = 0;
    int m_currentObject = 0;
    bool m_outOfSpace = false;
    bool m_overFlow = false;
    int32_t m_pageBottom = 0;
    bool m_partialGeneration = false;
    int32_t m_partialAdjustment = 0;
    bool m_printingSection = false;
    bool m_printPositionBreak = false;
    rtl::TRect m_printRect;
    int32_t m_spaceUsed = 0;
    int32_t m_startingPosition = 0;
};

class TppBasicBand : public TppCustomBand
{
    ZVO_CLASS(TppBasicBand)
public:
    explicit TppBasicBand(classes::TComponent *aOwner)
        : TppCustomBand(aOwner)
    {}
};

} // namespace report
