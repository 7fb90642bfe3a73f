#pragma once

// TppCustomComponent: the base of the fixed-size controls (texts, shapes,
// lines, images, bar codes). Each page it is generated on, it is placed in
// its band's print rectangle at its design height, moved down with a
// stretched object above it, stretched with its band, or put off to the
// next page when it would cross the page limit.

#include "report/model/bands/Component.h"

#include "platform/rtl/Types.h"

#include <memory>

namespace report {

class TppCustomBand;

class TppCustomComponent : public TppComponent
{
    ZVO_CLASS(TppCustomComponent)
public:
    explicit TppCustomComponent(classes::TComponent *aOwner = nullptr);
    ~TppCustomComponent() override;

    void Generate() override;
    // After the control was placed; a descendant may take its space back
    // (SpaceUsed 0) so that it is not drawn.
    virtual void AfterPlace() {}

    // Where the control prints on the current page, thousandths of a mm.
    const rtl::TRect &PrintPosRect() const { return m_printPosRect; }
    // Where it was placed, which shifting with the band may have moved
    // below its design top.
    int32_t BottomOnPage(int32_t aBandTop) const override;
    void ResetGeneration() override;

    // The draw flag of the page travels with the page's cache record.
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;
    // "ShiftWithBand" and "StretchWithBand" of older streams.
    void DefineProperties(classes::TFiler &aFiler) override;

protected:
    TppCustomBand *printingBand() const;

private:
    // Where the band, or the region the control belongs to, places it: the
    // page top its design top counts from, the parent's bottom and page
    // limit, and the stretched object above it with the top its own design
    // top counts from.
    struct ParentPlace
    {
        int32_t left = 0;
        int32_t origin = 0;
        int32_t bottom = 0;
        int32_t limit = 0;
        bool checksSpace = false;
        const TppComponent *above = nullptr;
        int32_t aboveOrigin = 0;
        // How far the parent has grown beyond its design height.
        int64_t growth = 0;
    };
    ParentPlace parentPlace() const;
    // False when a handler freed the control while it was placed.
    bool place();

    rtl::TRect m_printPosRect;
    // PrintPosRect holds this cycle's placement.
    bool m_placed = false;
};

} // namespace report
