// Whole check runs of the main window against a search engine on loopback:
// what is asked, how often and how fast, what ends up in the list, and what
// the user can and cannot do meanwhile.

#include "app/MainUnit.h"
#include "app/ProgressUnit.h"
#include "app/SiteListView.h"
#include "foundation/MyOptions.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/QtText.h"
#include "platform/shell/Desktop.h"
#include "platform/shell/MessageBox.h"
#include "tests/support/FakeSearchEngine.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>

namespace {

using namespace std::chrono_literals;
using zvotest::EngineAnswer;
using Clock = std::chrono::steady_clock;

// The texts a label shows, in the order they were painted.
struct StatusRecorder : QObject
{
    std::vector<std::string> texts;
    QLabel *watched = nullptr;
    void watch(QLabel *label)
    {
        if (label == watched)
            return;
        watched = label;
        label->installEventFilter(this);
    }
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const std::string text = rtl::FromQString(static_cast<QLabel *>(object)->text());
            if (texts.empty() || texts.back() != text)
                texts.push_back(text);
        }
        return false;
    }
};

class DriverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(m_engine.isRunning());
        shell::setProgramFolder(m_folder.path());
        shell::setWorkArea(rtl::Rect(0, 0, 1280, 1000));
        shell::setScreenSize(rtl::TSize{1280, 1024});
        rtl::setFormatSeparators(',', '.');
        QFile::remove(m_folder.file("Domain-Data.txt"));
        // No splash window: every test starts the window and goes on at once.
        const std::string section =
            QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
        write("Options.ini", "[" + section + "]\r\nShowSplashScreen=false\r\n");
    }

    void TearDown() override
    {
        m_form.reset();
        shell::setProgramFolder(QString());
        shell::setWorkArea(std::nullopt);
        shell::setScreenSize(std::nullopt);
        rtl::setFormatSeparators(0, 0);
    }

    void write(const char *name, const std::string &bytes)
    {
        ASSERT_TRUE(zvotest::writeFile(m_folder.file(QString::fromLatin1(name)), bytes));
    }

    // An engine table of `engines` engines on the fake engine and a list of
    // sites, each with the counts given (all "0" when none are).
    TMainForm &start(int engines, const std::string &domainData, int connections)
    {
        std::string table;
        for (int i = 1; i <= engines; ++i)
            table += "Engine " + std::to_string(i) + ":" + m_engine.queryUrl(i) + "\r\n";
        write("ZVO-SearchEngines.txt", table);
        write("Domain-Data.txt", domainData);
        m_form = std::make_unique<TMainForm>();
        EXPECT_TRUE(m_form->FormCreate());
        ConcurrentConnectionCount = connections;
        ProgressWindowX = -1;
        ProgressWindowY = -1;
        return *m_form;
    }

    // Presses the button and returns when the run it starts is over; the
    // observer sees the progress window every few milliseconds meanwhile.
    Clock::duration run(QPushButton *button, std::function<void(TMyProgressForm &)> observer = {})
    {
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto *progress = m_form->findChild<TMyProgressForm *>(); progress && observer)
                observer(*progress);
        });
        poll.start();
        const Clock::time_point begin = Clock::now();
        EXPECT_TRUE(button->isEnabled());
        button->click();
        return Clock::now() - begin;
    }

    // The sub-item of the row with this caption (0 the total, i engine i).
    std::string cell(const std::string &domain, int subItem) const
    {
        for (int row = 0; row < m_form->ListView1->topLevelItemCount(); ++row) {
            if (m_form->RowCaption(row) == domain)
                return m_form->RowSubItem(row, subItem);
        }
        return "<no row>";
    }

    std::vector<std::string> captions() const
    {
        std::vector<std::string> out;
        for (int row = 0; row < m_form->ListView1->topLevelItemCount(); ++row)
            out.push_back(m_form->RowCaption(row));
        return out;
    }

    void expectIdle(TMainForm &form)
    {
        EXPECT_FALSE(form.Busy);
        EXPECT_EQ(form.UpdateAllButton->isEnabled(), form.ListView1->topLevelItemCount() > 0);
        EXPECT_TRUE(form.ListView1->isEnabled());
        EXPECT_TRUE(form.AddWebSiteButton->isEnabled());
        EXPECT_EQ(form.findChild<TMyProgressForm *>(), nullptr);
        EXPECT_EQ(form.HighlightRow, -1);
        EXPECT_EQ(form.HighlightColumn, -1);
    }

    static std::vector<Clock::time_point> arrivals(const std::vector<zvotest::EngineRequest> &requests)
    {
        std::vector<Clock::time_point> out;
        for (const zvotest::EngineRequest &r : requests)
            out.push_back(r.arrival);
        std::sort(out.begin(), out.end());
        return out;
    }

    zvotest::ProgramFolder m_folder;
    zvotest::FakeSearchEngine m_engine;
    shell::RecordingMessageBoxes m_boxes;
    std::unique_ptr<TMainForm> m_form;
};

TEST(CheckStatusText, ZeroOneAndManyForms)
{
    EXPECT_EQ(TMainForm::CheckStatusText(10, 3), "10 Zarvellos left  (3 concurrent connections)");
    EXPECT_EQ(TMainForm::CheckStatusText(1, 1), "one Zarvello left  (one connection)");
    EXPECT_EQ(TMainForm::CheckStatusText(0, 0), "no Zarvellos left  (no connections)");
    EXPECT_EQ(TMainForm::CheckStatusText(2, 0), "2 Zarvellos left  (no connections)");
    EXPECT_EQ(TMainForm::RemainingConnectionsText(0), "no connections remaining");
    EXPECT_EQ(TMainForm::RemainingConnectionsText(1), "one connection remaining");
    EXPECT_EQ(TMainForm::RemainingConnectionsText(12), "12 concurrent connections remaining");
}

TEST_F(DriverTest, UpdateAllAsksEachSiteOfEachEngineOnceAndWritesWhatWasServed)
{
    // Answers that take a while, so that the connections in flight overlap.
    const auto slow = 450ms;
    m_engine.setAnswer("small.example", 1, EngineAnswer::withCount(7).after(slow));
    m_engine.setAnswer("small.example", 2, EngineAnswer::withCount(0).after(slow));
    m_engine.setAnswer("small.example", 3, EngineAnswer::noCount().after(slow));
    m_engine.setAnswer("big.example", 1, EngineAnswer::withCount(2000000000).after(slow));
    m_engine.setAnswer("big.example", 2, EngineAnswer::withCount(2147483647).after(slow));
    m_engine.setAnswer("big.example", 3, EngineAnswer::withCount(1234567).after(slow));
    // The big site is listed first; the run sorts it last.
    TMainForm &form = start(3, "Big.Example\t5\t1\t2\t2\r\nsmall.example\t9\t3\t3\t3\r\n", 2);
    ASSERT_EQ(captions(), (std::vector<std::string>{"Big.Example", "small.example"}));

    int maxBar = -1;
    bool disabledMeanwhile = true;
    run(form.UpdateAllButton, [&](TMyProgressForm &progress) {
        maxBar = std::max(maxBar, progress.ProgressMax());
        disabledMeanwhile = disabledMeanwhile && !form.UpdateAllButton->isEnabled() && !form.ListView1->isEnabled();
    });

    const std::vector<zvotest::EngineRequest> requests = m_engine.requests();
    ASSERT_EQ(requests.size(), 6u);
    std::map<std::pair<std::string, int>, int> asked;
    for (const zvotest::EngineRequest &r : requests)
        ++asked[{r.domain, r.engine}];
    for (const char *domain : {"big.example", "small.example"}) {
        for (int engine = 1; engine <= 3; ++engine)
            EXPECT_EQ((asked[{domain, engine}]), 1) << domain << " " << engine;
    }
    EXPECT_EQ(maxBar, 6);
    EXPECT_TRUE(disabledMeanwhile);

    // A page without a count counts as 0; totals go past 32 bits.
    EXPECT_EQ(cell("small.example", 1), "7");
    EXPECT_EQ(cell("small.example", 2), "0");
    EXPECT_EQ(cell("small.example", 3), "0");
    EXPECT_EQ(cell("small.example", 0), "7");
    EXPECT_EQ(cell("Big.Example", 1), "2,000,000,000");
    EXPECT_EQ(cell("Big.Example", 2), "2,147,483,647");
    EXPECT_EQ(cell("Big.Example", 3), "1,234,567");
    EXPECT_EQ(cell("Big.Example", 0), "4,148,718,214");
    EXPECT_EQ(captions(), (std::vector<std::string>{"small.example", "Big.Example"}));
    expectIdle(form);

    // Never more than two in flight: every answer took `slow`, so a request
    // that arrived less than that after another overlapped with it.
    const std::vector<Clock::time_point> at = arrivals(requests);
    for (size_t k = 1; k < at.size(); ++k) {
        EXPECT_GT(at[k] - at[k - 1], 250ms) << "start " << k;
        size_t overlapping = 0;
        for (size_t j = 0; j < k; ++j)
            overlapping += at[j] + slow > at[k] ? 1 : 0;
        EXPECT_LT(overlapping, 2u) << "start " << k;
    }

    // What the list shows is what the file keeps.
    form.close();
    const std::string saved = zvotest::readFile(m_folder.file("Domain-Data.txt"));
    EXPECT_EQ(saved, "small.example\t7\t7\t0\t0\r\nBig.Example\t4,148,718,214\t2,000,000,000\t2,147,483,647\t1,234,567\r\n");
}

TEST_F(DriverTest, OneConnectionAsksStrictlyOneAfterAnother)
{
    const auto slow = 300ms;
    m_engine.setDefaultAnswer(EngineAnswer::withCount(11).after(slow));
    TMainForm &form = start(2, "a.example\t0\t0\t0\r\nb.example\t0\t0\t0\r\n", 1);
    run(form.UpdateAllButton);
    std::vector<Clock::time_point> at = arrivals(m_engine.requests());
    ASSERT_EQ(at.size(), 4u);
    for (size_t k = 1; k < at.size(); ++k)
        EXPECT_GE(at[k] - at[k - 1], slow) << "start " << k;
    EXPECT_EQ(cell("a.example", 0), "22");
    EXPECT_EQ(cell("b.example", 0), "22");

    // A hand-edited count of no connections still checks, one at a time,
    // and the stored value is left as it was.
    m_engine.clearRequests();
    m_engine.setDefaultAnswer(EngineAnswer::withCount(3).after(slow));
    ConcurrentConnectionCount = 0;
    run(form.UpdateAllButton);
    at = arrivals(m_engine.requests());
    ASSERT_EQ(at.size(), 4u);
    for (size_t k = 1; k < at.size(); ++k)
        EXPECT_GE(at[k] - at[k - 1], slow) << "start " << k;
    EXPECT_EQ(cell("b.example", 0), "6");
    EXPECT_EQ(ConcurrentConnectionCount, 0);
}

TEST_F(DriverTest, UpdateSelectedAsksOnlyForTheSelectedSite)
{
    m_engine.setDefaultAnswer(EngineAnswer::withCount(1000));
    TMainForm &form = start(2, "a.example\t1\t1\t0\r\nb.example\t2\t1\t1\r\nc.example\t3\t2\t1\r\n", 8);
    form.ListView1->topLevelItem(1)->setSelected(true);
    form.ListView1->setCurrentItem(form.ListView1->topLevelItem(1));
    run(form.UpdateSelectedButton);

    const std::vector<zvotest::EngineRequest> requests = m_engine.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const zvotest::EngineRequest &r : requests)
        EXPECT_EQ(r.domain, "b.example");
    EXPECT_EQ(cell("b.example", 0), "2,000");
    EXPECT_EQ(cell("a.example", 0), "1");
    EXPECT_EQ(cell("c.example", 0), "3");
    EXPECT_EQ(captions().back(), "b.example");
    expectIdle(form);
}

TEST_F(DriverTest, CancelByButtonEscapeOrEnterStopsAtOnceAndKeepsWhatArrived)
{
    const std::function<void(TMyProgressForm &)> presses[] = {
        [](TMyProgressForm &p) { p.CancelButton->click(); },
        [](TMyProgressForm &p) { QTest::keyClick(&p, Qt::Key_Escape); },
        [](TMyProgressForm &p) { QTest::keyClick(&p, Qt::Key_Return); },
    };
    // Engine 1 answers, engine 2 never does, engine 3 is never reached.
    m_engine.setAnswer("a.example", 1, EngineAnswer::withCount(5));
    m_engine.setAnswer("a.example", 2, EngineAnswer::hang());
    m_engine.setAnswer("a.example", 3, EngineAnswer::withCount(9));
    TMainForm &form = start(3, "a.example\t300\t100\t100\t100\r\n", 8);

    for (const auto &press : presses) {
        m_engine.clearRequests();
        QTreeWidgetItem *row = form.ListView1->topLevelItem(0);
        for (int c = 1; c <= 4; ++c)
            row->setText(c, c == 1 ? QStringLiteral("300") : QStringLiteral("100"));
        StatusRecorder statuses;
        bool pressed = false;
        const Clock::duration took = run(form.UpdateAllButton, [&](TMyProgressForm &progress) {
            statuses.watch(progress.StatusLabel);
            // Once the first count is in and the second query hangs.
            if (!pressed && m_engine.requests().size() == 2 && cell("a.example", 1) == "5") {
                pressed = true;
                press(progress);
                EXPECT_TRUE(progress.IsCancelled());
                EXPECT_FALSE(progress.CancelButton->isEnabled());
            }
        });
        EXPECT_TRUE(pressed);
        EXPECT_LT(took, 5s);
        // Nothing more is asked once the run is over.
        QTest::qWait(400);
        EXPECT_EQ(m_engine.requests().size(), 2u);
        EXPECT_EQ(cell("a.example", 1), "5");
        EXPECT_EQ(cell("a.example", 2), "100");
        EXPECT_EQ(cell("a.example", 3), "100");
        EXPECT_EQ(cell("a.example", 0), "205");
        // The hanging query is given up in the open.
        const std::vector<std::string> tail(statuses.texts.end() - std::min<size_t>(3, statuses.texts.size()),
                                            statuses.texts.end());
        EXPECT_EQ(tail, (std::vector<std::string>{"Canceling connections...", "one connection remaining",
                                                  "no connections remaining"}));
        expectIdle(form);
    }
}

TEST_F(DriverTest, FailedQueriesLeaveTheirCellsAndTheRunGoesOn)
{
    // A hanging engine, one that reports more than 32 bits can hold, and one
    // that answers.
    m_engine.setAnswer("a.example", 1, EngineAnswer::hang());
    m_engine.setAnswer("a.example", 2, EngineAnswer::withCount(5000000000LL));
    m_engine.setAnswer("a.example", 3, EngineAnswer::withCount(40));
    TMainForm &form = start(3, "a.example\t111\t77\t33\t1\r\n", 8);
    std::atomic<uint64_t> offset{0};
    form.CheckClock = [&offset] {
        return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count()) +
               offset.load();
    };

    Clock::time_point hangLeft{};
    bool heldAtLimit = false;
    const Clock::duration took = run(form.UpdateAllButton, [&](TMyProgressForm &progress) {
        if (hangLeft == Clock::time_point{}) {
            if (m_engine.requests().size() == 3 && progress.ProgressPosition() == 2)
                hangLeft = Clock::now();
        } else if (!heldAtLimit && Clock::now() - hangLeft > 500ms) {
            // Still waited for: far from the limit, nothing is given up...
            heldAtLimit = true;
            EXPECT_EQ(progress.ProgressPosition(), 2);
            EXPECT_EQ(progress.ProgressMax(), 3);
            // ...but past it, it is.
            offset = 91000;
        }
    });
    EXPECT_TRUE(heldAtLimit);
    EXPECT_LT(took, 15s);
    EXPECT_EQ(m_engine.requests().size(), 3u);
    EXPECT_EQ(cell("a.example", 1), "77");
    EXPECT_EQ(cell("a.example", 2), "33");
    EXPECT_EQ(cell("a.example", 3), "40");
    EXPECT_EQ(cell("a.example", 0), "150");
    expectIdle(form);
}

TEST_F(DriverTest, ProgressWindowBlocksTheProgramAndRemembersWhereItWas)
{
    m_engine.setDefaultAnswer(EngineAnswer::withCount(1).after(200ms));
    TMainForm &form = start(2, "a.example\t0\t0\t0\r\n", 8);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }, 2000));
    ProgressWindowX = 100;
    ProgressWindowY = 120;

    bool checked = false;
    bool closeRefused = true;
    run(form.UpdateAllButton, [&](TMyProgressForm &progress) {
        if (checked)
            return;
        checked = true;
        EXPECT_TRUE(progress.isVisible());
        EXPECT_EQ(progress.windowTitle(), QStringLiteral("Zarvello"));
        EXPECT_EQ(progress.windowModality(), Qt::ApplicationModal);
        EXPECT_FALSE(progress.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(progress.pos(), QPoint(100, 120));
        EXPECT_EQ(QApplication::activeModalWidget(), &progress);
        // Closing the main window under a run is refused, and so is a close
        // of the progress window, which has no close box.
        closeRefused = !form.close() && form.isVisible() && !progress.close() && progress.isVisible();
        progress.move(200, 210);
    });
    EXPECT_TRUE(checked);
    EXPECT_TRUE(closeRefused);
    EXPECT_EQ(ProgressWindowX, 200);
    EXPECT_EQ(ProgressWindowY, 210);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }, 2000));
    expectIdle(form);
}

TEST_F(DriverTest, RunsWithoutWorkEndAtOnce)
{
    // A row without a name (hand-edited file) is passed over; the others
    // are still checked.
    m_engine.setDefaultAnswer(EngineAnswer::withCount(4));
    TMainForm &form = start(2, "\t0\t0\t0\r\nb.example\t0\t0\t0\r\n", 8);
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 2);
    run(form.UpdateAllButton);
    EXPECT_EQ(m_engine.requests().size(), 2u);
    EXPECT_EQ(cell("b.example", 0), "8");
    expectIdle(form);

    m_engine.clearRequests();
    form.ListView1->clear();
    const Clock::time_point begin = Clock::now();
    form.UpdateLinkPopularity(std::string());
    EXPECT_LT(Clock::now() - begin, 2s);
    EXPECT_EQ(m_engine.requests().size(), 0u);
    expectIdle(form);
}

TEST(ProgressForm, LayoutTextsAndCancelOnlyOnce)
{
    QWidget owner;
    TMyProgressForm progress(&owner);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Progress"));
    EXPECT_EQ(progress.size(), QSize(TMyProgressForm::ClientWidth, TMyProgressForm::ClientHeight));
    EXPECT_EQ(progress.StatusHeaderLabel->text(), QStringLiteral("Status:"));
    EXPECT_TRUE(progress.StatusHeaderLabel->font().bold());
    EXPECT_EQ(progress.StatusLabel->text(), QStringLiteral("Doing something..."));
    EXPECT_EQ(progress.StatusLabel->width(), 346);
    EXPECT_EQ(progress.ProgressBar1->size(), QSize(300, 16));
    EXPECT_EQ(progress.CancelButton->text(), QStringLiteral("&Cancel"));
    EXPECT_TRUE(progress.CancelButton->isDefault());
    EXPECT_GT(progress.CancelButton->x(), progress.ProgressBar1->geometry().right());
    for (QWidget *w : progress.findChildren<QWidget *>())
        EXPECT_TRUE(progress.rect().contains(w->geometry())) << w->objectName().toStdString();

    progress.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));
    EXPECT_EQ(progress.focusWidget(), progress.CancelButton);

    // The status line repaints at once on a change and not on the same text.
    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            paints += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    progress.StatusLabel->installEventFilter(&counter);
    progress.SetStatus("Checking link popularity...");
    EXPECT_EQ(counter.paints, 1);
    progress.SetStatus("Checking link popularity...");
    EXPECT_EQ(counter.paints, 1);

    // The bar keeps within its range, and an empty range shows no progress.
    progress.SetProgressRange(0, 3);
    progress.StepProgress(1, true);
    progress.StepProgress(5, true);
    EXPECT_EQ(progress.ProgressPosition(), 3);
    progress.SetProgressPosition(0);
    progress.SetProgressRange(0, 0);
    EXPECT_NE(progress.ProgressBar1->maximum(), progress.ProgressBar1->minimum());
    EXPECT_EQ(progress.ProgressBar1->value(), 0);

    // Escape cancels without closing; the second press has nothing to press.
    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_TRUE(progress.isVisible());
    EXPECT_FALSE(progress.CancelButton->isEnabled());
}

} // namespace
