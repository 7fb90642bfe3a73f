#pragma once

namespace report {
class TppReport;
}

namespace reportdemo {

// A data picture whose field names a file that is not there (or a folder)
// stops the report with "FILE, record N: reason", as a picture that does
// not decode does, instead of printing blank: a run with nobody watching
// would otherwise succeed with the picture missing. Applies to every data
// picture of the report and its subreports that has no handler of its own.
void RequirePictureFiles(report::TppReport &aReport);

} // namespace reportdemo
