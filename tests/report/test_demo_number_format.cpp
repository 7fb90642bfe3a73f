#include "tests/support/report/MemoryPipeline.h"

#include "Samples.h"

#include "report/content/text/DBText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/reports/Report.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

using namespace report;

namespace {

// The detail's data texts of the list sample, by field name: their formats.
QHash<QString, QString> detailFormats(reporttest::MemoryPipeline &aData)
{
    std::unique_ptr<TppReport> sample = reportdemo::CreateSample(QStringLiteral("list"), aData);
    QHash<QString, QString> formats;
    TppDetailBand *detail = sample->GetDetailBand();
    for (int i = 0; detail && i < detail->ObjectCount(); ++i)
        if (const auto *text = dynamic_cast<const TppDBText *>(detail->Objects(i)))
            formats.insert(text->DataField(), text->DisplayFormat());
    return formats;
}

// The decimals a value shows at 15 significant digits, written the long way.
int shownDecimals(double aValue)
{
    const QString text = QString::number(aValue, 'g', 15);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    return point < 0 || text.contains(QLatin1Char('e')) ? 0 : int(text.size() - point - 1);
}

QString formatOf(int aDecimals)
{
    return aDecimals > 0 ? QStringLiteral("0.") + QString(aDecimals, QLatin1Char('0')) : QString();
}

// A numeric column shows the decimals of its longest value, wherever it
// stands; values written with an exponent, sums that are not quite their
// decimal and text-less nulls add none.
TEST(DemoNumberFormat, ColumnsShowTheDecimalsOfTheirLongestValue)
{
    ppModelLayerInit();
    const QList<QVariantList> columns = {
        {18.5, 9.25, 37.0},
        {37.0, 9.25, 3.125},
        {1.0, -2.0, 1e14, 0.0},
        {0.1 + 0.2, 1e-7, 2e20, QVariant()},
        {1.0 / 3.0, 2.0},
        {-7.75, 1e15 + 0.5, 123456789.0125},
        {std::nan(""), HUGE_VAL, 0.5},
    };
    const QStringList expected = {QStringLiteral("0.00"), QStringLiteral("0.000"), QString(),
                                  QStringLiteral("0.0"), formatOf(15), QStringLiteral("0.0000"),
                                  QStringLiteral("0.0")};
    reporttest::MemoryPipeline data;
    for (int c = 0; c < columns.size(); ++c)
        data.AddField(QStringLiteral("N%1").arg(c), TppDataType::dtDouble);
    for (int row = 0; row < 4; ++row) {
        QVariantList values;
        for (const QVariantList &column : columns)
            values << (row < column.size() ? column[row] : QVariant());
        data.AddRow(values);
    }
    const QHash<QString, QString> formats = detailFormats(data);
    for (int c = 0; c < columns.size(); ++c)
        EXPECT_EQ(formats.value(QStringLiteral("N%1").arg(c)), expected[c]) << c;
}

// Over values of every size and decimals, read as a CSV reads them, the
// format agrees with the decimals each value shows at 15 digits.
TEST(DemoNumberFormat, AgreesWithTheValuesWrittenOut)
{
    ppModelLayerInit();
    QRandomGenerator random(64);
    constexpr int fields = 12;
    reporttest::MemoryPipeline data;
    for (int c = 0; c < fields; ++c)
        data.AddField(QStringLiteral("F%1").arg(c), TppDataType::dtDouble);
    int decimals[fields] = {};
    for (int row = 0; row < 400; ++row) {
        QVariantList values;
        for (int c = 0; c < fields; ++c) {
            const int places = int(random.bounded(c + 1));
            const double whole = double(random.bounded(2000000)) - 1000000.0;
            const double digits = random.generateDouble() * std::pow(10.0, double(c));
            const QString written = QString::number(whole * std::pow(10.0, double(c % 5)) + digits, 'f', places);
            const double value = c == fields - 1 ? random.generateDouble() * std::pow(10.0, random.bounded(40) - 20.0)
                                                 : written.toDouble();
            decimals[c] = std::max(decimals[c], shownDecimals(value));
            values << value;
        }
        data.AddRow(values);
    }
    const QHash<QString, QString> formats = detailFormats(data);
    for (int c = 0; c < fields; ++c)
        EXPECT_EQ(formats.value(QStringLiteral("F%1").arg(c)), formatOf(decimals[c])) << c;
}

} // namespace
