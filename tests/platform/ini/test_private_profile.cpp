#include "platform/ini/PrivateProfile.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace
