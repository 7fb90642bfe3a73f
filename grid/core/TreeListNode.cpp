#include "grid/core/TreeListNode.h"

#include "grid/core/TreeList.h"

namespace grid {

// ---- NodeList ----

TdxTreeListNode *NodeList::at(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_items[size_t(m_first + index)];
}

int NodeList::indexOf(const TdxTreeListNode *node) const
{
    if (!node)
        return -1;
    const int slot = node->m_slot;
    if (slot < m_first || slot >= int(m_items.size()) || m_items[size_t(slot)] != node)
        return -1;
    return slot - m_first;
}

void NodeList::append(TdxTreeListNode *node)
{
    ++node->m_owner->m_structureVersion;
    node->m_slot = int32_t(m_items.size());
    m_items.push_back(node);
}

void NodeList::remove(TdxTreeListNode *node)
{
    const int index = indexOf(node);
    if (index < 0)
        return;
    ++node->m_owner->m_structureVersion;
    const size_t slot = size_t(node->m_slot);
    if (index == 0) {
        takeFirst();
    } else if (slot + 1 == m_items.size()) {
        m_items.pop_back();
    } else {
        m_items.erase(m_items.begin() + std::ptrdiff_t(slot));
        renumber(slot);
    }
    node->m_slot = -1;
}

TdxTreeListNode *NodeList::takeFirst()
{
    if (count() == 0)
        return nullptr;
    TdxTreeListNode *node = m_items[size_t(m_first)];
    m_items[size_t(m_first)] = nullptr;
    ++node->m_owner->m_structureVersion;
    ++m_first;
    if (m_first == int(m_items.size())) {
        m_items.clear();
        m_first = 0;
    } else if (m_first >= 64 && size_t(m_first) * 2 >= m_items.size()) {
        // Gives back the room of the entries gone; paid for by as many
        // removals as entries move.
        m_items.erase(m_items.begin(), m_items.begin() + m_first);
        m_first = 0;
        renumber(0);
    }
    return node;
}

void NodeList::reorder(const std::vector<TdxTreeListNode *> &order)
{
    if (TdxTreeListNode *any = order.empty() ? first() : order.front())
        ++any->m_owner->m_structureVersion;
    m_items = order;
    m_first = 0;
    renumber(0);
}

void NodeList::renumber(size_t from)
{
    for (size_t i = from; i < m_items.size(); ++i)
        m_items[i]->m_slot = int32_t(i);
}

// ---- TdxTreeListNode ----

TdxTreeListNode::TdxTreeListNode(TCustomdxTreeList *owner)
    : m_owner(owner)
{
    if (!owner)
        throw EInvaliddxTreeListOperation("Invalid Owner TdxTreeListNode");
}

TdxTreeListNode::~TdxTreeListNode() = default;

const NodeList *TdxTreeListNode::siblings() const
{
    return m_parent ? m_parent->m_children.get() : &m_owner->m_topLevel;
}

int TdxTreeListNode::IndexOf(const TdxTreeListNode *child) const
{
    return m_children ? m_children->indexOf(child) : -1;
}

int TdxTreeListNode::Index() const
{
    const NodeList *list = siblings();
    return list ? list->indexOf(this) : -1;
}

int TdxTreeListNode::Level() const
{
    int level = 0;
    for (const TdxTreeListNode *p = m_parent; p; p = p->m_parent)
        ++level;
    return level;
}

bool TdxTreeListNode::HasAsParent(const TdxTreeListNode *node) const
{
    if (!node)
        return false;
    for (const TdxTreeListNode *p = m_parent; p; p = p->m_parent)
        if (p == node)
            return true;
    return false;
}

bool TdxTreeListNode::IsLast() const
{
    const NodeList *list = siblings();
    const int index = list ? list->indexOf(this) : -1;
    return index >= 0 && index == list->count() - 1;
}

bool TdxTreeListNode::IsVisible() const
{
    for (const TdxTreeListNode *p = m_parent; p; p = p->m_parent)
        if (!p->m_expanded)
            return false;
    return true;
}

TdxTreeListNode *TdxTreeListNode::GetNextSibling() const
{
    const NodeList *list = siblings();
    const int index = list ? list->indexOf(this) : -1;
    return index < 0 ? nullptr : list->at(index + 1);
}

TdxTreeListNode *TdxTreeListNode::GetPrevSibling() const
{
    const NodeList *list = siblings();
    const int index = list ? list->indexOf(this) : -1;
    return index <= 0 ? nullptr : list->at(index - 1);
}

TdxTreeListNode *TdxTreeListNode::GetPrevSiblingOrParent() const
{
    TdxTreeListNode *prev = GetPrevSibling();
    return prev ? prev : m_parent;
}

TdxTreeListNode *TdxTreeListNode::GetNext() const
{
    if (Count() > 0)
        return GetFirstChild();
    for (const TdxTreeListNode *n = this; n; n = n->m_parent)
        if (TdxTreeListNode *sibling = n->GetNextSibling())
            return sibling;
    return nullptr;
}

TdxTreeListNode *TdxTreeListNode::GetPrev() const
{
    TdxTreeListNode *prev = GetPrevSibling();
    if (!prev)
        return m_parent;
    while (prev->Count() > 0)
        prev = prev->GetLastChild();
    return prev;
}

TdxTreeListNode *TdxTreeListNode::GetLastVisibleDescendant() const
{
    const TdxTreeListNode *n = this;
    while (n->m_expanded && n->Count() > 0)
        n = n->GetLastChild();
    return const_cast<TdxTreeListNode *>(n);
}

TdxTreeListNode *TdxTreeListNode::GetNextVisible() const
{
    if (m_expanded && Count() > 0)
        return GetFirstChild();
    for (const TdxTreeListNode *n = this; n; n = n->m_parent)
        if (TdxTreeListNode *sibling = n->GetNextSibling())
            return sibling;
    return nullptr;
}

TdxTreeListNode *TdxTreeListNode::GetPrevVisible() const
{
    TdxTreeListNode *prev = GetPrevSibling();
    return prev ? prev->GetLastVisibleDescendant() : m_parent;
}

void TdxTreeListNode::SetExpanded(bool value)
{
    m_owner->setNodeExpanded(this, value);
}

void TdxTreeListNode::Expand(bool recurse)
{
    m_owner->expandNode(this, recurse);
}

void TdxTreeListNode::SetHasChildren(bool value)
{
    if (value == m_hasChildren)
        return;
    m_hasChildren = value || Count() > 0;
    m_heightGeneration = 0; // a button row is a pixel taller without grid lines
    m_owner->InvalidateNode(this);
}

bool TdxTreeListNode::Focused() const
{
    return m_owner->FocusedNode() == this;
}

void TdxTreeListNode::SetFocused(bool value)
{
    if (value == Focused())
        return;
    m_owner->ChangeFocus(value ? this : nullptr, m_owner->FocusedColumn(), true);
}

bool TdxTreeListNode::Selected() const
{
    return m_owner->IsMultiSelect() ? m_owner->IsNodeSelected(this) : Focused();
}

void TdxTreeListNode::SetSelected(bool value)
{
    m_owner->SetNodeSelected(this, value);
}

QString TdxTreeListNode::Strings(int column) const
{
    return m_owner->CellText(this, column);
}

QVariant TdxTreeListNode::Values(int column) const
{
    return m_owner->CellValue(this, column);
}

int TdxTreeListNode::ImageIndex() const
{
    return m_owner->NodeImageIndex(this);
}

int TdxTreeListNode::SelectedIndex() const
{
    return m_owner->NodeSelectedIndex(this);
}

int TdxTreeListNode::StateIndex() const
{
    return m_owner->NodeStateIndex(this);
}

void TdxTreeListNode::MakeVisible()
{
    m_owner->MakeVisible(this);
}

int TdxTreeListNode::AbsoluteIndex() const
{
    return m_owner->AbsoluteIndex(this);
}

TdxTreeListNode *TdxTreeListNode::AddChild()
{
    return m_owner->insertNode(this);
}

void TdxTreeListNode::Delete()
{
    m_owner->deleteNode(this);
}

} // namespace grid
