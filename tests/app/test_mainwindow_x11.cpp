// The program as a user runs it: the real executable from a copy of the
// program folder, on a display of its own under openbox, closed through the
// window manager as its close button does.

#include "tests/support/TestSupport.h"
#include "tests/support/X11Session.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>

namespace {

using namespace std::chrono_literals;

using Bounds = std::array<int, 4>;

class ProgramUnderWindowManager : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_desktop.isRunning()) << m_desktop.error().toStdString();
        ASSERT_TRUE(m_folder.isValid());
        write("ZVO-SearchEngines.txt", "Engine A:http://127.0.0.1:9/a?q=YOURDOMAIN.COM\r\n"
                                       "Engine B:http://127.0.0.1:9/b?q=YOURDOMAIN.COM\r\n");
        write("Domain-Data.txt", "one.example\t1\t1\t0\r\ntwo.example\t5\t3\t2\r\n");
    }

    void write(const char *name, const std::string &bytes)
    {
        ASSERT_TRUE(zvotest::writeFile(m_folder.file(QString::fromLatin1(name)), bytes));
    }

    void writeOptions(const std::string &lines, bool splash = false)
    {
        write("Options.ini", std::string("[zarvello]\r\nShowSplashScreen=") + (splash ? "true" : "false") +
                                 "\r\nCheckForUpdatesInterval=Never\r\n" + lines);
    }

    // MainWindowX, Y, W and H as stored; -2 for a value that is missing.
    Bounds storedBounds() const
    {
        const QString options = QString::fromLatin1(zvotest::readFile(m_folder.file(QStringLiteral("Options.ini"))));
        Bounds bounds{-2, -2, -2, -2};
        const char *names[] = {"X", "Y", "W", "H"};
        for (size_t i = 0; i < bounds.size(); ++i) {
            const QRegularExpression line(QStringLiteral("^MainWindow%1=(-?\\d+)\\r?$").arg(QLatin1String(names[i])),
                                          QRegularExpression::MultilineOption);
            if (const QRegularExpressionMatch m = line.match(options); m.hasMatch())
                bounds[i] = m.captured(1).toInt();
        }
        return bounds;
    }

    // Starts the program, waits for its framed window, closes that window and
    // waits for the program to end.
    void startAndClose()
    {
        QProcess program;
        program.setProcessEnvironment(m_desktop.environment());
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(m_folder.file(QStringLiteral("zarvello")), {});
        ASSERT_TRUE(program.waitForStarted(30000)) << program.errorString().toStdString();
        const QString window = m_desktop.waitForNormalWindow(program.processId(), 60s);
        if (window.isEmpty()) {
            program.kill();
            program.waitForFinished(5000);
            FAIL() << "no window: " << program.readAll().toStdString();
        }
        ASSERT_TRUE(m_desktop.closeWindow(window));
        if (!program.waitForFinished(60000)) {
            program.kill();
            program.waitForFinished(5000);
            FAIL() << "the program did not end after its window was closed";
        }
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAll().toStdString();
    }

    zvotest::X11Session m_desktop;
    zvotest::ProgramFolder m_folder;
};

TEST_F(ProgramUnderWindowManager, StartsAndClosesKeepTheStoredBounds)
{
    // The window manager's frame belongs to the stored bounds; a window that
    // placed its inside where its outside was stored grew by the frame at
    // every start.
    writeOptions("MainWindowX=100\r\nMainWindowY=80\r\nMainWindowW=700\r\nMainWindowH=500\r\n");
    for (int start = 1; start <= 2; ++start) {
        ASSERT_NO_FATAL_FAILURE(startAndClose());
        EXPECT_EQ(storedBounds(), (Bounds{100, 80, 700, 500})) << "start " << start;
    }
}

TEST_F(ProgramUnderWindowManager, FourStartsStoreTheBoundsOfTheFirst)
{
    // No bounds stored yet: the first start centres the window and fits its
    // height to the rows; the later ones must find it just so. The splash
    // window, shown by default, is framed before the main window is placed.
    for (const bool splash : {false, true}) {
        SCOPED_TRACE(splash ? "with the splash window" : "without the splash window");
        writeOptions("", splash);
        ASSERT_NO_FATAL_FAILURE(startAndClose());
        const Bounds first = storedBounds();
        EXPECT_GT(first[2], 0);
        EXPECT_GT(first[3], 0);
        for (int start = 2; start <= 4; ++start) {
            ASSERT_NO_FATAL_FAILURE(startAndClose());
            EXPECT_EQ(storedBounds(), first) << "start " << start;
        }
    }
}

} // namespace
