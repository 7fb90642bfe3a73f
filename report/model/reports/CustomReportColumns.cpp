#include "report/model/reports/CustomReport.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/Component.h"
#include "report/model/bands/DesignerSink.h"
#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/base/Units.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

#include "platform/classes/StringList.h"

#include <algorithm>
#include <cmath>

namespace report {

void TppCustomReport::SetColumns(int aValue)
{
    const int oldColumns = m_columns;
    const int32_t oldWidth = m_mmColumnWidth;
    m_columns = std::max(1, aValue);
    if (loading())
        return;
    bool allowed = true;
    if (m_columns >= 2) {
        m_mmColumnWidth = mmPrintableWidth() / m_columns;
        allowed = checkComponents(mmPrintableWidth(), 292);
        // The designer makes its own column bands, and a report without
        // bands gets them with its defaults; one that went back to a single
        // column outside the designer still has them.
        if (allowed && oldColumns == 1 && !m_bands.empty() && !HasCommunicatorState(ppState::Design))
            for (int kind : {2, 6})
                if (!GetBand(kind))
                    if (auto *band = dynamic_cast<TppBand *>(ppCreateComponent(*BandClass(kind), this)))
                        band->SetReport(this);
    } else if (m_designer) {
        // Outside the designer one column keeps the width it had: nothing
        // lays a single column out by it.
        m_mmColumnWidth = mmPrintableWidth();
        if (oldColumns >= 2)
            allowed = freeColumnBands();
    }
    if (!allowed) {
        m_columns = oldColumns;
        m_mmColumnWidth = oldWidth;
        return;
    }
    LayoutChanged();
}

bool TppCustomReport::checkComponents(int32_t aWidth, int aMessage)
{
    if (!m_designer)
        return true;
    // The limit of an object: the column for the column bands of a report
    // with columns, else the width given.
    const auto outside = [this, aWidth]() -> TppComponent * {
        for (TppBand *band : m_bands) {
            const bool columnBand =
                dynamic_cast<TppColumnHeaderBand *>(band) || dynamic_cast<TppColumnFooterBand *>(band);
            const int32_t limit = columnBand && m_columns > 1 ? m_mmColumnWidth : aWidth;
            for (int i = 0; i < band->ObjectCount(); ++i)
                if (band->Objects(i)->mmLeft() > limit)
                    return band->Objects(i);
        }
        return nullptr;
    };
    if (!outside())
        return true;
    if (!ppConfirmMessage(ppLoadStr(aMessage), TppMessageKind::Warning))
        return false;
    // One at a time: an object may take others with it.
    while (TppComponent *component = outside())
        delete component;
    return true;
}

bool TppCustomReport::freeColumnBands()
{
    TppBand *header = GetBand(2);
    TppBand *footer = GetBand(6);
    if (!header || !footer)
        return true;
    const bool headerHolds = header->ObjectCount() > 0;
    const bool footerHolds = footer->ObjectCount() > 0;
    if (!headerHolds && !footerHolds) {
        if (HasCommunicatorState(ppState::Design))
            return true;
    } else if (!ppConfirmMessage(ppLoadStr(headerHolds && footerHolds ? 293
                                           : headerHolds              ? 294
                                                                      : 295),
                                 TppMessageKind::Warning)) {
        return false;
    }
    delete header;
    delete footer;
    return true;
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
    const int32_t oldWidth = m_mmColumnWidth;
    const int32_t printable = mmPrintableWidth();
    int32_t width = std::min(aValue, printable);
    if (width <= 0 && m_columns >= 2) {
        width = 0;
        m_columns = 1;
    }
    m_mmColumnWidth = width;
    if (m_columns > 1) {
        if (!loading() && !checkComponents(printable, 292)) {
            m_mmColumnWidth = oldWidth;
            return;
        }
        if (width > 0)
            m_columns = std::min(m_columns, int(printable / width));
    }
    if (!loading())
        LayoutChanged();
}

void TppCustomReport::PrinterSetupPageDefChanging(TppPageDef *aNewPageDef, bool &aAllow)
{
    if (aNewPageDef && aNewPageDef->mmPrintableWidth() != mmPrintableWidth())
        aAllow = checkComponents(aNewPageDef->mmPrintableWidth(), 328);
}

void TppCustomReport::PrinterSetupChanged()
{
    TppProducer::PrinterSetupChanged();
    if (!PrinterSetup())
        return;
    PrinterSetup()->SetUnits(m_units);
    if (loading() || m_freeing)
        return;
    for (TppBand *band : std::vector<TppBand *>(m_bands))
        for (int i = 0; i < band->ObjectCount(); ++i)
            if (auto *subreport = dynamic_cast<TppSubReport *>(band->Objects(i));
                subreport && subreport->ParentPrinterSetup() && subreport->Report())
                subreport->Report()->SetPrinterSetup(PrinterSetup());
}

void TppCustomReport::PageDefChanged()
{
    TppProducer::PageDefChanged();
    LayoutChanged();
}

bool TppCustomReport::columnPositionsAsStored() const
{
    // A stream keeps the thousandths, whatever the units of the moment.
    return HasState(classes::csDesigning | classes::csLoading | classes::csReading | classes::csWriting);
}

QStringList TppCustomReport::ColumnPositions() const
{
    if (columnPositionsAsStored())
        return m_columnPositions;
    QStringList shown;
    for (const QString &position : m_columnPositions) {
        double mm = 0;
        if (ppReadStoredFloat(position, mm))
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
            double value = 0;
            if (ppReadStoredFloat(position, value))
                m_columnPositions.append(
                    QString::number(ppToMMThousandths(float(value), m_units, TppAxisType::atHorizontal)));
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
