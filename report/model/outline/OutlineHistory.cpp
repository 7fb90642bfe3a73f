#include "report/model/outline/OutlineHistory.h"

#include "report/model/outline/OutlineNode.h"

#include <algorithm>

namespace report {

namespace {

bool outlineHistorySeenPage(std::vector<int32_t> &aSeen, TppOutlineNodeType aType, int32_t aPage)
{
    if (aType != TppOutlineNodeType::ntPage)
        return false;
    if (std::find(aSeen.begin(), aSeen.end(), aPage) != aSeen.end())
        return true;
    aSeen.push_back(aPage);
    return false;
}

TppOutlineNode *outlineHistoryNewNode(TppOutlineNode *aParent, const QString &aCaption, int32_t aPage,
                                      TppOutlineNodeType aType)
{
    auto *node = new TppOutlineNode;
    node->SetCaption(aCaption);
    node->SetPageReference(aPage);
    node->SetNodeType(aType);
    node->SetParent(aParent);
    return node;
}

// Copies the visible children of aSource under aTarget; invisible children
// hand theirs up to aTarget, sharing its record of pages seen.
void outlineCopyVisibleChildren(const TppOutlineNode &aSource, TppOutlineNode *aTarget, std::vector<int32_t> &aSeen)
{
    for (int i = 0; i < aSource.ChildCount(); ++i) {
        const auto *child = dynamic_cast<const TppOutlineNode *>(aSource.ChildAt(i));
        if (!child)
            continue;
        if (!child->Visible()) {
            outlineCopyVisibleChildren(*child, aTarget, aSeen);
            continue;
        }
        if (outlineHistorySeenPage(aSeen, child->NodeType(), child->PageReference()))
            continue;
        TppOutlineNode *copy =
            outlineHistoryNewNode(aTarget, child->Caption(), child->PageReference(), child->NodeType());
        std::vector<int32_t> seen;
        outlineCopyVisibleChildren(*child, copy, seen);
    }
}

} // namespace

TppOutlineHistory::TppOutlineHistory()
{
    Entry root;
    root.nodeType = TppOutlineNodeType::ntRoot;
    root.pageReference = -1;
    m_entries.push_back(std::move(root));
}

int TppOutlineHistory::Append(const TppOutlineNode &aNode, int aParent)
{
    Entry entry;
    entry.caption = aNode.Caption();
    entry.pageReference = aNode.PageReference();
    entry.nodeType = aNode.NodeType();
    entry.visible = aNode.Visible();
    entry.added = m_generation;
    const int index = int(m_entries.size());
    m_entries.push_back(std::move(entry));
    if (aParent >= 0 && aParent < index)
        m_entries[size_t(aParent)].children.push_back(index);
    return index;
}

void TppOutlineHistory::Remove(int aIndex)
{
    if (aIndex > RootIndex && aIndex < int(m_entries.size()))
        m_entries[size_t(aIndex)].removed = std::min(m_entries[size_t(aIndex)].removed, m_generation);
}

template <class Visit>
void TppOutlineHistory::visibleChildren(int aIndex, int aGeneration, std::vector<int32_t> &aPagesSeen,
                                        const Visit &aVisit) const
{
    for (int child : m_entries[size_t(aIndex)].children) {
        const Entry &entry = m_entries[size_t(child)];
        // Children are recorded in page-end order: the rest came later.
        if (entry.added > aGeneration)
            break;
        if (!present(entry, aGeneration))
            continue;
        if (!entry.visible)
            visibleChildren(child, aGeneration, aPagesSeen, aVisit);
        else if (!outlineHistorySeenPage(aPagesSeen, entry.nodeType, entry.pageReference))
            aVisit(child, entry);
    }
}

std::unique_ptr<TppOutlineNode> TppOutlineHistory::VisibleTree(int aGeneration) const
{
    const Entry &rootEntry = m_entries[RootIndex];
    auto root = std::make_unique<TppOutlineNode>();
    root->SetNodeType(TppOutlineNodeType::ntRoot);
    root->SetCaption(rootEntry.caption);
    root->SetPageReference(rootEntry.pageReference);
    struct Builder
    {
        const TppOutlineHistory &history;
        int generation;
        void build(int aIndex, TppOutlineNode *aTarget) const
        {
            std::vector<int32_t> seen;
            history.visibleChildren(aIndex, generation, seen, [&](int aChild, const Entry &aEntry) {
                build(aChild, outlineHistoryNewNode(aTarget, aEntry.caption, aEntry.pageReference, aEntry.nodeType));
            });
        }
    };
    Builder{*this, aGeneration}.build(RootIndex, root.get());
    return root;
}

int TppOutlineHistory::VisibleCount(int aGeneration) const
{
    struct Counter
    {
        const TppOutlineHistory &history;
        int generation;
        int count(int aIndex) const
        {
            int total = 0;
            std::vector<int32_t> seen;
            history.visibleChildren(aIndex, generation, seen,
                                    [&](int aChild, const Entry &) { total += 1 + count(aChild); });
            return total;
        }
    };
    return Counter{*this, aGeneration}.count(RootIndex);
}

size_t TppOutlineHistory::ByteSize() const
{
    size_t bytes = sizeof(*this) + m_entries.capacity() * sizeof(Entry);
    for (const Entry &entry : m_entries)
        bytes += entry.children.capacity() * sizeof(int) + size_t(entry.caption.capacity()) * sizeof(QChar);
    return bytes;
}

std::unique_ptr<TppOutlineNode> ppCopyVisibleTree(const TppOutlineNode *aRoot)
{
    if (!aRoot || aRoot->NodeType() != TppOutlineNodeType::ntRoot)
        return nullptr;
    auto root = std::make_unique<TppOutlineNode>();
    root->SetNodeType(TppOutlineNodeType::ntRoot);
    root->SetCaption(aRoot->Caption());
    root->SetPageReference(aRoot->PageReference());
    std::vector<int32_t> seen;
    outlineCopyVisibleChildren(*aRoot, root.get(), seen);
    return root;
}

} // namespace report
