// reportdemo's rich text sample printed into PDF: three pages whose text,
// blanks aside, is the document's plain text, every character once and in
// order; the screen device draws its lines where the PDF has them.

#include "RichTextSample.h"

#include "platform/richedit/RichEdit.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString richTextDemoVisible(const QString &aText)
{
    QString visible;
    for (const QChar c : aText)
        if (!c.isSpace())
            visible.append(c);
    return visible;
}

// The first row of each run of rows with ink between aLeft and aRight.
QList<int> richTextDemoLines(const QImage &aImage, int aLeft, int aTop, int aRight, int aBottom)
{
    QList<int> lines;
    bool inLine = false;
    for (int y = aTop; y < std::min(aBottom, aImage.height()); ++y) {
        bool ink = false;
        for (int x = aLeft; x < std::min(aRight, aImage.width()) && !ink; ++x)
            ink = qGray(aImage.pixel(x, y)) < 140;
        if (ink && !inLine)
            lines.append(y - aTop);
        inLine = ink;
    }
    return lines;
}

class ReportdemoRichText : public ::testing::Test
{
protected:
    QByteArray run(const QString &aProgram, const QStringList &aArguments)
    {
        QProcess process;
        // The leak checker's tracer trips over the image plug-ins' thread
        // storage in the child; the child is checked for everything else.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (environment.contains("ASAN_OPTIONS"))
            environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
        process.setProcessEnvironment(environment);
        process.start(aProgram, aArguments);
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            ADD_FAILURE() << aProgram.toStdString() << ": " << process.readAllStandardError().toStdString();
            return {};
        }
        return process.readAllStandardOutput();
    }
    QString data() const { return QStringLiteral(ZVO_SOURCE_ROOT "/tools/reportdemo/samples/list.csv"); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ReportdemoRichText, EveryCharacterIsPrintedOnceOnThreePagesAndTheScreenBreaksLinesAlike)
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftotext.isEmpty() || pdfinfo.isEmpty() || pdftoppm.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    const QString pdf = dir.filePath("rt.pdf");
    run(ZVO_REPORTDEMO, {"--report", "richtext", "--data", data(), "--pdf", pdf});
    EXPECT_TRUE(QString::fromUtf8(run(pdfinfo, {pdf})).contains(QRegularExpression("Pages: +3\n")));

    richedit::RichEdit source;
    source.LoadFromBytes(reportdemo::RichTextSampleRtf());
    const QString printed = richTextDemoVisible(QString::fromUtf8(run(pdftotext, {pdf, "-"})));
    const QString expected = richTextDemoVisible(source.Text());
    ASSERT_FALSE(expected.isEmpty());
    if (printed != expected) {
        qsizetype at = 0;
        while (at < printed.size() && at < expected.size() && printed[at] == expected[at])
            ++at;
        FAIL() << "first difference at " << at << ": printed \"" << printed.mid(at, 40).toStdString()
               << "\", expected \"" << expected.mid(at, 40).toStdString() << "\"";
    }

    // Page by page, the screen's text lines stand where the paper's do (both
    // at 96 dpi; the screen's page lies 24 pixels inside the viewer's grey).
    run(ZVO_REPORTDEMO,
        {"--report", "richtext", "--data", data(), "--device", "Screen", "--out", dir.filePath("s.png")});
    run(pdftoppm, {"-r", "96", "-png", pdf, dir.filePath("p")});
    for (int page = 1; page <= 3; ++page) {
        const QImage screen(dir.filePath(QStringLiteral("s-%1.png").arg(page)));
        const QImage paper(dir.filePath(QStringLiteral("p-%1.png").arg(page)));
        ASSERT_FALSE(screen.isNull()) << page;
        ASSERT_FALSE(paper.isNull()) << page;
        const QList<int> onScreen = richTextDemoLines(screen, 24 + 20, 24 + 20, 24 + 774, 24 + 1103);
        const QList<int> onPaper = richTextDemoLines(paper, 20, 20, 774, 1103);
        ASSERT_GT(onPaper.size(), 10) << page;
        ASSERT_EQ(onScreen.size(), onPaper.size()) << page;
        for (int i = 0; i < onPaper.size(); ++i)
            EXPECT_NEAR(onScreen[i], onPaper[i], 3) << "page " << page << ", line " << i;
    }
}
