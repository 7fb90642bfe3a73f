#pragma once

// The sample reports of reportdemo, built in code over a data pipeline: A4
// portrait with 10 mm margins, one object in every band and, in the
// detail, one per field side by side.
//
// list:    Title 30 mm, PageHeader 20 mm, Detail 5 mm, PageFooter 20 mm.
// grouped: the same without the title, grouped on the first field, with a
//          GroupHeader and a GroupFooter of 10 mm.

#include <QString>
#include <QStringList>

#include <memory>

namespace report {
class TppDataPipeline;
class TppReport;
} // namespace report

namespace reportdemo {

// The names --report knows now.
QStringList SampleNames();
// Names that later versions of the program know; reportdemo says they are
// not available yet.
QStringList LaterSampleNames();
// nullptr for a name that is no sample.
std::unique_ptr<report::TppReport> CreateSample(const QString &aName, report::TppDataPipeline &aData);

} // namespace reportdemo
