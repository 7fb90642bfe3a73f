// Encodes per second of every symbology at 600 dpi. A page of labels encodes
// each symbol once per device and once more for measuring, so encoding must
// never be what a bar-code report waits for; libzint's encoder of the same
// data is the yardstick (ratio in the counters: ours over theirs).

#include "report/content/barcodes/Code128.h"

#include <benchmark/benchmark.h>

#ifdef ZVO_HAVE_ZINT
#include <zint.h>
#endif

#include <QString>

#include <array>
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
#endif

} // namespace

BENCHMARK_MAIN();
