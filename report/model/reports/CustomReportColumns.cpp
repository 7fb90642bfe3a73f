#include "report/model/reports/CustomReport.h"

#include "report/model/base/Units.h"

#include "platform/classes/StringList.h"

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

bool TppCustomReport::columnPositionsAsStored() const
{
    return HasState(classes::csDesigning | classes::csLoading | classes::csReading);
}

QStringList TppCustomReport::ColumnPositions() const
{
    if (columnPositionsAsStored())
        return m_columnPositions;
    QStringList shown;
    for (const QString &position : m_columnPositions) {
        bool ok = false;
        const double mm = position.trimmed().toDouble(&ok);
        if (ok && std::isfinite(mm))
            shown.append(QString::number(ppFromMMThousandths(ppRound(mm), m_units, TppAxisType::atHorizontal), 'g', 7));
        else
            shown.append(position);
    }
    return shown;
}

void TppCustomReport::SetColumnPositions(const QStringList &aValue)
{
    if (columnPositionsAsStored()) {
        m_columnPositions = aValue;
    } else {
        m_columnPositions.clear();
        for (const QString &position : aValue) {
            bool ok = false;
            const float value = position.trimmed().toFloat(&ok);
            if (ok && std::isfinite(value))
                m_columnPositions.append(QString::number(ppToMMThousandths(value, m_units, TppAxisType::atHorizontal)));
            else
                m_columnPositions.append(position);
        }
    }
    Reset();
}

classes::TStrings *TppCustomReport::ColumnPositionsList()
{
    if (!m_columnPositionsList)
        m_columnPositionsList = std::make_unique<classes::TStringList>();
    classes::TStringList &list = *m_columnPositionsList;
    // Filled afresh at each look: the units may have changed meanwhile.
    list.OnChange = nullptr;
    list.Clear();
    for (const QString &position : ColumnPositions())
        list.Add(position);
    list.OnChange = [this](classes::TObject *) {
        QStringList positions;
        for (int i = 0; i < m_columnPositionsList->Count(); ++i)
            positions.append(m_columnPositionsList->Strings(i));
        SetColumnPositions(positions);
    };
    return &list;
}

} // namespace report
