#pragma once

// Which pages a request makes the engine generate and deliver. The engine
// walks its pages forward; a request for a page behind the last one the
// cache holds starts at the cached one and walks up to it, and a request
// past the known end comes to the last page.

#include <cstdint>

namespace report {

class TppPageRequest;

// Where the run stands, as the rules read it.
struct TppRequestProgress
{
    int pageNo = 0;
    int pageCount = 0;
    int lastCachedPage = 0;
    bool pageCountKnown = false;
    bool reportComplete = false;
    bool pageWanted = false;
};

// What the next step of the page loop is.
struct TppRequestStep
{
    int pageNo = 0;
    bool done = false;
};

class TppPageRequestRules
{
public:
    explicit TppPageRequestRules(TppPageRequest &aRequest)
        : m_request(aRequest)
    {}

    // The page the loop starts at; done when a page list names no page.
    TppRequestStep FirstPage(const TppRequestProgress &aProgress);
    // The page after aProgress.pageNo, or done.
    TppRequestStep NextPage(const TppRequestProgress &aProgress);
    // Whether the request, by its own kind, wants the page; aWanted is what
    // the pass decided.
    bool Wants(const TppRequestProgress &aProgress, bool aWanted) const;
    // Whether the page just ended completes the request.
    bool Satisfied(const TppRequestProgress &aProgress);
    int ListIndex() const { return m_listIndex; }

private:
    // The next listed page that can still be generated; entries below 1 or
    // past a known end are passed over. Raises EConvertError for an entry
    // that is no whole number.
    bool nextListedPage(const TppRequestProgress &aProgress);
    // The next listed page as the loop's step: done without one.
    TppRequestStep listedStep(const TppRequestProgress &aProgress);
    void clampSinglePage(const TppRequestProgress &aProgress);
    static int capToCache(int aPageNo, const TppRequestProgress &aProgress);

    TppPageRequest &m_request;
    int m_listIndex = 0;
};

} // namespace report
