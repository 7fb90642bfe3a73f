#include "settings/CheckForUpdatesUnit.h"

#include "foundation/MyOptions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StringTable.h"
#include "platform/shell/MessageBox.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <gtest/gtest.h>

using namespace foundation;
using namespace settings;

namespace {

// Every question is answered No, so no update window opens here.
class UpdateScheduler : public ::testing::Test
{
protected:
    void SetUp() override { setNow(2026, 12, 6, 9); }

    void setNow(int y, int m, int d, int hour) { m_now = rtl::EncodeDate(y, m, d) + hour / 24.0; }

    // Whether the question was asked.
    bool asks(const std::string &interval, const std::string &lastDate)
    {
        CheckForUpdatesInterval = interval;
        CheckForUpdatesLastDate = lastDate;
        shell::RecordingMessageBoxes boxes;
        boxes.script(shell::IDNO);
        CheckForUpdatesIfDue(false);
        requests = boxes.requests();
        return !requests.empty();
    }

    std::vector<shell::MessageBoxRequest> requests;
    rtl::TDateTime m_now = 0;
    ScopedUpdateClock m_clock{[this] { return m_now; }};
};

} // namespace

TEST_F(UpdateScheduler, DueCheckStoresTodayBeforeAsking)
{
    ASSERT_TRUE(asks("Every Week", "2026-11-29"));
    EXPECT_EQ(CheckForUpdatesLastDate, "2026-12-06");
    EXPECT_EQ(requests[0].caption, "Check for updates");
    EXPECT_EQ(requests[0].buttons, shell::MessageButtons::YesNo);
    EXPECT_EQ(requests[0].text, "Zarvello can automatically check for updates to the application itself and to "
                                "the search engine scripts.\n\nDo you want to check now?");
    // No postpones by the whole interval.
    EXPECT_FALSE(asks("Every Week", CheckForUpdatesLastDate));
    setNow(2026, 12, 12, 23);
    EXPECT_FALSE(asks("Every Week", "2026-12-06"));
    setNow(2026, 12, 13, 0);
    EXPECT_TRUE(asks("Every Week", "2026-12-06"));
}

TEST_F(UpdateScheduler, IntervalsCountWholeDaysAndOddSettingsMakeTheCheckDue)
{
    // Today is 2026-12-06.
    const std::tuple<const char *, const char *, bool> cases[] = {
        {"Every Day", "2026-12-06", false},
        {"Every Day", "2026-12-05", true},
        {"Every Two Days", "2026-12-05", false},
        {"Every Two Weeks", "2026-11-22", true},
        {"Every Month", "2026-11-07", false},
        {"Every Month", "2026-11-06", true},
        {"At Every Start", "2026-12-06", true},
        {"Never", "", false},
        // A date that cannot be read makes the check due.
        {"Every Month", "", true},
        {"Every Month", "2026-13-01", true},
        {"Every Month", "yesterday", true},
        {"Every Month", "99999999999-01-01", true},
    };
    for (auto [interval, date, due] : cases) {
        EXPECT_EQ(asks(interval, date), due) << interval << " " << date;
        EXPECT_EQ(CheckForUpdatesLastDate, due ? "2026-12-06" : date) << interval << " " << date;
    }
    // An unknown interval is checked at every start from then on.
    EXPECT_TRUE(asks("every week", "2026-12-06"));
    EXPECT_EQ(CheckForUpdatesInterval, "At Every Start");
    // The fallback is 1 January 2001.
    setNow(2001, 1, 1, 12);
    EXPECT_FALSE(asks("Every Day", "garbage"));
}

// A date after today was stored while the clock ran ahead: the check is due,
// and the stored date comes back to today rather than holding the checks back
// until then.
TEST_F(UpdateScheduler, ALastDateAfterTodayMakesTheCheckDue)
{
    for (const char *ahead : {"2026-12-07", "2030-06-01", "2099-12-31"}) {
        EXPECT_TRUE(asks("Every Week", ahead)) << ahead;
        EXPECT_EQ(CheckForUpdatesLastDate, "2026-12-06") << ahead;
        // From then on the interval counts from today.
        EXPECT_FALSE(asks("Every Week", CheckForUpdatesLastDate)) << ahead;
    }
    EXPECT_FALSE(asks("Every Day", "2026-12-06"));
}

// The update and page-control texts keep the numbers they have in the string
// table, by which they are looked up.
TEST(StringTable, UpdateAndPageControlTextsKeepTheirIds)
{
    const std::pair<int, const char *> texts[] = {
        {65025, "At Every Start"},
        {65026, "Every Day"},
        {65027, "Every Four Days"},
        {65028, "Every Month"},
        {65029, "Every Two Days"},
        {65030, "Every Two Weeks"},
        {65031, "Every Week"},
        {65032, "Never"},
        {65033, "Zarvello can automatically check for updates to the application itself and to the search engine "
                "scripts."},
        {65076, "%d is an invalid PageIndex value.  PageIndex must be between 0 and %d"},
    };
    // The page control enters its text when it is in the program.
    widgets::TdxPageControl control;
    for (const auto &[id, text] : texts)
        EXPECT_EQ(rtl::LoadStr(id), text) << id;
    EXPECT_EQ(rtl::LoadStr(65034), "");
}
