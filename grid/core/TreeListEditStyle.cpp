#include "grid/core/TreeListEditStyle.h"

#include "grid/core/TreeList.h"

#include "platform/classes/ClassBuilder.h"

namespace grid {

const classes::TMetaClass &TdxTreeListEditStyle::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TdxTreeListEditStyle, TdxEditStyle>("TdxTreeListEditStyle");
    return meta;
}

TdxTreeListEditStyle::TdxTreeListEditStyle(InplaceEditor *edit, TCustomdxTreeList *treeList)
    : TdxEditStyle(edit)
    , m_treeList(treeList)
{}

rtl::TColor TdxTreeListEditStyle::DefaultBorderColor() const
{
    return rtl::clWindowFrame;
}

TdxEditBorderStyle TdxTreeListEditStyle::DefaultBorderStyle() const
{
    return m_treeList && m_treeList->Settings().ShowGrid ? xbsNone : xbsSingle;
}

TdxEditButtonViewStyle TdxTreeListEditStyle::DefaultButtonStyle() const
{
    switch (m_treeList ? m_treeList->Look() : 0) {
    case 1: return btsFlat;
    case 2: return btsHotFlat;
    default: return bts3D;
    }
}

TdxEditButtonTransparence TdxTreeListEditStyle::DefaultButtonTransparence() const
{
    return ebtNone;
}

TdxEditEdges TdxTreeListEditStyle::DefaultEdges() const
{
    return edgAll;
}

bool TdxTreeListEditStyle::DefaultHotTrack() const
{
    return false;
}

bool TdxTreeListEditStyle::DefaultShadow() const
{
    return false;
}

} // namespace grid
