#include "report/model/objects/EnumRegistry.h"

#include "report/model/base/Types.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/EnumTypes.h"

#include <memory>
#include <utility>
#include <vector>

namespace report {

namespace {

using Registry = classes::TNameRegistry<const classes::TEnumInfo *>;

std::unique_ptr<Registry> g_registry;

Registry &registry()
{
    if (!g_registry)
        g_registry = std::make_unique<Registry>();
    return *g_registry;
}

// The class library's own enumerations among them keep their library meaning.
std::vector<std::pair<QString, const classes::TEnumInfo *>> libraryEnumTypes()
{
    return {
        {QStringLiteral("Boolean"), &classes::BooleanInfo()},
        {QStringLiteral("TBrushStyle"), &classes::BrushStyleInfo()},
        {QStringLiteral("TPenStyle"), &classes::PenStyleInfo()},
        {QStringLiteral("TAlignment"), &classes::AlignmentInfo()},
        {QStringLiteral("TppBarCodeType"), &EnumInfo<TppBarCodeType>()},
        {QStringLiteral("TppBarCodeOrientation"), &EnumInfo<TppBarCodeOrientation>()},
        {QStringLiteral("TppBreakType"), &EnumInfo<TppBreakType>()},
        {QStringLiteral("TppCalcType"), &EnumInfo<TppCalcType>()},
        {QStringLiteral("TppDataType"), &EnumInfo<TppDataType>()},
        {QStringLiteral("TppDBCalcType"), &EnumInfo<TppDBCalcType>()},
        {QStringLiteral("TppDuplexType"), &EnumInfo<TppDuplexType>()},
        {QStringLiteral("TppFileType"), &EnumInfo<TppFileType>()},
        {QStringLiteral("TppFormatType"), &EnumInfo<TppFormatType>()},
        {QStringLiteral("TppLanguageType"), &EnumInfo<TppLanguageType>()},
        {QStringLiteral("TppLinePositionType"), &EnumInfo<TppLinePositionType>()},
        {QStringLiteral("TppLineStyleType"), &EnumInfo<TppLineStyleType>()},
        {QStringLiteral("TppPassSettingType"), &EnumInfo<TppPassSettingType>()},
        {QStringLiteral("TppPrintBehaviorType"), &EnumInfo<TppPrintBehaviorType>()},
        {QStringLiteral("TppPrintHeightType"), &EnumInfo<TppPrintHeightType>()},
        {QStringLiteral("TppRangeBeginType"), &EnumInfo<TppRangeBeginType>()},
        {QStringLiteral("TppRangeEndType"), &EnumInfo<TppRangeEndType>()},
        {QStringLiteral("TppSaveToType"), &EnumInfo<TppSaveToType>()},
        {QStringLiteral("TppSearchOperatorType"), &EnumInfo<TppSearchOperatorType>()},
        {QStringLiteral("TShapeType"), &classes::ShapeTypeInfo()},
        {QStringLiteral("TppSortOrderType"), &EnumInfo<TppSortOrderType>()},
        {QStringLiteral("TppUnitType"), &EnumInfo<TppUnitType>()},
        {QStringLiteral("TppVarEventType"), &EnumInfo<TppVarEventType>()},
        {QStringLiteral("TppVarType"), &EnumInfo<TppVarType>()},
        {QStringLiteral("TPrinterOrientation"), &classes::PrinterOrientationInfo()},
    };
}

} // namespace

void ppRegisterEnumType(const QString &aName, const classes::TEnumInfo *aTypeInfo)
{
    registry().Replace(aName, aTypeInfo);
}

void ppUnRegisterEnumType(const QString &aName)
{
    if (g_registry)
        g_registry->Remove(aName);
}

const classes::TEnumInfo *ppFindEnumType(const QString &aName)
{
    if (!g_registry)
        return nullptr;
    return g_registry->Find(aName).value_or(nullptr);
}

QStringList ppEnumTypeNames()
{
    QStringList names;
    if (g_registry)
        for (const QString &name : g_registry->Names())
            names << name;
    return names;
}

void ppFreeEnumRegistry()
{
    g_registry.reset();
}

void ppRegisterLibraryEnumTypes()
{
    for (const auto &[name, info] : libraryEnumTypes())
        ppRegisterEnumType(name, info);
}

void ppUnRegisterLibraryEnumTypes()
{
    for (const auto &entry : libraryEnumTypes())
        ppUnRegisterEnumType(entry.first);
}

} // namespace report
