// The text-node tree list against Qt's tree widget on the same tree: 1,000
// top-level nodes with 9 children of 10 children each (100,000 nodes), three
// texts of 6 to 8 letters per node.
//
// Sorting: a header click on the first column sorts every level; measured
// from a shuffled order (ascending), from ascending to descending, and on an
// order that already holds, against QTreeWidget::sortItems.
// Memory: the heap growth (mallinfo2) of building all nodes, per node.
// Geometry: CalcLayout of a 1280 x 1024 client with one band of five 200-px
// columns over the whole tree expanded, with the top row at 0, at 50,000 and
// on the last page; HitTest in the middle of the rows against
// QTreeView::indexAt at the same point of the same expanded tree.
//
//   taskset -c 6 build/bench/grid_columns_bench --benchmark_min_time=0.2

#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListHost.h"

#include "platform/gfx/TextMeasurer.h"

#include <QApplication>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int TopLevel = 1000;
constexpr int Children = 9;
constexpr int GrandChildren = 10;

// A word of 6 to 8 letters that depends on the serial number and the column.
QString wordOf(int serial, int column)
{
    uint32_t x = uint32_t(serial) * 2654435761u + uint32_t(column) * 40503u + 1u;
    const int length = 6 + int(x % 3);
    QString word;
    for (int i = 0; i < length; ++i) {
        x = x * 1103515245u + 12345u;
        word += QChar(char16_t('a' + (x >> 16) % 26));
    }
    return word;
}

QStringList textsOf(int serial)
{
    return {wordOf(serial, 0), wordOf(serial, 1), wordOf(serial, 2)};
}

// Calls f(parentIndexOrMinusOne, serial) for every node in tree order, with
// the node's depth.
template <class Add>
void buildTree(Add add)
{
    int serial = 0;
    for (int i = 0; i < TopLevel; ++i) {
        auto top = add(decltype(add(nullptr, 0))(nullptr), serial++);
        for (int j = 0; j < Children; ++j) {
            auto child = add(top, serial++);
            for (int k = 0; k < GrandChildren; ++k)
                add(child, serial++);
        }
    }
}

std::unique_ptr<grid::TCustomdxTreeListControl> makeControl()
{
    auto tree = std::make_unique<grid::TCustomdxTreeListControl>(nullptr);
    for (int c = 0; c < 3; ++c)
        tree->CreateColumn(grid::TdxTreeListColumn::StaticClass());
    tree->BeginUpdate();
    buildTree([&tree](grid::TdxTreeListNode *parent, int serial) {
        grid::TdxTreeListNode *node = parent ? parent->AddChild() : tree->Add();
        const QStringList texts = textsOf(serial);
        for (int c = 0; c < 3; ++c)
            tree->SetNodeString(node, c, texts[c]);
        return node;
    });
    tree->EndUpdate();
    return tree;
}

std::unique_ptr<QTreeWidget> makeWidget()
{
    auto widget = std::make_unique<QTreeWidget>();
    widget->setColumnCount(3);
    QList<QTreeWidgetItem *> tops;
    buildTree([&tops](QTreeWidgetItem *parent, int serial) {
        auto *item = parent ? new QTreeWidgetItem(parent, textsOf(serial)) : new QTreeWidgetItem(textsOf(serial));
        if (!parent)
            tops.append(item);
        return item;
    });
    widget->addTopLevelItems(tops);
    return widget;
}

grid::TCustomdxTreeListControl &control()
{
    static std::unique_ptr<grid::TCustomdxTreeListControl> instance = makeControl();
    return *instance;
}

QTreeWidget &widget()
{
    static std::unique_ptr<QTreeWidget> instance = makeWidget();
    return *instance;
}

// 0: shuffled to ascending; 1: ascending to descending; 2: already sorted.
void BM_TreeListHeaderClickSort(benchmark::State &state)
{
    grid::TCustomdxTreeListControl &tree = control();
    grid::TdxTreeListColumn *first = tree.Columns(0);
    const int mode = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        first->SetSorted(grid::csNone);
        if (mode == 0)
            tree.SortNodes(-1, 2, false); // the third column's words shuffle the first's
        else
            first->SetSorted(grid::csUp);
        state.ResumeTiming();
        if (mode == 2)
            tree.SortBySortedColumns();
        else
            tree.ColumnSortClick(0, 0);
    }
    state.counters["nodes"] = tree.NodeCount();
}

void BM_QTreeWidgetSortItems(benchmark::State &state)
{
    QTreeWidget &w = widget();
    const int mode = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        if (mode == 0)
            w.sortItems(2, Qt::AscendingOrder);
        else
            w.sortItems(0, Qt::AscendingOrder);
        state.ResumeTiming();
        w.sortItems(0, mode == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
}

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

void BM_TreeListHeapPerNode(benchmark::State &state)
{
    for (auto _ : state) {
        const size_t before = heapInUse();
        auto tree = makeControl();
        const size_t after = heapInUse();
        state.counters["bytes_per_node"] = double(after - before) / tree->NodeCount();
    }
}

void BM_QTreeWidgetItemHeapPerNode(benchmark::State &state)
{
    for (auto _ : state) {
        const size_t before = heapInUse();
        auto w = makeWidget();
        const size_t after = heapInUse();
        state.counters["bytes_per_node"] = double(after - before) / (TopLevel * (1 + Children * (1 + GrandChildren)));
    }
}

// A host that measures 7-px characters on 13-px lines and ignores the rest.
class BenchHost : public grid::TreeListHost
{
public:
    void invalidate(const rtl::TRect &) override {}
    void invalidateAll() override {}
    void updateNow() override {}
    bool hasKeyboardFocus() const override { return false; }
    void setKeyboardFocus() override {}
    void startTimer(int, int) override {}
    void stopTimer(int) override {}
    void setCursor(grid::TCursor) override {}
    void setClipboardText(const QString &) override {}
    void beep() override {}
    const gfx::TextMeasurer &textMeasurer() const override { return m_measurer; }

private:
    gfx::FixedTextMeasurer m_measurer;
};

constexpr int ClientWidth = 1280;
constexpr int ClientHeight = 1024;

grid::TCustomdxTreeListControl &expandedControl()
{
    static BenchHost host;
    static std::unique_ptr<grid::TCustomdxTreeListControl> instance = [] {
        std::unique_ptr<grid::TCustomdxTreeListControl> tree = makeControl();
        tree->SetHost(&host);
        for (int c = 0; c < 5; ++c) {
            grid::TdxTreeListColumn *column =
                c < 3 ? tree->Columns(c) : tree->CreateColumn(grid::TdxTreeListColumn::StaticClass());
            column->SetWidth(200);
        }
        tree->BeginUpdate();
        for (int i = 0; i < tree->Count(); ++i)
            tree->Items(i)->Expand(true);
        tree->EndUpdate();
        tree->SetClientRect(rtl::Rect(0, 0, ClientWidth, ClientHeight));
        tree->CalcMetrics();
        return tree;
    }();
    return *instance;
}

QTreeWidget &expandedWidget()
{
    static std::unique_ptr<QTreeWidget> instance = [] {
        std::unique_ptr<QTreeWidget> w = makeWidget();
        w->setColumnCount(5);
        for (int c = 0; c < 5; ++c)
            w->setColumnWidth(c, 200);
        w->setUniformRowHeights(true);
        w->expandAll();
        w->resize(ClientWidth, ClientHeight);
        w->show();
        QApplication::processEvents();
        return w;
    }();
    return *instance;
}

// 0: the first row on top; 1: row 50,000; 2: the last page.
void BM_TreeListCalcLayout(benchmark::State &state)
{
    grid::TCustomdxTreeListControl &tree = expandedControl();
    const int rows = tree.VisibleRowCount();
    const int top = state.range(0) == 0 ? 0 : state.range(0) == 1 ? 50000 : rows;
    tree.SetTopRowIndex(top);
    grid::TdxTreeListLayoutInfo info;
    for (auto _ : state) {
        tree.CalcLayout(info);
        benchmark::DoNotOptimize(info.Rows.data());
    }
    state.counters["rows_laid_out"] = double(info.Rows.size());
    state.counters["top_row"] = tree.TopRowIndex();
}

void BM_TreeListHitTest(benchmark::State &state)
{
    grid::TCustomdxTreeListControl &tree = expandedControl();
    tree.SetTopRowIndex(50000);
    const int y = ClientHeight / 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(tree.HitTest(500, y));
    state.counters["hit_code"] = tree.HitTest(500, y).HitCode;
}

void BM_QTreeViewIndexAt(benchmark::State &state)
{
    QTreeWidget &w = expandedWidget();
    w.scrollToItem(w.topLevelItem(TopLevel / 2));
    QApplication::processEvents();
    const QPoint point(500, w.viewport()->height() / 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(w.indexAt(point));
    state.counters["valid"] = w.indexAt(point).isValid() ? 1 : 0;
}

BENCHMARK(BM_TreeListCalcLayout)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TreeListHitTest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QTreeViewIndexAt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TreeListHeaderClickSort)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTreeWidgetSortItems)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeListHeapPerNode)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTreeWidgetItemHeapPerNode)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
