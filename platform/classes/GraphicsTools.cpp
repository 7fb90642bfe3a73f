#include "platform/classes/GraphicsTools.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/EnumTypes.h"

namespace classes {

const TMetaClass &TPen::StaticClass()
{
    static const TMetaClass meta = MakeClass<TPen, TPersistent>("TPen", [](TClassBuilder<TPen> &c) {
        c.Integer("Color", &TPen::Color, &TPen::SetColor).Default(rtl::clBlack).WithTypeName(QStringLiteral("TColor"));
        c.Enum("Style", PenStyleInfo(), &TPen::Style, &TPen::SetStyle).Default(gfx::PenStyle::Solid);
        c.Integer("Width", &TPen::Width, &TPen::SetWidth).Default(1);
    });
    return meta;
}

void TPen::SetColor(rtl::TColor aValue)
{
    if (aValue != m_pen.color) {
        m_pen.color = aValue;
        changed();
    }
}

void TPen::SetStyle(gfx::PenStyle aValue)
{
    if (aValue != m_pen.style) {
        m_pen.style = aValue;
        changed();
    }
}

void TPen::SetWidth(int aValue)
{
    if (aValue != m_pen.width) {
        m_pen.width = aValue;
        changed();
    }
}

void TPen::Assign(const TPersistent *source)
{
    if (const auto *other = dynamic_cast<const TPen *>(source)) {
        m_pen = other->m_pen;
        changed();
        return;
    }
    TPersistent::Assign(source);
}

void TPen::changed()
{
    if (OnChange)
        OnChange(this);
}

const TMetaClass &TBrush::StaticClass()
{
    static const TMetaClass meta = MakeClass<TBrush, TPersistent>("TBrush", [](TClassBuilder<TBrush> &c) {
        c.Integer("Color", &TBrush::Color, &TBrush::SetColor)
            .Default(rtl::clWhite)
            .WithTypeName(QStringLiteral("TColor"));
        c.Enum("Style", BrushStyleInfo(), &TBrush::Style, &TBrush::SetStyle).Default(gfx::BrushStyle::Solid);
    });
    return meta;
}

void TBrush::SetColor(rtl::TColor aValue)
{
    if (aValue != m_brush.color) {
        m_brush.color = aValue;
        changed();
    }
}

void TBrush::SetStyle(gfx::BrushStyle aValue)
{
    if (aValue != m_brush.style) {
        m_brush.style = aValue;
        changed();
    }
}

void TBrush::Assign(const TPersistent *source)
{
    if (const auto *other = dynamic_cast<const TBrush *>(source)) {
        m_brush = other->m_brush;
        changed();
        return;
    }
    TPersistent::Assign(source);
}

void TBrush::changed()
{
    if (OnChange)
        OnChange(this);
}

} // namespace classes
