// The program's life beyond its own window: one program per folder.

#include "app/Application.h"
#include "app/ProgramInstance.h"
#include "app/SiteListView.h"
#include "tests/app/MainFormFixture.h"

#include <QApplication>
#include <QLockFile>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace app;

namespace {

TEST(ProgramInstanceTest, ASecondStartOnAFolderIsRefusedAndRaisesTheFirstUntilTheFirstHasGone)
{
    QTemporaryDir folder;
    QTemporaryDir other;
    ASSERT_TRUE(folder.isValid() && other.isValid());
    auto first = std::make_unique<ProgramInstance>(folder.path());
    ASSERT_TRUE(first->claim());
    int raised = 0;
    QObject::connect(first.get(), &ProgramInstance::raiseRequested, [&raised] { ++raised; });

    ProgramInstance second(folder.path());
    EXPECT_FALSE(second.claim());
    // The same folder by another way to it.
    const QString link = other.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(folder.path(), link));
    EXPECT_FALSE(ProgramInstance(link + QStringLiteral("/")).claim());

    EXPECT_TRUE(second.askToRaise());
    EXPECT_TRUE(QTest::qWaitFor([&raised] { return raised == 1; }, 5000));

    // Another folder runs a program of its own.
    ProgramInstance elsewhere(other.path());
    EXPECT_TRUE(elsewhere.claim());

    first.reset();
    EXPECT_FALSE(second.askToRaise(200));
    EXPECT_TRUE(second.claim());
}

// A lock is only ever held by a running program: one left by a program that
// ended without tidying up, or one that says nothing of its owner, would
// otherwise keep the folder closed for good.
TEST(ProgramInstanceTest, ALockNoRunningProgramHoldsIsTakenOver)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // The lock a program writes, with the number of one that has ended.
    QLockFile probe(folder.filePath(QStringLiteral("probe.lock")));
    ASSERT_TRUE(probe.tryLock(0));
    const QByteArray owned =
        QByteArray::fromStdString(zvotest::readFile(folder.filePath(QStringLiteral("probe.lock"))));
    probe.unlock();
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    const QByteArray orphaned = QByteArray::number(ended) + owned.mid(owned.indexOf('\n'));

    const struct
    {
        const char *name;
        std::string content;
    } cases[] = {
        {"owner ended", orphaned.toStdString()},
        {"empty", ""},
        {"not a lock", "\x89PNG\r\n"},
    };
    const QString lock = ProgramInstance::lockFileName(folder.path());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(zvotest::writeFile(lock, c.content));
        ProgramInstance instance(folder.path());
        EXPECT_TRUE(instance.claim());
        EXPECT_TRUE(ProgramInstance(folder.path()).askToRaise());
        EXPECT_FALSE(ProgramInstance(folder.path()).claim());
    }
}

using ProgramLifeTest = MainFormTest;

TEST_F(ProgramLifeTest, ASecondStartSaysTheFolderIsInUseRaisesTheFirstAndEnds)
{
    write("Domain-Data.txt", SortedRows);
    ProgramInstance first(m_folder.path());
    ASSERT_TRUE(first.claim());
    int raised = 0;
    QObject::connect(&first, &ProgramInstance::raiseRequested, [&raised] { ++raised; });

    EXPECT_EQ(RunZarvello(*qApp), 0);
    ASSERT_EQ(m_boxes.requests().size(), 1u);
    EXPECT_EQ(m_boxes.requests()[0].text,
              QStringLiteral("Zarvello is already running from the folder \"%1\".").arg(m_folder.path()));
    EXPECT_EQ(m_boxes.requests()[0].icon, shell::MessageIcon::Information);
    EXPECT_TRUE(QTest::qWaitFor([&raised] { return raised == 1; }, 5000));
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
}

} // namespace
