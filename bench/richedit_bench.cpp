// Reading and writing RTF: a generated 1 MB document (20,000 paragraphs, a
// change of format every few words, font and colour tables, \u escapes)
// read into a QTextDocument and written back, beside QTextDocument::setHtml
// and toHtml of the same document. bytes_per_second is the RTF's (or the
// HTML's) size over the time. Pagination: a rich text of about 100 A4
// pages cut into pages at 600 dpi as a stretching control cuts it (Fit from
// where the page before ended), the document's layout included;
// pages_per_second gives the time of one page.

#include "report/content/richtext/RTFEngine.h"

#include "platform/richedit/RichEdit.h"
#include "platform/richedit/RtfReader.h"
#include "platform/richedit/RtfWriter.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTextDocument>

namespace {

QByteArray richEditBenchDocument()
{
    static const char *const words[] = {"lorem",      "ipsum", "dolor", "sit", "amet",    "consectetur",
                                        "adipiscing", "elit",  "sed",   "do",  "eiusmod", "tempor"};
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}"
                     "{\\f2\\fmodern Courier New;}}{\\colortbl;\\red0\\green0\\blue0;\\red200\\green0\\blue0;"
                     "\\red0\\green120\\blue0;\\red0\\green0\\blue200;}\n";
    int w = 0;
    for (int p = 0; p < 20000; ++p) {
        rtf += (p % 10 == 0) ? "\\pard\\qj\\fi360\\tx1440 " : "\\pard ";
        for (int run = 0; run < 3; ++run) {
            rtf += "\\f" + QByteArray::number((p + run) % 3) + "\\cf" + QByteArray::number(1 + (p + run) % 4) +
                   (run == 1 ? "\\b " : " ");
            rtf += QByteArray(words[w++ % 12]) + ' ';
            if (run == 2)
                rtf += "\\u8364? ";
        }
        rtf += "\\par\n";
    }
    return rtf + "}";
}

const QByteArray &richEditBenchRtf()
{
    static const QByteArray rtf = richEditBenchDocument();
    return rtf;
}

void BM_ReadRtf(benchmark::State &state)
{
    const QByteArray &rtf = richEditBenchRtf();
    for (auto _ : state) {
        QTextDocument document;
        richedit::ReadRtf(rtf, document);
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * rtf.size());
    state.counters["rtf_bytes"] = double(rtf.size());
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

void BM_WriteRtf(benchmark::State &state)
{
    QTextDocument document;
    richedit::ReadRtf(richEditBenchRtf(), document);
    qsizetype size = 0;
    for (auto _ : state) {
        const QByteArray written = richedit::WriteRtf(document);
        size = written.size();
        benchmark::DoNotOptimize(written.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
    state.counters["rtf_bytes"] = double(size);
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);

void BM_SetHtml(benchmark::State &state)
{
    QTextDocument source;
    richedit::ReadRtf(richEditBenchRtf(), source);
    const QString html = source.toHtml();
    for (auto _ : state) {
        QTextDocument document;
        document.setHtml(html);
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * html.toUtf8().size());
    state.counters["html_bytes"] = double(html.toUtf8().size());
}
BENCHMARK(BM_SetHtml)->Unit(benchmark::kMillisecond);

void BM_ToHtml(benchmark::State &state)
{
    QTextDocument document;
    richedit::ReadRtf(richEditBenchRtf(), document);
    qsizetype size = 0;
    for (auto _ : state) {
        const QString html = document.toHtml();
        size = html.size();
        benchmark::DoNotOptimize(html.constData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
}
BENCHMARK(BM_ToHtml)->Unit(benchmark::kMillisecond);

void BM_Paginate(benchmark::State &state)
{
    const QByteArray rtf = richEditBenchRtf().left(richEditBenchRtf().size() / 3) + "}";
    const report::TppRTFDeviceContext printer{nullptr, 600, 600, true};
    // A4 less 10 mm margins at 600 dpi.
    const rtl::TRect page = rtl::Rect(0, 0, 4488, 6543);
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        richedit::RichEdit edit;
        edit.LoadFromBytes(rtf);
        state.ResumeTiming();
        pages = 0;
        int start = 0;
        for (;;) {
            ++pages;
            int height = 0;
            int last = 0;
            if (report::TppRTFEngine::Fit(edit, printer, height, last, page, {start, edit.TextLength() - 1}) ||
                last < start)
                break;
            start = last + 1;
        }
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_second"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Paginate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
