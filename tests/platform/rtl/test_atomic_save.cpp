// The one save routine: what a failure in each step leaves behind, the order
// that makes a save survive a crash, and what it does with the file it
// replaces.

#include "platform/rtl/AtomicSave.h"

#include "tests/support/PipeReader.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TinyFileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <vector>

using namespace rtl;

namespace {

class AtomicSaveTest : public ::testing::Test
{
protected:
    std::string path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)).toStdString(); }
    std::string read(const char *name) const { return zvotest::readFile(m_dir.filePath(QString::fromLatin1(name))); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    static mode_t modeOf(const std::string &name)
    {
        struct stat st
        {};
        ::lstat(name.c_str(), &st);
        return st.st_mode;
    }

    QTemporaryDir m_dir;
};

TEST_F(AtomicSaveTest, AFailedStepLeavesTheFileAndItsBackupAndNoTemporaryFile)
{
    struct Case
    {
        SaveStep step;
        int error;
        bool saved; // a failed backup or folder sync does not fail the save
        const char *backup;
    };
    const Case cases[] = {
        {SaveStep::Create, EACCES, false, "older"}, {SaveStep::Write, ENOSPC, false, "older"},
        {SaveStep::Sync, EIO, false, "older"},      {SaveStep::Rename, EBUSY, false, "previous"},
        {SaveStep::Backup, EPERM, true, "older"},   {SaveStep::SyncFolder, EINVAL, true, "previous"},
    };
    const std::string file = path("Domain-Data.txt");
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.step));
        ASSERT_TRUE(atomicSave(file, "older"));
        ASSERT_TRUE(atomicSave(file, "previous", {.makeBackup = true}));
        SaveResult result;
        {
            ScopedSaveHook hook([&](SaveStep step) { return step == c.step ? c.error : 0; });
            errno = 0;
            result = atomicSave(file, std::string(100000, 'n'), {.makeBackup = true});
        }
        EXPECT_EQ(bool(result), c.saved);
        if (!c.saved) {
            EXPECT_EQ(result.failedStep, c.step);
            EXPECT_EQ(result.error, c.error);
            EXPECT_EQ(errno, c.error) << "callers that answer only true or false still tell why";
            EXPECT_EQ(read("Domain-Data.txt"), "previous");
        }
        EXPECT_EQ(read("Domain-Data.bak"), c.backup);
        EXPECT_EQ(entries(), QStringList({"Domain-Data.bak", "Domain-Data.txt"}));
    }
}

TEST_F(AtomicSaveTest, ContentIsOnTheDiskBeforeTheBackupAndTheRenameAndTheFolderFollows)
{
    const std::string file = path("Options.ini");
    ASSERT_TRUE(atomicSave(file, "one"));
    std::vector<SaveStep> steps;
    ScopedSaveHook hook([&](SaveStep step) {
        steps.push_back(step);
        return 0;
    });
    ASSERT_TRUE(atomicSave(file, "two", {.makeBackup = true}));
    EXPECT_EQ(steps, (std::vector<SaveStep>{SaveStep::Create, SaveStep::Write, SaveStep::Sync, SaveStep::Backup,
                                            SaveStep::Rename, SaveStep::SyncFolder}));
    EXPECT_EQ(read("Options.ini"), "two");
    EXPECT_EQ(read("Options.bak"), "one");
}

TEST_F(AtomicSaveTest, BothWriteThroughLinksUpdateKeepsTheMode)
{
    const std::string target = path("real.ini");
    const std::string link = path("Options.ini");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const ExistingFile existing : {ExistingFile::Replace, ExistingFile::Update}) {
        const bool update = existing == ExistingFile::Update;
        SCOPED_TRACE(update ? "update" : "replace");
        ::unlink(link.c_str());
        ASSERT_TRUE(atomicSave(target, "old"));
        ::chmod(target.c_str(), 0600);
        ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);

        ASSERT_TRUE(atomicSave(link, "new", {.existing = existing}));
        EXPECT_TRUE(S_ISLNK(modeOf(link)));
        EXPECT_EQ(read("real.ini"), "new");
        EXPECT_EQ(read("Options.ini"), "new");

        ASSERT_TRUE(atomicSave(target, "newer", {.existing = existing}));
        EXPECT_EQ(modeOf(target) & 0777, 0600u);
    }
    // A file nobody may write is refused by Update, like writing into it.
    ::chmod(target.c_str(), 0444);
    ASSERT_TRUE(atomicSave(target, "replaced", {.existing = ExistingFile::Replace}));
    ::chmod(target.c_str(), 0444);
    ::chmod(m_dir.path().toLocal8Bit().constData(), 0777);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Root writes anything: give up the rights first.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(5);
        const SaveResult result = atomicSave(target, "refused", {.existing = ExistingFile::Update});
        ::_exit(!result && result.failedStep == SaveStep::Create && result.error == EACCES ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(read("real.ini"), "replaced");
}

// What is at the name stays what it was: a link keeps pointing at its file,
// which gets the content and its backup beside it; a pipe's reader gets the
// bytes; a device node is written and not renamed over, and its refusal is
// the save's failure.
TEST_F(AtomicSaveTest, LinksPipesAndDevicesKeepWhatTheyAre)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("data"));
    ASSERT_TRUE(atomicSave(path("data/Domain-Data.txt"), "old"));
    ASSERT_EQ(::symlink("data/Domain-Data.txt", path("Domain-Data.txt").c_str()), 0);
    ASSERT_EQ(::symlink("Domain-Data.txt", path("chained.txt").c_str()), 0);
    for (const ExistingFile existing : {ExistingFile::Replace, ExistingFile::Update}) {
        ASSERT_TRUE(atomicSave(path("chained.txt"), "new", {.makeBackup = true, .existing = existing}));
        EXPECT_TRUE(S_ISLNK(modeOf(path("Domain-Data.txt"))) && S_ISLNK(modeOf(path("chained.txt"))));
        EXPECT_EQ(read("data/Domain-Data.txt"), "new");
        EXPECT_EQ(read("data/Domain-Data.bak"), "old");
        ASSERT_TRUE(atomicSave(path("data/Domain-Data.txt"), "old"));
    }
    EXPECT_EQ(entries(), QStringList({"Domain-Data.txt", "chained.txt"}));

    // A pipe: nothing may be renamed over it, and its reader gets every byte.
    const std::string fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big(200000, 'p'); // more than the pipe holds at once
    zvotest::PipeReader reader(fifo);
    ASSERT_TRUE(reader.isOpen());
    const SaveResult piped = atomicSave(fifo, big, {.makeBackup = true, .removeLeftovers = true});
    EXPECT_TRUE(piped) << piped.reason();
    EXPECT_EQ(reader.finish().size(), big.size());
    EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));
    EXPECT_EQ(entries(), QStringList({"Domain-Data.txt", "chained.txt", "pipe"}));

    // Nobody reads the pipe: the save fails at once rather than waiting for
    // ever. The child's alarm ends a save that waits.
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(10);
        const SaveResult result = atomicSave(fifo, "unread");
        ::_exit(!result && result.failedStep == SaveStep::Create && result.error == ENXIO ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    if (::geteuid() != 0)
        GTEST_SKIP() << "device nodes need root to be made";
    // The kernel's null and full devices, made afresh in the test's folder.
    const std::string null = path("null"), full = path("full"), linkToFull = path("full-link");
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    ASSERT_EQ(::symlink("full", linkToFull.c_str()), 0);
    EXPECT_TRUE(atomicSave(null, "nothing kept", {.makeBackup = true}));
    for (const std::string &name : {full, linkToFull}) {
        const SaveResult result = atomicSave(name, "refused", {.keepDate = true});
        EXPECT_FALSE(result) << name;
        EXPECT_EQ(result.error, ENOSPC) << name;
    }
    EXPECT_TRUE(S_ISCHR(modeOf(null)) && S_ISCHR(modeOf(full)) && S_ISLNK(modeOf(linkToFull)));
    EXPECT_EQ(entries().size(), 6);
}

TEST_F(AtomicSaveTest, OnlyLeftoversOfOurOwnSavesAreRemoved)
{
    struct Case
    {
        const char *name;
        bool ours;
    };
    const Case cases[] = {
        {".Domain-Data.txt.0123456789ab~", true},
        {".Options.ini.ffffffffffff~", true},
        {"..000000000000~", false},
        {".Options.ini.0123456789AB~", false},
        {".Options.ini.0123456789a~", false},
        {".Options.ini.0123456789abc~", false},
        {"Options.ini.0123456789ab~", false},
        {".Options.ini-0123456789ab~", false},
        {".Options.ini.0123456789ab", false},
        {"Options.ini.Xb3kQz", false},
        {".Options.ini.0123456789ab~.txt", false},
        {"Domain-Data.txt", false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(isAtomicSaveTemporary(c.name), c.ours) << c.name;
        ASSERT_TRUE(zvotest::writeFile(m_dir.filePath(QString::fromLatin1(c.name)), "x"));
    }
    // A folder or a link of such a name is nobody's save.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(".sub.0123456789ab~"));
    ASSERT_EQ(::symlink("Domain-Data.txt", path(".link.0123456789ab~").c_str()), 0);

    EXPECT_EQ(removeAtomicSaveLeftovers(m_dir.path().toStdString()), 2);
    for (const Case &c : cases)
        EXPECT_EQ(QFile::exists(m_dir.filePath(QString::fromLatin1(c.name))), !c.ours) << c.name;
    EXPECT_TRUE(QFileInfo(m_dir.filePath(".sub.0123456789ab~")).isDir());
    EXPECT_TRUE(QFileInfo(m_dir.filePath(".link.0123456789ab~")).isSymLink());
}

TEST(AtomicSaveOnAFullDisk, TheSaveFailsAndThePreviousFileStays)
{
    const auto answer = zvotest::onTinyTmpfs([](const std::string &folder) -> std::string {
        const std::string file = folder + "/Options.ini";
        if (!atomicSave(file, "[zarvello]\r\nUseProxy=true\r\n"))
            return "the first save failed";
        if (!zvotest::fillFileSystem(folder))
            return "could not fill the disk";
        const SaveResult result = atomicSave(file, "[zarvello]\r\nUseProxy=false\r\n");
        if (result || result.error != ENOSPC)
            return "the save on a full disk answered " + std::string(result ? "success" : result.reason());
        if (zvotest::readFile(QString::fromStdString(file)) != "[zarvello]\r\nUseProxy=true\r\n")
            return "the previous file is gone";
        if (QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden).size() != 2)
            return "a temporary file is left";
        return {};
    });
    if (!answer)
        GTEST_SKIP() << "this system does not let the tests mount a tmpfs";
    EXPECT_EQ(*answer, "");
}

} // namespace
