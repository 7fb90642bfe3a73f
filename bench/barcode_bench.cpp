// Encodes per second of every symbology at 600 dpi. A page of labels encodes
// each symbol once per device and once more for measuring, so encoding must
// never be what a bar-code report waits for; libzint's encoder of the same
// data is the yardstick (ratio in the counters: ours over theirs). Painting
// a symbol onto an image at 600 dpi is set beside libzint's raster output at
// the same pixels per module.

#include "report/content/barcodes/Code128.h"
#include "report/content/barcodes/DrawBarCode.h"

#include "platform/gfx/Canvas.h"

#include <benchmark/benchmark.h>

#ifdef ZVO_HAVE_ZINT
#include <zint.h>
#endif

#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <array>
#include <chrono>
#include <cstring>

using namespace report;
using T = TppBarCodeType;

namespace {

struct Sample
{
    const char *name;
    T type;
    const char *data;
    int zintType;
};

#ifndef ZVO_HAVE_ZINT
enum {
    BARCODE_UPCA,
    BARCODE_UPCE,
    BARCODE_EANX,
    BARCODE_C25INTER,
    BARCODE_CODE128,
    BARCODE_CODE39,
    BARCODE_POSTNET,
    BARCODE_FIM,
    BARCODE_CODABAR,
    BARCODE_MSI_PLESSEY
};
#endif

const std::array<Sample, 11> kSamples = {{
    {"UPC-A", T::bcUPC_A, "01234567890", BARCODE_UPCA},
    {"UPC-E", T::bcUPC_E, "012345", BARCODE_UPCE},
    {"EAN-13", T::bcEAN_13, "400638133393", BARCODE_EANX},
    {"EAN-8", T::bcEAN_8, "9638507", BARCODE_EANX},
    {"I2of5", T::bcInt2of5, "0123456789012", BARCODE_C25INTER},
    {"Code128", T::bcCode128, "Zarvello 2026-12-07 1234", BARCODE_CODE128},
    {"Code39", T::bcCode39, "ZARVELLO-1234", BARCODE_CODE39},
    {"Postnet", T::bcPostnet, "123456789", BARCODE_POSTNET},
    {"FIM", T::bcFIM, "A", BARCODE_FIM},
    {"Codabar", T::bcCodabar, "A40156B", BARCODE_CODABAR},
    {"MSI", T::bcMSI, "7992739871", BARCODE_MSI_PLESSEY},
}};

void ours(benchmark::State &state)
{
    const Sample &sample = kSamples[size_t(state.range(0))];
    state.SetLabel(sample.name);
    BarCodeSymbol s;
    s.BarCodeType = sample.type;
    s.BarWidth = 330; // 0.013 inch, a common narrow bar
    s.WideBarRatio = 3.0f;
    s.AutoEncode = true;
    const QString data = QString::fromLatin1(sample.data);
    BarColumns columns;
    for (auto _ : state) {
        s.Data = data;
        s.CodeOK = true;
        EncodeBarCode(s, 600, columns);
        benchmark::DoNotOptimize(columns.view().data());
    }
    state.counters["encodes/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["columns"] = double(columns.size());
}
BENCHMARK(ours)->DenseRange(0, int(kSamples.size()) - 1);

#ifdef ZVO_HAVE_ZINT
void zint(benchmark::State &state)
{
    const Sample &sample = kSamples[size_t(state.range(0))];
    state.SetLabel(sample.name);
    zint_symbol *symbol = ZBarcode_Create();
    for (auto _ : state) {
        ZBarcode_Clear(symbol);
        symbol->symbology = sample.zintType;
        const int rc = ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char *>(sample.data),
                                       int(std::strlen(sample.data)));
        benchmark::DoNotOptimize(rc);
    }
    ZBarcode_Delete(symbol);
    state.counters["encodes/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(zint)->DenseRange(0, int(kSamples.size()) - 1);

// Both encoders in one run, alternating, so that the ratio does not depend
// on what else the machine did between two benchmarks.
void ratio(benchmark::State &state)
{
    const Sample &sample = kSamples[size_t(state.range(0))];
    state.SetLabel(sample.name);
    BarCodeSymbol s;
    s.BarCodeType = sample.type;
    s.BarWidth = 330;
    s.AutoEncode = true;
    const QString data = QString::fromLatin1(sample.data);
    BarColumns columns;
    zint_symbol *symbol = ZBarcode_Create();
    using Clock = std::chrono::steady_clock;
    Clock::duration oursTime{}, zintTime{};
    constexpr int kRounds = 64;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int i = 0; i < kRounds; ++i) {
            s.Data = data;
            s.CodeOK = true;
            EncodeBarCode(s, 600, columns);
            benchmark::DoNotOptimize(columns.view().data());
        }
        const auto t1 = Clock::now();
        for (int i = 0; i < kRounds; ++i) {
            ZBarcode_Clear(symbol);
            symbol->symbology = sample.zintType;
            benchmark::DoNotOptimize(ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char *>(sample.data),
                                                     int(std::strlen(sample.data))));
        }
        oursTime += t1 - t0;
        zintTime += Clock::now() - t1;
    }
    ZBarcode_Delete(symbol);
    const double n = double(state.iterations()) * kRounds;
    const double oursRate = n / std::chrono::duration<double>(oursTime).count();
    const double zintRate = n / std::chrono::duration<double>(zintTime).count();
    state.counters["ours/s"] = oursRate;
    state.counters["zint/s"] = zintRate;
    state.counters["ours/zint"] = oursRate / zintRate;
}
BENCHMARK(ratio)->DenseRange(0, int(kSamples.size()) - 1);
#endif

// Encoding, measuring and painting one symbol without its text on an image
// at 600 dpi, as the printer device does per command; the time per
// iteration is the time per symbol.
void render(benchmark::State &state)
{
    const Sample &sample = kSamples[size_t(state.range(0))];
    state.SetLabel(sample.name);
    TppDrawBarCode cmd;
    cmd.SetBarCodeType(sample.type);
    cmd.SetBarWidth(330);
    cmd.SetAutoEncode(true);
    cmd.SetPrintHumanReadable(false);
    const QString data = QString::fromLatin1(sample.data);
    QImage image(4000, 1200, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(600 / 0.0254));
    image.setDotsPerMeterY(qRound(600 / 0.0254));
    gfx::Canvas canvas(&image);
    for (auto _ : state) {
        cmd.SetData(data);
        cmd.SetCodeOK(true);
        cmd.DrawToPrinter(canvas, {0, 0, 4000, 1200}, {600, 600});
    }
    state.counters["pixels"] = double(cmd.SymbolWidth() * cmd.SymbolHeight());
}
BENCHMARK(render)->DenseRange(0, int(kSamples.size()) - 1);

#ifdef ZVO_HAVE_ZINT
// libzint's raster of the same data: 8 pixels per module, as 0.013 inch at
// 600 dpi rounds to.
void zintBuffer(benchmark::State &state)
{
    const Sample &sample = kSamples[size_t(state.range(0))];
    state.SetLabel(sample.name);
    zint_symbol *symbol = ZBarcode_Create();
    for (auto _ : state) {
        ZBarcode_Clear(symbol);
        symbol->symbology = sample.zintType;
        symbol->scale = 4.0f;
        symbol->show_hrt = 0;
        ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char *>(sample.data), int(std::strlen(sample.data)));
        benchmark::DoNotOptimize(ZBarcode_Buffer(symbol, 0));
    }
    state.counters["pixels"] = double(symbol->bitmap_width) * symbol->bitmap_height;
    ZBarcode_Delete(symbol);
}
BENCHMARK(zintBuffer)->DenseRange(0, int(kSamples.size()) - 1);
#endif

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
