// Every device that writes a file (text, report text, archive, PDF) against
// the two ways a job ends badly by no fault of its own: a disk that fills up
// and a process killed in the middle. Either way the file written earlier
// under that name must survive whole, and nothing may stay behind.

#include "tests/support/TinyFileSystem.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/pages/Page.h"
#include "report/output/ArchiveDevice.h"
#include "report/output/ReportTextFileDevice.h"
#include "report/output/TextFileDevice.h"

#include "platform/print/cups/QtCupsPrinterBackend.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

using namespace report;

namespace {

const QByteArray earlierContent = "the file of an earlier run\r\n";

// A page of saved texts long enough that every page needs writes of its own.
std::unique_ptr<TppPage> replacePage(int32_t aPageNo, bool aLast)
{
    auto page = std::make_unique<TppPage>();
    reporttest::SetA4Portrait(*page->PrinterSetup());
    page->SetPageNo(aPageNo);
    page->SetAbsolutePageNo(aPageNo);
    page->SetLastPage(aLast);
    for (int i = 0; i < 20; ++i) {
        auto *text = new TppDrawText;
        text->SetText(QString(200, QLatin1Char('a' + i)));
        text->SetBandSave(true);
        text->SetBandSaveNo(i);
        text->SetComponentSave(true);
        text->SetTop(10000 * i);
        text->SetWidth(150000);
        page->AddDrawCommand(text);
    }
    return page;
}

// One job of a device onto the file: `aPages` pages, the process killed
// itself before page `aKillBefore` (0: never). A failed job raises, after
// ending the job as the producer does.
using FileJob = std::function<void(const QString &aFileName, int aPages, int aKillBefore)>;

void killHere(int aPage, int aKillBefore)
{
    if (aPage == aKillBefore)
        ::kill(::getpid(), SIGKILL);
}

template <class Device>
void deviceJob(Device &aDevice, const QString &aFileName, int aPages, int aKillBefore)
{
    aDevice.SetFileName(aFileName);
    aDevice.StartJob();
    try {
        for (int no = 1; no <= aPages; ++no) {
            killHere(no, aKillBefore);
            aDevice.WritePage(replacePage(no, no == aPages).get());
        }
        aDevice.EndJob();
    } catch (...) {
        aDevice.CancelJob();
        throw;
    }
}

void pdfJob(const QString &aFileName, int aPages, int aKillBefore)
{
    print::QtCupsPrinterBackend backend({print::Paper{9, QStringLiteral("A4"), 2100, 2970}});
    const QString pdf = print::QtCupsPrinterBackend::PdfPrinterName;
    const std::unique_ptr<print::PrinterContext> context =
        backend.createContext(print::PrinterEntry{pdf, QString(), pdf, QString(), true}, std::nullopt, true);
    if (!context || !context->startDoc(QStringLiteral("Replace"), aFileName))
        throw std::runtime_error("the PDF job did not start");
    for (int no = 1; no <= aPages; ++no) {
        killHere(no, aKillBefore);
        if (!context->startPage()) {
            context->abortDoc();
            throw std::runtime_error("no page");
        }
        for (int line = 0; line < 60; ++line)
            context->painter()->drawText(100, 100 + 50 * line, QString(80, QLatin1Char('a' + line % 26)));
        context->endPage();
    }
    if (!context->endDoc())
        throw std::runtime_error(std::string("the PDF job failed: ") + std::strerror(errno));
}

const std::vector<std::pair<const char *, FileJob>> &fileJobs()
{
    static const std::vector<std::pair<const char *, FileJob>> jobs = {
        {"TextFile",
         [](const QString &aFileName, int aPages, int aKillBefore) {
             TppTextFileDevice device;
             deviceJob(device, aFileName, aPages, aKillBefore);
         }},
        {"ReportTextFile",
         [](const QString &aFileName, int aPages, int aKillBefore) {
             TppReportTextFileDevice device;
             device.SetAutoCalcGrid(false);
             device.SetAutoFontSize(false);
             deviceJob(device, aFileName, aPages, aKillBefore);
         }},
        {"ArchiveFile",
         [](const QString &aFileName, int aPages, int aKillBefore) {
             TppArchiveDevice device;
             deviceJob(device, aFileName, aPages, aKillBefore);
         }},
        {"PDF", pdfJob},
    };
    return jobs;
}

QByteArray replaceFileBytes(const QString &aFileName)
{
    QFile file(aFileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeEarlierFile(const QString &aFileName)
{
    QFile file(aFileName);
    return file.open(QIODevice::WriteOnly) && file.write(earlierContent) == earlierContent.size() && file.flush();
}

QStringList folderEntries(const QString &aFolder)
{
    return QDir(aFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TEST(FileReplace, AFullDiskLeavesTheEarlierFileAndNoTemporaryOne)
{
    for (const auto &[device, job] : fileJobs()) {
        const FileJob run = job;
        const auto answer = zvotest::onTinyTmpfs([run](const std::string &aFolder) -> std::string {
            const QString folder = QString::fromStdString(aFolder);
            const QString name = folder + QStringLiteral("/out.file");
            if (!writeEarlierFile(name))
                return "could not write the earlier file";
            if (!zvotest::fillFileSystem(aFolder))
                return "could not fill the disk";
            try {
                run(name, 3, 0);
                return "the job on a full disk answered success";
            } catch (const std::exception &) {
            }
            if (replaceFileBytes(name) != earlierContent)
                return "the earlier file is now \"" + replaceFileBytes(name).left(40).toStdString() + "\"";
            if (folderEntries(folder) != QStringList({QStringLiteral("filler"), QStringLiteral("out.file")}))
                return "the folder holds " + folderEntries(folder).join(QLatin1Char(' ')).toStdString();
            return {};
        });
        if (!answer)
            GTEST_SKIP() << "this system does not let the tests mount a tmpfs";
        EXPECT_EQ(*answer, "") << device;
    }
}

TEST(FileReplace, AKilledJobLeavesTheEarlierFileAndTheNextJobItsOwnOnly)
{
    for (const auto &[device, job] : fileJobs()) {
        SCOPED_TRACE(device);
        QTemporaryDir folder;
        QTemporaryDir tempFolder;
        const QString name = folder.filePath(QStringLiteral("out.file"));
        ASSERT_TRUE(writeEarlierFile(name));

        const QByteArray tempPath = QFile::encodeName(tempFolder.path());
        const pid_t pid = ::fork();
        if (pid == 0) {
            // The archive's page file goes to a temporary folder the test sees.
            ::setenv("TMPDIR", tempPath.constData(), 1);
            try {
                job(name, 4, 3);
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the job ran to its end";

        EXPECT_EQ(replaceFileBytes(name).left(40).toStdString(), earlierContent.toStdString());
        EXPECT_EQ(folderEntries(tempFolder.path()), QStringList());

        job(name, 2, 0);
        EXPECT_NE(replaceFileBytes(name), earlierContent);
        EXPECT_EQ(folderEntries(folder.path()), QStringList({QStringLiteral("out.file")}))
            << "the killed job's file is not cleared away";
    }
}
