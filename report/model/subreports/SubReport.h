#pragma once

// TppSubReport: a stretching component that owns a child report and prints
// it while its parent report generates. As a child (pbChild) the child's
// pages fill the subreport's rectangle one after another, continuing over as
// many parent pages as they need; as a fixed frame (pbFixed) one child page
// fills a rectangle of the design size; as sections (pbSection) the child's
// pages take the place of the parent's pages. The child's draw commands are
// moved onto the parent's page, shifted to where the subreport stands.
//
// A drill-down subreport prints only once the user has clicked its
// component on the parent's page; each instance of it in the report's run
// is named by an expansion key.

#include "report/model/bands/Stretchable.h"
#include "report/model/base/Types.h"
#include "report/model/outline/OutlineParticipant.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace report {

class TppChildReport;
class TppCustomEngine;
class TppCustomReport;
class TppDevice;
class TppEngine;

class TppOutlineSettings;

class TppSubReport
    : public TppStretchable
    , public IppOutlineParticipant
{
    ZVO_CLASS(TppSubReport)
public:
    explicit TppSubReport(classes::TComponent *aOwner = nullptr);
    // Frees the section's printer device and the child report.
    ~TppSubReport() override;

    // ---- The child report ----
    TppChildReport *Report() const { return m_report; }
    // Makes the child report when the subreport is on a band of a report
    // and has none yet.
    void CreateReport();
    // The child report tells the subreport it joins (or leaves) it.
    void SetReport(TppChildReport *aReport);
    // The report whose band holds the subreport, nullptr for none.
    TppCustomReport *ParentReport() const;

    // ---- Properties ----
    TppPrintBehaviorType PrintBehavior() const { return m_printBehavior; }
    void SetPrintBehavior(TppPrintBehaviorType aValue);
    bool NewPrintJob() const { return m_newPrintJob; }
    void SetNewPrintJob(bool aValue);
    bool ResetPageNo() const { return m_resetPageNo; }
    void SetResetPageNo(bool aValue);
    bool ParentPrinterSetup() const { return m_parentPrinterSetup; }
    void SetParentPrinterSetup(bool aValue);
    bool TraverseAllData() const { return m_traverseAllData; }
    void SetTraverseAllData(bool aValue) { m_traverseAllData = aValue; }
    TppComponent *DrillDownComponent() const;
    void SetDrillDownComponent(TppComponent *aComponent);
    bool ExpandAll() const { return m_expandAll; }
    void SetExpandAll(bool aValue);
    void SetParentWidth(bool aValue) override;
    void SetShiftRelativeTo(TppStretchable *aTarget) override;
    void SetRegion(TppComponent *aRegion) override;
    void SetDataPipeline(TppDataPipeline *aPipeline) override;
    // A pipeline a stream named on the subreport itself, when the child
    // report names none.
    void ResolveDataPipeline(const TppDataPipelineList &aList) override;
    void SetBand(TppBand *aBand) override;
    // The child report goes along: it is part of the subreport wherever the
    // subreport is kept.
    void ChangeOwner(classes::TComponent *aNewOwner) override;

    // ---- Outline ----
    TppOutlineSettings *OutlineSettings() const { return m_outlineSettings.get(); }
    // Copies the settings.
    void SetOutlineSettings(const TppOutlineSettings *aValue);
    // The child report's participants.
    const std::vector<TppCommunicator *> &GetParticipants() override;
    // Among the participants of the child report's main report.
    TppCommunicator *GetParentParticipant() override;
    const classes::TMetaClass &GetNodeCreatorClass() const override;
    TppOutlineSettings *GetOutlineSettings() const override { return m_outlineSettings.get(); }
    // The child report's pages go.
    void OutlineChanged() override;

    // ---- Drill-down ----
    // The keys of the instances the user opened.
    const QStringList &Expansions() const { return m_expansions; }
    // The key of the current instance: the parent report's place in the
    // tree of subreports, then the completed runs as "%8d".
    QString CurrentExpansionKey() const;
    // The child report's place in the tree of subreports, '' without one.
    QString CurrentReportKey() const;
    bool DrillDownExpanded() const;
    // Opens a closed instance and closes an open one, then has the report
    // made again from page aPageNo (the page of the click) so that the
    // change shows.
    void ToggleExpansion(const QString &aKey, int aPageNo = 1);

    // ---- Bookkeeping ----
    int ChildPageNo() const { return m_childPageNo; }
    int ChildPageCount() const { return m_childPageCount; }
    int RunsCompleted() const { return m_runsCompleted; }
    bool ChildStarted() const { return m_childStarted; }
    bool SectionStarted() const { return m_sectionStarted; }
    // Whether every object of the band from the first is a section
    // subreport (worked out as generation starts).
    bool AllSections() const { return m_allSections; }

    // ---- Overrides ----
    bool IsSubReport() const override { return true; }
    bool IsSectionSubReport() const override { return m_printBehavior == TppPrintBehaviorType::pbSection; }
    bool CanPrint() const override { return false; }
    // A fixed frame that goes through all its data continues the band on
    // the next page, as a stretching object does.
    bool StretchesBand() const override
    {
        return TppStretchable::StretchesBand() ||
               (m_printBehavior == TppPrintBehaviorType::pbFixed && m_traverseAllData);
    }
    void CalcSpaceUsed() override;
    // After the placement: a fixed frame prints its child page, a section
    // puts its child page in place of the parent's.
    void Generate() override;
    void Init() override;
    void ResetGeneration() override;
    void PrintToPage(TppPage *aPage) override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;
    void CacheReset() override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void EventNotify(TppCommunicator *aSender, int aEventId, TraParamList *aParams) override;
    void GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot) override;
    // The child report's: the main report's run starts them with its own.
    void GetDataPipelines(std::vector<TppDataPipeline *> &aList) const override;
    void Loaded() override;
    QString GetCaption() override;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The registered drill-down dialog: the band's other printing objects,
    // none first; its OK sets the drill-down component.
    void ShowDrillDownDialog();

private:
    TppEngine *childEngine() const;
    bool loadingNow() const;
    // The child's page takes the rectangle, margins 0.
    void fitChildPage(int32_t aWidth, int32_t aHeight);
    void startChild();
    // One child page; false when the child's engine stopped.
    bool generateChildPage();
    void calcChild();
    void generateFixed();
    // The page position of the fixed frame's foot where it prints now.
    int32_t fixedFrameStop() const;
    void generateSection();
    // A section's pages are pages of their own: the first header of each
    // of the child's NewPage groups has had its page break.
    void markNewPageHeaders();
    // Whether a section starting now runs its child from the beginning.
    bool sectionRestartsChild() const;
    // A section's child page replaces the parent engine's page.
    void placeSectionPage(TppCustomEngine &aParentEngine);
    void refreshSectionRecords(int aParentPage);
    void endSection();
    void startSectionJob();
    void endSectionJob();
    void moveChildCommands(TppPage *aPage, int32_t aLeft, int32_t aTop);
    void takeDrillDownEvents(TppComponent *aComponent);
    void releaseDrillDownEvents(TppComponent *aComponent);

    TppChildReport *m_report = nullptr;
    TppPrintBehaviorType m_printBehavior = TppPrintBehaviorType::pbChild;
    bool m_newPrintJob = false;
    bool m_resetPageNo = true;
    bool m_parentPrinterSetup = true;
    bool m_traverseAllData = false;
    TppComponent *m_drillDownComponent = nullptr;
    QString m_drillDownName;
    bool m_expandAll = false;
    QStringList m_expansions;

    int m_childPageNo = 1;
    int m_childPageCount = 0;
    // With the count: a page made again may follow one on which a later
    // run of the child came to its end and knew its pages.
    bool m_childPageCountKnown = false;
    int m_childAbsolutePage = -1;
    bool m_childStarted = false;
    bool m_childDone = false;
    bool m_closedRun = false;
    bool m_childFinished = false;
    bool m_sectionStarted = false;
    int m_runsCompleted = 0;
    bool m_allSections = false;
    // A child page is ready to move onto the parent's page.
    bool m_childPagePending = false;
    // The section placed its last page; the parent's page ends with it.
    bool m_sectionEnded = false;
    std::unique_ptr<TppDevice> m_sectionDevice;
    TppLiveCount<TppSubReport> m_live;
    std::unique_ptr<TppOutlineSettings> m_outlineSettings;
    std::vector<TppCommunicator *> m_participants;
};

} // namespace report
