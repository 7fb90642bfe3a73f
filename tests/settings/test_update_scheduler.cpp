#include "settings/CheckForUpdatesUnit.h"

#include "foundation/MyOptions.h"
#include "platform/rtl/DateTime.h"
#include "platform/shell/MessageBox.h"

#include <gtest/gtest.h>

namespace {

// Every case answers No, so no update window ever opens here.
class UpdateScheduler : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedInterval = CheckForUpdatesInterval;
        m_savedDate = CheckForUpdatesLastDate;
        setNow(2026, 12, 6, 9, 30);
    }
    void TearDown() override
    {
        SetUpdateClock({});
        CheckForUpdatesInterval = m_savedInterval;
        CheckForUpdatesLastDate = m_savedDate;
    }

    void setNow(int y, int m, int d, int hour = 0, int minute = 0)
    {
        const rtl::TDateTime moment = rtl::EncodeDate(y, m, d) + rtl::EncodeTime(hour, minute, 0, 0);
        SetUpdateClock([moment] { return moment; });
    }

    // Whether the question was asked.
    bool runScheduler(const std::string &interval, const std::string &lastDate)
    {
        CheckForUpdatesInterval = interval;
        CheckForUpdatesLastDate = lastDate;
        shell::RecordingMessageBoxes boxes;
        boxes.script(shell::ResultNo);
        CheckForUpdatesIfDue(false);
        m_lastRequests = boxes.requests();
        return !m_lastRequests.empty();
    }

    std::vector<shell::MessageBoxRequest> m_lastRequests;

private:
    std::string m_savedInterval;
    std::string m_savedDate;
};

} // namespace

TEST_F(UpdateScheduler, IntervalsMapToTheirDays)
{
    EXPECT_EQ(UpdateIntervalDays("At Every Start"), 0);
    EXPECT_EQ(UpdateIntervalDays("Every Day"), 1);
    EXPECT_EQ(UpdateIntervalDays("Every Two Days"), 2);
    EXPECT_EQ(UpdateIntervalDays("Every Four Days"), 4);
    EXPECT_EQ(UpdateIntervalDays("Every Week"), 7);
    EXPECT_EQ(UpdateIntervalDays("Every Two Weeks"), 14);
    EXPECT_EQ(UpdateIntervalDays("Every Month"), 30);
    EXPECT_EQ(UpdateIntervalDays("Never"), std::nullopt);
    EXPECT_EQ(UpdateIntervalDays("Every  Day"), std::nullopt);
}

TEST_F(UpdateScheduler, NeverAsksNothingAndKeepsTheDate)
{
    EXPECT_FALSE(runScheduler("Never", ""));
    EXPECT_EQ(CheckForUpdatesLastDate, "");
    EXPECT_EQ(CheckForUpdatesInterval, "Never");
}

TEST_F(UpdateScheduler, DueCheckStoresTodayAndAsksTheQuestion)
{
    ASSERT_TRUE(runScheduler("Every Week", "2026-11-29"));
    EXPECT_EQ(CheckForUpdatesLastDate, "2026-12-06");
    ASSERT_EQ(m_lastRequests.size(), 1u);
    const shell::MessageBoxRequest &box = m_lastRequests[0];
    EXPECT_EQ(box.caption, "Check for updates");
    EXPECT_EQ(box.buttons, shell::MessageButtons::YesNo);
    EXPECT_EQ(box.icon, shell::MessageIcon::Question);
    EXPECT_EQ(box.text, "Zarvello can automatically check for updates to the application itself and to the "
                        "search engine scripts.\n\nDo you want to check now?");
    // No postpones by the whole interval.
    EXPECT_FALSE(runScheduler("Every Week", CheckForUpdatesLastDate));
    setNow(2026, 12, 12, 23, 59);
    EXPECT_FALSE(runScheduler("Every Week", "2026-12-06"));
    setNow(2026, 12, 13, 0, 0);
    EXPECT_TRUE(runScheduler("Every Week", "2026-12-06"));
}

TEST_F(UpdateScheduler, EveryDayIsDueAfterMidnight)
{
    EXPECT_FALSE(runScheduler("Every Day", "2026-12-06"));
    EXPECT_TRUE(runScheduler("Every Day", "2026-12-05"));
    EXPECT_FALSE(runScheduler("Every Month", "2026-11-07"));
    EXPECT_TRUE(runScheduler("Every Month", "2026-11-06"));
    // A date in the future (a clock set back) holds the check back.
    EXPECT_FALSE(runScheduler("Every Day", "2027-01-01"));
}

TEST_F(UpdateScheduler, AtEveryStartAsksAtEveryCall)
{
    EXPECT_TRUE(runScheduler("At Every Start", "2026-12-06"));
    EXPECT_TRUE(runScheduler("At Every Start", CheckForUpdatesLastDate));
}

TEST_F(UpdateScheduler, UnknownIntervalBecomesAtEveryStart)
{
    EXPECT_TRUE(runScheduler("every week", "2026-12-06"));
    EXPECT_EQ(CheckForUpdatesInterval, "At Every Start");
    EXPECT_TRUE(runScheduler("", "2026-12-06"));
    EXPECT_EQ(CheckForUpdatesInterval, "At Every Start");
}

TEST_F(UpdateScheduler, UnreadableLastDateMakesTheCheckDue)
{
    for (const char *date : {"", "2026-13-01", "yesterday", "2026-02-30", "99999999999-01-01"}) {
        EXPECT_TRUE(runScheduler("Every Month", date)) << date;
        EXPECT_EQ(CheckForUpdatesLastDate, "2026-12-06") << date;
    }
    // The fallback is 1 January 2001: with a clock before that plus the
    // interval, nothing is due.
    setNow(2001, 1, 1, 12, 0);
    EXPECT_FALSE(runScheduler("Every Day", "garbage"));
    EXPECT_TRUE(runScheduler("At Every Start", "garbage"));
}
