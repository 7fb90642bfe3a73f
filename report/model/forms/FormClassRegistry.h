#pragma once

// The form-class registry: for each abstract dialog (by its class name), the
// concrete form class that stands for it. A unit that supplies a form
// registers it at start-up and removes it at shut-down, so an application
// replaces any dialog of the library by registering its own class. Form
// classes are registered with the class registry as long as they are listed.

#include "report/model/forms/CustomForm.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace classes {
class TMetaClass;
} // namespace classes

namespace report {

using TppFormClassEntry = std::pair<QString, const classes::TMetaClass *>;

// The entries in registration order (empty before the first registration).
std::vector<TppFormClassEntry> ppFormClassList();
// Replaces the form registered for aAncestorClass (whose class then leaves
// the class registry) and registers aFormClass with the class registry.
void ppRegisterFormClass(const classes::TMetaClass &aAncestorClass, const classes::TMetaClass &aFormClass);
// Nothing happens when nothing is registered for aAncestorClass.
void ppUnRegisterFormClass(const classes::TMetaClass &aAncestorClass);
// The form class registered for aAncestorClass, or nullptr: the dialog is
// then skipped.
const classes::TMetaClass *ppGetFormClass(const classes::TMetaClass &aAncestorClass);
// The model layer's release: the list goes, its classes leave the class
// registry.
void ppFreeFormClassList();

// A new form of the class registered for Base, without owner, or nullptr
// when none is registered (or the class registered is no Base).
TppCustomForm *ppCreateFormOf(const classes::TMetaClass &aAncestorClass);
// Releases a form when its holder goes.
struct TppFormRelease
{
    void operator()(TppCustomForm *aForm) const
    {
        if (aForm)
            aForm->Release();
    }
};
template <class Base>
using TppFormHandle = std::unique_ptr<Base, TppFormRelease>;

template <class Base>
Base *ppCreateForm()
{
    TppCustomForm *form = ppCreateFormOf(Base::StaticClass());
    if (!form)
        return nullptr;
    if (auto *typed = dynamic_cast<Base *>(form))
        return typed;
    delete form;
    return nullptr;
}

} // namespace report
