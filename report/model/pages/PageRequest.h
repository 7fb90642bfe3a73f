#pragma once

// TppPageRequest: which pages a device wants (all, a list, one, the first,
// the last), filtered to odd or even pages. The publisher merges the
// requests of its waiting devices into one.

#include "report/model/base/Types.h"

#include "platform/classes/Persistent.h"

#include <cstdint>
#include <memory>

namespace classes {
class TStringList;
class TStrings;
} // namespace classes

namespace report {

class TppPage;

class TppPageRequest : public classes::TPersistent
{
    ZVO_CLASS(TppPageRequest)
public:
    TppPageRequest();
    ~TppPageRequest() override;

    // All pages, no list, page 1.
    void Reset();
    void Assign(const classes::TPersistent *source) override;

    // Whether aPage is one the request asks for. A single page beyond the
    // end becomes the last page when it arrives; one below 1 becomes page 1.
    bool IsRequestedPage(const TppPage &aPage);
    // Whether aPage satisfies what is left of the request; a listed page
    // leaves the list as it passes.
    bool IsCompletedBy(const TppPage &aPage);
    // Widens this request so that it also covers aOther's pages.
    void Merge(const TppPageRequest &aOther);

    classes::TStrings *PageList() const;
    // Copies the given list.
    void SetPageList(const classes::TStrings *aList);
    int32_t PageRequested() const { return m_pageRequested; }
    void SetPageRequested(int32_t aValue) { m_pageRequested = aValue; }
    TppPageSettingType PageSetting() const { return m_pageSetting; }
    void SetPageSetting(TppPageSettingType aValue) { m_pageSetting = aValue; }
    TppPageRangeType PageRange() const { return m_pageRange; }
    void SetPageRange(TppPageRangeType aValue) { m_pageRange = aValue; }

private:
    // The single page a request past the end (or before the start) comes to.
    void adjustRequestedPage(const TppPage &aPage);
    // The one page a single-page or first-page request wants.
    int32_t wantedPage() const;

    std::unique_ptr<classes::TStringList> m_pageList;
    int32_t m_pageRequested = 1;
    TppPageSettingType m_pageSetting = TppPageSettingType::psAll;
    TppPageRangeType m_pageRange = TppPageRangeType::prAll;
};

} // namespace report
