#include "platform/classes/Collection.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>

namespace classes {

const TMetaClass &TCollectionItem::StaticClass()
{
    static const TMetaClass meta = MakeClass<TCollectionItem, TPersistent>("TCollectionItem");
    return meta;
}

TCollectionItem::TCollectionItem(TCollection *collection)
{
    // Joined without a word: the collection's Update would meet an item whose
    // derived part is not built yet. Add and the class's factory announce
    // the item once it is whole.
    if (collection)
        collection->insertItem(this, false);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection *collection)
{
    if (collection == m_collection)
        return;
    if (m_collection)
        m_collection->removeItem(this);
    if (collection)
        collection->insertItem(this, true);
}

int TCollectionItem::Index() const
{
    if (!m_collection)
        return -1;
    const auto &items = m_collection->m_items;
    const auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : int(it - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    if (!m_collection)
        return;
    const int current = Index();
    index = std::clamp(index, 0, m_collection->Count() - 1);
    if (index == current)
        return;
    m_collection->moveItem(current, index);
    Changed(true);
}

QString TCollectionItem::GetDisplayName() const
{
    return ClassName();
}

TPersistent *TCollectionItem::GetOwner() const
{
    return m_collection;
}

QString TCollectionItem::GetNamePath() const
{
    if (!m_collection)
        return ClassName();
    return m_collection->GetNamePath() + u'[' + QString::number(Index()) + u']';
}

void TCollectionItem::Changed(bool allItems)
{
    if (m_collection && m_collection->m_updateCount == 0)
        m_collection->Update(allItems ? nullptr : this);
}

const TMetaClass &TCollection::StaticClass()
{
    static const TMetaClass meta = MakeClass<TCollection, TPersistent>("TCollection");
    return meta;
}

TCollection::TCollection(const TMetaClass &itemClass, TPersistent *owner)
    : m_itemClass(&itemClass)
    , m_owner(owner)
{}

TCollection::~TCollection()
{
    // No announcements while the collection goes.
    ++m_updateCount;
    while (!m_items.empty())
        delete m_items.back();
}

QString TCollection::GetNamePath() const
{
    if (!m_owner || m_propName.isEmpty())
        return ClassName();
    const QString ownerPath = m_owner->GetNamePath();
    return ownerPath.isEmpty() ? m_propName : ownerPath + u'.' + m_propName;
}

TCollectionItem *TCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return m_items[size_t(index)];
}

TCollectionItem *TCollection::Add()
{
    // Made apart and then joined, so that no announcement reaches an item
    // whose construction has not finished.
    TCollectionItem *item = m_itemClass->NewItem(nullptr);
    item->SetCollection(this);
    return item;
}

TCollectionItem *TCollection::Insert(int index)
{
    BeginUpdate();
    TCollectionItem *item = nullptr;
    try {
        item = Add();
        item->SetIndex(index);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

void TCollection::Delete(int index)
{
    delete Items(index);
}

void TCollection::Clear()
{
    if (m_items.empty())
        return;
    BeginUpdate();
    while (!m_items.empty())
        delete m_items.back();
    EndUpdate();
}

TCollectionItem *TCollection::FindItemID(int id) const
{
    for (TCollectionItem *item : m_items)
        if (item->m_id == id)
            return item;
    return nullptr;
}

void TCollection::BeginUpdate()
{
    ++m_updateCount;
}

void TCollection::EndUpdate()
{
    if (m_updateCount > 0)
        --m_updateCount;
    Changed();
}

void TCollection::Assign(const TPersistent *source)
{
    const auto *other = dynamic_cast<const TCollection *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem *item : other->m_items)
            Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Update(TCollectionItem *) {}

void TCollection::Changed()
{
    if (m_updateCount == 0)
        Update(nullptr);
}

void TCollection::insertItem(TCollectionItem *item, bool announce)
{
    m_items.push_back(item);
    item->m_collection = this;
    item->m_id = m_nextID++;
    if (announce)
        Changed();
}

void TCollection::removeItem(TCollectionItem *item)
{
    const auto it = std::find(m_items.rbegin(), m_items.rend(), item);
    if (it != m_items.rend())
        m_items.erase(std::next(it).base());
    item->m_collection = nullptr;
    Changed();
}

void TCollection::moveItem(int from, int to)
{
    TCollectionItem *item = m_items[size_t(from)];
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, item);
}

} // namespace classes
