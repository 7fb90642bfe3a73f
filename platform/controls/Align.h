#pragma once

// The class library's placing of a control in its parent: Align docks it to a
// side (or the whole) of the parent's client area, Anchors keep its
// distances to the parent's edges while the parent is resized.

#include <QRect>
#include <QSize>

#include <cstdint>

namespace controls {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
// A set of TAnchorKind by ordinal bits.
using TAnchors = uint32_t;
constexpr TAnchors anchorBit(TAnchorKind kind)
{
    return 1u << unsigned(kind);
}
constexpr TAnchors DefaultAnchors = anchorBit(TAnchorKind::akLeft) | anchorBit(TAnchorKind::akTop);

// Where an aligned control goes in a parent of that size; alNone keeps it.
QRect AlignedBounds(TAlign align, const QRect &bounds, const QSize &parent);
// Where an anchored control goes when its parent is resized: each anchored
// edge keeps its distance to the parent's edge; with neither edge of an axis
// anchored the control keeps its place relative to the parent's middle.
QRect AnchoredBounds(TAnchors anchors, const QRect &bounds, const QSize &oldParent, const QSize &newParent);

} // namespace controls
