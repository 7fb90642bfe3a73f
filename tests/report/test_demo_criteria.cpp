// reportdemo's criteria over its CSV pipeline: the records become the rows
// that pass, by their numbers; the rows themselves stay as loaded.

#include "Criteria.h"

#include "tests/support/report/MemoryPipeline.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/reports/Report.h"

#include <gtest/gtest.h>

namespace {

QList<double> demoAmounts(reporttest::MemoryPipeline &aData)
{
    QList<double> amounts;
    for (aData.First(); !aData.Eof(); aData.Next())
        amounts << aData.GetFieldValue(QStringLiteral("Amount")).toDouble();
    return amounts;
}

TEST(DemoCriteria, KeepTheMatchingRowsByNumberAndEveryRow)
{
    reporttest::MemoryPipeline data;
    data.SetName(QStringLiteral("Data"));
    data.AddField(QStringLiteral("City"));
    data.AddField(QStringLiteral("Amount"), report::TppDataType::dtDouble);
    const char *cities[] = {"Lyon", "Oslo", "Lyon", "Porto", "Lyon"};
    for (int i = 0; i < 5; ++i)
        data.AddRow({QString::fromLatin1(cities[i]), 10.0 * (i + 1)});
    report::TppReport report(nullptr);
    reportdemo::DemoCriteria criteria(report, data);

    // Without criteria nothing is filtered nor walked.
    criteria.Apply();
    EXPECT_FALSE(data.IsRowFilterSet());
    EXPECT_EQ(demoAmounts(data), (QList<double>{10, 20, 30, 40, 50}));

    QString error;
    ASSERT_TRUE(criteria.Add(QStringLiteral("City:soEqual:Lyon"), error)) << error.toStdString();
    ASSERT_TRUE(criteria.Add(QStringLiteral("Amount:soGreaterThan:15"), error)) << error.toStdString();
    criteria.Apply();
    EXPECT_EQ(data.RowCount(), 5);
    EXPECT_EQ(demoAmounts(data), (QList<double>{30, 50}));

    // A second search starts again from every row, not from the records
    // the first one kept.
    report::TppAutoSearchField *amount = report.AutoSearchFieldList().back();
    amount->SetShowAllValues(true);
    criteria.Apply();
    EXPECT_EQ(demoAmounts(data), (QList<double>{10, 30, 50}));
    report.AutoSearchFieldList().front()->SetShowAllValues(true);
    criteria.Apply();
    EXPECT_EQ(demoAmounts(data), (QList<double>{10, 20, 30, 40, 50}));
}

} // namespace
