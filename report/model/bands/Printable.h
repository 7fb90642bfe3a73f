#pragma once

// TppPrintable: the ancestor of every object that puts something on a page.
// It keeps the object's geometry in thousandths of a millimetre (shown in
// Units), its font, colour and text, its binding to a pipeline field, the
// flags the engine reads and writes while it generates, and the step that
// turns the object into a draw command on a page. Designer hooks are kept
// as state flags and messages to the report's designer sink.

#include "report/model/bands/DesignControls.h"
#include "report/model/bands/DesignerSink.h"
#include "report/model/base/Font.h"
#include "report/model/base/Types.h"
#include "report/model/base/Units.h"
#include "report/model/data/Cacheable.h"

#include "platform/classes/EnumTypes.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/Types.h"

#include <QImage>
#include <QString>

#include <memory>

namespace classes {
class TFiler;
class TReader;
class TStrings;
} // namespace classes

namespace report {

class TppDataPipeline;
class TppDataPipelineList;
class TppDrawCommand;
class TppPage;

using TppDrawCommandEvent = classes::TEvent<void(classes::TObject *Sender, classes::TObject *aDrawCommand)>;

// The editor a designer offers for the default property.
using TppPropEditType = uint8_t;

class TppPrintable : public TppCacheable
{
    ZVO_CLASS(TppPrintable)
public:
    explicit TppPrintable(classes::TComponent *aOwner);
    ~TppPrintable() override;

    // ---- Kind of object (answered by the descendants) ----
    virtual bool IsDataAware() const { return false; }
    virtual bool HasColor() const { return true; }
    virtual bool HasFont() const { return true; }
    virtual bool SupportsFullJustify() const { return false; }
    virtual bool ResetOnInit() const { return false; }
    virtual bool CanPrint() const { return true; }
    // The class of the draw commands the object makes; nullptr for none.
    const classes::TMetaClass *DrawCommandClass() const { return m_drawCommandClass; }

    // ---- Generation ----
    virtual void Init();
    virtual void Reset() { m_resetOnCompute = true; }
    virtual void ResetGeneration();
    virtual void InitDrawComponent();
    virtual void ClearDrawComponent();
    // One generation step on the current page; the base makes none.
    virtual void Generate() {}
    virtual void Compute() {}
    virtual void ComputeLookAhead() {}
    virtual void FreeLookAhead() {}
    virtual void ResetHook() {}
    virtual void BandHook() {}
    virtual void SubReportHook() {}
    virtual void ReportHook() {}
    virtual void DesignerTextHook() {}
    virtual void DesignHook() {}
    virtual void PrintToPage(TppPage *aPage);
    // Makes, fills and places the draw command; nullptr without a class.
    virtual TppDrawCommand *CreateDrawCommand(TppPage *aPage);
    virtual void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand);
    // Handler and subscribers of a click on one of the object's commands.
    virtual void DrawCommandClick(classes::TObject *aDrawCommand);
    // Fires OnPrint, then event 32.
    void DoOnPrint();
    // Whether the data field can be read now.
    virtual bool CheckForPipelineData();

    // ---- Report and designer ----
    virtual bool ReportPrinting() const { return false; }
    virtual IppDesignerSink *GetDesigner() const { return nullptr; }
    virtual int GetLanguageIndex() const { return 0; }
    virtual const PrinterResolution *GetPrinter() const { return nullptr; }
    virtual void DesignChanged() {}
    virtual void AdjustSize() { InvalidateDesignControl(); }
    // An object that shows tab stops (a memo) shows them again; nothing
    // here.
    virtual void RefreshTabStops() {}
    virtual void BoundsChange();
    virtual void FontChange();
    virtual void InvalidateDesignControl();
    virtual void PositionDesignControl() {}
    virtual void CreateDesignControl();
    virtual void FreeDesignControl();
    bool InDesignState() const { return HasCommunicatorState(ppState::Design); }
    // The control that shows the object in a designer; the designer hands
    // it over when the object asks for one, and the object owns it.
    IppDesignControl *DesignControl() const { return m_designControl.get(); }
    void SetDesignControl(std::unique_ptr<IppDesignControl> aControl);
    // The designer's handles around the selected object, owned.
    IppSelectionObject *SelectionObject() const { return m_selectionObject.get(); }
    void SetSelectionObject(std::unique_ptr<IppSelectionObject> aSelection);
    // Design painting through an off-screen picture, kept until the object
    // changes.
    virtual bool BufferedDesignPaint() const { return true; }
    virtual void PaintDesignControl(gfx::Canvas &aCanvas);
    // The design control's paint handler.
    void DesignControlPaint(gfx::Canvas &aCanvas);
    // The off-screen picture, (spWidth, spHeight) large.
    QImage &GetBitmap();
    // Menus: the base builds none and binds none.
    virtual void BuildPopupMenu(IppPopupMenu &) {}
    virtual void UpdatePopupMenu(IppPopupMenu &) {}
    void SendDesignerMessage(int aMsg, classes::TObject *aLParam);
    void PostDesignerMessage(int aMsg, classes::TObject *aLParam);

    // ---- Texts ----
    virtual QString GetCaption();
    void SetCaption(const QString &aCaption);
    virtual QString GetText() const { return m_text; }
    virtual void SetText(const QString &aText);
    virtual QString GetDefaultPropHint() const;
    virtual QString GetDescription() const { return UserName(); }
    virtual QString GetClassDescription() const { return ClassName(); }

    // ---- Data ----
    virtual TppDataPipeline *GetDataPipeline() const { return m_dataPipeline; }
    TppDataPipeline *DataPipeline() const { return m_dataPipeline; }
    virtual void SetDataPipeline(TppDataPipeline *aPipeline);
    const QString &DataField() const { return m_dataField; }
    void SetDataField(const QString &aField);
    // The pipeline name a stream gave, until it is resolved.
    const QString &DataPipelineName() const { return m_dataPipelineName; }
    void SetDataPipelineName(const QString &aName) { m_dataPipelineName = aName; }
    virtual void ResolveDataPipeline(const TppDataPipelineList &aList);
    virtual void ReplaceDataPipeline(TppDataPipeline *aPipeline, const QString &aName);
    virtual void ReplaceDataField(TppDataPipeline *aPipeline, const QString &aOldName, const QString &aNewName);
    virtual void GetDataPipelines(std::vector<TppDataPipeline *> &aList) const;
    TppDataPipeline *LookupPipeline() const { return nullptr; }

    // ---- Geometry, thousandths of a millimetre ----
    int32_t mmLeft() const { return m_mmLeft; }
    int32_t mmTop() const { return m_mmTop; }
    int32_t mmWidth() const { return m_mmWidth; }
    int32_t mmHeight() const { return m_mmHeight; }
    virtual void SetmmLeft(int32_t aValue);
    virtual void SetmmTop(int32_t aValue);
    virtual void SetmmWidth(int32_t aValue);
    virtual void SetmmHeight(int32_t aValue);
    virtual void SetBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight);
    // In Units; values that are no number change nothing.
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void SetLeft(float aValue);
    void SetTop(float aValue);
    void SetWidth(float aValue);
    void SetHeight(float aValue);
    // In screen pixels.
    int32_t spLeft() const;
    int32_t spTop() const;
    int32_t spWidth() const;
    int32_t spHeight() const;
    void SetspLeft(int32_t aValue);
    void SetspTop(int32_t aValue);
    void SetspWidth(int32_t aValue);
    void SetspHeight(int32_t aValue);
    void SetSpBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight);
    virtual rtl::TRect GetSpClientRect() const;
    float FromMMThousandths(int32_t aValue, TppUnitType aUnits, TppAxisType aAxis) const;
    int32_t ToMMThousandths(float aValue, TppUnitType aUnits, TppAxisType aAxis) const;
    virtual int GetZOrder() const { return 0; }

    // ---- Appearance ----
    classes::TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(classes::TAlignment aValue);
    TppTextAlignment TextAlignment() const { return m_textAlignment; }
    void SetTextAlignment(TppTextAlignment aValue);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool aValue);
    rtl::TColor Color() const { return m_color; }
    void SetColor(rtl::TColor aValue);
    TppFont *Font() const { return m_font.get(); }
    void SetFont(const classes::TFont *aFont);
    bool ForceJustifyLastLine() const { return m_forceJustifyLastLine; }
    void SetForceJustifyLastLine(bool aValue);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool aValue);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool aValue);
    bool Visible() const { return m_visible; }
    void SetVisible(bool aValue) { m_visible = aValue; }
    TppUnitType Units() const { return m_units; }
    virtual void SetUnits(TppUnitType aValue) { m_units = aValue; }
    void GetColor(rtl::TColor &aColor, bool &aTransparent) const;
    void GetFontColor(rtl::TColor &aColor, bool &aTransparent) const;
    void SetBackground(rtl::TColor aColor, bool aTransparent);
    void SetFontColor(rtl::TColor aColor);
    virtual void SetPenWidth(int) {}

    // ---- Layout flags ----
    bool ParentHeight() const { return m_parentHeight; }
    virtual void SetParentHeight(bool aValue) { m_parentHeight = aValue; }
    bool ParentWidth() const { return m_parentWidth; }
    virtual void SetParentWidth(bool aValue) { m_parentWidth = aValue; }
    bool ShiftWithParent() const { return m_shiftWithParent; }
    virtual void SetShiftWithParent(bool aValue);
    bool StretchWithParent() const { return m_stretchWithParent; }
    virtual void SetStretchWithParent(bool aValue);
    bool ReprintOnOverFlow() const { return m_reprintOnOverFlow; }
    virtual void SetReprintOnOverFlow(bool aValue);

    // ---- Generation flags ----
    bool DrawComponent() const { return m_drawComponent; }
    void SetDrawComponent(bool aValue) { m_drawComponent = aValue; }
    bool GenerationComplete() const { return m_generationComplete; }
    void SetGenerationComplete(bool aValue) { m_generationComplete = aValue; }
    bool OutOfSpace() const { return m_outOfSpace; }
    void SetOutOfSpace(bool aValue) { m_outOfSpace = aValue; }
    bool OverFlow() const { return m_overFlow; }
    void SetOverFlow(bool aValue) { m_overFlow = aValue; }
    bool ResetOnCompute() const { return m_resetOnCompute; }
    void SetResetOnCompute(bool aValue) { m_resetOnCompute = aValue; }
    int32_t SpaceUsed() const { return m_spaceUsed; }
    void SetSpaceUsed(int32_t aValue) { m_spaceUsed = aValue; }

    // ---- Designer's view of the default property ----
    const QString &DefaultPropName() const { return m_defaultPropName; }
    TppPropEditType DefaultPropEditType() const { return m_defaultPropEditType; }

    // Values of older streams.
    const QString &LegacyRegionName() const { return m_legacyRegionName; }
    const QString &LegacyReportField() const { return m_legacyReportField; }

    // ---- Streams and conversion ----
    void DefineProperties(classes::TFiler &aFiler) override;
    void ReadState(classes::TReader &aReader) override;
    void Loaded() override;
    void SetName(const QString &aNewName) override;
    void SetUserName(const QString &aUserName) override;
    void StateChange(TppCommunicatorState aState) override;
    void PropertyChange() override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    // Brings an object stored by an older version up to date.
    virtual void Convert(int aVersionNo);

    // ---- Events ----
    TppDrawCommandEvent OnDrawCommandCreate;
    TppDrawCommandEvent OnDrawCommandClick;
    classes::TNotifyEvent OnPrint;

protected:
    // Set by each control's constructor.
    void SetDrawCommandClass(const classes::TMetaClass *aClass) { m_drawCommandClass = aClass; }
    // Data-aware descendants call it from their constructors.
    void MakeDataAware();
    // The property the designer edits first, and how.
    void SetDefaultProp(const QString &aName, TppPropEditType aEditType)
    {
        m_defaultPropName = aName;
        m_defaultPropEditType = aEditType;
    }
    bool designerQuiet() const;
    bool loadingOrReading() const;

private:
    void storeBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight);
    void fieldCaption();
    void setByUnits(float aValue, TppAxisType aAxis, int32_t &aField, void (TppPrintable::*aSetter)(int32_t));

    classes::TAlignment m_alignment = classes::TAlignment::taLeftJustify;
    bool m_autoSize = false;
    QString m_caption;
    rtl::TColor m_color = 0xFFFFFF;
    QString m_dataField;
    TppDataPipeline *m_dataPipeline = nullptr;
    QString m_dataPipelineName;
    TppPropEditType m_defaultPropEditType = 1;
    QString m_defaultPropName;
    const classes::TMetaClass *m_drawCommandClass = nullptr;
    bool m_drawComponent = false;
    std::unique_ptr<TppFont> m_font;
    bool m_forceJustifyLastLine = false;
    bool m_generationComplete = false;
    int32_t m_mmHeight = 0;
    int32_t m_mmLeft = 0;
    bool m_outOfSpace = false;
    bool m_overFlow = false;
    bool m_parentHeight = false;
    bool m_parentWidth = false;
    bool m_reprintOnOverFlow = false;
    bool m_resetOnCompute = false;
    int32_t m_lastHeight = 0;
    int32_t m_lastWidth = 0;
    bool m_shiftWithParent = false;
    int32_t m_spaceUsed = 0;
    bool m_stretchWithParent = false;
    QString m_text;
    TppTextAlignment m_textAlignment = TppTextAlignment::taLeftJustified;
    int32_t m_mmTop = 0;
    bool m_transparent = false;
    TppUnitType m_units = TppUnitType::utInches;
    bool m_visible = true;
    int32_t m_mmWidth = 0;
    bool m_wordWrap = false;
    QString m_legacyRegionName;
    QString m_legacyReportField;
    TppDesignControlHolder m_designControl;
    std::unique_ptr<IppSelectionObject> m_selectionObject;
    std::unique_ptr<QImage> m_designBitmap;
    bool m_designPictureValid = false;
    TppLiveCount<TppPrintable> m_live;
};

} // namespace report
