#pragma once

// The pictures that follow the pointer of a drag: a dragged node framed by
// focus rectangles with its images and text, or a dragged column or band
// header drawn as the header panel draws it.

#include "grid/core/TreeListHost.h"

#include <QImage>
#include <QPoint>

namespace gfx {
class TextMeasurer;
}

namespace grid {

class TCustomdxTreeList;

struct TreeListDragImage
{
    QImage Image;
    // Where in the picture the pointer stands; outside it for a node, whose
    // picture keeps clear of the row under the pointer.
    QPoint HotSpot;
};

// A null image when there is nothing to show (a node or header that is no
// longer there). A band's picture is at most maxWidth wide.
TreeListDragImage PaintTreeListDragPicture(TCustomdxTreeList &tree, const TreeListDragPicture &picture,
                                           const gfx::TextMeasurer *measurer, int maxWidth);

} // namespace grid
