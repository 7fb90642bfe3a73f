#pragma once

// One paint pass of a tree list: the whole control drawn from one layout
// record in a fixed order (band panel, header panel, new item row,
// indicator, footer and bottom panels, then the rows), with brushes made
// once for the pass, every area tested for visibility first and the rows'
// grid lines drawn as one batch at the end. The cell-drawing operations are
// virtual so that a descendant can draw cells its own way.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListPaintRules.h"
#include "grid/paint/TreeListGlyphs.h"

#include "platform/gfx/Canvas.h"

#include <QLine>

#include <functional>
#include <map>

#include <optional>
#include <vector>

namespace grid {

class TreeListPainter : public TreeListPaintPass
{
public:
    // focused: the keyboard focus is on the control or its editor.
    TreeListPainter(TCustomdxTreeList &tree, gfx::Canvas &canvas, bool focused);
    ~TreeListPainter() override;
    TreeListPainter(const TreeListPainter &) = delete;
    TreeListPainter &operator=(const TreeListPainter &) = delete;

    // Lays the tree list out for its client rectangle and draws all of it.
    // The feedback counter and the canvas state are back as they were when
    // it returns, also by an exception of a custom-draw handler.
    void Paint() override;

    const TdxTreeListLayoutInfo &Layout() const { return m_info; }
    int RowsPainted() const override { return m_rowsPainted; }
    int CellsPainted() const { return m_cellsPainted; }

    // What one cell drawing gets.
    struct CellContext
    {
        rtl::TRect rect;
        TdxTreeListNode *node = nullptr;
        int column = -1;
        bool lastOfLastBand = false;
        bool firstOfFirstBand = false;
        bool multiLine = false;
        gfx::Brush brush;
        rtl::TColor textColor = rtl::clWindowText;
        rtl::TColor bkColor = rtl::clWindow;
        bool selected = false;
        bool focused = false;
        bool newItemRow = false;
    };

protected:
    // One cell: background, text, search highlight. Columns that hide their
    // text (a password) or show it through a mask are drawn as their editor
    // draws its value.
    virtual void DrawCell(const CellContext &cell);
    // A row drawn as one piece (column -1), or one of a row's footer lines
    // (footerLine from 0): the background and the text.
    virtual void DrawWholeRow(const CellContext &cell, const QString &text, int footerLine);
    // The group-by panel, given the tree-line and header brushes.
    virtual void DrawGroupPanel(const rtl::TRect &rect, const gfx::Brush &treeLine, const gfx::Brush &header);
    // A column's cell of the footer panel, already inset in the panel.
    virtual void DrawFooterCell(const rtl::TRect &rect, int column);
    // The preview lines of a row.
    virtual void DrawPreview(const CellContext &cell, const QString &text);
    // The tree list painted. A drawing handler may free it: the pass then
    // ends (by PassEnded, which Paint catches) at the next read of it.
    TCustomdxTreeList &tree() const;
    gfx::Canvas &canvas() { return m_canvas; }
    struct PassEnded
    {};

private:
    struct PassBrushes
    {
        gfx::Brush band, header, group, control, treeLine, highlight, grayText, inactive, light, frame;
    };
    struct RowColors
    {
        gfx::Brush brush;
        rtl::TColor bk = rtl::clWindow;
        rtl::TColor text = rtl::clWindowText;
    };

    using HeaderHook = std::function<void(rtl::TColor &color, classes::TFont *font, bool &done)>;
    // Offers a band or column header to its custom-draw hook, clipped to the
    // header's visible part, with the panel's colour and font; false when
    // the hook drew it itself. A colour the hook chose becomes the cell's
    // brush, a font the canvas's.
    bool offerHeaderHook(const rtl::TRect &rect, const rtl::TRect &clip, rtl::TColor panelColor,
                         const gfx::Font &panelFont, HeaderCellLook &cell, const HeaderHook &hook);
    void createBrushes();
    void paintGroupPanel();
    void paintBandPanel();
    void paintHeaderPanel();
    void paintNewItemRow();
    void paintIndicator();
    void paintFooter();
    void paintBottomPanel();
    // Pressed while its button is held (the band or header indicator state).
    void indicatorPiece(const rtl::TRect &rect, bool pressed);
    void fixedSeparators(int top, int bottom);

    // Rows.
    void drawRows();
    void drawIndent(const TdxTreeListRowInfo &row);
    void drawTreeLines(const TdxTreeListRowInfo &row, int left, const gfx::Brush &lineBrush, rtl::TColor background);
    void drawRowCells(const TdxTreeListRowInfo &row, bool newItemRow);
    void drawPreview(const TdxTreeListRowInfo &row);
    void drawWholeRow(const TdxTreeListRowInfo &row);
    void drawRowFooters(const TdxTreeListRowInfo &row);
    TreeListCellState cellState(const TdxTreeListRowInfo &row, int column, bool newItemRow) const;
    RowColors colorsFor(const TreeListCellState &state, bool selected, int column,
                        const TdxTreeListNode *node = nullptr);
    // The level colour's brush, made once per pass; the fallback while no
    // descendant supplies level colours or the colour is the group's.
    const gfx::Brush &levelBrush(TdxTreeListNode *node, int level, const gfx::Brush &fallback,
                                 rtl::TColor fallbackColor, rtl::TColor *color = nullptr);
    rtl::TRect rowCellRect(const TdxTreeListRowInfo &row, const TdxTreeListHeaderCell &cell) const;
    // Where the band lines of a row end, above its preview and footers.
    int rowCellsBottom(const TdxTreeListRowInfo &row) const;
    int indentRight(const TdxTreeListNode *node) const;
    int rowsLeft() const;
    void focusMark(const rtl::TRect &rect);
    void addSegment(int x0, int y0, int x1, int y1);
    void drawGridLines(rtl::TColor color);

    // Cells.
    void drawTextCell(const CellContext &cell, QString text, bool editorStyle);
    void searchHighlight(const CellContext &cell, const QString &text, const rtl::TRect &textRect, TAlignment alignment,
                         rtl::TColor bk, rtl::TColor fontColor);

    TCustomdxTreeList &m_grid;
    TreeListAlive m_alive;
    gfx::Canvas &m_canvas;
    bool m_focused;
    TdxTreeListLayoutInfo m_info;
    PassBrushes m_brushes;
    // Per column: its own brush when its colour is not the control's.
    std::vector<std::optional<gfx::Brush>> m_columnBrushes;
    std::map<rtl::TColor, gfx::Brush> m_levelBrushes;
    std::vector<QLine> m_segments;
    int m_focusedColumn = -1;
    bool m_dragObject = false;
    int m_rowsPainted = 0;
    int m_cellsPainted = 0;
};

// The indicator glyph of a row.
int RowIndicatorFor(TCustomdxTreeList &tree, TdxTreeListNode *node);

} // namespace grid
