// What the class library's formatting costs next to the C library's and
// Qt's for the same job. Every benchmark walks the same 10,000 values once
// per iteration; items per second is calls per second.

#include "platform/rtl/DateTime.h"
#include "platform/rtl/EditMask.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/FormatFloat.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr int Count = 10000;

const std::vector<double> &numbers()
{
    static const std::vector<double> values = [] {
        std::mt19937_64 random(42);
        std::uniform_real_distribution<double> magnitude(-2.0, 9.0);
        std::vector<double> v;
        for (int i = 0; i < Count; ++i)
            v.push_back((i % 2 ? -1 : 1) * std::pow(10.0, magnitude(random)));
        return v;
    }();
    return values;
}

// Date-times between 1950 and 2050, to the second.
const std::vector<rtl::TDateTime> &moments()
{
    static const std::vector<rtl::TDateTime> values = [] {
        std::mt19937_64 random(7);
        std::uniform_int_distribution<int64_t> seconds(int64_t(18264) * 86400, int64_t(54789) * 86400);
        std::vector<rtl::TDateTime> v;
        for (int i = 0; i < Count; ++i)
            v.push_back(double(seconds(random)) / 86400.0);
        return v;
    }();
    return values;
}

const std::vector<QString> &phoneNumbers()
{
    static const std::vector<QString> values = [] {
        std::mt19937_64 random(11);
        std::uniform_int_distribution<int64_t> digits(1000000000LL, 9999999999LL);
        std::vector<QString> v;
        for (int i = 0; i < Count; ++i)
            v.push_back(QString::number(digits(random)));
        return v;
    }();
    return values;
}

template <typename Each>
void run(benchmark::State &state, const Each &each)
{
    for (auto _ : state)
        for (int i = 0; i < Count; ++i)
            each(i);
    state.SetItemsProcessed(state.iterations() * Count);
}

// --- FormatFloat("#,0.00") and its rivals ------------------------------------

void BM_FormatFloat(benchmark::State &state)
{
    const rtl::TFormatSettings &s = rtl::FormatSettingsEnUS();
    run(state, [&](int i) { benchmark::DoNotOptimize(rtl::FormatFloat(u"#,0.00", numbers()[size_t(i)], s)); });
}

void BM_SnprintfFixed2(benchmark::State &state)
{
    char buf[64];
    run(state, [&](int i) {
        benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%.2f", numbers()[size_t(i)]));
        benchmark::ClobberMemory();
    });
}

void BM_QStringNumberFixed2(benchmark::State &state)
{
    run(state, [&](int i) { benchmark::DoNotOptimize(QString::number(numbers()[size_t(i)], 'f', 2)); });
}

void BM_QLocaleToStringFixed2(benchmark::State &state)
{
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    run(state, [&](int i) { benchmark::DoNotOptimize(locale.toString(numbers()[size_t(i)], 'f', 2)); });
}

// --- FloatToStr and %.15g ------------------------------------------------------

void BM_FloatToStr(benchmark::State &state)
{
    const rtl::TFormatSettings &s = rtl::FormatSettingsEnUS();
    run(state, [&](int i) { benchmark::DoNotOptimize(rtl::FloatToStr(numbers()[size_t(i)], s)); });
}

void BM_SnprintfGeneral15(benchmark::State &state)
{
    char buf[64];
    run(state, [&](int i) {
        benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%.15g", numbers()[size_t(i)]));
        benchmark::ClobberMemory();
    });
}

// --- FormatDateTime and its rivals ---------------------------------------------

void BM_FormatDateTime(benchmark::State &state)
{
    const rtl::TFormatSettings &s = rtl::FormatSettingsEnUS();
    run(state,
        [&](int i) { benchmark::DoNotOptimize(rtl::FormatDateTime(u"yyyy-mm-dd hh:nn:ss", moments()[size_t(i)], s)); });
}

void BM_Strftime(benchmark::State &state)
{
    // The C library's work starts from broken-down time, as ours starts
    // from a date-time number: the split is part of the job.
    char buf[64];
    run(state, [&](int i) {
        const time_t t = time_t((moments()[size_t(i)] - 25569.0) * 86400.0);
        tm parts{};
        gmtime_r(&t, &parts);
        benchmark::DoNotOptimize(std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &parts));
        benchmark::ClobberMemory();
    });
}

void BM_QDateTimeToString(benchmark::State &state)
{
    std::vector<QDateTime> values;
    for (rtl::TDateTime m : moments())
        values.push_back(QDateTime::fromSecsSinceEpoch(qint64((m - 25569.0) * 86400.0), Qt::UTC));
    run(state, [&](int i) { benchmark::DoNotOptimize(values[size_t(i)].toString(u"yyyy-MM-dd HH:mm:ss")); });
}

// --- FormatMaskText of a phone number --------------------------------------------

void BM_FormatMaskText(benchmark::State &state)
{
    const rtl::TFormatSettings &s = rtl::FormatSettingsEnUS();
    run(state, [&](int i) {
        benchmark::DoNotOptimize(rtl::FormatMaskText(u"!\\(999\\)\\ 000\\-0000;0; ", phoneNumbers()[size_t(i)], s));
    });
}

void BM_SnprintfPhone(benchmark::State &state)
{
    std::vector<std::string> values;
    for (const QString &p : phoneNumbers())
        values.push_back(p.toStdString());
    char buf[64];
    run(state, [&](int i) {
        const char *d = values[size_t(i)].c_str();
        benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "(%.3s) %.3s-%.4s", d, d + 3, d + 6));
        benchmark::ClobberMemory();
    });
}

} // namespace

BENCHMARK(BM_FormatFloat);
BENCHMARK(BM_SnprintfFixed2);
BENCHMARK(BM_QStringNumberFixed2);
BENCHMARK(BM_QLocaleToStringFixed2);
BENCHMARK(BM_FloatToStr);
BENCHMARK(BM_SnprintfGeneral15);
BENCHMARK(BM_FormatDateTime);
BENCHMARK(BM_Strftime);
BENCHMARK(BM_QDateTimeToString);
BENCHMARK(BM_FormatMaskText);
BENCHMARK(BM_SnprintfPhone);

BENCHMARK_MAIN();
