// What a grid cell costs in text: the width of a short text with the real
// font (asked for every cell the grid lays out), a shortened line and a
// wrapped paragraph drawn, and a cell's text handed over by the grid.

#include "grid/paint/TextRect.h"
#include "platform/gfx/Canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <benchmark/benchmark.h>

#include <string>

using namespace gfx;

namespace {

const std::string CellBytes = "Customer \x80 1234, Main Street";
const std::string ParagraphBytes = "The quick brown fox jumps over the lazy dog; \x93quoted\x94 words wrap at blanks "
                                   "until the rectangle runs out of lines.";
const QString CellGreek = QStringLiteral("Πελάτης € 1234, Οδός Αθηνάς");

Font cellFont()
{
    Font f;
    f.name = "DejaVu Sans";
    f.size = 9;
    return f;
}

struct Surface
{
    QImage img{200, 60, QImage::Format_RGB32};
    Canvas canvas{&img};
    Surface()
    {
        canvas.setFont(cellFont());
        canvas.setBkMode(BkMode::Transparent);
    }
};

void TextWidthAnsi(benchmark::State &state)
{
    Surface s;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.canvas.TextWidth(CellBytes));
}
BENCHMARK(TextWidthAnsi);

void DrawTextEllipsisAnsi(benchmark::State &state)
{
    Surface s;
    for (auto _ : state)
        s.canvas.DrawText(CellBytes, rtl::TRect{0, 0, 90, 20}, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}
BENCHMARK(DrawTextEllipsisAnsi);

void DrawTextWordBreakAnsi(benchmark::State &state)
{
    Surface s;
    for (auto _ : state)
        s.canvas.DrawText(ParagraphBytes, rtl::TRect{0, 0, 150, 60}, DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX);
}
BENCHMARK(DrawTextWordBreakAnsi);

void TextWidthGreek(benchmark::State &state)
{
    Surface s;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.canvas.TextWidth(CellGreek));
}
BENCHMARK(TextWidthGreek);

void DrawTextEllipsisGreek(benchmark::State &state)
{
    Surface s;
    for (auto _ : state)
        s.canvas.DrawText(CellGreek, rtl::TRect{0, 0, 90, 20}, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}
BENCHMARK(DrawTextEllipsisGreek);

// A grid cell too narrow for its Unicode text, as the cells paint it.
void GridCellEllipsisGreek(benchmark::State &state)
{
    Surface s;
    const gfx::Brush back = gfx::Brush::solid(rtl::clWindow);
    for (auto _ : state)
        grid::DrawTextRect(s.canvas, CellGreek, rtl::TRect{0, 0, 90, 18}, rtl::TRect{2, 1, 88, 17},
                           grid::DTR_VCENTER | grid::DTR_END_ELLIPSIS, back, cellFont(), rtl::clWindow,
                           rtl::clWindowText);
}
BENCHMARK(GridCellEllipsisGreek);

} // namespace

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
