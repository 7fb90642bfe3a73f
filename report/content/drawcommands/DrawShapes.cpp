#include "report/content/drawcommands/DrawShapes.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

namespace {

bool drawShapesSamePen(const classes::TPen &a, const classes::TPen &b)
{
    return a.Color() == b.Color() && a.Style() == b.Style() && a.Width() == b.Width();
}

} // namespace

// ---- TppDrawShape --------------------------------------------------------------

const classes::TMetaClass &TppDrawShape::StaticClass()
{
    using C = TppDrawShape;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawCommand>("TppDrawShape", [](classes::TClassBuilder<C> &c) {
            // Redeclared with the type a shape starts with, so that a
            // command set to the base's default is still written.
            c.Enum("DataType", EnumInfo<TppDataType>(), &C::DataType, &C::SetDataType).Default(TppDataType::dtGraphic);
            c.Object("Brush", &C::Brush, &C::SetBrush);
            c.Object("Pen", &C::Pen, &C::SetPen);
            c.Enum("ShapeType", classes::ShapeTypeInfo(), &C::ShapeType, &C::SetShapeType)
                .Default(classes::TShapeType::stRectangle);
            c.Integer("XCornerRound", &C::XCornerRound, &C::SetXCornerRound).Default(0);
            c.Integer("YCornerRound", &C::YCornerRound, &C::SetYCornerRound).Default(0);
        });
    return meta;
}

TppDrawShape::TppDrawShape(classes::TComponent *aOwner)
    : TppDrawCommand(aOwner)
    , m_brush(std::make_unique<classes::TBrush>())
    , m_pen(std::make_unique<classes::TPen>())
{
    SetDataType(TppDataType::dtGraphic);
}

TppDrawShape::~TppDrawShape() = default;

void TppDrawShape::SetBrush(const classes::TBrush *aBrush)
{
    if (aBrush && aBrush != m_brush.get())
        m_brush->Assign(aBrush);
}

void TppDrawShape::SetPen(const classes::TPen *aPen)
{
    if (aPen && aPen != m_pen.get())
        m_pen->Assign(aPen);
}

void TppDrawShape::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    const auto *other = dynamic_cast<const TppDrawShape *>(source);
    if (!other)
        return;
    m_shapeType = other->m_shapeType;
    m_xCornerRound = other->m_xCornerRound;
    m_yCornerRound = other->m_yCornerRound;
    m_brush->Assign(other->m_brush.get());
    m_pen->Assign(other->m_pen.get());
}

bool TppDrawShape::IsEqual(const TppDrawCommand *aDrawCommand) const
{
    const auto *other = dynamic_cast<const TppDrawShape *>(aDrawCommand);
    return other && TppDrawCommand::IsEqual(aDrawCommand) && m_brush->Color() == other->m_brush->Color() &&
           m_brush->Style() == other->m_brush->Style() && drawShapesSamePen(*m_pen, *other->m_pen) &&
           m_shapeType == other->m_shapeType && m_xCornerRound == other->m_xCornerRound &&
           m_yCornerRound == other->m_yCornerRound;
}

// ---- TppDrawLine ---------------------------------------------------------------

const classes::TMetaClass &TppDrawLine::StaticClass()
{
    using C = TppDrawLine;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawCommand>("TppDrawLine", [](classes::TClassBuilder<C> &c) {
            // Redeclared with the type a line starts with, so that a
            // command set to the base's default is still written.
            c.Enum("DataType", EnumInfo<TppDataType>(), &C::DataType, &C::SetDataType).Default(TppDataType::dtGraphic);
            c.Enum("LinePosition", EnumInfo<TppLinePositionType>(), &C::LinePosition, &C::SetLinePosition)
                .Default(TppLinePositionType::lpTop);
            c.Enum("LineStyle", EnumInfo<TppLineStyleType>(), &C::LineStyle, &C::SetLineStyle)
                .Default(TppLineStyleType::lsSingle);
            c.Object("Pen", &C::Pen, &C::SetPen);
            c.Single("Weight", &C::Weight, &C::SetWeight);
        });
    return meta;
}

TppDrawLine::TppDrawLine(classes::TComponent *aOwner)
    : TppDrawCommand(aOwner)
    , m_pen(std::make_unique<classes::TPen>())
{
    SetDataType(TppDataType::dtGraphic);
}

TppDrawLine::~TppDrawLine() = default;

void TppDrawLine::SetPen(const classes::TPen *aPen)
{
    if (aPen && aPen != m_pen.get())
        m_pen->Assign(aPen);
}

void TppDrawLine::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    const auto *other = dynamic_cast<const TppDrawLine *>(source);
    if (!other)
        return;
    m_linePosition = other->m_linePosition;
    m_lineStyle = other->m_lineStyle;
    m_pen->Assign(other->m_pen.get());
    m_weight = other->m_weight;
}

bool TppDrawLine::IsEqual(const TppDrawCommand *aDrawCommand) const
{
    const auto *other = dynamic_cast<const TppDrawLine *>(aDrawCommand);
    return other && TppDrawCommand::IsEqual(aDrawCommand) && m_linePosition == other->m_linePosition &&
           m_lineStyle == other->m_lineStyle && drawShapesSamePen(*m_pen, *other->m_pen);
}

} // namespace report
