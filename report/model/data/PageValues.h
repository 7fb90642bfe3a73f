#pragma once

// Values a cacheable keeps per cached page beside its fixed-size record,
// for state that does not fit one: a text. Each cache manager (the report's,
// a group's keep-together one) writes its pages into a stream of its own,
// so a page is known by the stream the cacheable is attached to and its
// index there.

#include "report/model/data/Cacheable.h"

#include <cstdint>
#include <map>
#include <utility>

namespace report {

template <class Value>
class TppPageValues
{
public:
    void Save(const TppCacheable &aOwner, int32_t aPageIndex, const Value &aValue)
    {
        m_values[{aOwner.CacheStream(), aPageIndex}] = aValue;
    }
    // Leaves aValue as it is when none was saved for the page.
    void Restore(const TppCacheable &aOwner, int32_t aPageIndex, Value &aValue) const
    {
        const auto found = m_values.find({aOwner.CacheStream(), aPageIndex});
        if (found != m_values.end())
            aValue = found->second;
    }
    void Clear() { m_values.clear(); }

private:
    std::map<std::pair<const classes::TStream *, int32_t>, Value> m_values;
};

} // namespace report
