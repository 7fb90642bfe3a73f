#include "report/model/components/ComponentRegistry.h"

#include "report/model/base/Exceptions.h"
#include "report/model/objects/RegList.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/MetaClass.h"

#include "platform/rtl/Exceptions.h"

#include <memory>

namespace report {

namespace {

using RegisterHook = void (*)(const classes::TMetaClass &, const QString &, int32_t, int32_t, const QString &, int32_t);
using UnRegisterHook = void (*)(const classes::TMetaClass &);

RegisterHook g_registerHook = nullptr;
UnRegisterHook g_unRegisterHook = nullptr;
// The list owns its records: a program that registers and never finalises
// (a test, an early exit) still frees them with the list.
struct ComponentListDeleter {
    void operator()(TppRegList *aList) const
    {
        for (int i = 0; i < aList->Count(); ++i)
            delete static_cast<TppRegComponent *>(aList->Objects(i));
        delete aList;
    }
};
std::unique_ptr<TppRegList, ComponentListDeleter> g_componentList;

constexpr TppPaletteEntry PaletteRows[] = {
    {"Standard Components", 0, "TppLabel", 172},     {"Standard Components", 1, "TppMemo", 175},
    {"Standard Components", 2, "TppRichText", 351},  {"Standard Components", 3, "TppSystemVariable", 491},
    {"Standard Components", 4, "TppVariable", 492},  {"Standard Components", 5, "TppImage", 170},
    {"Standard Components", 6, "TppShape", 178},     {"Standard Components", 7, "TppLine", 174},
    {"Standard Components", 8, "TppBarCode", 460},   {"Data Components", 0, "TppDBText", 167},
    {"Data Components", 1, "TppDBMemo", 166},        {"Data Components", 2, "TppDBRichText", 352},
    {"Data Components", 3, "TppDBCalc", 164},        {"Data Components", 4, "TppDBImage", 165},
    {"Data Components", 5, "TppDBBarCode", 461},     {"Advanced Components", 0, "TppRegion", 368},
    {"Advanced Components", 1, "TppSubReport", 369},
};

// Frees the record of entry aIndex and deletes the entry.
void componentRegistryDrop(int aIndex)
{
    delete static_cast<TppRegComponent *>(g_componentList->Objects(aIndex));
    g_componentList->Delete(aIndex);
}

void componentRegistryRegister(const classes::TMetaClass &aClass, const QString &aPage, int32_t aIndex, int32_t aTextID,
                               const QString &aString, int32_t aInteger)
{
    if (!g_componentList)
        g_componentList.reset(new TppRegList);
    const int index = g_componentList->IndexOf(aClass.ClassName());
    if (index >= 0) {
        const classes::TMetaClass *old =
            static_cast<TppRegComponent *>(g_componentList->Objects(index))->ComponentClass;
        componentRegistryDrop(index);
        classes::UnRegisterClass(*old);
    }
    auto record = std::make_unique<TppRegComponent>(aTextID, aClass, aIndex, aPage, aString, aInteger);
    classes::RegisterClass(aClass);
    g_componentList->AddObject(aClass.ClassName(), record.release());
}

void componentRegistryUnRegister(const classes::TMetaClass &aClass)
{
    if (!g_componentList)
        return;
    classes::UnRegisterClass(aClass);
    const int index = g_componentList->IndexOf(aClass.ClassName());
    if (index >= 0)
        componentRegistryDrop(index);
}

} // namespace

void ppRegisterComponent(const classes::TMetaClass &aClass, const QString &aPage, int32_t aIndex, int32_t aTextID,
                         const QString &aString, int32_t aInteger)
{
    if (!g_registerHook)
        throw rtl::Exception("Unable to register component classes.");
    g_registerHook(aClass, aPage, aIndex, aTextID, aString, aInteger);
}

void ppUnRegisterComponent(const classes::TMetaClass &aClass)
{
    if (!g_unRegisterHook)
        throw rtl::Exception("Unable to unregister component classes.");
    g_unRegisterHook(aClass);
}

void ppComponentRegistryInit()
{
    g_registerHook = &componentRegistryRegister;
    g_unRegisterHook = &componentRegistryUnRegister;
}

void ppComponentRegistryFinalize()
{
    g_registerHook = nullptr;
    g_unRegisterHook = nullptr;
    if (!g_componentList)
        return;
    while (g_componentList->Count() > 0)
        componentRegistryDrop(g_componentList->Count() - 1);
    g_componentList.reset();
}

const TppRegList *ppComponentList()
{
    return g_componentList.get();
}

const TppRegComponent *ppFindRegComponent(const QString &aClassName)
{
    if (!g_componentList)
        return nullptr;
    const int index = g_componentList->IndexOf(aClassName);
    return index < 0 ? nullptr : static_cast<const TppRegComponent *>(g_componentList->Objects(index));
}

std::span<const TppPaletteEntry> ppPaletteTable()
{
    return PaletteRows;
}

void ppRegisterPaletteComponent(const classes::TMetaClass &aClass)
{
    for (const TppPaletteEntry &row : PaletteRows)
        if (classes::SameName(aClass.ClassName(), QString::fromLatin1(row.className))) {
            ppRegisterComponent(aClass, QString::fromLatin1(row.page), row.index, row.textID);
            return;
        }
    throw EBrevantorError(QStringLiteral("%1 has no place on the component palette.").arg(aClass.ClassName()));
}

} // namespace report
