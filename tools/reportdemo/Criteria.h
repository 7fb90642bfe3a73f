#pragma once

// reportdemo's auto-search criteria: --criteria FIELD:OPERATOR:EXPRESSION
// adds one to the report (OPERATOR a TppSearchOperatorType name such as
// soEqual or soInList; several values separated by ","), and the demo's CSV
// pipeline applies them when the report hands the values over
// (OnGetAutoSearchValues): its records become the rows that match every
// criterion that is not switched off. The library itself filters nothing.

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace report {
class TppAutoSearchField;
class TppReport;
} // namespace report

namespace reporttest {
class MemoryPipeline;
}

namespace reportdemo {

class DemoCriteria
{
public:
    DemoCriteria(report::TppReport &aReport, reporttest::MemoryPipeline &aData);
    ~DemoCriteria();
    DemoCriteria(const DemoCriteria &) = delete;
    DemoCriteria &operator=(const DemoCriteria &) = delete;

    // False with one line for a text that names no field of the data, no
    // operator, or a value the field's type cannot read.
    bool Add(const QString &aSpec, QString &aError);
    // Keeps the rows the criteria pass (all rows for a criterion showing
    // all values or without a value).
    void Apply();

private:
    bool matches(int aRow) const;

    report::TppReport &m_report;
    reporttest::MemoryPipeline &m_data;
    QStringList m_fieldNames;
};

} // namespace reportdemo
