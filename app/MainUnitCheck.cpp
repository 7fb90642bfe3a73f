// The check run of the main window: every site of the list, or one, against
// every engine of the table, on up to ConcurrentConnectionCount query workers
// at a time. The run is a polling loop on the GUI thread: it serves the event
// loop itself while it waits, starts workers at a gentle pace, and writes each
// count into the list as its worker is reaped.

#include "app/MainUnit.h"
#include "app/ProgressUnit.h"
#include "app/SiteListView.h"
#include "app/worker/CheckSEThreadUnit.h"
#include "foundation/MyOptions.h"
#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/controls/EventPump.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/Rounding.h"

#include <QTimer>

#include <algorithm>
#include <deque>
#include <limits>
#include <new>
#include <optional>
#include <utility>

namespace app {

using namespace foundation;

namespace {

using WorkerList = std::vector<std::unique_ptr<TCheckSEThread>>;

// Starts are strictly more than this apart, so connections ramp up gently
// instead of hitting the engines all at once.
constexpr uint64_t StartSpacingMs = 250;
constexpr int PassWaitMs = 100;
// Between sweeps of the wind-down the GUI thread sleeps this long at most
// while serving events: aborted workers take a moment to end, and asking for
// them in a tight loop would only burn a core.
constexpr int CancelSliceMs = 10;
// How long the cell that receives a count stays highlighted.
constexpr int HighlightMs = 250;
// A query that has not finished by then is given up.
constexpr uint64_t QueryTimeLimitMs = 90000;

constexpr const char *NoMemoryText = "There is not enough memory to check link popularity.";

std::string formatCount(double value)
{
    return rtl::FormatFloat(",0", value);
}

int64_t saturatingAdd(int64_t a, int64_t b)
{
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return sum;
}

// The whole row, not only its first column: every cell shows the highlight's
// end as well as its start.
void repaintRow(QTreeWidget *list, QTreeWidgetItem *item)
{
    const QRect cell = list->visualItemRect(item);
    if (cell.isValid())
        list->viewport()->repaint(QRect(0, cell.top(), list->viewport()->width(), cell.height()));
}

// The count of a form with a zero, a one and a many text.
std::string countText(int64_t count, const char *zero, const char *one, const char *many)
{
    if (count == 0)
        return zero;
    if (count == 1)
        return one;
    return ReplaceText(many, "%0", std::to_string(count), true);
}

} // namespace

std::string TMainForm::CheckStatusText(int64_t ChecksLeft, int32_t Running)
{
    return countText(ChecksLeft, "no Zarvellos left", "one Zarvello left", "%0 Zarvellos left") + "  (" +
           countText(Running, "no connections", "one connection", "%0 concurrent connections") + ")";
}

std::string TMainForm::RemainingConnectionsText(int64_t Remaining)
{
    return countText(Remaining, "no connections remaining", "one connection remaining",
                     "%0 concurrent connections remaining");
}

void TMainForm::UpdateLinkPopularity(const std::string &Domain)
{
    // The run serves the event loop; nothing that arrives meanwhile may start
    // a second run over the first.
    if (Busy)
        return;
    const auto clockNow = [] { return uint64_t(controls::tickCount()); };

    StoreWindowBounds();

    WorkerList threads;
    std::deque<std::string> CheckWorkList;
    std::unique_ptr<TMyProgressForm> progress;
    try {
        progress = std::make_unique<TMyProgressForm>(this);
    } catch (const std::bad_alloc &) {
        ShowMessageBox(this, NoMemoryText, '!');
        return;
    }

    Busy = true;
    UpdateControls();

    progress->setWindowTitle(QStringLiteral("Zarvello"));
    progress->SetStatus("Initializing...");
    progress->SetProgressPosition(0);
    progress->SetProgressRange(0, 0);
    if (ProgressWindowX == -1 && ProgressWindowY == -1)
        CenterForm(progress.get(), this);
    else
        SetFormBounds(progress.get(), ProgressWindowX, ProgressWindowY, 0, 0);
    progress->show();

    try {
        const int engines = SearchEngineCount();
        const auto addSite = [&](const std::string &domain) {
            // A row without a name (a hand-edited list) cannot be asked for;
            // the others still are.
            if (domain.empty())
                return;
            for (int i = 1; i <= engines; ++i)
                CheckWorkList.push_back(domain + "\t" + std::to_string(i) + "\t" + GetSearchEngineQueryURL(i, domain));
        };
        if (!Domain.empty()) {
            addSite(Domain);
        } else {
            for (int row = 0; row < ListView1->topLevelItemCount(); ++row)
                addSite(RowCaption(row));
        }

        progress->SetStatus("Checking link popularity...");
        progress->SetProgressPosition(0);
        progress->SetProgressRange(0, int32_t(std::min<size_t>(CheckWorkList.size(), INT32_MAX)));

        int32_t Running = 0;
        uint64_t Now = 0;
        // No start yet: the first one may happen at once, whatever the clock
        // reads.
        std::optional<uint64_t> LastStart;
        for (;;) {
            controls::processEventsFor(0);
            Now = clockNow();

            // A hand-edited settings file may hold 0 or less; one connection
            // is the least that still checks anything.
            const int32_t connections = std::max<int32_t>(1, ConcurrentConnectionCount);
            // Cancel may have come in while the last pass wrote its results:
            // nothing new is asked once it has.
            if (!CheckWorkList.empty() && Running < connections && !progress->IsCancelled() &&
                (!LastStart || Now - *LastStart > StartSpacingMs)) {
                auto worker = std::make_unique<TCheckSEThread>(true);
                worker->SetStartTime(Now);
                const std::string &line = CheckWorkList.front();
                const std::string domain = GetField(line, "\t", 1);
                const int32_t index = rtl::Round(StrToNumber(GetField(line, "\t", 2)));
                const std::string url = GetField(line, "\t", 3);
                if (!worker->SetCheckParameters(domain, index, url)) {
                    // Without an HTTP client no query can succeed; the run
                    // ends as after any other failure, keeping what arrived.
                    worker->Terminate();
                    worker->Resume();
                    worker->WaitFor();
                    break;
                }
                CheckWorkList.pop_front();
                threads.push_back(std::move(worker));
                threads.back()->Resume();
                ++Running;
                LastStart = Now;
            }

            if (progress->IsCancelled() || (Running == 0 && CheckWorkList.empty()))
                break;

            // Every wait of the run serves the event loop: the window
            // repaints, Cancel gets through, and the hidden browser, which
            // lives on this thread, keeps loading pages for the workers that
            // fell back to it.
            controls::processEventsFor(PassWaitMs);

            for (size_t i = threads.size(); i-- > 0;) {
                TCheckSEThread &worker = *threads[i];
                if (worker.IsFinished()) {
                    worker.WaitFor();
                    if (worker.Succeeded()) {
                        SetLinkPopularityResult(worker.GetDomain(), worker.GetSearchEngineIndex(),
                                                worker.GetLinkCount());
                        controls::processEventsFor(0);
                    }
                    threads.erase(threads.begin() + std::ptrdiff_t(i));
                    --Running;
                    progress->StepProgress(1, true);
                } else if (worker.HasFatalException() || worker.GetStartTime() + QueryTimeLimitMs < Now) {
                    worker.AbortCheck();
                }
                controls::processEventsFor(0);
            }

            progress->SetStatus(CheckStatusText(int64_t(CheckWorkList.size()) + Running, Running));
        }
    } catch (...) {
        // Whatever stops the loop ends the run quietly; what arrived stays.
    }

    try {
        CancelRunningChecks(progress.get(), &threads);
    } catch (...) {
        // The workers still listed stop and are waited for as they go.
    }
    threads.clear();
    HighlightRow = -1;
    HighlightColumn = -1;

    ProgressWindowX = progress->x();
    ProgressWindowY = progress->y();
    progress->hide();
    progress.reset();

    Busy = false;
    SortSiteList();
    UpdateControls();
    // A close that came in during the run was held back until now. The run
    // may be part of the start-up, which looks at it itself.
    if (m_closeRequested && m_started)
        QTimer::singleShot(0, this, [this] {
            if (std::exchange(m_closeRequested, false))
                CloseOnRequest();
        });
}

void TMainForm::SetLinkPopularityResult(const std::string &Domain, int32_t SearchEngineIndex, int32_t LinkCount)
{
    const int engines = SearchEngineCount();
    if (SearchEngineIndex < 1 || SearchEngineIndex > engines)
        return;
    const int column = SearchEngineIndex + 1;
    for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {
        if (RowCaption(row) != Domain)
            continue;
        HighlightRow = row;
        HighlightColumn = column;
        repaintRow(ListView1, ListView1->topLevelItem(row));
        controls::processEventsFor(HighlightMs);

        // Looked up again: the events served meanwhile could have changed
        // the list.
        QTreeWidgetItem *item = ListView1->topLevelItem(row);
        if (item && item->columnCount() > column) {
            item->setText(column, rtl::ToQString(formatCount(LinkCount)));
            int64_t total = 0;
            for (int i = 1; i <= engines; ++i)
                total = saturatingAdd(total, GetLinkCountFromText(RowSubItem(row, i)));
            item->setText(1, rtl::ToQString(formatCount(double(total))));
        }

        HighlightRow = -1;
        HighlightColumn = -1;
        if (item)
            repaintRow(ListView1, item);
        controls::processEventsFor(0);
    }
}

void TMainForm::CancelRunningChecks(TMyProgressForm *ProgressForm,
                                    std::vector<std::unique_ptr<TCheckSEThread>> *Threads)
{
    ZVO_ASSERT(ProgressForm != nullptr, "MainUnit");
    ZVO_ASSERT(Threads != nullptr, "MainUnit");
    ProgressForm->SetStatus("Canceling connections...");
    ProgressForm->SetProgressPosition(0);
    ProgressForm->SetProgressRange(0, int32_t(Threads->size()));
    while (!Threads->empty()) {
        for (size_t i = Threads->size(); i-- > 0;) {
            TCheckSEThread &worker = *(*Threads)[i];
            if (worker.IsFinished()) {
                // Its result is not wanted any more.
                worker.WaitFor();
                Threads->erase(Threads->begin() + std::ptrdiff_t(i));
                ProgressForm->StepProgress(1, true);
            } else {
                worker.AbortCheck();
            }
            ProgressForm->SetStatus(RemainingConnectionsText(int64_t(Threads->size())));
        }
        controls::processEventsFor(Threads->empty() ? 0 : CancelSliceMs);
    }
}

} // namespace app
