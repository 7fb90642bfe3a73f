// What the report library's smallest services cost per call: every page
// converts lengths thousands of times, every status line looks texts up, and
// every printed field goes through a display format.

#include "report/model/base/DisplayFormat.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>

using namespace report;

namespace {

class FixedPrinter : public PrinterResolution
{
public:
    int pixelsPerInch(TppAxisType) const override { return 600; }
};

constexpr std::array<TppUnitType, 5> Units = {TppUnitType::utScreenPixels, TppUnitType::utInches,
                                              TppUnitType::utMillimeters, TppUnitType::utPrinterPixels,
                                              TppUnitType::utMMThousandths};

void FromMMThousandths(benchmark::State &state)
{
    const FixedPrinter printer;
    const TppUnitType unit = Units[size_t(state.range(0))];
    int32_t value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ppFromMMThousandths(value, unit, TppAxisType::atHorizontal, &printer));
        value = (value + 7919) & 0xFFFFF;
    }
    state.SetLabel(EnumName(unit).toStdString());
}
BENCHMARK(FromMMThousandths)->DenseRange(0, 4);

void ToMMThousandths(benchmark::State &state)
{
    const FixedPrinter printer;
    const TppUnitType unit = Units[size_t(state.range(0))];
    float value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ppToMMThousandths(value, unit, TppAxisType::atVertical, &printer));
        value = value > 1000 ? 0 : value + 0.37f;
    }
    state.SetLabel(EnumName(unit).toStdString());
}
BENCHMARK(ToMMThousandths)->DenseRange(0, 4);

// Messages of the own table: with no module, and behind two modules that do
// not have them (the longest way a lookup takes).
void LoadStr(benchmark::State &state)
{
    ppFreeResourceManager();
    QTemporaryDir dir;
    std::unique_ptr<ScopedLanguageModuleFolder> folder;
    if (state.range(0) > 0) {
        folder = std::make_unique<ScopedLanguageModuleFolder>(dir.path());
        for (const char *name : {"first.dft", "second.dft"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            file.open(QIODevice::WriteOnly);
            for (int id = 43200; id < 43500; ++id)
                file.write(QByteArray::number(id) + "=Text number " + QByteArray::number(id) + "\n");
        }
        ppGetResourceManager().RegisterModule("first");
        ppGetResourceManager().RegisterModule("second");
    }
    int n = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ppLoadStr(n));
        n = n == 100 ? 1 : n + 1;
    }
    state.SetLabel(state.range(0) ? "two modules" : "no module");
    ppFreeResourceManager();
}
BENCHMARK(LoadStr)->Arg(0)->Arg(2);

void FormatDisplayValue(benchmark::State &state, const QString &format, TppDataType type, const QVariant &value)
{
    const rtl::ScopedFormatSettings us(rtl::FormatSettingsEnUS());
    const TppDisplayFormat &formatter = ppDefaultDisplayFormat();
    ppSetDisplayFormatClass(&formatter);
    for (auto _ : state)
        benchmark::DoNotOptimize(ppFormatDisplayValue(format, type, value));
    ppSetDisplayFormatClass(nullptr);
}
BENCHMARK_CAPTURE(FormatDisplayValue, date, QStringLiteral("mmmm d, yyyy"), TppDataType::dtDate,
                  QVariant(rtl::EncodeDate(1995, 3, 4)));
BENCHMARK_CAPTURE(FormatDisplayValue, currency, QStringLiteral("$#,0.00;($#,0.00)"), TppDataType::dtCurrency,
                  QVariant(-1234.4));
BENCHMARK_CAPTURE(FormatDisplayValue, mask, QStringLiteral("!\\(999\\)\\ 000\\-0000;0; "), TppDataType::dtString,
                  QVariant(QStringLiteral("5551234567")));

} // namespace

// As in the program: a GUI application whose screen is asked once.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
