#pragma once

// A list of names with an object each (the registries of the library) that
// tells its listeners after every entry added or deleted.

#include "platform/classes/StringList.h"

#include <functional>
#include <vector>

namespace report {

class TppRegList
{
public:
    using Listener = std::function<void(TppRegList *)>;

    TppRegList();
    TppRegList(const TppRegList &) = delete;
    TppRegList &operator=(const TppRegList &) = delete;

    int Count() const { return m_list.Count(); }
    QString Strings(int index) const { return m_list.Get(index); }
    classes::TObject *Objects(int index) const { return m_list.GetObject(index); }
    // Without regard to case; -1 when absent.
    int IndexOf(const QString &name) const { return m_list.IndexOf(name); }

    int AddObject(const QString &name, classes::TObject *object);
    void InsertObject(int index, const QString &name, classes::TObject *object);
    void Delete(int index);
    void Clear();

    // A listener is known by its owner; adding one for an owner that has
    // one replaces it.
    void AddEventNotify(const void *owner, Listener listener);
    void RemoveEventNotify(const void *owner);

private:
    void changed();

    classes::TStringList m_list;
    std::vector<std::pair<const void *, Listener>> m_listeners;
};

} // namespace report
