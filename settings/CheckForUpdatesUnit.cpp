#include "settings/CheckForUpdatesUnit.h"

#include "foundation/MyOptions.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StringTable.h"
#include "platform/shell/MessageBox.h"
#include "platform/shell/Modal.h"
#include "settings/CheckForUpdatesFormUnit.h"
#include "settings/UpdateScript.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>

#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

namespace settings {

using namespace foundation;

namespace {

const rtl::StringTableEntries UpdateTexts = {
    {SAtEveryStart, UpdateIntervalAtEveryStart},
    {SEveryDay, "Every Day"},
    {SEveryFourDays, "Every Four Days"},
    {SEveryMonth, "Every Month"},
    {SEveryTwoDays, "Every Two Days"},
    {SEveryTwoWeeks, "Every Two Weeks"},
    {SEveryWeek, "Every Week"},
    {SNever, UpdateIntervalNever},
    {SCheckForUpdatesNow,
     "Zarvello can automatically check for updates to the application itself and to the search engine scripts."},
};

struct IntervalEntry
{
    int text;
    int days;
};

constexpr std::array<IntervalEntry, 7> Intervals = {{
    {SAtEveryStart, 0},
    {SEveryDay, 1},
    {SEveryTwoDays, 2},
    {SEveryFourDays, 4},
    {SEveryWeek, 7},
    {SEveryTwoWeeks, 14},
    {SEveryMonth, 30},
}};

rtl::TDateTime now()
{
    const UpdateClock clock = ScopedUpdateClock::valueOr({});
    return clock ? clock() : rtl::Now();
}

std::string formatDate(rtl::TDateTime moment)
{
    const rtl::TDateParts date = rtl::DecodeDate(moment);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buffer;
}

// The open update window, if any. A window that is closing (hidden, waiting
// to be freed) no longer counts.
TCheckForUpdatesForm *findOpenForm()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *form = qobject_cast<TCheckForUpdatesForm *>(widget); form && form->isVisible())
            return form;
    }
    return nullptr;
}

} // namespace

std::string UpdateString(int id)
{
    return rtl::LoadStr(id);
}

std::optional<int> UpdateIntervalDays(const std::string &interval)
{
    for (const IntervalEntry &entry : Intervals) {
        if (interval == UpdateString(entry.text))
            return entry.days;
    }
    return std::nullopt;
}

bool IsUpdateIntervalText(const std::string &interval)
{
    return interval == UpdateIntervalNever || UpdateIntervalDays(interval).has_value();
}

void CheckForUpdatesIfDue(bool Wait)
{
    if (CheckForUpdatesInterval == UpdateIntervalNever)
        return;
    std::optional<int> days = UpdateIntervalDays(CheckForUpdatesInterval);
    if (!days) {
        CheckForUpdatesInterval = UpdateIntervalAtEveryStart;
        days = 0;
    }

    const TUpdateDate last = DecodeUpdateDate(CheckForUpdatesLastDate);
    const rtl::TDateTime current = now();
    const rtl::TDateTime lastDay = rtl::EncodeDate(last.Year, last.Month, last.Day);
    // A day after today was stored while the clock ran ahead; waiting for it
    // would hold the checks back until then, or for good.
    const bool fromTheFuture = lastDay > std::floor(current);
    if (!fromTheFuture && current < lastDay + *days)
        return;

    // Stored before asking, so that No postpones the question by a whole
    // interval.
    CheckForUpdatesLastDate = formatDate(current);
    const int answer = ShowMessageBox(nullptr, UpdateString(SCheckForUpdatesNow) + "\n\nDo you want to check now?", '?',
                                      "Check for updates");
    if (answer != shell::IDYES)
        return;
    ShowCheckForUpdatesForm();

    if (Wait) {
        while (QPointer<TCheckForUpdatesForm> form = findOpenForm()) {
            shell::runModal(*form, [form] {
                QEventLoop loop;
                QObject::connect(form, &QObject::destroyed, &loop, &QEventLoop::quit);
                loop.exec();
                return 0;
            });
            // A test's answer without the wait leaves the window open.
            if (form && form->isVisible())
                break;
        }
    }
}

void ShowCheckForUpdatesForm()
{
    if (TCheckForUpdatesForm *open = findOpenForm()) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto *form = new TCheckForUpdatesForm(GetMainForm());
    form->show();
    form->repaint();
    form->CheckForUpdates();
}

} // namespace settings
