#pragma once

// Page numbers that restart with a group. The outermost group that starts
// each break on a new page and resets the page number numbers its pages
// from 1: a page shows its number within the group's pages and the count
// of those pages, and carries the group's break number so that the pages
// of one break form one set.

namespace report {

class TppCustomReport;
class TppGroup;

class TppPageNumbering
{
public:
    // Finds the group that numbers the pages at the start of a run.
    void RunStarted(TppCustomReport &aReport);
    TppGroup *PageResetGroup() const { return m_pageResetGroup; }
    // aGroup leaves the report: the engine's own numbers take over.
    void ForgetGroup(const TppGroup *aGroup)
    {
        if (m_pageResetGroup == aGroup)
            m_pageResetGroup = nullptr;
    }
    // At a page start: a group whose header starts on this page (or all of
    // them before the title) numbers from here, when aMayRestart; every
    // group that resets the page number counts the page.
    void PageStarted(TppCustomReport &aReport, int aPageNo, bool aTitlePending, bool aMayRestart);
    // The page number and count to show; aPlain: the engine's own.
    int DisplayPageNo(int aPageNo, bool aPlain) const;
    int DisplayPageCount(int aPageCount, bool aPlain) const;

private:
    TppGroup *m_pageResetGroup = nullptr;
};

} // namespace report
