#include "tests/support/report/PdfReadBack.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace reporttest {

QString pdfTool(const QString &aProgram, const QStringList &aArguments)
{
    QProcess process;
    process.start(aProgram, aArguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished(2000);
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QStringList pdfPageSizes(const QString &aPdf)
{
    QStringList sizes;
    const QString info = pdfTool("pdfinfo", {"-f", "1", "-l", "9999", aPdf});
    static const QRegularExpression size(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
    for (auto it = size.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        sizes << QStringLiteral("%1 x %2").arg(qRound(m.captured(1).toDouble())).arg(qRound(m.captured(2).toDouble()));
    }
    return sizes;
}

QStringList pdfPageTexts(const QString &aPdf)
{
    // pdftotext ends every page with a form feed.
    QStringList pages = pdfTool("pdftotext", {"-layout", aPdf, "-"}).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    for (QString &page : pages)
        page = page.simplified();
    return pages;
}

QImage pdfRasterise(const QString &aPdf, int aDpi, int aPage)
{
    QTemporaryDir dir;
    const QString page = QString::number(aPage);
    // Without smoothing, so that a pixel is ink or paper.
    pdfTool("pdftoppm", {"-r", QString::number(aDpi), "-aa", "no", "-aaVector", "no", "-png", "-f", page, "-l", page,
                         "-singlefile", aPdf, dir.filePath("page")});
    return QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32);
}

} // namespace reporttest
