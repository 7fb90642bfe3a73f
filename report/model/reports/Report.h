#pragma once

// TppReport: the report a program creates and prints. It keeps the engine's
// page states in a cache manager, hands every page the engine completes to
// the publisher, generates on the publisher's requests, keeps copies of
// final pages when asked to, and reads the properties of older stored
// reports.

#include "report/model/outline/Outline.h"
#include "report/model/outline/OutlineParticipant.h"
#include "report/model/reports/BandedReport.h"

#include <memory>
#include <vector>

namespace classes {
class TStrings;
} // namespace classes

namespace report {

class TppAutoSearchField;
class TppAutoSearchGroups;
class TppCacheManager;
class TppCustomAutoSearchDialog;
class TppOutlineReportSettings;
class TppSubReport;

class TppReport
    : public TppBandedReport
    , public IppOutlineParticipant
{
    ZVO_CLASS(TppReport)
public:
    explicit TppReport(classes::TComponent *aOwner = nullptr);
    ~TppReport() override;

    // Only a designer's report streams the modules kept for the designer.
    bool StreamsDesignOnlyModules() const override;
    TppCacheManager *CacheManager() const { return m_cacheManager.get(); }
    bool CachePages() const { return m_cachePages; }
    // Ignored during generation; a change discards the pages made so far.
    void SetCachePages(bool aValue);

    void PrintToDevices() override;
    void PublisherPageRequest(classes::TObject *Sender, classes::TObject *aPageRequest) override;
    void Cancel() override;
    // Unless generating, the outline goes too (the next run makes a new one).
    void Reset() override;
    void ReceivePageFromEngine() override;
    void InitializePipelines() override;
    void Convert(int32_t aVersionNo) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    // The language read with the report takes effect once it is loaded.
    void Loaded() override;
    void TransferRelatives(const TppProducer &aSource) override;

    // The report's place in a tree of subreports; a main report adds nothing.
    void GetTreeKey(QString &aKey) const override;
    // Hands the child report to OnTemplateLoad when one is set.
    void TemplateLoadRequest(TppCustomReport *aChildReport) override;
    // Told of each child report of the tree that loads its layout from its
    // template, before it does (its template's file or record may be set
    // here). Taken over with the report's contents.
    using TppTemplateLoadEvent = classes::TEvent<void(classes::TObject *Sender, TppCustomReport *aChildReport)>;
    TppTemplateLoadEvent OnTemplateLoad;
    // While a subreport generates, its child report (Cancel reaches it).
    TppCustomReport *GeneratingChildReport() const { return m_generatingChildReport; }
    void SetGeneratingChildReport(TppCustomReport *aReport) { m_generatingChildReport = aReport; }
    // Generation starts over from page aPageNo, keeping the states before it.
    void ResetFromPage(int aPageNo);
    // Over every report of the tree: 0 resets each engine; 1 and 2 set and
    // clear ExpandAll of every subreport that holds a child report of it.
    void ResetEngines(int aAction);
    // "<pipeline's UserName>: Report", so a designer tells reports apart by
    // the data they run on.
    QString GetCaption() const override;

    // ---- Auto-search ----
    // Asks the criteria first when ShowAutoSearchDialog is set; a dialog
    // the user leaves without OK prints nothing.
    void Print() override;
    // Shows the search dialog over the report's criteria; true when the
    // report may print (OK, or no dialog to show).
    bool ExecuteAutoSearchDialog() override;
    // A new criterion, named, listed last, announced by event 66.
    TppAutoSearchField *CreateAutoSearchCriteria(const QString &aDataPipelineName, const QString &aFieldName,
                                                 TppSearchOperatorType aOperator, const QString &aExpression,
                                                 bool aMandatory);
    // The first field of that pipeline and field name (without regard to
    // case), or nullptr.
    TppAutoSearchField *AutoSearchCriteriaByName(const QString &aDataPipelineName, const QString &aFieldName) const;
    // One line per field whose value is not empty.
    void GetAutoSearchDescriptionLines(classes::TStrings &aLines);
    // Every field's description, joined by blanks.
    QString AutoSearchDescription();
    int AutoSearchFieldCount() const { return int(m_autoSearchFields.size()); }
    // nullptr outside the list.
    TppAutoSearchField *AutoSearchFields(int aIndex) const;
    const std::vector<TppAutoSearchField *> &AutoSearchFieldList() const { return m_autoSearchFields; }
    TppCustomAutoSearchDialog *AutoSearchDialog() const { return m_autoSearchDialog; }
    // The report's list of fields: joining links the two, leaving unlinks;
    // each change resets the report. RemoveChild answers the former index.
    int AddChild(TppAutoSearchField *aField);
    void InsertChild(int aIndex, TppAutoSearchField *aField);
    int IndexOfChild(const TppAutoSearchField *aField) const;
    int RemoveChild(TppAutoSearchField *aField);

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot) override;

    // Each handler, then its event (72, 10, 11, 12).
    virtual void DoBeforeAutoSearchDialogCreate();
    virtual void DoAfterAutoSearchDialogCreate();
    virtual void DoOnAutoSearchDialogClose();
    virtual void DoOnGetAutoSearchValues();

    classes::TNotifyEvent AfterAutoSearchDialogCreate;
    classes::TNotifyEvent BeforeAutoSearchDialogCreate;
    classes::TNotifyEvent OnAutoSearchDialogClose;
    // Where the program hands the criteria to its pipelines: the library
    // applies none itself.
    classes::TNotifyEvent OnGetAutoSearchValues;

    // ---- Outline ----
    TppOutlineReportSettings *OutlineSettings() const { return m_outlineSettings.get(); }
    // Copies the settings.
    void SetOutlineSettings(const TppOutlineReportSettings *aValue);
    // The outline of the run, nullptr before the first page request.
    TppOutline *Outline() const { return m_outline.get(); }
    // Makes (and initialises) the outline when there is none.
    TppOutline *GetOutline();
    // With the outline enabled, the outline's command goes on the page.
    void AddOutlineDrawCommand() override;
    // Event 88 first ("Node", "Accept" bound to the caller's values), then
    // OnOutlineNodeCreate.
    void DoOnOutlineNodeCreate(TppOutlineNode *aNode, bool &aAccept);
    TppOutlineNodeCreateEvent OnOutlineNodeCreate;

    // ---- As an outline participant ----
    const std::vector<TppCommunicator *> &GetParticipants() override;
    TppCommunicator *GetParentParticipant() override { return nullptr; }
    const classes::TMetaClass &GetNodeCreatorClass() const override;
    TppOutlineSettings *GetOutlineSettings() const override;
    void OutlineChanged() override;

    // Read from older stored reports.
    const QString &LegacyDataSource() const { return m_legacyDataSource; }
    float LegacyRowSpacing() const { return m_legacyRowSpacing; }
    uint8_t LegacyOrientation() const { return m_legacyOrientation; }
    const QString &LegacyOnPrintingComplete() const { return m_legacyOnPrintingComplete; }

private:
    void connectEngineHooks();
    void freeAutoSearchDialog();
    // The source's criteria replace this report's, as its bands do.
    void transferAutoSearchFields(TppReport &aSource);

    std::vector<TppAutoSearchField *> m_autoSearchFields;
    TppCustomAutoSearchDialog *m_autoSearchDialog = nullptr;
    std::unique_ptr<TppAutoSearchGroups> m_autoSearchGroups;
    // Set while Print runs its auto-search step.
    bool m_autoSearchPrinting = false;

    std::unique_ptr<TppCacheManager> m_cacheManager;
    std::unique_ptr<TppOutlineReportSettings> m_outlineSettings;
    std::unique_ptr<TppOutline> m_outline;
    std::vector<TppCommunicator *> m_participants;
    TppCustomReport *m_generatingChildReport = nullptr;
    bool m_cachePages = false;
    QString m_legacyDataSource;
    float m_legacyRowSpacing = 0;
    uint8_t m_legacyOrientation = 0;
    QString m_legacyOnPrintingComplete;
};

// The report a subreport owns: pages, status, state and modification go to
// the report that holds the subreport.
class TppChildReport : public TppBandedReport
{
    ZVO_CLASS(TppChildReport)
public:
    explicit TppChildReport(classes::TComponent *aOwner = nullptr);
    // Leaves its subreport.
    ~TppChildReport() override;

    // The main report of the report whose band holds the subreport;
    // nullptr while no subreport on a report's band holds it.
    TppCustomReport *GetMainReport() override;
    // A child prints on its parent's pages and shows their numbers; only a
    // section that numbers its pages afresh shows its own.
    TppCustomEngine *PageNumberEngine() override;
    // The subreport's completed runs as "%8d" and "|", after the key of the
    // report that holds it.
    void GetTreeKey(QString &aKey) const override;
    // A subreport's child report is named in the main report, among all
    // the tree's subreports.
    QString GetUniqueUserName(classes::TComponent *aComponent) const override;
    // The subreport that holds the report. Tells the subreport it leaves
    // that it has no report any more and the one it joins that this is its
    // report.
    TppSubReport *Parent() const { return m_parent; }
    void SetParent(TppSubReport *aParent);
    // In a stream the child report is nested in its subreport's object.
    bool HasParent() const override { return true; }
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *aParent) override;
    // Its pages are the main report's: these go there.
    void Reset() override;
    void Cancel() override;
    void SetModified(bool aModified) override;
    void IncludeEngineState(int aBits) override;
    void ExcludeEngineState(int aBits) override;
    void TransferRelatives(const TppProducer &aSource) override;
    void PrinterSetupChanged() override;
    QString GetStatus() const override;
    void SetStatus(const QString &aText) override;
    QString GetCaption() const override;
    TppCustomReport *ParentReport() const override { return parentReport(); }

private:
    TppSubReport *parentSubReport() const;
    // The report whose band holds the subreport.
    TppCustomReport *parentReport() const;

    TppSubReport *m_parent = nullptr;
    bool m_drillDown = false;
    TppLiveCount<TppChildReport> m_live;
};

} // namespace report
