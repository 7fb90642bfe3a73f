#pragma once

// TComponent: named, owned objects that stream themselves. No QObject here:
// the class library's ownership, names and notifications differ from Qt's,
// and the grid control that derives from a component is a widget as well.

#include "platform/classes/NameTable.h"
#include "platform/classes/Persistent.h"

#include <QHash>

#include <any>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace classes {

class TReader;
class TWriter;
class TComponent;

enum TComponentStateFlag : uint32_t {
    csLoading = 0x1,
    csReading = 0x2,
    csWriting = 0x4,
    csDestroying = 0x8,
    csDesigning = 0x10,
    csFreeNotification = 0x20,
    csRegisteredRoot = 0x40,
};
using TComponentState = uint32_t;

enum class TOperation { opInsert, opRemove };

using TGetChildProc = std::function<void(TComponent *)>;

class TComponent : public TPersistent
{
    ZVO_CLASS(TComponent)
public:
    explicit TComponent(TComponent *owner);
    // Tells the free-notification partners, frees the owned components last
    // first, then leaves the owner. By then the derived parts are gone and
    // only TComponent's own overrides answer: a class whose owned components
    // or partners call into it while they go marks itself and frees them in
    // its own destructor first (Destroying(), then DestroyComponents()).
    ~TComponent() override;

    const QString &Name() const { return m_name; }
    // Checks the name (a valid identifier or empty, unique within the owner
    // without regard to case) and raises EComponentError otherwise.
    virtual void SetName(const QString &newName);
    int32_t Tag() const { return m_tag; }
    void SetTag(int32_t tag) { m_tag = tag; }

    TComponent *Owner() const { return m_owner; }
    TPersistent *GetOwner() const override;
    QString GetNamePath() const override { return m_name; }
    int ComponentCount() const { return int(m_components.size()); }
    TComponent *Components(int index) const;
    int ComponentIndex() const;
    void InsertComponent(TComponent *component);
    void RemoveComponent(TComponent *component);
    // The owned component of that name (without regard to case), or nullptr.
    TComponent *FindComponent(QStringView name) const;
    void DestroyComponents();

    TComponentState ComponentState() const { return m_state; }
    bool HasState(TComponentState flags) const { return (m_state & flags) != 0; }
    // Marks this component and, recursively, its owned ones as designed.
    void SetDesigning(bool designing, bool recursive = true);
    // Marks this component and its owned ones as being destroyed. A class
    // that must refuse work while its descendants go calls it first.
    void Destroying();

    // Streaming.
    virtual void Loaded();
    virtual void ReadState(TReader &reader);
    virtual void WriteState(TWriter &writer);
    // Passes the components streamed as children; as the streaming root,
    // passes the owned components that have no parent component.
    virtual void GetChildren(const TGetChildProc &proc, TComponent *root);
    virtual TComponent *GetChildOwner();
    virtual TComponent *GetChildParent();
    virtual void SetChildOrder(TComponent *child, int order);
    virtual bool HasParent() const { return false; }
    virtual TComponent *GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent *parent);
    void DefineProperties(TFiler &filer) override;

    // Free notification works both ways: each of the two is told by
    // Notification(other, opRemove) when the other is destroyed. A component
    // whose destructor has begun takes no new partners.
    void FreeNotification(TComponent *component);
    void RemoveFreeNotification(TComponent *component);
    virtual void Notification(TComponent *component, TOperation operation);

    // The position of a non-visual component in a designer ("Left"/"Top").
    int32_t DesignInfo() const { return m_designInfo; }
    void SetDesignInfo(int32_t info) { m_designInfo = info; }
    int16_t DesignLeft() const { return int16_t(uint32_t(m_designInfo) & 0xFFFF); }
    int16_t DesignTop() const { return int16_t(uint32_t(m_designInfo) >> 16); }
    void SetDesignPosition(int16_t left, int16_t top);

    // The method table: event handlers by name, found when a stream names them.
    template <class Sig>
    void DefineMethod(const QString &name, std::function<Sig> code)
    {
        m_methods.insert(name.toLower(), std::any(std::move(code)));
    }
    void RemoveMethod(const QString &name);
    // The callable stored under a handler name, or nullptr.
    const std::any *MethodAddress(QStringView name) const;

private:
    friend class TReader;
    friend class TWriter;
    friend void RegisterRootComponent(TComponent *root);
    friend void UnRegisterRootComponent(TComponent *root);
    void setState(TComponentState flags, bool on);
    void insertOwned(TComponent *component);
    void removeOwned(TComponent *component);

    QString m_name;
    int32_t m_tag = 0;
    TComponent *m_owner = nullptr;
    std::vector<TComponent *> m_components;
    static QStringView nameKey(const TComponent *component) { return component->m_name; }
    TNameTable<TComponent, QStringView, &TComponent::nameKey> m_nameIndex; // the named owned components
    int m_readerRefs = 0; // entries of readers' lists that point at this component
    std::vector<TComponent *> m_freeNotifies;
    TComponentState m_state = 0;
    bool m_freeing = false; // the destructor of TComponent has begun
    int32_t m_designInfo = 0;
    QHash<QString, std::any> m_methods;
};

// The roots that references of the form "Root.Name" may reach, besides the
// root being read (a registered root unregisters itself when destroyed).
void RegisterRootComponent(TComponent *root);
void UnRegisterRootComponent(TComponent *root);
TComponent *FindGlobalComponent(QStringView name);
// The registered roots in registration order.
std::vector<TComponent *> RegisteredRootComponents();

// The process-wide lock around reading components into the name space.
// Re-entrant on one thread, so a caller may hold it around a read that takes
// it again.
class TNameSpaceLock
{
public:
    void BeginWrite();
    void EndWrite();

private:
    std::recursive_mutex m_mutex;
};

TNameSpaceLock &GlobalNameSpace();

class TNameSpaceWriteGuard
{
public:
    TNameSpaceWriteGuard() { GlobalNameSpace().BeginWrite(); }
    ~TNameSpaceWriteGuard() { GlobalNameSpace().EndWrite(); }
    TNameSpaceWriteGuard(const TNameSpaceWriteGuard &) = delete;
    TNameSpaceWriteGuard &operator=(const TNameSpaceWriteGuard &) = delete;
};

} // namespace classes
