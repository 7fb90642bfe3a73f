#pragma once

// TppCustomReport: the report object proper. A producer that owns its bands
// (kept in print order), its groups, its column layout, its unit of measure,
// its page limit and pass setting, and its main data pipeline, and keeps the
// layout consistent when those change: units go to the printer setup, the
// bands and the groups; columns are checked against the page; a pipeline
// that goes leaves the report without one. It is what bands and groups see
// as their report, and what the cache manager walks.

#include "report/model/bands/DesignControls.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/data/CacheManager.h"
#include "report/model/data/PipelineList.h"
#include "report/model/production/Producer.h"

#include <QImage>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace classes {
class TStringList;
class TStrings;
} // namespace classes

namespace report {

class TppBand;
class TppCustomEngine;
class TppGroup;
class TppPageDef;
class TppReportModule;
class TppReportTemplate;

using TppNoDataBehaviors = uint8_t; // bits 1 << TppNoDataBehaviorType

class TppCustomReport
    : public TppProducer
    , public IppReportContext
    , public IppCacheReport
    , public IppDataModuleSource
{
    ZVO_CLASS(TppCustomReport)
public:
    explicit TppCustomReport(classes::TComponent *aOwner = nullptr);
    // Frees its bands and groups.
    ~TppCustomReport() override;

    // ---- Bands and groups ----
    int BandCount() const override { return int(m_bands.size()); }
    TppBand *Bands(int aIndex) const;
    TppBand *BandAt(int aIndex) const override;
    int GroupCount() const override { return int(m_groups.size()); }
    TppGroup *Groups(int aIndex) const;
    classes::TComponent *GroupAt(int aIndex) const override;
    // The first band of the kind (0 header ... 9 page style); for group
    // bands (3, 5) that of the group at aGroupIndex; nullptr for none.
    TppBand *GetBand(int aKind, int aGroupIndex = 0) const;
    // The band class of the kind (0 header ... 9 page style); nullptr for
    // any other number.
    static const classes::TMetaClass *BandClass(int aKind);
    // Bands in the order of their keys, compared as texts.
    void SortBands();
    // Page header, detail and page footer, and the column bands with two
    // or more columns, each of those the report lacks; only for a report
    // without bands.
    virtual void CreateDefaultBands();
    // A band, object or group by user name (without regard to case).
    TppCommunicator *FindUserName(const QString &aUserName) const override;
    void UserNameChanged(TppCommunicator *aCommunicator) override;
    // A band keeps its own user name; any other object gets the base of its
    // class numbered with the smallest number no object of that class in
    // this report's bands uses (other reports of the owner do not count).
    QString GetUniqueUserName(classes::TComponent *aComponent) const override;
    // The first object named aName exactly, band by band.
    bool FindBandComponent(const QString &aName, int &aBandIndex, int &aComponentIndex) const;

    // ---- Modules ----
    // Objects attached to the report, which it owns and frees. The list is
    // made by the first module that joins; without it there are none.
    void AddModule(TppReportModule *aModule);
    void RemoveModule(TppReportModule *aModule);
    int ModuleCount() const { return m_modules ? int(m_modules->size()) : 0; }
    TppReportModule *Modules(int aIndex) const;
    bool HasModuleList() const { return m_modules != nullptr; }
    // The first module of aClass or a descendant; nullptr when none.
    TppReportModule *FindModule(const classes::TMetaClass &aClass) const;
    // The pipelines of the main report's module of the class registered as
    // "TdaDataModule", when it has one.
    void GetDataModulePipelines(std::vector<TppDataPipeline *> &aList) override;
    // Outside a designer a report streams only the modules that do not keep
    // to the designer (communicator state 2048).
    virtual bool StreamsDesignOnlyModules() const { return true; }

    // ---- Settings ----
    bool AutoStop() const override { return m_autoStop; }
    void SetAutoStop(bool aValue) { m_autoStop = aValue; }
    int Columns() const override { return m_columns; }
    void SetColumns(int aValue);
    int32_t mmColumnWidth() const override { return m_mmColumnWidth; }
    float ColumnWidth() const;
    void SetColumnWidth(float aValue);
    void SetmmColumnWidth(int32_t aValue);
    // Left edges of the columns. Shown and set in Units; in design, while
    // loading and while reading, the stored texts as they stand. A text that
    // is no number stays as it is, for generation to report.
    QStringList ColumnPositions() const;
    void SetColumnPositions(const QStringList &aValue);
    // Stored in thousandths of a millimetre.
    const QStringList &mmColumnPositions() const { return m_columnPositions; }
    // ColumnPositions as a list scripts read and change: a change of the
    // list is a change of the positions.
    classes::TStrings *ColumnPositionsList();
    TppDataPipeline *DataPipeline() const override { return m_dataPipeline; }
    void SetDataPipeline(TppDataPipeline *aPipeline);
    TppNoDataBehaviors NoDataBehaviors() const { return m_noDataBehaviors; }
    void SetNoDataBehaviors(TppNoDataBehaviors aValue);
    int PageLimit() const { return m_pageLimit; }
    void SetPageLimit(int aValue);
    TppPassSettingType PassSetting() const { return m_passSetting; }
    void SetPassSetting(TppPassSettingType aValue);
    bool SaveAsTemplate() const { return m_saveAsTemplate; }
    void SetSaveAsTemplate(bool aValue) { m_saveAsTemplate = aValue; }
    // Where the report's layout is stored; owned.
    TppReportTemplate *Template() const { return m_template.get(); }
    // Copies the settings.
    void SetTemplate(const TppReportTemplate *aValue);
    TppUnitType Units() const override { return m_units; }
    void SetUnits(TppUnitType aValue);
    bool Modified() const { return m_modified; }
    void SetModified(bool aModified) override;
    QString GetUserName() const override { return QStringLiteral("Report"); }

    // ---- Designer ----
    IppDesignerSink *Designer() const override { return m_designer; }
    // The designer hears that it leaves (1143) and that it comes (1142);
    // the reports of the subreports follow the report.
    void SetDesigner(IppDesignerSink *aDesigner);
    // One menu per class of report object, built by the first that asks.
    IppPopupMenu *PopupMenuOf(const QString &aClassName, bool aForBand,
                              const std::function<void(IppPopupMenu &)> &aBuild) override
    {
        return m_popupMenus.MenuOf(aClassName, aForBand, aBuild);
    }
    const TppPopupMenuCache &PopupMenus() const { return m_popupMenus; }
    // The menus take the captions of the new language.
    void LanguageChanged() override;
    // What a designer shows for a kind of report: its class name and its
    // picture. A report class of a designer's own answers for itself.
    virtual QString DesignerClassName() const { return ClassName(); }
    virtual QImage DesignerBitmap() const;
    // An object a designer may attach to a kind of report; none here.
    virtual classes::TObject *DesignerObject() const { return nullptr; }
    // How a designer names the report; nothing here.
    virtual QString GetCaption() const { return QString(); }
    // The status text of the report's publisher ('' without one); a child
    // report's is its main report's.
    virtual QString GetStatus() const;
    virtual void SetStatus(const QString &aText);

    // ---- Generation ----
    TppCustomEngine *Engine() const override { return m_engine.get(); }
    // The main report's engine's answer.
    bool IsLastCachedPlusOne() const override;
    // Takes the engine the report generates with.
    void SetEngine(std::unique_ptr<TppCustomEngine> aEngine);
    void HandlePrintError(const QString &aMessage) override;
    void HandlePrintError(const std::exception &aError) override;
    void Reset() override;
    // A program may attach devices of its own and print with
    // PrintToDevices whatever DeviceType says: the devices that hear the
    // pages decide, those of the main report's publisher.
    bool NonScreenOutput() const override;
    void LayoutChanged();
    // The engine's page-end hook: OnEndPage, then the page limit.
    virtual void CheckPageLimit();
    // The engine's page hook, at page start and end; nothing here.
    virtual void ReceivePageFromEngine() {}
    // Once the first pass has reached the end of the report: the bands'
    // objects learn the values they show ahead.
    virtual void ComputeLookAheads();

    // ---- Subreports ----
    // The top report of the tree of subreports: the report itself unless
    // a subreport holds it (nullptr for a child report no subreport holds).
    virtual TppCustomReport *GetMainReport() { return this; }
    // The engine whose page number and count the report's objects print.
    virtual TppCustomEngine *PageNumberEngine() { return Engine(); }
    // Appends the report's place in the tree of subreports; nothing for a
    // report that no subreport holds.
    virtual void GetTreeKey(QString &) const {}
    // The report whose band holds the subreport that holds this one;
    // nullptr for a report no subreport holds.
    virtual TppCustomReport *ParentReport() const { return nullptr; }
    // A child report that keeps its layout in its template is about to
    // load it: the main report may say where from. Nothing here.
    virtual void TemplateLoadRequest(TppCustomReport *) {}
    // The engine's state bits; a child report passes them on to the report
    // that holds its subreport.
    virtual void IncludeEngineState(int aBits);
    virtual void ExcludeEngineState(int aBits);
    // The report prints inside a subreport's rectangle or as its sections:
    // its engine leaves the run-level work to the main report.
    bool PrintingAsSubReport() const { return m_printingAsSubReport; }
    void SetPrintingAsSubReport(bool aValue) { m_printingAsSubReport = aValue; }
    // The report, then the child reports of the subreports on its bands,
    // each followed by its own.
    void GetReportTree(std::vector<TppCustomReport *> &aList);
    // At the start of a run: look-aheads freed, keep-together prepared, in
    // the child reports of the subreports too, whose engines leave this to
    // the main report's run.
    virtual void InitializePipelines();
    // The data opens for the run (event 70) and the report becomes active,
    // then the child reports of the tree likewise; FinalizeData undoes it
    // in the opposite order.
    void InitializeData() override;
    void FinalizeData() override;
    // Adds, each once and when not yet listed, the report's pipeline, the
    // detail band's and those the bands' objects read.
    void GetDataPipelines(std::vector<TppDataPipeline *> &aList) const;
    // The child reports of the subreports on the report's own bands.
    std::vector<TppCustomReport *> subReportChildren() const;
    // Runs aOp on every band that is still there; false once this report
    // has gone.
    bool eachBand(const std::function<void(TppBand &)> &aOp);
    // At every report start: the bands' reset hooks.
    virtual void ResetHooks();
    // Fires the event and sends its id.
    void DoEngineEvent(classes::TNotifyEvent &aEvent, int aEventId);
    classes::TNotifyEvent OnEndColumn;
    classes::TNotifyEvent OnEndFirstPass;
    classes::TNotifyEvent OnEndPage;
    classes::TNotifyEvent OnEndSecondPass;
    classes::TNotifyEvent OnStartColumn;
    classes::TNotifyEvent OnStartFirstPass;
    classes::TNotifyEvent OnStartPage;
    classes::TNotifyEvent OnStartSecondPass;
    // A report without data: the no-data dialog (or nil) and whether it
    // shows, the "No Data Found" text (or nil) and whether it goes on the
    // page; the handler may change both answers.
    using TppNoDataEvent = classes::TEvent<void(classes::TObject *Sender, classes::TObject *aDialog, bool &aShowDialog,
                                                classes::TObject *aDrawCommand, bool &aAddDrawCommand)>;
    TppNoDataEvent OnNoData;
    // Fires OnNoData, then sends its id with the four values, the answers
    // taken back from the receivers.
    void DoOnNoData(classes::TObject *aDialog, bool &aShowDialog, classes::TObject *aDrawCommand,
                    bool &aAddDrawCommand);

    // ---- Outline ----
    // At a page end: the report that keeps an outline puts the page's
    // outline draw command on the engine's page. Nothing here.
    virtual void AddOutlineDrawCommand() {}
    // The outline participants below the report: the subreports of the bands
    // before the detail band, then the first group (without groups, the
    // detail band's subreports), then the subreports of the bands after it.
    void GetOutlineParticipants(std::vector<TppCommunicator *> &aList) const;
    // The participant below aRoot whose list holds aParticipant, or nullptr.
    static TppCommunicator *FindParentParticipant(TppCommunicator *aRoot, TppCommunicator *aParticipant);

    // ---- What bands and groups ask ----
    TppCommunicator *ReportObject() override { return this; }
    int32_t mmPrintableWidth() const override;
    int32_t mmPrintableHeight() const override;
    int LanguageIndex() const override { return TppProducer::LanguageIndex(); }
    // Only the main report prints: a child report runs inside its run.
    bool MainReportPrinting() const override;
    const PrinterResolution *Printer() const override { return nullptr; }
    void AddBand(TppBand *aBand) override;
    void RemoveBand(TppBand *aBand) override;
    int IndexOfBand(const TppBand *aBand) const override;
    void DesignRefresh() override;
    int IndexOfGroup(const classes::TComponent *aGroup) const override;
    void AddGroup(classes::TComponent *aGroup) override;
    void RemoveGroup(classes::TComponent *aGroup) override;

    // ---- Cache ----
    // The engine, every group, every band and each of its objects.
    void EnumerateCacheables(const std::function<void(TppCacheable *)> &aProc) override;
    bool IsGenerating() const override { return Printing(); }
    void StopGenerating() override;

    // In design, groups and band objects whose names start with the old
    // report name take the new one in its place.
    void SetName(const QString &aNewName) override;
    // The report's own change first, then every band, every group and the
    // engine take the same bits.
    void IncludeState(TppCommunicatorState aState) override;
    void ExcludeState(TppCommunicatorState aState) override;
    // A real move takes the bands and groups along to the new owner.
    void ChangeOwner(classes::TComponent *aNewOwner) override;

    // Resolves the pipelines named in the stream (ResolveDataPipelines),
    // then finishes loading the printer setup and the producer. A report
    // kept in its template (SaveAsTemplate) then loads its layout from it,
    // a child report after asking its main report; not while a template is
    // being loaded, nor for a main report in a designer.
    void Loaded() override;
    // The report's own pipeline, the bands' and the groups' and the masters
    // of every pipeline the report's owner holds, found by the names the
    // stream gave.
    void ResolveDataPipelines();
    // Forgets the pipeline name read from a stream and not yet resolved.
    void ClearPendingDataPipeline() { m_dataPipelineName.clear(); }
    // Takes over the source report's settings and events, and its bands
    // and groups in place of its own; the source is left without any.
    void TransferRelatives(const TppProducer &aSource) override;
    // Brings a report of an older version up to date: no automatic stop
    // before 4100; before 3000 the lengths were kept in the report's units
    // and reports ran two passes. Bands and groups convert too.
    void Convert(int32_t aVersionNo) override;

    // A page whose printable width changes may cut objects off: the
    // designer's user decides.
    void PrinterSetupPageDefChanging(TppPageDef *aNewPageDef, bool &aAllow) override;
    // Another printer setup shows its lengths in the report's unit, and
    // the subreports that use their parent's setup take it at once.
    void PrinterSetupChanged() override;
    // A new page lays the bands out again and discards what was generated
    // on the old one.
    void PageDefChanged() override;

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    // The report's pipeline closing outside a run: the run's bookmarks go.
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    void GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot) override;

private:
    void designerMessage(int aMsg, classes::TObject *aLParam, bool aPost = false);
    bool loading() const;
    bool columnPositionsAsStored() const;
    // Objects beyond the width (for the column bands of a report with
    // columns: beyond the column) are deleted when the designer's user
    // agrees to aMessage; false when refused. Without a designer, true.
    bool checkComponents(int32_t aWidth, int aMessage);
    // Back to one column in the designer: the column bands go, once the
    // user agrees to lose what they hold; false when refused.
    bool freeColumnBands();
    void freeBandsAndGroups();
    // Links the report with the pipeline, and with no other.
    void attachPipeline(TppDataPipeline *aPipeline);
    void replacePipeline(TppDataPipeline *aOld, TppDataPipeline *aNew);

    // The band objects by their user names (case folded), so that a name
    // is not looked for among all objects for every object read. Objects
    // that join or are renamed are added as they come; an entry for an old
    // name stays until a search passes it. The whole index is made again
    // when a band's list lost an object or was reordered, or the bands
    // changed.
    struct UserNameIndex
    {
        std::unordered_multimap<QString, TppCommunicator *> names;
        // Per band when the index was made: the band and how its list
        // changed, less the objects it holds (only adds keep that equal).
        std::vector<std::pair<const TppBand *, uint64_t>> bands;
        bool made = false;
        // While the report is read: the user names of the owner's other
        // communicators (not objects, bands or groups of a report), which
        // the objects read do not change; made at the first search.
        std::optional<std::unordered_set<QString>> ownerNames;
        // Per class asked for a free name: the number in each object's name
        // (0 for none), how many objects hold each number, and a number
        // below which all are held. Made at the first ask, kept by the
        // objects that join or are renamed.
        struct Numbers
        {
            std::unordered_map<const TppCommunicator *, int> numberOf;
            std::unordered_map<int, int> holders;
            int low = 1;
            void Set(const TppCommunicator *aObject, int aNumber);
        };
        std::unordered_map<const classes::TMetaClass *, Numbers> numbers;
    };
    bool userNameIndexCurrent() const;
    void makeUserNameIndex() const;

    std::vector<TppBand *> m_bands;
    std::vector<TppGroup *> m_groups;
    std::unique_ptr<std::vector<TppReportModule *>> m_modules;
    void freeModules();
    mutable UserNameIndex m_userNameIndex;
    std::unique_ptr<TppCustomEngine> m_engine;
    IppDesignerSink *m_designer = nullptr;
    TppPopupMenuCache m_popupMenus;
    bool m_autoStop = true;
    int m_columns = 1;
    int32_t m_mmColumnWidth = 0;
    // The column width as old streams give it, in the report's units.
    float m_legacyColumnWidth = 0;
    QStringList m_columnPositions;
    std::unique_ptr<classes::TStringList> m_columnPositionsList;
    TppDataPipeline *m_dataPipeline = nullptr;
    QString m_dataPipelineName;
    TppNoDataBehaviors m_noDataBehaviors = 1 << int(TppNoDataBehaviorType::ndBlankPage);
    int m_pageLimit = 0;
    TppPassSettingType m_passSetting = TppPassSettingType::psOnePass;
    bool m_saveAsTemplate = false;
    std::unique_ptr<TppReportTemplate> m_template;
    TppUnitType m_units = TppUnitType::utInches;
    bool m_modified = false;
    bool m_freeing = false;
    bool m_printingAsSubReport = false;
};

// Designer messages of the report.
namespace ppReportMsg {
constexpr int Renamed = 1124;
constexpr int Destroyed = 1126;
constexpr int LayoutChanged = 1127;
constexpr int UnitsChanged = 1129;
constexpr int LanguageChanged = 1134;
constexpr int BandAdded = 1138;
constexpr int BandRemoved = 1139;
constexpr int DesignerAttached = 1142;
constexpr int DesignerDetaching = 1143;
constexpr int DataPipelineChanged = 1145;
constexpr int DefaultBandsStart = 1148;
constexpr int DefaultBandsEnd = 1149;
} // namespace ppReportMsg

// Creates a report object of aClass for aParent, named uniquely in the
// parent's owner, with a user name unique in aParent; nullptr without a
// parent. With a designer at hand (the parent's host object is an
// IppComponentCreator; a report's only while a designer is attached) the
// designer makes it.
classes::TComponent *ppCreateComponent(const classes::TMetaClass &aClass, TppCommunicator *aParent);

} // namespace report
