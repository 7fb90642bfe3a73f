#include "report/model/printing/PageDef.h"

#include "report/model/base/Units.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>
#include <cstdint>

namespace report {

namespace {

// Sums of stored values may leave the Integer range; they saturate rather
// than wrap.
int32_t difference(int32_t size, int32_t a, int32_t b)
{
    return int32_t(std::clamp<int64_t>(int64_t(size) - (int64_t(a) + int64_t(b)), INT32_MIN, INT32_MAX));
}

int32_t screenPixels(int32_t value, TppAxisType axis)
{
    return ppRound(ppFromMMThousandths(value, TppUnitType::utScreenPixels, axis));
}

} // namespace

const classes::TMetaClass &TppPageDef::StaticClass()
{
    using classes::TClassBuilder;
    static const classes::TMetaClass meta =
        classes::MakeClass<TppPageDef, classes::TPersistent>("TppPageDef", [](TClassBuilder<TppPageDef> &c) {
            c.Integer("mmHeight", &TppPageDef::mmHeight, &TppPageDef::SetmmHeight);
            c.Integer("mmWidth", &TppPageDef::mmWidth, &TppPageDef::SetmmWidth);
            c.Integer("mmMarginLeft", &TppPageDef::mmMarginLeft, &TppPageDef::SetmmMarginLeft);
            c.Integer("mmMarginRight", &TppPageDef::mmMarginRight, &TppPageDef::SetmmMarginRight);
            c.Integer("mmMarginTop", &TppPageDef::mmMarginTop, &TppPageDef::SetmmMarginTop);
            c.Integer("mmMarginBottom", &TppPageDef::mmMarginBottom, &TppPageDef::SetmmMarginBottom);
        });
    return meta;
}

void TppPageDef::Assign(const classes::TPersistent *source)
{
    const auto *other = dynamic_cast<const TppPageDef *>(source);
    if (!other) {
        classes::TPersistent::Assign(source);
        return;
    }
    m_mmHeight = other->m_mmHeight;
    m_mmWidth = other->m_mmWidth;
    m_mmMarginLeft = other->m_mmMarginLeft;
    m_mmMarginRight = other->m_mmMarginRight;
    m_mmMarginTop = other->m_mmMarginTop;
    m_mmMarginBottom = other->m_mmMarginBottom;
}

bool TppPageDef::IsEqual(const TppPageDef &aPageDef) const
{
    return m_mmHeight == aPageDef.m_mmHeight && m_mmWidth == aPageDef.m_mmWidth &&
           m_mmMarginLeft == aPageDef.m_mmMarginLeft && m_mmMarginRight == aPageDef.m_mmMarginRight &&
           m_mmMarginTop == aPageDef.m_mmMarginTop && m_mmMarginBottom == aPageDef.m_mmMarginBottom;
}

int32_t TppPageDef::mmPrintableWidth() const
{
    return difference(m_mmWidth, m_mmMarginLeft, m_mmMarginRight);
}

int32_t TppPageDef::mmPrintableHeight() const
{
    return difference(m_mmHeight, m_mmMarginTop, m_mmMarginBottom);
}

rtl::TRect TppPageDef::mmPrintableRect() const
{
    return rtl::TRect{m_mmMarginLeft, m_mmMarginTop, difference(m_mmWidth, m_mmMarginRight, 0),
                      difference(m_mmHeight, m_mmMarginBottom, 0)};
}

int32_t TppPageDef::spWidth() const
{
    return screenPixels(m_mmWidth, TppAxisType::atHorizontal);
}

int32_t TppPageDef::spHeight() const
{
    return screenPixels(m_mmHeight, TppAxisType::atVertical);
}

int32_t TppPageDef::spPrintableWidth() const
{
    return screenPixels(mmPrintableWidth(), TppAxisType::atHorizontal);
}

} // namespace report
