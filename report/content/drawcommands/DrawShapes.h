#pragma once

// The draw commands of shapes and lines: a rectangle, rounded rectangle or
// ellipse with its brush and pen, and a line along one edge of its
// rectangle with its pen, style and weight in points.

#include "report/model/base/Types.h"
#include "report/model/pages/DrawCommand.h"

#include "platform/classes/EnumTypes.h"
#include "platform/classes/GraphicsTools.h"

#include <memory>

namespace report {

class TppDrawShape : public TppDrawCommand
{
    ZVO_CLASS(TppDrawShape)
public:
    explicit TppDrawShape(classes::TComponent *aOwner = nullptr);
    ~TppDrawShape() override;

    void Assign(const classes::TPersistent *source) override;
    bool IsEqual(const TppDrawCommand *aDrawCommand) const override;

    classes::TBrush *Brush() const { return m_brush.get(); }
    void SetBrush(const classes::TBrush *aBrush);
    // Its width counts in screen pixels.
    classes::TPen *Pen() const { return m_pen.get(); }
    void SetPen(const classes::TPen *aPen);
    classes::TShapeType ShapeType() const { return m_shapeType; }
    void SetShapeType(classes::TShapeType aValue) { m_shapeType = aValue; }
    int32_t XCornerRound() const { return m_xCornerRound; }
    void SetXCornerRound(int32_t aValue) { m_xCornerRound = aValue; }
    int32_t YCornerRound() const { return m_yCornerRound; }
    void SetYCornerRound(int32_t aValue) { m_yCornerRound = aValue; }

private:
    std::unique_ptr<classes::TBrush> m_brush;
    std::unique_ptr<classes::TPen> m_pen;
    classes::TShapeType m_shapeType = classes::TShapeType::stRectangle;
    int32_t m_xCornerRound = 0;
    int32_t m_yCornerRound = 0;
};

class TppDrawLine : public TppDrawCommand
{
    ZVO_CLASS(TppDrawLine)
public:
    explicit TppDrawLine(classes::TComponent *aOwner = nullptr);
    ~TppDrawLine() override;

    void Assign(const classes::TPersistent *source) override;
    // The weight is not compared.
    bool IsEqual(const TppDrawCommand *aDrawCommand) const override;

    TppLinePositionType LinePosition() const { return m_linePosition; }
    void SetLinePosition(TppLinePositionType aValue) { m_linePosition = aValue; }
    TppLineStyleType LineStyle() const { return m_lineStyle; }
    void SetLineStyle(TppLineStyleType aValue) { m_lineStyle = aValue; }
    classes::TPen *Pen() const { return m_pen.get(); }
    void SetPen(const classes::TPen *aPen);
    float Weight() const { return m_weight; }
    void SetWeight(float aValue) { m_weight = aValue; }

private:
    TppLinePositionType m_linePosition = TppLinePositionType::lpTop;
    TppLineStyleType m_lineStyle = TppLineStyleType::lsSingle;
    std::unique_ptr<classes::TPen> m_pen;
    float m_weight = 0;
};

} // namespace report
