#include "report/model/engine/HorizontalBandEngine.h"

#include "report/model/bands/CustomBand.h"
#include "report/model/engine/ColumnPositions.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/objects/EventIds.h"
#include "report/model/reports/CustomReport.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

int32_t horizontalSum(int64_t aValue)
{
    constexpr int64_t limit = std::numeric_limits<int32_t>::max() / 2;
    return int32_t(std::clamp<int64_t>(aValue, -limit, limit));
}

} // namespace

const classes::TMetaClass &TppHorizontalBandEngine::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppHorizontalBandEngine, TppDetailBandEngine>("TppHorizontalBandEngine");
    return meta;
}

TppHorizontalBandEngine::TppHorizontalBandEngine(classes::TComponent *aOwner)
    : TppDetailBandEngine(aOwner)
{}

TppCustomReport *TppHorizontalBandEngine::customReport() const
{
    return dynamic_cast<TppCustomReport *>(m_report);
}

int TppHorizontalBandEngine::columnCount() const
{
    return m_report ? std::max(1, m_report->Columns()) : 1;
}

int32_t TppHorizontalBandEngine::columnWidth() const
{
    return m_report ? m_report->mmColumnWidth() : 0;
}

int32_t TppHorizontalBandEngine::columnLeft(int aColumn) const
{
    TppCustomReport *report = customReport();
    return report ? ppPlaceColumn(*report, aColumn + 1).left : 0;
}

int32_t TppHorizontalBandEngine::columnHeaderHeight() const
{
    TppCustomReport *report = customReport();
    TppBand *header = report ? report->GetBand(2) : nullptr;
    auto *band = dynamic_cast<TppCustomBand *>(header);
    return band && band->Visible() ? band->SpaceUsed() : 0;
}

void TppHorizontalBandEngine::followPage()
{
    TppCustomEngine *engine = PageEngine();
    const int page = engine ? engine->PageNo() : 0;
    if (page == m_flagsPage && engine && engine->DetailPrinted())
        return;
    m_flagsPage = page;
    if (!engine)
        return;
    // The page engine keeps the flags; a page made again starts them anew.
    if (engine->ColumnFlagCount() != columnCount())
        engine->CreateColumnFlags(columnCount());
    else
        engine->ClearColumnFlags();
}

void TppHorizontalBandEngine::BeginGenerate()
{
    TppCustomEngine *engine = PageEngine();
    m_savedLeft = engine->PrintLeft();
    m_savedWidth = engine->PrintWidth();
    TppDetailBandEngine::BeginGenerate();
}

void TppHorizontalBandEngine::EndGenerate()
{
    TppDetailBandEngine::EndGenerate();
    TppCustomEngine *engine = PageEngine();
    // What follows the details starts below the last row.
    const int32_t top = engine->DetailPrinted() ? std::max(m_rowBottom, engine->PrintTop()) : engine->PrintTop();
    engine->SetPrintArea(m_savedLeft, top, m_savedWidth, top);
}

void TppHorizontalBandEngine::StartCycle()
{
    // The band's handlers may free it, and this engine with it.
    const std::weak_ptr<char> alive = AliveToken();
    TppDetailBandEngine::StartCycle();
    if (alive.expired() || !m_band)
        return;
    TppCustomEngine *engine = PageEngine();
    const bool samePage = engine->DetailPrinted() && m_flagsPage == engine->PageNo();
    followPage();
    if (!samePage) {
        m_column = 0;
        m_rowBottom = engine->PrintTop();
    } else if (!Continuing() && !Restart()) {
        if (++m_column >= columnCount()) {
            // A new row: it starts below the lowest band of the last one,
            // column headers included.
            m_column = 0;
            engine->SetPrintArea(engine->PrintLeft(), m_rowBottom, engine->PrintWidth(), m_rowBottom);
        }
    }
    if (!engine->GetColumnFlagB(m_column))
        startColumn();
}

void TppHorizontalBandEngine::startColumn()
{
    TppCustomEngine *engine = PageEngine();
    TppCustomReport *report = customReport();
    const int32_t left = engine->PrintLeft(), top = engine->PrintTop(), width = engine->PrintWidth();
    const int32_t position = engine->PrintPosition(), maxPosition = engine->MaxPosition();
    engine->IncludeDue(ppBandKind::ColumnHeader);
    engine->SetPrintArea(columnLeft(m_column), top, columnWidth(), position);
    if (report) {
        // The handlers and the header may free the detail band, and this
        // engine with it, or the report: the column ends there.
        const std::weak_ptr<char> alive = AliveToken();
        report->DoEngineEvent(report->OnStartColumn, ppEvent::OnStartColumn);
        if (alive.expired())
            return;
        if (TppBand *header = report->GetBand(2))
            header->Generate();
        if (alive.expired())
            return;
    }
    engine->SetPrintArea(left, top, width, position);
    engine->SetMaxPosition(maxPosition);
    engine->ExcludeDue(ppBandKind::ColumnHeader);
}

void TppHorizontalBandEngine::endColumn(int aColumn)
{
    TppCustomEngine *engine = PageEngine();
    TppCustomReport *report = customReport();
    const int32_t left = engine->PrintLeft(), top = engine->PrintTop(), width = engine->PrintWidth();
    const int32_t position = engine->PrintPosition(), maxPosition = engine->MaxPosition();
    engine->IncludeDue(ppBandKind::ColumnFooter);
    // The footer goes below the column's last row.
    engine->SetPrintArea(columnLeft(aColumn), m_rowBottom, columnWidth(), m_rowBottom);
    if (report) {
        const std::weak_ptr<char> alive = AliveToken();
        if (TppBand *footer = report->GetBand(6))
            footer->Generate();
        if (alive.expired())
            return;
        report->DoEngineEvent(report->OnEndColumn, ppEvent::OnEndColumn);
        if (alive.expired())
            return;
    }
    engine->SetPrintArea(left, top, width, position);
    engine->SetMaxPosition(maxPosition);
    engine->ExcludeDue(ppBandKind::ColumnFooter);
    if (TppCustomEngine *pageEngine = PageEngine())
        pageEngine->SetColumnFlagA(aColumn, true);
}

void TppHorizontalBandEngine::CalcBandArea()
{
    TppCustomEngine *engine = PageEngine();
    TppCustomBand &band = *m_band;
    band.SetPageBottom(horizontalSum(int64_t(engine->GetPageBottom()) - band.mmBottomOffset()));
    const int32_t headerOffset = PageEngine()->GetColumnFlagB(m_column) ? 0 : columnHeaderHeight();
    band.SetStartingPosition(horizontalSum(int64_t(engine->PrintTop()) + headerOffset));
    band.PlaceBand();
    ApplyPrintPosition();
    if (!PageBreak() && band.Visible() && int64_t(band.StartingPosition()) + band.mmHeight() > band.PageBottom())
        band.SetOutOfSpace(true);
    if (!PageBreak()) {
        const int32_t top = band.StartingPosition();
        const int32_t left = columnLeft(m_column);
        band.SetPrintRect(rtl::TRect{left, top, horizontalSum(int64_t(left) + columnWidth()),
                                     horizontalSum(int64_t(top) + band.mmHeight())});
        band.SetCurrentPosition(top);
        band.SetCumulativeCurrentPosition(top);
        m_tallestBottom = 0;
    }
    band.AfterSpaceStep();
}

void TppHorizontalBandEngine::AdvancePosition()
{
    TppCustomEngine *engine = PageEngine();
    TppCustomBand &band = *m_band;
    const int32_t used = horizontalSum(int64_t(band.mmHeight()) + band.mmBottomOffset());
    const int32_t bottom = horizontalSum(int64_t(band.StartingPosition()) + used);
    m_rowBottom = std::max(m_rowBottom, bottom);
    // The row moves down when the columns wrap; only its first column counts.
    if (m_column == 0)
        engine->SetMaxPosition(horizontalSum(int64_t(engine->MaxPosition()) + used));
    band.SetSpaceUsed(m_column == 0 ? used : 0);
}

void TppHorizontalBandEngine::AfterComponents()
{
    PageEngine()->SetColumnFlagB(m_column, true);
    const TppCustomBand &band = *m_band;
    // Measured from the bottom of this row, where the next one would start.
    const int64_t rowBottom = std::max<int64_t>(m_rowBottom, int64_t(band.PrintRect().Bottom) + band.mmBottomOffset());
    if (band.Visible() && rowBottom + band.mmHeight() > band.PageBottom()) {
        const std::weak_ptr<char> alive = AliveToken();
        endColumn(m_column);
        if (alive.expired())
            return;
    }
    TppDetailBandEngine::AfterComponents();
}

void TppHorizontalBandEngine::FinishPage()
{
    TppCustomEngine *engine = PageEngine();
    // A page without details (a title or summary page of its own) has no
    // columns to end.
    if (!engine || !engine->DetailPrinted() || m_flagsPage != engine->PageNo())
        return;
    const std::weak_ptr<char> alive = AliveToken();
    for (int c = 0; c < columnCount() && !alive.expired(); ++c)
        if (!engine->GetColumnFlagA(c))
            endColumn(c);
}

} // namespace report
