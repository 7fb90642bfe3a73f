#include "platform/ini/PrivateProfile.h"

#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/FileDescriptor.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TinyFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

class PrivateProfileTest : public ::testing::Test
{
protected:
    std::string path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)).toStdString(); }
    QTemporaryDir m_dir;
};

TEST_F(PrivateProfileTest, ReadsWithDefaultAndBufferLimit)
{
    const std::string file = path("Options.ini");
    EXPECT_EQ(ini::GetPrivateProfileString("S", "K", "def", 10, file), "def");
    ASSERT_TRUE(zvotest::writeFile(QString::fromStdString(file), "[S]\nK=  \"0123456789\"  \nE=\n"));
    EXPECT_EQ(ini::GetPrivateProfileString("s", "k", "", 5, file), "0123");
    EXPECT_EQ(ini::GetPrivateProfileString("S", "K", "", 11, file), "0123456789");
    EXPECT_EQ(ini::GetPrivateProfileString("S", "K", "", 0, file), "");
    EXPECT_EQ(ini::GetPrivateProfileString("S", "E", "def", 10, file), "");
    EXPECT_EQ(ini::GetPrivateProfileString("S", "Missing", "a long default", 5, file), "a lo");
}

TEST_F(PrivateProfileTest, WritesCreateTheFileAndKeepEverythingElse)
{
    const std::string file = path("Options.ini");
    ASSERT_TRUE(ini::WritePrivateProfileString("zarvello", std::string("A"), std::string("1"), file));
    ASSERT_TRUE(ini::WritePrivateProfileString("zarvello", std::string("B"), std::string("2"), file));
    ASSERT_TRUE(ini::WritePrivateProfileString("zarvello", std::string("a"), std::string("3"), file));
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(file)), "[zarvello]\r\nA=3\r\nB=2\r\n");

    EXPECT_TRUE(ini::eraseKey("ZARVELLO", "a", file));
    EXPECT_EQ(ini::readKeyNames("zarvello", file), std::vector<std::string>{"B"});
    EXPECT_TRUE(ini::eraseSection("zarvello", file));
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(file)), "");

    // Only the target file is left in the folder: the write goes through a
    // temporary file that is renamed over it.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"Options.ini"});
}

TEST_F(PrivateProfileTest, MissingFilesAndFolders)
{
    const std::string none = path("none.ini");
    EXPECT_TRUE(ini::eraseSection("S", none));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(none)));
    EXPECT_TRUE(ini::readSection("S", none).empty());
    // A folder that does not exist cannot take the file.
    const std::string file = path("missing/Options.ini");
    EXPECT_FALSE(ini::WritePrivateProfileString("S", std::string("K"), std::string("V"), file));
    EXPECT_FALSE(ini::writeFile(file, "x"));
    EXPECT_FALSE(ini::writeFile("", "x"));
}

TEST_F(PrivateProfileTest, AFileThatCannotBeWrittenWhollyStaysAsItWas)
{
    const std::string file = path("Options.ini");
    const std::string before = "[zarvello]\r\nProxyServer=proxy.example\r\n";
    ASSERT_TRUE(zvotest::writeFile(QString::fromStdString(file), before));
    for (const rtl::SaveStep step : {rtl::SaveStep::Create, rtl::SaveStep::Write, rtl::SaveStep::Sync}) {
        rtl::ScopedSaveHook hook([step](rtl::SaveStep now) { return now == step ? ENOSPC : 0; });
        EXPECT_FALSE(ini::WritePrivateProfileString("zarvello", std::string("UseProxy"), std::string("true"), file));
        EXPECT_EQ(errno, ENOSPC);
        EXPECT_FALSE(ini::eraseSection("zarvello", file));
    }
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(file)), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Options.ini"});
}

TEST_F(PrivateProfileTest, AWriteGoesThroughALinkAndKeepsTheFilesMode)
{
    // The settings hold a password: a file the user made private stays so.
    const std::string real = path("real.ini");
    ASSERT_TRUE(zvotest::writeFile(QString::fromStdString(real), "[S]\r\n"));
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("real.ini", path("Options.ini").c_str()), 0);
    ASSERT_TRUE(ini::WritePrivateProfileString("S", std::string("K"), std::string("V"), path("Options.ini")));
    EXPECT_TRUE(QFileInfo(m_dir.filePath("Options.ini")).isSymLink());
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(real)), "[S]\r\nK=V\r\n");
    struct stat st
    {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A pipe in the settings' place that nobody serves: the read gives the
// defaults and the write fails, both at once instead of waiting for the
// other end (the child's alarm ends a wait).
TEST_F(PrivateProfileTest, APipeNobodyServesNeitherBlocksAReadNorAWrite)
{
    const std::string fifo = path("Options.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(10);
        const bool read = ini::GetPrivateProfileString("S", "K", "default", 64, fifo) == "default";
        const bool refused =
            !ini::WritePrivateProfileString("S", std::string("K"), std::string("V"), fifo) && errno == ENXIO;
        ::_exit(read && refused ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// A settings file past the read limit gives the defaults and is never
// replaced by the few keys a write knows of; a device in its place ends the
// read at once, and a write goes into it and leaves the link to it (the
// child's alarm ends a read without end).
TEST_F(PrivateProfileTest, WhatCannotBeReadWholeIsNotReplacedAndADeviceIsNotReadForEver)
{
    const std::string big = path("big.ini");
    ASSERT_TRUE(zvotest::writeFile(QString::fromStdString(big), "[S]\r\nK=V\r\n"));
    // Sparse: it takes no room on the disk.
    ASSERT_EQ(::truncate(big.c_str(), off_t(rtl::FileReadLimit + 1)), 0);
    EXPECT_EQ(ini::GetPrivateProfileString("S", "K", "default", 64, big), "default");
    errno = 0;
    EXPECT_FALSE(ini::WritePrivateProfileString("S", std::string("K"), std::string("W"), big));
    EXPECT_EQ(errno, EFBIG);
    struct stat st
    {};
    ASSERT_EQ(::stat(big.c_str(), &st), 0);
    EXPECT_EQ(uint64_t(st.st_size), rtl::FileReadLimit + 1);

    const std::string zero = path("Options.ini");
    const std::string full = path("Full.ini");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    ASSERT_EQ(::symlink("/dev/full", full.c_str()), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(10);
        const bool read = ini::GetPrivateProfileString("S", "K", "default", 64, zero) == "default";
        const bool written = ini::WritePrivateProfileString("S", std::string("K"), std::string("V"), zero);
        const bool refused =
            !ini::WritePrivateProfileString("S", std::string("K"), std::string("V"), full) && errno == ENOSPC;
        ::_exit((read ? 0 : 1) | (written ? 0 : 2) | (refused ? 0 : 4));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(zero)).isSymLink());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(full)).isSymLink());
}

TEST(PrivateProfileOnAFullDisk, TheWriteFailsAndTheFileKeepsItsContent)
{
    const auto answer = zvotest::onTinyTmpfs([](const std::string &folder) -> std::string {
        const std::string file = folder + "/Options.ini";
        if (!ini::WritePrivateProfileString("zarvello", std::string("ProxyServer"), std::string("p"), file))
            return "the first write failed";
        const std::string before = ini::readFile(file);
        if (!zvotest::fillFileSystem(folder))
            return "could not fill the disk";
        if (ini::WritePrivateProfileString("zarvello", std::string("UseProxy"), std::string("true"), file))
            return "the write on a full disk answered success";
        if (ini::readFile(file) != before)
            return "Options.ini now holds \"" + ini::readFile(file) + "\"";
        return {};
    });
    if (!answer)
        GTEST_SKIP() << "this system does not let the tests mount a tmpfs";
    EXPECT_EQ(*answer, "");
}

} // namespace
