// The program folder, the version string, file dates and date-time stamps.

#include "foundation/MyUtilitiesFiles.h"

#include "platform/rtl/DateTime.h"
#include "platform/shell/Desktop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>

using namespace foundation;

TEST(ProgramFiles, ApplicationPathAndVersionString)
{
    EXPECT_EQ(GetApplicationPath().back(), '/');
    // The executable's own folder, and a pinned one as given.
    EXPECT_EQ(GetApplicationPath(), QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString() + "/");
    {
        const shell::ScopedProgramFolder pinned(QStringLiteral("/opt/Отчёт/"));
        EXPECT_EQ(GetApplicationPath(), "/opt/Отчёт/");
    }

    const std::pair<shell::ProgramVersion, const char *> cases[] = {
        {{2, 0, 7, 0}, "2.0.7"}, {{2, 0, 0, 0}, "2.0"}, {{2, 0, 0, 3}, "2.0.0.3"}, {{2, 0, 7, 1}, "2.0.7.1"}};
    for (const auto &[version, text] : cases) {
        const shell::ScopedProgramVersion pinned(version);
        EXPECT_EQ(GetFileVersionString(), text);
    }
    {
        const shell::ScopedProgramVersion none(std::nullopt);
        EXPECT_EQ(GetFileVersionString(), "");
    }
    EXPECT_FALSE(GetFileVersionString().empty()) << "the build compiles its version in";
}

TEST(ProgramFiles, DateTimeStampsAndFileDates)
{
    const rtl::TDateTime moment = rtl::EncodeDate(2024, 2, 29) + rtl::EncodeTime(13, 5, 9, 999);
    EXPECT_EQ(GetDateTimeStamp(false, moment), "20240229130509");
    EXPECT_EQ(GetDateTimeStamp(true, moment), "20240229000000");
    const std::string before = GetDateTimeStamp(false, rtl::Now());
    const std::string now = GetDateTimeStamp(false, 0);
    EXPECT_LE(before, now);
    EXPECT_LE(now, GetDateTimeStamp(false, rtl::Now()));
    const std::string today = GetDateTimeStamp(true, 0);
    EXPECT_EQ(today.substr(8), "000000");
    EXPECT_EQ(
        today.substr(0, 8),
        GetDateTimeStamp(true, rtl::EncodeDate(GetCurrentYear(), GetCurrentMonth(), GetCurrentDay())).substr(0, 8));

    QTemporaryDir dir;
    const std::string file = dir.filePath("f.txt").toStdString();
    EXPECT_EQ(GetFileDateTime(file), 0.0);
    ASSERT_TRUE(SaveTextFile(file, "x"));
    // A file's date is the user's wall clock at its last change, whatever
    // the zone: midnight and a half second on 3 February 2001, locally.
    std::tm local{};
    local.tm_year = 2001 - 1900;
    local.tm_mon = 1;
    local.tm_mday = 3;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    const timespec times[2] = {{seconds, 500000000}, {seconds, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    EXPECT_NEAR(GetFileDateTime(file), rtl::EncodeDate(2001, 2, 3) + rtl::EncodeTime(0, 0, 0, 500), 1e-9);
}
