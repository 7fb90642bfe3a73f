#pragma once

// The update scheduler: whether the periodic check for updates is due, and
// the one door through which the update window opens, so that the timer,
// the button and the menu entry never run two update windows at once.
// GUI thread only.

#include "platform/rtl/ScopedOverride.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <optional>
#include <string>

namespace settings {

// The update texts' numbers in the string table.
inline constexpr int SAtEveryStart = 65025;
inline constexpr int SEveryDay = 65026;
inline constexpr int SEveryFourDays = 65027;
inline constexpr int SEveryMonth = 65028;
inline constexpr int SEveryTwoDays = 65029;
inline constexpr int SEveryTwoWeeks = 65030;
inline constexpr int SEveryWeek = 65031;
inline constexpr int SNever = 65032;
inline constexpr int SCheckForUpdatesNow = 65033;

// An update text of the string table. Read through here, so that whoever
// reads them also has this unit, which enters them.
std::string UpdateString(int id);

// The texts of CheckForUpdatesInterval.
inline constexpr const char *UpdateIntervalAtEveryStart = "At Every Start";
inline constexpr const char *UpdateIntervalNever = "Never";

// Days between checks for an interval text (case and spacing count); nullopt
// for "Never" and for texts that are not intervals.
std::optional<int> UpdateIntervalDays(const std::string &interval);
bool IsUpdateIntervalText(const std::string &interval);

// Asks whether to check now when the interval has passed since
// CheckForUpdatesLastDate, and opens the update window on Yes. With wait it
// returns only once no update window is open any more.
void CheckForUpdatesIfDue(bool Wait = false);

// Brings an open update window to the front, or opens one and starts its run.
void ShowCheckForUpdatesForm();

// The scheduler's clock: the local date and time, unless a test stands in.
using UpdateClock = std::function<rtl::TDateTime()>;
using ScopedUpdateClock = rtl::ScopedOverride<struct UpdateClockTag, UpdateClock>;

} // namespace settings
