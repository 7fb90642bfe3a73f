#pragma once

// TppGroup: splits a report's records into groups. A group breaks when its
// break value (a field of its pipeline, the text of a text object, or what
// its OnGetBreakValue handler makes of either) changes; it then prints its
// footer and header again. It carries the rules for breaking to a new page
// or column, for reprinting its header, for keeping a group on one page,
// and records on which page and column the current group started and where
// it ended, per page in the cache.

#include "report/model/base/Types.h"
#include "report/model/base/Units.h"
#include "report/model/data/Cacheable.h"
#include "report/model/outline/OutlineParticipant.h"

#include "platform/classes/PropInfo.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace report {

class IppReportContext;
class TppCacheManager;
class TppComponent;
class TppCustomBand;
class TppCustomEngine;
class TppDataPipeline;
class TppDataPipelineList;
class TppGroupFooterBand;
class TppGroupHeaderBand;
class TppPage;

class TppGroup;

// A text a group can break on keeps the groups breaking on it, so that its
// renaming and its freeing reach them.
class IppGroupBreakText
{
public:
    virtual void AddGroup(TppGroup *aGroup) = 0;
    virtual void RemoveGroup(TppGroup *aGroup) = 0;

protected:
    ~IppGroupBreakText() = default;
};

using TppGetBreakValueEvent = classes::TEvent<void(classes::TObject *Sender, QString &aBreakValue)>;

class TppGroup
    : public TppCacheable
    , public IppOutlineParticipant
{
    ZVO_CLASS(TppGroup)
public:
    explicit TppGroup(classes::TComponent *aOwner = nullptr);
    // Frees the bands still linked to it.
    ~TppGroup() override;

    // ---- Report and bands ----
    IppReportContext *Report() const { return m_report; }
    void SetReport(IppReportContext *aReport);
    TppGroupHeaderBand *HeaderBand() const { return m_headerBand; }
    void SetHeaderBand(TppGroupHeaderBand *aBand);
    TppGroupFooterBand *FooterBand() const { return m_footerBand; }
    void SetFooterBand(TppGroupFooterBand *aBand);
    void UpdateBandCaptions();
    // The index in the report's group list, -1 without report.
    int GroupNo() const;
    QString Description();
    TppCustomEngine *PageEngine() const;

    // ---- Break ----
    TppBreakType BreakType() const { return m_breakType; }
    void SetBreakType(TppBreakType aValue);
    const QString &BreakName() const { return m_breakName; }
    void SetBreakName(const QString &aValue);
    // The text object named by BreakName (custom-field groups).
    TppComponent *BreakComponent();
    const QString &BreakValue() const { return m_breakValue; }
    const QString &PriorValue() const { return m_priorValue; }
    // The break value as it is now.
    QString GetBreakValue();
    QString CurrentValue() { return GetBreakValue(); }
    // The break value of the record the data stands on now (after a
    // traversal, or when a page is generated again from its saved state).
    void UpdateBreakValue();
    // The test at each record: true when the group breaks.
    bool CheckForBreak();
    // Breaks whatever the value says (an outer group broke, the data ended).
    void MarkBroken();
    bool Breaking() const { return m_breaking; }
    int BreakNo() const { return m_breakNo; }
    TppDataPipeline *DataPipeline() const { return m_dataPipeline; }
    void SetDataPipeline(TppDataPipeline *aPipeline);
    const QString &DataPipelineName() const { return m_dataPipelineName; }
    void ResolveDataPipeline(const TppDataPipelineList &aList);
    void ReplaceDataPipeline(TppDataPipeline *aPipeline, const QString &aName);
    void ReplaceDataField(TppDataPipeline *aPipeline, const QString &aOldName, const QString &aNewName);

    // ---- Rules ----
    bool KeepTogether() const { return m_keepTogether; }
    void SetKeepTogether(bool aValue);
    bool NewPage() const { return m_newPage; }
    void SetNewPage(bool aValue);
    bool NewColumn() const { return m_newColumn; }
    void SetNewColumn(bool aValue);
    bool HeaderForOrphanedFooter() const { return m_headerForOrphanedFooter; }
    void SetHeaderForOrphanedFooter(bool aValue);
    bool ReprintOnSubsequentColumn() const { return m_reprintOnSubsequentColumn; }
    void SetReprintOnSubsequentColumn(bool aValue);
    bool ReprintOnSubsequentPage() const { return m_reprintOnSubsequentPage; }
    void SetReprintOnSubsequentPage(bool aValue);
    bool ResetPageNo() const { return m_resetPageNo; }
    void SetResetPageNo(bool aValue);
    int32_t mmNewColumnThreshold() const { return m_mmNewColumnThreshold; }
    void SetmmNewColumnThreshold(int32_t aValue) { m_mmNewColumnThreshold = aValue; }
    int32_t mmNewPageThreshold() const { return m_mmNewPageThreshold; }
    void SetmmNewPageThreshold(int32_t aValue) { m_mmNewPageThreshold = aValue; }
    // In Units.
    float NewColumnThreshold() const;
    void SetNewColumnThreshold(float aValue);
    float NewPageThreshold() const;
    void SetNewPageThreshold(float aValue);
    TppUnitType Units() const { return m_units; }
    // The units the thresholds are given in; the report sets its own.
    void SetUnits(TppUnitType aValue) { m_units = aValue; }

    // ---- Where the group stands ----
    int FirstColumn() const { return m_firstColumn; }
    int FirstPageNo() const { return m_firstPageNo; }
    int LastPageNo() const { return m_lastPageNo; }
    bool KeptTogether() const { return m_keptTogether; }
    // Page information for printing: the current page is the group's first,
    // its number within the group, the group's page count.
    bool FirstPage() const;
    int PageNo() const;
    int PageCount() const { return m_lastPageNo - m_firstPageNo + 1; }

    // ---- Generation ----
    // The start of a run.
    virtual void Init();
    // Keep-together preparation at the start of a run.
    void PrepareKeepTogether();
    // Called by the group bands.
    void BeforeHeader();
    void BeforeHeaderGenerate();
    void BeforeFooter();
    void AfterFooter();
    // The header printed at the group's top on this page and column.
    void GroupStarted(int aPageNo, int aColumn);
    // The header of the engine's keep-together group starts a group.
    void StartKeepTogether();
    // Moves the group to the next page once: true when it did.
    virtual bool ApplyKeepTogether();
    // The page the group ended on, written into the cached pages of this
    // group too.
    void SetLastPage(int aPageNo);
    // The group's pages counted up to aPageNo, or to the end of its break
    // when a cached page already knows it.
    void UpdatePageCount(int aPageNo);
    TppCacheManager *KeepTogetherCache() const { return m_keepCache; }
    TppPage *SavedPage() const { return m_savedPage.get(); }

    // ---- Outline ----
    TppOutlineSettings *OutlineSettings() const { return m_outlineSettings.get(); }
    // Copies the settings.
    void SetOutlineSettings(const TppOutlineSettings *aValue);
    // The next group of the report; the last group, the subreports of the
    // detail band.
    const std::vector<TppCommunicator *> &GetParticipants() override;
    // Among the participants of the main report.
    TppCommunicator *GetParentParticipant() override;
    const classes::TMetaClass &GetNodeCreatorClass() const override;
    TppOutlineSettings *GetOutlineSettings() const override { return m_outlineSettings.get(); }
    // The report is modified and its pages (and outline) go.
    void OutlineChanged() override;

    // ---- Events ----
    classes::TNotifyEvent AfterGroupBreak;
    classes::TNotifyEvent BeforeGroupBreak;
    TppGetBreakValueEvent OnGetBreakValue;

    // ---- Cache, streams and notices ----
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;
    void CacheReset() override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    void ReadState(classes::TReader &aReader) override;
    void Loaded() override;
    bool HasParent() const override { return true; }
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *aParent) override;
    // Streams its header band, then its footer band.
    void GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot) override;
    virtual void Convert(int aVersionNo);

private:
    friend class TppGroupBand;
    friend class TppGroupHeaderBand;
    void bandFreed(const TppCustomBand *aBand);
    // Links a header or footer band both ways, unlinking the one before.
    template <class Band>
    void linkBand(Band *&aSlot, Band *aBand);
    void refreshReport();
    // A rule that needs nothing but the report's re-layout.
    void setFlag(bool &aField, bool aValue);
    bool loadingOrReading() const;
    void hookBreakComponent();
    void unhookBreakComponent();
    TppDataPipeline *breakPipeline() const;

    IppReportContext *m_report = nullptr;
    TppCommunicator *m_reportObject = nullptr;
    TppGroupHeaderBand *m_headerBand = nullptr;
    TppGroupFooterBand *m_footerBand = nullptr;
    TppComponent *m_breakComponent = nullptr;
    bool m_breakComponentDirty = true;
    bool m_breaking = false;
    int m_breakNo = 0;
    TppBreakType m_breakType = TppBreakType::btDataField;
    QString m_breakName;
    QString m_breakValue;
    QString m_priorValue;
    TppCacheManager *m_keepCache = nullptr;
    std::unique_ptr<TppPage> m_savedPage;
    int m_savedCommandCount = 0;
    // The engine's column flags (footer ended, header started) where the
    // group started, one pair a column across the page.
    std::vector<std::pair<bool, bool>> m_savedColumnFlags;
    TppDataPipeline *m_dataPipeline = nullptr;
    QString m_dataPipelineName;
    int m_firstColumn = 1;
    int m_firstPageNo = 1;
    int m_lastPageNo = 1;
    bool m_headerForOrphanedFooter = true;
    bool m_keepTogether = false;
    bool m_keptTogether = false;
    bool m_newColumn = false;
    bool m_newPage = false;
    int32_t m_mmNewColumnThreshold = 0;
    int32_t m_mmNewPageThreshold = 0;
    bool m_reprintOnSubsequentColumn = true;
    bool m_reprintOnSubsequentPage = true;
    bool m_resetPageNo = false;
    bool m_resetBusy = false;
    TppUnitType m_units = TppUnitType::utInches;
    // Values of older streams, for Convert.
    QString m_legacyFieldName;
    bool m_legacyReprint = true;
    bool m_legacyReprintRead = false;
    float m_legacyNewPageThreshold = 0;
    std::unique_ptr<TppOutlineSettings> m_outlineSettings;
    std::vector<TppCommunicator *> m_participants;
};

} // namespace report
