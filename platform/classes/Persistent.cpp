#include "platform/classes/Persistent.h"

#include "platform/classes/ClassBuilder.h"

namespace classes {

namespace {

// Listeners are per thread: a reader only cares about the objects destroyed
// by the code it runs. A plain pointer, so that objects destroyed after the
// thread's own variables still find it in order.
thread_local TDestroyListener *t_listeners = nullptr;

} // namespace

TObject::~TObject() = default;

const TMetaClass &TObject::StaticClass()
{
    static const TMetaClass meta(QStringLiteral("TObject"), nullptr);
    return meta;
}

const TMetaClass &TPersistent::StaticClass()
{
    static const TMetaClass meta = MakeClass<TPersistent, TObject>("TPersistent");
    return meta;
}

TPersistent::~TPersistent()
{
    if (t_listeners)
        NotifyObjectDestroyed(this, false);
}

void NotifyObjectDestroyed(const TPersistent *object, bool held)
{
    for (TDestroyListener *l = t_listeners; l; l = l->m_nextListener)
        l->ObjectDestroyed(object, held);
}

void TPersistent::Assign(const TPersistent *source)
{
    if (source)
        source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent *dest) const
{
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent *source) const
{
    const std::string from = source ? messageText(source->ClassName()) : std::string("nil");
    throw EConvertError("Cannot assign a " + from + " to a " + messageText(ClassName()));
}

QString TPersistent::GetNamePath() const
{
    return ClassName();
}

void TPersistent::DefineProperties(TFiler &) {}

void AddDestroyListener(TDestroyListener *listener)
{
    listener->m_nextListener = t_listeners;
    t_listeners = listener;
}

void RemoveDestroyListener(TDestroyListener *listener)
{
    for (TDestroyListener **l = &t_listeners; *l; l = &(*l)->m_nextListener)
        if (*l == listener) {
            *l = listener->m_nextListener;
            listener->m_nextListener = nullptr;
            return;
        }
}

} // namespace classes
