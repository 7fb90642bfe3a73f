// The program's life beyond its own window: one program per folder, and the
// ways it is ended from outside (a signal, the end of the event loop), which
// must save as the window's own close does.

#include "app/Application.h"
#include "app/ProgramInstance.h"
#include "app/ProgressUnit.h"
#include "app/SiteListView.h"
#include "app/StartRefusal.h"
#include "app/TerminationSignals.h"
#include "foundation/MyOptions.h"
#include "platform/controls/ManualClock.h"
#include "platform/rtl/LocalNames.h"
#include "tests/app/MainFormFixture.h"
#include "tests/support/SystemMessage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <utility>

using namespace app;
using namespace foundation;

namespace {

using zvotest::EngineAnswer;

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

// A pipe nobody writes, or one whose writer never writes, at the lock's name
// says nothing of an owner: it is taken over at once (the child's alarm ends
// a wait), and so is a link.
TEST(ProgramInstanceTest, WhatIsNoLockAtTheLocksNameIsTakenOverAtOnce)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string lock = ProgramInstance::lockFileName(folder.path()).toStdString();
    for (const int kind : {0, 1, 2}) {
        SCOPED_TRACE(kind);
        ASSERT_EQ(kind == 2 ? ::symlink("/dev/zero", lock.c_str()) : ::mkfifo(lock.c_str(), 0600), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(10);
            const int writer = kind == 1 ? ::open(lock.c_str(), O_RDWR | O_CLOEXEC) : -1;
            ProgramInstance instance(folder.path());
            const bool claimed = instance.claim();
            if (writer >= 0)
                ::close(writer);
            ::_exit(claimed ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        ::unlink(lock.c_str());
    }
}

class ProgramLifeTest : public MainFormTest
{
protected:
    // Starts the program itself from the test's folder, offscreen.
    // A shell command before it (a ulimit) runs in the same process.
    void startProgram(QProcess &program, const QString &shellFirst = {}, bool writeOptions = true)
    {
        if (!QFileInfo::exists(m_folder.file("Domain-Data.txt")))
            write("Domain-Data.txt", SortedRows);
        if (writeOptions)
            write("Options.ini", "[zarvello]\r\nShowSplashScreen=false\r\n");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        if (shellFirst.isEmpty())
            program.start(m_folder.file(QStringLiteral("zarvello")), {});
        else
            program.start(QStringLiteral("/bin/sh"),
                          {QStringLiteral("-c"), shellFirst + QStringLiteral("; exec \"$0\""),
                           m_folder.file(QStringLiteral("zarvello"))});
        ASSERT_TRUE(program.waitForStarted(10000));
    }

    // Sends SIGTERM once the program's own handling is in place and waits
    // for its end; false when it did not end.
    bool terminate(QProcess &program)
    {
        const QString lock = ProgramInstance::lockFileName(m_folder.path());
        EXPECT_TRUE(QTest::qWaitFor([&lock] { return QFile::exists(lock); }, 20000));
        // A program that has ended already has no id, and a kill of id 0
        // would end the test's own process group.
        const qint64 pid = program.processId();
        if (pid <= 0)
            return false;
        ::kill(pid_t(pid), SIGTERM);
        if (program.waitForFinished(20000))
            return true;
        program.kill();
        program.waitForFinished(5000);
        return false;
    }

    // Waits, serving the event loop, until the window has closed.
    bool closedInTime(TMainForm &form)
    {
        return QTest::qWaitFor([&form] { return !form.isVisible(); }, 10000);
    }
};

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

// A kill, Ctrl+C in the terminal or a terminal that goes away: the site just
// added and the caption being edited in place are saved, and so are the
// settings.
TEST_F(ProgramLifeTest, ATerminationSignalClosesAsTheWindowDoes)
{
    for (const int signalNumber : TerminationSignals::Handled) {
        SCOPED_TRACE(signalNumber);
        write("Domain-Data.txt", SortedRows);
        QFile::remove(m_folder.file("Options.ini"));
        TMainForm &form = start();
        TerminationSignals signalled;
        QObject::connect(&signalled, &TerminationSignals::requested, &form, [&form] { form.CloseOnRequest(); });
        form.AddWebSite("new.example");
        form.SortSiteList();
        QTreeWidgetItem *big = form.ListView1->topLevelItem(3);
        ASSERT_EQ(big->text(0), QStringLiteral("big.example"));
        form.ListView1->setCurrentItem(big, 0);
        form.ListView1->editItem(big, 0);
        auto *editor = form.ListView1->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->setText(QStringLiteral("bigger.example"));

        ASSERT_EQ(std::raise(signalNumber), 0);
        EXPECT_TRUE(closedInTime(form));
        EXPECT_EQ(read("Domain-Data.txt"), "new.example\t0\t0\t0\t0\r\n"
                                           "bigger.example\t0\t0\t0\t0\r\n"
                                           "small.example\t7\t3\t2\t2\r\n"
                                           "middle.example\t1,200\t1,000\t100\t100\r\n");
        EXPECT_NE(read("Options.ini").find("MainWindowState=Normal"), std::string::npos);
        EXPECT_TRUE(m_boxes.requests().empty());
        m_form.reset();
    }
}

TEST_F(ProgramLifeTest, ATerminationSignalDuringACheckCancelsItFirstThenSaves)
{
    setEngines(2);
    m_engine.setAnswer("a.example", 1, EngineAnswer::withCount(5));
    m_engine.setAnswer("a.example", 2, EngineAnswer::hang());
    write("Domain-Data.txt", "a.example\t0\t0\t0\r\n");
    TMainForm &form = start();
    ConcurrentConnectionCount = 8;
    TerminationSignals signalled;
    QObject::connect(&signalled, &TerminationSignals::requested, &form, [&form] { form.CloseOnRequest(); });

    // Once the first count is in and the second query hangs.
    bool sent = false;
    bool cancelled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *progress = form.findChild<TMyProgressForm *>();
        if (!sent && progress && m_engine.requests().size() == 2 && form.RowSubItem(0, 1) == "5") {
            sent = true;
            std::raise(SIGTERM);
        }
        cancelled = cancelled || (progress && progress->IsCancelled());
    });
    watch.start(5);
    form.UpdateAllButton->click();
    EXPECT_TRUE(sent);
    EXPECT_TRUE(cancelled);
    // The run is over before the window goes.
    EXPECT_TRUE(closedInTime(form));
    EXPECT_EQ(read("Domain-Data.txt"), "a.example\t5\t5\t0\r\n");
    EXPECT_EQ(m_engine.requests().size(), 2u);
}

TEST_F(ProgramLifeTest, ATerminationSignalDuringTheStartUpEndsItOnceItIsDone)
{
    write("Domain-Data.txt", SortedRows);
    writeOptions("ShowSplashScreen=true\r\n");
    TerminationSignals signalled;
    bool sent = false;
    // The splash's minimum time passes on a clock of the test's, which sends
    // the signal at the first pause.
    controls::ManualClock clock;
    clock.onWait = [this, &signalled, &sent](int64_t) {
        if (std::exchange(sent, true))
            return;
        QObject::connect(&signalled, &TerminationSignals::requested, m_form.get(),
                         [this] { m_form->CloseOnRequest(); });
        std::raise(SIGTERM);
        QCoreApplication::processEvents();
    };
    TMainForm &form = start(false);
    EXPECT_TRUE(sent);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
    EXPECT_NE(read("Options.ini").find("MainWindowState=Normal"), std::string::npos);
}

// What the program says of a folder or a save names the folder as the
// system does and gives the system's own wording, whatever their script:
// the program's code page holds neither "Загрузки" nor Japanese.
TEST_F(ProgramLifeTest, MessagesGiveFolderNamesAndTheSystemsWordingWhole)
{
    EXPECT_EQ(AlreadyRunningText(QStringLiteral("/home/u/\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438/prog-\u00e9")),
              QStringLiteral("Zarvello is already running from the folder "
                             "\"/home/u/\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438/prog-\u00e9\"."));

    // The program's folder reached by a Cyrillic name; a row the site list's
    // character set cannot keep, so its save is refused; Options.ini a folder.
    QTemporaryDir links;
    ASSERT_TRUE(links.isValid());
    const QString named = links.filePath(QStringLiteral("\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438"));
    ASSERT_TRUE(QFile::link(m_folder.path(), named));
    shell::ScopedProgramFolder folder{named};
    const QString list = named + QStringLiteral("/Domain-Data.txt");
    write("Domain-Data.txt", SortedRows);
    const QString options = m_folder.file("Options.ini");

    // The system's words in Japanese, where the system has them.
    const std::string before = std::setlocale(LC_ALL, nullptr);
    const auto restore = qScopeGuard([&before] { std::setlocale(LC_ALL, before.c_str()); });
    std::setlocale(LC_ALL, "ja_JP.UTF-8");
    const QString isFolder = QString::fromUtf8(std::strerror(EISDIR));

    TMainForm &form = start();
    form.ListView1->topLevelItem(0)->setText(0, QStringLiteral("\u0436.example"));
    ASSERT_TRUE(QFile::remove(options) && QDir().mkdir(options));
    m_boxes.clear();
    m_boxes.script(shell::IDYES);
    form.close();
    ASSERT_EQ(m_boxes.requests().size(), 1u);
    const QString text = m_boxes.requests()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("The file \"%1\" could not be saved (Row 1 ").arg(list)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(
        QStringLiteral(").\r\nThe file \"%1/Options.ini\" could not be saved (%2).\r\n").arg(named, isFolder)))
        << text.toStdString();
    EXPECT_EQ(text.count(u'?'), 1) << text.toStdString(); // the question's own
    ASSERT_TRUE(QDir().rmdir(options));
}

// The event loop ends: a quit closes the window, which saves and may ask;
// an exit leaves it open, and what a close saves is saved all the same, with
// a failure told though the program can no longer stay.
TEST_F(ProgramLifeTest, AnEndingEventLoopSavesAsACloseWould)
{
    const QString options = m_folder.file("Options.ini");
    const struct
    {
        const char *name;
        std::function<void()> end;
        bool blocked;
        shell::MessageButtons asked;
    } cases[] = {
        {"quit", [] { QCoreApplication::quit(); }, false, {}},
        {"quit, blocked", [] { QCoreApplication::quit(); }, true, shell::MessageButtons::YesNo},
        {"exit", [] { QCoreApplication::exit(0); }, false, {}},
        {"exit, blocked", [] { QCoreApplication::exit(0); }, true, shell::MessageButtons::Ok},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        write("Domain-Data.txt", SortedRows);
        TMainForm &form = start();
        form.AddWebSite("new.example");
        if (c.blocked) {
            ASSERT_TRUE(QFile::remove(options) && QDir().mkdir(options));
        }
        m_boxes.clear();
        m_boxes.script(shell::IDYES);
        QTimer::singleShot(0, qApp, c.end);
        qApp->exec();
        EXPECT_FALSE(form.IsStarted());
        EXPECT_EQ(read("Domain-Data.txt"), SortedRows + "new.example\t0\t0\t0\t0\r\n");
        if (!c.blocked) {
            EXPECT_TRUE(m_boxes.requests().empty());
        } else {
            ASSERT_EQ(m_boxes.requests().size(), 1u);
            EXPECT_TRUE(m_boxes.requests()[0].text.startsWith(
                QStringLiteral("The file \"%1\" could not be saved (Is a directory).\r\n\r\n").arg(options)));
            EXPECT_EQ(m_boxes.requests()[0].buttons, c.asked);
            ASSERT_TRUE(QDir().rmdir(options));
        }
        m_form.reset();
    }
}

// The caught-signal mask of a process as /proc states it; 0 when unknown.
unsigned long long caughtSignals(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16);
    return 0;
}

// A second start waits at its box for an answer; nothing of it needs saving,
// so a kill ends it there and then.
TEST_F(ProgramLifeTest, ASecondStartWaitingAtItsBoxEndsAtATerminationSignal)
{
    ProgramInstance first(m_folder.path());
    ASSERT_TRUE(first.claim());
    QProcess second;
    ASSERT_NO_FATAL_FAILURE(startProgram(second));
    // The program's own handling is in place once it catches the signal.
    const qint64 pid = second.processId();
    EXPECT_TRUE(QTest::qWaitFor([pid] { return (caughtSignals(pid) >> (SIGTERM - 1)) & 1; }, 20000));
    ::kill(pid_t(pid), SIGTERM);
    const bool ended = second.waitForFinished(20000);
    if (!ended) {
        second.kill();
        second.waitForFinished(5000);
    }
    ASSERT_TRUE(ended) << "the second start still waits at its box";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
}

// The program itself, as a desktop or a terminal ends it.
TEST_F(ProgramLifeTest, TheProgramEndedBySigtermSavesItsSettings)
{
    QProcess program;
    ASSERT_NO_FATAL_FAILURE(startProgram(program));
    // The lock shows that the program's own handling is in place.
    const QString lock = ProgramInstance::lockFileName(m_folder.path());
    EXPECT_TRUE(QTest::qWaitFor([&lock] { return QFile::exists(lock); }, 20000));
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_NE(read("Options.ini").find("MainWindowState=Normal"), std::string::npos) << read("Options.ini");
    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
    EXPECT_FALSE(QFile::exists(lock));
}

// A kill cannot answer "Close Zarvello anyway?": the program ends as the
// close would, says on standard error what it could not save, and leaves
// that file as it was.
TEST_F(ProgramLifeTest, SigtermEndsTheProgramWithoutAskingWhenASaveFails)
{
    const QString options = m_folder.file("Options.ini");
    QFile::remove(options);
    ASSERT_TRUE(QDir().mkdir(options));
    QProcess program;
    ASSERT_NO_FATAL_FAILURE(startProgram(program, {}, false));
    ASSERT_TRUE(terminate(program)) << "the program waits for an answer";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(QFileInfo(options).isDir());
    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
    EXPECT_TRUE(program.readAllStandardError().contains(QStringLiteral("The file \"%1\" could not be saved (%2).\n")
                                                            .arg(options, zvotest::systemMessage(EISDIR))
                                                            .toLocal8Bit()));
}

// Pipes where the program expects files: a site list nobody writes into
// neither holds up the start nor the end, and standard error whose reader has
// gone makes the line about a failed save fail instead of ending the program
// by its signal halfway through the close.
TEST_F(ProgramLifeTest, PipesNobodyServesNeitherHoldUpNorKillTheProgram)
{
    const std::string list = m_folder.file("Domain-Data.txt").toStdString();
    ASSERT_EQ(::mkfifo(list.c_str(), 0600), 0);
    {
        QProcess program;
        ASSERT_NO_FATAL_FAILURE(startProgram(program));
        ASSERT_TRUE(terminate(program)) << "the program waits at the pipe";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        struct stat st
        {};
        EXPECT_TRUE(::lstat(list.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    }
    ASSERT_EQ(::unlink(list.c_str()), 0);

    const QString options = m_folder.file("Options.ini");
    QFile::remove(options);
    ASSERT_TRUE(QDir().mkdir(options));
    const std::string errors = m_folder.file("errors").toStdString();
    ASSERT_EQ(::mkfifo(errors.c_str(), 0600), 0);
    const int reader = ::open(errors.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    QProcess program;
    program.setStandardErrorFile(QString::fromStdString(errors));
    ASSERT_NO_FATAL_FAILURE(startProgram(program, {}, false));
    ::close(reader);
    ASSERT_TRUE(terminate(program)) << (program.exitStatus() == QProcess::CrashExit ? "ended by a signal"
                                                                                    : "did not end");
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(read("Domain-Data.txt"), SortedRows);
}

// Each file the program reads at its start, in turn a pipe nobody writes:
// the program ends by itself (without its engine table) or goes on with its
// window, a kill ends it either way, and the pipe stays.
TEST_F(ProgramLifeTest, EveryStartUpFileAsAPipeNobodyWritesLetsTheProgramGoOnOrEndAndSigtermEndIt)
{
    for (const char *name :
         {"ZVO-SearchEngines.txt", "Domain-Data.txt", "Options.ini", "ZVO-RowIcon.png", "ZVO-Logo.png", "about.gif"}) {
        SCOPED_TRACE(name);
        const QString file = m_folder.file(QString::fromLatin1(name));
        const std::string original = read(name);
        write("Domain-Data.txt", SortedRows);
        write("Options.ini", std::string("[zarvello]\r\nShowSplashScreen=") +
                                 (name == std::string("about.gif") ? "true" : "false") + "\r\n");
        ASSERT_TRUE(QFile::remove(file));
        ASSERT_EQ(::mkfifo(file.toStdString().c_str(), 0600), 0);
        QProcess program;
        ASSERT_NO_FATAL_FAILURE(startProgram(program, {}, false));
        if (name == std::string("ZVO-SearchEngines.txt")) {
            const bool ended = program.waitForFinished(20000);
            if (!ended) {
                program.kill();
                program.waitForFinished(5000);
                // The next start would take the killed one's lock for its own.
                QFile::remove(ProgramInstance::lockFileName(m_folder.path()));
            }
            EXPECT_TRUE(ended) << "the program waits at the engine table";
        } else {
            EXPECT_TRUE(terminate(program)) << "the program waits at the pipe";
        }
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        struct stat st
        {};
        EXPECT_TRUE(::lstat(file.toStdString().c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
        ASSERT_TRUE(QFile::remove(file));
        write(name, original);
    }
}

// An engine table that is no file ends the start without a box, as a table
// that cannot be read does, and standard error says which file and why.
TEST_F(ProgramLifeTest, AnEngineTableThatIsNoFileEndsTheStartWithOneLineSayingWhy)
{
    const QString table = m_folder.file(QStringLiteral("ZVO-SearchEngines.txt"));
    const std::string name = QFile::encodeName(table).toStdString();
    const std::string original = read("ZVO-SearchEngines.txt");
    for (const int kind : {0, 1, 2}) {
        SCOPED_TRACE(kind == 0 ? "a pipe" : kind == 1 ? "a folder" : "a device");
        ASSERT_TRUE(QFile::remove(table));
        int writer = -1;
        if (kind == 0) {
            ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
            writer = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
        } else if (kind == 1) {
            ASSERT_TRUE(QDir().mkdir(table));
        } else {
            ASSERT_EQ(::symlink("/dev/zero", name.c_str()), 0);
        }
        QProcess program;
        ASSERT_NO_FATAL_FAILURE(startProgram(program));
        const bool ended = program.waitForFinished(20000);
        if (!ended) {
            program.kill();
            program.waitForFinished(5000);
            QFile::remove(ProgramInstance::lockFileName(m_folder.path()));
        }
        EXPECT_TRUE(ended) << "the program waits, at a box or the table";
        EXPECT_EQ(program.exitCode(), 0);
        const QStringList said = QString::fromUtf8(program.readAllStandardError()).split(u'\n');
        EXPECT_TRUE(said.contains(QStringLiteral("Zarvello: \"%1\" is not a regular file").arg(table)))
            << said.join(u'\n').toStdString();
        if (writer >= 0)
            ::close(writer);
        if (kind == 1)
            QDir().rmdir(table);
        else
            ::unlink(name.c_str());
        write("ZVO-SearchEngines.txt", original);
    }
}

// A kill while the splash shows, at a first start, ends the program as the
// wizard's Exit would, rather than leaving the wizard to wait for the user.
TEST_F(ProgramLifeTest, ATerminationSignalDuringTheSplashEndsAFirstStart)
{
    write("Domain-Data.txt", "");
    write("Options.ini", "[zarvello]\r\nShowSplashScreen=true\r\n");
    QProcess program;
    ASSERT_NO_FATAL_FAILURE(startProgram(program, {}, false));
    EXPECT_TRUE(terminate(program)) << "the first-start wizard waits";
    EXPECT_EQ(program.exitCode(), 0);
}

// Copied into a folder whose name is not UTF-8, or renamed to such a name,
// the program would look for its files in the folder Qt's decoding names, or
// in "/", and save there: it says so in one line and ends before it reads or
// writes anything.
TEST_F(ProgramLifeTest, AProgramWhosePathIsNotUtf8IsRefusedAtOnce)
{
    QTemporaryDir root;
    const std::string base = QFile::encodeName(root.path()).toStdString();
    const std::string folder = base + "/x\xffy";
    const std::string lookalike = base + "/x\xef\xbf\xbdy";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(lookalike.c_str(), 0755), 0);
    const std::string program = QFile::encodeName(m_folder.file(QStringLiteral("zarvello"))).toStdString();
    const std::string table = QFile::encodeName(m_folder.file(QStringLiteral("ZVO-SearchEngines.txt"))).toStdString();
    ASSERT_EQ(std::system(("cp '" + program + "' '" + table + "' '" + folder + "/'").c_str()), 0);
    ASSERT_EQ(std::system(("cp '" + program + "' '" + lookalike + "/zarv\xe9llo'").c_str()), 0);
    ASSERT_TRUE(zvotest::writeFile(QFile::decodeName(QByteArray::fromStdString(lookalike)) + "/ZVO-SearchEngines.txt",
                                   "Other:http://127.0.0.1:1/?q=*\r\n"));
    for (const std::string &started : {folder + "/zarvello", lookalike + "/zarv\xe9llo"}) {
        SCOPED_TRACE(rtl::printableBytes(started));
        const std::string command =
            "cd '" + base + "' && QT_QPA_PLATFORM=offscreen timeout 20 '" + started + "' 2>'" + base + "/said.txt'";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        const std::string said = zvotest::readFile(root.filePath(QStringLiteral("said.txt")));
        EXPECT_EQ(said, "Zarvello: the program's path \"" + rtl::printableBytes(started) +
                            "\" is not UTF-8 text; move or rename the program to a name that is\n");
    }
    EXPECT_NE(rtl::printableBytes(folder).find("x\\xFFy"), std::string::npos);
    for (const std::string &dir : {folder, lookalike}) {
        DIR *listing = ::opendir(dir.c_str());
        ASSERT_TRUE(listing);
        int entries = 0;
        while (const dirent *entry = ::readdir(listing))
            entries += std::string_view(entry->d_name) != "." && std::string_view(entry->d_name) != "..";
        ::closedir(listing);
        EXPECT_EQ(entries, 2) << dir;
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/Domain-Data.txt")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/Options.ini")));
    // Qt cannot remove what it cannot name.
    for (const std::string &file :
         {folder + "/zarvello", folder + "/ZVO-SearchEngines.txt", lookalike + "/zarv\xe9llo"})
        ::unlink(file.c_str());
    ::rmdir(folder.c_str());
}

// A folder somebody else may write could hold a "qt.conf" or plug-ins of
// theirs, which Qt would load into the program of whoever starts it.
TEST(StartRefusal, AFolderOthersMayWriteIsRefused)
{
    QTemporaryDir root;
    const auto folder = [&](const char *name, mode_t mode) {
        const std::string path = QFile::encodeName(root.filePath(QString::fromLatin1(name))).toStdString();
        EXPECT_EQ(::mkdir(path.c_str(), 0700), 0);
        EXPECT_EQ(::chmod(path.c_str(), mode), 0);
        return path;
    };
    EXPECT_EQ(ProgramFolderRefusal(folder("own", 0755)), "");
    EXPECT_EQ(ProgramFolderRefusal(folder("private", 0700)), "");
    EXPECT_NE(ProgramFolderRefusal(folder("everyone", 0777)), "");
    EXPECT_NE(ProgramFolderRefusal(folder("sticky", 01777)), "");
    EXPECT_NE(ProgramFolderRefusal(folder("everyone-write-only", 0703)), "");
    if (::geteuid() == 0) {
        // Another user's sticky folder, and a group of several users.
        const std::string theirs = folder("theirs", 01755);
        ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
        EXPECT_NE(ProgramFolderRefusal(theirs), "");
        // Its owner may write it whatever its mode: not sticky, nor even
        // writable by its owner, it is as much theirs.
        for (const mode_t mode : {mode_t(0755), mode_t(0555)}) {
            const std::string owned = folder(mode == 0755 ? "theirs-plain" : "theirs-read-only", mode);
            ASSERT_EQ(::chown(owned.c_str(), 65534, 65534), 0);
            EXPECT_NE(ProgramFolderRefusal(owned), "") << std::oct << mode;
        }
        const std::string group = folder("group", 0775);
        ASSERT_EQ(::chown(group.c_str(), 0, 65534), 0);
        EXPECT_NE(ProgramFolderRefusal(group), "");
    }
}

// Started from a file manager nobody reads standard error: the refusal shows
// in a desktop program's window as well, found only where the system keeps
// its programs and only when nobody else may have written it.
TEST(StartRefusal, TheRefusalShowsInAWindowWhenNobodyReadsStandardError)
{
    QTemporaryDir root;
    const QString said = root.filePath(QStringLiteral("said.txt"));
    const std::string script = "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + said.toStdString() + "'\n";
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("system")));
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("planted")));
    ASSERT_TRUE(zvotest::writeFile(root.filePath(QStringLiteral("system/xmessage")), script));
    ASSERT_TRUE(zvotest::writeFile(root.filePath(QStringLiteral("planted/zenity")), script));
    ASSERT_EQ(::chmod(QFile::encodeName(root.filePath(QStringLiteral("system/xmessage"))).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(root.filePath(QStringLiteral("planted/zenity"))).constData(), 0777), 0);
    const std::vector<std::string> folders = {QFile::encodeName(root.filePath(QStringLiteral("planted"))).toStdString(),
                                              QFile::encodeName(root.filePath(QStringLiteral("system"))).toStdString()};

    const QByteArray display = qgetenv("DISPLAY");
    const auto restoreDisplay = qScopeGuard([&] {
        if (display.isNull())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", display);
    });
    // Standard error into a file, as a file manager's session log takes it.
    const std::string errors = QFile::encodeName(root.filePath(QStringLiteral("errors.txt"))).toStdString();
    const int saved = ::dup(STDERR_FILENO);
    const int log = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(log, 0);
    ::dup2(log, STDERR_FILENO);
    ::close(log);
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    const bool withoutDesktop = TellStartRefusal("no desktop", folders);
    qputenv("DISPLAY", ":99");
    const bool withDesktop = TellStartRefusal("the folder <b>is</b> shared", folders);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);

    EXPECT_FALSE(withoutDesktop);
    EXPECT_TRUE(withDesktop);
    EXPECT_EQ(zvotest::readFile(QString::fromStdString(errors)),
              "Zarvello: no desktop\nZarvello: the folder <b>is</b> shared\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(said).size() > 0; }, 10000));
    EXPECT_EQ(zvotest::readFile(said), "-center\nZarvello: the folder <b>is</b> shared\n");
}

// xmessage cuts a line that passes the edge of its window: a refusal with a
// long folder name reaches it in lines, every word of it there.
TEST(StartRefusal, ALongRefusalReachesTheMessageWindowWhole)
{
    QTemporaryDir root;
    const QString said = root.filePath(QStringLiteral("said.txt"));
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("system")));
    const QString xmessage = root.filePath(QStringLiteral("system/xmessage"));
    ASSERT_TRUE(zvotest::writeFile(xmessage, "#!/bin/sh\nprintf '%s' \"$2\" > '" + said.toStdString() + "'\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(xmessage).constData(), 0755), 0);
    const QByteArray display = qgetenv("DISPLAY");
    const auto restoreDisplay = qScopeGuard([&] {
        if (display.isNull())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", display);
    });
    qputenv("DISPLAY", ":99");
    const std::string errors = QFile::encodeName(root.filePath(QStringLiteral("errors.txt"))).toStdString();
    const int saved = ::dup(STDERR_FILENO);
    const int log = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(log, 0);
    ::dup2(log, STDERR_FILENO);
    ::close(log);
    const std::string folder = "/home/\xd0\xbc\xd0\xb0\xd1\x80\xd0\xb8\xd1\x8f/" + std::string(90, 'd') + "/bin";
    const std::string reason = "every user may write to the program's folder (\"" + folder +
                               "\"); move the program to a folder only its owner may write";
    const bool shown = TellStartRefusal(reason, {QFile::encodeName(root.filePath(QStringLiteral("system"))).toStdString()});
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ASSERT_TRUE(shown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(said).size() > 0; }, 10000));
    const QString text = QString::fromUtf8(QByteArray::fromStdString(zvotest::readFile(said)));
    const QStringList lines = text.split(u'\n');
    EXPECT_GT(lines.size(), 2) << text.toStdString();
    for (const QString &line : lines)
        EXPECT_LE(line.size(), 72) << line.toStdString();
    QString joined = text;
    joined.remove(u'\n').remove(u' ');
    QString expected = QString::fromUtf8(("Zarvello: " + reason).c_str());
    expected.remove(u' ');
    EXPECT_EQ(joined, expected);
}

// Whoever may write the program's folder could make Qt load their code: the
// program ends before Qt reads the planted "qt.conf" or looks at the planted
// plug-in folder, with one line saying why, and reads and writes nothing.
TEST_F(ProgramLifeTest, AProgramInAFolderOthersMayWriteIsRefusedBeforeQtStarts)
{
    QTemporaryDir root;
    const QString shared = root.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(shared + QStringLiteral("/platforms")));
    ASSERT_TRUE(QFile::copy(m_folder.file(QStringLiteral("zarvello")), shared + QStringLiteral("/zarvello")));
    ASSERT_TRUE(QFile::copy(m_folder.file(QStringLiteral("ZVO-SearchEngines.txt")),
                            shared + QStringLiteral("/ZVO-SearchEngines.txt")));
    ASSERT_TRUE(zvotest::writeFile(shared + QStringLiteral("/qt.conf"), "[Paths]\nPlugins=.\n"));
    ASSERT_TRUE(zvotest::writeFile(shared + QStringLiteral("/platforms/libqoffscreen.so"), "not a plug-in"));
    for (const mode_t mode : {mode_t(0777), mode_t(01777)}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), mode), 0);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        program.setProcessEnvironment(env);
        program.start(shared + QStringLiteral("/zarvello"), {});
        ASSERT_TRUE(program.waitForStarted(10000));
        if (!program.waitForFinished(20000)) {
            program.kill();
            program.waitForFinished(5000);
            ADD_FAILURE() << "the program started";
            continue;
        }
        EXPECT_EQ(program.exitCode(), 1);
        EXPECT_EQ(program.readAllStandardError().toStdString(),
                  "Zarvello: every user may write to the program's folder (\"" +
                      QFile::encodeName(QFileInfo(shared).canonicalFilePath()).toStdString() +
                      "\"); move the program to a folder only its owner may write\n");
        EXPECT_EQ(QDir(shared).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase),
                  (QStringList{QStringLiteral("qt.conf"), QStringLiteral("zarvello"),
                               QStringLiteral("ZVO-SearchEngines.txt")}));
    }
}

// A file-size limit smaller than the site list: the save fails and is told
// instead of the limit's signal killing the program halfway through its
// close.
TEST_F(ProgramLifeTest, UnderAFileSizeLimitSigtermEndsTheProgramAndKeepsItsList)
{
    std::string rows;
    for (int i = 10; i < 60; ++i)
        rows += "site" + std::to_string(i) + ".example\t0\t0\t0\t0\r\n";
    write("Domain-Data.txt", rows);
    QProcess program;
    // 512-byte blocks in the shell.
    ASSERT_NO_FATAL_FAILURE(startProgram(program, QStringLiteral("ulimit -f 1")));
    ASSERT_TRUE(terminate(program));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(read("Domain-Data.txt"), rows);
    EXPECT_TRUE(program.readAllStandardError().contains(
        QStringLiteral("The file \"%1\" could not be saved (%2).\n")
            .arg(m_folder.file("Domain-Data.txt"), zvotest::systemMessage(EFBIG))
            .toLocal8Bit()));
}

// A number the settings cannot hold, in the file and in the desktop's proxy
// variable: the program starts, and what it saves at a kill keeps every
// other key the user had.
TEST_F(ProgramLifeTest, ANumberOutOfRangeCostsOnlyItsOwnSetting)
{
    const std::string kept = "CheckForUpdatesInterval=Every Month\r\n"
                             "CheckForUpdatesLastDate=2026-11-30\r\n"
                             "ConcurrentConnectionCount=3\r\n"
                             "MainWindowState=Normal\r\n"
                             "ProgressWindowX=40\r\n"
                             "ProgressWindowY=50\r\n"
                             "ProxyKind=Socks5\r\n"
                             "ProxyPassword=Base64:" +
                             EncodeBase64Option(ScrambleText("secret")) +
                             "\r\n"
                             "ProxyPort=1080\r\n"
                             "ProxyServer=socks.lan\r\n"
                             "ProxyUsername=me\r\n"
                             "ShowSplashScreen=false\r\n"
                             "UseProxy=false\r\n";
    const struct
    {
        const char *name;
        std::string fileFirst;
        const char *desktopProxy;
    } cases[] = {
        {"in the file", "MainWindowX=99999999999\r\n", ""},
        {"in the desktop's proxy", "MainWindowX=12\r\n", "http://px.lan:99999999999/"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir config;
        ASSERT_TRUE(config.isValid());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // No stored system proxy setting stands before the desktop's.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("http_proxy"), QString::fromLatin1(c.desktopProxy));
        env.remove(QStringLiteral("HTTP_PROXY"));
        program.setProcessEnvironment(env);
        write("Domain-Data.txt", SortedRows);
        write("Options.ini", "[zarvello]\r\n" + c.fileFirst + kept);
        program.start(m_folder.file(QStringLiteral("zarvello")), {});
        ASSERT_TRUE(program.waitForStarted(10000));
        const QString lock = ProgramInstance::lockFileName(m_folder.path());
        EXPECT_TRUE(QTest::qWaitFor([&lock] { return QFile::exists(lock); }, 20000));
        ::kill(pid_t(program.processId()), SIGTERM);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitCode(), 0);

        // The window's bounds are the window's own at the close; the rest
        // is as it was.
        std::string saved;
        for (const QByteArray &line : QByteArray::fromStdString(read("Options.ini")).split('\n'))
            if (!line.isEmpty() && !line.startsWith("MainWindowX=") && !line.startsWith("MainWindowY=") &&
                !line.startsWith("MainWindowW=") && !line.startsWith("MainWindowH="))
                saved += line.toStdString() + "\n";
        EXPECT_EQ(saved, "[zarvello]\r\n" + kept);
        EXPECT_EQ(read("Options.ini").find("99999999999"), std::string::npos);
    }
}

} // namespace
