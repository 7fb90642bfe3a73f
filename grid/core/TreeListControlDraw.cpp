// The text-node control's answers to the painters and the mouse: which
// custom-draw handlers exist, their dispatch in the grid-then-column order,
// the rows its indicator event marks, the best fit of a column whose edge is
// double-clicked, and where a dragged column goes.

#include "grid/core/TreeListControl.h"

#include <algorithm>

namespace grid {

bool TCustomdxTreeListControl::IsCustomDrawBand()
{
    return OnCustomDrawBand.Assigned();
}

bool TCustomdxTreeListControl::IsCustomDrawCell(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return OnCustomDrawCell.Assigned() || OnCustomDrawCellEx.Assigned() || (c && c->OnCustomDrawCell.Assigned());
}

bool TCustomdxTreeListControl::IsCustomDrawRowCell(int row)
{
    return row == -1 ? OnCustomDrawFooter.Assigned() : OnCustomDrawFooterNode.Assigned();
}

void TCustomdxTreeListControl::DoCustomDrawRowCell(int row, gfx::Canvas *canvas, const rtl::TRect &rect,
                                                   TdxTreeListNode *node, int column, QString &text, rtl::TColor &color,
                                                   classes::TFont *font, TAlignment &alignment, bool &done)
{
    const classes::TEvent<TdxTLCustomDrawRowCell> &event = row == -1 ? OnCustomDrawFooter : OnCustomDrawFooterNode;
    if (event.Assigned() && !done)
        event(this, canvas, rect, node, Columns(column), row, text, color, font, alignment, done);
}

bool TCustomdxTreeListControl::IsCustomDrawNode()
{
    return OnCustomDrawNode.Assigned() || OnCustomDrawNodeEx.Assigned();
}

void TCustomdxTreeListControl::DoCustomDrawNode(gfx::Canvas *canvas, const rtl::TRect &rect, TdxTreeListNode *node,
                                                QString &text, rtl::TColor &color, classes::TFont *font,
                                                TAlignment &alignment, bool &done)
{
    // The first handler may free the grid.
    const TreeListAlive self = AliveToken();
    if (OnCustomDrawNode.Assigned() && !done)
        OnCustomDrawNode(this, canvas, rect, node, text, color, font, alignment, done);
    if (!self.expired() && OnCustomDrawNodeEx.Assigned() && !done)
        OnCustomDrawNodeEx(this, canvas, rect, node, text, color, font, alignment, done);
}

bool TCustomdxTreeListControl::IsCustomDrawNotify()
{
    return OnCustomDrawNotify.Assigned();
}

void TCustomdxTreeListControl::DoCustomDrawNotify(int first, int second)
{
    if (OnCustomDrawNotify.Assigned())
        OnCustomDrawNotify(this, first, second);
}

bool TCustomdxTreeListControl::IsCustomDrawHeader(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return OnCustomDrawColumnHeader.Assigned() || (c && c->OnCustomDrawColumnHeader.Assigned());
}

void TCustomdxTreeListControl::DoCustomDrawBand(int position, gfx::Canvas *canvas, const rtl::TRect &rect,
                                                const rtl::TRect &clip, QString &text, rtl::TColor &color,
                                                classes::TFont *font, TAlignment &alignment, bool &done)
{
    if (OnCustomDrawBand.Assigned() && !done)
        OnCustomDrawBand(this, visibleBand(position), canvas, rect, clip, text, color, font, alignment, done);
}

void TCustomdxTreeListControl::DoCustomDrawCell(gfx::Canvas *canvas, const rtl::TRect &rect, TdxTreeListNode *node,
                                                int column, bool selected, bool focused, bool newItemRow, QString &text,
                                                rtl::TColor &color, classes::TFont *font, TAlignment &alignment,
                                                bool &done)
{
    // A handler may free the column, or the grid.
    TdxTreeListColumn *c = Columns(column);
    const TreeListAlive self = AliveToken();
    const TreeListAlive alive = c ? c->AliveToken() : TreeListAlive();
    if (OnCustomDrawCell.Assigned() && !done)
        OnCustomDrawCell(this, canvas, rect, node, c, selected, focused, newItemRow, text, color, font, alignment,
                         done);
    if (self.expired())
        return;
    if (OnCustomDrawCellEx.Assigned() && !done)
        OnCustomDrawCellEx(this, canvas, rect, node, alive.expired() ? nullptr : c, selected, focused, newItemRow, text,
                           color, font, alignment, done);
    if (c && !alive.expired() && c->OnCustomDrawCell.Assigned() && !done)
        c->OnCustomDrawCell(c, canvas, rect, node, c, selected, focused, newItemRow, text, color, font, alignment,
                            done);
}

void TCustomdxTreeListControl::DoCustomDrawHeader(int column, gfx::Canvas *canvas, const rtl::TRect &rect,
                                                  QString &text, rtl::TColor &color, classes::TFont *font,
                                                  TAlignment &alignment, int &sorted, bool &done)
{
    TdxTreeListColumn *c = Columns(column);
    const TreeListAlive alive = c ? c->AliveToken() : TreeListAlive();
    auto mark = TdxTreeListColumnSort(sorted == 1 ? csUp : sorted == 2 ? csDown : csNone);
    if (OnCustomDrawColumnHeader.Assigned() && !done)
        OnCustomDrawColumnHeader(this, c, canvas, rect, text, color, font, alignment, mark, done);
    // The grid's handler may have freed the column.
    if (c && !alive.expired() && c->OnCustomDrawColumnHeader.Assigned() && !done)
        c->OnCustomDrawColumnHeader(this, c, canvas, rect, text, color, font, alignment, mark, done);
    sorted = mark == csUp ? 1 : mark == csDown ? 2 : 0;
}

bool TCustomdxTreeListControl::IsRowIndicator(TdxTreeListNode *node)
{
    bool flag = false;
    if (OnIsNodeIndicator)
        OnIsNodeIndicator(this, node, flag);
    return flag;
}

void TCustomdxTreeListControl::MeasureCellHeight(TdxTreeListNode *node, int column, int width, int maxLines,
                                                 int &height, int &lines)
{
    if (OnAutoRowHeight) {
        bool done = false;
        int h = 0;
        int n = 1;
        OnAutoRowHeight(this, node, Columns(column), h, n, done);
        if (done) {
            height = h;
            lines = std::max(n, 1);
            return;
        }
    }
    TCustomdxTreeList::MeasureCellHeight(node, column, width, maxLines, height, lines);
}

bool TCustomdxTreeListControl::MayDragColumn(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    bool allow = c && optionA(aoColumnDragging) && !c->DisableDragging();
    if (allow && OnCanColumnDrag)
        OnCanColumnDrag(this, const_cast<TdxTreeListColumn *>(c), allow);
    return allow;
}

bool TCustomdxTreeListControl::MayDragBand(int position)
{
    TdxTreeListBand *band = visibleBand(position);
    bool allow = band && !band->DisableDragging() && TCustomdxTreeList::MayDragBand(position);
    if (allow && OnCanBandDrag)
        OnCanBandDrag(this, band, allow);
    return allow;
}

void TCustomdxTreeListControl::DragOverBand(int position, bool &accept)
{
    if (TdxTreeListBand *band = visibleBand(position); band && OnDragOverBand)
        OnDragOverBand(this, band, accept);
}

void TCustomdxTreeListControl::EndDragBand(int position, int target, bool &accept)
{
    if (TdxTreeListBand *band = visibleBand(position); band && OnEndDragBand)
        OnEndDragBand(this, band, target, accept);
}

void TCustomdxTreeListControl::DragOverColumn(int column, bool &accept)
{
    if (TdxTreeListColumn *c = Columns(column); c && OnDragOverColumn)
        OnDragOverColumn(this, c, accept);
}

void TCustomdxTreeListControl::EditorChanged(TdxTreeListColumn *column)
{
    if (OnEditChange)
        OnEditChange(this, column);
}

void TCustomdxTreeListControl::EditorValidate(TdxTreeListColumn *column, QString &errorText, bool &accept)
{
    if (OnEditValidate)
        OnEditValidate(this, column, errorText, accept);
}

void TCustomdxTreeListControl::BandClick(int position)
{
    if (TdxTreeListBand *band = visibleBand(position); band && OnBandClick)
        OnBandClick(this, band);
}

void TCustomdxTreeListControl::BeginBandSizing(int position)
{
    if (TdxTreeListBand *band = visibleBand(position); band && OnBeginBandSizing)
        OnBeginBandSizing(this, band);
}

void TCustomdxTreeListControl::BeginColumnSizing(int column)
{
    if (TdxTreeListColumn *c = Columns(column); c && OnBeginColumnSizing)
        OnBeginColumnSizing(this, c);
}

void TCustomdxTreeListControl::BandSized(int position)
{
    if (TdxTreeListBand *band = visibleBand(position); band && OnBandSized)
        OnBandSized(this, band);
}

void TCustomdxTreeListControl::ColumnSized(int column)
{
    if (TdxTreeListColumn *c = Columns(column); c && OnColumnSized)
        OnColumnSized(this, c);
}

bool TCustomdxTreeListControl::ImmediateEditQuery(int x, int y, int column, bool wasFocused)
{
    if (!TCustomdxTreeList::ImmediateEditQuery(x, y, column, wasFocused))
        return false;
    const TdxTreeListColumn *c = Columns(column);
    return c && !c->DisableEditor();
}

void TCustomdxTreeListControl::EndDragColumn(int column, const TreeListColumnDrop &target, bool &accept)
{
    if (TdxTreeListColumn *c = Columns(column); c && OnEndDragColumn)
        OnEndDragColumn(this, c, target.Band, target.Line, target.Position, accept);
}

bool TCustomdxTreeListControl::BandCustomizingDisabled(int band)
{
    return band >= 0 && band < m_bands->Count() && m_bands->Items(band)->DisableCustomizing();
}

bool TCustomdxTreeListControl::ColumnCustomizingDisabled(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c && c->DisableCustomizing();
}

bool TCustomdxTreeListControl::BandMayBeShown(int band)
{
    if (band < 0 || band >= m_bands->Count())
        return false;
    const TdxTreeListBand *b = m_bands->Items(band);
    return !b->Visible() && !b->DisableCustomizing();
}

bool TCustomdxTreeListControl::ColumnMayBeShown(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c && (!c->Visible() || c->BandIndex() < 0) && !c->DisableCustomizing();
}

void TCustomdxTreeListControl::GetHeaderCellText(int column, QString &text)
{
    if (TdxTreeListColumn *c = Columns(column); c && OnGetHeaderCellText)
        OnGetHeaderCellText(this, c, text);
}

classes::TBitmap *TCustomdxTreeListControl::ColumnHeaderGlyph(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? c->HeaderGlyph() : nullptr;
}

bool TCustomdxTreeListControl::ColumnHasHeaderGlyph(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c && c->HasHeaderGlyph();
}

void TCustomdxTreeListControl::ColumnBestFit(int column)
{
    if (TdxTreeListColumn *c = Columns(column))
        ApplyBestFit(c);
}

} // namespace grid
