#include "grid/core/TreeListControl.h"

#include "grid/core/TreeListHost.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/gfx/TextMeasurer.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <exception>

namespace grid {

const classes::TMetaClass &TCustomdxTreeListControl::StaticClass()
{
    using C = TCustomdxTreeListControl;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TCustomdxTreeList>("TCustomdxTreeListControl", [](classes::TClassBuilder<C> &c) {
            c.Integer("BandMaxRowCount", &C::BandMaxRowCount, &C::SetBandMaxRowCount).Default(5);
            c.Integer("BandRowCount", &C::BandRowCount, &C::SetBandRowCount).Default(1);
            c.Object("Bands", &C::Bands, &C::SetBands);
            c.Boolean("DefaultLayout", &C::DefaultLayout, &C::SetDefaultLayout);
            c.Integer("HeaderMinRowCount", &C::HeaderMinRowCount, &C::SetHeaderMinRowCount).Default(1);
            c.Integer("HeaderPanelMaxRowCount", &C::HeaderPanelMaxRowCount, &C::SetHeaderPanelMaxRowCount).Default(5);
            c.Integer("HeaderPanelRowCount", &C::HeaderPanelRowCount, &C::SetHeaderPanelRowCount)
                .Default(1)
                .Stored([](const classes::TPersistent &o) {
                    return !static_cast<const C &>(o).optionB(boComputedHeaderRows);
                });
        });
    return meta;
}

TCustomdxTreeListControl::TCustomdxTreeListControl(classes::TComponent *owner)
    : TCustomdxTreeList(owner)
    , m_bands(std::make_unique<TdxTreeListBands>(this))
{
    // The first band a stream or the default layout makes gets the ID 1.
    m_bands->Add();
    m_bands->Delete(0);
    m_bands->SetPropName(QStringLiteral("Bands"));
    m_bands->SetTreeList(this);
    Font().OnChange = [this](classes::TObject *) { gridFontChanged(); };
    m_defaultLayout = false;
    SetDefaultLayout(true);
}

TCustomdxTreeListControl::~TCustomdxTreeListControl()
{
    // A destructor cannot raise: a store that refuses the layout is told
    // on the error output, so that the loss is not silent.
    try {
        StoreLayout();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "Zarvello: the layout of the grid \"%s\" was not saved: %s\n", qPrintable(Name()),
                     error.what());
    } catch (...) {
        std::fprintf(stderr, "Zarvello: the layout of the grid \"%s\" was not saved\n", qPrintable(Name()));
    }
    SetParentForm(nullptr);
    BeginDestroy();
    while (!m_columns.empty())
        delete m_columns.back();
    m_bands.reset();
    Font().OnChange = nullptr;
}

std::unique_ptr<TdxTreeListNode> TCustomdxTreeListControl::CreateNode()
{
    return std::make_unique<TdxTreeListTextNode>(this);
}

void TCustomdxTreeListControl::DoCanEdit(TdxTreeListNode *node, bool &allow)
{
    const TreeListAlive self = AliveToken();
    TCustomdxTreeList::DoCanEdit(node, allow);
    if (allow && !self.expired())
        if (const TdxTreeListColumn *column = Columns(FocusedColumnIndex()))
            allow = column->CanEdit();
}

void TCustomdxTreeListControl::DoCanEditNewItemRow(bool &allow)
{
    // The new item row is edited with the focused column's editor, which
    // the column may withhold as on any row.
    const TreeListAlive self = AliveToken();
    TCustomdxTreeList::DoCanEditNewItemRow(allow);
    if (allow && !self.expired())
        if (const TdxTreeListColumn *column = Columns(FocusedColumnIndex()))
            allow = column->CanEdit();
}

void TCustomdxTreeListControl::GetHotTrackCursor(TdxTreeListNode *node, int column, TCursor &cursor)
{
    // The column's handler may free the grid.
    const TreeListAlive self = AliveToken();
    if (TdxTreeListColumn *c = Columns(column))
        c->GetHotTrackCursor(node, cursor);
    if (!self.expired())
        TCustomdxTreeList::GetHotTrackCursor(node, column, cursor);
}

// ---- Columns ----

TdxTreeListColumn *TCustomdxTreeListControl::Columns(int index) const
{
    return index >= 0 && index < int(m_columns.size()) ? m_columns[size_t(index)] : nullptr;
}

TdxTreeListColumn *TCustomdxTreeListControl::CreateColumn(const classes::TMetaClass &columnClass)
{
    if (!columnClass.InheritsFrom(TdxTreeListColumn::StaticClass()))
        throw classes::EInvalidCast(classes::messageText(columnClass.ClassName()) + " is not a column class");
    auto *column = static_cast<TdxTreeListColumn *>(columnClass.NewComponent(Owner()));
    addColumn(column);
    return column;
}

TdxTreeListColumn *TCustomdxTreeListControl::ColumnByName(QStringView name) const
{
    for (TdxTreeListColumn *column : m_columns)
        if (classes::SameName(column->Name(), name))
            return column;
    return nullptr;
}

void TCustomdxTreeListControl::addColumn(TdxTreeListColumn *column)
{
    if (column->m_treeList == this)
        return;
    column->attachTo(this);
    column->m_cachedIndex = int(m_columns.size());
    m_columns.push_back(column);
    column->m_bandIndex = std::clamp(column->m_bandIndex, -1, m_bands->Count() - 1);
    if (column->m_sorted != csNone && !HasState(classes::csLoading))
        addSortedColumn(column);
    ColumnsChanged(nullptr);
}

void TCustomdxTreeListControl::removeColumn(TdxTreeListColumn *column)
{
    const auto it = std::find(m_columns.begin(), m_columns.end(), column);
    if (it == m_columns.end())
        return;
    if (int(it - m_columns.begin()) == EditedColumn())
        AbandonEdit();
    m_columns.erase(it);
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_columns[i]->m_cachedIndex = int(i);
    removeSortedColumn(column);
    column->detach();
    if (!IsDestroying())
        ColumnsChanged(nullptr);
}

std::vector<std::pair<TdxTreeListColumn *, TreeListAlive>> TCustomdxTreeListControl::heldColumns() const
{
    std::vector<std::pair<TdxTreeListColumn *, TreeListAlive>> held;
    held.reserve(m_columns.size());
    for (TdxTreeListColumn *column : m_columns)
        held.emplace_back(column, column->AliveToken());
    return held;
}

void TCustomdxTreeListControl::moveColumnTexts(int from, int to)
{
    if (from == to || from < 0 || to < 0)
        return;
    const int reach = std::max(from, to);
    for (TdxTreeListNode *n = Items(0); n; n = n->GetNext()) {
        QStringList &texts = static_cast<TdxTreeListTextNode *>(n)->m_texts;
        if (texts.size() <= std::min(from, to))
            continue;
        while (texts.size() <= reach)
            texts.append(QString());
        texts.move(from, to);
    }
    TextsChanged();
}

void TCustomdxTreeListControl::deleteColumnTexts(int index)
{
    if (index < 0)
        return;
    for (TdxTreeListNode *n = Items(0); n; n = n->GetNext()) {
        QStringList &texts = static_cast<TdxTreeListTextNode *>(n)->m_texts;
        if (index < texts.size())
            texts.removeAt(index);
    }
    TextsChanged();
}

void TCustomdxTreeListControl::ColumnsChanged(TdxTreeListColumn *column)
{
    if (HasState(classes::csLoading) || IsDestroying())
        return;
    if (column)
        column->resetUnassignedWidth();
    if (m_layoutLoading == 0)
        NormaliseHeaderRows();
    LayoutChanged();
}

void TCustomdxTreeListControl::LayoutChanged()
{
    ClearLookupCache();
    TCustomdxTreeList::LayoutChanged();
}

void TCustomdxTreeListControl::gridFontChanged()
{
    BeginUpdate();
    // Columns without a font of their own follow the grid's.
    for (TdxTreeListColumn *column : m_columns)
        column->Font();
    LayoutChanged();
    EndUpdate();
}

// ---- Bands and header rows ----

void TCustomdxTreeListControl::SetBands(const TdxTreeListBands *value)
{
    if (value && value != m_bands.get())
        m_bands->Assign(value);
}

void TCustomdxTreeListControl::SetBandMaxRowCount(int value)
{
    m_bandMaxRowCount = std::max(value, 1);
    SetBandRowCount(m_bandRowCount);
}

void TCustomdxTreeListControl::SetBandRowCount(int value)
{
    value = std::clamp(value, 1, m_bandMaxRowCount);
    if (value == m_bandRowCount)
        return;
    m_bandRowCount = value;
    LayoutChanged();
}

void TCustomdxTreeListControl::SetHeaderMinRowCount(int value)
{
    value = std::max(value, 1);
    if (value == m_headerMinRowCount)
        return;
    m_headerMinRowCount = value;
    LayoutChanged();
}

void TCustomdxTreeListControl::SetHeaderPanelMaxRowCount(int value)
{
    m_headerPanelMaxRowCount = std::max(value, 1);
    SetHeaderPanelRowCount(m_headerPanelRowCount);
}

void TCustomdxTreeListControl::SetHeaderPanelRowCount(int value)
{
    value = std::clamp(value, 1, m_headerPanelMaxRowCount);
    if (value == m_headerPanelRowCount)
        return;
    if (!m_recomputingHeaderRows && optionB(boComputedHeaderRows))
        SetOptionsB(OptionsB() & ~(1u << boComputedHeaderRows));
    m_headerPanelRowCount = value;
    if (value > 1)
        m_defaultLayout = false;
    ColumnsChanged(nullptr);
}

void TCustomdxTreeListControl::SetDefaultLayout(bool value)
{
    if (value == m_defaultLayout)
        return;
    m_defaultLayout = value;
    if (value && !HasState(classes::csLoading))
        applyDefaultLayout();
}

void TCustomdxTreeListControl::applyDefaultLayout()
{
    BeginUpdate();
    SetFitExemption(false);
    m_bands->BeginUpdate();
    while (m_bands->Count() > 1)
        m_bands->Delete(m_bands->Count() - 1);
    if (m_bands->Count() == 0)
        m_bands->Add();
    m_bands->Items(0)->SetVisible(true);
    m_bands->EndUpdate();
    SetHeaderPanelRowCount(1);
    for (TdxTreeListColumn *column : m_columns)
        column->SetBandIndex(0);
    m_defaultLayout = true;
    EndUpdate();
}

bool TCustomdxTreeListControl::IsWidthFit() const
{
    return m_defaultLayout || TCustomdxTreeList::IsWidthFit();
}

void TCustomdxTreeListControl::NormaliseHeaderRows()
{
    ClearLookupCache();
    const int rows = m_headerPanelRowCount;
    for (TdxTreeListColumn *column : m_columns)
        column->m_rowIndex = std::clamp(column->m_rowIndex, 0, rows - 1);
    for (int band = 0; band < m_bands->Count(); ++band) {
        std::vector<TdxTreeListColumn *> members;
        for (TdxTreeListColumn *column : m_columns)
            if (column->m_bandIndex == band)
                members.push_back(column);
        if (members.empty())
            continue;
        // An empty row lets the rows below it move up.
        int used = 0;
        for (TdxTreeListColumn *column : members)
            if (column->m_visible)
                used = std::max(used, column->m_rowIndex + 1);
        for (int r = used - 1; r >= 0; --r) {
            const bool occupied = std::any_of(members.begin(), members.end(), [r](const TdxTreeListColumn *c) {
                return c->m_visible && c->m_rowIndex == r;
            });
            if (occupied)
                continue;
            for (TdxTreeListColumn *column : members) {
                if (column->m_visible && column->m_rowIndex > r) {
                    --column->m_rowIndex;
                    column->m_storedRowIndex = std::max(0, column->m_storedRowIndex - 1);
                }
            }
        }
        std::vector<bool> seen(size_t(rows), false);
        int distinct = 0;
        for (TdxTreeListColumn *column : members) {
            if (column->m_visible && !seen[size_t(column->m_rowIndex)]) {
                seen[size_t(column->m_rowIndex)] = true;
                ++distinct;
            }
        }
        for (TdxTreeListColumn *column : members) {
            if (column->m_rowIndex >= distinct) {
                column->m_rowIndex = std::max(distinct - 1, 0);
                column->m_storedRowIndex = column->m_rowIndex;
            }
        }
    }
}

void TCustomdxTreeListControl::ComputeHeaderRows()
{
    if (!optionB(boComputedHeaderRows))
        return;
    int largest = -1;
    for (TdxTreeListColumn *column : m_columns)
        if (column->m_visible)
            largest = std::max(largest, column->m_storedRowIndex);
    if (largest < 0)
        return;
    m_recomputingHeaderRows = true;
    SetHeaderPanelRowCount(largest + 1);
    m_recomputingHeaderRows = false;
}

// ---- Node texts and images ----

QString TCustomdxTreeListControl::GetNodeString(const TdxTreeListNode *node, int column) const
{
    return node ? static_cast<const TdxTreeListTextNode *>(node)->Text(column) : QString();
}

void TCustomdxTreeListControl::SetNodeString(TdxTreeListNode *node, int column, const QString &text)
{
    if (!node || node->Owner() != this || column < 0)
        return;
    QStringList &texts = static_cast<TdxTreeListTextNode *>(node)->m_texts;
    while (texts.size() <= column)
        texts.append(QString());
    texts[column] = text;
    TextChanged(node, column);
}

QVariant TCustomdxTreeListControl::GetNodeVariant(const TdxTreeListNode *node, int column) const
{
    return QVariant(GetNodeString(node, column));
}

void TCustomdxTreeListControl::SetNodeVariant(TdxTreeListNode *node, int column, const QVariant &value)
{
    SetNodeString(node, column, value.toString());
    if (node && node->Owner() == this && !IsUpdating())
        InvalidateNode(node);
}

void TCustomdxTreeListControl::SetNodeImageIndex(TdxTreeListNode *node, int index)
{
    if (!node || node->Owner() != this)
        return;
    static_cast<TdxTreeListTextNode *>(node)->m_imageIndex = index;
    InvalidateNode(node);
}

void TCustomdxTreeListControl::SetNodeSelectedIndex(TdxTreeListNode *node, int index)
{
    if (!node || node->Owner() != this)
        return;
    static_cast<TdxTreeListTextNode *>(node)->m_selectedIndex = index;
    InvalidateNode(node);
}

void TCustomdxTreeListControl::SetNodeStateIndex(TdxTreeListNode *node, int index)
{
    if (!node || node->Owner() != this)
        return;
    static_cast<TdxTreeListTextNode *>(node)->m_stateIndex = index;
    InvalidateNode(node);
}

int TCustomdxTreeListControl::NodeImageIndex(const TdxTreeListNode *node)
{
    int index = node ? static_cast<const TdxTreeListTextNode *>(node)->m_imageIndex : -1;
    if (node && OnGetImageIndex)
        OnGetImageIndex(this, const_cast<TdxTreeListNode *>(node), index);
    return index;
}

int TCustomdxTreeListControl::NodeSelectedIndex(const TdxTreeListNode *node)
{
    int index = node ? static_cast<const TdxTreeListTextNode *>(node)->m_selectedIndex : -1;
    if (node && OnGetSelectedIndex)
        OnGetSelectedIndex(this, const_cast<TdxTreeListNode *>(node), index);
    return index;
}

int TCustomdxTreeListControl::NodeStateIndex(const TdxTreeListNode *node)
{
    int index = node ? static_cast<const TdxTreeListTextNode *>(node)->m_stateIndex : -1;
    if (node && OnGetStateIndex)
        OnGetStateIndex(this, const_cast<TdxTreeListNode *>(node), index);
    return index;
}

// ---- Best fit ----

void TCustomdxTreeListControl::ApplyBestFit(TdxTreeListColumn *only)
{
    TreeListHost *host = Host();
    if (!host || (only && only->TreeList() != this))
        return;
    const gfx::TextMeasurer &measurer = host->textMeasurer();
    const int margin = measurer.textWidth(Font().Font(), u"0") / 2 + 1;
    BeginUpdate();
    for (TdxTreeListColumn *column : m_columns) {
        if (only && column != only)
            continue;
        const int index = column->Index();
        // The tree column also holds the indent of its nodes.
        const bool treeColumn = ColumnVisible(index) && ColumnBand(index) == 0 && ColumnPositionInLine(index) == 0;
        int widest = 0;
        for (TdxTreeListNode *n = Items(0); n; n = n->GetNextVisible()) {
            int width = column->TextWidth(measurer, n);
            // The tree column's text starts after the node's levels and images.
            if (treeColumn)
                width += NodeIndentWidth(n);
            widest = std::max(widest, width);
        }
        const int caption =
            measurer.textWidth(HeaderFont().Font(), column->Caption()) + (column->HeaderButtonOff() ? 0 : 15);
        if (column->Sizing())
            column->SetWidth(std::max(widest, caption) + 2 * margin);
    }
    EndUpdate();
}

// ---- Customising ----

void TCustomdxTreeListControl::HideBand(int bandIndex)
{
    if (bandIndex < 0 || bandIndex >= m_bands->Count())
        return;
    TdxTreeListBand *band = m_bands->Items(bandIndex);
    band->SetVisible(false);
    if (OnHideBand)
        OnHideBand(this, band);
}

void TCustomdxTreeListControl::ShowBand(int bandIndex, int visiblePosition)
{
    if (bandIndex < 0 || bandIndex >= m_bands->Count())
        return;
    TdxTreeListBand *band = m_bands->Items(bandIndex);
    BeginUpdate();
    band->SetVisible(true);
    if (m_bands->Count() > 1) {
        const int target = m_bands->VisibleIndexToBandIndex(visiblePosition);
        band->SetIndex(target >= 0 ? target : m_bands->Count() - 1);
    }
    EndUpdate();
    if (OnShowBand)
        OnShowBand(this, band);
}

void TCustomdxTreeListControl::MoveBand(int fromIndex, int toIndex)
{
    if (fromIndex < 0 || fromIndex >= m_bands->Count())
        return;
    TdxTreeListBand *band = m_bands->Items(fromIndex);
    band->SetIndex(toIndex);
    if (OnMoveBand)
        OnMoveBand(this, band);
}

void TCustomdxTreeListControl::HideColumn(TdxTreeListColumn *column)
{
    if (!column || column->TreeList() != this)
        return;
    column->SetVisible(false);
    if (OnHideColumn)
        OnHideColumn(this, column);
}

void TCustomdxTreeListControl::PlaceColumn(TdxTreeListColumn *column, int bandPosition, int row, int place)
{
    if (!column || column->TreeList() != this)
        return;
    BeginUpdate();
    column->SetVisible(true);
    placeColumn(column, bandPosition, row, place);
    EndUpdate();
    if (OnPlaceColumn)
        OnPlaceColumn(this, column);
}

void TCustomdxTreeListControl::MoveColumn(TdxTreeListColumn *column, int bandPosition, int row, int place)
{
    if (!column || column->TreeList() != this || m_bands->VisibleIndexToBandIndex(bandPosition) < 0)
        return;
    placeColumn(column, bandPosition, row, place);
    if (OnMoveColumn)
        OnMoveColumn(this, column);
}

void TCustomdxTreeListControl::placeColumn(TdxTreeListColumn *column, int bandPosition, int row, int place)
{
    const int band = m_bands->VisibleIndexToBandIndex(bandPosition);
    if (band < 0)
        return;
    BeginUpdate();
    column->SetBandIndex(band);
    column->SetRowIndex(row);
    column->SetColIndex(place);
    EndUpdate();
}

// ---- Selection ----

bool TCustomdxTreeListControl::CanSelectNode(TdxTreeListNode *node)
{
    bool allow = true;
    // Its handler, or a descendant's answer on a free selection, may free
    // the grid: nothing is selected then.
    const TreeListAlive self = AliveToken();
    if (OnCanSelectNode)
        OnCanSelectNode(this, node, allow);
    if (self.expired() || !allow)
        return false;
    const bool freeSelection = IsFreeSelection();
    if (self.expired())
        return false;
    if (freeSelection)
        return true;
    // A multiple selection stays among siblings.
    TdxTreeListNode *reference = AnySelectedNode();
    if (!reference)
        reference = SelectionAnchor();
    return !reference || reference->Parent() == node->Parent();
}

void TCustomdxTreeListControl::SetNodeSelected(TdxTreeListNode *node, bool selected)
{
    if (selected && node && node->Owner() == this && !IsNodeSelected(node) && !CanSelectNode(node))
        return;
    TCustomdxTreeList::SetNodeSelected(node, selected);
}

// ---- Streaming ----

void TCustomdxTreeListControl::Loaded()
{
    TCustomdxTreeList::Loaded();
    for (TdxTreeListColumn *column : m_columns)
        column->m_bandIndex = std::clamp(column->m_bandIndex, -1, m_bands->Count() - 1);
    // Computed header rows are not written: the rows come from the columns
    // read, before normalising would press them into one.
    AdjustHeaderLineCount();
    NormaliseHeaderRows();
    rebuildSortedColumns();
    ClearLookupCache();
    if (!m_sortedColumns.empty())
        RequestSort();
    LayoutChanged();
    RestoreLayout();
}

void TCustomdxTreeListControl::GetChildren(const classes::TGetChildProc &proc, classes::TComponent *root)
{
    TCustomdxTreeList::GetChildren(proc, root);
    for (TdxTreeListColumn *column : m_columns)
        if (m_childStreaming || column->Owner() == root)
            proc(column);
}

void TCustomdxTreeListControl::SetChildOrder(classes::TComponent *child, int order)
{
    if (auto *column = dynamic_cast<TdxTreeListColumn *>(child); column && column->TreeList() == this)
        column->SetIndex(order);
}

} // namespace grid
