// Component streams at the size of a large report: 10,000 components (100
// bands of 99 labels), each label with about twelve stored values, among them
// a nested font, a set and a reference. Measured both ways in both forms;
// the argument is the number of bands, so that 25 and 100 show whether the
// cost grows linearly; a paste that renames every component is read too,
// and a component watched by all others is made and freed.
// Run by hand:
//   build/bench/stream_bench --benchmark_min_time=0.5

#include "tests/platform/classes/SampleClasses.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <memory>

using namespace classes;
using namespace sample;

namespace {

constexpr int LeavesPerBand = 99;

std::unique_ptr<TSampleRoot> makeTree(int bands)
{
    auto root = std::make_unique<TSampleRoot>();
    root->SetName(QStringLiteral("Report"));
    TSampleLabel *previous = nullptr;
    for (int b = 0; b < bands; ++b) {
        auto *band = new TSampleBand(root.get());
        band->SetName(QStringLiteral("Band%1").arg(b + 1));
        band->Height = 1000 + b;
        for (int i = 0; i < LeavesPerBand; ++i) {
            auto *label = new TSampleLabel(root.get());
            label->SetName(QStringLiteral("Label%1_%2").arg(b + 1).arg(i + 1));
            label->SetParentComponent(band);
            label->Caption = QStringLiteral("Customer %1, order %2").arg(b).arg(i);
            label->Kind = TSampleKind(i % 3);
            label->Options = soFirst | (i % 2 ? unsigned(soThird) : 0u);
            label->Width = 20000 + i;
            label->Ratio = 0.25 * i;
            label->Color = i % 2 ? rtl::clRed : 0x00336699;
            label->Visible = i % 5 != 0;
            label->Font()->SetName(QStringLiteral("Liberation Sans"));
            label->Font()->SetHeight(-11 - i % 4);
            label->Font()->SetStyle(i % 2 ? unsigned(gfx::fsBold) : 0u);
            label->SetLink(previous ? static_cast<TComponent *>(previous) : band);
            previous = label;
        }
    }
    return root;
}

QByteArray streamOf(TComponent *root)
{
    TMemoryStream out;
    out.WriteComponent(root);
    return QByteArray(out.Memory(), qsizetype(out.Size()));
}

void load(TMemoryStream &stream, const QByteArray &bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.constData(), bytes.size());
    stream.SetPosition(0);
}

void report(benchmark::State &state, int64_t bytes)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["bytes"] = double(bytes);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

void setUp()
{
    RegisterSampleClasses();
    SetSampleLogging(false);
}

void BM_BinaryWrite(benchmark::State &state)
{
    setUp();
    const auto root = makeTree(int(state.range(0)));
    int64_t size = 0;
    for (auto _ : state) {
        TMemoryStream out;
        out.WriteComponent(root.get());
        size = out.Size();
        benchmark::DoNotOptimize(out.Memory());
    }
    report(state, size);
}

// Created, named, fixed up and loaded; freeing the tree is not timed.
void BM_BinaryRead(benchmark::State &state)
{
    setUp();
    const QByteArray binary = streamOf(makeTree(int(state.range(0))).get());
    TMemoryStream in;
    for (auto _ : state) {
        load(in, binary);
        auto root = std::make_unique<TSampleRoot>();
        TReader reader(in);
        reader.ReadRootComponent(root.get());
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    report(state, binary.size());
}

// A paste: the bands are read into the form they came from, so that every
// component is renamed and every reference must follow its new name.
void BM_BinaryReadRenamed(benchmark::State &state)
{
    setUp();
    const auto source = makeTree(int(state.range(0)));
    TMemoryStream bands;
    {
        TWriter writer(bands);
        writer.SetRoot(source.get());
        writer.WriteSignature();
        for (int i = 0; i < source->ComponentCount(); ++i)
            if (dynamic_cast<TSampleBand *>(source->Components(i)))
                writer.WriteComponent(source->Components(i));
        writer.WriteListEnd();
    }
    const QByteArray binary(bands.Memory(), qsizetype(bands.Size()));
    TMemoryStream in;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = makeTree(int(state.range(0)));
        load(in, binary);
        state.ResumeTiming();
        TReader reader(in);
        reader.OnSetName = [](TReader &, TComponent *component, QString &name) {
            if (component->Owner()->FindComponent(name))
                name += QStringLiteral("_1");
        };
        reader.ReadComponents(form.get(), nullptr, {});
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    report(state, binary.size());
}

// Components that all watch one other component (a data source, say), made
// and freed: the free-notification lists stay linear in the watchers. The
// argument is the number of watchers.
void BM_FreeNotificationHub(benchmark::State &state)
{
    for (auto _ : state) {
        auto owner = std::make_unique<TComponent>(nullptr);
        auto *hub = new TComponent(owner.get());
        for (int64_t i = 0; i < state.range(0); ++i)
            (new TComponent(owner.get()))->FreeNotification(hub);
        owner.reset();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_BinaryToText(benchmark::State &state)
{
    setUp();
    const QByteArray binary = streamOf(makeTree(int(state.range(0))).get());
    TMemoryStream in;
    for (auto _ : state) {
        load(in, binary);
        TMemoryStream out;
        ObjectBinaryToText(in, out);
        benchmark::DoNotOptimize(out.Memory());
    }
    report(state, binary.size());
}

void BM_TextToBinary(benchmark::State &state)
{
    setUp();
    const QByteArray binary = streamOf(makeTree(int(state.range(0))).get());
    TMemoryStream in, text;
    load(in, binary);
    ObjectBinaryToText(in, text);
    const QByteArray asText(text.Memory(), qsizetype(text.Size()));
    for (auto _ : state) {
        load(in, asText);
        TMemoryStream out;
        ObjectTextToBinary(in, out);
        benchmark::DoNotOptimize(out.Memory());
    }
    report(state, asText.size());
}

} // namespace

BENCHMARK(BM_BinaryWrite)->Arg(25)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinaryRead)->Arg(25)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinaryReadRenamed)->Arg(25)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeNotificationHub)->Arg(2500)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinaryToText)->Arg(25)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextToBinary)->Arg(25)->Arg(100)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
