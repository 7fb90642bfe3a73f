#include "EngineFixture.h"
#include "PipelineFixtures.h"

#include <QMap>

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
