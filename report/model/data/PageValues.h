#pragma once

// Values a cacheable keeps per cached page beside its fixed-size record,
// for state that does not fit one: a text. Each cache manager (the report's,
// a group's keep-together one) writes its pages into a stream of its own,
// so a page is known by the stream the cacheable is attached to and its
// index there.

#include "report/model/bands/Component.h"
#include "report/model/data/Cacheable.h"
#include "report/model/reports/CustomReport.h"

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
    // A child report starts again for each record of its parent, within the
    // parent's run: the pages that its earlier runs saved can still be made
    // again, so they keep their values. A page is saved anew before it is
    // read again, so what a former run left is written over first.
    void StartRun(const TppComponent &aOwner)
    {
        const auto *report = dynamic_cast<const TppCustomReport *>(aOwner.Report());
        if (!report || !report->PrintingAsSubReport())
            Clear();
    }

private:
    std::map<std::pair<const classes::TStream *, int32_t>, Value> m_values;
};

} // namespace report
