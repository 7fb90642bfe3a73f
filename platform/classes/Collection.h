#pragma once

// Collections: ordered, owned items of one item class, each with an ID that
// stays with it, and an update bracket so that a batch of changes is
// announced once.

#include "platform/classes/Persistent.h"

#include <vector>

namespace classes {

class TCollection;

class TCollectionItem : public TPersistent
{
    ZVO_CLASS(TCollectionItem)
public:
    // Joins the collection at its end when one is given, unannounced (the
    // derived item is not built yet); TCollection::Add announces its items.
    explicit TCollectionItem(TCollection *collection);
    // Leaves the collection (which announces the change).
    ~TCollectionItem() override;

    TCollection *Collection() const { return m_collection; }
    void SetCollection(TCollection *collection);
    int ID() const { return m_id; }
    int Index() const;
    // Moves the item within its collection (clamped to the valid range).
    virtual void SetIndex(int index);
    virtual QString GetDisplayName() const;
    TPersistent *GetOwner() const override;
    QString GetNamePath() const override;

protected:
    // Tells the collection: allItems announces a change of the whole
    // collection, else of this item only.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection *m_collection = nullptr;
    int m_id = 0;
};

class TCollection : public TPersistent
{
    ZVO_CLASS(TCollection)
public:
    explicit TCollection(const TMetaClass &itemClass, TPersistent *owner = nullptr);
    ~TCollection() override;

    const TMetaClass &ItemClass() const { return *m_itemClass; }
    TPersistent *GetOwner() const override { return m_owner; }
    QString GetNamePath() const override;
    // The name of the owner's property that holds this collection.
    const QString &PropName() const { return m_propName; }
    void SetPropName(const QString &name) { m_propName = name; }

    int Count() const { return int(m_items.size()); }
    // EListError outside 0 .. Count - 1.
    TCollectionItem *Items(int index) const;
    TCollectionItem *Add();
    TCollectionItem *Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem *FindItemID(int id) const;
    int NextID() const { return m_nextID; }

    // Brackets nest; the outermost EndUpdate announces the whole collection once.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    void Assign(const TPersistent *source) override;

protected:
    // Announces a change of one item, or of the whole collection (nullptr);
    // runs only outside update brackets.
    virtual void Update(TCollectionItem *item);
    void Changed();

private:
    friend class TCollectionItem;
    void insertItem(TCollectionItem *item, bool announce);
    void removeItem(TCollectionItem *item);
    void moveItem(int from, int to);

    const TMetaClass *m_itemClass;
    TPersistent *m_owner = nullptr;
    QString m_propName;
    std::vector<TCollectionItem *> m_items;
    int m_nextID = 0;
    int m_updateCount = 0;
};

} // namespace classes
