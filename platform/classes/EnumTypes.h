#pragma once

// Enumerations of the class library that published properties of other
// layers use, with their name tables. Brush and pen styles are the Canvas's
// own (gfx::BrushStyle, gfx::PenStyle); only their stream names live here.

#include "platform/classes/PropInfo.h"

#include <cstdint>

namespace classes {

enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum class TShapeType : uint8_t { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
enum class TPrinterOrientation : uint8_t { poPortrait, poLandscape };

const TEnumInfo &AlignmentInfo();
const TEnumInfo &ShapeTypeInfo();
const TEnumInfo &PrinterOrientationInfo();
// bsSolid .. bsDiagCross: the brush styles a stream can name (no pattern brush).
const TEnumInfo &BrushStyleInfo();
// psSolid .. psInsideFrame.
const TEnumInfo &PenStyleInfo();

} // namespace classes
