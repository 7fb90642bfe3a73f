#include "report/model/engine/Engine.h"

#include "report/model/engine/BandEngine.h"
#include "report/model/engine/ColumnPositions.h"
#include "report/model/engine/LastPageRules.h"
#include "report/model/engine/NoDataRules.h"

#include "report/model/bands/DetailBand.h"
#include "report/model/base/Messages.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/printing/PageDef.h"
#include "report/model/reports/CustomReport.h"

#include <algorithm>

namespace report {

// ---- Columns ------------------------------------------------------------------------------------

bool TppEngine::positionColumn(int aColumn, bool aApply)
{
    const TppColumnPlace place = ppPlaceColumn(*m_report, aColumn);
    if (place.fits && aApply) {
        SetPrintArea(place.left, ColumnTop(), place.rightLimit - place.left, ColumnTop());
        m_printRight = std::min(place.rightLimit, place.left + m_report->mmColumnWidth());
    }
    return place.fits;
}

void TppEngine::startNextColumn()
{
    if (EngineState() & (ppEngineState::TitleNewPage | ppEngineState::SummaryNewPage))
        return;
    if (ColumnNo() == 0)
        SetColumnTop(PrintTop());
    const int state = m_bandState;
    const int index = m_bandIndex;
    if (ColumnNo() < m_report->Columns()) {
        SetColumnNo(ColumnNo() + 1);
        if (positionColumn(ColumnNo(), true) && !m_lastColumnStarted) {
            // The report owns this engine: its handlers may free both.
            const std::weak_ptr<char> alive = AliveToken();
            m_report->DoEngineEvent(m_report->OnStartColumn, ppEvent::OnStartColumn);
            if (alive.expired())
                return;
            IncludeDue(ppBandKind::ColumnHeader);
            m_bandState = 3;
            SetBandsPrinted(false);
            generateList(3, 0, false);
            if (alive.expired())
                return;
            if (ColumnNo() == m_report->Columns())
                m_lastColumnStarted = true;
        }
    }
    m_bandState = state;
    m_bandIndex = index;
}

bool TppEngine::ownPageWithoutDetail() const
{
    // "The detail band has not started" is read as columns across the page
    // read it: no detail printed on this page. A summary on a page of its
    // own clears its flag once it has printed, before its page ends, so the
    // page that began with the flag set stays the summary's: like a title
    // page, it ends without column footers, as it does across the page.
    const int ownPage = ppEngineState::TitleNewPage | ppEngineState::SummaryNewPage;
    return ((EngineState() & ownPage) || m_summaryPageStarted) && !DetailPrinted();
}

void TppEngine::endColumn()
{
    m_columnBreakPending = true;
    const bool ownPage = ownPageWithoutDetail();
    bool forced = ownPage;
    if (auto *header = dynamic_cast<TppGroupHeaderBand *>(m_currentBand); header && !forced)
        if (TppGroup *group = header->Group())
            forced = (group->NewPage() && !group->NewColumn()) ||
                     (header->OutOfSpace() && group->mmNewPageThreshold() != 0 && group->mmNewColumnThreshold() == 0);
    const bool last = ColumnNo() >= m_report->Columns();
    // Down the page a column past the last position is never started: the
    // page ends instead (across the page, such a column is an error).
    const bool noPositionLeft = ColumnNo() > 0 && ColumnNo() == int(m_report->mmColumnPositions().size());
    const bool nextFits = !last && !noPositionLeft && positionColumn(ColumnNo() + 1, false);
    const bool pageEnds = last || (m_dataExhausted && m_bandState > 6) || !nextFits || forced ||
                          (EngineState() & ppEngineState::SectionPageWanted);
    // Every column end that keeps the page starts the next column, so a
    // page holds fewer of them than columns. More means the columns no
    // longer move on, and the page guard, which counts pages, never fires.
    if (!pageEnds && ++m_columnEndsOnPage > m_report->Columns()) {
        stopWithoutProgress(m_currentBand ? m_currentBand : m_lastBand);
        return;
    }
    if (!ownPage) {
        // The report owns this engine: its handlers may free both.
        const std::weak_ptr<char> alive = AliveToken();
        IncludeDue(ppBandKind::ColumnFooter);
        const int state = m_bandState;
        m_bandState = 8;
        generateList(8, 0, false);
        if (alive.expired())
            return;
        m_bandState = state;
        m_report->DoEngineEvent(m_report->OnEndColumn, ppEvent::OnEndColumn);
        if (alive.expired())
            return;
        ExcludeDue(ppBandKind::ColumnFooter);
    }
    // The record moved to waits for the next column, which tells of it.
    m_advancedAtColumnEnd = m_traversalPending && nextFits && !pageEnds;
    if (!pageEnds)
        return;
    const std::weak_ptr<char> alive = AliveToken();
    savePageState();
    if (alive.expired())
        return;
    if (const TppPageDef *def = pageDef()) {
        SetPrintArea(def->mmMarginLeft(), PrintTop(), def->mmPrintableWidth(), PrintPosition());
        m_printRight = def->mmMarginLeft() + def->mmPrintableWidth();
    }
    endPage();
}

// ---- Page end --------------------------------------------------------------------------------------

void TppEngine::endPage()
{
    // The report owns this engine: the handlers of the page's end may free
    // both.
    const std::weak_ptr<char> alive = AliveToken();
    m_pageEnded = true;
    if (!m_verticalColumns)
        savePageState();
    if (alive.expired())
        return;
    // A record moved to but not printed yet is told of on the page that
    // prints it, as it is when that page is made again from its saved
    // state: page totals and counts stay with their own records.
    m_lastFinishedPage = PageNo();
    // Columns across the page end with the page.
    if (!m_verticalColumns)
        if (auto *detail = dynamic_cast<TppDetailBand *>(m_report->GetBand(4)))
            if (TppBandEngine *bandEngine = detail->BandEngine())
                bandEngine->FinishPage();
    if (alive.expired())
        return;
    if (!IsDue(ppBandKind::Footer) &&
        !(EngineState() & (ppEngineState::SectionPages | ppEngineState::SectionLastPage))) {
        IncludeDue(ppBandKind::Footer);
        const int state = m_bandState;
        m_bandState = 9;
        generateList(9, 0, false);
        if (alive.expired())
            return;
        m_bandState = state;
    }
    fire(OnCheckPageLimit);
    if (alive.expired())
        return;
    if (!m_report->PrintingAsSubReport())
        m_report->AddOutlineDrawCommand();
    if (alive.expired())
        return;
    if ((EngineState() & ppEngineState::FirstPass) && m_dataExhausted && m_reportComplete) {
        m_pageCountKnown = true;
        AssignPageCount(PageNo());
        m_report->SendEventNotify(m_report, ppEvent::ReportEnd, nullptr);
        if (alive.expired())
            return;
        if (m_reportStarted)
            m_report->ComputeLookAheads();
        if (alive.expired())
            return;
    }
    if (m_pageCountKnown && PageNo() == PageCount() && m_pageWanted)
        applyLastPageRules();
    if ((EngineState() & ppEngineState::NoData) && MaxPosition() != 0 &&
        (m_report->NoDataBehaviors() & (1u << unsigned(TppNoDataBehaviorType::ndBlankReport))))
        if (const TppPageDef *def = pageDef())
            ppNoDataOnPage(*m_report, *Page(), PrintLeft(), def->mmPrintableWidth(), MaxPosition(),
                           !m_passes.SecondPassStarted());
    if (alive.expired())
        return;
    fire(OnPageEnding);
    if (alive.expired())
        return;
    fillPageRecord();
    if (alive.expired())
        return;
    if (m_requestRules.Satisfied(requestProgress()))
        m_pageDone = true;
    // The page that ends a request counts too: a child report is asked for
    // one page at a time, so each of its pages ends a request, and a band
    // that never fits its frame would otherwise add pages for ever.
    if (m_progress)
        m_pagesWithoutProgress = 0;
    else
        ++m_pagesWithoutProgress;
    fire(OnPageComplete);
    if (alive.expired())
        return;
    m_report->SendEventNotify(m_report, ppEvent::EngineEvent, nullptr);
    if (!alive.expired())
        ExcludeDue(ppBandKind::Footer);
}

void TppEngine::checkProgress(TppCustomBand *aBreakingBand)
{
    // Two pages in a row without anything new: the band can never fit.
    if (m_progress || m_pagesWithoutProgress < 1 || !aBreakingBand)
        return;
    stopWithoutProgress(aBreakingBand);
}

void TppEngine::stopWithoutProgress(TppCustomBand *aBreakingBand)
{
    SetStopped(true);
    // A page or column footer as tall as the page leaves room for nothing:
    // it is the band to change, not the one that found no room above it.
    if (const TppPageDef *def = pageDef())
        for (int list : {8, 9})
            for (TppCustomBand *band : m_lists[list])
                if (band && band->Visible() && band->mmHeight() >= def->mmPrintableHeight())
                    aBreakingBand = band;
    m_report->HandlePrintError(aBreakingBand ? aBreakingBand->UserName() + QStringLiteral(": ") + ppLoadStr(44)
                                             : ppLoadStr(44));
}

void TppEngine::applyLastPageRules()
{
    ppApplyLastPageRules(*Page(), m_lists[1], m_lists[9]);
}

} // namespace report
