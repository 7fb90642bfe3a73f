// The one whole-file read: what it takes, what it refuses at once, and where
// it stops.

#include "platform/rtl/FileDescriptor.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

using namespace rtl;

namespace {

class ReadWholeFileTest : public ::testing::Test
{
protected:
    std::string path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)).toStdString(); }
    void write(const char *name, const std::string &bytes)
    {
        ASSERT_TRUE(zvotest::writeFile(m_dir.filePath(QString::fromLatin1(name)), bytes));
    }

    QTemporaryDir m_dir;
};

TEST_F(ReadWholeFileTest, AFileOrALinkToOneIsReadWholeUpToTheLimit)
{
    write("sites.txt", "a\r\nb");
    ASSERT_EQ(::symlink("sites.txt", path("link").c_str()), 0);
    for (const char *name : {"sites.txt", "link"}) {
        SCOPED_TRACE(name);
        const FileText read = readWholeFile(path(name), {.limit = 4});
        EXPECT_TRUE(read);
        EXPECT_EQ(read.text, "a\r\nb");
    }
    const FileText over = readWholeFile(path("sites.txt"), {.limit = 3});
    EXPECT_EQ(over.failure, ReadFailure::TooLarge);
    EXPECT_TRUE(over.text.empty());
    EXPECT_EQ(over.reason("sites.txt"), "\"sites.txt\" is larger than 3 bytes, the most read of such a file");
    // Without a limit (a backup's copy of the file it keeps) everything comes.
    for (const uint64_t limit : {uint64_t(4), std::numeric_limits<uint64_t>::max()}) {
        const FileDescriptor fd(::open(path("sites.txt").c_str(), O_RDONLY | O_CLOEXEC));
        std::string text;
        EXPECT_TRUE(readAll(fd.get(), text, limit)) << limit;
        EXPECT_EQ(text, "a\r\nb");
    }

    EXPECT_EQ(readWholeFile(path("none")).failure, ReadFailure::Missing);
    ASSERT_EQ(::symlink("gone.txt", path("dangling").c_str()), 0);
    EXPECT_EQ(readWholeFile(path("dangling")).failure, ReadFailure::Missing);
    EXPECT_EQ(readWholeFile(path("dangling")).reason("d"), "\"d\": No such file or directory");
}

// Nothing that is not an ordinary file is opened for a read: a pipe with or
// without a writer, a folder, devices with and without an end, and links to
// them, all fail at once and say so.
TEST_F(ReadWholeFileTest, WhatIsNoFileIsRefusedAtOnce)
{
    const std::string fifo = path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", path("zero").c_str()), 0);
    const int code = zvotest::inTimedChild([&] {
        int answer = 0;
        const auto refused = [&answer](const std::string &name, int bit) {
            if (readWholeFile(name).failure != ReadFailure::NotRegular)
                answer |= bit;
        };
        refused(fifo, 1);
        // A writer that never writes.
        const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
        refused(fifo, 2);
        ::close(writer);
        refused(m_dir.path().toStdString(), 4);
        refused("/dev/zero", 8);
        refused(path("zero"), 16);
        refused("/dev/null", 32);
        return answer;
    });
    EXPECT_EQ(code, 0) << "bits of the kinds read: " << code;
    FileText refused;
    refused.failure = ReadFailure::NotRegular;
    EXPECT_EQ(refused.reason("fifo"), "\"fifo\" is not a regular file");
}

// Input a user names on a command line may come from a pipe or a device:
// what a pipe's writer sends comes whole, and a device without end is cut at
// the limit instead of filling the memory.
TEST_F(ReadWholeFileTest, APipeOrADeviceReadOnRequestStopsAtTheLimit)
{
    const std::string fifo = path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int code = zvotest::inTimedChild([&] {
        const pid_t writer = ::fork();
        if (writer == 0) {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
            ::_exit(fd >= 0 && writeAll(fd, "data\n", 5) ? 0 : 1);
        }
        const FileText piped = readWholeFile(fifo, {.regularOnly = false});
        ::waitpid(writer, nullptr, 0);
        if (!piped || piped.text != "data\n")
            return 1;
        const FileText zero = readWholeFile("/dev/zero", {.limit = 1 << 20, .regularOnly = false});
        if (zero.failure != ReadFailure::TooLarge || zero.error != EFBIG || !zero.text.empty())
            return 2;
        if (readWholeFile(m_dir.path().toStdString(), {.regularOnly = false}).failure != ReadFailure::NotRegular)
            return 3;
        return 0;
    });
    EXPECT_EQ(code, 0);
}

} // namespace
