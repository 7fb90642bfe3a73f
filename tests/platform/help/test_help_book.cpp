// The help book's text files and where help paths point.

#include "platform/help/HelpBook.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace help {
namespace {

TEST(HelpBookFiles, ParsersReadNestingDuplicatesAndMultiLineTexts)
{
    const auto contents =
        parseContents("; comment\r\nUsing it\n  Main|Main.htm\n    Deep | Deep.htm \r\nBack|Back.htm");
    ASSERT_EQ(contents.size(), 4u);
    EXPECT_TRUE(contents[0].page.isEmpty()); // a heading without a page
    EXPECT_EQ(contents[2].level, 2);
    EXPECT_EQ(contents[2].page, QStringLiteral("Deep.htm"));
    EXPECT_EQ(contents[3].level, 0);

    const auto index = parseIndex("proxy|B.htm\r\nAbout|A.htm\r\nProxy|C.htm\r\nno page|\r\n|Empty.htm\r\n");
    ASSERT_EQ(index.size(), 3u);
    EXPECT_EQ(index[0].keyword, QStringLiteral("About"));
    EXPECT_EQ(index[1].page, QStringLiteral("B.htm")); // equal keywords keep file order
    EXPECT_EQ(index[2].page, QStringLiteral("C.htm"));

    const auto topics = parsePopupTopics("stray text\r\n.topic 10\r\nFirst line\r\nsecond line\r\n\r\n\r\n"
                                         ".topic x\nlost\n.topic 20\n\n\xC4rger\n");
    ASSERT_EQ(topics.size(), 2u);
    EXPECT_EQ(topics.at(10), QStringLiteral("First line\nsecond line"));
    EXPECT_EQ(topics.at(20), QString::fromUtf8("\xC3\x84rger")); // Windows-1252 read as such
}

TEST(HelpBookFiles, HelpPathsNameTheBookFolderAndPage)
{
    const auto plain = parseHelpPath(QStringLiteral("/opt/z/ZVO.chm"));
    EXPECT_EQ(plain.bookFolder, QStringLiteral("/opt/z/help"));
    EXPECT_TRUE(plain.page.isEmpty());
    const auto page = parseHelpPath(QStringLiteral("/opt/z/ZVO.chm::/Sub/Page.htm>main"));
    EXPECT_EQ(page.file, QStringLiteral("/opt/z/ZVO.chm"));
    EXPECT_EQ(page.page, QStringLiteral("Sub/Page.htm"));
}

TEST(HelpBookFiles, PagesStayInsideTheBook)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath(QStringLiteral("help"));
    const QString folder = dir.filePath(QStringLiteral("help"));
    ASSERT_TRUE(zvotest::writeFile(folder + "/Contents.txt", "Start|Start.htm\r\n"));
    ASSERT_TRUE(zvotest::writeFile(folder + "/Start.htm", "<html><title> The  Book </title></html>"));
    ASSERT_TRUE(zvotest::writeFile(dir.filePath(QStringLiteral("secret.htm")), "outside"));
    ASSERT_TRUE(zvotest::writeFile(folder + "/Pop.txt", ".topic 5\r\nFive\r\n"));

    const auto book = HelpBook::load(folder);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->title(), QStringLiteral("The Book"));
    EXPECT_EQ(book->defaultPage(), QStringLiteral("Start.htm"));
    EXPECT_FALSE(book->pageFile(QStringLiteral("Start.htm#part")).isEmpty());
    EXPECT_TRUE(book->pageFile(QStringLiteral("../secret.htm")).isEmpty());
    EXPECT_TRUE(book->pageFile(QStringLiteral("..\\secret.htm")).isEmpty());
    EXPECT_TRUE(book->pageFile(QStringLiteral("Missing.htm")).isEmpty());
    EXPECT_EQ(book->popupText(QStringLiteral("Pop.txt"), 5), QStringLiteral("Five"));
    EXPECT_TRUE(book->popupText(QStringLiteral("../Pop.txt"), 5).isEmpty());
    EXPECT_EQ(book->findKeyword(QStringLiteral("x")), -1);

    EXPECT_FALSE(HelpBook::load(dir.path())); // no contents: no book
}

// The book's own files with a pipe whose writer never writes, or a device
// without end, in their place: the book opens at once without them.
TEST(HelpBookFiles, PipesAndDevicesInTheBookHoldNothingUp)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path();
    ASSERT_TRUE(zvotest::writeFile(folder + "/Contents.txt", "Start|Start.htm\r\n"));
    ASSERT_TRUE(zvotest::writeFile(folder + "/Start.htm", "<html><title>Book</title></html>"));
    const std::string index = (folder + "/Index.txt").toStdString();
    ASSERT_EQ(::mkfifo(index.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", (folder + "/Context.txt").toStdString().c_str()), 0);
    ASSERT_EQ(::symlink("/dev/zero", (folder + "/Pop.txt").toStdString().c_str()), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(10);
        const int writer = ::open(index.c_str(), O_RDWR | O_CLOEXEC);
        const auto book = HelpBook::load(folder);
        ::close(writer);
        ::_exit(book && book->title() == QStringLiteral("Book") && book->findKeyword(QStringLiteral("x")) == -1 &&
                        book->popupText(QStringLiteral("Pop.txt"), 1).isEmpty()
                    ? 0
                    : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

} // namespace
} // namespace help
