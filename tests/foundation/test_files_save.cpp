// Whole-file saves and the failures that must leave the previous file as it was.

#include "foundation/MyUtilitiesFiles.h"

#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/PipeReader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <thread>

using namespace foundation;

namespace {

class SaveTextFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    std::string path(const char *name) const { return dir.filePath(name).toStdString(); }
    QStringList entries(const QString &folder = {}) const
    {
        return QDir(folder.isEmpty() ? dir.path() : folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    static timespec mtimeOf(const std::string &name)
    {
        struct stat st
        {};
        ::stat(name.c_str(), &st);
        return st.st_mtim;
    }
};

// Runs the action in a child process that may give up root rights or lower
// its limits; the exit code is the answer, 2 for an rtl::Exception.
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
    EXPECT_EQ(LoadTextFile(path("Domain-Data.bak")), "one\r\n");
    ASSERT_TRUE(SaveTextFile(file, "three\r\n", true));
    EXPECT_EQ(LoadTextFile(path("Domain-Data.bak")), "two\r\n");
    EXPECT_EQ(LoadTextFile(file), "three\r\n");
    // A name without extension gets one; without a previous file there is no backup.
    ASSERT_TRUE(SaveTextFile(path("README"), "new", true));
    EXPECT_FALSE(QFile::exists(dir.filePath("README.bak")));
    ASSERT_TRUE(SaveTextFile(path("README"), "newer", true));
    EXPECT_EQ(LoadTextFile(path("README.bak")), "new");
    EXPECT_EQ(entries(), QStringList({"Domain-Data.bak", "Domain-Data.txt", "README", "README.bak"}))
        << "no temporary file is left behind";
}

TEST_F(SaveTextFileTest, EmptyTextBinaryBytesReadOnlyTargetAndKeepDate)
{
    const std::string file = path("Options.ini");
    ASSERT_TRUE(SaveTextFile(file, "old"));
    ASSERT_TRUE(SaveTextFile(file, ""));
    EXPECT_TRUE(QFile::exists(dir.filePath("Options.ini")));
    EXPECT_EQ(LoadTextFile(file), "");
    const std::string binary("a\0b\r\n\x81\xff\x00", 8);
    ASSERT_TRUE(SaveTextFile(file, binary));
    EXPECT_EQ(LoadTextFile(file), binary);

    ::chmod(file.c_str(), 0444);
    ASSERT_TRUE(SaveTextFile(file, "replaced"));
    EXPECT_EQ(LoadTextFile(file), "replaced");
    struct stat st
    {};
    ::stat(file.c_str(), &st);
    EXPECT_TRUE(st.st_mode & S_IWUSR) << "the new file is an ordinary writable file";

    const timespec old[2] = {{981158400, 123456789}, {981158400, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    ASSERT_TRUE(SaveTextFile(file, "b", true, true));
    EXPECT_EQ(mtimeOf(file).tv_sec, 981158400);
    EXPECT_EQ(mtimeOf(file).tv_nsec, 123456789);
    ASSERT_TRUE(SaveTextFile(file, "c"));
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
    const int code = inChild([&]() {
        // Root writes anywhere: give up the rights first.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 5;
        return SaveTextFile(file, "lost", true) ? 1 : 0;
    });
    ::chmod(folder.toLocal8Bit().constData(), 0755);
    EXPECT_EQ(code, 2);
    EXPECT_EQ(LoadTextFile(file), "precious");
    EXPECT_EQ(entries(folder), QStringList({"Domain-Data.txt"}));
}

TEST_F(SaveTextFileTest, AWriteThatFailsHalfwayReturnsFalseAndKeepsTheOldFileAndBackup)
{
    const std::string file = path("Domain-Data.txt");
    ASSERT_TRUE(SaveTextFile(file, "older"));
    ASSERT_TRUE(SaveTextFile(file, "previous", true));
    const int code = inChild([&]() {
        // A file size limit makes the disk "full" after 4 KiB.
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

// A site list kept elsewhere and linked into the program folder: every save
// reaches the linked file, the backup goes beside it, the link stays; a pipe
// stays a pipe.
TEST_F(SaveTextFileTest, ALinkedFileIsSavedThroughItsLinkEveryTime)
{
    ASSERT_TRUE(QDir().mkdir(dir.filePath("kept")));
    const std::string link = path("Domain-Data.txt");
    ASSERT_EQ(::symlink("kept/sites.txt", link.c_str()), 0);
    ASSERT_TRUE(SaveTextFile(link, "first"));
    ASSERT_TRUE(SaveTextFile(link, "second", true));
    struct stat st
    {};
    EXPECT_TRUE(::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_EQ(LoadTextFile(path("kept/sites.txt")), "second");
    EXPECT_EQ(LoadTextFile(path("kept/sites.bak")), "first");
    EXPECT_EQ(entries(), QStringList({"Domain-Data.txt"}));

    const std::string fifo = path("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    {
        zvotest::PipeReader reader(fifo);
        ASSERT_TRUE(reader.isOpen());
        EXPECT_TRUE(SaveTextFile(fifo, "site\r\n"));
        EXPECT_EQ(reader.finish(), "site\r\n");
    }
    EXPECT_TRUE(::lstat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));

    // With nobody writing, the load finds an empty list; with nobody reading,
    // the save cannot create its file and says why, as the site list's save
    // tells the user. Both at once: the alarm ends a wait.
    const int code = inChild([&]() {
        ::alarm(10);
        if (!LoadTextFile(fifo).empty())
            return 3;
        try {
            SaveTextFile(fifo, "site\r\n");
        } catch (const rtl::Exception &e) {
            return std::string(e.what()).find("No such device or address") != std::string::npos && errno == ENXIO ? 2
                                                                                                                  : 4;
        }
        return 1;
    });
    EXPECT_EQ(code, 2);
}

TEST(AppendLineToFile, EightThreadsLoseNoLineAndMixNone)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("Failures.log").toStdString();
    constexpr int threadCount = 8, lineCount = 400;
    auto lineOf = [](int t, int i) {
        return std::to_string(t) + ":" + std::to_string(i) + std::string(300, char('a' + t));
    };
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back([&, t]() {
            for (int i = 0; i < lineCount; ++i)
                failures += AppendLineToFile(file, lineOf(t, i)) ? 0 : 1;
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);

    const std::string text = LoadTextFile(file);
    std::vector<int> next(threadCount, 0);
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const int t = text[start] - '0';
        ASSERT_TRUE(t >= 0 && t < threadCount);
        ASSERT_EQ(text.substr(start, end - start), lineOf(t, next[t]++));
    }
    EXPECT_EQ(start, text.size()) << "the file ends with a whole line";
    EXPECT_EQ(next, std::vector<int>(threadCount, lineCount));
}

// What is judged is what was opened: a link put at the name after the look
// and before the open, or a hard link to a file of the caller's in a shared
// sticky folder, takes no line, and the file it leads to stays as it was.
TEST(AppendLineToFile, NothingPutAtTheNameAfterTheLookTakesTheLine)
{
    QTemporaryDir dir;
    const std::string own = dir.filePath("own.txt").toStdString();
    ASSERT_TRUE(AppendLineToFile(own, "private"));
    ASSERT_EQ(::chmod(own.c_str(), 0600), 0);
    const std::string shared = dir.filePath("shared").toStdString();
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);

    for (const std::string &folder : {dir.path().toStdString(), shared}) {
        const std::string log = folder + "/log.txt";
        const rtl::ScopedBeforeInPlaceOpen plant([&](const std::string &name) {
            if (name == log)
                ASSERT_EQ(::symlink(own.c_str(), name.c_str()), 0);
        });
        EXPECT_FALSE(AppendLineToFile(log, "planted")) << folder;
        EXPECT_EQ(errno, ELOOP);
        ::unlink(log.c_str());
    }
    const std::string hardLink = shared + "/log.txt";
    ASSERT_EQ(::link(own.c_str(), hardLink.c_str()), 0);
    EXPECT_FALSE(AppendLineToFile(hardLink, "planted"));
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(LoadTextFile(own), "private\r\n");
    // The caller's own log there takes its lines as ever.
    const std::string mine = shared + "/mine.txt";
    EXPECT_TRUE(AppendLineToFile(mine, "a"));
    EXPECT_TRUE(AppendLineToFile(mine, "b"));
    EXPECT_EQ(LoadTextFile(mine), "a\r\nb\r\n");
}

TEST(FileRoutines, AppendDeleteAndLoadReportFailuresOnlyThroughResults)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("log.txt").toStdString();
    EXPECT_TRUE(AppendLineToFile(file, "first"));
    EXPECT_TRUE(AppendLineToFile(file, ""));
    EXPECT_EQ(LoadTextFile(file), "first\r\n\r\n");
    EXPECT_FALSE(AppendLineToFile(dir.filePath("no/log.txt").toStdString(), "x"));
    // A pipe nobody reads refuses the line at once (the alarm ends a wait).
    const std::string fifo = dir.filePath("pipe.txt").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(inChild([&] {
                  ::alarm(10);
                  return AppendLineToFile(fifo, "x") ? 1 : 0;
              }),
              0);
    try {
        AppendLineToFile("", "x");
        ADD_FAILURE() << "an empty file name must be refused";
    } catch (const rtl::EAssertionFailed &e) {
        EXPECT_NE(std::string(e.what()).find("MyUtilities"), std::string::npos) << e.what();
    }

    ::chmod(file.c_str(), 0444);
    EXPECT_TRUE(DeleteFileForced(file));
    EXPECT_FALSE(DeleteFileForced(file));
    EXPECT_FALSE(DeleteFileForced(""));
    EXPECT_FALSE(DeleteFileForced(dir.path().toStdString()));
    EXPECT_EQ(LoadTextFile(file), "");
    EXPECT_EQ(LoadTextFile(dir.path().toStdString()), "");
    EXPECT_TRUE(QDir(dir.path()).exists());
}

// In a shared folder a log is added to as a save writes: not into a file,
// and not through a link, that somebody else planted under its name.
TEST(AppendLineToFile, WhatSomebodyElsePlantedInASharedFolderTakesNoLine)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting as another user needs root";
    QTemporaryDir dir;
    const std::string shared = dir.filePath("shared").toStdString();
    ASSERT_EQ(::mkdir(shared.c_str(), 01777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string planted = shared + "/~SE-Errors.txt";
    const std::string link = shared + "/linked.txt";
    const std::string mine = dir.filePath("mine.txt").toStdString();
    ASSERT_TRUE(AppendLineToFile(planted, "the planter's"));
    ASSERT_TRUE(AppendLineToFile(mine, "mine"));
    ASSERT_EQ(::symlink(mine.c_str(), link.c_str()), 0);
    ASSERT_EQ(::chown(planted.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    for (const std::string &name : {planted, link}) {
        EXPECT_FALSE(AppendLineToFile(name, "http://example.com/?q=secret")) << name;
        EXPECT_EQ(errno, EACCES);
    }
    EXPECT_EQ(LoadTextFile(planted), "the planter's\r\n");
    EXPECT_EQ(LoadTextFile(mine), "mine\r\n");
    // The caller's own log there takes its lines.
    ASSERT_EQ(::chown(planted.c_str(), 0, 0), 0);
    EXPECT_TRUE(AppendLineToFile(planted, "root's"));
}
