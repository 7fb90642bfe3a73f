// The tools' inputs where the name is not an ordinary file: a template that is
// a pipe or a device is refused at once for what it is, and data or a stream
// from a device without end stops at the read limit with one line that names
// the file and the limit, instead of filling the memory.

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

struct InputRun
{
    int exitCode = -1;
    std::string error;
};

class SpecialInputsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    std::string path(const std::string &name) const
    {
        return m_dir.filePath(QString::fromStdString(name)).toStdString();
    }

    // The command with a bound on its time, its standard error kept.
    InputRun run(const std::string &aCommand) const
    {
        const std::string errors = path("stderr.txt");
        const int status = std::system(("timeout 60 " + aCommand + " >/dev/null 2>" + errors).c_str());
        InputRun result;
        if (status != -1 && WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
        result.error = zvotest::readFile(QString::fromStdString(errors));
        return result;
    }

    static std::string listData() { return std::string(ZVO_SOURCE_ROOT) + "/tools/reportdemo/samples/list.csv"; }

    QTemporaryDir m_dir;
};

TEST_F(SpecialInputsTest, ATemplateThatIsNoFileIsRefusedForWhatItIs)
{
    const std::string fifo = path("report.rtm");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A writer that never writes, and none.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    for (const std::string &name : {fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(name);
        const InputRun done = run(std::string(ZVO_REPORTDEMO) + " --template " + name + " --data " + listData());
        EXPECT_EQ(done.exitCode, 2);
        EXPECT_NE(done.error.find("\"" + name + "\" is not a regular file"), std::string::npos) << done.error;
        EXPECT_EQ(done.error.find("File not found"), std::string::npos) << done.error;
    }
    ::close(writer);
    const InputRun done = run(std::string(ZVO_REPORTDEMO) + " --template " + fifo + " --data " + listData());
    EXPECT_NE(done.error.find("is not a regular file"), std::string::npos) << done.error;
}

TEST_F(SpecialInputsTest, InputWithoutEndStopsAtTheLimitAndSaysSo)
{
    const std::string limit = "\"/dev/zero\" is larger than 268435456 bytes";
    const InputRun data = run(std::string(ZVO_REPORTDEMO) + " --report list --data /dev/zero");
    EXPECT_EQ(data.exitCode, 2);
    EXPECT_NE(data.error.find(limit), std::string::npos) << data.error;
    EXPECT_EQ(data.error.find("bad_alloc"), std::string::npos) << data.error;

    const InputRun stream = run(std::string(ZVO_STREAMCONV) + " --to-text /dev/zero " + path("out.txt"));
    EXPECT_EQ(stream.exitCode, 1);
    EXPECT_NE(stream.error.find(limit), std::string::npos) << stream.error;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("out.txt"))));
}

} // namespace
