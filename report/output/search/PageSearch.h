#pragma once

// The occurrences a search found: per page a TppPageSearch holding them in
// reading order, and the TppPageSearchList of those pages in the order they
// were found, with a current position to step through them. Both own what
// they hold; an entry freed from outside is taken off the list.

#include "report/model/objects/Communicator.h"

#include <vector>

namespace report {

class TppDrawCommandSearchInfo;

class TppPageSearch : public TppCommunicator
{
public:
    explicit TppPageSearch(classes::TComponent *aOwner = nullptr);
    ~TppPageSearch() override;

    // Takes ownership.
    void Add(TppDrawCommandSearchInfo *aInfo);
    int Count() const { return int(m_searchInfos.size()); }
    // ESearchError for an index outside 0..Count - 1.
    TppDrawCommandSearchInfo *GetDrawCommandForIndex(int aIndex) const;
    void Clear();
    // Top to bottom, then left to right; occurrences on the same spot keep
    // the order they were found in.
    void Sort();

    int PageNo() const { return m_pageNo; }
    void SetPageNo(int aValue) { m_pageNo = aValue; }

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

private:
    int m_pageNo = 0;
    std::vector<TppDrawCommandSearchInfo *> m_searchInfos;
    bool m_clearing = false;
};

class TppPageSearchList : public TppCommunicator
{
public:
    explicit TppPageSearchList(classes::TComponent *aOwner = nullptr);
    ~TppPageSearchList() override;

    // Takes ownership.
    void Add(TppPageSearch *aPageSearch);
    int Count() const { return int(m_pageSearches.size()); }
    TppPageSearch *Items(int aIndex) const;
    void Clear();
    // The index of the page's search, which becomes the current page; -1
    // when the page has none.
    int IndexOfPage(int aPageNo);

    // Each answers the new current occurrence or nullptr. Next and Prior
    // do not wrap around; past either end the position stays on the last
    // (first) page search.
    TppDrawCommandSearchInfo *First();
    TppDrawCommandSearchInfo *Last();
    TppDrawCommandSearchInfo *Next();
    TppDrawCommandSearchInfo *Prior();
    TppDrawCommandSearchInfo *GotoPage(int aPageNo);
    // aIndex counts from 0 over all pages in list order.
    TppDrawCommandSearchInfo *ResetSearchIndex(int aIndex);

    int CurrentPageNo() const;
    TppPageSearch *CurrentPageSearch() const;
    TppDrawCommandSearchInfo *CurrentInfo() const;
    int CurrentDrawCommandIndex() const;
    int OccurrenceCount() const;
    // The current occurrence counted from 0 over all pages, -1 for none.
    int CurrentOccurrenceNo() const;
    int CurrentPageIndex() const { return m_currentPageIndex; }
    int CurrentInfoIndex() const { return m_currentInfoIndex; }

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

private:
    std::vector<TppPageSearch *> m_pageSearches;
    int m_currentPageIndex = -1;
    int m_currentInfoIndex = -1;
    bool m_clearing = false;
};

} // namespace report
