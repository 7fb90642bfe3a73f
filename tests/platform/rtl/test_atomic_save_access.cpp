// What a save may do to the file it replaces and to the links on its way:
// who may read the new file, which links it follows, and what it says when
// it may not go on.

#include "platform/rtl/AtomicSave.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace rtl;

namespace {

// The uid and gid of nobody, a user the tests do not run as.
constexpr uid_t Nobody = 65534;

class AtomicSaveAccessTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    std::string path(const std::string &name) const
    {
        return m_dir.filePath(QString::fromStdString(name)).toStdString();
    }
    std::string read(const std::string &name) const { return zvotest::readFile(QString::fromStdString(path(name))); }
    static struct stat statOf(const std::string &name)
    {
        struct stat st
        {};
        ::lstat(name.c_str(), &st);
        return st;
    }

    // The check run by a process that is not root, so that folder rights
    // hold for it; "" when all was well, else what went wrong.
    std::string asAnotherUser(const std::function<std::string()> &check)
    {
        ::chmod(m_dir.path().toLocal8Bit().constData(), 0777);
        int ends[2];
        if (::pipe(ends) != 0)
            return "no pipe";
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ends[0]);
            std::string answer = "could not give up root";
            if (::geteuid() != 0 || (::setgid(Nobody) == 0 && ::setuid(Nobody) == 0))
                answer = check();
            (void)!::write(ends[1], answer.data(), answer.size());
            ::_exit(0);
        }
        ::close(ends[1]);
        std::string answer;
        char buffer[512];
        ssize_t n = 0;
        while ((n = ::read(ends[0], buffer, sizeof buffer)) > 0)
            answer.append(buffer, size_t(n));
        ::close(ends[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return answer;
    }

    QTemporaryDir m_dir;
};

TEST_F(AtomicSaveAccessTest, AReplacedFileKeepsItsModeAndOwner)
{
    const std::string file = path("Domain-Data.txt");
    for (const mode_t mode : {0600u, 0640u, 0444u}) {
        for (const ExistingFile existing : {ExistingFile::Replace, ExistingFile::Update}) {
            SCOPED_TRACE(std::to_string(mode) + (existing == ExistingFile::Update ? " update" : " replace"));
            ASSERT_TRUE(atomicSave(file, "old"));
            ::chmod(file.c_str(), mode);
            const bool writable = ::access(file.c_str(), W_OK) == 0;
            const SaveResult result = atomicSave(file, "new", {.makeBackup = true, .existing = existing});
            // Update refuses a file nobody may write, as writing into it would.
            if (existing == ExistingFile::Update && !writable) {
                EXPECT_FALSE(result);
                continue;
            }
            ASSERT_TRUE(result) << result.reason();
            EXPECT_EQ(read("Domain-Data.txt"), "new");
            // A read-only file is replaced as if deleted first: the new one
            // is writable.
            EXPECT_EQ(statOf(file).st_mode & 07777, existing == ExistingFile::Replace ? mode | 0200 : mode);
            EXPECT_EQ(statOf(path("Domain-Data.bak")).st_mode & 07777, mode);
        }
    }

    // A hard link is a second name of the old file: the new file is a file
    // of its own, as after any save that cannot be cut short.
    ASSERT_EQ(::link(file.c_str(), path("second-name").c_str()), 0);
    ::chmod(file.c_str(), 0600);
    ASSERT_TRUE(atomicSave(file, "newest"));
    EXPECT_EQ(read("second-name"), "new");

    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    // Another user's file that the kernel will not let the caller link to
    // gets a copy for its backup, as private as the file.
    const std::string shared = path("shared.txt");
    ASSERT_TRUE(atomicSave(shared, "root's"));
    ASSERT_EQ(::chmod(shared.c_str(), 0604), 0);
    EXPECT_EQ(asAnotherUser([&]() -> std::string {
                  if (::link(shared.c_str(), path("probe").c_str()) == 0)
                      return ::unlink(path("probe").c_str()), "";
                  if (!atomicSave(shared, "nobody's", {.makeBackup = true}))
                      return "the save failed";
                  const mode_t mode = statOf(path("shared.bak")).st_mode & 07777;
                  return mode == 0604 ? "" : "the backup has mode " + std::to_string(mode);
              }),
              "");
    // Root saving a user's file leaves it the user's.
    ASSERT_EQ(::chown(file.c_str(), Nobody, Nobody), 0);
    ASSERT_TRUE(atomicSave(file, "root's save", {.existing = ExistingFile::Replace}));
    EXPECT_EQ(statOf(file).st_uid, Nobody);
    EXPECT_EQ(statOf(file).st_gid, Nobody);
    EXPECT_EQ(statOf(file).st_mode & 07777, 0600u);
}

TEST_F(AtomicSaveAccessTest, ALoopOrAnOverlongChainOfLinksFailsAndStaysAsItWas)
{
    ASSERT_EQ(::symlink("b", path("a").c_str()), 0);
    ASSERT_EQ(::symlink("a", path("b").c_str()), 0);
    ASSERT_EQ(::symlink("self", path("self").c_str()), 0);
    for (const std::string name : {"a", "self"}) {
        SCOPED_TRACE(name);
        const SaveResult result = atomicSave(path(name), "lost");
        EXPECT_FALSE(result);
        EXPECT_EQ(result.failedStep, SaveStep::Create);
        EXPECT_EQ(result.reason(), "Too many levels of symbolic links");
    }
    EXPECT_TRUE(S_ISLNK(statOf(path("a")).st_mode) && S_ISLNK(statOf(path("b")).st_mode) &&
                S_ISLNK(statOf(path("self")).st_mode));

    // The kernel walks 40 links and no more.
    ASSERT_TRUE(atomicSave(path("end"), "kept"));
    ASSERT_EQ(::symlink("end", path("link1").c_str()), 0);
    for (int i = 2; i <= 41; ++i)
        ASSERT_EQ(::symlink(("link" + std::to_string(i - 1)).c_str(), path("link" + std::to_string(i)).c_str()), 0);
    EXPECT_TRUE(atomicSave(path("link40"), "through forty"));
    EXPECT_EQ(read("end"), "through forty");
    EXPECT_EQ(atomicSave(path("link41"), "lost").error, ELOOP);
    EXPECT_EQ(read("end"), "through forty");
    EXPECT_TRUE(S_ISLNK(statOf(path("link41")).st_mode));
}

TEST_F(AtomicSaveAccessTest, ALinkSomebodyElsePlantedInASharedFolderIsNotFollowed)
{
    const std::string victim = path("victim");
    ASSERT_TRUE(atomicSave(victim, "the victim's own"));
    ASSERT_EQ(::mkdir(path("shared").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path("shared").c_str(), 01777), 0);
    const std::string planted = path("shared/out.txt");
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    if (::lchown(planted.c_str(), Nobody, Nobody) != 0)
        GTEST_SKIP() << "this system does not let the tests give a link to another user";

    for (const ExistingFile existing : {ExistingFile::Replace, ExistingFile::Update}) {
        const SaveResult result = atomicSave(planted, "replaced", {.existing = existing});
        EXPECT_FALSE(result);
        EXPECT_EQ(result.failedStep, SaveStep::Create);
        EXPECT_EQ(result.reason(), "Permission denied");
        AtomicFile file;
        EXPECT_EQ(file.open(planted, {.existing = existing}).error, EACCES);
    }
    EXPECT_EQ(read("victim"), "the victim's own");
    EXPECT_TRUE(S_ISLNK(statOf(planted).st_mode));
    EXPECT_EQ(QDir(QString::fromStdString(path("shared"))).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // Where the kernel follows it: the folder's owner owns the link, the
    // folder is not sticky, or nobody else may write it.
    for (const auto &[owner, mode] :
         {std::pair{Nobody, 01777u}, std::pair{::geteuid(), 0777u}, std::pair{::geteuid(), 01755u}}) {
        SCOPED_TRACE(std::to_string(owner) + " " + std::to_string(mode));
        ASSERT_EQ(::chown(path("shared").c_str(), owner, owner), 0);
        ASSERT_EQ(::chmod(path("shared").c_str(), mode), 0);
        EXPECT_TRUE(atomicSave(planted, "followed"));
        EXPECT_EQ(read("victim"), "followed");
    }
    // The caller's own link.
    ASSERT_EQ(::chmod(path("shared").c_str(), 01777), 0);
    ASSERT_EQ(::lchown(planted.c_str(), ::geteuid(), ::getegid()), 0);
    EXPECT_TRUE(atomicSave(planted, "mine"));
    EXPECT_EQ(read("victim"), "mine");
}

// The save goes on when its backup cannot be made, but says so: the caller
// counts on the previous content being kept. A folder under the backup's
// name, or a backup somebody else planted in a shared sticky folder, stays.
TEST_F(AtomicSaveAccessTest, ABackupThatCannotBeMadeIsToldOnStandardError)
{
    const auto saveTelling = [this](const std::string &file, const std::string &backup) -> std::string {
        testing::internal::CaptureStderr();
        const SaveResult result = atomicSave(path(file), "new", {.makeBackup = true});
        const std::string said = testing::internal::GetCapturedStderr();
        if (!result)
            return "the save failed: " + result.reason();
        if (said.find("the backup \"" + path(backup) + "\" was not made: ") == std::string::npos ||
            std::count(said.begin(), said.end(), '\n') != 1)
            return "standard error said \"" + said + "\"";
        return read(file) == "new" ? "" : "the file was not saved";
    };
    ASSERT_TRUE(atomicSave(path("list.txt"), "old"));
    ASSERT_EQ(::mkdir(path("list.bak").c_str(), 0755), 0);
    EXPECT_EQ(saveTelling("list.txt", "list.bak"), "");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(path("list.bak"))).isDir());
    if (::geteuid() == 0) {
        // Another user's backup planted where the saver may not remove it.
        ASSERT_EQ(::mkdir(path("shared").c_str(), 0777), 0);
        ASSERT_EQ(::chmod(path("shared").c_str(), 01777), 0);
        ASSERT_TRUE(atomicSave(path("shared/list.bak"), "the planter's"));
        EXPECT_EQ(asAnotherUser([&]() -> std::string {
                      if (!atomicSave(path("shared/list.txt"), "old"))
                          return "no list";
                      return saveTelling("shared/list.txt", "shared/list.bak");
                  }),
                  "");
        EXPECT_EQ(read("shared/list.bak"), "the planter's");
    }
    // A backup that can be made says nothing.
    testing::internal::CaptureStderr();
    EXPECT_TRUE(atomicSave(path("other.txt"), "old"));
    EXPECT_TRUE(atomicSave(path("other.txt"), "new", {.makeBackup = true}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(read("other.bak"), "old");
}

TEST_F(AtomicSaveAccessTest, AFolderThatRefusesTheTemporaryFileIsNamed)
{
    ASSERT_EQ(::mkdir(path("locked").c_str(), 0755), 0);
    ASSERT_TRUE(atomicSave(path("locked/list.txt"), "old"));
    ::chmod(path("locked/list.txt").c_str(), 0666);
    ::chmod(path("locked").c_str(), 0555);
    ASSERT_EQ(::symlink("locked/list.txt", path("list.txt").c_str()), 0);
    const std::string folder = path("locked");
    EXPECT_EQ(asAnotherUser([&]() -> std::string {
                  const SaveResult result = atomicSave(path("list.txt"), "new");
                  const std::string expected =
                      "Permission denied (the folder \"" + folder + "\" refused the temporary file)";
                  return result.reason() == expected ? "" : "the save said \"" + result.reason() + "\"";
              }),
              "");
    EXPECT_EQ(read("locked/list.txt"), "old");
}

} // namespace

// A file or a pipe somebody else planted in a shared folder under the name
// the caller saves to: the planter would read and change the caller's
// content, or read it from the pipe. Refused as the kernel's
// protected_regular and protected_fifos refuse it; what stands there stays.
TEST_F(AtomicSaveAccessTest, AFileOrPipeSomebodyElsePlantedInASharedFolderIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting as another user needs root";
    const std::string shared = path("shared");
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string file = path("shared/report.txt");
    const std::string pipe = path("shared/report.pipe");
    ASSERT_TRUE(atomicSave(file, "the planter's"));
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    ASSERT_EQ(::chown(file.c_str(), Nobody, Nobody), 0);
    ASSERT_EQ(::chown(pipe.c_str(), Nobody, Nobody), 0);
    const FileDescriptor reader(::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    ASSERT_TRUE(reader.valid());

    for (const std::string &name : {file, pipe}) {
        for (const ExistingFile existing : {ExistingFile::Replace, ExistingFile::Update}) {
            SCOPED_TRACE(name + (existing == ExistingFile::Update ? " update" : " replace"));
            const SaveResult result = atomicSave(name, "root's secret", {.makeBackup = true, .existing = existing});
            EXPECT_FALSE(result);
            EXPECT_EQ(result.failedStep, SaveStep::Create);
            EXPECT_EQ(result.reason(), "Permission denied");
        }
    }
    char byte = 0;
    EXPECT_LE(::read(reader.get(), &byte, 1), 0);
    EXPECT_EQ(read("shared/report.txt"), "the planter's");
    EXPECT_EQ(statOf(file).st_uid, Nobody);
    EXPECT_EQ(QDir(QString::fromStdString(shared))
                  .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{"report.pipe", "report.txt"}));

    // The folder's owner may leave a file there for the caller, as the kernel
    // allows, but the caller's content stays the caller's, not opened to all.
    ASSERT_EQ(::chown(shared.c_str(), Nobody, Nobody), 0);
    const mode_t umask = ::umask(022);
    const bool saved = atomicSave(file, "root's secret").ok;
    ::umask(umask);
    ASSERT_TRUE(saved);
    EXPECT_EQ(read("shared/report.txt"), "root's secret");
    EXPECT_EQ(statOf(file).st_uid, ::geteuid());
    EXPECT_EQ(statOf(file).st_mode & 0022, 0u);
    // A folder that is not sticky, or not everyone's: the file stays its
    // owner's, as ever.
    for (const mode_t mode : {0777u, 01775u}) {
        ASSERT_EQ(::chown(shared.c_str(), 0, 0), 0);
        ASSERT_EQ(::chmod(shared.c_str(), mode), 0);
        ASSERT_EQ(::chown(file.c_str(), Nobody, Nobody), 0);
        ASSERT_TRUE(atomicSave(file, "for nobody"));
        EXPECT_EQ(statOf(file).st_uid, Nobody);
    }
}

// A link planted as a folder on the way to the name leads where the planter
// chose, a folder only root may write among them.
TEST_F(AtomicSaveAccessTest, AFolderLinkSomebodyElsePlantedOnTheWayIsNotFollowed)
{
    ASSERT_EQ(::mkdir(path("private").c_str(), 0700), 0);
    ASSERT_TRUE(atomicSave(path("private/list.txt"), "the victim's own"));
    ASSERT_EQ(::mkdir(path("shared").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path("shared").c_str(), 01777), 0);
    const std::string planted = path("shared/out");
    ASSERT_EQ(::symlink(path("private").c_str(), planted.c_str()), 0);
    if (::lchown(planted.c_str(), Nobody, Nobody) != 0)
        GTEST_SKIP() << "this system does not let the tests give a link to another user";
    // Reached by the name itself, through "..", and through a link of the
    // caller's own that leads on through the planted one.
    ASSERT_EQ(::symlink("shared/out/list.txt", path("mine").c_str()), 0);
    for (const std::string &name : {planted + "/list.txt", path("shared/./../shared/out/list.txt"), path("mine")}) {
        SCOPED_TRACE(name);
        const SaveResult result = atomicSave(name, "replaced");
        EXPECT_FALSE(result);
        EXPECT_EQ(result.error, EACCES);
    }
    EXPECT_EQ(read("private/list.txt"), "the victim's own");

    // The folder's owner's link is followed, as the kernel follows it.
    ASSERT_EQ(::chown(path("shared").c_str(), Nobody, Nobody), 0);
    EXPECT_TRUE(atomicSave(planted + "/list.txt", "followed"));
    EXPECT_EQ(read("private/list.txt"), "followed");
}
