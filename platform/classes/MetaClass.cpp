#include "platform/classes/MetaClass.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Persistent.h"

#include <algorithm>
#include <unordered_map>

namespace classes {

TMetaClass::TMetaClass(const QString &name, const TMetaClass *parent)
    : m_name(name)
    , m_nameBytes(name.toStdString())
    , m_parent(parent)
{
    if (parent) {
        m_all = parent->m_all;
        m_index = parent->m_index;
    }
}

bool TMetaClass::InheritsFrom(const TMetaClass &other) const
{
    for (const TMetaClass *c = this; c; c = c->m_parent)
        if (c == &other)
            return true;
    return false;
}

const TPropInfo *TMetaClass::FindProperty(std::string_view name) const
{
    return m_index.Find(name);
}

const TPropInfo *TMetaClass::FindProperty(QStringView name) const
{
    for (QChar c : name)
        if (c.unicode() > 0x7F)
            return nullptr;
    return FindProperty(std::string_view(name.toLatin1().toStdString()));
}

TPropInfo &TMetaClass::AddProperty(TPropInfo info)
{
    info.NameBytes = info.Name.toStdString();
    m_own.push_back(std::make_unique<TPropInfo>(std::move(info)));
    TPropInfo *p = m_own.back().get();
    // A redeclared property keeps its ancestor's place in the order.
    if (const TPropInfo *old = m_index.Find(p->NameBytes)) {
        for (const TPropInfo *&slot : m_all)
            if (slot == old)
                slot = p;
        m_index.Erase(old);
    } else {
        m_all.push_back(p);
    }
    m_index.Add(p);
    return *p;
}

void TMetaClass::SetFactories(TComponent *(*newComponent)(TComponent *), TCollectionItem *(*newItem)(TCollection *),
                              TPersistent *(*newInstance)())
{
    m_newComponent = newComponent;
    m_newItem = newItem;
    m_newInstance = newInstance;
}

TComponent *TMetaClass::NewComponent(TComponent *owner) const
{
    if (!m_newComponent)
        throw EClassNotFound("Cannot create an instance of " + messageText(m_name) + " as a component");
    return m_newComponent(owner);
}

TCollectionItem *TMetaClass::NewItem(TCollection *collection) const
{
    if (!m_newItem)
        throw EClassNotFound("Cannot create an instance of " + messageText(m_name) + " as a collection item");
    // Joined once it is whole, so that the collection's announcement meets
    // a finished item.
    TCollectionItem *item = m_newItem(nullptr);
    if (collection)
        item->SetCollection(collection);
    return item;
}

TPersistent *TMetaClass::NewInstance() const
{
    if (!m_newInstance)
        throw EClassNotFound("Cannot create an instance of " + messageText(m_name));
    return m_newInstance();
}

// ---- class registry -------------------------------------------------------

namespace {

struct ClassTable
{
    std::mutex mutex;
    std::unordered_map<std::string, const TMetaClass *, TNameHash, TNameEqual> byName;
};

ClassTable &classTable()
{
    static ClassTable table;
    return table;
}

std::string keyOf(const QString &name)
{
    return name.toStdString();
}

} // namespace

void RegisterClass(const TMetaClass &meta)
{
    ClassTable &t = classTable();
    std::lock_guard lock(t.mutex);
    const auto [it, inserted] = t.byName.emplace(keyOf(meta.ClassName()), &meta);
    if (!inserted && it->second != &meta)
        throw EFilerError("A class named " + messageText(meta.ClassName()) + " already exists");
}

void RegisterClasses(std::initializer_list<const TMetaClass *> metas)
{
    for (const TMetaClass *m : metas)
        RegisterClass(*m);
}

void UnRegisterClass(const TMetaClass &meta)
{
    ClassTable &t = classTable();
    std::lock_guard lock(t.mutex);
    const auto it = t.byName.find(keyOf(meta.ClassName()));
    if (it != t.byName.end() && it->second == &meta)
        t.byName.erase(it);
}

void UnRegisterClasses(std::initializer_list<const TMetaClass *> metas)
{
    for (const TMetaClass *m : metas)
        UnRegisterClass(*m);
}

const TMetaClass *GetClass(std::string_view name)
{
    ClassTable &t = classTable();
    std::lock_guard lock(t.mutex);
    const auto it = t.byName.find(name);
    return it == t.byName.end() ? nullptr : it->second;
}

const TMetaClass *GetClass(QStringView name)
{
    return GetClass(std::string_view(name.toString().toStdString()));
}

std::vector<const TMetaClass *> RegisteredClasses()
{
    ClassTable &t = classTable();
    std::vector<const TMetaClass *> all;
    {
        std::lock_guard lock(t.mutex);
        for (const auto &[name, meta] : t.byName)
            all.push_back(meta);
    }
    std::sort(all.begin(), all.end(),
              [](const TMetaClass *a, const TMetaClass *b) { return a->ClassName() < b->ClassName(); });
    return all;
}

const TMetaClass &FindClass(QStringView name)
{
    const TMetaClass *meta = GetClass(name);
    if (!meta)
        throw EClassNotFound("Class " + name.toString().toStdString() + " not found");
    return *meta;
}

} // namespace classes
