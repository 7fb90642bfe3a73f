// The cell-drawing operation of a paint pass: the cell's font, the custom
// draw handlers' turn, then the text, drawn as the column's editor would
// for password and mask columns, and the incremental-search highlight.

#include "grid/paint/TreeListPainter.h"

#include "grid/core/EditViewData.h"
#include "grid/core/TreeListControl.h"
#include "grid/paint/EditPaint.h"
#include "grid/paint/TextRect.h"

namespace grid {

using rtl::TRect;

namespace {

unsigned cellAlignmentFlags(TAlignment alignment)
{
    return alignment == taRightJustify ? DTR_RIGHT : alignment == taCenter ? DTR_CENTER : DTR_LEFT;
}

} // namespace

void TreeListPainter::DrawCell(const CellContext &cell)
{
    auto *control = dynamic_cast<TCustomdxTreeListControl *>(&tree());
    const TdxTreeListColumn *column = control ? control->Columns(cell.column) : nullptr;
    const bool editorStyle =
        column && (!column->PasswordChar().isNull() || dynamic_cast<const TdxTreeListMaskColumn *>(column) != nullptr);
    drawTextCell(cell, cell.newItemRow ? QString() : tree().CellText(cell.node, cell.column), editorStyle);
}

void TreeListPainter::drawTextCell(const CellContext &cell, QString text, bool editorStyle)
{
    TAlignment alignment = TAlignment(tree().ColumnAlignment(cell.column));
    rtl::TColor color = cell.bkColor;
    gfx::Brush brush = cell.brush;
    classes::TFont font;
    font.SetFont(tree().ColumnFont(cell.column).Font());
    // A selected cell keeps the selection's text colour whatever the font.
    font.SetColor(cell.textColor);
    int column = cell.column;
    if (tree().IsCustomDrawCell(cell.column)) {
        bool done = false;
        m_canvas.setFont(font.Font());
        // The handler may free or move the column: it is found again, and
        // a cell whose column went is not drawn.
        const HeldIndex held = tree().holdColumn(cell.column);
        tree().DoCustomDrawCell(&m_canvas, cell.rect, cell.node, cell.column, cell.selected, cell.focused,
                                cell.newItemRow, text, color, &font, alignment, done);
        column = tree().findColumn(held);
        if (done || column < 0)
            return;
        if (color != cell.bkColor)
            brush = gfx::Brush::solid(rtl::ColorToRGB(color));
    }
    const rtl::TColor bkBefore = m_canvas.setBkColor(rtl::ColorToRGB(color));
    const TRect textRect = rtl::Rect(cell.rect.Left + 2, cell.rect.Top + 1, cell.rect.Right - 2, cell.rect.Bottom - 1);
    if (editorStyle) {
        auto *control = static_cast<TCustomdxTreeListControl *>(&tree());
        TdxTreeListColumn *c = control->Columns(column);
        if (!c)
            return;
        TdxEditViewData &view = c->FillCellViewData(cell.rect, text, color, font.Color());
        view.Font = font.Font();
        view.Alignment = alignment;
        view.VerticalLayout = 1;
        view.Brush = brush;
        DrawTextEditContent(m_canvas, cell.rect, false, view);
    } else {
        unsigned flags =
            cellAlignmentFlags(alignment) | (cell.multiLine ? DTR_WORDBREAK : DTR_VCENTER) | DTR_END_ELLIPSIS;
        DrawTextRect(m_canvas, text, cell.rect, textRect, flags, brush, font.Font(), rtl::ColorToRGB(color),
                     rtl::ColorToRGB(font.Color()));
        searchHighlight(cell, text, textRect, alignment, color, font.Color());
    }
    m_canvas.setBkColor(bkBefore);
}

void TreeListPainter::DrawWholeRow(const CellContext &cell, const QString &text, int footerLine)
{
    QString shown = text;
    rtl::TColor color = cell.bkColor;
    gfx::Brush brush = cell.brush;
    // Group rows and footer lines are the header's kind of text.
    classes::TFont font;
    font.SetFont(tree().HeaderFont().Font());
    font.SetColor(cell.textColor);
    TAlignment alignment = taLeftJustify;
    // A footer line is a row cell of its node (the line as the row); a row
    // drawn in one piece is the node's own part.
    const bool footer = footerLine >= 0;
    if (footer ? tree().IsCustomDrawRowCell(footerLine) : tree().IsCustomDrawNode()) {
        bool done = false;
        m_canvas.setFont(font.Font());
        if (footer)
            tree().DoCustomDrawRowCell(footerLine, &m_canvas, cell.rect, cell.node, -1, shown, color, &font, alignment,
                                       done);
        else
            tree().DoCustomDrawNode(&m_canvas, cell.rect, cell.node, shown, color, &font, alignment, done);
        if (done)
            return;
        if (color != cell.bkColor)
            brush = gfx::Brush::solid(rtl::ColorToRGB(color));
    }
    m_canvas.FillRect(cell.rect, brush);
    if (shown.isEmpty())
        return;
    const TRect textRect = rtl::Rect(cell.rect.Left + 2, cell.rect.Top + 1, cell.rect.Right - 2, cell.rect.Bottom - 1);
    DrawTextRect(m_canvas, shown, cell.rect, textRect, cellAlignmentFlags(alignment) | DTR_VCENTER | DTR_END_ELLIPSIS,
                 brush, font.Font(), rtl::ColorToRGB(color), rtl::ColorToRGB(font.Color()));
}

void TreeListPainter::searchHighlight(const CellContext &cell, const QString &text, const TRect &textRect,
                                      TAlignment alignment, rtl::TColor bk, rtl::TColor fontColor)
{
    const QString &search = tree().SearchText();
    if (!tree().Searching() || search.isEmpty() || cell.column != tree().SearchColumn() || cell.newItemRow ||
        cell.multiLine || !text.startsWith(search, Qt::CaseInsensitive))
        return;
    const TreeListColors &c = tree().Colors();
    const rtl::TColor back = SearchHighlightColor(c.SearchColor, bk);
    const rtl::TColor fore = SearchHighlightColor(c.SearchTextColor, fontColor);
    const QString match = text.left(search.size());
    m_canvas.setFont(tree().ColumnFont(cell.column).Font());
    const int full = m_canvas.TextWidth(text);
    const int width = m_canvas.TextWidth(match);
    int left = textRect.Left;
    if (alignment == taRightJustify)
        left = textRect.Right - full;
    else if (alignment == taCenter)
        left = textRect.Left + (textRect.Width() - full) / 2;
    left = std::max(left, textRect.Left);
    const TRect area = rtl::Rect(left, textRect.Top, std::min(left + width, textRect.Right), textRect.Bottom);
    if (area.IsEmpty())
        return;
    DrawTextRect(m_canvas, match, area, area, DTR_LEFT | DTR_VCENTER, gfx::Brush::solid(back),
                 tree().ColumnFont(cell.column).Font(), back, fore);
}

} // namespace grid
