// The archive device and its reader: the index and page streams of an
// archive, the outline only on the last page, jobs that end, are cancelled
// or fail, and archives that break the format's rules.

#include "TracedReportFixture.h"

#include "tests/support/report/PageFakes.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/pages/Page.h"
#include "report/output/ArchiveDevice.h"
#include "report/output/ArchiveReader.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/ClassRegistry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

using namespace report;

namespace {

QByteArray archiveFileBytes(const QString &aFileName)
{
    QFile file(aFileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

int32_t archiveInt(const QByteArray &aBytes, int aOffset)
{
    return qFromLittleEndian<int32_t>(aBytes.constData() + aOffset);
}

QByteArray archiveInts(std::initializer_list<int32_t> aValues)
{
    QByteArray bytes;
    for (int32_t value : aValues) {
        char le[4];
        qToLittleEndian(value, le);
        bytes.append(le, 4);
    }
    return bytes;
}

class ArchiveDeviceTest : public ::testing::Test
{
protected:
    reporttest::StandInCommandClasses classes;
    QTemporaryDir folder;
    QString name = folder.filePath(QStringLiteral("pages.raf"));
};

} // namespace

TEST_F(ArchiveDeviceTest, PagesGoInArrivalOrderWithTheOutlineOnlyOnTheLast)
{
    std::vector<std::unique_ptr<TppPage>> pages;
    for (int no : {3, 1, 2}) {
        pages.push_back(reporttest::makePage(no, 4 + no));
        pages.back()->AddDrawCommand(new reporttest::StandInOutlineCommand);
    }
    pages.back()->SetLastPage(true);

    TppArchiveDevice device;
    device.SetFileName(name);
    device.StartJob();
    const QString pageFile = device.TempFileName();
    EXPECT_FALSE(pageFile.isEmpty());
    EXPECT_FALSE(QFile::exists(pageFile)) << "open, the page file needs no name a killed job would leave";
    for (const auto &page : pages)
        device.WritePage(page.get());
    device.EndJob();
    EXPECT_FALSE(QFile::exists(pageFile));
    // The outline is left out of the archive, not taken off the pages.
    for (const auto &page : pages)
        EXPECT_NE(page->OutlineDrawCommand(), nullptr) << page->AbsolutePageNo();

    const QByteArray bytes = archiveFileBytes(name);
    ASSERT_GE(bytes.size(), 28);
    EXPECT_EQ(archiveInt(bytes, 0), 28);
    EXPECT_EQ(archiveInt(bytes, 4), 0);
    EXPECT_EQ(archiveInt(bytes, 8), 3);
    EXPECT_EQ(archiveInt(bytes, 16), 1);
    EXPECT_EQ(archiveInt(bytes, 24), 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bytes.mid(28 + archiveInt(bytes, 4 + 8 * i), 4), QByteArray("TPF0")) << i;

    const TppArchiveReader reader = TppArchiveReader::FromFile(name);
    ASSERT_EQ(reader.PageCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const std::unique_ptr<TppPage> read = reader.ReadPage(i);
        EXPECT_EQ(reader.AbsolutePageNo(i), pages[size_t(i)]->AbsolutePageNo());
        EXPECT_EQ(read->PageNo(), pages[size_t(i)]->PageNo());
        // Every command of the page in its order, the outline only on the last.
        std::vector<TppDrawCommand *> stored;
        for (int c = 0; c < pages[size_t(i)]->DrawCommandCount(); ++c)
            if (i == 2 || pages[size_t(i)]->DrawCommands(c) != pages[size_t(i)]->OutlineDrawCommand())
                stored.push_back(pages[size_t(i)]->DrawCommands(c));
        ASSERT_EQ(size_t(read->DrawCommandCount()), stored.size());
        for (int c = 0; c < read->DrawCommandCount(); ++c)
            EXPECT_TRUE(read->DrawCommands(c)->IsEqual(stored[size_t(c)])) << i << " " << c;
        EXPECT_EQ(read->OutlineDrawCommand() != nullptr, i == 2) << i;
    }
}

TEST_F(ArchiveDeviceTest, TheLastPagesOutlineComesBackWithItsTree)
{
    // Read back by class name, as the library's start-up registers it.
    const bool registers = !classes::GetClass(u"TppOutlineNode");
    if (registers)
        classes::RegisterClass(TppOutlineNode::StaticClass());
    std::unique_ptr<TppPage> page = reporttest::makePage(1, 2);
    page->SetLastPage(true);
    auto *root = new TppOutlineNode;
    root->SetNodeType(TppOutlineNodeType::ntRoot);
    auto *group = static_cast<TppOutlineNode *>(root->Add());
    group->SetCaption(QStringLiteral("A"));
    group->SetPageReference(1);
    group->SetNodeType(TppOutlineNodeType::ntGroup);
    auto *pageNode = static_cast<TppOutlineNode *>(group->Add());
    pageNode->SetCaption(QStringLiteral("Page 1"));
    pageNode->SetPageReference(1);
    pageNode->SetNodeType(TppOutlineNodeType::ntPage);
    auto *command = new TppOutlineDrawCommand;
    command->SetOutlineComplete(true);
    root->SetParent(command);
    page->AddDrawCommand(command);

    TppArchiveDevice device;
    device.SetFileName(name);
    device.StartJob();
    device.WritePage(page.get());
    device.EndJob();
    const std::unique_ptr<TppPage> read = TppArchiveReader::FromFile(name).ReadPage(0);
    const auto *back = dynamic_cast<const TppOutlineDrawCommand *>(read->OutlineDrawCommand());
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->IsEqual(command));
    ASSERT_NE(back->OutlineNode(), nullptr);
    EXPECT_EQ(back->NodeCount(), 2);
    if (registers)
        classes::UnRegisterClass(TppOutlineNode::StaticClass());
}

// The reader discards what it made of a page that breaks off, the outline's
// nodes among them, while the outline command holds its tree apart from the
// page: each object must be freed once, whichever of the two goes first.
TEST_F(ArchiveDeviceTest, AnOutlinePageCutShortFailsAndFreesEachObjectOnce)
{
    const bool registers = !classes::GetClass(u"TppOutlineNode");
    if (registers)
        classes::RegisterClass(TppOutlineNode::StaticClass());
    std::unique_ptr<TppPage> page = reporttest::makePage(1, 2);
    page->SetLastPage(true);
    auto *root = new TppOutlineNode;
    root->SetNodeType(TppOutlineNodeType::ntRoot);
    for (const char *caption : {"A", "B"}) {
        auto *group = static_cast<TppOutlineNode *>(root->Add());
        group->SetCaption(QLatin1String(caption));
        group->SetNodeType(TppOutlineNodeType::ntGroup);
        static_cast<TppOutlineNode *>(group->Add())->SetCaption(QStringLiteral("Page 1"));
    }
    auto *command = new TppOutlineDrawCommand;
    root->SetParent(command);
    page->AddDrawCommand(command);
    TppArchiveDevice device;
    device.SetFileName(name);
    device.StartJob();
    device.WritePage(page.get());
    device.EndJob();
    const QByteArray whole = archiveFileBytes(name);
    ASSERT_EQ(TppArchiveReader(whole).ReadPage(0)->OutlineDrawCommand() != nullptr, true);

    // Every cut within the page stream, from the last byte on.
    const int pageArea = archiveInt(whole, 0);
    for (int size = int(whole.size()) - 1; size >= pageArea + 4; --size) {
        const TppArchiveReader reader(whole.left(size));
        EXPECT_THROW(reader.ReadPage(0), std::exception) << size;
    }
    if (registers)
        classes::UnRegisterClass(TppOutlineNode::StaticClass());
}

TEST_F(ArchiveDeviceTest, NoPagesCancelAndFailedWritesLeaveNothingBehind)
{
    {
        TppArchiveDevice device;
        device.SetFileName(name);
        device.StartJob();
        device.EndJob();
        EXPECT_EQ(archiveFileBytes(name), QByteArray::fromHex("04000000"));
        EXPECT_EQ(TppArchiveReader::FromFile(name).PageCount(), 0);
    }
    {
        TppArchiveDevice device;
        device.SetFileName(name);
        device.StartJob();
        const QString pageFile = device.TempFileName();
        device.WritePage(reporttest::makePage(1, 2).get());
        device.CancelJob();
        EXPECT_FALSE(QFile::exists(pageFile));
        EXPECT_EQ(archiveFileBytes(name), QByteArray::fromHex("04000000")) << "the earlier archive stays";
    }
    {
        // Freed in the middle of a job: the archive is completed.
        auto device = std::make_unique<TppArchiveDevice>();
        device->SetFileName(name);
        device->StartJob();
        const QString pageFile = device->TempFileName();
        device->WritePage(reporttest::makePage(1, 2).get());
        device.reset();
        EXPECT_FALSE(QFile::exists(pageFile));
        EXPECT_EQ(TppArchiveReader::FromFile(name).PageCount(), 1);
    }
    {
        TppArchiveDevice device;
        device.SetFileName(folder.filePath(QStringLiteral("missing/pages.raf")));
        EXPECT_THROW(device.StartJob(), classes::EStreamError);
        EXPECT_TRUE(device.TempFileName().isEmpty());
    }
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        TppArchiveDevice device;
        device.SetFileName(QStringLiteral("/dev/full"));
        device.StartJob();
        const QString pageFile = device.TempFileName();
        EXPECT_THROW(device.WritePage(reporttest::makePage(1, 2).get()), classes::EWriteError);
        device.CancelJob();
        EXPECT_FALSE(QFile::exists(pageFile));
        EXPECT_TRUE(QFile::exists(QStringLiteral("/dev/full")));
    }
}

TEST_F(ArchiveDeviceTest, TheReaderRefusesArchivesThatBreakTheRules)
{
    const QByteArray page = QByteArray("TPF0") + QByteArray(8, '\0');
    const std::vector<std::pair<const char *, QByteArray>> bad = {
        {"empty", QByteArray()},
        {"truncated header", QByteArray::fromHex("0400")},
        {"page area before the index", archiveInts({3})},
        {"page area beyond the file", archiveInts({12, 0})},
        {"half an entry", archiveInts({8, 0}) + page},
        {"first offset not 0", archiveInts({12, 4, 1}) + page + page},
        {"falling offsets", archiveInts({20, 0, 1, 0, 2}) + page},
        {"offset beyond the file", archiveInts({12, 4000, 1}) + page},
        {"negative offset", archiveInts({20, 0, 1, -8, 2}) + page},
        {"no signature", archiveInts({12, 0, 1}) + QByteArray("TPF1abcd")},
        {"a page shorter than its signature", archiveInts({20, 0, 1, 12, 2}) + page + "TP"},
    };
    for (const auto &[what, bytes] : bad)
        EXPECT_THROW(TppArchiveReader{bytes}, classes::EReadError) << what;

    // A well-formed index whose page stream is not a page fails on reading it.
    const TppArchiveReader reader(archiveInts({12, 0, 1}) + page);
    ASSERT_EQ(reader.PageCount(), 1);
    EXPECT_THROW(reader.ReadPage(0), classes::EStreamError);
    EXPECT_EQ(reader.PageBytes(0), page);
}

namespace {

class CachedPagesArchive : public TracedReportFixture
{
protected:
    QTemporaryDir folder;
};

} // namespace

TEST_F(CachedPagesArchive, ArchivingCachedPagesKeepsTheirOutlinesAndWritesTheSameBytes)
{
    band<TppHeaderBand>(20000, QStringLiteral("Header"));
    band<TppFooterBand>(20000, QStringLiteral("Footer"));
    band<TppDetailBand>(5000, QStringLiteral("Detail"));
    rows(100);
    report.SetCachePages(true);
    // As a preview does: every page generated once and kept.
    print();
    TppPublisher &publisher = *report.Publisher();
    ASSERT_EQ(publisher.CachedPageCount(), 3);

    // What an archive of these pages holds: copies whose outline was taken
    // off, but the last page's.
    const QString expectedName = folder.filePath(QStringLiteral("expected.raf"));
    {
        TppArchiveDevice expected;
        expected.SetFileName(expectedName);
        expected.StartJob();
        for (int i = 0; i < publisher.CachedPageCount(); ++i) {
            ASSERT_NE(publisher.CachedPages(i)->OutlineDrawCommand(), nullptr) << i;
            TppPage copy;
            copy.Assign(publisher.CachedPages(i));
            if (!copy.LastPage())
                delete copy.OutlineDrawCommand();
            expected.WritePage(&copy);
        }
        expected.EndJob();
    }

    // The job is served from the cache.
    const QString name = folder.filePath(QStringLiteral("pages.raf"));
    TppArchiveDevice device;
    device.SetFileName(name);
    device.SetPublisher(&publisher);
    report.PrintToDevices();
    device.SetPublisher(nullptr);
    ASSERT_EQ(publisher.CachedPageCount(), 3);
    for (int i = 0; i < publisher.CachedPageCount(); ++i)
        EXPECT_NE(publisher.CachedPages(i)->OutlineDrawCommand(), nullptr) << "cached page " << i + 1;
    const QByteArray bytes = archiveFileBytes(name);
    EXPECT_EQ(archiveInt(bytes, 0), 28);
    EXPECT_EQ(bytes, archiveFileBytes(expectedName));
}
