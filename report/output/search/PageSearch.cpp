#include "report/output/search/PageSearch.h"

#include "report/model/production/SearchErrors.h"
#include "report/output/search/SearchInfo.h"

#include <QLoggingCategory>

#include <algorithm>

namespace report {

namespace {

Q_LOGGING_CATEGORY(pageSearchLog, "zarvello.report.search")

} // namespace

// ---- TppPageSearch ---------------------------------------------------------------

TppPageSearch::TppPageSearch(classes::TComponent *aOwner)
    : TppCommunicator(aOwner)
{}

TppPageSearch::~TppPageSearch()
{
    BeforeDestruction();
    Clear();
}

void TppPageSearch::Add(TppDrawCommandSearchInfo *aInfo)
{
    if (!aInfo)
        return;
    m_searchInfos.push_back(aInfo);
    aInfo->AddNotify(this);
}

TppDrawCommandSearchInfo *TppPageSearch::GetDrawCommandForIndex(int aIndex) const
{
    if (aIndex < 0 || aIndex >= Count())
        throw ESearchError(QStringLiteral(
            "TppPageSearch.GetDrawCommandForIndex: Must reference an index in range of DrawCommmandCount"));
    return m_searchInfos[aIndex];
}

void TppPageSearch::Clear()
{
    m_clearing = true;
    while (!m_searchInfos.empty()) {
        TppDrawCommandSearchInfo *info = m_searchInfos.back();
        m_searchInfos.pop_back();
        delete info;
    }
    m_clearing = false;
}

void TppPageSearch::Sort()
{
    // By the numbers themselves, and stable: two occurrences with one key
    // (two hits at one place of overlapping commands) both stay.
    std::stable_sort(m_searchInfos.begin(), m_searchInfos.end(),
                     [](const TppDrawCommandSearchInfo *a, const TppDrawCommandSearchInfo *b) {
                         if (a->SortTop() != b->SortTop())
                             return a->SortTop() < b->SortTop();
                         return a->SortLeft() < b->SortLeft();
                     });
}

void TppPageSearch::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove || m_clearing)
        return;
    auto it = std::find(m_searchInfos.begin(), m_searchInfos.end(), aCommunicator);
    if (it == m_searchInfos.end())
        return;
    // The info's destructor is running: it cannot be kept, so it leaves the
    // list and the misuse is logged instead of thrown through it.
    qCCritical(pageSearchLog, "TppPageSearch.Notify: Cannot free draw command info from page.");
    m_searchInfos.erase(it);
}

// ---- TppPageSearchList -----------------------------------------------------------

TppPageSearchList::TppPageSearchList(classes::TComponent *aOwner)
    : TppCommunicator(aOwner)
{}

TppPageSearchList::~TppPageSearchList()
{
    BeforeDestruction();
    Clear();
}

void TppPageSearchList::Add(TppPageSearch *aPageSearch)
{
    if (!aPageSearch)
        return;
    m_pageSearches.push_back(aPageSearch);
    aPageSearch->AddNotify(this);
}

TppPageSearch *TppPageSearchList::Items(int aIndex) const
{
    return aIndex >= 0 && aIndex < Count() ? m_pageSearches[aIndex] : nullptr;
}

void TppPageSearchList::Clear()
{
    m_clearing = true;
    while (!m_pageSearches.empty()) {
        TppPageSearch *pageSearch = m_pageSearches.back();
        m_pageSearches.pop_back();
        delete pageSearch;
    }
    m_clearing = false;
    m_currentPageIndex = -1;
    m_currentInfoIndex = -1;
}

int TppPageSearchList::IndexOfPage(int aPageNo)
{
    for (int i = 0; i < Count(); ++i)
        if (m_pageSearches[i]->PageNo() == aPageNo) {
            m_currentPageIndex = i;
            return i;
        }
    return -1;
}

TppPageSearch *TppPageSearchList::CurrentPageSearch() const
{
    return Items(m_currentPageIndex);
}

TppDrawCommandSearchInfo *TppPageSearchList::CurrentInfo() const
{
    TppPageSearch *pageSearch = CurrentPageSearch();
    if (!pageSearch || m_currentInfoIndex < 0 || m_currentInfoIndex >= pageSearch->Count())
        return nullptr;
    return pageSearch->GetDrawCommandForIndex(m_currentInfoIndex);
}

int TppPageSearchList::CurrentPageNo() const
{
    TppPageSearch *pageSearch = CurrentPageSearch();
    return pageSearch ? pageSearch->PageNo() : -1;
}

int TppPageSearchList::CurrentDrawCommandIndex() const
{
    TppDrawCommandSearchInfo *info = CurrentInfo();
    return info ? info->DrawCommandIndex() : -1;
}

TppDrawCommandSearchInfo *TppPageSearchList::First()
{
    if (m_pageSearches.empty())
        return nullptr;
    m_currentPageIndex = 0;
    m_currentInfoIndex = 0;
    return CurrentInfo();
}

TppDrawCommandSearchInfo *TppPageSearchList::Last()
{
    if (m_pageSearches.empty())
        throw ESearchError(
            QStringLiteral("TppPageSearchList.LastPageSearch: Current page search object list is empty."));
    m_currentPageIndex = Count() - 1;
    m_currentInfoIndex = m_pageSearches.back()->Count() - 1;
    return CurrentInfo();
}

TppDrawCommandSearchInfo *TppPageSearchList::Next()
{
    TppPageSearch *pageSearch = CurrentPageSearch();
    if (!pageSearch)
        return First();
    if (m_currentInfoIndex + 1 < pageSearch->Count()) {
        ++m_currentInfoIndex;
        return CurrentInfo();
    }
    if (m_currentPageIndex + 1 >= Count())
        return nullptr;
    ++m_currentPageIndex;
    m_currentInfoIndex = 0;
    return CurrentInfo();
}

TppDrawCommandSearchInfo *TppPageSearchList::Prior()
{
    TppPageSearch *pageSearch = CurrentPageSearch();
    if (!pageSearch)
        return nullptr;
    if (m_currentInfoIndex > 0) {
        --m_currentInfoIndex;
        return CurrentInfo();
    }
    if (m_currentPageIndex == 0)
        return nullptr;
    --m_currentPageIndex;
    m_currentInfoIndex = m_pageSearches[m_currentPageIndex]->Count() - 1;
    return CurrentInfo();
}

TppDrawCommandSearchInfo *TppPageSearchList::GotoPage(int aPageNo)
{
    if (IndexOfPage(aPageNo) < 0)
        throw ESearchError(QStringLiteral("TppPageSearchList.GotoPage: Cannot find the page number ") +
                           QString::number(aPageNo) + QStringLiteral(" in the list of page info objects of (1-") +
                           QString::number(Count()) + QStringLiteral(")."));
    m_currentInfoIndex = 0;
    return CurrentInfo();
}

TppDrawCommandSearchInfo *TppPageSearchList::ResetSearchIndex(int aIndex)
{
    int before = 0;
    for (int i = 0; aIndex >= 0 && i < Count(); ++i) {
        const int count = m_pageSearches[i]->Count();
        if (aIndex < before + count) {
            m_currentPageIndex = i;
            m_currentInfoIndex = aIndex - before;
            return CurrentInfo();
        }
        before += count;
    }
    throw ESearchError(
        QStringLiteral("TppPageSearchList.ResetSearchIndex: Cannot find the search index in the page range: ") +
        QString::number(aIndex));
}

int TppPageSearchList::OccurrenceCount() const
{
    int count = 0;
    for (const TppPageSearch *pageSearch : m_pageSearches)
        count += pageSearch->Count();
    return count;
}

int TppPageSearchList::CurrentOccurrenceNo() const
{
    if (!CurrentInfo())
        return -1;
    int before = 0;
    for (int i = 0; i < m_currentPageIndex; ++i)
        before += m_pageSearches[i]->Count();
    return before + m_currentInfoIndex;
}

void TppPageSearchList::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove || m_clearing)
        return;
    auto it = std::find(m_pageSearches.begin(), m_pageSearches.end(), aCommunicator);
    if (it == m_pageSearches.end())
        return;
    qCCritical(pageSearchLog, "TppPageSearchList.Notify: Cannot free a PageSearch embedded object");
    const int index = int(it - m_pageSearches.begin());
    m_pageSearches.erase(it);
    if (index < m_currentPageIndex)
        --m_currentPageIndex;
    else if (index == m_currentPageIndex) {
        m_currentPageIndex = -1;
        m_currentInfoIndex = -1;
    }
}

} // namespace report
