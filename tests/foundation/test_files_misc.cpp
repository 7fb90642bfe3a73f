// The program folder, the version string, file dates and date-time stamps.

#include "foundation/MyUtilitiesFiles.h"

#include "platform/rtl/DateTime.h"
#include "platform/shell/Desktop.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>

TEST(ProgramFiles, ApplicationPathEndsWithOneSlash)
{
    shell::setProgramFolder("/opt/zarvello/");
    EXPECT_EQ(GetApplicationPath(), "/opt/zarvello/");
    shell::setProgramFolder("/");
    EXPECT_EQ(GetApplicationPath(), "/");
    shell::setProgramFolder(QString());
    EXPECT_EQ(GetApplicationPath().back(), '/');
}

TEST(ProgramFiles, VersionStringDropsOnlyTheZeroTail)
{
    struct Case
    {
        shell::ProgramVersion version;
        const char *text;
    };
    for (const Case &c : {Case{{2, 0, 7, 0}, "2.0.7"}, Case{{2, 0, 0, 0}, "2.0"}, Case{{2, 0, 0, 3}, "2.0.0.3"},
                          Case{{2, 0, 7, 1}, "2.0.7.1"}, Case{{10, 12, 0, 0}, "10.12"}}) {
        shell::setProgramVersion(c.version);
        EXPECT_EQ(GetFileVersionString(), c.text);
    }
    shell::setProgramVersion(std::nullopt);
    EXPECT_EQ(GetFileVersionString(), "");
    shell::resetProgramVersion();
    EXPECT_FALSE(GetFileVersionString().empty());
}

TEST(ProgramFiles, DateTimeStampOfAGivenMomentAndOfNow)
{
    const rtl::TDateTime moment = rtl::EncodeDate(2024, 2, 29) + rtl::EncodeTime(13, 5, 9, 999);
    EXPECT_EQ(GetDateTimeStamp(false, moment), "20240229130509");
    EXPECT_EQ(GetDateTimeStamp(true, moment), "20240229000000");
    EXPECT_EQ(GetDateTimeStamp(false, rtl::EncodeDate(999, 1, 2)), "09990102000000");

    const std::string before = GetDateTimeStamp(false, rtl::Now());
    const std::string now = GetDateTimeStamp(false, 0);
    const std::string after = GetDateTimeStamp(false, rtl::Now());
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);
    EXPECT_EQ(now.size(), 14u);
    const std::string today = GetDateTimeStamp(true, 0);
    EXPECT_EQ(today.substr(8), "000000");
    EXPECT_EQ(std::stoi(today.substr(0, 4)), GetCurrentYear());
    EXPECT_EQ(std::stoi(today.substr(4, 2)), GetCurrentMonth());
    EXPECT_EQ(std::stoi(today.substr(6, 2)), GetCurrentDay());
}

TEST(ProgramFiles, FileDateTimeIsTheLocalModificationTime)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("f.txt").toStdString();
    EXPECT_EQ(GetFileDateTime(file), 0.0);
    ASSERT_TRUE(SaveTextFile(file, "x"));
    // 2001-02-03 00:00:00.500 UTC; the tests run with TZ=UTC.
    const timespec times[2] = {{981158400, 500000000}, {981158400, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    EXPECT_NEAR(GetFileDateTime(file), rtl::EncodeDate(2001, 2, 3) + rtl::EncodeTime(0, 0, 0, 500), 1e-9);
}
