#pragma once

// TppBand: a horizontal strip of a page that holds report objects. It owns
// its objects (their order is the z-order, first at the back), keeps the
// texts to export and the variables to calculate in their orders, its
// height and height mode, its generation events and its link to the report.

#include "report/model/bands/Component.h"
#include "report/model/bands/ReportContext.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

class QTimer;

namespace report {

class TppCustomBand;

// A band's list of objects in an order of its own (the save and the
// calculation lists), each object once. Every text asks for its place in it
// as it prints and every object joins and leaves it, so the places are kept
// by object: a walk for each took n * n steps in a band of many fields.
// A place that an insertion or removal before it moved is put right when it
// is next asked for.
class TppBandObjectList
{
public:
    const std::vector<TppComponent *> &Items() const { return m_items; }
    int Count() const { return int(m_items.size()); }
    TppComponent *At(int aIndex) const { return m_items[size_t(aIndex)]; }
    // -1 when absent.
    int IndexOf(const TppComponent *aObject) const;
    // At aIndex (clamped), or appended for aIndex < 0; nothing for nullptr
    // or an object already in the list.
    void Insert(int aIndex, TppComponent *aObject);
    void Remove(const TppComponent *aObject);
    void Assign(std::vector<TppComponent *> aItems);
    void Clear();

private:
    std::vector<TppComponent *> m_items;
    // Every member's place, as it was when last known.
    mutable std::unordered_map<const TppComponent *, int> m_places;
    // Counts the changes that moved members; a band freed or filled from
    // the front puts places right one walk at a time, and refreshes them
    // all only once they are asked for repeatedly without a change between.
    uint64_t m_moves = 0;
    mutable uint64_t m_movesAsked = ~uint64_t(0);
    mutable int m_walks = 0;
};

class TppBand : public TppCacheable
{
    ZVO_CLASS(TppBand)
public:
    explicit TppBand(classes::TComponent *aOwner);
    // Frees its objects, each leaving the band as it goes.
    ~TppBand() override;

    // ---- What the band classes answer ----
    virtual int DefaultPrintCountMode() const { return 1; }
    // The band's ordering key ("%8d").
    virtual QString GetSortKey() const;
    // The band's kind bit in the engine's set of due bands.
    virtual int GetBandKind() const { return 0; }
    virtual bool UsesColumnWidth() const { return true; }
    virtual QString GetDefaultCaption() const { return QString(); }
    // The code objects of this band store; -1 leaves theirs unchanged.
    virtual int BandTypeCode() const { return -1; }
    // The group of a group band, else nullptr.
    virtual classes::TComponent *BandGroup() const { return nullptr; }
    virtual void Generate() {}
    // The band as the engine generates it, nullptr for a plain band: the
    // objects ask for it at every step of every record, which a type query
    // up this deep tree makes costly.
    virtual TppCustomBand *AsCustomBand() { return nullptr; }
    virtual bool PrintHook() { return false; }
    virtual void StartHook() {}

    // ---- Objects ----
    int ObjectCount() const { return int(m_objects.size()); }
    // Grows with every change of the object list (an object added, removed
    // or moved).
    uint64_t ObjectsChanges() const { return m_objectsChanges; }
    // EListError outside the list.
    TppComponent *Objects(int aIndex) const;
    int IndexOfObject(const TppComponent *aObject) const;
    // Exact comparison of component names; -1 when absent.
    int FindObject(const QString &aName) const;
    void AddObject(TppComponent *aObject);
    void RemoveObject(TppComponent *aObject);
    // aToIndex beyond the end means the end; EListError for a bad
    // aFromIndex.
    void MoveObject(int aFromIndex, int aToIndex);
    void BringObjectToFront(TppComponent *aObject);
    void SendObjectToBack(TppComponent *aObject);
    // The objects that are subreports, appended.
    void GetSubReports(std::vector<TppComponent *> &aList) const;

    // ---- Save and calculation lists ----
    int SaveCount() const { return m_saves.Count(); }
    TppComponent *Saves(int aIndex) const;
    int IndexOfSave(const TppComponent *aObject) const;
    void AddSave(TppComponent *aObject);
    void InsertSave(int aIndex, TppComponent *aObject);
    void RemoveSave(TppComponent *aObject);
    int VariableCount() const { return m_variables.Count(); }
    TppComponent *Variables(int aIndex) const;
    int IndexOfVariable(const TppComponent *aObject) const;
    void AddVariable(TppComponent *aObject);
    void InsertVariable(int aIndex, TppComponent *aObject);
    void RemoveVariable(TppComponent *aObject);

    // ---- Report ----
    IppReportContext *Report() const { return m_report; }
    virtual void SetReport(IppReportContext *aReport);
    virtual TppDataPipeline *GetDataPipeline() const;
    // The report's column width for a column band of a multi-column
    // report, else the page's printable width; 0 without report.
    int32_t BandWidth() const;
    const PrinterResolution *Printer() const;
    int LanguageIndex() const;
    int Index() const;
    void SendDesignerMessage(int aMsg, classes::TObject *aLParam);
    void PostDesignerMessage(int aMsg, classes::TObject *aLParam);
    // The report's re-layout.
    void ReportRefresh();

    // ---- Geometry and settings ----
    int32_t mmHeight() const { return m_mmHeight; }
    // The height rule: refused at 0 with objects and beyond the page for
    // a static band; objects that would stick out move up.
    void SetmmHeight(int32_t aValue);
    float Height() const;
    void SetHeight(float aValue);
    int32_t mmBottomOffset() const { return m_mmBottomOffset; }
    void SetmmBottomOffset(int32_t aValue);
    float BottomOffset() const;
    void SetBottomOffset(float aValue);
    int32_t mmPrintPosition() const { return m_mmPrintPosition; }
    void SetmmPrintPosition(int32_t aValue);
    float PrintPosition() const;
    void SetPrintPosition(float aValue);
    int32_t PrintCount() const { return m_printCount; }
    void SetPrintCount(int32_t aValue);
    int PrintCountMode() const { return m_printCountMode; }
    TppPrintHeightType PrintHeight() const { return m_printHeight; }
    virtual void SetPrintHeight(TppPrintHeightType aValue);
    TppUnitType Units() const { return m_units; }
    void SetUnits(TppUnitType aValue);
    bool Visible() const { return m_visible; }
    void SetVisible(bool aValue);
    bool Save() const { return m_save; }
    void SetSave(bool aValue);
    bool DrawPage() const { return m_drawPage; }
    void SetDrawPage(bool aValue) { m_drawPage = aValue; }
    bool LastBand() const { return m_lastBand; }
    void SetLastBand(bool aValue) { m_lastBand = aValue; }
    const QString &Caption() const { return m_caption; }
    virtual void SetCaption(const QString &aCaption);
    int CaptionIndex() const { return m_captionIndex; }
    const QString &LegacyEventName() const { return m_legacyEventName; }

    // ---- Designer ----
    // Made when the report is designed: the designer hands over the band's
    // control and ruler when the band asks (message 1137), and each object
    // makes its own.
    void CreateDesignControl();
    void FreeDesignControl();
    IppDesignControl *BandDesignControl() const { return m_bandDesignControl.get(); }
    void SetBandDesignControl(std::unique_ptr<IppDesignControl> aControl);
    IppDesignControl *DesignRuler() const { return m_designRuler.get(); }
    void SetDesignRuler(std::unique_ptr<IppDesignControl> aRuler);
    // Where the band starts on the design surface, in screen pixels.
    int DesignOffset() const { return m_designOffset; }
    void SetDesignOffset(int aOffset);
    // The objects whose design controls stand on the band, by the bottom of
    // their controls, the highest first.
    std::vector<TppComponent *> DesignPositions() const;
    void RecordDesignPosition(TppComponent *aObject);
    virtual void BuildPopupMenu(IppPopupMenu &aMenu);
    virtual void UpdatePopupMenu(IppPopupMenu &aMenu);
    // The band's control: a bar below the band with its caption.
    virtual void PaintBandDesignControl(gfx::Canvas &aCanvas);
    // The band's height in screen pixels.
    int spHeight() const;

    // ---- Events ----
    virtual void DoBeforePrint();
    virtual void DoAfterPrint();
    virtual void DoBeforeGenerate();
    virtual void DoAfterGenerate();
    classes::TNotifyEvent AfterGenerate;
    classes::TNotifyEvent AfterPrint;
    classes::TNotifyEvent BeforeGenerate;
    classes::TNotifyEvent BeforePrint;

    // ---- Forwarded to every object ----
    virtual void InitObjects();
    virtual void ComputeLookAheads();
    virtual void FreeLookAheads();
    virtual void ResetHookAll();
    virtual void BandHookAll();
    virtual void ResolveDataPipelines(const TppDataPipelineList &aList);
    virtual void ReplaceDataPipeline(TppDataPipeline *aPipeline, const QString &aName);
    void ReplaceDataField(TppDataPipeline *aPipeline, const QString &aOldName, const QString &aNewName);
    virtual void UpdateCaption();
    // Fits the objects to the band; while the band is read, or its report
    // is read or freed, it waits for the band's Loaded.
    virtual void UpdateLayout();
    // An object of the band now fits itself to the band, or no longer.
    void FittingChanged() { m_fittingChanges = ~uint64_t(0); }
    void Loaded() override;

    // ---- Communicator and streams ----
    void IncludeState(TppCommunicatorState aState) override;
    void ExcludeState(TppCommunicatorState aState) override;
    void PropertyChange() override;
    void ChangeOwner(classes::TComponent *aNewOwner) override;
    bool IsValidUserName(const QString &) const override { return true; }
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    void ReadState(classes::TReader &aReader) override;
    bool HasParent() const override { return true; }
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *aParent) override;
    void GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot) override;
    virtual void Convert(int aVersionNo);
    // An old band's calculations wait for the conversion timer (the default
    // interval of a second).
    bool CalcConversionPending() const { return m_calcConversionTimer != nullptr; }
    // What the timer does when it fires: it goes, and the band's TppCalc
    // objects become system variables and variables.
    void ConvertCalcs();

protected:
    void SetCaptionIndex(int aIndex) { m_captionIndex = aIndex; }

private:
    // The published event, then the numbered one unless the handler freed
    // the band.
    void fireBandEvent(const classes::TNotifyEvent &aEvent, int aEventID);
    void forgetDesignPosition(const TppComponent *aObject);
    void placeBandDesignControls();
    void showCalcOrderDialog();
    void showBandPositionDialog();
    void rebuildSaves();
    void rebuildVariables();
    template <class Op>
    void forEachObject(Op aOp);
    bool reading() const { return HasState(classes::csReading); }
    float fromMM(int32_t aValue) const;
    int32_t toMM(float aValue) const;

    int32_t m_mmBottomOffset = 0;
    QString m_caption;
    int m_captionIndex = 0;
    bool m_drawPage = false;
    int32_t m_mmHeight = 13229;
    bool m_lastBand = false;
    std::vector<TppComponent *> m_objects;
    // Counts the changes of m_objects: a walk over a copy of the list looks
    // up whether an object is still there only once the list has changed.
    uint64_t m_objectsChanges = 0;
    bool m_layoutPending = false;
    // The objects of m_objects, for telling a member without a walk: each
    // object added would otherwise be looked for among all before it.
    std::unordered_set<const TppComponent *> m_objectSet;
    // The places of the objects, for the engine, which asks for each object's
    // place as it prints it: a walk for each took n * n steps a band. Made
    // once the list has not changed over a few asks, so that a band freed
    // object by object does not make it again for each.
    mutable std::unordered_map<const TppComponent *, int> m_indexOf;
    mutable uint64_t m_indexOfChanges = ~uint64_t(0);
    mutable uint64_t m_indexOfAsked = ~uint64_t(0);
    mutable int m_indexOfWalks = 0;
    // The objects that fit themselves to the band (ParentWidth or
    // ParentHeight), the only ones a layout changes: it is asked for after
    // every change of every object, and a walk over all took n * n steps
    // for a band built object by object. Current while m_fittingChanges is
    // m_objectsChanges; an object added is added here as well.
    std::vector<TppComponent *> m_fitting;
    uint64_t m_fittingChanges = ~uint64_t(0);
    int32_t m_printCount = 0;
    TppPrintHeightType m_printHeight = TppPrintHeightType::phStatic;
    int32_t m_mmPrintPosition = 0;
    int m_printCountMode = 1;
    IppReportContext *m_report = nullptr;
    TppCommunicator *m_reportObject = nullptr; // the report as a communicator, for its removal notice
    bool m_save = false;
    TppBandObjectList m_saves;
    TppUnitType m_units = TppUnitType::utInches;
    TppBandObjectList m_variables;
    bool m_visible = true;
    QString m_legacyEventName;
    TppDesignControlHolder m_bandDesignControl;
    TppDesignControlHolder m_designRuler;
    // Runs the conversion of an old band's calculations once the stream has
    // been read whole and the program's loop comes round.
    std::unique_ptr<QTimer> m_calcConversionTimer;
    int m_designOffset = 0;
    std::vector<std::pair<int, TppComponent *>> m_designPositions;
    TppLiveCount<TppBand> m_live;
};

// Replaces the old calculation controls of a band stored before 3999 by the
// controls that took their place; the content layer, which knows both,
// installs it at start-up. Without one they stay as loaded.
using TppBandCalcConversion = void (*)(TppBand &aBand);
void ppSetBandCalcConversion(TppBandCalcConversion aConversion);
TppBandCalcConversion ppBandCalcConversion();

} // namespace report
