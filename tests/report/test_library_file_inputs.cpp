// The files a report names at run time (a picture, a rich text, an archive)
// and the library's language module, with a pipe whose writer never writes
// or a device without end in the file's place: each is refused at once as
// no such file, instead of holding up or filling the memory of the report
// that asked.

#include "report/content/richtext/RichText.h"
#include "report/model/base/LanguageModule.h"
#include "report/output/ArchiveReader.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Picture.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace report {
namespace {

class LibraryFileInputsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_fifo = m_dir.filePath(QStringLiteral("pipe")).toStdString();
        ASSERT_EQ(::mkfifo(m_fifo.c_str(), 0600), 0);
        ASSERT_EQ(::symlink("/dev/zero", m_dir.filePath(QStringLiteral("zero")).toStdString().c_str()), 0);
    }

    // 0 when every name is refused, else the bits of those that were not;
    // -1 when one of them held the child up.
    int refusedEach(const std::function<bool(const QString &)> &refused) const
    {
        return zvotest::inTimedChild([&] {
            const int writer = ::open(m_fifo.c_str(), O_RDWR | O_CLOEXEC);
            int answer = 0;
            const QString names[] = {QString::fromStdString(m_fifo), m_dir.filePath(QStringLiteral("zero")),
                                     QStringLiteral("/dev/zero"), m_dir.path()};
            for (int i = 0; i < 4; ++i)
                if (!refused(names[i]))
                    answer |= 1 << i;
            ::close(writer);
            return answer;
        });
    }

    QTemporaryDir m_dir;
    std::string m_fifo;
};

TEST_F(LibraryFileInputsTest, ReportFilesThatAreNoFilesAreRefusedAtOnce)
{
    EXPECT_EQ(refusedEach([](const QString &name) {
                  classes::TPicture picture;
                  try {
                      picture.LoadFromFile(name);
                  } catch (const classes::EInvalidGraphic &) {
                      return true;
                  }
                  return false;
              }),
              0)
        << "picture";
    EXPECT_EQ(refusedEach([](const QString &name) { return !TppRichText().LoadFromFile(name); }), 0) << "rich text";
    EXPECT_EQ(refusedEach([](const QString &name) { return LanguageModule::load(name) == nullptr; }), 0)
        << "language module";
    EXPECT_EQ(refusedEach([](const QString &name) {
                  try {
                      TppArchiveReader::FromFile(name);
                  } catch (const classes::EFOpenError &e) {
                      return std::string(e.what()).find("is not a regular file") != std::string::npos;
                  }
                  return false;
              }),
              0)
        << "archive";
}

} // namespace
} // namespace report
