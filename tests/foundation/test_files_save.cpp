// Whole-file saves: atomic replacement, backups, dates, permissions, and the
// failures that must leave the user's previous file as it was.

#include "foundation/MyUtilitiesFiles.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <thread>
#include <vector>

using zvotest::readFile;
using zvotest::writeFile;

namespace {

class SaveTextFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    std::string path(const char *name) const { return dir.filePath(name).toStdString(); }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    static timespec mtimeOf(const std::string &name)
    {
        struct stat st {};
        ::stat(name.c_str(), &st);
        return st.st_mtim;
    }
};

// Runs the action in a child process, so that it can give up root rights or
// lower its limits; the child's exit code is the answer (2: an exception).
int inChild(const std::function<int()> &action)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 3;
        try {
            code = action();
        } catch (const rtl::Exception &) {
            code = 2;
        } catch (...) {
            code = 4;
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST_F(SaveTextFileTest, BackupKeepsThePreviousContentAndReplacesAnOlderBackup)
{
    const std::string file = path("Domain-Data.txt");
    ASSERT_TRUE(SaveTextFile(file, "one\r\n"));
    ASSERT_TRUE(SaveTextFile(file, "two\r\n", true));
    EXPECT_EQ(readFile(QString::fromStdString(file)), "two\r\n");
    EXPECT_EQ(readFile(dir.filePath("Domain-Data.bak")), "one\r\n");

    ASSERT_TRUE(SaveTextFile(file, "three\r\n", true));
    EXPECT_EQ(readFile(dir.filePath("Domain-Data.bak")), "two\r\n");
    EXPECT_EQ(readFile(QString::fromStdString(file)), "three\r\n");

    // Without an extension the backup gets one; without a previous file no backup appears.
    ASSERT_TRUE(SaveTextFile(path("README"), "new", true));
    EXPECT_FALSE(QFile::exists(dir.filePath("README.bak")));
    ASSERT_TRUE(SaveTextFile(path("README"), "newer", true));
    EXPECT_EQ(readFile(dir.filePath("README.bak")), "new");

    // Nothing else is left in the folder: no temporary files.
    EXPECT_EQ(entries(), QStringList({"Domain-Data.bak", "Domain-Data.txt", "README", "README.bak"}));
}

TEST_F(SaveTextFileTest, EmptyTextBinaryBytesAndAReadOnlyTarget)
{
    const std::string file = path("Options.ini");
    ASSERT_TRUE(writeFile(dir.filePath("Options.ini"), "old"));
    ASSERT_TRUE(SaveTextFile(file, ""));
    EXPECT_TRUE(QFile::exists(dir.filePath("Options.ini")));
    EXPECT_EQ(readFile(dir.filePath("Options.ini")), "");

    const std::string binary("a\0b\r\n\x81\xff\x00", 8);
    ASSERT_TRUE(SaveTextFile(file, binary));
    EXPECT_EQ(LoadTextFile(file), binary);

    ::chmod(file.c_str(), 0444);
    ASSERT_TRUE(SaveTextFile(file, "replaced"));
    EXPECT_EQ(LoadTextFile(file), "replaced");
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_TRUE(st.st_mode & S_IWUSR) << "the new file is an ordinary writable file";
}

TEST_F(SaveTextFileTest, KeepDateRestoresTheModificationTime)
{
    const std::string file = path("Engines.txt");
    ASSERT_TRUE(SaveTextFile(file, "a"));
    const timespec old[2] = {{981158400, 123456789}, {981158400, 123456789}}; // 2001-02-03
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), old, 0), 0);

    ASSERT_TRUE(SaveTextFile(file, "b", true, true));
    EXPECT_EQ(mtimeOf(file).tv_sec, 981158400);
    EXPECT_EQ(mtimeOf(file).tv_nsec, 123456789);
    EXPECT_EQ(LoadTextFile(file), "b");
    EXPECT_EQ(mtimeOf(path("Engines.bak")).tv_sec, 981158400) << "the backup is the old file itself";

    ASSERT_TRUE(SaveTextFile(file, "c", false, false));
    EXPECT_GT(mtimeOf(file).tv_sec, 981158400);
}

TEST_F(SaveTextFileTest, AFolderThatCannotTakeTheFileRaisesAndKeepsTheOldOne)
{
    EXPECT_THROW(SaveTextFile(path("missing/x.txt"), "x"), rtl::Exception);
    EXPECT_THROW(SaveTextFile("", "x"), rtl::Exception);

    const QString folder = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkdir(folder));
    const std::string file = (folder + "/Domain-Data.txt").toStdString();
    ASSERT_TRUE(SaveTextFile(file, "precious"));
    ::chmod(dir.path().toLocal8Bit().constData(), 0755);
    ::chmod(folder.toLocal8Bit().constData(), 0555);

    // Root writes anywhere: the child gives up its rights first.
    const int code = inChild([&]() {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 5;
        return SaveTextFile(file, "lost", true) ? 1 : 0;
    });
    ::chmod(folder.toLocal8Bit().constData(), 0755);
    EXPECT_EQ(code, 2) << "a file that cannot be created raises";
    EXPECT_EQ(LoadTextFile(file), "precious");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"Domain-Data.txt"}));
}

TEST_F(SaveTextFileTest, AWriteThatFailsHalfwayReturnsFalseAndKeepsTheOldFileAndBackup)
{
    const std::string file = path("Domain-Data.txt");
    ASSERT_TRUE(SaveTextFile(file, "older"));
    ASSERT_TRUE(SaveTextFile(file, "previous", true));

    // A file size limit makes the disk "full" after 4 KiB.
    const int code = inChild([&]() {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return SaveTextFile(file, std::string(100000, 'x'), true) ? 1 : 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(LoadTextFile(file), "previous");
    EXPECT_EQ(LoadTextFile(path("Domain-Data.bak")), "older");
    EXPECT_EQ(entries(), QStringList({"Domain-Data.bak", "Domain-Data.txt"}));
}

TEST(AppendLineToFile, EightThreadsLoseNoLineAndMixNone)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("Failures.log").toStdString();
    constexpr int kThreads = 8;
    constexpr int kLines = 400;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t]() {
            for (int i = 0; i < kLines; ++i) {
                // Long lines make a torn write visible.
                const std::string line = std::to_string(t) + ":" + std::to_string(i) + ":" + std::string(300, char('a' + t));
                if (!AppendLineToFile(file, line))
                    ++failures;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);

    std::string text = LoadTextFile(file);
    std::vector<int> next(kThreads, 0);
    int count = 0;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = text.substr(start, end - start);
        const int t = line[0] - '0';
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        const std::string expected = std::to_string(t) + ":" + std::to_string(next[t]) + ":" + std::string(300, char('a' + t));
        ASSERT_EQ(line, expected);
        ++next[t];
        ++count;
    }
    EXPECT_EQ(start, text.size()) << "the file ends with a whole line";
    EXPECT_EQ(count, kThreads * kLines);
}

TEST(AppendLineToFile, CreatesTheFileAndReportsFailures)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("log.txt").toStdString();
    EXPECT_TRUE(AppendLineToFile(file, "first"));
    EXPECT_TRUE(AppendLineToFile(file, ""));
    EXPECT_EQ(LoadTextFile(file), "first\r\n\r\n");
    EXPECT_FALSE(AppendLineToFile(dir.filePath("no/such/log.txt").toStdString(), "x"));
    try {
        AppendLineToFile("", "x");
        FAIL() << "an empty file name must be refused";
    } catch (const rtl::EAssertionFailed &e) {
        EXPECT_NE(std::string(e.what()).find("MyUtilities"), std::string::npos) << e.what();
    }
}

TEST(DeleteFileForced, DeletesReadOnlyFilesOnly)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("ro.txt").toStdString();
    ASSERT_TRUE(SaveTextFile(file, "x"));
    ::chmod(file.c_str(), 0444);
    EXPECT_TRUE(DeleteFileForced(file));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));
    EXPECT_FALSE(DeleteFileForced(file));
    EXPECT_FALSE(DeleteFileForced(""));
    EXPECT_FALSE(DeleteFileForced(dir.path().toStdString()));
    EXPECT_TRUE(QDir(dir.path()).exists());
}

TEST(LoadTextFile, MissingOrUnreadableGivesEmptyAndDeletesNothing)
{
    QTemporaryDir dir;
    EXPECT_EQ(LoadTextFile(dir.filePath("none.txt").toStdString()), "");
    EXPECT_EQ(LoadTextFile(dir.path().toStdString()), "");
    EXPECT_EQ(LoadTextFile(""), "");
    EXPECT_TRUE(QDir(dir.path()).exists());
}
