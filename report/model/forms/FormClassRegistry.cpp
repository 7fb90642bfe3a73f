#include "report/model/forms/FormClassRegistry.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/MetaClass.h"

#include <memory>

namespace report {

namespace {

std::unique_ptr<std::vector<TppFormClassEntry>> g_formClasses;

std::vector<TppFormClassEntry>::iterator formClassFind(const QString &aName)
{
    for (auto it = g_formClasses->begin(); it != g_formClasses->end(); ++it)
        if (classes::SameName(it->first, aName))
            return it;
    return g_formClasses->end();
}

} // namespace

std::vector<TppFormClassEntry> ppFormClassList()
{
    return g_formClasses ? *g_formClasses : std::vector<TppFormClassEntry>();
}

void ppRegisterFormClass(const classes::TMetaClass &aAncestorClass, const classes::TMetaClass &aFormClass)
{
    ppUnRegisterFormClass(aAncestorClass);
    classes::RegisterClass(aFormClass);
    if (!g_formClasses)
        g_formClasses = std::make_unique<std::vector<TppFormClassEntry>>();
    g_formClasses->emplace_back(aAncestorClass.ClassName(), &aFormClass);
}

void ppUnRegisterFormClass(const classes::TMetaClass &aAncestorClass)
{
    if (!g_formClasses)
        return;
    const auto it = formClassFind(aAncestorClass.ClassName());
    if (it == g_formClasses->end())
        return;
    classes::UnRegisterClass(*it->second);
    g_formClasses->erase(it);
}

const classes::TMetaClass *ppGetFormClass(const classes::TMetaClass &aAncestorClass)
{
    if (!g_formClasses)
        return nullptr;
    const auto it = formClassFind(aAncestorClass.ClassName());
    return it == g_formClasses->end() ? nullptr : it->second;
}

void ppFreeFormClassList()
{
    if (!g_formClasses)
        return;
    for (const TppFormClassEntry &entry : *g_formClasses)
        classes::UnRegisterClass(*entry.second);
    g_formClasses.reset();
}

TppCustomForm *ppCreateFormOf(const classes::TMetaClass &aAncestorClass)
{
    const classes::TMetaClass *formClass = ppGetFormClass(aAncestorClass);
    if (!formClass || formClass->IsAbstract())
        return nullptr;
    classes::TComponent *component = formClass->NewComponent(nullptr);
    if (auto *form = dynamic_cast<TppCustomForm *>(component))
        return form;
    delete component;
    return nullptr;
}

} // namespace report
