// reportdemo's outputs where the name is not an ordinary file: a symbolic
// link is written through and stays a link, a pipe's reader gets the output,
// a device node stays a device node, and a device that refuses the bytes
// fails the run with one line that names the file and the reason. And the
// tools' inputs there: a template that is a pipe or a device is refused at
// once for what it is, and data or a stream from a device without end stops
// at the read limit with one line that names the file and the limit, instead
// of filling the memory.

#include "tests/support/PipeReader.h"
#include "tests/support/SystemMessage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Output
{
    const char *what;
    std::string arguments; // NAME stands for the output's name
};

struct SpecialOutputRun
{
    int exitCode = -1;
    int signal = 0;
    std::string error;
};

class SpecialOutputsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    std::string path(const std::string &name) const
    {
        return m_dir.filePath(QString::fromStdString(name)).toStdString();
    }

    // The run of reportdemo with the output's arguments, NAME replaced;
    // aShell goes before it in the same shell (a ulimit). Standard output
    // goes to the file or, after "&", the descriptor given.
    SpecialOutputRun run(const Output &aOutput, const std::string &aName, const std::string &aShell = {},
                         const std::string &aStandardOutput = "/dev/null") const
    {
        std::string arguments = aOutput.arguments;
        if (const auto name = arguments.find("NAME"); name != std::string::npos)
            arguments.replace(name, 4, aName);
        return runCommand(aShell + std::string(ZVO_REPORTDEMO) + " --report list --data " + ZVO_SOURCE_ROOT +
                          "/tools/reportdemo/samples/list.csv " + arguments + " >" + aStandardOutput);
    }

    // The command's exit and its standard error.
    SpecialOutputRun runCommand(const std::string &aCommand) const
    {
        const std::string errors = path("stderr.txt");
        const std::string command = aCommand + " 2>" + errors;
        SpecialOutputRun result;
        const int status = std::system(command.c_str());
        if (status != -1 && WIFSIGNALED(status))
            result.signal = WTERMSIG(status);
        if (status != -1 && WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
            // The shell reports a child killed by a signal as 128 + its number.
            if (result.exitCode > 128)
                result.signal = result.exitCode - 128;
        }
        result.error = zvotest::readFile(QString::fromStdString(errors));
        return result;
    }

    static mode_t modeOf(const std::string &name)
    {
        struct stat st
        {};
        ::lstat(name.c_str(), &st);
        return st.st_mode;
    }

    // "" when the run failed with its one line naming the file and the reason.
    static std::string failedWith(const SpecialOutputRun &aRun, const std::string &aName, const std::string &aReason)
    {
        if (aRun.exitCode == 1 && aRun.error.find(aName) != std::string::npos &&
            aRun.error.find(aReason) != std::string::npos && aRun.error.find('\n') == aRun.error.size() - 1)
            return {};
        return "exit " + std::to_string(aRun.exitCode) + ", said \"" + aRun.error + "\"";
    }

    static const std::vector<Output> &outputs()
    {
        static const std::vector<Output> all = {
            {"template", "--save-template NAME"},
            {"text file", "--device TextFile --out NAME"},
            {"report text file", "--device ReportTextFile --out NAME"},
            {"archive", "--device ArchiveFile --out NAME"},
            {"trace", "--out NAME"},
            {"pdf", "--pdf NAME"},
        };
        return all;
    }

    QTemporaryDir m_dir;
};

TEST_F(SpecialOutputsTest, ALinkIsWrittenThroughAndStaysALink)
{
    ASSERT_EQ(::mkdir(path("kept").c_str(), 0755), 0);
    for (const Output &output : outputs()) {
        SCOPED_TRACE(output.what);
        const std::string target = path("kept/target");
        const std::string link = path("link");
        std::ofstream(target) << "the earlier run's file\n";
        ::unlink(link.c_str());
        ASSERT_EQ(::symlink("kept/target", link.c_str()), 0);
        const SpecialOutputRun done = run(output, link);
        EXPECT_EQ(done.exitCode, 0) << done.error;
        EXPECT_TRUE(S_ISLNK(modeOf(link)));
        const std::string written = zvotest::readFile(QString::fromStdString(target));
        EXPECT_NE(written, "the earlier run's file\n");
        EXPECT_FALSE(written.empty());
    }
}

TEST_F(SpecialOutputsTest, APipesReaderGetsTheOutput)
{
    for (const Output &output : outputs()) {
        SCOPED_TRACE(output.what);
        const std::string fifo = path("pipe");
        ::unlink(fifo.c_str());
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        zvotest::PipeReader reader(fifo);
        ASSERT_TRUE(reader.isOpen());
        const SpecialOutputRun done = run(output, fifo);
        const std::string received = reader.finish();
        // An archive's header is written last, at its start, where a pipe
        // cannot go back to.
        if (std::string(output.what) == "archive") {
            EXPECT_EQ(failedWith(done, fifo, "an archive needs a seekable file"), "");
        } else {
            EXPECT_EQ(done.exitCode, 0) << done.error;
            EXPECT_FALSE(received.empty());
        }
        EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));

        // A pipe without a name as standard output, given as the kernel's
        // link to it, whose own link names no file.
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        std::string receivedThere;
        std::thread standardReader([&] {
            char buffer[65536];
            ssize_t n = 0;
            while ((n = ::read(ends[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
                receivedThere.append(buffer, size_t(std::max<ssize_t>(n, 0)));
        });
        const SpecialOutputRun linked = run(output, "/dev/stdout", {}, "&" + std::to_string(ends[1]));
        ::close(ends[1]);
        standardReader.join();
        ::close(ends[0]);
        if (std::string(output.what) == "archive") {
            EXPECT_EQ(failedWith(linked, "/dev/stdout", "an archive needs a seekable file"), "");
        } else {
            EXPECT_EQ(linked.exitCode, 0) << linked.error;
            EXPECT_FALSE(receivedThere.empty());
        }
    }
}

// A pipe nobody reads fails the run at once instead of leaving it waiting
// for a reader, and a reader that goes away fails it with its reason instead
// of the signal ending it without a word.
TEST_F(SpecialOutputsTest, APipeWithoutAReaderFailsTheRun)
{
    const std::string fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const Output &output : outputs()) {
        SCOPED_TRACE(output.what);
        // The timeout stands in for a run that waits.
        EXPECT_EQ(failedWith(run(output, fifo, "timeout 60 "), fifo, zvotest::systemMessage(ENXIO).toStdString()), "");
    }

    // Outputs larger than the pipe, which holds one page here, so that the
    // writer is still writing when the reader leaves.
    const std::vector<Output> larger = {
        {"dump", "--dump NAME"}, {"report text file", "--device ReportTextFile --out NAME"}, {"pdf", "--pdf NAME"}};
    for (const Output &output : larger) {
        SCOPED_TRACE(output.what);
        const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        ASSERT_EQ(::fcntl(reader, F_SETPIPE_SZ, 4096), 4096);
        // Gone once the first bytes came, none of them read.
        std::thread leaving([reader] {
            pollfd ready{reader, POLLIN, 0};
            while (::poll(&ready, 1, -1) < 0 && errno == EINTR) {
            }
            ::close(reader);
        });
        const SpecialOutputRun done = run(output, fifo, "timeout 60 ");
        // Ends the wait of a reader that no byte reached.
        const int release = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (release >= 0)
            ::close(release);
        leaving.join();
        EXPECT_EQ(done.signal, 0);
        EXPECT_EQ(failedWith(done, fifo, zvotest::systemMessage(EPIPE).toStdString()), "");
    }

    // Standard output a pipe whose reader is gone already.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const SpecialOutputRun done = run({"trace", ""}, {}, {}, "&" + std::to_string(ends[1]));
    ::close(ends[1]);
    EXPECT_EQ(done.signal, 0);
    EXPECT_EQ(failedWith(done, "standard output", zvotest::systemMessage(EPIPE).toStdString()), "");
}

TEST_F(SpecialOutputsTest, ADeviceStaysADeviceAndItsRefusalFailsTheRun)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "device nodes need root to be made";
    // The kernel's null and full devices, made afresh in the test's folder,
    // and a link to the full one.
    const std::string null = path("null"), full = path("full"), link = path("full-link");
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    ASSERT_EQ(::symlink("full", link.c_str()), 0);
    for (const Output &output : outputs()) {
        SCOPED_TRACE(output.what);
        const SpecialOutputRun toNull = run(output, null);
        EXPECT_EQ(toNull.exitCode, 0) << toNull.error;
        for (const std::string &name : {full, link})
            EXPECT_EQ(failedWith(run(output, name), name, zvotest::systemMessage(ENOSPC).toStdString()), "") << name;
        EXPECT_TRUE(S_ISCHR(modeOf(null)) && S_ISCHR(modeOf(full)) && S_ISLNK(modeOf(link)));
    }
}

// Links are followed only where open() would follow them, and the run says
// why it stops where it does: a loop, a link somebody else planted in a
// shared folder, and a folder that takes no temporary file behind a link.
// The links stay as they were, and so do the files they lead to.
TEST_F(SpecialOutputsTest, LinksTheKernelWouldNotFollowFailTheRun)
{
    ASSERT_EQ(::symlink("loop", path("loop").c_str()), 0);
    const std::string victim = path("victim");
    std::ofstream(victim) << "the victim's own\n";
    ASSERT_EQ(::mkdir(path("shared").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path("shared").c_str(), 01777), 0);
    const std::string planted = path("shared/out.txt");
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    const bool plantedByNobody = ::lchown(planted.c_str(), 65534, 65534) == 0;
    // Behind the link a folder the run may not write: root may write any, so
    // the run gives up root first.
    ASSERT_EQ(::mkdir(path("locked").c_str(), 0755), 0);
    std::ofstream(path("locked/list.txt")) << "kept\n";
    ::chmod(path("locked/list.txt").c_str(), 0666);
    ::chmod(path("locked").c_str(), 0555);
    ::chmod(m_dir.path().toLocal8Bit().constData(), 0777);
    ASSERT_EQ(::symlink("locked/list.txt", path("list.txt").c_str()), 0);
    const std::string asNobody = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";

    for (const Output &output : outputs()) {
        SCOPED_TRACE(output.what);
        EXPECT_EQ(failedWith(run(output, path("loop")), path("loop"), zvotest::systemMessage(ELOOP).toStdString()), "");
        if (plantedByNobody) {
            EXPECT_EQ(failedWith(run(output, planted), planted, zvotest::systemMessage(EACCES).toStdString()), "");
        }
        // The PDF printer words its own message, which names the file only.
        const std::string refusal = std::string(output.what) == "pdf"
                                        ? zvotest::systemMessage(EACCES).toStdString()
                                        : "(the folder \"" + path("locked") + "\" refused the temporary file)";
        EXPECT_EQ(failedWith(run(output, path("list.txt"), asNobody), path("list.txt"), refusal), "");
    }
    EXPECT_TRUE(S_ISLNK(modeOf(path("loop"))) && S_ISLNK(modeOf(planted)) && S_ISLNK(modeOf(path("list.txt"))));
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(victim)), "the victim's own\n");
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(path("locked/list.txt"))), "kept\n");
    if (!plantedByNobody)
        GTEST_SKIP() << "this system does not let the tests give a link to another user";
}

// A file or a pipe another user planted in a shared folder under the name of
// the output, and a folder link planted on the way to it: each output fails
// with "Permission denied" rather than give the planter the report, and what
// was planted stays as it was.
TEST_F(SpecialOutputsTest, FilesPipesAndFolderLinksSomebodyElsePlantedFailTheRun)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting as another user needs root";
    ASSERT_EQ(::mkdir(path("shared").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path("shared").c_str(), 01777), 0);
    const std::string file = path("shared/report.txt");
    const std::string fifo = path("shared/report.pipe");
    std::ofstream(file) << "the planter's\n";
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    ASSERT_EQ(::mkdir(path("private").c_str(), 0700), 0);
    std::ofstream(path("private/report.txt")) << "root's own\n";
    const std::string through = path("shared/folder");
    ASSERT_EQ(::symlink(path("private").c_str(), through.c_str()), 0);
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown(fifo.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::lchown(through.c_str(), 65534, 65534), 0);
    // The planter waits at the pipe.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);

    for (const Output &output : outputs()) {
        SCOPED_TRACE(output.what);
        for (const std::string &name : {file, fifo, through + "/report.txt"})
            EXPECT_EQ(failedWith(run(output, name), name, zvotest::systemMessage(EACCES).toStdString()), "") << name;
    }
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0);
    ::close(reader);
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(file)), "the planter's\n");
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(path("private/report.txt"))), "root's own\n");
    struct stat st
    {};
    EXPECT_TRUE(::stat(file.c_str(), &st) == 0 && st.st_uid == 65534 && (st.st_mode & 07777) == 0666);
    EXPECT_TRUE(S_ISFIFO(modeOf(fifo)) && S_ISLNK(modeOf(through)));
}

// The developers' tools write as the program does: the page control's
// pictures, the stand-in engine's table and the print sandbox's kept file
// refuse a file another user planted in a shared folder, and a link of
// theirs to a file of the caller's; what was planted stays as it was.
TEST_F(SpecialOutputsTest, TheDevelopersToolsLeaveWhatSomebodyElsePlanted)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting as another user needs root";
    const std::string shared = path("shared");
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    std::ofstream(path("private.txt")) << "root's own\n";
    const auto plantFile = [&](const std::string &name) {
        std::ofstream(shared + "/" + name) << "the planter's\n";
        return ::chown((shared + "/" + name).c_str(), 65534, 65534) == 0;
    };
    const auto plantLink = [&](const std::string &name) {
        return ::symlink(path("private.txt").c_str(), (shared + "/" + name).c_str()) == 0 &&
               ::lchown((shared + "/" + name).c_str(), 65534, 65534) == 0;
    };
    ASSERT_TRUE(plantFile("tabs_top.png") && plantLink("sheet.png"));
    ASSERT_TRUE(plantFile("table.txt") && plantLink("linked.txt"));
    ASSERT_TRUE(plantFile("kept.pdf") && plantLink("linked.pdf.log"));

    SpecialOutputRun done =
        runCommand(std::string("QT_QPA_PLATFORM=offscreen ") + ZVO_PAGECONTROL_SHOTS + " " + shared);
    EXPECT_EQ(done.exitCode, 1);
    EXPECT_NE(done.error.find("tabs_top.png: " + zvotest::systemMessage(EACCES).toStdString()), std::string::npos)
        << done.error;
    EXPECT_NE(done.error.find("sheet.png: " + zvotest::systemMessage(EACCES).toStdString()), std::string::npos)
        << done.error;
    for (const char *table : {"table.txt", "linked.txt"}) {
        done = runCommand(std::string(ZVO_FAKE_ENGINE) + " --seconds 1 --table " + shared + "/" + table);
        EXPECT_EQ(done.exitCode, 1);
        // The fake engine keeps the C library's own locale, as the tests do.
        EXPECT_NE(done.error.find(std::strerror(EACCES)), std::string::npos) << done.error;
    }
    for (const char *kept : {"kept.pdf", "linked.pdf"}) {
        done = runCommand("ZVO_SOURCE_DIR=" + std::string(ZVO_SOURCE_ROOT) + " " + ZVO_CUPS_SANDBOX + " --keep " +
                          shared + "/" + kept + " -- " + ZVO_REPORTDEMO + " --report list --data " + ZVO_SOURCE_ROOT +
                          "/tools/reportdemo/samples/list.csv --device Printer --printer Demo");
        if (done.exitCode == 4)
            GTEST_SKIP() << "no CUPS server here: " << done.error;
        EXPECT_EQ(done.exitCode, 3);
        EXPECT_NE(done.error.find(zvotest::systemMessage(EACCES).toStdString()), std::string::npos) << done.error;
    }
    for (const char *planted : {"tabs_top.png", "table.txt", "kept.pdf"})
        EXPECT_EQ(zvotest::readFile(QString::fromStdString(shared + "/" + planted)), "the planter's\n") << planted;
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(path("private.txt"))), "root's own\n");
}

// Nor do they turn a name that is not UTF-8 into another one.
TEST_F(SpecialOutputsTest, TheDevelopersToolsRefuseNamesThatAreNotUtf8)
{
    const std::string base = QFile::encodeName(m_dir.path()).toStdString() + "/";
    const std::string folder = base + "x\xffy";
    const std::string lookalike = base + "x\xef\xbf\xbdy";
    ASSERT_EQ(::mkdir(lookalike.c_str(), 0755), 0);
    for (const std::string &command :
         {"QT_QPA_PLATFORM=offscreen " + std::string(ZVO_PAGECONTROL_SHOTS) + " '" + folder + "'",
          std::string(ZVO_CUPS_SANDBOX) + " --keep '" + folder + "/kept.pdf' -- true"}) {
        SCOPED_TRACE(command);
        const SpecialOutputRun done = runCommand(command);
        EXPECT_NE(done.exitCode, 0);
        EXPECT_NE(done.error.find("is not UTF-8 text"), std::string::npos) << done.error;
    }
    EXPECT_TRUE(QDir(QFile::decodeName(QByteArray::fromStdString(lookalike))).isEmpty());
    EXPECT_NE(::access(folder.c_str(), F_OK), 0);
}

// A private file stays private whichever output replaces it.
TEST_F(SpecialOutputsTest, AReplacedFileKeepsItsMode)
{
    for (const Output &output : outputs()) {
        SCOPED_TRACE(output.what);
        const std::string name = path("private");
        std::ofstream(name) << "the earlier run's file\n";
        ASSERT_EQ(::chmod(name.c_str(), 0600), 0);
        const SpecialOutputRun done = run(output, name);
        EXPECT_EQ(done.exitCode, 0) << done.error;
        EXPECT_NE(zvotest::readFile(QString::fromStdString(name)), "the earlier run's file\n");
        EXPECT_EQ(modeOf(name) & 07777, 0600u);
    }
}

// Under a file-size limit the outputs fail with their one line, as on a full
// disk, and the earlier file stays, rather than the signal killing the run.
TEST_F(SpecialOutputsTest, AFileSizeLimitFailsTheRunWithItsReason)
{
    // The Trace device's page list is smaller than the limit; its dump is not.
    std::vector<Output> limited = {{"dump", "--dump NAME"}};
    for (const Output &output : outputs())
        if (std::string(output.what) != "trace")
            limited.push_back(output);
    for (const Output &output : limited) {
        SCOPED_TRACE(output.what);
        const std::string name = path("limited");
        std::ofstream(name) << "the earlier run's file\n";
        // 512-byte blocks in the shell that std::system runs.
        const SpecialOutputRun done = run(output, name, "ulimit -f 1; ");
        EXPECT_EQ(done.signal, 0);
        EXPECT_EQ(failedWith(done, name, zvotest::systemMessage(EFBIG).toStdString()), "");
        EXPECT_EQ(zvotest::readFile(QString::fromStdString(name)), "the earlier run's file\n");
    }
}

class SpecialInputsTest : public SpecialOutputsTest
{
protected:
    // A bound on its time: an input read without end would hold the test.
    SpecialOutputRun runInput(const std::string &aCommand) const
    {
        return runCommand("timeout 60 " + aCommand + " >/dev/null");
    }

    static std::string listData() { return std::string(ZVO_SOURCE_ROOT) + "/tools/reportdemo/samples/list.csv"; }
};

TEST_F(SpecialInputsTest, ATemplateThatIsNoFileIsRefusedForWhatItIs)
{
    const std::string fifo = path("report.rtm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A writer that never writes, and none.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    for (const std::string &name : {fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(name);
        const SpecialOutputRun done =
            runInput(std::string(ZVO_REPORTDEMO) + " --template " + name + " --data " + listData());
        EXPECT_EQ(done.exitCode, 2);
        EXPECT_NE(done.error.find("\"" + name + "\" is not a regular file"), std::string::npos) << done.error;
        EXPECT_EQ(done.error.find("File not found"), std::string::npos) << done.error;
    }
    ::close(writer);
    const SpecialOutputRun done =
        runInput(std::string(ZVO_REPORTDEMO) + " --template " + fifo + " --data " + listData());
    EXPECT_NE(done.error.find("is not a regular file"), std::string::npos) << done.error;
}

TEST_F(SpecialInputsTest, InputWithoutEndStopsAtTheLimitAndSaysSo)
{
    const std::string limit = "\"/dev/zero\" is larger than 268435456 bytes";
    const SpecialOutputRun data = runInput(std::string(ZVO_REPORTDEMO) + " --report list --data /dev/zero");
    EXPECT_EQ(data.exitCode, 2);
    EXPECT_NE(data.error.find(limit), std::string::npos) << data.error;
    EXPECT_EQ(data.error.find("bad_alloc"), std::string::npos) << data.error;

    const SpecialOutputRun stream = runInput(std::string(ZVO_STREAMCONV) + " --to-text /dev/zero " + path("out.txt"));
    EXPECT_EQ(stream.exitCode, 1);
    EXPECT_NE(stream.error.find(limit), std::string::npos) << stream.error;
    // One message, not two run together.
    EXPECT_EQ(stream.error, "streamconv: " + limit + ", the most read of such a file\n");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("out.txt"))));
}

} // namespace

// Names whose bytes are not UTF-8 would reach the open call as other bytes:
// an output would overwrite, and an input read, a file of another name. The
// tools refuse them in one line and touch no file, although a file of the
// decoded name exists.
TEST_F(SpecialInputsTest, NamesThatAreNotUtf8AreRefusedAndNoOtherFileIsOpened)
{
    // Put together as bytes: a QString would turn them into U+FFFD.
    const std::string base = QFile::encodeName(m_dir.path()).toStdString() + "/";
    const std::string folder = base + "x\xffy";
    const std::string lookalike = base + "x\xef\xbf\xbdy";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(lookalike.c_str(), 0755), 0);
    std::ofstream(lookalike + "/o.txt") << "another file\n";
    std::ofstream(base + "d\xef\xbf\xbd.csv") << zvotest::readFile(QString::fromStdString(listData()));
    const std::string data = "'" + base + "d\xe9.csv'";
    const std::string out = "'" + folder + "/o.txt'";
    const std::vector<std::string> runs = {
        std::string(ZVO_REPORTDEMO) + " --report list --data " + listData() + " --out " + out,
        std::string(ZVO_REPORTDEMO) + " --report list --data " + listData() + " --device TextFile --out " + out,
        std::string(ZVO_REPORTDEMO) + " --report list --data " + listData() + " --pdf " + out,
        std::string(ZVO_REPORTDEMO) + " --report list --data " + data + " --out " + path("t.txt"),
        std::string(ZVO_STREAMCONV) + " --to-text " + data + " " + path("t.txt"),
        std::string(ZVO_STREAMCONV) + " --to-binary " + listData() + " " + out,
    };
    for (const std::string &command : runs) {
        SCOPED_TRACE(command);
        const SpecialOutputRun done = runInput(command);
        EXPECT_EQ(done.exitCode, 2);
        EXPECT_NE(done.error.find("\\x"), std::string::npos) << done.error;
        EXPECT_NE(done.error.find("is not UTF-8 text"), std::string::npos) << done.error;
    }
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(lookalike + "/o.txt")), "another file\n");
    EXPECT_NE(::access((folder + "/o.txt").c_str(), F_OK), 0);
    // Qt cannot remove what it cannot name.
    ::rmdir(folder.c_str());
    ::unlink((base + "d\xef\xbf\xbd.csv").c_str());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("t.txt"))));
}

// reportdemo copied into a folder whose name is not UTF-8 takes no language
// module from the folder that name decodes to, which Qt would take for its
// own.
TEST_F(SpecialInputsTest, ALanguageModuleIsNotTakenFromTheFolderAnUndecodableNameDecodesTo)
{
    const std::string base = QFile::encodeName(m_dir.path()).toStdString() + "/";
    const std::string folder = base + "x\xffy";
    const std::string lookalike = base + "x\xef\xbf\xbdy";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(lookalike.c_str(), 0755), 0);
    ASSERT_EQ(std::system(("cp '" + std::string(ZVO_REPORTDEMO) + "' '" + folder + "/reportdemo'").c_str()), 0);
    // Qt decodes the name, and takes the folder for the program's own where
    // a file of the program's name stands in it.
    std::ofstream(lookalike + "/reportdemo") << "";
    std::ofstream(lookalike + "/bvPrint.dft") << "43046=Planted:\n";
    const SpecialOutputRun done =
        runInput("'" + folder + "/reportdemo' --template " + path("none.rtm") + " --data " + listData());
    EXPECT_EQ(done.exitCode, 2);
    EXPECT_NE(done.error.find("File not found"), std::string::npos) << done.error;
    EXPECT_EQ(done.error.find("Planted"), std::string::npos) << done.error;
    // Qt cannot remove what it cannot name.
    ::unlink((folder + "/reportdemo").c_str());
    ::rmdir(folder.c_str());
}

// The temporary folder is named by TMPDIR, which Qt decodes: where its bytes
// are no UTF-8, the archive's page file and a PDF's spool for a device would
// go into the folder the name decodes to, somebody else's perhaps. The run
// fails instead, and that folder stays empty.
TEST_F(SpecialInputsTest, ATemporaryFolderWhoseNameIsNotUtf8IsNotTakenForAnother)
{
    const std::string base = QFile::encodeName(m_dir.path()).toStdString() + "/";
    const std::string folder = base + "t\xffy";
    const std::string lookalike = base + "t\xef\xbf\xbdy";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(lookalike.c_str(), 0777), 0);
    // Qt's own runtime folder, made in the temporary one when none is set,
    // is Qt's affair.
    ASSERT_EQ(::mkdir(path("runtime").c_str(), 0700), 0);
    const std::string tmpdir = "env XDG_RUNTIME_DIR=" + path("runtime") + " TMPDIR='" + folder + "' ";
    const std::string report = std::string(ZVO_REPORTDEMO) + " --report list --data " + listData();
    SpecialOutputRun done = runInput(tmpdir + report + " --device ArchiveFile --out " + path("list.raf"));
    EXPECT_EQ(done.exitCode, 1) << done.error;
    EXPECT_NE(done.error.find("temporary folder"), std::string::npos) << done.error;
    done = runInput(tmpdir + report + " --pdf /dev/null");
    EXPECT_NE(done.exitCode, 0) << done.error;
    EXPECT_TRUE(QDir(QFile::decodeName(QByteArray::fromStdString(lookalike)))
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                    .isEmpty());
    // Qt cannot remove what it cannot name.
    ::rmdir(folder.c_str());
}
