#pragma once

// Reading printed PDF files back with poppler-utils (pdfinfo, pdftotext,
// pdftoppm), independent of the code that wrote them.

#include <QImage>
#include <QString>
#include <QStringList>

namespace reporttest {

// The standard output of a command-line tool (at most 20 s).
QString pdfTool(const QString &aProgram, const QStringList &aArguments);
// "595 x 842" (points, rounded) for each page.
QStringList pdfPageSizes(const QString &aPdf);
// The text of each page, in page order.
QStringList pdfPageTexts(const QString &aPdf);
// One page at aDpi pixels per inch, or a null image.
QImage pdfRasterise(const QString &aPdf, int aDpi, int aPage = 1);

} // namespace reporttest
