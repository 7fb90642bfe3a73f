// The tree list's engine against Qt's own tree widget on the same tree:
// 1,000 top-level nodes with 9 children of 10 children each (100,000 nodes),
// three short texts per node; the last node in tree order alone starts with
// "zz". Expanding and collapsing everything, and prefix searches over all
// nodes and over the rows shown.
//
//   build/bench/grid_bench --benchmark_min_time=0.2

#include "grid/core/TreeList.h"

#include <QApplication>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int TopLevel = 1000;
constexpr int Children = 9;
constexpr int GrandChildren = 10;

QStringList textsOf(int serial, bool last)
{
    return {last ? QStringLiteral("zz last") : QStringLiteral("n%1").arg(serial), QStringLiteral("c%1").arg(serial % 7),
            QStringLiteral("x")};
}

class BenchNode : public grid::TdxTreeListNode
{
public:
    using grid::TdxTreeListNode::TdxTreeListNode;
    QStringList texts;
};

class BenchTree : public grid::TCustomdxTreeList
{
public:
    BenchTree()
        : grid::TCustomdxTreeList(nullptr)
    {
        int serial = 0;
        for (int i = 0; i < TopLevel; ++i) {
            auto *top = add(nullptr, serial++, false);
            for (int j = 0; j < Children; ++j) {
                auto *child = add(top, serial++, false);
                for (int k = 0; k < GrandChildren; ++k) {
                    const bool last = i == TopLevel - 1 && j == Children - 1 && k == GrandChildren - 1;
                    add(child, serial++, last);
                }
            }
        }
    }
    ~BenchTree() override { BeginDestroy(); }

    int ColumnCount() override { return 3; }
    QString CellText(const grid::TdxTreeListNode *node, int column) override
    {
        return static_cast<const BenchNode *>(node)->texts.value(column);
    }

    void expandAll()
    {
        BeginUpdate();
        for (int i = 0; i < Count(); ++i)
            Items(i)->Expand(true);
        EndUpdate();
    }
    void collapseAll()
    {
        BeginUpdate();
        for (grid::TdxTreeListNode *n = Items(0); n; n = n->GetNext())
            n->SetExpanded(false);
        EndUpdate();
    }

protected:
    std::unique_ptr<grid::TdxTreeListNode> CreateNode() override { return std::make_unique<BenchNode>(this); }

private:
    BenchNode *add(grid::TdxTreeListNode *parent, int serial, bool last)
    {
        auto *node = static_cast<BenchNode *>(parent ? parent->AddChild() : Add());
        node->texts = textsOf(serial, last);
        return node;
    }
};

std::unique_ptr<QTreeWidget> makeWidget()
{
    auto widget = std::make_unique<QTreeWidget>();
    widget->setColumnCount(3);
    widget->setUniformRowHeights(true);
    QList<QTreeWidgetItem *> tops;
    int serial = 0;
    for (int i = 0; i < TopLevel; ++i) {
        auto *top = new QTreeWidgetItem(textsOf(serial++, false));
        for (int j = 0; j < Children; ++j) {
            auto *child = new QTreeWidgetItem(top, textsOf(serial++, false));
            for (int k = 0; k < GrandChildren; ++k) {
                const bool last = i == TopLevel - 1 && j == Children - 1 && k == GrandChildren - 1;
                new QTreeWidgetItem(child, textsOf(serial++, last));
            }
        }
        tops.append(top);
    }
    widget->addTopLevelItems(tops);
    widget->resize(600, 400);
    widget->show();
    QApplication::processEvents();
    return widget;
}

BenchTree &tree()
{
    static BenchTree instance;
    return instance;
}

QTreeWidget &widget()
{
    static std::unique_ptr<QTreeWidget> instance = makeWidget();
    return *instance;
}

void BM_TreeListExpandAll(benchmark::State &state)
{
    BenchTree &t = tree();
    for (auto _ : state) {
        t.expandAll();
        state.PauseTiming();
        t.collapseAll();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(TopLevel * (1 + Children * (1 + GrandChildren)));
}

void BM_QTreeWidgetExpandAll(benchmark::State &state)
{
    QTreeWidget &w = widget();
    for (auto _ : state) {
        w.expandAll();
        QApplication::processEvents();
        state.PauseTiming();
        w.collapseAll();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_TreeListCollapseAll(benchmark::State &state)
{
    BenchTree &t = tree();
    for (auto _ : state) {
        state.PauseTiming();
        t.expandAll();
        state.ResumeTiming();
        t.collapseAll();
    }
}

void BM_QTreeWidgetCollapseAll(benchmark::State &state)
{
    QTreeWidget &w = widget();
    for (auto _ : state) {
        state.PauseTiming();
        w.expandAll();
        QApplication::processEvents();
        state.ResumeTiming();
        w.collapseAll();
        QApplication::processEvents();
    }
}

// Argument 0: the prefix of the last node; 1: a prefix no node has.
QString searchedPrefix(const benchmark::State &state)
{
    return state.range(0) == 0 ? QStringLiteral("zz") : QStringLiteral("qq");
}

void BM_TreeListFindAll(benchmark::State &state)
{
    BenchTree &t = tree();
    t.collapseAll();
    t.SetSearchAllNodes(true);
    t.SetFocusedNode(t.Items(0));
    const QString prefix = searchedPrefix(state);
    for (auto _ : state) {
        grid::TdxTreeListNode *found = nullptr;
        benchmark::DoNotOptimize(t.FindByPrefix(0, prefix, grid::sdForward, found));
        benchmark::DoNotOptimize(found);
    }
}

void BM_QTreeWidgetMatch(benchmark::State &state)
{
    QTreeWidget &w = widget();
    QAbstractItemModel *model = w.model();
    const QModelIndex start = model->index(0, 0);
    const QString prefix = searchedPrefix(state);
    for (auto _ : state) {
        const QModelIndexList hits =
            model->match(start, Qt::DisplayRole, prefix, 1, Qt::MatchStartsWith | Qt::MatchRecursive | Qt::MatchWrap);
        benchmark::DoNotOptimize(hits.size());
    }
}

void BM_TreeListFindShown(benchmark::State &state)
{
    BenchTree &t = tree();
    t.expandAll();
    t.SetSearchAllNodes(false);
    t.SetFocusedNode(t.Items(0));
    const QString prefix = searchedPrefix(state);
    for (auto _ : state) {
        grid::TdxTreeListNode *found = nullptr;
        benchmark::DoNotOptimize(t.FindByPrefix(0, prefix, grid::sdForward, found));
        benchmark::DoNotOptimize(found);
    }
    t.collapseAll();
}

void BM_QTreeWidgetKeyboardSearch(benchmark::State &state)
{
    QTreeWidget &w = widget();
    w.expandAll();
    QApplication::processEvents();
    const QModelIndex first = w.model()->index(0, 0);
    const QString prefix = searchedPrefix(state);
    for (auto _ : state) {
        state.PauseTiming();
        // Each search starts afresh from the first row, not as more typing.
        w.setCurrentIndex(first);
        w.keyboardSearch(QString());
        w.setCurrentIndex(first);
        state.ResumeTiming();
        w.keyboardSearch(prefix);
    }
    w.collapseAll();
    QApplication::processEvents();
}

void BM_NodeSize(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(sizeof(grid::TdxTreeListNode));
    state.counters["node_bytes"] = double(sizeof(grid::TdxTreeListNode));
}

BENCHMARK(BM_TreeListExpandAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTreeWidgetExpandAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeListCollapseAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTreeWidgetCollapseAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeListFindAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTreeWidgetMatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeListFindShown)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTreeWidgetKeyboardSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NodeSize);

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
