// The control's answers to the core's questions about bands and columns, the
// lookup caches behind them, and sorting by the sorted columns.

#include "grid/core/TreeListControl.h"

#include "platform/rtl/Rounding.h"

#include <algorithm>
#include <climits>

namespace grid {

namespace {

// Hidden bands and columns follow a resize in proportion; a ratio without a
// base keeps them as they are.
int modelRescaled(int width, int newWidth, int oldWidth)
{
    if (oldWidth == 0)
        return width;
    const int64_t scaled = int64_t(rtl::MulDiv(width, newWidth, oldWidth));
    return int(std::clamp<int64_t>(scaled, 0, INT_MAX));
}

} // namespace

// ---- Lookups ----

void TCustomdxTreeListControl::ClearLookupCache()
{
    m_cache = LookupCache();
}

int TCustomdxTreeListControl::bandIndexOfPosition(int position) const
{
    return m_bands->VisibleIndexToBandIndex(position);
}

TdxTreeListBand *TCustomdxTreeListControl::visibleBand(int position) const
{
    return m_bands->VisibleItems(position);
}

void TCustomdxTreeListControl::buildLookupCache()
{
    m_rebuildingCache = true;
    LookupCache built;
    for (int i = 0; i < m_bands->Count(); ++i)
        if (m_bands->Items(i)->Visible())
            built.visibleBands.push_back(i);
    built.columns.resize(built.visibleBands.size());
    built.places.assign(m_columns.size(), -1);
    // Places count in column order within each band and row.
    std::vector<std::vector<int>> placesUsed(size_t(m_bands->Count()));
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const TdxTreeListColumn *column = m_columns[i];
        const int band = column->BandIndex();
        if (!column->Visible() || band < 0 || band >= m_bands->Count())
            continue;
        const int row = column->RowIndex();
        std::vector<int> &used = placesUsed[size_t(band)];
        if (int(used.size()) <= row)
            used.resize(size_t(row) + 1, 0);
        built.places[i] = used[size_t(row)]++;
        const auto it = std::lower_bound(built.visibleBands.begin(), built.visibleBands.end(), band);
        if (it == built.visibleBands.end() || *it != band)
            continue;
        auto &rows = built.columns[size_t(it - built.visibleBands.begin())];
        if (int(rows.size()) <= row)
            rows.resize(size_t(row) + 1);
        rows[size_t(row)].push_back(int(i));
    }
    built.built = true;
    m_cache = std::move(built);
    m_rebuildingCache = false;
}

const TCustomdxTreeListControl::LookupCache *TCustomdxTreeListControl::cache()
{
    if (!m_cache.built && !m_rebuildingCache) {
        const TreeListAlive self = AliveToken();
        RebuildColumnPlacement();
        if (self.expired())
            return nullptr;
        RebuildWidthCache();
        if (self.expired())
            return nullptr;
    }
    return &m_cache;
}

void TCustomdxTreeListControl::RebuildColumnPlacement()
{
    buildLookupCache();
}

int TCustomdxTreeListControl::BandRowColumnCount(int bandPosition, int row)
{
    if (m_rebuildingCache)
        return ScanBandRowColumnCount(bandPosition, row);
    const LookupCache *cached = cache();
    if (!cached)
        return 0;
    const LookupCache &c = *cached;
    if (bandPosition < 0 || bandPosition >= int(c.columns.size()))
        return 0;
    const auto &rows = c.columns[size_t(bandPosition)];
    return row >= 0 && row < int(rows.size()) ? int(rows[size_t(row)].size()) : 0;
}

int TCustomdxTreeListControl::BandUsedRowCount(int bandPosition)
{
    if (m_rebuildingCache)
        return ScanBandUsedRowCount(bandPosition);
    const LookupCache *cached = cache();
    if (!cached)
        return 0;
    const LookupCache &c = *cached;
    if (bandPosition < 0 || bandPosition >= int(c.columns.size()))
        return 0;
    const auto &rows = c.columns[size_t(bandPosition)];
    return int(std::count_if(rows.begin(), rows.end(), [](const std::vector<int> &r) { return !r.empty(); }));
}

int TCustomdxTreeListControl::ColumnAtPlace(int bandPosition, int row, int place)
{
    if (m_rebuildingCache)
        return ScanColumnAtPlace(bandPosition, row, place);
    const LookupCache *cached = cache();
    if (!cached)
        return -1;
    const LookupCache &c = *cached;
    if (bandPosition < 0 || bandPosition >= int(c.columns.size()))
        return -1;
    const auto &rows = c.columns[size_t(bandPosition)];
    if (row < 0 || row >= int(rows.size()))
        return -1;
    const auto &places = rows[size_t(row)];
    return place >= 0 && place < int(places.size()) ? places[size_t(place)] : -1;
}

int TCustomdxTreeListControl::ScanBandRowColumnCount(int bandPosition, int row) const
{
    const int band = bandIndexOfPosition(bandPosition);
    if (band < 0)
        return 0;
    return int(std::count_if(m_columns.begin(), m_columns.end(), [&](const TdxTreeListColumn *c) {
        return c->Visible() && c->BandIndex() == band && c->RowIndex() == row;
    }));
}

int TCustomdxTreeListControl::ScanBandUsedRowCount(int bandPosition) const
{
    const int band = bandIndexOfPosition(bandPosition);
    if (band < 0)
        return 0;
    std::vector<bool> used;
    int count = 0;
    for (const TdxTreeListColumn *c : m_columns) {
        if (!c->Visible() || c->BandIndex() != band)
            continue;
        const int row = c->RowIndex();
        if (int(used.size()) <= row)
            used.resize(size_t(row) + 1, false);
        if (!used[size_t(row)]) {
            used[size_t(row)] = true;
            ++count;
        }
    }
    return count;
}

int TCustomdxTreeListControl::ScanColumnAtPlace(int bandPosition, int row, int place) const
{
    const int band = bandIndexOfPosition(bandPosition);
    if (band < 0 || place < 0)
        return -1;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const TdxTreeListColumn *c = m_columns[i];
        if (c->Visible() && c->BandIndex() == band && c->RowIndex() == row && place-- == 0)
            return int(i);
    }
    return -1;
}

int TCustomdxTreeListControl::ScanColIndex(const TdxTreeListColumn *column) const
{
    if (!column->Visible() || column->BandIndex() < 0)
        return -1;
    int place = 0;
    for (const TdxTreeListColumn *c : m_columns) {
        if (c == column)
            return place;
        if (c->Visible() && c->BandIndex() == column->BandIndex() && c->RowIndex() == column->RowIndex())
            ++place;
    }
    return -1;
}

// ---- Bands for the core ----

int TCustomdxTreeListControl::BandCount()
{
    return m_bands->Count();
}

QString TCustomdxTreeListControl::BandCaption(int band)
{
    return band >= 0 && band < m_bands->Count() ? m_bands->Items(band)->Caption() : QString();
}

int TCustomdxTreeListControl::BandWidth(int band)
{
    return band >= 0 && band < m_bands->Count() ? m_bands->Items(band)->Width() : 0;
}

int TCustomdxTreeListControl::BandAlignment(int band)
{
    return band >= 0 && band < m_bands->Count() ? int(m_bands->Items(band)->Alignment()) : 0;
}

int TCustomdxTreeListControl::VisibleBandCount()
{
    if (!m_rebuildingCache && !cache())
        return 0;
    return m_bands->VisibleCount();
}

int TCustomdxTreeListControl::BandIndexOfVisible(int position)
{
    if (!m_rebuildingCache && !cache())
        return -1;
    return m_bands->VisibleIndexToBandIndex(position);
}

int TCustomdxTreeListControl::VisiblePositionOfBand(int band)
{
    if (!m_rebuildingCache && !cache())
        return -1;
    return m_bands->BandIndexToVisibleIndex(band);
}

int TCustomdxTreeListControl::LeftFixedBand()
{
    for (int i = 0; i < m_bands->Count(); ++i)
        if (m_bands->Items(i)->Fixed() == bfLeft)
            return VisiblePositionOfBand(i);
    return -1;
}

int TCustomdxTreeListControl::RightFixedBand()
{
    for (int i = 0; i < m_bands->Count(); ++i)
        if (m_bands->Items(i)->Fixed() == bfRight)
            return VisiblePositionOfBand(i);
    return -1;
}

QString TCustomdxTreeListControl::VisibleBandCaption(int position)
{
    const TdxTreeListBand *band = visibleBand(position);
    return band ? band->Caption() : QString();
}

int TCustomdxTreeListControl::VisibleBandWidth(int position)
{
    const TdxTreeListBand *band = visibleBand(position);
    return band ? band->Width() : 0;
}

int TCustomdxTreeListControl::VisibleBandMinWidth(int position)
{
    const TdxTreeListBand *band = visibleBand(position);
    return band ? band->MinWidth() : 0;
}

int TCustomdxTreeListControl::VisibleBandAlignment(int position)
{
    const TdxTreeListBand *band = visibleBand(position);
    return band ? int(band->Alignment()) : 0;
}

bool TCustomdxTreeListControl::BandKeepsOwnColumns(int position)
{
    const TdxTreeListBand *band = visibleBand(position);
    return band && band->OnlyOwnColumns();
}

bool TCustomdxTreeListControl::BandSizable(int position)
{
    const TdxTreeListBand *band = visibleBand(position);
    return band && band->Sizing();
}

void TCustomdxTreeListControl::SetBandWidth(int band, int width)
{
    if (TdxTreeListBand *b = visibleBand(band))
        b->SetWidth(width);
}

void TCustomdxTreeListControl::RescaleHiddenBands(int newWidth, int oldWidth)
{
    BeginUpdate();
    for (int i = 0; i < m_bands->Count(); ++i) {
        TdxTreeListBand *band = m_bands->Items(i);
        if (!band->Visible() && band->Sizing())
            band->SetWidth(modelRescaled(band->Width(), newWidth, oldWidth));
    }
    EndUpdate();
}

void TCustomdxTreeListControl::RescaleHiddenColumns(int band, int newWidth, int oldWidth)
{
    const int index = bandIndexOfPosition(band);
    BeginUpdate();
    for (TdxTreeListColumn *column : m_columns)
        if (column->BandIndex() == index && !column->Visible() && column->Sizing())
            column->SetWidth(modelRescaled(column->Width(), newWidth, oldWidth));
    EndUpdate();
}

// ---- Columns for the core ----

TreeListAlive TCustomdxTreeListControl::ColumnAlive(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? c->AliveToken() : TreeListAlive();
}

TreeListAlive TCustomdxTreeListControl::BandAlive(int band)
{
    return band >= 0 && band < m_bands->Count() ? m_bands->Items(band)->AliveToken() : TreeListAlive();
}

bool TCustomdxTreeListControl::ColumnVisible(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c && c->Visible() && ColumnBand(column) >= 0;
}

bool TCustomdxTreeListControl::ColumnTabStop(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c && c->TabStop();
}

int TCustomdxTreeListControl::ColumnBand(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? VisiblePositionOfBand(c->BandIndex()) : -1;
}

int TCustomdxTreeListControl::ColumnBandLine(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? c->RowIndex() : 0;
}

int TCustomdxTreeListControl::ColumnPositionInLine(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    if (!c)
        return -1;
    if (m_rebuildingCache)
        return ScanColIndex(c);
    const LookupCache *cached = cache();
    return cached ? cached->places[size_t(column)] : -1;
}

int TCustomdxTreeListControl::ColumnStoredWidth(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? c->Width() : 0;
}

int TCustomdxTreeListControl::ColumnMinWidth(int column)
{
    // A column that cannot be sized cannot shrink either.
    const TdxTreeListColumn *c = Columns(column);
    return c ? (c->Sizing() ? c->MinWidth() : c->Width()) : 0;
}

int TCustomdxTreeListControl::ColumnHeaderLineCount(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? c->HeaderMaxLineCount() : 0;
}

int TCustomdxTreeListControl::ColumnHeaderAlignment(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? int(c->HeaderAlignment()) : 0;
}

bool TCustomdxTreeListControl::ColumnHeaderHotTrack(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c && c->HeaderHotTrack();
}

int TCustomdxTreeListControl::ColumnAlignment(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? int(c->Alignment()) : 0;
}

int TCustomdxTreeListControl::ColumnSortState(int column)
{
    TdxTreeListColumn *c = Columns(column);
    if (!c)
        return 0;
    TdxTreeListColumnSort mark = c->Sorted();
    if (OnGetSortMark)
        OnGetSortMark(this, c, mark);
    return mark == csUp ? 1 : (mark == csDown ? 2 : 0);
}

QString TCustomdxTreeListControl::ColumnCaption(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? c->Caption() : QString();
}

QString TCustomdxTreeListControl::ColumnHeaderCaption(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c && !c->DisableCaption() ? c->Caption() : QString();
}

QString TCustomdxTreeListControl::CellText(const TdxTreeListNode *node, int column)
{
    return GetNodeString(node, column);
}

QVariant TCustomdxTreeListControl::CellValue(const TdxTreeListNode *node, int column)
{
    return GetNodeVariant(node, column);
}

void TCustomdxTreeListControl::SetColumnWidth(int column, int width)
{
    if (TdxTreeListColumn *c = Columns(column))
        c->SetWidth(width);
}

bool TCustomdxTreeListControl::ColumnSizable(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c && c->Sizing();
}

rtl::TColor TCustomdxTreeListControl::ColumnColor(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? c->Color() : Color();
}

QChar TCustomdxTreeListControl::ColumnPasswordChar(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? c->PasswordChar() : QChar();
}

const classes::TFont &TCustomdxTreeListControl::ColumnFont(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    return c ? *c->Font() : Font();
}

// ---- Sorting ----

bool TCustomdxTreeListControl::SortedColumnDesc(int i)
{
    return i >= 0 && i < int(m_sortedColumns.size()) && m_sortedColumns[size_t(i)]->Sorted() == csDown;
}

int TCustomdxTreeListControl::SortedColumnIndex(int i)
{
    return i >= 0 && i < int(m_sortedColumns.size()) ? m_sortedColumns[size_t(i)]->Index() : -1;
}

QVariant TCustomdxTreeListControl::GetSortValue(TdxTreeListNode *node, int column)
{
    // A text node sorts by what it shows.
    return GetNodeVariant(node, column);
}

void TCustomdxTreeListControl::ColumnSortClick(int column, TShiftState shift)
{
    TdxTreeListColumn *c = Columns(column);
    if (!c)
        return;
    // The handlers, the before-sort hook and the sort's compare event may
    // free the column or this grid: what is gone is not told of again.
    const TreeListAlive self = AliveToken();
    const TreeListAlive alive = c->AliveToken();
    bool allow = true;
    if (OnCanSort)
        OnCanSort(this, c, allow);
    if (alive.expired())
        return;
    if (allow) {
        if (shift & ssCtrl)
            c->SetSorted(csNone);
        else
            c->SetSorted(c->Sorted() == csUp ? csDown : csUp);
        if (self.expired() || alive.expired())
            return;
    }
    if (OnColumnClick)
        OnColumnClick(this, c);
}

void TCustomdxTreeListControl::addSortedColumn(TdxTreeListColumn *column)
{
    if (column->Sorted() != csNone &&
        std::find(m_sortedColumns.begin(), m_sortedColumns.end(), column) == m_sortedColumns.end())
        m_sortedColumns.push_back(column);
}

void TCustomdxTreeListControl::removeSortedColumn(TdxTreeListColumn *column)
{
    m_sortedColumns.erase(std::remove(m_sortedColumns.begin(), m_sortedColumns.end(), column), m_sortedColumns.end());
}

void TCustomdxTreeListControl::rebuildSortedColumns()
{
    for (TdxTreeListColumn *column : m_columns)
        addSortedColumn(column);
    // Orders read from a stream may repeat or be negative: those without a
    // usable order go last, ties keep the column order.
    std::stable_sort(m_sortedColumns.begin(), m_sortedColumns.end(),
                     [](const TdxTreeListColumn *a, const TdxTreeListColumn *b) {
                         const int x = a->StoredSortOrder() < 0 ? INT_MAX : a->StoredSortOrder();
                         const int y = b->StoredSortOrder() < 0 ? INT_MAX : b->StoredSortOrder();
                         return x < y;
                     });
    // Sorting by one column only: the first keeps its mark.
    if (!IsMultiSort()) {
        for (size_t i = 1; i < m_sortedColumns.size(); ++i)
            m_sortedColumns[i]->m_sorted = csNone;
        if (m_sortedColumns.size() > 1)
            m_sortedColumns.erase(m_sortedColumns.begin() + 1, m_sortedColumns.end());
    }
}

void TCustomdxTreeListControl::EndSortLock()
{
    if (m_sortLock > 0 && --m_sortLock == 0) {
        // The held-back sort is not the hook's to drop: it runs first.
        runPendingSort();
        SortUnlocked();
    }
}

void TCustomdxTreeListControl::RequestSort()
{
    m_sortPending = true;
    runPendingSort();
}

void TCustomdxTreeListControl::runPendingSort()
{
    if (!m_sortPending || m_sorting || IsUpdating() || m_sortLock > 0 || HasState(classes::csLoading) || IsDestroying())
        return;
    m_sortPending = false;
    SortBySortedColumns();
}

void TCustomdxTreeListControl::SortBySortedColumns()
{
    if (m_sortedColumns.empty() || m_sorting)
        return;
    const TdxTreeListColumn *first = m_sortedColumns.front();
    // The sort's OnCompare may free the grid.
    struct Reset
    {
        bool &flag;
        TreeListAlive alive;
        ~Reset()
        {
            if (!alive.expired())
                flag = false;
        }
    } reset{m_sorting, AliveToken()};
    m_sorting = true;
    SortNodes(-1, first->Index(), first->Sorted() == csDown);
}

void TCustomdxTreeListControl::EndUpdateHook()
{
    // The sort's OnCompare may free the grid.
    const TreeListAlive self = AliveToken();
    if (UpdateCount() == 0)
        runPendingSort();
    if (self.expired())
        return;
    TCustomdxTreeList::EndUpdateHook();
}

} // namespace grid
