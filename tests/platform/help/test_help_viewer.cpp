// The help viewer on the program's own help pages: contents, topics, the
// keyword index, context numbers, pop-ups and closing, reached through the
// two help entry points as the program reaches them.

#include "platform/help/HelpViewer.h"
#include "platform/help/HtmlHelp.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"

#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace help {
namespace {

// A program folder with a copy of the shipped help pages.
class HelpViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QDir source(QString::fromLocal8Bit(qgetenv("ZVO_SOURCE_DIR")) + "/data/help");
        ASSERT_TRUE(source.exists()) << source.path().toStdString();
        QDir(m_dir.path()).mkpath(QStringLiteral("help"));
        for (const QString &name : source.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(source.filePath(name), m_dir.filePath("help/" + name)));
        chm = m_dir.filePath(QStringLiteral("ZVO.chm"));
    }
    void TearDown() override
    {
        closeAllHelp();
        QApplication::processEvents();
    }
    HelpViewer *show(HtmlHelpCommand command, const QString &path, const HtmlHelpArg &arg = {})
    {
        return qobject_cast<HelpViewer *>(htmlHelp(nullptr, path, command, arg));
    }

    QTemporaryDir m_dir;
    QString chm;
};

TEST_F(HelpViewerTest, ContentsAndNamedTopicsShareOneWindow)
{
    HelpViewer *viewer = show(HtmlHelpCommand::DisplayToc, chm);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Zarvello Help"));
    EXPECT_EQ(viewer->navigation()->currentIndex(), 0);
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("Introduction.htm"));
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QStringLiteral("Welcome to Zarvello")));
    EXPECT_GT(viewer->contentsTree()->topLevelItemCount(), 0);

    HelpViewer *again = show(HtmlHelpCommand::DisplayTopic, chm + "::/TheOptionswindow.htm");
    EXPECT_EQ(again, viewer);
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("TheOptionswindow.htm"));
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QStringLiteral("Use Proxy Server")));
    ASSERT_NE(viewer->contentsTree()->currentItem(), nullptr);
    EXPECT_EQ(viewer->contentsTree()->currentItem()->text(0), QStringLiteral("The options window"));

    // A link in a page opens its page; one that leaves the book does not.
    emit viewer->browser()->anchorClicked(QUrl(QStringLiteral("Updates.htm")));
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("Updates.htm"));
    emit viewer->browser()->anchorClicked(QUrl(QStringLiteral("../ZVO.chm")));
    EXPECT_TRUE(viewer->currentPage().isEmpty());
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QStringLiteral("not part of this help")));
}

// The viewer opens inside the desktop's work area, centred in it: smaller
// than its usual size where the area is small, and never over a panel.
TEST_F(HelpViewerTest, TheViewerOpensWithinTheWorkArea)
{
    struct Case
    {
        rtl::TRect area;
        bool usualSize;
    };
    const Case cases[] = {{rtl::Bounds(0, 40, 1280, 960), true}, {rtl::Bounds(100, 30, 600, 400), false}};
    for (const Case &c : cases) {
        const shell::ScopedWorkArea workArea(c.area);
        HelpViewer *viewer = show(HtmlHelpCommand::DisplayToc, chm);
        ASSERT_NE(viewer, nullptr);
        const QRect area(c.area.Left, c.area.Top, c.area.Width(), c.area.Height());
        EXPECT_TRUE(area.contains(viewer->frameGeometry())) << c.area.Width();
        const QPoint offCentre = viewer->frameGeometry().center() - area.center();
        EXPECT_LE(offCentre.manhattanLength(), 2) << c.area.Width();
        EXPECT_EQ(viewer->size() == QSize(760, 520), c.usualSize) << c.area.Width();
        closeAllHelp();
        QApplication::processEvents();
    }
}

TEST_F(HelpViewerTest, KeywordIndexFindsTheFirstMatchingKeyword)
{
    HtmlHelpArg arg;
    arg.keyword = QStringLiteral("prox");
    HelpViewer *viewer = show(HtmlHelpCommand::DisplayIndex, chm, arg);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->navigation()->currentIndex(), 1);
    EXPECT_EQ(viewer->indexEdit()->text(), QStringLiteral("prox"));
    ASSERT_NE(viewer->indexList()->currentItem(), nullptr);
    EXPECT_EQ(viewer->indexList()->currentItem()->text(), QStringLiteral("Proxy server"));
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("TheOptionswindow.htm"));

    // Typing moves the selection; an unknown keyword keeps the page.
    viewer->indexEdit()->setText(QString());
    emit viewer->indexEdit()->textEdited(QStringLiteral("upd"));
    EXPECT_EQ(viewer->indexList()->currentItem()->text(), QStringLiteral("Update All"));
    arg.keyword = QStringLiteral("zzz");
    show(HtmlHelpCommand::DisplayIndex, chm, arg);
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("TheOptionswindow.htm"));

    HtmlHelpArg context;
    context.context = 1040;
    EXPECT_EQ(show(HtmlHelpCommand::HelpContext, chm, context), viewer);
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("Updates.htm"));
    context.context = 4711;
    EXPECT_EQ(show(HtmlHelpCommand::HelpContext, chm, context), nullptr);
}

TEST_F(HelpViewerTest, ClosingAllHelpClosesViewersAndPopups)
{
    QPointer<HelpViewer> viewer = show(HtmlHelpCommand::DisplayToc, chm);
    ASSERT_TRUE(viewer);
    HtmlHelpArg arg;
    arg.popup.stringId = 1022;
    QPointer<QWidget> popup = htmlHelp(nullptr, chm + "::/CSHelp.txt", HtmlHelpCommand::DisplayTextPopup, arg);
    ASSERT_TRUE(popup);

    EXPECT_EQ(htmlHelp(nullptr, QString(), HtmlHelpCommand::CloseAll, {}), nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(viewer);
    EXPECT_FALSE(popup);
    EXPECT_EQ(viewerFor(chm), nullptr);

    // The next request opens a fresh window.
    EXPECT_NE(show(HtmlHelpCommand::DisplayToc, chm), nullptr);
}

TEST_F(HelpViewerTest, PopupsShowTheTextOfTheirNumber)
{
    HtmlHelpArg arg;
    arg.popup.stringId = 1022;
    arg.popup.point = QPoint(40, 50);
    QWidget *popup = htmlHelp(nullptr, chm + "::/CSHelp.txt", HtmlHelpCommand::DisplayTextPopup, arg);
    ASSERT_NE(popup, nullptr);
    auto *label = popup->findChild<QLabel *>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("How many search engine queries")));
    EXPECT_EQ(popup->pos(), QPoint(40, 50));

    // A click anywhere dismisses it.
    QPointer<QWidget> second = popup;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(popup, &press);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(second);

    arg.popup.stringId = 999;
    popup = htmlHelp(nullptr, chm + "::/CSHelp.txt", HtmlHelpCommand::DisplayTextPopup, arg);
    EXPECT_EQ(popup->findChild<QLabel *>()->text(), QStringLiteral("No help topic is associated with this item."));
}

TEST_F(HelpViewerTest, ClassicHelpCommandsReachTheSameBook)
{
    EXPECT_TRUE(winHelp(nullptr, chm, HELP_FINDER));
    HelpViewer *viewer = viewerFor(chm);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("Introduction.htm"));

    EXPECT_TRUE(winHelp(nullptr, chm, HELP_COMMAND, HelpData(QStringLiteral("JumpID(\"\",\"TheFirststartwizard\")"))));
    EXPECT_EQ(viewer->currentPage(), QStringLiteral("TheFirststartwizard.htm"));

    EXPECT_TRUE(winHelp(nullptr, chm, HELP_SETPOPUP_POS, HelpData(QPoint(70, 80))));
    EXPECT_TRUE(winHelp(nullptr, chm, HELP_CONTEXTPOPUP, HelpData(int64_t(1021))));
    ASSERT_NE(currentPopup(), nullptr);
    EXPECT_EQ(currentPopup()->pos(), QPoint(70, 80));

    EXPECT_TRUE(winHelp(nullptr, chm, HELP_QUIT));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(viewerFor(chm), nullptr);
}

TEST_F(HelpViewerTest, AMissingBookIsReportedOnce)
{
    shell::RecordingMessageBoxes boxes;
    const QString missing = m_dir.filePath(QStringLiteral("elsewhere/ZVO.chm"));
    EXPECT_EQ(htmlHelp(nullptr, missing, HtmlHelpCommand::DisplayToc, {}), nullptr);
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_TRUE(boxes.requests()[0].text.contains(missing));
    EXPECT_EQ(viewerFor(missing), nullptr);
}

// A picture of a page with a pipe nobody writes in its place: the page shows
// at once, without the picture. Should the viewer wait at the pipe, a writer
// that comes and goes after ten seconds lets the test end and fail.
TEST_F(HelpViewerTest, APipeInAPicturesPlaceHoldsNothingUp)
{
    ASSERT_TRUE(zvotest::writeFile(m_dir.filePath(QStringLiteral("help/Pictured.htm")),
                                   "<html><body><p>Before</p><img src=\"pic.png\"><p>After</p></body></html>"));
    const std::string pipe = m_dir.filePath(QStringLiteral("help/pic.png")).toStdString();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::mutex mutex;
    std::condition_variable shown;
    bool done = false;
    std::thread rescue([&] {
        std::unique_lock lock(mutex);
        if (!shown.wait_for(lock, std::chrono::seconds(10), [&] { return done; }))
            ::close(::open(pipe.c_str(), O_RDWR | O_CLOEXEC));
    });
    const auto start = std::chrono::steady_clock::now();
    HelpViewer *viewer = show(HtmlHelpCommand::DisplayTopic, chm + "::/Pictured.htm");
    // The picture is asked for when the page is laid out.
    if (viewer)
        viewer->browser()->document()->size();
    const auto took = std::chrono::steady_clock::now() - start;
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    shown.notify_one();
    rescue.join();
    ASSERT_NE(viewer, nullptr);
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QStringLiteral("After")));
}

} // namespace
} // namespace help
