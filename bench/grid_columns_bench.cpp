// The text-node tree list against Qt's tree widget on the same tree: 1,000
// top-level nodes with 9 children of 10 children each (100,000 nodes), three
// texts of 6 to 8 letters per node.
//
// Sorting: a header click on the first column sorts every level; measured
// from a shuffled order (ascending), from ascending to descending, and on an
// order that already holds, against QTreeWidget::sortItems.
// Memory: the heap growth (mallinfo2) of building all nodes, per node.
//
//   taskset -c 6 build/bench/grid_columns_bench --benchmark_min_time=0.2

#include "grid/core/TreeListControl.h"

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
