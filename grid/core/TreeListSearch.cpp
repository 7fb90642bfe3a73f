// Incremental search, the focus steps of the keyboard and the reading order
// of the columns: the services of the tree list that work on the order of
// rows and columns rather than on geometry.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListScopes.h"

#include <algorithm>

namespace grid {

void TCustomdxTreeList::chopLastCharacter(QString &text)
{
    const qsizetype n = text.size();
    if (n >= 2 && text.at(n - 1).isLowSurrogate() && text.at(n - 2).isHighSurrogate())
        text.chop(2);
    else
        text.chop(1);
}

// ---- Columns in reading order ----

void TCustomdxTreeList::forEachPlacedColumn(const std::function<bool(int, int, int, int)> &f)
{
    const int bands = VisibleBandCount();
    int lines = 0;
    for (int b = 0; b < bands; ++b)
        lines = std::max(lines, BandLineCount(b));
    for (int line = 0; line < lines; ++line)
        for (int b = 0; b < bands; ++b) {
            if (line >= BandLineCount(b))
                continue;
            const int places = ColumnsInBandLine(b, line);
            for (int place = 0; place < places; ++place) {
                const int column = ColumnAt(b, line, place);
                if (column >= 0 && !f(column, b, line, place))
                    return;
            }
        }
}

int TCustomdxTreeList::VisibleColumnCount()
{
    int visible = 0;
    const int columns = ColumnCount();
    for (int c = 0; c < columns; ++c)
        if (ColumnVisible(c))
            ++visible;
    return visible;
}

int TCustomdxTreeList::ColumnAtPosition(int position)
{
    int found = -1;
    int at = 0;
    if (position >= 0)
        forEachPlacedColumn([&](int column, int, int, int) {
            if (at++ != position)
                return true;
            found = column;
            return false;
        });
    return found;
}

int TCustomdxTreeList::PositionOfColumn(int column)
{
    int found = 0;
    int at = 0;
    forEachPlacedColumn([&](int placed, int, int, int) {
        if (placed == column) {
            found = at;
            return false;
        }
        ++at;
        return true;
    });
    return found;
}

// ---- Incremental search ----

bool TCustomdxTreeList::StartSearch(int column, const QString &text)
{
    // The editor's, the focus's and the expansion's handlers may free the
    // grid: the search ends there, unstarted.
    const TreeListAlive self = AliveToken();
    if (!EndEditingQuietly() || self.expired())
        return false;
    if (column == -1)
        column = FocusedColumnIndex();
    m_searchColumn = column;
    SetFocusedColumn(PositionOfColumn(column));
    if (self.expired())
        return false;
    m_searching = true;
    m_searchText = text;
    SearchStep(m_searchText, sdFocused, true);
    return !self.expired() && !m_searchText.isEmpty();
}

void TCustomdxTreeList::EndSearch()
{
    m_searching = false;
    if (!IsUpdating() && m_focused && !IsDestroying())
        InvalidateNode(m_focused);
}

void TCustomdxTreeList::SearchStep(QString &text, int direction, bool clearOnFailure)
{
    // The focus change below tells the program, whose handler may type on.
    if (m_searchReentry > 0)
        return;
    DeletionDeferral defer(*this);
    // The focus's, selection's and expansion's handlers may free the grid,
    // and the text with it when it is the grid's own.
    const TreeListAlive self = AliveToken();
    ++m_searchReentry;
    struct Leave
    {
        int &count;
        const TreeListAlive &alive;
        ~Leave()
        {
            if (!alive.expired())
                --count;
        }
    } leave{m_searchReentry, self};

    if (m_searchColumn >= 0 && m_topLevel.count() > 0) {
        TdxTreeListNode *found = nullptr;
        const bool hit = FindByPrefix(m_searchColumn, text, direction, found);
        if (self.expired())
            return;
        if (hit) {
            ChangeFocus(found, FocusedColumn(), false);
            if (self.expired())
                return;
        } else if (clearOnFailure)
            text.clear();
        else if (direction == sdFocused)
            chopLastCharacter(text);
    } else {
        text.clear();
    }
    if (m_focused) {
        if (IsMultiSelect()) {
            SelectionBracket bracket(*this);
            if (bracket.gone())
                return;
            ClearSelection();
            if (!self.expired() && m_focused)
                SetNodeSelected(m_focused, true);
        }
        if (self.expired() || !m_focused)
            return;
        MakeVisible(m_focused);
        if (!self.expired() && m_focused)
            InvalidateNode(m_focused);
    }
}

namespace {

// The first node at or after from (step 1) or at or before it (step -1), up
// to but not including end, that matches; -1 for none, -2 when the match
// answered that the list no longer holds (-1).
template <typename Matches, typename Prefetch>
int searchScanOrder(const std::vector<TdxTreeListNode *> &order, int from, int end, int step, Matches &matches,
                    Prefetch &prefetch)
{
    // How far ahead the memory is asked for nodes: the list gives their
    // addresses long before the walk reaches them.
    constexpr int Ahead = 8;
    for (int i = from; i != end; i += step) {
        if (i < 0 || size_t(i) >= order.size())
            return -1;
        const int later = i + Ahead * step;
        if (later >= 0 && size_t(later) < order.size())
            prefetch(order[size_t(later)]);
        switch (matches(order[size_t(i)])) {
        case 1: return i;
        case -1: return -2;
        default: break;
        }
    }
    return -1;
}

} // namespace

bool TCustomdxTreeList::FindByPrefix(int column, const QString &text, int direction, TdxTreeListNode *&found)
{
    found = nullptr;
    if (text.isEmpty() || m_topLevel.count() == 0)
        return false;
    if (column != m_foldColumn) {
        m_foldColumn = column;
        TextsChanged();
    }
    const FoldedNeedle needle(text);
    auto matches = [&](TdxTreeListNode *n) {
        FoldedPrefix &kept = n->m_folded;
        if (kept.generation != m_foldGeneration)
            kept.assign(CellText(n, column), m_foldGeneration);
        switch (needle.startOf(kept)) {
        case FoldedNeedle::NoMatch: return false;
        case FoldedNeedle::Match: return true;
        case FoldedNeedle::Undecided: break;
        }
        return CellText(n, column).startsWith(text, Qt::CaseInsensitive);
    };
    auto prefetch = [](const TdxTreeListNode *n) { __builtin_prefetch(&n->m_folded); };
    // A handler asked for a text may add or delete nodes: the list walked
    // then no longer holds, and the walk along the tree takes over.
    const uint64_t structure = m_structureVersion;
    auto listMatches = [&](TdxTreeListNode *n) {
        const bool match = matches(n);
        return m_structureVersion != structure ? -1 : match ? 1 : 0;
    };
    const bool backwards = direction == sdBackward;
    const bool all = m_searchAllNodes;
    TdxTreeListNode *start = m_focused ? m_focused : m_topLevel.first();

    // The walk goes along a list of the nodes in order: the rows shown, or
    // all nodes. From is the start's place in it; backwards the wrap goes
    // to the last top-level node, not to the last entry, and the nodes
    // below it are not searched.
    const std::vector<TdxTreeListNode *> *order = nullptr;
    int from = -1;
    int wrapBack = -1;
    if (m_clearing || IsDestroying()) {
        // The lists are being taken apart: the node steps below.
    } else if (all) {
        order = &m_rows.allNodes(m_topLevel, m_nodeCount, m_structureVersion);
        from = int(std::find(order->begin(), order->end(), start) - order->begin());
        if (backwards)
            wrapBack = int(std::find(order->rbegin(), order->rend(), m_topLevel.last()).base() - order->begin()) - 1;
    } else {
        ensureVisibleRows();
        if (m_rows.valid()) {
            order = &m_rows.rows();
            from = m_rows.indexOf(start);
            if (backwards)
                wrapBack = m_rows.indexOf(m_topLevel.last());
        }
    }
    int at = -1;
    if (order && from >= 0 && size_t(from) < order->size()) {
        const int count = int(order->size());
        if (!backwards) {
            at = searchScanOrder(*order, direction == sdFocused ? from : from + 1, count, 1, listMatches, prefetch);
            if (at == -1)
                at = searchScanOrder(*order, 0, from, 1, listMatches, prefetch);
        } else {
            at = searchScanOrder(*order, from - 1, -1, -1, listMatches, prefetch);
            if (at == -1 && wrapBack > from)
                at = searchScanOrder(*order, wrapBack, from, -1, listMatches, prefetch);
        }
        if (at >= 0) {
            found = (*order)[size_t(at)];
            return true;
        }
        if (at == -1)
            return false;
        // The start itself may have gone.
        if (m_topLevel.count() == 0)
            return false;
        start = m_focused ? m_focused : m_topLevel.first();
    }

    // A start outside the rows shown, or no list to walk: along the tree.
    TdxTreeListNode *stop = nullptr;
    // Running off an end wraps once; from then on the walk ends where it
    // began, or at the other end for a start outside the order walked.
    auto advance = [&](TdxTreeListNode *n) -> TdxTreeListNode * {
        TdxTreeListNode *next =
            backwards ? (all ? n->GetPrev() : n->GetPrevVisible()) : (all ? n->GetNext() : n->GetNextVisible());
        if (next || stop)
            return next;
        stop = start;
        return backwards ? m_topLevel.last() : m_topLevel.first();
    };
    TdxTreeListNode *n = start;
    if (direction != sdFocused) {
        n = advance(n);
        if (!n || n == stop)
            return false;
    }
    for (;;) {
        if (matches(n)) {
            found = n;
            return true;
        }
        n = advance(n);
        if (!n || n == stop)
            return false;
    }
}

void TCustomdxTreeList::TextChanged(TdxTreeListNode *node, int column)
{
    if (owns(node))
        node->m_heightGeneration = 0;
    if (owns(node) && (column < 0 || column == m_foldColumn))
        node->m_folded.generation = 0;
}

void TCustomdxTreeList::TextsChanged()
{
    rowHeightsStale();
    if (++m_foldGeneration != 0)
        return;
    // The numbers came round: a node folded that many changes ago would
    // read as current.
    for (TdxTreeListNode *n = m_topLevel.first(); n; n = n->GetNext())
        n->m_folded.generation = 0;
    m_foldGeneration = 1;
}

// ---- Steps ----

void TCustomdxTreeList::StepRows(int rows, TShiftState shift)
{
    if (m_topLevel.count() == 0 || rows == 0)
        return;
    DeletionDeferral defer(*this);
    SelectionBracket bracket(*this);
    if (bracket.gone())
        return;
    if (!m_focused) {
        ChangeFocus(m_top ? m_top : m_topLevel.first(), FocusedColumn(), true);
        return;
    }
    // The can-select, expansion and focus handlers may free the grid.
    const TreeListAlive self = AliveToken();
    const bool multi = IsMultiSelect();
    const bool extend = multi && (shift & ssShift);
    if (multi) {
        if (!extend) {
            // At the first row going up, or the last going down, nothing
            // moves and the selection stays.
            if (!(rows < 0 ? IsFocusedFirst() : IsFocusedLast()) && !self.expired())
                ClearSelection();
            if (self.expired())
                return;
            m_anchor = nullptr;
        } else if (!m_anchor) {
            m_anchor = m_focused;
            SetNodeSelected(m_focused, true);
        } else {
            const int side = CompareWithAnchor(m_focused);
            if ((side > 0 && rows < 0) || (side < 0 && rows > 0))
                SetNodeSelected(m_focused, false);
            else
                SelectRange(m_anchor, m_focused);
        }
        if (self.expired())
            return;
    }
    if (!m_focused->IsVisible())
        MakeVisible(m_focused);
    if (self.expired())
        return;
    const int index = m_focused ? AbsoluteIndex(m_focused) : -1;
    if (index < 0)
        return;
    const int last = VisibleRowCount() - 1;
    const long long target = std::clamp<long long>(static_cast<long long>(index) + rows, 0, last);
    ChangeFocus(NodeAtAbsoluteIndex(int(target)), FocusedColumn(), true);
    if (extend && !self.expired() && m_focused)
        SetNodeSelected(m_focused, true);
}

void TCustomdxTreeList::StepPage(bool down)
{
    if (m_topLevel.count() == 0)
        return;
    DeletionDeferral defer(*this);
    if (!m_focused) {
        ChangeFocus(m_top ? m_top : m_topLevel.first(), FocusedColumn(), true);
        return;
    }
    // The expansion handlers and a descendant's answers (first or last,
    // the rows of a page) may free the grid: the step ends there.
    const TreeListAlive self = AliveToken();
    if (!m_focused->IsVisible())
        MakeVisible(m_focused);
    if (self.expired())
        return;
    const int current = m_focused ? AbsoluteIndex(m_focused) : -1;
    if (current < 0)
        return;
    const int count = VisibleRowCount();
    int target;
    if (count < 2) {
        if (down ? IsFocusedLast() : IsFocusedFirst())
            return;
        if (self.expired())
            return;
        target = current + (down ? 1 : -1);
    } else {
        const int top = std::max(0, TopRowIndex());
        const int rows = std::max(1, RowsPerPage());
        if (self.expired())
            return;
        const int last = std::min(top + rows - 1, count - 1);
        if (top < current && current < last)
            target = down ? last : top;
        else
            target = current + (down ? 1 : -1) * std::max(rows - 1, 1);
    }
    target = std::clamp(target, 0, count - 1);
    ChangeFocus(NodeAtAbsoluteIndex(target), FocusedColumn(), true);
}

bool TCustomdxTreeList::StepColumn(bool forward, bool wrapRows, bool tabStopsOnly)
{
    if (IsRowFocus())
        return false;
    const int positions = VisibleColumnCount();
    if (positions == 0)
        return false;
    const int step = forward ? 1 : -1;
    const TreeListAlive self = AliveToken();
    for (int p = FocusedColumn() + step; p >= 0 && p < positions; p += step) {
        const int column = ColumnAtPosition(p);
        const bool stop = column >= 0 && ColumnVisible(column) && (!tabStopsOnly || ColumnTabStop(column));
        if (self.expired())
            return false;
        if (stop) {
            SetFocusedColumn(p);
            return true;
        }
    }
    if (!wrapRows || !m_focused)
        return false;
    TdxTreeListNode *row = forward ? m_focused->GetNextVisible() : m_focused->GetPrevVisible();
    if (!row)
        return false;
    ChangeFocus(row, forward ? 0 : positions - 1, true);
    return true;
}

bool TCustomdxTreeList::StepBandLine(bool down)
{
    if (IsRowFocus())
        return false;
    const int position = FocusedColumn();
    int band = -1, line = 0, place = 0, at = 0;
    forEachPlacedColumn([&](int, int b, int l, int p) {
        if (at++ != position)
            return true;
        band = b;
        line = l;
        place = p;
        return false;
    });
    if (band < 0)
        return false;
    const int target = line + (down ? 1 : -1);
    if (target < 0 || target >= BandLineCount(band))
        return false;
    const int places = ColumnsInBandLine(band, target);
    if (places <= 0)
        return false;
    const int column = ColumnAt(band, target, std::min(place, places - 1));
    if (column < 0)
        return false;
    SetFocusedColumn(PositionOfColumn(column));
    return true;
}

} // namespace grid
