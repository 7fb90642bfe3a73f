#include "report/model/engine/PageRequestRules.h"

#include "report/model/pages/PageRequest.h"

#include "platform/classes/StringList.h"
#include "platform/rtl/StrToFloat.h"

#include <algorithm>

namespace report {

int TppPageRequestRules::capToCache(int aPageNo, const TppRequestProgress &aProgress)
{
    if (aPageNo <= aProgress.lastCachedPage + 1)
        return aPageNo;
    return aProgress.pageCountKnown ? aProgress.lastCachedPage : aProgress.lastCachedPage + 1;
}

bool TppPageRequestRules::nextListedPage(const TppRequestProgress &aProgress)
{
    const classes::TStrings *list = m_request.PageList();
    const int count = list ? list->Count() : 0;
    while (m_listIndex < count) {
        const int32_t pageNo = rtl::StrToInt(list->Strings(m_listIndex));
        m_request.SetPageRequested(pageNo);
        const bool valid = pageNo >= 1 && (!aProgress.pageCountKnown || pageNo <= aProgress.pageCount);
        // A page beyond the pages reached so far stays listed until the
        // loop gets there.
        if (!valid || pageNo <= aProgress.pageCount + 1)
            ++m_listIndex;
        if (valid)
            return true;
    }
    return false;
}

TppRequestStep TppPageRequestRules::listedStep(const TppRequestProgress &aProgress)
{
    TppRequestStep step;
    if (nextListedPage(aProgress))
        step.pageNo = m_request.PageRequested();
    else
        step.done = true;
    return step;
}

void TppPageRequestRules::clampSinglePage(const TppRequestProgress &aProgress)
{
    if (aProgress.pageCountKnown && m_request.PageRequested() > aProgress.pageCount)
        m_request.SetPageRequested(aProgress.pageCount);
    if (m_request.PageRequested() < 1)
        m_request.SetPageRequested(1);
}

TppRequestStep TppPageRequestRules::FirstPage(const TppRequestProgress &aProgress)
{
    TppRequestStep step;
    switch (m_request.PageSetting()) {
    case TppPageSettingType::psAll:
    case TppPageSettingType::psPageRange:
    case TppPageSettingType::psFirstPage: step.pageNo = 1; break;
    case TppPageSettingType::psPageList:
        m_listIndex = 0;
        step = listedStep(aProgress);
        break;
    case TppPageSettingType::psSinglePage:
        clampSinglePage(aProgress);
        step.pageNo = m_request.PageRequested();
        break;
    case TppPageSettingType::psLastPage:
        step.pageNo = aProgress.pageCountKnown ? aProgress.pageCount : aProgress.lastCachedPage + 1;
        break;
    }
    step.pageNo = std::min(step.pageNo, aProgress.lastCachedPage + 1);
    return step;
}

TppRequestStep TppPageRequestRules::NextPage(const TppRequestProgress &aProgress)
{
    TppRequestStep step;
    step.pageNo = m_request.PageRequested();
    switch (m_request.PageSetting()) {
    case TppPageSettingType::psAll:
    case TppPageSettingType::psPageRange:
        step.done = aProgress.reportComplete;
        step.pageNo = aProgress.pageNo + 1;
        break;
    case TppPageSettingType::psPageList: step = listedStep(aProgress); break;
    case TppPageSettingType::psSinglePage:
        if (m_request.PageRequested() <= aProgress.pageNo)
            step.done = aProgress.pageWanted;
        if (!step.done) {
            clampSinglePage(aProgress);
            step.pageNo = m_request.PageRequested();
        }
        break;
    case TppPageSettingType::psFirstPage: step.done = aProgress.pageNo >= 1; break;
    case TppPageSettingType::psLastPage:
        if (aProgress.reportComplete)
            step.done = aProgress.pageWanted;
        step.pageNo = aProgress.pageNo + 1;
        if (step.done || aProgress.reportComplete)
            step.pageNo = aProgress.pageCount;
        break;
    }
    if (!step.done)
        step.pageNo = capToCache(step.pageNo, aProgress);
    return step;
}

bool TppPageRequestRules::Wants(const TppRequestProgress &aProgress, bool aWanted) const
{
    switch (m_request.PageSetting()) {
    case TppPageSettingType::psAll:
    case TppPageSettingType::psPageRange: return aWanted;
    case TppPageSettingType::psPageList:
    case TppPageSettingType::psSinglePage: return aProgress.pageNo == m_request.PageRequested();
    case TppPageSettingType::psFirstPage: return aProgress.pageNo == 1;
    case TppPageSettingType::psLastPage: return aProgress.pageCountKnown && aProgress.pageNo == aProgress.pageCount;
    }
    return aWanted;
}

bool TppPageRequestRules::Satisfied(const TppRequestProgress &aProgress)
{
    switch (m_request.PageSetting()) {
    case TppPageSettingType::psAll:
    case TppPageSettingType::psPageRange:
    case TppPageSettingType::psLastPage:
        return aProgress.reportComplete && aProgress.pageWanted && aProgress.pageNo == aProgress.pageCount;
    case TppPageSettingType::psPageList: {
        // Looks ahead without using up the entry the loop takes next.
        const int index = m_listIndex;
        const int32_t requested = m_request.PageRequested();
        const bool more = nextListedPage(aProgress);
        m_listIndex = index;
        m_request.SetPageRequested(requested);
        return !more;
    }
    case TppPageSettingType::psSinglePage: return aProgress.pageWanted && m_request.PageRequested() <= aProgress.pageNo;
    case TppPageSettingType::psFirstPage: return aProgress.pageWanted && aProgress.pageNo >= 1;
    }
    return false;
}

} // namespace report
