#pragma once

// The class library's pen and brush: persistent holders of the canvas's
// gfx::Pen and gfx::Brush, streamed by colour, style and (pen) width.

#include "platform/classes/Persistent.h"
#include "platform/gfx/GdiObjects.h"

#include <functional>

namespace classes {

class TPen : public TPersistent
{
    ZVO_CLASS(TPen)
public:
    TPen() = default;

    const gfx::Pen &Pen() const { return m_pen; }
    rtl::TColor Color() const { return m_pen.color; }
    void SetColor(rtl::TColor aValue);
    gfx::PenStyle Style() const { return m_pen.style; }
    void SetStyle(gfx::PenStyle aValue);
    int Width() const { return m_pen.width; }
    void SetWidth(int aValue);

    void Assign(const TPersistent *source) override;
    std::function<void(TObject *)> OnChange;

private:
    void changed();
    gfx::Pen m_pen;
};

class TBrush : public TPersistent
{
    ZVO_CLASS(TBrush)
public:
    TBrush() = default;

    const gfx::Brush &Brush() const { return m_brush; }
    rtl::TColor Color() const { return m_brush.color; }
    void SetColor(rtl::TColor aValue);
    gfx::BrushStyle Style() const { return m_brush.style; }
    void SetStyle(gfx::BrushStyle aValue);

    void Assign(const TPersistent *source) override;
    std::function<void(TObject *)> OnChange;

private:
    void changed();
    gfx::Brush m_brush;
};

} // namespace classes
