// Keeping the user's arrangement of columns and bands in an ini file or the
// registry layer, and reading it back.

#include "grid/core/RegIniWrapper.h"
#include "grid/core/TreeListControl.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace grid {

namespace {

// A layout file is edited by people and read back as it is: a width or row
// height far beyond any screen would overflow the sums the layout and the
// painters make of it. Sizes are pixels; no screen needs more than this.
constexpr int StorageMaxSize = 32767;

int storageReadSize(TdxRegIniWrapper &store, const QString &section, const QString &name, int current)
{
    const int value = store.ReadInteger(section, name, current);
    return value == current ? current : std::clamp(value, -StorageMaxSize, StorageMaxSize);
}

// Both stores take the same path: one leading "\" and no trailing ones.
QString storageNormalisedPath(QString path)
{
    if (!path.isEmpty() && path.front() != QLatin1Char('\\'))
        path.prepend(QLatin1Char('\\'));
    while (!path.isEmpty() && path.back() == QLatin1Char('\\'))
        path.chop(1);
    return path;
}

// Saved positions are ordered as text, right-aligned in eleven blanks, so
// that 10 comes after 9.
QString storageSortKey(int index)
{
    return QString::number(index).rightJustified(11, QLatin1Char(' '));
}

template <class Item>
void storageSortByKey(std::vector<std::pair<QString, Item>> &list)
{
    std::stable_sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
}

QString storageBandKey(const QString &path, int position)
{
    return path + QStringLiteral("\\Band\\Band") + QString::number(position);
}

} // namespace

QString TCustomdxTreeListControl::columnLayoutKey(const QString &path, const TdxTreeListColumn *column) const
{
    // "#" begins no component name, so an unnamed column's key meets no
    // named one.
    const QString name =
        column->Name().isEmpty() ? QLatin1Char('#') + QString::number(column->Index()) : column->Name();
    return path + QStringLiteral("\\Columns\\") + name;
}

void TCustomdxTreeListControl::SetParentForm(classes::TComponent *form)
{
    if (form == m_parentForm)
        return;
    if (m_parentForm)
        m_parentForm->RemoveFreeNotification(this);
    m_parentForm = form;
    if (form) {
        form->FreeNotification(this);
        m_formName = form->Name();
    }
}

void TCustomdxTreeListControl::Notification(classes::TComponent *component, classes::TOperation operation)
{
    TCustomdxTreeList::Notification(component, operation);
    if (operation != classes::TOperation::opRemove)
        return;
    if (component == m_parentForm)
        m_parentForm = nullptr;
    forgetEditor(component);
}

// ---- The stores ----

void TCustomdxTreeListControl::LoadFromIniFile(const QString &fileName)
{
    TMemIniFile store(fileName.toStdString());
    store.CheckRead();
    const QString form = m_parentForm ? m_parentForm->Name() : QString();
    LoadLayout(&store, m_iniSectionName.isEmpty() ? form + QLatin1Char('_') + Name() : m_iniSectionName);
}

void TCustomdxTreeListControl::SaveToIniFile(const QString &fileName)
{
    TMemIniFile store(fileName.toStdString());
    SaveLayout(&store, m_iniSectionName.isEmpty() ? m_formName + QLatin1Char('_') + Name() : m_iniSectionName);
    store.UpdateFile();
}

void TCustomdxTreeListControl::LoadFromRegistry(const QString &path)
{
    TRegIniFile store(QString{});
    // Stored by an earlier build under a name that holds "&#x", the key is
    // there only in that build's form.
    store.AdoptPreviousForm(storageNormalisedPath(path));
    if (!store.OpenKey(path, false))
        return;
    store.CloseKey();
    LoadLayout(&store, path);
}

void TCustomdxTreeListControl::SaveToRegistry(const QString &path)
{
    TRegIniFile store(QString{});
    SaveLayout(&store, path);
}

void TCustomdxTreeListControl::LoadLayout(TCustomIniFile *store, const QString &path)
{
    TdxRegIniWrapper wrapper(store);
    loadLayout(wrapper, path);
}

void TCustomdxTreeListControl::LoadLayout(TRegIniFile *store, const QString &path)
{
    TdxRegIniWrapper wrapper(store);
    loadLayout(wrapper, path);
}

void TCustomdxTreeListControl::SaveLayout(TCustomIniFile *store, const QString &path)
{
    TdxRegIniWrapper wrapper(store);
    saveLayout(wrapper, path);
}

void TCustomdxTreeListControl::SaveLayout(TRegIniFile *store, const QString &path)
{
    TdxRegIniWrapper wrapper(store);
    saveLayout(wrapper, path);
}

// ---- Saving ----

void TCustomdxTreeListControl::saveLayout(TdxRegIniWrapper &store, const QString &path)
{
    const QString p = storageNormalisedPath(path);
    // A layout an earlier build stored under a name that holds "&#x" goes
    // over to this build's form, and so does not stay behind.
    store.AdoptPreviousForm(p);
    // Sections of columns removed since the last save go; another grid's
    // section that only begins with the same text stays.
    store.EraseSectionTree(p);
    // A descendant's SaveLayoutSettings or SaveColumnLayout may free the
    // grid, and the latter columns: each is held by its life token, and
    // one that went is not stored.
    const TreeListAlive self = AliveToken();
    SaveLayoutSettings(store, p);
    if (self.expired())
        return;
    for (const auto &[column, alive] : heldColumns())
        if (!self.expired() && !alive.expired())
            SaveColumnLayout(store, columnLayoutKey(p, column), column);
}

void TCustomdxTreeListControl::SaveLayoutSettings(TdxRegIniWrapper &store, const QString &key)
{
    store.WriteBool(key, QStringLiteral("ShowGrid"), Settings().ShowGrid);
    store.WriteBool(key, QStringLiteral("ShowPreviewGrid"), Settings().ShowPreviewGrid);
    store.WriteInteger(key, QStringLiteral("BandRowCount"), m_bandRowCount);
    store.WriteInteger(key, QStringLiteral("DefaultRowHeight"), Settings().DefaultRowHeight);
    store.WriteInteger(key, QStringLiteral("HeaderPanelRowCount"),
                       optionB(boComputedHeaderRows) ? -1 : m_headerPanelRowCount);
    for (int i = 0; i < m_bands->Count(); ++i) {
        const TdxTreeListBand *band = m_bands->Items(i);
        const QString section = storageBandKey(key, i);
        store.WriteInteger(section, QStringLiteral("ID"), band->ID());
        store.WriteBool(section, QStringLiteral("Visible"), band->Visible());
        store.WriteInteger(section, QStringLiteral("Index"), i);
        store.WriteInteger(section, QStringLiteral("Width"), band->Width());
    }
}

void TCustomdxTreeListControl::SaveColumnLayout(TdxRegIniWrapper &store, const QString &key, TdxTreeListColumn *column)
{
    const auto sorted = std::find(m_sortedColumns.begin(), m_sortedColumns.end(), column);
    store.WriteInteger(key, QStringLiteral("BandIndex"), column->BandIndex());
    store.WriteInteger(key, QStringLiteral("RowIndex"), column->RowIndex());
    store.WriteInteger(key, QStringLiteral("ColIndex"), column->ColIndex());
    store.WriteBool(key, QStringLiteral("Visible"), column->Visible());
    store.WriteInteger(key, QStringLiteral("Index"), column->Index());
    store.WriteInteger(key, QStringLiteral("Width"), column->Width());
    store.WriteInteger(key, QStringLiteral("Sorted"), int(column->Sorted()));
    store.WriteInteger(key, QStringLiteral("SortedOrder"),
                       sorted == m_sortedColumns.end() ? -1 : int(sorted - m_sortedColumns.begin()));
    store.WriteInteger(key, QStringLiteral("StoredRowIndex"), column->StoredRowIndex());
}

// ---- Loading ----

void TCustomdxTreeListControl::loadLayout(TdxRegIniWrapper &store, const QString &path)
{
    const QString p = storageNormalisedPath(path);
    // Stored by an earlier build under a name that holds "&#x", the layout
    // is found only under the bytes that build wrote.
    store.AdoptPreviousForm(p);
    // Released on every way out, a store error included, unless a
    // descendant's hook freed the grid.
    const TreeListAlive self = AliveToken();
    const bool multiSort = IsMultiSort();
    if (self.expired())
        return;
    BeginUpdate();
    if (multiSort)
        BeginSortLock();
    struct LayoutUpdate
    {
        TCustomdxTreeListControl *tree;
        const TreeListAlive &alive;
        bool multiSort;
        ~LayoutUpdate()
        {
            if (alive.expired())
                return;
            if (multiSort)
                tree->EndSortLock();
            tree->EndUpdate();
        }
    } update{this, self, multiSort};

    LoadLayoutSettings(store, p);
    if (self.expired())
        return;

    std::vector<std::pair<QString, TdxTreeListBand *>> bands;
    for (int i = 0; i < m_bands->Count(); ++i) {
        const QString section = storageBandKey(p, i);
        const int id = store.ReadInteger(section, QStringLiteral("ID"), -1);
        auto *band = id == -1 ? nullptr : static_cast<TdxTreeListBand *>(m_bands->FindItemID(id));
        // A band named twice keeps what its first section says.
        if (!band || std::any_of(bands.begin(), bands.end(), [band](const auto &b) { return b.second == band; }))
            continue;
        band->SetVisible(store.ReadBool(section, QStringLiteral("Visible"), band->Visible()));
        band->SetWidth(storageReadSize(store, section, QStringLiteral("Width"), band->Width()));
        bands.emplace_back(storageSortKey(store.ReadInteger(section, QStringLiteral("Index"), band->Index())), band);
    }
    storageSortByKey(bands);
    for (size_t k = 0; k < bands.size(); ++k)
        bands[k].second->SetIndex(int(k));

    // Keys are taken before the moves: an unnamed column is found under the
    // place it was saved from. A descendant's LoadColumnLayout may free
    // columns, or the grid: each is held by its life token.
    std::vector<std::pair<QString, size_t>> columns;
    std::vector<std::pair<QString, TdxTreeListColumn *>> keys;
    for (TdxTreeListColumn *column : m_columns)
        keys.emplace_back(columnLayoutKey(p, column), column);
    const std::vector<std::pair<TdxTreeListColumn *, TreeListAlive>> held = heldColumns();
    const auto gone = [&](size_t i) { return held[i].second.expired(); };
    for (size_t i = 0; i < keys.size(); ++i) {
        if (gone(i))
            continue;
        const auto &[key, column] = keys[i];
        LoadColumnLayout(store, key, column);
        if (self.expired())
            return;
        if (!gone(i))
            columns.emplace_back(storageSortKey(store.ReadInteger(key, QStringLiteral("Index"), column->Index())), i);
    }
    storageSortByKey(columns);
    int place = 0;
    for (const auto &[sortKey, i] : columns)
        if (!gone(i))
            keys[i].second->SetIndex(place++);

    {
        struct LoadingCount
        {
            int &count;
            ~LoadingCount() { --count; }
        } loading{++m_layoutLoading};
        for (size_t i = 0; i < keys.size(); ++i) {
            if (gone(i))
                continue;
            const auto &[key, column] = keys[i];
            column->SetBandIndex(store.ReadInteger(key, QStringLiteral("BandIndex"), column->BandIndex()));
            column->SetRowIndex(store.ReadInteger(key, QStringLiteral("RowIndex"), column->RowIndex()));
            column->m_storedRowIndex =
                std::max(0, store.ReadInteger(key, QStringLiteral("StoredRowIndex"), column->m_storedRowIndex));
        }
    }
    ColumnsChanged(nullptr);

    // The loaded marks decide the order of the nodes, in the loaded priority.
    rebuildSortedColumns();
    if (!m_sortedColumns.empty())
        RequestSort();
}

void TCustomdxTreeListControl::LoadLayoutSettings(TdxRegIniWrapper &store, const QString &key)
{
    TreeListSettings settings = Settings();
    settings.ShowGrid = store.ReadBool(key, QStringLiteral("ShowGrid"), settings.ShowGrid);
    settings.ShowPreviewGrid = store.ReadBool(key, QStringLiteral("ShowPreviewGrid"), settings.ShowPreviewGrid);
    SetBandRowCount(store.ReadInteger(key, QStringLiteral("BandRowCount"), m_bandRowCount));
    const int rowHeight = storageReadSize(store, key, QStringLiteral("DefaultRowHeight"), settings.DefaultRowHeight);
    SetSettings(settings);
    // Set by hand: the metrics keep it above their minimum.
    if (rowHeight != settings.DefaultRowHeight)
        SetDefaultRowHeight(rowHeight);
    // Nothing stored leaves computed rows computed, as a stored -1 does.
    const int headerRows = store.ReadInteger(key, QStringLiteral("HeaderPanelRowCount"),
                                             optionB(boComputedHeaderRows) ? -1 : m_headerPanelRowCount);
    if (headerRows != -1) {
        SetOptionsB(OptionsB() & ~(1u << boComputedHeaderRows));
        SetHeaderPanelRowCount(headerRows);
    }
}

void TCustomdxTreeListControl::LoadColumnLayout(TdxRegIniWrapper &store, const QString &key, TdxTreeListColumn *column)
{
    column->SetVisible(store.ReadBool(key, QStringLiteral("Visible"), column->Visible()));
    column->SetWidth(storageReadSize(store, key, QStringLiteral("Width"), column->Width()));
    const int sorted = store.ReadInteger(key, QStringLiteral("Sorted"), int(column->Sorted()));
    if (sorted >= csNone && sorted <= csUp)
        column->SetSorted(TdxTreeListColumnSort(sorted));
    column->m_storedSortOrder = store.ReadInteger(key, QStringLiteral("SortedOrder"), -1);
}

// ---- Automatic storage ----

void TCustomdxTreeListControl::RestoreLayout()
{
    if (m_autoLoadDone)
        return;
    m_autoLoadDone = true;
    const bool designing = HasState(classes::csDesigning);
    if (optionA(aoStoreInRegistry) && !designing && !m_registryPath.isEmpty())
        LoadFromRegistry(m_registryPath);
    if (optionA(aoStoreInIni) && !designing && !m_iniFileName.isEmpty())
        LoadFromIniFile(m_iniFileName);
}

void TCustomdxTreeListControl::StoreLayout()
{
    if (m_autoSaveDone)
        return;
    m_autoSaveDone = true;
    const bool designing = HasState(classes::csDesigning);
    if (optionA(aoStoreInRegistry) && !designing && !m_registryPath.isEmpty())
        SaveToRegistry(m_registryPath);
    if (optionA(aoStoreInIni) && !designing && !m_iniFileName.isEmpty())
        SaveToIniFile(m_iniFileName);
}

} // namespace grid
