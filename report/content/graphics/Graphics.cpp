#include "report/content/graphics/Graphics.h"

#include "report/content/drawcommands/DrawShapes.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

int graphicsToScreen(int32_t aMM, TppAxisType aAxis)
{
    return ppRound(ppFromMMThousandths(aMM, TppUnitType::utScreenPixels, aAxis));
}

int32_t graphicsToMM(int aPixels, TppAxisType aAxis)
{
    return ppToMMThousandths(float(aPixels), TppUnitType::utScreenPixels, aAxis);
}

int32_t graphicsClamp(int64_t aValue)
{
    return int32_t(std::clamp<int64_t>(aValue, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A pen width of the weight at the screen's resolution; a weight beyond
// any sensible pen is held at the Integer range instead of wrapping.
int graphicsPenWidthOf(float aWeight)
{
    return ppRound(double(ppScreenPixelsPerInch()) * double(aWeight) / 72.0);
}

} // namespace

// ---- TppCustomGraphic ----------------------------------------------------------------

const classes::TMetaClass &TppCustomGraphic::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppCustomGraphic, TppCustomComponent>("TppCustomGraphic", [](auto &) {});
    return meta;
}

TppCustomGraphic::TppCustomGraphic(classes::TComponent *aOwner)
    : TppCustomComponent(aOwner)
    , m_brush(std::make_unique<classes::TBrush>())
    , m_pen(std::make_unique<classes::TPen>())
{
    m_brush->OnChange = [this](classes::TObject *) { GraphicChanged(); };
    m_pen->OnChange = [this](classes::TObject *) { PenChanged(); };
    SetSpBounds(0, 0, 50, 50);
}

TppCustomGraphic::~TppCustomGraphic()
{
    m_brush->OnChange = nullptr;
    m_pen->OnChange = nullptr;
}

void TppCustomGraphic::SetBrush(const classes::TBrush *aBrush)
{
    if (aBrush != m_brush.get())
        m_brush->Assign(aBrush);
    GraphicChanged();
}

void TppCustomGraphic::SetPen(const classes::TPen *aPen)
{
    if (aPen != m_pen.get())
        m_pen->Assign(aPen);
    GraphicChanged();
}

void TppCustomGraphic::GraphicChanged()
{
    if (loadingOrReading())
        return;
    InvalidateDesignControl();
    PropertyChange();
    DesignChanged();
}

void TppCustomGraphic::GetFill(rtl::TColor &aColor, bool &aClear) const
{
    aColor = m_brush->Color();
    aClear = m_brush->Style() == gfx::BrushStyle::Clear;
}

void TppCustomGraphic::SetFillColor(rtl::TColor aColor)
{
    if (m_brush->Style() == gfx::BrushStyle::Clear)
        m_brush->SetStyle(gfx::BrushStyle::Solid);
    m_brush->SetColor(aColor);
}

void TppCustomGraphic::ClearFill()
{
    m_brush->SetStyle(gfx::BrushStyle::Clear);
}

void TppCustomGraphic::GetLine(rtl::TColor &aColor, bool &aClear) const
{
    aColor = m_pen->Color();
    aClear = m_pen->Style() == gfx::PenStyle::Clear;
}

void TppCustomGraphic::SetLineColor(rtl::TColor aColor)
{
    if (m_pen->Style() == gfx::PenStyle::Clear)
        m_pen->SetStyle(gfx::PenStyle::Solid);
    m_pen->SetColor(aColor);
}

void TppCustomGraphic::ClearLine()
{
    m_pen->SetStyle(gfx::PenStyle::Clear);
}

void TppCustomGraphic::SetPenWidth(int aWidth)
{
    m_pen->SetWidth(aWidth);
}

// ---- TppShape --------------------------------------------------------------------------

TppShapeGeometry ppShapeGeometry(classes::TShapeType aShape, int aWidth, int aHeight, int aPenWidth)
{
    using classes::TShapeType;
    // 64 bits: a pen of any width in a box of any size stays a number.
    const int64_t half = std::max(aPenWidth, 0) / 2;
    int64_t x1 = half;
    int64_t y1 = half;
    int64_t x2 = x1 + aWidth - 2 * half;
    int64_t y2 = y1 + aHeight - 2 * half;
    const int m = std::min(aWidth, aHeight);
    if (aShape == TShapeType::stSquare || aShape == TShapeType::stRoundSquare || aShape == TShapeType::stCircle) {
        const int dx = (aWidth - m) / 2;
        const int dy = (aHeight - m) / 2;
        x1 += dx;
        x2 -= dx;
        y1 += dy;
        y2 -= dy;
    }
    const auto narrow = [](int64_t v) {
        return int(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    return TppShapeGeometry{narrow(x1), narrow(y1), narrow(x2), narrow(y2), m / 4};
}

const classes::TMetaClass &TppShape::StaticClass()
{
    using C = TppShape;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomGraphic>("TppShape", [](classes::TClassBuilder<C> &c) {
            c.Object("Brush", &C::Brush, &C::SetBrush);
            ppPublishBounds(c);
            c.Event("OnDrawCommandClick", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandClick),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Event("OnDrawCommandCreate", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandCreate),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Object("Pen", &C::Pen, &C::SetPen);
            c.Boolean("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow).Default(false);
            c.Enum("Shape", classes::ShapeTypeInfo(), &C::Shape, &C::SetShape)
                .Default(classes::TShapeType::stRectangle);
            c.Boolean("ShiftWithParent", &C::ShiftWithParent, &C::SetShiftWithParent).Default(false);
            c.Boolean("StretchWithParent", &C::StretchWithParent, &C::SetStretchWithParent).Default(false);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
        });
    return meta;
}

TppShape::TppShape(classes::TComponent *aOwner)
    : TppCustomGraphic(aOwner)
{
    SetDrawCommandClass(&TppDrawShape::StaticClass());
}

QString TppShape::GetClassDescription() const
{
    return ppLoadStr(118);
}

void TppShape::SetShape(classes::TShapeType aValue)
{
    if (aValue == m_shape)
        return;
    m_shape = aValue;
    GraphicChanged();
}

void TppShape::GraphicChanged()
{
    const bool clear = Brush()->Style() == gfx::BrushStyle::Clear;
    if (Transparent() != clear)
        SetTransparent(clear);
    TppCustomGraphic::GraphicChanged();
}

TppShapeGeometry TppShape::Geometry() const
{
    int width = spWidth();
    int height = spHeight();
    if (ReportPrinting()) {
        const rtl::TRect &rect = PrintPosRect();
        width = graphicsToScreen(rect.Right - rect.Left, TppAxisType::atHorizontal);
        height = graphicsToScreen(rect.Bottom - rect.Top, TppAxisType::atVertical);
    }
    return ppShapeGeometry(m_shape, width, height, Pen()->Width());
}

void TppShape::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    TppCustomGraphic::PropertiesToDrawCommand(aDrawCommand);
    auto *shape = dynamic_cast<TppDrawShape *>(aDrawCommand);
    if (!shape)
        return;
    using classes::TShapeType;
    const TppShapeGeometry g = Geometry();
    const rtl::TRect &rect = PrintPosRect();
    // A pen as wide as the Integer range (a stored report can carry one)
    // puts the edges far outside the box: held at the range, not wrapped.
    const int64_t left = int64_t(rect.Left) + graphicsToMM(g.x1, TppAxisType::atHorizontal);
    const int64_t top = int64_t(rect.Top) + graphicsToMM(g.y1, TppAxisType::atVertical);
    const int64_t right = int64_t(rect.Left) + graphicsToMM(g.x2, TppAxisType::atHorizontal);
    const int64_t bottom = int64_t(rect.Top) + graphicsToMM(g.y2, TppAxisType::atVertical);
    shape->SetLeft(graphicsClamp(left));
    shape->SetTop(graphicsClamp(top));
    shape->SetWidth(graphicsClamp(right - graphicsClamp(left)));
    shape->SetHeight(graphicsClamp(bottom - graphicsClamp(top)));
    shape->SetXCornerRound(graphicsToMM(g.round, TppAxisType::atHorizontal));
    shape->SetYCornerRound(graphicsToMM(g.round, TppAxisType::atVertical));
    shape->SetBrush(Brush());
    shape->SetPen(Pen());
    // The squaring is in the geometry already.
    TShapeType written = m_shape;
    if (written == TShapeType::stSquare)
        written = TShapeType::stRectangle;
    else if (written == TShapeType::stRoundSquare)
        written = TShapeType::stRoundRect;
    else if (written == TShapeType::stCircle)
        written = TShapeType::stEllipse;
    shape->SetShapeType(written);
}

void TppShape::PaintDesignControl(gfx::Canvas &aCanvas)
{
    using classes::TShapeType;
    const TppShapeGeometry g = Geometry();
    aCanvas.setPen(Pen()->Pen());
    aCanvas.setBrush(Brush()->Brush());
    const rtl::TRect box{g.x1, g.y1, g.x2, g.y2};
    switch (m_shape) {
    case TShapeType::stRoundRect:
    case TShapeType::stRoundSquare: aCanvas.RoundRect(box, g.round, g.round); break;
    case TShapeType::stEllipse:
    case TShapeType::stCircle: aCanvas.Ellipse(box); break;
    default: aCanvas.Rectangle(box); break;
    }
}

// ---- TppLine ---------------------------------------------------------------------------

const classes::TMetaClass &TppLine::StaticClass()
{
    using C = TppLine;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomGraphic>("TppLine", [](classes::TClassBuilder<C> &c) {
            c.Event("OnDrawCommandClick", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandClick),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Event("OnDrawCommandCreate", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandCreate),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Object("Pen", &C::Pen, &C::SetPen);
            c.Enum("Position", EnumInfo<TppLinePositionType>(), &C::Position, &C::SetPosition)
                .Default(TppLinePositionType::lpTop);
            c.Boolean("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow).Default(false);
            c.Boolean("ShiftWithParent", &C::ShiftWithParent, &C::SetShiftWithParent).Default(false);
            c.Boolean("StretchWithParent", &C::StretchWithParent, &C::SetStretchWithParent).Default(false);
            c.Enum("Style", EnumInfo<TppLineStyleType>(), &C::Style, &C::SetStyle).Default(TppLineStyleType::lsSingle);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            c.Single("Weight", &C::Weight, &C::SetWeight);
            ppPublishBounds(c);
        });
    return meta;
}

TppLine::TppLine(classes::TComponent *aOwner)
    : TppCustomGraphic(aOwner)
{
    SetDrawCommandClass(&TppDrawLine::StaticClass());
    SetSpBounds(0, 0, 50, 15);
    SetTransparent(true);
    m_penWidth = Pen()->Width();
}

QString TppLine::GetClassDescription() const
{
    return ppLoadStr(117);
}

void TppLine::SetPosition(TppLinePositionType aValue)
{
    if (aValue == m_position)
        return;
    m_position = aValue;
    GraphicChanged();
}

void TppLine::SetStyle(TppLineStyleType aValue)
{
    if (aValue == m_style)
        return;
    m_style = aValue;
    GraphicChanged();
}

void TppLine::SetWeight(float aValue)
{
    m_weight = aValue;
    m_applyingWeight = true;
    Pen()->SetWidth(graphicsPenWidthOf(aValue));
    m_applyingWeight = false;
    m_penWidth = Pen()->Width();
    GraphicChanged();
}

void TppLine::weightFromPen()
{
    m_penWidth = Pen()->Width();
    m_weight = float(double(m_penWidth) / ppScreenPixelsPerInch() * 72.0);
}

void TppLine::PenChanged()
{
    if (!m_applyingWeight && Pen()->Width() != m_penWidth)
        weightFromPen();
    TppCustomGraphic::PenChanged();
}

void TppLine::Convert(int aVersionNo)
{
    TppCustomGraphic::Convert(aVersionNo);
    if (aVersionNo < 3000)
        weightFromPen();
}

void TppLine::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    TppCustomGraphic::PropertiesToDrawCommand(aDrawCommand);
    auto *line = dynamic_cast<TppDrawLine *>(aDrawCommand);
    if (!line)
        return;
    const rtl::TRect &rect = PrintPosRect();
    line->SetLineStyle(m_style);
    line->SetLinePosition(m_position);
    line->SetLeft(rect.Left);
    line->SetTop(rect.Top);
    line->SetWidth(rect.Right - rect.Left);
    line->SetHeight(rect.Bottom - rect.Top);
    line->SetPen(Pen());
    line->SetWeight(m_weight);
}

void TppLine::PaintDesignControl(gfx::Canvas &aCanvas)
{
    const int width = spWidth();
    const int height = spHeight();
    // Strokes past the box would not show: a huge weight must not keep the
    // designer drawing them.
    const int64_t wanted = std::max(graphicsPenWidthOf(m_weight), 1);
    const int n = int(std::min<int64_t>(wanted, int64_t(std::max(width, height)) + 1));
    gfx::Pen pen = Pen()->Pen();
    pen.width = 1;
    aCanvas.setPen(pen);
    const int groups = m_style == TppLineStyleType::lsDouble ? 2 : 1;
    for (int group = 0; group < groups; ++group) {
        const int offset = group * 2 * n;
        for (int k = 0; k < n; ++k) {
            switch (m_position) {
            case TppLinePositionType::lpTop:
                aCanvas.MoveTo(0, offset + k);
                aCanvas.LineTo(width, offset + k);
                break;
            case TppLinePositionType::lpBottom:
                aCanvas.MoveTo(0, height - 1 - offset - k);
                aCanvas.LineTo(width, height - 1 - offset - k);
                break;
            case TppLinePositionType::lpLeft:
                aCanvas.MoveTo(offset + k, 0);
                aCanvas.LineTo(offset + k, height);
                break;
            case TppLinePositionType::lpRight:
                aCanvas.MoveTo(width - 1 - offset - k, 0);
                aCanvas.LineTo(width - 1 - offset - k, height);
                break;
            }
        }
    }
}

} // namespace report
