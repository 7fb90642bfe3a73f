#include "platform/classes/Persistent.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>
#include <vector>

namespace classes {

namespace {

// Listeners are per thread: a reader only cares about the objects destroyed
// by the code it runs.
thread_local std::vector<TDestroyListener *> t_listeners;

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
    if (!t_listeners.empty())
        NotifyObjectDestroyed(this, false);
}

void NotifyObjectDestroyed(const TPersistent *object, bool held)
{
    for (size_t i = 0; i < t_listeners.size(); ++i)
        t_listeners[i]->ObjectDestroyed(object, held);
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
    t_listeners.push_back(listener);
}

void RemoveDestroyListener(TDestroyListener *listener)
{
    const auto it = std::find(t_listeners.rbegin(), t_listeners.rend(), listener);
    if (it != t_listeners.rend())
        t_listeners.erase(std::next(it).base());
}

} // namespace classes
