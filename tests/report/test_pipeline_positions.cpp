#include "EngineFixture.h"
#include "PipelineFixtures.h"

#include <QMap>

#include <stdexcept>

using namespace report;
using namespace reporttest;

namespace {

QString withoutPageNumbers(const QString &aPage)
{
    return aPage.mid(aPage.indexOf(u' ') + 1);
}

// Four customers of 30 orders each: 120 details at 47 a page, so the
// orders of customers 2 and 4 run across the page ends.
class PipelinePositions : public enginetest::EngineFixture
{
protected:
    PipelinePositions()
    {
        customers.AddField(QStringLiteral("Id"), TppDataType::dtInteger);
        for (int id = 1; id <= 4; ++id)
            customers.AddRow({id});
        orders.AddField(QStringLiteral("Id"), TppDataType::dtInteger);
        orders.AddField(QStringLiteral("CustId"), TppDataType::dtInteger);
        for (int i = 0; i < 120; ++i)
            orders.AddRow({1000 + i, 1 + i / 30});
        orders.AddLink(QStringLiteral("Id"), QStringLiteral("CustId"));
        orders.SetMasterDataPipeline(&customers);
        report.SetDataPipeline(&customers);
        detail->SetDataPipeline(&orders);
        detail->BeforePrint.Set([this](classes::TObject *) {
            printed[engine()->PageNo()].append(customers.GetFieldAsString(QStringLiteral("Id")) + ":" +
                                               orders.GetFieldAsString(QStringLiteral("Id")));
        });
    }
    ~PipelinePositions() override
    {
        detail->BeforePrint.Set(nullptr);
        detail->SetDataPipeline(nullptr);
        report.SetDataPipeline(nullptr);
        orders.SetMasterDataPipeline(nullptr);
    }

    MemoryPipeline customers;
    MemoryPipeline orders;
    QMap<int, QStringList> printed;
};

TEST_F(PipelinePositions, APageMadeAgainResumesBothPipelinesWhereItsPageBegan)
{
    generate();
    ASSERT_EQ(report.Delivered.size(), 3);
    const QStringList fullPages = report.Delivered;
    const auto fullTops = report.Tops;
    const QMap<int, QStringList> fullRecords = printed;
    ASSERT_EQ(fullRecords[3].size(), 26);
    EXPECT_EQ(fullRecords[3].first(), QStringLiteral("4:1094"));
    EXPECT_EQ(fullRecords[3].last(), QStringLiteral("4:1119"));
    EXPECT_EQ(fullRecords[2].first(), QStringLiteral("2:1047"));

    for (int page : {3, 2, 3, 1}) {
        report.Delivered.clear();
        printed.clear();
        generate(TppPageSettingType::psSinglePage, page);
        ASSERT_EQ(report.Delivered.size(), 1) << page;
        // A one-pass run learns the page count only at its last page.
        EXPECT_EQ(withoutPageNumbers(report.Delivered[0]), withoutPageNumbers(fullPages[page - 1])) << page;
        EXPECT_EQ(report.Tops.last(), fullTops[page - 1]) << page;
        EXPECT_EQ(printed.value(page), fullRecords[page]) << page;
    }
}

} // namespace

namespace {

TEST_F(PipelinePositions, TheCallerFindsBothPipelinesWhereItLeftThem)
{
    customers.Open();
    customers.First();
    customers.Next();
    customers.Next();
    orders.Open();
    orders.First();
    orders.Next();
    const QString customerId = customers.GetFieldAsString(QStringLiteral("Id"));
    const QString orderId = orders.GetFieldAsString(QStringLiteral("Id"));
    ASSERT_EQ(customerId, QStringLiteral("3"));
    const auto unmoved = [&](const char *aWhen) {
        EXPECT_EQ(customers.GetFieldAsString(QStringLiteral("Id")), customerId) << aWhen;
        EXPECT_EQ(orders.GetFieldAsString(QStringLiteral("Id")), orderId) << aWhen;
    };

    generate();
    unmoved("after the whole report");
    ASSERT_EQ(printed[3].size(), 26);
    const int held = customers.OutstandingBookmarks() + orders.OutstandingBookmarks();

    printed.clear();
    generate(TppPageSettingType::psSinglePage, 2);
    unmoved("after one page");
    EXPECT_EQ(printed[2].first(), QStringLiteral("2:1047"));
    // The marks taken for the call went with it.
    EXPECT_EQ(customers.OutstandingBookmarks() + orders.OutstandingBookmarks(), held);

    detail->AfterPrint.Set([](classes::TObject *) { throw std::runtime_error("detail"); });
    EXPECT_THROW(generate(TppPageSettingType::psSinglePage, 3), std::runtime_error);
    detail->AfterPrint.Set(nullptr);
    unmoved("after a failed page");
}

TEST_F(PipelinePositions, EveryRecordTheRunWalksIsAnnouncedByBothPipelines)
{
    QStringList announced;
    int customerSteps = 0;
    customers.OnTraversal.Set([&](classes::TObject *) { ++customerSteps; });
    orders.OnTraversal.Set(
        [&](classes::TObject *) { announced.append(orders.GetFieldAsString(QStringLiteral("Id"))); });
    generate();
    EXPECT_EQ(customerSteps, announced.size());
    // A page made from its saved state announces its first record again.
    announced.removeDuplicates();
    ASSERT_EQ(announced.size(), 120);
    EXPECT_EQ(announced.first(), QStringLiteral("1000"));
    EXPECT_EQ(announced.last(), QStringLiteral("1119"));

    announced.clear();
    generate(TppPageSettingType::psSinglePage, 2);
    // Its own records only: the next page's first record is announced on
    // the page that prints it.
    ASSERT_EQ(announced.size(), 47);
    EXPECT_EQ(announced.first(), QStringLiteral("1047"));
    EXPECT_EQ(announced.last(), QStringLiteral("1093"));
    customers.OnTraversal.Set(nullptr);
    orders.OnTraversal.Set(nullptr);
}

} // namespace
