#include "report/model/objects/RegList.h"

namespace report {

TppRegList::TppRegList() = default;

int TppRegList::AddObject(const QString &name, classes::TObject *object)
{
    const int index = m_list.AddObject(name, object);
    changed();
    return index;
}

void TppRegList::InsertObject(int index, const QString &name, classes::TObject *object)
{
    m_list.InsertObject(index, name, object);
    changed();
}

void TppRegList::Delete(int index)
{
    m_list.Delete(index);
    changed();
}

void TppRegList::Clear()
{
    if (m_list.Count() == 0)
        return;
    m_list.Clear();
    changed();
}

void TppRegList::AddEventNotify(const void *owner, Listener listener)
{
    for (auto &entry : m_listeners)
        if (entry.first == owner) {
            entry.second = std::move(listener);
            return;
        }
    m_listeners.emplace_back(owner, std::move(listener));
}

void TppRegList::RemoveEventNotify(const void *owner)
{
    for (auto it = m_listeners.begin(); it != m_listeners.end(); ++it)
        if (it->first == owner) {
            m_listeners.erase(it);
            return;
        }
}

void TppRegList::changed()
{
    // A listener may remove itself or another one while it is told: each
    // owner is looked up again before its turn.
    std::vector<const void *> owners;
    for (const auto &entry : m_listeners)
        owners.push_back(entry.first);
    for (const void *owner : owners) {
        Listener listener;
        for (const auto &entry : m_listeners)
            if (entry.first == owner)
                listener = entry.second;
        if (listener)
            listener(this);
    }
}

} // namespace report
