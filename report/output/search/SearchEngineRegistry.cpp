#include "report/output/search/SearchEngineRegistry.h"

#include "report/model/production/SearchErrors.h"
#include "report/output/search/CustomSearchEngine.h"

#include <algorithm>

namespace report {

namespace {

std::vector<const TppSearchEngineClass *> &searchEngineClasses()
{
    static std::vector<const TppSearchEngineClass *> list;
    return list;
}

} // namespace

TppSearchEngineClass::TppSearchEngineClass(QString aClassName, std::function<QString()> aEngineName, Factory aFactory)
    : m_className(std::move(aClassName))
    , m_engineName(std::move(aEngineName))
    , m_factory(std::move(aFactory))
{}

void TppSearchEngineRegistry::Register(const TppSearchEngineClass *aClass)
{
    if (!aClass)
        throw ESearchError(QStringLiteral("TppSearchEngineRegistry.Register: Cannot register a nil class"));
    auto &list = searchEngineClasses();
    if (std::find(list.begin(), list.end(), aClass) == list.end())
        list.push_back(aClass);
}

void TppSearchEngineRegistry::UnRegister(const TppSearchEngineClass *aClass)
{
    if (!aClass)
        throw ESearchError(QStringLiteral("TppSearchEngineRegistry.UnRegister: Cannot unregister a nil class"));
    auto &list = searchEngineClasses();
    list.erase(std::remove(list.begin(), list.end(), aClass), list.end());
}

const TppSearchEngineClass *TppSearchEngineRegistry::GetEngineClass(const QString &aName)
{
    const auto &list = searchEngineClasses();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if ((*it)->EngineName() == aName)
            return *it;
    return nullptr;
}

std::vector<const TppSearchEngineClass *> TppSearchEngineRegistry::EngineClasses()
{
    return searchEngineClasses();
}

} // namespace report
