#pragma once

// The engine of the tree list: the nodes, the focused node and column, the
// multiple selection, the option words, the update and selection brackets,
// incremental search, the node and column steps the keyboard calls, and the
// text export. No widget: window services come through a TreeListHost, and
// columns and bands through the column-and-band model, which the control
// with columns answers.
//
// Every node reference the tree list holds is repaired when its node is
// deleted: the focus and the top row move to a neighbour, the anchor and the
// references registered as TreeListNodeRef become none, and the node leaves
// the selection. Deletions asked for by handlers while the tree list is in
// the middle of an operation wait until that operation has finished.

#include "grid/core/Container.h"
#include "grid/core/TreeListBottomHint.h"
#include "grid/core/TreeListCustomDraw.h"
#include "grid/core/TreeListHeaderDrop.h"
#include "grid/core/TreeListHooks.h"
#include "grid/core/TreeListHotTrack.h"
#include "grid/core/TreeListLayout.h"
#include "grid/core/TreeListNode.h"
#include "grid/core/TreeListNodeRef.h"
#include "grid/core/TreeListPaintRules.h"
#include "grid/core/TreeListSelection.h"
#include "grid/core/TreeListSettings.h"
#include "grid/core/VisibleRowCache.h"

#include <QString>
#include <QStringList>

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace gfx {
class Canvas;
class ImageList;
} // namespace gfx

namespace classes {
class TCustomImageList;
} // namespace classes

namespace grid {

class TreeListHost;
struct TreeListDragPicture;

class TreeListNodeDrag;

// A paint pass of a tree list over a canvas, as the window runs it; the
// paint library's TreeListPainter is the standard one.
class TreeListPaintPass
{
public:
    virtual ~TreeListPaintPass() = default;
    virtual void Paint() = 0;
    virtual int RowsPainted() const = 0;
};

class TCustomdxTreeList
    : public TCustomdxContainer
    , public TreeListColumnModel
    , public TreeListCustomDrawHooks
    , public TreeListEvents
{
    ZVO_CLASS(TCustomdxTreeList)
public:
    explicit TCustomdxTreeList(classes::TComponent *owner);
    ~TCustomdxTreeList() override;

    // Expires when this tree list goes; see TreeListLife.h.
    TreeListAlive AliveToken() const { return m_life.token(); }

    TreeListHost *Host() const { return m_host; }
    void SetHost(TreeListHost *host)
    {
        m_host = host;
        rowHeightsStale();
    }

    // ---- Nodes ----
    // A new last top-level node; none when a handler deleted it at once.
    TdxTreeListNode *Add();
    int Count() const { return m_topLevel.count(); }
    // None outside 0 .. Count - 1.
    TdxTreeListNode *Items(int index) const { return m_topLevel.at(index); }
    // All nodes, at every depth.
    int NodeCount() const { return m_nodeCount; }
    // Frees every node; each still reaches the deletion notice.
    void ClearNodes();
    bool IsClearing() const { return m_clearing; }
    // The last top-level node and, while expanded, its last children.
    TdxTreeListNode *LastVisibleNode() const;
    virtual TdxTreeListNode *GetRelativeNode(TdxTreeListNode *node, int kind, bool all);

    // ---- Brackets; their end-of-bracket work runs at the outermost close ----
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }
    bool IsUpdating() const { return m_updateCount > 0; }
    virtual void BeginSelection();
    // Tells the selection changed when the selected count differs from the
    // one at the outermost BeginSelection.
    virtual void EndSelection();

    // ---- Focus and the top row ----
    TdxTreeListNode *FocusedNode() const { return m_focused; }
    // Moves the focus there, keeping the focused column, and shows the node.
    void SetFocusedNode(TdxTreeListNode *node);
    // The focused column as a position in reading order (below); 0 with row
    // focus or when the stored position is out of range.
    int FocusedColumn();
    void SetFocusedColumn(int position);
    // The column at the focused position, -1 when none.
    int FocusedColumnIndex();
    // The focused node's display position; 0 without a focused node.
    int FocusedRowIndex();
    TdxTreeListNode *TopNode() const { return m_top; }
    // -1 without a top node.
    int TopRowIndex();
    virtual void MoveFocus(int kind, bool all);
    virtual bool IsFocusedFirst();
    virtual bool IsFocusedLast();
    // The node is the first node of the tree, or the last visible row.
    virtual bool IsFirstRow(TdxTreeListNode *node);
    virtual bool IsLastRow(TdxTreeListNode *node);
    // Expands the collapsed ancestors and scrolls the node's row into view.
    void MakeVisible(TdxTreeListNode *node);

    // ---- Selection ----
    virtual int SelectedCount();
    virtual bool IsNodeSelected(const TdxTreeListNode *node);
    virtual void SetNodeSelected(TdxTreeListNode *node, bool selected);
    virtual void ClearSelection();
    // Selects the rows from one node to the other in display order, in
    // either direction; only the second node when either is not shown.
    virtual void SelectRange(TdxTreeListNode *from, TdxTreeListNode *to);
    // The selected nodes, parents before their descendants and siblings in
    // order, collapsed branches included.
    std::vector<TdxTreeListNode *> SelectedNodes();
    TdxTreeListNode *SelectionAnchor() const { return m_anchor; }
    void SetSelectionAnchor(TdxTreeListNode *node);
    // -1, 0 or 1 as the anchor's display position is greater than, equal to
    // or less than the node's.
    int CompareWithAnchor(TdxTreeListNode *node);

    // ---- Display positions ----
    // -1 for none and for a node that is not shown.
    int AbsoluteIndex(const TdxTreeListNode *node);
    TdxTreeListNode *NodeAtAbsoluteIndex(int index);
    int VisibleRowCount();
    const VisibleRowCache &VisibleRows() const { return m_rows; }

    // ---- Option words; each bit is read through the two queries ----
    uint32_t OptionsA() const { return m_optionsA; }
    uint32_t OptionsB() const { return m_optionsB; }
    void SetOptionsA(uint32_t value);
    void SetOptionsB(uint32_t value);
    virtual bool optionA(int bit) const;
    virtual bool optionB(int bit) const;
    bool IsMultiSelect() const { return optionA(aoMultiSelect); }
    bool IsRowFocus() const { return optionA(aoRowFocus); }
    // Band widths come from their columns: bands are not sized, the last
    // column of a band line is.
    virtual bool IsWidthFit() const;
    bool FitExemption() const { return m_fitExemption; }
    void SetFitExemption(bool value) { m_fitExemption = value; }
    bool SearchAllNodes() const { return m_searchAllNodes; }
    void SetSearchAllNodes(bool value) { m_searchAllNodes = value; }
    // 0 three-dimensional, 1 flat, 2 flat with button-shadow frames.
    uint8_t Look() const { return m_look; }
    void SetLook(uint8_t value);
    // The frame round the window's client area: none, the window system's
    // sunken client edge, or one pixel of our own, sunken (look 1) or a
    // button-shadow line (look 2), with the corner between two scroll
    // bars filled with the button face.
    enum TreeListBorder : uint8_t { tbNone, tbClientEdge, tbFlatEdge, tbFlatFrame };
    TreeListBorder Border() const;
    // Rows of more than one line: option word B bit 15 with a row-line limit.
    bool IsMultiLineRows() const;
    // False while the button cell is not reserved and the root indent is
    // off: everything measured in indents then moves one indent left.
    bool IsRootIndent() const;

    // ---- Geometry settings and fonts ----
    const TreeListSettings &Settings() const { return m_settings; }
    // Lays out and repaints when anything changed.
    void SetSettings(const TreeListSettings &settings);
    classes::TFont &BandFont() { return m_bandFont; }
    classes::TFont &HeaderFont() { return m_headerFont; }
    classes::TFont &PreviewFont() { return m_previewFont; }
    void SetBandFont(const classes::TFont &font);
    void SetHeaderFont(const classes::TFont &font);
    // A change of the band, header or preview font means the control no
    // longer takes its parent's font, unless it is loading or applying that
    // font itself.
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool value) { m_parentFont = value; }
    // The parent's font changed while the control takes it: band and header
    // fonts follow it, the preview font takes its name, size and style in
    // blue.
    void ApplyParentFont(const classes::TFont &font);

    // ---- Incremental search ----
    // Column -1: the focused column. True when the text still stands after
    // the first step.
    bool StartSearch(int column, const QString &text);
    void EndSearch();
    bool Searching() const { return m_searching; }
    int SearchColumn() const { return m_searchColumn; }
    const QString &SearchText() const { return m_searchText; }
    void SetSearchText(const QString &text) { m_searchText = text; }
    // Focuses the next node whose text in the search column begins with the
    // text. Without a match the text is emptied (clearOnFailure), loses its
    // last character (direction 0) or stays.
    virtual void SearchStep(QString &text, int direction, bool clearOnFailure);
    // Without regard to case; wraps once round the tree and fails at the
    // node it started from.
    virtual bool FindByPrefix(int column, const QString &text, int direction, TdxTreeListNode *&found);
    // Searches keep the start of each node's text in the searched column
    // folded. Whatever changes what CellText answers says so here: for one
    // cell (column -1: any of the node's), or for every text at once (texts
    // reloaded, columns moved).
    void TextChanged(TdxTreeListNode *node, int column = -1);
    void TextsChanged();

    // ---- Steps of the keyboard ----
    // Moves the focus by that many rows (negative: up), clamped to the rows;
    // with multiple selection Shift extends the selection from the anchor.
    void StepRows(int rows, TShiftState shift);
    void StepPage(bool down);
    // To the neighbouring visible column position; at either end, with
    // wrapRows, to the first cell of the next row or the last cell of the
    // previous one. False when nothing moved.
    bool StepColumn(bool forward, bool wrapRows, bool tabStopsOnly);
    // Between the band lines of a row, keeping the place in the line where
    // it can; false at the first or last line, where the caller moves a row.
    bool StepBandLine(bool down);

    // ---- Columns in reading order: band lines from the top, within a line
    // the visible bands from left to right, within a band its columns of the
    // line from left to right ----
    int VisibleColumnCount();
    // -1 for a position outside the order.
    int ColumnAtPosition(int position);
    // 0 for a column that is not placed.
    int PositionOfColumn(int column);

    // ---- Text export: a header entry, then one entry per row ----
    virtual void SaveAllToStrings(QStringList &list);
    virtual void SaveSelectedToStrings(QStringList &list);
    // The selected rows, or the focused one, as text on the clipboard.
    void CopySelectedToClipboard();

    // ---- Sorting ----
    // Sorts the node lists at that depth by the column (level -1: at every
    // depth, 0: the top-level nodes). With the multi-sort option and more
    // than one sorted column, the sorted columns decide in their order
    // instead. Ties keep their order.
    virtual void SortNodes(int level, int column, bool descending);
    virtual int SortedColumnCount() { return 0; }
    virtual bool SortedColumnDesc(int /*i*/) { return false; }
    virtual int SortedColumnIndex(int /*i*/) { return -1; }
    virtual bool IsMultiSort() const { return optionB(boMultiSort); }
    // What a node is sorted by in a column.
    virtual QVariant GetSortValue(TdxTreeListNode * /*node*/, int /*column*/) { return QString(); }
    // A click on a column's header that may sort by it.
    virtual void ColumnSortClick(int /*column*/, TShiftState /*shift*/) {}
    // While a header click runs: Shift was held and several columns may
    // sort; Ctrl was held.
    bool HeaderClickShift() const { return m_headerClickShift; }
    bool HeaderClickCtrl() const { return m_headerClickCtrl; }

    // ---- Geometry: metrics, layout, hit testing ----
    const rtl::TRect &ClientRect() const { return m_clientRect; }
    // A new client size; the scroll positions are kept valid.
    void SetClientRect(const rtl::TRect &rect);
    // The window took a new size: multi-line rows measure themselves again
    // and editing ends, its cell having moved or changed width.
    void WindowResized();
    const TreeListMetrics &Metrics() const { return m_metrics; }
    // Heights and widths from the fonts and settings, measured through the
    // host; adopts the minimum row height as DefaultRowHeight unless that
    // was set by hand.
    void CalcMetrics();
    // The sizes of the lists as they are now: a list handed over bare that
    // has gone takes no room, even before anyone tells of it.
    TreeListImageSizes ImageSizes() const;
    void SetImageSizes(const TreeListImageSizes &sizes);
    void CalcLayout(TdxTreeListLayoutInfo &info);
    virtual TdxTreeListHitInfo HitTest(int x, int y);
    // None off the rows.
    TdxTreeListNode *GetNodeAt(int x, int y);
    // The cell of the node at a column position; (-1, -1, -1, -1) when the
    // column or the row is not laid out.
    rtl::TRect CellRect(TdxTreeListNode *node, int position);
    // Where the in-place editor of that cell goes: the cell, less the grid
    // lines it would cover.
    rtl::TRect EditorRect(TdxTreeListNode *node, int position);
    // The new item row's cell at a column position, above its separator;
    // (-1, -1, -1, -1) when the row or the column is not laid out.
    rtl::TRect NewItemRowCellRect(int position);
    // The parts of the node's indent, within a row of that height, cut at
    // the limit (a part from the limit on is empty).
    TreeListIndentRects NodeIndentRects(const TdxTreeListNode *node, int rowHeight, int limit = INT_MAX);
    int NodeIndentWidth(const TdxTreeListNode *node);
    virtual int NodeRowHeight(TdxTreeListNode *node);
    int NodePreviewLines(TdxTreeListNode *node);
    // Rows of as many lines as their texts wrap to, up to the row-line
    // limit: option word B bit 15 and a limit other than 0, without
    // previews, under a header of one line.
    bool IsSingleLineRowMode();
    // The height and lines of a node's text in a column wrapped into that
    // width; the lines are capped at maxLines unless it is -1.
    virtual void MeasureCellHeight(TdxTreeListNode *node, int column, int width, int maxLines, int &height, int &lines);
    // The lines of the node's tallest cell; lineHeight comes back larger
    // when a cell asks for taller lines.
    virtual int NodeLineCount(TdxTreeListNode *node, int &lineHeight);
    // Per-row and per-column answers of the layout record. A node of one
    // text is drawn as one piece across the row.
    virtual bool IsWholeRow(TdxTreeListNode *node) { return IsSingleTextNode(node); }
    virtual bool RowFlag(TdxTreeListNode * /*node*/) { return false; }
    virtual bool ColumnWrapsText(int /*column*/) { return false; }
    // Whether the group of the node's ancestor at that level closes with a
    // footer line under its last row.
    virtual bool IsGroupFooter(TdxTreeListNode * /*node*/, int /*level*/) { return false; }
    // Footer lines under the node's row: one for each level whose group ends
    // with it, walking up while it is the last child.
    int NodeFooterLines(TdxTreeListNode *node);
    // The levels of those lines, the innermost first.
    std::vector<int> NodeFooterLevels(TdxTreeListNode *node);
    // Told around the painting of each row; nothing in the base.
    virtual void DoRowBegin(TdxTreeListNode * /*node*/) {}
    virtual void DoRowEnd(TdxTreeListNode * /*node*/) {}
    // Indent levels, group rows and footer lines take the level's colour in
    // place of the group and light colours when a descendant supplies them.
    virtual bool HasLevelColors() { return false; }
    virtual rtl::TColor LevelColor(TdxTreeListNode * /*node*/, int /*level*/) { return m_colors.GroupColor; }

    // ---- Panels, previews and footers: what a descendant fills in ----
    // The group-by panel's height; there is none in the base.
    virtual int GroupPanelHeight() { return 0; }
    // Text lines of one header cell, at least 1; the header line is as
    // tall as that many lines of the header font.
    virtual int HeaderCellLineCount() { return 1; }
    // The indicator column's width while it is shown.
    virtual int IndicatorWidth() { return 12; }
    // Rows take 2 pixels more than their text and images need.
    virtual bool RowsTakeExtraStep() { return false; }
    virtual QString BottomPanelText() { return {}; }
    virtual bool IsBottomPanelButtonShown() { return false; }
    // The text of a column's cell in the footer panel.
    virtual QString FooterCellText(int /*column*/) { return {}; }
    // A column header's drop-down part: -1 none, else its DropDownState.
    virtual int ColumnHeaderDropDown(int /*column*/) { return -1; }
    // A column header's picture, none in the base, and whether there is one.
    virtual classes::TBitmap *ColumnHeaderGlyph(int /*column*/) { return nullptr; }
    virtual bool ColumnHasHeaderGlyph(int column);
    // The height of a column's font, measured on "Wg"; 0 without a host.
    virtual int ColumnTextHeight(int column);
    // Under option word B bit 3 a node's preview lines are measured from it.
    virtual QString NodePreviewText(TdxTreeListNode * /*node*/) { return {}; }
    // The last word on a measured preview height.
    virtual void AdjustPreviewHeight(int & /*height*/) {}
    // The font a header's custom-draw hook is handed.
    classes::TFont &CustomDrawFont() { return m_customDrawFont; }
    // Stored and displayed widths of the visible bands; 64-bit sums are
    // clamped to the int range.
    int BandMinimumWidth(int position);
    int BandStoredWidth(int position);
    int BandDisplayWidth(int position);
    int TotalBandsWidth();

    // ---- Sizing: limits while the mode runs, the result when it ends ----
    // The nearest allowed end point of a band or column sizing.
    int ClampBandSizing(int position, int x);
    int ClampColumnSizing(int column, int x);
    // The finished sizings; each runs in one update bracket.
    void FinishBandSizing(int position, int x);
    void FinishColumnSizing(int column, int x);
    void FinishBandPanelSizing(int y);
    void FinishHeaderPanelSizing(int y);
    void FinishRowSizing(TdxTreeListNode *node, int y);
    // The displayed width of a column in its band line.
    int ColumnDisplayWidth(int column);
    // Lines of wrapped preview text in that width, capped at limit unless it
    // is -1; height receives their height. lineHeight 0: the font's.
    int MeasurePreviewLines(const QString &text, int width, int indent, int limit, int lineHeight,
                            const classes::TFont &font, int &height);

    // ---- Scroll model ----
    int HorzOffset() const { return m_horzOffset; }
    // Clamped to the scrollable width; moves the contents through the host.
    void SetHorzOffset(int value);
    // Scrolls the band at that visible position into view; nothing for a
    // fixed band or with fewer than two bands.
    void MakeBandVisible(int position);
    // Clamped so that the last page stays full.
    void SetTopRowIndex(int value);
    // Width of the bands that scroll, and of the area they scroll in.
    int ScrollableWidth();
    int HorzPageWidth();
    int RowsOnPage();
    // The offset a thumb dragged to that track position gives.
    int HorzThumbOffset(int track);
    struct ScrollBarValues
    {
        int Min = 0;
        int Max = 0;
        int Page = 0;
        int Pos = 0;
        friend bool operator==(const ScrollBarValues &, const ScrollBarValues &) = default;
    };
    ScrollBarValues HorzScrollBarValues();
    ScrollBarValues VertScrollBarValues();
    // After a resize or a change of rows or widths.
    void KeepPositionsValid();
    // A scroll bar's request (SB_ codes); track is the thumb's position for
    // the thumb requests. Nothing when the may-scroll hook refuses.
    void HScroll(int code, int track = 0);
    void VScroll(int code) override { VScrollTo(code, 0); }
    // Each line may end the edit, whose handlers may free the grid.
    void MouseWheelScroll(bool up, int lines) override;
    void VScrollTo(int code, int track);
    // Every row and the whole width fit the client area as it is: the
    // window then shows neither scroll bar.
    bool ContentsFit();
    // The dy of the last top-row change: the summed heights of the rows
    // passed, negative when the contents moved up.
    int LastScrollDy() const { return m_lastScrollDy; }
    // Set: a horizontal move repaints the whole control instead of moving
    // the window's contents.
    bool NoScroll() const { return m_noScroll; }
    void SetNoScroll(bool value) { m_noScroll = value; }
    // Every row and the whole width would fit the client area grown by the
    // two bars: a resize may then take both away.
    virtual bool MayTrimScrollBars() { return true; }
    // Runs after each change of the horizontal offset.
    virtual void HorzPositionChanged() {}
    // The bars follow the positions: after each move of either and each
    // resize. The window decides how.
    virtual void UpdateScrollBars();
    // What a move of the top row scrolls: the rows area, widened over the
    // indicator column.
    virtual rtl::TRect RowsScrollRect();
    // A row height set by hand (sizing a row, a stored layout).
    virtual void SetDefaultRowHeight(int height);

    // ---- Editing and the window ----
    uint8_t State() const { return m_state; }
    InplaceEditor *Editor() const { return m_editor; }
    // The open editor is hidden for a while, its edit going on: by an
    // update bracket, or while its cell is out of view.
    bool EditorAside() const { return m_state == tsEditing && m_editor && m_editorAside; }
    // Puts an open editor over its cell as the layout has it now, and
    // brings back one that an update bracket put aside. Whatever moves the
    // cells repaints the grid whole, and the window calls this then: rows
    // added, deleted, expanded or sorted above the edited one, the top row
    // moved, a setting that changes the rows' heights.
    void PlaceEditor();
    // The editor validates (it may refuse: false, still editing), hides and
    // the focus returns to the tree list.
    bool EndEditing();
    // As EndEditing without resetting hot tracking, also while being
    // destroyed; gives the focus back only when the editor had it.
    bool EndEditingQuietly();
    bool HasFocus() const;
    virtual bool IsEditingActive();
    // An editor is shown and the client point lies in its client area.
    bool IsPointInEditor(const rtl::TPoint &point);
    // A client point lies on the node's row as laid out now, across the
    // rows area. The row is taken 2 pixels larger on every side, as far as
    // an in-place editor reaches past its cell, so that a point on the
    // editor's frame still counts as the row. False for a node not shown.
    virtual bool IsPointInRow(TdxTreeListNode *node, const rtl::TPoint &point);
    bool IsDestroying() const { return HasState(classes::csDestroying); }
    // A timer started through the host elapsed.
    virtual void TimerFired(int id);
    // The timer of a click on the focused cell that opens the editor unless
    // a double click comes first.
    static constexpr int DelayedEditTimer = 2;
    // The timer that scrolls the columns while a dragged header is held near
    // either end of the scrolling header area; 100 ms a step of 32 pixels.
    static constexpr int DragScrollTimer = 120;
    // The timer that moves the focus a row every 100 ms while a pressed
    // node is held above or below the rows.
    static constexpr int PressScrollTimer = 122;
    // -1 up, 1 down, 0 while it does not run for this grid.
    int PressScrollDirection() const { return m_pressScrollDirection; }
    // -1 left, 1 right, 0 when it does not run.
    int DragScrollDirection() const { return m_dragScrollDirection; }

    // ---- Painting ----
    // The pass the window paints this tree list with. None: the standard
    // pass; a descendant that draws the group panel, cells, rows or
    // previews its own way returns a painter of its own.
    virtual std::unique_ptr<TreeListPaintPass> CreatePainter(gfx::Canvas &canvas, bool focused);
    const TreeListColors &Colors() const { return m_colors; }
    void SetColors(const TreeListColors &colors);
    const TreeListPaintSwitches &PaintSwitches() const { return m_paintSwitches; }
    void SetPaintSwitches(const TreeListPaintSwitches &switches);
    rtl::TColor GridLineColor() const { return grid::GridLineColor(m_colors); }
    // The nodes' images and state images, not owned. Their sizes enter the
    // geometry, and the grid follows every change of a list. A list is
    // forgotten when the image-list component it belongs to goes and tells
    // this grid (the component form links itself; a program handing over
    // the list alone links the component with FreeNotification).
    // None once the list has gone, even before anyone tells of it.
    gfx::ImageList *Images() const { return m_imagesAlive.expired() ? nullptr : m_images; }
    gfx::ImageList *StateImages() const { return m_stateImagesAlive.expired() ? nullptr : m_stateImages; }
    void SetImages(gfx::ImageList *images);
    void SetStateImages(gfx::ImageList *images);
    classes::TCustomImageList *ImagesComponent() const { return m_imagesComponent; }
    classes::TCustomImageList *StateImagesComponent() const { return m_stateImagesComponent; }
    void SetImagesComponent(classes::TCustomImageList *images);
    void SetStateImagesComponent(classes::TCustomImageList *images);
    void Notification(classes::TComponent *component, classes::TOperation operation) override;
    // What a header press draws pressed until the button is released: the
    // column (-1 none) and the band position (-1 none).
    int PressedColumn() const { return m_pressedColumn; }
    int PressedBand() const { return m_pressedBand; }
    void SetPressed(int column, int band);
    // The scroll bracket: while above 0 the inverted feedback (sizing line,
    // drop arrows) is hidden; it comes back when the count returns to 0.
    int FeedbackHidden() const { return m_feedbackHidden; }
    void HideFeedback() { ++m_feedbackHidden; }
    void ShowFeedback();
    // Rows the indicator marks beside the focused one; false in the core.
    virtual bool IsRowIndicator(TdxTreeListNode * /*node*/) { return false; }
    // ---- Keyboard ----
    // A key goes down: focus, selection, expansion, editing, search and the
    // clipboard, inside one selection bracket. Keys of a mouse mode only
    // cancel it with Esc.
    void KeyDown(TKey &key, TShiftState shift) override;
    // A typed character: search, the immediate editor, "*", "+", "-" and
    // Ctrl+C.
    void KeyPress(TChar &key) override;
    // A typed character would open the editor rather than search or go
    // unused: what an input method is still composing opens it only then.
    bool TypingOpensEditor() const;
    // Ends a sizing or dragging mode without changing anything.
    void CancelMode() override;
    // The key stays for the control's handlers; false swallows it.
    virtual bool KeepKey(TKey /*key*/) { return true; }
    // Shift selects ranges from the anchor.
    virtual bool MayRangeSelect() { return true; }
    // Shows the in-place editor on the focused cell, handing it the typed
    // character when there is one; false when no editor came up.
    virtual bool ShowEditor(TChar typed = 0);
    // Ctrl is held and Alt is not, so that AltGr characters still type.
    bool CtrlWithoutAlt() const;
    // Interaction states of a sizing or dragging mode.
    static bool IsMouseMode(uint8_t state);

    // ---- Hot tracking and the bottom-panel hint ----
    TreeListHotTrack &HotTrack() { return *m_hotTrack; }
    TreeListBottomHint &BottomHint() { return *m_bottomHint; }
    virtual bool IsHotTrack() const { return optionB(boHotTrack); }
    virtual QString BottomButtonHint() { return {}; }
    // The node's cell of that column is the hot one.
    virtual bool IsHotCell(TdxTreeListNode *node, int column);
    // The cursor over a hot cell: what comes in, changed by the column's
    // hook and then by the event.
    virtual void GetHotTrackCursor(TdxTreeListNode *node, int column, TCursor &cursor);
    std::function<void(classes::TObject *sender, TdxTreeListNode *node, int column, TCursor &cursor)> OnHotTrackCursor;
    void MouseEntered(int x, int y); // the pointer came into the window
    void MouseLeft();

    // ---- Mouse ----
    // Presses focus and select nodes, toggle expansion, press headers and
    // start the sizing modes; moves follow a mode; releases apply it.
    // shift carries ssDouble for the second press of a double click.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // The cursor over a point: the split cursors over sizing edges and while
    // sizing; crDefault elsewhere.
    TCursor CursorAt(int x, int y);
    // A form designer's question whether a press at the point is the
    // grid's own: at design time headers, bands and sizing edges stay
    // sizable and movable, and so does a mode that is running.
    bool DesignHitTest(int x, int y);
    // Where the running sizing mode stands (its start and the clamped
    // position), for the feedback line.
    int SizingStart() const { return m_sizingStart; }
    int SizingPosition() const { return m_sizingPos; }
    const TdxTreeListHitInfo &PressHit() const { return m_pressHit; }
    // The last press changed the selection with Ctrl or Shift; a Ctrl key
    // since clears it.
    bool ToggleOnPress() const { return m_toggleOnPress; }
    // A double click on a column's or band's edge.
    virtual void ColumnBestFit(int /*column*/) {}
    virtual void BandBestFit(int /*band*/) {}
    // A finished click on a band header.
    virtual void BandClick(int /*position*/) {}
    // A band's or a column's sizing starts with a press on its edge, and
    // ends with a new width.
    virtual void BeginBandSizing(int /*position*/) {}
    virtual void BeginColumnSizing(int /*column*/) {}
    virtual void BandSized(int /*position*/) {}
    virtual void ColumnSized(int /*column*/) {}
    // A release of the band panel's or the header panel's indicator button,
    // and of the bottom panel's button.
    virtual void IndicatorButtonClick(bool /*bandPanel*/) {}
    virtual void BottomButtonClick() {}
    // The header's alternative click mode: in its sub-mode 2 a column
    // header press is held in state 15 and its click goes to the hook
    // below instead of sorting.
    virtual int AlternativeHeaderMode() { return 0; }
    virtual void AlternativeHeaderClick(int /*column*/) {}
    // Whether a press on a cell edits at once: the point, the focused
    // column and whether the node was focused before the press.
    virtual bool ImmediateEditQuery(int x, int y, int column, bool wasFocused);
    // A button of the band panel, the header panel or the bottom panel is
    // held down (states 11, 7 and 16).
    bool ButtonPressed() const { return m_buttonPressed; }

    // ---- Keyboard focus of the window ----
    // The window took the focus: a tree list without a focused node focuses
    // its top row, and the focus marks are drawn anew.
    void FocusEntered();
    // The window lost the focus; toEditor when its own in-place editor took
    // it, which changes nothing. Otherwise editing ends and a pending node
    // press is forgotten.
    void FocusLeft(bool toEditor);

    // ---- Band header drags ----
    using BandDrop = TreeListBandDrop;
    BandDrop BandDropTarget(int position, int x, int y);
    int DraggedBand() const { return m_state == tsBandDragging ? m_pressedBand : -1; }
    virtual bool MayDragBand(int position)
    {
        return optionB(boBandDragging) && position != VisiblePositionOfBand(LeftFixedBand()) &&
               position != VisiblePositionOfBand(RightFixedBand());
    }
    // The steps of a header drag: it begins, it is dropped at a point (or
    // ends without a drop), and the changes a drop asks for.
    virtual void BeginBandDrag(int position, int x, int y);
    virtual void EndBandDrag(int position, bool dropped, int x, int y);
    virtual void BeginColumnDrag(int column, int x, int y);
    virtual void EndColumnDrag(int column, bool dropped, int x, int y);
    // Bands by collection index; columns placed at (visible band position,
    // band line, place).
    virtual void MoveBand(int /*from*/, int /*to*/) {}
    virtual void HideBand(int /*band*/) {}
    virtual void ShowBand(int /*band*/, int /*position*/) {}
    virtual void MoveColumn(int /*column*/, int /*band*/, int /*line*/, int /*place*/) {}
    virtual void HideColumn(int /*column*/) {}
    virtual void ShowColumn(int /*column*/, int /*band*/, int /*line*/, int /*place*/) {}
    // An item that refuses to be hidden or shown by the user.
    virtual bool BandCustomizingDisabled(int /*band*/) { return false; }
    virtual bool ColumnCustomizingDisabled(int /*column*/) { return false; }
    // Hidden and customisable: a customisation window would list it.
    virtual bool BandMayBeShown(int /*band*/) { return false; }
    virtual bool ColumnMayBeShown(int /*column*/) { return false; }
    // The customisation window: whether it is shown, and whether a client
    // point lies over it. This program has none.
    virtual bool IsCustomizingShown() { return false; }
    virtual bool IsPointOverCustomizing(int /*x*/, int /*y*/) { return false; }
    // The text of a column's header cell as a header drag shows it.
    virtual void GetHeaderCellText(int /*column*/, QString & /*text*/) {}
    // A width kept with the drag slots; nothing in this program reads it.
    virtual int HeaderDragDefaultWidth() { return 100; }
    // Vetoes of a header drag: while it is over the grid (a refusal shows
    // the delete cursor) and as it ends (a refusal changes nothing); target
    // is the visible position the band would go before, -1 outside or for
    // no place.
    virtual void DragOverBand(int /*position*/, bool & /*accept*/) {}
    virtual void EndDragBand(int /*position*/, int /*target*/, bool & /*accept*/) {}
    virtual void DragOverColumn(int /*column*/, bool & /*accept*/) {}
    virtual void EndDragColumn(int /*column*/, const TreeListColumnDrop & /*target*/, bool & /*accept*/) {}
    // The cursor a header drag shows at a client point.
    virtual void AdjustDragCursor(int /*x*/, int /*y*/, TCursor & /*cursor*/) {}

    // ---- Column header drags ----
    using ColumnDrop = TreeListColumnDrop;
    ColumnDrop ColumnDropTarget(int column, int x, int y);
    // The column being dragged; -1 outside a drag.
    int DraggedColumn() const { return m_state == tsColumnDragging ? m_pressedColumn : -1; }
    // The drags of this grid's nodes and of drags over it.
    TreeListNodeDrag &NodeDrag();
    // A node drag copies rather than moves while Ctrl is held.
    virtual bool IsCopyDrag() { return false; }
    // The picture a node drag carries: the node in the column given.
    virtual TreeListDragPicture BuildNodeDragImage(TdxTreeListNode *node, int column);
    // The inverted arrows at the place a dragged header would go; empty
    // without a place or while the scroll bracket hides the feedback.
    rtl::TRect DropArrowsRect() const;
    // Whether the column's header may be dragged.
    virtual bool MayDragColumn(int /*column*/) { return optionA(aoColumnDragging); }

    // ---- Answers to the editors ----
    bool IsPaintOption() override;
    bool EditClickToDblClick() override;
    bool EditOptionQuery() override;
    uint8_t GetEditKind() override;
    // An editor on the grid takes changes and characters.
    bool CanEditModify() override { return true; }
    bool CanEditAcceptChar(TChar /*key*/) override { return true; }
    // The focus went to another column than the editor was filled for: keys
    // meant for that column must not change this one's value.
    bool IsEditOutOfSync() override;
    // Unassigned values of an editor's style follow the grid.
    std::unique_ptr<TdxEditStyle> CreateEditStyle(InplaceEditor *edit) override;
    // The focused column's colour, then the event's.
    rtl::TColor GetEditColor() override;
    // Tab stays in the editor with its option, unless Ctrl is held, which
    // leaves it to the dialog.
    bool EditWantTabs() override;
    // Ends editing, then one column back or on; never past either end. A
    // refused value keeps the focus where it is.
    void EditMoveFocus(bool backward) override;
    // The focused row and the selected rows show the editor's focus; past
    // ten selected rows the whole grid repaints instead.
    void EditFocusChanged() override;
    std::function<void(classes::TObject *sender, rtl::TColor &color)> OnGetEditColor;

    // ---- The editor of the focused cell ----
    // The column and node the editor was filled from; -1 and none between
    // edits.
    // The edited column is held by its object: the index follows the column
    // when columns before it go or move, and is -1 once it went.
    int EditedColumn() const { return const_cast<TCustomdxTreeList *>(this)->findColumn(m_editedColumn); }
    TdxTreeListNode *EditedNode() const { return m_editedNode; }
    virtual bool CanShowEditor();
    // An editor made by the host for the column; owned by this tree list.
    virtual InplaceEditor *CreateDefaultEditor(int column);
    virtual InplaceEditor *FindEditor(int column);
    // Empty unless an editor is editing.
    QString GetEditorText();
    void SetEditorText(const QString &text);
    virtual void InitEditor(InplaceEditor *editor);
    virtual QVariant GetEditValue();
    // Where a committed value goes; the core keeps nothing.
    virtual void StoreEditValue(TdxTreeListNode * /*node*/, int /*column*/, const QVariant & /*value*/,
                                InplaceEditor * /*editor*/)
    {}

    // A column or band index (by collection index) held across a call-out,
    // and found again from its object afterwards: -1 once it went.
    HeldIndex holdColumn(int column) { return {column, column >= 0 ? ColumnAlive(column) : TreeListAlive()}; }
    int findColumn(const HeldIndex &held)
    {
        return held.find(ColumnCount(), [this](int i) { return ColumnAlive(i); });
    }
    HeldIndex holdBand(int band) { return {band, band >= 0 ? BandAlive(band) : TreeListAlive()}; }
    int findBand(const HeldIndex &held)
    {
        return held.find(BandCount(), [this](int i) { return BandAlive(i); });
    }

protected:
    // The node factory; the node must have this tree list as owner.
    virtual std::unique_ptr<TdxTreeListNode> CreateNode() = 0;
    // The early part of destruction: clears the nodes while the descendant
    // is still whole, so its hooks answer the deletion notices. A
    // descendant's destructor calls it first; later calls do nothing.
    void BeginDestroy();
    void SetState(uint8_t state) { m_state = state; }
    void SetEditor(InplaceEditor *editor) { m_editor = editor; }
    // The edited node or column is going: editing ends storing nothing.
    void AbandonEdit();
    TdxTreeListNode *AnySelectedNode() const { return m_selection.any(); }

    // ---- Hooks: what a descendant refines ----
    virtual void NodeAdded(TdxTreeListNode *node);
    // Nodes came or went (once for a branch or for clearing all).
    virtual void NodeCountChanged() {}
    // The node has left the tree; previous is its former previous sibling or
    // parent. While the nodes are cleared the neighbours are none and the
    // flags False.
    virtual void NodeDeleted(TdxTreeListNode *node, TdxTreeListNode *previous, bool wasVisible, bool wasLast,
                             TdxTreeListNode *nextVisible);
    virtual bool NodeHasChildren(TdxTreeListNode *node);
    virtual void DoExpanding(TdxTreeListNode *node, bool &allow);
    virtual void DoCollapsing(TdxTreeListNode *node, bool &allow);
    virtual void DoExpanded(TdxTreeListNode *node);
    virtual void DoCollapsed(TdxTreeListNode *node);
    virtual void DoNodeChanged(TdxTreeListNode *node);
    // A node holding the focus below it collapses; false stops the collapse.
    virtual bool CollapseWithFocusInside(TdxTreeListNode *node);
    virtual void NodeChanged(TdxTreeListNode *node, bool fullRefresh);
    virtual void InvalidateNode(TdxTreeListNode *node);
    virtual void SetTopNode(TdxTreeListNode *node);
    // The set-focus hook; column is a position in reading order.
    virtual void ChangeFocus(TdxTreeListNode *node, int column, bool makeVisible);
    virtual void MakeColumnVisible(int column);
    virtual void SelectionChanged();
    virtual void DropVisibleRows();
    // Without a changed node the cache is rebuilt; after an expansion or
    // collapse of one node it is updated in place.
    virtual void UpdateVisibleRows(TdxTreeListNode *changed);
    virtual void BeginUpdateHook();
    virtual void EndUpdateHook();
    virtual void ResetHotTracking();
    // The node exports only its text of column 0.
    virtual bool IsSingleTextNode(TdxTreeListNode *node);
    // Rows that fit completely in the rows area; at least 1.
    virtual int RowsPerPage();
    // Fonts or metrics changed: measures and heights are computed anew
    // unless an update is in progress.
    virtual void LayoutChanged();
    // The metrics were left alone while the stream was read.
    void Loaded() override;
    // Whether a node's measured row height is kept until something it
    // depends on changes.
    virtual bool CanCacheRowHeight() { return true; }
    virtual void StructureChanged() {}
    virtual void DropWidthCache() {}
    // Where the columns are placed per band line, and their displayed
    // widths, are worked out anew; nothing kept in the base.
    virtual void RebuildColumnPlacement() {}
    virtual void RebuildWidthCache() {}
    // The header's line count follows the lines the columns use; nothing
    // in the base.
    virtual void AdjustHeaderLineCount() {}
    virtual void BandColumnsChanged(int /*band*/) {}
    virtual void ColumnChanged(int /*column*/) {}
    virtual void RestoreLayout() {}
    virtual void StoreLayout() {}
    // Asked before the editor is shown on the node; the event may refuse.
    virtual void DoCanEdit(TdxTreeListNode *node, bool &allow);
    // Asked instead while the new item row is active, which has no node.
    virtual void DoCanEditNewItemRow(bool &allow);
    // A press on the new item row with no node focused appends one.
    virtual TdxTreeListNode *AppendNewItemNode() { return Add(); }

public:
    // Every row measures its height again when next asked. Changes the tree
    // list sees call it themselves; a handler or hook that starts measuring
    // rows differently calls it too.
    virtual void RowHeightsChanged();

    // ---- Questions the input handling asks before it acts ----
    virtual bool MayScroll() { return true; }
    virtual bool MayDoubleClick() { return true; }
    virtual bool MaySelect() { return true; }
    // The new item row takes the focus in place of the focused node's row.
    virtual bool IsNewItemRowActive() { return m_newItemRowActive; }
    virtual bool IsNewItemRowShown() { return false; }
    // Only while the row is shown; both rows repaint.
    void SetNewItemRowActive(bool value);
    virtual bool IsBottomPanelShown() { return false; }
    // Focuses the row at that display position, clamped to the rows, keeping
    // the focused column and showing the row.
    virtual void SetFocusedRowIndex(int index);
    // Images of a node's row: the image, the image while selected, the
    // state image; -1 for none.
    virtual int NodeImageIndex(const TdxTreeListNode * /*node*/) { return -1; }
    virtual int NodeSelectedIndex(const TdxTreeListNode * /*node*/) { return -1; }
    virtual int NodeStateIndex(const TdxTreeListNode * /*node*/) { return -1; }
    // The control's colour and font, which a column may have its own of.
    virtual rtl::TColor ColumnColor(int /*column*/) { return Color(); }
    virtual const classes::TFont &ColumnFont(int /*column*/) { return Font(); }
    // The character a column shows for each character of its texts; null
    // for a column that shows its texts.
    virtual QChar ColumnPasswordChar(int /*column*/) { return {}; }
    // A cell's text as the cell shows it: a password column gives its mask
    // character for each character.
    QString ShownCellText(const TdxTreeListNode *node, int column);

protected:
private:
    friend class TdxTreeListNode;
    friend class TreeListNodeRef;
    friend class TreeListNodeDrag;
    friend class NodeList;
    // A paint defers the deletions its drawing handlers ask for.
    friend class TreeListPainter;
    class DeletionDeferral;
    class SelectionBracket;
    class UpdateBracket;

    TdxTreeListNode *insertNode(TdxTreeListNode *parent);
    void deleteNode(TdxTreeListNode *node);
    void freeSubtree(TdxTreeListNode *root);
    // Frees a branch no list holds any more, without telling anyone: what
    // a clearing had taken out when a handler freed the tree list.
    static void dropBranch(TdxTreeListNode *root);
    void finishDeletion(TdxTreeListNode *node, TdxTreeListNode *nextVisible);
    void repairReferences(TdxTreeListNode *node, TdxTreeListNode *previous, bool wasLast, TdxTreeListNode *nextVisible);
    void flushPendingDeletions();
    void setNodeExpanded(TdxTreeListNode *node, bool value);
    void fontChanged();
    void expandNode(TdxTreeListNode *node, bool recurse);
    void setFocusedColumnPosition(int position);
    void focusEditedColumn();
    void ensureVisibleRows();
    bool owns(const TdxTreeListNode *node) const { return node && node->m_owner == this; }
    bool closeEditor(bool validate, bool refocus);
    void showEditorInCell(bool focusEditor);
    // False when a handler freed the grid meanwhile.
    bool initEditorForCell();
    void commitEdit();
    // Commits (unless the editor is going) and hides the editor.
    void hideEditor(InplaceEditor *editor);
    // Calls f(column, band, line, place) in reading order until it answers
    // false.
    void forEachPlacedColumn(const std::function<bool(int, int, int, int)> &f);
    std::vector<int> exportColumns();
    QString headerEntry(const std::vector<int> &columns);
    QString nodeEntry(TdxTreeListNode *node, const std::vector<int> &columns);
    QString exportCellText(TdxTreeListNode *node, int column);

    void layoutBands(TdxTreeListLayoutInfo &info);
    void layoutHeaderCells(TdxTreeListLayoutInfo &info);
    // Rows stop once they start below stopY; a hit test needs none further.
    void calcLayout(TdxTreeListLayoutInfo &info, int stopY);
    void layoutRows(TdxTreeListLayoutInfo &info, int stopY);
    void hitBandPanel(const TdxTreeListLayoutInfo &info, TdxTreeListHitInfo &hit);
    void hitHeaderPanel(const TdxTreeListLayoutInfo &info, TdxTreeListHitInfo &hit);
    void hitRows(const TdxTreeListLayoutInfo &info, TdxTreeListHitInfo &hit);
    std::vector<int> lineWidths(int position, int line, int width);
    // The widths of a band line's cells as laid out in a band that wide.
    std::vector<int> placedLineWidths(int position, int line, int bandWidth);
    // A forced call measures afresh and keeps nothing: it asks about a line
    // height other than the rows'.
    int rowHeightFor(TdxTreeListNode *node, int lineHeight, int *lineCount = nullptr, bool force = false);
    int measureRowHeight(TdxTreeListNode *node, int lineHeight, int &lineCount);
    // Row heights kept so far are stale.
    void rowHeightsStale();
    void rescaleBand(int position, int width);
    // Where a scrolling band starts at offset 0.
    int64_t scrolledBandLeft(int position);
    bool isFixedBand(int position);
    // The smallest move of the offset that brings [left, right) into the
    // page, never beyond rightmost when it moves right.
    void scrollSpanIntoView(int64_t left, int64_t right, int64_t rightmost);

    TreeListHost *m_host = nullptr;
    rtl::TRect m_clientRect;
    TreeListMetrics m_metrics;
    TreeListImageSizes m_imageSizes;
    int m_horzOffset = 0;
    int m_lastScrollDy = 0;
    bool m_noScroll = false;
    NodeList m_topLevel;
    int m_nodeCount = 0;
    TdxTreeListNode *m_focused = nullptr;
    TdxTreeListNode *m_top = nullptr;
    TdxTreeListNode *m_anchor = nullptr;
    TreeListSelection m_selection;
    VisibleRowCache m_rows;
    uint64_t m_structureVersion = 0; // moves with every entry into or out of a node list
    std::vector<TreeListNodeRef *> m_refs;

    uint32_t m_optionsA = DefaultOptionsA;
    uint32_t m_optionsB = DefaultOptionsB;
    bool m_fitExemption = false;
    bool m_searchAllNodes = true;
    uint8_t m_look = 0;
    TreeListSettings m_settings;
    classes::TFont m_bandFont;
    classes::TFont m_headerFont;
    classes::TFont m_previewFont;
    classes::TFont m_customDrawFont;
    bool m_parentFont = true;
    bool m_applyingParentFont = false;

    int32_t m_updateCount = 0;
    // A layout change met the update lock; it is measured when the lock goes.
    bool m_layoutPending = false;
    int32_t m_selectionLock = 0;
    int m_selectionCountAtBegin = 0;
    bool m_clearing = false;
    bool m_destroyStarted = false;
    TreeListLife m_life;

    int m_deferDepth = 0;
    bool m_flushing = false;
    bool m_clearPending = false;
    std::vector<TdxTreeListNode *> m_pendingDeletes;

    uint8_t m_state = tsNone;
    TreeListColors m_colors;
    TreeListPaintSwitches m_paintSwitches;
    int m_pressedColumn = -1;
    int m_pressedBand = -1;
    int m_feedbackHidden = 0;
    TdxTreeListHitInfo m_pressHit;
    int m_pressX = 0;
    int m_pressY = 0;
    int m_sizingStart = 0;
    int m_sizingPos = 0;
    bool m_toggleOnPress = false;
    bool m_selectOnRelease = false;
    bool m_focusMovedByPress = false;
    // A press on the new item row, which has no node to hold the click.
    bool m_clickOnRelease = false;
    bool m_headerClickShift = false;
    bool m_headerClickCtrl = false;
    bool m_buttonPressed = false;
    int m_dragScrollDirection = 0;
    int m_pressScrollDirection = 0;
    bool m_newItemRowActive = false;
    void dragAutoScroll(int x);
    void stopDragScroll();
    void pressAutoScroll(int y);
    void beginHeaderDrag(uint8_t state, int x, int y);
    void headerDragStep(bool outside, bool accepted, const rtl::TRect &arrows, int x, int y);
    void endHeaderDrag();
    // The end step leaves the drag's mode, if the drag still has it,
    // without CancelMode calling the end step again.
    void leaveHeaderDrag(uint8_t state);
    rtl::TRect dropArrowsAt(int edge, int lineTop, int lineHeight) const;
    rtl::TRect m_dropArrows;
    bool m_endingHeaderDrag = false; // the end step is cancelling the mode
    void pressNewItemRow(TMouseButton button, const TdxTreeListHitInfo &hit, bool hadFocus);
    // Up from the first node of the tree goes into the new item row when it
    // is shown; false leaves the key its ordinary move.
    bool activateNewItemRowAbove();
    // Takes the last character off a search text: a surrogate pair whole.
    static void chopLastCharacter(QString &text);
    void stopPressScroll();
    void startDelayedEdit();
    // Editing begins and the click that began it places the caret.
    void showEditorAt(int x, int y);
    // Stops the pending click-to-edit of whichever grid runs it.
    static void stopDelayedEdit();
    gfx::ImageList *m_images = nullptr;
    gfx::ImageList *m_stateImages = nullptr;
    classes::TCustomImageList *m_imagesComponent = nullptr;
    classes::TCustomImageList *m_stateImagesComponent = nullptr;
    int m_imagesLink = 0; // subscriptions to the lists' changes
    int m_stateImagesLink = 0;
    // A list may outlive the grid or go before it: a grid that goes undoes
    // its links only with the lists still there, so a long-lived list does
    // not gather a link for every grid it ever served.
    std::weak_ptr<const void> m_imagesAlive;
    std::weak_ptr<const void> m_stateImagesAlive;
    // False once this grid goes: a link left behind does nothing.
    std::shared_ptr<bool> m_listsHeard = std::make_shared<bool>(true);
    void setImageList(bool state, gfx::ImageList *images, classes::TCustomImageList *component);
    void imageListChanged(bool state);
    // Ends the subscription to the list's changes, where the list is still
    // there to end it.
    void unlinkImageList(bool state);
    void dropImageLists();
    InplaceEditor *m_editor = nullptr;
    HeldIndex m_editedColumn;
    // The focused column's place while it is the edited one; -1 otherwise.
    int m_editedPosition = -1;
    TdxTreeListNode *m_editedNode = nullptr;
    bool m_editedNewItemRow = false;
    // The open editor is hidden until its cell is laid out again: by an
    // update bracket, or because its cell went out of view. Whether it had
    // the keys when it went.
    bool m_editorAside = false;
    bool m_editorAsideFocused = false;
    int m_focusedColumn = 0;
    // The rows go to the clipboard: texts as the cells show them.
    bool m_exportShownTexts = false;

    int m_searchColumn = -1;
    QString m_searchText;
    bool m_searching = false;
    int m_searchReentry = 0;
    int m_foldColumn = -1;
    uint16_t m_foldGeneration = 1;   // what the nodes' folded texts must carry
    uint16_t m_heightGeneration = 1; // what the nodes' kept row heights must carry
    // Last, so that they go first: they hold references into the tree.
    std::unique_ptr<TreeListNodeDrag> m_nodeDrag;
    std::unique_ptr<TreeListHotTrack> m_hotTrack;
    std::unique_ptr<TreeListBottomHint> m_bottomHint;
};

} // namespace grid
