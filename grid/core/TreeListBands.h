#pragma once

// The bands of the text-node tree list's header: a collection whose order is
// the order on screen. One band may be fixed to each side; a band fixed left
// is always first, one fixed right always last. The core counts bands by
// visible position; the collection maps between the two numberings.

#include "grid/core/ControlTypes.h"
#include "grid/core/TreeListLife.h"

#include "platform/classes/Collection.h"

#include <QString>

namespace grid {

class TCustomdxTreeListControl;

enum TdxGridBandFixed : uint8_t { bfNone, bfLeft, bfRight };

class TdxTreeListBand : public classes::TCollectionItem
{
    ZVO_CLASS(TdxTreeListBand)
public:
    explicit TdxTreeListBand(classes::TCollection *collection);
    ~TdxTreeListBand() override;

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);
    const QString &Caption() const { return m_caption; }
    void SetCaption(const QString &value);
    bool DisableCustomizing() const { return m_disableCustomizing; }
    void SetDisableCustomizing(bool value);
    bool DisableDragging() const { return m_disableDragging; }
    void SetDisableDragging(bool value) { m_disableDragging = value; }
    TdxGridBandFixed Fixed() const { return m_fixed; }
    void SetFixed(TdxGridBandFixed value);
    int MinWidth() const { return m_minWidth; }
    void SetMinWidth(int value);
    bool OnlyOwnColumns() const { return m_onlyOwnColumns; }
    void SetOnlyOwnColumns(bool value) { m_onlyOwnColumns = value; }
    bool Sizing() const { return m_sizing; }
    void SetSizing(bool value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    int Width() const { return m_width; }
    void SetWidth(int value);

    // -1 while hidden or outside a tree list.
    int VisibleIndex() const;
    // Expires when the band goes; see TreeListLife.h.
    TreeListAlive AliveToken() const { return m_life.token(); }
    TCustomdxTreeListControl *TreeList() const;

    void RestoreDefaults();
    void SetIndex(int index) override;
    void Assign(const classes::TPersistent *source) override;

private:
    friend class TdxTreeListBands;

    TAlignment m_alignment = taCenter;
    QString m_caption;
    bool m_disableCustomizing = false;
    bool m_disableDragging = false;
    TdxGridBandFixed m_fixed = bfNone;
    int m_minWidth = 30;
    bool m_onlyOwnColumns = false;
    bool m_sizing = true;
    bool m_visible = true;
    int m_width = 250;
    TreeListLife m_life;
};

class TdxTreeListBands : public classes::TCollection
{
    ZVO_CLASS(TdxTreeListBands)
public:
    TdxTreeListBands();
    explicit TdxTreeListBands(TCustomdxTreeListControl *treeList);

    TdxTreeListBand *Add() { return static_cast<TdxTreeListBand *>(classes::TCollection::Add()); }
    TdxTreeListBand *Items(int index) const
    {
        return static_cast<TdxTreeListBand *>(classes::TCollection::Items(index));
    }
    TCustomdxTreeListControl *TreeList() const { return m_treeList; }
    void SetTreeList(TCustomdxTreeListControl *treeList);

    int VisibleCount() const;
    // -1 outside the visible positions.
    int VisibleIndexToBandIndex(int position) const;
    // -1 for a hidden band or an index out of range.
    int BandIndexToVisibleIndex(int index) const;
    // Nothing outside the visible positions.
    TdxTreeListBand *VisibleItems(int position) const;

protected:
    void Update(classes::TCollectionItem *item) override;

private:
    // At most one band fixed to each side, at that end of the visible bands.
    void normaliseFixedBands();

    TCustomdxTreeListControl *m_treeList = nullptr;
};

} // namespace grid
