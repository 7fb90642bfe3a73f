#pragma once

// The sample reports of reportdemo, built in code over a data pipeline: A4
// portrait with 10 mm margins. Texts stand 0.5 mm inside their band and
// never size it.
//
// list:    Title 30 mm, PageHeader 20 mm, Detail 5 mm, PageFooter 20 mm.
// grouped: the same without the title, grouped on the first field, with a
//          GroupHeader and a GroupFooter of 10 mm.
// memo:    the list's page bands; a dynamic Detail with the first field
//          (40 mm wide) beside a stretching data memo of the last field.
//
// The title and the page footer carry a label with the report's name, the
// page header a label per field name, the detail a data text per field side
// by side and the group header the first field; the group footer a label.
// grouped also sums the last numeric field in the group footer and, looking
// ahead, in the group header.
// variables: list with a running total of the last numeric field beside each
//          record, the print date-time in the title, and in the page footer
//          the records of the page, "Page n" and "Page n of N".
// subreport: the list's page bands around a Detail (10 mm) without data that
//          prints once: a label and a subreport (from 5 mm down) whose child
//          report lists the data: ChildTitle 10 mm, ChildDetail 5 mm with a
//          data text per field, ChildSummary 10 mm; the child continues over
//          as many pages as it needs, the label repeated above it on each.

#include <QString>
#include <QStringList>

#include <memory>

namespace report {
class TppReport;
}

namespace reporttest {
class MemoryPipeline;
}

namespace reportdemo {

// The names --report knows now.
QStringList SampleNames();
// Names that later versions of the program know; reportdemo says they are
// not available yet.
QStringList LaterSampleNames();
// nullptr for a name that is no sample.
std::unique_ptr<report::TppReport> CreateSample(const QString &aName, reporttest::MemoryPipeline &aData);

// Relative names in the data's "Picture" column name the pictures the tool
// writes, for a template as for the sample that saved it.
void ResolveSamplePictureNames(reporttest::MemoryPipeline &aData);

} // namespace reportdemo
