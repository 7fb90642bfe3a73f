// reportdemo's and streamconv's output files and reportdemo's PDF on a full
// disk: the run fails with one line that names the file and the reason, and
// the file that was there stays as it was.

#include "tests/support/SystemMessage.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TinyFileSystem.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

struct ToolRun
{
    int exitCode = -1;
    std::string error;
};

ToolRun runTool(const std::string &aCommand, const std::string &aErrorFile)
{
    ToolRun run;
    const int status = std::system((aCommand + " >/dev/null 2>" + aErrorFile).c_str());
    if (status != -1 && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    run.error = zvotest::readFile(QString::fromStdString(aErrorFile));
    return run;
}

void writeText(const std::string &aFileName, const std::string &aText)
{
    std::ofstream(aFileName, std::ios::binary) << aText;
}

// "" when the run failed as it should and left the earlier file whole.
std::string checkFailedRun(const ToolRun &aRun, const std::string &aFile, const std::string &aEarlier)
{
    std::string what;
    if (aRun.exitCode != 1)
        what += "exit " + std::to_string(aRun.exitCode) + "; ";
    if (aRun.error.find(aFile) == std::string::npos ||
        aRun.error.find(zvotest::systemMessage(ENOSPC).toStdString()) == std::string::npos ||
        aRun.error.find('\n') != aRun.error.size() - 1)
        what += "said \"" + aRun.error + "\"; ";
    if (zvotest::readFile(QString::fromStdString(aFile)) != aEarlier)
        what += "the earlier file is gone; ";
    return what;
}

} // namespace

TEST(ToolsOnAFullDisk, ReportdemoAndStreamconvFailAndKeepTheEarlierFile)
{
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    const std::string errors = outside.filePath(QStringLiteral("stderr.txt")).toStdString();
    const std::string text = outside.filePath(QStringLiteral("component.txt")).toStdString();
    writeText(text, "object Sample: TSampleThing\n  Caption = 'a caption'\n  Count = 12\nend\n");
    const std::string demo =
        std::string(ZVO_REPORTDEMO) + " --report list --data " + ZVO_SOURCE_ROOT + "/tools/reportdemo/samples/list.csv";

    const auto answer = zvotest::onTinyTmpfs([&](const std::string &folder) -> std::string {
        const std::string out = folder + "/pages.txt";
        const std::string dump = folder + "/dump.txt";
        const std::string binary = folder + "/component.bin";
        const std::string pdf = folder + "/report.pdf";
        const std::string earlier = "the earlier run's file\n";
        for (const std::string &file : {out, dump, binary, pdf})
            writeText(file, earlier);
        if (!zvotest::fillFileSystem(folder))
            return "could not fill the disk";
        std::string failures;
        if (const std::string what = checkFailedRun(runTool(demo + " --out " + out, errors), out, earlier);
            !what.empty())
            failures += "--out: " + what;
        if (const std::string what = checkFailedRun(runTool(demo + " --dump " + dump, errors), dump, earlier);
            !what.empty())
            failures += "--dump: " + what;
        if (const std::string what = checkFailedRun(runTool(demo + " --pdf " + pdf, errors), pdf, earlier);
            !what.empty())
            failures += "--pdf: " + what;
        const std::string convert = std::string(ZVO_STREAMCONV) + " --to-binary " + text + " " + binary;
        if (const std::string what = checkFailedRun(runTool(convert, errors), binary, earlier); !what.empty())
            failures += "streamconv: " + what;
        return failures;
    });
    if (!answer)
        GTEST_SKIP() << "this system does not let the tests mount a tmpfs";
    EXPECT_EQ(*answer, "");
}

// A run killed while it wrote leaves its temporary file beside the target;
// the next run that writes that target clears it away, as the file devices do.
TEST(ToolsOnAFullDisk, ANextRunRemovesWhatAKilledRunLeftBeside)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string base = folder.path().toStdString();
    const std::string errors = base + "/stderr.txt";
    const std::string text = base + "/component.txt";
    writeText(text, "object Sample: TSampleThing\n  Caption = 'a caption'\nend\n");
    const std::string demo =
        std::string(ZVO_REPORTDEMO) + " --report list --data " + ZVO_SOURCE_ROOT + "/tools/reportdemo/samples/list.csv";
    struct Case
    {
        std::string target;
        std::string command;
    };
    const Case cases[] = {
        {"pages.txt", demo + " --out " + base + "/pages.txt"},
        {"dump.txt", demo + " --dump " + base + "/dump.txt"},
        {"report.rtm", demo + " --save-template " + base + "/report.rtm"},
        {"component.bin", std::string(ZVO_STREAMCONV) + " --to-binary " + text + " " + base + "/component.bin"},
    };
    for (const Case &c : cases) {
        const std::string leftover = base + "/." + c.target + ".0123456789ab~";
        writeText(leftover, "cut short");
        const ToolRun run = runTool(c.command, errors);
        EXPECT_EQ(run.exitCode, 0) << c.target << ": " << run.error;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(leftover))) << c.target;
    }
}
