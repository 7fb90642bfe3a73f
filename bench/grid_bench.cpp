// The tree list's engine against two Qt trees on the same tree: QTreeView
// over a lean item model (what a Qt engineer who needs speed writes) and the
// convenient QTreeWidget. 1,000 top-level nodes with 9 children of 10
// children each (100,000 nodes), three short texts per node; the last node in
// tree order alone starts with "zz". Expanding and collapsing everything, and
// prefix searches over all nodes and over the rows shown, each a hit on the
// last node and a miss.
//
// Every operation runs as repetitions interleaved at random with the other
// sides' (the machine is shared, so a slow moment hits all sides alike); the
// closing table gives each side's minimum and median and the ratios of the
// tree list to the lean model and to the tree widget.
//
//   taskset -c 6 build/bench/grid_bench
//   taskset -c 6 build/bench/grid_bench --benchmark_repetitions=12 --benchmark_filter=Find
//
// Painting: the tree list laid out and painted into a 1280 x 1024 QImage
// with everything expanded, one band of five 200-px text columns, tree lines
// and grid lines on, the top row at 50,000 and a row focused, beside a
// QTreeView over the lean model (uniform row heights, the same columns,
// texts and font) rendering a viewport of that size.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"
#include "grid/paint/TreeListPainter.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/TextMeasurer.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTreeView>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int TopLevel = 1000;
constexpr int Children = 9;
constexpr int GrandChildren = 10;
constexpr int NodeTotal = TopLevel * (1 + Children * (1 + GrandChildren));

QStringList textsOf(int serial, bool last)
{
    return {last ? QStringLiteral("zz last") : QStringLiteral("n%1").arg(serial), QStringLiteral("c%1").arg(serial % 7),
            QStringLiteral("x")};
}

bool isLast(int i, int j, int k)
{
    return i == TopLevel - 1 && j == Children - 1 && k == GrandChildren - 1;
}

// ---- The tree list ----

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
                for (int k = 0; k < GrandChildren; ++k)
                    add(child, serial++, isLast(i, j, k));
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

// ---- The lean model: every node in one vector, breadth first, so each
// parent's children are contiguous and every answer is a lookup ----

class LeanModel : public QAbstractItemModel
{
public:
    // Columns beyond the three texts repeat them.
    explicit LeanModel(int columns = 3)
        : m_columns(columns)
    {
        m_nodes.reserve(NodeTotal);
        for (int i = 0; i < TopLevel; ++i)
            m_nodes.push_back({-1, i, 0, 0, {}});
        // Children are appended parent by parent as the parents come.
        int serial = 0;
        std::vector<int> serials(NodeTotal);
        for (size_t at = 0; at < m_nodes.size(); ++at) {
            const int depth = m_nodes[at].parent < 0 ? 0 : (m_nodes[size_t(m_nodes[at].parent)].parent < 0 ? 1 : 2);
            const int count = depth == 0 ? Children : depth == 1 ? GrandChildren : 0;
            m_nodes[at].first = int(m_nodes.size());
            m_nodes[at].count = count;
            for (int c = 0; c < count; ++c)
                m_nodes.push_back({int(at), c, 0, 0, {}});
        }
        // Texts follow tree order, as on the other sides.
        std::vector<int> stack;
        for (int i = TopLevel - 1; i >= 0; --i)
            stack.push_back(i);
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            serials[size_t(at)] = serial++;
            const Node &n = m_nodes[size_t(at)];
            for (int c = n.count - 1; c >= 0; --c)
                stack.push_back(n.first + c);
        }
        const int lastNode = m_nodes[size_t(m_nodes[TopLevel - 1].first + Children - 1)].first + GrandChildren - 1;
        for (size_t at = 0; at < m_nodes.size(); ++at)
            m_nodes[at].texts = textsOf(serials[at], int(at) == lastNode);
    }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override
    {
        if (row < 0 || column < 0 || column >= m_columns)
            return {};
        if (!parent.isValid())
            return row < TopLevel ? createIndex(row, column, nodeAt(row)) : QModelIndex();
        const Node &p = *nodeOf(parent);
        if (parent.column() != 0 || row >= p.count)
            return {};
        return createIndex(row, column, nodeAt(p.first + row));
    }
    QModelIndex parent(const QModelIndex &child) const override
    {
        if (!child.isValid())
            return {};
        const int p = nodeOf(child)->parent;
        return p < 0 ? QModelIndex() : createIndex(m_nodes[size_t(p)].row, 0, nodeAt(p));
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        if (!parent.isValid())
            return TopLevel;
        return parent.column() == 0 ? nodeOf(parent)->count : 0;
    }
    int columnCount(const QModelIndex & = {}) const override { return m_columns; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        return nodeOf(index)->texts.at(index.column() % 3);
    }

private:
    struct Node
    {
        int parent; // -1 at the top level
        int row;    // among its siblings
        int first;  // its first child
        int count;  // its children
        QStringList texts;
    };
    // Indexes carry the node's address, as item models usually do.
    void *nodeAt(int at) const { return const_cast<Node *>(&m_nodes[size_t(at)]); }
    static const Node *nodeOf(const QModelIndex &index) { return static_cast<const Node *>(index.internalPointer()); }

    int m_columns;
    std::vector<Node> m_nodes;
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
            for (int k = 0; k < GrandChildren; ++k)
                new QTreeWidgetItem(child, textsOf(serial++, isLast(i, j, k)));
        }
        tops.append(top);
    }
    widget->addTopLevelItems(tops);
    widget->resize(600, 400);
    widget->show();
    QApplication::processEvents();
    return widget;
}

struct LeanView
{
    LeanModel model;
    QTreeView view;

    LeanView()
    {
        view.setUniformRowHeights(true);
        view.setModel(&model);
        view.resize(600, 400);
        view.show();
        QApplication::processEvents();
    }
};

// A prefix of the last node, or one no node has.
QString searchedPrefix(bool hit)
{
    return hit ? QStringLiteral("zz") : QStringLiteral("qq");
}

// The three sides, made on first use and freed before the application object:
// widgets outliving it crash at exit.
struct Sides
{
    std::unique_ptr<BenchTree> tree;
    std::unique_ptr<LeanView> lean;
    std::unique_ptr<QTreeWidget> widget;
    double treeHeapPerNode = 0;
    double searchHeapPerNode = 0;
};

Sides &sides()
{
    static Sides instance;
    return instance;
}

double heapInUse()
{
    // Large blocks come straight from mmap and are counted apart.
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

BenchTree &tree()
{
    Sides &s = sides();
    if (!s.tree) {
        const double before = heapInUse();
        s.tree = std::make_unique<BenchTree>();
        const double built = heapInUse();
        s.treeHeapPerNode = (built - before) / NodeTotal;
        s.tree->SetSearchAllNodes(true);
        grid::TdxTreeListNode *found = nullptr;
        s.tree->FindByPrefix(0, searchedPrefix(false), grid::sdForward, found);
        s.searchHeapPerNode = (heapInUse() - built) / NodeTotal;
    }
    return *s.tree;
}

QTreeView &leanView()
{
    Sides &s = sides();
    if (!s.lean)
        s.lean = std::make_unique<LeanView>();
    return s.lean->view;
}

QTreeWidget &widget()
{
    Sides &s = sides();
    if (!s.widget)
        s.widget = makeWidget();
    return *s.widget;
}

// ---- Expand and collapse ----

void treeListExpandAll(benchmark::State &state)
{
    BenchTree &t = tree();
    for (auto _ : state) {
        t.expandAll();
        state.PauseTiming();
        t.collapseAll();
        state.ResumeTiming();
    }
}

void treeListCollapseAll(benchmark::State &state)
{
    BenchTree &t = tree();
    for (auto _ : state) {
        state.PauseTiming();
        t.expandAll();
        state.ResumeTiming();
        t.collapseAll();
    }
}

template <typename View>
void viewExpandAll(benchmark::State &state, View &view)
{
    for (auto _ : state) {
        view.expandAll();
        QApplication::processEvents();
        state.PauseTiming();
        view.collapseAll();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

template <typename View>
void viewCollapseAll(benchmark::State &state, View &view)
{
    for (auto _ : state) {
        state.PauseTiming();
        view.expandAll();
        QApplication::processEvents();
        state.ResumeTiming();
        view.collapseAll();
        QApplication::processEvents();
    }
}

// ---- Searches ----

void treeListFind(benchmark::State &state, bool shown, bool hit)
{
    BenchTree &t = tree();
    shown ? t.expandAll() : t.collapseAll();
    t.SetSearchAllNodes(!shown);
    t.SetFocusedNode(t.Items(0));
    const QString prefix = searchedPrefix(hit);
    for (auto _ : state) {
        grid::TdxTreeListNode *found = nullptr;
        benchmark::DoNotOptimize(t.FindByPrefix(0, prefix, grid::sdForward, found));
        benchmark::DoNotOptimize(found);
    }
    t.collapseAll();
}

void modelMatch(benchmark::State &state, QAbstractItemModel *model, bool hit)
{
    const QModelIndex start = model->index(0, 0);
    const QString prefix = searchedPrefix(hit);
    for (auto _ : state) {
        const QModelIndexList hits =
            model->match(start, Qt::DisplayRole, prefix, 1, Qt::MatchStartsWith | Qt::MatchRecursive | Qt::MatchWrap);
        benchmark::DoNotOptimize(hits.size());
    }
}

void viewKeyboardSearch(benchmark::State &state, QTreeView &view, bool hit)
{
    view.expandAll();
    QApplication::processEvents();
    const QModelIndex first = view.model()->index(0, 0);
    const QString prefix = searchedPrefix(hit);
    for (auto _ : state) {
        state.PauseTiming();
        // Each search starts afresh from the first row, not as more typing.
        view.setCurrentIndex(first);
        view.keyboardSearch(QString());
        view.setCurrentIndex(first);
        state.ResumeTiming();
        view.keyboardSearch(prefix);
    }
    view.collapseAll();
    QApplication::processEvents();
}

// Bytes a node: the node object, the heap the tree took as it was built (the
// texts included), and what a search over all nodes adds to it.
void nodeSize(benchmark::State &state)
{
    BenchTree &t = tree();
    for (auto _ : state)
        benchmark::DoNotOptimize(t.NodeCount());
    state.counters["node_bytes"] = double(sizeof(grid::TdxTreeListNode));
    state.counters["heap_bytes_per_node"] = sides().treeHeapPerNode;
    state.counters["search_heap_bytes_per_node"] = sides().searchHeapPerNode;
}

// ---- Painting ----

constexpr int PaintWidth = 1280;
constexpr int PaintHeight = 1024;
constexpr int PaintColumns = 5;
constexpr int PaintColumnWidth = 200;
constexpr int PaintTopRow = 50000;

QFont paintFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    return font;
}

class PaintHost : public grid::TreeListHost
{
public:
    void invalidate(const rtl::TRect &) override {}
    void invalidateAll() override {}
    void updateNow() override {}
    bool hasKeyboardFocus() const override { return true; }
    void setKeyboardFocus() override {}
    void startTimer(int, int) override {}
    void stopTimer(int) override {}
    void setCursor(grid::TCursor) override {}
    void setClipboardText(const QString &) override {}
    void beep() override {}
    const gfx::TextMeasurer &textMeasurer() const override { return measurer; }

    gfx::QtTextMeasurer measurer;
};

// The bench tree with one band of five columns, the last two repeating
// texts as the lean model's do.
class PaintTree : public BenchTree
{
public:
    PaintTree()
    {
        SetHost(&host);
        classes::TFont font;
        font.SetName(QStringLiteral("DejaVu Sans"));
        font.SetSize(9);
        Font().Assign(&font);
        SetHeaderFont(font);
        grid::TreeListSettings s = Settings();
        s.ShowGrid = true;
        s.ReserveButtonCell = true;
        SetSettings(s);
        grid::TreeListPaintSwitches sw = PaintSwitches();
        sw.ShowLines = true;
        SetPaintSwitches(sw);
        expandAll();
        SetClientRect(rtl::Rect(0, 0, PaintWidth, PaintHeight));
        CalcMetrics();
        SetTopRowIndex(PaintTopRow);
        SetFocusedNode(NodeAtAbsoluteIndex(PaintTopRow + 5));
        SetTopRowIndex(PaintTopRow);
    }
    ~PaintTree() override { SetHost(nullptr); }

    int ColumnCount() override { return PaintColumns; }
    QString CellText(const grid::TdxTreeListNode *node, int column) override
    {
        return BenchTree::CellText(node, column % 3);
    }
    QString ColumnHeaderCaption(int column) override { return QStringLiteral("Column %1").arg(column + 1); }
    int VisibleBandCount() override { return 1; }
    int BandCount() override { return 1; }
    int VisibleBandWidth(int) override { return PaintColumns * PaintColumnWidth; }
    int BandWidth(int) override { return PaintColumns * PaintColumnWidth; }
    int BandLineCount(int) override { return 1; }
    int ColumnsInBandLine(int, int) override { return PaintColumns; }
    int ColumnAt(int, int, int position) override { return position < PaintColumns ? position : -1; }
    int ColumnStoredWidth(int) override { return PaintColumnWidth; }
    int ColumnMinWidth(int) override { return 20; }

    PaintHost host;
};

struct PaintSides
{
    std::unique_ptr<PaintTree> tree;
    std::unique_ptr<LeanModel> model;
    std::unique_ptr<QTreeView> view;
};

PaintSides &paintSides()
{
    static PaintSides instance;
    return instance;
}

void treeListPaint(benchmark::State &state)
{
    PaintSides &p = paintSides();
    if (!p.tree)
        p.tree = std::make_unique<PaintTree>();
    QImage image(PaintWidth, PaintHeight, QImage::Format_RGB32);
    int rows = 0, cells = 0;
    for (auto _ : state) {
        gfx::Canvas canvas(&image, &p.tree->host.measurer);
        grid::TreeListPainter pass(*p.tree, canvas, true);
        pass.Paint();
        rows = pass.RowsPainted();
        cells = pass.CellsPainted();
    }
    state.counters["rows"] = rows;
    state.counters["cells"] = cells;
}

void viewPaint(benchmark::State &state)
{
    PaintSides &p = paintSides();
    if (!p.view) {
        p.model = std::make_unique<LeanModel>(PaintColumns);
        p.view = std::make_unique<QTreeView>();
        p.view->setUniformRowHeights(true);
        p.view->setFont(paintFont());
        p.view->setModel(p.model.get());
        for (int c = 0; c < PaintColumns; ++c)
            p.view->header()->resizeSection(c, PaintColumnWidth);
        p.view->expandAll();
        p.view->viewport()->resize(PaintWidth, PaintHeight);
        p.view->resize(PaintWidth + 2 * p.view->frameWidth(),
                       PaintHeight + p.view->header()->height() + 2 * p.view->frameWidth());
        p.view->show();
        QApplication::processEvents();
        QModelIndex at = p.model->index(0, 0);
        for (int i = 0; i < PaintTopRow && at.isValid(); ++i)
            at = p.view->indexBelow(at);
        p.view->scrollTo(at, QAbstractItemView::PositionAtTop);
        p.view->setCurrentIndex(p.view->indexBelow(at));
        p.view->setFocus();
        QApplication::processEvents();
    }
    QImage image(p.view->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state)
        p.view->viewport()->render(&image);
    state.counters["viewport_width"] = image.width();
    state.counters["viewport_height"] = image.height();
}

// ---- Registration and the closing table ----

// Names are "<operation>/<side>"; the table pairs the sides of an operation.
const char *const SideTree = "tree_list";
const char *const SideLean = "lean_view";
const char *const SideWidget = "tree_widget";

void registerSides(const std::string &operation, const std::function<void(benchmark::State &)> &ours,
                   const std::function<void(benchmark::State &)> &lean,
                   const std::function<void(benchmark::State &)> &widgetSide)
{
    const std::pair<const char *, const std::function<void(benchmark::State &)> *> all[] = {
        {SideTree, &ours}, {SideLean, &lean}, {SideWidget, &widgetSide}};
    for (const auto &[side, f] : all)
        benchmark::RegisterBenchmark((operation + "/" + side).c_str(), *f)->Unit(benchmark::kMillisecond);
}

void registerAll()
{
    registerSides(
        "expand_all", treeListExpandAll, [](benchmark::State &s) { viewExpandAll(s, leanView()); },
        [](benchmark::State &s) { viewExpandAll(s, widget()); });
    registerSides(
        "collapse_all", treeListCollapseAll, [](benchmark::State &s) { viewCollapseAll(s, leanView()); },
        [](benchmark::State &s) { viewCollapseAll(s, widget()); });
    for (const bool hit : {true, false}) {
        const std::string outcome = hit ? "hit" : "miss";
        registerSides(
            "find_all_" + outcome, [hit](benchmark::State &s) { treeListFind(s, false, hit); },
            [hit](benchmark::State &s) { modelMatch(s, leanView().model(), hit); },
            [hit](benchmark::State &s) { modelMatch(s, widget().model(), hit); });
        registerSides(
            "find_shown_" + outcome, [hit](benchmark::State &s) { treeListFind(s, true, hit); },
            [hit](benchmark::State &s) { viewKeyboardSearch(s, leanView(), hit); },
            [hit](benchmark::State &s) { viewKeyboardSearch(s, widget(), hit); });
    }
    benchmark::RegisterBenchmark("node_size", nodeSize);
    benchmark::RegisterBenchmark((std::string("paint_viewport/") + SideTree).c_str(), treeListPaint)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("paint_viewport/") + SideLean).c_str(), viewPaint)
        ->Unit(benchmark::kMillisecond);
}

// Prints what the console reporter prints and keeps each repetition's time
// per iteration for the table at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const std::string name = run.benchmark_name();
            const size_t slash = name.rfind('/');
            if (slash != std::string::npos)
                m_times[name.substr(0, slash)][name.substr(slash + 1)].push_back(run.GetAdjustedRealTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::FILE *out = stdout;
        std::fprintf(out, "\n%-16s %9s %9s %9s %9s %9s %9s | %13s %13s\n", "ms: min/median", "list", "", "lean", "",
                     "widget", "", "list/lean", "list/widget");
        for (auto &[operation, bySide] : m_times) {
            const Stats ours = stats(bySide[SideTree]);
            const Stats lean = stats(bySide[SideLean]);
            const Stats other = stats(bySide[SideWidget]);
            std::fprintf(out, "%-16s %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f | %6.2f %6.2f %6.2f %6.2f\n",
                         operation.c_str(), ours.min, ours.median, lean.min, lean.median, other.min, other.median,
                         ratio(ours.min, lean.min), ratio(ours.median, lean.median), ratio(ours.min, other.min),
                         ratio(ours.median, other.median));
        }
        std::fflush(out);
    }

private:
    struct Stats
    {
        double min = 0;
        double median = 0;
    };
    static Stats stats(std::vector<double> v)
    {
        if (v.empty())
            return {};
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return {v.front(), n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2};
    }
    static double ratio(double a, double b) { return b > 0 ? a / b : 0; }

    std::map<std::string, std::map<std::string, std::vector<double>>> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    // Side by side by default: repetitions interleaved at random.
    std::vector<char *> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=6";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string minTime = "--benchmark_min_time=0.05";
    bool hasRepetitions = false;
    bool hasMinTime = false;
    for (int i = 1; i < argc; ++i) {
        hasRepetitions = hasRepetitions || std::string(argv[i]).starts_with("--benchmark_repetitions");
        hasMinTime = hasMinTime || std::string(argv[i]).starts_with("--benchmark_min_time");
    }
    args.insert(args.begin() + 1, interleave.data());
    if (!hasRepetitions)
        args.insert(args.begin() + 1, repetitions.data());
    if (!hasMinTime)
        args.insert(args.begin() + 1, minTime.data());
    int count = int(args.size());
    args.push_back(nullptr);
    registerAll();
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    sides() = Sides();
    paintSides() = PaintSides();
    return 0;
}
