#include "platform/controls/Align.h"

namespace controls {

QRect AlignedBounds(TAlign align, const QRect &bounds, const QSize &parent)
{
    switch (align) {
    case TAlign::alNone: return bounds;
    case TAlign::alTop: return QRect(0, 0, parent.width(), bounds.height());
    case TAlign::alBottom: return QRect(0, parent.height() - bounds.height(), parent.width(), bounds.height());
    case TAlign::alLeft: return QRect(0, 0, bounds.width(), parent.height());
    case TAlign::alRight: return QRect(parent.width() - bounds.width(), 0, bounds.width(), parent.height());
    case TAlign::alClient: return QRect(QPoint(0, 0), parent);
    }
    return bounds;
}

namespace {

// One axis: the start and length of the control, the parent's old and new
// length, and which of the two edges are anchored.
void anchorAxis(int &start, int &length, int oldParent, int newParent, bool first, bool second)
{
    const int delta = newParent - oldParent;
    if (first && second)
        length += delta;
    else if (second)
        start += delta;
    else if (!first)
        start += delta / 2;
}

} // namespace

QRect AnchoredBounds(TAnchors anchors, const QRect &bounds, const QSize &oldParent, const QSize &newParent)
{
    int x = bounds.x(), y = bounds.y(), w = bounds.width(), h = bounds.height();
    anchorAxis(x, w, oldParent.width(), newParent.width(), anchors & anchorBit(TAnchorKind::akLeft),
               anchors & anchorBit(TAnchorKind::akRight));
    anchorAxis(y, h, oldParent.height(), newParent.height(), anchors & anchorBit(TAnchorKind::akTop),
               anchors & anchorBit(TAnchorKind::akBottom));
    return QRect(x, y, w < 0 ? 0 : w, h < 0 ? 0 : h);
}

} // namespace controls
