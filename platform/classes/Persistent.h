#pragma once

// The root classes of the class library: TObject (class reference and name)
// and TPersistent (assignment and the stream entries a class defines itself).

#include "platform/classes/MetaClass.h"

namespace classes {

class TFiler;

class TObject
{
public:
    TObject() = default;
    TObject(const TObject &) = delete;
    TObject &operator=(const TObject &) = delete;
    virtual ~TObject();

    static const TMetaClass &StaticClass();
    virtual const TMetaClass &ClassType() const { return StaticClass(); }
    const QString &ClassName() const { return ClassType().ClassName(); }
    bool InheritsFrom(const TMetaClass &meta) const { return ClassType().InheritsFrom(meta); }
};

class TPersistent : public TObject
{
    ZVO_CLASS(TPersistent)
public:
    TPersistent() = default;
    ~TPersistent() override;

    // Copies from source through source->AssignTo(this); raises
    // EConvertError when neither side knows the other.
    virtual void Assign(const TPersistent *source);
    // The object this one belongs to, for name paths (a collection's owner).
    virtual TPersistent *GetOwner() const { return nullptr; }
    virtual QString GetNamePath() const;

    // Stream entries beyond the published properties (TFiler::DefineProperty).
    virtual void DefineProperties(TFiler &filer);

protected:
    virtual void AssignTo(TPersistent *dest) const;
    [[noreturn]] void AssignError(const TPersistent *source) const;
};

// Told when any persistent object is destroyed on the thread that registered
// it; readers use it to forget objects that vanish while a stream is read.
// held is true when the object itself knows that a listener holds it.
class TDestroyListener
{
public:
    virtual void ObjectDestroyed(const TPersistent *object, bool held) = 0;

protected:
    ~TDestroyListener() = default;

private:
    friend void AddDestroyListener(TDestroyListener *listener);
    friend void RemoveDestroyListener(TDestroyListener *listener);
    friend void NotifyObjectDestroyed(const TPersistent *object, bool held);
    TDestroyListener *m_nextListener = nullptr;
};

void AddDestroyListener(TDestroyListener *listener);
void RemoveDestroyListener(TDestroyListener *listener);
void NotifyObjectDestroyed(const TPersistent *object, bool held);

} // namespace classes
