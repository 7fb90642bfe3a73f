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

#include "platform/classes/Persistent.h"

#include <QString>

#include <functional>

namespace grid {

class TdxTreeListNode;

// Bits of option word A (bit numbers) whose effect the engine fixes; the
// other bits are read by keyboard, mouse, painting and editing.
enum TreeListOptionA : int {
    aoColumnSizing = 0,
    aoEditing = 2,
    aoRowFocus = 5, // no cell focus
    aoMultiSelect = 6,
    aoClickToDblClick = 7,
    aoEditorHostPaint = 13,
};

// Bits of option word B.
enum TreeListOptionB : int {
    boWidthFit = 2,
    boBandSizing = 4,
    boBandPanelSizing = 18,
    boHeaderPanelSizing = 20,
    boRowSizing = 21,
    boImmediateEdit = 24,
};

constexpr uint32_t DefaultOptionsA = 0x00000037;
constexpr uint32_t DefaultOptionsB = 0x0000303E;

class TreeListColumnModel
{
public:
    virtual ~TreeListColumnModel() = default;

    virtual int VisibleBandCount() { return 0; }
    // Band lines used by the visible columns of a band.
    virtual int BandLineCount(int /*band*/) { return 0; }
    virtual int ColumnsInBandLine(int /*band*/, int /*line*/) { return 0; }
    // The visible column placed there.
    virtual int ColumnAt(int /*band*/, int /*line*/, int /*position*/) { return -1; }
    virtual int ColumnCount() { return 0; }
    virtual bool ColumnVisible(int /*column*/) { return true; }
    virtual bool ColumnTabStop(int /*column*/) { return true; }
    virtual QString ColumnHeaderCaption(int /*column*/) { return {}; }
    // The display text of a cell.
    virtual QString CellText(const TdxTreeListNode * /*node*/, int /*column*/) { return {}; }
};

using TdxTreeListNodeEvent = std::function<void(classes::TObject *sender, TdxTreeListNode *node)>;
using TdxTreeListAllowEvent = std::function<void(classes::TObject *sender, TdxTreeListNode *node, bool &allow)>;
using TdxTreeListChangeNodeEvent =
    std::function<void(classes::TObject *sender, TdxTreeListNode *oldNode, TdxTreeListNode *node)>;
using TdxTreeListNotifyEvent = std::function<void(classes::TObject *sender)>;

// Each is called only when set, with the tree list as sender.
struct TreeListEvents
{
    TdxTreeListAllowEvent OnExpanding;
    TdxTreeListAllowEvent OnCollapsing;
    TdxTreeListNodeEvent OnExpanded;
    TdxTreeListNodeEvent OnCollapsed;
    // The node is still whole; it leaves the tree right after.
    TdxTreeListNodeEvent OnDeletion;
    // The focused node moved.
    TdxTreeListChangeNodeEvent OnChangeNode;
    TdxTreeListNotifyEvent OnSelectionChanged;
};

} // namespace grid
