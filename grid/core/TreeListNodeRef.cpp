#include "grid/core/TreeListNodeRef.h"

#include "grid/core/TreeList.h"

#include <algorithm>

namespace grid {

TreeListNodeRef::TreeListNodeRef(TCustomdxTreeList &tree, TdxTreeListNode *node, Handler onDeleted)
    : m_owner(&tree)
    , m_tree(tree.AliveToken())
    , m_node(node)
    , m_onDeleted(std::move(onDeleted))
{
    m_owner->m_refs.push_back(this);
}

TreeListNodeRef::~TreeListNodeRef()
{
    if (m_tree.expired())
        return;
    auto &refs = m_owner->m_refs;
    const auto it = std::find(refs.rbegin(), refs.rend(), this);
    if (it != refs.rend())
        refs.erase(std::next(it).base());
}

} // namespace grid
