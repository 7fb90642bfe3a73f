#pragma once

// The stand-alone tree list: nodes holding one text per column, columns as
// components, a header divided into bands. It answers the core's questions
// about bands and columns from these objects, keeping the lookups in caches
// that every change of the layout drops, and it sorts by its sorted columns
// whenever their marks change.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListBands.h"
#include "grid/core/TreeListColumn.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace grid {

class TCustomIniFile;
class TRegIniFile;
class TdxRegIniWrapper;

class TdxTreeListTextNode : public TdxTreeListNode
{
public:
    using TdxTreeListNode::TdxTreeListNode;

    int ImageIndexValue() const { return m_imageIndex; }
    int SelectedIndexValue() const { return m_selectedIndex; }
    int StateIndexValue() const { return m_stateIndex; }
    // Empty beyond the texts held.
    QString Text(int column) const { return m_texts.value(column); }
    int TextCount() const { return int(m_texts.size()); }

private:
    friend class TCustomdxTreeListControl;
    int m_imageIndex = 0;
    int m_selectedIndex = -1;
    int m_stateIndex = -1;
    QStringList m_texts;
};

using TdxTreeListColumnEvent = std::function<void(classes::TObject *sender, TdxTreeListColumn *column)>;
using TdxTreeListColumnAllowEvent =
    std::function<void(classes::TObject *sender, TdxTreeListColumn *column, bool &allow)>;
using TdxTreeListBandEvent = std::function<void(classes::TObject *sender, TdxTreeListBand *band)>;
using TdxTLCustomDrawBand = void(classes::TObject *sender, TdxTreeListBand *band, gfx::Canvas *canvas,
                                 const rtl::TRect &rect, const rtl::TRect &clip, QString &text, rtl::TColor &color,
                                 classes::TFont *font, TAlignment &alignment, bool &done);
using TdxTLCustomDrawRowCell = void(classes::TObject *sender, gfx::Canvas *canvas, const rtl::TRect &rect,
                                    TdxTreeListNode *node, TdxTreeListColumn *column, int row, QString &text,
                                    rtl::TColor &color, classes::TFont *font, TAlignment &alignment, bool &done);
using TdxTLCustomDrawNode = void(classes::TObject *sender, gfx::Canvas *canvas, const rtl::TRect &rect,
                                 TdxTreeListNode *node, QString &text, rtl::TColor &color, classes::TFont *font,
                                 TAlignment &alignment, bool &done);
using TdxTreeListImageIndexEvent = std::function<void(classes::TObject *sender, TdxTreeListNode *node, int &index)>;

class TCustomdxTreeListControl : public TCustomdxTreeList
{
    ZVO_CLASS(TCustomdxTreeListControl)
public:
    explicit TCustomdxTreeListControl(classes::TComponent *owner);
    ~TCustomdxTreeListControl() override;

    // ---- Columns ----
    int ColumnCount() override { return int(m_columns.size()); }
    // Nothing outside the list.
    TdxTreeListColumn *Columns(int index) const;
    // A new column of that class, owned by the control's owner.
    TdxTreeListColumn *CreateColumn(const classes::TMetaClass &columnClass);
    TdxTreeListColumn *ColumnByName(QStringView name) const;
    // The columns whose mark is not csNone, in sort priority.
    const std::vector<TdxTreeListColumn *> &SortedColumns() const { return m_sortedColumns; }

    // ---- Bands and header rows ----
    TdxTreeListBands *Bands() const { return m_bands.get(); }
    void SetBands(const TdxTreeListBands *value);
    int BandMaxRowCount() const { return m_bandMaxRowCount; }
    void SetBandMaxRowCount(int value);
    int BandRowCount() const { return m_bandRowCount; }
    void SetBandRowCount(int value);
    bool DefaultLayout() const { return m_defaultLayout; }
    void SetDefaultLayout(bool value);
    int HeaderMinRowCount() const { return m_headerMinRowCount; }
    void SetHeaderMinRowCount(int value);
    int HeaderPanelMaxRowCount() const { return m_headerPanelMaxRowCount; }
    void SetHeaderPanelMaxRowCount(int value);
    int HeaderPanelRowCount() const { return m_headerPanelRowCount; }
    void SetHeaderPanelRowCount(int value);
    bool ChildStreaming() const { return m_childStreaming; }
    void SetChildStreaming(bool value) { m_childStreaming = value; }

    // ---- Node texts and images ----
    QString GetNodeString(const TdxTreeListNode *node, int column) const;
    void SetNodeString(TdxTreeListNode *node, int column, const QString &text);
    QVariant GetNodeVariant(const TdxTreeListNode *node, int column) const;
    void SetNodeVariant(TdxTreeListNode *node, int column, const QVariant &value);
    void SetNodeImageIndex(TdxTreeListNode *node, int index);
    void SetNodeSelectedIndex(TdxTreeListNode *node, int index);
    void SetNodeStateIndex(TdxTreeListNode *node, int index);
    int NodeImageIndex(const TdxTreeListNode *node) override;
    int NodeSelectedIndex(const TdxTreeListNode *node) override;
    int NodeStateIndex(const TdxTreeListNode *node) override;

    // ---- Lookups, cached; the scans answer the same from the columns ----
    int BandRowColumnCount(int bandPosition, int row);
    int BandUsedRowCount(int bandPosition);
    int ColumnAtPlace(int bandPosition, int row, int place);
    int ScanBandRowColumnCount(int bandPosition, int row) const;
    int ScanBandUsedRowCount(int bandPosition) const;
    int ScanColumnAtPlace(int bandPosition, int row, int place) const;
    int ScanColIndex(const TdxTreeListColumn *column) const;
    bool LookupCacheBuilt() const { return m_cache.built; }
    void ClearLookupCache();

    // ---- Layout work ----
    // Fits one column, or every column when none is given.
    void ApplyBestFit(TdxTreeListColumn *column);
    void NormaliseHeaderRows();
    void ComputeHeaderRows();
    void ColumnsChanged(TdxTreeListColumn *column);
    void HideBand(int bandIndex) override;
    void ShowBand(int bandIndex, int visiblePosition) override;
    void MoveBand(int fromIndex, int toIndex) override;
    void HideColumn(TdxTreeListColumn *column);
    // Shows the column at (band position, row, place).
    void PlaceColumn(TdxTreeListColumn *column, int bandPosition, int row, int place);
    void MoveColumn(TdxTreeListColumn *column, int bandPosition, int row, int place);
    // The same by column index, as a header drag asks for them.
    void HideColumn(int column) override { HideColumn(Columns(column)); }
    void ShowColumn(int column, int band, int line, int place) override
    {
        PlaceColumn(Columns(column), band, line, place);
    }
    void MoveColumn(int column, int band, int line, int place) override
    {
        MoveColumn(Columns(column), band, line, place);
    }
    bool BandCustomizingDisabled(int band) override;
    bool ColumnCustomizingDisabled(int column) override;
    bool BandMayBeShown(int band) override;
    bool ColumnMayBeShown(int column) override;
    void GetHeaderCellText(int column, QString &text) override;
    classes::TBitmap *ColumnHeaderGlyph(int column) override;
    bool ColumnHasHeaderGlyph(int column) override;

    // ---- Sorting ----
    int SortedColumnCount() override { return int(m_sortedColumns.size()); }
    bool SortedColumnDesc(int i) override;
    int SortedColumnIndex(int i) override;
    QVariant GetSortValue(TdxTreeListNode *node, int column) override;
    void ColumnSortClick(int column, TShiftState shift) override;
    void BeginSortLock() { ++m_sortLock; }
    void EndSortLock();
    int SortLock() const { return m_sortLock; }
    // Sorts by the sorted columns now (the first one leads).
    void SortBySortedColumns();

    // ---- Selection: without free selection, among siblings only ----
    virtual bool IsFreeSelection() { return false; }
    bool CanSelectNode(TdxTreeListNode *node);
    void SetNodeSelected(TdxTreeListNode *node, bool selected) override;

    // ---- Layout storage: the arrangement of columns and bands ----
    const QString &IniFileName() const { return m_iniFileName; }
    void SetIniFileName(const QString &value) { m_iniFileName = value; }
    // Empty: the form's name, "_" and the grid's name.
    const QString &IniSectionName() const { return m_iniSectionName; }
    void SetIniSectionName(const QString &value) { m_iniSectionName = value; }
    const QString &RegistryPath() const { return m_registryPath; }
    void SetRegistryPath(const QString &value) { m_registryPath = value; }
    // The form the grid sits on, or none; its name is remembered for saving.
    void SetParentForm(classes::TComponent *form);
    const QString &RememberedFormName() const { return m_formName; }
    void LoadFromIniFile(const QString &fileName);
    // Writes the file once, atomically; raises EIniFileException and leaves
    // the previous file when it cannot.
    void SaveToIniFile(const QString &fileName);
    // A missing key leaves the grid as it is.
    void LoadFromRegistry(const QString &path);
    void SaveToRegistry(const QString &path);
    void LoadLayout(TCustomIniFile *store, const QString &path);
    void LoadLayout(TRegIniFile *store, const QString &path);
    void SaveLayout(TCustomIniFile *store, const QString &path);
    void SaveLayout(TRegIniFile *store, const QString &path);
    // Raised while the columns' band and row places are read back.
    int LayoutLoading() const { return m_layoutLoading; }

    // ---- Answers to the editors ----
    // Only a focused column that is not read-only takes changes.
    bool CanEditModify() override;
    // The focused column's font when it has one of its own.
    const classes::TFont &GetEditFont() override;
    // One editor per editor class, made on first need and kept.
    InplaceEditor *CreateDefaultEditor(int column) override;
    InplaceEditor *FindEditor(int column) override;
    int EditorCount() const { return int(m_editors.size()); }
    // Then the focused column sets its edit properties.
    void InitEditor(InplaceEditor *editor) override;
    // The node's text, through the focused column's editor conversions.
    QVariant GetEditValue() override;
    // The editor's text becomes the node's text for the column.
    void StoreEditValue(TdxTreeListNode *node, int column, const QVariant &value, InplaceEditor *editor) override;

    bool IsWidthFit() const override;
    void Loaded() override;
    void Notification(classes::TComponent *component, classes::TOperation operation) override;
    void GetChildren(const classes::TGetChildProc &proc, classes::TComponent *root) override;
    void SetChildOrder(classes::TComponent *child, int order) override;

    // ---- The core's model ----
    int BandCount() override;
    QString BandCaption(int band) override;
    int BandWidth(int band) override;
    int BandAlignment(int band) override;
    int VisibleBandCount() override;
    int BandIndexOfVisible(int position) override;
    int VisiblePositionOfBand(int band) override;
    int LeftFixedBand() override;
    int RightFixedBand() override;
    QString VisibleBandCaption(int position) override;
    int VisibleBandWidth(int position) override;
    int VisibleBandMinWidth(int position) override;
    int VisibleBandAlignment(int position) override;
    bool BandKeepsOwnColumns(int position) override;
    int BandLineCount(int band) override { return BandUsedRowCount(band); }
    int ColumnsInBandLine(int band, int line) override { return BandRowColumnCount(band, line); }
    int ColumnAt(int band, int line, int position) override { return ColumnAtPlace(band, line, position); }
    bool ColumnVisible(int column) override;
    TreeListAlive ColumnAlive(int column) override;
    TreeListAlive BandAlive(int band) override;
    bool ColumnTabStop(int column) override;
    int ColumnBand(int column) override;
    int ColumnBandLine(int column) override;
    int ColumnPositionInLine(int column) override;
    int ColumnStoredWidth(int column) override;
    int ColumnMinWidth(int column) override;
    int ColumnHeaderLineCount(int column) override;
    int ColumnHeaderAlignment(int column) override;
    bool ColumnHeaderHotTrack(int column) override;
    int ColumnAlignment(int column) override;
    int ColumnSortState(int column) override;
    QString ColumnCaption(int column) override;
    QString ColumnHeaderCaption(int column) override;
    QString CellText(const TdxTreeListNode *node, int column) override;
    QVariant CellValue(const TdxTreeListNode *node, int column) override;
    int HeaderPanelLineCount() override { return m_headerPanelRowCount; }
    int HeaderPanelMaxLineCount() override { return m_headerPanelMaxRowCount; }
    int HeaderMinLineCount() override { return m_headerMinRowCount; }
    int BandLineSetting() override { return m_bandRowCount; }
    int BandMaxLineCount() override { return m_bandMaxRowCount; }
    void SetBandLineCount(int count) override { SetBandRowCount(count); }
    void SetBandWidth(int band, int width) override;
    void SetHeaderLineCount(int count) override { SetHeaderPanelRowCount(count); }
    void SetColumnWidth(int column, int width) override;
    void RescaleHiddenBands(int newWidth, int oldWidth) override;
    void RescaleHiddenColumns(int band, int newWidth, int oldWidth) override;
    bool BandSizable(int position) override;
    bool ColumnSizable(int column) override;
    rtl::TColor ColumnColor(int column) override;
    const classes::TFont &ColumnFont(int column) override;
    QChar ColumnPasswordChar(int column) override;

    // ---- Custom drawing: the grid's handlers, then the column's ----
    bool IsCustomDrawBand() override;
    bool IsCustomDrawCell(int column) override;
    bool IsCustomDrawHeader(int column) override;
    void DoCustomDrawBand(int position, gfx::Canvas *canvas, const rtl::TRect &rect, const rtl::TRect &clip,
                          QString &text, rtl::TColor &color, classes::TFont *font, TAlignment &alignment,
                          bool &done) override;
    void DoCustomDrawCell(gfx::Canvas *canvas, const rtl::TRect &rect, TdxTreeListNode *node, int column, bool selected,
                          bool focused, bool newItemRow, QString &text, rtl::TColor &color, classes::TFont *font,
                          TAlignment &alignment, bool &done) override;
    void DoCustomDrawHeader(int column, gfx::Canvas *canvas, const rtl::TRect &rect, QString &text, rtl::TColor &color,
                            classes::TFont *font, TAlignment &alignment, int &sorted, bool &done) override;
    bool IsCustomDrawRowCell(int row) override;
    void DoCustomDrawRowCell(int row, gfx::Canvas *canvas, const rtl::TRect &rect, TdxTreeListNode *node, int column,
                             QString &text, rtl::TColor &color, classes::TFont *font, TAlignment &alignment,
                             bool &done) override;
    bool IsCustomDrawNode() override;
    void DoCustomDrawNode(gfx::Canvas *canvas, const rtl::TRect &rect, TdxTreeListNode *node, QString &text,
                          rtl::TColor &color, classes::TFont *font, TAlignment &alignment, bool &done) override;
    bool IsCustomDrawNotify() override;
    void DoCustomDrawNotify(int first, int second) override;
    bool IsRowIndicator(TdxTreeListNode *node) override;
    void ColumnBestFit(int column) override;
    bool MayDragColumn(int column) override;
    bool MayDragBand(int position) override;
    void DragOverBand(int position, bool &accept) override;
    void EndDragBand(int position, int target, bool &accept) override;
    void DragOverColumn(int column, bool &accept) override;
    void EndDragColumn(int column, const TreeListColumnDrop &target, bool &accept) override;
    // A click edits at once only in a column whose editor is not disabled.
    bool ImmediateEditQuery(int x, int y, int column, bool wasFocused) override;
    // A column's editor changed its text, or is asked to validate it; the
    // grid hears first, the column's own event after.
    virtual void EditorChanged(TdxTreeListColumn *column);
    virtual void EditorValidate(TdxTreeListColumn *column, QString &errorText, bool &accept);
    // A finished click on a band header; a finished sizing of a band or a
    // column that changed its width.
    void BandClick(int position) override;
    void BeginBandSizing(int position) override;
    void BeginColumnSizing(int column) override;
    void BandSized(int position) override;
    void ColumnSized(int column) override;

    // ---- Events, each fired only when set ----
    TdxTreeListColumnAllowEvent OnCanSort;
    std::function<void(classes::TObject *, TdxTreeListColumn *, TdxTreeListColumnSort &)> OnGetSortMark;
    TdxTreeListColumnAllowEvent OnCanColumnDrag;
    std::function<void(classes::TObject *, TdxTreeListBand *, bool &)> OnCanBandDrag;
    // A dragged header over the grid, and dropped (a band before the band
    // at the visible position given, -1 for none): a refusal keeps it
    // where it is.
    std::function<void(classes::TObject *, TdxTreeListBand *, bool &)> OnDragOverBand;
    std::function<void(classes::TObject *, TdxTreeListBand *, int, bool &)> OnEndDragBand;
    TdxTreeListColumnAllowEvent OnDragOverColumn;
    // Where the column would go: band position, band line and place; the
    // band is -1 outside the grid or for no place.
    std::function<void(classes::TObject *, TdxTreeListColumn *, int band, int line, int position, bool &accept)>
        OnEndDragColumn;
    // The text a column's header shows while it is dragged.
    std::function<void(classes::TObject *, TdxTreeListColumn *, QString &text)> OnGetHeaderCellText;
    TdxTreeListColumnEvent OnColumnClick;
    TdxTreeListBandEvent OnBandClick;
    TdxTreeListBandEvent OnBeginBandSizing;
    TdxTreeListBandEvent OnBandSized;
    TdxTreeListColumnEvent OnBeginColumnSizing;
    TdxTreeListColumnEvent OnColumnSized;
    TdxTreeListColumnEvent OnEditChange;
    std::function<void(classes::TObject *, TdxTreeListColumn *, QString &errorText, bool &accept)> OnEditValidate;
    TdxTreeListColumnEvent OnHideColumn;
    TdxTreeListColumnEvent OnShowColumn;
    TdxTreeListColumnEvent OnMoveColumn;
    // A hidden column was given a place and shown: this one notice alone.
    TdxTreeListColumnEvent OnPlaceColumn;
    TdxTreeListBandEvent OnHideBand;
    TdxTreeListBandEvent OnShowBand;
    TdxTreeListBandEvent OnMoveBand;
    TdxTreeListImageIndexEvent OnGetImageIndex;
    TdxTreeListImageIndexEvent OnGetSelectedIndex;
    TdxTreeListImageIndexEvent OnGetStateIndex;
    TdxTreeListAllowEvent OnCanSelectNode;
    // Cells: this event, then the second, then the column's.
    classes::TEvent<TdxTLCustomDrawCell> OnCustomDrawCell;
    classes::TEvent<TdxTLCustomDrawCell> OnCustomDrawCellEx;
    classes::TEvent<TdxTLCustomDrawHeader> OnCustomDrawColumnHeader;
    classes::TEvent<TdxTLCustomDrawBand> OnCustomDrawBand;
    // The footer panel's cells (row -1), and a node's row footer lines.
    classes::TEvent<TdxTLCustomDrawRowCell> OnCustomDrawFooter;
    classes::TEvent<TdxTLCustomDrawRowCell> OnCustomDrawFooterNode;
    // A node's part drawn in the header's look: this event, then the second.
    classes::TEvent<TdxTLCustomDrawNode> OnCustomDrawNode;
    classes::TEvent<TdxTLCustomDrawNode> OnCustomDrawNodeEx;
    classes::TEvent<void(classes::TObject *sender, int first, int second)> OnCustomDrawNotify;
    // Marks further rows in the indicator; the flag starts False.
    TdxTreeListAllowEvent OnIsNodeIndicator;
    // Measures a cell of a multi-line row in place of the control: a set
    // done flag makes its height and lines the cell's.
    std::function<void(classes::TObject *, TdxTreeListNode *, TdxTreeListColumn *, int &height, int &lines, bool &done)>
        OnAutoRowHeight;
    void MeasureCellHeight(TdxTreeListNode *node, int column, int width, int maxLines, int &height,
                           int &lines) override;

protected:
    std::unique_ptr<TdxTreeListNode> CreateNode() override;
    // After the event, the focused column may still refuse.
    void DoCanEdit(TdxTreeListNode *node, bool &allow) override;
    void DoCanEditNewItemRow(bool &allow) override;
    void GetHotTrackCursor(TdxTreeListNode *node, int column, TCursor &cursor) override;
    void EndUpdateHook() override;
    void LayoutChanged() override;
    // Computed header rows: as many as the columns use.
    void AdjustHeaderLineCount() override { ComputeHeaderRows(); }
    // The lookup tables of columns per band line.
    void RebuildColumnPlacement() override;
    // Once each per grid, from Loaded and the destructor.
    void RestoreLayout() override;
    void StoreLayout() override;
    // A descendant may store more.
    virtual void LoadColumnLayout(TdxRegIniWrapper &store, const QString &key, TdxTreeListColumn *column);
    virtual void LoadLayoutSettings(TdxRegIniWrapper &store, const QString &key);
    virtual void SaveColumnLayout(TdxRegIniWrapper &store, const QString &key, TdxTreeListColumn *column);
    virtual void SaveLayoutSettings(TdxRegIniWrapper &store, const QString &key);
    // A change of Sorted asks for the order to follow; it runs once no
    // update or sort lock is held.
    void RequestSort();
    // A column is about to take a sort mark; nothing here.
    virtual void DoBeforeSort(TdxTreeListColumn * /*column*/) {}
    // The last sort lock went, after any sort it held back has run; nothing
    // here.
    virtual void SortUnlocked() {}

private:
    friend class TdxTreeListColumn;
    friend class TdxTreeListBand;
    friend class TdxTreeListBands;

    struct LookupCache
    {
        bool built = false;
        std::vector<int> visibleBands;                      // collection index by visible position
        std::vector<std::vector<std::vector<int>>> columns; // visible band position, row, place -> column
        std::vector<int> places;                            // ColIndex by column index
    };

    void addColumn(TdxTreeListColumn *column);
    void removeColumn(TdxTreeListColumn *column);
    // The columns with their life tokens, for a loop that calls out.
    std::vector<std::pair<TdxTreeListColumn *, TreeListAlive>> heldColumns() const;
    // Every node's texts move from one column index to another.
    void moveColumnTexts(int from, int to);
    void deleteColumnTexts(int index);
    void addSortedColumn(TdxTreeListColumn *column);
    void removeSortedColumn(TdxTreeListColumn *column);
    void rebuildSortedColumns();
    void applyDefaultLayout();
    void buildLookupCache();
    // Null when a descendant's rebuild freed the grid: the query answers
    // nothing then.
    const LookupCache *cache();
    bool cacheUsable() const { return m_cache.built && !m_rebuildingCache; }
    int bandIndexOfPosition(int position) const;
    TdxTreeListBand *visibleBand(int position) const;
    TdxTreeListColumn *column(int index) const { return Columns(index); }
    void gridFontChanged();
    void runPendingSort();
    void placeColumn(TdxTreeListColumn *column, int bandPosition, int row, int place);
    void forgetEditor(classes::TComponent *component);
    void loadLayout(TdxRegIniWrapper &store, const QString &path);
    void saveLayout(TdxRegIniWrapper &store, const QString &path);
    QString columnLayoutKey(const QString &path, const TdxTreeListColumn *column) const;

    std::unique_ptr<TdxTreeListBands> m_bands;
    int m_bandMaxRowCount = 5;
    int m_bandRowCount = 1;
    std::vector<TdxTreeListColumn *> m_columns;
    bool m_defaultLayout = true;
    int m_headerMinRowCount = 1;
    int m_headerPanelMaxRowCount = 5;
    int m_headerPanelRowCount = 1;
    int m_sortLock = 0;
    bool m_recomputingHeaderRows = false;
    std::vector<TdxTreeListColumn *> m_sortedColumns;
    bool m_childStreaming = false;
    LookupCache m_cache;
    bool m_rebuildingCache = false;
    int m_layoutLoading = 0;
    bool m_sortPending = false;
    bool m_sorting = false;
    QString m_iniFileName;
    QString m_iniSectionName;
    QString m_registryPath;
    classes::TComponent *m_parentForm = nullptr;
    QString m_formName;
    bool m_autoLoadDone = false;
    bool m_autoSaveDone = false;
    std::vector<std::pair<QString, InplaceEditor *>> m_editors; // by editor class name
};

} // namespace grid
