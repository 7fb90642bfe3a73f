#include "report/model/engine/PageNumbering.h"

#include "report/model/groups/Group.h"
#include "report/model/reports/CustomReport.h"

namespace report {

void TppPageNumbering::RunStarted(TppCustomReport &aReport)
{
    m_pageResetGroup = nullptr;
    for (int i = 0; i < aReport.GroupCount() && !m_pageResetGroup; ++i) {
        TppGroup *group = aReport.Groups(i);
        if (group->NewPage() && group->ResetPageNo())
            m_pageResetGroup = group;
    }
}

void TppPageNumbering::PageStarted(TppCustomReport &aReport, int aPageNo, bool aTitlePending, bool aMayRestart)
{
    for (int i = 0; i < aReport.GroupCount(); ++i) {
        TppGroup *group = aReport.Groups(i);
        if (!group->ResetPageNo())
            continue;
        // A breaking group prints its header as a first one on this page.
        if (aMayRestart && (aTitlePending || group->Breaking()))
            group->GroupStarted(aPageNo, 1);
        group->UpdatePageCount(aPageNo);
    }
}

int TppPageNumbering::DisplayPageNo(int aPageNo, bool aPlain) const
{
    return aPlain || !m_pageResetGroup ? aPageNo : m_pageResetGroup->PageNo();
}

int TppPageNumbering::DisplayPageCount(int aPageCount, bool aPlain) const
{
    return aPlain || !m_pageResetGroup ? aPageCount : m_pageResetGroup->PageCount();
}

} // namespace report
