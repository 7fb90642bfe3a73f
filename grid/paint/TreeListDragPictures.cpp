#include "grid/paint/TreeListDragPictures.h"

#include "grid/core/TreeList.h"
#include "grid/paint/TreeListGlyphs.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/ImageList.h"

#include <algorithm>

namespace grid {

namespace {

gfx::Brush dragPictureBrush(rtl::TColor color)
{
    return gfx::Brush::solid(rtl::ColorToRGB(color));
}

QImage dragPictureCanvas(int width, int height)
{
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TreeListDragImage dragPictureOfNode(TCustomdxTreeList &tree, TdxTreeListNode *node, int column,
                                    const gfx::TextMeasurer *measurer)
{
    // The picture follows the pointer over other windows: it shows what the
    // cell shows, never a hidden password.
    const QString text = column >= 0 ? tree.ShownCellText(node, column) : QString();
    gfx::ImageList *states = tree.NodeStateIndex(node) != -1 ? tree.StateImages() : nullptr;
    gfx::ImageList *images = tree.NodeImageIndex(node) != -1 ? tree.Images() : nullptr;
    const int imagesWidth = (states ? states->width() : 0) + (images ? images->width() : 0);

    int textWidth = tree.Settings().DefaultRowHeight;
    int textHeight = 16;
    if (column >= 0) {
        QImage probe = dragPictureCanvas(1, 1);
        gfx::Canvas measure(&probe, measurer);
        measure.setFont(tree.Font().Font());
        textWidth = measure.TextWidth(text);
        textHeight = tree.NodeRowHeight(node);
    }
    const int width = textWidth + 26 + imagesWidth;
    const int height = textHeight + 6;
    TreeListDragImage picture;
    picture.Image = dragPictureCanvas(width, height);
    picture.HotSpot = QPoint(-12, -4);
    gfx::Canvas canvas(&picture.Image, measurer);
    rtl::TRect r = rtl::Rect(0, 0, width, height);
    canvas.FillRect(r, dragPictureBrush(tree.Color()));
    for (int i = 0; i < 3; ++i) {
        canvas.DrawFocusRect(r);
        r = rtl::Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
    int x = 4;
    if (states) {
        canvas.DrawImage(*states, tree.NodeStateIndex(node), x, (height - states->height()) / 2);
        x += states->width();
    }
    if (images) {
        canvas.DrawImage(*images, tree.NodeImageIndex(node), x, (height - images->height()) / 2);
        x += images->width();
    }
    canvas.setFont(tree.Font().Font());
    canvas.setBkMode(gfx::BkMode::Transparent);
    rtl::TRect textRect = rtl::Rect(x + 2, 3, width - 3, height - 3);
    canvas.DrawText(text, textRect, gfx::DT_WORDBREAK | gfx::DT_EXPANDTABS | gfx::DT_NOPREFIX | gfx::DT_END_ELLIPSIS);
    return picture;
}

TreeListDragImage dragPictureOfHeader(TCustomdxTreeList &tree, const TreeListDragPicture &what,
                                      const gfx::TextMeasurer *measurer, int maxWidth)
{
    TdxTreeListLayoutInfo info;
    tree.CalcLayout(info);
    HeaderCellLook cell;
    cell.look = tree.Look();
    int width = 0;
    int height = 0;
    if (what.What == TreeListDragPicture::Band) {
        const auto band = std::find_if(info.Bands.begin(), info.Bands.end(),
                                       [&](const TdxTreeListBandInfo &b) { return b.BandIndex == what.Index; });
        if (band == info.Bands.end())
            return {};
        width = std::min(band->BandRect.Right - band->BandRect.Left, maxWidth);
        height = info.BandPanelRect.Bottom - info.BandPanelRect.Top;
        cell.text = tree.VisibleBandCaption(what.Index);
        cell.alignment = TAlignment(tree.VisibleBandAlignment(what.Index));
        cell.multiLine = tree.BandLineSetting() > 1;
        cell.brush = dragPictureBrush(tree.Colors().BandColor);
    } else {
        const auto header = std::find_if(info.HeaderCells.begin(), info.HeaderCells.end(),
                                         [&](const TdxTreeListHeaderCell &c) { return c.ColumnIndex == what.Index; });
        if (header == info.HeaderCells.end())
            return {};
        width = header->CellRect.Right - header->CellRect.Left;
        height = header->CellRect.Bottom - header->CellRect.Top;
        cell.text = tree.ColumnHeaderCaption(what.Index);
        // The text's handler may free the grid: no picture then.
        const TreeListAlive alive = tree.AliveToken();
        tree.GetHeaderCellText(what.Index, cell.text);
        if (alive.expired())
            return {};
        cell.alignment = TAlignment(tree.ColumnHeaderAlignment(what.Index));
        cell.sorted = tree.ColumnSortState(what.Index);
        cell.multiLine = header->LineCount > 1 || tree.HeaderPanelLineCount() > 1;
        cell.brush = dragPictureBrush(tree.Colors().HeaderColor);
    }
    if (width <= 0 || height <= 0)
        return {};
    TreeListDragImage picture;
    picture.Image = dragPictureCanvas(width, height);
    picture.HotSpot = QPoint(width / 2, height / 2);
    gfx::Canvas canvas(&picture.Image, measurer);
    canvas.FillRect(rtl::Rect(0, 0, width, height), cell.brush);
    canvas.setFont(what.What == TreeListDragPicture::Band ? tree.BandFont().Font() : tree.HeaderFont().Font());
    const rtl::TRect r = rtl::Rect(0, 0, width, height);
    DrawHeaderCell(canvas, r, r, cell);
    return picture;
}

} // namespace

TreeListDragImage PaintTreeListDragPicture(TCustomdxTreeList &tree, const TreeListDragPicture &picture,
                                           const gfx::TextMeasurer *measurer, int maxWidth)
{
    if (picture.What == TreeListDragPicture::Node)
        return picture.DraggedNode ? dragPictureOfNode(tree, picture.DraggedNode, picture.Index, measurer)
                                   : TreeListDragImage{};
    return dragPictureOfHeader(tree, picture, measurer, maxWidth);
}

} // namespace grid
