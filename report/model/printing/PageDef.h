#pragma once

// The page definition: paper size and margins in thousandths of a
// millimetre, as every report, page and printer setup carries it.

#include "platform/classes/Persistent.h"
#include "platform/rtl/Types.h"

#include <cstdint>

namespace report {

class TppPageDef : public classes::TPersistent
{
    ZVO_CLASS(TppPageDef)
public:
    TppPageDef() = default;

    int32_t mmHeight() const { return m_mmHeight; }
    void SetmmHeight(int32_t value) { m_mmHeight = value; }
    int32_t mmWidth() const { return m_mmWidth; }
    void SetmmWidth(int32_t value) { m_mmWidth = value; }
    int32_t mmMarginLeft() const { return m_mmMarginLeft; }
    void SetmmMarginLeft(int32_t value) { m_mmMarginLeft = value; }
    int32_t mmMarginRight() const { return m_mmMarginRight; }
    void SetmmMarginRight(int32_t value) { m_mmMarginRight = value; }
    int32_t mmMarginTop() const { return m_mmMarginTop; }
    void SetmmMarginTop(int32_t value) { m_mmMarginTop = value; }
    int32_t mmMarginBottom() const { return m_mmMarginBottom; }
    void SetmmMarginBottom(int32_t value) { m_mmMarginBottom = value; }

    // Copies the six values from another page definition; any other class
    // raises the class library's assignment error.
    void Assign(const classes::TPersistent *source) override;
    bool IsEqual(const TppPageDef &aPageDef) const;

    // Not clamped: margins wider than the page give a negative width.
    int32_t mmPrintableWidth() const;
    int32_t mmPrintableHeight() const;
    rtl::TRect mmPrintableRect() const;

    // Screen pixels, rounded: widths on the horizontal axis, heights on the
    // vertical one.
    int32_t spWidth() const;
    int32_t spHeight() const;
    int32_t spPrintableWidth() const;

private:
    int32_t m_mmHeight = 0;
    int32_t m_mmWidth = 0;
    int32_t m_mmMarginLeft = 0;
    int32_t m_mmMarginRight = 0;
    int32_t m_mmMarginTop = 0;
    int32_t m_mmMarginBottom = 0;
};

} // namespace report
