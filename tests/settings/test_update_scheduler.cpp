#include "settings/CheckForUpdatesUnit.h"

#include "foundation/MyOptions.h"
#include "platform/rtl/DateTime.h"
#include "platform/shell/MessageBox.h"

#include <gtest/gtest.h>

namespace {

// Every question is answered No, so no update window opens here.
class UpdateScheduler : public ::testing::Test
{
protected:
    void SetUp() override { setNow(2026, 12, 6, 9); }
    void TearDown() override { SetUpdateClock({}); }

    void setNow(int y, int m, int d, int hour)
    {
        const rtl::TDateTime moment = rtl::EncodeDate(y, m, d) + hour / 24.0;
        SetUpdateClock([moment] { return moment; });
    }

    // Whether the question was asked.
    bool asks(const std::string &interval, const std::string &lastDate)
    {
        CheckForUpdatesInterval = interval;
        CheckForUpdatesLastDate = lastDate;
        shell::RecordingMessageBoxes boxes;
        boxes.script(shell::ResultNo);
        CheckForUpdatesIfDue(false);
        requests = boxes.requests();
        return !requests.empty();
    }

    std::vector<shell::MessageBoxRequest> requests;
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
    EXPECT_FALSE(asks("Every Day", "2026-12-06"));
    EXPECT_TRUE(asks("Every Day", "2026-12-05"));
    EXPECT_FALSE(asks("Every Two Days", "2026-12-05"));
    EXPECT_TRUE(asks("Every Two Weeks", "2026-11-22"));
    EXPECT_FALSE(asks("Every Month", "2026-11-07"));
    EXPECT_TRUE(asks("Every Month", "2026-11-06"));
    EXPECT_TRUE(asks("At Every Start", "2026-12-06"));

    EXPECT_FALSE(asks("Never", ""));
    EXPECT_EQ(CheckForUpdatesLastDate, "");
    EXPECT_TRUE(asks("every week", "2026-12-06"));
    EXPECT_EQ(CheckForUpdatesInterval, "At Every Start");
    for (const char *date : {"", "2026-13-01", "yesterday", "99999999999-01-01"}) {
        EXPECT_TRUE(asks("Every Month", date)) << date;
        EXPECT_EQ(CheckForUpdatesLastDate, "2026-12-06");
    }
    // The fallback is 1 January 2001.
    setNow(2001, 1, 1, 12);
    EXPECT_FALSE(asks("Every Day", "garbage"));
}
