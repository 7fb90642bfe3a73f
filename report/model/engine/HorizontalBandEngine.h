#pragma once

// TppHorizontalBandEngine: the detail band across the columns, left to
// right. Records fill a row column by column; the record after the last
// column starts the next row below. Each column prints its column header
// before its first record on a page and its column footer when its next row
// would not fit, or at the page end.

#include "report/model/engine/BandEngine.h"

#include <vector>

namespace report {

class TppCustomReport;

class TppHorizontalBandEngine : public TppDetailBandEngine
{
    ZVO_CLASS(TppHorizontalBandEngine)
public:
    explicit TppHorizontalBandEngine(classes::TComponent *aOwner = nullptr);

    // The page engine's PrintLeft when Generate began.
    int32_t SavedLeft() const { return m_savedLeft; }
    // The column of the current record, from 0.
    int Column() const { return m_column; }

    void BeginGenerate() override;
    void EndGenerate() override;
    void StartCycle() override;
    void CalcBandArea() override;
    void AdvancePosition() override;
    void AfterComponents() override;
    // Ends every column of the page whose footer has not printed.
    void FinishPage() override;

private:
    TppCustomReport *customReport() const;
    int columnCount() const;
    // The left edge of column aColumn; raises through the report when the
    // positions hold none for it.
    int32_t columnLeft(int aColumn) const;
    int32_t columnWidth() const;
    // Forgets the columns of an earlier page.
    void followPage();
    void startColumn();
    void endColumn(int aColumn);
    int32_t columnHeaderHeight() const;

    int32_t m_savedLeft = 0;
    int32_t m_savedWidth = 0;
    int m_column = 0;
    // The bottom of the current row, its bottom offset included.
    int32_t m_rowBottom = 0;
    int m_flagsPage = -1;
    // Per column on the current page: its header and its footer printed.
};

} // namespace report
