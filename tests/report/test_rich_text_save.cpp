// A rich text saved to a file goes through the program's one save: the
// special files of a user's folders neither swallow it nor get replaced.

#include "report/content/richtext/RichText.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

using namespace report;

namespace {

class RichTextSave : public ::testing::Test
{
protected:
    std::string path(const char *aName) const { return m_dir.filePath(QString::fromLatin1(aName)).toStdString(); }

    static mode_t modeOf(const std::string &aName)
    {
        struct stat info = {};
        return ::lstat(aName.c_str(), &info) == 0 ? info.st_mode : 0;
    }

    QTemporaryDir m_dir;
    TppRichText m_rich;
};

TEST_F(RichTextSave, LinksThatMustNotBeFollowedFailAndAPrivateFileStaysPrivate)
{
    m_rich.SetRichText(QStringLiteral("{\\rtf1 Quarterly figures}"));

    // A loop stays a loop.
    ASSERT_EQ(::symlink("loop", path("loop").c_str()), 0);
    EXPECT_FALSE(m_rich.SaveToFile(QString::fromStdString(path("loop"))));
    EXPECT_TRUE(S_ISLNK(modeOf(path("loop"))));

    // A private file is replaced, and stays private.
    const std::string mine = path("mine.rtf");
    std::ofstream(mine) << "earlier";
    ASSERT_EQ(::chmod(mine.c_str(), 0600), 0);
    ASSERT_TRUE(m_rich.SaveToFile(QString::fromStdString(mine)));
    EXPECT_EQ(modeOf(mine) & 07777, 0600u);
    TppRichText back;
    ASSERT_TRUE(back.LoadFromFile(QString::fromStdString(mine)));
    EXPECT_TRUE(back.PlainText().contains(QStringLiteral("Quarterly figures")));

    // A link another user planted in a shared sticky folder leads nowhere.
    const std::string victim = path("victim");
    std::ofstream(victim) << "the victim's own";
    ASSERT_EQ(::mkdir(path("shared").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path("shared").c_str(), 01777), 0);
    const std::string planted = path("shared/out.rtf");
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    if (::lchown(planted.c_str(), 65534, 65534) != 0)
        GTEST_SKIP() << "this system does not let the tests give a link to another user";
    EXPECT_FALSE(m_rich.SaveToFile(QString::fromStdString(planted)));
    EXPECT_TRUE(S_ISLNK(modeOf(planted)));
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(victim)), "the victim's own");
}

} // namespace
