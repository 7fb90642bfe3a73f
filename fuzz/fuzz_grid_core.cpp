// The tree list's engine driven by bytes: building, expanding, collapsing and
// deleting nodes (also from inside its own notifications), focusing,
// selecting, stepping, searching and exporting. After every step the row
// cache must equal a walk and every node the tree list refers to must be
// alive, or none.
//
// Input starting with ControlMarker drives the control with columns and
// bands instead: columns and bands added, moved, hidden, fixed and deleted
// with indexes out of range, sorts with a compare event that answers at
// random, and texts read past their end. After every step each column's band
// is in range, the lookup cache answers as the scan, and the sorted columns
// are listed columns with a mark. Layouts, hit tests and sizings run at
// random client sizes, widths, minimums, line counts, options and top rows;
// after each, header cells tile their band line, rows stay inside the rows
// area and a hit cell contains its point.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListHost.h"
#include "tests/grid/SearchReference.h"

#include "platform/gfx/TextMeasurer.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr int MaxNodes = 300;

class FuzzNode : public grid::TdxTreeListNode
{
public:
    using grid::TdxTreeListNode::TdxTreeListNode;
    QString text;
};

class Bytes
{
public:
    Bytes(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {}
    bool empty() const { return m_at >= m_size; }
    uint8_t next() { return m_at < m_size ? m_data[m_at++] : 0; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

// What the tree list's notifications do while the bytes run.
enum class HandlerMode : uint8_t { None, DeleteOther, DeleteSelf, DeleteParent, ClearAll, AddChild, Count };

class FuzzTree : public grid::TCustomdxTreeList
{
public:
    FuzzTree()
        : grid::TCustomdxTreeList(nullptr)
    {}
    ~FuzzTree() override { BeginDestroy(); }

    // Two bands: band 0 holds columns 0 and 1 on one line and column 2 on a
    // second; band 1 holds column 3.
    int VisibleBandCount() override { return 2; }
    int BandLineCount(int band) override { return band == 0 ? 2 : band == 1 ? 1 : 0; }
    int ColumnsInBandLine(int band, int line) override
    {
        if (band == 0)
            return line == 0 ? 2 : line == 1 ? 1 : 0;
        return band == 1 && line == 0 ? 1 : 0;
    }
    int ColumnAt(int band, int line, int position) override
    {
        if (band == 0 && line == 0 && (position == 0 || position == 1))
            return position;
        if (band == 0 && line == 1 && position == 0)
            return 2;
        return band == 1 && line == 0 && position == 0 ? 3 : -1;
    }
    int ColumnCount() override { return 4; }
    QString ColumnHeaderCaption(int column) override { return QString::number(column); }
    QString CellText(const grid::TdxTreeListNode *node, int column) override
    {
        const QString &text = static_cast<const FuzzNode *>(node)->text;
        return column == 0 ? text : text.mid(column);
    }

    std::vector<grid::TdxTreeListNode *> nodes() const
    {
        std::vector<grid::TdxTreeListNode *> all;
        for (grid::TdxTreeListNode *n = Items(0); n; n = n->GetNext())
            all.push_back(n);
        return all;
    }
    grid::TdxTreeListNode *pick(uint8_t b) const
    {
        const std::vector<grid::TdxTreeListNode *> all = nodes();
        return all.empty() ? nullptr : all[b % all.size()];
    }

    HandlerMode mode = HandlerMode::None;
    uint8_t modeArg = 0;
    int handlerDepth = 0;

    void installHandlers()
    {
        OnExpanding = [this](classes::TObject *, grid::TdxTreeListNode *node, bool &allow) {
            react(node);
            if (modeArg == 0xFF)
                allow = false;
        };
        OnCollapsing = [this](classes::TObject *, grid::TdxTreeListNode *node, bool &) { react(node); };
        OnDeletion = [this](classes::TObject *, grid::TdxTreeListNode *node) {
            // Adding from a deletion notice during a clear would never end.
            if (mode != HandlerMode::AddChild)
                react(node);
        };
    }

protected:
    std::unique_ptr<grid::TdxTreeListNode> CreateNode() override { return std::make_unique<FuzzNode>(this); }
    int RowsPerPage() override { return 1 + rowsPerPage % 7; }

public:
    uint8_t rowsPerPage = 3;

private:
    void react(grid::TdxTreeListNode *node)
    {
        if (handlerDepth > 4)
            return;
        ++handlerDepth;
        switch (mode) {
        case HandlerMode::DeleteOther:
            if (grid::TdxTreeListNode *other = pick(modeArg))
                other->Delete();
            break;
        case HandlerMode::DeleteSelf: node->Delete(); break;
        case HandlerMode::DeleteParent:
            if (node->Parent())
                node->Parent()->Delete();
            break;
        case HandlerMode::ClearAll: ClearNodes(); break;
        case HandlerMode::AddChild:
            if (NodeCount() < MaxNodes)
                if (auto *child = static_cast<FuzzNode *>(node->AddChild()))
                    child->text = QStringLiteral("lazy");
            break;
        default: break;
        }
        --handlerDepth;
    }
};

QString textFrom(Bytes &in)
{
    // Letters of a small alphabet so that prefixes meet, with an accented
    // pair to exercise case folding.
    static const QString alphabet = QStringLiteral("abAB\u00e9\u00c9 \t");
    const int length = in.next() % 6;
    QString text;
    for (int i = 0; i < length; ++i)
        text += alphabet.at(in.next() % alphabet.size());
    return text;
}

void check(FuzzTree &tree)
{
    const std::vector<grid::TdxTreeListNode *> all = tree.nodes();
    const std::set<const grid::TdxTreeListNode *> alive(all.begin(), all.end());
    if (int(all.size()) != tree.NodeCount())
        std::abort();
    auto live = [&](const grid::TdxTreeListNode *n) { return !n || alive.contains(n); };
    if (!live(tree.FocusedNode()) || !live(tree.TopNode()) || !live(tree.SelectionAnchor()))
        std::abort();
    if (tree.TopNode() && !tree.TopNode()->IsVisible())
        std::abort();
    const std::vector<grid::TdxTreeListNode *> selected = tree.SelectedNodes();
    if (int(selected.size()) != tree.SelectedCount())
        std::abort();
    for (const grid::TdxTreeListNode *n : selected)
        if (!live(n))
            std::abort();

    std::vector<grid::TdxTreeListNode *> shown;
    for (grid::TdxTreeListNode *n = tree.Items(0); n; n = n->GetNextVisible())
        shown.push_back(n);
    if (tree.VisibleRows().valid() && tree.VisibleRows().rows() != shown)
        std::abort();
    if (tree.VisibleRowCount() != int(shown.size()))
        std::abort();
    for (size_t i = 0; i < shown.size(); ++i)
        if (tree.AbsoluteIndex(shown[i]) != int(i) || tree.NodeAtAbsoluteIndex(int(i)) != shown[i])
            std::abort();
    for (const grid::TdxTreeListNode *n : all)
        if (!n->IsVisible() && tree.AbsoluteIndex(n) != -1)
            std::abort();
}

constexpr uint8_t ControlMarker = 0xC7;

void checkControl(grid::TCustomdxTreeListControl &tree)
{
    const int bands = tree.Bands()->Count();
    for (int i = 0; i < tree.ColumnCount(); ++i) {
        const grid::TdxTreeListColumn *c = tree.Columns(i);
        if (c->Index() != i || c->TreeList() != &tree || c->BandIndex() < -1 || c->BandIndex() >= bands)
            std::abort();
        if (c->RowIndex() < 0 || c->RowIndex() >= tree.HeaderPanelRowCount())
            std::abort();
        if (tree.ColumnPositionInLine(i) != tree.ScanColIndex(c))
            std::abort();
    }
    const int visible = tree.VisibleBandCount();
    for (int p = 0; p < visible; ++p) {
        if (tree.BandUsedRowCount(p) != tree.ScanBandUsedRowCount(p))
            std::abort();
        for (int r = 0; r < tree.HeaderPanelRowCount(); ++r) {
            const int count = tree.BandRowColumnCount(p, r);
            if (count != tree.ScanBandRowColumnCount(p, r))
                std::abort();
            for (int place = 0; place <= count; ++place)
                if (tree.ColumnAtPlace(p, r, place) != tree.ScanColumnAtPlace(p, r, place))
                    std::abort();
        }
    }
    for (const grid::TdxTreeListColumn *c : tree.SortedColumns())
        if (c->TreeList() != &tree || c->Sorted() == grid::csNone)
            std::abort();
    int nodes = 0;
    for (grid::TdxTreeListNode *n = tree.Items(0); n; n = n->GetNext())
        ++nodes;
    if (nodes != tree.NodeCount())
        std::abort();
}

class FuzzHost : public grid::TreeListHost
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
    const gfx::TextMeasurer &textMeasurer() const override { return measurer; }
    gfx::FixedTextMeasurer measurer;
};

void checkGeometry(grid::TCustomdxTreeListControl &tree, Bytes &in)
{
    grid::TdxTreeListLayoutInfo info;
    tree.CalcLayout(info);
    for (const grid::TdxTreeListBandInfo &band : info.Bands) {
        const grid::TdxTreeListHeaderCell *previous = nullptr;
        for (const grid::TdxTreeListHeaderCell &cell : info.HeaderCells) {
            if (cell.BandIndex != band.BandIndex)
                continue;
            if (previous && previous->BandLine == cell.BandLine && previous->CellRect.Right != cell.CellRect.Left)
                std::abort();
            if (cell.FirstInLine && cell.CellRect.Left != band.BandRect.Left)
                std::abort();
            if (cell.LastInLine && cell.CellRect.Right != band.BandRect.Right)
                std::abort();
            previous = &cell;
        }
    }
    for (const grid::TdxTreeListRowInfo &row : info.Rows)
        if (row.Top < info.RowsRect.Top || row.Top >= info.RowsRect.Bottom || row.Height <= 0)
            std::abort();
    const int x = int(int16_t(in.next() << 8 | in.next()));
    const int y = int(int16_t(in.next() << 8 | in.next()));
    const grid::TdxTreeListHitInfo hit = tree.HitTest(x, y);
    if ((hit.HitCode == grid::htCell || hit.HitCode == grid::htColumnHeader) && hit.ColumnIndex >= 0) {
        bool inside = false;
        for (const grid::TdxTreeListHeaderCell &cell : info.HeaderCells)
            inside =
                inside || (cell.ColumnIndex == hit.ColumnIndex && x >= cell.ClipRect.Left && x < cell.ClipRect.Right);
        if (!inside)
            std::abort();
    }
    if (hit.HitCode != grid::htOutside && (x < info.ClientRect.Left || x >= info.ClientRect.Right ||
                                           y < info.ClientRect.Top || y >= info.ClientRect.Bottom))
        std::abort();
}

int fuzzControl(Bytes &in)
{
    FuzzHost host;
    auto tree = std::make_unique<grid::TCustomdxTreeListControl>(nullptr);
    grid::TCustomdxTreeListControl &t = *tree;
    t.SetHost(&host);
    uint8_t compareSeed = 0;
    auto column = [&t](uint8_t b) { return t.ColumnCount() ? t.Columns(b % t.ColumnCount()) : nullptr; };
    auto band = [&t](uint8_t b) { return t.Bands()->Count() ? t.Bands()->Items(b % t.Bands()->Count()) : nullptr; };
    while (!in.empty()) {
        const uint8_t op = in.next();
        const uint8_t arg = in.next();
        const int wide = int(int8_t(in.next()));
        switch (op % 22) {
        case 16: {
            const int width = int(uint16_t(in.next() << 8 | in.next()) % 32768);
            t.SetClientRect(rtl::Rect(0, 0, width, int(uint16_t(in.next() << 8 | in.next()) % 4096)));
            break;
        }
        case 17:
            if (auto *c = column(arg)) {
                c->SetMinWidth(wide * int(in.next()));
                c->SetWidth(arg & 1 ? 2147483647 : wide * int(in.next()));
            }
            break;
        case 18: {
            grid::TreeListSettings s = t.Settings();
            s.ShowBands = arg & 1;
            s.ShowHeader = arg & 2;
            s.ShowFooter = arg & 4;
            s.ShowIndicator = arg & 8;
            s.ShowGrid = arg & 16;
            s.ShowPreviewGrid = arg & 32;
            s.DefaultRowHeight = (arg & 64) ? 1 + uint8_t(wide) * 40 : 1;
            s.DefaultRowHeightSet = arg & 128;
            s.PreviewLines = in.next() % 4;
            t.SetSettings(s);
            t.SetOptionsA(t.OptionsA() ^ (uint32_t(in.next() & 0x7) << 8));
            t.SetOptionsB(t.OptionsB() ^ (uint32_t(in.next()) << 2));
            break;
        }
        case 19:
            t.SetHorzOffset(wide * int(in.next()) * 8);
            t.SetTopRowIndex(wide * int(in.next()));
            break;
        case 20:
            if (auto *b = band(arg)) {
                b->SetMinWidth(wide);
                b->SetWidth(int(uint16_t(in.next() << 8 | in.next())));
            }
            t.SetBandRowCount(in.next() % 7);
            t.SetHeaderPanelMaxRowCount(in.next() % 7);
            t.SetHeaderPanelRowCount(in.next() % 7);
            break;
        case 21: {
            const int end = int(int16_t(in.next() << 8 | in.next()));
            switch (arg % 5) {
            case 0: t.FinishBandSizing(wide % 4, end); break;
            case 1: t.FinishColumnSizing(wide % 8, end); break;
            case 2: t.FinishBandPanelSizing(end); break;
            case 3: t.FinishHeaderPanelSizing(end); break;
            case 4:
                if (t.Count() > 0)
                    t.FinishRowSizing(t.Items(uint8_t(wide) % t.Count()), end);
                break;
            }
            break;
        }
        case 0:
            if (t.ColumnCount() < 40)
                t.CreateColumn(arg & 1 ? grid::TdxTreeListMaskColumn::StaticClass()
                                       : grid::TdxTreeListColumn::StaticClass());
            break;
        case 1: delete column(arg); break;
        case 2:
            if (auto *c = column(arg))
                c->SetIndex(wide);
            break;
        case 3:
            if (auto *c = column(arg))
                c->SetVisible(!c->Visible());
            break;
        case 4:
            if (auto *c = column(arg))
                c->SetBandIndex(wide);
            break;
        case 5:
            if (auto *c = column(arg))
                c->SetRowIndex(wide);
            break;
        case 6:
            if (t.Bands()->Count() < 12)
                t.Bands()->Add();
            break;
        case 7:
            if (auto *b = band(arg))
                b->SetIndex(wide);
            break;
        case 8:
            if (t.Bands()->Count() > 0)
                t.Bands()->Delete(arg % t.Bands()->Count());
            break;
        case 9:
            if (auto *b = band(arg))
                b->SetFixed(grid::TdxGridBandFixed(uint8_t(wide) % 3));
            break;
        case 10:
            if (auto *b = band(arg))
                b->SetVisible(!b->Visible());
            break;
        case 11:
            if (arg & 0x80)
                t.SetDefaultLayout(true);
            else
                t.SetHeaderPanelRowCount(wide);
            break;
        case 12:
            if (t.NodeCount() < MaxNodes) {
                grid::TdxTreeListNode *parent = (arg & 1) && t.Count() ? t.Items(arg % t.Count()) : nullptr;
                grid::TdxTreeListNode *n = parent ? parent->AddChild() : t.Add();
                if (n)
                    t.SetNodeString(n, uint8_t(wide) % 50, textFrom(in));
            }
            break;
        case 13:
            if (t.Count() > 0)
                t.Items(arg % t.Count())->Delete();
            break;
        case 14:
            if (arg & 0x80) {
                compareSeed = uint8_t(wide);
                t.OnCompare = [&compareSeed](classes::TObject *, grid::TdxTreeListNode *, grid::TdxTreeListNode *,
                                             int &result) {
                    compareSeed = uint8_t(compareSeed * 37 + 11);
                    result = int(compareSeed % 3) - 1;
                };
            } else {
                t.OnCompare = nullptr;
            }
            t.SetOptionsB(t.OptionsB() ^ ((arg & 1) << grid::boMultiSort) ^
                          ((arg & 2) << (grid::boLocaleStringOrder - 1)));
            t.SortNodes(int(arg % 4) - 1, wide, arg & 4);
            break;
        case 15:
            if (t.ColumnCount() > 0)
                t.ColumnSortClick(arg % (t.ColumnCount() + 2) - 1, (wide & 1) ? grid::ssCtrl : 0);
            if (t.Count() > 0)
                (void)t.GetNodeString(t.Items(arg % t.Count()), wide);
            break;
        }
        checkControl(t);
        checkGeometry(t, in);
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Bytes in(data, size);
    if (size > 0 && data[0] == ControlMarker) {
        in.next();
        return fuzzControl(in);
    }
    auto tree = std::make_unique<FuzzTree>();
    tree->installHandlers();
    int brackets = 0;
    while (!in.empty()) {
        const uint8_t op = in.next();
        const uint8_t arg = in.next();
        FuzzTree &t = *tree;
        switch (op % 20) {
        case 0:
            if (t.NodeCount() < MaxNodes)
                if (auto *n = static_cast<FuzzNode *>(t.Add()))
                    n->text = textFrom(in);
            break;
        case 1:
            if (t.NodeCount() < MaxNodes)
                if (grid::TdxTreeListNode *parent = t.pick(arg))
                    if (auto *n = static_cast<FuzzNode *>(parent->AddChild()))
                        n->text = textFrom(in);
            break;
        case 2:
            if (auto *n = t.pick(arg))
                n->SetExpanded(true);
            break;
        case 3:
            if (auto *n = t.pick(arg))
                n->SetExpanded(false);
            break;
        case 4:
            if (auto *n = t.pick(arg))
                n->Expand(in.next() & 1);
            break;
        case 5:
            if (auto *n = t.pick(arg))
                n->Delete();
            break;
        case 6:
            if (auto *n = t.pick(arg))
                n->SetFocused(true);
            else
                t.SetFocusedNode(nullptr);
            break;
        case 7:
            if (auto *n = t.pick(arg))
                n->SetSelected(!t.IsNodeSelected(n));
            break;
        case 8:
            t.SetSelectionAnchor(t.pick(arg));
            if (t.SelectionAnchor())
                t.SelectRange(t.SelectionAnchor(), t.pick(in.next()));
            break;
        case 9: t.StepRows(int(int8_t(arg)) % 5, (in.next() & 1) ? grid::ssShift : 0); break;
        case 10: t.StepPage(arg & 1); break;
        case 11: {
            const QString text = textFrom(in);
            t.StartSearch(int(arg % 6) - 1, text);
            QString more = t.SearchText() + textFrom(in);
            t.SearchStep(more, in.next() % 3, in.next() & 1);
            t.EndSearch();
            break;
        }
        case 12: {
            // A text changes now and then; the search still finds what a
            // walk comparing every text finds.
            if (arg & 0x40)
                if (auto *n = static_cast<FuzzNode *>(t.pick(in.next()))) {
                    n->text = textFrom(in);
                    t.TextChanged(n);
                }
            const int column = int(arg % 5) - 1;
            const QString text = textFrom(in);
            const int direction = in.next() % 3;
            grid::TdxTreeListNode *const expected = gridtest::referenceFindByPrefix(t, column, text, direction);
            grid::TdxTreeListNode *found = nullptr;
            if (t.FindByPrefix(column, text, direction, found) != (expected != nullptr) || found != expected)
                std::abort();
            break;
        }
        case 13: {
            QStringList list;
            if (arg & 1)
                t.SaveSelectedToStrings(list);
            else
                t.SaveAllToStrings(list);
            if (!(arg & 1) && list.size() != t.VisibleRowCount() + 1)
                std::abort();
            break;
        }
        case 14: t.ClearNodes(); break;
        case 15:
            if (arg & 1) {
                t.BeginUpdate();
                ++brackets;
            } else if (brackets > 0) {
                t.EndUpdate();
                --brackets;
            }
            break;
        case 16:
            if (auto *n = t.pick(arg))
                n->MakeVisible();
            break;
        case 17:
            t.mode = HandlerMode(arg % uint8_t(HandlerMode::Count));
            t.modeArg = in.next();
            break;
        case 18:
            t.SetOptionsA(t.OptionsA() ^ (1u << (arg % 8)));
            t.SetSearchAllNodes(arg & 0x80);
            t.rowsPerPage = in.next();
            break;
        case 19:
            if (arg & 0x80)
                t.StepColumn(arg & 1, arg & 2, arg & 4);
            else if (arg & 0x40)
                t.StepBandLine(arg & 1);
            else
                t.MoveFocus(arg % 4, arg & 8);
            break;
        }
        check(t);
    }
    while (brackets-- > 0)
        tree->EndUpdate();
    check(*tree);
    return 0;
}
