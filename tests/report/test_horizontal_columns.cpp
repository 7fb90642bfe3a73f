#include "TracedReportFixture.h"

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/TraceDevice.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/engine/HorizontalBandEngine.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"

#include <gtest/gtest.h>

using namespace report;
using namespace reporttest;

namespace {

// A4 with 10 mm margins, three columns of 60 mm across the page; a column
// header of 10 mm, details of 5 mm, a column footer of 10 mm.
class Columns : public TracedReportFixture
{
protected:
    Columns()
    {
        report.SetColumns(3);
        report.SetmmColumnWidth(60000);
        band<TppHeaderBand>(20000, QStringLiteral("Header"));
        band<TppFooterBand>(20000, QStringLiteral("Footer"));
        band<TppColumnHeaderBand>(10000, QStringLiteral("CH"));
        band<TppColumnFooterBand>(10000, QStringLiteral("CF"));
        detail = band<TppDetailBand>(5000, QStringLiteral("D"));
        detail->SetColumnTraversal(TppColumnTraversalType::ctLeftToRight);
    }

    TppDetailBand *detail = nullptr;
};

TEST_F(Columns, S5_RecordsFillRowsLeftToRight)
{
    rows(7);
    EXPECT_EQ(print().toStdString(), std::string("1: Header CH D CH D CH D*5 CF*3 Footer\n"));
    ASSERT_EQ(tops.size(), 1);
    // Rows of 3, 3 and 1 below the column headers; the column footers at
    // the foot of their columns.
    QList<int32_t> details, footers;
    for (const auto &[name, top] : tops[0]) {
        if (name == QLatin1String("D"))
            details.append(top);
        if (name == QLatin1String("CF"))
            footers.append(top);
    }
    EXPECT_EQ(details, (QList<int32_t>{40000, 40000, 40000, 45000, 45000, 45000, 50000}));
    EXPECT_EQ(footers, (QList<int32_t>{257000, 257000, 257000}));
    EXPECT_EQ(tops[0][1], (QPair<QString, int32_t>{"CH", 30000}));
}

TEST_F(Columns, AFullPageEndsEveryColumnAndTheNextStartsAgain)
{
    // 43 rows fit above the column footer and page footer; a column ends
    // with its last record (its footer comes first on the page).
    rows(130);
    EXPECT_EQ(print().toStdString(),
              std::string("1: Header CH D CH D CH D*124 CF D CF D CF D Footer\n2: Header CH D CF*3 Footer\n"));
    ASSERT_EQ(tops.size(), 2);
    EXPECT_EQ(tops[0].at(tops[0].size() - 2), (QPair<QString, int32_t>{"D", 250000}));
    EXPECT_EQ(tops[1][2], (QPair<QString, int32_t>{"D", 40000}));
}

TEST_F(Columns, ColumnsWithoutAPositionAreAnError)
{
    rows(7);
    report.SetColumnPositions({QStringLiteral("0.5"), QStringLiteral("3")});
    try {
        print();
        FAIL() << "no error";
    } catch (const EPrintError &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Unable to find position for column 3..\r\n\r\n")))
            << e.Message().toStdString();
    }
    // The engine is reset and prints again once the positions are whole.
    report.SetColumnPositions({QStringLiteral("0.5"), QStringLiteral("3"), QStringLiteral("5.5")});
    tops.clear();
    EXPECT_EQ(print().toStdString(), std::string("1: Header CH D CH D CH D*5 CF*3 Footer\n"));
}

TEST_F(Columns, OneColumnOrTopToBottomKeepsTheVerticalEngine)
{
    rows(2);
    report.SetColumns(1);
    EXPECT_EQ(print().toStdString(), std::string("1: Header D*2 Footer\n"));
    EXPECT_EQ(dynamic_cast<TppHorizontalBandEngine *>(detail->BandEngine()), nullptr);
}

} // namespace
