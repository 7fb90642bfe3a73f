// Whole check runs of the main window against a search engine on loopback:
// what is asked, how often and how fast, what ends up in the list, and what
// the user can and cannot do meanwhile.

#include "app/ProgressUnit.h"
#include "app/SiteListView.h"
#include "foundation/MyOptions.h"
#include "platform/controls/EventPump.h"
#include "tests/app/MainFormFixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>

using namespace app;
using namespace foundation;

namespace {

using namespace std::chrono_literals;
using zvotest::EngineAnswer;
using Clock = std::chrono::steady_clock;
using Observer = std::function<void(TMyProgressForm &)>;

// The texts a label showed, in the order they were painted.
struct StatusRecorder : QObject
{
    std::vector<std::string> texts;
    bool eventFilter(QObject *object, QEvent *event) override
    {
        // Other events reach the filter while QWidget takes the label down,
        // when it is a label no more.
        if (event->type() != QEvent::Paint)
            return false;
        const std::string text = rtl::FromQString(static_cast<QLabel *>(object)->text());
        if (texts.empty() || texts.back() != text)
            texts.push_back(text);
        return false;
    }
};

class DriverTest : public MainFormTest
{
protected:
    // The main window over `engines` engines on the fake engine and a list.
    TMainForm &start(int engines, const std::string &domainData, int connections)
    {
        setEngines(engines);
        write("Domain-Data.txt", domainData);
        MainFormTest::start();
        ConcurrentConnectionCount = connections;
        ProgressWindowX = ProgressWindowY = -1;
        return *m_form;
    }

    // Presses the button and returns when its run is over; the observer sees
    // the progress window every few milliseconds meanwhile.
    Clock::duration run(QPushButton *button, const Observer &observer = {})
    {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto *progress = m_form->findChild<TMyProgressForm *>(); progress && observer)
                observer(*progress);
        });
        poll.start(5);
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

    void expectIdle()
    {
        EXPECT_FALSE(m_form->Busy);
        EXPECT_EQ(m_form->UpdateAllButton->isEnabled(), m_form->ListView1->topLevelItemCount() > 0);
        EXPECT_TRUE(m_form->ListView1->isEnabled() && m_form->AddWebSiteButton->isEnabled());
        EXPECT_EQ(m_form->findChild<TMyProgressForm *>(), nullptr);
        EXPECT_EQ(m_form->HighlightRow, -1);
    }

    // The queries the workers sent themselves. A worker that is given up
    // just as its request fails may still try the hidden browser; that is
    // the worker's business, not a query the run started.
    size_t directQueries() const
    {
        const std::vector<zvotest::EngineRequest> all = m_engine.requests();
        return size_t(std::count_if(all.begin(), all.end(), [](const auto &r) { return r.fromWorker; }));
    }

    std::vector<Clock::time_point> arrivals() const
    {
        std::vector<Clock::time_point> out;
        for (const zvotest::EngineRequest &r : m_engine.requests())
            out.push_back(r.arrival);
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST(CheckStatusText, ZeroOneAndManyForms)
{
    EXPECT_EQ(TMainForm::CheckStatusText(10, 3), "10 Zarvellos left  (3 concurrent connections)");
    EXPECT_EQ(TMainForm::CheckStatusText(1, 1), "one Zarvello left  (one connection)");
    EXPECT_EQ(TMainForm::CheckStatusText(0, 0), "no Zarvellos left  (no connections)");
    EXPECT_EQ(TMainForm::RemainingConnectionsText(1), "one connection remaining");
    EXPECT_EQ(TMainForm::RemainingConnectionsText(12), "12 concurrent connections remaining");
}

TEST_F(DriverTest, UpdateAllAsksEachSiteOfEachEngineOnceAndWritesWhatWasServed)
{
    // Answers that take a while, so that the connections in flight overlap.
    const auto slow = 450ms;
    const std::pair<int, int64_t> bigCounts[] = {{1, 2000000000}, {2, 2147483647}, {3, 1234567}};
    for (auto [engine, count] : bigCounts)
        m_engine.setAnswer("big.example", engine, EngineAnswer::withCount(count).after(slow));
    m_engine.setAnswer("small.example", 1, EngineAnswer::withCount(7).after(slow));
    m_engine.setAnswer("small.example", 2, EngineAnswer::withCount(0).after(slow));
    m_engine.setAnswer("small.example", 3, EngineAnswer::noCount().after(slow));
    // Listed first by its total; the run puts it last.
    TMainForm &form = start(3, "Big.Example\t5\t1\t2\t2\r\nsmall.example\t9\t3\t3\t3\r\n", 2);

    int barMax = -1;
    bool blocked = true;
    run(form.UpdateAllButton, [&](TMyProgressForm &progress) {
        barMax = std::max(barMax, progress.ProgressMax());
        blocked = blocked && !form.UpdateAllButton->isEnabled() && !form.ListView1->isEnabled();
    });
    EXPECT_EQ(barMax, 6);
    EXPECT_TRUE(blocked);

    std::map<std::pair<std::string, int>, int> asked;
    for (const zvotest::EngineRequest &r : m_engine.requests())
        ++asked[{r.domain, r.engine}];
    EXPECT_EQ(asked.size(), 6u);
    for (const auto &[query, times] : asked)
        EXPECT_EQ(times, 1) << query.first << " " << query.second;

    // A page without a count counts as 0; totals go past 32 bits.
    form.close();
    EXPECT_EQ(zvotest::readFile(m_folder.file("Domain-Data.txt")),
              "small.example\t7\t7\t0\t0\r\nBig.Example\t4,148,718,214\t2,000,000,000\t2,147,483,647\t1,234,567\r\n");

    // Starts more than 250 ms apart, never more than two in flight: every
    // answer took `slow`, so a request that arrived sooner after another
    // overlapped with it.
    const std::vector<Clock::time_point> at = arrivals();
    for (size_t k = 1; k < at.size(); ++k) {
        EXPECT_GT(at[k] - at[k - 1], 250ms) << "start " << k;
        const auto overlapping =
            std::count_if(at.begin(), at.begin() + long(k), [&](auto t) { return t + slow > at[k]; });
        EXPECT_LT(overlapping, 2) << "start " << k;
    }
}

TEST_F(DriverTest, NoConnectionsAsksStrictlyOneAfterAnother)
{
    const auto slow = 300ms;
    m_engine.setDefaultAnswer(EngineAnswer::withCount(11).after(slow));
    // A hand-edited count of no connections checks one at a time, and the
    // stored value is left as it was.
    TMainForm &form = start(2, "a.example\t0\t0\t0\r\nb.example\t0\t0\t0\r\n", 0);
    run(form.UpdateAllButton);
    const std::vector<Clock::time_point> at = arrivals();
    ASSERT_EQ(at.size(), 4u);
    for (size_t k = 1; k < at.size(); ++k)
        EXPECT_GE(at[k] - at[k - 1], slow) << "start " << k;
    EXPECT_EQ(cell("b.example", 0), "22");
    EXPECT_EQ(ConcurrentConnectionCount, 0);
}

TEST_F(DriverTest, CancelByButtonEscapeOrEnterStopsAtOnceAndKeepsWhatArrived)
{
    const Observer presses[] = {
        [](TMyProgressForm &p) { p.CancelButton->click(); },
        [](TMyProgressForm &p) { QTest::keyClick(&p, Qt::Key_Escape); },
        [](TMyProgressForm &p) { QTest::keyClick(&p, Qt::Key_Return); },
    };
    // Engine 1 answers, engine 2 never does, engine 3 is never reached.
    m_engine.setAnswer("a.example", 1, EngineAnswer::withCount(5));
    m_engine.setAnswer("a.example", 2, EngineAnswer::hang());
    TMainForm &form = start(3, "a.example\t0\t0\t0\t0\r\n", 8);
    // The run's clock moves only when the test says: the next start is due
    // exactly when the test makes it so, however slow the build.
    struct HeldClock : controls::Clock
    {
        std::atomic<int64_t> at{1000};
        int64_t now() const override { return at.load(); }
        // Waits take real time, so the engine's answers arrive meanwhile.
        void serveUntil(int64_t deadline, const std::function<bool()> &done) override
        {
            controls::SteadyClock real;
            real.serveUntil(real.now() + std::max<int64_t>(0, deadline - now()), done);
        }
    } clock;
    const controls::ScopedClock useClock(&clock);
    std::atomic<int64_t> &now = clock.at;

    for (const Observer &press : presses) {
        for (int c = 1; c <= 4; ++c)
            form.ListView1->topLevelItem(0)->setText(c, QStringLiteral("0"));
        m_engine.clearRequests();
        StatusRecorder statuses;
        bool secondDue = false;
        bool pressed = false;
        const Clock::duration took = run(form.UpdateAllButton, [&](TMyProgressForm &progress) {
            progress.StatusLabel->installEventFilter(&statuses);
            const size_t asked = m_engine.requests().size();
            // Once the first count is in, the second query may start; once
            // it hangs, the third start is due, and Cancel comes with it.
            if (!secondDue && asked == 1 && cell("a.example", 1) == "5") {
                secondDue = true;
                now += 251;
            } else if (secondDue && !pressed && asked == 2) {
                pressed = true;
                now += 251;
                press(progress);
                EXPECT_TRUE(progress.IsCancelled() && !progress.CancelButton->isEnabled());
            }
        });
        EXPECT_TRUE(pressed);
        EXPECT_LT(took, 5s);
        QTest::qWait(400);
        EXPECT_EQ(directQueries(), 2u);
        EXPECT_EQ(cell("a.example", 0), "5");
        EXPECT_EQ(cell("a.example", 2), "0");
        // The hanging query is given up in the open.
        ASSERT_GE(statuses.texts.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(statuses.texts.end() - 3, statuses.texts.end()),
                  (std::vector<std::string>{"Canceling connections...", "one connection remaining",
                                            "no connections remaining"}));
        expectIdle();
    }
}

TEST_F(DriverTest, EveryRowOfASiteReceivesEachOfItsResults)
{
    m_engine.setAnswer("twice.example", 1, EngineAnswer::withCount(1000));
    m_engine.setAnswer("twice.example", 2, EngineAnswer::withCount(20));
    m_engine.setAnswer("once.example", 1, EngineAnswer::withCount(3));
    m_engine.setAnswer("once.example", 2, EngineAnswer::withCount(4));
    const std::string rows = "twice.example\t1\t1\t0\r\nonce.example\t2\t1\t1\r\ntwice.example\t3\t0\t3\r\n";
    TMainForm &form = start(2, rows, 8);
    const auto rowsOf = [&form](const std::string &domain) {
        std::vector<std::string> found;
        for (int row = 0; row < form.ListView1->topLevelItemCount(); ++row) {
            if (form.RowCaption(row) == domain)
                found.push_back(form.RowSubItem(row, 0) + " " + form.RowSubItem(row, 1) + " " +
                                form.RowSubItem(row, 2));
        }
        return found;
    };

    // The selected row's site is asked once per engine; its twin gets the
    // counts too, and the other site nothing.
    ASSERT_EQ(form.RowCaption(2), "twice.example");
    form.ListView1->setCurrentItem(form.ListView1->topLevelItem(2));
    run(form.UpdateSelectedButton);
    EXPECT_EQ(m_engine.requests().size(), 2u);
    EXPECT_EQ(rowsOf("twice.example"), (std::vector<std::string>{"1,020 1,000 20", "1,020 1,000 20"}));
    EXPECT_EQ(rowsOf("once.example"), std::vector<std::string>{"2 1 1"});

    // All rows: each twin is asked for, and each answer reaches both.
    m_engine.clearRequests();
    m_engine.setAnswer("twice.example", 2, EngineAnswer::withCount(30));
    run(form.UpdateAllButton);
    EXPECT_EQ(m_engine.requests().size(), 6u);
    EXPECT_EQ(rowsOf("twice.example"), (std::vector<std::string>{"1,030 1,000 30", "1,030 1,000 30"}));
    EXPECT_EQ(rowsOf("once.example"), std::vector<std::string>{"7 3 4"});
    expectIdle();
}

// While a count is written its cell is the one count that shows the pale
// yellow (the row's caption shows it too); the selection the run started
// from does not hide it. The value arrives at the end of the pause.
TEST_F(DriverTest, TheCellBeingWrittenIsTheOneHighlightedDuringItsPause)
{
    m_engine.setAnswer("b.example", 1, EngineAnswer::withCount(100));
    m_engine.setAnswer("b.example", 2, EngineAnswer::withCount(200));
    m_engine.setAnswer("b.example", 3, EngineAnswer::withCount(300));
    TMainForm &form = start(3, "a.example\t5\t5\t0\t0\r\nb.example\t3,000\t1,000\t1,000\t1,000\r\n", 8);
    QTreeWidget *list = form.ListView1;
    list->setCurrentItem(list->topLevelItem(1));
    const auto pixelOf = [list](const QImage &shot, int row, int column) {
        const QRect line = list->visualItemRect(list->topLevelItem(row));
        return QColor(shot.pixel(list->header()->sectionViewportPosition(column) + 3, line.center().y()));
    };
    const QColor paleYellow(255, 255, 221);

    struct Seen
    {
        int row, column;
        std::string text;
        bool yellowAsExpected;
    };
    std::vector<Seen> seen;
    run(form.UpdateSelectedButton, [&](TMyProgressForm &) {
        if (form.HighlightRow < 0)
            return;
        const QImage shot = list->viewport()->grab().toImage();
        bool asExpected = true;
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 5; ++column) {
                const bool highlighted = row == form.HighlightRow && (column == 0 || column == form.HighlightColumn);
                asExpected = asExpected && (pixelOf(shot, row, column) == paleYellow) == highlighted;
            }
        }
        seen.push_back({form.HighlightRow, form.HighlightColumn,
                        form.RowSubItem(form.HighlightRow, form.HighlightColumn - 1), asExpected});
    });
    ASSERT_FALSE(seen.empty());
    std::map<int, int> samples;
    for (const Seen &s : seen) {
        SCOPED_TRACE(s.column);
        EXPECT_EQ(s.row, 1);
        EXPECT_TRUE(s.yellowAsExpected);
        EXPECT_EQ(s.text, "1,000") << "written before its pause ended";
        ++samples[s.column];
    }
    // Each engine's cell in turn, for more than a moment, and each got its
    // engine's count.
    EXPECT_EQ(samples.size(), 3u);
    for (const auto &[column, count] : samples)
        EXPECT_GT(count, 1) << column;
    EXPECT_EQ(form.RowSubItem(1, 1) + " " + form.RowSubItem(1, 2) + " " + form.RowSubItem(1, 3), "100 200 300");
}

TEST_F(DriverTest, FailedQueriesLeaveTheirCellsAndTheRunGoesOn)
{
    // A hanging engine, one that reports more than 32 bits can hold, and one
    // that answers.
    m_engine.setAnswer("a.example", 1, EngineAnswer::hang());
    m_engine.setAnswer("a.example", 2, EngineAnswer::withCount(5000000000LL));
    m_engine.setAnswer("a.example", 3, EngineAnswer::withCount(40));
    TMainForm &form = start(3, "a.example\t111\t77\t33\t1\r\n", 8);
    // Real time, which the test can move on by a minute and a half.
    struct OffsetClock : controls::SteadyClock
    {
        std::atomic<int64_t> offset{0};
        int64_t now() const override { return SteadyClock::now() + offset.load(); }
    } clock;
    const controls::ScopedClock useClock(&clock);

    Clock::time_point onlyHangLeft{};
    bool waitedFor = false;
    const Clock::duration took = run(form.UpdateAllButton, [&](TMyProgressForm &progress) {
        if (onlyHangLeft == Clock::time_point{}) {
            if (m_engine.requests().size() == 3 && progress.ProgressPosition() == 2)
                onlyHangLeft = Clock::now();
        } else if (!waitedFor && Clock::now() - onlyHangLeft > 500ms) {
            // Far from the limit nothing is given up; past it, it is.
            waitedFor = true;
            EXPECT_EQ(progress.ProgressPosition(), 2);
            clock.offset = 91000;
        }
    });
    EXPECT_TRUE(waitedFor);
    EXPECT_LT(took, 15s);
    EXPECT_EQ(directQueries(), 3u);
    EXPECT_EQ(cell("a.example", 0) + " " + cell("a.example", 1) + " " + cell("a.example", 2) + " " +
                  cell("a.example", 3),
              "150 77 33 40");
    expectIdle();
}

TEST_F(DriverTest, UpdateSelectedAsksOnlyForTheSelectedSiteUnderABlockingProgressWindow)
{
    // A row without a name (hand-edited file) is passed over.
    m_engine.setDefaultAnswer(EngineAnswer::withCount(1000).after(200ms));
    TMainForm &form = start(2, "\t0\t0\t0\r\na.example\t1\t1\t0\r\nb.example\t2\t1\t1\r\n", 8);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }, 2000));
    ProgressWindowX = 100;
    ProgressWindowY = 120;
    form.ListView1->setCurrentItem(form.ListView1->topLevelItem(2));
    ASSERT_EQ(form.RowCaption(2), "b.example");

    bool checked = false;
    run(form.UpdateSelectedButton, [&](TMyProgressForm &progress) {
        if (std::exchange(checked, true))
            return;
        EXPECT_EQ(progress.windowTitle(), QStringLiteral("Zarvello"));
        EXPECT_EQ(progress.pos(), QPoint(100, 120));
        EXPECT_EQ(QApplication::activeModalWidget(), &progress);
        // Neither window can be closed under a run.
        EXPECT_FALSE(form.close());
        EXPECT_FALSE(progress.close());
        EXPECT_TRUE(form.isVisible() && progress.isVisible());
        progress.move(200, 210);
    });
    EXPECT_TRUE(checked);
    EXPECT_EQ(QPoint(ProgressWindowX, ProgressWindowY), QPoint(200, 210));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }, 2000));
    ASSERT_EQ(m_engine.requests().size(), 2u);
    for (const zvotest::EngineRequest &r : m_engine.requests())
        EXPECT_EQ(r.domain, "b.example");
    EXPECT_EQ(cell("b.example", 0), "2,000");
    EXPECT_EQ(cell("a.example", 0), "1");
    expectIdle();

    m_engine.clearRequests();
    run(form.UpdateAllButton);
    EXPECT_EQ(m_engine.requests().size(), 4u);
    EXPECT_EQ(cell("a.example", 0), "2,000");
    expectIdle();

    m_engine.clearRequests();
    form.ListView1->clear();
    const Clock::time_point begin = Clock::now();
    form.UpdateLinkPopularity(std::string());
    EXPECT_LT(Clock::now() - begin, 2s);
    EXPECT_TRUE(m_engine.requests().empty());
    expectIdle();
}

} // namespace
