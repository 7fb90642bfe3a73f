#pragma once

// The class library's terms a control publishes beside its mouse and drag
// modes: reading order, the kind of drag and the cursor numbers, with what
// each of them becomes in Qt.

#include <Qt>

#include <cstdint>

class QWidget;

namespace classes {
class TIdentMap;
}

namespace controls {

enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Only bdRightToLeft mirrors the control. The other two right-to-left modes
// keep the alignment and scroll bars as they are; the reading order they
// stand for is what Qt derives from the text itself.
Qt::LayoutDirection LayoutDirectionOf(TBiDiMode mode);

// dkDrag drags data to a drop target; dkDock drags the control itself to a
// dock site.
enum class TDragKind { dkDrag, dkDock };

using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHandPoint = -21;

// The standard cursors from crDefault (0) down to crSizeAll (-22); other
// numbers show the arrow.
Qt::CursorShape CursorShapeOf(TCursor cursor);
// The names a stored layout gives the standard cursors.
const classes::TIdentMap &CursorIdents();

// A control the class library draws on its parent rather than in a window
// of its own (a label, a picture, a paint box) has no place in its parent's
// tab order. Qt makes each a widget: labels are known by their class, the
// program's other pictures are marked.
void MarkGraphicControl(QWidget *widget);
bool IsGraphicControl(const QWidget *widget);

} // namespace controls
