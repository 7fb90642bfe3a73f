// Pictures on pages: 1,000 cached pages, each with a 100 KB JPEG logo drawn
// by one image control ten times, are built as the cache builds them (a copy
// of each page); the counters give the picture bytes they hold, counting
// bytes shared between copies once. Metafile playback: an EMF of 10,000
// drawing records played onto a page-sized image.

#include "tests/support/report/MetafileWriter.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawImage.h"
#include "report/content/graphics/Images.h"
#include "report/model/ModelRegistration.h"
#include "report/model/pages/Page.h"

#include "platform/classes/Picture.h"
#include "platform/gfx/MetafilePlayer.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <memory>
#include <set>
#include <vector>

namespace {

// A JPEG of noise: about 100 KB at this size and quality.
QByteArray picturesBenchLogo()
{
    QImage image(384, 288, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

void BM_CachedLogoPages(benchmark::State &state)
{
    const QByteArray logo = picturesBenchLogo();
    report::TppImage image;
    image.SetName(QStringLiteral("Logo"));
    image.Picture()->LoadFromBytes(logo);
    size_t distinct = 0;
    size_t naive = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<report::TppPage>> cache;
        cache.reserve(1000);
        for (int pageNo = 1; pageNo <= 1000; ++pageNo) {
            report::TppPage page;
            for (int i = 0; i < 10; ++i) {
                auto *command = new report::TppDrawImage();
                image.PropertiesToDrawCommand(command);
                page.AddDrawCommand(command);
            }
            auto cached = std::make_unique<report::TppPage>();
            cached->Assign(&page);
            cache.push_back(std::move(cached));
        }
        state.PauseTiming();
        std::set<const char *> seen;
        distinct = 0;
        naive = 0;
        for (const auto &page : cache)
            for (int i = 0; i < page->DrawCommandCount(); ++i) {
                auto *command = dynamic_cast<report::TppDrawImage *>(page->DrawCommands(i));
                const auto *graphic =
                    command ? dynamic_cast<const classes::TGraphic *>(command->Picture()->Graphic()) : nullptr;
                if (!graphic)
                    continue;
                const QByteArray &bytes = graphic->Bytes();
                naive += size_t(bytes.size());
                if (seen.insert(bytes.constData()).second)
                    distinct += size_t(bytes.size());
            }
        cache.clear();
        state.ResumeTiming();
    }
    state.counters["logo_bytes"] = double(logo.size());
    state.counters["picture_bytes_held"] = double(distinct);
    state.counters["picture_bytes_if_copied"] = double(naive);
}
BENCHMARK(BM_CachedLogoPages)->Unit(benchmark::kMillisecond)->Iterations(3);

// aKind 0 mixes rectangles, ellipses, polylines and texts; 1 to 4 is one
// of them alone.
QByteArray picturesBenchEmf(int aRecords, int aKind)
{
    reporttest::MetafileWriter writer(reporttest::MetafileWriter::Format::Emf, 800, 1000);
    writer.Pen(0x000000, 1);
    writer.Brush(0xFF8000);
    QRandomGenerator random(7);
    for (int i = 0; i < aRecords; ++i) {
        const int x = int(random.bounded(760));
        const int y = int(random.bounded(960));
        switch (aKind == 0 ? i % 4 : aKind - 1) {
        case 0: writer.Rectangle(QRect(x, y, 30, 20)); break;
        case 1: writer.Ellipse(QRect(x, y, 30, 20)); break;
        case 2: writer.Polyline({QPoint(x, y), QPoint(x + 20, y + 5), QPoint(x + 10, y + 30)}); break;
        default: writer.Text(x, y, QStringLiteral("Zarvello")); break;
        }
    }
    return writer.Bytes();
}

void BM_PlayEmf(benchmark::State &state)
{
    const QByteArray emf = picturesBenchEmf(int(state.range(0)), int(state.range(1)));
    QImage page(794, 1123, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        page.fill(Qt::white);
        QPainter painter(&page);
        const gfx::MetafilePlayStats stats = gfx::PlayMetafile(painter, emf, QRectF(0, 0, 794, 1123));
        benchmark::DoNotOptimize(stats.records);
    }
    state.counters["emf_bytes"] = double(emf.size());
}
BENCHMARK(BM_PlayEmf)->ArgsProduct({{10000}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Cached pages copy their commands by registered class.
    report::ppModelLayerInit();
    report::ppContentLayerInit();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    report::ppContentLayerFinalize();
    report::ppModelLayerFinalize();
    return 0;
}
