// The option words and the queries read from them, the geometry settings
// and fonts, and the tree list's answers to its in-place editor.

#include "grid/core/InplaceEditor.h"
#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListNodeDrag.h"
#include "grid/core/TreeListShared.h"

#include "platform/classes/ImgList.h"
#include "platform/gfx/ImageList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace grid {

// ---- Options ----

void TCustomdxTreeList::SetOptionsA(uint32_t value)
{
    if (value == m_optionsA)
        return;
    m_optionsA = value;
    rowHeightsStale();
    if (m_host && !IsUpdating())
        m_host->invalidateAll();
}

void TCustomdxTreeList::SetOptionsB(uint32_t value)
{
    if (value == m_optionsB)
        return;
    m_optionsB = value;
    rowHeightsStale();
    if (m_host && !IsUpdating())
        m_host->invalidateAll();
}

bool TCustomdxTreeList::optionA(int bit) const
{
    return bit >= 0 && bit < 32 && (m_optionsA >> bit & 1u);
}

bool TCustomdxTreeList::optionB(int bit) const
{
    return bit >= 0 && bit < 32 && (m_optionsB >> bit & 1u);
}

bool TCustomdxTreeList::IsWidthFit() const
{
    return optionB(boWidthFit) && !m_fitExemption;
}

void TCustomdxTreeList::SetLook(uint8_t value)
{
    if (value == m_look)
        return;
    m_look = value;
    if (m_host && !IsUpdating())
        m_host->invalidateAll();
}

TCustomdxTreeList::TreeListBorder TCustomdxTreeList::Border() const
{
    if (!m_settings.BorderSingle)
        return tbNone;
    return m_look == 0 ? tbClientEdge : m_look == 2 ? tbFlatFrame : tbFlatEdge;
}

std::unique_ptr<TreeListPaintPass> TCustomdxTreeList::CreatePainter(gfx::Canvas & /*canvas*/, bool /*focused*/)
{
    return nullptr;
}

void TCustomdxTreeList::SetColors(const TreeListColors &colors)
{
    if (colors == m_colors)
        return;
    m_colors = colors;
    if (m_host && !IsUpdating())
        m_host->invalidateAll();
}

void TCustomdxTreeList::SetPaintSwitches(const TreeListPaintSwitches &switches)
{
    if (switches == m_paintSwitches)
        return;
    m_paintSwitches = switches;
    if (m_host && !IsUpdating())
        m_host->invalidateAll();
}

void TCustomdxTreeList::SetPressed(int column, int band)
{
    if (column == m_pressedColumn && band == m_pressedBand)
        return;
    m_pressedColumn = column;
    m_pressedBand = band;
    if (m_host)
        m_host->invalidateAll();
}

void TCustomdxTreeList::SetImages(gfx::ImageList *images)
{
    // The list of the component held keeps the component; any other list
    // lets it go.
    setImageList(false, images,
                 m_imagesComponent && images == &m_imagesComponent->List() ? m_imagesComponent : nullptr);
}

void TCustomdxTreeList::SetStateImages(gfx::ImageList *images)
{
    setImageList(true, images,
                 m_stateImagesComponent && images == &m_stateImagesComponent->List() ? m_stateImagesComponent
                                                                                     : nullptr);
}

void TCustomdxTreeList::SetImagesComponent(classes::TCustomImageList *images)
{
    setImageList(false, images ? &images->List() : nullptr, images);
}

void TCustomdxTreeList::SetStateImagesComponent(classes::TCustomImageList *images)
{
    setImageList(true, images ? &images->List() : nullptr, images);
}

void TCustomdxTreeList::setImageList(bool state, gfx::ImageList *images, classes::TCustomImageList *component)
{
    gfx::ImageList *&list = state ? m_stateImages : m_images;
    int &link = state ? m_stateImagesLink : m_imagesLink;
    std::weak_ptr<const void> &alive = state ? m_stateImagesAlive : m_imagesAlive;
    classes::TCustomImageList *&held = state ? m_stateImagesComponent : m_imagesComponent;
    const classes::TCustomImageList *other = state ? m_imagesComponent : m_stateImagesComponent;
    // Setting the same list again runs it all again: the sizes are read
    // anew.
    BeginUpdate();
    unlinkImageList(state);
    if (held && held != component && held != other)
        RemoveFreeNotification(held);
    list = images;
    held = component;
    alive.reset();
    if (list) {
        link = list->subscribe([this, state, heard = m_listsHeard] {
            if (*heard)
                imageListChanged(state);
        });
        alive = list->lifetime();
    }
    if (component)
        FreeNotification(component);
    imageListChanged(state);
    EndUpdate();
}

void TCustomdxTreeList::imageListChanged(bool state)
{
    const gfx::ImageList *list = state ? m_stateImages : m_images;
    TreeListImageSizes sizes = m_imageSizes;
    (state ? sizes.StateImageWidth : sizes.ImageWidth) = list ? list->width() : 0;
    (state ? sizes.StateImageHeight : sizes.ImageHeight) = list ? list->height() : 0;
    // Measured again while the window exists, or when it comes.
    SetImageSizes(sizes);
}

void TCustomdxTreeList::unlinkImageList(bool state)
{
    gfx::ImageList *list = state ? m_stateImages : m_images;
    int &link = state ? m_stateImagesLink : m_imagesLink;
    const std::weak_ptr<const void> &alive = state ? m_stateImagesAlive : m_imagesAlive;
    if (list && link && !alive.expired())
        list->unsubscribe(link);
    link = 0;
}

void TCustomdxTreeList::dropImageLists()
{
    *m_listsHeard = false;
    unlinkImageList(false);
    unlinkImageList(true);
}

void TCustomdxTreeList::Notification(classes::TComponent *component, classes::TOperation operation)
{
    TCustomdxContainer::Notification(component, operation);
    if (operation != classes::TOperation::opRemove || !component)
        return;
    for (const bool state : {false, true}) {
        gfx::ImageList *&list = state ? m_stateImages : m_images;
        classes::TCustomImageList *&held = state ? m_stateImagesComponent : m_imagesComponent;
        // A list handed over bare that has gone by the time a component
        // tells of its end went with that component (or before it): either
        // way nothing is left to draw from.
        const bool listGone = list && (state ? m_stateImagesAlive : m_imagesAlive).expired();
        if (component != held && !listGone)
            continue;
        // The list went with its component: there is nothing left to
        // unsubscribe from.
        (state ? m_stateImagesLink : m_imagesLink) = 0;
        held = nullptr;
        if (IsDestroying())
            list = nullptr;
        else
            setImageList(state, nullptr, nullptr);
    }
}

void TCustomdxTreeList::ShowFeedback()
{
    if (m_feedbackHidden > 0)
        --m_feedbackHidden;
}

bool TCustomdxTreeList::IsMultiLineRows() const
{
    return optionB(boMultiLineRows) && m_settings.RowLineLimit != 0;
}

bool TCustomdxTreeList::IsRootIndent() const
{
    return m_settings.RootIndent || !m_settings.ReserveButtonCell;
}

// ---- Settings and fonts ----

void TCustomdxTreeList::SetSettings(const TreeListSettings &settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    LayoutChanged();
}

void TCustomdxTreeList::fontChanged()
{
    if (!m_applyingParentFont && !HasState(classes::csLoading))
        m_parentFont = false;
    LayoutChanged();
}

void TCustomdxTreeList::SetBandFont(const classes::TFont &font)
{
    m_bandFont.Assign(&font);
    LayoutChanged();
}

void TCustomdxTreeList::SetHeaderFont(const classes::TFont &font)
{
    m_headerFont.Assign(&font);
    LayoutChanged();
}

void TCustomdxTreeList::ApplyParentFont(const classes::TFont &font)
{
    m_applyingParentFont = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_applyingParentFont};
    m_bandFont.Assign(&font);
    m_headerFont.Assign(&font);
    classes::TFont preview;
    preview.Assign(&m_previewFont);
    preview.SetName(font.Name());
    preview.SetSize(font.Size());
    preview.SetStyle(font.Style());
    preview.SetColor(rtl::clBlue);
    m_previewFont.Assign(&preview);
    LayoutChanged();
}

void TCustomdxTreeList::LayoutChanged()
{
    // Fonts, widths and settings all go into a row's height.
    rowHeightsStale();
    focusEditedColumn();
    if (IsUpdating()) {
        m_layoutPending = true;
        return;
    }
    m_layoutPending = false;
    if (!IsDestroying() && m_host) {
        CalcMetrics();
        // Widths and heights changed: the scroll positions may now lie past
        // the last page.
        KeepPositionsValid();
        m_host->invalidateAll();
        PlaceEditor();
    }
}

void TCustomdxTreeList::focusEditedColumn()
{
    // The focused column is kept as a place in the header; columns or bands
    // before the edited one going, moving or hiding move the edited column
    // to another place. The focus goes with it: an editor whose column is no
    // longer the focused one takes no keys, Enter and Esc included. A focus
    // the program moved elsewhere meanwhile stays where it was put.
    if (m_state != tsEditing || IsRowFocus() || IsDestroying() || m_focusedColumn != m_editedPosition)
        return;
    const int column = EditedColumn();
    if (column < 0 || FocusedColumnIndex() == column)
        return;
    const int position = PositionOfColumn(column);
    if (ColumnAtPosition(position) == column)
        m_focusedColumn = m_editedPosition = position;
}

void TCustomdxTreeList::RowHeightsChanged()
{
    if (!m_clearing && !IsDestroying())
        rowHeightsStale();
}

void TCustomdxTreeList::DoCanEdit(TdxTreeListNode *node, bool &allow)
{
    if (OnCanEdit)
        OnCanEdit(this, node, allow);
}

void TCustomdxTreeList::DoCanEditNewItemRow(bool &allow)
{
    if (OnCanEditNewItemRow)
        OnCanEditNewItemRow(this, allow);
}

void TCustomdxTreeList::SetFocusedRowIndex(int index)
{
    const int rows = VisibleRowCount();
    if (rows == 0)
        return;
    ChangeFocus(NodeAtAbsoluteIndex(std::clamp(index, 0, rows - 1)), FocusedColumn(), true);
}

// ---- Editing and the window ----

bool TCustomdxTreeList::closeEditor(bool validate, bool refocus)
{
    // The validating and committing handlers may free the grid: that ends
    // the caller's step as a refusal would.
    const TreeListAlive self = AliveToken();
    if (m_editor && validate && (!m_editor->ValidateEdit() || self.expired()))
        return false;
    m_state = tsNone;
    if (m_editor)
        hideEditor(m_editor);
    if (self.expired())
        return false;
    if (refocus && m_host)
        m_host->setKeyboardFocus();
    return true;
}

bool TCustomdxTreeList::EndEditing()
{
    ResetHotTracking();
    if (IsDestroying() || m_state != tsEditing)
        return true;
    return closeEditor(true, true);
}

bool TCustomdxTreeList::EndEditingQuietly()
{
    if (m_state != tsEditing)
        return true;
    const bool editorHadFocus = m_editor && m_editor->IsFocused();
    return closeEditor(true, editorHadFocus);
}

bool TCustomdxTreeList::HasFocus() const
{
    return m_host && m_host->hasKeyboardFocus();
}

bool TCustomdxTreeList::IsPointInEditor(const rtl::TPoint &point)
{
    if (!m_editor || !m_editor->Shown())
        return false;
    const rtl::TRect r = m_editor->ClientBounds();
    return point.X >= r.Left && point.X < r.Right && point.Y >= r.Top && point.Y < r.Bottom;
}

bool TCustomdxTreeList::IsEditingActive()
{
    return HasFocus() || (m_state == tsEditing && m_editor && m_editor->IsActive());
}

void TCustomdxTreeList::TimerFired(int id)
{
    if (m_nodeDrag && m_nodeDrag->TimerFired(id))
        return;
    if (m_bottomHint->TimerFired(id))
        return;
    if (id == PressScrollTimer) {
        // Only while the node stays pressed; a release or another mode
        // stops it.
        if (m_state == tsNodeDown && m_pressScrollDirection != 0 && SharedTimers().selectionGrid == this)
            SetFocusedRowIndex(FocusedRowIndex() + m_pressScrollDirection);
        else
            stopPressScroll();
        return;
    }
    if (id == DragScrollTimer) {
        // Only a header or node drag scrolls; at either end it stops.
        const int direction = m_dragScrollDirection;
        const bool dragging = m_state == tsColumnDragging || m_state == tsBandDragging || m_state == tsNodeDragging ||
                              (m_nodeDrag && m_nodeDrag->DropHighlight());
        const int before = m_horzOffset;
        if (dragging && direction != 0)
            SetHorzOffset(m_horzOffset + 32 * direction);
        const bool atEnd = direction < 0 ? m_horzOffset <= 0 : m_horzOffset >= ScrollableWidth() - HorzPageWidth();
        if (!dragging || direction == 0 || m_horzOffset == before || atEnd)
            stopDragScroll();
        return;
    }
    if (id != DelayedEditTimer)
        return;
    // The delayed edit opens only on a grid at rest.
    // A stray tick of a timer this grid no longer owns opens nothing.
    const bool owned = SharedTimers().delayedEditGrid == this;
    if (m_host)
        m_host->stopTimer(DelayedEditTimer);
    if (!owned)
        return;
    stopDelayedEdit();
    if (m_state == tsNone)
        ShowEditor();
}

bool TCustomdxTreeList::IsPaintOption()
{
    return optionA(aoEditorHostPaint);
}

bool TCustomdxTreeList::EditClickToDblClick()
{
    return optionA(aoClickToDblClick);
}

bool TCustomdxTreeList::EditOptionQuery()
{
    return optionB(boEditorOption);
}

uint8_t TCustomdxTreeList::GetEditKind()
{
    return m_look != 0 ? 1 : 2;
}

} // namespace grid
