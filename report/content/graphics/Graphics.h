#pragma once

// The graphic controls: TppCustomGraphic (a brush and a pen), TppShape (a
// rectangle, square, rounded rectangle or square, ellipse or circle inside
// its box) and TppLine (one or two lines along an edge of its box, as thick
// as its weight in points).

#include "report/content/text/CustomComponent.h"

#include "platform/classes/EnumTypes.h"
#include "platform/classes/GraphicsTools.h"

#include <memory>

namespace gfx {
class Canvas;
}

namespace report {

class TppCustomGraphic : public TppCustomComponent
{
    ZVO_CLASS(TppCustomGraphic)
public:
    explicit TppCustomGraphic(classes::TComponent *aOwner = nullptr);
    ~TppCustomGraphic() override;

    bool HasFont() const override { return false; }

    classes::TBrush *Brush() const { return m_brush.get(); }
    void SetBrush(const classes::TBrush *aBrush);
    classes::TPen *Pen() const { return m_pen.get(); }
    void SetPen(const classes::TPen *aPen);

    // The designer's fill and line tools: a colour, or cleared.
    void GetFill(rtl::TColor &aColor, bool &aClear) const;
    void SetFillColor(rtl::TColor aColor);
    void ClearFill();
    void GetLine(rtl::TColor &aColor, bool &aClear) const;
    void SetLineColor(rtl::TColor aColor);
    void ClearLine();
    void SetPenWidth(int aWidth) override;

    void PaintDesignControl(gfx::Canvas &aCanvas) override = 0;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;

protected:
    // A change of the brush, the pen or what they draw.
    virtual void GraphicChanged();
    virtual void PenChanged() { GraphicChanged(); }

private:
    std::unique_ptr<classes::TBrush> m_brush;
    std::unique_ptr<classes::TPen> m_pen;
};

// Where a shape draws inside its box, in screen pixels.
struct TppShapeGeometry
{
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    // The corners' rounding, both directions.
    int round = 0;
};
TppShapeGeometry ppShapeGeometry(classes::TShapeType aShape, int aWidth, int aHeight, int aPenWidth);

class TppShape : public TppCustomGraphic
{
    ZVO_CLASS(TppShape)
public:
    explicit TppShape(classes::TComponent *aOwner = nullptr);

    classes::TShapeType Shape() const { return m_shape; }
    void SetShape(classes::TShapeType aValue);

    // From the print rectangle while the report prints, else from the size.
    TppShapeGeometry Geometry() const;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    void PaintDesignControl(gfx::Canvas &aCanvas) override;
    QString GetClassDescription() const override;

protected:
    // A cleared brush makes the shape transparent.
    void GraphicChanged() override;

private:
    classes::TShapeType m_shape = classes::TShapeType::stRectangle;
};

class TppLine : public TppCustomGraphic
{
    ZVO_CLASS(TppLine)
public:
    explicit TppLine(classes::TComponent *aOwner = nullptr);

    bool HasColor() const override { return false; }

    TppLinePositionType Position() const { return m_position; }
    void SetPosition(TppLinePositionType aValue);
    TppLineStyleType Style() const { return m_style; }
    void SetStyle(TppLineStyleType aValue);
    // Points; the pen's width follows at the screen's resolution and the
    // other way round.
    float Weight() const { return m_weight; }
    void SetWeight(float aValue);

    void Convert(int aVersionNo) override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    void PaintDesignControl(gfx::Canvas &aCanvas) override;
    QString GetClassDescription() const override;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;

protected:
    void PenChanged() override;

private:
    void weightFromPen();

    TppLinePositionType m_position = TppLinePositionType::lpTop;
    TppLineStyleType m_style = TppLineStyleType::lsSingle;
    float m_weight = 0.75f;
    int m_penWidth = 1;
    bool m_applyingWeight = false;
};

} // namespace report
