#pragma once

// Fills a memory pipeline from a CSV file: a field per column (numeric
// columns as floating-point numbers, the others as strings), a row per line.

#include <QString>

namespace reporttest {

class MemoryPipeline;

// False with one line naming the file (and the line, when the text is at
// fault) for a file that cannot be read or is no table.
bool LoadCsvPipeline(const QString &aFileName, MemoryPipeline &aPipeline, QString &aError);

} // namespace reporttest
