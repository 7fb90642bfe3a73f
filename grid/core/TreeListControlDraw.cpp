// The text-node control's answers to the painters and the mouse: which
// custom-draw handlers exist, their dispatch in the grid-then-column order,
// the rows its indicator event marks, and the best fit of a column whose
// edge is double-clicked.

#include "grid/core/TreeListControl.h"

namespace grid {

bool TCustomdxTreeListControl::IsCustomDrawBand()
{
    return OnCustomDrawBand.Assigned();
}

bool TCustomdxTreeListControl::IsCustomDrawCell(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return OnCustomDrawCell.Assigned() || (c && c->OnCustomDrawCell.Assigned());
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
    TdxTreeListColumn *c = Columns(column);
    if (OnCustomDrawCell.Assigned() && !done)
        OnCustomDrawCell(this, canvas, rect, node, c, selected, focused, newItemRow, text, color, font, alignment,
                         done);
    if (c && c->OnCustomDrawCell.Assigned() && !done)
        c->OnCustomDrawCell(this, canvas, rect, node, c, selected, focused, newItemRow, text, color, font, alignment,
                            done);
}

void TCustomdxTreeListControl::DoCustomDrawHeader(int column, gfx::Canvas *canvas, const rtl::TRect &rect,
                                                  QString &text, rtl::TColor &color, classes::TFont *font,
                                                  TAlignment &alignment, int &sorted, bool &done)
{
    TdxTreeListColumn *c = Columns(column);
    auto mark = TdxTreeListColumnSort(sorted == 1 ? csUp : sorted == 2 ? csDown : csNone);
    if (OnCustomDrawColumnHeader.Assigned() && !done)
        OnCustomDrawColumnHeader(this, c, canvas, rect, text, color, font, alignment, mark, done);
    if (c && c->OnCustomDrawColumnHeader.Assigned() && !done)
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

void TCustomdxTreeListControl::ColumnBestFit(int column)
{
    if (TdxTreeListColumn *c = Columns(column))
        ApplyBestFit(c);
}

} // namespace grid
