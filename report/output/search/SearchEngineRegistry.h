#pragma once

// The search engines on offer, by name. A name registered twice is served
// by the class registered last, so an application can put its own engine
// in place of a library one.

#include "report/output/search/CustomSearchEngine.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace report {

// A search-engine class: the name it is offered under and its constructor.
class TppSearchEngineClass
{
public:
    using Factory = std::function<std::unique_ptr<TppCustomSearchEngine>(classes::TComponent *aOwner)>;
    TppSearchEngineClass(QString aClassName, std::function<QString()> aEngineName, Factory aFactory);

    const QString &ClassName() const { return m_className; }
    QString EngineName() const { return m_engineName(); }
    std::unique_ptr<TppCustomSearchEngine> Create(classes::TComponent *aOwner) const { return m_factory(aOwner); }

private:
    QString m_className;
    std::function<QString()> m_engineName;
    Factory m_factory;
};

// The one description of engine class T (T::ClassName(), T::EngineName()).
template <class T>
const TppSearchEngineClass &ppSearchEngineClass()
{
    static const TppSearchEngineClass engineClass(
        T::ClassName(), [] { return T::EngineName(); },
        [](classes::TComponent *aOwner) { return std::unique_ptr<TppCustomSearchEngine>(new T(aOwner)); });
    return engineClass;
}

class TppSearchEngineRegistry
{
public:
    // A class already listed stays where it is; nullptr raises ESearchError.
    static void Register(const TppSearchEngineClass *aClass);
    static void UnRegister(const TppSearchEngineClass *aClass);
    // The last class registered under aName (compared with case), or nullptr.
    static const TppSearchEngineClass *GetEngineClass(const QString &aName);
    static std::vector<const TppSearchEngineClass *> EngineClasses();
};

} // namespace report
