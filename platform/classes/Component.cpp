#include "platform/classes/Component.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"

#include <algorithm>

namespace classes {

namespace {

struct RootList
{
    std::mutex mutex;
    std::vector<TComponent *> roots;
};

RootList &rootList()
{
    static RootList list;
    return list;
}

// Partners are mostly let go in the reverse order of their registration
// (owners free last first), so a long list is searched from its end.
bool containsPartner(const std::vector<TComponent *> &list, const TComponent *partner)
{
    return std::find(list.rbegin(), list.rend(), partner) != list.rend();
}

// Each of two partners' lists holds the other exactly when the other's list
// holds it, so the shorter list answers; a component that many others watch
// keeps a long one.
bool linked(const std::vector<TComponent *> &mine, const TComponent *self, const std::vector<TComponent *> &theirs,
            const TComponent *partner)
{
    return mine.size() <= theirs.size() ? containsPartner(mine, partner) : containsPartner(theirs, self);
}

void erasePartner(std::vector<TComponent *> &list, const TComponent *partner)
{
    const auto it = std::find(list.rbegin(), list.rend(), partner);
    if (it != list.rend())
        list.erase(std::next(it).base());
}

} // namespace

const TMetaClass &TComponent::StaticClass()
{
    static const TMetaClass meta = MakeClass<TComponent, TPersistent>("TComponent", [](TClassBuilder<TComponent> &c) {
        // The name travels in the component's header, not as a property.
        c.String("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
        c.Integer("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
    });
    return meta;
}

TComponent::TComponent(TComponent *owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    if (m_readerRefs > 0) {
        NotifyObjectDestroyed(this, true);
        m_readerRefs = 0;
    }
    Destroying();
    // From here on no partner can link itself to this component again: a
    // partner that does so from its Notification would be told once more
    // (for ever, if it always does), and a link made later would outlive it.
    m_freeing = true;
    // Each partner is taken off the list before it is told, so a partner
    // freed by another's Notification is never reached.
    while (!m_freeNotifies.empty()) {
        TComponent *partner = m_freeNotifies.back();
        m_freeNotifies.pop_back();
        erasePartner(partner->m_freeNotifies, this);
        partner->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (m_owner)
        m_owner->RemoveComponent(this);
    if (m_state & csRegisteredRoot)
        UnRegisterRootComponent(this);
}

void TComponent::SetName(const QString &newName)
{
    if (newName == m_name)
        return;
    if (!newName.isEmpty() && !IsValidIdent(newName))
        throw EComponentError("\"" + messageText(newName) + "\" is not a valid component name");
    if (m_owner && !newName.isEmpty()) {
        TComponent *other = m_owner->m_nameIndex.Find(newName);
        if (other && other != this)
            throw EComponentError("A component named " + messageText(newName) + " already exists");
    }
    if (m_owner && !m_name.isEmpty())
        m_owner->m_nameIndex.Erase(this);
    m_name = newName;
    if (m_owner && !m_name.isEmpty())
        m_owner->m_nameIndex.Add(this);
}

TPersistent *TComponent::GetOwner() const
{
    return m_owner;
}

TComponent *TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return m_components[size_t(index)];
}

int TComponent::ComponentIndex() const
{
    if (!m_owner)
        return -1;
    const auto &list = m_owner->m_components;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TComponent::insertOwned(TComponent *component)
{
    if (!component->m_name.isEmpty())
        m_nameIndex.Add(component);
    m_components.push_back(component);
    component->m_owner = this;
    if (m_state & csDesigning)
        component->SetDesigning(true);
}

void TComponent::removeOwned(TComponent *component)
{
    if (!component->m_name.isEmpty())
        m_nameIndex.Erase(component);
    // The last one goes first when all are freed, so look from the back.
    const auto it = std::find(m_components.rbegin(), m_components.rend(), component);
    if (it != m_components.rend())
        m_components.erase(std::next(it).base());
    component->m_owner = nullptr;
}

void TComponent::InsertComponent(TComponent *component)
{
    if (!component || component->m_owner == this)
        return;
    if (TComponent *other = FindComponent(component->m_name); other && other != component)
        throw EComponentError("A component named " + messageText(component->m_name) + " already exists");
    if (component->m_owner)
        component->m_owner->RemoveComponent(component);
    insertOwned(component);
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent *component)
{
    if (!component || component->m_owner != this)
        return;
    Notification(component, TOperation::opRemove);
    removeOwned(component);
}

TComponent *TComponent::FindComponent(QStringView name) const
{
    if (name.isEmpty())
        return nullptr;
    return m_nameIndex.Find(name);
}

void TComponent::DestroyComponents()
{
    while (!m_components.empty()) {
        TComponent *last = m_components.back();
        removeOwned(last);
        delete last;
    }
}

void TComponent::SetDesigning(bool designing, bool recursive)
{
    setState(csDesigning, designing);
    if (recursive)
        for (TComponent *c : m_components)
            c->SetDesigning(designing, true);
}

void TComponent::Destroying()
{
    if (m_state & csDestroying)
        return;
    m_state |= csDestroying;
    for (TComponent *c : m_components)
        c->Destroying();
}

void TComponent::setState(TComponentState flags, bool on)
{
    m_state = on ? (m_state | flags) : (m_state & ~flags);
}

void TComponent::Loaded()
{
    setState(csLoading, false);
}

void TComponent::ReadState(TReader &reader)
{
    reader.ReadData(this);
}

void TComponent::WriteState(TWriter &writer)
{
    writer.WriteData(this);
}

void TComponent::GetChildren(const TGetChildProc &proc, TComponent *root)
{
    if (root != this)
        return;
    for (size_t i = 0; i < m_components.size(); ++i)
        if (!m_components[i]->HasParent())
            proc(m_components[i]);
}

TComponent *TComponent::GetChildOwner()
{
    return nullptr;
}

TComponent *TComponent::GetChildParent()
{
    return this;
}

void TComponent::SetChildOrder(TComponent *, int) {}

void TComponent::SetParentComponent(TComponent *) {}

void TComponent::DefineProperties(TFiler &filer)
{
    filer.DefineProperty(
        QStringLiteral("Left"), [this](TReader &r) { SetDesignPosition(int16_t(r.ReadInteger()), DesignTop()); },
        [this](TWriter &w) { w.WriteInteger(DesignLeft()); }, DesignLeft() != 0);
    filer.DefineProperty(
        QStringLiteral("Top"), [this](TReader &r) { SetDesignPosition(DesignLeft(), int16_t(r.ReadInteger())); },
        [this](TWriter &w) { w.WriteInteger(DesignTop()); }, DesignTop() != 0);
}

void TComponent::SetDesignPosition(int16_t left, int16_t top)
{
    m_designInfo = int32_t(uint32_t(uint16_t(left)) | (uint32_t(uint16_t(top)) << 16));
}

void TComponent::FreeNotification(TComponent *component)
{
    if (!component || component == this || m_freeing || component->m_freeing)
        return;
    auto &theirs = component->m_freeNotifies;
    if (!linked(m_freeNotifies, this, theirs, component)) {
        // Most components have a few partners: one allocation, not three.
        if (m_freeNotifies.capacity() == 0)
            m_freeNotifies.reserve(4);
        if (theirs.capacity() == 0)
            theirs.reserve(4);
        m_freeNotifies.push_back(component);
        theirs.push_back(this);
    }
    m_state |= csFreeNotification;
    component->m_state |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent *component)
{
    if (!component || !linked(m_freeNotifies, this, component->m_freeNotifies, component))
        return;
    erasePartner(m_freeNotifies, component);
    erasePartner(component->m_freeNotifies, this);
}

void TComponent::Notification(TComponent *component, TOperation operation)
{
    if (operation == TOperation::opRemove)
        RemoveFreeNotification(component);
}

void TComponent::RemoveMethod(const QString &name)
{
    m_methods.remove(name.toLower());
}

const std::any *TComponent::MethodAddress(QStringView name) const
{
    const auto it = m_methods.constFind(name.toString().toLower());
    return it == m_methods.constEnd() ? nullptr : &it.value();
}

void RegisterRootComponent(TComponent *root)
{
    RootList &l = rootList();
    std::lock_guard lock(l.mutex);
    if (std::find(l.roots.begin(), l.roots.end(), root) == l.roots.end())
        l.roots.push_back(root);
    root->m_state |= csRegisteredRoot;
}

void UnRegisterRootComponent(TComponent *root)
{
    RootList &l = rootList();
    std::lock_guard lock(l.mutex);
    l.roots.erase(std::remove(l.roots.begin(), l.roots.end(), root), l.roots.end());
    root->m_state &= ~TComponentState(csRegisteredRoot);
}

TComponent *FindGlobalComponent(QStringView name)
{
    RootList &l = rootList();
    std::lock_guard lock(l.mutex);
    for (TComponent *root : l.roots)
        if (SameName(root->Name(), name))
            return root;
    return nullptr;
}

std::vector<TComponent *> RegisteredRootComponents()
{
    RootList &l = rootList();
    std::lock_guard lock(l.mutex);
    return l.roots;
}

void TNameSpaceLock::BeginWrite()
{
    m_mutex.lock();
}

void TNameSpaceLock::EndWrite()
{
    m_mutex.unlock();
}

TNameSpaceLock &GlobalNameSpace()
{
    static TNameSpaceLock lock;
    return lock;
}

} // namespace classes
