#pragma once

// The tree list owns no columns or bands: it asks for them through the
// column-and-band model below, whose base answers describe a grid with none,
// and it tells the program what happens through the events. The control with
// columns answers the model from its bands and columns; tests answer it from
// arrays.
//
// Bands are addressed by visible position, columns by their index in the
// column list; -1 means none throughout, and an index out of range gets the
// neutral answer.

#include "grid/core/TreeListLife.h"

#include "platform/classes/Persistent.h"

#include <QString>
#include <QVariant>

#include <functional>

namespace grid {

class TdxTreeListNode;

// Bits of option word A (bit numbers) that some part of the grid gives a
// role; the others are kept and read only as bits.
enum TreeListOptionA : int {
    aoColumnSizing = 0,
    aoColumnDragging = 1,
    aoEditing = 2, // the editor may be shown; the control wants characters
    aoEditorTabs = 3,
    aoTabWrapsRows = 4,
    aoRowFocus = 5, // no cell focus
    aoMultiSelect = 6,
    aoClickToDblClick = 7,
    aoPreview = 8,
    aoAutoWidth = 10,
    aoHideByDragOut = 12,
    aoEditorHostPaint = 13,
    aoStoreInRegistry = 16,
    aoStoreInIni = 17,
};

// Bits of option word B.
enum TreeListOptionB : int {
    boWidthFit = 2,
    boPreviewFromText = 3,
    boBandSizing = 4,
    boBandDragging = 5,
    boArrowsWrapRows = 6,
    boBandLineSteps = 7, // Up and Down step through a row's band lines first
    boEnterMovesOn = 9,
    boImmediateEditor = 10,
    boUnboundedSizing = 11,
    boDragScrolling = 12,
    boExpandOnDragHover = 13,
    boToggleOnDragHover = 14,
    boMultiLineRows = 15, // with a non-zero row-line limit
    boSortHourglass = 16,
    boBandButton = 17, // the band panel's indicator piece is a button
    boBandPanelSizing = 18,
    boHeaderButton = 19, // the header panel's indicator piece is a button
    boHeaderPanelSizing = 20,
    boRowSizing = 21,
    boMultiSort = 22,
    boEditorOption = 24,
    boComputedHeaderRows = 25,
    boLocaleStringOrder = 27,
    boIncrementalSearch = 29,
    boHotTrack = 30,
    boCtrlCCopies = 31,
};

constexpr uint32_t DefaultOptionsA = 0x00000037;
constexpr uint32_t DefaultOptionsB = 0x0000303E;

// What the grid knows of bands and columns. The base answers describe a grid
// without any; the control with columns answers from its collections.
class TreeListColumnModel
{
public:
    virtual ~TreeListColumnModel() = default;

    // ---- Bands, by collection index ----
    virtual int BandCount() { return 0; }
    virtual QString BandCaption(int /*band*/) { return {}; }
    virtual int BandWidth(int /*band*/) { return 0; }
    virtual int BandAlignment(int /*band*/) { return 0; }

    // ---- Bands, by visible position ----
    virtual int VisibleBandCount() { return 0; }
    virtual int BandIndexOfVisible(int position) { return position; }
    virtual int VisiblePositionOfBand(int band) { return band; }
    // -1 when there is no fixed band at that side.
    virtual int LeftFixedBand() { return -1; }
    virtual int RightFixedBand() { return -1; }
    virtual QString VisibleBandCaption(int /*position*/) { return {}; }
    virtual int VisibleBandWidth(int /*position*/) { return 0; }
    virtual int VisibleBandMinWidth(int /*position*/) { return 0; }
    virtual int VisibleBandAlignment(int /*position*/) { return 0; }
    virtual bool BandKeepsOwnColumns(int /*position*/) { return false; }
    // Band lines used by the visible columns of a band.
    virtual int BandLineCount(int /*band*/) { return 0; }
    virtual int ColumnsInBandLine(int /*band*/, int /*line*/) { return 0; }
    // The visible column placed there.
    virtual int ColumnAt(int /*band*/, int /*line*/, int /*position*/) { return -1; }
    // Room the tree part takes before the first column's own width.
    virtual int FirstColumnExtraWidth() { return 0; }

    // ---- Columns, by index in the column list ----
    virtual int ColumnCount() { return 0; }
    virtual bool ColumnVisible(int /*column*/) { return true; }
    virtual bool ColumnTabStop(int /*column*/) { return true; }
    virtual int ColumnBand(int /*column*/) { return 0; }
    virtual int ColumnBandLine(int /*column*/) { return 0; }
    virtual int ColumnPositionInLine(int /*column*/) { return 0; }
    virtual int ColumnStoredWidth(int /*column*/) { return 0; }
    virtual int ColumnMinWidth(int /*column*/) { return 0; }
    virtual int ColumnHeaderLineCount(int /*column*/) { return 1; }
    virtual int ColumnHeaderAlignment(int /*column*/) { return 0; }
    virtual int ColumnAlignment(int /*column*/) { return 0; }
    // 0 none, 1 ascending, 2 descending.
    virtual int ColumnSortState(int /*column*/) { return 0; }
    virtual QString ColumnCaption(int /*column*/) { return {}; }
    // Empty for a column whose caption is disabled.
    virtual QString ColumnHeaderCaption(int /*column*/) { return {}; }
    // The display text of a cell.
    virtual QString CellText(const TdxTreeListNode * /*node*/, int /*column*/) { return {}; }
    virtual QVariant CellValue(const TdxTreeListNode * /*node*/, int /*column*/) { return {}; }
    // What a new cell holds before anything is typed.
    virtual QVariant CellDefaultValue(int /*column*/) { return QString(); }

    // ---- Line counts of bands and the header panel ----
    virtual int HeaderPanelLineCount() { return 1; }
    virtual int HeaderPanelMaxLineCount() { return 4; }
    virtual int HeaderMinLineCount() { return 1; }
    virtual int BandLineSetting() { return 1; }
    virtual int BandMaxLineCount() { return 5; }

    // ---- Changes the engine asks for; the base keeps nothing ----
    virtual void SetBandLineCount(int /*count*/) {}
    virtual void SetBandWidth(int /*band*/, int /*width*/) {}
    virtual void SetHeaderLineCount(int /*count*/) {}
    virtual void SetColumnWidth(int /*column*/, int /*width*/) {}
    // Hidden sizable bands, or the hidden sizable columns of a band, follow
    // a resize in the ratio new / old.
    virtual void RescaleHiddenBands(int /*newWidth*/, int /*oldWidth*/) {}
    virtual void RescaleHiddenColumns(int /*band*/, int /*newWidth*/, int /*oldWidth*/) {}
    virtual bool BandSizable(int /*position*/) { return true; }
    virtual bool ColumnSizable(int /*column*/) { return true; }
    // Whether hot tracking may mark the column's node cells, or its header.
    virtual bool ColumnCellHotTrack(int /*column*/) { return false; }
    virtual bool ColumnHeaderHotTrack(int /*column*/) { return false; }

    // ---- Life tokens of the objects behind the indexes; none without ----
    virtual TreeListAlive ColumnAlive(int /*column*/) { return {}; }
    // By collection index.
    virtual TreeListAlive BandAlive(int /*band*/) { return {}; }
};

using TdxTreeListNodeEvent = std::function<void(classes::TObject *sender, TdxTreeListNode *node)>;
using TdxTreeListAllowEvent = std::function<void(classes::TObject *sender, TdxTreeListNode *node, bool &allow)>;
using TdxTreeListChangeNodeEvent =
    std::function<void(classes::TObject *sender, TdxTreeListNode *oldNode, TdxTreeListNode *node)>;
using TdxTreeListNotifyEvent = std::function<void(classes::TObject *sender)>;
// Orders two nodes: negative, 0 (no order) or positive.
using TdxTreeListCompareEvent =
    std::function<void(classes::TObject *sender, TdxTreeListNode *node1, TdxTreeListNode *node2, int &result)>;

// Each is called only when set, with the tree list as sender.
struct TreeListEvents
{
    TdxTreeListAllowEvent OnExpanding;
    TdxTreeListAllowEvent OnCollapsing;
    TdxTreeListNodeEvent OnExpanded;
    TdxTreeListNodeEvent OnCollapsed;
    // Asked before the editor is shown on the focused node.
    TdxTreeListAllowEvent OnCanEdit;
    // Asked instead while the new item row is active.
    std::function<void(classes::TObject *sender, bool &allow)> OnCanEditNewItemRow;
    // The node is still whole; it leaves the tree right after.
    TdxTreeListNodeEvent OnDeletion;
    // The focused node moved.
    TdxTreeListChangeNodeEvent OnChangeNode;
    // An edit of the node's values was committed.
    TdxTreeListNodeEvent OnNodeChanged;
    TdxTreeListNotifyEvent OnSelectionChanged;
    // Replaces the value ordering of a sort; 0 keeps the nodes' order.
    TdxTreeListCompareEvent OnCompare;
};

} // namespace grid
