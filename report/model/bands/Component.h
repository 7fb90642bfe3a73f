#pragma once

// TppComponent: a printable that sits in a band (and perhaps in a region of
// it). It keeps the band type and group number a template stores with it,
// the group whose end resets its value, whether it takes its band's data
// pipeline, fitting to its parent and its place in the z-order.
//
// Classes built on top answer what this layer asks of them through virtual
// queries (a region, a saved text, a calculated variable, a stretching
// object), so that the band treats them without knowing them.

#include "report/model/bands/Printable.h"

#include <algorithm>
#include <cstdint>

namespace report {

class TppBand;
class IppReportContext;
class TppCustomForm;
class TppCustomPositionDialog;

// The kinds of band, as templates store them: 0 header, 1 title, 2 column
// header, 3 group header, 4 detail, 5 group footer, 6 column footer, 7
// summary, 8 footer, 9 page style.
using TppBandType = uint8_t;
constexpr TppBandType ppDetailBandType = 4;
constexpr TppBandType ppLastBandType = 9;

class TppComponent : public TppPrintable
{
    ZVO_CLASS(TppComponent)
public:
    explicit TppComponent(classes::TComponent *aOwner);
    // Leaves its region and its band.
    ~TppComponent() override;

    // ---- What descendants are ----
    virtual bool IsDataCalc() const { return false; }
    // A region holds components of its own.
    virtual bool IsRegion() const { return false; }
    // A text to export joins its band's save list; its order while read.
    virtual bool JoinsSaveList() const { return false; }
    virtual int StoredSaveOrder() const { return -1; }
    virtual void SetSaveOrder(int) {}
    // A variable joins its band's calculation list; its order while read.
    virtual bool JoinsCalcList() const { return false; }
    virtual int StoredCalcOrder() const { return -1; }
    virtual void SetCalcOrder(int) {}
    // A stretching object makes a static band dynamic.
    virtual bool StretchesBand() const { return false; }
    virtual bool IsSubReport() const { return false; }
    // A subreport printing its child report as sections of the page.
    virtual bool IsSectionSubReport() const { return false; }
    // A stretching object placed below another one: that one prints it.
    virtual bool ShiftsRelative() const { return false; }
    // Where an unfinished object continues, in band coordinates.
    virtual int32_t ContinuationPosition() const { return mmTop(); }
    // Where the object ends on the page once generated in a band whose
    // print rectangle starts at aBandTop; an object placed elsewhere than
    // its design top answers from where it stands.
    virtual int32_t BottomOnPage(int32_t aBandTop) const
    {
        return int32_t(std::clamp<int64_t>(int64_t(aBandTop) + mmTop() + SpaceUsed(), INT32_MIN, INT32_MAX));
    }
    // A text whose value a group can break on.
    virtual bool IsCustomText() const { return false; }

    // ---- Regions (answered by a region) ----
    virtual void RegionAddChild(TppComponent *) {}
    virtual void RegionRemoveChild(TppComponent *) {}
    virtual int RegionIndexOf(const TppComponent *) const { return -1; }
    virtual void RegionMoveChild(TppComponent *, bool /*aToFront*/) {}
    virtual rtl::TRect RegionRect() const;

    // ---- Band and region ----
    TppBand *Band() const { return m_band; }
    virtual void SetBand(TppBand *aBand);
    TppComponent *Region() const { return m_region; }
    // Takes nil or a region; anything else is ignored.
    virtual void SetRegion(TppComponent *aRegion);
    // The region when set, else the band.
    virtual TppCommunicator *GetParent() const;
    virtual TppComponent *GetNextSibling() const;
    // Thousandths: the region's rectangle, the band's (0, 0, width,
    // height), or the component's own bounds.
    virtual rtl::TRect GetParentRect() const;
    virtual void BringToFront();
    virtual void SendToBack();
    int GetZOrder() const override;
    TppBandType BandType() const { return m_bandType; }
    // The object's place when its band (or region) got ready to generate.
    // Print lists order by it rather than by where the object stands now: a
    // handler that moves objects while they generate would otherwise give
    // two of them one place, and a moved one no place at all.
    int GenerationIndex() const { return m_generationIndex; }
    void SetGenerationIndex(int aValue) { m_generationIndex = aValue; }
    int32_t GroupNo() const { return m_groupNo; }
    IppReportContext *Report() const;
    // True without band or report; else whether the main report's engine
    // makes its page for the first time.
    bool MainEnginePageCheck() const;

    // ---- Data ----
    bool ParentDataPipeline() const { return m_parentDataPipeline; }
    virtual void SetParentDataPipeline(bool aValue);
    void SetDataPipeline(TppDataPipeline *aPipeline) override;
    TppCommunicator *ResetGroup() const { return m_resetGroup; }
    // Registers for the group's end (event 27).
    virtual void SetResetGroup(TppCommunicator *aGroup);

    // ---- Geometry ----
    void SetmmLeft(int32_t aValue) override;
    void SetmmTop(int32_t aValue) override;
    void SetmmWidth(int32_t aValue) override;
    void SetmmHeight(int32_t aValue) override;
    void SetBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight) override;
    void SetParentWidth(bool aValue) override;
    void SetParentHeight(bool aValue) override;
    // Takes the parent's width, height or both as the flags ask.
    void FitToParent();

    // ---- Designer ----
    void CreateDesignControl() override;
    void PositionDesignControl() override;
    rtl::TRect GetSpClientRect() const override;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The registered position dialog filled with this object's place;
    // nullptr when no class is registered. The caller frees it.
    virtual TppCustomPositionDialog *CreatePositionDialog();
    virtual void ApplyPositionDialog(TppCustomForm &aDialog);
    // The Position item: the dialog, modal, then freed.
    void ShowPositionDialog();

    // ---- Report ----
    bool ReportPrinting() const override;
    IppDesignerSink *GetDesigner() const override;
    int GetLanguageIndex() const override;
    const PrinterResolution *GetPrinter() const override;
    void DesignChanged() override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;

    // ---- Streams ----
    void DefineProperties(classes::TFiler &aFiler) override;
    void ReadState(classes::TReader &aReader) override;
    bool HasParent() const override { return true; }
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *) override {}
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

private:
    friend class TppBand;
    bool designClamps() const;
    void setDesignAnchors(uint8_t aAnchors, bool aSet);

    TppBand *m_band = nullptr;
    TppBandType m_bandType = ppDetailBandType;
    int32_t m_groupNo = -1;
    int m_generationIndex = -1;
    bool m_parentDataPipeline = true;
    TppComponent *m_region = nullptr;
    TppCommunicator *m_resetGroup = nullptr;
    TppLiveCount<TppComponent> m_live;
};

// "Band" (writable), "BandType", "Index", "ParentIndex", "GroupNo",
// "NextSibling", "Parent" (read only), "ParentDataPipeline", "Region" and
// "ResetGroup" (writable).
class TraTppComponentRTTI : public TraRTTI
{
public:
    static const TraTppComponentRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppComponentRTTI();
};

} // namespace report
