// What a search handler pays to match one record against an in-list
// criterion of 10,000 values: it asks the count and then every value in
// turn, as the report's pipelines do for each record they filter.

#include "report/model/autosearch/AutoSearchField.h"

#include <benchmark/benchmark.h>

#include <QStringList>

namespace {

void BM_ReadEveryListValue(benchmark::State &aState)
{
    const int count = int(aState.range(0));
    QStringList values;
    for (int i = 0; i < count; ++i)
        values << QString::number(i);
    report::TppAutoSearchField field;
    field.SetSearchOperator(report::TppSearchOperatorType::soInList);
    field.SetDataType(report::TppDataType::dtInteger);
    field.SetSearchExpression(values.join(QLatin1Char(',')));
    for (auto _ : aState) {
        int64_t sum = 0;
        for (int i = 0; i < field.ValueCount(); ++i)
            sum += field.Values(i).toInt();
        benchmark::DoNotOptimize(sum);
    }
    aState.SetItemsProcessed(aState.iterations() * count);
}
BENCHMARK(BM_ReadEveryListValue)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
