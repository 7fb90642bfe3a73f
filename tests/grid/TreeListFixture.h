#pragma once

// A tree list for widget-free tests: a host that records what the engine asks
// of its window and fires timers when told, and a tree list whose columns and
// cell texts come from arrays.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"
#include "CoreFakes.h"

#include "platform/gfx/TextMeasurer.h"

#include <QStringList>

#include <functional>
#include <map>
#include <set>
#include <vector>

namespace gridtest {

class FakeTreeListHost : public grid::TreeListHost
{
public:
    void invalidate(const rtl::TRect &rect) override { invalidated.push_back(rect); }
    void invalidateAll() override { ++invalidateAllCount; }
    void updateNow() override { ++updates; }
    bool hasKeyboardFocus() const override { return focused; }
    void setKeyboardFocus() override
    {
        focused = true;
        ++focusRequests;
    }
    bool canFocus() const override { return focusable; }
    void startTimer(int id, int intervalMs) override { timers[id] = intervalMs; }
    void stopTimer(int id) override { timers.erase(id); }
    void setCursor(grid::TCursor value) override { cursor = value; }
    void setClipboardText(const QString &text) override { clipboard = text; }
    grid::TShiftState keyState() const override { return keys; }
    void beep() override { ++beeps; }
    const gfx::TextMeasurer &textMeasurer() const override { return measurer; }

    // Lets a running timer elapse; false when it does not run.
    bool fire(grid::TCustomdxTreeList &tree, int id)
    {
        if (!timers.contains(id))
            return false;
        tree.TimerFired(id);
        return true;
    }

    gfx::FixedTextMeasurer measurer;
    std::vector<rtl::TRect> invalidated;
    int invalidateAllCount = 0;
    int updates = 0;
    bool focused = false;
    int focusRequests = 0;
    bool focusable = true;
    std::map<int, int> timers;
    grid::TCursor cursor = grid::crDefault;
    QString clipboard;
    int beeps = 0;
    grid::TShiftState keys = 0;
};

// A host whose grids edit with the recording editor.
class FakeEditorHost : public FakeTreeListHost
{
public:
    grid::InplaceEditor *createEditor(const QString &, grid::TCustomdxContainer *owner) override
    {
        return new FakeEditor(owner);
    }
};

class TextNode : public grid::TdxTreeListNode
{
public:
    using grid::TdxTreeListNode::TdxTreeListNode;
    QStringList texts;
};

struct DeletedCall
{
    const grid::TdxTreeListNode *node;
    QString name;
    grid::TdxTreeListNode *previous;
    bool wasVisible;
    bool wasLast;
    grid::TdxTreeListNode *nextVisible;
    int updateCount;
};

class ArrayTreeList : public grid::TCustomdxTreeList
{
public:
    ArrayTreeList()
        : grid::TCustomdxTreeList(nullptr)
    {
        SetHost(&host);
    }
    ~ArrayTreeList() override { BeginDestroy(); }

    // One band of one line holding the columns in order.
    void setColumns(const QStringList &names)
    {
        captions = names;
        std::vector<int> line;
        for (int c = 0; c < names.size(); ++c)
            line.push_back(c);
        bands = {{line}};
    }

    // A node whose texts are the name followed by the rest; the name is also
    // how the tests find it again.
    TextNode *add(const QString &name, grid::TdxTreeListNode *parent = nullptr, QStringList more = {})
    {
        auto *node = static_cast<TextNode *>(parent ? parent->AddChild() : Add());
        if (node)
            node->texts = QStringList{name} + more;
        return node;
    }
    // Changes a text as a program would: the tree list is told.
    void setText(grid::TdxTreeListNode *node, int column, const QString &text)
    {
        QStringList &texts = static_cast<TextNode *>(node)->texts;
        while (texts.size() <= column)
            texts.append(QString());
        texts[column] = text;
        TextChanged(node, column);
    }
    static QString name(const grid::TdxTreeListNode *node)
    {
        return node ? static_cast<const TextNode *>(node)->texts.value(0) : QStringLiteral("-");
    }
    // Names of the rows shown, by the node walk.
    QStringList shownRows() const
    {
        QStringList rows;
        for (auto *n = Items(0); n; n = n->GetNextVisible())
            rows << name(n);
        return rows;
    }
    void AskCanEdit(grid::TdxTreeListNode *node, bool &allow) { DoCanEdit(node, allow); }
    // Editing with the editor as the tree list's own would be; nullptr ends
    // it without the editor.
    void setEditing(grid::InplaceEditor *editor)
    {
        SetEditor(editor);
        SetState(editor ? grid::tsEditing : grid::tsNone);
    }
    QStringList selectedNames()
    {
        QStringList names;
        for (auto *n : SelectedNodes())
            names << name(n);
        return names;
    }

    int VisibleBandCount() override { return int(bands.size()); }
    int BandLineCount(int band) override { return validBand(band) ? int(bands[size_t(band)].size()) : 0; }
    int ColumnsInBandLine(int band, int line) override
    {
        return validLine(band, line) ? int(placedIn(band, line).size()) : 0;
    }
    int ColumnAt(int band, int line, int position) override
    {
        if (!validLine(band, line))
            return -1;
        const std::vector<int> placed = placedIn(band, line);
        return position >= 0 && position < int(placed.size()) ? placed[size_t(position)] : -1;
    }
    int ColumnCount() override { return int(captions.size()); }
    bool ColumnVisible(int column) override
    {
        return column >= 0 && column < ColumnCount() && !hidden.contains(column);
    }
    bool ColumnTabStop(int column) override { return !noTabStop.contains(column); }
    QString ColumnHeaderCaption(int column) override { return captions.value(column); }
    QString CellText(const grid::TdxTreeListNode *node, int column) override
    {
        return static_cast<const TextNode *>(node)->texts.value(column);
    }

    FakeTreeListHost host;
    QStringList captions;
    std::vector<std::vector<std::vector<int>>> bands; // band, line, columns
    std::set<int> hidden;
    std::set<int> noTabStop;
    int rowsPerPage = 10;
    std::set<const grid::TdxTreeListNode *> lazy; // say they have children
    std::vector<DeletedCall> deleted;
    std::function<bool(grid::TdxTreeListNode *)> collapseWithFocus;
    std::set<int> singleText; // top-level indexes that export one text
    int beginHooks = 0;
    int endHooks = 0;
    int rowHeightChanges = 0;
    int layoutChanges = 0;

protected:
    std::unique_ptr<grid::TdxTreeListNode> CreateNode() override { return std::make_unique<TextNode>(this); }
    int RowsPerPage() override { return rowsPerPage; }
    bool NodeHasChildren(grid::TdxTreeListNode *node) override
    {
        return lazy.contains(node) || grid::TCustomdxTreeList::NodeHasChildren(node);
    }
    void NodeDeleted(grid::TdxTreeListNode *node, grid::TdxTreeListNode *previous, bool wasVisible, bool wasLast,
                     grid::TdxTreeListNode *nextVisible) override
    {
        deleted.push_back({node, name(node), previous, wasVisible, wasLast, nextVisible, UpdateCount()});
        lazy.erase(node);
        grid::TCustomdxTreeList::NodeDeleted(node, previous, wasVisible, wasLast, nextVisible);
    }
    bool CollapseWithFocusInside(grid::TdxTreeListNode *node) override
    {
        if (collapseWithFocus)
            return collapseWithFocus(node);
        return grid::TCustomdxTreeList::CollapseWithFocusInside(node);
    }
    bool IsSingleTextNode(grid::TdxTreeListNode *node) override
    {
        return !node->Parent() && singleText.contains(node->Index());
    }
    void BeginUpdateHook() override { ++beginHooks; }
    void RowHeightsChanged() override { ++rowHeightChanges; }
    void LayoutChanged() override
    {
        ++layoutChanges;
        grid::TCustomdxTreeList::LayoutChanged();
    }
    void EndUpdateHook() override
    {
        ++endHooks;
        grid::TCustomdxTreeList::EndUpdateHook();
    }

private:
    bool validBand(int band) const { return band >= 0 && band < int(bands.size()); }
    bool validLine(int band, int line) const
    {
        return validBand(band) && line >= 0 && line < int(bands[size_t(band)].size());
    }
    std::vector<int> placedIn(int band, int line)
    {
        std::vector<int> placed;
        for (int c : bands[size_t(band)][size_t(line)])
            if (ColumnVisible(c))
                placed.push_back(c);
        return placed;
    }
};

} // namespace gridtest
