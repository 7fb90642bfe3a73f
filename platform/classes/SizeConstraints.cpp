#include "platform/classes/SizeConstraints.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>

namespace classes {

const TMetaClass &TSizeConstraints::StaticClass()
{
    using C = TSizeConstraints;
    static const TMetaClass meta = MakeClass<C, TPersistent>("TSizeConstraints", [](TClassBuilder<C> &c) {
        c.Integer("MaxHeight", &C::MaxHeight, &C::SetMaxHeight).Default(0);
        c.Integer("MaxWidth", &C::MaxWidth, &C::SetMaxWidth).Default(0);
        c.Integer("MinHeight", &C::MinHeight, &C::SetMinHeight).Default(0);
        c.Integer("MinWidth", &C::MinWidth, &C::SetMinWidth).Default(0);
    });
    return meta;
}

// A bound set across the other one takes the other one along, so that the
// pair never asks for a size no control can have.
void TSizeConstraints::SetMaxHeight(int value)
{
    value = std::max(0, value);
    if (value == m_maxHeight)
        return;
    m_maxHeight = value;
    if (m_maxHeight > 0 && m_maxHeight < m_minHeight)
        m_minHeight = m_maxHeight;
    changed();
}

void TSizeConstraints::SetMaxWidth(int value)
{
    value = std::max(0, value);
    if (value == m_maxWidth)
        return;
    m_maxWidth = value;
    if (m_maxWidth > 0 && m_maxWidth < m_minWidth)
        m_minWidth = m_maxWidth;
    changed();
}

void TSizeConstraints::SetMinHeight(int value)
{
    value = std::max(0, value);
    if (value == m_minHeight)
        return;
    m_minHeight = value;
    if (m_maxHeight > 0 && m_minHeight > m_maxHeight)
        m_maxHeight = m_minHeight;
    changed();
}

void TSizeConstraints::SetMinWidth(int value)
{
    value = std::max(0, value);
    if (value == m_minWidth)
        return;
    m_minWidth = value;
    if (m_maxWidth > 0 && m_minWidth > m_maxWidth)
        m_maxWidth = m_minWidth;
    changed();
}

void TSizeConstraints::Assign(const TPersistent *source)
{
    const auto *other = dynamic_cast<const TSizeConstraints *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    m_maxHeight = other->m_maxHeight;
    m_maxWidth = other->m_maxWidth;
    m_minHeight = other->m_minHeight;
    m_minWidth = other->m_minWidth;
    changed();
}

void TSizeConstraints::changed()
{
    if (OnChange)
        OnChange(this);
}

} // namespace classes
