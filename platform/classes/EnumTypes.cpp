#include "platform/classes/EnumTypes.h"

#include "platform/gfx/GdiObjects.h"

namespace classes {

// The stream names are indexed by the Canvas's own values.
static_assert(int(gfx::BrushStyle::Solid) == 0 && int(gfx::BrushStyle::DiagCross) == 7);
static_assert(int(gfx::PenStyle::Solid) == 0 && int(gfx::PenStyle::InsideFrame) == 6);

const TEnumInfo &AlignmentInfo()
{
    static const TEnumInfo info(QStringLiteral("TAlignment"), {"taLeftJustify", "taRightJustify", "taCenter"});
    return info;
}

const TEnumInfo &ShapeTypeInfo()
{
    static const TEnumInfo info(QStringLiteral("TShapeType"),
                                {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"});
    return info;
}

const TEnumInfo &PrinterOrientationInfo()
{
    static const TEnumInfo info(QStringLiteral("TPrinterOrientation"), {"poPortrait", "poLandscape"});
    return info;
}

const TEnumInfo &BrushStyleInfo()
{
    static const TEnumInfo info(
        QStringLiteral("TBrushStyle"),
        {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"});
    return info;
}

const TEnumInfo &PenStyleInfo()
{
    static const TEnumInfo info(QStringLiteral("TPenStyle"), {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                                              "psClear", "psInsideFrame"});
    return info;
}

} // namespace classes
