#pragma once

// reportdemo's own output files (--out, --dump, the PNG pages): replaced
// whole or not at all, so that a full disk never leaves a cut file that the
// run reported as written.

#include <QByteArray>
#include <QString>

namespace reportdemo {

// Writes the bytes to the file; false with "FILE: reason" on failure. A
// device or pipe given as the file (/dev/stdout) is written in place.
bool SaveOutputFile(const QString &aFileName, const QByteArray &aBytes, QString &aError);

} // namespace reportdemo
