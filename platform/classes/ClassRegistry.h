#pragma once

// The class registry (the classes a stream may name) and a registry of
// values by name for the other registries that build on it (devices, dialog
// forms, descriptors). Names are compared without regard to ASCII case.

#include "platform/classes/MetaClass.h"

#include <initializer_list>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace classes {

// Registering the same class again does nothing; another class under a name
// that is taken raises EFilerError.
void RegisterClass(const TMetaClass &meta);
void RegisterClasses(std::initializer_list<const TMetaClass *> metas);
// Removes the class when it is the one registered under its name.
void UnRegisterClass(const TMetaClass &meta);
void UnRegisterClasses(std::initializer_list<const TMetaClass *> metas);
// nullptr when no class of that name is registered.
const TMetaClass *GetClass(QStringView name);
const TMetaClass *GetClass(std::string_view name);
// EClassNotFound when no class of that name is registered.
const TMetaClass &FindClass(QStringView name);
// Every class registered now, by name.
std::vector<const TMetaClass *> RegisteredClasses();

// Values by name, in registration order, safe to use from several threads.
template <class Value>
class TNameRegistry
{
public:
    // False (and nothing changes) when the name is taken.
    bool Add(const QString &name, Value value)
    {
        std::lock_guard lock(m_mutex);
        if (indexOf(name) >= 0)
            return false;
        m_entries.push_back({name, std::move(value)});
        return true;
    }
    // Adds or replaces; answers the value replaced, if any.
    std::optional<Value> Replace(const QString &name, Value value)
    {
        std::lock_guard lock(m_mutex);
        const int i = indexOf(name);
        if (i < 0) {
            m_entries.push_back({name, std::move(value)});
            return std::nullopt;
        }
        std::optional<Value> old(std::move(m_entries[size_t(i)].value));
        m_entries[size_t(i)].value = std::move(value);
        return old;
    }
    std::optional<Value> Remove(QStringView name)
    {
        std::lock_guard lock(m_mutex);
        const int i = indexOf(name);
        if (i < 0)
            return std::nullopt;
        std::optional<Value> old(std::move(m_entries[size_t(i)].value));
        m_entries.erase(m_entries.begin() + i);
        return old;
    }
    std::optional<Value> Find(QStringView name) const
    {
        std::lock_guard lock(m_mutex);
        const int i = indexOf(name);
        if (i < 0)
            return std::nullopt;
        return m_entries[size_t(i)].value;
    }
    // The names in registration order.
    std::vector<QString> Names() const
    {
        std::lock_guard lock(m_mutex);
        std::vector<QString> names;
        for (const Entry &e : m_entries)
            names.push_back(e.name);
        return names;
    }
    int Count() const
    {
        std::lock_guard lock(m_mutex);
        return int(m_entries.size());
    }

private:
    struct Entry
    {
        QString name;
        Value value;
    };
    int indexOf(QStringView name) const
    {
        for (size_t i = 0; i < m_entries.size(); ++i)
            if (SameName(m_entries[i].name, name))
                return int(i);
        return -1;
    }

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

} // namespace classes
