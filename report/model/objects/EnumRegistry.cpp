#include "report/model/objects/EnumRegistry.h"

#include "report/model/base/Types.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/EnumTypes.h"

#include <memory>
#include <utility>
#include <vector>

namespace report {

namespace {

using EnumNameRegistry = classes::TNameRegistry<const classes::TEnumInfo *>;

std::unique_ptr<EnumNameRegistry> g_enumRegistry;

EnumNameRegistry &registry()
{
    if (!g_enumRegistry)
        g_enumRegistry = std::make_unique<EnumNameRegistry>();
    return *g_enumRegistry;
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
    if (g_enumRegistry)
        g_enumRegistry->Remove(aName);
}

const classes::TEnumInfo *ppFindEnumType(const QString &aName)
{
    if (!g_enumRegistry)
        return nullptr;
    return g_enumRegistry->Find(aName).value_or(nullptr);
}

QStringList ppEnumTypeNames()
{
    QStringList names;
    if (g_enumRegistry)
        for (const QString &name : g_enumRegistry->Names())
            names << name;
    return names;
}

void ppFreeEnumRegistry()
{
    g_enumRegistry.reset();
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
