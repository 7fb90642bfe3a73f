#include "report/model/reports/CustomReport.h"

#include "report/model/base/Units.h"

#include <algorithm>
#include <cmath>

namespace report {

void TppCustomReport::SetColumns(int aValue)
{
    m_columns = std::max(1, aValue);
    if (loading())
        return;
    if (m_columns >= 2)
        m_mmColumnWidth = mmPrintableWidth() / m_columns;
    else
        m_mmColumnWidth = mmPrintableWidth();
    LayoutChanged();
}

float TppCustomReport::ColumnWidth() const
{
    return ppFromMMThousandths(m_mmColumnWidth, m_units, TppAxisType::atHorizontal);
}

void TppCustomReport::SetColumnWidth(float aValue)
{
    // Read before the page is known, and in the old units: converted once
    // the report is loaded.
    if (HasState(classes::csReading)) {
        m_legacyColumnWidth = aValue;
        return;
    }
    if (std::isfinite(aValue))
        SetmmColumnWidth(ppToMMThousandths(aValue, m_units, TppAxisType::atHorizontal));
}

void TppCustomReport::SetmmColumnWidth(int32_t aValue)
{
    const int32_t printable = mmPrintableWidth();
    int32_t width = std::min(aValue, printable);
    if (width <= 0 && m_columns >= 2) {
        width = 0;
        m_columns = 1;
    }
    m_mmColumnWidth = width;
    if (m_columns > 1 && width > 0)
        m_columns = std::min(m_columns, int(printable / width));
    if (!loading())
        LayoutChanged();
}

void TppCustomReport::SetColumnPositions(const QStringList &aValue)
{
    m_columnPositions = aValue;
    Reset();
}

} // namespace report
