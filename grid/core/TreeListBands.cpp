#include "grid/core/TreeListBands.h"

#include "grid/core/TreeListControl.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/EnumTypes.h"

#include <algorithm>

namespace grid {

namespace {

const classes::TEnumInfo &bandFixedInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TdxGridBandFixed"), {"bfNone", "bfLeft", "bfRight"});
    return info;
}

} // namespace

const classes::TMetaClass &TdxTreeListBand::StaticClass()
{
    using C = TdxTreeListBand;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, classes::TCollectionItem>("TdxTreeListBand", [](classes::TClassBuilder<C> &c) {
            c.Enum("Alignment", classes::AlignmentInfo(), &C::Alignment, &C::SetAlignment).Default(taCenter);
            c.String("Caption", &C::Caption, &C::SetCaption);
            c.Boolean("DisableCustomizing", &C::DisableCustomizing, &C::SetDisableCustomizing).Default(false);
            c.Boolean("DisableDragging", &C::DisableDragging, &C::SetDisableDragging).Default(false);
            c.Enum("Fixed", bandFixedInfo(), &C::Fixed, &C::SetFixed).Default(bfNone);
            c.Integer("MinWidth", &C::MinWidth, &C::SetMinWidth).Default(30);
            c.Boolean("OnlyOwnColumns", &C::OnlyOwnColumns, &C::SetOnlyOwnColumns).Default(false);
            c.Boolean("Sizing", &C::Sizing, &C::SetSizing).Default(true);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            c.Integer("Width", &C::Width, &C::SetWidth).Default(250);
        });
    return meta;
}

TdxTreeListBand::TdxTreeListBand(classes::TCollection *collection)
    : classes::TCollectionItem(collection)
{}

TdxTreeListBand::~TdxTreeListBand()
{
    m_life.end();
    TCustomdxTreeListControl *tree = TreeList();
    if (!tree || tree->IsDestroying())
        return;
    // The columns of this band lose it; those of later bands follow it down.
    // Inside an update too: afterwards nothing could tell which band a
    // column meant.
    const int index = Index();
    for (int i = 0; i < tree->ColumnCount(); ++i) {
        TdxTreeListColumn *column = tree->Columns(i);
        if (column->m_bandIndex == index)
            column->m_bandIndex = -1;
        else if (column->m_bandIndex > index)
            --column->m_bandIndex;
    }
}

TCustomdxTreeListControl *TdxTreeListBand::TreeList() const
{
    const auto *bands = dynamic_cast<const TdxTreeListBands *>(Collection());
    return bands ? bands->TreeList() : nullptr;
}

int TdxTreeListBand::VisibleIndex() const
{
    const auto *bands = dynamic_cast<const TdxTreeListBands *>(Collection());
    return bands && bands->TreeList() ? bands->BandIndexToVisibleIndex(Index()) : -1;
}

void TdxTreeListBand::SetAlignment(TAlignment value)
{
    if (value == m_alignment)
        return;
    m_alignment = value;
    Changed(false);
}

void TdxTreeListBand::SetCaption(const QString &value)
{
    if (value == m_caption)
        return;
    m_caption = value;
    Changed(false);
}

void TdxTreeListBand::SetDisableCustomizing(bool value)
{
    if (value == m_disableCustomizing)
        return;
    m_disableCustomizing = value;
    Changed(false);
}

void TdxTreeListBand::SetSizing(bool value)
{
    if (value == m_sizing)
        return;
    m_sizing = value;
    Changed(false);
}

void TdxTreeListBand::SetMinWidth(int value)
{
    m_minWidth = std::max(value, 0);
    SetWidth(m_width);
}

void TdxTreeListBand::SetWidth(int value)
{
    value = std::max(value, m_minWidth);
    if (value == m_width) {
        // Under width fit the band's width comes from its columns: the
        // request still has them laid out again.
        TCustomdxTreeListControl *tree = TreeList();
        if (tree && tree->IsWidthFit())
            Changed(true);
        return;
    }
    m_width = value;
    Changed(true);
}

void TdxTreeListBand::SetVisible(bool value)
{
    if (value == m_visible)
        return;
    m_visible = value;
    if (!value)
        m_fixed = bfNone;
    Changed(true);
}

void TdxTreeListBand::SetFixed(TdxGridBandFixed value)
{
    if (value == m_fixed)
        return;
    m_fixed = bfNone;
    if (value != bfNone) {
        if (auto *bands = dynamic_cast<TdxTreeListBands *>(Collection())) {
            for (int i = 0; i < bands->Count(); ++i)
                if (bands->Items(i)->m_fixed == value)
                    bands->Items(i)->m_fixed = bfNone;
            SetIndex(value == bfLeft ? 0 : bands->Count() - 1);
        }
    }
    if (m_visible)
        m_fixed = value;
    Changed(false);
}

void TdxTreeListBand::SetIndex(int index)
{
    auto *collection = Collection();
    if (!collection)
        return;
    index = std::clamp(index, 0, collection->Count() - 1);
    const int current = Index();
    if (m_fixed != bfNone || index == current)
        return;
    if (TCustomdxTreeListControl *tree = TreeList()) {
        // The columns go with their bands: this band's are parked at -2
        // while the bands between shift by one.
        const int count = tree->ColumnCount();
        for (int i = 0; i < count; ++i) {
            TdxTreeListColumn *column = tree->Columns(i);
            int &band = column->m_bandIndex;
            if (band == current)
                band = -2;
            else if (index < current && band >= index && band < current)
                ++band;
            else if (index > current && band > current && band <= index)
                --band;
        }
        for (int i = 0; i < count; ++i)
            if (tree->Columns(i)->m_bandIndex == -2)
                tree->Columns(i)->m_bandIndex = index;
    }
    classes::TCollectionItem::SetIndex(index);
}

void TdxTreeListBand::RestoreDefaults()
{
    m_alignment = taCenter;
    m_fixed = bfNone;
    m_minWidth = 30;
    m_onlyOwnColumns = false;
    m_sizing = true;
    m_width = 250;
    Changed(true);
}

void TdxTreeListBand::Assign(const classes::TPersistent *source)
{
    // Restoring the defaults first would leave nothing to copy from itself.
    if (source == this)
        return;
    const auto *other = dynamic_cast<const TdxTreeListBand *>(source);
    if (!other) {
        classes::TCollectionItem::Assign(source);
        return;
    }
    classes::TCollection *collection = Collection();
    if (collection)
        collection->BeginUpdate();
    RestoreDefaults();
    SetAlignment(other->m_alignment);
    SetCaption(other->m_caption);
    SetFixed(other->m_fixed);
    SetMinWidth(other->m_minWidth);
    m_onlyOwnColumns = other->m_onlyOwnColumns;
    SetSizing(other->m_sizing);
    SetVisible(other->m_visible);
    SetWidth(other->m_width);
    if (collection)
        collection->EndUpdate();
}

// ---- The collection ----

const classes::TMetaClass &TdxTreeListBands::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TdxTreeListBands, classes::TCollection>("TdxTreeListBands");
    return meta;
}

TdxTreeListBands::TdxTreeListBands()
    : classes::TCollection(TdxTreeListBand::StaticClass())
{}

TdxTreeListBands::TdxTreeListBands(TCustomdxTreeListControl *treeList)
    : classes::TCollection(TdxTreeListBand::StaticClass(), treeList)
{}

void TdxTreeListBands::SetTreeList(TCustomdxTreeListControl *treeList)
{
    m_treeList = treeList;
}

int TdxTreeListBands::VisibleCount() const
{
    if (m_treeList && m_treeList->cacheUsable())
        return int(m_treeList->m_cache.visibleBands.size());
    int visible = 0;
    for (int i = 0; i < Count(); ++i)
        visible += Items(i)->Visible() ? 1 : 0;
    return visible;
}

int TdxTreeListBands::VisibleIndexToBandIndex(int position) const
{
    if (position < 0)
        return -1;
    if (m_treeList && m_treeList->cacheUsable()) {
        const auto &visible = m_treeList->m_cache.visibleBands;
        return position < int(visible.size()) ? visible[size_t(position)] : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Visible() && position-- == 0)
            return i;
    return -1;
}

int TdxTreeListBands::BandIndexToVisibleIndex(int index) const
{
    if (index < 0 || index >= Count() || !Items(index)->Visible())
        return -1;
    if (m_treeList && m_treeList->cacheUsable()) {
        const auto &visible = m_treeList->m_cache.visibleBands;
        const auto it = std::lower_bound(visible.begin(), visible.end(), index);
        return it != visible.end() && *it == index ? int(it - visible.begin()) : -1;
    }
    int position = 0;
    for (int i = 0; i < index; ++i)
        position += Items(i)->Visible() ? 1 : 0;
    return position;
}

TdxTreeListBand *TdxTreeListBands::VisibleItems(int position) const
{
    const int index = VisibleIndexToBandIndex(position);
    return index >= 0 ? Items(index) : nullptr;
}

void TdxTreeListBands::Update(classes::TCollectionItem *)
{
    if (!m_treeList)
        return;
    if (Count() != 1)
        m_treeList->m_defaultLayout = false;
    if (m_treeList->HasState(classes::csLoading) || m_treeList->IsDestroying())
        return;
    m_treeList->ClearLookupCache();
    normaliseFixedBands();
    if (m_treeList->optionB(boComputedHeaderRows)) {
        m_treeList->BeginUpdate();
        m_treeList->AdjustHeaderLineCount();
        m_treeList->EndUpdate();
    } else {
        m_treeList->ColumnsChanged(nullptr);
    }
}

void TdxTreeListBands::normaliseFixedBands()
{
    TdxTreeListBand *firstLeft = nullptr;
    TdxTreeListBand *firstRight = nullptr;
    bool wrong = false;
    const int visible = VisibleCount();
    int position = 0;
    for (int i = 0; i < Count(); ++i) {
        TdxTreeListBand *band = Items(i);
        const int at = band->Visible() ? position++ : -1;
        if (band->m_fixed == bfLeft) {
            if (firstLeft || at != 0)
                wrong = true;
            firstLeft = firstLeft ? firstLeft : band;
        } else if (band->m_fixed == bfRight) {
            if (firstRight || at != visible - 1)
                wrong = true;
            firstRight = firstRight ? firstRight : band;
        }
    }
    if (!wrong)
        return;
    for (int i = 0; i < Count(); ++i)
        Items(i)->m_fixed = bfNone;
    BeginUpdate();
    if (firstLeft)
        firstLeft->SetFixed(bfLeft);
    if (firstRight)
        firstRight->SetFixed(bfRight);
    EndUpdate();
}

} // namespace grid
