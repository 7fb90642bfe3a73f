// Incremental search, the focus steps of the keyboard and the reading order
// of the columns: the services of the tree list that work on the order of
// rows and columns rather than on geometry.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListScopes.h"

#include <algorithm>

namespace grid {

namespace {

// The last character typed may be a surrogate pair.
void chopLastCharacter(QString &text)
{
    const qsizetype n = text.size();
    if (n >= 2 && text.at(n - 1).isLowSurrogate() && text.at(n - 2).isHighSurrogate())
        text.chop(2);
    else
        text.chop(1);
}

} // namespace

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
    if (!EndEditingQuietly())
        return false;
    if (column == -1)
        column = FocusedColumnIndex();
    m_searchColumn = column;
    SetFocusedColumn(PositionOfColumn(column));
    m_searching = true;
    m_searchText = text;
    SearchStep(m_searchText, sdFocused, true);
    return !m_searchText.isEmpty();
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
    ++m_searchReentry;
    struct Leave
    {
        int &count;
        ~Leave() { --count; }
    } leave{m_searchReentry};

    if (m_searchColumn >= 0 && m_topLevel.count() > 0) {
        TdxTreeListNode *found = nullptr;
        if (FindByPrefix(m_searchColumn, text, direction, found))
            ChangeFocus(found, FocusedColumn(), false);
        else if (clearOnFailure)
            text.clear();
        else if (direction == sdFocused)
            chopLastCharacter(text);
    } else {
        text.clear();
    }
    if (m_focused) {
        if (IsMultiSelect()) {
            SelectionBracket bracket(*this);
            ClearSelection();
            SetNodeSelected(m_focused, true);
        }
        MakeVisible(m_focused);
        if (m_focused)
            InvalidateNode(m_focused);
    }
}

bool TCustomdxTreeList::FindByPrefix(int column, const QString &text, int direction, TdxTreeListNode *&found)
{
    found = nullptr;
    if (text.isEmpty() || m_topLevel.count() == 0)
        return false;
    const bool backwards = direction == sdBackward;
    const bool all = m_searchAllNodes;
    TdxTreeListNode *const start = m_focused ? m_focused : m_topLevel.first();
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
        if (CellText(n, column).startsWith(text, Qt::CaseInsensitive)) {
            found = n;
            return true;
        }
        n = advance(n);
        if (!n || n == stop)
            return false;
    }
}

// ---- Steps ----

void TCustomdxTreeList::StepRows(int rows, TShiftState shift)
{
    if (m_topLevel.count() == 0 || rows == 0)
        return;
    DeletionDeferral defer(*this);
    SelectionBracket bracket(*this);
    if (!m_focused) {
        ChangeFocus(m_top ? m_top : m_topLevel.first(), FocusedColumn(), true);
        return;
    }
    const bool multi = IsMultiSelect();
    const bool extend = multi && (shift & ssShift);
    if (multi) {
        if (!extend) {
            // At the first row going up, or the last going down, nothing
            // moves and the selection stays.
            if (!(rows < 0 ? IsFocusedFirst() : IsFocusedLast()))
                ClearSelection();
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
    }
    if (!m_focused->IsVisible())
        MakeVisible(m_focused);
    const int index = m_focused ? AbsoluteIndex(m_focused) : -1;
    if (index < 0)
        return;
    const int last = VisibleRowCount() - 1;
    const long long target = std::clamp<long long>(static_cast<long long>(index) + rows, 0, last);
    ChangeFocus(NodeAtAbsoluteIndex(int(target)), FocusedColumn(), true);
    if (extend && m_focused)
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
    if (!m_focused->IsVisible())
        MakeVisible(m_focused);
    const int current = m_focused ? AbsoluteIndex(m_focused) : -1;
    if (current < 0)
        return;
    const int count = VisibleRowCount();
    int target;
    if (count < 2) {
        if (down ? IsFocusedLast() : IsFocusedFirst())
            return;
        target = current + (down ? 1 : -1);
    } else {
        const int top = std::max(0, TopRowIndex());
        const int rows = std::max(1, RowsPerPage());
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
    for (int p = FocusedColumn() + step; p >= 0 && p < positions; p += step) {
        const int column = ColumnAtPosition(p);
        if (column >= 0 && ColumnVisible(column) && (!tabStopsOnly || ColumnTabStop(column))) {
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
